#include "engine/files/File.h"

#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>
#include <utility>

#include "engine/core/Log.h"
#include "engine/files/Directory.h"

File::File(const String& name) : Stream(0, 1024), Named(name)
{
}

File::~File()
{
    LogInfo("Удаляется файл [%s].", GetPath().CStr());
    if (open && Close() != 0)
        ForceClose();
    if (directory && directory->RemoveFile(this) != 0)
        LogWarning("Невозможно отсоединить файл [%s] от родительской директории.", GetName().CStr());
}

uint32_t File::GetSize()
{
    if (IsOpenForReading())
        return Stream::GetSize();
    if (open)
        return GetPosition();
    if (Open(kRead) != 0)
    {
        LogWarning("Файл [%s] не может быть открыть для чтения.", GetPath().CStr());
        return 0;
    }
    uint32_t length = Stream::GetSize();
    if (Close() != 0)
        LogWarning("Файл [%s] не может быть закрыт.", GetPath().CStr());
    return length;
}

int32_t File::Write(const void* bytes, uint32_t count)
{
    if (!open)
    {
        LogWarning("Запись в закрытый файл [%s].", GetPath().CStr());
        Fail(1);
        return 1;
    }
    if (IsOpenForReading())
    {
        LogWarning("Запись в файл [%s], открытый для чтения.", GetPath().CStr());
        Fail(1);
        return 1;
    }
    return Stream::Write(bytes, count);
}

int32_t File::Read(void* bytes, uint32_t count)
{
    if (!open)
    {
        LogWarning("Чтение из закрытого файла [%s].", GetPath().CStr());
        Fail(1);
        return 1;
    }
    if (!IsOpenForReading())
    {
        LogWarning("Чтение из файла [%s], открытого для записи.", GetPath().CStr());
        Fail(1);
        return 1;
    }
    return Stream::Read(bytes, count);
}

int32_t File::Open(int32_t openMode)
{
    if (open && Close() != 0)
    {
        LogWarning("Невозможно закрыть файл [%s].", GetPath().CStr());
        ForceClose();
    }

    const char* cMode = openMode == kWrite ? "wb" : openMode == kAppend ? "ab" : "rb";
    String path = GetSystemPath();
    FILE* opened = std::fopen(path.CStr(), cMode);
    if (!opened)
    {
        LogWarning("Невозможно открыть файл [%s].", GetPath().CStr());
        return 1;
    }

    if (openMode != kWrite && openMode != kAppend)
    {
        // The length must fit the stream's 32-bit size; a directory or a
        // device has no length to read in and is refused the same way.
        struct stat info;
        if (fstat(fileno(opened), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
            static_cast<uint64_t>(info.st_size) > UINT32_MAX)
        {
            std::fclose(opened);
            LogWarning("Невозможно открыть файл [%s].", GetPath().CStr());
            return 1;
        }
        uint32_t length = static_cast<uint32_t>(info.st_size);
        std::unique_ptr<uint8_t[]> bytes;
        if (length > 0)
        {
            bytes.reset(new (std::nothrow) uint8_t[length]);
            if (!bytes)
            {
                std::fclose(opened);
                LogWarning("Невозможно открыть файл [%s].", GetPath().CStr());
                return 2;
            }
            // A file that shrinks while it is read is refused rather than
            // handed over with a stale tail.
            if (std::fread(bytes.get(), 1, length, opened) != length)
            {
                std::fclose(opened);
                LogWarning("Невозможно открыть файл [%s].", GetPath().CStr());
                return 1;
            }
        }
        AdoptBuffer(std::move(bytes), length);
    }
    else
    {
        FreeBuffer();
    }

    handle = opened;
    mode = openMode;
    open = true;
    SetPosition(0);
    ResetLinks();
    return 0;
}

int32_t File::Close()
{
    if (!open)
        return 0;
    if (handle && (mode == kWrite || mode == kAppend))
    {
        uint32_t count = GetPosition();
        if (count > 0 && std::fwrite(GetBuffer(), 1, count, handle) != count)
        {
            LogWarning("В файл [%s] записаны не все данные.", GetPath().CStr());
            return 1;
        }
        // What the C library still buffers goes out now; a failure here
        // loses data just like a short write, but the handle is gone either
        // way.
        int closed = std::fclose(handle);
        handle = nullptr;
        FreeBuffer();
        ResetLinks();
        open = false;
        if (closed != 0)
        {
            LogWarning("В файл [%s] записаны не все данные.", GetPath().CStr());
            return 1;
        }
        return 0;
    }
    ForceClose();
    return 0;
}

void File::ForceClose()
{
    if (handle)
        std::fclose(handle);
    handle = nullptr;
    FreeBuffer();
    ResetLinks();
    open = false;
}

String File::GetPath() const
{
    if (!directory)
        return GetName();
    String base = directory->GetFullPath();
    std::string path(base.View());
    path.append(GetName().View());
    return String(std::string_view(path));
}

String File::GetSystemPath() const
{
    String path = GetPath();
    std::string converted(path.View());
    for (char& c : converted)
        if (c == '\\')
            c = '/';
    return String(std::string_view(converted));
}

String File::GetExtension() const
{
    std::string_view name = GetName().View();
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return String();
    return String(name.substr(dot + 1));
}
