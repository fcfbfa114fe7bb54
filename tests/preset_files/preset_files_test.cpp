// Group presets written and read for every group kind, the in-use test, combine on and off,
// numeric keys, and the change record applied while thumbnails render.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dialog/control_creation.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/preset_file.h"
#include "effect/preset_groups.h"
#include "render/session_state.h"
#include "effect/settings_dialog_calls.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "tests/runtime/box_catcher.h"
#include "tests/settings_rows/settings_fixture.h"

namespace {
int32_t gPagesShown;
int32_t gLastPage;
void CountPage(int32_t page, int32_t) {
    ++gPagesShown;
    gLastPage = page;
}

void SetValues(std::initializer_list<std::pair<int32_t, int32_t>> values) {
    for (auto [n, value] : values) SetControlValue(n, value);
}
}  // namespace

class PresetFileTest : public SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        gPagesShown = 0;
        SettingsDialogCalls calls = gSettingsDialogCalls;
        calls.goToPage = CountPage;
        SettingsDialogCallsConnect(calls);
    }
    // The state the golden file "groups.glp" was written from by hand.
    void GoldenState() {
        SetValues(
            {{270, 2}, {50, 10}, {51, 20}, {52, 30}, {53, 40}, {231, 1}, {232, -5}, {233, 7}});
        SetValues({{298, 1},
                   {302, 0},
                   {299, 1},
                   {166, 60},
                   {167, 150},
                   {242, 30},
                   {55, 5},
                   {263, -20},
                   {300, 3},
                   {301, 0x102030}});
        gSession.centrePointX[0] = 120;
        gSession.centrePointY[0] = 340;
        for (int32_t a = 0; a < 9; ++a) PutArrayElement(ARRAY_SELECTIVE_TABLE, a, 2, 0, 10 * a);
        PutArrayElement(ARRAY_SELECTIVE_TABLE, 8, 4, 0, 25);
        SetValues({{97, -30}, {40, 12}});
        SetValues({{44, 50}, {45, 150}, {46, -10}, {48, 10}, {79, 0}, {128, 0x80ff}, {135, 1}});
        gSession.curvePointCount[1] = 3;
        PutArrayElement(ARRAY_CURVES, 1, 0, 1, 80);
        PutArrayElement(ARRAY_CURVES, 1, 1, 1, 100);
        PutArrayElement(ARRAY_CURVES, 2, 0, 1, 159);
        PutArrayElement(ARRAY_CURVES, 2, 1, 1, 159);
    }
    ScratchFolder folder{"presets"};
};

TEST_F(PresetFileTest, WriterMatchesTheHandWrittenFile) {
    GoldenState();
    for (int32_t& flag : gGroupInUse) flag = 0;
    for (int32_t group : {0, 5, 9, 10, 12, 17}) gGroupInUse[group] = 1;  // 10, 17: no key
    const std::string path = folder.File("golden.glp");
    ASSERT_EQ(WritePresetFile(path.c_str()), 1);
    EXPECT_EQ(FileText(path), FileText(SourceFile("tests/preset_files/fixtures/groups.glp")));
}

TEST_F(PresetFileTest, HandWrittenFileLoadsIntoItsState) {
    GoldenState();
    const SettingsState golden = Captured();
    StartingState();
    ASSERT_EQ(LoadPresetFile(SourceFile("tests/preset_files/fixtures/groups.glp").c_str(), 0), 1);
    const SettingsState loaded = Captured();
    for (int32_t group : {0, 5, 12})
        for (int32_t i = 0; i < kPresetGroups[group].count; ++i) {
            const int32_t n = kPresetGroups[group].controls[i];
            EXPECT_EQ(loaded.values[n], golden.values[n]) << "control " << n;
        }
    EXPECT_EQ(loaded.values[97], -30);
    EXPECT_EQ(loaded.values[40], 12);
    EXPECT_EQ(loaded.centreX[0], 120);
    EXPECT_EQ(loaded.centreY[0], 340);
    EXPECT_EQ(loaded.curveCount[1], 3);
    EXPECT_EQ(loaded.curvePoints[1][1][1], 100);
    for (int32_t a = 0; a < 9; ++a) EXPECT_EQ(loaded.selectiveTable[a][2], 10 * a);
    EXPECT_EQ(loaded.selectiveTable[8][4], 25);
    EXPECT_STREQ(gParams->dialogTitle, "Greyloom 2.0 - Last Preset: groups");
}

