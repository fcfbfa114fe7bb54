// The presets menus of the effect sheets, built as plain item lists.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "effect/builtin_presets.h"
#include "effect/presets_menu.h"

namespace {
void CountIds(const std::vector<PresetMenuItem>& items, std::map<int32_t, int32_t>& seen) {
    for (const PresetMenuItem& item : items) {
        if (!item.submenu.empty())
            CountIds(item.submenu, seen);
        else if (item.text != "---")
            ++seen[item.id];
    }
}

TEST(PresetsMenu, BrushAndFadeOfferNoneAlone) {
    for (int32_t page : {24, 26}) {
        const auto items = PresetMenuItems(page, 4, false, "Others", "Grain");
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].id, kMenuNone);
        EXPECT_EQ(items[0].text, "None");
    }
}

TEST(PresetsMenu, RgbPagesListThePresetsOfExactlyRedGreenBlue) {
    for (int32_t page : {14, 15, 16}) {
        const auto items = PresetMenuItems(page, 3, false, "Others", "Grain");
        ASSERT_GE(items.size(), 3u);
        EXPECT_EQ(items[0].id, kMenuNone);
        EXPECT_EQ(items[1].text, "---");
        int32_t expected = 0;
        for (int32_t n = 0; n < kBuiltinPresetCount; ++n) {
            BuiltinBlock blocks[kBuiltinBlockMax];
            if (BuiltinPresetBlocks(n, blocks) == 3 && blocks[0].group == 14 &&
                blocks[1].group == 15 && blocks[2].group == 16)
                ++expected;
        }
        EXPECT_GT(expected, 0);
        EXPECT_EQ(int32_t(items.size()) - 2, expected);
    }
}

TEST(PresetsMenu, FilmPresetsGoToTheFirstSubmenuTheirNamePasses) {
    EXPECT_EQ(FilmSubmenuOf("Kodak Tri-X 400 + Korn"), 0);
    EXPECT_EQ(FilmSubmenuOf("Agfa APX 100 + Grain"), 0);
    EXPECT_EQ(FilmSubmenuOf("Farbkorn fein"), 0);
    EXPECT_EQ(FilmSubmenuOf("Agfa APX 100"), 1);
    EXPECT_EQ(FilmSubmenuOf("Fuji Neopan 400"), 2);
    EXPECT_EQ(FilmSubmenuOf("Ilford HP5 Plus 400"), 3);
    EXPECT_EQ(FilmSubmenuOf("Kodak T-Max 100"), 4);
    EXPECT_EQ(FilmSubmenuOf("Polaroid Type 55"), 5);
    EXPECT_EQ(FilmSubmenuOf("Foma Fomapan 100"), 6);

    // The Brightness page offers the film category: its header, then the grain sub-menu first,
    // and every preset of the category exactly once.
    const auto items = PresetMenuItems(7, 4, false, "Others", "Grain");
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[0].id, kMenuFilmHeader);
    EXPECT_EQ(items[0].text, gPresetCatalog.presetNames[gCategoryStart[CATEGORY_BW_FILM]]);
    EXPECT_EQ(items[1].text, "---");
    EXPECT_EQ(items[2].text, "Grain");
    EXPECT_EQ(items.back().text, "Others");
    std::map<int32_t, int32_t> seen;
    CountIds(items, seen);
    for (int32_t n = gCategoryStart[CATEGORY_BW_FILM] + 1; n < gCategoryStart[CATEGORY_BW_FILM + 1];
         ++n)
        EXPECT_EQ(seen[n], 1) << gPresetCatalog.presetNames[n];
    for (const PresetMenuItem& sub : items)
        for (const PresetMenuItem& item : sub.submenu)
            EXPECT_EQ(FilmSubmenuOf(item.text.c_str()), sub.id - kMenuSubFirst) << item.text;
}

