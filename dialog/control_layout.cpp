// Control ranges, places, tabs and anchoring. The tab-sheet colours and the preview's own
// geometry come later with the skins and the preview.

#include "dialog/control_layout.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/preview_window.h"
#include "dialog/skin_engine.h"
#include "dialog/visual_styles.h"
#include "host/parameter_block.h"

namespace {
constexpr int32_t kLeastPreviewSide = 10;  // dialog units; the preview is never laid out smaller
bool gLayoutRunning = false;               // ApplyControlAnchors is placing controls

// Moves of controls while the dialog is built hidden: the start lays every control out two or
// three times (made, remembered size, maximised) and sizes each slider's value box, and each
// move costs the system a pass over the dialog's many siblings, so only the last place of each
// reaches its windows, once; a control that is not shown then keeps its place until it is
// (PlaceWaitsForShow). Written by MoveControlWindows, DeferCompanionPlacing, ForgetPendingPlace,
// SettleControlPlace and PlacePendingControls.
enum PendingPart : uint8_t {
    PENDING_WINDOW = 1,      // the control's window goes to place
    PENDING_COMPANIONS = 2,  // its value box and label go beside the record's place
};
struct PendingPlaces {
    uint8_t pending[kControlCount];  // PendingPart bits of control n
    RECT place[kControlCount];       // where the window goes, pixels in the client area
};
PendingPlaces gPendingPlaces = {};
}  // namespace

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

// The frame around the preview: 3 pixels left, 9 up, 7 wider and 13 higher than the image.
RECT PreviewFrameAround(const RECT& preview) {
    return {preview.left - 3, preview.top - 9, preview.right + 4, preview.bottom + 4};
}

namespace {

void MoveWindowTo(HWND window, const RECT& place) {
    PlaceChildWindow(window, place);
}

HWND DialogItem(int item) {
    return gDialog ? GetDlgItem(gDialog, item) : nullptr;
}

// The "-" button, the zoom text and the "+" button in a row from (x, y), dialog units.
void PlaceZoomItems(const ControlRecord& record) {
    const int32_t x = record.x, y = record.y;
    MoveWindowTo(DialogItem(ITEM_ZOOM_OUT), DialogUnitsToPixelRect(x, y, 12, 10));
    MoveWindowTo(DialogItem(ITEM_ZOOM_TEXT), DialogUnitsToPixelRect(x + 12, y, 30, 10));
    MoveWindowTo(DialogItem(ITEM_ZOOM_IN), DialogUnitsToPixelRect(x + 42, y, 12, 10));
}

// The template's host text sits below the template's preview, where no control moves it; a
// preview laid out over it would have the text painted across the image.
void HideHostTextUnder(const RECT& preview) {
    HWND text = DialogItem(ITEM_HOST_TEXT);
    RECT place, meet;
    if (!text || !GetWindowRect(text, &place)) return;
    MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&place), 2);
    if (IntersectRect(&meet, &place, &preview)) ShowWindow(text, SW_HIDE);
}

void PlacePreview(const RECT& place) {
    MoveWindowTo(DialogItem(ITEM_PREVIEW), place);
    HideHostTextUnder(place);
    if (!gDialogFrame.keepPreviewFrame)
        MoveWindowTo(DialogItem(ITEM_PREVIEW_FRAME), PreviewFrameAround(place));
    RefreshImageGeometry();
    if (gDialog) InvalidatePreview(gDialog);
}

// Whether a move of control n may wait until its windows are shown: most of the dialog's
// controls lie on sheets the user may never open, and each move costs the system a pass over
// the dialog's many siblings. Only classes whose hidden windows no one measures wait, and none
// while a skin (which places windows of its own beside them) is on. byState: decided by the
// control's state, for a dialog about to be shown; else by whether its window is shown.
bool PlaceWaitsForShow(int32_t n, const ControlRecord& record, bool byState) {
    // Windows not made yet are made at the place that waits.
    if (ControlWindowsWaiting(n)) return true;
    if (!record.window || IsSkinActive() ||
        !ControlClassHas(record.controlClass, CLASSTRAIT_PLACED_WHEN_SEEN))
        return false;
    if (byState) return !(GetEffectiveControlState(n) & CTLSTATE_VISIBLE);
    return !(GetWindowLongPtrA(record.window, GWL_STYLE) & WS_VISIBLE);
}

