// The preset lists as item lists: names shortened at their limits, every view mode, the rows
// that map back to presets, the category combo and the effect list against the page table.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/builtin_presets.h"
#include "effect/effect_pages.h"
#include "effect/preset_groups.h"
#include "effect/preset_lists.h"

namespace {
TEST(PresetNames, ShortenedOnlyPastTheLimitOfTheMode) {
    struct Case {
        int32_t mode, limit;
    };
    const Case cases[] = {{LIST_MODE_VERY_LARGE, 40},
                          {LIST_MODE_LARGE, 30},
                          {LIST_MODE_MEDIUM, 15},
                          {LIST_MODE_SMALL, 12},
                          {LIST_MODE_VERY_SMALL, 8}};
    for (const Case& c : cases) {
        const std::string exact(size_t(c.limit), 'a'), longer(size_t(c.limit) + 1, 'b');
        EXPECT_EQ(FormatPresetName(exact.c_str(), c.mode), exact) << c.mode;
        EXPECT_EQ(FormatPresetName(longer.c_str(), c.mode),
                  std::string(size_t(c.limit), 'b') + "...")
            << c.mode;
        EXPECT_EQ(FormatPresetName("", c.mode), "");
    }
    const std::string any(60, 'c');
    EXPECT_EQ(FormatPresetName(any.c_str(), 0), any);
    EXPECT_EQ(FormatPresetName(any.c_str(), LIST_MODE_CATEGORY_PREFIX | LIST_MODE_NO_GRID), any);
}

TEST(PresetList, EachCategoryListsItsHeadingAndPresetsWithTheirImages) {
    const std::vector<std::string> own = {"Mine", "Another"};
    for (int32_t c = 1; c < CATEGORY_COUNT; ++c) {
        const PresetListContent list = PresetListItems(c, LIST_MODE_MEDIUM, true, false, own);
        ASSERT_EQ(int32_t(list.items.size()), gCategoryStart[c + 1] - gCategoryStart[c]) << c;
        EXPECT_TRUE(list.groups.empty());
        for (size_t row = 0; row < list.items.size(); ++row) {
            EXPECT_EQ(list.items[row].image, gCategoryStart[c] + int32_t(row));
            EXPECT_EQ(PresetOfListRow(c, int32_t(row), 2), list.items[row].image);
        }
    }
    const PresetListContent mine = PresetListItems(CATEGORY_OWN, 0, false, false, own);
    ASSERT_EQ(mine.items.size(), 3u);
    EXPECT_EQ(mine.items[0].text, "None");
    EXPECT_EQ(mine.items[1].text, "Mine");
    EXPECT_EQ(mine.items[1].image, kPresetImageOwnBase);
    EXPECT_EQ(mine.items[2].image, kPresetImageOwnBase + 1);
    EXPECT_EQ(PresetOfListRow(CATEGORY_OWN, 0, 2), 0);
    EXPECT_EQ(PresetOfListRow(CATEGORY_OWN, 1, 2), -1);
    EXPECT_EQ(PresetOfListRow(CATEGORY_OWN, 2, 2), -1);
    EXPECT_EQ(PresetOfListRow(CATEGORY_OWN, -1, 2), -1);
}

TEST(PresetList, ShowAllInEveryViewMode) {
    const std::vector<std::string> own = {"Mine"};
    const int32_t modes[] = {0,
                             LIST_MODE_CATEGORY_PREFIX,
                             LIST_MODE_VERY_LARGE,
                             LIST_MODE_LARGE,
                             LIST_MODE_MEDIUM,
                             LIST_MODE_SMALL,
                             LIST_MODE_VERY_SMALL,
                             LIST_MODE_SMALL | LIST_MODE_NO_GRID};
    for (int32_t mode : modes)
        for (bool grouped : {false, true}) {
            const bool shorten = !(mode & (LIST_MODE_CATEGORY_PREFIX | 8 | 16));
            const PresetListContent list = PresetListItems(-1, mode, grouped, shorten, own);
            ASSERT_EQ(list.items.size(), size_t(kBuiltinPresetCount + 1)) << mode;
            EXPECT_EQ(list.groups.size(), grouped ? size_t(CATEGORY_COUNT) : 0u);
            for (size_t row = 0; row < list.items.size(); ++row) {
                const PresetListItem& item = list.items[row];
                const int32_t preset = PresetOfListRow(-1, int32_t(row), 1);
                if (item.image >= kPresetImageOwnBase)
                    EXPECT_EQ(preset, -1);
                else
                    EXPECT_EQ(preset, item.image) << row;
                EXPECT_EQ(item.group >= 0, grouped);
                if (mode & LIST_MODE_CATEGORY_PREFIX) {
                    const int32_t c = item.group >= 0 ? item.group : CategoryOfPreset(item.image);
                    const std::string prefix =
                        std::string(gPresetCatalog.categoryNames[c >= 0 ? c : 0]) + ": ";
                    EXPECT_EQ(item.text.compare(0, prefix.size(), prefix), 0) << item.text;
                }
                if (shorten && mode == LIST_MODE_VERY_SMALL) {
                    EXPECT_LE(item.text.size(), 11u);
                }
            }
        }
    const PresetListContent grouped = PresetListItems(-1, 0, true, false, own);
    EXPECT_EQ(grouped.groups[0].header, "Own Presets (1)");
    EXPECT_EQ(grouped.groups[CATEGORY_BW_FILM].header,
              "BW Film (" +
                  std::to_string(gCategoryStart[CATEGORY_BW_FILM + 1] -
                                 gCategoryStart[CATEGORY_BW_FILM] - 1) +
                  ")");
}

TEST(CategoryCombo, ItemsAndCategoriesMapBothWays) {
    const std::vector<std::string> items = CategoryComboItems("Show All");
    ASSERT_EQ(items.size(), 26u);
    EXPECT_EQ(items[0], "Show All");
    EXPECT_EQ(PresetCategoryFromItem(0), -1);
    for (int32_t separator : {1, 5, 18}) {
        EXPECT_EQ(items[separator][0], '-');
        EXPECT_EQ(PresetCategoryFromItem(separator), -1);
    }
    for (int32_t c = 0; c < CATEGORY_COUNT; ++c) {
        const int32_t item = PresetItemOfCategory(c);
        EXPECT_EQ(PresetCategoryFromItem(item), c);
        EXPECT_EQ(items[size_t(item)], gPresetCatalog.categoryNames[c]);
    }
    EXPECT_EQ(PresetCategoryFromItem(2), 0);
    EXPECT_EQ(PresetCategoryFromItem(6), 3);
    EXPECT_EQ(PresetCategoryFromItem(17), 14);
    EXPECT_EQ(PresetCategoryFromItem(19), 15);
    EXPECT_EQ(PresetCategoryFromItem(25), 21);
    EXPECT_EQ(PresetCategoryFromItem(26), -1);
}

TEST(EffectList, EveryPageSitsWhereTheListMapsIt) {
    int32_t inUse[kPresetGroupCount] = {};
    inUse[0] = inUse[22] = 1;
    const std::vector<std::string> items = EffectListItems(inUse);
    ASSERT_EQ(items.size(), 29u);
    for (int32_t page = 0; page < kEffectPageCount; ++page) {
        const std::string name = gPresetCatalog.effectNames[page];
        if (name.empty()) continue;
        const size_t at = size_t(MapListIndex(page, LIST_FROM_PAGE));
        ASSERT_LT(at, items.size());
        EXPECT_EQ(items[at], name + (inUse[page] ? " *" : "")) << page;
    }
    for (size_t separator : {7u, 11u, 18u, 25u}) EXPECT_EQ(items[separator], std::string(38, '-'));
}

TEST(BuiltinCombos, EachComboListsItsCategoryWithSeparators) {
    for (int32_t combo = 170; combo <= 181; ++combo) {
        const int32_t c = 3 + combo - 170;
        const std::vector<std::string> items = BuiltinComboItems(combo);
        int32_t separators = 0;
        for (int32_t s : kCategorySeparators[c]) separators += s >= 0;
        ASSERT_EQ(int32_t(items.size()), gCategoryStart[c + 1] - gCategoryStart[c] + separators);
        EXPECT_EQ(items[0], gPresetCatalog.presetNames[gCategoryStart[c]]);
        EXPECT_EQ(items[1][0], '-') << "a separator after the heading";
    }
    EXPECT_TRUE(BuiltinComboItems(169).empty());
    EXPECT_TRUE(BuiltinComboItems(182).empty());
}

TEST(ThumbnailSizes, ViewsFromVeryLargeToVerySmall) {
    EXPECT_EQ(PresetListView(0x121), 2);
    EXPECT_EQ(PresetListView(LIST_MODE_VERY_LARGE | LIST_MODE_CATEGORY_PREFIX), 0);
    EXPECT_EQ(PresetListView(LIST_MODE_VERY_SMALL), 4);
    EXPECT_EQ(PresetListView(LIST_MODE_CATEGORY_PREFIX | LIST_MODE_NO_GRID), -1);
    const int32_t plain[] = {210, 138, 100, 63, 44}, older[] = {198, 128, 86, 53, 36};
    for (int32_t view = 0; view < 5; ++view) {
        EXPECT_EQ(PresetThumbnailSize(view, false), plain[view]);
        EXPECT_EQ(PresetThumbnailSize(view, true), older[view]);
    }
}
}  // namespace
