#pragma once
#include <cstddef>
#include <cstdint>

// The reflected CRC-32 (polynomial 0xEDB88320) that archive members and
// headers carry. Table driven, eight bytes per step: every member of every
// mounted archive is checked at start-up.
class RarCrc32
{
public:
    // The CRC of size bytes; pass the previous result as crc to continue a
    // running check over several pieces.
    static uint32_t Compute(const void* data, size_t size, uint32_t crc = 0);
};
