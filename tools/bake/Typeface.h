#pragma once
#include <cstdint>

// FreeType's handles, kept out of every header but this one's source.
struct FT_LibraryRec_;
struct FT_FaceRec_;

// One rendered glyph: 8-bit coverage rows, top row first, valid until the
// face renders the next one. left and top place the bitmap against the pen
// on the baseline (top counts up from the baseline to the first row).
struct GlyphBitmap
{
    int32_t left = 0;
    int32_t top = 0;
    uint32_t width = 0;
    uint32_t rows = 0;
    int32_t pitch = 0;
    int32_t advance = 0; // whole pixels
    const uint8_t* coverage = nullptr;

    uint8_t At(uint32_t x, uint32_t y) const { return coverage[static_cast<int64_t>(y) * pitch + x]; }
};

// A font file opened through FreeType at one pixel size, so the baker sees
// glyphs as coverage and never touches FreeType's types itself.
class Typeface
{
public:
    Typeface() = default;
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    // 0; 1 when the file is not a font FreeType reads (said on stderr).
    int32_t Open(const char* path);
    // Pixels per em. 0; 1 refused.
    int32_t SetPixelSize(uint32_t pixels);
    // The distance between baselines at the current size, whole pixels.
    int32_t LinePitch() const;
    // The font's descender below the baseline, whole pixels (positive).
    int32_t Descender() const;
    // Renders the Unicode code point, the bitmap trimmed to its ink. 0; 1
    // when the font has no glyph for it or FreeType fails.
    int32_t Render(uint32_t codePoint, GlyphBitmap& out);

private:
    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_* face = nullptr;
};
