#pragma once
#include <cstdint>
#include <vector>

// Writes a member's packed data most significant bit first, the order the
// unpack-2.0 decoder reads it in.
class RarBitOutput
{
public:
    explicit RarBitOutput(std::vector<uint8_t>& bytes) : bytes(bytes) {}

    // The low count bits of value (count 0 to 24).
    void Put(uint32_t value, uint32_t count)
    {
        if (count == 0)
            return;
        pending = (pending << count) | (value & ((1u << count) - 1));
        pendingBits += count;
        written += count;
        while (pendingBits >= 8)
        {
            pendingBits -= 8;
            bytes.push_back(static_cast<uint8_t>(pending >> pendingBits));
        }
    }

    // Pads the last byte with zero bits.
    void Finish()
    {
        if (pendingBits > 0)
            bytes.push_back(static_cast<uint8_t>(pending << (8 - pendingBits)));
        pendingBits = 0;
    }

    uint64_t BitsWritten() const { return written; }

private:
    std::vector<uint8_t>& bytes; // borrowed: the caller's output
    uint64_t pending = 0;
    uint32_t pendingBits = 0;
    uint64_t written = 0;
};
