#pragma once
#include <cstdint>

#include "engine/codecs/rar/RarBitInput.h"

// One prefix code of the unpack-2.0 format, built from code lengths (0 to
// 15, 0 for an absent symbol) and read from the bit input. Codes of up to
// kQuickBits bits resolve with one table look-up; longer ones search the
// per-length limits. Any lengths, including over-full or empty sets, give a
// decoder that only ever returns symbols below its count.
class RarHuffmanDecoder
{
public:
    static constexpr uint32_t kMaxSymbols = 298;
    static constexpr uint32_t kQuickBits = 10;

    RarHuffmanDecoder() { Build(nullptr, 0); }

    // count is at most kMaxSymbols (larger counts are cut); lengths above
    // 15 count modulo 16.
    void Build(const uint8_t* lengths, uint32_t count);

    uint32_t Decode(RarBitInput& input) const
    {
        uint32_t bits = input.Peek16() & 0xFFFE;
        uint32_t quick = bits >> (16 - kQuickBits);
        if (quickLength[quick] != 0)
        {
            input.Skip(quickLength[quick]);
            return quickSymbol[quick];
        }
        return DecodeLong(bits, input);
    }

private:
    // The length search and index for codes longer than the quick table.
    uint32_t DecodeLong(uint32_t bits, RarBitInput& input) const;
    uint32_t Lookup(uint32_t bits, uint32_t length) const;

    uint32_t symbolCount = 0;
    uint32_t decodeLength[16] = {};   // limit of each length's codes, left-aligned in 16 bits
    uint32_t decodePosition[16] = {}; // index of each length's first symbol in decodeNumber
    uint16_t decodeNumber[kMaxSymbols] = {};
    uint16_t quickSymbol[1u << kQuickBits] = {};
    uint8_t quickLength[1u << kQuickBits] = {}; // 0: the code is longer than kQuickBits
};
