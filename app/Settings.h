#pragma once
#include <cstdint>

// The user's settings of the common screensaver layer. Each key name below
// is used in the defaults table and as the stored value's name.
struct Settings
{
    bool showFps = false;            // "ShowFPS"
    bool exitOnMouseMove = true;     // "ExitOnMouseMove"
    bool showTime = true;            // "ShowTime"
    bool useDesktopSettings = true;  // "UseDesktopSettings"
    bool music = true;               // "Music"
    bool sfx = true;                 // "SFX"
    bool hour24 = true;              // "Hour24"
    int32_t volume = 80;             // "Volume": 0..100; users clamp larger and negative values
    int32_t width = 800;             // "Width"
    int32_t height = 600;            // "Height"
    int32_t colorDepth = 32;         // "ColorDepth"
    int32_t antiAliasing = 0;        // "AntiAliasing": stored and logged only
    int32_t gamma = 100;             // "Gamma": brightness given to the renderer at start
};

// The mode numbers are logged and compared, so they are fixed.
enum ScreensaverMode : int32_t
{
    kModePreview = 0,
    kModeShow = 1,
    kModeShowT = 2,
    kModeConfigure = 3,
    kModePassword = 4,
};
