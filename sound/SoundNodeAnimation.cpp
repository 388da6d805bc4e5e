#include "sound/SoundNodeAnimation.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"

QRE_IMPLEMENT_CLASS(SoundNodeAnimation, Animation)

std::unique_ptr<AnimationKey> SoundNodeAnimation::CreateKey() const
{
    return std::unique_ptr<AnimationKey>(new (std::nothrow) BoolAnimationKey());
}

int32_t SoundNodeAnimation::AddKey(const BoolAnimationKey& key)
{
    std::unique_ptr<AnimationKey> copy(new (std::nothrow) BoolAnimationKey(key));
    if (!copy)
    {
        LogError("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 2;
    }
    return AppendKey(std::move(copy));
}
