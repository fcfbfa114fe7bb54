// Undo, redo and the settings sets by real input in the shipped plug-in: Ctrl+Z and Ctrl+Y, and
// the undo and redo buttons, give back a slider's move, a combo's choice and a switch; each
// settings set's tab brings back the values left in it.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

constexpr int kTakesMs = 5000;    // a change shows in its control on a busy machine
constexpr int kFx1Sheet = 1;      // the conversion combo's sheet
constexpr int kMainSheet = 3;     // the tone sliders and the Zones switch
constexpr int kStandardItem = 2;  // the conversion combo's "Standard"
constexpr int kSecondSet = 1;     // "Preview 2"

// --- The changes a user makes, and how each control shows its value ------------------------

// One page to the right: a click on the channel near the right end, right of the thumb.
void ClickSliderChannel(Driver&, HWND slider) {
    ClickAt(SliderPagePoint(slider));
}

void ChooseConversion(Driver& driver, HWND combo) {
    ChooseComboItemByClicks(driver, combo, kStandardItem);
}

void ClickSwitch(Driver&, HWND box) {
    ClickAt(CentreOf(box));
}

int SliderShows(HWND slider) {
    return int(SendMessageA(slider, SBM_GETPOS, 0, 0));
}

int ComboShows(HWND combo) {
    return int(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

int SwitchShows(HWND box) {
    return int(SendMessageA(box, BM_GETCHECK, 0, 0));
}

struct UndoCase {
    const char* what;
    int32_t control;
    int sheet;  // the sheet of CTL_MAIN_TAB that shows the control
    void (*change)(Driver&, HWND);
    int (*shows)(HWND);
};

const UndoCase kCases[] = {
    {"slider", CTL_TONE_BRIGHTNESS, kMainSheet, ClickSliderChannel, SliderShows},
    {"switch", CTL_TONE_ZONES, kMainSheet, ClickSwitch, SwitchShows},
    {"combo", CTL_CONVERSION_METHOD, kFx1Sheet, ChooseConversion, ComboShows},
};

// How the user asks for undo and for redo.
struct UndoWay {
    const char* undo;
    const char* redo;
    void (*undoInput)(Driver&);
    void (*redoInput)(Driver&);
};

const UndoWay kKeys = {"Ctrl+Z", "Ctrl+Y", [](Driver&) { PressChord(VK_CONTROL, 'Z'); },
                       [](Driver&) { PressChord(VK_CONTROL, 'Y'); }};
const UndoWay kButtons = {
    "the undo button", "the redo button",
    [](Driver& driver) { ClickAt(CentreOf(driver.ControlWindow(CTL_UNDO))); },
    [](Driver& driver) { ClickAt(CentreOf(driver.ControlWindow(CTL_REDO))); }};

// Each change made, undone and redone by the given input, in one dialog; the value each
// control shows is checked after every step.
void UndoEachChange(const UndoWay& way) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
        EnterAdvancedMode(driver);
        for (const UndoCase& c : kCases) {
            ClickAt(TabItemPoint(driver.ControlWindow(CTL_MAIN_TAB), c.sheet));
            HWND control = driver.ControlWindow(c.control);
            if (!driver.Check(WaitFor([&] { return IsWindowVisible(control) != FALSE; }),
                              std::string(c.what) + " shows"))
                continue;
            SettleDialog(driver);
            const int before = c.shows(control);
            c.change(driver, control);
            if (!driver.Check(WaitFor([&] { return c.shows(control) != before; }, kTakesMs),
                              std::string(c.what) + " changes"))
                continue;
            SettleDialog(driver);  // the preview of the change renders and becomes an undo step
            const int after = c.shows(control);
            way.undoInput(driver);
            driver.Check(WaitFor([&] { return c.shows(control) == before; }, kTakesMs),
                         std::string(way.undo) + " gives back the " + c.what + "'s " +
                             std::to_string(before) + ", it shows " +
                             std::to_string(c.shows(control)));
            SettleDialog(driver);  // the preview of the state given back renders
            if (c.control == CTL_TONE_ZONES) ShootDialog(driver, std::string("undone_") + c.what);
            driver.Check(c.shows(control) == before,
                         std::string("the ") + c.what + " stays given back after the rendering");
            way.redoInput(driver);
            driver.Check(WaitFor([&] { return c.shows(control) == after; }, kTakesMs),
                         std::string(way.redo) + " brings the " + c.what + "'s " +
                             std::to_string(after) + " again, it shows " +
                             std::to_string(c.shows(control)));
            SettleDialog(driver);
        }
        ClickOkUntilClosed(driver);
    });
    EXPECT_EQ(result, 0);
}

}  // namespace

TEST(UndoByRealInput, CtrlZAndCtrlYGiveBackEachChange) {
    UndoEachChange(kKeys);
}

TEST(UndoByRealInput, TheUndoAndRedoButtonsGiveBackEachChange) {
    UndoEachChange(kButtons);
}

// Each settings set keeps its own values (its mode among them) when the user goes back and
// forth, and undo starts anew in each.
TEST(SettingsSetsByRealInput, EachSetKeepsItsOwnValues) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
        HWND sets = driver.ControlWindow(CTL_PREVIEW_TAB);
        HWND slider = driver.ControlWindow(CTL_TONE_BRIGHTNESS);
        HWND mode = driver.ControlWindow(CTL_MODE);
        const auto chooseSet = [&](int set) {
            ClickAt(TabItemPoint(sets, set));
            driver.Check(WaitFor([&] { return SendMessageA(sets, TCM_GETCURSEL, 0, 0) == set; }),
                         "set " + std::to_string(set) + " is chosen");
            SettleDialog(driver);
        };
        // In each set: Advanced Mode, the Main sheet, the slider some pages on.
        const auto moveSlider = [&](int pages) {
            EnterAdvancedMode(driver);
            ClickAt(TabItemPoint(driver.ControlWindow(CTL_MAIN_TAB), kMainSheet));
            if (!driver.Check(WaitFor([&] { return IsWindowVisible(slider) != FALSE; }),
                              "the slider shows"))
                return -1;
            SettleDialog(driver);
            for (int page = 0; page < pages; ++page) {
                const int start = SliderShows(slider);
                ClickSliderChannel(driver, slider);
                driver.Check(WaitFor([&] { return SliderShows(slider) != start; }),
                             "the slider moves");
                SettleDialog(driver);
            }
            return SliderShows(slider);
        };
        const int firstMode = int(SendMessageA(mode, CB_GETCURSEL, 0, 0));
        const int first = moveSlider(1);
        chooseSet(kSecondSet);
        driver.Check(SendMessageA(mode, CB_GETCURSEL, 0, 0) == firstMode,
                     "the second set comes with its own mode");
        const int second = moveSlider(2);
        driver.Check(second != first, "the sets' sliders differ");

        chooseSet(0);
        driver.Check(WaitFor([&] { return SliderShows(slider) == first; }),
                     "the first set comes back with its value " + std::to_string(first) +
                         ", the slider shows " + std::to_string(SliderShows(slider)));
        PressChord(VK_CONTROL, 'Z');
        SettleDialog(driver);
        driver.Check(SliderShows(slider) == first, "undo starts anew in the set chosen");
        ShootDialog(driver, "first_settings_set_again");
        chooseSet(kSecondSet);
        driver.Check(WaitFor([&] { return SliderShows(slider) == second; }),
                     "the second set comes back with its value " + std::to_string(second));
        ClickOkUntilClosed(driver);
    });
    EXPECT_EQ(result, 0);
}
