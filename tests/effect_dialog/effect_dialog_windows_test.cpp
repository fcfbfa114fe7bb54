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
#include <iterator>
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
// longest labels, the stacked lists of pages, the combo boxes with the longest items and the
// Rand buttons beside their groups' labels.
const char* const kPicturedPlaces[] = {
    "select_brightness", "fx1_convert", "main_red",  "presets",    "fx1_retro",
    "fx2_diffusion",     "fx2_detail",  "mask_mask", "side_histo", "side_prefs"};

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
        // Posted: a new mode's or language's layout and render may keep the dialog busy for
        // longer than a sent message waits on a loaded machine.
        PostComboChoice(driver, control, item);
    }
    driver.Check(WaitForDialogIdle(driver), "the dialog settles after a choice");
}

// A font's face, for measuring texts in a window's font without the window's own context.
HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

// The size of a text in a font (null: the system font) as a window draws it with the given
// format, measured in one memory context: a window's would cost a round trip each time.
SIZE DrawnTextSize(HFONT font, const std::string& text, UINT format, int width) {
    static HDC context = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(context, font ? HGDIOBJ(font) : GetStockObject(SYSTEM_FONT));
    RECT rect = {0, 0, width, 0};
    DrawTextA(context, text.c_str(), -1, &rect, format | DT_CALCRECT);
    SelectObject(context, old);
    return {rect.right, rect.bottom};
}

// The rows above the letters in a font, which only accents on capitals reach.
int InternalLeading(HFONT font) {
    static HDC context = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(context, font ? HGDIOBJ(font) : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(context, &metrics);
    SelectObject(context, old);
    return int(metrics.tmInternalLeading);
}

// A visible window of a control (its value box and label among them) as the checks read it,
// read once for all of them: each read of a window of the dialog's thread is a round trip.
struct ShownWindow {
    HWND window;
    int id;
    std::string className, text;
    LONG style;
    HFONT font;
    RECT place;     // in the dialog's client coordinates
    bool lettered;  // a left, centred or right static whose text is not blank
    RECT letters;   // a lettered static's letter cells: see LetterCells
};
using ShownWindows = std::vector<ShownWindow>;

bool IsClass(const ShownWindow& shown, const char* className) {
    return _stricmp(shown.className.c_str(), className) == 0;
}

// Whether a window frames others rather than standing beside them: a group box or a tab.
bool IsFrameWindow(const ShownWindow& shown) {
    return IsClass(shown, WC_TABCONTROLA) ||
           (IsClass(shown, "Button") && (shown.style & BS_TYPEMASK) == BS_GROUPBOX);
}

// The cells of a lettered static's letters in the dialog's client coordinates: the part of
// its window they are drawn in (left, centred or right as the static aligns the text), the
// blanks around them left out, down to the last line's cell.
RECT LetterCells(const ShownWindow& shown) {
    const LONG type = shown.style & SS_TYPEMASK;
    const std::string& text = shown.text;
    RECT place = shown.place;
    const int width = place.right - place.left;
    const SIZE whole = DrawnTextSize(shown.font, text, DT_WORDBREAK, width);
    const int drawn = std::min(int(whole.cx), width);
    const int start = type == SS_RIGHT    ? place.right - drawn
                      : type == SS_CENTER ? place.left + (width - drawn) / 2
                                          : place.left;
    const size_t first = text.find_first_not_of(" \n"), last = text.find_last_not_of(" \n");
    const int lead = first ? DrawnTextSize(shown.font, text.substr(0, first), 0, 0).cx : 0;
    const int letters = DrawnTextSize(shown.font, text.substr(0, last + 1), DT_WORDBREAK, width).cx;
    place.left = start + lead;
    place.right = std::min(start + letters, start + drawn);
    place.bottom = std::min(place.bottom, place.top + whole.cy);
    return place;
}

BOOL CALLBACK KeepChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

// The dialog's own child windows, listed in one go: stepping from sibling to sibling through
// the dialog's many hidden windows costs the window server a call for each step.
std::vector<HWND> DialogChildren(HWND dialog) {
    std::vector<HWND> all;
    EnumChildWindows(dialog, KeepChild, LPARAM(&all));
    std::vector<HWND> children;
    for (HWND child : all)
        if (GetParent(child) == dialog) children.push_back(child);
    return children;
}

// A window's text: a static's or button's kept with the window and read without a message to
// the dialog's thread, another class's (a value box's, a combo's choice) by message.
std::string ShownText(HWND window, const std::string& className) {
    if (_stricmp(className.c_str(), "Static") != 0 && _stricmp(className.c_str(), "Button") != 0)
        return WindowText(window);
    wchar_t wide[1024] = L"";
    InternalGetWindowText(window, wide, int(std::size(wide)));
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// The visible windows of the dialog's controls. The dialog is visible: a child whose own style
// is visible shows.
ShownWindows ShownControlWindows(HWND dialog) {
    ShownWindows windows;
    for (HWND child : DialogChildren(dialog)) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (!(style & WS_VISIBLE) || GetDlgCtrlID(child) < kControlWindowIdBase) continue;
        const std::string className = WindowClassName(child);
        ShownWindow shown = {child, GetDlgCtrlID(child), className, ShownText(child, className),
                             style, FontOf(child),       {},        false,
                             {}};
        GetWindowRect(child, &shown.place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&shown.place), 2);
        const LONG type = shown.style & SS_TYPEMASK;
        shown.lettered = IsClass(shown, "Static") &&
                         (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) &&
                         shown.text.find_first_not_of(" \n") != std::string::npos;
        if (shown.lettered) shown.letters = LetterCells(shown);
        windows.push_back(std::move(shown));
    }
    return windows;
}

