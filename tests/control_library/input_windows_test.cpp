// Key state, cursor, font slots and control colours in a real dialog: what holds while the
// dialog has the foreground and what changes when another window takes it.

#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/control_library/library_test_bed.h"

namespace {
// A plain top-level window of this thread that can take the foreground from the dialog.
HWND MakeOtherWindow() {
    return CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}
}  // namespace

// Wine keeps injected keys out of the asynchronous key state, so that a held key cannot be
// made here: what is checked is the foreground rule, on the cursor and on the key reading.
TEST(ControlLibraryInput, KeysAndCursorCountOnlyWhileTheDialogHasTheForeground) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(71, CONTROL_PUSHBUTTON, "Button", 20, 60, 60, 14, 0, 0, 0, -1);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        static int32_t foregroundShift, plainShift, cursorSet, cursorId;
        SetForegroundWindow(driver.dialog);
        driver.Check(WaitFor([&] { return GetForegroundWindow() == driver.dialog; }),
                     "the dialog has the foreground");
        OnDialogThread([] {
            foregroundShift = Lib().readForegroundKeyState(VK_SHIFT);
            plainShift = Lib().isDialogKeyDown(VK_SHIFT);
            cursorSet = Lib().setCursorIfForeground(32650);
            cursorId = int32_t(gBed.api->getDialogCursor());
        });
        driver.Check(foregroundShift == plainShift, "in the foreground the key state is read");
        driver.Check(cursorSet == 1 && cursorId == 32650, "the cursor is set in the foreground");

        HWND other = MakeOtherWindow();
        SetForegroundWindow(other);
        driver.Check(WaitFor([&] { return GetForegroundWindow() == other; }),
                     "another window has the foreground");
        OnDialogThread([] {
            foregroundShift = Lib().readForegroundKeyState(VK_SHIFT);
            cursorSet = Lib().setCursorIfForeground(32512);
            cursorId = int32_t(gBed.api->getDialogCursor());
        });
        driver.Check(foregroundShift == 0, "in the background no key reads as held");
        driver.Check(cursorSet == 0 && cursorId == 32650, "in the background the cursor stays");
        DestroyWindow(other);
        SetForegroundWindow(driver.dialog);
        WaitFor([&] { return GetForegroundWindow() == driver.dialog; });
        driver.End(IDOK);
    });
}

TEST(ControlLibraryInput, FontSlotsAndControlColoursReachTheirWindows) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(72, CONTROL_TEXT, "", 20, 20, 80, 20, 0, 0, 0, -1);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        static int32_t made, refused, madeDefault, badColor;
        static LOGFONTA bold, plain, gui;
        OnDialogThread([] {
            made = Lib().createFontSlot(3, 30, 1, 1, "Arial");
            refused = Lib().createFontSlot(32, 30, 0, 0, "Arial");
            madeDefault = Lib().createFontSlot(4, 0, 0, 0, nullptr);
            GetObjectA(Lib().fontSlot(3), sizeof bold, &bold);
            GetObjectA(Lib().fontSlot(4), sizeof plain, &plain);
            GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
            Lib().setControlColor(72, int32_t(RGB(200, 30, 40)));
            badColor = Lib().setControlColor(400, 0);
        });
        driver.Check(made == 1 && refused == 0 && madeDefault == 1, "slots 3 and 4 made, 32 not");
        driver.Check(std::abs(bold.lfHeight) == 30 && bold.lfWeight >= FW_BOLD && bold.lfItalic,
                     "slot 3 is 30 high, bold and italic: " + std::to_string(bold.lfHeight));
        driver.Check(
            plain.lfHeight == gui.lfHeight && std::string(plain.lfFaceName) == gui.lfFaceName,
            "height 0 and no face take the default GUI font's");
        driver.Check(badColor == -1, "a control number out of range has no colour");
        HWND text = driver.ControlWindow(72);
        OnDialogThread([&] {
            RedrawWindow(text, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        });
        const COLORREF shown = PixelOf(text, 5, 5);
        driver.Check(shown == RGB(200, 30, 40),
                     "the text control is painted in its colour: " + std::to_string(shown));
        driver.End(IDOK);
    });
}
