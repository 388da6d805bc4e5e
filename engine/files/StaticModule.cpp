#include "engine/files/StaticModule.h"

#include "engine/core/Log.h"

StaticModule::~StaticModule()
{
    ModuleFunction* shutdown = functions.Find(String("Shutdown"));
    if (!shutdown)
        LogWarning("В модуле не найдена функция завершения работы модуля [%s].", GetName().CStr());
    else if ((*shutdown)() != 0)
        LogError("Неудачно завершение работы модуля.");
}

bool StaticModule::AddFunction(const String& functionName, ModuleFunction function)
{
    return functions.Insert(functionName, function);
}

int32_t StaticModule::GetFunction(ModuleFunction* place, const String& functionName)
{
    if (!place)
    {
        LogWarning("Указатель на символ [%s] равен 0.", functionName.CStr());
        return 3;
    }
    ModuleFunction* found = functions.Find(functionName);
    if (!found)
    {
        LogWarning("Невозможно найти символ [%s] в модуле [%s].", functionName.CStr(), GetName().CStr());
        return 1;
    }
    *place = *found;
    return 0;
}
