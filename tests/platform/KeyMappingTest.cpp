#include "platform/KeyMapping.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "engine/files/InputEvent.h"

using platform::KeysymToVirtualKey;

namespace
{
// The whole road of a key press: X keysym, then Windows virtual key, then engine key.
int32_t EngineKeyOf(unsigned long keysym)
{
    return EngineKeyFromVirtualKey(KeysymToVirtualKey(keysym));
}
} // namespace

TEST(KeyMapping, KeysymsReachTheEngineKeysOfTheirWindowsCodes)
{
    struct Row
    {
        unsigned long firstKeysym;
        int32_t firstKey;
        unsigned long count;
    };
    const Row rows[] = {
        {XK_a, 10, 26}, {XK_A, 10, 26}, // either case gives the same key
        {XK_0, 0, 10}, {XK_F1, 50, 12}, {XK_KP_0, 74, 10},
    };
    for (const Row& row : rows)
        for (unsigned long i = 0; i < row.count; ++i)
            EXPECT_EQ(EngineKeyOf(row.firstKeysym + i), static_cast<int32_t>(row.firstKey + i))
                << "keysym 0x" << std::hex << row.firstKeysym + i;

    const std::pair<unsigned long, int32_t> pairs[] = {
        {XK_apostrophe, 37},   {XK_BackSpace, 38},    {XK_backslash, 39},       {XK_Caps_Lock, 40},
        {XK_comma, 41},        {XK_Delete, 42},       {XK_Down, 45},            {XK_End, 46},
        {XK_Return, 47},       {XK_equal, 48},        {XK_Escape, 49},          {XK_grave, 62},
        {XK_Home, 63},         {XK_Insert, 64},       {XK_bracketleft, 65},     {XK_Control_L, 66},
        {XK_Left, 67},         {XK_Alt_L, 68},        {XK_Shift_L, 69},         {XK_minus, 70},
        {XK_Next, 72},         {XK_Num_Lock, 73},     {XK_Pause, 86},           {XK_Prior, 87},
        {XK_Print, 88},        {XK_bracketright, 89}, {XK_Control_R, 90},       {XK_Right, 91},
        {XK_Alt_R, 92},        {XK_ISO_Level3_Shift, 92}, {XK_Shift_R, 93},     {XK_Scroll_Lock, 94},
        {XK_semicolon, 95},    {XK_slash, 96},        {XK_space, 97},           {XK_Tab, 98},
        {XK_Up, 99},           {XK_period, 44},
        {XK_KP_Multiply, 71},  {XK_KP_Add, 36},       {XK_KP_Subtract, 85},     {XK_KP_Decimal, 84},
        {XK_KP_Divide, 43},    {XK_KP_Enter, 47},
        // NumLock off: the keypad is a second set of navigation keys.
        {XK_KP_Home, 63},      {XK_KP_Up, 99},        {XK_KP_Next, 72},         {XK_KP_Insert, 64},
    };
    for (const auto& [keysym, engineKey] : pairs)
        EXPECT_EQ(EngineKeyOf(keysym), engineKey) << "keysym 0x" << std::hex << keysym;
}

TEST(KeyMapping, UnknownKeysGiveNoCode)
{
    // The tables stop at F12; F13 must not alias anything.
    const unsigned long unknown[] = {XK_F13, 0, XK_exclam, XK_Super_L, XK_Cyrillic_a, 0xFFFFFFFF};
    for (unsigned long keysym : unknown)
        EXPECT_EQ(KeysymToVirtualKey(keysym), 0) << "keysym 0x" << std::hex << keysym;
    for (int32_t virtualKey : {0, 0x7C, 0x10, 255, 256, -1})
        EXPECT_EQ(EngineKeyFromVirtualKey(virtualKey), EngineKey::kNone) << "virtual key " << virtualKey;
}
