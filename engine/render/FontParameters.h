#pragma once
#include <cstdint>

// One character of a font's parameter file, in glyph-texture pixels: the
// A-B-C widths (leading bearing, ink width, trailing bearing), the cell width
// B + 2 x xOffset, and the ink box's left edge x and baseline y.
struct FontGlyph
{
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float cellWidth = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
};

// Everything a parameter file gives: the metrics and a 256-entry glyph
// table indexed by the unsigned character code.
struct FontParameters
{
    float ascent = 0.0f;
    float descent = 0.0f;
    float height = 0.0f;
    float xOffset = 0.0f;
    float yOffset = 0.0f;
    bool present[256] = {};
    FontGlyph glyphs[256];
};

// The largest magnitude a parameter file may give: anything beyond is taken
// for damage rather than a font.
constexpr double kFontParameterLimit = 65536.0;

// Reads a parameter file's text (length bytes, no terminator needed): six
// header lines "name = value" (ascent, descent, height, xOffset, yOffset,
// numChars), then numChars lines "char = c; A = a; B = b; C = c; x = x;
// y = y;". Lines end in LF or CR LF; lines after the last character are
// ignored, and a numChars beyond the lines present stops at the last one.
// integerMetrics reads the header values as integers (the simpler texture
// font), otherwise as floats. Codes outside 0..255 are skipped. 0, with out
// replaced; 1 (out untouched, nothing logged: the caller names the file) for
// a missing or malformed line, a non-finite value, a negative height, B,
// xOffset, x, y or numChars, or a magnitude above kFontParameterLimit.
int32_t ParseFontParameters(const char* text, uint32_t length, bool integerMetrics, FontParameters& out);
