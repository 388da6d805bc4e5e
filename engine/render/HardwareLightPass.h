#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/GeometryNodeEffectPass.h"

class ColorEffect;
class FamilyMember;
class Vector3Buffer;

// The family's fixed-function pass: no programs; the effect's own
// fixed-function bindings (colour or texture on stage 0), the normals, the
// member's lightmap on stage 1 (modulating, the stage's
// default combine), and up to the device's maxLights
// of the member's lights, pushed so the geometry pops them after the draw.
// A fur shell's pass draws the vertices moved along their normals on the
// CPU, blended, its alpha stage 1's times the shell's factor.
class HardwareLightPass : public GeometryNodeEffectPass
{
    QRE_DECLARE_CLASS

public:
    // effect and member: the same object, the owner of the technique that
    // holds the pass (back pointers). shell: the fur shell the pass draws
    // (1..n), 0 for an ordinary pass.
    explicit HardwareLightPass(ColorEffect* effect = nullptr, const FamilyMember* member = nullptr,
                               uint32_t shell = 0);
    ~HardwareLightPass() override;

    // The effect's settings, then a shell's blending and stage 1.
    void MarkChanged() override;

    // 0 to draw; 1 (the draw skipped) without a renderer, geometry or
    // effect, when the effect's bindings refuse, or for a shell of a
    // geometry without normals; 2 when the moved vertices cannot be made.
    int32_t Apply() override;

private:
    // The shell's vertices: the geometry's moved by offset along their
    // normals, remade only when either source or the offset changed.
    Vector3Buffer* Shifted(Vector3Buffer& positions, Vector3Buffer& normals, float offset);

    ColorEffect* lit;           // back pointer, as the base's
    const FamilyMember* member; // back pointer
    uint32_t shell = 0;
    Ptr<Vector3Buffer> shifted;
    // What shifted was made from.
    const Vector3Buffer* shiftedFrom[2] = {};
    uint32_t shiftedRevision[2] = {};
    float shiftedBy = 0.0f;
};
