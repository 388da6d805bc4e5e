#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/ColorEffect.h"

// A coloured geometry with one texture on stage 0, fed by one of the
// geometry's texture-coordinate sets: by vertex programs 1.1 (plain or
// wind; 2.0 skinned), else by fixed function.
class TextureEffect : public ColorEffect
{
    QRE_DECLARE_CLASS

public:
    explicit TextureEffect(const String& name = String());

    // The texture (held; null draws untextured). 3 (refused, logged) when
    // the texture is this effect or holds it.
    BaseTexture* GetTexture() const { return texture.Get(); }
    int32_t SetTexture(BaseTexture* newTexture);

    // Which of the geometry's coordinate sets feeds the texture (0..7).
    uint32_t GetTexCoordSet() const { return texCoordSet; }
    void SetTexCoordSet(uint32_t set) { texCoordSet = set; }

    // The colour pass's bindings plus the texture on stage 0 and the
    // coordinate set as texture coordinate 0.
    int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry) override;
    // The texture on stage 0 from its set.
    void NameUnlitBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;
    // The search reaches the texture, so a scene's textures can be found.
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: texture link, coordinate set
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<BaseTexture> texture;
    uint32_t texCoordSet = 0;
};
