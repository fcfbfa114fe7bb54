// Integer maths in 1024ths of a turn, square roots, rescaling and bit-depth constants.

#include <gtest/gtest.h>

#include "host/effect_context.h"
#include "host/maths_builtins.h"

namespace {
TEST(MathsBuiltins, AnglesOfDirectionsAreQuarterTurnsOf1024) {
    const struct {
        int32_t x, y, angle;
    } cases
        [] =
            {
                {1, 0, 0},   {0, 1, 256},    {-1, 0, 512},   {0, -1, -256},
                {1, 1, 128}, {-1, -1, -384}, {-1, 1, 384},   {1000, 1, 0},
                {3, 4, 151}, {0, 0, 0},      {-5, -1, -479},  // atan2(-1, -5) = -168.69 degrees =
                                                              // -479.8 units, truncated toward zero
            };
    for (const auto& c : cases) EXPECT_EQ(AngleOf(c.x, c.y), c.angle) << c.x << ", " << c.y;
}

TEST(MathsBuiltins, PolarCoordinatesTruncateTowardZero) {
    const struct {
        int32_t angle, r, x, y;
    } cases[] = {
        {0, 100, 100, 0},     {256, 100, 0, 100}, {512, 100, -100, 0},
        {768, 100, 0, -100},  {128, 100, 70, 70}, {640, 100, -70, -70},
        {85, 1000, 867, 498}, {0, -7, -7, 0},     {1024 + 256, 50, 0, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PolarToX(c.angle, c.r), c.x) << c.angle << " " << c.r;
        EXPECT_EQ(PolarToY(c.angle, c.r), c.y) << c.angle << " " << c.r;
    }
}

TEST(MathsBuiltins, SineLookupWrapsAroundTheTurn) {
    InitRunTables();
    const struct {
        int32_t i, value;
    } cases[] = {{0, 0}, {256, 512}, {768, -512}, {1280, 512}, {-256, -512}, {128, 362}, {85, 255}};
    for (const auto& c : cases) EXPECT_EQ(SineLookup(c.i), c.value) << c.i;
}

TEST(MathsBuiltins, IntegerSquareRoot) {
    const struct {
        int32_t n, root;
    } cases[] = {{-5, 0},
                 {0, 0},
                 {1, 1},
                 {3, 1},
                 {4, 2},
                 {15, 3},
                 {16, 4},
                 {99, 9},
                 {2147395599, 46339},
                 {2147395600, 46340},
                 {2147483647, 46340}};
    for (const auto& c : cases) EXPECT_EQ(IntegerSqrt(c.n), c.root) << c.n;
}

TEST(MathsBuiltins, ScaleValueMapsRangesInIntegers) {
    const struct {
        int32_t a, inLow, inHigh, outLow, outHigh, result;
    } cases[] = {
        {5, 0, 10, 0, 100, 50},
        {1, 0, 3, 0, 10, 3},    // 3.33 truncated
        {-1, 0, 3, 0, 10, -3},  // toward zero, not down
        {7, 7, 7, 0, 100, 0},   // equal input bounds
        {128, 0, 255, 0, 32768, 16448},
        {50, 100, 0, 0, 10, 5},  // falling input range
        {0, 0, 255, 255, 0, 255},
        {2000000000, 0, 2000000000, 0, 2000000000, 2000000000},  // no 32-bit overflow
        {2147483647, -2147483647, 2147483647, -2147483647, 2147483647, 2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScaleValue(c.a, c.inLow, c.inHigh, c.outLow, c.outHigh), c.result) << c.a;
}

TEST(MathsBuiltins, BitDepthConstants) {
    SetBitDepthConstants(16);
    EXPECT_EQ(GetBitDepth(), 16);
    EXPECT_EQ(gBitDepth.maximum, 32768);
    EXPECT_EQ(gBitDepth.half, 16384);
    EXPECT_EQ(gBitDepth.quarter, 8192);
    EXPECT_EQ(gBitDepth.unit, 128);
    for (int32_t depth : {8, 1, 32, 0}) {
        SetBitDepthConstants(depth);
        EXPECT_EQ(GetBitDepth(), depth);
        EXPECT_EQ(gBitDepth.maximum, 255);
        EXPECT_EQ(gBitDepth.half, 128);
        EXPECT_EQ(gBitDepth.quarter, 64);
        EXPECT_EQ(gBitDepth.unit, 1);
    }
}
}  // namespace
