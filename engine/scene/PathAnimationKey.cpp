#include "engine/scene/PathAnimationKey.h"

#include "engine/core/Log.h"
#include "engine/core/Stream.h"

int32_t PathAnimationKey::Save(Stream& stream) const
{
    if (AnimationKey::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные кифрейма.");
        return 1;
    }
    stream.WriteVector3(position);
    stream.WriteVector3(inControl);
    if (stream.WriteVector3(outControl) != 0)
    {
        LogError("Невозможно сохранить данные кифрейма.");
        return 1;
    }
    return 0;
}

int32_t PathAnimationKey::Load(Stream& stream)
{
    if (AnimationKey::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные кифрейма.");
        return 1;
    }
    stream.ReadVector3(position);
    stream.ReadVector3(inControl);
    if (stream.ReadVector3(outControl) != 0 ||
        !AllFinite({position.x, position.y, position.z, inControl.x, inControl.y, inControl.z, outControl.x,
                    outControl.y, outControl.z}))
    {
        LogError("Невозможно загрузить данные кифрейма.");
        return 1;
    }
    return 0;
}
