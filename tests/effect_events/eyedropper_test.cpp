// The eyedropper's targets, checked on pixels whose hue, saturation and tone are known; the
// curve points it moves or adds; the cross option's slot; the split line's offsets.

#include <gtest/gtest.h>

#include <vector>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "effect/preview_tools.h"
#include "effect/session_hooks.h"
#include "host/color_conversion.h"

namespace {

// The built-in hue ranges of the seven colour bands (columns 1 and 2 of their rows).
std::vector<HueRange> DefaultRanges() {
    std::vector<HueRange> ranges;
    for (int32_t band = 0; band < kColorBandCount; ++band)
        ranges.push_back({kSelectiveRangeDefaults[band][1], kSelectiveRangeDefaults[band][2]});
    return ranges;
}

// A flat 3 x 3 area of one colour, as the eyedropper reads it.
EyedropperSample Flat(int32_t r, int32_t g, int32_t b) {
    int32_t h = r, s = g, l = b;
    RgbToHslInPlace8(h, s, l);
    return {r, g, b, h, s, s};
}

struct PickCase {
    const char* what;
    int32_t option;
    EyedropperSample sample;
    int32_t target;
    int32_t firstSetting;  // control set first, -1 none
    int32_t firstValue;
    int32_t fire;
};

TEST(Eyedropper, PicksTheControlOfThePixel) {
    const std::vector<HueRange> ranges = DefaultRanges();
    std::vector<int32_t> values(kControlCount, 0);
    const int32_t grey = Flat(120, 120, 120).r;
    const int32_t luminanceOfOrange = (715 * 128 + 213 * 255 + 72 * 0) / 1000;
    const PickCase cases[] = {
        {"grey: polarizer colour contrast", 1, Flat(120, 120, 120), CTL_POLARIZER_COLOR_CONTRAST,
         -1, 0, -1},
        {"red: skin", 1, Flat(220, 30, 30), CTL_POLARIZER_SKIN, -1, 0, -1},
        {"green: foliage", 1, Flat(40, 200, 40), CTL_POLARIZER_FOLIAGE, -1, 0, -1},
        {"blue: sky", 1, Flat(40, 60, 220), CTL_POLARIZER_SKY, -1, 0, -1},
        {"dark: shadows, dynamic contrast on", 2, Flat(50, 50, 50), CTL_DYNCONTRAST_SHADOWS,
         CTL_DYNCONTRAST_INTENSITY, 50, -1},
        {"mid: midtones", 2, Flat(grey, grey, grey), CTL_DYNCONTRAST_MIDTONES,
         CTL_DYNCONTRAST_INTENSITY, 50, -1},
        {"light: highlights", 2, Flat(230, 230, 230), CTL_DYNCONTRAST_HIGHLIGHTS,
         CTL_DYNCONTRAST_INTENSITY, 50, -1},
        {"red brightness", 4, Flat(255, 0, 0), CTL_SELBRIGHT_RED, -1, 0, -1},
        {"green brightness", 4, Flat(0, 255, 0), CTL_SELBRIGHT_GREEN, -1, 0, -1},
        {"blue contrast", 5, Flat(0, 0, 255), CTL_SELCONTRAST_BLUE, -1, 0, -1},
        {"yellow colour key", 6, Flat(255, 200, 0), CTL_COLORKEY_YELLOW, -1, 0, -1},
        {"glow", 15, Flat(255, 128, 0), CTL_GLOW_LIMIT, CTL_GLOW_INTENSITY, 100, -1},
        {"mask brightness range", 17, Flat(255, 128, 0), CTL_MASK_BRIGHT_LIMIT,
         CTL_MASK_BRIGHT_TONE, luminanceOfOrange, -1},
        {"mask colour", 18, Flat(10, 20, 30), CTL_MASK_COLOR_LIMIT, CTL_MASK_COLOR,
         int32_t(RGB(10, 20, 30)), -1},
        {"mask saturation", 19, Flat(255, 0, 0), CTL_MASK_SAT_LIMIT, CTL_MASK_SAT_TONE, 255, -1},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.what);
        const EyedropperPick pick =
            PickEyedropperTarget(c.option, c.sample, ranges.data(), values.data());
        EXPECT_EQ(pick.target, c.target);
        EXPECT_EQ(pick.fire, c.fire);
        if (c.firstSetting < 0) {
            EXPECT_EQ(pick.settingCount, 0);
        } else {
            ASSERT_GE(pick.settingCount, 1);
            EXPECT_EQ(pick.settings[0].control, c.firstSetting);
            EXPECT_EQ(pick.settings[0].value, c.firstValue);
        }
    }
}

