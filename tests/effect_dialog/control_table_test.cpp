// The control table as data: each control once, values inside their ranges, sheets that exist,
// and the lookups that the settings readers use.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "effect/control_ids.h"
#include "effect/control_table.h"

namespace {
// Numbers of the settings range that the dialog never creates; their settings columns carry
// whatever value they hold.
const std::set<int32_t> kAbsentSettings = {63,  81,  82,  83,  89,  102, 103, 104, 105, 106, 107,
                                           108, 109, 133, 165, 168, 182, 183, 269, 307, 308, 309};

bool IsSheetHost(const ControlTableRow& row) {
    return row.controlClass == CONTROL_TAB || row.controlClass == CONTROL_VALUELIST;
}

TEST(ControlTable, CreatesEachNumberOnceAndHostsBeforeTheirControls) {
    std::set<int32_t> seen;
    for (int32_t i = 0; i < kControlTableSize; ++i) {
        const ControlTableRow& row = kControlTable[i];
        SCOPED_TRACE(row.number);
        ASSERT_GE(row.number, 0);
        ASSERT_LT(row.number, kControlCount);
        EXPECT_TRUE(seen.insert(row.number).second) << "created twice";
        if (row.tab >= 0) {
            const ControlTableRow* host = ControlTableRowOf(row.tab);
            ASSERT_NE(host, nullptr);
            EXPECT_TRUE(IsSheetHost(*host));
            EXPECT_TRUE(seen.count(row.tab)) << "placed on a sheet host created later";
            EXPECT_LT(row.sheet, ControlTableItemCount(*host)) << "sheet past the host's items";
        }
    }
    EXPECT_EQ(kControlTableSize, 363);  // 360 controls and the three template windows
}

TEST(ControlTable, SettingsRangeHasExactlyTheKnownGaps) {
    for (int32_t n = 0; n < kSettingsControlCount; ++n)
        EXPECT_EQ(ControlTableRowOf(n) == nullptr, kAbsentSettings.count(n) == 1) << n;
}

TEST(ControlTable, EveryValueAndDefaultLiesInTheControlsRange) {
    for (int32_t i = 0; i < kControlTableSize; ++i) {
        const ControlTableRow& row = kControlTable[i];
        SCOPED_TRACE(row.number);
        int32_t low = 0, high = 0;
        if (!ControlTableRange(row.number, &low, &high)) continue;
        if ((row.flags & ROW_VALUE) && !(row.flags & ROW_VALUE_SYSCOLOR)) {
            EXPECT_GE(row.value, low);
            EXPECT_LE(row.value, high);
        }
        if (row.defaultValue != kNoDefault) {
            EXPECT_GE(row.defaultValue, low);
            EXPECT_LE(row.defaultValue, high);
        }
    }
}

TEST(ControlTable, EverySettingsSliderHasARangeAndADefault) {
    for (int32_t n = 0; n < kSettingsControlCount; ++n) {
        const ControlTableRow* row = ControlTableRowOf(n);
        if (!row || row->controlClass != CONTROL_SLIDER) continue;
        EXPECT_TRUE(row->flags & ROW_RANGED) << n;
        EXPECT_NE(row->defaultValue, kNoDefault) << n;
        EXPECT_GT(row->divisor, 0) << n;
    }
}

TEST(ControlTable, HomeSheetsAreEffectSheetsOnly) {
    for (int32_t i = 0; i < kControlTableSize; ++i) {
        const ControlTableRow& row = kControlTable[i];
        if (!(row.flags & ROW_HOME_SHEET)) {
            EXPECT_FALSE(row.flags & ROW_ALT_POSITION) << row.number;
            continue;
        }
        const bool effectSheet =
            (row.tab == CTL_MAIN_TAB && row.sheet != 0) ||
            (row.tab >= 0 && ControlTableRowOf(row.tab)->controlClass == CONTROL_VALUELIST);
        EXPECT_TRUE(effectSheet) << row.number;
    }
}

TEST(ControlTable, ListTextsKeepTheirItems) {
    struct Case {
        int32_t n;
        int32_t items;
        const char* label;
    };
    const Case cases[] = {
        {CTL_MODE, 5, "Mode"},           {CTL_CONVERSION_METHOD, 8, "Conversion"},
        {CTL_ZOOM, 27, nullptr},         {CTL_MAIN_TAB, 6, nullptr},
        {CTL_EFFECT_LIST, 30, "Effect"}, {CTL_BRUSH_LAST_STROKE, 6, "Mask"},
        {CTL_SKIN, 15, "Skin"},          {CTL_TONALLOOK_TYPE, 22, "Type"},
    };
    for (const Case& c : cases) {
        const ControlTableRow* row = ControlTableRowOf(c.n);
        ASSERT_NE(row, nullptr) << c.n;
        EXPECT_EQ(ControlTableItemCount(*row), c.items) << c.n;
        EXPECT_STREQ(row->label, c.label) << c.n;
    }
    // Page selectors carry their leading blanks; separators are runs of dashes.
    EXPECT_STREQ(ControlTableRowOf(CTL_MAIN_PAGES)->text, "       Tone\n       Color\n       RGB");
    EXPECT_NE(
        std::string(ControlTableRowOf(CTL_ZOOM)->text).find("\n" + std::string(15, '-') + "\n"),
        std::string::npos);
    EXPECT_STREQ(ControlTableRowOf(CTL_SELBRIGHT_RED)->text, "Red    ");
}

TEST(ControlTableLookup, RangesAndDefaultsByNumber) {
    struct Case {
        int32_t n;
        bool known;
        int32_t low, high, defaultValue;
    };
    const Case cases[] = {
        {CTL_SELECT_COLORKEY, true, 0, 255, 0},   {CTL_COLORKEY_RED, true, 0, 255, 0},
        {CTL_GRAIN_INTENSITY, true, 0, 200, 0},   {CTL_FRAME_SIZE, true, 10, 1280, 160},
        {CTL_CONVERSION_METHOD, true, 0, 7, 0},   {CTL_BRUSH_LAST_STROKE, true, -1, 5, 0},
        {CTL_TONE_ZONES, true, 0, 1, kNoDefault}, {CTL_MASK_COLOR, true, 0, 0xFFFFFF, kNoDefault},
        {CTL_BUILTIN_COLOR_FILM, false, 0, 0, 0},  // its items arrive with the presets
        {CTL_RESET, false, 0, 0, kNoDefault},     {63, false, 0, 0, kNoDefault},
        {400, false, 0, 0, kNoDefault},           {-1, false, 0, 0, kNoDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        int32_t low = -99, high = -99;
        EXPECT_EQ(ControlTableRange(c.n, &low, &high), c.known);
        if (c.known) {
            EXPECT_EQ(low, c.low);
            EXPECT_EQ(high, c.high);
        }
        EXPECT_EQ(ControlTableDefault(c.n), c.defaultValue);
    }
    EXPECT_EQ(ControlTableClamp(CTL_GRAIN_INTENSITY, -1), 0);
    EXPECT_EQ(ControlTableClamp(CTL_SELECT_COLORKEY, 200), 200);
    EXPECT_EQ(ControlTableClamp(CTL_TONE_BRIGHTNESS, 1000), 300);
    EXPECT_EQ(ControlTableClamp(CTL_RESET, 12345), 12345);
    EXPECT_EQ(ControlTableStartValue(CTL_MODE), 3);
    EXPECT_EQ(ControlTableStartValue(CTL_ZOOM), 26);
    EXPECT_EQ(ControlTableStartValue(CTL_MAIN_TAB), 0);
}
}  // namespace
