#pragma once
#include <cstdint>

class Typeface;

// The pictures drawn over the show, written into folder under the names
// the application loads them by:
//  - loader.jpg (800 x 600): the title card, a morning sky over a meadow
//    with the title set in the typeface;
//  - 4loader_ld/_rd/_lu/_ru.tga (128 x 128): one floral ornament turned to
//    hug the bottom-left, bottom-right, top-left and top-right corner;
//  - digit_0..9, digit_dot, digit_ddot, digit_a, digit_p, digit_m .tga
//    (64 x 128): the clock's characters, soft white glyphs of the typeface
//    on a faint dark halo that keeps them readable on a bright sky.
// 0; 1 a glyph is missing or a file is not written (said on stderr); 2 out
// of memory.
int32_t BakeOverlays(Typeface& typeface, const char* folder);
