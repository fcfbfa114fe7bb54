// The shipped plug-in's dialog under test: a host session with a colourful image, and a driver
// thread that finds the effect dialog once it stands and acts on it as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "effect/control_ids.h"
#include "tests/dialog/dialog_test_bed.h"
#include "tools/testhost/test_host.h"

// The shipped plug-in in a fresh session with a width x height RGB image of 8 bits. A first
// start has no settings files yet (an earlier dialog's OK or Cancel wrote them); otherwise the
// files of the runs before stay. Yes/no questions are answered "no" (the first start's dark
// skin among them).
std::unique_ptr<HostSession> OpenEffectPlugin(int32_t width = 120, int32_t height = 80,
                                              bool firstStart = true);
// A scripting descriptor's value of settings control n ("0nnn").
DescriptorItem IntegerItem(int32_t n, int32_t value);
// The maker's folder in the user's application data: the skin file, the data folder.
std::string MakerFolderPath();
// The settings files of the data folder ("Greyloom.ini", "Greyloomdialog.ini").
std::string DataFilePath(const char* name);
// Lines of "Greyloomdialog.ini": the restored size, and the line of interface control n
// (tag, four sizes, tool, path, top item and five reserved lines come first).
constexpr size_t kStateRestoredWidthLine = 3, kStateRestoredHeightLine = 4;
constexpr size_t DialogStateLine(int32_t n) {
    return 13 + size_t(n - CTL_MAIN_TAB);
}

// Runs the filter with its dialog while drive() works on a driver thread; drive() starts once
// the dialog is visible with its OK button. A dialog left open is cancelled.
int16_t RunEffectDialog(HostSession& session, const std::function<void(Driver&)>& drive);

// The same size and samples.
inline bool SameImage(const HostImage& a, const HostImage& b) {
    return a.width == b.width && a.height == b.height && a.samples == b.samples;
}

// Runs the filter without its dialog, replaying the given control values 0..309 (all of
// them: the settings the dialog would give) and the given further items.
int16_t RunWithoutDialog(HostSession& session, const int32_t (&values)[kSettingsControlCount],
                         const Descriptor& further = {});

// The window of the dialog's thread that has the keyboard focus.
HWND FocusedWindow(HWND dialog);
// A key pressed and released in the focused window, as the dialog's message loop sees it.
void PressKey(HWND dialog, WPARAM key);
// Shows the dialog maximised or restored and waits until it was laid out and painted.
void ShowDialogAs(Driver& driver, int showCommand);
// A picture of the display kept under GREYLOOM_BIN_DIR/screenshots/name.png, taken once the
// dialog has done its work (its thumbnails included) and painted; a dialog that does not come
// to rest within kDialogSettleMs is a failed check.
std::string ShootDialog(Driver& driver, const std::string& name);

// Waits until the dialog has done everything it was given: its renders, timers, paints and
// the input sent to it so far (the plug-in's own answer to WM_DIALOG_IDLE_QUERY, twice in a
// row). False when it is still busy after timeoutMs or has gone.
bool WaitForDialogIdle(Driver& driver, int timeoutMs = 60000);

// How long a step of a user's may take to be handled: the input, the render of the preview
// after it and a first start's thumbnails of a large image, on a loaded machine.
constexpr int kDialogSettleMs = 90000;
// Each step of a test waits until the dialog has handled the one before: input that arrives
// while the dialog is at work (an event, a render) is dropped, as the framework drops a user's.
// A dialog still busy after kDialogSettleMs is a failed check.
void SettleDialog(Driver& driver);
// A key pressed and released by real input, then settled.
void TapKey(Driver& driver, WORD key);
// A click by real input: the pointer moved there, pressed and released, each step settled.
void ClickSettled(Driver& driver, POINT screen);
// A drag by real input with the left button, moved in `steps` settled steps.
void DragSettled(Driver& driver, POINT from, POINT to, int steps);

// Switches the running dialog to Advanced Mode (a first start opens in Easy Mode) and gives it
// the foreground for real input.
void EnterAdvancedMode(Driver& driver);
// Advanced Mode once the dialog's start is done, settled (the preview tools are offered there).
void EnterAdvancedModeAtRest(Driver& driver);
// Clicks OK until the dialog goes: a click that arrives while the dialog still handles an
// event (a render, a tool's drag) is dropped by the framework, and a user clicks again.
void ClickOkUntilClosed(Driver& driver);

// The popup menu on show (a menu's own loop runs on the dialog's thread); null when none is.
HWND ShownPopupMenu();
// Clicks button control n until its popup menu shows, and returns the menu's window (null
// when it never showed): a click that comes while the dialog handles an event is dropped, as
// it is for a user, who clicks again.
HWND ClickUntilMenuShows(Driver& driver, int32_t n, int waitMs);

// The part of a tab control's client area that shows items: left of its own scroll arrows
// when the strip scrolls.
RECT TabStripShowingItems(HWND tab);
// The screen point at the middle of a tab control's item, for a real click.
POINT TabItemPoint(HWND tab, int item);

// A combo box's item chosen as by the user: posted, so that the choice waits in the queue while
// the dialog works (a message sent from another thread would arrive in the middle of its work).
void PostComboChoice(Driver& driver, int32_t n, int item);
// The screen point on a slider's channel near its right end, right of a thumb that stands in
// the middle: a click there moves one page to the right.
POINT SliderPagePoint(HWND slider);

// Real clicks: the combo dropped open, then its item clicked in the open list; again, up to a
// few times, when the clicks were dropped (the dialog was at work) and the item is not chosen.
void ChooseComboItemByClicks(Driver& driver, HWND combo, int item);

// Leaves the settings files of a dialog closed at a size of its own with the presets as a
// plain list, so that the next dialog takes input at once instead of rendering 689 thumbnails
// first.
void RememberQuickDialog();
