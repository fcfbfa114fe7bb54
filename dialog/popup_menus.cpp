// Popup menus and the toolbar menu bar.

#include "dialog/popup_menus.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/skin_engine.h"
#include "dialog/text_expansion.h"
#include "dialog/windows_version.h"
#include "host/effect_context.h"

HHOOK gToolbarMenuHook = nullptr;

namespace {

// The toolbar whose menu hook is installed; written by SetToolbarMenuHook only.
int32_t gMenuBar = -1;

int32_t ToolbarButtonCount(const ControlRecord& record) {
    if (IsSkinActive() && IsControlSkinned(gMenuBar)) {
        const std::string whole = ControlWholeText(record);
        int32_t lines = 0;
        ForEachTextLine(whole.c_str(), [&](const char*, int32_t) { ++lines; });
        return whole.empty() ? 0 : lines;
    }
    return int32_t(SendMessageA(record.window, TB_BUTTONCOUNT, 0, 0));
}

// The button under the screen point, -1 for none.
int32_t ToolbarButtonAt(const ControlRecord& record, POINT screen) {
    POINT client = screen;
    ScreenToClient(record.window, &client);
    RECT area;
    GetClientRect(record.window, &area);
    if (!PtInRect(&area, client)) return -1;
    const LRESULT hit = SendMessageA(record.window, TB_HITTEST, 0, LPARAM(&client));
    return hit >= 0 ? int32_t(hit) : -1;
}

void OnMenuMouseMove() {
    ControlRecord* record = UsedControlRecord(gMenuBar);
    if (!record || !record->window) return;
    POINT cursor;
    if (!GetCursorPos(&cursor)) return;
    const int32_t button = ToolbarButtonAt(*record, cursor);
    if (button < 0 || button >= ToolbarButtonCount(*record) || button == record->value) return;
    EndMenu();
    SendMessageA(record->window, TB_PRESSBUTTON, WPARAM(record->value), FALSE);
    record->toolbarHotItem = button;
    SendMessageA(record->window, TB_SETHOTITEM, WPARAM(button), 0);
}

}  // namespace

bool IsMenuSeparatorText(const char* text) {
    return text && strcmp(text, "---") == 0;
}

POINT PopupMenuPosition(POINT origin, int32_t x, int32_t y, int32_t windowsVersion,
                        int32_t (*pixelsX)(int32_t), int32_t (*pixelsY)(int32_t)) {
    // From Vista on the menu's shadow and frame sit further out: the items would cover the
    // control the menu belongs to.
    if (windowsVersion >= WINVER_VISTA) {
        x += 3;
        y += 2;
    }
    return {origin.x + pixelsX(x), origin.y + pixelsY(y)};
}

int32_t AddMenuItem(HMENU menu, int32_t id, const char* text, uint32_t state, int32_t radio,
                    HMENU submenu) {
    if (id < 1 || !menu) return 0;
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
    item.wID = UINT(id);
    item.fState = state;
    std::string label;
    if (IsMenuSeparatorText(text)) {
        item.fType = MFT_SEPARATOR;
    } else {
        label = ExpandText(text ? text : "");
        item.fMask |= MIIM_STRING;
        item.fType = radio ? MFT_RADIOCHECK : MFT_STRING;
        item.dwTypeData = &label[0];
    }
    if (submenu) {
        item.fMask |= MIIM_SUBMENU;
        item.hSubMenu = submenu;
    }
    InsertMenuItemA(menu, UINT(id - 1), TRUE, &item);
    return 1;
}

int32_t AddPopupMenuItem(HMENU menu, int32_t id, const char* text, uint32_t state, HMENU submenu) {
    return AddMenuItem(menu, id, text, state, 0, submenu);
}

int32_t ShowPopupMenu(HMENU menu, int32_t atCursor, int32_t x, int32_t y, uint32_t flags) {
    if (!menu || !gDialog) return 0;
    POINT at = {0, 0};
    if (atCursor == 1) {
        GetCursorPos(&at);
    } else {
        // Dialog units count from the client area when the dialog has a caption (and so a
        // frame), else from the window's corner.
        RECT window;
        GetWindowRect(gDialog, &window);
        POINT origin = {window.left, window.top};
        if (GetWindowLongPtrA(gDialog, GWL_STYLE) & WS_CAPTION) {
            origin = {0, 0};
            ClientToScreen(gDialog, &origin);
        }
        at = PopupMenuPosition(origin, x, y, GetWindowsVersion(), DialogUnitsToPixelsX,
                               DialogUnitsToPixelsY);
    }
    const UINT track = flags ? UINT(flags) | TPM_RETURNCMD : TPM_RETURNCMD | TPM_RIGHTBUTTON;
    return int32_t(TrackPopupMenu(menu, track, at.x, at.y, 0, gDialog, nullptr));
}

void DestroyPopupMenu(HMENU menu) {
    if (menu) DestroyMenu(menu);
}

HHOOK SetToolbarMenuHook(int32_t n) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_TOOLBAR || !record->window) return nullptr;
    gMenuBar = n;
    record->toolbarHotItem = -1;
    // The effect removes the hook itself after each menu: a handle kept from before is stale.
    if (gToolbarMenuHook) UnhookWindowsHookEx(gToolbarMenuHook);
    gToolbarMenuHook =
        SetWindowsHookExA(WH_MSGFILTER, ToolbarMenuHookProc, nullptr, GetCurrentThreadId());
    return gToolbarMenuHook;
}

LRESULT CALLBACK ToolbarMenuHookProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_MENU && message && message->message == WM_MOUSEMOVE) OnMenuMouseMove();
    return CallNextHookEx(gToolbarMenuHook, code, wParam, lParam);
}

int32_t PressToolbarHotItem(int32_t n) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_TOOLBAR) return 0;
    if (record->window) SendMessageA(record->window, TB_PRESSBUTTON, WPARAM(record->value), FALSE);
    const int32_t hot = record->toolbarHotItem;
    if (hot < 0) return 1;
    record->toolbarHotItem = -1;
    if (ControlRecordAt(gMenuBar)) StoreControlValue(gMenuBar, hot);
    FireControlEvent(n, EVENT_CONTEXT_MENU, hot);
    return 1;
}
