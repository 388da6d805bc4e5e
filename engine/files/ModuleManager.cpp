#include "engine/files/ModuleManager.h"

#include <memory>
#include <new>
#include <string>

#include "engine/core/HashMap.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/files/DynamicModule.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/files/Module.h"

namespace
{

// Null while the manager is stopped.
std::unique_ptr<HashMap<String, Ptr<Module>>> modules;

} // namespace

int32_t ModuleManager::Initialize()
{
    LogInfo("Инициализация менеджера модулей.");
    if (!modules)
    {
        modules.reset(new (std::nothrow) HashMap<String, Ptr<Module>>());
        if (!modules)
        {
            LogError("Недостаточно памяти для инициализации менеджера модулей.");
            return 1;
        }
    }
    LogInfo("Менеджер модулей инициализирован.");
    return 0;
}

int32_t ModuleManager::Terminate()
{
    LogInfo("Завершение работы менеджера модулей.");
    modules.reset();
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

    // Every module of this program is built in; a library file is found
    // through the file system like any other file.
    std::string fileName(name.View());
    fileName.append(".so");
    File* file = FileManager::FindFile(String(std::string_view(fileName)));
    if (!file)
    {
        LogWarning("Не найден файл модуля [%s].", name.CStr());
        LogError("Невозможно загрузить модуль [%s].", name.CStr());
        return 3;
    }
    // Held here until registered: every failure below destroys the module.
    Ptr<DynamicModule> module = new (std::nothrow) DynamicModule(name);
    if (!module)
    {
        LogError("Недостаточно памяти для создания модуля [%s].", name.CStr());
        LogError("Невозможно загрузить модуль [%s].", name.CStr());
        return 2;
    }
    LogInfo("Загружается модуль [%s].", name.CStr());
    // A library inside a mounted archive is no file the loader can open.
    if (!file->IsOnDisk() || module->Load(file->GetSystemPath()) != 0)
    {
        module = nullptr;
        LogWarning("Загрузка модуля [%s] неудачна.", name.CStr());
        LogError("Невозможно загрузить модуль [%s].", name.CStr());
        return 1;
    }

    ModuleFunction initialize = nullptr;
    if (module->GetFunction(&initialize, String("Initialize")) != 0)
    {
        LogWarning("В модуле не найдена функция инициализации модуля [%s].", name.CStr());
    }
    else if (initialize() != 0)
    {
        LogError("Неудачна инициализация модуля.");
        return 1;
    }
    if (RegisterModule(module.Get()) != 0)
    {
        LogError("Невозможно зарегестрировать модуль [%s].", name.CStr());
        return 1;
    }
    *place = module.Get();
    return 0;
}

uint32_t ModuleManager::GetModuleCount()
{
    return modules ? modules->Count() : 0;
}
