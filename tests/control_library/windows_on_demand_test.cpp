// Controls on sheets not seen when the dialog opens get their windows when the sheet is first
// shown: they show then exactly what the effect gave them before, sit in the tab and z-order
// of their creation (radio groups included), and take the same places as controls made at once.

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/control_library/library_test_bed.h"

namespace {
constexpr int32_t kTab = 60;
constexpr int32_t kSlider = 61, kCombo = 62, kCheck = 63, kText = 64, kButton = 65,
                  kInsertedCombo = 66;
constexpr int kLabelIdBase = 6000, kEditIdBase = 5000;

// The tab's sheet chosen by a real click on its item, as a user opens it.
void OpenSheetByClick(Driver& driver, int32_t tab, int sheet) {
    SetForegroundWindow(driver.dialog);
    WaitFor([&] { return GetForegroundWindow() == driver.dialog; });
    HWND window = driver.ControlWindow(tab);
    RECT item = {};
    SendMessageA(window, TCM_GETITEMRECT, WPARAM(sheet), LPARAM(&item));
    POINT point = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(window, &point);
    ClickAt(point);
    driver.Check(WaitFor([&] { return gBed.api->record(tab)->value == sheet; }, 20000),
                 "the click opened sheet " + std::to_string(sheet));
    // The click's reactions ran once the dialog's thread takes work from its timer again.
    OnDialogThread([] {});
}

// The control numbers of the dialog's children in z-order (companions count as their control).
std::vector<int32_t> ControlsInZOrder(HWND dialog) {
    std::vector<int32_t> order;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        int32_t n = -1;
        if (id >= kLabelIdBase && id < kLabelIdBase + 400)
            n = id - kLabelIdBase;
        else if (id >= kEditIdBase && id < kEditIdBase + 400)
            n = id - kEditIdBase;
        else if (id >= 2000 && id < 2400)
            n = id - 2000;
        if (n >= 0 && (order.empty() || order.back() != n)) order.push_back(n);
    }
    return order;
}

bool ComesBefore(const std::vector<int32_t>& order, int32_t first, int32_t second) {
    int32_t seenFirst = -1, seenSecond = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == first) seenFirst = int32_t(i);
        if (order[i] == second) seenSecond = int32_t(i);
    }
    return seenFirst >= 0 && seenSecond > seenFirst;
}

RECT ClientRectOf(HWND dialog, HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
}  // namespace