// The texts that a visible window of the dialog cuts: a static's text wrapped in its width
// must stand within its height; a button's, check box's or group box's text must fit on its
// line beside the box or within the frame.
std::vector<std::string> CutTexts(const ShownWindows& windows) {
    constexpr int kButtonMargin = 4;  // the push button's edges
    constexpr int kCheckMargin = 17;  // the check mark's box and the gap after it
    constexpr int kGroupMargin = 16;  // the frame's corner before the caption and after it
    std::vector<std::string> cut;
    for (const ShownWindow& shown : windows) {
        const std::string& text = shown.text;
        if (text.find_first_not_of(" \n") == std::string::npos) continue;
        const LONG style = shown.style;
        RECT client;
        GetClientRect(shown.window, &client);
        int room = client.right;
        SIZE needed = {0, 0};
        if (IsClass(shown, "Static")) {
            const LONG type = style & SS_TYPEMASK;
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) continue;
            needed = DrawnTextSize(shown.font, text, DT_WORDBREAK | DT_EXPANDTABS, client.right);
            if (needed.cy <= client.bottom && needed.cx <= client.right) continue;
        } else if (IsClass(shown, "Button")) {
            const LONG type = style & BS_TYPEMASK;
            const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                             type == BS_AUTO3STATE || type == BS_RADIOBUTTON ||
                             type == BS_AUTORADIOBUTTON;
            if (type == BS_OWNERDRAW) continue;
            room -= type == BS_GROUPBOX             ? kGroupMargin
                    : box && !(style & BS_PUSHLIKE) ? kCheckMargin
                                                    : kButtonMargin;
            needed = DrawnTextSize(shown.font, text, DT_SINGLELINE, 0);
            if (needed.cx <= room) continue;
        } else {
            continue;
        }
        cut.push_back("\"" + text + "\" (window " + std::to_string(shown.id) + ") needs " +
                      std::to_string(needed.cx) + "x" + std::to_string(needed.cy) + ", has " +
                      std::to_string(room) + "x" + std::to_string(client.bottom));
    }
    return cut;
}

