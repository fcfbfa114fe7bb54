// The owner-drawn host check list and the Delete-key forwarding of the main window.
#include "installer/check_list.h"

#include <commctrl.h>

#include <string>

#include "installer/installer_state.h"

namespace {

const int kBoxSize = 13;
const int kBoxMargin = 2;

int32_t ItemAt(HWND list, LPARAM point) {
    LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, point);
    if (HIWORD(hit) != 0) return -1;
    return static_cast<int32_t>(LOWORD(hit));
}

void ToggleItem(int32_t index) {
    if (!HostListsValidIndex(index)) return;
    HostListsSetChecked(index, !gHosts.entries[index].checked);
}

LRESULT CALLBACK CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            int32_t index = ItemAt(list, lParam);
            LRESULT result = DefSubclassProc(list, message, wParam, lParam);
            if (index >= 0 && static_cast<short>(LOWORD(lParam)) < kBoxSize + 2 * kBoxMargin)
                ToggleItem(index);
            return result;
        }
        case WM_CHAR:
            if (wParam == L' ') {
                ToggleItem(static_cast<int32_t>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_DELETE) {
                PostMessageW(GetParent(list), WM_APP_DELETE_KEY, 0, 0);
                return 0;
            }
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

LRESULT CALLBACK DeleteKeyProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
    if (message == WM_KEYDOWN && wParam == VK_DELETE) {
        PostMessageW(GetParent(control), WM_APP_DELETE_KEY, 0, 0);
        return 0;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

HWND CheckListCreate(HWND parent, int id, int left, int top, int width, int height, HFONT font) {
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                                    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                left, top, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, kBoxSize + 2 * kBoxMargin + 1);
    SetWindowSubclass(list, CheckListProc, 1, 0);
    return list;
}

void CheckListDrawItem(const DRAWITEMSTRUCT* item) {
    if (item->itemID == static_cast<UINT>(-1)) return;
    int32_t index = static_cast<int32_t>(item->itemID);
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    HDC dc = item->hDC;
    RECT row = item->rcItem;
    FillRect(dc, &row, GetSysColorBrush(COLOR_WINDOW));
    RECT box = {row.left + kBoxMargin, row.top + (row.bottom - row.top - kBoxSize) / 2,
                row.left + kBoxMargin + kBoxSize, 0};
    box.bottom = box.top + kBoxSize;
    bool checked = HostListsValidIndex(index) && gHosts.entries[index].checked;
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
    RECT textArea = row;
    textArea.left = box.right + kBoxMargin;
    FillRect(dc, &textArea, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    std::wstring text = HostListsValidIndex(index) ? gHosts.entries[index].text : L"";
    textArea.left += 2;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &textArea);
}

void CheckListForwardDeleteKey(HWND control) {
    SetWindowSubclass(control, DeleteKeyProc, 2, 0);
}