// Moves the windows of control n to the record's place (pixels in place).
void MoveControlWindows(int32_t n, ControlRecord& record, const RECT& place) {
    switch (n) {
        case CTL_PREVIEW:
            PlacePreview(place);
            return;
        case CTL_ZOOM_TEXT:
            PlaceZoomItems(record);
            return;
        case CTL_PREVIEW_FRAME:
            MoveWindowTo(DialogItem(ITEM_PREVIEW_FRAME), place);
            return;
        case CTL_PROGRESS:
            MoveWindowTo(DialogItem(ITEM_PROGRESS), place);
            MoveWindowTo(record.window, place);  // a skin's own bar
            return;
    }
    if (gAppearance.showingDeferred || PlaceWaitsForShow(n, record, false)) {
        gPendingPlaces.pending[n] |= PENDING_WINDOW | PENDING_COMPANIONS;
        gPendingPlaces.place[n] = place;
        return;
    }
    gPendingPlaces.pending[n] = 0;
    MoveWindowTo(record.window, place);
    PlaceControlCompanions(n);
    SetControlValue(n, record.value);
}

int32_t PlaceControl(int32_t n, const RECT* pixels) {
    ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
    if (!record) return 0;
    const RECT place =
        pixels ? *pixels
               : DialogUnitsToPixelRect(record->x, record->y, record->width, record->height);
    MoveControlWindows(n, *record, place);
    if (!gLayoutRunning) SetControlAnchor(n, -1);
    return 1;
}

}  // namespace

bool PendingControlPlace(int32_t n, RECT* place) {
    if (n < 0 || n >= kControlCount || !(gPendingPlaces.pending[n] & PENDING_WINDOW)) return false;
    if (place) *place = gPendingPlaces.place[n];
    return true;
}

bool DeferCompanionPlacing(int32_t n) {
    if (n < 0 || n >= kControlCount) return false;
    // A control whose own move waits takes its value box and label along when it moves.
    if (!gAppearance.showingDeferred && !(gPendingPlaces.pending[n] & PENDING_WINDOW)) return false;
    gPendingPlaces.pending[n] |= PENDING_COMPANIONS;
    return true;
}

void ForgetPendingPlace(int32_t n) {
    if (n >= 0 && n < kControlCount) gPendingPlaces.pending[n] = 0;
}

void SettleControlPlace(int32_t n) {
    if (n < 0 || n >= kControlCount) return;
    const uint8_t parts = gPendingPlaces.pending[n];
    gPendingPlaces.pending[n] = 0;
    ControlRecord* record = parts ? UsedControlRecord(n) : nullptr;
    if (!record) return;
    if (parts & PENDING_WINDOW) MoveWindowTo(record->window, gPendingPlaces.place[n]);
    if (parts & PENDING_COMPANIONS) PlaceControlCompanions(n);
    if (parts & PENDING_WINDOW) SetControlValue(n, record->value);
}

void PlacePendingControls(PendingScope scope) {
    for (int32_t n = 0; n < kControlCount; ++n) {
        if (!gPendingPlaces.pending[n]) continue;
        const ControlRecord* record = UsedControlRecord(n);
        if (scope == PENDING_SCOPE_SEEN && record && PlaceWaitsForShow(n, *record, true)) {
            gPendingPlaces.pending[n] |= PENDING_COMPANIONS;
            continue;
        }
        SettleControlPlace(n);
    }
}

int32_t SetControlPosition(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height) {
    ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
    if (!record) return 0;
    if (x != -1) record->x = x;
    if (y != -1) record->y = y;
    if (width != -1) record->width = width;
    if (height != -1) record->height = height;
    return PlaceControl(n, nullptr);
}

int32_t SetControlPositionPixels(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height) {
    ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
    if (!record) return 0;
    RECT current = DialogUnitsToPixelRect(record->x, record->y, record->width, record->height);
    const int32_t left = x != -1 ? x : current.left, top = y != -1 ? y : current.top;
    const int32_t w = width != -1 ? width : current.right - current.left;
    const int32_t h = height != -1 ? height : current.bottom - current.top;
    record->x = PixelsToDialogUnitsX(left);
    record->y = PixelsToDialogUnitsY(top);
    record->width = PixelsToDialogUnitsX(w);
    record->height = PixelsToDialogUnitsY(h);
    const RECT place = {left, top, left + w, top + h};
    return PlaceControl(n, &place);
}

int32_t SetControlZOrder(int32_t n, int32_t where) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record || !ControlWindowNow(n)) return 0;
    HWND after = nullptr;
    switch (where) {
        case -2:
            after = HWND_NOTOPMOST;
            break;
        case -1:
            after = HWND_TOPMOST;
            break;
        case 0:
            after = HWND_TOP;
            break;
        case 1:
            after = HWND_BOTTOM;
            break;
        default:
            return 0;
    }
    SetWindowPos(record->window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(record->window, nullptr, TRUE);
    UpdateWindow(record->window);
    return 1;
}

int32_t AddControlStyleEx(int32_t n, uint32_t bits) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    record->exStyle |= bits;
    if (!record->window) return 1;
    SetWindowLongPtrA(record->window, GWL_EXSTYLE,
                      GetWindowLongPtrA(record->window, GWL_EXSTYLE) | LONG_PTR(bits));
    if (record->controlClass == CONTROL_VALUELIST) PlaceControl(n, nullptr);
    SetWindowPos(record->window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
}