// The items of a visible multi-column list (a page selector) that do not fit their column, or
// whose column is not wholly inside the list (scrolled away, or cut at the end): the list draws
// each item's text, leading blanks and all, from the column's left edge.
std::vector<std::string> CutListItems(const ShownWindows& windows) {
    constexpr int kItemMargin = 2;  // the list's gap before an item's text
    std::vector<std::string> cut;
    for (const ShownWindow& shown : windows) {
        if (!IsClass(shown, "ListBox") || !(shown.style & LBS_MULTICOLUMN)) continue;
        HWND child = shown.window;
        const int count = int(SendMessageA(child, LB_GETCOUNT, 0, 0));
        RECT client = {};
        GetClientRect(child, &client);
        for (int item = 0; item < count; ++item) {
            char text[256] = "";
            if (SendMessageA(child, LB_GETTEXTLEN, WPARAM(item), 0) >= LRESULT(sizeof text))
                continue;
            SendMessageA(child, LB_GETTEXT, WPARAM(item), LPARAM(text));
            RECT rect = {};
            SendMessageA(child, LB_GETITEMRECT, WPARAM(item), LPARAM(&rect));
            if (rect.left < client.left || rect.right > client.right)
                cut.push_back("item \"" + std::string(text) + "\" of list " +
                              std::to_string(shown.id) + " stands at " + std::to_string(rect.left) +
                              ".." + std::to_string(rect.right) + ", outside 0.." +
                              std::to_string(client.right));
            const int room = rect.right - rect.left - kItemMargin;
            const SIZE needed = DrawnTextSize(shown.font, text, DT_SINGLELINE, 0);
            if (needed.cx > room)
                cut.push_back("item \"" + std::string(text) + "\" of list " +
                              std::to_string(shown.id) + " needs " + std::to_string(needed.cx) +
                              ", has " + std::to_string(room));
        }
    }
    return cut;
}

// The room for an item's text in a combo box's list as it opens (its client area, the scroll
// bar left out, less the gaps before and after the text), the list opened for the measure and
// closed again; a list that does not stand wholly on the screen's work area is a fault.
int DroppedListRoom(HWND combo, const COMBOBOXINFO& info, std::vector<std::string>& faults) {
    constexpr int kListMargin = 4;  // the list's gaps before and after an item's text
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    RECT client = {}, place = {};
    GetClientRect(info.hwndList, &client);
    GetWindowRect(info.hwndList, &place);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(combo, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT both;
    UnionRect(&both, &place, &monitor.rcWork);
    if (!EqualRect(&both, &monitor.rcWork))
        faults.push_back("the list of combo " + std::to_string(GetDlgCtrlID(combo)) + " at " +
                         std::to_string(place.left) + ".." + std::to_string(place.right) +
                         " leaves the screen's " + std::to_string(monitor.rcWork.left) + ".." +
                         std::to_string(monitor.rcWork.right));
    return client.right - kListMargin;
}

// The room of a combo box's opened list and its faults, as DroppedListRoom measures them, kept
// for as long as what lays the list out stays the same: the combo's place on the screen, the
// list's width and the items. Opening a list costs more than the rest of a place's checks, and
// most combos (the mode, the bottom bar's) stand unchanged from place to place.
int DroppedListRoomOnce(HWND combo, const COMBOBOXINFO& info, const std::string& items,
                        std::vector<std::string>& faults) {
    struct Measured {
        RECT screen;
        LRESULT droppedWidth;
        std::string items;
        int room;
        std::vector<std::string> faults;
    };
    static std::map<HWND, Measured> measured;
    RECT screen = {};
    GetWindowRect(combo, &screen);
    const LRESULT droppedWidth = SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0);
    auto found = measured.find(combo);
    if (found == measured.end() || !EqualRect(&found->second.screen, &screen) ||
        found->second.droppedWidth != droppedWidth || found->second.items != items) {
        Measured fresh = {screen, droppedWidth, items, 0, {}};
        fresh.room = DroppedListRoom(combo, info, fresh.faults);
        found = measured.insert_or_assign(combo, std::move(fresh)).first;
    }
    faults.insert(faults.end(), found->second.faults.begin(), found->second.faults.end());
    return found->second.room;
}

// The items of a combo box, read by message (too long ones, none here, left out) and kept while
// the language, the count of items and the chosen item's text stay the same: the items change
// with the language or when the combo is filled anew, and reading long lists at every place
// costs two messages to the dialog's thread for each item.
const std::vector<std::string>& ComboItems(HWND combo, const std::string& chosen, int language) {
    struct Read {
        int language, count;
        std::string chosen;
        std::vector<std::string> items;
    };
    static std::map<HWND, Read> kept;
    const int count = int(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    auto found = kept.find(combo);
    if (found != kept.end() && found->second.language == language && found->second.count == count &&
        found->second.chosen == chosen)
        return found->second.items;
    Read fresh = {language, count, chosen, {}};
    for (int item = 0; item < count; ++item) {
        char text[256] = "";
        if (SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(item), 0) >= LRESULT(sizeof text)) continue;
        SendMessageA(combo, CB_GETLBTEXT, WPARAM(item), LPARAM(text));
        fresh.items.push_back(text);
    }
    return kept.insert_or_assign(combo, std::move(fresh)).first->second.items;
}

