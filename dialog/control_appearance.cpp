// Control attributes: tooltips, colours, defaults, properties, steps, places of value boxes
// and labels, action codes and the windows' visible and enabled state.

#include "dialog/control_appearance.h"

#include <commctrl.h>

#include <cstring>

#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/skin_engine.h"
#include "dialog/text_expansion.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "host/parameter_block.h"
#include "host/start_timing.h"
#include "host/text_format.h"

ControlAppearanceState gAppearance = {500, 0, 0, 0, {}};

namespace {

constexpr uint32_t kToolFlagsKept = 0x1A6;
constexpr int kMaxTabNesting = kControlCount;

bool HasValueBox(int32_t controlClass) {
    return ControlClassHas(controlClass, CLASSTRAIT_VALUE_BOX);
}

CompanionGeometry GeometryOf(const ControlRecord& record, int32_t x, int32_t y, int32_t width,
                             int32_t height) {
    return {x,
            y,
            width,
            height,
            IsVerticalSlider(record.controlClass, record.style),
            record.controlClass};
}

// Sends one tooltip message for each window of the control that carries the tip.
LRESULT SendToolMessage(int32_t n, const ControlRecord& record, UINT message, uint32_t flags,
                        const char* text) {
    HWND tip = gFilterDialog.toolTip;
    if (!tip || !gDialog) return 1;
    LRESULT answer = 1;
    HWND windows[3] = {record.window, nullptr, record.labelWindow};
    if (HasValueBox(record.controlClass)) windows[1] = record.editWindow;
    for (HWND window : windows) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = gDialog;
        tool.uFlags = flags | TTF_IDISHWND;
        tool.lpszText = const_cast<char*>(text);
        if (n == CTL_PREVIEW && window == record.window) {
            // The preview is no window of its own: a tool by number over its rectangle.
            HWND item = GetDlgItem(gDialog, ITEM_PREVIEW);
            if (!item) continue;
            tool.uFlags = flags & ~uint32_t(TTF_IDISHWND);
            tool.uId = CTL_PREVIEW;
            GetWindowRect(item, &tool.rect);
            MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&tool.rect), 2);
        } else {
            if (!window) continue;
            tool.uId = reinterpret_cast<UINT_PTR>(window);
        }
        answer = SendMessageA(tip, message, 0, LPARAM(&tool));
    }
    return answer;
}

void ReplaceBrush(ControlRecord& record, HBRUSH brush) {
    HBRUSH old = record.backgroundBrush;
    record.backgroundBrush = brush;
    if (old && old != GetStockObject(NULL_BRUSH)) DeleteObject(old);
}

HWND StateWindowOf(int32_t n, const ControlRecord& record) {
    if (!gDialog) return nullptr;
    switch (n) {
        case CTL_PROGRESS:
            return GetDlgItem(gDialog, ITEM_PROGRESS);
        case CTL_PREVIEW_FRAME:
            return GetDlgItem(gDialog, ITEM_PREVIEW_FRAME);
        case CTL_ZOOM_TEXT:
            return GetDlgItem(gDialog, ITEM_ZOOM_TEXT);
    }
    return record.window;
}

// Controls whose windows were made hidden while showing is deferred; read by the final pass.
bool gMadeHidden[kControlCount];

