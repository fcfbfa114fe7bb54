// Tab sheets and the layout in real windows: a sheet reset touches only the current sheet's
// controls that have a default; no control lies on its own sheet; a minimised dialog keeps its
// layout; a tiny dialog keeps the preview at 10 x 10 dialog units.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "tests/control_library/library_test_bed.h"

namespace {
// A render or a click waited for on a loaded machine.
constexpr int kBusyDialogMs = 20000;

// A key as the dialog's thread reads it: the state of the input that thread has taken from its
// queue so far (negative while held).
SHORT DialogKeyState(int key) {
    SHORT state = 0;
    OnDialogThread([&] { state = GetKeyState(key); });
    return state;
}

// Whether the dialog's thread has read a whole click on window: the window took the focus on
// the press and the button is up again. The timer work that asks runs only with the dialog's
// queue empty, so the click's reactions are over by then.
bool ClickedInto(HWND window) {
    bool done = false;
    OnDialogThread([&] { done = GetFocus() == window && GetKeyState(VK_LBUTTON) >= 0; });
    return done;
}
}  // namespace

TEST(ControlLibraryLayout, SheetResetTouchesOnlyTheCurrentSheetOnce) {
    auto session = OpenLibraryPlugin();
    static int32_t ownTab = -1;
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(60, CONTROL_TAB, "One\nTwo", 5, 5, 150, 80, 0, 0, 0, -1);
        for (int n : {61, 62, 63}) {
            api.createControl(n, CONTROL_SLIDER, "S", 40, 20 + (n - 61) * 12, 60, 8, 0, 0, 0, -1);
            api.setControlValue(n, 50);
        }
        api.setControlDefault(61, 10);  // on the current sheet
        api.setControlDefault(63, 30);  // on the other sheet
        api.setControlTab(61, 60, 0);
        api.setControlTab(62, 60, 0);  // no default: stays
        api.setControlTab(63, 60, 1);
        ownTab = api.setControlTab(60, 60, 0);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        driver.Check(ownTab == 0, "a tab is refused as its own sheet's owner");
        // The reset a Shift-click on the tab asks for, run on the dialog's thread.
        driver.Send(WM_NULL);
        static bool reset = false;
        reset = false;
        gBed.script.react = [](const ScriptedPluginApi&, const EventRecord& event) {
            if (event.event == EVENT_TIMER && !reset) {
                reset = true;
                Lib().resetTabSheetToDefaults(60);
            }
            return 0;
        };
        gBed.api->setDialogTimer(0, 10, 1);
        WaitFor([] { return reset; });
        gBed.api->setDialogTimer(0, 10, 0);
        driver.Check(gBed.api->record(61)->value == 10, "the current sheet's control is reset");
        driver.Check(gBed.api->record(62)->value == 50, "a control without default stays");
        driver.Check(gBed.api->record(63)->value == 50, "the other sheet stays");
        driver.End(IDOK);
    });
}

TEST(ControlLibraryLayout, MinimisedKeepsTheLayoutAndTinyKeepsTheTenByTenPreview) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.registerFrameControls();
        api.createControl(71, CONTROL_PUSHBUTTON, "Wide", 20, 220, 100, 14, 0, 0, 0, -1);
        api.setControlAnchor(71, ANCHOR_LEFT | ANCHOR_RIGHT);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        RedrawWindow(driver.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const int32_t width = gBed.api->record(71)->width;
        driver.Send(WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
        driver.Check(gBed.api->record(71)->width == width, "minimised: the layout stays");
        driver.Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(20, 20));
        const ControlRecord& preview = *gBed.api->record(395);
        driver.Check(preview.width >= 10 && preview.height >= 10,
                     "the preview keeps 10 x 10: " + std::to_string(preview.width) + " x " +
                         std::to_string(preview.height));
        driver.End(IDOK);
    });
}

TEST(ControlLibraryLayout, ShiftClickOnTheCurrentTabResetsItsSheetWithOneEventAndOneRendering) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(60, CONTROL_TAB, "One\nTwo", 5, 5, 150, 80, 0, 0, 0, -1);
        for (int n : {61, 62, 63}) {
            api.createControl(n, CONTROL_SLIDER, "S", 40, 20 + (n - 61) * 12, 60, 8, 0, 0, 0, -1);
            api.setControlValue(n, 50);
            api.setControlDefault(n, 10 * (n - 60));
        }
        api.setControlTab(61, 60, 0);
        api.setControlTab(62, 60, 0);
        api.setControlTab(63, 60, 1);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        driver.Check(WaitFor([] { return Renders() >= 1; }, kBusyDialogMs), "the first rendering");
        // The count rises as the rendering starts: the dialog's timer work runs once it is over.
        OnDialogThread([] {});
        HWND tab = driver.ControlWindow(60);
        RECT item;
        SendMessageA(tab, TCM_GETITEMRECT, 0, LPARAM(&item));
        POINT click = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ClientToScreen(tab, &click);
        SetForegroundWindow(driver.dialog);
        // A plain click on the current tab resets nothing. It comes first: it also activates
        // the dialog, and an activation by a click takes the dialog's key state afresh from the
        // system's, which under Wine does not hold injected keys (a Shift already read would
        // be read as released). The tab takes the focus as the button goes down; with the
        // focus elsewhere first and the button read up again, the dialog has answered it all.
        OnDialogThread([&] { SetFocus(driver.ControlWindow(61)); });
        ClickAt(click);
        driver.Check(WaitFor([&] { return ClickedInto(tab); }, kBusyDialogMs),
                     "the dialog answers the plain click");
        driver.Check(gBed.api->record(61)->value == 50, "a click without Shift keeps the value");
        driver.Check(EventsOf(EVENT_SHEET_RESET, 60).empty(), "no sheet reset without Shift");

        const int32_t rendersBefore = Renders();
        // Keys may reach the dialog's queue ahead of a click sent before them: Shift is held
        // until the dialog has read it and has answered the click.
        PressKeyDown(VK_SHIFT);
        driver.Check(WaitFor([] { return DialogKeyState(VK_SHIFT) < 0; }, kBusyDialogMs),
                     "the dialog reads Shift held");
        ClickAt(click);
        driver.Check(
            WaitFor([] { return !EventsOf(EVENT_SHEET_RESET, 60).empty(); }, kBusyDialogMs),
            "the sheet reset is reported");
        PressKeyUp(VK_SHIFT);
        WaitFor([&] { return Renders() > rendersBefore; }, kBusyDialogMs);
        driver.Check(EventsOf(EVENT_SHEET_RESET, 60).size() == 1, "one sheet-reset event");
        driver.Check(Renders() == rendersBefore + 1,
                     "one rendering: " + std::to_string(Renders() - rendersBefore));
        driver.Check(gBed.api->record(61)->value == 10 && gBed.api->record(62)->value == 20,
                     "the current sheet's controls take their defaults");
        driver.Check(gBed.api->record(63)->value == 50, "the other sheet stays");
        driver.Check(WaitFor([] { return DialogKeyState(VK_SHIFT) >= 0; }, kBusyDialogMs),
                     "the dialog reads Shift released");
        driver.End(IDOK);
    });
}
