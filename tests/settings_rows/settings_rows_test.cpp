// Settings rows: the slot layout against hand-placed values, store and apply as a round trip,
// the marker, the curve slots a short curve leaves alone, the controls each apply keeps, the
// settings sets, and rows read from files held to their ranges.

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "effect/control_ids.h"
#include "effect/setting_ranges.h"
#include "effect/settings_rows.h"
#include "effect/settings_sets.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "tests/settings_rows/settings_fixture.h"

namespace {
std::vector<int32_t> Row(int32_t array, int32_t row) {
    std::vector<int32_t> slots(kSettingsRowLength);
    ReadSettingsRow(array, row, slots.data());
    return slots;
}

void ExpectSameState(const SettingsState& a, const SettingsState& b, const char* what) {
    for (int32_t n = 0; n < kSettingsValueCount; ++n)
        EXPECT_EQ(a.values[n], b.values[n]) << what << ": control " << n;
    for (int32_t k = 0; k < kCurveCount; ++k) {
        ASSERT_EQ(a.curveCount[k], b.curveCount[k]) << what << ": curve " << k;
        for (int32_t i = 0; i < a.curveCount[k]; ++i)
            for (int32_t j = 0; j < 2; ++j)
                EXPECT_EQ(a.curvePoints[k][i][j], b.curvePoints[k][i][j])
                    << what << ": curve " << k << " point " << i;
    }
    for (int32_t r = 0; r < kSelectiveRows; ++r) {
        for (int32_t c = 0; c < kSelectiveTableColumns; ++c)
            EXPECT_EQ(a.selectiveTable[r][c], b.selectiveTable[r][c]) << what;
        for (int32_t c = 0; c < kSelectiveRangeColumns; ++c)
            EXPECT_EQ(a.selectiveRanges[r][c], b.selectiveRanges[r][c]) << what;
    }
    for (int32_t m = 0; m < kEffectCentreCount; ++m) {
        EXPECT_EQ(a.centreX[m], b.centreX[m]) << what;
        EXPECT_EQ(a.centreY[m], b.centreY[m]) << what;
    }
}
}  // namespace

using SettingsRowTest = SettingsFixture;

TEST_F(SettingsRowTest, RowSlotsLieWhereTheLayoutPutsThem) {
    SetControlValue(CTL_TONE_INTENSITY, 37);
    gSession.curvePointCount[3] = 3;
    PutArrayElement(ARRAY_CURVES, 2, 0, 3, 40);
    PutArrayElement(ARRAY_CURVES, 2, 1, 3, 77);
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 6, 2, 0, 201);
    PutArrayElement(ARRAY_SELECTIVE_RANGES, 8, 5, 0, -33);
    gSession.centrePointX[4] = 1234;
    gSession.centrePointY[4] = 4321;
    StoreSettingsRow(ARRAY_SETTINGS_ROWS, 1);
    const std::vector<int32_t> row = Row(ARRAY_SETTINGS_ROWS, 1);
    // Placed by hand from the layout: curve 3 starts at 311 + 99, its point 2 two pairs on.
    const struct {
        int32_t slot, value;
    } expected[] = {
        {19, 37},        {310, -1},       {410, 3},    {415, 40},   {416, 77},
        {542 + 32, 201}, {587 + 61, -33}, {658, 1234}, {659, 4321},
    };
    for (const auto& e : expected) EXPECT_EQ(row[e.slot], e.value) << "slot " << e.slot;
    EXPECT_EQ(IsSettingsRowStored(ARRAY_SETTINGS_ROWS, 1), -1);
    EXPECT_EQ(IsSettingsRowStored(ARRAY_SETTINGS_ROWS, 0), 0);
}

