#include "engine/files/ModuleManager.h"

#include "engine/core/HashMap.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/files/Module.h"

namespace
{

// Null while the manager is stopped.
HashMap<String, Ptr<Module>>* modules = nullptr;

} // namespace

int32_t ModuleManager::Initialize()
{
    LogInfo("Инициализация менеджера модулей.");
    if (!modules)
        modules = new HashMap<String, Ptr<Module>>();
    LogInfo("Менеджер модулей инициализирован.");
    return 0;
}

int32_t ModuleManager::Terminate()
{
    LogInfo("Завершение работы менеджера модулей.");
    delete modules;
    modules = nullptr;
    LogInfo("Менеджер модулей завершил работу.");
    return 0;
}

int32_t ModuleManager::RegisterModule(Module* module)
{
    if (!module)
    {
        LogWarning("Указатель на модуль равен 0 при регистрации.");
        return 3;
    }
    if (!modules)
    {
        LogWarning("Невозможно вставить модуль [%s] в таблицу зарегестрированных модулей.", module->GetName().CStr());
        return 1;
    }
    if (modules->Find(module->GetName()))
    {
        LogWarning("Модуль с именем [%s] уже зарегестрирован.", module->GetName().CStr());
        return 1;
    }
    modules->Insert(module->GetName(), Ptr<Module>(module));
    return 0;
}

Module* ModuleManager::FindModule(const String& name)
{
    if (!modules)
        return nullptr;
    Ptr<Module>* found = modules->Find(name);
    return found ? found->Get() : nullptr;
}

int32_t ModuleManager::LoadModule(const String& name, Module** place)
{
    if (!place)
        return 3;
    *place = nullptr;
    if (Module* found = FindModule(name))
    {
        *place = found;
        return 0;
    }
    LogInfo("Загружается модуль [%s].", name.CStr());
    // Every module of this program is built in; a module file on disk would
    // be looked up through the file system, which holds none.
    LogWarning("Не найден файл модуля [%s].", name.CStr());
    LogError("Невозможно загрузить модуль [%s].", name.CStr());
    return 3;
}

uint32_t ModuleManager::GetModuleCount()
{
    return modules ? modules->Count() : 0;
}
