// The dialog's own events under real input in the shipped plug-in: OK and Cancel write the
// settings files as they should, and the language switch gives every text its new language.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/common/control_texts.h"
#include "tests/common/test_files.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

// The files of an earlier dialog stand: OK writes both anew with what this dialog was left with.
TEST(DialogFiles, OkWritesBothFiles) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);  // the cross tool is offered there
        TapKey(driver, 'V');              // the cross tool is remembered
        const POINT centre = CentreOf(driver.Item(ITEM_PREVIEW));
        MoveCursorTo(centre);
        SettleDialog(driver);
        ClickAt(centre);  // the cross switches the aging on
        SettleDialog(driver);
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
    const std::vector<std::string> settingsLines = FileLines(DataFilePath("Greyloom.ini"));
    ASSERT_GE(settingsLines.size(), 3u + kSettingsControlCount);
    EXPECT_EQ(settingsLines[0], "Greyloom2.0");
    EXPECT_EQ(settingsLines[1], "3") << "three settings sets";
    EXPECT_EQ(settingsLines[2], "0") << "the first set is the current one";
    EXPECT_EQ(settingsLines[3 + CTL_AGING_INTENSITY], "100") << "the set as OK left it";
    const std::vector<std::string> stateLines = FileLines(DataFilePath("Greyloomdialog.ini"));
    ASSERT_EQ(stateLines.size(), 126u);
    EXPECT_EQ(stateLines[0], "Greyloom2.0");
    EXPECT_EQ(stateLines[5], "2") << "the tool";
}

TEST(DialogFiles, CancelKeepsTheSettingsFileAndWritesTheDialogState) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    const std::string settings = DataFilePath("Greyloom.ini"),
                      state = DataFilePath("Greyloomdialog.ini");
    const std::string before = FileText(settings);
    ASSERT_FALSE(before.empty());
    // The state left by the dialog before has the preview on: Cancel writes it anew with the
    // preview off.
    ASSERT_EQ(FileLines(state).size(), 126u);
    ASSERT_EQ(FileLines(state)[DialogStateLine(CTL_PREVIEW_ON)], "1");

    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        TapKey(driver, 'R');  // a change of the settings that Cancel must not keep
        TapKey(driver, 'P');  // the preview switched off: a preference that Cancel keeps
        PressKey(driver.dialog, VK_ESCAPE);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
    EXPECT_EQ(FileText(settings), before) << "Greyloom.ini is byte-identical";
    const std::vector<std::string> lines = FileLines(state);
    ASSERT_EQ(lines.size(), 126u) << "the dialog state is written again";
    EXPECT_EQ(lines[DialogStateLine(CTL_PREVIEW_ON)], "0");
}

void ChooseItem(Driver& driver, int32_t n, int32_t item) {
    PostComboChoice(driver, n, item);
    SettleDialog(driver);
}

// Escape is dropped while the dialog handles an event (its thumbnails): a user presses it again.
void EscapeUntilClosed(Driver& driver) {
    for (int attempt = 0; attempt < 20 && IsWindowVisible(driver.dialog); ++attempt) {
        PressKey(driver.dialog, VK_ESCAPE);
        WaitFor([&] { return !IsWindowVisible(driver.dialog); }, 1000);
    }
}

void ChooseLanguage(Driver& driver, int32_t language) {
    ChooseItem(driver, CTL_LANGUAGE, language);
}

TEST(LanguageSwitch, EveryTextTakesTheChosenLanguage) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        HWND modeLabel = driver.Item(CTL_MODE + kLabelWindowIdBase);
        HWND reset = driver.ControlWindow(CTL_RESET);
        driver.Check(WindowText(modeLabel) == "Mode", "English label at the start");
        ChooseLanguage(driver, 1);
        WaitFor([&] { return WindowText(modeLabel) == "Modus"; }, kDialogSettleMs);
        driver.Check(WindowText(modeLabel) == "Modus", "German label: " + WindowText(modeLabel));
        driver.Check(WindowText(reset) ==
                         "Zur\xFC"
                         "ck",
                     "German button: " + WindowText(reset));
        ShootDialog(driver, "dialog_events_german");
        ChooseLanguage(driver, 0);
        WaitFor([&] { return WindowText(modeLabel) == "Mode"; }, kDialogSettleMs);
        driver.Check(WindowText(modeLabel) == "Mode", "English again: " + WindowText(modeLabel));
        driver.Check(WindowText(reset) == "Reset", "English button: " + WindowText(reset));
        EscapeUntilClosed(driver);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : "|") + text;
    return joined;
}

void ChooseMode(Driver& driver, int32_t mode) {
    ChooseItem(driver, CTL_MODE, mode);
}

void ChooseSheet(Driver& driver, int32_t sheet) {
    HWND tab = driver.ControlWindow(CTL_MAIN_TAB);
    driver.SendTo(tab, TCM_SETCURSEL, WPARAM(sheet), 0);
    NMHDR change = {tab, UINT_PTR(CTL_MAIN_TAB + kControlWindowIdBase), UINT(TCN_SELCHANGE)};
    driver.Send(WM_NOTIFY, change.idFrom, LPARAM(&change));
    SettleDialog(driver);
}

