#pragma once
#include <cstdint>

#include "engine/render/LightSlot.h"
#include "engine/render/ParallaxTextureEffect.h"

class Light;

// A parallax-mapped texture lit by one directional light: per pixel the
// coordinates shifted by the height, then lit as NormalmapTexture1DLEffect
// (vs/ps 2.0, plain or wind); per vertex (vs 1.1) and with one hardware
// light as Texture1DLEffect, the map unused.
class ParallaxTexture1DLEffect : public ParallaxTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit ParallaxTexture1DLEffect(const String& name = String());

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
