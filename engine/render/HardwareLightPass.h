#pragma once
#include <cstdint>

#include "engine/render/GeometryNodeEffectPass.h"

class ColorEffect;
class FamilyMember;

// The family's fixed-function pass: no programs; the effect's own
// fixed-function bindings (colour or texture on stage 0), the normals, the
// member's lightmap on stage 1 (modulating, the stage's
// default combine), and up to the device's maxLights
// of the member's lights, pushed so the geometry pops them after the draw.
class HardwareLightPass : public GeometryNodeEffectPass
{
    QRE_DECLARE_CLASS

public:
    // effect and member: the same object, the owner of the technique that
    // holds the pass (back pointers).
    explicit HardwareLightPass(ColorEffect* effect = nullptr, const FamilyMember* member = nullptr);

    // 0 to draw; 1 (the draw skipped) without a renderer, geometry or
    // effect, or when the effect's bindings refuse.
    int32_t Apply() override;

private:
    ColorEffect* lit;           // back pointer, as the base's
    const FamilyMember* member; // back pointer
};
