// Focus, key state and the dialog cursor.

#include "dialog/dialog_input.h"

#include "dialog/control_record.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_window.h"
#include "host/plugin_data.h"

namespace {

// The dialog cursor. Only a cursor handed over as a handle belongs to the dialog; resource
// and system cursors are shared and never destroyed.
struct DialogCursorState {
    intptr_t id;
    HCURSOR cursor;
    bool owned;
};
DialogCursorState gCursor = {0, nullptr, false};

constexpr intptr_t kFirstSystemCursor = 32512;
constexpr intptr_t kFirstCursorHandle = 32700;

// A list box, a combo box or a part of one (its edit box or its drop-down list).
bool IsListOrComboWindow(HWND window) {
    for (int depth = 0; window && depth < 2; ++depth, window = GetParent(window)) {
        char name[32] = "";
        GetClassNameA(window, name, sizeof name);
        if (!lstrcmpiA(name, "ListBox") || !lstrcmpiA(name, "ComboBox") ||
            !lstrcmpiA(name, "ComboLBox"))
            return true;
    }
    return false;
}

bool DialogInForeground() {
    return gDialog && GetForegroundWindow() == gDialog;
}
}  // namespace

int32_t GetFocusedControl() {
    HWND focus = GetFocus();
    if (!focus) return -1;
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (record && record->window == focus) return n;
    }
    // The edit field of a combo box is a child of the control window.
    HWND parent = GetParent(focus);
    for (int n = 0; parent && parent != gDialog && n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (record && record->window == parent) return n;
    }
    return -1;
}

int32_t SetControlFocus(int32_t n) {
    HWND window = nullptr;
    if (n == CTL_PREVIEW && gDialog)
        window = GetDlgItem(gDialog, ITEM_PREVIEW);
    else
        window = ControlWindowNow(n);
    if (!window) return 0;
    return SetFocus(window) || GetFocus() == window ? 1 : 0;
}

int32_t ReadKeyState(int32_t key) {
    if ((key == VK_LBUTTON || key == VK_RBUTTON) && GetSystemMetrics(SM_SWAPBUTTON))
        key = key == VK_LBUTTON ? VK_RBUTTON : VK_LBUTTON;
    return GetAsyncKeyState(key);
}

bool IsKeyHeld(int32_t key) {
    // The thread's own key state counts too: it follows the input this thread has read, and
    // some systems (Wine among them) leave injected input out of the asynchronous state.
    int32_t threadKey = key;
    if ((key == VK_LBUTTON || key == VK_RBUTTON) && GetSystemMetrics(SM_SWAPBUTTON))
        threadKey = key == VK_LBUTTON ? VK_RBUTTON : VK_LBUTTON;
    return ((ReadKeyState(key) | GetKeyState(threadKey)) & 0x8000) != 0;
}

int32_t ReadForegroundKeyState(int32_t key) {
    return DialogInForeground() ? ReadKeyState(key) : 0;
}

int32_t IsDialogKeyDown(int32_t key) {
    if ((ReadKeyState(VK_MENU) & 0x8000) && IsListOrComboWindow(GetFocus())) return 0;
    return ReadKeyState(key);
}

int32_t SetCursorIfForeground(intptr_t id) {
    return DialogInForeground() ? SetDialogCursor(id) : 0;
}

int32_t SetDialogCursor(intptr_t id) {
    // Without the dialog (a run that lays out its tools all the same) the cursor on the screen
    // is the host's: the choice is only remembered, and nothing is loaded for it.
    const bool shown = gDialog != nullptr;
    HCURSOR cursor = nullptr;
    bool owned = false;
    if (id >= kFirstCursorHandle) {
        cursor = reinterpret_cast<HCURSOR>(id);
        owned = true;
    } else if (shown) {
        cursor = LoadCursorA(id < kFirstSystemCursor ? gModule : nullptr, MAKEINTRESOURCEA(id));
        if (!cursor) return 0;
    }
    // Set the new cursor before the old one goes: destroying the cursor on the screen, or the
    // one that is about to be set again, would leave the dialog pointing at a dead handle.
    if (shown) SetCursor(cursor);
    if (gCursor.owned && gCursor.cursor && gCursor.cursor != cursor) DestroyCursor(gCursor.cursor);
    gCursor = {id, cursor, owned};
    return 1;
}

intptr_t GetDialogCursor() {
    return gCursor.id;
}

HCURSOR DialogCursorHandle() {
    return gCursor.cursor;
}
