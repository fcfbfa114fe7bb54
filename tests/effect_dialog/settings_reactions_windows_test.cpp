// The reactions to the settings controls on the real effect dialog, built in-process: type
// combos, linked sliders, the selective table, the mode layouts, view, seeds, brush arrays,
// colour buttons and page links, checked on the controls' states, places and texts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_services.h"
#include "effect/builtin_presets.h"
#include "effect/command_buttons.h"
#include "effect/control_table.h"
#include "effect/effect_session.h"
#include "effect/preset_file_dialogs.h"
#include "effect/preset_lists.h"
#include "effect/settings_reaction_parts.h"
#include "effect/control_ids.h"
#include "effect/settings_reactions.h"
#include "effect/settings_rows.h"
#include "effect/tool_buttons.h"
#include "tests/common/control_texts.h"
#include "tests/common/screen_capture.h"
#include "tests/common/thread_modes.h"
#include "tests/dialog/dialog_test_bed.h"
#include "tests/effect_dialog/built_effect_dialog.h"

namespace {
int32_t React(int32_t control, int32_t event, int32_t previous = 0) {
    return ReactToSettingsControl(&gContext, control, event, previous);
}
// A combo box or check box chosen by the user: the value first, then the click.
int32_t Choose(int32_t control, int32_t value, int32_t previous = 0) {
    SetControlValue(control, value);
    return React(control, EVENT_CLICKED, previous);
}
// A slider moved by the user.
void Move(int32_t control, int32_t value) {
    SetControlValue(control, value);
    React(control, EVENT_VALUE_CHANGED);
}
int32_t Y(int32_t n) {
    return GetControlCoord(n, 1);
}
int32_t Cell(int32_t row, int32_t column) {
    return GetArrayElement(ARRAY_SELECTIVE_TABLE, row, column, 0);
}

using Reactions = BuiltEffectDialog;

// --- Type combos ---------------------------------------------------------------------------------

struct Place {
    int32_t control, reference, dy;  // y(control) == y(reference) + dy
};
struct Label {
    int32_t control;
    const char* text;
};
struct ComboLayout {
    int32_t combo, value;
    std::vector<int32_t> shown, hidden;
    std::vector<Place> places;
    std::vector<Label> labels;
    std::vector<std::pair<int32_t, int32_t>> heights;
};

TEST_F(Reactions, TypeCombosShowHideMoveAndRelabelTheirDependents) {
    const std::vector<int32_t> maskAll = {58, 16, 2,   11, 12, 13,  14,  237, 4,
                                          18, 15, 238, 5,  10, 7,   239, 159, 6,
                                          8,  9,  85,  86, 87, 366, 367, 368, 369};
    const ComboLayout cases[] = {
        {CTL_MASK_TYPE, 0, {}, maskAll, {}, {}, {}},
        {CTL_MASK_TYPE,
         2,
         {58, 16, 237, 4, 18, 15, 238, 5, 10, 7, 239, 159, 6, 366, 367, 368},
         {2, 11, 12, 13, 14, 369},
         {},
         {},
         {}},
        {CTL_MASK_TYPE,
         3,
         {58, 16, 2, 11, 12, 14, 369},
         {13, 237, 4, 18, 15, 238, 5, 10, 7, 239, 159, 6, 8, 9, 85, 86, 87, 366, 367, 368},
         {{14, 13, 0}},
         {{11, "Offset"}},
         {}},
        {CTL_MASK_TYPE,
         4,
         {58, 16, 2, 11, 12, 13, 14, 369},
         {237, 159, 366},
         {{14, 13, 10}},
         {{11, "Size"}},
         {}},
        {CTL_MASK_BRIGHT_MODE, 0, {8, 9}, {85, 86, 87}, {}, {}, {}},
        {CTL_MASK_BRIGHT_MODE, 1, {85, 86, 87}, {8, 9}, {}, {}, {}},
        {CTL_DIFFUSION_MASK_SHAPE, 0, {}, {280, 274, 275, 276, 277}, {}, {}, {}},
        {CTL_DIFFUSION_MASK_SHAPE,
         1,
         {280, 274, 275, 277},
         {276},
         {{277, 276, 0}},
         {{274, "Offset"}},
         {}},
        {CTL_DIFFUSION_MASK_SHAPE,
         3,
         {280, 274, 275, 276, 277},
         {},
         {{277, 276, 10}},
         {{274, "Size"}},
         {}},
        {CTL_NDGRAD_SHAPE, 1, {}, {234}, {{188, 234, 0}}, {{186, "Offset"}}, {}},
        {CTL_NDGRAD_SHAPE, 2, {234}, {}, {{188, 234, 10}}, {{186, "Size"}}, {}},
        {CTL_FRAME_EDGE_SHAPE, 0, {}, {284, 264, 271, 272, 273, 281, 282, 278, 279}, {}, {}, {}},
        {CTL_FRAME_EDGE_SHAPE, 3, {284, 264, 271, 272, 273, 281, 282}, {278, 279}, {}, {}, {}},
        {CTL_FRAME_EDGE_SHAPE, 6, {284, 264, 271, 272, 273, 281, 282, 278, 279}, {}, {}, {}, {}},
        {CTL_CONVERSION_METHOD,
         7,
         {50, 51, 52, 53},
         {231},
         {{232, 53, 13}, {233, 53, 23}},
         {{50, "Shadow-Hue"}},
         {{201, 95}}},
        {CTL_CONVERSION_METHOD,
         3,
         {},
         {50, 231, 51, 52, 53},
         {{232, 50, 10}, {233, 50, 20}},
         {},
         {{201, GetControlAltPosition(201, 3)}}},
        {CTL_CONVERSION_METHOD, 6, {50}, {231, 51, 52, 53}, {}, {{50, "Range"}}, {}},
        {CTL_CONVERSION_METHOD, 0, {50, 231}, {51, 52, 53}, {{232, 50, 10}}, {{50, "Hue"}}, {}},
        {CTL_LABFX_TYPE, 1, {34, 207, 54, 78}, {132, 47, 125}, {}, {}, {{296, 68}}},
        {CTL_LABFX_TYPE, 0, {132}, {47, 34, 207, 54, 125, 78}, {}, {{132, "Amount"}}, {{296, 48}}},
        {CTL_LABFX_TYPE, 2, {132, 78}, {47, 34, 207, 54, 125}, {}, {{132, "Amount"}}, {{296, 48}}},
        {CTL_LABFX_TYPE, 4, {132, 125}, {34, 207, 54, 78}, {}, {}, {{296, 48}}},
        {CTL_LABFX_DOUBLE, 1, {47}, {}, {}, {{132, "Amount A"}}, {{296, 58}}},
        {CTL_LABFX_DOUBLE, 0, {}, {47}, {}, {{132, "Amount"}}, {{296, 48}}},
    };
    for (const ComboLayout& c : cases) {
        SCOPED_TRACE("combo " + std::to_string(c.combo) + " value " + std::to_string(c.value));
        // Start from the opposite: everything the case shows hidden and the reverse.
        for (int32_t n : c.shown) SetControlState(n, 0);
        for (int32_t n : c.hidden) SetControlState(n, -1);
        EXPECT_EQ(Choose(c.combo, c.value), 0) << "the preview is rendered";
        EXPECT_EQ(GetControlValue(c.combo), c.value);
        for (int32_t n : c.shown) EXPECT_TRUE(Shown(n)) << n << " shown";
        for (int32_t n : c.hidden) EXPECT_FALSE(Shown(n)) << n << " hidden";
        for (const Place& p : c.places) EXPECT_EQ(Y(p.control), Y(p.reference) + p.dy) << p.control;
        for (const Label& l : c.labels) EXPECT_EQ(Text(l.control), l.text) << l.control;
        for (const auto& h : c.heights) EXPECT_EQ(GetControlCoord(h.first, 3), h.second) << h.first;
    }
}

TEST_F(Reactions, LabFxSolarizationTakesTheDoubleHeightWhileDoubleIsOn) {
    SetControlValue(CTL_LABFX_DOUBLE, 1);
    Choose(CTL_LABFX_TYPE, 3);
    EXPECT_EQ(GetControlCoord(CTL_LABFX_GROUP, 3), 58);
    SetControlValue(CTL_LABFX_DOUBLE, 0);
    Choose(CTL_LABFX_TYPE, 3);
    EXPECT_EQ(GetControlCoord(CTL_LABFX_GROUP, 3), 48);
}

TEST_F(Reactions, SeparatorItemsAreSkippedInTheDirectionOfTravel) {
    struct Case {
        int32_t combo, chosen, previous, expected;
    } cases[] = {
        {CTL_MASK_TYPE, 1, 2, 0},         {CTL_MASK_TYPE, 1, 0, 2},
        {CTL_TONALLOOK_TYPE, 5, 6, 4},    {CTL_TONALLOOK_TYPE, 5, 4, 6},
        {CTL_TONALLOOK_TYPE, 5, 0, 6},    {CTL_CONVERSION_METHOD, 1, 2, 0},
        {CTL_CONVERSION_METHOD, 5, 6, 4}, {CTL_CONVERSION_METHOD, 5, 3, 6},
        {CTL_SPLIT_VIEW, 1, 2, 0},        {CTL_SPLIT_VIEW, 1, 0, 2},
        {CTL_EFFECT_LIST, 7, 8, 6},       {CTL_EFFECT_LIST, 7, 6, 8},
        {CTL_EFFECT_LIST, 12, 13, 11},
    };
    SetControlValue(CTL_MODE, 4);  // the effect list goes to its pages in Advanced+ Mode
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.combo) + ": " + std::to_string(c.chosen) + " from " +
                     std::to_string(c.previous));
        Choose(c.combo, c.chosen, c.previous);
        EXPECT_EQ(GetControlValue(c.combo), c.expected);
    }
    // The conversion goes on with the item it lands on: Infra-Red's label.
    Choose(CTL_CONVERSION_METHOD, 5, 4);
    EXPECT_EQ(Text(CTL_CONVERSION_HUE), "Range");
}

