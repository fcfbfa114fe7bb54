// The dialog's layout at run time: tab sheets show only their own controls, a resize moves
// anchored controls, and the hover timer tells controls when the mouse comes and goes.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "tests/common/real_input.h"
#include "tests/dialog/dialog_test_bed.h"

namespace {

bool Visible(HWND window) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The pointer moved by real input over the middle of a window.
void MoveMouseTo(HWND window) {
    SendMouse(MOUSEEVENTF_MOVE, CentreOf(window));
}

}  // namespace

TEST(DialogLayout, TabSheetsShowOnlyTheCurrentSheetsControls) {
    auto session = OpenScriptedPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(60, CONTROL_TAB, "One\nTwo", 5, 5, 120, 60, 0, 0, 0, -1);
        api.createControl(61, CONTROL_PUSHBUTTON, "On one", 10, 25, 40, 14, 0, 0, 0, -1);
        api.createControl(62, CONTROL_SLIDER, "On two", 40, 25, 50, 8, 0, 0, 0, -1);
        api.setControlTab(61, 60, 0);
        api.setControlTab(62, 60, 1);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        HWND tab = driver.ControlWindow(60);
        driver.Check(Visible(driver.ControlWindow(61)), "sheet one's button shows");
        for (int id : {2062, 5062, 6062})
            driver.Check(!Visible(driver.Item(id)),
                         "sheet two's slider, box and label hide: " + std::to_string(id));
        driver.SendTo(tab, TCM_SETCURFOCUS, 1, 0);
        driver.Check(gBed.api->record(60)->value == 1, "the tab's value is its sheet");
        driver.Check(!Visible(driver.ControlWindow(61)), "sheet one's button hides");
        for (int id : {2062, 5062, 6062})
            driver.Check(Visible(driver.Item(id)),
                         "sheet two's windows show: " + std::to_string(id));
        const auto clicks = EventsOf(EVENT_CLICKED, 60);
        driver.Check(clicks.size() == 1 && clicks[0].argument == 0, "a click with the old sheet");
        driver.End(IDOK);
    });
}

TEST(DialogLayout, AResizeMovesAndStretchesAnchoredControls) {
    auto session = OpenScriptedPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(70, CONTROL_PUSHBUTTON, "Right", 300, 200, 40, 14, 0, 0, 0, -1);
        api.createControl(71, CONTROL_PUSHBUTTON, "Wide", 20, 220, 100, 14, 0, 0, 0, -1);
        api.setControlAnchor(71, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_BOTTOM);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        // Sizes count only once the dialog has been painted.
        RedrawWindow(driver.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const ControlRecord right = *gBed.api->record(70);
        const ControlRecord wide = *gBed.api->record(71);
        RECT outer;
        GetWindowRect(driver.dialog, &outer);
        RECT grow = {0, 0, 80, 40};
        MapDialogRect(driver.dialog, &grow);
        SetWindowPos(driver.dialog, nullptr, 0, 0, outer.right - outer.left + grow.right,
                     outer.bottom - outer.top + grow.bottom, SWP_NOMOVE | SWP_NOZORDER);
        const ControlRecord& movedRight = *gBed.api->record(70);
        const ControlRecord& stretched = *gBed.api->record(71);
        driver.Check(
            abs(movedRight.x - (right.x + 80)) <= 1 && movedRight.y == right.y,
            "right-anchored control follows the right edge: " + std::to_string(movedRight.x));
        driver.Check(abs(stretched.width - (wide.width + 80)) <= 1 && stretched.x == wide.x,
                     "left and right anchors stretch: " + std::to_string(stretched.width));
        driver.Check(abs(stretched.y - (wide.y + 40)) <= 1,
                     "bottom anchor follows the bottom edge");
        RECT window;
        GetWindowRect(driver.ControlWindow(70), &window);
        MapWindowPoints(nullptr, driver.dialog, reinterpret_cast<POINT*>(&window), 2);
        RECT expected = {movedRight.x, movedRight.y, movedRight.x + 40, movedRight.y + 14};
        MapDialogRect(driver.dialog, &expected);
        driver.Check(abs(window.left - expected.left) <= 1, "the window moved with its record");
        const auto sizes = EventsOf(EVENT_DIALOG_SIZE);
        driver.Check(!sizes.empty() && sizes.back().control == SIZE_RESTORED, "size event");
        driver.End(IDOK);
    });
}

TEST(DialogLayout, HoverTellsControlsWhenTheMouseComesAndGoes) {
    auto session = OpenScriptedPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(80, CONTROL_PUSHBUTTON, "A", 300, 20, 40, 14, 0, 0, CTLPROP_HOVER, -1);
        api.createControl(81, CONTROL_PUSHBUTTON, "B", 300, 60, 40, 14, 0, 0, CTLPROP_HOVER, -1);
        api.createControl(82, CONTROL_PUSHBUTTON, "C", 300, 100, 40, 14, 0, 0, 0, -1);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        SetForegroundWindow(driver.dialog);
        MoveMouseTo(driver.ControlWindow(80));
        driver.Check(WaitFor([] { return !EventsOf(EVENT_MOUSE_ENTER, 80).empty(); }), "enter A");
        MoveMouseTo(driver.ControlWindow(81));
        driver.Check(WaitFor([] { return !EventsOf(EVENT_MOUSE_ENTER, 81).empty(); }), "enter B");
        driver.Check(EventsOf(EVENT_MOUSE_LEAVE, 80).size() == 1, "leave A first");
        MoveMouseTo(driver.ControlWindow(82));
        driver.Check(WaitFor([] { return !EventsOf(EVENT_MOUSE_LEAVE, 81).empty(); }), "leave B");
        driver.Check(EventsOf(EVENT_MOUSE_ENTER, 82).empty(), "no hover property, no event");
        driver.Check(EventsOf(EVENT_MOUSE_ENTER, 80).size() == 1, "A entered once");
        driver.End(IDOK);
    });
}
