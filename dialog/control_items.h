// Items of item-bearing controls, list-view extras, popup menus and the toolbar menu bar.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dialog/popup_menus.h"

// The subclass of list views under visual styles; the list view's own procedure is kept in
// the window property "GreyloomListViewProc".
LRESULT CALLBACK ListViewControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Installs ListViewControlProc on a list view window.
void SubclassListView(HWND window);
