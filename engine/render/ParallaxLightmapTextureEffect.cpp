#include "engine/render/ParallaxLightmapTextureEffect.h"

#include <cmath>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(ParallaxLightmapTextureEffect, LightmapTextureEffect)

void ParallaxLightmapTextureEffect::SetParallax(float newScale, float newBias)
{
    scale = std::isfinite(newScale) ? newScale : 0.0f;
    bias = std::isfinite(newBias) ? newBias : 0.0f;
}

void ParallaxLightmapTextureEffect::NameBindings(MemberBindings& bindings) const
{
    LightmapTextureEffect::NameBindings(bindings);
    bindings.parallaxScale = scale;
    bindings.parallaxBias = bias;
    if (!bindings.mapped || bindings.textureCount != 2)
        return;
    // The map first: the pixel program's stages, against the fields' order.
    bindings.textures[2] = bindings.textures[1];
    bindings.textures[1] = bindings.textures[0];
    bindings.textures[0] = normalmap.Get();
    bindings.textureCount = 3;
    bindings.AddSet(normalmap.GetSet());
    bindings.tangent = true;
    bindings.tangentSet = normalmap.GetSet();
}

void ParallaxLightmapTextureEffect::CollectByType(const RTTI& type, Array<Object*>& found)
{
    LightmapTextureEffect::CollectByType(type, found);
    normalmap.CollectByType(type, found);
}

bool ParallaxLightmapTextureEffect::Holds(const Object* other) const
{
    return LightmapTextureEffect::Holds(other) || normalmap.Holds(other);
}

int32_t ParallaxLightmapTextureEffect::Save(Stream& stream)
{
    if (LightmapTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (normalmap.SaveLink(stream, *this) != 0)
        return 1;
    if (stream.WriteFloat(scale) != 0 || stream.WriteFloat(bias) != 0)
    {
        LogError("Невозможно сохранить данные параллакса. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return normalmap.SaveSet(stream, *this);
}

int32_t ParallaxLightmapTextureEffect::Load(Stream& stream)
{
    if (LightmapTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (normalmap.LoadLink(stream, *this) != 0)
        return 1;
    float newScale = 0.0f, newBias = 0.0f;
    if (stream.ReadFloat(newScale) != 0 || stream.ReadFloat(newBias) != 0)
    {
        LogError("Невозможно загрузить данные параллакса. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (normalmap.LoadSet(stream, *this) != 0)
        return 1;
    SetParallax(newScale, newBias);
    MarkChanged();
    return 0;
}
