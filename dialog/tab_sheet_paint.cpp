// The controls on a tab control's sheets kept painted over the tab's body, which the tab
// paints over everything below it in the window order.

#include "dialog/tab_sheet_paint.h"

#include <windows.h>

#include <commctrl.h>

#include "dialog/control_record.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x54534850;  // "TSHP"

// The controls on a sheet are made after their tab control, so they lie below it, and its
// sibling clipping leaves them under its body: each one the paint covered is drawn again over
// it. Windows above the tab are clipped out of its paint already.
void RedrawWindowsBelow(HWND tab, const RECT& painted) {
    RECT area = painted;
    MapWindowPoints(tab, GetParent(tab), reinterpret_cast<POINT*>(&area), 2);
    for (HWND below = GetWindow(tab, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
        if (!IsWindowVisible(below)) continue;
        RECT place = {}, covered = {};
        GetWindowRect(below, &place);
        MapWindowPoints(nullptr, GetParent(tab), reinterpret_cast<POINT*>(&place), 2);
        if (!IntersectRect(&covered, &place, &area)) continue;
        // The frame too: a client edge lies outside the client area.
        RedrawWindow(below, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

LRESULT CALLBACK TabSheetPaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_PAINT: {
            RECT painted = {};
            const bool any = GetUpdateRect(window, &painted, FALSE) != FALSE;
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (any) RedrawWindowsBelow(window, painted);
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, TabSheetPaintProc, kSubclassId);
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
}  // namespace

int32_t KeepSheetControlsPainted(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return 0;
    return SetWindowSubclass(record->window, TabSheetPaintProc, kSubclassId, 0) ? 1 : 0;
}
