#pragma once
#include <cstdint>

// Prefix codes for the packer: code lengths from symbol frequencies,
// limited to the format's 15 bits, and the canonical codes the decoder
// derives from those lengths.
class RarHuffmanEncoder
{
public:
    static constexpr uint32_t kMaxLength = 15;
    static constexpr uint32_t kMaxSymbols = 1028;

    // lengths[i] = 0 for symbols of frequency 0. A lone used symbol gets a
    // partner of length 1 as well, so every code the packer writes is
    // complete (some readers refuse incomplete ones).
    static void BuildLengths(const uint32_t* frequencies, uint32_t count, uint8_t* lengths);

    // Canonical codes: shorter codes first, and within a length, ascending
    // symbols take ascending codes.
    static void BuildCodes(const uint8_t* lengths, uint32_t count, uint16_t* codes);
};
