#include "platform/KeyMapping.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using platform::KeysymToVirtualKey;

TEST(KeyMapping, LettersOfEitherCaseGiveTheSameKey)
{
    for (unsigned long i = 0; i < 26; ++i)
    {
        EXPECT_EQ(KeysymToVirtualKey(XK_a + i), static_cast<int32_t>(0x41 + i)) << "letter " << i;
        EXPECT_EQ(KeysymToVirtualKey(XK_A + i), static_cast<int32_t>(0x41 + i)) << "letter " << i;
    }
}

TEST(KeyMapping, DigitAndFunctionRowsKeepTheirOrder)
{
    for (unsigned long i = 0; i < 10; ++i)
        EXPECT_EQ(KeysymToVirtualKey(XK_0 + i), static_cast<int32_t>(0x30 + i));
    for (unsigned long i = 0; i < 12; ++i)
        EXPECT_EQ(KeysymToVirtualKey(XK_F1 + i), static_cast<int32_t>(0x70 + i));
    // The engine's table stops at F12; F13 must not alias anything.
    EXPECT_EQ(KeysymToVirtualKey(XK_F13), 0);
}

TEST(KeyMapping, KeypadGivesDigitOperatorAndNavigationCodes)
{
    for (unsigned long i = 0; i < 10; ++i)
        EXPECT_EQ(KeysymToVirtualKey(XK_KP_0 + i), static_cast<int32_t>(0x60 + i));
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Multiply), 0x6A);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Add), 0x6B);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Subtract), 0x6D);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Decimal), 0x6E);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Divide), 0x6F);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Enter), 0x0D);
    // NumLock off: the keypad is a second set of navigation keys.
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Home), 0x24);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Up), 0x26);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Next), 0x22);
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Insert), 0x2D);
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
    };
    for (const Pair& pair : pairs)
        EXPECT_EQ(KeysymToVirtualKey(pair.keysym), pair.code) << "keysym 0x" << std::hex << pair.keysym;
}

TEST(KeyMapping, UnknownKeysymsGiveZero)
{
    EXPECT_EQ(KeysymToVirtualKey(0ul), 0);
    EXPECT_EQ(KeysymToVirtualKey(XK_exclam), 0);
    EXPECT_EQ(KeysymToVirtualKey(XK_Super_L), 0);
    EXPECT_EQ(KeysymToVirtualKey(XK_Cyrillic_a), 0);
    EXPECT_EQ(KeysymToVirtualKey(0xFFFFFFFFul), 0);
}
