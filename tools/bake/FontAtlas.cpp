#include "tools/bake/FontAtlas.h"

#include <algorithm>
#include <cstdio>

#include "tools/bake/Canvas.h"
#include "tools/bake/Typeface.h"

namespace
{

// Unicode for Windows-1251 0x80..0xBF (0 for the unassigned 0x98); the
// Cyrillic letters 0xC0..0xFF follow U+0410 in order.
constexpr uint16_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// The code point of a Windows-1251 code; 0 for one that is not printable.
uint32_t CodePoint(uint32_t code)
{
    if (code >= 32 && code <= 126)
        return code;
    if (code >= 0xC0 && code <= 0xFF)
        return 0x0410 + (code - 0xC0);
    if (code >= 0x80 && code < 0xC0)
        return kUpperHalf[code - 0x80];
    return 0;
}

// The glyph picture's width; its height is the power of two the shelves need.
constexpr uint32_t kPictureWidth = 1024;
constexpr uint32_t kLargestSize = 64; // pixels per em tried first

// Where a code's glyph went: its cell's top-left corner and its A-B-C.
struct Placed
{
    uint32_t code = 0;
    uint32_t cellLeft = 0;
    uint32_t cellTop = 0;
    int32_t a = 0;
    uint32_t b = 0;
    int32_t c = 0;
};

} // namespace

int32_t BakeFont(Typeface& typeface, const char* picturePath, const char* parameterPath)
{
    // The largest size whose ink, over every code, fits a cell with a clear
    // row above and below.
    uint32_t size = kLargestSize;
    int32_t above = 0;
    int32_t below = 0;
    for (;; --size)
    {
        if (size < 8 || typeface.SetPixelSize(size) != 0)
        {
            std::fprintf(stderr, "bake: the glyphs do not fit %u rows at any size\n", kCellHeight);
            return 1;
        }
        above = below = 0;
        for (uint32_t code = 32; code < 256; ++code)
        {
            GlyphBitmap glyph;
            const uint32_t point = CodePoint(code);
            if (point == 0)
                continue;
            if (typeface.Render(point, glyph) != 0)
            {
                std::fprintf(stderr, "bake: the font has no glyph for Windows-1251 code %u (U+%04X)\n", code, point);
                return 1;
            }
            if (glyph.rows == 0)
                continue;
            above = std::max(above, glyph.top);
            below = std::max(below, static_cast<int32_t>(glyph.rows) - glyph.top);
        }
        if (above + below + 2 <= static_cast<int32_t>(kCellHeight))
            break;
    }
    const uint32_t baseline = 1 + static_cast<uint32_t>(above); // rows from the cell's top

    // Shelves in code order.
    Placed placed[224];
    uint32_t count = 0;
    uint32_t penX = 0;
    uint32_t shelfTop = 0;
    for (uint32_t code = 32; code < 256; ++code)
    {
        GlyphBitmap glyph;
        if (CodePoint(code) == 0 || typeface.Render(CodePoint(code), glyph) != 0)
            continue;
        const uint32_t cellWidth = glyph.width + 2 * kPadding;
        if (penX + cellWidth > kPictureWidth)
        {
            penX = 0;
            shelfTop += kCellHeight;
        }
        Placed& entry = placed[count++];
        entry.code = code;
        entry.cellLeft = penX;
        entry.cellTop = shelfTop;
        entry.a = glyph.rows > 0 ? glyph.left : 0;
        entry.b = glyph.rows > 0 ? glyph.width : 0;
        entry.c = glyph.advance - entry.a - static_cast<int32_t>(entry.b);
        penX += entry.b + 2 * kPadding;
    }
    uint32_t pictureHeight = kCellHeight;
    while (pictureHeight < shelfTop + kCellHeight)
        pictureHeight *= 2;

    Canvas canvas;
    if (canvas.Create(kPictureWidth, pictureHeight) != 0)
        return 2;
    // White everywhere, so that filtering at the ink's edge blends towards
    // white and never darkens it.
    for (uint32_t y = 0; y < pictureHeight; ++y)
        for (uint32_t x = 0; x < kPictureWidth; ++x)
            std::fill(canvas.At(x, y), canvas.At(x, y) + 3, uint8_t{255});
    for (uint32_t i = 0; i < count; ++i)
    {
        GlyphBitmap glyph;
        typeface.Render(CodePoint(placed[i].code), glyph);
        if (placed[i].b == 0)
            continue;
        const uint32_t top = placed[i].cellTop + baseline - static_cast<uint32_t>(glyph.top);
        for (uint32_t y = 0; y < glyph.rows; ++y)
            for (uint32_t x = 0; x < glyph.width; ++x)
                canvas.At(placed[i].cellLeft + kPadding + x, top + y)[3] = glyph.At(x, y);
    }
    if (canvas.SaveTarga(picturePath) != 0)
        return 1;

    const int32_t ascent = std::max(typeface.LinePitch(), 1);
    std::FILE* out = std::fopen(parameterPath, "wb");
    if (!out)
    {
        std::fprintf(stderr, "bake: cannot write %s\n", parameterPath);
        return 1;
    }
    std::fprintf(out, "ascent = %d\ndescent = %d\nheight = %u\nxOffset = %u\nyOffset = 0\nnumChars = %u\n", ascent,
                 typeface.Descender(), kCellHeight, kPadding, count);
    for (uint32_t i = 0; i < count; ++i)
    {
        const Placed& entry = placed[i];
        std::fprintf(out, "char = %u; A = %d; B = %u; C = %d; x = %u; y = %d;\n", entry.code, entry.a, entry.b, entry.c,
                     entry.cellLeft + kPadding, static_cast<int32_t>(entry.cellTop) + ascent);
    }
    const bool failed = std::ferror(out) != 0;
    if (std::fclose(out) != 0 || failed)
    {
        std::fprintf(stderr, "bake: cannot write %s\n", parameterPath);
        return 1;
    }
    return 0;
}
