#pragma once
#include <cstdint>

// The constants of the unpack-2.0 bit stream, shared by the decoder and the
// encoder so that both read the same tables.
namespace rar20
{

constexpr uint32_t kLiteralSymbols = 298;  // 256 bytes, 256 repeat, 257-260 old distances,
                                           // 261-268 short distances, 269 new tables, 270-297 lengths
constexpr uint32_t kDistanceSymbols = 48;
constexpr uint32_t kRepeatSymbols = 28;
constexpr uint32_t kBitLengthSymbols = 19;
constexpr uint32_t kAudioSymbols = 257;    // 256 deltas and 256 for new tables
constexpr uint32_t kLzTableSize = kLiteralSymbols + kDistanceSymbols + kRepeatSymbols;
constexpr uint32_t kMaxTableSize = 4 * kAudioSymbols;

constexpr uint32_t kRepeatLast = 256;
constexpr uint32_t kOldDistanceFirst = 257;
constexpr uint32_t kShortDistanceFirst = 261;
constexpr uint32_t kNewTables = 269;
constexpr uint32_t kLengthFirst = 270;
constexpr uint32_t kAudioNewTables = 256;

constexpr uint8_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                     24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                     2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

constexpr uint32_t kDistanceBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr uint8_t kDistanceBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                       7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                       15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};

constexpr uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// The bit-length code's run symbols.
constexpr uint32_t kRepeatPrevious = 16; // 3 + 2 bits copies of the entry before
constexpr uint32_t kShortZeros = 17;     // 3 + 3 bits zeros
constexpr uint32_t kLongZeros = 18;      // 11 + 7 bits zeros

// Copies at far distances carry implicitly longer lengths.
constexpr uint32_t NewDistanceBonus(uint32_t distance)
{
    return (distance >= 0x2000 ? 1 : 0) + (distance >= 0x40000 ? 1 : 0);
}
constexpr uint32_t OldDistanceBonus(uint32_t distance)
{
    return (distance >= 0x101 ? 1 : 0) + NewDistanceBonus(distance);
}

} // namespace rar20
