#include "engine/render/FurLightingEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"

QRE_IMPLEMENT_CLASS(FurLightingEffect, FurEffect)

namespace
{

// The list as hardware lights, the shells moved on the CPU.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t index)
{
    auto& fur = static_cast<FurLightingEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&fur, &fur, index);
}

const FamilyTechnique::Row kTechniques[] = {{{}, MakeFixedFunction, FurEffect::CountPasses}};

} // namespace

FurLightingEffect::FurLightingEffect(const String& name) : FurEffect(name, KeepTechniques())
{
    FamilyTechnique::AddAll(*this, kTechniques);
}

FurLightingEffect::FurLightingEffect(const String& name, KeepTechniques) : FurEffect(name, KeepTechniques())
{
}

void FurLightingEffect::NameBindings(MemberBindings& bindings) const
{
    FurEffect::NameBindings(bindings);
    for (uint32_t i = 0; i < lights.GetCount(); ++i)
        bindings.AddLight(lights.Get(i));
}

bool FurLightingEffect::Holds(const Object* other) const
{
    return FurEffect::Holds(other) || lights.Holds(other);
}

int32_t FurLightingEffect::Save(Stream& stream)
{
    if (FurEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (lights.Save(stream) != 0)
    {
        LogError("Невозможно сохранить источники света. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t FurLightingEffect::Load(Stream& stream)
{
    if (FurEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (lights.Load(stream, *this) != 0)
    {
        LogError("Невозможно загрузить источники света. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    MarkChanged();
    return 0;
}
