#include "engine/files/CodecManager.h"

#include <memory>
#include <new>

#include "engine/core/HashMap.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/File.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/StaticModule.h"

namespace
{

using CreateCodecFunction = int32_t (*)(Codec** place);

// Null while the manager is stopped.
std::unique_ptr<HashMap<String, Ptr<Codec>>> codecs;

// "Initialize" and "Shutdown" of a built-in codec module: nothing to set up.
int32_t BuiltInModuleNothing()
{
    return 0;
}

} // namespace

int32_t CodecManager::Initialize()
{
    LogInfo("Инициализация менеджера кодеков.");
    if (!codecs)
    {
        codecs.reset(new (std::nothrow) HashMap<String, Ptr<Codec>>());
        if (!codecs)
        {
            LogError("Недостаточно памяти для инициализации менеджера кодеков.");
            return 1;
        }
    }
    LogInfo("Менеджер кодеков инициализирован.");
    return 0;
}

int32_t CodecManager::Terminate()
{
    LogInfo("Завершение работы менеджера кодеков.");
    codecs.reset();
    LogInfo("Менеджер кодеков завершил работу.");
    return 0;
}

int32_t CodecManager::RegisterCodec(Codec* codec)
{
    if (!codec)
    {
        LogWarning("Указатель на кодек равен 0 при регистрации.");
        return 3;
    }
    if (!codecs)
    {
        LogWarning("Невозможно вставить кодек [%s] в таблицу кодеков.", codec->GetName().CStr());
        return 1;
    }
    if (codecs->Find(codec->GetName()))
    {
        LogWarning("Кодек с именем [%s] уже зарегестрирован.", codec->GetName().CStr());
        return 1;
    }
    codecs->Insert(codec->GetName(), Ptr<Codec>(codec));
    return 0;
}

int32_t CodecManager::GetCodec(const String& name, Codec** place)
{
    if (!place)
        return 3;
    *place = nullptr;
    if (codecs)
    {
        if (Ptr<Codec>* found = codecs->Find(name))
        {
            *place = found->Get();
            return 0;
        }
    }

    LogInfo("Загружается кодек [%s].", name.CStr());
    Module* module = ModuleManager::FindModule(name);
    if (!module)
    {
        LogError("Не найден модуль для кодека [%s].", name.CStr());
        return 3;
    }
    CreateCodecFunction createCodec = nullptr;
    if (module->GetFunctionAs(&createCodec, String("CreateCodec")) != 0 || !createCodec)
    {
        LogError("В модуле не найдена функция создания кодека [%s].", name.CStr());
        return 3;
    }
    Codec* created = nullptr;
    if (createCodec(&created) != 0 || !created)
    {
        LogError("Создание кодека [%s] неудачно.", name.CStr());
        return 1;
    }
    // Held here until registered, so a refused codec is destroyed.
    Ptr<Codec> codec = created;
    codec->SetModule(module);
    if (RegisterCodec(codec.Get()) != 0)
    {
        LogError("Невозможно зарегестрировать кодек [%s].", name.CStr());
        return 1;
    }
    *place = codec.Get();
    return 0;
}

Codec* CodecManager::FindCodecForFile(File* file)
{
    if (!codecs)
        return nullptr;
    Codec* chosen = nullptr;
    codecs->ForEach([&](const String&, Ptr<Codec>& codec) {
        if (!codec->AcceptsFile(file))
            return false;
        chosen = codec.Get();
        return true;
    });
    return chosen;
}

uint32_t CodecManager::GetCodecCount()
{
    return codecs ? codecs->Count() : 0;
}

int32_t RegisterBuiltInCodecModule(const String& name, int32_t (*createCodec)(Codec** place))
{
    Ptr<StaticModule> module = new (std::nothrow) StaticModule(name);
    if (!module)
        return 2;
    module->AddFunction(String("Initialize"), &BuiltInModuleNothing);
    module->AddFunction(String("Shutdown"), &BuiltInModuleNothing);
    // Stored as the generic entry type; GetCodec casts it back.
    module->AddFunction(String("CreateCodec"),
                        reinterpret_cast<ModuleFunction>(reinterpret_cast<void (*)()>(createCodec)));
    // On a refusal the last reference is the local one, and the module goes.
    return ModuleManager::RegisterModule(module.Get()) == 0 ? 0 : 1;
}