TEST_F(Reactions, EffectListStepsPassTheSeparators) {
    SetControlValue(CTL_MODE, 4);
    SetControlValue(CTL_EFFECT_LIST, 8);
    React(CTL_EFFECT_PREV, EVENT_CLICKED);
    EXPECT_EQ(GetControlValue(CTL_EFFECT_LIST), 6) << "the list's own reaction passes item 7";
    React(CTL_EFFECT_NEXT, EVENT_CLICKED);
    EXPECT_EQ(GetControlValue(CTL_EFFECT_LIST), 8);
    SetControlValue(CTL_EFFECT_LIST, 0);
    React(CTL_EFFECT_PREV, EVENT_CLICKED);
    EXPECT_EQ(GetControlValue(CTL_EFFECT_LIST), 0) << "nothing above the first item";
    const int32_t last = GetControlItemCount(CTL_EFFECT_LIST) - 1;
    SetControlValue(CTL_EFFECT_LIST, last);
    React(CTL_EFFECT_NEXT, EVENT_CLICKED);
    EXPECT_EQ(GetControlValue(CTL_EFFECT_LIST), last) << "nothing below the last item";
}

// --- Linked sliders ------------------------------------------------------------------------------

TEST_F(Reactions, LinkOptionsJoinShadowsAndHighlightsIntoOneContrastSlider) {
    const int32_t pairs[][3] = {{27, 25, 26},    {49, 46, 48},    {118, 80, 88},
                                {249, 247, 248}, {255, 253, 254}, {261, 259, 260}};
    for (const auto& pair : pairs) {
        const int32_t option = pair[0], s = pair[1], h = pair[2];
        SCOPED_TRACE(option);
        const int32_t highlightsY = Y(h);
        SetControlValue(s, 20);
        SetControlValue(h, 30);
        EXPECT_EQ(Choose(option, 1), 0) << "values differed: the preview renders";
        EXPECT_EQ(Text(s), "Contrast");
        EXPECT_EQ(Text(h), "Contrast");
        EXPECT_FALSE(Shown(h));
        EXPECT_EQ(Y(s), highlightsY - 5);
        EXPECT_EQ(GetControlValue(h), 20);
        EXPECT_EQ(Choose(option, 1), 1) << "values equal: nothing to render";

        Move(s, 35);
        EXPECT_EQ(GetControlValue(h), 35) << "the hidden partner follows";
        Move(h, 12);
        EXPECT_EQ(GetControlValue(s), 12);

        EXPECT_EQ(Choose(option, 0), 1);
        EXPECT_EQ(Text(s), "Shadows");
        EXPECT_EQ(Text(h), "Highlights");
        EXPECT_TRUE(Shown(h));
        EXPECT_EQ(Y(s), highlightsY - 10);
        EXPECT_EQ(GetControlValue(h), 12);
        Move(s, 40);
        EXPECT_EQ(GetControlValue(h), 12) << "unlinked: the partner stays";
    }
}

TEST_F(Reactions, SaturationPairFollowsWhileItsLinkValueIsSet) {
    StoreControlValue(57, 1);
    StoreControlValue(83, 70);
    React(83, EVENT_VALUE_CHANGED);
    EXPECT_EQ(GetControlValue(133), 70);
    StoreControlValue(57, 0);
    StoreControlValue(133, 10);
    React(133, EVENT_VALUE_CHANGED);
    EXPECT_EQ(GetControlValue(83), 70);
}

// --- Selective colours ---------------------------------------------------------------------------