TEST_F(SettingsRowTest, StoreThenApplyGivesBackRandomStates) {
    std::mt19937 random(16);
    for (int32_t trial = 0; trial < 12; ++trial) {
        const int32_t set = trial % kSettingsSetCount;
        RandomState(random);
        const SettingsState stored = Captured();
        StoreSettingsRow(ARRAY_SETTINGS_ROWS, set);
        RandomState(random);
        SettingsState expected = stored;
        // The preset list and the zoom are never applied: they keep the state's values.
        const SettingsState before = Captured();
        expected.values[CTL_PRESET_LIST] = before.values[CTL_PRESET_LIST];
        expected.values[CTL_ZOOM] = before.values[CTL_ZOOM];
        ASSERT_EQ(ApplySettingsRow(ARRAY_SETTINGS_ROWS, set, 1), 1);
        ExpectSameState(Captured(), expected, "applied row");
        for (int32_t n : kSettingColorButtons)
            EXPECT_EQ(int32_t(ControlRecordAt(n)->backgroundColor), stored.values[n]) << n;
    }
}

TEST_F(SettingsRowTest, RowNeverStoredIsNeverApplied) {
    std::vector<int32_t> row(kSettingsRowLength, 7);
    row[kRowMarkerSlot] = 0;
    WriteSettingsRow(ARRAY_SETTINGS_ROWS, 2, row.data());
    const SettingsState before = Captured();
    EXPECT_EQ(ApplySettingsRow(ARRAY_SETTINGS_ROWS, 2, 1), 0);
    ExpectSameState(Captured(), before, "after refusing");
}

TEST_F(SettingsRowTest, TwoPointCurveTouchesOnlyItsFiveSlots) {
    std::vector<int32_t> row(kSettingsRowLength, 999);
    WriteSettingsRow(ARRAY_SETTINGS_ROWS, 0, row.data());
    StoreSettingsRow(ARRAY_SETTINGS_ROWS, 0);  // every curve the identity, two points
    row = Row(ARRAY_SETTINGS_ROWS, 0);
    for (int32_t k = 0; k < kCurveCount; ++k) {
        const int32_t base = 311 + 33 * k;
        EXPECT_EQ(row[base], 2);
        EXPECT_EQ(row[base + 3], 159);
        for (int32_t slot = base + 5; slot < base + 33; ++slot) EXPECT_EQ(row[slot], 999) << slot;
    }
    // Applying it over sixteen-point curves sets two points and leaves the others' cells.
    for (int32_t i = 0; i < kCurvePointMax; ++i) PutArrayElement(ARRAY_CURVES, i, 1, 4, 77);
    gSession.curvePointCount[4] = 16;
    ApplySettingsRow(ARRAY_SETTINGS_ROWS, 0, 1);
    EXPECT_EQ(gSession.curvePointCount[4], 2);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 4), 159);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 2, 1, 4), 77);
}

TEST_F(SettingsRowTest, ApplyKeepsTheViewControlsItShould) {
    struct Case {
        int32_t control;
        bool setWhenFull, setWhenSwitching;
    };
    const Case cases[] =
        {
            {CTL_SPLIT_VIEW, true, false},    {CTL_SPLIT_MULTI, true, false},
            {CTL_ZOOM, false, false},         {CTL_PRESET_LIST, false, false},
            {CTL_PREVIEW_TAB, true, false},  // a tab control, kept by its class
            {CTL_TONE_INTENSITY, true, true},
        };
    for (const Case& c : cases) SetControlValue(c.control, 1);
    StoreSettingsRow(ARRAY_SETTINGS_ROWS, 0);
    for (int32_t full = 0; full <= 1; ++full) {
        for (const Case& c : cases) SetControlValue(c.control, 0);
        ApplySettingsRow(ARRAY_SETTINGS_ROWS, 0, full);
        for (const Case& c : cases)
            EXPECT_EQ(GetControlValue(c.control),
                      (full ? c.setWhenFull : c.setWhenSwitching) ? 1 : 0)
                << "control " << c.control << " full " << full;
    }
}

