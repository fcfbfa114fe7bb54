// The skins without windows: the style table against values read off the skins' looks, colour
// offsets and tints at their limits, strip and slider geometry, and the skin file's text.

#include <gtest/gtest.h>

#include <string>

#include "dialog/skin_file.h"
#include "dialog/skin_style.h"

namespace {

SkinSystemColours System(bool visualStyles = false) {
    return {0x123456, 0x654321, 0xABCDEF, 0x0A0B0C, visualStyles};
}

SkinStyle Loaded(int32_t skin, const SkinStyle& before = SkinStyle{}) {
    SkinStyle style = before;
    LoadSkinStyleInto(style, skin, System());
    return style;
}

}  // namespace

TEST(SkinStyleTable, SpotValuesOfTheSkins) {
    struct Spot {
        int32_t skin;
        int32_t SkinStyle::*field;
        int32_t expected;
    };
    const Spot spots[] = {
        {1, &SkinStyle::panelColor, 0x292929},
        {1, &SkinStyle::gradientTop2, 0x4E4E4E},
        {2, &SkinStyle::altGradientTop, 0x3D3D3D},
        {3, &SkinStyle::focusTintRed, -30},
        {4, &SkinStyle::comboArrow, 0},
        {5, &SkinStyle::shadowColor, 0x9B9A9A},
        {6, &SkinStyle::faceColor, 0x6D6D6D},
        {9, &SkinStyle::tabTextColor, 0x292929},
        {10, &SkinStyle::editBoxColor, 0xFFEFE3},
        {11, &SkinStyle::flatBottomEdge, 1},
        {12, &SkinStyle::outlineOffset, -0x0C0C0C},
        {12, &SkinStyle::highlightOffset, -0x030303},
        {13, &SkinStyle::outlineOffset, -0x101010},
        {13, &SkinStyle::comboDivider, 1},
        {13, &SkinStyle::dark, 1},
        {11, &SkinStyle::fontSize, 12},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.skin);
        EXPECT_EQ(Loaded(spot.skin).*spot.field, spot.expected);
    }
    EXPECT_STREQ(Loaded(2).faceName, "Arial");
    EXPECT_STREQ(Loaded(11).faceName, "MS Sans Serif");
    EXPECT_STREQ(Loaded(13).faceName, "Tahoma");
}

TEST(SkinStyleTable, EveryLoadStartsFromTheDefaultsAndKeepsWhatTheSkinLeavesOut) {
    // Skin 4 sets no gradient: the gradient of skin 1 before it must not survive.
    SkinStyle after = Loaded(4, Loaded(1));
    EXPECT_EQ(after.gradientTop, -1);
    EXPECT_EQ(after.gradientClasses, 15);
    // "keep": skin 4 leaves gradientBottom as skin 1 had it.
    EXPECT_EQ(after.gradientBottom, 0x565656);
    EXPECT_EQ(after.comboHeight, 21);
    EXPECT_EQ(after.tabStripHeight, 20);
    EXPECT_EQ(after.toolbarButtonWidth, 39);
    EXPECT_EQ(after.thumbWidth, 12);
    EXPECT_EQ(after.checkSize, 13);
    // A number past the table leaves only the defaults.
    SkinStyle past = Loaded(14, Loaded(11));
    EXPECT_EQ(past.flatBottomEdge, 0);
    EXPECT_EQ(past.panelColor, 0x202020);
    EXPECT_EQ(Loaded(-1, Loaded(11)).editBoxColor, 0xFFFFFF);
}

