#include "engine/render/TextureEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/ProgramPass.h"
#include "engine/render/Renderer.h"
#include "engine/scene/GeometryNode.h"

QRE_IMPLEMENT_CLASS(TextureEffect, ColorEffect)

namespace
{
// Colour x texture by vs 1.1, plain or wind (the vertex colours where there
// are), or skinned by vs 2.0.
Pass* MakeProgrammed(GeometryNodeEffect& effect, uint32_t)
{
    using enum EffectPrograms::Id;
    auto& textured = static_cast<TextureEffect&>(effect);
    return ProgramPass::Make(&textured, textured.GetUnlitMember(),
                             {TextureVertex11, TextureVertex11Wind, TextureVertex20Skinned, EffectPrograms::Id::Count,
                              TextureVertex11Coloured});
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex11, 1, 0}, MakeProgrammed},
    {{}, ColorEffect::MakeFixedFunctionPass},
};
} // namespace

TextureEffect::TextureEffect(const String& name) : ColorEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}

void TextureEffect::NameUnlitBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(texture.Get());
    bindings.AddSet(texCoordSet);
}

int32_t TextureEffect::SetTexture(BaseTexture* newTexture)
{
    if (newTexture && (static_cast<Object*>(newTexture) == this || newTexture->Holds(this)))
    {
        LogError("Текстура уже содержит этот эффект. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    texture = newTexture;
    return 0;
}

int32_t TextureEffect::BindFixedFunction(Renderer& renderer, GeometryNode& geometry)
{
    const int32_t result = ColorEffect::BindFixedFunction(renderer, geometry);
    if (result != 0)
        return result;
    renderer.SetTexCoordStream(0, geometry.GetTextureCoordinates(texCoordSet));
    renderer.SetTexture(0, texture.Get());
    return 0;
}

void TextureEffect::CollectByType(const RTTI& type, Array<Object*>& found)
{
    ColorEffect::CollectByType(type, found);
    if (texture)
        texture->CollectByType(type, found);
}

bool TextureEffect::Holds(const Object* other) const
{
    if (ColorEffect::Holds(other))
        return true;
    return texture && (static_cast<const Object*>(texture.Get()) == other || texture->Holds(other));
}

int32_t TextureEffect::Save(Stream& stream)
{
    if (ColorEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(texture.Get()) != 0)
    {
        LogError("Невозможно сохранить текстуру. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteUInt32(texCoordSet) != 0)
    {
        LogError("Невозможно сохранить номер набора текстурных координат. Имя[%s] ID[%d]", GetName().CStr(),
                 GetID());
        return 1;
    }
    return 0;
}

int32_t TextureEffect::Load(Stream& stream)
{
    if (ColorEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить текстуру. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (stream.ReadUInt32(texCoordSet) != 0)
    {
        LogError("Невозможно загрузить номер набора текстурных координат. ID[%d] Имя[%s]", GetID(),
                 GetName().CStr());
        return 1;
    }
    // Another class in the texture's place counts as no texture.
    SetTexture(link && link->IsDerived(BaseTexture::TYPE) ? static_cast<BaseTexture*>(link) : nullptr);
    MarkChanged();
    return 0;
}
