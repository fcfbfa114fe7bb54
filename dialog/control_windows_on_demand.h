// Control windows made on demand: a control built while the dialog is still hidden and not seen
// then gets its windows when it is first shown or when something needs them, in creation order.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "dialog/control_record.h"

// Most of the effect's controls lie on sheets the user may never open, and each window costs
// the system a pass over the dialog's many siblings. While such a control waits, its record and
// the text store keep everything its windows would show (text, items, label, range, value,
// state, colours, font, image, tooltip, place); the windows take all of it when made.
struct ControlWindowsOnDemand {
    bool waiting[kControlCount];  // control n has no windows yet; set by NoteControlWindowsWaiting,
                                  // cleared by MakeWaitingControlWindows and ForgetWaiting...
    uint32_t
        madeOrder[kControlCount];  // creation order of control n, 1 up; set by NoteControlCreated
    uint32_t lastOrder;            // the last order handed out
};
extern ControlWindowsOnDemand gWindowsOnDemand;
void ControlWindowsOnDemandReset();

// Called by CreateControl for every control it creates, before its windows are made.
void NoteControlCreated(int32_t n);
// Whether control n, being created while the dialog is built hidden, may leave its windows
// unmade: a class marked CLASSTRAIT_MADE_WHEN_SEEN, no skin on, not OK or Cancel (the dialog
// gives OK the focus before it is shown).
bool ControlWindowsMayWait(int32_t n);
void NoteControlWindowsWaiting(int32_t n);
bool ControlWindowsWaiting(int32_t n);

// Makes the windows of a waiting control, hidden, in their place in the tab and z-order after
// the windows of the control created before it, with everything the record keeps; true when
// control n has its windows now (made before or here).
bool MakeWaitingControlWindows(int32_t n);
// The control window of control n, made first if it waits; null for no window.
HWND ControlWindowNow(int32_t n);
// Makes the windows of every waiting control (a skin measures and replaces them all).
void MakeAllWaitingControlWindows();
// A deleted control, or a dialog that ends, leaves nothing waiting.
void ForgetWaitingControlWindows(int32_t n);
void ForgetAllWaitingControlWindows();

// Place of a waiting control, pixels in the client area: where its windows will go.
RECT WaitingControlPlace(int32_t n);
