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

}  // namespace
