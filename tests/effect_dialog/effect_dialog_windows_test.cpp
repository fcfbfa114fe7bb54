// The effect dialog in a real window: it stands with OK and Cancel, the keyboard confirms and
// cancels, OK on untouched controls renders what the control table's values render, and the
// sheets opened after the start stand where they are laid out while shown.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "tests/common/test_files.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {
bool IsZoomButton(HWND window) {
    const int id = GetDlgCtrlID(window);
    return id == ITEM_ZOOM_IN || id == ITEM_ZOOM_OUT || id == CTL_ZOOM_IN + kControlWindowIdBase ||
           id == CTL_ZOOM_OUT + kControlWindowIdBase;
}

// The settings the dialog gives its controls when it builds them.
void TableValues(int32_t (&values)[kSettingsControlCount]) {
    for (int32_t n = 0; n < kSettingsControlCount; ++n) values[n] = ControlTableStartValue(n);
}

// A remembered dialog state of the given size that chose German.
void RememberGermanDialog(int32_t width, int32_t height) {
    CreateDirectoryA(MakerFolderPath().c_str(), nullptr);
    CreateDirectoryA(DataFilePath("").c_str(), nullptr);
    std::string text = "Greyloom2.0\n" + std::to_string(width) + "\n" + std::to_string(height) +
                       "\n0\n0\n0\nNone\n0\n0\n0\n0\n0\n0\n";
    for (int32_t n = 310; n < 400; ++n)
        text += std::to_string(n == CTL_LANGUAGE ? 1 : ControlTableStartValue(n)) + "\n";
    text += "22\n";
    for (int i = 0; i < 22; ++i) text += "0\n";
    ASSERT_TRUE(WriteFileText(DataFilePath("Greyloomdialog.ini"), text));
}

// Every pixel grey: the effect's black-and-white rendering, not a single channel.
bool IsGrey(const HostImage& image) {
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            if (image.at(x, y, 0) != image.at(x, y, 1) || image.at(x, y, 1) != image.at(x, y, 2))
                return false;
    return true;
}
}  // namespace

TEST(EffectDialog, StandsWithOkAndCancelAndTheFocusOffTheZoomButtons) {
    auto session = OpenEffectPlugin();
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        for (int32_t n : {CTL_OK, CTL_CANCEL}) {
            HWND button = driver.ControlWindow(n);
            driver.Check(button && IsWindowVisible(button), "button " + std::to_string(n));
        }
        HWND focus = FocusedWindow(driver.dialog);
        driver.Check(focus != nullptr, "a control has the focus");
        driver.Check(!IsZoomButton(focus), "the focus is not on a zoom button");
        // Without a dialog-state file (a first start) the dialog opens maximised.
        driver.Check(IsZoomed(driver.dialog), "the first dialog opens maximised");
        ShowDialogAs(driver, SW_RESTORE);
        ShootDialog(driver, "effect_dialog_en_default");
        ShowDialogAs(driver, SW_MAXIMIZE);
        driver.Check(IsZoomed(driver.dialog), "the dialog maximised");
        ShootDialog(driver, "effect_dialog_en_maximised");
        ShowDialogAs(driver, SW_RESTORE);
        PressKey(driver.dialog, VK_ESCAPE);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
    EXPECT_TRUE(SameImage(session->output, session->source)) << "Escape leaves the image";
}

TEST(EffectDialog, GermanDialogAtItsRememberedSizeAndMaximised) {
    RememberGermanDialog(1000, 700);
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        driver.Check(!IsZoomed(driver.dialog), "a remembered size opens as that size");
        char text[64] = "";
        GetWindowTextA(driver.ControlWindow(CTL_CANCEL), text, sizeof text);
        driver.Check(std::string(text) != "Cancel", "the buttons speak German");
        ShootDialog(driver, "effect_dialog_de_default");
        ShowDialogAs(driver, SW_MAXIMIZE);
        ShootDialog(driver, "effect_dialog_de_maximised");
        ShowDialogAs(driver, SW_RESTORE);
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

TEST(EffectDialog, EnterOnUntouchedControlsRendersTheTableValues) {
    auto reference = OpenEffectPlugin();
    int32_t values[kSettingsControlCount];
    TableValues(values);
    ASSERT_EQ(RunWithoutDialog(*reference, values), 0);
    ASSERT_TRUE(IsGrey(reference->output));

    // A first start has no settings files: Enter writes both, as the OK button does.
    auto session = OpenEffectPlugin();
    const int16_t result =
        RunEffectDialog(*session, [](Driver& driver) { PressKey(driver.dialog, VK_RETURN); });
    ASSERT_EQ(result, 0);
    EXPECT_TRUE(IsGrey(session->output));
    EXPECT_TRUE(SameImage(session->output, reference->output));
    for (const char* name : {"Greyloom.ini", "Greyloomdialog.ini"})
        EXPECT_NE(GetFileAttributesA(DataFilePath(name).c_str()), INVALID_FILE_ATTRIBUTES)
            << name << " written by Enter";
}

namespace {
using WindowPlaces = std::map<int, RECT>;

// The visible windows of the dialog's controls (their value boxes and labels among them) by
// window id, in client coordinates.
WindowPlaces VisibleControlPlaces(HWND dialog) {
    WindowPlaces places;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || GetDlgCtrlID(child) < kControlWindowIdBase) continue;
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        places[GetDlgCtrlID(child)] = rect;
    }
    return places;
}