// The language file names the six sheets of Advanced Mode; Easy and Advanced+ Mode keep their
// own sheets, in the new language, and Advanced+ Mode stays on its Adjust sheet.
TEST(LanguageSwitch, TheMainTabKeepsTheSheetsOfItsMode) {
    const struct {
        int32_t mode, sheet;
        const char* german;
        const char* english;
    } cases[] = {
        {0, 0, "Preset", "Preset"},
        {3, 2, "Preset|FX1|Auswahl|Haupt|FX2|Maske", "Preset|FX1|Select|Main|FX2|Mask"},
        {4, 1, "Preset|Anpassen", "Preset|Adjust"},
    };
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
        HWND tab = driver.ControlWindow(CTL_MAIN_TAB);
        for (const auto& c : cases) {
            const std::string mode = "mode " + std::to_string(c.mode) + ": ";
            if (c.mode != 0) ChooseMode(driver, c.mode);
            WaitFor([&] { return Joined(TabItemTexts(tab)) == c.english; }, kDialogSettleMs);
            if (c.sheet > 0) ChooseSheet(driver, c.sheet);
            ChooseLanguage(driver, 1);
            WaitFor([&] { return Joined(TabItemTexts(tab)) == c.german; }, kDialogSettleMs);
            driver.Check(Joined(TabItemTexts(tab)) == c.german, mode + Joined(TabItemTexts(tab)));
            driver.Check(SendMessageA(tab, TCM_GETCURSEL, 0, 0) == c.sheet,
                         mode + "the sheet stays");
            if (c.mode == 4) ShootDialog(driver, "language_german_advanced_plus");
            if (c.mode == 0) ShootDialog(driver, "language_german_easy");
            ChooseLanguage(driver, 0);
            WaitFor([&] { return Joined(TabItemTexts(tab)) == c.english; }, kDialogSettleMs);
            driver.Check(Joined(TabItemTexts(tab)) == c.english, mode + Joined(TabItemTexts(tab)));
        }
        EscapeUntilClosed(driver);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Posted, as a click is: it waits while the dialog renders its first thumbnails.
void ClickSideTabMove(Driver& driver) {
    PostMessageA(driver.dialog, WM_COMMAND,
                 MAKEWPARAM(CTL_SIDE_TAB_MOVE + kControlWindowIdBase, BN_CLICKED),
                 LPARAM(driver.ControlWindow(CTL_SIDE_TAB_MOVE)));
}

// The arrow button above the side tab exchanges the two tab areas and back again to the
// same places, on the preset sheet and on an effect sheet; OK remembers the order and the
// next start opens with it.
TEST(TabAreas, TheSideTabMovesAboveTheMainTabAndBack) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        HWND main = driver.ControlWindow(CTL_MAIN_TAB), side = driver.ControlWindow(CTL_SIDE_TAB);
        HWND help = driver.ControlWindow(CTL_HELP_TEXT);
        const auto below = [&] { return ScreenRect(side).top > ScreenRect(main).bottom; };
        const auto above = [&] { return ScreenRect(side).bottom < ScreenRect(main).top; };
        for (int32_t sheet : {3, 0}) {
            const std::string on = " (sheet " + std::to_string(sheet) + ")";
            ChooseSheet(driver, sheet);
            SettleDialog(driver);
            const RECT mainBefore = ScreenRect(main), sideBefore = ScreenRect(side);
            driver.Check(below(), "the side tab below at first" + on);
            ShootDialog(driver, "tab_areas_side_below_sheet" + std::to_string(sheet));
            ClickSideTabMove(driver);
            driver.Check(WaitFor(above, kDialogSettleMs), "the side tab above" + on);
            SettleDialog(driver);
            const RECT sideAbove = ScreenRect(side);
            driver.Check(sideAbove.top == mainBefore.top,
                         "the side tab at the main tab's top" + on);
            const RECT helpRect = ScreenRect(help);
            driver.Check(helpRect.top > sideAbove.top && helpRect.bottom <= sideAbove.bottom,
                         "the side tab's controls went with it" + on);
            ShootDialog(driver, "tab_areas_side_above_sheet" + std::to_string(sheet));
            ClickSideTabMove(driver);
            driver.Check(WaitFor(below, kDialogSettleMs), "the side tab below again" + on);
            SettleDialog(driver);
            driver.Check(
                SameRect(ScreenRect(main), mainBefore) && SameRect(ScreenRect(side), sideBefore),
                "both tabs back in their places" + on);
        }
        ClickSideTabMove(driver);
        driver.Check(WaitFor(above, kDialogSettleMs), "the side tab above for the next start");
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);

    auto again = OpenEffectPlugin(120, 80, false);
    const int16_t second = RunEffectDialog(*again, [](Driver& driver) {
        HWND main = driver.ControlWindow(CTL_MAIN_TAB), side = driver.ControlWindow(CTL_SIDE_TAB);
        driver.Check(ScreenRect(side).bottom < ScreenRect(main).top,
                     "the next start opens with the side tab above");
        ShootDialog(driver, "tab_areas_side_above_at_start");
        EscapeUntilClosed(driver);
    });
    EXPECT_EQ(second, HOST_USER_CANCELLED);
}

}  // namespace
