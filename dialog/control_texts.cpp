// Control texts and deletion.

#include "dialog/control_texts.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <string>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/skin_engine.h"
#include "dialog/text_expansion.h"
#include "host/text_format.h"

namespace {

// The columns a multi-column list fills: each holds as many items as its height shows, one in
// a page selector's strip, all of them in a short list of pages stacked in a narrow box.
int32_t ValueListColumns(int32_t itemCount, int32_t clientHeightPx, int32_t itemHeightPx) {
    if (itemCount <= 0) return 0;
    const int32_t rows = itemHeightPx > 0 ? std::max(1, clientHeightPx / itemHeightPx) : 1;
    return (itemCount + rows - 1) / rows;
}

void FillList(HWND window, UINT reset, UINT add, const std::string& text, bool skipEmptyText) {
    SendMessageA(window, reset, 0, 0);
    if (skipEmptyText && text.empty()) return;
    ForEachTextLine(text.c_str(), [&](const char* line, int32_t length) {
        std::string item(line, size_t(length));
        SendMessageA(window, add, 0, LPARAM(item.c_str()));
    });
}

void FillTabs(HWND window, const std::string& text) {
    TabCtrl_DeleteAllItems(window);
    int index = 0;
    ForEachTextLine(text.c_str(), [&](const char* line, int32_t length) {
        std::string sheet(line, size_t(length));
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.iImage = -1;
        item.pszText = &sheet[0];
        SendMessageA(window, TCM_INSERTITEMA, WPARAM(index++), LPARAM(&item));
    });
}

void FillListView(HWND window, const std::string& text) {
    ListView_DeleteAllItems(window);
    SendMessageA(window, LVM_REMOVEALLGROUPS, 0, 0);
    int index = 0;
    ForEachTextLine(text.c_str(), [&](const char* line, int32_t length) {
        std::string label(line, size_t(length));
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = index++;
        item.pszText = &label[0];
        SendMessageA(window, LVM_INSERTITEMA, 0, LPARAM(&item));
    });
}

void FillToolbar(HWND window, const std::string& text) {
    while (SendMessageA(window, TB_BUTTONCOUNT, 0, 0) > 0)
        SendMessageA(window, TB_DELETEBUTTON, 0, 0);
    int index = 0;
    ForEachTextLine(text.c_str(), [&](const char* line, int32_t length) {
        std::string caption(line, size_t(length));
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = index++;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE;
        button.iString = INT_PTR(caption.c_str());
        SendMessageA(window, TB_ADDBUTTONSA, 1, LPARAM(&button));
    });
}

}  // namespace

// --- Texts in the windows of the classes --------------------------------------------------------

int32_t ShowSliderText(int32_t n, ControlRecord& record, const std::string& expanded) {
    if (!record.labelWindow) return 0;
    MeasureControlLabel(n, expanded.c_str());
    SetWindowTextA(record.labelWindow, expanded.c_str());
    PlaceControlLabel(n);
    if (!IsRedrawSuspended()) RedrawDialogUnder(record.labelWindow);
    return 1;
}

// Whether the window already shows exactly this text.
static bool WindowShowsText(HWND window, const std::string& text) {
    const int length = GetWindowTextLengthA(window);
    if (length != int(text.size())) return false;
    std::string shown(size_t(length) + 1, '\0');
    GetWindowTextA(window, &shown[0], length + 1);
    shown.resize(size_t(length));
    return shown == text;
}

int32_t ShowCaptionText(int32_t, ControlRecord& record, const std::string& expanded) {
    if (!record.window) return 0;
    // Readouts are set again at every render with what they already show: redrawing the
    // dialog under them each time costs the render milliseconds for nothing.
    if (WindowShowsText(record.window, expanded)) return 1;
    SetWindowTextA(record.window, expanded.c_str());
    RedrawDialogUnder(record.window);
    return 1;
}