// The items of a visible combo box that its face cuts when chosen and its list cuts when it
// opens: the closed box draws the chosen item's text in its item area, one pixel in from the
// area's inset frame, clipped there; an item wider than that must show whole in the opened
// list, which may be wider than the face. A line of dashes between groups of items is drawn
// cut on purpose.
std::vector<std::string> CutComboItems(const ShownWindows& windows, int language) {
    constexpr int kFaceMargin = 3;  // the inset frame on both sides and the gap before the text
    std::vector<std::string> cut;
    for (const ShownWindow& shown : windows) {
        if (!IsClass(shown, "ComboBox")) continue;
        HWND child = shown.window;
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (!GetComboBoxInfo(child, &info)) {
            cut.push_back("combo " + std::to_string(shown.id) + " tells no item area");
            continue;
        }
        const int faceRoom = info.rcItem.right - info.rcItem.left - kFaceMargin;
        const std::vector<std::string>& items = ComboItems(child, shown.text, language);
        std::string allItems;
        for (const std::string& item : items) allItems += item + "\n";
        int listRoom = -1;  // measured once an item is wider than the face
        for (const std::string& item : items) {
            if (item.find_first_not_of('-') == std::string::npos) continue;
            const SIZE needed = DrawnTextSize(shown.font, item, DT_SINGLELINE, 0);
            if (needed.cx <= faceRoom) continue;
            if (listRoom < 0) listRoom = DroppedListRoomOnce(child, info, allItems, cut);
            if (needed.cx > std::max(faceRoom, listRoom))
                cut.push_back("item \"" + item + "\" of combo " + std::to_string(shown.id) +
                              " needs " + std::to_string(needed.cx) + ", has " +
                              std::to_string(std::max(faceRoom, listRoom)));
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
std::vector<std::string> CutValueBoxes(const ShownWindows& windows) {
    std::vector<std::string> cut;
    for (const ShownWindow& shown : windows) {
        if (shown.id < kEditWindowIdBase || shown.id >= kLabelWindowIdBase) continue;
        const ControlTableRow* row = ControlTableRowOf(shown.id - kEditWindowIdBase);
        std::vector<std::string> texts = {shown.text};
        if (row && (row->flags & ROW_RANGED))
            for (int32_t value : {row->minValue, row->maxValue})
                texts.push_back(ValueBoxText(value, row->divisor));
        RECT client = {};
        GetClientRect(shown.window, &client);
        const LRESULT margins = SendMessageA(shown.window, EM_GETMARGINS, 0, 0);
        const int room = client.right - LOWORD(margins) - HIWORD(margins);
        for (const std::string& text : texts) {
            const SIZE needed = DrawnTextSize(shown.font, text, DT_SINGLELINE, 0);
            if (needed.cx > room)
                cut.push_back("value \"" + text + "\" of slider " +
                              std::to_string(shown.id - kEditWindowIdBase) + " needs " +
                              std::to_string(needed.cx) + ", its box has " + std::to_string(room));
        }
    }
    return cut;
}

// Tab items whose text another control's window covers (a button laid over the strip's end):
// the text of each item (its rectangle less the strip's padding beside the text), as far as it
// shows left of the tab's own scroll arrows, must be free.
std::vector<std::string> CoveredTabItems(Driver& driver, const ShownWindows& windows) {
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
            for (const ShownWindow& other : windows) {
                RECT overlap;
                if (other.window == tab || !IntersectRect(&overlap, &rect, &other.place)) continue;
                covered.push_back("item \"" + TabItemText(tab, item) + "\" of tab " +
                                  std::to_string(n) + " lies under window " +
                                  std::to_string(other.id) + " by " +
                                  std::to_string(overlap.right - overlap.left) + " pixels");
            }
        }
    }
    return covered;
}

// Texts that another control's window covers: the part of a static's window its letters are
// drawn in (its letter cells less the font's internal leading above them and the cells' last
// pixel row) must be free of every other visible control but the ones that frame it: group
// boxes, tabs and a window that holds the static whole (the help text's frame).
std::vector<std::string> CoveredTexts(const ShownWindows& windows) {
    std::vector<std::string> covered;
    for (const ShownWindow& text : windows) {
        if (!text.lettered) continue;
        RECT letters = text.letters;
        letters.bottom -= 1;
        letters.top += InternalLeading(text.font);
        for (const ShownWindow& other : windows) {
            if (other.lettered || IsFrameWindow(other)) continue;
            RECT overlap, both;
            UnionRect(&both, &text.place, &other.place);
            if (EqualRect(&both, &other.place)) continue;
            // A single row is the rounding of dialog units to pixels, not a covered letter.
            if (!IntersectRect(&overlap, &letters, &other.place) ||
                overlap.bottom - overlap.top < 2)
                continue;
            covered.push_back("\"" + text.text + "\" (window " + std::to_string(text.id) +
                              ") lies under window " + std::to_string(other.id) + " by " +
                              std::to_string(overlap.right - overlap.left) + "x" +
                              std::to_string(overlap.bottom - overlap.top) + " pixels");
        }
    }
    return covered;
}

// A window's id, text and place, for a fault's message.
std::string PlaceText(const ShownWindow& shown, const RECT& place) {
    return "window " + std::to_string(shown.id) + " (\"" + shown.text + "\") at " +
           std::to_string(place.left) + "," + std::to_string(place.top) + " " +
           std::to_string(place.right - place.left) + "x" +
           std::to_string(place.bottom - place.top);
}

std::string SizeText(const RECT& rect) {
    return std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top) +
           " pixels";
}

