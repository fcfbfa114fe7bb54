// Slider maths: clamping, the thumb extent mapping, the gamma curve and the value box, with
// values worked out by hand.

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "dialog/slider_mapping.h"

TEST(SliderMapping, ClampingKeepsValuesInsideEitherDirection) {
    struct Case {
        int32_t min, max, value, expected;
    };
    const Case cases[] = {
        {0, 100, 150, 100},          {0, 100, -5, 0}, {0, 100, 42, 42},
        {100, 0, 150, 100},          {100, 0, -5, 0}, {100, 0, 42, 42},
        {-50, 50, -60, -50},         {7, 7, 9, 7},    {0, 100, kEmptyValueBox, 0},
        {100, 0, kEmptyValueBox, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampToRange(c.min, c.max, c.value), c.expected)
            << c.min << ".." << c.max << " " << c.value;
}

TEST(SliderMapping, GammaCurveAgainstHandWorkedValues) {
    struct Case {
        int32_t min, max, gamma, v, direction, expected;
    };
    // s = span - 1 = 100 for 0..101; gamma 200: exponent 0.5 toward positions, 2 back.
    const Case cases[] = {
        {0, 101, 100, 37, 0, 37},    // linear
        {0, 101, 200, 25, 0, 50},    // sqrt(0.25) * 100
        {0, 101, 200, 50, 0, 71},    // sqrt(0.5) * 100 = 70.7
        {0, 101, 200, 25, 1, 6},     // 0.25^2 * 100 = 6.25
        {0, 101, 200, 100, 0, 100},  // the end stays
        {0, 101, 200, 0, 0, 0},
        {10, 111, 200, 35, 0, 60},      // from the minimum: 10 + 50
        {0, 101, 50, 25, 0, 6},         // gamma 50: exponent 2 toward positions
        {-101, 101, 200, -25, 0, -50},  // each sign on its own
        {-101, 101, 200, 25, 0, 50},
        {101, 0, 200, 25, 0, 50},  // inverted range: from its lower bound, never NaN
        {101, 0, 200, 0, 0, 0},
        {0, 1, 200, 1, 0, 1},      // span 1: nothing to map
        {5, 5, 200, 5, 0, 5},      // span 0
        {0, 101, 200, -10, 0, 0},  // below the range: no negative base
        {-1, 1, 200, -1, 0, -1},   // sides of span 1
    };
    for (const Case& c : cases) {
        const SliderShape shape = {c.min, c.max, 0, c.gamma};
        EXPECT_EQ(GammaMapShape(shape, c.v, c.direction), c.expected)
            << c.min << ".." << c.max << " gamma " << c.gamma << " v " << c.v << " dir "
            << c.direction;
    }
}

TEST(SliderMapping, ThumbExtentMapsValuesToPositionsAndBack) {
    struct Case {
        int32_t min, max, extent, value, position;
    };
    const Case toPosition[] = {
        {0, 100, 10, 50, 44},  // (100 - 10 - 1) * 50 / 100
        {0, 100, 10, 100, 89}, {0, 100, 0, 50, 50},
        {0, 100, 99, 50, 50},                        // an extent that leaves no travel is left out
        {0, 100, 150, 50, 50}, {20, 20, 5, 20, 20},  // empty range: no division by zero
    };
    for (const Case& c : toPosition)
        EXPECT_EQ(SliderPositionFromValue({c.min, c.max, c.extent, 100}, c.value), c.position)
            << c.extent << " " << c.value;
    // Back from the window: 100 * 44 / 89 = 49 (truncated).
    EXPECT_EQ(SliderValueFromPosition({0, 100, 10, 100}, 44, true), 49);
    EXPECT_EQ(SliderValueFromPosition({0, 100, 99, 100}, 44, true), 44);
    // Inverted ranges: the window shows max + min - position, and reports it back.
    EXPECT_EQ(WindowPositionFromSliderPosition({100, 0, 0, 100}, 30), 70);
    EXPECT_EQ(SliderValueFromPosition({100, 0, 0, 100}, 70, true), 30);
    EXPECT_EQ(SliderValueFromPosition({100, 0, 0, 100}, 70, false), 70);
    EXPECT_EQ(WindowPositionFromSliderPosition({0, 100, 0, 100}, 30), 30);
}

TEST(SliderMapping, ValueBoxTextsParseByDivisor) {
    struct Case {
        const char* text;
        int32_t divisor, expected;
    };
    const Case cases[] = {
        {"1.5", 10, 15},
        {"0.05", 100, 5},
        {"0.005", 1000, 5},
        {"0.0049", 1000, 5},
        {"0.0045", 1000, 5},
        {"0.0044", 1000, 4},
        {"-1.25", 10, -13},
        {"-1.24", 10, -12},
        {"2", 10, 20},
        {"abc", 10, 0},
        {"", 10, kEmptyValueBox},
        {"", 1, kEmptyValueBox},
        {"x1", 1, kEmptyValueBox},
        {"12", 1, 12},
        {"-7", 1, -7},
        {"12abc", 1, 12},
        {" 8", 1, 8},
        {"1e30", 10, INT_MAX},
        {"-1e30", 10, INT_MIN},
        {"99999999999", 1, INT_MAX},
        {"-99999999999", 1, INT_MIN},
        {"nan", 10, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseValueBoxText(c.text, c.divisor), c.expected)
            << "\"" << c.text << "\" / " << c.divisor;
}

TEST(SliderMapping, ValueBoxTextsShowTheDivisorsDecimals) {
    struct Case {
        int32_t value, divisor;
        const char* expected;
    };
    const Case cases[] = {
        {15, 10, "1.5"},   {5, 100, "0.05"},   {5, 1000, "0.005"}, {-3, 10, "-0.3"},
        {250, 1, "250"},   {-9, 1, "-9"},      {7, 2, "3.5"},      {7, 11, "0.64"},
        {1, 101, "0.010"}, {100, 100, "1.00"},
    };
    for (const Case& c : cases) {
        char text[64];
        FormatValueBoxText(c.value, c.divisor, text, sizeof text);
        EXPECT_STREQ(text, c.expected) << c.value << " / " << c.divisor;
    }
}
