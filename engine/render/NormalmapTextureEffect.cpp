#include "engine/render/NormalmapTextureEffect.h"

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"

QRE_IMPLEMENT_CLASS(NormalmapTextureEffect, TextureEffect)

void NormalmapTextureEffect::NameBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(GetTexture());
    bindings.AddSet(GetTexCoordSet());
    if (!bindings.mapped)
        return;
    bindings.AddTexture(normalmap.Get());
    bindings.AddSet(normalmap.GetSet());
    bindings.tangent = true;
    bindings.tangentSet = normalmap.GetSet();
}

void NormalmapTextureEffect::CollectByType(const RTTI& type, Array<Object*>& found)
{
    TextureEffect::CollectByType(type, found);
    normalmap.CollectByType(type, found);
}

bool NormalmapTextureEffect::Holds(const Object* other) const
{
    return TextureEffect::Holds(other) || normalmap.Holds(other);
}

int32_t NormalmapTextureEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return normalmap.SaveLink(stream, *this) == 0 ? normalmap.SaveSet(stream, *this) : 1;
}

int32_t NormalmapTextureEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (normalmap.LoadLink(stream, *this) != 0 || normalmap.LoadSet(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
