#pragma once
#include <cstdint>

#include "engine/render/FamilyMember.h"
#include "engine/render/LightPair.h"
#include "engine/render/TextureEffect.h"

class Light;

// A textured geometry lit by a directional and a point light (attenuated
// with distance), their shares summed, in the best of three ways the device
// runs: per pixel (vs/ps 2.0; plain, wind or skinned), per vertex (vs 1.1,
// plain or wind) or with the two as fixed-function hardware lights.
class Texture1DL1PLEffect : public TextureEffect, public FamilyMember
{
    QRE_DECLARE_CLASS

public:
    explicit Texture1DL1PLEffect(const String& name = String());

    // The two lights (held; null lights with nothing). 3 (refused, logged)
    // when the light holds this effect.
    Light* GetDirectionalLight() const { return lights.GetDirectional(); }
    Light* GetPointLight() const { return lights.GetPoint(); }
    int32_t SetDirectionalLight(Light* light) { return lights.SetDirectional(*this, light); }
    int32_t SetPointLight(Light* light) { return lights.SetPoint(*this, light); }

    // The texture on stage 0 from its set; the directional light, then the
    // point light.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;

    // streaming: the directional light's link, then the point light's,
    // after the texture effect's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    LightPair lights;
};