TEST(SkinStyleTable, SlidersOnlyTakesTheSystemsColours) {
    SkinStyle classic = SkinStyle{};
    LoadSkinStyleInto(classic, 0, System(false));
    EXPECT_EQ(classic.panelColor, 0x123456);
    EXPECT_EQ(classic.sheetColor, 0x654321);
    EXPECT_EQ(classic.faceColor, 0xABCDEF);
    EXPECT_EQ(classic.thumbColor, 0xABCDEF);
    EXPECT_EQ(classic.shadowColor, 0x0A0B0C);
    // A hexadecimal offset: a decimal 202020 would tint the outline blue.
    EXPECT_EQ(classic.outlineOffset, -0x202020);
    EXPECT_EQ(classic.roundCorners, 0);
    SkinStyle themed = SkinStyle{};
    LoadSkinStyleInto(themed, 0, System(true));
    EXPECT_EQ(themed.outlineOffset, -0x030303);
    EXPECT_EQ(themed.roundCorners, 1);
    EXPECT_EQ(AddColorOffset(0x808080, classic.outlineOffset), 0x606060) << "grey stays grey";
}

TEST(SkinColours, OffsetsAndTintsClampAtTheirLimits) {
    struct OffsetCase {
        int32_t color, offset, expected;
    };
    const OffsetCase offsets[] = {
        {0x101010, 0x202020, 0x303030}, {0xF0F0F0, 0x404040, 0xFFFFFF},
        {0x101010, -0x202020, 0},       {0x000000, -1, 0},
        {0xFFFFFF, 1, 0xFFFFFF},        {-1, 0, 0xFFFFFF},
    };
    for (const OffsetCase& c : offsets)
        EXPECT_EQ(AddColorOffset(c.color, c.offset), c.expected) << std::hex << c.color;

    SkinStyle style = Loaded(1);  // hover (-10, 10, 30), focus (-20, 20, 60)
    struct TintCase {
        int32_t color, mode, expected;
    };
    const TintCase tints[] = {
        {0x646464, 1, 0x826E5A},  // red 100 - 10 = 90, green 110, blue 130
        {0x646464, 2, 0xA07850},  // red 80, green 120, blue 160
        {0xFFFFFF, 1, 0xFFFFE6},  // red 255 - 25 = 230; green and blue clamp at 255
        {0x0A0A0A, 2, 0x100C08},  // 10 - trunc(2.0) = 8; 10 + 2 = 12; 10 + 6 = 16
        {0x000000, 2, 0x000000}, {0x030303, 1, 0x030303},  // trunc(0.3), trunc(0.9): nothing moves
    };
    for (const TintCase& c : tints)
        EXPECT_EQ(TintColor(style, c.color, c.mode), c.expected) << std::hex << c.color;
    EXPECT_EQ(BlendColors(0xFFFFFF, 0x000000, 1), 0xE5E5E5);  // 9/10 of 255, truncated
}

TEST(SkinGeometry, TabWidthsByCount) {
    const SkinStyle style = Loaded(3);
    const int32_t expected[][2] = {{1, 59}, {4, 59},  {5, 48}, {6, 43},
                                   {7, 43}, {30, 43}, {0, 0},  {-2, 0}};
    for (const auto& c : expected) EXPECT_EQ(SkinTabWidth(style, c[0]), c[1]) << c[0];
    EXPECT_EQ(SkinItemAt(58, 59, 4), 0);
    EXPECT_EQ(SkinItemAt(59, 59, 4), 1);
    EXPECT_EQ(SkinItemAt(4 * 59, 59, 4), -1);
    EXPECT_EQ(SkinItemAt(-1, 59, 4), -1);
    EXPECT_EQ(SkinItemAt(10, 0, 4), -1);
}

