#pragma once
#include <cstdint>

#include "engine/render/FamilyMember.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/TextureSlot.h"

// A texture with a normal map (tangent-space normals, fed by its own
// coordinate set): the base of the normal-map members, which light it.
// Drawn itself as its base draws, the map unused.
class NormalmapTextureEffect : public TextureEffect, public FamilyMember
{
    QRE_DECLARE_CLASS

public:
    explicit NormalmapTextureEffect(const String& name = String()) : TextureEffect(name) {}

    // The normal map (held; null leaves the surface flat). 3 (refused,
    // logged) when it is this effect or holds it.
    BaseTexture* GetNormalmap() const { return normalmap.Get(); }
    int32_t SetNormalmap(BaseTexture* texture) { return normalmap.Set(*this, texture); }

    // Which of the geometry's coordinate sets feeds the normal map (0..7).
    uint32_t GetNormalmapSet() const { return normalmap.GetSet(); }
    void SetNormalmapSet(uint32_t set) { normalmap.SetSet(set); }

    // The texture on stage 0 and the normal map on stage 1 from their sets,
    // the tangents after them (the map only where the pass reads it).
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;
    // The search reaches the extra textures too.
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: normal map link, its coordinate set (brought into 0..7 on
    // load); a link of another class loads as none, after a warning
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    TextureSlot normalmap;
};
