#include "engine/scene/FPCamera.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(FPCamera, Camera)

int32_t FPCamera::Save(Stream& stream)
{
    if (Camera::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteFloat(first);
    stream.WriteFloat(second);
    if (stream.WriteBool(flag != 0) != 0)
    {
        LogError("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t FPCamera::Load(Stream& stream)
{
    if (Camera::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    bool value = false;
    stream.ReadFloat(first);
    stream.ReadFloat(second);
    if (stream.ReadBool(value) != 0)
    {
        LogError("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    flag = value ? 1 : 0;
    return 0;
}
