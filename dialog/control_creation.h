// Bringing numbered controls into being inside the filter dialog and keeping each value in
// step between the control's windows, its record and controlValues of gContext.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dialog/control_record.h"

// 1 on success; 0 for n outside 0..399 or a window that could not be made (the record then
// stays out of use). Position and size in dialog units; negative values ask for defaults. A
// control already using n is deleted first.
int32_t CreateControl(int32_t n, int32_t controlClass, const char* text, int32_t x, int32_t y,
                      int32_t width, int32_t height, uint32_t style, uint32_t exStyle,
                      uint32_t properties, int32_t state);
// Returns the previous value, -1 for a bad or unused n.
int32_t SetControlValue(int32_t n, int32_t value);
// The gamma response curve of control n.
int32_t GammaMap(int32_t n, int32_t position, int32_t direction);
// The label of a combo box or value list; 0 for any other control.
int32_t SetControlLabel(int32_t n, const char* text);
// Stores the anchor flags (-1 keeps them) and the distances for the current client size.
int32_t SetControlAnchor(int32_t n, int32_t flags);

// Makes the windows of control n, in use or being created, from its record at place (pixels
// in the client area), hidden or shown, in the dialog's font; false when one could not be made
// (then none is left). The class's maker also sets record defaults of a new control.
bool MakeControlWindowsAt(int32_t n, const RECT& place, bool hidden);

// --- Defaults by number and class (dialog units) ---------------------------------------------
SIZE DefaultControlSize(int32_t n, int32_t controlClass, uint32_t style);
POINT DefaultControlPosition(int32_t n);
int32_t DefaultControlAction(int32_t n, int32_t controlClass);
// Anchor distances of a place for a client area of clientWidth x clientHeight.
void AnchorDistances(int32_t flags, int32_t x, int32_t y, int32_t width, int32_t height,
                     int32_t clientWidth, int32_t clientHeight, int32_t* dx, int32_t* dy);

// Changes whenever control n is made or deleted: a delayed action asked for one control
// must not run for whatever takes its number later.
uint32_t ControlGeneration(int32_t n);
void NextControlGeneration(int32_t n);

// --- Window bookkeeping -----------------------------------------------------------------------
// Destroys window only when it is a live child of the dialog: handles kept in the records may
// be stale ones of an earlier dialog.
void DestroyDialogChild(HWND window);
// Releases the memory pictures of an image button.
void ReleaseControlImageObjects(ControlRecord& record);
// Forgets every window handle kept in the records; called when a dialog is built and when it
// ends, so that nothing of one dialog reaches the next.
void ClearControlWindows();
