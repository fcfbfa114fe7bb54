// Items in real windows: texts become items per class, the selection survives a new text,
// inserted combo items keep the stored text in step, lines are copied only into buffers that
// hold them, tabs take inserted texts by their own rule, and combo boxes open their lists wide
// enough for their items and on the screen.

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>

#include "tests/control_library/library_test_bed.h"

TEST(ControlLibraryItems, TextsBecomeItemsAndSelectionsSurviveANewText) {
    auto session = OpenLibraryPlugin();
    static std::string stored, refusedStored;
    static int32_t lineCount = 0, smallCopy = -1, fittingCopy = -1, insertAnswer = -1;
    static std::string unused;
    static char line[8];
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        const LibraryApi& lib = Lib();
        api.createControl(200, CONTROL_COMBOBOX, "One\nTwo\nThree", 10, 10, 80, 60, 0, 0, 0, -1);
        api.createControl(201, CONTROL_LISTBOX, "A\nB", 100, 10, 60, 40, 0, 0, 0, -1);
        api.createControl(202, CONTROL_TAB, "First\nSecond", 10, 60, 150, 40, 0, 0, 0, -1);
        api.createControl(203, CONTROL_TOOLBAR, "File\nEdit", 10, 110, 150, 13, 0, 0, 0, -1);
        api.createControl(204, CONTROL_VALUELIST, "", 170, 10, 60, 10, 0, 0, 0, -1);
        api.setControlValue(200, 2);
        api.setControlText(200, "Uno\nDos\nTres\nCuatro");
        lineCount = lib.getControlTextLine(200, -1, nullptr, 0);
        smallCopy = lib.getControlTextLine(200, 3, line, 6);  // "Cuatro" needs 7 bytes
        fittingCopy = lib.getControlTextLine(200, 1, line, sizeof line);
        insertAnswer = lib.insertControlItem(200, 1, "Inserted");
        stored = lib.getControlText(200);
        // A stored text of 1020 bytes takes the item into the window only.
        api.createControl(205, CONTROL_COMBOBOX, std::string(1020, 'x').c_str(), 10, 130, 80, 60, 0,
                          0, 0, -1);
        lib.insertControlItem(205, -1, "more");
        refusedStored = lib.getControlText(205);
        unused = lib.getControlText(299);
        // Tabs: past the count appends, inside it renames, the count itself changes nothing.
        lib.insertControlItem(202, 5, "Third");
        lib.insertControlItem(202, 0, "Renamed");
        lib.insertControlItem(202, 3, "Ignored");
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        const LibraryApi& lib = Lib();
        HWND combo = driver.ControlWindow(200);
        driver.Check(driver.SendTo(combo, CB_GETCOUNT) == 5, "four lines and one inserted item");
        driver.Check(driver.SendTo(combo, CB_GETCURSEL) == 3,
                     "the selected item moved down with the insertion");
        driver.Check(gBed.api->record(200)->value == 2, "the value kept its index over the text");
        driver.Check(lineCount == 4, "four lines counted");
        driver.Check(smallCopy == 0, "a line longer than the buffer is not copied");
        driver.Check(fittingCopy == 1 && std::string(line) == "Dos", "a fitting line is copied");
        driver.Check(insertAnswer == 1, "the window's index of the inserted item");
        driver.Check(stored == "Uno\nInserted\nDos\nTres\nCuatro",
                     "the stored text keeps its lines in step with the items: " + stored);
        driver.Check(refusedStored == std::string(1020, 'x'), "a full text stays as it was");
        driver.Check(driver.SendTo(driver.ControlWindow(205), CB_GETCOUNT) == 2,
                     "the window still got the item");
        driver.Check(unused == "Not Available", "an unused control's text");
        driver.Check(lib.getControlItemCount(201) == 2 && lib.getControlItemCount(203) == 2,
                     "lists count their items, toolbars their lines");
        char tab[32] = "";
        driver.Check(lib.getControlItemCount(202) == 3, "one tab appended, none for the count");
        driver.Check(
            lib.getControlItemText(202, 0, tab, sizeof tab) && std::string(tab) == "Renamed",
            "an index inside the tabs renames");
        driver.Check(lib.getControlItemText(202, 2, tab, sizeof tab) && std::string(tab) == "Third",
                     "the appended tab");
        driver.Check(lib.getControlItemText(203, 1, tab, 4) == 0, "\"Edit\" needs five bytes");
        driver.Check(lib.getControlItemCount(204) == 0, "an empty value list has no columns");
        driver.Check(lib.getControlCoord(200, 2) == 80, "coordinates in dialog units");
        KeepWindowPicture(driver.dialog, "control_library_items");
        driver.End(IDOK);
    });
}