TEST_F(PresetFileTest, EveryGroupKindRoundTrips) {
    std::mt19937 random(122);
    for (int32_t trial = 0; trial < 6; ++trial) {
        RandomState(random);
        for (int32_t& flag : gGroupInUse) flag = 1;
        const SettingsState written = Captured();
        int32_t interfaceValues[kControlCount];
        std::copy(gContext.controlValues, gContext.controlValues + kControlCount, interfaceValues);
        const std::string path = folder.File("round.glp");
        ASSERT_EQ(WritePresetFile(path.c_str()), 1);
        StartingState();
        ASSERT_EQ(LoadPresetFile(path.c_str(), trial % 2), 1);
        const SettingsState read = Captured();
        for (int32_t group = 0; group < kPresetGroupCount; ++group) {
            const PresetGroup& g = kPresetGroups[group];
            if (PresetGroupIsEmpty(group)) continue;
            // Selective groups store their table column; the sliders of rows 0..6 follow it.
            const bool selective = g.kind == GROUP_SELECTIVE;
            for (int32_t i = 0; i < (selective ? 7 : g.count); ++i)
                EXPECT_EQ(gContext.controlValues[g.controls[i]],
                          selective ? written.selectiveTable[i][g.column]
                                    : interfaceValues[g.controls[i]])
                    << g.key << " control " << g.controls[i];
        }
        EXPECT_EQ(gContext.controlValues[97], interfaceValues[97]);
        EXPECT_EQ(gContext.controlValues[40], interfaceValues[40]);
        for (int32_t k = 0; k < 6; ++k) {
            ASSERT_EQ(read.curveCount[k], written.curveCount[k]) << "curve " << k;
            for (int32_t i = 0; i < written.curveCount[k]; ++i)
                EXPECT_EQ(read.curvePoints[k][i][1], written.curvePoints[k][i][1]);
        }
        for (int32_t a = 0; a < 9; ++a) {
            for (int32_t c : {0, 1, 2, 4})
                EXPECT_EQ(read.selectiveTable[a][c], written.selectiveTable[a][c]) << a << "," << c;
            for (int32_t c = 0; c < 7; ++c)
                EXPECT_EQ(read.selectiveRanges[a][c], written.selectiveRanges[a][c]);
        }
        EXPECT_EQ(read.centreX[0], written.centreX[0]);
        EXPECT_EQ(read.centreY[0], written.centreY[0]);
    }
}

TEST_F(PresetFileTest, CombineKeepsWhatTheFileDoesNotHold) {
    const std::string path = folder.File("mask.glp");
    WriteFileText(path,
                  "Greyloom2.0\n1\n25\n20\n3\n1\n200\n201\n50\n-90\n1\n7\n42\n1\n0\n3\n"
                  "0\n1\n0\n2\n9\n8\n7\n1\n");
    struct Case {
        int32_t combine;
        int32_t grainAfter;  // grain is not in the file: kept with combine, reset without
    } cases[] = {{1, 150}, {0, 0}};
    for (const Case& c : cases) {
        StartingState();
        SetControlValue(CTL_GRAIN_INTENSITY, 150);
        ASSERT_EQ(LoadPresetFile(path.c_str(), c.combine), 1);
        EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), c.grainAfter) << c.combine;
        EXPECT_EQ(GetControlValue(CTL_MASK_TYPE), 3);  // key "25" is group gSelMask
        EXPECT_EQ(GetControlValue(CTL_MASK_OFFSET), 200);
        EXPECT_EQ(GetControlValue(CTL_MASK_DENSITY), 201);
        EXPECT_EQ(GetControlValue(CTL_MASK_ROTATION), -90);
    }
}