bool Holds(const RECT& outer, const RECT& inner) {
    RECT both;
    UnionRect(&both, &outer, &inner);
    return EqualRect(&both, &outer) != FALSE;
}

int Area(const RECT& rect) {
    return std::max(0, int(rect.right - rect.left)) * std::max(0, int(rect.bottom - rect.top));
}

bool IsGroupBox(const ShownWindow& shown) {
    return IsClass(shown, "Button") && (shown.style & BS_TYPEMASK) == BS_GROUPBOX;
}

// The place a window takes among its neighbours: a text the whole cells of its letters, the
// rows above them included. The blanks around them (a selective colour's label before its
// swatch, a right-aligned label's room on the left) are the room other controls and frames
// stand in.
using StandingPlaces = std::vector<std::pair<const ShownWindow*, RECT>>;
StandingPlaces StandingPlacesOf(const ShownWindows& windows) {
    StandingPlaces standing;
    for (const ShownWindow& shown : windows)
        if (!IsFrameWindow(shown))
            standing.push_back({&shown, shown.lettered ? shown.letters : shown.place});
    return standing;
}

// The part of a group box's window inside its frame's lines: the etched lines two pixels wide
// on the left, right and bottom, the top one through the middle of the caption's letters.
RECT InsideFrame(const ShownWindow& group) {
    constexpr int kFrameLinePx = 2;
    const int captionHeight = int(DrawnTextSize(group.font, "X", DT_SINGLELINE, 0).cy);
    RECT inside = group.place;
    inside.left += kFrameLinePx;
    inside.right -= kFrameLinePx;
    inside.bottom -= kFrameLinePx;
    inside.top += captionHeight / 2 + kFrameLinePx;
    return inside;
}