// Only real changes reach the windows: each one costs the system a pass over the siblings.
void ShowAndEnable(HWND window, int32_t state) {
    if (!window) return;
    const bool enabled = (state & CTLSTATE_ENABLED) != 0;
    const bool visible = (state & CTLSTATE_VISIBLE) != 0;
    if ((IsWindowEnabled(window) != FALSE) != enabled) EnableWindow(window, enabled);
    const bool shown = (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown == visible) return;
    ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

int32_t ApplyControlStateNested(int32_t n, int depth) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || n == CTL_PREVIEW || depth > kMaxTabNesting) return 0;
    // A control made hidden while showing is deferred takes its state once, when the
    // deferral ends: each change of its windows before that would be undone or redone.
    if (!(gAppearance.showingDeferred && gMadeHidden[n])) {
        const int32_t state = (gAppearance.stateOverride & 1) ? record->state & CTLSTATE_FULL
                                                              : GetEffectiveControlState(n);
        if (state & CTLSTATE_VISIBLE) {
            MakeWaitingControlWindows(n);
            SettleControlPlace(n);
        }
        ShowAndEnable(StateWindowOf(n, *record), state);
        if (n == CTL_ZOOM_TEXT && gDialog) {
            ShowAndEnable(GetDlgItem(gDialog, ITEM_ZOOM_IN), state);
            ShowAndEnable(GetDlgItem(gDialog, ITEM_ZOOM_OUT), state);
        }
        // The value box of a slider, or the strip of a skinned tab control.
        ShowAndEnable(record->editWindow, state);
        if (ControlClassHas(record->controlClass, CLASSTRAIT_LABEL))
            ShowAndEnable(record->labelWindow, state);
    }
    const bool ownsSheets = ControlClassHas(record->controlClass, CLASSTRAIT_OWNS_SHEETS);
    if (ownsSheets && !(gAppearance.stateOverride & 2)) {
        for (int child = 0; child < kControlCount; ++child) {
            const ControlRecord* placed = UsedControlRecord(child);
            if (placed && child != n && placed->tab == n && placed->sheet == record->value)
                ApplyControlStateNested(child, depth + 1);
        }
    }
    return 0;
}

}  // namespace

void ControlAppearanceReset() {
    gAppearance = {500, 0, 0, 0, {}};
}

// --- Tooltips ---------------------------------------------------------------------------------

int32_t SetControlToolTip(int32_t n, const char* text, uint32_t flags) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    const uint32_t toolFlags = flags & kToolFlagsKept;
    LRESULT answer = 1;
    if (record->toolTip[0]) {
        if (!text || !*text) {
            answer = SendToolMessage(n, *record, TTM_DELTOOLA, toolFlags, nullptr);
        } else {
            answer = SendToolMessage(n, *record, TTM_UPDATETIPTEXTA, toolFlags, ExpandText(text));
        }
    } else if (text && *text) {
        answer =
            SendToolMessage(n, *record, TTM_ADDTOOLA, toolFlags | TTF_SUBCLASS, ExpandText(text));
    } else if (text) {
        return 1;  // an empty text for a control without a tip changes nothing
    }
    CopyText(record->toolTip, sizeof record->toolTip, text ? text : "");
    if (n >= 0 && n < kControlCount) gAppearance.toolFlags[n] = toolFlags;
    return int32_t(answer);
}

void AttachControlToolTip(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->toolTip[0]) return;
    SendToolMessage(n, *record, TTM_ADDTOOLA, gAppearance.toolFlags[n] | TTF_SUBCLASS,
                    ExpandText(record->toolTip));
}

// --- Colours ----------------------------------------------------------------------------------

const char* GetControlImageName(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record && record->imageName[0] ? record->imageName : nullptr;
}

int32_t GetControlTextColor(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record ? int32_t(record->textColor) : -1;
}

int32_t SetControlColor(int32_t n, int32_t color) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    record->backgroundColor = COLORREF(color);
    ReplaceBrush(*record, color == -1 ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                      : CreateSolidBrush(COLORREF(color)));
    if (n == CTL_PREVIEW) {
        if (color != -1) gDialogFrame.previewBackground = COLORREF(color);
        if (gDialog && !gAppearance.redrawSuspended)
            RedrawWindow(gDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 1;
    }
    HWND window = record->window;
    if (!window) return 1;
    if (ControlClassHas(record->controlClass, CLASSTRAIT_TRACKBAR)) {
        // A trackbar takes its background brush anew only when its range is set.
        SendMessageA(window, TBM_SETRANGEMAX, TRUE, SendMessageA(window, TBM_GETRANGEMAX, 0, 0));
    } else if (record->controlClass == CONTROL_LISTVIEW) {
        SendMessageA(window, LVM_SETBKCOLOR, 0, LPARAM(COLORREF(color)));
        SendMessageA(window, LVM_SETTEXTBKCOLOR, 0, LPARAM(COLORREF(color)));
        InvalidateRect(window, nullptr, TRUE);
    } else {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    return 1;
}

int32_t SetControlSysColor(int32_t n, int32_t index) {
    return SetControlColor(n, int32_t(GetSysColor(index)));
}

int32_t GetControlColor(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    if (record->controlClass != CONTROL_TAB) return int32_t(record->backgroundColor);
    if (IsSkinActive() && gParams->skinIndex > 0) return GetSkinPanelColor();
    if (!IsVisualStyleActive()) return int32_t(GetSysColor(COLOR_BTNFACE));
    const bool themed =
        record->themeMode == 1 || (record->themeMode == -1 && gParams->dialogThemed);
    if (!themed) return int32_t(GetSysColor(COLOR_BTNFACE));
    if (GetWindowsVersion() > WINVER_2003) return int32_t(RGB(255, 255, 255));
    COLORREF color = GetSysColor(COLOR_BTNFACE);
    ReadThemeColor(record->window ? record->window : gDialog, L"TAB", 9, 1, 3821, &color);
    return int32_t(color);
}

// --- Values and steps ---------------------------------------------------------------------------

int32_t SetControlDefault(int32_t n, int32_t value) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    record->defaultValue = value;
    return 1;
}

