#pragma once
#include <cstdint>

#include "engine/render/LightSlot.h"
#include "engine/render/LightmapTextureEffect.h"

class Light;

// A lightmapped texture lit by one directional light: the texture times the
// lightmap takes the place of Texture1DLEffect's texture, in the same three
// ways (per pixel with vs/ps 2.0, plain or wind; per vertex with vs 1.1;
// one fixed-function hardware light with the lightmap on stage 1).
class LightmapTexture1DLEffect : public LightmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit LightmapTexture1DLEffect(const String& name = String());

    // The light (held; null lights with nothing). 3 (refused, logged) when
    // the light holds this effect.
    Light* GetLight() const { return light.Get(); }
    int32_t SetLight(Light* newLight) { return light.Set(*this, newLight); }

    // The lightmapped textures and the light.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;

    // streaming: the light link after the lightmap effect's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    LightSlot light;
};
