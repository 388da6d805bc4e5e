#include "engine/core/Controller.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Controller, Object)

int32_t Controller::Save(Stream& stream)
{
    if (Object::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteBool(active != 0) != 0)
    {
        LogError("Невозможно сохранить флаг активности контроллера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Controller::Load(Stream& stream)
{
    if (Object::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    bool flag = true;
    if (stream.ReadBool(flag) != 0)
    {
        LogError("Невозможно загрузить флаг активности контроллера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    active = flag ? 1 : 0;
    return 0;
}
