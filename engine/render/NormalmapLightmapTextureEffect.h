#pragma once
#include <cstdint>

#include "engine/render/LightmapTextureEffect.h"
#include "engine/render/TextureSlot.h"

// A lightmapped texture with a normal map: the base of the lit member that
// lights the map. Drawn itself as its base draws, the map unused.
class NormalmapLightmapTextureEffect : public LightmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit NormalmapLightmapTextureEffect(const String& name = String()) : LightmapTextureEffect(name) {}

    // The normal map (held; null leaves the surface flat). 3 (refused,
    // logged) when it is this effect or holds it.
    BaseTexture* GetNormalmap() const { return normalmap.Get(); }
    int32_t SetNormalmap(BaseTexture* texture) { return normalmap.Set(*this, texture); }
    uint32_t GetNormalmapSet() const { return normalmap.GetSet(); }
    void SetNormalmapSet(uint32_t set) { normalmap.SetSet(set); }

    // The lightmapped effect's; where the pass reads the map, the map on
    // stage 2 from its set and the tangents after the sets.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;
    // The search reaches the extra textures too.
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: normal map link, its coordinate set (brought into 0..7)
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // For the lit member: its own techniques replace the unlit ones.
    NormalmapLightmapTextureEffect(const String& name, KeepTechniques keep) : LightmapTextureEffect(name, keep) {}

private:
    TextureSlot normalmap;
};