// Windows across a group box's frame: one lying mostly inside the frame (a control of the
// group, its label and value box, a group box within) must lie wholly inside its lines, and
// one lying mostly outside must not reach in over them, unless it holds the group whole.
void AddWindowsOverFrames(const ShownWindows& windows, const StandingPlaces& standing,
                          std::vector<std::string>& faults) {
    for (const ShownWindow& group : windows) {
        if (!IsGroupBox(group)) continue;
        const RECT inside = InsideFrame(group);
        StandingPlaces candidates = standing;
        for (const ShownWindow& other : windows)
            if (&other != &group && IsGroupBox(other)) candidates.push_back({&other, other.place});
        for (const auto& [shown, rect] : candidates) {
            RECT within, reach;
            if (!IntersectRect(&within, &rect, &group.place) || Holds(inside, rect)) continue;
            if (2 * Area(within) > Area(rect))
                faults.push_back(PlaceText(*shown, rect) + " crosses the frame of " +
                                 PlaceText(group, inside));
            else if (IntersectRect(&reach, &rect, &inside) && !Holds(rect, group.place))
                faults.push_back(PlaceText(*shown, rect) + " reaches into the frame of " +
                                 PlaceText(group, inside) + " by " + SizeText(reach));
        }
    }
}

// Windows standing in a text box (a static of more than one line, such as the help text): a
// longer text of the box would run under them, whatever the box shows now.
void AddWindowsInTextBoxes(const ShownWindows& windows, const StandingPlaces& standing,
                           std::vector<std::string>& faults) {
    for (const ShownWindow& box : windows) {
        if (!box.lettered) continue;
        const int lineHeight = int(DrawnTextSize(box.font, "X", DT_SINGLELINE, 0).cy);
        if (box.place.bottom - box.place.top < 2 * lineHeight) continue;
        for (const auto& [shown, rect] : standing) {
            RECT overlap;
            if (shown == &box || Holds(shown->place, box.place) ||
                !IntersectRect(&overlap, &rect, &box.place))
                continue;
            faults.push_back(PlaceText(*shown, rect) + " stands in the text box " +
                             PlaceText(box, box.place) + " by " + SizeText(overlap));
        }
    }
}

// Controls that overlap a neighbour, cross a group's frame or stand in a text box. Two visible
// windows (a slider's label and value box each count as one, a text where its letters are)
// must not share a pixel, unless one frames the other (a tab around its controls, a window that
// holds the other whole).
std::vector<std::string> OverlappingWindows(const ShownWindows& windows) {
    const StandingPlaces standing = StandingPlacesOf(windows);
    std::vector<std::string> overlapping;
    for (size_t a = 0; a < standing.size(); ++a)
        for (size_t b = a + 1; b < standing.size(); ++b) {
            const RECT &one = standing[a].second, &other = standing[b].second;
            RECT overlap;
            if (!IntersectRect(&overlap, &one, &other) || Holds(one, other) || Holds(other, one))
                continue;
            overlapping.push_back(PlaceText(*standing[a].first, one) + " overlaps " +
                                  PlaceText(*standing[b].first, other) + " by " +
                                  SizeText(overlap));
        }
    AddWindowsOverFrames(windows, standing, overlapping);
    AddWindowsInTextBoxes(windows, standing, overlapping);
    return overlapping;
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
    const ShownWindows windows = ShownControlWindows(driver.dialog);
    for (const std::string& text : CutTexts(windows)) faults += "\n  " + text + " is cut";
    for (const std::string& item : CutListItems(windows)) faults += "\n  " + item;
    const int language = int(SendMessageA(driver.ControlWindow(CTL_LANGUAGE), CB_GETCURSEL, 0, 0));
    for (const std::string& item : CutComboItems(windows, language)) faults += "\n  " + item;
    for (const std::string& item : CoveredTabItems(driver, windows)) faults += "\n  " + item;
    for (const std::string& value : CutValueBoxes(windows)) faults += "\n  " + value;
    for (const std::string& text : CoveredTexts(windows)) faults += "\n  " + text;
    for (const std::string& pair : OverlappingWindows(windows)) faults += "\n  " + pair;
    driver.Check(faults.empty(), name + ": " + faults);
}
}  // namespace

namespace {
// A picture of a combo box's opened list, for review; the list is closed again.
void ShootOpenedList(Driver& driver, int32_t n, const std::string& name) {
    HWND combo = driver.ControlWindow(n);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!driver.Check(GetComboBoxInfo(combo, &info) != FALSE, "combo " + std::to_string(n))) return;
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    WaitUntilPainted(info.hwndList);
    WaitForSteadyPicture(info.hwndList);
    TakeScreenshot(name);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
}
}  // namespace