TEST(ControlWindowsOnDemand, AControlOnAnUnseenSheetShowsWhatTheEffectGaveIt) {
    auto session = OpenLibraryPlugin();
    static int32_t countBefore = -1, pixelLeft = -1, pixelWidth = -1;
    static char itemBefore[16] = "";
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        const LibraryApi& lib = Lib();
        api.createControl(kTab, CONTROL_TAB, "Seen\nLater", 5, 5, 220, 110, 0, 0, 0, -1);
        api.createControl(kSlider, CONTROL_SLIDER, "Amount", 50, 25, 80, 8, 0, 0, 0, -1);
        api.setControlRange(kSlider, 0, 200);
        api.setControlValue(kSlider, 150);
        api.createControl(kCombo, CONTROL_COMBOBOX, "Alpha\nBeta", 50, 40, 80, 60, 0, 0, 0, -1);
        api.createControl(kCheck, CONTROL_CHECKBOX, "Check", 50, 55, 80, 10, 0, 0, 0, -1);
        api.setControlValue(kCheck, 1);
        api.setControlState(kCheck, CTLSTATE_VISIBLE);  // shown but disabled
        api.createControl(kText, CONTROL_TEXT, "Old", 50, 70, 80, 10, 0, 0, 0, -1);
        api.createControl(kButton, CONTROL_PUSHBUTTON, "Press", 50, 85, 50, 14, 0, 0, 0, -1);
        api.setControlToolTip(kButton, "Presses", 0);
        api.createControl(kInsertedCombo, CONTROL_COMBOBOX, "One\nTwo", 140, 40, 60, 60, 0, 0, 0,
                          -1);
        for (int32_t n : {kSlider, kCombo, kCheck, kText, kButton, kInsertedCombo})
            api.setControlTab(n, kTab, 1);
        lib.insertControlItem(kInsertedCombo, 0, "Zero");
        api.setControlValue(kInsertedCombo, 1);
        // Filled after they were put on the unseen sheet, as the session start and the
        // languages do.
        lib.setControlColor(kText, RGB(200, 220, 240));
        api.setControlText(kText, "New text");
        api.setControlText(kCombo, "Alpha\nBeta\nGamma");
        api.setControlValue(kCombo, 2);
        countBefore = lib.getControlItemCount(kCombo);
        lib.getControlItemText(kCombo, 1, itemBefore, sizeof itemBefore);
        pixelLeft = lib.getControlPixelCoord(kSlider, 0);
        pixelWidth = lib.getControlPixelCoord(kSlider, 2);
        api.setControlValue(kTab, 0);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        driver.Check(countBefore == 3 && std::string(itemBefore) == "Beta",
                     "the items of a combo box not made yet are counted and read");
        driver.Check(pixelLeft == gBed.api->dialogUnitsToPixelsX(50) &&
                         pixelWidth == gBed.api->dialogUnitsToPixelsX(80),
                     "a control not made yet reports the place it will take");
        for (int32_t n : {kSlider, kCombo, kCheck, kText, kButton})
            driver.Check(driver.Item(n + 2000) == nullptr,
                         "no window yet on the unseen sheet: " + std::to_string(n));

        OpenSheetByClick(driver, kTab, 1);
        HWND slider = driver.ControlWindow(kSlider);
        int low = -1, high = -1;
        GetScrollRange(slider, SB_CTL, &low, &high);
        driver.Check(low == 0 && high == 200, "the slider's range");
        driver.Check(GetScrollPos(slider, SB_CTL) == 150, "the slider's thumb");
        driver.Check(TextOf(driver.Item(kSlider + kEditIdBase)) == "150", "the value box");
        driver.Check(TextOf(driver.Item(kSlider + kLabelIdBase)) == "Amount", "the label");
        HWND combo = driver.ControlWindow(kCombo);
        char item[16] = "";
        driver.SendTo(combo, CB_GETLBTEXT, 2, LPARAM(item));
        driver.Check(driver.SendTo(combo, CB_GETCOUNT) == 3 && std::string(item) == "Gamma",
                     "the combo box's items");
        driver.Check(driver.SendTo(combo, CB_GETCURSEL) == 2, "the combo box's choice");
        HWND inserted = driver.ControlWindow(kInsertedCombo);
        driver.SendTo(inserted, CB_GETLBTEXT, 0, LPARAM(item));
        driver.Check(driver.SendTo(inserted, CB_GETCOUNT) == 3 && std::string(item) == "Zero" &&
                         driver.SendTo(inserted, CB_GETCURSEL) == 1 && IsWindowVisible(inserted),
                     "an item inserted before the sheet was seen is kept");
        HWND check = driver.ControlWindow(kCheck);
        driver.Check(driver.SendTo(check, BM_GETCHECK) == BST_CHECKED, "the check mark");
        driver.Check(IsWindowVisible(check) && !IsWindowEnabled(check), "shown and disabled");
        driver.Check(TextOf(driver.ControlWindow(kText)) == "New text", "the later text");
        for (int32_t n : {kSlider, kCombo, kText, kButton})
            driver.Check(IsWindowVisible(driver.ControlWindow(n)) &&
                             IsWindowEnabled(driver.ControlWindow(n)),
                         "shown and enabled: " + std::to_string(n));
        const RECT place = ClientRectOf(driver.dialog, slider);
        driver.Check(place.left == pixelLeft && place.right - place.left == pixelWidth,
                     "the slider took the place it reported");

        // The tooltip reached the window made later.
        char tip[64] = "";
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = driver.dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(driver.ControlWindow(kButton));
        tool.lpszText = tip;
        driver.SendTo(gBed.api->dialogState->toolTip, TTM_GETTEXTA, sizeof tip, LPARAM(&tool));
        driver.Check(std::string(tip) == "Presses", "the tooltip: " + std::string(tip));
        const COLORREF colour = PixelOf(driver.ControlWindow(kText), 1, 1);
        driver.Check(colour == RGB(200, 220, 240), "the text's background colour");
        SaveWindowPicture(driver.dialog, "windows_on_demand_sheet");
        driver.End(IDOK);
    });
}

TEST(ControlWindowsOnDemand, TabOrderAndRadioGroupsFollowTheCreationOrder) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(70, CONTROL_TAB, "Seen\nLater", 5, 5, 220, 120, 0, 0, 0, -1);
        // In creation order: radio buttons (made at once) among controls made later.
        api.createControl(71, CONTROL_RADIOBUTTON, "One", 20, 25, 60, 10, WS_GROUP, 0, 0, -1);
        api.createControl(72, CONTROL_CHECKBOX, "Between", 20, 37, 60, 10, 0, 0, 0, -1);
        api.createControl(73, CONTROL_RADIOBUTTON, "Two", 20, 49, 60, 10, 0, 0, 0, -1);
        api.createControl(74, CONTROL_SLIDER, "Slide", 60, 61, 60, 8, 0, 0, 0, -1);
        api.createControl(75, CONTROL_RADIOBUTTON, "Three", 20, 73, 60, 10, 0, 0, 0, -1);
        api.createControl(76, CONTROL_PUSHBUTTON, "Next group", 20, 85, 60, 14, WS_GROUP, 0, 0, -1);
        api.createControl(77, CONTROL_RADIOBUTTON, "Other", 20, 102, 60, 10, 0, 0, 0, -1);
        for (int32_t n = 71; n <= 77; ++n) api.setControlTab(n, 70, 1);
        api.setControlValue(71, 1);
        api.setControlValue(77, 1);
        api.setControlValue(70, 0);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        OpenSheetByClick(driver, 70, 1);
        const std::vector<int32_t> order = ControlsInZOrder(driver.dialog);
        for (int32_t n = 71; n < 77; ++n)
            driver.Check(ComesBefore(order, n, n + 1),
                         "z-order follows creation: " + std::to_string(n));
        // A radio button chosen clears the others of its group, across the controls made
        // later, and none of the next group.
        OnDialogThread([] { gBed.api->setControlValue(75, 1); });
        driver.Check(driver.SendTo(driver.ControlWindow(71), BM_GETCHECK) == BST_UNCHECKED &&
                         gBed.api->record(71)->value == 0,
                     "the first of the group was cleared");
        driver.Check(driver.SendTo(driver.ControlWindow(75), BM_GETCHECK) == BST_CHECKED,
                     "the chosen one is checked");
        driver.Check(driver.SendTo(driver.ControlWindow(77), BM_GETCHECK) == BST_CHECKED,
                     "the next group keeps its choice");
        // The tab key walks in creation order: from the check box past the radio group to the
        // slider's own window.
        HWND next = GetNextDlgTabItem(driver.dialog, driver.ControlWindow(72), FALSE);
        driver.Check(GetDlgCtrlID(next) == 2073 || GetDlgCtrlID(next) == 2074,
                     "the tab key goes on from the check box to the controls after it: " +
                         std::to_string(GetDlgCtrlID(next)));
        driver.End(IDOK);
    });
}

