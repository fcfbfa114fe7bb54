// The control records every dialog part shares: numbers outside the table, the state as the
// user sees it through nested tab sheets, and the fixed classes of the pseudo controls.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "dialog/control_appearance.h"
#include "host/parameter_block.h"

namespace {
struct FreshBlock {
    FreshBlock() : block(new ParameterBlock) {
        InitParameterBlock(*block);
        gParams = block.get();
    }
    ~FreshBlock() { gParams = nullptr; }
    std::unique_ptr<ParameterBlock> block;
};

void UseControl(int n, int32_t controlClass, uint8_t state, int32_t tab = -1, int32_t sheet = -1) {
    ControlRecord& record = gParams->controls[n];
    record.inUse = 1;
    record.controlClass = controlClass;
    record.state = state;
    record.tab = tab;
    record.sheet = sheet;
}

TEST(ControlRecords, NumbersOutsideTheTableChangeNothing) {
    FreshBlock fresh;
    const ParameterBlock before = *fresh.block;
    for (int n : {-1, 400, 401, -400, 1 << 30}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(SetControlState(n, 1), 0);
        EXPECT_EQ(SetControlScripted(n, 0), 0);
        EXPECT_EQ(GetControlClass(n), 0);
        EXPECT_EQ(GetEffectiveControlState(n), 0);
        EXPECT_EQ(ControlRecordAt(n), nullptr);
    }
    // Unused records refuse setters too.
    EXPECT_EQ(SetControlState(5, 1), 0);
    EXPECT_EQ(memcmp(&before, fresh.block.get(), sizeof before), 0);
}

TEST(ControlRecords, PseudoControlsHaveTheirClassEvenWithoutARecord) {
    FreshBlock fresh;
    EXPECT_EQ(GetControlClass(395), 25);
    EXPECT_EQ(GetControlClass(394), 14);
    EXPECT_EQ(GetControlClass(392), 26);
    EXPECT_EQ(GetControlClass(391), 0);
    gParams = nullptr;
    EXPECT_EQ(GetControlClass(395), 25);
    EXPECT_EQ(GetControlClass(394), 14);
    EXPECT_EQ(GetControlClass(392), 26);
    EXPECT_EQ(GetControlClass(7), 0);
}

TEST(ControlRecords, FullStateReadsAsMinusOne) {
    FreshBlock fresh;
    UseControl(10, 6, 3);
    EXPECT_EQ(GetControlState(10), -1);
    struct Case {
        int32_t set;
        int32_t stored;
    };
    for (const Case& c :
         {Case{1, 1}, Case{2, 2}, Case{0, 0}, Case{-1, 3}, Case{7, 3}, Case{6, 2}}) {
        SetControlState(10, c.set);
        EXPECT_EQ(gParams->controls[10].state, c.stored) << c.set;
        EXPECT_EQ(GetControlState(10), c.stored == 3 ? -1 : c.stored);
    }
    EXPECT_EQ(SetControlScripted(10, 0), 1);
    EXPECT_EQ(gParams->controls[10].scripted, 0);
    EXPECT_EQ(SetControlScripted(10, 5), 1);
    EXPECT_EQ(gParams->controls[10].scripted, -1);
}

TEST(ControlRecords, EffectiveStateFollowsTheTabSheets) {
    struct Case {
        const char* what;
        uint8_t ownState;
        int32_t sheet;       // of the control on tab 20
        int32_t tabSheet;    // sheet tab 20 shows
        uint8_t tabState;    // own state of tab 20
        int32_t tabClass;    // class of control 20
        int32_t outerShows;  // sheet the outer tab 21 shows (tab 20 lies on its sheet 0)
        int32_t expected;
    };
    const Case cases[] = {
        {"shown sheet", 3, 1, 1, 3, 27, 0, 3},
        {"other sheet", 3, 2, 1, 3, 27, 0, 0},
        {"hidden tab", 3, 1, 1, 2, 27, 0, 2},
        // Shown and usable need both the control and its tab to be so (the smaller state, 1,
        // would call a disabled control on a hidden tab visible).
        {"visible control on a hidden tab", 1, 1, 1, 2, 27, 0, 0},
        {"enabled control on a disabled tab", 2, 1, 1, 1, 27, 0, 0},
        {"visible control on a visible tab", 1, 1, 1, 1, 27, 0, 1},
        {"value list as tab", 3, 0, 0, 3, 28, 0, 3},
        {"not a tab", 3, 0, 0, 3, 6, 0, 0},
        {"outer tab shows another sheet", 3, 1, 1, 3, 27, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshBlock fresh;
        UseControl(21, 27, 3);
        gParams->controls[21].value = c.outerShows;
        UseControl(20, c.tabClass, c.tabState, 21, 0);
        gParams->controls[20].value = c.tabSheet;
        UseControl(30, 7, c.ownState, 20, c.sheet);
        EXPECT_EQ(GetEffectiveControlState(30), c.expected);
    }
    FreshBlock fresh;
    UseControl(30, 7, 3, 31, 0);  // the owning tab was never created
    EXPECT_EQ(GetEffectiveControlState(30), 0);
    UseControl(40, 27, 3, 41, 0);  // tabs on each other's sheets: the loop ends
    UseControl(41, 27, 3, 40, 0);
    UseControl(42, 7, 3, 40, 0);
    EXPECT_EQ(GetEffectiveControlState(42), 3);
    EXPECT_EQ(GetEffectiveControlState(395), 0);  // the preview never counts as shown
    EXPECT_EQ(GetEffectiveControlState(7), 0);
}
}  // namespace
