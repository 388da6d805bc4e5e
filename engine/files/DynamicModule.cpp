#include "engine/files/DynamicModule.h"

#include <dlfcn.h>

#include "engine/core/Log.h"

DynamicModule::~DynamicModule()
{
    if (!library)
        return;
    // Looked up directly: a library without "Shutdown" gets its own line,
    // not the generic missing-symbol one.
    void* shutdown = dlsym(library, "Shutdown");
    if (!shutdown)
        LogWarning("В модуле не найдена функция завершения работы модуля [%s].", GetName().CStr());
    else if (reinterpret_cast<ModuleFunction>(shutdown)() != 0)
        LogError("Неудачно завершение работы модуля.");

    LogInfo("Выгружается модуль [%s].", GetName().CStr());
    if (dlclose(library) != 0)
    {
        LogWarning("Выгрузка модуля [%s] неудачна.", GetName().CStr());
        LogError("Невозможно выгрузить динамический модуль [%s].", GetName().CStr());
    }
    library = nullptr;
}

int32_t DynamicModule::Load(const String& path)
{
    // An empty name would hand back the program itself.
    if (library || path.IsEmpty())
        return 1;
    library = dlopen(path.CStr(), RTLD_NOW | RTLD_LOCAL);
    return library ? 0 : 1;
}

int32_t DynamicModule::GetFunction(ModuleFunction* place, const String& functionName)
{
    if (!place || !library)
    {
        LogWarning("Указатель при поиске символа [%s] равен 0.", functionName.CStr());
        return 3;
    }
    void* symbol = dlsym(library, functionName.CStr());
    if (!symbol)
    {
        LogWarning("Символ [%s] не найден в модуле [%s].", functionName.CStr(), GetName().CStr());
        return 1;
    }
    *place = reinterpret_cast<ModuleFunction>(symbol);
    return 0;
}
