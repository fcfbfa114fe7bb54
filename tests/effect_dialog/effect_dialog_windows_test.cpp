// The effect dialog in a real window: it stands with OK and Cancel, the keyboard confirms and
// cancels, OK on untouched controls renders what the control table's values render, and the
// sheets opened after the start stand where they are laid out while shown.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "tests/common/control_texts.h"
#include "tests/common/real_input.h"
#include "tests/common/screen_capture.h"
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

namespace {
// A place of the right-hand column: the choices that open it, in order (a tab's sheet or a
// page selector's page).
struct ColumnPlace {
    const char* name;
    std::vector<std::pair<int32_t, int>> choices;
};
const ColumnPlace kColumnPlaces[] = {
    {"presets", {{CTL_MAIN_TAB, 0}}},
    {"fx1_convert", {{CTL_MAIN_TAB, 1}, {CTL_FX1_PAGES, 0}}},
    {"fx1_depth", {{CTL_MAIN_TAB, 1}, {CTL_FX1_PAGES, 1}}},
    {"fx1_retro", {{CTL_MAIN_TAB, 1}, {CTL_FX1_PAGES, 2}}},
    {"fx1_ndgrad", {{CTL_MAIN_TAB, 1}, {CTL_FX1_PAGES, 3}}},
    {"select_brightness", {{CTL_MAIN_TAB, 2}, {CTL_SELECT_PAGES, 0}}},
    {"select_contrast", {{CTL_MAIN_TAB, 2}, {CTL_SELECT_PAGES, 1}}},
    {"select_colorkey", {{CTL_MAIN_TAB, 2}, {CTL_SELECT_PAGES, 2}}},
    {"main_tone", {{CTL_MAIN_TAB, 3}, {CTL_MAIN_PAGES, 0}}},
    {"main_color", {{CTL_MAIN_TAB, 3}, {CTL_MAIN_PAGES, 1}, {CTL_COLOR_PAGES, 0}}},
    {"main_bicolor", {{CTL_MAIN_TAB, 3}, {CTL_MAIN_PAGES, 1}, {CTL_COLOR_PAGES, 1}}},
    {"main_red", {{CTL_MAIN_TAB, 3}, {CTL_MAIN_PAGES, 2}, {CTL_RGB_PAGES, 0}}},
    {"main_green", {{CTL_MAIN_TAB, 3}, {CTL_MAIN_PAGES, 2}, {CTL_RGB_PAGES, 1}}},
    {"main_blue", {{CTL_MAIN_TAB, 3}, {CTL_MAIN_PAGES, 2}, {CTL_RGB_PAGES, 2}}},
    {"fx2_diffusion", {{CTL_MAIN_TAB, 4}, {CTL_FX2_PAGES, 0}}},
    {"fx2_halo", {{CTL_MAIN_TAB, 4}, {CTL_FX2_PAGES, 1}}},
    {"fx2_detail", {{CTL_MAIN_TAB, 4}, {CTL_FX2_PAGES, 2}}},
    {"fx2_frame", {{CTL_MAIN_TAB, 4}, {CTL_FX2_PAGES, 3}}},
    {"mask_brush", {{CTL_MAIN_TAB, 5}, {CTL_MASK_PAGES, 0}}},
    {"mask_mask", {{CTL_MAIN_TAB, 5}, {CTL_MASK_PAGES, 1}}},
    {"mask_fade", {{CTL_MAIN_TAB, 5}, {CTL_MASK_PAGES, 2}}},
    {"side_help", {{CTL_SIDE_TAB, 0}}},
    {"side_navigator", {{CTL_SIDE_TAB, 1}}},
    {"side_histo", {{CTL_SIDE_TAB, 2}}},
    {"side_info", {{CTL_SIDE_TAB, 3}}},
    {"side_prefs", {{CTL_SIDE_TAB, 4}}},
};

// Places kept as pictures for review: a page selector's longest items, the group with the
// longest labels, the stacked lists of pages and the combo boxes with the longest items.
const char* const kPicturedPlaces[] = {"select_brightness", "fx1_convert", "main_red",
                                       "presets",           "fx1_retro",   "fx2_diffusion",
                                       "mask_mask",         "side_histo",  "side_prefs"};

// A choice as the user's click on a tab item or a selector's item reports it.
void Choose(Driver& driver, int32_t control, int item) {
    HWND window = driver.ControlWindow(control);
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    const bool tab = _stricmp(className, WC_TABCONTROLA) == 0;
    const bool list = _stricmp(className, "ListBox") == 0;
    const UINT current = tab ? TCM_GETCURSEL : list ? LB_GETCURSEL : CB_GETCURSEL;
    if (SendMessageA(window, current, 0, 0) == item) return;
    if (tab) {
        driver.SendTo(window, TCM_SETCURSEL, WPARAM(item), 0);
        NMHDR header = {window, UINT_PTR(GetDlgCtrlID(window)), UINT(TCN_SELCHANGE)};
        driver.Send(WM_NOTIFY, WPARAM(header.idFrom), LPARAM(&header));
    } else if (list) {
        RECT rect = {};
        SendMessageA(window, LB_GETITEMRECT, WPARAM(item), LPARAM(&rect));
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(window, &point);
        SetForegroundWindow(driver.dialog);
        ClickAt(point);
    } else {
        driver.SendTo(window, CB_SETCURSEL, WPARAM(item), 0);
        driver.Send(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), CBN_SELCHANGE), LPARAM(window));
    }
    driver.Check(WaitForDialogIdle(driver), "the dialog settles after a choice");
}

