#include "tools/bake/Typeface.h"

#include <algorithm>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H

Typeface::~Typeface()
{
    if (face)
        FT_Done_Face(face);
    if (library)
        FT_Done_FreeType(library);
}

int32_t Typeface::Open(const char* path)
{
    if (FT_Init_FreeType(&library) != 0)
    {
        library = nullptr;
        std::fprintf(stderr, "bake: FreeType does not start\n");
        return 1;
    }
    if (FT_New_Face(library, path, 0, &face) != 0)
    {
        face = nullptr;
        std::fprintf(stderr, "bake: %s is not a font FreeType reads\n", path);
        return 1;
    }
    return 0;
}

int32_t Typeface::SetPixelSize(uint32_t pixels)
{
    return face && FT_Set_Pixel_Sizes(face, 0, pixels) == 0 ? 0 : 1;
}

int32_t Typeface::LinePitch() const
{
    return face ? static_cast<int32_t>((face->size->metrics.height + 32) >> 6) : 0;
}

int32_t Typeface::Descender() const
{
    return face ? static_cast<int32_t>((-face->size->metrics.descender + 32) >> 6) : 0;
}

namespace
{

// Narrows the bitmap to its ink: FreeType may leave blank columns and rows
// at its edges, and the font's B width must be the ink's. A blank glyph
// ends up 0 x 0.
void Trim(GlyphBitmap& glyph)
{
    uint32_t left = glyph.width;
    uint32_t right = 0;
    uint32_t top = glyph.rows;
    uint32_t bottom = 0;
    for (uint32_t y = 0; y < glyph.rows; ++y)
        for (uint32_t x = 0; x < glyph.width; ++x)
            if (glyph.At(x, y) != 0)
            {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    if (left >= right)
    {
        glyph.width = glyph.rows = 0;
        return;
    }
    glyph.coverage += static_cast<int64_t>(top) * glyph.pitch + left;
    glyph.left += static_cast<int32_t>(left);
    glyph.top -= static_cast<int32_t>(top);
    glyph.width = right - left;
    glyph.rows = bottom - top;
}

} // namespace

int32_t Typeface::Render(uint32_t codePoint, GlyphBitmap& out)
{
    if (!face)
        return 1;
    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
    // Light hinting fits stems to rows only, which keeps the shapes and the
    // advances true to the design.
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
        return 1;
    const FT_GlyphSlot slot = face->glyph;
    if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && slot->bitmap.rows > 0)
        return 1;
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    out.width = slot->bitmap.width;
    out.rows = slot->bitmap.rows;
    out.pitch = slot->bitmap.pitch;
    out.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    out.coverage = slot->bitmap.buffer;
    Trim(out);
    return 0;
}
