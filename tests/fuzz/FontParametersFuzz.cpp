// Feeds arbitrary text to the font parameter parser in both of its forms:
// whatever the bytes, it must refuse them or give a table every layout can
// use (finite, in range, cells as wide as their ink and padding), never
// crash or read past the text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "engine/render/FontParameters.h"

namespace
{
bool Usable(float value)
{
    return std::isfinite(value) && std::fabs(value) <= kFontParameterLimit;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFF)
        return 0;
    static FontParameters read;
    for (bool integers : {false, true})
    {
        if (ParseFontParameters(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size), integers, read) != 0)
            continue;
        if (!Usable(read.ascent) || !Usable(read.descent) || !Usable(read.yOffset) || !(read.height >= 0.0f) ||
            !(read.xOffset >= 0.0f))
            std::abort();
        for (uint32_t code = 0; code < 256; ++code)
        {
            const FontGlyph& glyph = read.glyphs[code];
            if (read.present[code] && (!(glyph.b >= 0.0f) || !(glyph.x >= 0.0f) || !(glyph.y >= 0.0f) ||
                                       !Usable(glyph.a) || !Usable(glyph.c) ||
                                       glyph.cellWidth != glyph.b + 2.0f * read.xOffset))
                std::abort();
        }
    }
    return 0;
}