// The size of a text in a window's own font, as it draws it with the given format.
SIZE DrawnTextSize(HWND window, const std::string& text, UINT format, int width) {
    HDC dc = GetDC(window);
    const HGDIOBJ font = HGDIOBJ(SendMessageA(window, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    RECT rect = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {rect.right, rect.bottom};
}

// The texts that a visible window of the dialog cuts: a static's text wrapped in its width
// must stand within its height; a button's, check box's or group box's text must fit on its
// line beside the box or within the frame.
std::vector<std::string> CutTexts(HWND dialog) {
    constexpr int kButtonMargin = 4;  // the push button's edges
    constexpr int kCheckMargin = 17;  // the check mark's box and the gap after it
    constexpr int kGroupMargin = 16;  // the frame's corner before the caption and after it
    std::vector<std::string> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || GetDlgCtrlID(child) < kControlWindowIdBase) continue;
        const std::string text = WindowText(child);
        if (text.find_first_not_of(" \n") == std::string::npos) continue;
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        RECT client;
        GetClientRect(child, &client);
        int room = client.right;
        SIZE needed = {0, 0};
        if (_stricmp(className, "Static") == 0) {
            const LONG type = style & SS_TYPEMASK;
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) continue;
            needed = DrawnTextSize(child, text, DT_WORDBREAK | DT_EXPANDTABS, client.right);
            if (needed.cy <= client.bottom && needed.cx <= client.right) continue;
        } else if (_stricmp(className, "Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                             type == BS_AUTO3STATE || type == BS_RADIOBUTTON ||
                             type == BS_AUTORADIOBUTTON;
            if (type == BS_OWNERDRAW) continue;
            room -= type == BS_GROUPBOX             ? kGroupMargin
                    : box && !(style & BS_PUSHLIKE) ? kCheckMargin
                                                    : kButtonMargin;
            needed = DrawnTextSize(child, text, DT_SINGLELINE, 0);
            if (needed.cx <= room) continue;
        } else {
            continue;
        }
        cut.push_back("\"" + text + "\" (window " + std::to_string(GetDlgCtrlID(child)) +
                      ") needs " + std::to_string(needed.cx) + "x" + std::to_string(needed.cy) +
                      ", has " + std::to_string(room) + "x" + std::to_string(client.bottom));
    }
    return cut;
}

