#pragma once
#include <cstdint>

#include "engine/render/LightPair.h"
#include "engine/render/NormalmapTextureEffect.h"

class Light;

// A normal-mapped texture lit by a directional and a point light: per pixel
// the map's normal, each light's diffuse and specular faded by its
// per-vertex factor, the point's attenuated (vs/ps 2.0, plain or wind); per
// vertex (vs 1.1) and as two hardware lights as Texture1DL1PLEffect, the
// map unused.
class NormalmapTexture1DL1PLEffect : public NormalmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit NormalmapTexture1DL1PLEffect(const String& name = String());

    // The two lights (held; null lights with nothing). 3 (refused, logged)
    // when the light holds this effect.
    Light* GetDirectionalLight() const { return lights.GetDirectional(); }
    Light* GetPointLight() const { return lights.GetPoint(); }
    int32_t SetDirectionalLight(Light* light) { return lights.SetDirectional(*this, light); }
    int32_t SetPointLight(Light* light) { return lights.SetPoint(*this, light); }

    // The textures; the directional light, then the point light.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;

    // streaming: the directional light's link, then the point light's,
    // after the normal-map effect's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    LightPair lights;
};
