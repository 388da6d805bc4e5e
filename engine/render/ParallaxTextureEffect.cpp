#include "engine/render/ParallaxTextureEffect.h"

#include <cmath>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(ParallaxTextureEffect, NormalmapTextureEffect)

void ParallaxTextureEffect::SetParallax(float newScale, float newBias)
{
    scale = std::isfinite(newScale) ? newScale : 0.0f;
    bias = std::isfinite(newBias) ? newBias : 0.0f;
}

void ParallaxTextureEffect::NameBindings(MemberBindings& bindings) const
{
    NormalmapTextureEffect::NameBindings(bindings);
    bindings.parallaxScale = scale;
    bindings.parallaxBias = bias;
    if (bindings.mapped && bindings.textureCount >= 2)
    {
        BaseTexture* texture = bindings.textures[0];
        bindings.textures[0] = bindings.textures[1];
        bindings.textures[1] = texture;
    }
}

int32_t ParallaxTextureEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteFloat(scale) != 0 || stream.WriteFloat(bias) != 0)
    {
        LogError("Невозможно сохранить данные параллакса. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t ParallaxTextureEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    float newScale = 0.0f, newBias = 0.0f;
    if (stream.ReadFloat(newScale) != 0 || stream.ReadFloat(newBias) != 0)
    {
        LogError("Невозможно загрузить данные параллакса. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    SetParallax(newScale, newBias);
    MarkChanged();
    return 0;
}
