#include "engine/scene/AnimationKey.h"

#include <cmath>

#include "engine/core/Log.h"
#include "engine/core/Stream.h"

int32_t AnimationKey::Save(Stream& stream) const
{
    if (stream.WriteDouble(time) != 0)
    {
        LogError("Невозможно сохранить данные кифрейма.");
        return 1;
    }
    return 0;
}

int32_t AnimationKey::Load(Stream& stream)
{
    if (stream.ReadDouble(time) != 0 || !std::isfinite(time))
    {
        LogError("Невозможно загрузить данные кифрейма.");
        return 1;
    }
    return 0;
}

bool AnimationKey::AllFinite(std::initializer_list<float> values)
{
    for (float value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}
