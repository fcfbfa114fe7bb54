// Control windows made on demand: which controls wait for their windows, the making of them in
// creation order, and the record's state handed to the new windows.

#include "dialog/control_windows_on_demand.h"

#include <string>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_images.h"
#include "dialog/control_layout.h"
#include "dialog/control_text_store.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/skin_engine.h"
#include "dialog/text_expansion.h"
#include "host/start_timing.h"
#include "host/text_format.h"

ControlWindowsOnDemand gWindowsOnDemand = {};

namespace {

bool ValidNumber(int32_t n) {
    return n >= 0 && n < kControlCount;
}

// The window of a control that comes last in the z-order: its maker makes the control window,
// then the value box, then the label.
HWND LastWindowOf(const ControlRecord& record) {
    if (record.labelWindow) return record.labelWindow;
    return record.editWindow ? record.editWindow : record.window;
}

// The window the new windows of control n go after, so that the tab order and radio groups
// follow the creation order as if every control had been made at once: the last window of the
// nearest control made before n that has windows; without one, the window before the nearest
// later one (HWND_TOP at the head of the dialog); null leaves the windows where they are.
HWND PlaceInOrderAfter(int32_t n) {
    const uint32_t own = gWindowsOnDemand.madeOrder[n];
    int32_t before = -1, after = -1;
    for (int32_t m = 0; m < kControlCount; ++m) {
        const ControlRecord* record = UsedControlRecord(m);
        const uint32_t order = gWindowsOnDemand.madeOrder[m];
        if (m == n || !record || !record->window || order == 0) continue;
        if (order < own && (before < 0 || order > gWindowsOnDemand.madeOrder[before])) before = m;
        if (order > own && (after < 0 || order < gWindowsOnDemand.madeOrder[after])) after = m;
    }
    if (before >= 0) return LastWindowOf(*ControlRecordAt(before));
    if (after < 0) return nullptr;
    HWND previous = GetWindow(ControlRecordAt(after)->window, GW_HWNDPREV);
    return previous ? previous : HWND_TOP;
}

void PutInOrder(int32_t n, const ControlRecord& record) {
    HWND after = PlaceInOrderAfter(n);
    if (!after) return;
    for (HWND window : {record.window, record.editWindow, record.labelWindow}) {
        if (!window) continue;
        SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = window;
    }
}

// The class's maker also writes the defaults of a new control into the record (range, value,
// colours, image handles); a control that waited keeps everything the effect gave it since.
bool MakeKeepingRecord(int32_t n, ControlRecord& record, const RECT& place) {
    const ControlRecord kept = record;
    if (!MakeControlWindowsAt(n, place, true)) return false;
    const ControlRecord made = record;
    record = kept;
    record.window = made.window;
    record.editWindow = made.editWindow;
    record.labelWindow = made.labelWindow;
    record.editStyle = made.editStyle;
    record.labelStyle = made.labelStyle;
    record.labelWidth = made.labelWidth;
    record.labelHeight = made.labelHeight;
    return true;
}

// What the effect set while the windows waited, handed to them: the font, the label, the
// items, range and value, the visual style, a picture the window itself holds and the tooltip.
// Visible and enabled state and the place follow through ApplyControlState.
void GiveRecordToWindows(int32_t n, ControlRecord& record) {
    const ControlClassInfo& info = ControlClassOf(record.controlClass);
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(gDialog, WM_GETFONT, 0, 0));
    if (record.font && record.font != dialogFont) {
        // A slider's own font is its label's alone.
        HWND window = (info.traits & CLASSTRAIT_VALUE_BOX) ? record.labelWindow : record.window;
        if (window) SendMessageA(window, WM_SETFONT, WPARAM(record.font), FALSE);
    }
    if ((info.traits & CLASSTRAIT_LABEL_TEXT) && record.label[0]) {
        char label[sizeof record.label];
        CopyText(label, sizeof label, record.label);
        SetControlLabel(n, label);
    }
    if (info.traits & CLASSTRAIT_ITEMS)
        info.showText(n, record, ExpandTextLines(ControlWholeText(n)));
    SetControlRange(n, record.min, record.max);
    if (const int32_t shift = gWindowsOnDemand.selectionShift[n]; shift != 0 && record.window) {
        SendMessageA(record.window, CB_SETCURSEL, WPARAM(record.value + shift), 0);
        gWindowsOnDemand.selectionShift[n] = 0;
    }
    if (record.themeMode != -1) SetControlTheme(n, record.themeMode);
    if (record.imageName[0] &&
        (record.controlClass != CONTROL_IMAGEBUTTON || !record.imageDCs[0])) {
        // Image buttons keep their pictures in the record, once they have a window; the others
        // in the window.
        char name[sizeof record.imageName];
        CopyText(name, sizeof name, record.imageName);
        SetControlImage(n, name, record.imageOption);
    }
    AttachControlToolTip(n);
}

}  // namespace

