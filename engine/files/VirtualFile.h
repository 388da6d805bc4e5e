#pragma once
#include <cstdint>

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
    // Takes ownership of data (a new[] block of dataSize bytes, or null for
    // no content). owner is the module whose codec made the content: it stays
    // loaded while the file lives.
    VirtualFile(const String& name, uint8_t* data, uint32_t dataSize, Module* owner = nullptr);

    // Frees the data unless it was detached, and drops the owner.
    ~VirtualFile() override;

    // Only kRead opens, and only with data (1 otherwise, silently); 2 when
    // the copy cannot be allocated.
    int32_t Open(int32_t openMode) override;
    int32_t Close() override;

    // Gives up the content without freeing it, for bytes the file never
    // owned (resource bytes that belong to the executable).
    uint8_t* DetachData();

    const uint8_t* GetData() const { return data; }
    uint32_t GetDataSize() const { return dataSize; }
    Module* GetOwner() const { return owner.Get(); }

private:
    uint8_t* data = nullptr;  // owned unless detached
    uint32_t dataSize = 0;
    Ptr<Module> owner;
};
