// The Show menu: every preset group's item leads to its page; separators lead nowhere.

#include "effect/dialog_menus.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowMenu, EveryGroupItemLeadsToItsPage) {
    for (int32_t group = 0; group < kShowMenuGroupCount; ++group)
        EXPECT_EQ(ShowMenuPage(ShowMenuItemOfGroup(group)), group) << group;
}

TEST(ShowMenu, SeparatorsTakeTheirOwnNumbers) {
    // Items 1..7, separator 8, 9..12, separator 13, 14..20, 21, 22..27, 28, 29..31.
    const struct {
        int32_t item, page;
    } cases[] = {{1, 0},   {7, 6},   {8, -1},  {9, 7},   {12, 10}, {13, -1}, {14, 11}, {20, 17},
                 {21, -1}, {22, 18}, {27, 23}, {28, -1}, {29, 24}, {31, 26}, {0, -1},  {32, -1}};
    for (const auto& c : cases) EXPECT_EQ(ShowMenuPage(c.item), c.page) << c.item;
    EXPECT_EQ(ShowMenuItemOfGroup(26), 31);
}

TEST(PresetViewMenu, ChoicesChangeOnlyTheirBits) {
    // 0x121: thumbnails, medium, labels shown (the list's state at load).
    const struct {
        int32_t bits, item, after;
    } cases[] = {
        {0x121, VIEW_ITEM_ICONS, 0x122},
        {0x122, VIEW_ITEM_THUMBNAILS, 0x121},
        {0x121, VIEW_ITEM_LIST, 0x124},
        {0x124, VIEW_ITEM_ICONS, 0x122},
        {0x121, VIEW_ITEM_FIRST_SIZE, 0x109},
        {0x121, VIEW_ITEM_LAST_SIZE, 0x181},
        {0x1F9, 11, 0x111},
        {0x121, VIEW_ITEM_LABELS, 0x021},
        {0x021, VIEW_ITEM_LABELS, 0x121},
        {0x121, 1, 0x121},
        {0x121, 9, 0x121},
        {0x121, 15, 0x121},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PresetViewBitsAfter(c.bits, c.item), c.after) << c.bits << " item " << c.item;
}

TEST(PresetViewMenu, ItemsShowTheBitsAndOfferWhatApplies) {
    const struct {
        int32_t bits, item;
        bool styles, checked, enabled;
    } cases[] = {
        {0x121, VIEW_ITEM_THUMBNAILS, false, true, true},
        {0x121, VIEW_ITEM_ICONS, false, false, true},
        {0x124, VIEW_ITEM_LIST, false, true, true},
        {0x121, 12, false, true, true},
        {0x121, 10, false, false, true},
        {0x122, 14, false, false, true},
        {0x124, 12, false, true, false},  // the plain list keeps its size for later
        {0x121, VIEW_ITEM_LABELS, true, true, true},
        {0x121, VIEW_ITEM_LABELS, false, true, false},  // labels hide only under visual styles
        {0x124, VIEW_ITEM_LABELS, true, true, false},
    };
    for (const auto& c : cases) {
        const PresetViewItemState state = PresetViewItemStateFor(c.bits, c.item, c.styles);
        EXPECT_EQ(state.checked, c.checked) << c.bits << " item " << c.item;
        EXPECT_EQ(state.enabled, c.enabled) << c.bits << " item " << c.item;
    }
    EXPECT_EQ(PresetThumbnailMode(0x121), 0);
    EXPECT_EQ(PresetThumbnailMode(0x122), 1);
}

}  // namespace