TEST(ControlWindowsOnDemand, ALaterSheetTakesTheLayoutOfControlsMadeAtOnce) {
    auto session = OpenLibraryPlugin();
    // The same controls twice: on a sheet not seen at the start (made when opened), and made
    // after the dialog was shown (windows at once), 120 dialog units lower.
    static const auto makeSet = [](const ScriptedPluginApi& api, int32_t base, int32_t top) {
        api.createControl(base, CONTROL_TAB, "Seen\nLater", 5, top, 230, 110, 0, 0, 0, -1);
        api.createControl(base + 1, CONTROL_SLIDER, "Brightness", 60, top + 22, 90, 8, 0, 0, 0, -1);
        api.createControl(base + 2, CONTROL_COMBOBOX, "Soft\nHard", 60, top + 36, 90, 60, 0, 0, 0,
                          -1);
        api.createControl(base + 3, CONTROL_CHECKBOX, "Keep tones", 60, top + 52, 90, 10, 0, 0, 0,
                          -1);
        api.createControl(base + 4, CONTROL_GROUPBOX, "Group", 15, top + 66, 200, 36, 0, 0, 0, -1);
        api.createControl(base + 5, CONTROL_TEXT, "A note", 25, top + 80, 90, 10, 0, 0, 0, -1);
        api.createControl(base + 6, CONTROL_PUSHBUTTON, "Press", 150, top + 78, 50, 14, 0, 0, 0,
                          -1);
        for (int32_t n = base + 1; n <= base + 6; ++n) api.setControlTab(n, base, 1);
        api.setControlValue(base + 1, 40);
        api.setControlValue(base + 2, 1);
        api.setControlValue(base, 0);
    };
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) { makeSet(api, 100, 5); };
    RunWithDriver(*session, script, [](Driver& driver) {
        OnDialogThread([] { makeSet(*gBed.api, 120, 125); });
        driver.Check(driver.Item(2121) != nullptr, "made at once after the show");
        OpenSheetByClick(driver, 100, 1);
        OnDialogThread([] { gBed.api->setControlValue(120, 1); });
        const int dy = gBed.api->dialogUnitsToPixelsY(125) - gBed.api->dialogUnitsToPixelsY(5);
        for (int32_t k = 1; k <= 6; ++k) {
            for (int base : {2000, kEditIdBase, kLabelIdBase}) {
                HWND later = driver.Item(base + 100 + k), atOnce = driver.Item(base + 120 + k);
                if (!later && !atOnce) continue;
                const std::string what = std::to_string(base + k);
                if (!driver.Check(later && atOnce, "both have the window " + what)) continue;
                RECT a = ClientRectOf(driver.dialog, later),
                     b = ClientRectOf(driver.dialog, atOnce);
                // An empty label has no size wherever it lies.
                if (IsRectEmpty(&a) || IsRectEmpty(&b)) {
                    driver.Check(IsRectEmpty(&a) && IsRectEmpty(&b), "both empty: " + what);
                    continue;
                }
                OffsetRect(&a, 0, dy);
                driver.Check(EqualRect(&a, &b) != 0,
                             "the same place: " + what + " " + std::to_string(a.left) + "," +
                                 std::to_string(a.top) + "," + std::to_string(a.right) + "," +
                                 std::to_string(a.bottom) + " and " + std::to_string(b.left) + "," +
                                 std::to_string(b.top) + "," + std::to_string(b.right) + "," +
                                 std::to_string(b.bottom));
                driver.Check(IsWindowVisible(later) && IsWindowVisible(atOnce), "shown: " + what);
                driver.Check(TextOf(later) == TextOf(atOnce), "the same text: " + what);
            }
        }
        SaveWindowPicture(driver.dialog, "windows_on_demand_layout");
        driver.End(IDOK);
    });
}
