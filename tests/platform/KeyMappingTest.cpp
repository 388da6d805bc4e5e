#include "platform/KeyMapping.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using platform::KeysymToVirtualKey;

TEST(KeyMapping, RowsOfKeysKeepTheirOrder)
{
    struct Row
    {
        unsigned long firstKeysym;
        int32_t firstCode;
        unsigned long count;
    };
    const Row rows[] = {
        {XK_a, 0x41, 26}, {XK_A, 0x41, 26}, // either case gives the same key
        {XK_0, 0x30, 10}, {XK_F1, 0x70, 12}, {XK_KP_0, 0x60, 10},
    };
    for (const Row& row : rows)
        for (unsigned long i = 0; i < row.count; ++i)
            EXPECT_EQ(KeysymToVirtualKey(row.firstKeysym + i), static_cast<int32_t>(row.firstCode + i))
                << "keysym 0x" << std::hex << row.firstKeysym + i;
}

TEST(KeyMapping, NamedKeysGiveTheirWindowsNumbers)
{
    struct Pair
    {
        unsigned long keysym;
        int32_t code;
    };
    const Pair pairs[] = {
        {XK_apostrophe, 0xDE}, {XK_BackSpace, 0x08},   {XK_backslash, 0xDC},    {XK_Caps_Lock, 0x14},
        {XK_comma, 0xBC},      {XK_Delete, 0x2E},      {XK_Down, 0x28},         {XK_End, 0x23},
        {XK_Return, 0x0D},     {XK_equal, 0xBB},       {XK_Escape, 0x1B},       {XK_grave, 0xC0},
        {XK_Home, 0x24},       {XK_Insert, 0x2D},      {XK_bracketleft, 0xDB},  {XK_Control_L, 0xA2},
        {XK_Left, 0x25},       {XK_Alt_L, 0xA4},       {XK_Shift_L, 0xA0},      {XK_minus, 0xBD},
        {XK_Next, 0x22},       {XK_Num_Lock, 0x90},    {XK_Pause, 0x13},        {XK_Prior, 0x21},
        {XK_Print, 0x2C},      {XK_bracketright, 0xDD}, {XK_Control_R, 0xA3},   {XK_Right, 0x27},
        {XK_Alt_R, 0xA5},      {XK_ISO_Level3_Shift, 0xA5}, {XK_Shift_R, 0xA1}, {XK_Scroll_Lock, 0x91},
        {XK_semicolon, 0xBA},  {XK_slash, 0xBF},       {XK_space, 0x20},        {XK_Tab, 0x09},
        {XK_Up, 0x26},         {XK_period, 0xBE},
        {XK_KP_Multiply, 0x6A}, {XK_KP_Add, 0x6B},     {XK_KP_Subtract, 0x6D},  {XK_KP_Decimal, 0x6E},
        {XK_KP_Divide, 0x6F},  {XK_KP_Enter, 0x0D},
        // NumLock off: the keypad is a second set of navigation keys.
        {XK_KP_Home, 0x24},    {XK_KP_Up, 0x26},       {XK_KP_Next, 0x22},      {XK_KP_Insert, 0x2D},
    };
    for (const Pair& pair : pairs)
        EXPECT_EQ(KeysymToVirtualKey(pair.keysym), pair.code) << "keysym 0x" << std::hex << pair.keysym;
}

TEST(KeyMapping, UnknownKeysymsGiveZero)
{
    // The engine's table stops at F12; F13 must not alias anything.
    EXPECT_EQ(KeysymToVirtualKey(XK_F13), 0);
    EXPECT_EQ(KeysymToVirtualKey(0ul), 0);
    EXPECT_EQ(KeysymToVirtualKey(XK_exclam), 0);
    EXPECT_EQ(KeysymToVirtualKey(XK_Super_L), 0);
    EXPECT_EQ(KeysymToVirtualKey(XK_Cyrillic_a), 0);
    EXPECT_EQ(KeysymToVirtualKey(0xFFFFFFFFul), 0);
}
