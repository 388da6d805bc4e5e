#include "engine/render/NormalmapLightmapTextureEffect.h"

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"

QRE_IMPLEMENT_CLASS(NormalmapLightmapTextureEffect, LightmapTextureEffect)

void NormalmapLightmapTextureEffect::NameBindings(MemberBindings& bindings) const
{
    LightmapTextureEffect::NameBindings(bindings);
    if (!bindings.mapped)
        return;
    bindings.AddTexture(normalmap.Get());
    bindings.AddSet(normalmap.GetSet());
    bindings.tangent = true;
    bindings.tangentSet = normalmap.GetSet();
}

void NormalmapLightmapTextureEffect::CollectByType(const RTTI& type, Array<Object*>& found)
{
    LightmapTextureEffect::CollectByType(type, found);
    normalmap.CollectByType(type, found);
}

bool NormalmapLightmapTextureEffect::Holds(const Object* other) const
{
    return LightmapTextureEffect::Holds(other) || normalmap.Holds(other);
}

int32_t NormalmapLightmapTextureEffect::Save(Stream& stream)
{
    if (LightmapTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return normalmap.SaveLink(stream, *this) == 0 ? normalmap.SaveSet(stream, *this) : 1;
}

int32_t NormalmapLightmapTextureEffect::Load(Stream& stream)
{
    if (LightmapTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (normalmap.LoadLink(stream, *this) != 0 || normalmap.LoadSet(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
