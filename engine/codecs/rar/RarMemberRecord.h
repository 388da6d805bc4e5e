#pragma once
#include <cstdint>

#include "engine/core/String.h"

// One file header of an archive as the listing gives it: the header's fields
// as stored, plus where the member's packed data lies in the archive.
struct RarMemberRecord
{
    static constexpr uint32_t kMaxNameLength = 259;

    // file flags
    static constexpr uint16_t kSplitBefore = 0x01;
    static constexpr uint16_t kSplitAfter = 0x02;
    static constexpr uint16_t kEncrypted = 0x04;
    static constexpr uint16_t kSolid = 0x10;
    static constexpr uint16_t kDirectoryFlags = 0xE0;
    static constexpr uint16_t kUnicodeName = 0x200;

    // The stored name (code-page text, backslashes), cut to kMaxNameLength
    // bytes, and for a member with a Unicode name only its code-page part
    // in front of the zero byte.
    String name;
    uint16_t nameLength = 0; // as stored
    uint16_t flags = 0;
    uint32_t packedSize = 0;
    uint32_t unpackedSize = 0;
    uint8_t hostOs = 0;
    uint32_t crc = 0;
    uint32_t fileTime = 0;  // MS-DOS date and time
    uint8_t unpackVersion = 0;
    uint8_t method = 0;
    uint32_t attributes = 0;
    uint32_t dataOffset = 0; // the packed data's first byte in the archive

    // A directory entry: by the directory flags of 2.x headers, else by the
    // host's attributes (0x10 for MS-DOS, OS/2 and Windows; the type bits of
    // a Unix mode).
    bool IsDirectory() const
    {
        if ((flags & kDirectoryFlags) == kDirectoryFlags)
            return true;
        if (hostOs == 3)
            return (attributes & 0xF000) == 0x4000;
        return (attributes & 0x10) != 0;
    }
};
