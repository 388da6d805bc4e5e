#include "engine/scene/BoolAnimationKey.h"

#include "engine/core/Log.h"
#include "engine/core/Stream.h"

int32_t BoolAnimationKey::Save(Stream& stream) const
{
    if (AnimationKey::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные кифрейма.");
        return 1;
    }
    if (stream.WriteBool(value) != 0)
    {
        LogError("Невозможно сохранить данные кифрейма.");
        return 1;
    }
    return 0;
}

int32_t BoolAnimationKey::Load(Stream& stream)
{
    if (AnimationKey::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные кифрейма.");
        return 1;
    }
    if (stream.ReadBool(value) != 0)
    {
        LogError("Невозможно загрузить данные кифрейма.");
        return 1;
    }
    return 0;
}
