// List-view subclass. The group keys and item operations come later; the subclass passes
// every message on to the list view for now.

#include "dialog/control_items.h"

namespace {
constexpr char kOwnProcProperty[] = "GreyloomListViewProc";
}

LRESULT CALLBACK ListViewControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto own = reinterpret_cast<WNDPROC>(GetPropA(window, kOwnProcProperty));
    if (message == WM_NCDESTROY) RemovePropA(window, kOwnProcProperty);
    return own ? CallWindowProcA(own, window, message, wParam, lParam)
               : DefWindowProcA(window, message, wParam, lParam);
}

void SubclassListView(HWND window) {
    if (!window || GetPropA(window, kOwnProcProperty)) return;
    auto own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListViewControlProc)));
    SetPropA(window, kOwnProcProperty, reinterpret_cast<HANDLE>(own));
}
