#pragma once
#include <cstdint>

#include "engine/render/LightmapTextureEffect.h"
#include "engine/render/TextureSlot.h"

// A lightmapped texture with a normal map carrying a height in its alpha:
// the base of the lit member that shifts the texture's and the map's
// coordinates (not the lightmap's) by the height. Drawn itself as its base
// draws.
class ParallaxLightmapTextureEffect : public LightmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit ParallaxLightmapTextureEffect(const String& name = String()) : LightmapTextureEffect(name) {}

    // The normal map (held). 3 (refused, logged) when it is this effect or
    // holds it.
    BaseTexture* GetNormalmap() const { return normalmap.Get(); }
    int32_t SetNormalmap(BaseTexture* texture) { return normalmap.Set(*this, texture); }
    uint32_t GetNormalmapSet() const { return normalmap.GetSet(); }
    void SetNormalmapSet(uint32_t set) { normalmap.SetSet(set); }

    // A non-finite value becomes 0.
    float GetParallaxScale() const { return scale; }
    float GetParallaxBias() const { return bias; }
    void SetParallax(float newScale, float newBias);

    // The lightmapped effect's; where the pass reads the map: the map,
    // the texture and the lightmap on stages 0, 1, 2, the coordinate sets
    // texture, lightmap, map, then the tangents; the parallax.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;
    // The search reaches the extra textures too.
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: normal map link, float scale, float bias, u32 the map's
    // coordinate set (brought into 0..7)
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // For the lit member: its own techniques replace the unlit ones.
    ParallaxLightmapTextureEffect(const String& name, KeepTechniques keep) : LightmapTextureEffect(name, keep) {}

private:
    TextureSlot normalmap;
    float scale = 0.0f;
    float bias = 0.0f;
};
