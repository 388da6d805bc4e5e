#pragma once
#include <cstring>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/render/MSFont.h"

// A font from a hand-written parameter file: every code from 32 up has a
// glyph 6 pixels wide advancing 7, lines 10 apart and 12 high; the scales
// the show sets (0.2).
inline Ptr<MSFont> MakeTestFont()
{
    std::string text = "ascent = 10\ndescent = -2\nheight = 12\nxOffset = 0\nyOffset = 0\nnumChars = 224\n";
    for (int code = 32; code < 256; ++code)
        text += "char = " + std::to_string(code) + "; A = 0; B = " + (code == 32 ? "0" : "6") +
                "; C = " + (code == 32 ? "7" : "1") + "; x = 0; y = 10;\n";
    Ptr<MSFont> font = new MSFont(String("test"));
    font->SetParameters(text.c_str(), static_cast<uint32_t>(text.size()));
    font->SetLineScale(0.2f);
    font->SetCharScale(0.2f);
    return font;
}