TEST(SkinGeometry, SliderThumbAndMouseAgreeAndNeverDivideByZero) {
    // Thumb 12 wide on a 112-pixel slider: 100 pixels of travel.
    EXPECT_EQ(SkinThumbCentre(112, 12, 0, 255), 6);
    EXPECT_EQ(SkinThumbCentre(112, 12, 255, 255), 106);
    EXPECT_EQ(SkinThumbCentre(112, 12, 51, 255), 26);
    EXPECT_EQ(SkinThumbCentre(112, 12, 5, 0), 6);
    EXPECT_EQ(SkinThumbCentre(8, 12, 5, 10), 6);
    EXPECT_EQ(SkinSliderPositionAt(0, 112, 12, 255), 0);
    EXPECT_EQ(SkinSliderPositionAt(111, 112, 12, 255), 255);
    EXPECT_EQ(SkinSliderPositionAt(54, 112, 12, 100), 50);  // 54 + 2 - 6 = 50 of 100
    EXPECT_EQ(SkinSliderPositionAt(50, 12, 12, 100), -1) << "no room for the thumb";
    EXPECT_EQ(SkinSliderPositionAt(50, 5, 12, 100), -1);
    // Each pixel of travel maps back to the value whose thumb sits there.
    for (int32_t x = 6; x <= 104; ++x) {
        const int64_t position = SkinSliderPositionAt(x, 112, 12, 100);
        EXPECT_EQ(SkinThumbCentre(112, 12, position, 100), x + 2) << x;
    }
}

TEST(SkinGeometry, ProgressFillsTheValuesShareOfTheWidth) {
    struct Case {
        int32_t width, min, max, value, expected;
    };
    const Case cases[] = {
        {200, 0, 100, 50, 100},  {200, 0, 100, 100, 200}, {200, 0, 100, 0, 0},
        {200, 0, 100, 150, 200}, {200, 0, 100, -5, 0},    {50, 0, 1000, 500, 25},
        {200, 100, 0, 25, 150},  {200, 5, 5, 5, 0},       {0, 0, 100, 50, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkinProgressWidth(c.width, c.min, c.max, c.value), c.expected)
            << c.width << " " << c.min << ".." << c.max << " at " << c.value;
}

TEST(SkinFile, ReadsCurrentAndOldFilesAndRefusesWhatIsNoSkin) {
    struct Case {
        const char* text;
        bool hasChoice;
        int32_t choice;
        bool hasColor;
        int32_t color;
    };
    const Case cases[] = {
        {"Skin1.1\n7\n12345\n", true, 7, true, 12345},
        {"Skin1.0\n6\n0\n", true, 7, true, 0},  // "Elements Dark" after the insertion
        {"Skin1.0\n5\n0\n", true, 5, true, 0},
        {"Skin1.0\n13\n0\n", true, 14, true, 0},
        {"Skin1.0\r\n6\r\n-1\r\n", true, 7, true, -1},
        {"Skin1.0", false, 0, false, 0},
        {"Skin1.0\n14\n0\n", false, 0, true, 0},  // would become 15: no such skin
        {"Skin1.1\n-1\n0\n", false, 0, true, 0},
        {"Skin1.1\n15\n0\n", false, 0, true, 0},
        {"Skin1.1\nlight\nblue\n", false, 0, false, 0},
        {"anything\n3\n99", true, 3, true, 99},  // any other tag reads as the current one
        {"Skin1.0x\n6\n0\n", true, 6, true, 0},
        {"\n6\n0\n", true, 6, true, 0},  // an empty tag line: nothing is cut from the next
        {"", false, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SkinFileValues values = SkinFileParse(c.text);
        EXPECT_EQ(values.hasChoice, c.hasChoice);
        if (c.hasChoice) {
            EXPECT_EQ(values.choice, c.choice);
        }
        EXPECT_EQ(values.hasColor, c.hasColor);
        if (c.hasColor) {
            EXPECT_EQ(values.color, c.color);
        }
    }
}

TEST(SkinFile, WrittenTextReadsBackUnchanged) {
    for (int32_t choice = 0; choice < kSkinChoiceCount; ++choice) {
        for (int32_t color : {0, 0xF0F0F0, -1}) {
            const std::string text = SkinFileFormat(choice, color);
            EXPECT_EQ(text.rfind("Skin1.1\n", 0), 0u);
            const SkinFileValues values = SkinFileParse(text);
            EXPECT_EQ(values.choice, choice);
            EXPECT_EQ(values.color, color);
        }
    }
    EXPECT_EQ(SkinFilePath("C:\\Users\\me\\AppData"),
              "C:\\Users\\me\\AppData\\Quillmoor\\skin.ini");
}