TEST_F(Reactions, ToleranceIsStoredMappedAndSavedUnmappedOnABoxSwitch) {
    Choose(CTL_SELECT_COLOR_ORANGE, 0);
    EXPECT_EQ(GetControlValue(CTL_SELECT_COLOR_MARK), 1);
    Move(CTL_SELECT_TOLERANCE, 100);
    EXPECT_EQ(Cell(1, 4), 90);
    Move(CTL_SELECT_TOLERANCE, 50);
    EXPECT_EQ(Cell(1, 4), 50);
    Move(CTL_SELECT_TOLERANCE, 100);
    EXPECT_EQ(Choose(CTL_SELECT_COLOR_GREEN, 0), 1);
    EXPECT_EQ(Cell(1, 4), 100) << "a box switch saves the slider as it stands";
    EXPECT_EQ(GetControlValue(CTL_SELECT_COLOR_MARK), 3);
    EXPECT_EQ(GetControlValue(CTL_SELECT_TOLERANCE), Cell(3, 4)) << "the new row is loaded";
}

TEST_F(Reactions, ChosenBoxAndPageSlidersMirrorEachOtherExceptContrastToleranceAndGray) {
    Choose(CTL_SELECT_COLOR_YELLOW, 0);  // row 2
    Move(CTL_SELECT_BRIGHTNESS, 33);
    EXPECT_EQ(Cell(2, 0), 33);
    EXPECT_EQ(GetControlValue(CTL_SELBRIGHT_YELLOW), 33);
    Move(CTL_SELECT_COLORKEY, 121);
    EXPECT_EQ(GetControlValue(CTL_COLORKEY_YELLOW), 121);
    const int32_t contrastBefore = GetControlValue(CTL_SELCONTRAST_YELLOW);
    Move(CTL_SELECT_CONTRAST, contrastBefore + 7);
    EXPECT_EQ(Cell(2, 1), contrastBefore + 7);
    EXPECT_EQ(GetControlValue(CTL_SELCONTRAST_YELLOW), contrastBefore) << "contrast not back";

    Move(CTL_SELBRIGHT_YELLOW, -44);
    EXPECT_EQ(Cell(2, 0), -44);
    EXPECT_EQ(GetControlValue(CTL_SELECT_BRIGHTNESS), -44);
    Move(CTL_SELBRIGHT_RED, 5);
    EXPECT_EQ(Cell(0, 0), 5);
    EXPECT_EQ(GetControlValue(CTL_SELECT_BRIGHTNESS), -44) << "another row: no mirror";
    Move(CTL_SELCONTRAST_YELLOW, 12);
    EXPECT_EQ(GetControlValue(CTL_SELECT_CONTRAST), 12);

    gSession.thumbnailRendering = 1;
    Move(CTL_SELBRIGHT_YELLOW, 17);
    EXPECT_EQ(Cell(2, 0), 17);
    EXPECT_EQ(GetControlValue(CTL_SELECT_BRIGHTNESS), -44) << "thumbnails leave the box sliders";
    gSession.thumbnailRendering = 0;

    EXPECT_TRUE(Shown(CTL_HUE_RANGE));
    Choose(CTL_SELECT_COLOR_GRAY, 0);
    EXPECT_EQ(GetControlValue(CTL_SELECT_COLOR_MARK), 8);
    EXPECT_FALSE(Shown(CTL_HUE_RANGE));
    EXPECT_FALSE(Shown(CTL_HUE_RANGE_LABEL));
    Move(CTL_SELBRIGHT_GRAY, 61);
    EXPECT_EQ(Cell(8, 0), 61);
    EXPECT_EQ(GetControlValue(CTL_SELECT_BRIGHTNESS), 61);
    Move(CTL_SELECT_BRIGHTNESS, 62);
    EXPECT_EQ(Cell(8, 0), 62);
    EXPECT_EQ(GetControlValue(CTL_SELBRIGHT_GRAY), 61) << "gray is never mirrored back";
    Choose(CTL_SELECT_COLOR_RED, 0);
    EXPECT_TRUE(Shown(CTL_HUE_RANGE));
    EXPECT_EQ(GetControlValue(CTL_SELECT_BRIGHTNESS), 5);
}

TEST_F(Reactions, ColorBoxMarkStandsOverTheChosenBoxAndAWrongRowIsHeldToTheTable) {
    const int32_t redX = GetControlCoord(CTL_SELECT_COLOR_RED, 0);
    for (int32_t row : {0, 3, 6}) {
        SetControlValue(CTL_SELECT_COLOR_MARK, row);
        React(9, EVENT_USER);
        EXPECT_EQ(GetControlCoord(CTL_SELECT_COLOR_MARK, 0), redX + 16 * row);
    }
    SetControlValue(CTL_SELECT_COLOR_MARK, 8);
    React(9, EVENT_USER);
    EXPECT_EQ(GetControlCoord(CTL_SELECT_COLOR_MARK, 0), GetControlCoord(CTL_SELECT_COLOR_GRAY, 0));

    // A settings file may carry any row: the slider writes stay inside the table.
    StoreControlValue(CTL_SELECT_COLOR_MARK, 4000);
    Move(CTL_SELECT_BRIGHTNESS, 9);
    EXPECT_EQ(Cell(8, 0), 9);
}

TEST_F(Reactions, ConversionHueSwatchTakesTheColourOfItsSliders) {
    Choose(CTL_CONVERSION_METHOD, 0);
    struct Case {
        int32_t hue, saturation, lightness;
        COLORREF color;
    } cases[] = {
        {0, 128, 0, RGB(255, 0, 0)},       // s 255, l 128: pure red
        {85, 128, 0, RGB(0, 255, 0)},      // a third of the way round: green
        {0, -127, 0, RGB(128, 128, 128)},  // no saturation: the lightness grey
    };
    for (const Case& c : cases) {
        SetControlValue(CTL_CONVERSION_HUE, c.hue);
        SetControlValue(CTL_CONVERSION_SATURATION, c.saturation);
        SetControlValue(CTL_CONVERSION_LIGHTNESS, c.lightness);
        React(CTL_CONVERSION_LIGHTNESS, EVENT_VALUE_CHANGED);
        const COLORREF got = COLORREF(GetControlValue(CTL_CONVERSION_HUE_STRIP));
        EXPECT_NEAR(GetRValue(got), GetRValue(c.color), 1) << c.hue;
        EXPECT_NEAR(GetGValue(got), GetGValue(c.color), 1) << c.hue;
        EXPECT_NEAR(GetBValue(got), GetBValue(c.color), 1) << c.hue;
        EXPECT_EQ(COLORREF(GetControlColor(CTL_CONVERSION_HUE_STRIP)), got);
    }
}

// --- View: zoom and split ------------------------------------------------------------------------

TEST_F(Reactions, ZoomShortcutsChooseFitAndHundredPercent) {
    EXPECT_EQ(Choose(CTL_ZOOM_100, 0), 1);
    EXPECT_EQ(GetControlValue(CTL_ZOOM), 11);
    EXPECT_EQ(Choose(CTL_ZOOM_FIT, 0), 1);
    EXPECT_EQ(GetControlValue(CTL_ZOOM), 26);
}

