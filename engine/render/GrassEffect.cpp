#include "engine/render/GrassEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(GrassEffect, TextureEffect)

namespace
{

using enum EffectPrograms::Id;
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// The sway by vs 1.1, with the vertex colour where the geometry has one.
Pass* MakeSway(GeometryNodeEffect& effect, uint32_t)
{
    auto& grass = static_cast<GrassEffect&>(effect);
    return ProgramPass::Make(&grass, &grass, {GrassVertex11, kNone, kNone, kNone, GrassVertex11Coloured});
}

// Still, texture times colour.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& grass = static_cast<GrassEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&grass, &grass);
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex11, 1, 0}, MakeSway},
    {{}, MakeFixedFunction},
};

} // namespace

GrassEffect::GrassEffect(const String& name) : TextureEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}

void GrassEffect::NameBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(GetTexture());
    bindings.AddSet(GetTexCoordSet());
    bindings.AddSet(static_cast<uint32_t>(swaySet));
}

int32_t GrassEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(swaySet) != 0)
    {
        LogError("Невозможно сохранить номер набора текстурных координат. Имя[%s] ID[%d]", GetName().CStr(),
                 GetID());
        return 1;
    }
    return 0;
}

int32_t GrassEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t set = 0;
    if (stream.ReadInt32(set) != 0)
    {
        LogError("Невозможно загрузить номер набора текстурных координат. ID[%d] Имя[%s]", GetID(),
                 GetName().CStr());
        return 1;
    }
    SetSwaySet(set);
    MarkChanged();
    return 0;
}
