// Popup menus that the effect builds and shows, and the toolbar used as a menu bar: while one
// of its menus is open, moving the mouse onto another button switches to that button's menu.
#pragma once

#include <windows.h>

#include <cstdint>

// Inserts item id before position id - 1; "---" (exactly) makes a separator. 0 for an id
// below 1 or a missing menu, else 1.
int32_t AddMenuItem(HMENU menu, int32_t id, const char* text, uint32_t state, int32_t radio,
                    HMENU submenu);
int32_t AddPopupMenuItem(HMENU menu, int32_t id, const char* text, uint32_t state, HMENU submenu);
// atCursor 1: at the cursor; else at (x, y) dialog units of the dialog. The chosen command
// id, 0 for none.
int32_t ShowPopupMenu(HMENU menu, int32_t atCursor, int32_t x, int32_t y, uint32_t flags);
void DestroyPopupMenu(HMENU menu);

// Whether a menu text makes a separator.
bool IsMenuSeparatorText(const char* text);
// Screen position of a menu opened at dialog units (x, y): the units moved by 3 and 2 on
// Windows versions from Vista on, converted by pixelsX/pixelsY, from origin.
POINT PopupMenuPosition(POINT origin, int32_t x, int32_t y, int32_t windowsVersion,
                        int32_t (*pixelsX)(int32_t), int32_t (*pixelsY)(int32_t));

// The message-filter hook of the menu bar; null while none is installed.
extern HHOOK gToolbarMenuHook;
// Makes toolbar n the current menu bar and installs the hook for the dialog's thread; the
// hook, or null when n is no toolbar in use.
HHOOK SetToolbarMenuHook(int32_t n);
LRESULT CALLBACK ToolbarMenuHookProc(int code, WPARAM wParam, LPARAM lParam);
// After the menu of toolbar n closed: releases the button and, when the mouse moved onto
// another button meanwhile, makes that one the value and fires EVENT_CONTEXT_MENU for n.
int32_t PressToolbarHotItem(int32_t n);