TEST_F(Reactions, SplitMultiCentresTheSplitLineOnThePreview) {
    gContext.currentLeft = 100;
    gContext.currentRight = 300;
    gContext.currentTop = 40;
    gContext.currentBottom = 140;
    gContext.zoomReduction = 4;
    Choose(CTL_SPLIT_MULTI, 1);
    EXPECT_EQ(gSession.splitOffsetX, 200 * 4);
    EXPECT_EQ(gSession.splitOffsetY, 90 * 4);
    Choose(CTL_SPLIT_MULTI, 0);
    EXPECT_EQ(gSession.splitOffsetX, 0);
    EXPECT_EQ(gSession.splitOffsetY, 0);
}

// --- Seeds ---------------------------------------------------------------------------------------

TEST_F(Reactions, RandomButtonsTakeTheirSeedsFromTheClock) {
    const int32_t before = int32_t(time(nullptr));
    Choose(CTL_GRAIN_RANDOMIZE, 0);
    Choose(CTL_AGING_RANDOMIZE, 0);
    const int32_t seedBefore = 4321;
    SetControlValue(CTL_FRAME_SEED, seedBefore);
    Choose(CTL_FRAME_RANDOMIZE, 0);
    const int32_t after = int32_t(time(nullptr));

    EXPECT_GE(gSession.grainSeed, before);
    EXPECT_LE(gSession.grainSeed, after);
    EXPECT_GE(GetControlValue(CTL_AGING_RANDOMIZE), before)
        << "the whole seed, not a button's 0..1";
    EXPECT_LE(GetControlValue(CTL_AGING_RANDOMIZE), after);
    // The frame seed is the C generator's first draw after seeding with seed + time.
    bool matched = false;
    for (int32_t t = before; t <= after; ++t) {
        srand(unsigned(seedBefore + t));
        matched = matched || FrameSeedFromRandom(rand()) == GetControlValue(CTL_FRAME_SEED);
    }
    EXPECT_TRUE(matched) << GetControlValue(CTL_FRAME_SEED);
    EXPECT_EQ(Text(CTL_FRAME_SEED), std::to_string(GetControlValue(CTL_FRAME_SEED)));
}

TEST_F(Reactions, FrameSeedTypedCountsOnlyOnceTheDialogIsShown) {
    SetControlValue(CTL_FRAME_SEED, 5);
    SetControlText(CTL_FRAME_SEED, "777");
    React(CTL_FRAME_SEED, EVENT_VALUE_CHANGED);
    EXPECT_EQ(GetControlValue(CTL_FRAME_SEED), 5);
    gDialogShown = 1;
    SetControlText(CTL_FRAME_SEED, "777");
    React(CTL_FRAME_SEED, EVENT_VALUE_CHANGED);
    EXPECT_EQ(GetControlValue(CTL_FRAME_SEED), 777);
}

// --- Brush arrays --------------------------------------------------------------------------------

class BrushButtons : public BuiltEffectDialog {
  protected:
    static constexpr int32_t kW = 7, kH = 5;
    static void MakeArray(int32_t n, int32_t value) {
        ASSERT_EQ(CreateArray(n, kW, kH, 1, 1), 1);
        SetAllArrayElements(n, value);
    }
    static bool Exists(int32_t n) { return GetArrayBase(n) != nullptr; }
    static int32_t At(int32_t n, int32_t x, int32_t y) { return GetArrayElement(n, x, y, 0); }
};

TEST_F(BrushButtons, ApplyMergesTheLastStrokeIntoTheMaskAndDropsIt) {
    SetControlValue(CTL_BRUSH_OPACITY, 100);
    SetControlValue(CTL_BRUSH_AMOUNT, 0);
    SetControlValue(CTL_MULTI_CPU_OFF, 1);
    gSession.brushMode = 1;  // multiply: the layer darkens the mask
    MakeArray(ARRAY_BRUSH_MASK, 200);
    MakeArray(ARRAY_BRUSH_STROKE, 255);
    PutArrayElement(ARRAY_BRUSH_STROKE, 2, 3, 0, 51);
    EXPECT_EQ(Choose(CTL_BRUSH_APPLY, 0), 0);
    EXPECT_FALSE(Exists(ARRAY_BRUSH_STROKE));
    EXPECT_EQ(At(ARRAY_BRUSH_MASK, 2, 3), 51 * 200 / 255);
    EXPECT_EQ(At(ARRAY_BRUSH_MASK, 0, 0), 200);

    // Half opacity blends the product with the old mask.
    SetControlValue(CTL_BRUSH_OPACITY, 50);
    MakeArray(ARRAY_BRUSH_STROKE, 0);
    Choose(CTL_BRUSH_APPLY, 0);
    EXPECT_EQ(At(ARRAY_BRUSH_MASK, 0, 0), (0 * 50 + 50 * 200) / 100);
}

TEST_F(BrushButtons, ApplyMakesAMissingMaskClearFirst) {
    SetControlValue(CTL_BRUSH_OPACITY, 100);
    SetControlValue(CTL_BRUSH_AMOUNT, 0);
    gSession.brushMode = 1;
    MakeArray(ARRAY_BRUSH_STROKE, 102);
    Choose(CTL_BRUSH_APPLY, 0);
    ASSERT_TRUE(Exists(ARRAY_BRUSH_MASK));
    EXPECT_EQ(GetArrayDimension(ARRAY_BRUSH_MASK, 0), kW);
    EXPECT_EQ(At(ARRAY_BRUSH_MASK, 6, 4), 102);
}

TEST_F(BrushButtons, OpacityZeroOnlyDiscardsAndNoLayerDoesNothing) {
    MakeArray(ARRAY_BRUSH_MASK, 200);
    MakeArray(ARRAY_BRUSH_STROKE, 0);
    SetControlValue(CTL_BRUSH_OPACITY, 0);
    Choose(CTL_BRUSH_APPLY, 0);
    EXPECT_FALSE(Exists(ARRAY_BRUSH_STROKE));
    EXPECT_EQ(At(ARRAY_BRUSH_MASK, 1, 1), 200);

    ReleaseArray(ARRAY_BRUSH_MASK);
    SetControlValue(CTL_BRUSH_OPACITY, 100);
    Choose(CTL_BRUSH_APPLY, 0);
    EXPECT_FALSE(Exists(ARRAY_BRUSH_MASK)) << "no stroke: no mask is made";
}

TEST_F(BrushButtons, RemoveDropsTheStrokeAndClearDropsBoth) {
    MakeArray(ARRAY_BRUSH_MASK, 200);
    MakeArray(ARRAY_BRUSH_STROKE, 0);
    EXPECT_EQ(Choose(CTL_BRUSH_REMOVE, 0), 0);
    EXPECT_FALSE(Exists(ARRAY_BRUSH_STROKE));
    EXPECT_TRUE(Exists(ARRAY_BRUSH_MASK));
    MakeArray(ARRAY_BRUSH_STROKE, 0);
    EXPECT_EQ(Choose(CTL_BRUSH_CLEAR, 0), 1);
    EXPECT_FALSE(Exists(ARRAY_BRUSH_STROKE));
    EXPECT_FALSE(Exists(ARRAY_BRUSH_MASK));
}

