#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/core/FastTrig.h"
#include "engine/core/MathUtil.h"

namespace
{
// The noise formula in 64-bit arithmetic with explicit 32-bit masks, as an
// independent check of the wrap-around.
double ReferenceNoise(int64_t x, int64_t y, int64_t z)
{
    const uint64_t mask = 0xFFFFFFFFull;
    uint64_t n = static_cast<uint64_t>(x + 57 * y + 131 * z) & mask;
    n = (n ^ (n << 13)) & mask;
    const uint64_t inner = (n * n * 15731 + 789221) & mask;
    const uint64_t mixed = (n * inner + (mask + 1) - 771171059ull) & mask;
    return 1.0 - static_cast<double>(mixed & 0x7FFFFFFF) / 1073741824.0;
}

float DegreesToRadians(float degrees)
{
    return degrees * kPi / 180.0f;
}
}  // namespace

TEST(IntNoise, MatchesWrappedFormula)
{
    EXPECT_NEAR(-0.28179098, IntNoise(0, 0, 0), 1e-7);
    const int32_t samples[][3] = {{1, 0, 0}, {-7, 3, 12}, {100000, -50000, 70000}, {INT32_MAX, INT32_MIN, 12345}};
    for (const auto& s : samples)
        EXPECT_NEAR(ReferenceNoise(s[0], s[1], s[2]), IntNoise(s[0], s[1], s[2]), 1e-7)
            << s[0] << "," << s[1] << "," << s[2];
}

TEST(CosineInterpolate, EasesBetweenEnds)
{
    EXPECT_FLOAT_EQ(2.0f, CosineInterpolate(2.0f, 6.0f, 0.0f));
    EXPECT_FLOAT_EQ(6.0f, CosineInterpolate(2.0f, 6.0f, 1.0f));
    EXPECT_NEAR(4.0f, CosineInterpolate(2.0f, 6.0f, 0.5f), 1e-6f);
    // A quarter of the way in time is less than a quarter of the way: it eases.
    const float f = (1.0f - std::cos(kPi / 4)) * 0.5f;
    EXPECT_NEAR(2.0f + 4.0f * f, CosineInterpolate(2.0f, 6.0f, 0.25f), 1e-6f);
    EXPECT_LT(CosineInterpolate(2.0f, 6.0f, 0.25f), 3.0f);
}

TEST(FastTrig, TruncatesToWholeDegreesAndWrapsNegativeAndLargeAngles)
{
    InitializeFastTrig();
    EXPECT_NEAR(0.5f, FastSin(DegreesToRadians(30.7f)), 1e-6f);
    EXPECT_NEAR(0.5f, FastCos(DegreesToRadians(60.9f)), 1e-6f);
    EXPECT_NEAR(std::sin(DegreesToRadians(123.0f)), FastSin(DegreesToRadians(123.4f)), 1e-6f);
    // Toward zero: -0.5 degrees reads entry 0, not 359.
    EXPECT_EQ(0.0f, FastSin(DegreesToRadians(-0.5f)));
    // -30.7 degrees truncates to -30, which is entry 330.
    EXPECT_NEAR(-0.5f, FastSin(DegreesToRadians(-30.7f)), 1e-6f);
    EXPECT_NEAR(0.5f, FastCos(DegreesToRadians(-60.9f)), 1e-6f);
    // Beyond a full turn, both ways.
    EXPECT_NEAR(0.5f, FastSin(DegreesToRadians(390.7f)), 1e-6f);
    EXPECT_NEAR(-0.5f, FastSin(DegreesToRadians(-750.7f)), 1e-6f);
    EXPECT_NEAR(0.5f, FastCos(DegreesToRadians(780.3f)), 1e-6f);
    // Angles with no whole degree in int range must not crash.
    EXPECT_EQ(0.0f, FastSin(1e30f));
    EXPECT_EQ(1.0f, FastCos(NAN));
}

TEST(HeightToNormalMap, WrapsNeighboursAroundEdges)
{
    // 3 wide, 2 tall, one raised texel in the top-left corner.
    const uint8_t heights[6] = {255, 0, 0, 0, 0, 0};
    uint8_t out[6 * 4];
    ASSERT_EQ(0, HeightToNormalMap(heights, 3, 2, 1.0f, true, out));
    auto pixel = [&](int x, int y) { return out + (y * 3 + x) * 4; };

    // The corner slopes down to the right and downwards: dx = dy = 1.
    EXPECT_EQ(201, pixel(0, 0)[0]);
    EXPECT_EQ(201, pixel(0, 0)[1]);
    EXPECT_EQ(201, pixel(0, 0)[2]);
    EXPECT_EQ(255, pixel(0, 0)[3]);
    // The last column's right neighbour is the first column.
    EXPECT_EQ(38, pixel(2, 0)[0]);
    EXPECT_EQ(128, pixel(2, 0)[1]);
    EXPECT_EQ(217, pixel(2, 0)[2]);
    // The last row's lower neighbour is the first row.
    EXPECT_EQ(128, pixel(0, 1)[0]);
    EXPECT_EQ(38, pixel(0, 1)[1]);
    EXPECT_EQ(217, pixel(0, 1)[2]);
    // Flat ground points straight out.
    EXPECT_EQ(128, pixel(1, 1)[0]);
    EXPECT_EQ(128, pixel(1, 1)[1]);
    EXPECT_EQ(255, pixel(1, 1)[2]);
    EXPECT_EQ(0, pixel(1, 1)[3]);
}

TEST(HeightToNormalMap, PacksThreeBytesWithoutAlphaAndRefusesBadInput)
{
    const uint8_t heights[6] = {255, 0, 0, 0, 0, 0};
    uint8_t out[6 * 3 + 1];
    out[18] = 0xAB;
    ASSERT_EQ(0, HeightToNormalMap(heights, 3, 2, 1.0f, false, out));
    EXPECT_EQ(38, out[2 * 3 + 0]);
    EXPECT_EQ(217, out[2 * 3 + 2]);
    EXPECT_EQ(0xAB, out[18]);

    EXPECT_EQ(3, HeightToNormalMap(nullptr, 3, 2, 1.0f, false, out));
    EXPECT_EQ(3, HeightToNormalMap(heights, 0, 2, 1.0f, false, out));
    EXPECT_EQ(3, HeightToNormalMap(heights, 3, 2, INFINITY, false, out));
}