void ControlWindowsOnDemandReset() {
    gWindowsOnDemand = {};
}

void NoteControlCreated(int32_t n) {
    if (!ValidNumber(n)) return;
    gWindowsOnDemand.waiting[n] = false;
    gWindowsOnDemand.madeOrder[n] = ++gWindowsOnDemand.lastOrder;
}

bool ControlWindowsMayWait(int32_t n) {
    const ControlRecord* record = ControlRecordAt(n);
    // A sorted combo box orders its items itself: its stored lines are not its items.
    const bool sorted =
        record && record->controlClass == CONTROL_COMBOBOX && (record->style & CBS_SORT) != 0;
    return record && gDialog && n != CTL_OK && n != CTL_CANCEL && !IsSkinActive() && !sorted &&
           ControlClassHas(record->controlClass, CLASSTRAIT_MADE_WHEN_SEEN);
}

void NoteControlWindowsWaiting(int32_t n) {
    if (!ValidNumber(n)) return;
    gWindowsOnDemand.waiting[n] = true;
    gWindowsOnDemand.selectionShift[n] = 0;
}

void NoteWaitingSelection(int32_t n) {
    if (ValidNumber(n)) gWindowsOnDemand.selectionShift[n] = 0;
}

void ShiftWaitingSelection(int32_t n, int32_t value, int32_t index) {
    if (!ValidNumber(n) || value < 0) return;
    if (value + gWindowsOnDemand.selectionShift[n] >= index) ++gWindowsOnDemand.selectionShift[n];
}

bool ControlWindowsWaiting(int32_t n) {
    return ValidNumber(n) && gWindowsOnDemand.waiting[n];
}

bool MakeWaitingControlWindows(int32_t n) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return false;
    if (!ControlWindowsWaiting(n) || !gDialog) return record->window != nullptr;
    StartTimingSection timing("windows on demand", ControlClassOf(record->controlClass).name);
    // Cleared first: the setters that hand the record to the windows must reach them.
    gWindowsOnDemand.waiting[n] = false;
    if (!MakeKeepingRecord(n, *record, WaitingControlPlace(n))) return false;
    PutInOrder(n, *record);
    GiveRecordToWindows(n, *record);
    return true;
}

HWND ControlWindowNow(int32_t n) {
    // Made hidden; its state decides whether they are seen.
    if (ControlWindowsWaiting(n) && MakeWaitingControlWindows(n)) ApplyControlState(n);
    const ControlRecord* record = UsedControlRecord(n);
    return record ? record->window : nullptr;
}

void MakeAllWaitingControlWindows() {
    for (int32_t n = 0; n < kControlCount; ++n)
        if (gWindowsOnDemand.waiting[n]) ControlWindowNow(n);
}

void ForgetWaitingControlWindows(int32_t n) {
    if (ValidNumber(n)) gWindowsOnDemand.waiting[n] = false;
}

void ForgetAllWaitingControlWindows() {
    for (bool& waiting : gWindowsOnDemand.waiting) waiting = false;
}

RECT WaitingControlPlace(int32_t n) {
    RECT place = {0, 0, 0, 0};
    if (PendingControlPlace(n, &place)) return place;
    const ControlRecord* record = ControlRecordAt(n);
    return record ? DialogUnitsToPixelRect(record->x, record->y, record->width, record->height)
                  : place;
}
