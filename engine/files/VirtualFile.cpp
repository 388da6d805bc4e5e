#include "engine/files/VirtualFile.h"

#include <cstring>
#include <new>
#include <utility>

#include "engine/core/Log.h"

VirtualFile::VirtualFile(const String& name, uint8_t* data, uint32_t dataSize, Module* owner)
    : File(name), data(data), dataSize(data ? dataSize : 0), owner(owner)
{
}

VirtualFile::~VirtualFile()
{
    // File's destructor would close through its own Close, not this one.
    Close();
    delete[] data;
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
    uint8_t* copy = new (std::nothrow) uint8_t[dataSize ? dataSize : 1];
    if (!copy)
    {
        LogWarning("Недостаточно памяти для открытия файла [%s].", GetPath().CStr());
        return 2;
    }
    std::memcpy(copy, data, dataSize);
    AdoptBuffer(copy, dataSize);
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

uint8_t* VirtualFile::DetachData()
{
    dataSize = 0;
    return std::exchange(data, nullptr);
}
