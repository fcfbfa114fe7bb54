// The arithmetic of the reactions to the settings controls, without a dialog: separator
// items, the stored tolerance, the hue range drag, the split-drag cursor, the "More..." pages,
// the frame seed and the manual's path.

#include <gtest/gtest.h>

#include <string>

#include "effect/command_buttons.h"
#include "effect/selective_colors.h"
#include "effect/settings_reaction_parts.h"
#include "effect/settings_reactions.h"

namespace {
TEST(SettingsReactionArithmetic, SeparatorItemsAreLeftInTheDirectionOfTravel) {
    struct Case {
        int32_t value, previous;
        bool separator;
        int32_t expected;
    } cases[] = {
        {5, 6, true, 4},                     // moved up from below
        {5, 4, true, 6},                     // moved down from above
        {5, 0, true, 6},                     // a jump from anywhere else goes on down
        {1, 2, true, 0},  {1, -1, true, 2},  // the handler's own fire with no previous item
        {3, 4, false, 3},                    // no separator: stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value * 100 + c.previous);
        EXPECT_EQ(ItemPastSeparator(c.value, c.previous, c.separator), c.expected);
    }
}

TEST(SettingsReactionArithmetic, ToleranceAboveHalfIsStoredCompressedTo90) {
    const int32_t cases[][2] = {{0, 0},   {25, 25}, {50, 50}, {51, 50},
                                {55, 54}, {75, 70}, {99, 89}, {100, 90}};
    for (const auto& c : cases) EXPECT_EQ(StoredTolerance(c[0]), c[1]) << c[0];
}

TEST(SettingsReactionArithmetic, HueRangeDragMovesTheGrabbedPairOrTheWholeRange) {
    struct Case {
        HueLimits limits;
        int32_t hue, lastHue;
        HueLimits expected;
    } cases[] = {
        // Far from both inner limits: the whole range moves by 10.
        {{{10, 20, 60, 70}}, 40, 30, {{20, 30, 70, 80}}},
        // Next to the moved limit 1 (20 + 5 = 25): only entries 0 and 1 follow.
        {{{10, 20, 60, 70}}, 24, 19, {{15, 25, 60, 70}}},
        // Next to the moved limit 2 (60 - 4 = 56): only entries 2 and 3.
        {{{10, 20, 60, 70}}, 57, 61, {{10, 20, 56, 66}}},
        // Across 0 and across 255 the limits come round by 255.
        {{{3, 100, 150, 250}}, 120, 128, {{250, 92, 142, 242}}},
        {{{3, 100, 150, 250}}, 40, 30, {{13, 110, 160, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hue);
        const HueLimits got = DragHueLimits(c.limits, c.hue, c.lastHue);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(got.entry[k], c.expected.entry[k]) << k;
    }
}

TEST(SettingsReactionArithmetic, SplitDragCursorFollowsTheLineOfTheSplitView) {
    const int32_t vertical[] = {2, 3, 7, 8}, horizontal[] = {4, 5, 9, 10};
    for (int32_t v : vertical) EXPECT_EQ(SplitDragCursor(v, 0), SPLIT_CURSOR_VERTICAL) << v;
    for (int32_t v : horizontal) EXPECT_EQ(SplitDragCursor(v, 0), SPLIT_CURSOR_HORIZONTAL) << v;
    for (int32_t v : {0, 2, 5, 9}) EXPECT_EQ(SplitDragCursor(v, 1), SPLIT_CURSOR_MULTI) << v;
    EXPECT_EQ(SplitDragCursor(0, 0), SPLIT_CURSOR_NONE);
    EXPECT_EQ(SplitDragCursor(1, 0), SPLIT_CURSOR_NONE);
    EXPECT_EQ(SplitDragCursor(6, 0), SPLIT_CURSOR_KEEP);
}

TEST(SettingsReactionArithmetic, MoreTextsOpenThePageOfTheComboBesideThem) {
    struct Case {
        int32_t text, comboValue, page;
    } cases[] = {
        {189, 0, 7},  {190, 5, 22}, {191, 1, 0},  {192, 1, 6},  {192, 2, 1},   {192, 4, 1},
        {192, 5, 6},  {193, 0, 18}, {194, 0, 11}, {195, 0, 2},  {196, 15, 3},  {196, 0, 3},
        {196, 16, 4}, {197, 0, 12}, {198, 0, 21}, {199, 0, 20}, {200, 30, 23}, {188, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MoreLinkPage(c.text, c.comboValue), c.page) << c.text << " " << c.comboValue;
}

TEST(SettingsReactionArithmetic, FrameSeedSpansZeroToAMillion) {
    EXPECT_EQ(FrameSeedFromRandom(0), 0);
    EXPECT_EQ(FrameSeedFromRandom(32767), 1000000);
    EXPECT_EQ(FrameSeedFromRandom(0x18000), 0) << "only the low 15 bits count";
    EXPECT_EQ(FrameSeedFromRandom(16384), 500015);
}

TEST(SettingsReactionArithmetic, ManualPathHasOneBackslashAndABound) {
    EXPECT_EQ(ManualPath("C:\\Plug-ins\\", "ManualGreyloom2.htm"),
              "C:\\Plug-ins\\ManualGreyloom2.htm");
    EXPECT_EQ(ManualPath("C:\\Plug-ins", "a.pdf"), "C:\\Plug-ins\\a.pdf");
    const std::string deep = "C:\\" + std::string(240, 'x');
    EXPECT_EQ(ManualPath(deep, "ManualGreyloom2.htm"), "") << "past 255 characters";
    EXPECT_EQ(ManualPath(std::string(235, 'y'), "ManualGreyloom2.htm").size(), 255u);
}
}  // namespace
