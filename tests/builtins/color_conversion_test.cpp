// RGB <-> HSL against values of an independent implementation (Python's colorsys), round
// trips, and the cache of the last colour.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "host/color_conversion.h"
#include "host/maths_builtins.h"

namespace {
struct ConversionCase {
    int32_t in[3];
    int32_t out[3];
};

// colorsys.rgb_to_hls on components / 255, results * 255 truncated (H, S, L).
const ConversionCase kRgbToHsl8[] = {
    {{250, 250, 250}, {0, 0, 250}},    {{77, 77, 77}, {0, 0, 77}},
    {{13, 250, 131}, {106, 244, 131}}, {{19, 44, 222}, {164, 214, 120}},
    {{214, 35, 123}, {234, 183, 124}}, {{46, 217, 30}, {81, 193, 123}},
    {{63, 114, 31}, {68, 145, 72}},    {{23, 68, 148}, {154, 186, 85}},
    {{157, 92, 52}, {16, 128, 104}},   {{96, 190, 49}, {70, 150, 119}},
    {{32, 30, 105}, {171, 141, 67}},   {{238, 232, 185}, {37, 155, 211}},
    {{153, 127, 92}, {24, 63, 122}},   {{77, 250, 215}, {118, 241, 163}},
};
// The same on the 16-bit scale of the cached and channel conversions (32640).
const ConversionCase kRgbToHsl16[] = {
    {{14617, 12789, 15688}, {25190, 3322, 14238}},  {{32294, 23302, 1899}, {3830, 31913, 17096}},
    {{29309, 22906, 23896}, {31798, 15996, 26107}}, {{125, 31422, 22544}, {14776, 32381, 15773}},
    {{5556, 7858, 25463}, {21130, 20947, 15509}},
};
// colorsys.hls_to_rgb (H, S, L in, R, G, B out) on 0..255.
const ConversionCase kHslToRgb8[] = {
    {{231, 238, 231}, {253, 208, 233}}, {{97, 94, 243}, {238, 247, 241}},
    {{95, 48, 228}, {222, 233, 225}},   {{80, 7, 32}, {31, 32, 31}},
    {{30, 18, 97}, {103, 99, 90}},      {{123, 15, 237}, {235, 238, 237}},
    {{167, 225, 100}, {11, 24, 188}},   {{2, 43, 234}, {237, 230, 230}},
    {{142, 208, 42}, {7, 52, 76}},      {{130, 161, 117}, {43, 182, 190}},
};
// On the 0..32768 scale of the 16-bit in-place conversions.
const ConversionCase kHslToRgb16InPlace[] = {
    {{15624, 31529, 7462}, {282, 14641, 12643}},    {{17793, 12453, 18260}, {12746, 20928, 23773}},
    {{15691, 12439, 16315}, {10121, 22508, 20936}}, {{12843, 2589, 3983}, {3668, 4297, 3889}},
    {{621, 17756, 17007}, {25547, 10408, 8466}},
};
const ConversionCase kRgbToHsl16InPlace[] = {
    {{8415, 32082, 8817}, {11015, 30972, 20248}}, {{9475, 29839, 2570}, {9539, 27571, 16204}},
    {{9276, 5991, 25750}, {22753, 20398, 15870}}, {{19534, 30925, 27816}, {14893, 24756, 25229}},
    {{19379, 16594, 7788}, {4149, 13980, 13583}},
};

using ChannelProc = int32_t (*)(int32_t, int32_t, int32_t, int32_t);

void ExpectTable(ChannelProc proc, const ConversionCase* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const ConversionCase& c = cases[i];
        for (int which = 0; which < 3; ++which)
            EXPECT_EQ(proc(c.in[0], c.in[1], c.in[2], which), c.out[which])
                << c.in[0] << "," << c.in[1] << "," << c.in[2] << " component " << which;
    }
}

TEST(ColorConversion, DoubleConversionsMatchAnIndependentImplementation) {
    for (ChannelProc toHsl : {RgbToHslChannel, RgbToHslCached}) {
        SetBitDepthConstants(8);
        ExpectTable(toHsl, kRgbToHsl8, std::size(kRgbToHsl8));
        SetBitDepthConstants(16);
        ExpectTable(toHsl, kRgbToHsl16, std::size(kRgbToHsl16));
    }
    SetBitDepthConstants(8);
    for (ChannelProc toRgb : {HslToRgbChannel, HslToRgbCached})
        ExpectTable(toRgb, kHslToRgb8, std::size(kHslToRgb8));
    EXPECT_EQ(RgbToHslChannel(1, 2, 3, 3), 0);
    EXPECT_EQ(HslToRgbCached(1, 2, 3, -1), 0);
}

TEST(ColorConversion, SixteenBitInPlaceConversionsMatchAnIndependentImplementation) {
    for (const ConversionCase& c : kRgbToHsl16InPlace) {
        int32_t a = c.in[0], b = c.in[1], d = c.in[2];
        RgbToHslInPlace16(a, b, d);
        EXPECT_EQ(a, c.out[0]);
        EXPECT_EQ(b, c.out[1]);
        EXPECT_EQ(d, c.out[2]);
    }
    for (const ConversionCase& c : kHslToRgb16InPlace) {
        int32_t a = c.in[0], b = c.in[1], d = c.in[2];
        HslToRgbInPlace16(a, b, d);
        EXPECT_EQ(a, c.out[0]);
        EXPECT_EQ(b, c.out[1]);
        EXPECT_EQ(d, c.out[2]);
    }
}

