#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/String.h"

// Writes RAR archives in the 2.x container whose members carry unpack
// version 20: the marker, the main header, then one file header per entry,
// each followed by its packed data.
//
// Entries go out in the caller's order with two exceptions that keep other
// readers able to follow a solid stream, which they break at any entry
// without data: every directory entry comes first (so still before its
// members), and in a solid archive the empty files come last.
class RarArchiveWriter
{
public:
    struct Entry
    {
        String name;                   // code-page text, backslashes, at most 259 bytes
        bool directory = false;
        const uint8_t* data = nullptr; // borrowed
        uint32_t size = 0;
        uint32_t dosTime = 0;          // MS-DOS date and time
    };

    struct Options
    {
        bool solid = false;  // one decoder state across all members (main flag 0x08)
        bool store = false;  // every member stored (method 0x30)
        bool audio = false;  // try the multimedia mode on every member
        uint32_t level = 3;  // 1 to 5: effort, and the method 0x30 + level
    };

    // Appends the archive to out. 0; 3 an entry that cannot be written (a
    // name too long or empty; logged); 2 out of memory.
    static int32_t Write(const std::vector<Entry>& entries, const Options& options, std::vector<uint8_t>& out);
};