// The first window whose place differs between the two, or "" when none does.
std::string FirstMoved(const WindowPlaces& expected, const WindowPlaces& actual) {
    for (const auto& [id, rect] : expected) {
        const auto found = actual.find(id);
        if (found == actual.end()) return "window " + std::to_string(id) + " is not shown";
        const RECT& other = found->second;
        if (!EqualRect(&rect, &other))
            return "window " + std::to_string(id) + " at " + std::to_string(other.left) + "," +
                   std::to_string(other.top) + " " + std::to_string(other.right - other.left) +
                   "x" + std::to_string(other.bottom - other.top) + ", laid out at " +
                   std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
                   std::to_string(rect.right - rect.left) + "x" +
                   std::to_string(rect.bottom - rect.top);
    }
    return actual.size() == expected.size() ? "" : "other windows are shown";
}

// The tab's own notice of a changed sheet, as a click on the item sends it: the items of a
// scrolled tab strip lie partly outside the strip, where no click reaches them.
void OpenMainSheet(Driver& driver, int sheet) {
    HWND tab = driver.ControlWindow(CTL_MAIN_TAB);
    driver.SendTo(tab, TCM_SETCURSEL, WPARAM(sheet), 0);
    NMHDR header = {tab, UINT_PTR(GetDlgCtrlID(tab)), UINT(TCN_SELCHANGE)};
    driver.Send(WM_NOTIFY, WPARAM(header.idFrom), LPARAM(&header));
    driver.Check(WaitForDialogIdle(driver), "the dialog settles on sheet " + std::to_string(sheet));
    driver.Check(SendMessageA(tab, TCM_GETCURSEL, 0, 0) == sheet,
                 "sheet " + std::to_string(sheet) + " is open");
}

// The other size and back with the sheet shown: every window of the sheet is laid out as it
// is shown.
void ResizeThereAndBack(Driver& driver) {
    const bool zoomed = IsZoomed(driver.dialog) != FALSE;
    ShowDialogAs(driver, zoomed ? SW_RESTORE : SW_MAXIMIZE);
    ShowDialogAs(driver, zoomed ? SW_MAXIMIZE : SW_RESTORE);
    driver.Check(WaitForDialogIdle(driver), "the dialog settles after the resizes");
}
}  // namespace

// The controls of sheets the user has not opened yet are moved only when their sheet is
// shown (after the start's layout, after a mode's, after resizes meanwhile): each sheet must
// then stand exactly as it stands when it is laid out while shown.
TEST(EffectDialog, SheetsOpenedLaterStandWhereTheyAreLaidOutWhileShown) {
    RememberQuickDialog();
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedMode(driver);
        driver.Check(WaitForDialogIdle(driver), "Advanced Mode settles");
        HWND tab = driver.ControlWindow(CTL_MAIN_TAB);
        const int sheets = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
        driver.Check(sheets >= 2, "the main tab has sheets");
        // A resize before any sheet is opened: the hidden controls' moves wait.
        ResizeThereAndBack(driver);
        std::vector<WindowPlaces> firstShown(size_t(std::max(sheets, 0)));
        for (int sheet = sheets - 1; sheet >= 0; --sheet) {
            OpenMainSheet(driver, sheet);
            firstShown[size_t(sheet)] = VisibleControlPlaces(driver.dialog);
            // The picture once the sheet's own paints (the curve's among them) are done.
            RedrawWindow(driver.dialog, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            WaitForDialogIdle(driver);
            ShootDialog(driver, "effect_dialog_sheet_" + std::to_string(sheet) + "_first_shown");
        }
        for (int sheet = 0; sheet < sheets; ++sheet) {
            OpenMainSheet(driver, sheet);
            ResizeThereAndBack(driver);
            const std::string moved =
                FirstMoved(VisibleControlPlaces(driver.dialog), firstShown[size_t(sheet)]);
            driver.Check(moved.empty(), "sheet " + std::to_string(sheet) + ": " + moved);
        }
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}
