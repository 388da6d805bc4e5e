#pragma once
#include <cstdint>

#include "engine/render/LightSlot.h"
#include "engine/render/ParallaxLightmapTextureEffect.h"

class Light;

// A lightmapped, parallax-mapped texture lit by one directional light: per
// pixel the texture's and the map's coordinates shifted by the height,
// then lit as NormalmapLightmapTexture1DLEffect; per vertex (vs 1.1) and
// with one hardware light as LightmapTexture1DLEffect, the map unused.
class ParallaxLightmapTexture1DLEffect : public ParallaxLightmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit ParallaxLightmapTexture1DLEffect(const String& name = String());

    // The light (held; null lights with nothing). 3 (refused, logged) when
    // the light holds this effect.
    Light* GetLight() const { return light.Get(); }
    int32_t SetLight(Light* newLight) { return light.Set(*this, newLight); }

    // The textures and the light.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;

    // streaming: the light link after the base's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    LightSlot light;
};
