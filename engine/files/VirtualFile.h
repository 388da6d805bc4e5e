#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Ptr.h"
#include "engine/files/File.h"
#include "engine/files/Module.h"

// A file whose whole content is already in memory (an unpacked archive
// member). Opening copies the content into the stream buffer, so readers can
// move through it freely and closing drops only the copy. Read-only: writes
// are refused like writes to a file open for reading.
class VirtualFile : public File
{
public:
    // Owns data (dataSize bytes, or none for no content). owner is the
    // module whose codec made the content: it stays loaded while the file
    // lives.
    VirtualFile(const String& name, std::unique_ptr<uint8_t[]> data, uint32_t dataSize, Module* owner = nullptr);

    // Borrows data (or none) for bytes the file never owns, such as resource
    // bytes that belong to the executable: they must outlive the file, which
    // only ever reads them.
    VirtualFile(const String& name, const uint8_t* data, uint32_t dataSize);

    // A plain block of writable bytes is most likely one the caller means
    // to hand over: it must come as a unique_ptr (or as const to borrow).
    VirtualFile(const String& name, uint8_t* data, uint32_t dataSize, Module* owner = nullptr) = delete;

    // Drops the owner.
    ~VirtualFile() override;

    // Only kRead opens, and only with data (1 otherwise, silently); 2 when
    // the copy cannot be allocated.
    int32_t Open(int32_t openMode) override;
    int32_t Close() override;

    bool IsOnDisk() const override { return false; }

    const uint8_t* GetData() const { return data; }
    uint32_t GetDataSize() const { return dataSize; }
    Module* GetOwner() const { return owner.Get(); }

private:
    std::unique_ptr<uint8_t[]> owned; // the content when the file owns it
    const uint8_t* data = nullptr;    // the content, owned or borrowed
    uint32_t dataSize = 0;
    Ptr<Module> owner;
};