// --- Colour buttons ------------------------------------------------------------------------------

// Answers the colour dialog that the reaction opens on this thread: types a colour into its
// red, green and blue boxes and presses OK, or cancels it.
class ColorDialogAnswer {
  public:
    ColorDialogAnswer(HWND owner, bool ok, COLORREF color)
        : worker_([=] {
              HWND picker = nullptr;
              WaitFor(
                  [&] {
                      HWND found = GetForegroundWindow();
                      if (found && found != owner && GetDlgItem(found, kRedBox)) picker = found;
                      return picker != nullptr;
                  },
                  10000);
              if (!picker) return;
              if (ok) {
                  SetDlgItemInt(picker, kRedBox, GetRValue(color), FALSE);
                  SetDlgItemInt(picker, kGreenBox, GetGValue(color), FALSE);
                  SetDlgItemInt(picker, kBlueBox, GetBValue(color), FALSE);
              }
              PostMessageA(picker, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
          }) {}
    ~ColorDialogAnswer() { worker_.join(); }

  private:
    static constexpr int kRedBox = 706, kGreenBox = 707, kBlueBox = 708;
    std::thread worker_;
};

TEST_F(Reactions, ColorButtonTakesThePickedColourAndACancelLeavesIt) {
    ShowWindow(window, SW_SHOW);
    SetControlValue(CTL_HOST_COLOR_DIALOG, 1);  // no host here: the system's picker
    const int32_t before = GetControlColor(CTL_VIGNETTE_COLOR);
    {
        ColorDialogAnswer answer(window, false, 0);
        EXPECT_EQ(React(CTL_VIGNETTE_COLOR, EVENT_CLICKED), 1);
    }
    EXPECT_EQ(GetControlColor(CTL_VIGNETTE_COLOR), before);
    {
        ColorDialogAnswer answer(window, true, RGB(12, 200, 99));
        EXPECT_EQ(React(CTL_VIGNETTE_COLOR, EVENT_CLICKED), 0);
    }
    EXPECT_EQ(COLORREF(GetControlColor(CTL_VIGNETTE_COLOR)), RGB(12, 200, 99));
    EXPECT_EQ(COLORREF(GetControlValue(CTL_VIGNETTE_COLOR)), RGB(12, 200, 99));
}

// --- Page links, reset ---------------------------------------------------------------------------

TEST_F(Reactions, MoreTextsOpenTheirPageAndLightUpUnderTheMouse) {
    // The built-in lists are filled when the dialog opens; only the value counts here.
    StoreControlValue(CTL_BUILTIN_COLOR_GRAD, 3);
    Choose(CTL_MORE_COLOR_GRAD, 0);
    // In Advanced Mode the page shows as the main tab's sheet and the page selector's item.
    EXPECT_EQ(GetControlValue(CTL_MAIN_TAB), 1);
    EXPECT_EQ(GetControlValue(CTL_FX1_PAGES), 0) << "Polarizer";
    StoreControlValue(CTL_BUILTIN_COLOR_GRAD, 5);
    Choose(CTL_MORE_COLOR_GRAD, 0);
    EXPECT_EQ(GetControlValue(CTL_FX1_PAGES), 3) << "ND-Grad";
    Choose(CTL_MORE_FRAME, 0);
    EXPECT_EQ(GetControlValue(CTL_MAIN_TAB), 4);
    EXPECT_EQ(GetControlValue(CTL_FX2_PAGES), 3) << "Frame";

    SetControlState(CTL_MORE_PAPER, -1);
    React(CTL_MORE_PAPER, EVENT_MOUSE_ENTER);
    EXPECT_EQ(COLORREF(GetControlTextColor(CTL_MORE_PAPER)), RGB(255, 0, 0));
    React(CTL_MORE_PAPER, EVENT_MOUSE_LEAVE);
    EXPECT_EQ(COLORREF(GetControlTextColor(CTL_MORE_PAPER)), RGB(0, 0, 255));
    SetControlState(CTL_MORE_PAPER, 0);
    React(CTL_MORE_PAPER, EVENT_MOUSE_ENTER);
    EXPECT_EQ(COLORREF(GetControlTextColor(CTL_MORE_PAPER)), RGB(0, 0, 255)) << "hidden: untouched";
}

TEST_F(Reactions, ResetPutsThePlainTitleBack) {
    SetWindowTextA(window, "Greyloom 2.0 - Espresso");
    EXPECT_EQ(Choose(CTL_RESET, 0), 0);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Greyloom 2.0");
}

// --- Mode layouts --------------------------------------------------------------------------------

// The controls Quick Edit Mode takes off their sheets and how far each moves there.
const std::vector<std::pair<int32_t, int32_t>>& QuickEditMoves() {
    static const std::vector<std::pair<int32_t, int32_t>> moves = [] {
        std::vector<std::pair<int32_t, int32_t>> m = {
            {160, -14}, {20, -105}, {25, -105}, {26, -105}, {27, -105}, {22, -105},
            {50, -52},  {232, -52}, {233, -52}, {161, 76},  {353, 76},  {360, 76}};
        for (int32_t n = 219; n <= 226; ++n) m.push_back({n, 76});
        return m;
    }();
    return moves;
}

struct Layout {
    std::vector<int32_t> y, tab, sheet;
};
Layout TakeLayout() {
    Layout layout;
    for (int32_t n = 0; n < kControlCount; ++n) {
        layout.y.push_back(UsedControlRecord(n) ? Y(n) : 0);
        layout.tab.push_back(GetControlSheet(n, 0));
        layout.sheet.push_back(GetControlSheet(n, 1));
    }
    return layout;
}
void ExpectSameLayout(const Layout& a, const Layout& b) {
    for (int32_t n = 0; n < kControlCount; ++n) {
        EXPECT_EQ(a.y[n], b.y[n]) << "y of " << n;
        EXPECT_EQ(a.tab[n], b.tab[n]) << "tab of " << n;
        EXPECT_EQ(a.sheet[n], b.sheet[n]) << "sheet of " << n;
    }
}
int32_t TabCount() {
    return GetControlItemCount(CTL_MAIN_TAB);
}

TEST_F(Reactions, QuickEditModeTakesItsControlsOffTheSheetsAndGivesThemBack) {
    const Layout advanced = TakeLayout();
    std::vector<int32_t> onSelectPages;
    for (int32_t n = 0; n < kControlCount; ++n)
        if (UsedControlRecord(n) && GetControlSheet(n, 0) == CTL_SELECT_PAGES)
            onSelectPages.push_back(n);
    ASSERT_FALSE(onSelectPages.empty());

    EXPECT_EQ(Choose(CTL_MODE, 1), 0);
    EXPECT_EQ(gLayoutMode, 1);
    for (const auto& move : QuickEditMoves()) {
        SCOPED_TRACE(move.first);
        EXPECT_EQ(Y(move.first), advanced.y[move.first] + move.second);
        EXPECT_EQ(GetControlSheet(move.first, 0), -1);
        EXPECT_TRUE(Shown(move.first));
    }
    for (int32_t n : onSelectPages) EXPECT_EQ(Y(n), advanced.y[n] + 76) << n;
    EXPECT_FALSE(Shown(CTL_MAIN_TAB));
    EXPECT_EQ(GetControlValue(CTL_CONVERSION_METHOD), 0)
        << "Quick Edit's hue is the colour filter's";
    EXPECT_EQ(TakeLayout().y[CTL_OK], advanced.y[CTL_OK]);

    EXPECT_EQ(Choose(CTL_MODE, 3), 0);
    ExpectSameLayout(TakeLayout(), advanced);
    EXPECT_TRUE(Shown(CTL_MAIN_TAB));
    EXPECT_EQ(TabCount(), 6);
}

TEST_F(Reactions, PhotographyModeAloneShowsTheBuiltInPresetCombos) {
    for (int32_t mode : {2, 3, 2, 1, 2, 4, 2, 0}) {
        SCOPED_TRACE(mode);
        Choose(CTL_MODE, mode);
        for (int32_t n = 170; n <= 200; ++n)
            if ((n <= 182 || n >= 189) && UsedControlRecord(n)) {
                EXPECT_EQ(Shown(n), mode == 2) << n;
            }
    }
}

TEST_F(Reactions, AdvancedPlusModeShowsTheEffectListInsteadOfTheFx1Pages) {
    SetControlValue(CTL_MAIN_TAB, 3);  // Main sheet, Tone page
    EXPECT_EQ(Choose(CTL_MODE, 4), 0);
    for (int32_t n : {CTL_EFFECT_LIST, CTL_EFFECT_PREV, CTL_EFFECT_NEXT})
        EXPECT_TRUE(Shown(n)) << n;
    EXPECT_FALSE(Shown(CTL_FX1_PAGES));
    EXPECT_EQ(TabCount(), 2);
    EXPECT_EQ(GetControlValue(CTL_EFFECT_LIST), MapListIndex(11, LIST_FROM_PAGE)) << "Tone page";

    EXPECT_EQ(Choose(CTL_MODE, 3), 0);
    for (int32_t n : {CTL_EFFECT_LIST, CTL_EFFECT_PREV, CTL_EFFECT_NEXT})
        EXPECT_FALSE(Shown(n)) << n;
    EXPECT_TRUE(Shown(CTL_FX1_PAGES));
    EXPECT_EQ(TabCount(), 6);
}

TEST_F(Reactions, EasyModeShowsThePresetTabAloneAndKeepsTheSheetForLater) {
    SetControlValue(CTL_MAIN_TAB, 2);
    Choose(CTL_MODE, 0);
    EXPECT_EQ(TabCount(), 1);
    EXPECT_EQ(GetControlValue(CTL_MAIN_TAB), 0);
    EXPECT_TRUE(Shown(CTL_MAIN_TAB));
    Choose(CTL_MODE, 3);
    EXPECT_EQ(TabCount(), 6);
    EXPECT_EQ(GetControlValue(CTL_MAIN_TAB), 2) << "the sheet before Easy Mode comes back";
}

TEST_F(Reactions, TheCurrentModeAgainChangesNothingOnceTheDialogIsShown) {
    Choose(CTL_MODE, 1);
    const Layout quick = TakeLayout();
    gDialogShown = 1;
    EXPECT_EQ(Choose(CTL_MODE, 1), 1);
    ExpectSameLayout(TakeLayout(), quick);
}

TEST_F(Reactions, ADialogBuiltAnewStandsInTheAdvancedLayoutWhateverTheLastOneEndedIn) {
    Choose(CTL_MODE, 1);
    ASSERT_EQ(gLayoutMode, 1);
    // The next dialog of the same session: its controls are made again in Advanced Mode.
    ASSERT_TRUE(BuildInto(MakeDialogWindow(DIALOG_FROM_TEMPLATE)));
    const Layout advanced = TakeLayout();
    Choose(CTL_MODE, 3);
    ExpectSameLayout(TakeLayout(), advanced);
    Choose(CTL_MODE, 1);
    EXPECT_EQ(Y(20), advanced.y[20] - 105) << "and Quick Edit moves from there once";
}

// --- Labels --------------------------------------------------------------------------------------

// The label windows whose text is wider than the window, in the font the window draws with.
std::vector<std::string> CutLabels() {
    std::vector<std::string> cut;
    for (int32_t n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || !record->labelWindow) continue;
        char text[256] = "";
        GetWindowTextA(record->labelWindow, text, sizeof text);
        if (!text[0]) continue;
        HDC dc = GetDC(record->labelWindow);
        const HGDIOBJ font = HGDIOBJ(SendMessageA(record->labelWindow, WM_GETFONT, 0, 0));
        const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
        RECT needed = {0, 0, 0, 0}, client = {};
        DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, old);
        ReleaseDC(record->labelWindow, dc);
        GetClientRect(record->labelWindow, &client);
        if (needed.right > client.right)
            cut.push_back(std::to_string(n) + " \"" + text + "\" needs " +
                          std::to_string(needed.right) + ", has " + std::to_string(client.right));
    }
    return cut;
}

