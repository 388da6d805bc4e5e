#pragma once
#include <cstdint>

// One video mode the renderer offers. Sizes apply to full-screen modes.
struct DisplayMode
{
    bool fullScreen = true;
    int32_t width = 0;
    int32_t height = 0;
    int32_t colorBits = 32;   // 16 or 32
    int32_t alphaBits = 0;    // 0, 1, 2 or 8
    int32_t depthBits = 24;   // 15, 16, 24 or 32
    int32_t stencilBits = 8;  // 0, 1, 4 or 8
    int32_t samples = 1;      // 1 = no multisampling
    int32_t refresh = 60;
};
