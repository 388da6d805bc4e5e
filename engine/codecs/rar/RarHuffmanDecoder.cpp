#include "engine/codecs/rar/RarHuffmanDecoder.h"

#include <cstring>

void RarHuffmanDecoder::Build(const uint8_t* lengths, uint32_t count)
{
    if (count > kMaxSymbols)
        count = kMaxSymbols;
    symbolCount = count;

    uint32_t lengthCount[16] = {};
    for (uint32_t i = 0; i < count; ++i)
        ++lengthCount[lengths[i] & 15];
    lengthCount[0] = 0;

    // 64-bit: an over-full set of lengths doubles past 32 bits before the
    // limits are capped.
    uint64_t code = 0;
    decodeLength[0] = 0;
    decodePosition[0] = 0;
    for (uint32_t i = 1; i < 16; ++i)
    {
        code = 2 * (code + lengthCount[i]);
        uint64_t limit = code << (15 - i);
        decodeLength[i] = limit > 0xFFFF ? 0xFFFF : static_cast<uint32_t>(limit);
        decodePosition[i] = decodePosition[i - 1] + lengthCount[i - 1];
    }

    std::memset(decodeNumber, 0, sizeof(decodeNumber));
    uint32_t next[16];
    std::memcpy(next, decodePosition, sizeof(next));
    for (uint32_t symbol = 0; symbol < count; ++symbol)
        if (uint32_t length = lengths[symbol] & 15; length != 0)
            decodeNumber[next[length]++] = static_cast<uint16_t>(symbol);

    // Each quick entry is what the full search gives for every 16-bit value
    // with that prefix: the limits of lengths up to kQuickBits are multiples
    // of 2^(16 - kQuickBits), so the low bits cannot change the outcome.
    uint32_t length = 1;
    for (uint32_t prefix = 0; prefix < (1u << kQuickBits); ++prefix)
    {
        uint32_t bits = prefix << (16 - kQuickBits);
        while (length <= 14 && bits >= decodeLength[length])
            ++length;
        if (length <= kQuickBits)
        {
            quickLength[prefix] = static_cast<uint8_t>(length);
            quickSymbol[prefix] = static_cast<uint16_t>(Lookup(bits, length));
        }
        else
        {
            quickLength[prefix] = 0;
            quickSymbol[prefix] = 0;
        }
    }
}

uint32_t RarHuffmanDecoder::DecodeLong(uint32_t bits, RarBitInput& input) const
{
    uint32_t length = kQuickBits + 1;
    while (length <= 14 && bits >= decodeLength[length])
        ++length;
    input.Skip(length);
    return Lookup(bits, length);
}

uint32_t RarHuffmanDecoder::Lookup(uint32_t bits, uint32_t length) const
{
    uint32_t index = decodePosition[length] + ((bits - decodeLength[length - 1]) >> (16 - length));
    return index < symbolCount ? decodeNumber[index] : decodeNumber[0];
}
