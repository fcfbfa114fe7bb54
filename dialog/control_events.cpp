// Control events and actions: the one delivery path from the dialog to the effect's hook 1,
// the action codes run after an event, the effect's dialog timers and the message pump for
// long operations.

#include <windows.h>

#include "dialog/about_box.h"
#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/preview_window.h"
#include "dialog/skin_engine.h"
#include "host/effect_context.h"
#include "host/plugin_data.h"
#include "host/preview_timing.h"

namespace {

// Hands an event to hook 1 past the re-entry counter (the re-layout action's own events).
void DeliverDirect(int32_t control, int32_t event, int32_t argument, int32_t message) {
    DispatchControlEvent({control, event, argument, message, 0, GetControlClass(control)});
}

}  // namespace

int32_t TriggerControlEvent(int32_t control, int32_t event, int32_t argument, int32_t message,
                            int32_t extra, int32_t runAction, int32_t result, int32_t force) {
    if (control < 0 || control >= kControlCount) return 0;
    if (gFilterDialog.endHolds > 0 && event == EVENT_CLICKED &&
        (control == CTL_OK || control == CTL_CANCEL)) {
        if (!gFilterDialog.heldEnd) {
            gFilterDialog.heldEnd = control == CTL_OK ? IDOK : IDCANCEL;
            gFilterDialog.heldEndClicked = true;
        }
        return 0;
    }
    if (gFilterDialog.deliveryDepth > 0 && !force) return 0;
    ++gFilterDialog.deliveryDepth;
    const int32_t controlClass = GetControlClass(control);
    if (IsSkinActive() && ControlClassOf(controlClass).skin.hotLook &&
        (event == EVENT_MOUSE_ENTER || event == EVENT_MOUSE_LEAVE))
        PaintSkinnedControl(control, event == EVENT_MOUSE_ENTER ? 3 : 0);
    const int32_t handled =
        DispatchControlEvent({control, event, argument, message, extra, controlClass});
    int32_t answer = result;
    if (handled != 0) {
        answer = 1;
    } else if (runAction) {
        const ControlRecord* record = ControlRecordAt(control);
        if (record) RunControlAction(record->action);
    }
    --gFilterDialog.deliveryDepth;
    return answer;
}

int32_t RunControlAction(int32_t action) {
    switch (action) {
        case RUN_ACTION_CANCEL:
            gFilterDialog.cancelByAction = true;
            if (gDialog) SendMessageA(gDialog, WM_COMMAND, IDCANCEL, 0);
            break;
        case RUN_ACTION_OK:
            gFilterDialog.okByAction = true;
            if (gDialog) SendMessageA(gDialog, WM_COMMAND, IDOK, 0);
            break;
        case RUN_ACTION_PREVIEW:
            if (!gFilterDialog.previewDrag && GetResult() == 0 && gDialog) {
                PreviewTimingMark(PREVIEW_MOMENT_ACTION_RUN);
                RenderAndShowPreview(gDialog);
            }
            break;
        case RUN_ACTION_ABOUT:
            ShowAboutBox(ABOUT_PICTURE_STRETCHED);
            break;
        case RUN_ACTION_RELAYOUT:
            DeliverDirect(0, EVENT_DIALOG_SIZE, 0, 5);
            RefreshImageGeometry();
            DeliverDirect(0, EVENT_DIALOG_SIZED, 0, WM_EXIT_SIZE_MOVE);
            break;
    }
    return 1;
}

void ScheduleControlAction(int32_t n, uint32_t generation, UINT_PTR timer, UINT delayMs) {
    if (generation != ControlGeneration(n)) return;
    gFilterDialog.wheelControl = n;
    gFilterDialog.wheelGeneration = generation;
    if (gDialog) {
        KillTimer(gDialog, TIMER_WHEEL);
        KillTimer(gDialog, TIMER_ACTION_SOON);
        MarkTimerArmed(timer, false);
        if (SetTimer(gDialog, timer, delayMs, nullptr)) {
            MarkTimerArmed(timer, true);
            PreviewTimingMark(PREVIEW_MOMENT_ACTION_ARMED);
            return;
        }
    }
    RunScheduledAction();
}

void RunScheduledAction() {
    const int32_t n = gFilterDialog.wheelControl;
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || gFilterDialog.wheelGeneration != ControlGeneration(n)) return;
    RunControlAction(record->action);
}

int32_t PumpDialogMessages() {
    // Without the dialog nothing of ours waits for its messages, and the host's are the host's
    // to dispatch: a run without the dialog must not call back into the host's windows.
    if (!gDialog) return 1;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The dialog's own loop must still see it.
            PostQuitMessage(int(message.wParam));
            break;
        }
        const bool closing = message.message == WM_CLOSE && message.hwnd == gDialog;
        // Keys reach the effect as in the dialog's own loop (dropped while an event runs).
        if (HandleDialogKey(message)) continue;
        if (!gDialog || !IsDialogMessageA(gDialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (closing) break;
    }
    return 1;
}

int32_t PumpDialogEvents() {
    const int32_t depth = gFilterDialog.deliveryDepth;
    gFilterDialog.deliveryDepth = 0;
    PumpDialogMessages();
    gFilterDialog.deliveryDepth = depth;
    return 1;
}

int32_t SetPreviewMouseMode(int32_t mode) {
    gFilterDialog.previewMouseMode = mode;
    return 1;
}

int32_t SetDialogTimer(int32_t timer, int32_t periodMs, int32_t on) {
    if (timer < 0 || timer >= kEffectTimerCount) return 0;
    const UINT_PTR id = TIMER_EFFECT_FIRST + UINT_PTR(timer);
    if (!gDialog) return 0;
    KillTimer(gDialog, id);
    MarkTimerArmed(id, false);
    if (on != 1) return 0;
    if (!SetTimer(gDialog, id, UINT(periodMs < 0 ? 0 : periodMs), nullptr)) return 0;
    // The effect's timers are one-shot in use: each handler stops its own timer.
    MarkTimerArmed(id, true);
    return int32_t(id);
}