namespace {
constexpr char kLongItem[] = "An item far wider than the face of its combo box";

int TextWidthPx(HWND combo, const char* text) {
    HDC context = GetDC(combo);
    const HGDIOBJ old = SelectObject(context, HGDIOBJ(SendMessageA(combo, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(context, text, int(strlen(text)), &size);
    SelectObject(context, old);
    ReleaseDC(combo, context);
    return size.cx;
}

RECT WorkAreaOfWindow(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// The dropped list's place while the combo box shows it, and its client width.
RECT OpenedListPlace(Driver& driver, HWND combo, int* clientWidth) {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo, &info);
    driver.SendTo(combo, CB_SHOWDROPDOWN, TRUE);
    RECT place = {}, client = {};
    GetWindowRect(info.hwndList, &place);
    GetClientRect(info.hwndList, &client);
    driver.SendTo(combo, CB_SHOWDROPDOWN, FALSE);
    *clientWidth = client.right;
    return place;
}
}  // namespace

// A combo box filled item by item opens its list as wide as its widest item, kept on the
// screen where the box stands at its right edge; emptied (as the preset lists empty theirs) and
// filled again with short items, its list is measured anew and narrows back to the face.
TEST(ControlLibraryItems, ComboListsFilledItemByItemOpenWholeAndOnTheScreen) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(210, CONTROL_COMBOBOX, "", 10, 10, 40, 60, 0, 0, 0, -1);
        for (const char* item : {"One", kLongItem, "Three"}) Lib().insertControlItem(210, -1, item);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        HWND combo = driver.ControlWindow(210);
        const RECT work = WorkAreaOfWindow(combo);
        RECT face = {}, dialog = {};
        GetWindowRect(combo, &face);
        GetWindowRect(driver.dialog, &dialog);
        // The box's right edge a few pixels inside the screen's.
        SetWindowPos(driver.dialog, nullptr, dialog.left + (work.right - 3 - face.right),
                     dialog.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        GetWindowRect(combo, &face);
        int room = 0;
        const RECT list = OpenedListPlace(driver, combo, &room);
        driver.Check(room >= TextWidthPx(combo, kLongItem),
                     "the list shows its widest item whole: " + std::to_string(room) + " px");
        driver.Check(list.right <= work.right && list.left >= work.left,
                     "the list stands on the screen: " + std::to_string(list.left) + ".." +
                         std::to_string(list.right) + " of " + std::to_string(work.right));
        driver.Check(list.right == work.right, "the list moved left no further than needed");

        OnDialogThread([] {
            SendMessageA(gBed.api->record(210)->window, CB_RESETCONTENT, 0, 0);
            for (const char* item : {"Ab", "Cd"}) Lib().insertControlItem(210, -1, item);
        });
        driver.Check(driver.SendTo(combo, CB_GETDROPPEDWIDTH) == face.right - face.left,
                     "the emptied list refilled is as wide as the face: " +
                         std::to_string(driver.SendTo(combo, CB_GETDROPPEDWIDTH)));
        driver.End(IDOK);
    });
}
