#include "engine/codecs/rar/RarCrc32.h"

#include <array>

namespace
{

using Tables = std::array<std::array<uint32_t, 256>, 8>;

// Table k advances a byte through k further zero bytes, so eight input
// bytes fold in with eight independent look-ups.
constexpr Tables MakeTables()
{
    Tables tables{};
    for (uint32_t i = 0; i < 256; ++i)
    {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320u : 0u);
        tables[0][i] = crc;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    return tables;
}

constexpr Tables kTables = MakeTables();

} // namespace

uint32_t RarCrc32::Compute(const void* data, size_t size, uint32_t crc)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    crc = ~crc;
    while (size >= 8)
    {
        uint32_t low = crc ^ (uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                              uint32_t(bytes[3]) << 24);
        uint32_t high = uint32_t(bytes[4]) | uint32_t(bytes[5]) << 8 | uint32_t(bytes[6]) << 16 |
                        uint32_t(bytes[7]) << 24;
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
              kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
        bytes += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes++) & 0xFF];
    return ~crc;
}
