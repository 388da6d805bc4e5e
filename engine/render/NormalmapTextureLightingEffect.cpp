#include "engine/render/NormalmapTextureLightingEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"

QRE_IMPLEMENT_CLASS(NormalmapTextureLightingEffect, NormalmapTextureEffect)

namespace
{

// The list as hardware lights.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<NormalmapTextureLightingEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

const FamilyTechnique::Row kTechniques[] = {{{}, MakeFixedFunction}};

} // namespace

NormalmapTextureLightingEffect::NormalmapTextureLightingEffect(const String& name) : NormalmapTextureEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}

void NormalmapTextureLightingEffect::NameBindings(MemberBindings& bindings) const
{
    NormalmapTextureEffect::NameBindings(bindings);
    for (uint32_t i = 0; i < lights.GetCount(); ++i)
        bindings.AddLight(lights.Get(i));
}

bool NormalmapTextureLightingEffect::Holds(const Object* other) const
{
    return NormalmapTextureEffect::Holds(other) || lights.Holds(other);
}

int32_t NormalmapTextureLightingEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return lights.Save(stream);
}

int32_t NormalmapTextureLightingEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (lights.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
