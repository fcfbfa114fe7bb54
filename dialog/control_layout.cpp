// Control ranges, places, tabs and anchoring. The tab-sheet colours and the preview's own
// geometry come later with the skins and the preview.

#include "dialog/control_layout.h"

#include <windows.h>

#include <commctrl.h>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/preview_window.h"

namespace {
bool gLayoutRunning = false;  // ApplyControlAnchors is placing controls
}

void LimitRangeForClass(int32_t controlClass, int32_t* min, int32_t* max) {
    const ControlClassInfo& info = ControlClassOf(controlClass);
    if (*min < info.rangeLow) *min = info.rangeLow;
    if (*max > info.rangeHigh) *max = info.rangeHigh;
}

int32_t SetControlRange(int32_t n, int32_t min, int32_t max) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    LimitRangeForClass(record->controlClass, &min, &max);
    record->min = min;
    record->max = max;
    HWND window = record->window;
    const int32_t low = min < max ? min : max;
    const int32_t high = min < max ? max : min;
    if (window && ControlClassHas(record->controlClass, CLASSTRAIT_SCROLLBAR))
        SetScrollRange(window, SB_CTL, low, high, TRUE);
    if (window && ControlClassHas(record->controlClass, CLASSTRAIT_TRACKBAR)) {
        SendMessageA(window, TBM_SETRANGEMIN, FALSE, low);
        SendMessageA(window, TBM_SETRANGEMAX, TRUE, high);
    }
    SetControlValue(n, record->value);
    return 1;
}

static int32_t SetSliderSetting(int32_t n, int32_t setting, int32_t ControlRecord::*field) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    if (!ControlClassHas(record->controlClass, CLASSTRAIT_VALUE_BOX) || setting < 1 ||
        setting > 1000)
        return 0;
    record->*field = setting;
    SetControlValue(n, record->value);
    return 1;
}

int32_t SetControlDivisor(int32_t n, int32_t divisor) {
    return SetSliderSetting(n, divisor, &ControlRecord::divisor);
}

int32_t SetControlGamma(int32_t n, int32_t gamma) {
    return SetSliderSetting(n, gamma, &ControlRecord::gamma);
}

int32_t SetControlPosition(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    if (x != -1) record->x = x;
    if (y != -1) record->y = y;
    if (width != -1) record->width = width;
    if (height != -1) record->height = height;
    HWND window = record->window;
    if (n == CTL_PREVIEW_FRAME)
        window = gDialog ? GetDlgItem(gDialog, ITEM_PREVIEW_FRAME) : nullptr;
    if (n == CTL_PROGRESS) window = gDialog ? GetDlgItem(gDialog, ITEM_PROGRESS) : nullptr;
    if (n == CTL_PREVIEW) window = gDialog ? GetDlgItem(gDialog, ITEM_PREVIEW) : nullptr;
    if (window && n != CTL_ZOOM_TEXT) {
        RECT place = DialogUnitsToPixelRect(record->x, record->y, record->width, record->height);
        SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceControlCompanions(n);
    if (n == CTL_PREVIEW) RefreshImageGeometry();
    if (n != CTL_PREVIEW && n != CTL_PREVIEW_FRAME && n != CTL_PROGRESS && n != CTL_ZOOM_TEXT)
        SetControlValue(n, record->value);
    if (!gLayoutRunning) SetControlAnchor(n, -1);
    return 1;
}

int32_t SetControlTab(int32_t n, int32_t tab, int32_t sheet) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    if (tab != -1) {
        const ControlRecord* owner = UsedControlRecord(tab);
        if (!owner || !ControlClassHas(owner->controlClass, CLASSTRAIT_OWNS_SHEETS)) return 0;
    }
    record->tab = tab;
    record->sheet = tab == -1 ? -1 : sheet;
    ApplyControlState(n);
    return 1;
}

ControlPlace AnchoredPlace(ControlPlace place, int32_t anchorFlags, int32_t anchorDX,
                           int32_t anchorDY, int32_t clientWidth, int32_t clientHeight) {
    if (anchorFlags & ANCHOR_HCENTER)
        place.x = clientWidth / 2 + anchorDX;
    else if ((anchorFlags & ANCHOR_LEFT) && (anchorFlags & ANCHOR_RIGHT))
        place.width = clientWidth - anchorDX - place.x;
    else if (anchorFlags & ANCHOR_RIGHT)
        place.x = clientWidth - anchorDX - place.width;
    if ((anchorFlags & ANCHOR_VCENTER) &&
        !((anchorFlags & ANCHOR_TOP) && (anchorFlags & ANCHOR_BOTTOM)))
        place.y = clientHeight / 2 + anchorDY;
    else if ((anchorFlags & ANCHOR_TOP) && (anchorFlags & ANCHOR_BOTTOM))
        place.height = clientHeight - anchorDY - place.y;
    else if (anchorFlags & ANCHOR_BOTTOM)
        place.y = clientHeight - anchorDY - place.height;
    return place;
}

void ApplyControlAnchors(int32_t width, int32_t height) {
    if (!gDialog) return;
    if (width < 0) width = GetDialogClientWidth();
    if (height < 0) height = GetDialogClientHeight();
    gLayoutRunning = true;
    SendMessageA(gDialog, WM_SETREDRAW, FALSE, 0);
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || record->anchorFlags <= 0) continue;
        ControlPlace place = {record->x, record->y, record->width, record->height};
        place = AnchoredPlace(place, record->anchorFlags, record->anchorDX, record->anchorDY, width,
                              height);
        if (n == CTL_PREVIEW) {
            if (place.width < 10) place.width = 10;
            if (place.height < 10) place.height = 10;
        }
        SetControlPosition(n, place.x, place.y, place.width, place.height);
    }
    SendMessageA(gDialog, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(gDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    gLayoutRunning = false;
}

void ResetTabSheetToDefaults(int32_t tab) {
    const ControlRecord* owner = UsedControlRecord(tab);
    if (!owner) return;
    const int32_t sheet = owner->value;
    int32_t lastPrevious = 0;
    bool rerender = false;
    for (int n = 0; n < kControlCount; ++n) {
        ControlRecord* record = UsedControlRecord(n);
        if (!record || record->defaultValue == -1) continue;
        const ControlRecord* ownTab = UsedControlRecord(record->tab);
        bool onSheet =
            record->state == CTLSTATE_FULL && record->tab == tab && record->sheet == sheet;
        bool onNestedTab = ownTab && ownTab->tab == tab;
        if (!onSheet && !onNestedTab) continue;
        lastPrevious = SetControlValue(n, record->defaultValue);
        const uint32_t traits = ControlClassOf(record->controlClass).traits;
        if (traits & CLASSTRAIT_COLOR_VALUE)
            record->backgroundColor = COLORREF(record->defaultValue);
        if (traits & CLASSTRAIT_RESET_CLICKS)
            TriggerControlEvent(n, EVENT_CLICKED, lastPrevious, 0, 0, 0, 0, 0);
        rerender = rerender || record->action == ACTION_PREVIEW;
    }
    TriggerControlEvent(tab, EVENT_SHEET_RESET, lastPrevious, 0, 0, 0, 0, 0);
    if (rerender) RunControlAction(ACTION_PREVIEW);
}
