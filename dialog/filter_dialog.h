// The filter dialog: a modeless dialog from the "FILTERPARAM" template with its own message
// loop on the host's thread, its dialog procedure, the delivery of control events to the
// effect, the control actions and the dialog's timers.
#pragma once

#include <windows.h>

#include <cstdint>

// Window timers of the dialog.
enum DialogTimer : UINT_PTR {
    TIMER_PREVIEW = 1,         // one-shot: re-render the preview (100 ms)
    TIMER_HOVER = 2,           // hover tracking (20 ms)
    TIMER_EFFECT_FIRST = 3,    // the effect's timers 0..9 are window timers 3..12
    TIMER_WHEEL = 1000,        // one-shot: the wheel control's action after a wheel step
    TIMER_ACTION_SOON = 1001,  // one-shot: the action soon (Shift-wheel, typing, thumb tracking)
};
constexpr int kEffectTimerCount = 10;
constexpr UINT kPreviewTimerMs = 100;
constexpr UINT kHoverTimerMs = 20;
constexpr UINT kWheelDelayMs = 500;
constexpr UINT kShiftWheelDelayMs = 20;
constexpr UINT WM_EXIT_SIZE_MOVE = 562;  // WM_EXITSIZEMOVE, the message field of EVENT_DIALOG_SIZED
// Sent to the dialog by whoever drives it from outside (automation, the window tests): the
// answer is 1 once the dialog has done everything it was given (DialogIdle), else 0.
constexpr UINT WM_DIALOG_IDLE_QUERY = WM_APP + 0x1D1;
// Sent likewise for control wParam's window: the answer is its handle, the windows made first
// if they still wait (control_windows_on_demand), 0 for a control without a window.
constexpr UINT WM_CONTROL_WINDOW_QUERY = WM_APP + 0x1D2;

// How far the start-timing log has followed the dialog's start (NoteDialogStartProgress).
enum StartMoment : int32_t {
    START_LOGGED = 0,   // nothing more to note: no log wanted, or its figures are written
    START_SHOWN = 1,    // shown; windows still wait for their first paint
    START_PAINTED = 2,  // every window painted once; the start's own work may still run
};

enum ControlActionCode : int32_t {
    RUN_ACTION_CANCEL = 1,
    RUN_ACTION_OK = 2,
    RUN_ACTION_PREVIEW = 3,
    RUN_ACTION_ABOUT = 5,
    RUN_ACTION_RELAYOUT = 7,
};

// Dialog-wide state of the dialog procedure. Written by this topic's functions on the host's
// thread; reset when a dialog is built.
struct FilterDialogState {
    int32_t deliveryDepth;     // TriggerControlEvent deliveries under way
    bool cancelByAction;       // action 1 is cancelling: no EVENT_CLICKED for 398 then
    bool okByAction;           // action 2 is ending, or Enter's click on 399 was delivered
    bool previewDrag;          // a pan of the preview is under way
    int32_t hoverControl;      // the control that last got EVENT_MOUSE_ENTER; -1 none
    POINT lastCursor;          // cursor position at the last hover tick (screen)
    int32_t wheelControl;      // the control whose action timers 1000/1001 run; -1 none
    uint32_t wheelGeneration;  // ControlGeneration of wheelControl when its action was asked
    int32_t previewMouseMode;  // SetPreviewMouseMode
    HWND toolTip;              // the dialog's tooltip control
    bool painted;              // the first paint happened
    bool pendingEdit;          // a value box text was changed and not applied yet
    bool writingValueBox;      // the framework itself is writing a value box
    bool sizing;               // the frame is being dragged
    bool sizeChanged;          // the size changed during the drag
    bool maximised;            // the dialog is maximised
    int32_t endCommand;        // IDOK or IDCANCEL once the dialog ends; 0 while it runs
    int32_t endHolds;          // HoldDialogEnd calls not yet released
    int32_t heldEnd;           // IDOK or IDCANCEL that came while held; 0 none
    bool heldEndClicked;       // heldEnd came as a click on its button
    int32_t panButton;         // the button that started the pan under way: 0 left, 1 right
    // What DialogIdle reads. loopWaiting: the dialog's own loop waits in GetMessage (set and
    // cleared around that call); procDepth: dialog-procedure calls under way (nested ones
    // are events, renders or modal loops); armedTimers: one-shot timers that have not fired
    // yet, bit TIMER_PREVIEW and bits TIMER_EFFECT_FIRST + n (SetDialogTimer), bit 0 for the
    // action timers 1000 and 1001 (ScheduleControlAction, OnTimer).
    bool loopWaiting;
    int32_t procDepth;
    uint32_t armedTimers;
    int32_t startMoments;  // StartMoment; set by RunFilterDialog and NoteDialogStartProgress
};
extern FilterDialogState gFilterDialog;
// 0 until the dialog has first been shown, then 1; cleared when OK or Cancel ends it.
extern int32_t gDialogShown;

