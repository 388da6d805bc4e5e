#include "engine/files/InputEvent.h"

#include <array>
#include <cstddef>

namespace
{

struct KeyTable
{
    std::array<int32_t, 256> codes;

    KeyTable()
    {
        codes.fill(EngineKey::kNone);
        for (int i = 0; i < 10; ++i)
        {
            codes[0x30 + i] = i;      // digit keys
            codes[0x60 + i] = 74 + i; // numeric pad digits
        }
        for (int i = 0; i < 26; ++i)
            codes[0x41 + i] = 10 + i;
        for (int i = 0; i < 12; ++i)
            codes[0x70 + i] = 50 + i;

        const struct { int virtualKey; int32_t code; } others[] = {
            {0x6B, 36}, {0xDE, 37}, {0x08, 38}, {0xDC, 39}, {0x14, 40}, {0xBC, 41},
            {0x2E, 42}, {0x6F, 43}, {0xBE, 44}, {0x28, 45}, {0x23, 46}, {0x0D, 47},
            {0xBB, 48}, {0x1B, 49}, {0xC0, 62}, {0x24, 63}, {0x2D, 64}, {0xDB, 65},
            {0xA2, 66}, {0x25, 67}, {0xA4, 68}, {0xA0, 69}, {0xBD, 70}, {0x6A, 71},
            {0x22, 72}, {0x90, 73}, {0x6E, 84}, {0x6D, 85}, {0x13, 86}, {0x21, 87},
            {0x2C, 88}, {0xDD, 89}, {0xA3, 90}, {0x27, 91}, {0xA5, 92}, {0xA1, 93},
            {0x91, 94}, {0xBA, 95}, {0xBF, 96}, {0x20, 97}, {0x09, 98}, {0x26, 99},
        };
        for (const auto& entry : others)
            codes[entry.virtualKey] = entry.code;
    }
};

} // namespace

int32_t EngineKeyFromVirtualKey(int32_t virtualKey)
{
    static const KeyTable table;
    if (virtualKey < 0 || virtualKey > 255)
        return EngineKey::kNone;
    return table.codes[static_cast<size_t>(virtualKey)];
}
