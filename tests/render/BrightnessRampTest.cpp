#include <climits>

#include <gtest/gtest.h>

#include "engine/render/BrightnessRamp.h"

namespace
{

// Level 0 is the identity; level 10 moves every entry by 2000, low entries
// stopping at 0 and high ones at the top; extreme levels saturate (a 32-bit
// product would wrap at +-11000000 and land on the wrong side).
TEST(BrightnessRamp, LevelsShiftThenClampWithoutOverflow)
{
    uint16_t ramp[256];
    ASSERT_EQ(BuildBrightnessRamp(0, ramp), 0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(ramp[i], i * 256) << "entry " << i;

    struct Case
    {
        int32_t level;
        int entry;
        int expected;
    };
    for (const Case& c : {Case{-10, 0, 0}, Case{-10, 7, 0}, Case{-10, 8, 48}, Case{-10, 255, 63280}, Case{10, 0, 2000},
                          Case{10, 248, 65488}, Case{10, 249, 65535}, Case{10, 255, 65535}, Case{INT32_MIN, 255, 0},
                          Case{-11000000, 255, 0}, Case{INT32_MAX, 0, 65535}, Case{11000000, 0, 65535}})
    {
        ASSERT_EQ(BuildBrightnessRamp(c.level, ramp), 0);
        EXPECT_EQ(ramp[c.entry], c.expected) << "level " << c.level << " entry " << c.entry;
    }
    EXPECT_EQ(BuildBrightnessRamp(0, nullptr), 3);
}

} // namespace
