// Mouse, keyboard, focus and cursor of the filter dialog.
#pragma once

#include <windows.h>

#include <cstdint>

// The control whose window has the focus, -1 when none.
int32_t GetFocusedControl();
// Gives the focus to control n's window (n in use, or 395); nonzero on success.
int32_t SetControlFocus(int32_t n);

// The asynchronous state of a virtual key; the mouse buttons follow a swapped-buttons setting.
int32_t ReadKeyState(int32_t key);
// True when the key is held by the asynchronous state or by the state of the input this
// thread has read.
bool IsKeyHeld(int32_t key);
// ReadKeyState while the dialog is the foreground window, else 0: a key held in another
// program is none of the dialog's business.
int32_t ReadForegroundKeyState(int32_t key);
// ReadKeyState, but 0 while a list or combo box has the focus and Alt is held: Alt with the
// arrows opens and closes their lists there.
int32_t IsDialogKeyDown(int32_t key);

// The dialog cursor: ids below 32512 are the plug-in's own cursor resources, ids below 32700
// system cursors, larger values a cursor handle handed over to the dialog. 0 when the cursor
// cannot be loaded.
int32_t SetDialogCursor(intptr_t id);
intptr_t GetDialogCursor();
// SetDialogCursor while the dialog is the foreground window; 0 otherwise.
int32_t SetCursorIfForeground(intptr_t id);
// The cursor set by SetDialogCursor (null before).
HCURSOR DialogCursorHandle();