namespace {
constexpr int kEasyMode = 0, kQuickEditMode = 1, kPhotographyMode = 2, kAdvancedMode = 3,
              kAdvancedPlusMode = 4;
constexpr int kAdvancedPlusPolarizerItem = 1;  // the effect list's item of the Polarizer page

// The places of the modes that lay the column out their own way, checked: Easy Mode's preset
// sheet, Quick Edit Mode's selective colours on each of their pages and every page of Advanced+
// Mode's effect list, whose controls are lifted under the list. A picture of each mode for
// review, in one language each (German where the texts are longest): each costs a second.
void CheckOwnLayoutModes(Driver& driver, const std::string& prefix, int language) {
    Choose(driver, CTL_MODE, kEasyMode);
    CheckTexts(driver, prefix + "easy");
    if (language == 0) ShootDialog(driver, "easy_en");
    Choose(driver, CTL_MODE, kQuickEditMode);
    const int selectPages =
        int(SendMessageA(driver.ControlWindow(CTL_SELECT_PAGES), LB_GETCOUNT, 0, 0));
    for (int page = 0; page < selectPages; ++page) {
        Choose(driver, CTL_SELECT_PAGES, page);
        CheckTexts(driver, prefix + "quick_edit_" + std::to_string(page));
    }
    if (language == 0) ShootDialog(driver, "quick_edit_colorkey_en");
    Choose(driver, CTL_SELECT_PAGES, 0);
    Choose(driver, CTL_MODE, kAdvancedPlusMode);
    Choose(driver, CTL_MAIN_TAB, 1);
    HWND list = driver.ControlWindow(CTL_EFFECT_LIST);
    const int items = int(SendMessageA(list, CB_GETCOUNT, 0, 0));
    driver.Check(items > 0, "the effect list has items");
    for (int item = 0; item < items; ++item) {
        char text[64] = "";
        if (SendMessageA(list, CB_GETLBTEXTLEN, WPARAM(item), 0) >= LRESULT(sizeof text)) continue;
        SendMessageA(list, CB_GETLBTEXT, WPARAM(item), LPARAM(text));
        if (std::string(text).find_first_not_of('-') == std::string::npos) continue;
        Choose(driver, CTL_EFFECT_LIST, item);
        CheckTexts(driver, prefix + "advanced_plus_" + std::to_string(item) + " (" + text + ")");
        if (language == 1 && item == kAdvancedPlusPolarizerItem)
            ShootDialog(driver, "advanced_plus_polarizer_de");
    }
    Choose(driver, CTL_EFFECT_LIST, 0);
    Choose(driver, CTL_MAIN_TAB, 0);
}
}  // namespace

// Every place of the right-hand column in both languages, in Advanced Mode, Photography Mode's
// column of preset combos and the other modes' own layouts: each text stands whole in its
// window, a page selector's items in their columns, each combo box's items in its face or its
// opened list (measured with the dialog's font in the real window), no control crosses a
// group's frame or overlaps another, and the preview and side tabs show all their items, with
// no other control over an item's text.
// The column keeps its layout when the dialog is maximised (it is anchored right): there one
// place stands for all, with the widened preview and bottom bars.
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
            // The Main sheet's value boxes, the widest of the column, at the maximised size.
            Choose(driver, CTL_MAIN_TAB, 3);
            Choose(driver, CTL_MAIN_PAGES, 0);
            CheckTexts(driver, prefix + "maximised_main_tone");
            ShowDialogAs(driver, SW_RESTORE);
            // Photography Mode's column of built-in preset combos, whose long preset names
            // only the opened lists have room for.
            Choose(driver, CTL_MODE, kPhotographyMode);
            CheckTexts(driver, prefix + "photography");
            ShootDialog(driver, std::string("photography_") + (language ? "de" : "en"));
            // Maximised, the combos stand at the screen's right edge: their lists stay on it.
            ShowDialogAs(driver, SW_MAXIMIZE);
            CheckTexts(driver, prefix + "maximised_photography");
            ShootOpenedList(driver, CTL_BUILTIN_COLOR_FILM, prefix + "maximised_film_list");
            ShowDialogAs(driver, SW_RESTORE);
            CheckOwnLayoutModes(driver, prefix, language);
            Choose(driver, CTL_MODE, kAdvancedMode);
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