int32_t GetControlDefault(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record ? record->defaultValue : 0;
}

int32_t SetControlProperties(int32_t n, uint32_t bits) {
    ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
    if (!record) return -1;
    const uint32_t old = record->properties;
    record->properties |= bits;
    if (record->controlClass == CONTROL_COMBOBOX && (bits & CTLPROP_EXTENDEDUI) && record->window)
        SendMessageA(record->window, CB_SETEXTENDEDUI, TRUE, 0);
    return int32_t(old);
}

int32_t ClearControlProperties(int32_t n, uint32_t bits) {
    ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
    if (!record) return -1;
    const uint32_t old = record->properties;
    record->properties &= ~bits;
    if (record->controlClass == CONTROL_COMBOBOX && !(record->properties & CTLPROP_EXTENDEDUI) &&
        record->window)
        SendMessageA(record->window, CB_SETEXTENDEDUI, FALSE, 0);
    return int32_t(old);
}

static int32_t SetControlStep(int32_t n, int32_t size, int32_t ControlRecord::*field,
                              UINT trackbarMessage) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    const int32_t old = record->*field;
    const bool inverted = record->min > record->max;
    // A slider steps toward its maximum: negative steps for an inverted range.
    if (HasValueBox(record->controlClass) && ((inverted && size > 0) || (!inverted && size < 0)))
        size = -size;
    record->*field = size;
    const bool trackbar = ControlClassHas(record->controlClass, CLASSTRAIT_TRACKBAR);
    if (trackbar && record->window)
        SendMessageA(record->window, trackbarMessage, 0, size < 0 ? -size : size);
    return old;
}

int32_t SetControlLineSize(int32_t n, int32_t size) {
    return SetControlStep(n, size, &ControlRecord::lineSize, TBM_SETLINESIZE);
}

int32_t SetControlPageSize(int32_t n, int32_t size) {
    return SetControlStep(n, size, &ControlRecord::pageSize, TBM_SETPAGESIZE);
}

// --- Places -------------------------------------------------------------------------------------

int32_t SetControlAltPosition(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    if (x >= 0) record->altX = x;
    if (y >= 0) record->altY = y;
    if (width >= 0) record->altWidth = width;
    if (height >= 0) record->altHeight = height;
    return 1;
}

int32_t GetControlAltPosition(int32_t n, int32_t part) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    switch (part) {
        case 0:
            return record->altX;
        case 1:
            return record->altY;
        case 2:
            return record->altWidth;
        case 3:
            return record->altHeight;
    }
    return -1;
}

int32_t GetControlPixelCoord(int32_t n, int32_t part) {
    const ControlRecord* record = UsedControlRecord(n);
    HWND window = record ? StateWindowOf(n, *record) : nullptr;
    if (n == CTL_PREVIEW && gDialog) window = GetDlgItem(gDialog, ITEM_PREVIEW);
    const bool waiting = !window && ControlWindowsWaiting(n);
    if ((!window && !waiting) || !gDialog) return 0;
    RECT rect;
    // A window whose move waits for the dialog to be shown, or that is not made yet, reports
    // the place it will take.
    if (waiting) {
        rect = WaitingControlPlace(n);
    } else if (!(record && window == record->window && PendingControlPlace(n, &rect))) {
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
    }
    switch (part) {
        case 0:
            return rect.left;
        case 1:
            return rect.top;
        case 2:
            return rect.right - rect.left;
        case 3:
            return rect.bottom - rect.top;
    }
    return 0;
}

