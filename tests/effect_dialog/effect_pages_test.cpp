// The effect pages and tool buttons as logic: list positions, the current page from the
// selectors, the pages of tool options, the tool images, the hue bar, and the page tables
// against the control table.

#include <gtest/gtest.h>

#include <set>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/effect_pages.h"
#include "effect/preset_groups.h"
#include "effect/tool_buttons.h"

namespace {
// Numbers the pages name that the dialog never creates; every call on them must do nothing.
const std::set<int32_t> kNamedButAbsent = {63, 165, 182};

TEST(EffectPages, ListPositionsSkipTheSeparators) {
    for (int32_t page = 0; page < kEffectPageCount; ++page) {
        const int32_t position = MapListIndex(page, LIST_FROM_PAGE);
        EXPECT_NE(position, 7) << page;
        EXPECT_NE(position, 25) << page;
        EXPECT_EQ(MapListIndex(position, LIST_TO_PAGE), page);
    }
    EXPECT_EQ(MapListIndex(24, LIST_FROM_PAGE), 26);
    EXPECT_EQ(MapListIndex(26, LIST_TO_PAGE), 24);
    EXPECT_EQ(MapListIndex(7, LIST_TO_PAGE), 6);
    EXPECT_EQ(MapListIndex(25, LIST_TO_PAGE), 24);
    EXPECT_EQ(MapListIndex(28, LIST_TO_PAGE), 26);
}

TEST(EffectPages, EveryPageControlExistsOrIsKnownAbsent) {
    for (int32_t page = 0; page < kEffectPageCount; ++page) {
        int32_t controls[kPresetGroupControlMax + kPageExtraMax];
        const int32_t count = PageControls(page, controls, int32_t(std::size(controls)));
        for (int32_t i = 0; i < count; ++i)
            EXPECT_TRUE(ControlTableRowOf(controls[i]) || kNamedButAbsent.count(controls[i]))
                << "page " << page << " control " << controls[i];
        const EffectPage& row = gEffectPages[page];
        EXPECT_TRUE(ControlTableRowOf(row.selector)) << page;
        if (row.subSelector >= 0) {
            EXPECT_TRUE(ControlTableRowOf(row.subSelector)) << page;
        }
        EXPECT_LE(PanelControlCount(page), kPresetGroups[page].count) << page;
    }
    for (int32_t n : kNamedButAbsent) EXPECT_EQ(ControlTableRowOf(n), nullptr) << n;
}

TEST(EffectPages, CurrentPageFollowsModeAndSelectors) {
    struct Case {
        int32_t mode, control, mainTab, selector, selectorValue, sub, subValue, list;
        int32_t page;
    };
    const Case cases[] = {
        {3, 0, 0, CTL_FX1_PAGES, 0, -1, 0, 0, -1},  // the Presets sheet has no page
        {3, 0, 1, CTL_FX1_PAGES, 0, -1, 0, 0, 0},
        {3, 0, 1, CTL_FX1_PAGES, 3, -1, 0, 0, 6},
        {3, 0, 3, CTL_MAIN_PAGES, 1, CTL_COLOR_PAGES, 1, 0, 13},
        {3, 0, 3, CTL_MAIN_PAGES, 2, CTL_RGB_PAGES, 2, 0, 16},
        {3, 0, 3, CTL_MAIN_PAGES, 2, CTL_RGB_PAGES, 7, 0, -1},
        {3, 0, 5, CTL_MASK_PAGES, 2, -1, 0, 0, 26},
        {1, CTL_MAIN_PRESETS_MENU, 0, CTL_SELECT_PAGES, 2, -1, 0, 0, 11},
        {1, 0, 0, CTL_SELECT_PAGES, 2, -1, 0, 0, 9},
        {1, 0, 0, CTL_SELECT_PAGES, 3, -1, 0, 0, -1},
        {4, 0, 0, CTL_FX1_PAGES, 0, -1, 0, 26, 24},
        {0, 0, 1, CTL_FX1_PAGES, 0, -1, 0, 0, -1},
    };
    for (const Case& c : cases) {
        int32_t values[kControlCount] = {};
        values[CTL_MAIN_TAB] = c.mainTab;
        values[c.selector] = c.selectorValue;
        if (c.sub >= 0) values[c.sub] = c.subValue;
        values[CTL_EFFECT_LIST] = c.list;
        EXPECT_EQ(PageOfControlValues(c.mode, c.control, values), c.page)
            << "mode " << c.mode << " tab " << c.mainTab << " selector " << c.selector;
    }
}

TEST(EffectPages, ToolOptionsLeadToTheirPages) {
    const int32_t eyedropper[][2] = {{15, 19}, {17, 25}, {18, 25}, {19, 25}, {25, 25},
                                     {4, 7},   {13, 16}, {0, 0},   {3, 3},   {14, 14}};
    for (const auto& c : eyedropper) EXPECT_EQ(PageOfEyedropperOption(c[0]), c[1]) << c[0];
    const int32_t cross[][2] = {{1, 5}, {2, 6}, {3, 18}, {4, 20}, {5, 25}, {6, 25}, {0, 0}, {9, 9}};
    for (const auto& c : cross) EXPECT_EQ(PageOfCrossOption(c[0]), c[1]) << c[0];
}

TEST(ToolButtons, ImagesFollowToolAndOption) {
    struct Case {
        int32_t n;
        ToolState state;
        const char* image;
    };
    const ToolState idle = {0, 0, 0, 0, 0, 0, 0, 0};
    const Case cases[] = {
        {CTL_CURVE_EYEDROPPER, {0, 9, 0, 0, 1, 0, 0, 0}, "eyedropper_on.bmp"},
        {CTL_CURVE_EYEDROPPER, {0, 9, 0, 0, 2, 0, 0, 0}, "eyedropper_off.bmp"},
        {CTL_SELECT_EYEDROPPER, {0, 5, 0, 0, 0, 1, 0, 0}, "eyedropper_on.bmp"},
        {CTL_GLOW_EYEDROPPER, {2, 15, 0, 0, 0, 0, 0, 0}, "eyedropper_on.bmp"},
        {CTL_MASK_COLOR_EYEDROPPER, {1, 18, 0, 0, 0, 0, 0, 0}, "eyedropper_on.bmp"},
        {CTL_MASK_COLOR_EYEDROPPER, {0, 18, 0, 0, 0, 0, 0, 0}, "eyedropper_off.bmp"},
        {CTL_NDGRAD_CROSS, {2, 0, 2, 0, 0, 0, 3, 0}, "cross_on.bmp"},
        {CTL_NDGRAD_CROSS, {2, 0, 2, 0, 0, 0, 2, 0}, "cross_off.bmp"},
        {CTL_MASK_CROSS, {2, 0, 6, 0, 0, 0, 0, 4}, "cross_on.bmp"},
        {CTL_ERASER_TOOL, {3, 0, 0, 1, 0, 0, 0, 0}, "eraser_on.bmp"},
        {CTL_BRUSH_TOOL, {3, 0, 0, 1, 0, 0, 0, 0}, "brush_off.bmp"},
        {CTL_BRUSH_TOOL, idle, "brush_off.bmp"},
    };
    for (const Case& c : cases) EXPECT_STREQ(ToolButtonImage(c.n, c.state), c.image) << c.n;
    EXPECT_EQ(ToolButtonImage(CTL_TOOL_HAND, idle), nullptr);
}

TEST(HueStrip, MarksTheRangeAndStaysInsideTheBar) {
    constexpr uint32_t kBack = 0x123456, kMarker = 0xABCDEF;
    const int32_t w = 64, h = 20, s = 6;
    // Row 0 of the built-in ranges: 235 to 10 wraps past 255.
    std::vector<uint32_t> bar = HueStripPixels(w, h, s, 235, 10, kBack, kMarker);
    ASSERT_EQ(bar.size(), size_t(w * h));
    const int32_t a = 235 * w / 256, b = 10 * w / 256;
    auto at = [&](int32_t x, int32_t y) { return bar[size_t(y) * w + x]; };
    EXPECT_EQ(at(w - 1, s + 8), kMarker) << "the line runs to the right edge";
    EXPECT_EQ(at(0, s + 8), kMarker) << "and on from the left edge";
    EXPECT_EQ(at((a + b) / 2, s + 8), kBack) << "but not between the ends";
    EXPECT_EQ(at(a, s + 7), kMarker);
    EXPECT_EQ(at(b, s + 7), kMarker);
    EXPECT_NE(at(0, 0), at(w / 2, 0)) << "the strip runs through the hues";
    // Values from a damaged preset and degenerate sizes stay inside the buffer.
    for (const auto& c : {std::pair<int32_t, int32_t>{-500, 900}, {300, 300}, {0, 255}}) {
        std::vector<uint32_t> odd = HueStripPixels(w, h, s, c.first, c.second, kBack, kMarker);
        EXPECT_EQ(odd.size(), size_t(w * h));
    }
    EXPECT_TRUE(HueStripPixels(0, 0, s, 0, 10, kBack, kMarker).empty());
    EXPECT_EQ(HueStripPixels(1, 3, 40, 0, 255, kBack, kMarker).size(), 3u);
}
}  // namespace