TEST(PresetsMenu, SingleCategoryShowsItsSeparators) {
    // Paper (page 21): separators after relative positions 0, 4, 8 and 15.
    const auto items = PresetMenuItems(21, 4, false, "Others", "Grain");
    const int32_t start = gCategoryStart[CATEGORY_PAPER];
    std::vector<int32_t> after;
    for (size_t i = 1; i < items.size(); ++i)
        if (items[i].text == "---") after.push_back(items[i - 1].id - start);
    EXPECT_EQ(after, (std::vector<int32_t>{0, 4, 8, 15}));
    EXPECT_EQ(items.front().id, start);
    EXPECT_EQ(items.back().id, gCategoryStart[CATEGORY_PAPER + 1] - 1);
}

TEST(PresetsMenu, PagesAndModesChooseTheirCategories) {
    struct Case {
        int32_t page, mode;
        bool partial;
        int32_t c0, c1, skip0, offset0, offset1;
    };
    const Case cases[] = {
        {0, 4, false, 5, -1, 0, 0, 0},   {1, 4, false, 6, -1, 0, -20, 0},
        {6, 4, false, 6, -1, 3, 0, 0},   {12, 4, false, 11, -1, 0, 0, 0},
        {12, 4, true, 17, -1, 0, 0, 0},  {19, 3, false, 20, 13, 0, 0, 0},
        {21, 3, false, 12, 4, 0, 0, 0},  {1, 3, false, 5, 6, 0, 0, -20},
        {5, 3, false, 10, 15, 0, 0, 0},  {3, 4, false, -1, -1, 0, 0, 0},
        {25, 1, false, 21, -1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const PresetMenuSlots s = PresetMenuSlotsOf(c.page, c.mode, c.partial);
        EXPECT_EQ(s.slots[0].category, c.c0) << c.page;
        EXPECT_EQ(s.slots[1].category, c.c1) << c.page;
        EXPECT_EQ(s.slots[0].skip, c.skip0) << c.page;
        EXPECT_EQ(s.slots[0].sizeOffset, c.offset0) << c.page;
        EXPECT_EQ(s.slots[1].sizeOffset, c.offset1) << c.page;
    }
    // A page the event handler could not place offers nothing rather than reading outside.
    EXPECT_EQ(PresetMenuSlotsOf(-1, 4, false).slots[0].category, -1);
    EXPECT_TRUE(PresetMenuItems(-1, 4, false, "Others", "Grain").empty());
}

TEST(PresetsMenu, PolarizerPageStopsBeforeTheNdGrads) {
    const auto items = PresetMenuItems(1, 4, false, "Others", "Grain");
    const int32_t ndFirst = gCategoryStart[CATEGORY_NEUTRAL + 1] - 20;
    for (const PresetMenuItem& item : items)
        if (item.text != "---") {
            EXPECT_LT(item.id, ndFirst) << item.text;
        }
}
}  // namespace

namespace {
TEST(PresetMenuBar, OneSubmenuPerCategoryWithTheOwnPresetsFirst) {
    const auto items = PresetCategorySubmenus(5, {"Mine", "Theirs"});
    ASSERT_EQ(items.size(), size_t(1 + CATEGORY_COUNT + 2));
    EXPECT_EQ(items[0].text, "---");
    int32_t id = 5, category = 0;
    for (const PresetMenuItem& item : items) {
        EXPECT_EQ(item.id, id++) << "items keep their places in order";
        if (item.submenu.empty()) continue;
        EXPECT_EQ(item.text, gPresetCatalog.categoryNames[category]);
        EXPECT_EQ(item.submenu.front().id, kMenuBuiltinBase + gCategoryStart[category]);
        ++category;
    }
    EXPECT_EQ(category, CATEGORY_COUNT);
    EXPECT_EQ(items[4].text, "---") << "before the film category";
    const auto& own = items[1].submenu;
    ASSERT_EQ(own.size(), 3u);
    EXPECT_EQ(own[1].id, kMenuOwnBase);
    EXPECT_EQ(own[2].text, "Theirs");
    EXPECT_EQ(items.back().submenu.back().id, kMenuBuiltinBase + kBuiltinPresetCount - 1);
}
}  // namespace
