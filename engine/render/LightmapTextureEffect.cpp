#include "engine/render/LightmapTextureEffect.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(LightmapTextureEffect, TextureEffect)

namespace
{
// Colour x texture x lightmap by vs 1.1, plain or wind.
Pass* MakeVertex(GeometryNodeEffect& effect, uint32_t)
{
    auto& mapped = static_cast<LightmapTextureEffect&>(effect);
    return ProgramPass::Make(&mapped, &mapped,
                             {EffectPrograms::Id::LightmapVertex11, EffectPrograms::Id::LightmapVertex11Wind,
                              EffectPrograms::Id::Count, EffectPrograms::Id::Count});
}

// Colour x texture x lightmap, no lights.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& mapped = static_cast<LightmapTextureEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&mapped, &mapped);
}
} // namespace

LightmapTextureEffect::LightmapTextureEffect(const String& name) : TextureEffect(name)
{
    ClearTechniques();
    const TechniqueNeed needs[2] = {{TechniqueNeed::Programs::Vertex11, 2, 0}, {}};
    const FamilyTechnique::MakePass makers[2] = {MakeVertex, MakeFixedFunction};
    for (uint32_t i = 0; i < 2; ++i)
    {
        std::unique_ptr<Technique> made(new (std::nothrow) FamilyTechnique(this, needs[i], makers[i]));
        if (made)
            AddTechnique(std::move(made));
    }
}

LightmapTextureEffect::LightmapTextureEffect(const String& name, KeepTechniques) : TextureEffect(name)
{
    ClearTechniques();
}

int32_t LightmapTextureEffect::SetLightmap(BaseTexture* texture)
{
    if (texture && (static_cast<Object*>(texture) == this || texture->Holds(this)))
    {
        LogError("Текстура уже содержит этот эффект. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    lightmap = texture;
    return 0;
}

void LightmapTextureEffect::NameBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(GetTexture());
    bindings.AddSet(GetTexCoordSet());
    bindings.AddTexture(lightmap.Get());
    bindings.AddSet(lightmapSet);
    bindings.lightmap = lightmap.Get();
    bindings.lightmapSet = lightmapSet;
}

void LightmapTextureEffect::CollectByType(const RTTI& type, Array<Object*>& found)
{
    TextureEffect::CollectByType(type, found);
    if (lightmap)
        lightmap->CollectByType(type, found);
}

bool LightmapTextureEffect::Holds(const Object* other) const
{
    return TextureEffect::Holds(other) ||
           (lightmap && (static_cast<const Object*>(lightmap.Get()) == other || lightmap->Holds(other)));
}

int32_t LightmapTextureEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(lightmap.Get()) != 0)
    {
        LogError("Невозможно сохранить текстуру. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteUInt32(lightmapSet) != 0)
    {
        LogError("Невозможно сохранить номер набора текстурных координат. Имя[%s] ID[%d]", GetName().CStr(),
                 GetID());
        return 1;
    }
    return 0;
}

int32_t LightmapTextureEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != 0)
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
    uint32_t set = 0;
    if (stream.ReadUInt32(set) != 0)
    {
        LogError("Невозможно загрузить номер набора текстурных координат. ID[%d] Имя[%s]", GetID(),
                 GetName().CStr());
        return 1;
    }
    if (link && !link->IsDerived(BaseTexture::TYPE))
    {
        LogWarning("Ссылка на текстуру указывает на объект другого класса. ID[%d] Имя[%s]", GetID(),
                   GetName().CStr());
        link = nullptr;
    }
    if (SetLightmap(static_cast<BaseTexture*>(link)) != 0)
        return 1;
    SetLightmapSet(set);
    MarkChanged();
    return 0;
}
