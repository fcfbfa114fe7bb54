// The effect pages on the real controls: the effect dialog's controls built into a window of
// this program, then moved between their home sheets and the FX1 sheet of Advanced+ Mode.

#include <gtest/gtest.h>

#include <memory>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/dialog_construction.h"
#include "effect/effect_pages.h"
#include "effect/preset_groups.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "tests/common/fresh_parameter_block.h"

namespace {
class BuiltDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        DialogFrameReset();
        EffectPagesReset();
        window = CreateWindowExA(0, "#32770", "Greyloom", WS_POPUP | WS_CAPTION, 0, 0, 800, 540,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        gDialog = window;
        gContext.dialogWindow = window;
        gContext.dialogWanted = 1;
        ASSERT_EQ(BuildEffectDialog(&gContext), 1);
    }
    void TearDown() override {
        DestroyWindow(window);
        gDialog = nullptr;
        gParams = nullptr;
        EffectContextReset();
    }
    static const ControlRecord& Record(int32_t n) { return *ControlRecordAt(n); }
    std::unique_ptr<ParameterBlock> block;
    HWND window = nullptr;
};

TEST_F(BuiltDialog, EveryTableControlIsMadeOnItsSheet) {
    for (int32_t i = 0; i < kControlTableSize; ++i) {
        const ControlTableRow& row = kControlTable[i];
        if (row.flags & ROW_PSEUDO) continue;
        SCOPED_TRACE(row.number);
        ASSERT_NE(UsedControlRecord(row.number), nullptr);
        EXPECT_EQ(Record(row.number).controlClass, row.controlClass);
        EXPECT_EQ(Record(row.number).tab, row.tab);
        EXPECT_EQ(Record(row.number).sheet, row.sheet);
    }
    EXPECT_EQ(UsedControlRecord(63), nullptr);
    EXPECT_EQ(GetControlValue(CTL_FRAME_SIZE), 160);
    EXPECT_EQ(Record(CTL_FRAME_SIZE).divisor, 10);
    EXPECT_EQ(Record(CTL_FRAME_SIZE).gamma, 310);
}

TEST_F(BuiltDialog, GoingToAPageFromEasyModeGathersItOnTheFx1Sheet) {
    SetControlValue(CTL_MODE, 0);
    GoToPage(12, 1);  // Color
    EXPECT_EQ(GetControlValue(CTL_MODE), 4);
    EXPECT_EQ(GetControlValue(CTL_EFFECT_LIST), 13);
    EXPECT_EQ(GetControlValue(CTL_MAIN_PAGES), 1);
    EXPECT_EQ(GetControlValue(CTL_COLOR_PAGES), 0);
    EXPECT_EQ(gCurrentCurve, 1);
    int32_t controls[kPresetGroupControlMax + kPageExtraMax];
    const int32_t count = PageControls(12, controls, int32_t(std::size(controls)));
    for (int32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(controls[i]);
        EXPECT_EQ(Record(controls[i]).tab, CTL_MAIN_TAB);
        EXPECT_EQ(Record(controls[i]).sheet, 1);
    }

    // The next page lifts its controls under the list and sends the last ones home.
    GoToPage(2, 1);  // Dynamic Contrast, rebased
    EXPECT_EQ(Record(CTL_TONING_INTENSITY).tab, CTL_COLOR_PAGES);
    EXPECT_EQ(Record(CTL_TONING_INTENSITY).sheet, 0);
    EXPECT_EQ(Record(CTL_TONING_INTENSITY).y, 159);
    EXPECT_EQ(Record(CTL_CURVE).tab, CTL_MAIN_TAB);
    EXPECT_EQ(Record(CTL_CURVE).sheet, 3);
    const int32_t listY = Record(CTL_EFFECT_LIST).y;
    EXPECT_EQ(Record(CTL_DYNCONTRAST_INTENSITY).y, listY + 16);  // the group's top control
    EXPECT_EQ(Record(CTL_DYNCONTRAST_SHADOWS).y, listY + 16 + (87 - 62));
    EXPECT_EQ(Record(CTL_DYNCONTRAST_SHADOWS).sheet, 1);

    RestorePageControls();
    EXPECT_EQ(Record(CTL_DYNCONTRAST_SHADOWS).y, 87);
    EXPECT_EQ(Record(CTL_DYNCONTRAST_SHADOWS).tab, CTL_FX1_PAGES);
}

TEST_F(BuiltDialog, AdvancedModeNavigatesWithTheSelectors) {
    SetControlValue(CTL_MODE, 3);
    GoToPage(15, 1);  // Green
    EXPECT_EQ(GetControlValue(CTL_MAIN_TAB), 3);
    EXPECT_EQ(GetControlValue(CTL_MAIN_PAGES), 2);
    EXPECT_EQ(GetControlValue(CTL_RGB_PAGES), 1);
    EXPECT_EQ(Record(CTL_GREEN_INTENSITY).tab, CTL_RGB_PAGES) << "nothing moves in this mode";
    EXPECT_EQ(PageOfControlEvent(3, 0), 15);
    SelectCurrentCurve();
    EXPECT_EQ(gCurrentCurve, 4);
}
}  // namespace
