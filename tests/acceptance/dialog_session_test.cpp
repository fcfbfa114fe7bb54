// The whole dialog as a photographer uses it, through the test host with real input: the
// sample photograph opened, a settings set chosen, a built-in preset applied, three sliders
// moved, a switch set and undone, OK. The settings OK records then replay through the host
// without the dialog and give the very image the dialog's OK gave.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/common/control_texts.h"
#include "tests/effect_dialog/effect_dialog_bed.h"
#include "tests/common/test_files.h"

namespace {

constexpr int kBwFilterItem = 8;  // the category combo's item of "BW Filter"
constexpr int kPresetRow = 3;     // a preset of the category (row 0 is its heading)
constexpr int kSecondSet = 1;     // "Preview 2"
constexpr int kMainSheet = 3;     // the tone sliders and the Zones switch
constexpr int32_t kSliders[] = {CTL_TONE_BRIGHTNESS, CTL_TONE_SHADOWS, CTL_TONE_EXPOSURE};

std::unique_ptr<HostSession> OpenSamplePhotograph(bool firstStart) {
    auto session = OpenEffectPlugin(120, 80, firstStart);
    HostImage image;
    std::string error;
    EXPECT_TRUE(HostImageReadPng(SourceFile("samples/coffee.png"), 8, 3, &image, &error)) << error;
    EXPECT_TRUE(HostSetImage(*session, image));
    return session;
}

POINT ListItemPoint(HWND list, int item) {
    SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(item), FALSE);
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, WPARAM(item), LPARAM(&rect));
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
}

// A click, and the wait until the dialog has handled it and rendered the preview again: a
// click that arrives while the dialog is still at the one before is dropped, as a user's is.
void Step(Driver& driver, POINT screen) {
    ClickAt(screen);
    SettleDialog(driver);
}

int SliderPosition(HWND slider) {
    return int(SendMessageA(slider, SBM_GETPOS, 0, 0));
}

// Waits for the dialog to take input again: a posted choice goes through the queue in order
// with the input, and only once the dialog reads it does the combo show it.
bool Settled(Driver& driver, int32_t category) {
    HWND combo = driver.ControlWindow(CTL_PRESET_GROUP_FILTER);
    PostComboChoice(driver, CTL_PRESET_GROUP_FILTER, category);
    return WaitFor([&] { return SendMessageA(combo, CB_GETCURSEL, 0, 0) == category; },
                   kDialogSettleMs);
}

}  // namespace

TEST(DialogSession, TheRecordedSettingsReplayToTheImageTheDialogGave) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenSamplePhotograph(false);
    session->options.recordInfo = RECORD_DIALOG_OPTIONAL;
    std::string preset;
    const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
        EnterAdvancedMode(driver);
        if (!driver.Check(Settled(driver, kBwFilterItem), "the dialog takes input")) return;
        Step(driver, TabItemPoint(driver.ControlWindow(CTL_PREVIEW_TAB), kSecondSet));
        driver.Check(WaitFor([&] {
                         return SendMessageA(driver.ControlWindow(CTL_PREVIEW_TAB), TCM_GETCURSEL,
                                             0, 0) == kSecondSet;
                     }),
                     "the second settings set is chosen");
        // The set comes with the mode it was left in.
        EnterAdvancedMode(driver);

        HWND list = driver.ControlWindow(CTL_PRESET_LIST);
        Step(driver, ListItemPoint(list, kPresetRow));
        driver.Check(
            WaitFor(
                [&] { return WindowText(driver.dialog).find("Last Preset") != std::string::npos; },
                kDialogSettleMs),
            "the preset is applied: " + WindowText(driver.dialog));
        preset = WindowText(driver.dialog);

        Step(driver, TabItemPoint(driver.ControlWindow(CTL_MAIN_TAB), kMainSheet));
        for (int32_t n : kSliders) {
            HWND slider = driver.ControlWindow(n);
            const int before = SliderPosition(slider);
            Step(driver, SliderPagePoint(slider));
            driver.Check(WaitFor([&] { return SliderPosition(slider) != before; }),
                         "slider " + std::to_string(n) + " moved");
        }
        HWND zones = driver.ControlWindow(CTL_TONE_ZONES);
        Step(driver, CentreOf(zones));
        driver.Check(WaitFor([&] { return SendMessageA(zones, BM_GETCHECK, 0, 0) == BST_CHECKED; }),
                     "the Zones switch is on");
        // The preview of the switch renders and becomes an undo step.
        driver.Check(WaitForDialogIdle(driver, kDialogSettleMs), "the switch is handled");
        ShootDialog(driver, "acceptance_before_undo");
        PressChord(VK_CONTROL, 'Z');
        driver.Check(
            WaitFor([&] { return SendMessageA(zones, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }),
            "Ctrl+Z takes the switch back");
        // The replay below must give the image of the state undo gave back.
        driver.Check(WaitForDialogIdle(driver, kDialogSettleMs), "the undo is handled");
        ShootDialog(driver, "acceptance_after_undo");
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
    ASSERT_FALSE(session->recorded.empty()) << "OK records the settings";
    const HostImage dialogOutput = session->output;
    ASSERT_NE(dialogOutput.samples, session->source.samples) << "the settings change the image";

    // The recorded settings replayed as an editor plays an action: no dialog.
    auto replay = OpenSamplePhotograph(false);
    replay->options.playInfo = PLAY_DIALOG_NONE;
    replay->options.playInProgress = true;
    replay->replayDescriptor = true;
    replay->replay = session->recorded;
    ASSERT_EQ(HostRunFilter(*replay, false), 0);
    EXPECT_TRUE(replay->output.samples == dialogOutput.samples)
        << "the replay gives the image the dialog gave (" << preset << ")";
}