// A label is measured in its control's font and placed at that width: its window must draw
// in the same font, whether the dialog hands its own font to the controls or has none.
TEST_F(Reactions, EveryLabelHoldsItsTextInTheFontItIsDrawnWith) {
    for (DialogWindowKind kind : {DIALOG_FROM_TEMPLATE, DIALOG_WITHOUT_FONT}) {
        SCOPED_TRACE(kind == DIALOG_FROM_TEMPLATE ? "plug-in's template" : "no dialog font");
        if (kind != DIALOG_FROM_TEMPLATE) {
            ASSERT_TRUE(BuildInto(MakeDialogWindow(kind)));
        }
        for (int32_t mode : {3, 1}) {
            Choose(CTL_MODE, mode);
            const std::vector<std::string> cut = CutLabels();
            std::string list;
            for (const std::string& label : cut) list += "\n  " + label;
            EXPECT_TRUE(cut.empty()) << "mode " << mode << ":" << list;
        }
    }
}

// --- Pictures ------------------------------------------------------------------------------------

class ReactionPictures : public BuiltEffectDialog {
  protected:
    void Shoot(const std::string& name) {
        ShowWindow(window, SW_SHOW);
        SetWindowPos(window, HWND_TOP, 0, 0, kWidth, kHeight, SWP_SHOWWINDOW);
        ShootOwnWindow(window, name);
    }
};

// A step toward a picture: the control's value set, and when `chosen`, the click that a
// user's choice of it sends as well.
struct PictureStep {
    int32_t control, value;
    bool chosen;
};
// What a picture shows: the windows on show and hidden, and the item each combo box shows.
struct ExpectedPicture {
    const char* name;
    std::vector<PictureStep> steps;  // from the picture before
    std::vector<int32_t> shown, hidden;
    std::vector<std::pair<int32_t, const char*>> combos;
    int mainTabItems;  // the main tab's items; 0 when the tab is hidden
};