bool IsVerticalSlider(int32_t controlClass, uint32_t style) {
    if (ControlClassHas(controlClass, CLASSTRAIT_TRACKBAR)) return (style & TBS_VERT) != 0;
    // Only a scroll bar reads bit 0 as vertical: in a combo box's or list's style it is another
    // flag (every drop-down list has it), and their labels stand left of them.
    if (ControlClassHas(controlClass, CLASSTRAIT_SCROLLBAR)) return (style & SBS_VERT) != 0;
    return false;
}

RECT EditBoxRectFor(const DialogFontMetrics& metrics, const CompanionGeometry& control,
                    int32_t editWidth, int32_t editHeight) {
    const int32_t width = UnitsToPixelsX(metrics, editWidth);
    const int32_t height = UnitsToPixelsY(metrics, editHeight);
    const int32_t left = UnitsToPixelsX(metrics, control.x);
    const int32_t top = UnitsToPixelsY(metrics, control.y);
    const int32_t controlWidth = UnitsToPixelsX(metrics, control.width);
    const int32_t controlHeight = UnitsToPixelsY(metrics, control.height);
    RECT rect;
    if (control.vertical) {
        rect.left = left + (controlWidth - width) / 2;
        rect.top = UnitsToPixelsY(metrics, control.y + control.height + 2);
    } else {
        rect.left = UnitsToPixelsX(metrics, control.x + control.width + 5);
        rect.top = top + (controlHeight - height) / 2;
    }
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

RECT LabelRectFor(const DialogFontMetrics& metrics, const CompanionGeometry& control,
                  int32_t labelWidth, int32_t labelHeight) {
    const int32_t left = UnitsToPixelsX(metrics, control.x);
    const int32_t top = UnitsToPixelsY(metrics, control.y);
    const int32_t controlWidth = UnitsToPixelsX(metrics, control.width);
    const int32_t controlHeight = UnitsToPixelsY(metrics, control.height);
    RECT rect;
    if (control.vertical) {
        rect.left = left + (controlWidth - labelWidth) / 2;
        rect.top = UnitsToPixelsY(metrics, control.y - 10);
    } else {
        rect.left = UnitsToPixelsX(metrics, control.x - 5) - labelWidth;
        if (control.controlClass == CONTROL_COMBOBOX)
            rect.top = top + 4;
        else if (control.controlClass == CONTROL_VALUELIST ||
                 control.controlClass == CONTROL_LISTBOX)
            rect.top = top + (20 - labelHeight) / 2;
        else
            rect.top = top + (controlHeight - labelHeight) / 2;
    }
    rect.right = rect.left + labelWidth;
    rect.bottom = rect.top + labelHeight;
    return rect;
}

int32_t GetEditBoxRect(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height, RECT* out) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record || !out) return 0;
    *out = EditBoxRectFor(CurrentDialogMetrics(), GeometryOf(*record, x, y, width, height),
                          record->editWidth, record->editHeight);
    return 1;
}

int32_t GetLabelRect(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height, RECT* out) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record || !out) return 0;
    *out = LabelRectFor(CurrentDialogMetrics(), GeometryOf(*record, x, y, width, height),
                        record->labelWidth, record->labelHeight);
    return 1;
}

int32_t SetControlEditSize(int32_t n, int32_t width, int32_t height) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || !HasValueBox(record->controlClass)) return 0;
    record->editWidth = width;
    record->editHeight = height;
    PlaceControlCompanions(n);
    return 1;
}

// One memory context for all measuring: a window's context would cost a visible-region
// computation among hundreds of sibling controls every time.
static HDC MeasuringContext() {
    static HDC context = CreateCompatibleDC(nullptr);
    return context;
}