// The items of a visible multi-column list (a page selector) that do not fit their column, or
// whose column is not wholly inside the list (scrolled away, or cut at the end): the list draws
// each item's text, leading blanks and all, from the column's left edge.
std::vector<std::string> CutListItems(HWND dialog) {
    constexpr int kItemMargin = 2;  // the list's gap before an item's text
    std::vector<std::string> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || GetDlgCtrlID(child) < kControlWindowIdBase) continue;
        if (_stricmp(WindowClassName(child).c_str(), "ListBox") != 0) continue;
        if (!(GetWindowLongA(child, GWL_STYLE) & LBS_MULTICOLUMN)) continue;
        const int count = int(SendMessageA(child, LB_GETCOUNT, 0, 0));
        for (int item = 0; item < count; ++item) {
            char text[256] = "";
            if (SendMessageA(child, LB_GETTEXTLEN, WPARAM(item), 0) >= LRESULT(sizeof text))
                continue;
            SendMessageA(child, LB_GETTEXT, WPARAM(item), LPARAM(text));
            RECT rect = {};
            SendMessageA(child, LB_GETITEMRECT, WPARAM(item), LPARAM(&rect));
            RECT client = {};
            GetClientRect(child, &client);
            if (rect.left < client.left || rect.right > client.right)
                cut.push_back("item \"" + std::string(text) + "\" of list " +
                              std::to_string(GetDlgCtrlID(child)) + " stands at " +
                              std::to_string(rect.left) + ".." + std::to_string(rect.right) +
                              ", outside 0.." + std::to_string(client.right));
            const int room = rect.right - rect.left - kItemMargin;
            const SIZE needed = DrawnTextSize(child, text, DT_SINGLELINE, 0);
            if (needed.cx > room)
                cut.push_back("item \"" + std::string(text) + "\" of list " +
                              std::to_string(GetDlgCtrlID(child)) + " needs " +
                              std::to_string(needed.cx) + ", has " + std::to_string(room));
        }
    }
    return cut;
}

// The items of a visible combo box that its face cuts when chosen: the closed box draws the
// chosen item's text in its item area, one pixel in from the area's inset frame, clipped there.
// A line of dashes between groups of items is drawn cut on purpose.
std::vector<std::string> CutComboItems(HWND dialog) {
    constexpr int kFaceMargin = 3;  // the inset frame on both sides and the gap before the text
    std::vector<std::string> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || GetDlgCtrlID(child) < kControlWindowIdBase) continue;
        if (_stricmp(WindowClassName(child).c_str(), "ComboBox") != 0) continue;
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (!GetComboBoxInfo(child, &info)) {
            cut.push_back("combo " + std::to_string(GetDlgCtrlID(child)) + " tells no item area");
            continue;
        }
        const int room = info.rcItem.right - info.rcItem.left - kFaceMargin;
        const int count = int(SendMessageA(child, CB_GETCOUNT, 0, 0));
        for (int item = 0; item < count; ++item) {
            char text[256] = "";
            if (SendMessageA(child, CB_GETLBTEXTLEN, WPARAM(item), 0) >= LRESULT(sizeof text))
                continue;
            SendMessageA(child, CB_GETLBTEXT, WPARAM(item), LPARAM(text));
            const std::string itemText = text;
            if (itemText.find_first_not_of('-') == std::string::npos) continue;
            const SIZE needed = DrawnTextSize(child, itemText, DT_SINGLELINE, 0);
            if (needed.cx > room)
                cut.push_back("item \"" + itemText + "\" of combo " +
                              std::to_string(GetDlgCtrlID(child)) + " needs " +
                              std::to_string(needed.cx) + ", has " + std::to_string(room));
        }
    }
    return cut;
}

// A slider's value as its value box writes it: whole numbers without a divisor, else one,
// two or three decimals as the divisor has one, two or more places.
std::string ValueBoxText(int32_t value, int32_t divisor) {
    char text[32];
    if (divisor == 1)
        snprintf(text, sizeof text, "%d", int(value));
    else
        snprintf(text, sizeof text,
                 divisor <= 10    ? "%.1f"
                 : divisor <= 100 ? "%.2f"
                                  : "%.3f",
                 double(value) / divisor);
    return text;
}

// The visible value boxes too narrow for a value of their slider: the one shown and the ends
// of its range (the widest texts), within the box's client area less its margins.
std::vector<std::string> CutValueBoxes(HWND dialog) {
    std::vector<std::string> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (!IsWindowVisible(child) || id < kEditWindowIdBase || id >= kLabelWindowIdBase) continue;
        const ControlTableRow* row = ControlTableRowOf(id - kEditWindowIdBase);
        std::vector<std::string> texts = {WindowText(child)};
        if (row && (row->flags & ROW_RANGED))
            for (int32_t value : {row->minValue, row->maxValue})
                texts.push_back(ValueBoxText(value, row->divisor));
        RECT client = {};
        GetClientRect(child, &client);
        const LRESULT margins = SendMessageA(child, EM_GETMARGINS, 0, 0);
        const int room = client.right - LOWORD(margins) - HIWORD(margins);
        for (const std::string& text : texts) {
            const SIZE needed = DrawnTextSize(child, text, DT_SINGLELINE, 0);
            if (needed.cx > room)
                cut.push_back("value \"" + text + "\" of slider " +
                              std::to_string(id - kEditWindowIdBase) + " needs " +
                              std::to_string(needed.cx) + ", its box has " + std::to_string(room));
        }
    }
    return cut;
}