void FilterDialogReset();

// Creates the dialog, owned by the host's window, runs its message loop until the quit
// message and destroys it; the preview renders through renderProxy. Returns 0 after OK and
// -128 after Cancel.
int32_t RunFilterDialog(int32_t argument = 0, void (*renderProxy)() = nullptr);
// Removes the dialog's message hook (the toolbar's menu hook) if one is still installed.
void RemoveDialogMessageHook();
INT_PTR CALLBACK FilterDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The loop's handling of one key message before the dialog sees it; true when consumed.
bool HandleDialogKey(const MSG& message);

// Delivers one event to the effect's hook 1. See the dialog procedure for the callers.
int32_t TriggerControlEvent(int32_t control, int32_t event, int32_t argument, int32_t message,
                            int32_t extra, int32_t runAction, int32_t result, int32_t force);
int32_t RunControlAction(int32_t action);
int32_t PumpDialogMessages();
// PumpDialogMessages with the controls' events delivered even though an event is under way:
// for long work that has put back everything as the user left it before it lets the dialog
// run, so that the user's input is not lost.
int32_t PumpDialogEvents();
// Work that lends the effect's settings to something else for a while (preset thumbnails)
// holds the dialog's end: OK and Cancel, by button, key or command, wait until the last
// release, which then acts on the first of them. DialogEndWaiting: one of them waits.
void HoldDialogEnd();
void ReleaseDialogEnd();
bool DialogEndWaiting();
// The dialog has done everything it was given: its own loop waits for input with none
// queued, no event, render or modal loop is under way, no one-shot timer is armed, nothing
// waits to be painted and the hover tick has seen the cursor where it stands. Read on the
// dialog's thread (the answer to WM_DIALOG_IDLE_QUERY).
bool DialogIdle();
// Notes the start's moments in the start-timing log: "first paint" once nothing waits to be
// painted, "idle" once the preview has rendered and nothing but the effect's own timers waits
// (the log is written then). Called where the dialog's messages are waited for: its own loop
// and long work that lets the dialog run between its steps (the preset thumbnails).
void NoteDialogStartProgress();
// Keeps armedTimers: called where a one-shot timer of the dialog is set, fires or is killed.
void MarkTimerArmed(UINT_PTR id, bool armed);
int32_t SetPreviewMouseMode(int32_t mode);
int32_t SetDialogTimer(int32_t timer, int32_t periodMs, int32_t on);

// Starts the one-shot action timer (1000 or 1001) for control n, which had the generation
// when the user acted; runs the action at once when the timer cannot be made. Nothing is
// scheduled for a control that was deleted or made again since (by the effect's handler).
void ScheduleControlAction(int32_t n, uint32_t generation, UINT_PTR timer, UINT delayMs);
// Runs the delayed action of the wheel control, unless that control went in the meantime.
void RunScheduledAction();
