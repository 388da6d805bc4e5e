#pragma once
#include <cstdint>

class RarBitOutput;

// Writes a table of code lengths the way the decoder reads it: a two- or
// four-bit header, the 19 lengths of the bit-length code, then each entry
// as a change against the previous table or as runs. Both ways of starting
// (keeping the previous table for the changes, or clearing it) are costed,
// and the runs are chosen by a shortest-path search over the entries, so
// a table that barely changed costs little to send again.
class RarTableEncoder
{
public:
    // The table as a whole: audio mode, channel count (audio only), entries.
    struct Table
    {
        bool audio = false;
        uint32_t channels = 1;
        const uint8_t* lengths = nullptr;
        uint32_t size = 0;
    };

    // Bits that Write would produce.
    static uint64_t Cost(const Table& table, const uint8_t* previous);

    // Writes the table and turns previous (4 x 257 entries) into what the
    // decoder keeps after reading it.
    static void Write(RarBitOutput& out, const Table& table, uint8_t* previous);
};