int32_t GetControlSheet(int32_t n, int32_t which) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record) return -1;
    return which ? record->sheet : record->tab;
}

int32_t SetControlHomeSheet(int32_t n, int32_t tab, int32_t sheet) {
    ControlRecord* record = ControlRecordAt(n);
    if (!record) return 0;
    record->homeTab = tab;
    record->homeSheet = sheet;
    return 1;
}

int32_t GetControlHomeSheet(int32_t n, int32_t which) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record) return -1;
    return which ? record->homeSheet : record->homeTab;
}

int32_t SetControlBuddy(int32_t n, int32_t buddy) {
    ControlRecord* record = ControlRecordAt(n);
    if (!record || !ControlRecordAt(buddy)) return 0;
    record->buddy = buddy;
    return 1;
}

int32_t UpdateControlAnchors(int32_t width, int32_t height) {
    if (!gDialog) return 0;
    if (width < 0) width = GetDialogClientWidth();
    if (height < 0) height = GetDialogClientHeight();
    for (int n = 0; n < kControlCount; ++n) {
        ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
        if (!record || record->anchorFlags <= 0) continue;
        AnchorDistances(record->anchorFlags, record->x, record->y, record->width, record->height,
                        width, height, &record->anchorDX, &record->anchorDY);
    }
    return 1;
}

// Under visual styles a sheet is painted in its theme's colour: the controls that paint their
// own background take it, or they would stand on grey boxes.
static void TakeSheetColour(int32_t n, const ControlRecord& record, const ControlRecord& owner) {
    if ((IsSkinActive() && gParams && gParams->skinIndex > 0) || !IsVisualStyleActive()) return;
    const int32_t tab = owner.window ? GetDlgCtrlID(owner.window) - kControlWindowIdBase : -1;
    const bool themed =
        owner.themeMode == 1 || (owner.themeMode == -1 && gParams && gParams->dialogThemed == 1);
    const bool ownerDrawn = (record.style & BS_TYPEMASK) == BS_OWNERDRAW;
    switch (record.controlClass) {
        case CONTROL_CHECKBOX:
        case CONTROL_RADIOBUTTON:
            if (themed) SetControlColor(n, GetControlColor(tab));
            break;
        case CONTROL_COLORBUTTON:
            if (themed && ownerDrawn) SetControlColor(n, GetControlColor(tab));
            break;
        case CONTROL_GROUPBOX:
            // A value list's sheets lie on the value list's own tab.
            SetControlColor(
                n, GetControlColor(owner.controlClass == CONTROL_VALUELIST ? owner.tab : tab));
            break;
        case CONTROL_TRACKBAR:
        case CONTROL_TRACKBAR_SLIDER:
            SetControlColor(n, GetControlColor(tab));
            break;
    }
}

int32_t SetControlTab(int32_t n, int32_t tab, int32_t sheet) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    if (tab != -1) {
        const ControlRecord* owner = UsedControlRecord(tab);
        // A control on its own sheet would make the chain of tabs a loop.
        if (tab == n || !owner || !ControlClassHas(owner->controlClass, CLASSTRAIT_OWNS_SHEETS))
            return 0;
    }
    record->tab = tab;
    record->sheet = tab == -1 ? -1 : sheet;
    if (tab != -1) TakeSheetColour(n, *record, *UsedControlRecord(tab));
    ApplyControlState(n);
    return 1;
}

bool IsLayoutFrozen(uintptr_t sizeType) {
    return sizeType == SIZE_MINIMIZED;
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

void PlaceAnchoredControls(int32_t width, int32_t height) {
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
        if (!record || record->anchorFlags <= 0) continue;
        ControlPlace place = {record->x, record->y, record->width, record->height};
        place = AnchoredPlace(place, record->anchorFlags, record->anchorDX, record->anchorDY, width,
                              height);
        if (n == CTL_PREVIEW) {
            place.width = std::max(place.width, kLeastPreviewSide);
            place.height = std::max(place.height, kLeastPreviewSide);
        }
        SetControlPosition(n, place.x, place.y, place.width, place.height);
    }
}

int32_t ApplyControlAnchors(int32_t width, int32_t height) {
    if (!gDialog || !gPreview.available) return 0;
    if (width < 0) width = GetDialogClientWidth();
    if (height < 0) height = GetDialogClientHeight();
    gLayoutRunning = true;
    SendMessageA(gDialog, WM_SETREDRAW, FALSE, 0);
    PlaceAnchoredControls(width, height);
    SendMessageA(gDialog, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(gDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    gLayoutRunning = false;
    return 1;
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
