#include <climits>

#include <gtest/gtest.h>

#include "engine/render/BrightnessRamp.h"

namespace
{

TEST(BrightnessRamp, LevelZeroIsTheIdentityAndOtherLevelsShiftThenClamp)
{
    uint16_t ramp[256];
    ASSERT_EQ(BuildBrightnessRamp(0, ramp), 0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(ramp[i], i * 256) << "entry " << i;

    // Level 10 moves every entry by 2000; low entries stop at 0, high at the top.
    struct Case
    {
        int32_t level;
        int entry;
        int expected;
    };
    for (const Case& c : {Case{-10, 0, 0}, Case{-10, 7, 0}, Case{-10, 8, 48}, Case{-10, 255, 63280}, Case{10, 0, 2000},
                          Case{10, 248, 65488}, Case{10, 249, 65535}, Case{10, 255, 65535}})
    {
        ASSERT_EQ(BuildBrightnessRamp(c.level, ramp), 0);
        EXPECT_EQ(ramp[c.entry], c.expected) << "level " << c.level << " entry " << c.entry;
    }
}

TEST(BrightnessRamp, ExtremeLevelsSaturateWithoutOverflow)
{
    uint16_t ramp[256];
    // A 32-bit product would wrap at +-11000000 and land on the wrong side.
    for (int32_t level : {INT32_MIN, INT32_MAX, 11000000, -11000000})
    {
        ASSERT_EQ(BuildBrightnessRamp(level, ramp), 0);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(ramp[i], level < 0 ? 0 : 65535) << "level " << level << " entry " << i;
    }
}

TEST(BrightnessRamp, RefusesMissingOutput)
{
    EXPECT_EQ(BuildBrightnessRamp(0, nullptr), 3);
}

} // namespace
