// The host check list (CheckListBox1): an owner-drawn list box whose items carry the check
// marks of gHosts. A click on an item's box or the space bar toggles its mark.
#pragma once

#include <windows.h>

#include <cstdint>

// Posted to the list's parent when the Delete key is pressed in the list.
#define WM_APP_DELETE_KEY (WM_APP + 1)

// Creates the list box as a child of parent.
HWND CheckListCreate(HWND parent, int id, int left, int top, int width, int height, HFONT font);

// Draws one item from gHosts; the parent forwards its WM_DRAWITEM here.
void CheckListDrawItem(const DRAWITEMSTRUCT* item);

// Forwards the Delete key of a control to its parent as WM_APP_DELETE_KEY.
void CheckListForwardDeleteKey(HWND control);