TEST_F(SettingsRowTest, SwitchingToANeverStoredSetKeepsTheValues) {
    SetControlValue(CTL_TONE_INTENSITY, 55);
    EXPECT_EQ(SwitchSettingsSet(0, 1), 0);
    EXPECT_EQ(GetControlValue(CTL_TONE_INTENSITY), 55);
    SetControlValue(CTL_TONE_INTENSITY, -20);
    EXPECT_EQ(SwitchSettingsSet(1, 0), 1);  // set 0 was stored on the way out
    EXPECT_EQ(GetControlValue(CTL_TONE_INTENSITY), 55);
    EXPECT_EQ(SwitchSettingsSet(0, 1), 1);
    EXPECT_EQ(GetControlValue(CTL_TONE_INTENSITY), -20);
    StoreSettingsSetsOnClose(1);
    for (int32_t set = 0; set < kSettingsSetCount; ++set)
        EXPECT_EQ(IsSettingsRowStored(ARRAY_SETTINGS_ROWS, set), -1) << set;
    EXPECT_EQ(Row(ARRAY_SETTINGS_ROWS, 0)[CTL_TONE_INTENSITY], 55);  // not overwritten on close
    EXPECT_EQ(Row(ARRAY_SETTINGS_ROWS, 2)[CTL_TONE_INTENSITY], -20);
}

TEST_F(SettingsRowTest, RowFromAFileIsHeldToItsRanges) {
    struct Case {
        int32_t slot, value, held;
    };
    const Case cases[] = {
        {CTL_TONE_INTENSITY, 500, 100},
        {CTL_TONE_INTENSITY, INT_MIN, -100},
        {CTL_MASK_ROTATION, 181, 180},
        {CTL_TONING_COLOR_SWATCH, -5, 0},
        {CTL_TONING_COLOR_SWATCH, 0x7FFFFFFF, 0xFFFFFF},
        {311, -1, 0},
        {311 + 33, 17, 16},
        {311 + 66, INT_MAX, 16},
        {312, 400, 159},
        {542 + 2, 300, 255},
        {542 + 5, -101, -100},
        {542 + 4, 101, 100},
        {587 + 1, 256, 255},
        {587 + 6, -300, -100},
        {650, -70, -70},  // centres lie anywhere
    };
    for (const Case& c : cases) {
        std::vector<int32_t> row(kSettingsRowLength, 0);
        SettingsRowClamp(row.data());  // a row within every range, then one slot outside
        row[c.slot] = c.value;
        EXPECT_EQ(SettingsRowClamp(row.data()), c.value == c.held ? 0 : 1) << c.slot;
        EXPECT_EQ(row[c.slot], c.held) << "slot " << c.slot << " value " << c.value;
    }
}

TEST_F(SettingsRowTest, RowWithImpossibleCountsIsNotWhole) {
    struct Case {
        int32_t slot, value;
        bool whole;
    } cases[] = {
        {311, 0, true},
        {311, 16, true},
        {311, -1, false},
        {311 + 33 * 6, 17, false},
        {311, INT_MIN, false},
        {kRowMarkerSlot, 0, false},
        {kRowMarkerSlot, 1, false},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> row(kSettingsRowLength, 0);
        row[kRowMarkerSlot] = kRowStoredMarker;
        row[c.slot] = c.value;
        EXPECT_EQ(SettingsRowIsWhole(row.data()), c.whole) << c.slot << " = " << c.value;
    }
}

TEST_F(SettingsRowTest, UnlinkedPairComesBackApart) {
    // Applying a row clicks each pair's link box; a pair stored apart must not be joined.
    SetControlValue(CTL_TONE_OPTION, 0);
    SetControlValue(CTL_TONE_SHADOWS, 10);
    SetControlValue(CTL_TONE_HIGHLIGHTS, 50);
    StoreSettingsRow(ARRAY_SETTINGS_ROWS, 1);
    SetControlValue(CTL_TONE_HIGHLIGHTS, 0);
    ASSERT_EQ(ApplySettingsRow(ARRAY_SETTINGS_ROWS, 1, 1), 1);
    EXPECT_EQ(GetControlValue(CTL_TONE_SHADOWS), 10);
    EXPECT_EQ(GetControlValue(CTL_TONE_HIGHLIGHTS), 50);
}
