#include "engine/files/FileManager.h"

#include <memory>
#include <new>

#include "engine/core/Log.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/File.h"
#include "engine/files/VirtualFile.h"
#include "platform/Resources.h"

namespace
{

// Null while the manager is stopped.
std::unique_ptr<Directory> root;

} // namespace

int32_t FileManager::Initialize()
{
    LogInfo("Инициализация менеджера файлов.");
    if (!root)
    {
        root.reset(new (std::nothrow) Directory(String()));
        if (!root)
        {
            LogError("Недостаточно памяти для инициализации менеджера файлов.");
            return 1;
        }
    }
    LogInfo("Менеджер файлов инициализирован.");
    return 0;
}

int32_t FileManager::Terminate()
{
    LogInfo("Завершение работы менеджера файлов.");
    root.reset();
    LogInfo("Менеджер файлов завершил работу.");
    return 0;
}

int32_t FileManager::AttachArchive(File* archive, const String& password)
{
    if (!archive)
    {
        LogWarning("Указатель на архив равен 0.");
        return 3;
    }
    Codec* codec = CodecManager::FindCodecForFile(archive);
    if (!codec)
    {
        LogWarning("Не найден кодек для архива [%s].", archive->GetName().CStr());
        return 3;
    }
    std::unique_ptr<Directory> directory;
    int32_t loaded = codec->LoadArchive(archive, &directory, password);
    if (loaded != 0 || !directory)
    {
        // A codec that reports success without a directory has failed too.
        directory.reset();
        LogError("Невозможно загрузить директорию из архива [%s].", archive->GetName().CStr());
        return loaded != 0 ? loaded : 1;
    }
    if (!root || root->AddDirectory(directory.get()) != 0)
    {
        LogError("Невозможно подсоединить директорию [%s] к корню.", directory->GetName().CStr());
        return 1;
    }
    directory.release(); // the root owns it now
    return 0;
}

int32_t FileManager::LoadArchiveResource(int32_t number, const String& name, const String& password)
{
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (int32_t found = GetResourceData(number, &data, &size); found != 0)
    {
        LogWarning("Невозможно прочитать ресурс ID[%d] Имя[%s].", number, name.CStr());
        return found;
    }
    // The file only borrows the bytes, which belong to the executable.
    std::unique_ptr<VirtualFile> archive(new (std::nothrow) VirtualFile(name, data, size));
    if (!archive)
    {
        LogError("Недостаточно памяти для создания виртуального файла.");
        return 2;
    }
    return AttachArchive(archive.get(), password);
}

File* FileManager::FindFile(const String& path)
{
    if (!root)
        return nullptr;
    for (uint32_t i = 0; i < root->GetDirectoryCount(); ++i)
        if (File* found = root->GetDirectory(i)->FindFile(path))
            return found;
    return nullptr;
}

int32_t FileManager::GetResourceData(int32_t number, const uint8_t** data, uint32_t* size)
{
    if (!data || !size)
    {
        LogWarning("Указатель на данные ресурса равен 0.");
        return 3;
    }
    const unsigned char* begin = nullptr;
    size_t length = 0;
    if (!platform::FindResource("MEDIADATA", number, &begin, &length))
    {
        LogError("Невозможно найти ресурс ID[%d].", number);
        return 1;
    }
    // A stream's size is 32-bit; a blob beyond that cannot be handed out.
    if (!begin || length > UINT32_MAX)
    {
        LogError("Невозможно загрузить ресурс ID[%d].", number);
        return 1;
    }
    *data = begin;
    *size = static_cast<uint32_t>(length);
    return 0;
}

Directory* FileManager::GetRoot()
{
    return root.get();
}