bool WindowShown(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record && record->window && IsWindowVisible(record->window);
}

// The mode layouts and type combos as a user sees them, one after the other in one dialog:
// each picture is checked for what it is meant to show, and kept for review.
TEST_F(ReactionPictures, ModeLayoutsAndTypeCombos) {
    const std::vector<int32_t> quickEdit = {20,  25,  26,  22,  50,  232, 233, 353,
                                            142, 143, 144, 145, 146, 147, 148, 149};
    const std::vector<int32_t> builtInCombos = {170, 171, 172, 173, 174, 175, 176, 177, 178};
    const std::vector<int32_t> effectList = {CTL_EFFECT_LIST, CTL_EFFECT_PREV, CTL_EFFECT_NEXT};
    const ExpectedPicture pictures[] = {
        {"reactions_mode3_advanced",
         {},
         {CTL_MAIN_TAB, CTL_SIDE_TAB, CTL_PRESET_LIST},
         {CTL_EFFECT_LIST, 170, 20},
         {{CTL_MODE, "Advanced Mode"}},
         6},
        {"reactions_mode1_quick_edit",
         {{CTL_MODE, 1, true}},
         quickEdit,
         {CTL_MAIN_TAB, CTL_PRESET_LIST, CTL_EFFECT_LIST, 170},
         {{CTL_MODE, "Quick Edit Mode"}},
         0},
        {"reactions_mode2_photography",
         {{CTL_MODE, 2, true}},
         builtInCombos,
         {CTL_EFFECT_LIST, 20, 50},
         {{CTL_MODE, "Photography Mode"}},
         0},
        {"reactions_mode4_advanced_plus",
         {{CTL_MODE, 4, true}, {CTL_MAIN_TAB, 1, false}},
         effectList,
         {CTL_FX1_PAGES, 170},
         {{CTL_MODE, "Advanced+ Mode"}},
         2},
        {"reactions_conversion_split",
         {{CTL_MODE, 3, true},
          {CTL_MAIN_TAB, 1, false},
          {CTL_FX1_PAGES, 0, false},
          {CTL_CONVERSION_METHOD, 7, true}},
         {50, 51, 52, 53, 232, 233},
         {231, CTL_EFFECT_LIST},
         {{CTL_MODE, "Advanced Mode"}, {CTL_CONVERSION_METHOD, "Split B&W"}},
         6},
        {"reactions_mask_circular",
         {{CTL_MAIN_TAB, 5, false}, {CTL_MASK_PAGES, 1, false}, {CTL_MASK_TYPE, 4, true}},
         {58, 16, 2, 11, 12, 13, 14, 369},
         {237, 159, 366, 50},
         {{CTL_MASK_TYPE, "Circular"}},
         6},
        {"reactions_mask_tonal",
         {{CTL_MASK_TYPE, 2, true}, {CTL_MASK_BRIGHT_MODE, 1, true}},
         {58, 16, 237, 4, 18, 15, 238, 5, 10, 7, 239, 159, 6, 85, 86, 87},
         {2, 11, 12, 13, 14, 369, 8, 9},
         {{CTL_MASK_TYPE, "Tonal"}, {CTL_MASK_BRIGHT_MODE, "Tones"}},
         6},
    };
    for (const ExpectedPicture& picture : pictures) {
        SCOPED_TRACE(picture.name);
        for (const PictureStep& step : picture.steps) {
            if (step.chosen)
                Choose(step.control, step.value);
            else
                SetControlValue(step.control, step.value);
        }
        Shoot(picture.name);
        for (int32_t n : picture.shown) EXPECT_TRUE(WindowShown(n)) << n << " is shown";
        for (int32_t n : picture.hidden) EXPECT_FALSE(WindowShown(n)) << n << " is hidden";
        for (const auto& [n, item] : picture.combos)
            EXPECT_EQ(WindowText(ControlRecordAt(n)->window), item) << n;
        EXPECT_EQ(WindowShown(CTL_MAIN_TAB), picture.mainTabItems > 0);
        if (picture.mainTabItems > 0) {
            EXPECT_EQ(TabCount(), picture.mainTabItems);
        }
    }
}

// --- Tools in the layouts, split cursor ----------------------------------------------------------

TEST_F(Reactions, ModesWithoutPageToolsFallBackToTheHandAndGreyTheTools) {
    gCurrentTool = 3;  // the brush
    Choose(CTL_MODE, 2);
    EXPECT_EQ(gCurrentTool, 0);
    EXPECT_STREQ(GetControlImageName(CTL_TOOL_EYEDROPPER), "eyedropper2_grey.bmp");
    EXPECT_STREQ(GetControlImageName(CTL_TOOL_CROSS), "cross2_grey.bmp");
    EXPECT_STREQ(GetControlImageName(CTL_TOOL_BRUSH), "brush2_grey.bmp");

    gCurrentTool = 1;  // the eyedropper on a curve option Quick Edit has not
    SetControlValue(CTL_TOOL_EYEDROPPER, 12);
    SetControlValue(CTL_SELECT_PAGES, 2);
    Choose(CTL_MODE, 1);
    EXPECT_EQ(gCurrentTool, 1);
    EXPECT_EQ(GetControlValue(CTL_TOOL_EYEDROPPER), 9) << "the selective page's option";
    EXPECT_FALSE(Shown(CTL_SELECT_SWATCH_GRAY)) << "Colorkey has no gray swatch";
    EXPECT_TRUE(Shown(CTL_SELECT_SWATCH_BLUE));
}

TEST_F(Reactions, SplitViewSetsTheSplitDragCursorWhileThatToolIsActive) {
    gCurrentTool = 4;
    Choose(CTL_SPLIT_VIEW, 4);
    EXPECT_EQ(GetDialogCursor(), 108);
    Choose(CTL_SPLIT_VIEW, 2);
    EXPECT_EQ(GetDialogCursor(), 107);
    Choose(CTL_SPLIT_MULTI, 1);
    EXPECT_EQ(GetDialogCursor(), 110);
    gCurrentTool = 0;
    SetDialogCursor(103);
    Choose(CTL_SPLIT_VIEW, 5);
    EXPECT_EQ(GetDialogCursor(), 103) << "other tools keep their cursor";
}

// --- Preset list and settings sets ---------------------------------------------------------------

TEST_F(Reactions, CollapseAllSwitchesBetweenMinusAndPlus) {
    SetControlText(CTL_PRESET_COLLAPSE_ALL, "-");
    EXPECT_EQ(React(CTL_PRESET_COLLAPSE_ALL, EVENT_CLICKED), 0);
    EXPECT_EQ(Text(CTL_PRESET_COLLAPSE_ALL), "+");
    React(CTL_PRESET_COLLAPSE_ALL, EVENT_CLICKED);
    EXPECT_EQ(Text(CTL_PRESET_COLLAPSE_ALL), "-");
    EXPECT_TRUE(Shown(CTL_PRESET_LIST));
}