void MeasureControlLabel(int32_t n, const char* expandedText) {
    ControlRecord* record = ControlRecordAt(n);
    if (!record) return;
    record->labelWidth = 60;
    record->labelHeight = 14;
    HDC dc = MeasuringContext();
    if (!dc) return;
    HGDIOBJ old = record->font ? SelectObject(dc, record->font) : nullptr;
    RECT bounds = {0, 0, 0, 0};
    if (DrawTextA(dc, expandedText ? expandedText : "", -1, &bounds, DT_CALCRECT | DT_SINGLELINE) >
        0) {
        record->labelWidth = bounds.right - bounds.left;
        record->labelHeight = bounds.bottom - bounds.top;
    }
    if (old) SelectObject(dc, old);
}

void PlaceChildWindow(HWND window, const RECT& place) {
    if (window)
        SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void RedrawDialogUnder(HWND window) {
    if (!window || !gDialog || !IsWindowVisible(window)) return;
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(gDialog, &rect, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void PlaceControlLabel(int32_t n) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record || !record->labelWindow || DeferCompanionPlacing(n)) return;
    RECT rect;
    GetLabelRect(n, record->x, record->y, record->width, record->height, &rect);
    PlaceChildWindow(record->labelWindow, rect);
}

void PlaceControlCompanions(int32_t n) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record || DeferCompanionPlacing(n)) return;
    if (record->editWindow && !PlaceSkinTabStrip(n)) {
        RECT rect;
        GetEditBoxRect(n, record->x, record->y, record->width, record->height, &rect);
        PlaceChildWindow(record->editWindow, rect);
    }
    PlaceControlLabel(n);
}

// --- Dialog-wide switches ----------------------------------------------------------------------

void SetRedrawSuspended(int32_t flag) {
    gAppearance.redrawSuspended = flag;
}
bool IsRedrawSuspended() {
    return gAppearance.redrawSuspended != 0;
}

int32_t SetKeepEditText(int32_t delayMs) {
    gAppearance.valueBoxDelayMs = delayMs;
    return 1;
}

void SetControlStateOverride(uint32_t bits) {
    gAppearance.stateOverride = bits;
}

int32_t GetControlRange(int32_t n, int32_t which) {
    if (n == CTL_PROGRESS && gDialog) {
        PBRANGE range = {0, 0};
        SendDlgItemMessageA(gDialog, ITEM_PROGRESS, PBM_GETRANGE, 0, LPARAM(&range));
        return which == 0 ? range.iLow : range.iHigh;
    }
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    return which == 0 ? record->min : record->max;
}

int32_t SetControlAction(int32_t n, int32_t action) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    const int32_t old = record->action;
    record->action = action;
    return old;
}

int32_t ApplyControlState(int32_t n) {
    return ApplyControlStateNested(n, 0);
}

void DeferControlShowing(bool on) {
    const bool wasDeferred = gAppearance.showingDeferred != 0;
    gAppearance.showingDeferred = on ? 1 : 0;
    if (on) {
        for (bool& hidden : gMadeHidden) hidden = false;
        for (int32_t n = 0; n < kControlCount; ++n) ForgetPendingPlace(n);
        return;
    }
    if (!wasDeferred) return;
    PlacePendingControls(PENDING_SCOPE_SEEN);
    // Each control is shown by its own state and sheets: no tab needs to walk its children.
    const uint32_t override = gAppearance.stateOverride;
    gAppearance.stateOverride |= 2;
    for (int32_t n = 0; n < kControlCount; ++n) {
        if (!gMadeHidden[n]) continue;
        StartTimingSection timing("show", (GetEffectiveControlState(n) & CTLSTATE_VISIBLE)
                                              ? "control seen"
                                              : "control not seen");
        ApplyControlState(n);
    }
    gAppearance.stateOverride = override;
    for (bool& hidden : gMadeHidden) hidden = false;
}

bool MakeControlHidden(int32_t n) {
    if (!gAppearance.showingDeferred || n < 0 || n >= kControlCount) return false;
    gMadeHidden[n] = true;
    return true;
}

int32_t SetControlState(int n, int32_t state) {
    const int32_t previous = StoreControlState(n, state);
    ApplyControlState(n);
    return previous;
}