// A visible window's place in the dialog's client coordinates.
RECT PlaceInDialog(HWND dialog, HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Tab items whose text another control's window covers (a button laid over the strip's end):
// the text of each item (its rectangle less the strip's padding beside the text), as far as it
// shows left of the tab's own scroll arrows, must be free.
std::vector<std::string> CoveredTabItems(Driver& driver) {
    constexpr int kItemPaddingPx = 6;  // the tab control's gap on either side of an item's text
    std::vector<std::string> covered;
    for (int32_t n : {CTL_PREVIEW_TAB, CTL_MAIN_TAB, CTL_SIDE_TAB}) {
        HWND tab = driver.ControlWindow(n);
        if (!tab || !IsWindowVisible(tab)) continue;
        const RECT strip = TabStripShowingItems(tab);
        const int count = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int item = 0; item < count; ++item) {
            RECT rect = {};
            SendMessageA(tab, TCM_GETITEMRECT, WPARAM(item), LPARAM(&rect));
            InflateRect(&rect, -kItemPaddingPx, 0);
            if (!IntersectRect(&rect, &rect, &strip)) continue;
            MapWindowPoints(tab, driver.dialog, reinterpret_cast<POINT*>(&rect), 2);
            for (HWND other = GetWindow(driver.dialog, GW_CHILD); other;
                 other = GetWindow(other, GW_HWNDNEXT)) {
                if (other == tab || !IsWindowVisible(other) ||
                    GetDlgCtrlID(other) < kControlWindowIdBase)
                    continue;
                const RECT place = PlaceInDialog(driver.dialog, other);
                RECT overlap;
                if (IntersectRect(&overlap, &rect, &place))
                    covered.push_back("item \"" + TabItemText(tab, item) + "\" of tab " +
                                      std::to_string(n) + " lies under window " +
                                      std::to_string(GetDlgCtrlID(other)) + " by " +
                                      std::to_string(overlap.right - overlap.left) + " pixels");
            }
        }
    }
    return covered;
}