TEST(Eyedropper, SwitchesAnEffectOnOnlyWhenItIsOff) {
    const std::vector<HueRange> ranges = DefaultRanges();
    std::vector<int32_t> values(kControlCount, 0);
    values[CTL_DYNCONTRAST_INTENSITY] = 30;
    values[CTL_GLOW_INTENSITY] = 40;
    EXPECT_EQ(PickEyedropperTarget(2, Flat(50, 50, 50), ranges.data(), values.data()).settingCount,
              0);
    const EyedropperPick glow =
        PickEyedropperTarget(15, Flat(0, 0, 0), ranges.data(), values.data());
    ASSERT_EQ(glow.settingCount, 1);
    EXPECT_EQ(glow.settings[0].control, CTL_GLOW_TONE);
}

TEST(Eyedropper, ChosenColourBoxesAreFiredInColourMode) {
    const std::vector<HueRange> ranges = DefaultRanges();
    std::vector<int32_t> values(kControlCount, 0);
    values[CTL_SELECT_CONTROLS] = 1;
    EXPECT_EQ(PickEyedropperTarget(4, Flat(0, 255, 0), ranges.data(), values.data()).fire,
              CTL_SELECT_COLOR_GREEN);
    values[CTL_MASK_BRIGHT_MODE] = 1;
    EXPECT_EQ(PickEyedropperTarget(17, Flat(250, 250, 250), ranges.data(), values.data()).target,
              CTL_MASK_HIGHLIGHTS);
    EXPECT_EQ(PickEyedropperTarget(17, Flat(20, 20, 20), ranges.data(), values.data()).target,
              CTL_MASK_SHADOWS);
}

TEST(Eyedropper, ColourBandsWrapRedAndExcludeOrangesLimits) {
    const std::vector<HueRange> ranges = DefaultRanges();
    const struct {
        int32_t hue, band;
    } cases[] = {{0, 0},  {9, 0},  {250, 0}, {236, 0}, {11, 1},  {29, 1},  {30, 2},
                 {45, 2}, {46, 3}, {117, 3}, {118, 4}, {137, 4}, {170, 5}, {200, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(EyedropperColorBand(c.hue, ranges.data()), c.band) << c.hue;
    EXPECT_EQ(EyedropperColorBand(10, ranges.data()), -1) << "on orange's start, in no range";
}

TEST(Eyedropper, CurveOptionsMoveAPointWithin12ElseAddOne) {
    const EyedropperSample mid = Flat(128, 128, 128);
    const int32_t level = EyedropperCurveLevel(8, mid, false, 159);
    EXPECT_EQ(level, 128 * 159 / 255);
    const int32_t identity[] = {0, 159};
    EXPECT_EQ(CurvePointNear(identity, 2, level), -1);
    const int32_t close[] = {0, level - 11, 159};
    EXPECT_EQ(CurvePointNear(close, 3, level), 1);
    const int32_t justOut[] = {0, level + 12, 159};
    EXPECT_EQ(CurvePointNear(justOut, 3, level), -1);
    const int32_t twoNear[] = {0, level - 5, level + 5, 159};
    EXPECT_EQ(CurvePointNear(twoNear, 4, level), 1) << "the first one";

    const EyedropperSample orange = Flat(255, 128, 0);
    EXPECT_EQ(EyedropperCurveLevel(11, orange, false, 159), 159);
    EXPECT_EQ(EyedropperCurveLevel(12, orange, false, 159), 128 * 159 / 255);
    EXPECT_EQ(EyedropperCurveLevel(13, orange, false, 159), 0);
    const int32_t luminance = (715 * 128 + 213 * 255) / 1000;
    EXPECT_EQ(EyedropperCurveLevel(9, orange, false, 159), luminance * 159 / 255);
    EXPECT_EQ(EyedropperCurveLevel(8, orange, true, 159), luminance * 159 / 255)
        << "the zone grid makes the tone curve read the luminance";
    EXPECT_EQ(EyedropperCurveLevel(8, orange, false, 159), (255 + 128) / 3 * 159 / 255);
}

TEST(CrossTool, OnlyTheSixOptionsHaveASlot) {
    for (int32_t option = 1; option <= 6; ++option) EXPECT_EQ(CrossSlot(option), option - 1);
    for (int32_t option : {0, -1, 7, 100}) EXPECT_EQ(CrossSlot(option), -1) << option;
}

TEST(SplitDrag, OffsetsAreWholeImagePixels) {
    const SplitOffsets centred = SplitOffsetsFor(30, 10, 100, 60, 4, false, 0, 0, 100, 60);
    EXPECT_EQ(centred.x, (30 - 50) * 4);
    EXPECT_EQ(centred.y, (10 - 30) * 4);
    const SplitOffsets multi = SplitOffsetsFor(130, -5, 100, 60, 2, true, 10, 20, 110, 80);
    EXPECT_EQ(multi.x, 109 * 2) << "held to the current rectangle";
    EXPECT_EQ(multi.y, 20 * 2);
}

}  // namespace
