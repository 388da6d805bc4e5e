#include <gtest/gtest.h>

#include "engine/core/FpsCounter.h"
#include "engine/core/FrameTimer.h"

namespace
{
uint64_t g_ticks = 0;
uint64_t TestTicks()
{
    return g_ticks;
}
}  // namespace

TEST(FrameTimer, MeasuresFromThePreviousReadingAndSurvivesBackwardTicks)
{
    FrameTimer timer(&TestTicks);
    g_ticks = 5000;
    timer.Reset();
    timer.Start();
    g_ticks = 5016;
    EXPECT_DOUBLE_EQ(0.016, timer.GetSeconds());
    // The query itself is the new reading.
    g_ticks = 5049;
    EXPECT_DOUBLE_EQ(0.033, timer.GetSeconds());
    EXPECT_DOUBLE_EQ(0.0, timer.GetSeconds());
    g_ticks = 4949;
    EXPECT_DOUBLE_EQ(0.0, timer.GetSeconds());
    g_ticks = 5949;
    EXPECT_DOUBLE_EQ(1.0, timer.GetSeconds());

    // Loading time between frames must not count once Start is called again.
    g_ticks = 60000;
    timer.Start();
    g_ticks = 60010;
    EXPECT_DOUBLE_EQ(0.010, timer.GetSeconds());
}

TEST(FpsCounter, UpdatesOncePerSecondAndKeepsRemainder)
{
    FpsCounter fps;
    for (int i = 0; i < 3; ++i)
        fps.Tick(0.25);
    EXPECT_EQ(0.0f, fps.GetRate());
    // Reaching exactly 1 s counts.
    fps.Tick(0.25);
    EXPECT_FLOAT_EQ(4.0f, fps.GetRate());

    // 4 x 0.3 = 1.2 s: rate 4 / 1.2, and 0.2 s carries over...
    for (int i = 0; i < 4; ++i)
        fps.Tick(0.3);
    EXPECT_FLOAT_EQ(static_cast<float>(4 / 1.2), fps.GetRate());
    // ...so three more frames of 0.3 s reach the next second.
    fps.Tick(0.3);
    fps.Tick(0.3);
    EXPECT_FLOAT_EQ(static_cast<float>(4 / 1.2), fps.GetRate());
    fps.Tick(0.3);
    EXPECT_FLOAT_EQ(static_cast<float>(3 / 1.1), fps.GetRate());
}
