#pragma once
#include <cstdint>

class Typeface;

// The message window's font: every printable Windows-1251 code (32..126
// and 128..255 but the unassigned 0x98) rendered from the typeface into a
// glyph picture, white with the coverage in alpha, and the parameter file
// MSFont reads for it. Cells are kCellHeight rows tall and B + 2 x
// kPadding columns wide, in shelves of the picture's width; the padding
// columns and the rows above and below the ink stay clear, so filtering
// never reaches a neighbour. The file gives x = cell left + xOffset and
// y = cell top + ascent (ascent being the line pitch, yOffset 0), which is
// where the layout looks for the cell. 0; 1 a code has no glyph or a file
// is not written (said on stderr); 2 out of memory.
int32_t BakeFont(Typeface& typeface, const char* picturePath, const char* parameterPath);

// The cell height in pixels and the clear columns each side of the ink.
constexpr uint32_t kCellHeight = 64;
constexpr uint32_t kPadding = 2;