int32_t ShowListText(int32_t n, ControlRecord& record, const std::string& expanded) {
    if (record.window) FillList(record.window, LB_RESETCONTENT, LB_ADDSTRING, expanded, false);
    if (record.window && record.controlClass == CONTROL_VALUELIST) {
        // The columns share the list's inside: a column that ends beyond it would be scrolled
        // into view when chosen and push the first one out. The size is the control's, not its
        // window's: while the dialog is built hidden, the window's move to its place waits.
        RECT frame = {}, client = {};
        GetWindowRect(record.window, &frame);
        GetClientRect(record.window, &client);
        const int32_t insideWidth =
            DialogUnitsToPixelsX(record.width) - ((frame.right - frame.left) - client.right);
        const int32_t insideHeight =
            DialogUnitsToPixelsY(record.height) - ((frame.bottom - frame.top) - client.bottom);
        const int32_t columns =
            ValueListColumns(int32_t(SendMessageA(record.window, LB_GETCOUNT, 0, 0)), insideHeight,
                             int32_t(SendMessageA(record.window, LB_GETITEMHEIGHT, 0, 0)));
        if (columns > 0) {
            const int32_t width = std::max(1, insideWidth / columns);
            SendMessageA(record.window, LB_SETCOLUMNWIDTH, WPARAM(width), 0);
            SendMessageA(record.window, LB_SETHORIZONTALEXTENT, WPARAM(width * columns), 0);
        }
    }
    SetControlValue(n, record.value);
    return 0;
}

int32_t ShowComboText(int32_t n, ControlRecord& record, const std::string& expanded) {
    if (record.window) {
        FillList(record.window, CB_RESETCONTENT, CB_ADDSTRING, expanded, true);
        FitComboDroppedList(record.window);
    }
    SetControlValue(n, record.value);
    return 0;
}

int32_t ShowEditText(int32_t, ControlRecord& record, const std::string& expanded) {
    if (!record.window) return 0;
    SetWindowTextA(record.window, expanded.c_str());
    UpdateWindow(record.window);
    return 1;
}

int32_t ShowTabText(int32_t, ControlRecord& record, const std::string& expanded) {
    if (record.window) FillTabs(record.window, expanded);
    return 0;
}

int32_t ShowListViewText(int32_t, ControlRecord& record, const std::string& expanded) {
    if (record.window) FillListView(record.window, expanded);
    return 0;
}

int32_t ShowToolbarText(int32_t, ControlRecord& record, const std::string& expanded) {
    if (record.window && !expanded.empty()) FillToolbar(record.window, expanded);
    return 0;
}

int32_t ShowWindowText(int32_t, ControlRecord& record, const std::string& expanded) {
    return record.window ? SetWindowTextA(record.window, expanded.c_str()) : 0;
}

// --- Texts ---------------------------------------------------------------------------------------

int32_t SetControlText(int32_t n, const char* text) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    const std::string whole = text ? text : "";
    ControlTextStoreSet(n, whole, whole.c_str());
    const ControlClassInfo& info = ControlClassOf(record->controlClass);
    if (info.skin.paintsText && IsSkinActive() && IsControlSkinned(n)) {
        if (GetEffectiveControlState(n)) PaintSkinnedControl(n, 0);
        return 1;
    }
    // An item list is expanded item by item: whole, it could pass the expansion's buffer.
    const bool items = (info.traits & CLASSTRAIT_ITEMS) != 0;
    return info.showText(n, *record, items ? ExpandTextLines(whole) : ExpandText(whole.c_str()));
}

int32_t SetControlTextFormat(int32_t n, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    return SetControlText(n, text);
}

int32_t DeleteControl(int32_t n) {
    ControlRecord* record = ControlRecordAt(n);
    if (!record) return 0;
    switch (n) {
        case CTL_PROGRESS:
        case CTL_PREVIEW_FRAME:
        case CTL_ZOOM_TEXT: {
            // Template items: destroyed with the record kept, so the number stays reserved.
            const int items[3][3] = {{ITEM_PROGRESS, 0, 0},
                                     {ITEM_PREVIEW_FRAME, 0, 0},
                                     {ITEM_ZOOM_TEXT, ITEM_ZOOM_IN, ITEM_ZOOM_OUT}};
            const int row = n == CTL_PROGRESS ? 0 : n == CTL_PREVIEW_FRAME ? 1 : 2;
            for (int item : items[row])
                if (item && gDialog) DestroyDialogChild(GetDlgItem(gDialog, item));
            record->window = nullptr;
            record->state = 0;
            return 1;
        }
    }
    if (!record->inUse) return 1;
    NextControlGeneration(n);
    ForgetPendingPlace(n);
    ForgetWaitingControlWindows(n);
    if (record->toolTip[0]) SetControlToolTip(n, nullptr, 0);
    if (record->imageName[0]) SetControlImage(n, nullptr, 0);
    ReleaseControlImageObjects(*record);
    DestroyDialogChild(record->window);
    DestroyDialogChild(record->editWindow);
    DestroyDialogChild(record->labelWindow);
    record->window = record->editWindow = record->labelWindow = nullptr;
    record->inUse = 0;
    return 1;
}
