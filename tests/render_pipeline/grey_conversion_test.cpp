// Grey conversion, polarizer, lightness, tonal look and the selective adjustments, checked
// pixel by pixel against values worked out by hand.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/session_hooks.h"
#include "render/grey_conversion.h"

namespace {
struct Settings {
    int32_t values[400] = {};
    Settings() {
        for (int32_t n = 0; n < kControlCount; ++n) values[n] = ControlTableStartValue(n);
    }
    Settings& Set(int32_t control, int32_t value) {
        values[control] = value;
        return *this;
    }
};

int32_t Grey(const Settings& s, Rgb pixel, const BitDepth& depth = kDepth8,
             const int32_t* look = nullptr) {
    return ConvertToGrey(GreyConversionFromControls(s.values, depth, look), pixel);
}

Settings Method(int32_t method) {
    return Settings().Set(CTL_CONVERSION_METHOD, method);
}

TEST(GreyConversion, MethodsGiveTheHandWorkedGreys) {
    struct Case {
        const char* what;
        Settings settings;
        Rgb pixel;
        int32_t grey;
    };
    const Case cases[] = {
        {"standard", Method(2), {200, 100, 50}, 117},
        {"standard red", Method(2), {255, 0, 0}, 54},
        {"standard green", Method(2), {0, 255, 0}, 182},
        {"standard blue", Method(2), {0, 0, 255}, 18},
        {"standard saturation 10",
         Method(2).Set(CTL_CONVERSION_SATURATION, 10),
         {200, 100, 50},
         106},
        {"standard saturation -10",
         Method(2).Set(CTL_CONVERSION_SATURATION, -10),
         {200, 100, 50},
         116},
        {"average", Method(4), {200, 100, 50}, 116},
        {"average saturation -10",
         Method(4).Set(CTL_CONVERSION_SATURATION, -10),
         {200, 100, 50},
         118},
        {"desaturation", Method(3), {200, 100, 50}, 125},
        {"desaturation saturation 10",
         Method(3).Set(CTL_CONVERSION_SATURATION, 10),
         {200, 100, 50},
         120},
        {"red filter", Method(0).Set(CTL_CONVERSION_HUE, 0), {200, 100, 50}, 200},
        {"green filter", Method(0).Set(CTL_CONVERSION_HUE, 85), {200, 100, 50}, 100},
        {"blue filter", Method(0).Set(CTL_CONVERSION_HUE, 170), {200, 100, 50}, 50},
        {"infra-red hue 0", Method(6).Set(CTL_CONVERSION_HUE, 0), {200, 100, 50}, 163},
        {"split inside the window",
         Method(7).Set(CTL_CONVERSION_HUE, 0).Set(CTL_CONVERSION_HIGHLIGHT_HUE, 170),
         {200, 100, 50},
         139},
        {"split below the window",
         Method(7).Set(CTL_CONVERSION_HUE, 0).Set(CTL_CONVERSION_HIGHLIGHT_HUE, 170),
         {60, 30, 10},
         60},
        {"split above the window",
         Method(7).Set(CTL_CONVERSION_HUE, 0).Set(CTL_CONVERSION_HIGHLIGHT_HUE, 170),
         {250, 200, 180},
         180},
        {"split at the threshold with no transition takes the first hue",
         Method(7)
             .Set(CTL_CONVERSION_HUE, 0)
             .Set(CTL_CONVERSION_HIGHLIGHT_HUE, 170)
             .Set(CTL_CONVERSION_TRANSITION, 0),
         {128, 128, 128},
         128},
        {"lightness 64", Method(2).Set(CTL_CONVERSION_LIGHTNESS, 64), {200, 100, 50}, 193},
        {"sky polarizer darkens a blue sky",
         Method(2).Set(CTL_POLARIZER_SKY, 100),
         {50, 100, 200},
         3},
        // Rebuilt from its own luma and chroma first, (199, 100, 51), then contrasted.
        {"colour contrast 100",
         Method(2).Set(CTL_POLARIZER_COLOR_CONTRAST, 100),
         {200, 100, 50},
         251},
        {"16-bit standard", Method(2), {25600, 12800, 6400}, 15065},
    };
    for (const Case& c : cases) {
        const BitDepth& depth = c.pixel.r > 255 ? kDepth16 : kDepth8;
        EXPECT_EQ(Grey(c.settings, c.pixel, depth), c.grey) << c.what;
    }
}

TEST(GreyConversion, NeutralRampComesBackUnchangedUnderEverySetting) {
    std::vector<Settings> settings;
    for (int32_t method : {0, 1, 2, 3, 4, 5, 6, 7})
        for (int32_t hue : {0, 75, 128, 200, 255})
            for (int32_t saturation : {-128, -40, 0, 50, 128})
                settings.push_back(Method(method)
                                       .Set(CTL_CONVERSION_HUE, hue)
                                       .Set(CTL_CONVERSION_HIGHLIGHT_HUE, 255 - hue)
                                       .Set(CTL_CONVERSION_SATURATION, saturation));
    for (int32_t lightness : {-128, 60, 128})
        settings.push_back(Method(2).Set(CTL_CONVERSION_LIGHTNESS, lightness));
    for (int32_t sky : {-100, 0, 100})
        for (int32_t foliage : {0, 70})
            for (int32_t skin : {0, -30})
                for (int32_t contrast : {-100, 0, 35, 100})
                    settings.push_back(Method(0)
                                           .Set(CTL_POLARIZER_SKY, sky)
                                           .Set(CTL_POLARIZER_FOLIAGE, foliage)
                                           .Set(CTL_POLARIZER_SKIN, skin)
                                           .Set(CTL_POLARIZER_COLOR_CONTRAST, contrast));
    for (const BitDepth* depth : {&kDepth8, &kDepth16}) {
        for (const Settings& s : settings) {
            const GreyConversion conversion = GreyConversionFromControls(s.values, *depth, nullptr);
            for (int32_t v = 0; v <= depth->max; v += depth->mult > 1 ? 97 : 1) {
                ASSERT_EQ(ConvertToGrey(conversion, {v, v, v}), v)
                    << "method " << s.values[CTL_CONVERSION_METHOD] << " level " << v;
            }
            ASSERT_EQ(ConvertToGrey(conversion, {depth->max, depth->max, depth->max}), depth->max);
        }
    }
}

// The filter colours and every blend scale linearly with the level, so a 16-bit render
// must agree with the 8-bit one times 128 up to rounding (which the saturation gains of up
// to 8 enlarge); an overflow in the 16-bit arithmetic shows as a wild difference.
TEST(GreyConversion, SixteenBitAgreesWithEightBitScaled) {
    const Rgb colours[] = {{255, 0, 0},   {0, 255, 0},     {0, 0, 255},    {255, 255, 0},
                           {255, 0, 255}, {10, 240, 250},  {200, 100, 50}, {250, 245, 5},
                           {3, 2, 250},   {128, 128, 127}, {255, 255, 255}};
    for (int32_t method : {0, 2, 3, 4, 6, 7}) {
        for (int32_t saturation : {-128, 0, 128}) {
            for (int32_t sky : {0, 100}) {
                Settings s = Method(method)
                                 .Set(CTL_CONVERSION_SATURATION, saturation)
                                 .Set(CTL_CONVERSION_HUE, 30)
                                 .Set(CTL_CONVERSION_HIGHLIGHT_HUE, 160)
                                 .Set(CTL_POLARIZER_SKY, sky);
                for (const Rgb& c : colours) {
                    const int32_t g8 = Grey(s, c);
                    const int32_t g16 = Grey(s, {c.r * 128, c.g * 128, c.b * 128}, kDepth16);
                    EXPECT_NEAR(g16, g8 * 128, 16 * 128)
                        << "method " << method << " saturation " << saturation << " sky " << sky
                        << " colour " << c.r << "," << c.g << "," << c.b;
                }
            }
        }
    }
}

// The chroma differences are twice the usual ones and the rebuild's factors half the usual:
// a split pixel rebuilt comes back within a level or two, its colour not halved.
TEST(GreyConversion, SplitAndRebuildGivesThePixelBack) {
    struct Case {
        Rgb in, out;
    };
    const Case cases[] = {{{255, 0, 0}, {254, 0, 0}}, {{90, 90, 90}, {90, 90, 90}}};
    for (const Case& c : cases) {
        const Rgb p = RebuildHalfChroma(Luma601(c.in), ChromaU(c.in.r, c.in.g, c.in.b),
                                        ChromaV(c.in.r, c.in.g, c.in.b));
        EXPECT_EQ(p.r, c.out.r);
        EXPECT_EQ(p.g, c.out.g);
        EXPECT_EQ(p.b, c.out.b);
    }
    for (int32_t r = 0; r < 256; r += 15)
        for (int32_t g = 0; g < 256; g += 15)
            for (int32_t b = 0; b < 256; b += 15) {
                const Rgb p =
                    RebuildHalfChroma(Luma601(r, g, b), ChromaU(r, g, b), ChromaV(r, g, b));
                ASSERT_LE(std::abs(p.r - r) + std::abs(p.g - g) + std::abs(p.b - b), 6)
                    << r << "," << g << "," << b;
            }
}

TEST(GreyConversion, TonalLookMixesByItsIntensity) {
    std::vector<int32_t> inverse(256);
    for (int32_t v = 0; v < 256; ++v) inverse[size_t(v)] = 255 - v;
    EXPECT_EQ(
        Grey(Method(2).Set(CTL_TONALLOOK_INTENSITY, 100), {200, 100, 50}, kDepth8, inverse.data()),
        138);
    EXPECT_EQ(
        Grey(Method(2).Set(CTL_TONALLOOK_INTENSITY, 50), {200, 100, 50}, kDepth8, inverse.data()),
        127);
    EXPECT_EQ(
        Grey(Method(2).Set(CTL_TONALLOOK_INTENSITY, 0), {200, 100, 50}, kDepth8, inverse.data()),
        117);
}

TEST(GreyConversion, FilterColoursStayOnTheEightBitScaleAtSixteenBits) {
    const GreyConversion c8 = GreyConversionFromControls(Method(0).values, kDepth8, nullptr);
    const GreyConversion c16 = GreyConversionFromControls(Method(0).values, kDepth16, nullptr);
    EXPECT_EQ(c8.filterA.r, c16.filterA.r);
    EXPECT_EQ(c8.sumA, c16.sumA);
    EXPECT_GT(c16.sumA, 127);
}

TEST(SelectiveAdjustments, HueOfThePrimariesAndMixes) {
    struct Case {
        Rgb colour;
        int32_t hue;
    };
    const Case cases[] = {{{255, 0, 0}, 0},    {{0, 255, 0}, 85},    {{0, 0, 255}, 170},
                          {{255, 255, 0}, 42}, {{255, 0, 255}, 213}, {{0, 255, 255}, 127},
                          {{90, 90, 90}, 0},   {{300, -5, -5}, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(Hue255(c.colour.r, c.colour.g, c.colour.b), c.hue)
            << c.colour.r << "," << c.colour.g << "," << c.colour.b;
}

TEST(SelectiveAdjustments, HueMembershipWrapsAroundTheCircle) {
    struct Case {
        int32_t a, b, c, d, hue, weight;
    };
    const Case cases[] = {
        // The built-in range of row 7 rises from 251 past 0 to 7.
        {251, 7, 29, 40, 253, 46},
        {251, 7, 29, 40, 3, 162},
        {251, 7, 29, 40, 7, 255},
        {251, 7, 29, 40, 20, 255},
        {251, 7, 29, 40, 29, 255},
        {251, 7, 29, 40, 35, 116},
        {251, 7, 29, 40, 40, 0},
        {251, 7, 29, 40, 100, 0},
        {251, 7, 29, 40, 250, 0},
        // Row 0: the plateau wraps.
        {225, 235, 10, 15, 230, 127},
        {225, 235, 10, 15, 240, 255},
        {225, 235, 10, 15, 5, 255},
        {225, 235, 10, 15, 12, 153},
        {225, 235, 10, 15, 200, 0},
        // Ramps of zero width, which a user can set: steps, no division.
        {10, 10, 20, 20, 10, 255},
        {10, 10, 20, 20, 15, 255},
        {10, 10, 20, 20, 20, 255},
        {10, 10, 20, 20, 21, 0},
        {10, 10, 20, 20, 9, 0},
        // A falling ramp that wraps.
        {200, 210, 250, 5, 2, 255 - 7 * 255 / 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SelectiveHueMembership(c.hue, c.a, c.b, c.c, c.d), c.weight)
            << c.a << "," << c.b << "," << c.c << "," << c.d << " hue " << c.hue;
}

struct SelectiveFixture : ::testing::Test {
    SelectiveTables tables = {};
    std::vector<int32_t> plus100 = std::vector<int32_t>(256);
    const int32_t* luts[kSelectiveRows] = {};
    void SetUp() override {
        for (int32_t row = 0; row < kSelectiveRows; ++row) {
            tables.table[row][4] = 50;
            if (row < 8)
                for (int32_t c = 0; c < kSelectiveRangeColumns; ++c)
                    tables.ranges[row][c] = kSelectiveRangeDefaults[row][c];
        }
        for (int32_t v = 0; v < 256; ++v) plus100[size_t(v)] = std::min(v + 100, 255);
    }
    Rgb Apply(const Rgb& source, int32_t intensity, int32_t tolerance = 0) {
        const SelectiveAdjustment a =
            SelectiveFromTables(tables, tolerance, intensity, kDepth8, luts);
        const int32_t g = Luma709(source);
        Rgb p = {g, g, g};
        ApplySelective(a, source, g, p);
        return p;
    }
};

TEST_F(SelectiveFixture, BrightnessOfTheRedRangeBendsRedsOnly) {
    tables.table[0][0] = 50;
    luts[0] = plus100.data();
    EXPECT_TRUE(SelectiveTablesInUse(tables));
    // Pure red: grey 54, hue 0 on row 0's plateau, weight 25500 / 51 = 500.
    const Rgb red = Apply({255, 0, 0}, 0);
    EXPECT_EQ(red.r, 250);
    EXPECT_EQ(red.g, 250);
    // Pure blue lies outside the red range.
    const Rgb blue = Apply({0, 0, 255}, 0);
    EXPECT_EQ(blue.r, 18);
    EXPECT_EQ(blue.b, 18);
}

TEST_F(SelectiveFixture, IntensityMinus100GivesTheGreyAndZeroAppliesFully) {
    tables.table[0][0] = 50;
    tables.table[3][2] = 200;
    tables.table[8][1] = -40;
    luts[0] = luts[8] = plus100.data();
    const Rgb colours[] = {{255, 0, 0}, {20, 200, 30}, {90, 90, 90}, {200, 100, 50}};
    for (const Rgb& c : colours) {
        const Rgb off = Apply(c, -100);
        const int32_t g = Luma709(c);
        EXPECT_EQ(off.r, g);
        EXPECT_EQ(off.g, g);
        EXPECT_EQ(off.b, g);
    }
    // A full colour key brings the source colour of a green back.
    const Rgb keyed = Apply({20, 200, 30}, 0);
    EXPECT_NE(keyed.r, keyed.g);
}

TEST_F(SelectiveFixture, GreyRangeWeighsNeutralPixelsFully) {
    tables.table[8][0] = 30;
    luts[8] = plus100.data();
    // A grey pixel has weight 255: it takes the curve's value.
    EXPECT_EQ(Apply({90, 90, 90}, 0).r, 190);
    // A saturated pixel lies outside the grey range.
    EXPECT_EQ(Apply({255, 0, 0}, 0).r, 54);
}

TEST_F(SelectiveFixture, ChannelsPushedPastTheScaleStillReadInsideTheCurve) {
    // Two overlapping rows with strong gains: the second row reads its curve at a level the
    // first pushed past 255.
    tables.table[0][0] = 100;
    tables.table[7][0] = 100;
    tables.table[0][4] = tables.table[7][4] = 90;
    luts[0] = luts[7] = plus100.data();
    const Rgb p = Apply({255, 40, 0}, 100, 0);
    EXPECT_GE(p.r, 0);
    EXPECT_LE(p.r, 255);
}
}  // namespace
