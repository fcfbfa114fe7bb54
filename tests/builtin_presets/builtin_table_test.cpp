// The built-in preset table as shipped: every record's form, the categories and their headings
// in both languages, the menus' separator tables, and what applying a record changes.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "effect/builtin_presets.h"
#include "effect/control_ids.h"
#include "effect/preset_groups.h"
#include "effect/setting_ranges.h"

namespace {
int32_t CategorySize(int32_t c) {
    return gCategoryStart[c + 1] - gCategoryStart[c];
}

bool HasStep(const PresetChanges& changes, PresetStepKind kind, int32_t target) {
    for (const PresetStep& step : changes.steps)
        if (step.kind == kind && step.target == target) return true;
    return false;
}

int32_t FirstPresetWithGroup(int32_t group) {
    for (int32_t n = 0; n < kBuiltinPresetCount; ++n) {
        BuiltinBlock blocks[kBuiltinBlockMax];
        const int32_t count = BuiltinPresetBlocks(n, blocks);
        for (int32_t b = 0; b < count; ++b)
            if (blocks[b].group == group) return n;
    }
    return -1;
}

TEST(BuiltinTable, EveryRecordHasBlocksThatFitAndAreWhole) {
    for (int32_t n = 0; n < kBuiltinPresetCount; ++n) {
        const int32_t* record = kBuiltinPresets[n];
        if (record[0] == kBuiltinHeading) continue;
        ASSERT_GE(record[0], 1) << n;
        ASSERT_LE(record[0], kBuiltinBlockMax) << n;
        int32_t at = 1;
        for (int32_t b = 0; b < record[0]; ++b) {
            ASSERT_LE(at + 2, kBuiltinPresetWords) << n;
            const int32_t group = record[at], count = record[at + 1];
            ASSERT_GE(group, 0) << n;
            ASSERT_LE(group, 26) << n;
            EXPECT_FALSE(PresetGroupIsEmpty(group)) << n;
            ASSERT_LE(at + 2 + count, kBuiltinPresetWords) << "preset " << n << " block " << b;
            const PresetGroup& g = kPresetGroups[group];
            const int32_t leftover = count - g.count;
            EXPECT_GE(leftover, 0) << n;
            switch (g.kind) {
                case GROUP_CURVE:
                    EXPECT_EQ(leftover % 2, 0) << n;
                    EXPECT_GE(leftover / 2, 2) << "a curve keeps its two ends, preset " << n;
                    EXPECT_LE(leftover / 2, kBuiltinCurvePointMax) << n;
                    for (int32_t i = g.count; i < count; ++i) {
                        EXPECT_GE(record[at + 2 + i], 0) << n;
                        EXPECT_LE(record[at + 2 + i], 159) << n;
                    }
                    break;
                case GROUP_SELECTIVE:
                    EXPECT_LE(leftover, kBuiltinSelectiveLeftoverMax) << n;
                    break;
                case GROUP_AGING:
                    EXPECT_TRUE(leftover == 0 || leftover == 2) << n;
                    break;
                default:
                    EXPECT_EQ(leftover, 0) << n;
            }
            // Every value lies in its control's range: nothing is clamped on the way in.
            for (int32_t i = 0; i < std::min(count, g.count); ++i) {
                const int32_t v = record[at + 2 + i];
                if (v == kBuiltinKeepValue) continue;
                EXPECT_EQ(ClampSettingValue(g.controls[i], v), v)
                    << "preset " << n << " control " << g.controls[i];
            }
            at += 2 + count;
        }
        for (int32_t i = at; i < kBuiltinPresetWords; ++i) EXPECT_EQ(record[i], 0) << n;
    }
}

TEST(BuiltinTable, TwentyTwoHeadingsInBothLanguagesAtTheSamePlaces) {
    int32_t headings = 0;
    for (int32_t n = 0; n < kBuiltinPresetCount; ++n) {
        const bool english = std::strstr(kBuiltinPresetNamesEnglish[n], "None") != nullptr;
        const bool german =
            std::strstr(kBuiltinPresetNamesGerman[n], "Aus") == kBuiltinPresetNamesGerman[n];
        const bool heading = kBuiltinPresets[n][0] == kBuiltinHeading;
        EXPECT_EQ(english, heading) << n << " " << kBuiltinPresetNamesEnglish[n];
        EXPECT_EQ(german, heading) << n << " " << kBuiltinPresetNamesGerman[n];
        headings += heading;
    }
    EXPECT_EQ(headings, CATEGORY_COUNT);
    EXPECT_EQ(gCategoryStart[0], 0);
    EXPECT_EQ(gCategoryStart[CATEGORY_COUNT], kBuiltinPresetCount);
    for (int32_t c = 0; c < CATEGORY_COUNT; ++c) {
        EXPECT_EQ(kBuiltinPresets[gCategoryStart[c]][0], kBuiltinHeading) << c;
        EXPECT_EQ(CategoryOfPreset(gCategoryStart[c]), c);
        EXPECT_EQ(CategoryOfPreset(gCategoryStart[c + 1] - 1), c);
    }
    EXPECT_EQ(CategoryOfPreset(-1), -1);
    EXPECT_EQ(CategoryOfPreset(kBuiltinPresetCount), -1);
}

TEST(BuiltinTable, CategoriesHoldWhatTheMenusExpect) {
    // Own presets: the heading alone; every other category has presets behind its heading.
    EXPECT_EQ(CategorySize(CATEGORY_OWN), 1);
    for (int32_t c = 1; c < CATEGORY_COUNT; ++c) EXPECT_GE(CategorySize(c), 2) << c;
    // Every separator position lies inside its category and before its last preset.
    for (int32_t c = 0; c < CATEGORY_COUNT; ++c) {
        int32_t previous = -1;
        for (int32_t position : kCategorySeparators[c]) {
            if (position < 0) break;
            EXPECT_GT(position, previous) << c;
            EXPECT_LT(position, CategorySize(c) - 1) << "category " << c;
            previous = position;
        }
        if (c < 3 || c > 20) {
            EXPECT_EQ(kCategorySeparators[c][0], -1) << c;
        }
    }
    // The Polarizer page shows Neutral without its last 20 presets (the ND grads); the ND-Grad
    // page skips its first 3.
    const int32_t neutral = gCategoryStart[CATEGORY_NEUTRAL];
    for (int32_t i = 1; i < CategorySize(CATEGORY_NEUTRAL); ++i) {
        BuiltinBlock blocks[kBuiltinBlockMax];
        ASSERT_GE(BuiltinPresetBlocks(neutral + i, blocks), 1);
        const bool nd = blocks[0].group == 6;
        EXPECT_EQ(nd, i >= CategorySize(CATEGORY_NEUTRAL) - 20)
            << kBuiltinPresetNamesEnglish[neutral + i];
    }
}

TEST(BuiltinTable, NamesAreUniqueWithinTheirCategoryInBothLanguages) {
    for (const char* const* names : {kBuiltinPresetNamesEnglish, kBuiltinPresetNamesGerman})
        for (int32_t c = 0; c < CATEGORY_COUNT; ++c) {
            std::set<std::string> seen;
            for (int32_t n = gCategoryStart[c]; n < gCategoryStart[c + 1]; ++n)
                EXPECT_TRUE(seen.insert(names[n]).second) << names[n];
        }
}

TEST(BuiltinTable, CatalogFollowsTheLanguage) {
    PresetCatalogSetLanguage(1);
    EXPECT_STREQ(gPresetCatalog.categoryNames[CATEGORY_BW_FILM], "S/W-Film");
    EXPECT_STREQ(gPresetCatalog.categoryNames[CATEGORY_VINTAGE_TONING], "Klassische T\xF6nung");
    EXPECT_STREQ(gPresetCatalog.effectNames[15], "Gr\xFCn");
    EXPECT_STREQ(gPresetCatalog.presetNames[0], "Aus");
    PresetCatalogSetLanguage(0);
    EXPECT_STREQ(gPresetCatalog.effectNames[0], "B&&W");
    EXPECT_STREQ(gPresetCatalog.presetNames[0], "None");
    EXPECT_EQ(gPresetCatalog.categoryCopy[CATEGORY_MASK], gCategoryStart[CATEGORY_MASK]);
    ClearCategoryCopy();
    EXPECT_EQ(gPresetCatalog.categoryCopy[CATEGORY_MASK], 0);
    EXPECT_EQ(gCategoryStart[CATEGORY_MASK] > 0, true);
}

// --- What applying a record changes -------------------------------------------------------

TEST(BuiltinApply, HeadingResetsEverythingAndSetsNothing) {
    for (int32_t c = 0; c < CATEGORY_COUNT; ++c) {
        PresetChanges changes;
        ASSERT_TRUE(BuiltinPresetChanges(gCategoryStart[c], false, false, changes));
        ASSERT_EQ(changes.steps.size(), 1u) << c;
        EXPECT_EQ(changes.steps[0].kind, STEP_RESET_CONTROLS);
        // A thumbnail run starts from the defaults already and never resets the dialog.
        ASSERT_TRUE(BuiltinPresetChanges(gCategoryStart[c], true, false, changes));
        EXPECT_TRUE(changes.steps.empty());
    }
    PresetChanges changes;
    EXPECT_FALSE(BuiltinPresetChanges(-1, false, false, changes));
    EXPECT_FALSE(BuiltinPresetChanges(kBuiltinPresetCount, false, false, changes));
}

TEST(BuiltinApply, MaskPresetsAddToTheCurrentSettingsOthersStartAfresh) {
    for (int32_t n = 1; n < kBuiltinPresetCount; ++n) {
        if (kBuiltinPresets[n][0] == kBuiltinHeading) continue;
        PresetChanges changes;
        ASSERT_TRUE(BuiltinPresetChanges(n, false, false, changes));
        const bool resets = !changes.steps.empty() && changes.steps[0].kind == STEP_RESET_CONTROLS;
        EXPECT_EQ(resets, CategoryOfPreset(n) != CATEGORY_MASK) << n;
        // keep holds every preset on top of what is there.
        ASSERT_TRUE(BuiltinPresetChanges(n, false, true, changes));
        EXPECT_FALSE(!changes.steps.empty() && changes.steps[0].kind == STEP_RESET_CONTROLS);
    }
}

TEST(BuiltinApply, KeptValuesLeaveTheirControlAlone) {
    // The conversion's hue strip is a display of the hue: every B&W block keeps it.
    const int32_t n = FirstPresetWithGroup(0);
    ASSERT_GE(n, 0);
    PresetChanges changes;
    ASSERT_TRUE(BuiltinPresetChanges(n, false, false, changes));
    EXPECT_FALSE(HasStep(changes, STEP_SET_VALUE, CTL_CONVERSION_HUE_STRIP));
    EXPECT_FALSE(HasStep(changes, STEP_SET_COLOR, CTL_CONVERSION_HUE_STRIP));
    EXPECT_TRUE(HasStep(changes, STEP_SET_VALUE, CTL_CONVERSION_METHOD));
    EXPECT_TRUE(HasStep(changes, STEP_FIRE, CTL_CONVERSION_METHOD));
}

TEST(BuiltinApply, LeftoversBecomeCurvePointsTolerancesAndCentres) {
    const int32_t n = FirstPresetWithGroup(11);
    ASSERT_GE(n, 0);
    BuiltinBlock blocks[kBuiltinBlockMax];
    const int32_t count = BuiltinPresetBlocks(n, blocks);
    PresetChanges changes;
    ASSERT_TRUE(BuiltinPresetChanges(n, true, false, changes));
    for (int32_t b = 0; b < count; ++b) {
        if (blocks[b].group != 11) continue;
        const int32_t points = (blocks[b].count - kPresetGroups[11].count) / 2;
        int32_t seen = 0;
        for (const PresetStep& step : changes.steps) {
            if (step.kind == STEP_CURVE_COUNT && step.target == 0) {
                EXPECT_EQ(step.value, points);
            }
            if (step.kind != STEP_CURVE_POINT || step.target != 0) continue;
            EXPECT_EQ(step.value, blocks[b].values[kPresetGroups[11].count + 2 * step.index]);
            ++seen;
        }
        EXPECT_EQ(seen, points);
    }
    // No event in a thumbnail run: the dialog must not move while thumbnails render.
    for (const PresetStep& step : changes.steps) EXPECT_NE(step.kind, STEP_RESET_CONTROLS);
}

TEST(BuiltinApply, SelectiveSlidersAlsoSetTheirTableColumn) {
    const int32_t n = FirstPresetWithGroup(9);
    ASSERT_GE(n, 0);
    BuiltinBlock blocks[kBuiltinBlockMax];
    const int32_t count = BuiltinPresetBlocks(n, blocks);
    PresetChanges changes;
    ASSERT_TRUE(BuiltinPresetChanges(n, true, false, changes));
    for (int32_t b = 0; b < count; ++b) {
        if (blocks[b].group != 9) continue;
        for (int32_t row = 0; row < 7; ++row) {
            bool found = false;
            for (const PresetStep& step : changes.steps)
                if (step.kind == STEP_SELECTIVE && step.target == row && step.index == 2) {
                    EXPECT_EQ(step.value, blocks[b].values[row]);
                    found = true;
                }
            EXPECT_TRUE(found) << row;
        }
    }
}
}  // namespace
