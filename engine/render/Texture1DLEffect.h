#pragma once
#include <cstdint>

#include "engine/render/FamilyMember.h"
#include "engine/render/LightSlot.h"
#include "engine/render/TextureEffect.h"

class Light;
class Technique;

// A textured geometry lit by one directional light (Blinn-Phong with the
// effect's material, plus emissive), in the best of three ways the device
// runs: per pixel (vertex and pixel programs 2.0; plain, wind or skinned),
// per vertex (vertex programs 1.1, plain or wind, with fixed-function
// texturing) or with one fixed-function hardware light. Fog and wind follow
// the effect's settings in every program.
class Texture1DLEffect : public TextureEffect, public FamilyMember
{
    QRE_DECLARE_CLASS

public:
    // The techniques, in the order they are tried.
    enum Lighting : int32_t
    {
        kNotChosen = -1,
        kPixelLit = 0,
        kVertexLit = 1,
        kFixedFunction = 2,
    };

    explicit Texture1DLEffect(const String& name = String());

    // The light (held; null lights with nothing, leaving ambient x 0 and the
    // emissive). 3 (refused, logged) when the light holds this effect.
    Light* GetLight() const { return light.Get(); }
    int32_t SetLight(Light* newLight);

    // Which technique drives the passes; kNotChosen before the first
    // PassCount or when the device runs none.
    Lighting GetLighting() const;

    // The texture on stage 0 from its coordinate set, the light.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;

    // streaming: the light link after the texture effect's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    LightSlot light;
    // The three lit techniques; the effect's list owns them. Plain.
    Technique* techniques[3] = {nullptr, nullptr, nullptr};
};
