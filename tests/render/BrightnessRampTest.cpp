#include <climits>

#include <gtest/gtest.h>

#include "engine/render/BrightnessRamp.h"

namespace
{

TEST(BrightnessRamp, LevelZeroIsTheIdentityRamp)
{
    uint16_t ramp[256];
    ASSERT_EQ(BuildBrightnessRamp(0, ramp), 0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(ramp[i], i * 256) << "entry " << i;
}

TEST(BrightnessRamp, NegativeLevelClampsLowEntriesToZero)
{
    uint16_t ramp[256];
    ASSERT_EQ(BuildBrightnessRamp(-10, ramp), 0);   // offset -2000
    EXPECT_EQ(ramp[0], 0);
    EXPECT_EQ(ramp[7], 0);      // 1792 - 2000
    EXPECT_EQ(ramp[8], 48);     // 2048 - 2000
    EXPECT_EQ(ramp[255], 63280);
}

TEST(BrightnessRamp, LargeLevelClampsHighEntriesToTheTop)
{
    uint16_t ramp[256];
    ASSERT_EQ(BuildBrightnessRamp(10, ramp), 0);    // offset +2000
    EXPECT_EQ(ramp[0], 2000);
    EXPECT_EQ(ramp[248], 65488);
    EXPECT_EQ(ramp[249], 65535);
    EXPECT_EQ(ramp[255], 65535);
}

TEST(BrightnessRamp, ExtremeLevelsSaturateWithoutOverflow)
{
    uint16_t low[256], high[256];
    ASSERT_EQ(BuildBrightnessRamp(INT32_MIN, low), 0);
    ASSERT_EQ(BuildBrightnessRamp(INT32_MAX, high), 0);
    // A 32-bit product would wrap and put these on the wrong side.
    ASSERT_EQ(BuildBrightnessRamp(11000000, high), 0);
    for (int i = 0; i < 256; ++i)
    {
        EXPECT_EQ(low[i], 0) << "entry " << i;
        EXPECT_EQ(high[i], 65535) << "entry " << i;
    }
}

TEST(BrightnessRamp, RefusesMissingOutput)
{
    EXPECT_EQ(BuildBrightnessRamp(0, nullptr), 3);
}

} // namespace