TEST_F(PresetFileTest, InUseGroupsFollowTheirControls) {
    struct Case {
        int32_t control, value, group;
    } cases[] = {
        {CTL_POLARIZER_SKY, 5, 1},
        {CTL_DYNCONTRAST_INTENSITY, 5, 2},
        {CTL_TONALLOOK_INTENSITY, 5, 3},
        {CTL_LABFX_INTENSITY, 5, 4},
        {166, 5, 5},
        {184, 5, 6},
        {CTL_TONE_SHADOWS, 5, 11},
        {CTL_TONING_SHADOWS, 5, 12},
        {30, 5, 18},
        {CTL_MASK_TYPE, 2, 25},
        {241, 3, 26},
    };
    for (const Case& c : cases) {
        StartingState();
        SetControlValue(CTL_TONE_INTENSITY, 0);
        SetControlValue(CTL_TONING_INTENSITY, 0);
        const int32_t before = MarkGroupsInUse();
        EXPECT_EQ(gGroupInUse[c.group], 0) << c.control;
        SetControlValue(c.control, c.value);
        EXPECT_EQ(MarkGroupsInUse(), before + 1) << c.control;
        EXPECT_EQ(gGroupInUse[c.group], 1) << c.control;
    }
    // A curve group is off at intensity -100 whatever else it holds, and on for a bent curve.
    StartingState();
    SetControlValue(CTL_TONE_INTENSITY, -100);
    PutArrayElement(ARRAY_CURVES, 1, 1, 0, 100);
    MarkGroupsInUse();
    EXPECT_EQ(gGroupInUse[11], 0);
    SetControlValue(CTL_TONE_INTENSITY, 0);
    MarkGroupsInUse();
    EXPECT_EQ(gGroupInUse[11], 1);
    EXPECT_EQ(gGroupInUse[0], 1);
}

TEST_F(PresetFileTest, KeysAreMatchedExactlyAndBounded) {
    struct Case {
        std::string key;
        int32_t group;
    } cases[] = {
        {"gFX1BW", 0},
        {"gSelFade", 26},
        {"25", 25},
        {"0", 0},
        {"26", 26},
        {"27", -1},
        {"-1", -1},
        {"gfx1bw", -1},
        {"gFX1BWx", -1},
        {"", -1},
        {std::string(256, 'g'), -1},
        {"2147483648", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PresetGroupFromKey(c.key.data(), c.key.size()), c.group) << c.key;
}

TEST_F(PresetFileTest, UnknownAndOverlongKeysSkipTheirValues) {
    const std::string path = folder.File("keys.glp");
    WriteFileText(path, "Greyloom2.0\n4\n" + std::string(10000, 'g') + "\n2\n5\n6\n" +
                            "gUnknown\n1\n9\n10\n3\n1\n2\n3\n" +  // group 10: nothing
                            "gFX2Paper\n3\n40\n50\n60\n");
    SetControlValue(CTL_GRAIN_INTENSITY, 12);
    ASSERT_EQ(LoadPresetFile(path.c_str(), 1), 1);
    EXPECT_EQ(GetControlValue(CTL_PAPER_INTENSITY), 40);
    EXPECT_EQ(GetControlValue(CTL_PAPER_GLOSS), 50);
    EXPECT_EQ(GetControlValue(CTL_PAPER_HIGHLIGHTS), 60);
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 12);
    EXPECT_EQ(GetControlValue(CTL_MODE), ControlTableStartValue(CTL_MODE));
}

TEST_F(PresetFileTest, ThumbnailLoadingTouchesOnlyTheWorkingValues) {
    const std::string path = folder.File("thumb.glp");
    WriteFileText(path, "Greyloom2.0\n1\ngFX2Grain\n7\n90\n5\n0\n1\n2\n3\n0\n");
    SetControlValue(CTL_MODE, 4);
    SetControlValue(CTL_GRAIN_INTENSITY, 10);
    gParams->dialogTitle[0] = '\0';
    gSession.thumbnailRendering = 1;
    ASSERT_EQ(LoadPresetFile(path.c_str(), 0), 1);
    gSession.thumbnailRendering = 0;
    EXPECT_EQ(gContext.controlValues[CTL_GRAIN_INTENSITY], 90);
    EXPECT_EQ(ControlRecordAt(CTL_GRAIN_INTENSITY)->value, 10);  // the control is untouched
    EXPECT_EQ(gPagesShown, 0);
    EXPECT_STREQ(gParams->dialogTitle, "");
    // The same file on the live dialog sets the control and shows the group's page.
    ASSERT_EQ(LoadPresetFile(path.c_str(), 0), 1);
    EXPECT_EQ(ControlRecordAt(CTL_GRAIN_INTENSITY)->value, 90);
    EXPECT_EQ(gPagesShown, 1);
    EXPECT_EQ(gLastPage, 22);
}
