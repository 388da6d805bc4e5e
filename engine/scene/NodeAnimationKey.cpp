#include "engine/scene/NodeAnimationKey.h"

#include "engine/core/Log.h"
#include "engine/core/Stream.h"

int32_t NodeAnimationKey::Save(Stream& stream) const
{
    if (AnimationKey::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные кифрейма.");
        return 1;
    }
    stream.WriteVector3(translation);
    stream.WriteQuaternion(rotation);
    if (stream.WriteVector3(scale) != 0)
    {
        LogError("Невозможно сохранить данные кифрейма.");
        return 1;
    }
    return 0;
}

int32_t NodeAnimationKey::Load(Stream& stream)
{
    if (AnimationKey::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные кифрейма.");
        return 1;
    }
    stream.ReadVector3(translation);
    stream.ReadQuaternion(rotation);
    if (stream.ReadVector3(scale) != 0 ||
        !AllFinite({translation.x, translation.y, translation.z, rotation.x, rotation.y, rotation.z, rotation.w,
                    scale.x, scale.y, scale.z}))
    {
        LogError("Невозможно загрузить данные кифрейма.");
        return 1;
    }
    return 0;
}
