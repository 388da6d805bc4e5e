#include "engine/scene/NodeAnimation.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"

QRE_IMPLEMENT_CLASS(NodeAnimation, Animation)

std::unique_ptr<AnimationKey> NodeAnimation::CreateKey() const
{
    return std::unique_ptr<AnimationKey>(new (std::nothrow) NodeAnimationKey());
}

int32_t NodeAnimation::AddKey(const NodeAnimationKey& key)
{
    std::unique_ptr<AnimationKey> copy(new (std::nothrow) NodeAnimationKey(key));
    if (!copy)
    {
        LogError("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 2;
    }
    return AppendKey(std::move(copy));
}