// The integer conversion truncates at every step: it stays within two levels of the exact
// values, and its grey axis is exact.
TEST(ColorConversion, IntegerConversionStaysCloseToTheExactValues) {
    for (const ConversionCase& c : kRgbToHsl8) {
        int32_t h = c.in[0], s = c.in[1], l = c.in[2];
        RgbToHslInPlace8(h, s, l);
        EXPECT_NEAR(h, c.out[0], 2) << c.in[0] << "," << c.in[1] << "," << c.in[2];
        EXPECT_NEAR(s, c.out[1], 2) << c.in[0] << "," << c.in[1] << "," << c.in[2];
        EXPECT_NEAR(l, c.out[2], 1) << c.in[0] << "," << c.in[1] << "," << c.in[2];
    }
    SetBitDepthConstants(8);
    for (const ConversionCase& c : kHslToRgb8) {
        int32_t r = c.in[0], g = c.in[1], b = c.in[2];
        HslToRgbInPlace(r, g, b);
        EXPECT_NEAR(r, c.out[0], 2);
        EXPECT_NEAR(g, c.out[1], 2);
        EXPECT_NEAR(b, c.out[2], 2);
    }
    // Inputs outside 0..255 are clamped.
    int32_t r = 300, g = -20, b = 300;
    RgbToHslInPlace8(r, g, b);
    int32_t r2 = 255, g2 = 0, b2 = 255;
    RgbToHslInPlace8(r2, g2, b2);
    EXPECT_EQ(r, r2);
    EXPECT_EQ(g, g2);
    EXPECT_EQ(b, b2);
}

// Worst difference after RGB -> HSL -> RGB over a grid of colours on 0..top, each component
// scaled by `scale` before the conversion (and divided by it after).
int32_t WorstRoundTrip(void (*toHsl)(int32_t&, int32_t&, int32_t&),
                       void (*toRgb)(int32_t&, int32_t&, int32_t&), int32_t top, int32_t step,
                       int32_t scale) {
    int32_t worst = 0;
    for (int32_t r = 0; r <= top; r += step)
        for (int32_t g = 0; g <= top; g += step + 2)
            for (int32_t b = 0; b <= top; b += step + 4) {
                int32_t c[3] = {r * scale, g * scale, b * scale};
                toHsl(c[0], c[1], c[2]);
                toRgb(c[0], c[1], c[2]);
                const int32_t in[3] = {r, g, b};
                for (int i = 0; i < 3; ++i)
                    worst = std::max(worst, std::abs((c[i] + scale / 2) / scale - in[i]));
            }
    return worst;
}

void ChannelsToHsl(int32_t& r, int32_t& g, int32_t& b) {
    const int32_t h = RgbToHslChannel(r, g, b, 0), s = RgbToHslChannel(r, g, b, 1),
                  l = RgbToHslChannel(r, g, b, 2);
    r = h, g = s, b = l;
}
void ChannelsToRgb(int32_t& h, int32_t& s, int32_t& l) {
    const int32_t r = HslToRgbChannel(h, s, l, 0), g = HslToRgbChannel(h, s, l, 1),
                  b = HslToRgbChannel(h, s, l, 2);
    h = r, s = g, l = b;
}

TEST(ColorConversion, RoundTripsReturnWithinOneLevel) {
    // 8-bit colours through the 16-bit conversions come back within one level.
    SetBitDepthConstants(16);
    EXPECT_LE(WorstRoundTrip(ChannelsToHsl, ChannelsToRgb, 255, 3, 128), 1);
    EXPECT_LE(WorstRoundTrip(RgbToHslInPlace16, HslToRgbInPlace16, 255, 3, 128), 1);
    // On the 8-bit scale the hue has only 255 steps a turn: one step moves a saturated
    // component by up to six levels, and the truncations add up to two.
    SetBitDepthConstants(8);
    EXPECT_LE(WorstRoundTrip(ChannelsToHsl, ChannelsToRgb, 255, 3, 1), 8);
    EXPECT_LE(WorstRoundTrip(RgbToHslInPlace8, HslToRgbInPlace, 255, 3, 1), 8);
    // Greys come back exactly at every scale.
    for (int32_t v = 0; v <= 255; ++v) {
        int32_t c[3] = {v, v, v};
        RgbToHslInPlace8(c[0], c[1], c[2]);
        HslToRgbInPlace(c[0], c[1], c[2]);
        EXPECT_EQ(c[0], v);
        EXPECT_EQ(c[2], v);
    }
}

TEST(ColorConversion, CachedConversionReturnsTheRememberedColour) {
    SetBitDepthConstants(8);
    const int32_t h = RgbToHslCached(19, 44, 222, HSL_HUE);
    const uint32_t before = ColorConversionCount();
    EXPECT_EQ(RgbToHslCached(19, 44, 222, HSL_SATURATION), 214);
    EXPECT_EQ(RgbToHslCached(19, 44, 222, HSL_HUE), h);
    EXPECT_EQ(ColorConversionCount(), before) << "a repeated colour is not converted again";
    EXPECT_EQ(RgbToHslCached(19, 44, 223, HSL_HUE), RgbToHslChannel(19, 44, 223, HSL_HUE));
    EXPECT_GT(ColorConversionCount(), before);
    // Another bit depth is another colour, even with the same numbers.
    const int32_t hue8 = RgbToHslCached(19, 44, 223, HSL_HUE);
    SetBitDepthConstants(16);
    EXPECT_EQ(RgbToHslCached(19, 44, 223, HSL_HUE), RgbToHslChannel(19, 44, 223, HSL_HUE));
    EXPECT_GT(RgbToHslCached(19, 44, 223, HSL_HUE), hue8 * 100);
    SetBitDepthConstants(8);
}
}  // namespace
