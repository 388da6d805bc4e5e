#pragma once
#include <cstdint>

// Reads a member's packed data most significant bit first. Reading past
// the end yields zero bits instead of touching memory beyond the data; the
// decoder asks Overrun() to notice truncated or hostile data, so no input
// can make it read out of bounds or run forever.
class RarBitInput
{
public:
    void Reset(const uint8_t* bytes, uint32_t size)
    {
        data = bytes;
        dataSize = size;
        bitPosition = 0;
    }

    // The next 16 bits, without consuming them.
    uint32_t Peek16() const
    {
        uint64_t byte = bitPosition >> 3;
        uint32_t shift = static_cast<uint32_t>(bitPosition & 7);
        if (byte + 4 <= dataSize)
        {
            uint32_t word = uint32_t(data[byte]) << 24 | uint32_t(data[byte + 1]) << 16 |
                            uint32_t(data[byte + 2]) << 8 | uint32_t(data[byte + 3]);
            return (word << shift) >> 16;
        }
        uint32_t word = 0;
        for (uint64_t i = 0; i < 3; ++i)
            word = (word << 8) | (byte + i < dataSize ? data[byte + i] : 0u);
        return (word >> (8 - shift)) & 0xFFFF;
    }

    void Skip(uint32_t bits) { bitPosition += bits; }

    // The next count bits (0 to 16) as a number, consumed.
    uint32_t Get(uint32_t count)
    {
        uint32_t value = Peek16() >> (16 - count);
        bitPosition += count;
        return value;
    }

    // True once more bits were consumed than the data holds plus a little
    // slack for the last peek of a well-formed stream.
    bool Overrun() const { return bitPosition > uint64_t(dataSize) * 8 + 32; }

    // Whole bytes not yet reached by the read position.
    uint64_t BytesLeft() const
    {
        uint64_t byte = bitPosition >> 3;
        return byte < dataSize ? dataSize - byte : 0;
    }

private:
    const uint8_t* data = nullptr; // borrowed: the archive's bytes
    uint32_t dataSize = 0;
    uint64_t bitPosition = 0;
};
