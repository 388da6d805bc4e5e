#include "engine/scene/PathAnimation.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"

QRE_IMPLEMENT_CLASS(PathAnimation, Animation)

std::unique_ptr<AnimationKey> PathAnimation::CreateKey() const
{
    return std::unique_ptr<AnimationKey>(new (std::nothrow) PathAnimationKey());
}

int32_t PathAnimation::AddKey(const PathAnimationKey& key)
{
    std::unique_ptr<AnimationKey> copy(new (std::nothrow) PathAnimationKey(key));
    if (!copy)
    {
        LogError("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 2;
    }
    return AppendKey(std::move(copy));
}