// The rows above the letters in a window's font, which only accents on capitals reach.
int InternalLeading(HWND window) {
    HDC dc = GetDC(window);
    const HGDIOBJ font = HGDIOBJ(SendMessageA(window, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return int(metrics.tmInternalLeading);
}

// Texts that another control's window covers: the part of a static's window its letters are
// drawn in (left, centred or right as the static aligns the text; blanks around the letters,
// the font's internal leading above them and the cell's last pixel row left out) must be free of
// every other visible control but the ones that frame it: group boxes, tabs and a window that
// holds the static whole (the help text's frame).
std::vector<std::string> CoveredTexts(HWND dialog) {
    std::vector<std::pair<HWND, RECT>> texts, others;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || GetDlgCtrlID(child) < kControlWindowIdBase) continue;
        const std::string className = WindowClassName(child);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const LONG type = style & SS_TYPEMASK;
        const std::string text = WindowText(child);
        const size_t first = text.find_first_not_of(" \n");
        if (_stricmp(className.c_str(), "Static") == 0 &&
            (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) &&
            first != std::string::npos) {
            RECT place = PlaceInDialog(dialog, child);
            const int width = place.right - place.left;
            const SIZE whole = DrawnTextSize(child, text, DT_WORDBREAK, width);
            const int drawn = std::min(int(whole.cx), width);
            const int start = type == SS_RIGHT    ? place.right - drawn
                              : type == SS_CENTER ? place.left + (width - drawn) / 2
                                                  : place.left;
            const size_t last = text.find_last_not_of(" \n");
            const int lead = first ? DrawnTextSize(child, text.substr(0, first), 0, 0).cx : 0;
            const int letters =
                DrawnTextSize(child, text.substr(0, last + 1), DT_WORDBREAK, width).cx;
            place.left = start + lead;
            place.right = std::min(start + letters, start + drawn);
            place.bottom = std::min(place.bottom, place.top + whole.cy) - 1;
            place.top += InternalLeading(child);
            texts.push_back({child, place});
            continue;
        }
        const bool frame =
            _stricmp(className.c_str(), WC_TABCONTROLA) == 0 ||
            (_stricmp(className.c_str(), "Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX);
        if (!frame) others.push_back({child, PlaceInDialog(dialog, child)});
    }
    std::vector<std::string> covered;
    for (const auto& [text, letters] : texts)
        for (const auto& [other, otherPlace] : others) {
            RECT overlap, window = PlaceInDialog(dialog, text), both;
            UnionRect(&both, &window, &otherPlace);
            if (EqualRect(&both, &otherPlace)) continue;
            // A single row is the rounding of dialog units to pixels, not a covered letter.
            if (!IntersectRect(&overlap, &letters, &otherPlace) || overlap.bottom - overlap.top < 2)
                continue;
            covered.push_back("\"" + WindowText(text) + "\" (window " +
                              std::to_string(GetDlgCtrlID(text)) + ") lies under window " +
                              std::to_string(GetDlgCtrlID(other)) + " by " +
                              std::to_string(overlap.right - overlap.left) + "x" +
                              std::to_string(overlap.bottom - overlap.top) + " pixels");
        }
    return covered;
}

// The one label known to reach over its group's frame: the English "Color Contrast" is the
// dialog's own text, and at the Polarizer slider's given place there is no room for it.
bool LabelMayCrossItsFrame(const std::string& text) {
    return text == "Color Contrast";
}

// Labels and texts that cross a group box's frame: a window that overlaps the box must lie
// wholly inside it (a control of the group, its label with it) or wholly outside.
std::vector<std::string> TextsOverFrames(HWND dialog) {
    std::vector<std::pair<HWND, RECT>> groups, texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || GetDlgCtrlID(child) < kControlWindowIdBase) continue;
        const std::string className = WindowClassName(child);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (_stricmp(className.c_str(), "Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX)
            groups.push_back({child, PlaceInDialog(dialog, child)});
        else if (_stricmp(className.c_str(), "Static") == 0 && !WindowText(child).empty())
            texts.push_back({child, PlaceInDialog(dialog, child)});
    }
    std::vector<std::string> crossing;
    for (const auto& [group, frame] : groups)
        for (const auto& [text, place] : texts) {
            RECT overlap, whole;
            if (!IntersectRect(&overlap, &frame, &place)) continue;
            UnionRect(&whole, &frame, &place);
            if (EqualRect(&whole, &frame) || LabelMayCrossItsFrame(WindowText(text))) continue;
            crossing.push_back("\"" + WindowText(text) + "\" (window " +
                               std::to_string(GetDlgCtrlID(text)) + ") crosses the frame of \"" +
                               WindowText(group) + "\" (window " +
                               std::to_string(GetDlgCtrlID(group)) + ")");
        }
    return crossing;
}

// Tab strips that scroll: their last item ends beyond the strip.
std::string ScrolledTabs(Driver& driver) {
    std::string scrolled;
    for (int32_t n : {CTL_PREVIEW_TAB, CTL_SIDE_TAB}) {
        HWND tab = driver.ControlWindow(n);
        const int count = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
        RECT last = {}, client = {};
        SendMessageA(tab, TCM_GETITEMRECT, WPARAM(count - 1), LPARAM(&last));
        GetClientRect(tab, &client);
        if (last.right > client.right)
            scrolled += " tab " + std::to_string(n) + " needs " + std::to_string(last.right) +
                        " has " + std::to_string(client.right);
    }
    return scrolled;
}
}  // namespace

namespace {
// The place's texts checked (a cut one keeps a picture of the dialog).
void CheckTexts(Driver& driver, const std::string& name) {
    std::string faults = ScrolledTabs(driver);
    for (const std::string& text : CutTexts(driver.dialog)) faults += "\n  " + text + " is cut";
    for (const std::string& item : CutListItems(driver.dialog)) faults += "\n  " + item;
    for (const std::string& item : CutComboItems(driver.dialog)) faults += "\n  " + item;
    for (const std::string& item : CoveredTabItems(driver)) faults += "\n  " + item;
    for (const std::string& value : CutValueBoxes(driver.dialog)) faults += "\n  " + value;
    for (const std::string& text : CoveredTexts(driver.dialog)) faults += "\n  " + text;
    for (const std::string& text : TextsOverFrames(driver.dialog)) faults += "\n  " + text;
    driver.Check(faults.empty(), name + ": " + faults);
}
}  // namespace

// Every place of the right-hand column in both languages: each text stands whole in its
// window, a page selector's items in their columns, each combo box's items in its face (measured
// with the dialog's font in the real window), no label crosses a group's frame, and the
// preview and side tabs show all their items, with no other control over an item's text. The column
// keeps its layout when the dialog is maximised (it is anchored right): there one place stands for
// all, with the widened preview and bottom bars.
TEST(EffectDialog, EveryTextFitsItsWindowOnEverySheetInBothLanguages) {
    RememberQuickDialog();
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedMode(driver);
        for (int language : {0, 1}) {
            if (language) Choose(driver, CTL_LANGUAGE, language);
            const std::string prefix = language ? "de_" : "en_";
            for (const ColumnPlace& place : kColumnPlaces) {
                for (const auto& [control, item] : place.choices) Choose(driver, control, item);
                CheckTexts(driver, prefix + "default_" + place.name);
                for (const char* pictured : kPicturedPlaces)
                    if (strcmp(place.name, pictured) == 0)
                        ShootDialog(driver, std::string(place.name) + (language ? "_de" : "_en") +
                                                "_default");
            }
            ShowDialogAs(driver, SW_MAXIMIZE);
            CheckTexts(driver, prefix + "maximised_side_prefs");
            ShootDialog(driver, prefix + "maximised_side_prefs");
            ShowDialogAs(driver, SW_RESTORE);
        }
        Choose(driver, CTL_LANGUAGE, 0);
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

// Advanced Mode's six sheets scroll the main tab's strip: a click on each item that shows,
// wholly or in part, opens its sheet, and the strip scrolled to its other end still takes them.
TEST(EffectDialog, ClicksOnAScrolledMainTabStripOpenTheirSheets) {
    RememberQuickDialog();
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedMode(driver);
        HWND tab = driver.ControlWindow(CTL_MAIN_TAB);
        HWND arrows = FindWindowExA(tab, nullptr, UPDOWN_CLASSA, nullptr);
        driver.Check(arrows && IsWindowVisible(arrows), "the strip scrolls");
        const RECT strip = TabStripShowingItems(tab);
        constexpr int kSmallestTarget = 4;  // pixels of an item left to aim at
        for (int scroll : {SB_LINELEFT, SB_LINERIGHT}) {
            for (int step = 0; step < 6; ++step)
                driver.SendTo(tab, WM_HSCROLL, MAKEWPARAM(scroll, 0), 0);
            const int count = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
            for (int item = count - 1; item >= 0; --item) {
                RECT rect = {};
                SendMessageA(tab, TCM_GETITEMRECT, WPARAM(item), LPARAM(&rect));
                if (std::min(rect.right, strip.right) - std::max(rect.left, strip.left) <
                    kSmallestTarget)
                    continue;
                SetForegroundWindow(driver.dialog);
                ClickAt(TabItemPoint(tab, item));
                WaitForDialogIdle(driver);
                driver.Check(TabCtrl_GetCurSel(tab) == item,
                             "a click on item " + std::to_string(item) + " opens its sheet");
            }
        }
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

// The controls of a sheet lie below their tab control in the window order: a paint of the tab
// alone (a hovered or newly chosen item) leaves them standing over its body.
TEST(EffectDialog, APaintOfATabLeavesItsSheetsControlsStanding) {
    RememberQuickDialog();
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedMode(driver);
        Choose(driver, CTL_MAIN_TAB, 1);
        Choose(driver, CTL_FX1_PAGES, 0);
        Choose(driver, CTL_SIDE_TAB, 4);
        ShootDialog(driver, "tab_paint_before");
        WaitForDialogIdle(driver);
        const ScreenPicture before = WindowPictureOf(driver.dialog);
        for (int32_t n : {CTL_MAIN_TAB, CTL_SIDE_TAB})
            RedrawWindow(driver.ControlWindow(n), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        WaitForDialogIdle(driver);
        const ScreenPicture after = WindowPictureOf(driver.dialog);
        KeepScreenshot(after, "tab_paint_after");
        size_t changed = 0;
        for (size_t i = 0; i < before.pixels.size() && i < after.pixels.size(); ++i)
            changed += before.pixels[i] != after.pixels[i];
        driver.Check(!before.pixels.empty() && before.pixels.size() == after.pixels.size(),
                     "the dialog's pictures were read");
        driver.Check(changed == 0, std::to_string(changed) + " pixels changed by the tabs' paint");
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}
