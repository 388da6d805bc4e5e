#include "engine/files/VirtualFile.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/core/Log.h"

VirtualFile::VirtualFile(const String& name, std::unique_ptr<uint8_t[]> data, uint32_t dataSize, Module* owner)
    : File(name), owned(std::move(data)), data(owned.get()), dataSize(owned ? dataSize : 0), owner(owner)
{
}

VirtualFile::VirtualFile(const String& name, const uint8_t* data, uint32_t dataSize)
    : File(name), data(data), dataSize(data ? dataSize : 0)
{
}

VirtualFile::~VirtualFile()
{
    // File's destructor would close through its own Close, not this one.
    Close();
}

int32_t VirtualFile::Open(int32_t openMode)
{
    if (IsOpen() && Close() != 0)
    {
        LogWarning("Невозможно закрыть файл [%s].", GetPath().CStr());
        return 1;
    }
    if (openMode != kRead || !data)
        return 1;
    // One byte more than asked keeps an empty member distinct from no
    // buffer at all; the stream still sees dataSize bytes.
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[dataSize ? dataSize : 1]);
    if (!copy)
    {
        LogWarning("Недостаточно памяти для открытия файла [%s].", GetPath().CStr());
        return 2;
    }
    std::memcpy(copy.get(), data, dataSize);
    AdoptBuffer(std::move(copy), dataSize);
    ResetLinks();
    MarkOpen(kRead);
    return 0;
}

int32_t VirtualFile::Close()
{
    if (IsOpen())
    {
        FreeBuffer();
        ResetLinks();
        MarkClosed();
    }
    return 0;
}