// Chooses an item of the popup menu that this thread opens next: `ups` presses of the up key
// from no selection (the first one selects the last item), then Enter.
class MenuAnswer {
  public:
    explicit MenuAnswer(int ups)
        : worker_([ups] {
              HWND menu = nullptr;
              WaitFor(
                  [&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); },
                  10000);
              if (!menu) return;
              // The menu takes keys once its thread runs the menu's own loop.
              WaitFor([menu] { return InMenuLoop(menu); }, 10000);
              for (int i = 0; i < ups; ++i) PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
              PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
          }) {}
    ~MenuAnswer() { worker_.join(); }

  private:
    std::thread worker_;
};

TEST_F(Reactions, PreviewTabMenuCopiesTheCurrentSettingsToAnotherPreview) {
    ShowWindow(window, SW_SHOW);
    SetControlValue(CTL_TONE_BRIGHTNESS, 77);
    {
        MenuAnswer answer(1);  // "Copy Settings To Preview 3"
        EXPECT_EQ(React(CTL_PREVIEW_TAB, EVENT_CONTEXT_MENU), 1);
    }
    std::vector<int32_t> row(kSettingsRowLength);
    ReadSettingsRow(ARRAY_SETTINGS_ROWS, 2, row.data());
    EXPECT_EQ(row[CTL_TONE_BRIGHTNESS], 77);
    EXPECT_NE(IsSettingsRowStored(ARRAY_SETTINGS_ROWS, 2), 0);
    EXPECT_NE(IsSettingsRowStored(ARRAY_SETTINGS_ROWS, 0), 0) << "the current set is stored first";
    EXPECT_EQ(IsSettingsRowStored(ARRAY_SETTINGS_ROWS, 1), 0);
}

TEST_F(Reactions, CategoryComboSkipsItsSeparatorsAndEnablesCollapseOnlyForShowAll) {
    FillCategoryCombo(CTL_PRESET_GROUP_FILTER);
    struct Case {
        int32_t chosen, previous, expected;
    } cases[] = {{5, 4, 6}, {5, 6, 4}, {18, 17, 19}, {1, 2, 0}, {1, 0, 2}, {0, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen * 100 + c.previous);
        EXPECT_EQ(Choose(CTL_PRESET_GROUP_FILTER, c.chosen, c.previous), 1);
        EXPECT_EQ(GetControlValue(CTL_PRESET_GROUP_FILTER), c.expected);
        EXPECT_EQ(GetControlState(CTL_PRESET_COLLAPSE_ALL), c.expected == 0 ? -1 : 1);
    }
}

TEST_F(Reactions, BuiltInComboAppliesThePresetItsItemNames) {
    FillBuiltinPresetCombos(CTL_BUILTIN_COLOR_FILM);
    for (int32_t combo = CTL_BUILTIN_COLOR_FILM; combo <= CTL_BUILTIN_FRAME; ++combo) {
        SCOPED_TRACE(combo);
        const int32_t count = GetControlItemCount(combo);
        ASSERT_GT(count, 2);
        // Every item that is no separator names the preset it applies.
        for (int32_t item = 1; item < count; ++item) {
            char text[256] = "";
            GetControlItemText(combo, item, text, sizeof text);
            if (strstr(text, "---")) continue;
            const int32_t category = 3 + (combo - CTL_BUILTIN_COLOR_FILM);
            const int32_t preset =
                gCategoryStart[category] + item - CountDashItemsAbove(combo, item);
            // A long category's last item may be cut where the control's text ends.
            const std::string name = gPresetCatalog.presetNames[preset];
            EXPECT_EQ(name.substr(0, strlen(text)), text) << item;
        }
    }
    // Choosing one changes the settings as applying that preset does.
    const int32_t combo = CTL_BUILTIN_COLOR_FILTER;
    int32_t item = 1;
    while (IsDashItem(combo, item)) ++item;
    Choose(combo, item);
    std::vector<int32_t> chosen(gContext.controlValues, gContext.controlValues + 310);
    ResetAllControls(0);
    ApplyBuiltinPreset(gCategoryStart[5] + item - CountDashItemsAbove(combo, item), 1);
    for (int32_t n = 1; n < 310; ++n) {
        if (n == combo) continue;
        EXPECT_EQ(GetControlValue(n), chosen[n]) << n;
    }
}

TEST_F(Reactions, PresetListAppliesTheChosenBuiltInPresetAndRemembersItsName) {
    FillCategoryCombo(CTL_PRESET_GROUP_FILTER);
    SetControlValue(CTL_PRESET_GROUP_FILTER, PresetItemOfCategory(6));
    FillPresetList(CTL_PRESET_LIST);
    SetControlValue(CTL_PRESET_LIST, 3);
    const int32_t preset = SelectedPreset();
    ASSERT_EQ(preset, gCategoryStart[6] + 3);
    EXPECT_EQ(React(CTL_PRESET_LIST, EVENT_CLICKED), 0);
    EXPECT_EQ(gEffectSession.lastPresetName, gPresetCatalog.presetNames[preset]);
    SetControlValue(CTL_PRESET_LIST, -1);
    EXPECT_EQ(React(CTL_PRESET_LIST, EVENT_CLICKED), 1) << "nothing chosen";
}

TEST_F(Reactions, ResetGoesBackToTheDefaultSettings) {
    SetControlValue(CTL_RESET_MENU, 0);
    SetControlValue(CTL_TONE_BRIGHTNESS, 120);
    Choose(CTL_RESET, 0);
    EXPECT_EQ(GetControlValue(CTL_TONE_BRIGHTNESS), ControlTableDefault(CTL_TONE_BRIGHTNESS));
}

// Reads the text of the message box this thread opens next and presses its OK button.
class MessageBoxAnswer {
  public:
    MessageBoxAnswer(HWND owner, std::string* text)
        : worker_([owner, text] {
              HWND box = nullptr;
              WaitFor(
                  [&] {
                      HWND found = GetForegroundWindow();
                      if (found && found != owner && GetDlgItem(found, 0xFFFF)) box = found;
                      return box != nullptr;
                  },
                  10000);
              if (!box) return;
              char buffer[512] = "";
              GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
              *text = buffer;
              PostMessageA(box, WM_COMMAND, IDOK, 0);
          }) {}
    ~MessageBoxAnswer() { worker_.join(); }

  private:
    std::thread worker_;
};

TEST_F(Reactions, AManualThatIsNotThereIsReported) {
    ShowWindow(window, SW_SHOW);
    std::string shown;
    {
        MessageBoxAnswer answer(window, &shown);
        EXPECT_EQ(React(CTL_MANUAL, EVENT_CLICKED), 0);
    }
    EXPECT_NE(shown.find("The HTML Manual can't be found."), std::string::npos) << shown;
    EXPECT_NE(shown.find("Make sure that it is installed."), std::string::npos) << shown;
}
}  // namespace
