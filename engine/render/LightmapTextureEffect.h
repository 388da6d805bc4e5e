#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/FamilyMember.h"
#include "engine/render/TextureEffect.h"

// A textured geometry whose texture is multiplied by a lightmap (light baked
// into a second texture, fed by its own coordinate set), unlit otherwise:
// colour x texture x lightmap by vertex programs 1.1 (plain or wind) or
// fixed function, the lightmap on stage 1 modulating.
class LightmapTextureEffect : public TextureEffect, public FamilyMember
{
    QRE_DECLARE_CLASS

public:
    explicit LightmapTextureEffect(const String& name = String());

    // The lightmap (held; null multiplies by nothing). 3 (refused, logged)
    // when it is this effect or holds it.
    BaseTexture* GetLightmap() const { return lightmap.Get(); }
    int32_t SetLightmap(BaseTexture* texture);

    // Which of the geometry's coordinate sets feeds the lightmap (0..7).
    uint32_t GetLightmapSet() const { return lightmapSet; }
    void SetLightmapSet(uint32_t set) { lightmapSet = set < 8 ? set : 7; }

    // The texture and the lightmap on stages 0 and 1 from their sets, the
    // lightmap for the fixed-function stage 1 too.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;
    // The search reaches the extra textures too.
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: lightmap link, its coordinate set (brought into 0..7 on
    // load); a link of another class loads as none, after a warning
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // For the lit members: their own techniques replace the unlit one.
    struct KeepTechniques
    {
    };
    LightmapTextureEffect(const String& name, KeepTechniques);

private:
    Ptr<BaseTexture> lightmap;
    uint32_t lightmapSet = 1;
};
