// The filter dialog: its message loop, which steps focused controls by keys and offers every
// other key to the effect first, and the dialog procedure, which turns window messages into
// control events for the effect.

#include "dialog/filter_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/control_creation.h"
#include "dialog/control_images.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/message_boxes.h"
#include "dialog/preview_window.h"
#include "dialog/skin_engine.h"
#include "dialog/slider_mapping.h"
#include "dialog/handle_release.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/preview_timing.h"
#include "host/scripting_descriptor.h"
#include "host/worker_threads.h"
#include "host/start_timing.h"

FilterDialogState gFilterDialog;
int32_t gDialogShown = 0;

namespace {

constexpr int32_t kDialogWidthUnits = 529;
constexpr int32_t kDialogHeightUnits = 332;
constexpr int kOkButtonItem = CTL_OK + kControlWindowIdBase;
constexpr int kDialogCursor = 103;
constexpr char kPenProperty[] = "MicrosoftTabletPenServiceProperty";
constexpr intptr_t kPenPressAndHoldOff = 1;

bool gTabChangedThisClick = false;  // a tab switched sheets in the click under way

// Scroll bars and trackbars: wheel and scroll messages move their value.
bool IsScrollClass(int32_t controlClass) {
    return ControlClassHas(controlClass, CLASSTRAIT_SCROLLBAR | CLASSTRAIT_TRACKBAR);
}

// Control n of a dialog item id in [base, base + 400), else -1.
int32_t ControlOfItem(int id, int base) {
    return id >= base && id < base + kControlCount ? id - base : -1;
}

int32_t Value(int32_t n) {
    const ControlRecord* record = ControlRecordAt(n);
    return record ? record->value : 0;
}

RECT PreviewRect() {
    RECT rect = {0, 0, 0, 0};
    HWND item = gDialog ? GetDlgItem(gDialog, ITEM_PREVIEW) : nullptr;
    if (!item) return rect;
    GetWindowRect(item, &rect);
    MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool PointInPreview(POINT client) {
    RECT rect = PreviewRect();
    return PtInRect(&rect, client) != 0;
}

void RunAction(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (record) RunControlAction(record->action);
}

void RenderAndInvalidate() {
    if (gFilterDialog.previewDrag || GetResult() != 0) return;
    RenderAndShowPreview(gDialog);
}

// --- Creation ------------------------------------------------------------------------------------

HWND CreateToolTipWindow(HWND dialog) {
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!tip) return nullptr;
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 300);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, -1);
    return tip;
}

void MarkWindowsForPen() {
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (record && record->window)
            SetPropA(record->window, kPenProperty, reinterpret_cast<HANDLE>(kPenPressAndHoldOff));
    }
}

// The host's script carried values: the settings controls the effect made take them.
void ApplyScriptValues() {
    if (gContext.scriptedValueCount <= 0) return;
    for (int n = 0; n < kSettingsControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (record && record->scripted && gScripting.scriptedFlags[n])
            SetControlValue(n, gScripting.scriptedValues[n]);
    }
}

// The values the host's script records for this run: those of the scripted settings controls.
void RecordScriptValues() {
    for (int n = 0; n < kSettingsControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || !record->scripted) continue;
        ScriptingRecordValue(n, record->value);
    }
}

void OnInitDialog(HWND dialog) {
    gDialog = dialog;
    gContext.dialogWindow = dialog;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                        ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    gFilterDialog.toolTip = CreateToolTipWindow(dialog);
    gDialogFrame.style = uint32_t(GetWindowLongPtrA(dialog, GWL_STYLE));
    gDialogFrame.exStyle = uint32_t(GetWindowLongPtrA(dialog, GWL_EXSTYLE));
    SetDialogPosition(0, -1, -1, kDialogWidthUnits, kDialogHeightUnits);
    SetDialogCursor(kDialogCursor);
    RefreshImageGeometry();
    // The windows are new: no skin is on them yet, whatever the parameter block remembers.
    ResetSkinSubclassFlags();
    // The template's preview, its frame, the progress bar and the zoom buttons become pseudo
    // controls with their anchors before the effect places them: unanchored, the preview would
    // keep its first size however large the dialog grows.
    RegisterFrameControls();
    // Nothing is seen before the dialog shows: each control's windows are shown once, when
    // the effect has chosen the sheets and states it opens with.
    DeferControlShowing(true);
    {
        StartTimingSection timing("hook", "build dialog");
        DispatchEffectHook(HOOK_BUILD_DIALOG, &gContext);
    }
    LowerPreviewFrame();
    // The effect makes the OK button while it builds the dialog.
    if (HWND ok = GetDlgItem(dialog, kOkButtonItem)) SetFocus(ok);
    ApplyScriptValues();
    if (!gDialogFrame.windowRectStored) {
        GetWindowRect(dialog, &gDialogFrame.windowRect);
        gDialogFrame.windowRectStored = true;
    }
    if (gParams) SetDialogTitle(gParams->dialogTitle);
    for (int item : {ITEM_PROGRESS, ITEM_ZOOM_IN, ITEM_ZOOM_OUT, ITEM_PREVIEW_FRAME})
        if (HWND window = GetDlgItem(dialog, item)) SetControlThemeDefault(window);
    SetTimer(dialog, TIMER_HOVER, kHoverTimerMs, nullptr);
    {
        StartTimingSection timing("hook", "session start");
        DispatchEffectHook(HOOK_SESSION_START, &gContext);
    }
    {
        StartTimingSection timing("controls placed and shown");
        DeferControlShowing(false);
    }
    RefreshImageGeometry();
    if (GetWindowsVersion() >= WINVER_VISTA) MarkWindowsForPen();
    if (GetResult() == 0 && SetTimer(dialog, TIMER_PREVIEW, kPreviewTimerMs, nullptr))
        MarkTimerArmed(TIMER_PREVIEW, true);
    else
        RenderAndInvalidate();
}

// --- End --------------------------------------------------------------------------------------

void StopPreviewDrag() {
    if (!gFilterDialog.previewDrag) return;
    ReleaseCapture();
    gFilterDialog.previewDrag = false;
    if (gParams) gParams->flags &= ~uint32_t(PFLAG_PREVIEW_DRAG);
}

void SaveDialogState(HWND dialog) {
    if (gParams) {
        for (int i = 0; i < 8; ++i)
            gParams->frameworkSettings[i] = uint32_t(gContext.frameworkSettings[i]);
        gParams->frameworkSettings[8] = uint32_t(gContext.tileBorder);
        memcpy(gParams->savedContext, gContext.savedStretch, sizeof gParams->savedContext);
        memcpy(gParams->savedEscapeStrings, gContext.escapeStrings,
               sizeof gParams->savedEscapeStrings);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        if (region && GetWindowRgn(dialog, region) == ERROR) {
            DeleteObject(region);
            region = nullptr;
        }
        if (gParams->dialogRegion) DeleteObject(gParams->dialogRegion);
        gParams->dialogRegion = region;
    }
    GetWindowRect(dialog, &gDialogFrame.windowRect);
    gDialogFrame.windowRectStored = true;
    if (!gDialogFrame.firstRectStored) {
        gDialogFrame.firstRect = gDialogFrame.windowRect;
        gDialogFrame.firstRectStored = true;
    }
    gDialogFrame.style = uint32_t(GetWindowLongPtrA(dialog, GWL_STYLE));
    gDialogFrame.exStyle = uint32_t(GetWindowLongPtrA(dialog, GWL_EXSTYLE));
}

void EndFilterDialog(HWND dialog, int command) {
    if (gFilterDialog.endCommand) return;
    if (gFilterDialog.endHolds > 0) {
        if (!gFilterDialog.heldEnd) {
            gFilterDialog.heldEnd = command;
            gFilterDialog.heldEndClicked = false;
        }
        return;
    }
    // Escape and Enter reach the effect as a click on Cancel or OK, as the buttons do: without
    // it the files of a keyboard's end would never be written. The key may arrive while an event
    // is under way, past which only a forced delivery goes.
    if (command == IDCANCEL && !gFilterDialog.cancelByAction)
        TriggerControlEvent(CTL_CANCEL, EVENT_CLICKED, Value(CTL_CANCEL), WM_COMMAND, IDCANCEL, 0,
                            0, 1);
    if (command == IDOK && !gFilterDialog.okByAction) {
        gFilterDialog.okByAction = true;
        TriggerControlEvent(CTL_OK, EVENT_CLICKED, Value(CTL_OK), WM_COMMAND, IDOK, 0, 0, 1);
        if (gFilterDialog.endCommand) return;
    }
    StopPreviewDrag();
    // Recorded for every OK, the button's or the keyboard's.
    if (command == IDOK) RecordScriptValues();
    SaveDialogState(dialog);
    gDialog = nullptr;
    gContext.dialogWindow = nullptr;
    gDialogShown = 0;
    // The host must hear "cancelled" (and no render may start while the dialog goes).
    if (command == IDCANCEL) SetResult(HOST_USER_CANCELLED);
    gFilterDialog.endCommand = command;
    PostQuitMessage(0);
}

// --- Timers -----------------------------------------------------------------------------------

// The place where a hover candidate reacts, in screen coordinates.
bool CursorOverControl(int32_t n, const ControlRecord& record, POINT cursor) {
    RECT rect;
    if (n == CTL_PREVIEW) {
        rect = PreviewRect();
        MapWindowPoints(gDialog, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return PtInRect(&rect, cursor) != 0;
    }
    if (record.controlClass == CONTROL_TAB && IsControlSkinned(n)) {
        // A skinned tab control reacts over its tabs only, not over its sheet.
        if (!record.window || !GetWindowRect(record.window, &rect)) return false;
        rect.right = rect.left + GetSkinItemWidth(n, 0) * GetSkinItemCount(n);
        rect.bottom = rect.top + GetSkinTabStripHeight();
        return PtInRect(&rect, cursor) != 0;
    }
    for (HWND window : {record.window, record.editWindow, record.labelWindow}) {
        if (window && IsWindowVisible(window) && GetWindowRect(window, &rect) &&
            PtInRect(&rect, cursor))
            return true;
    }
    return false;
}

void LeaveHoverControl() {
    const int32_t old = gFilterDialog.hoverControl;
    if (old < 0) return;
    TriggerControlEvent(old, EVENT_MOUSE_LEAVE, 0, WM_TIMER, 0, 0, 0, 0);
    const ControlRecord* record = ControlRecordAt(old);
    if (IsSkinActive() && record && ControlClassHas(record->controlClass, CLASSTRAIT_VALUE_BOX) &&
        IsKeyHeld(VK_LBUTTON))
        TriggerControlEvent(old, EVENT_CLICKED, -1, WM_TIMER, 0, 1, 0, 0);
}

void OnHoverTimer(HWND dialog) {
    if (GetForegroundWindow() != dialog) return;
    POINT cursor;
    if (!GetCursorPos(&cursor)) return;
    if (cursor.x == gFilterDialog.lastCursor.x && cursor.y == gFilterDialog.lastCursor.y) return;
    gFilterDialog.lastCursor = cursor;
    // A skinned control being dragged keeps the mouse: the hit stays where the press began.
    const ControlRecord* held = UsedControlRecord(gFilterDialog.hoverControl);
    if (IsSkinActive() && IsKeyHeld(VK_LBUTTON) && held) {
        if (held->properties & CTLPROP_MOUSEMOVE)
            TriggerControlEvent(gFilterDialog.hoverControl, EVENT_MOUSE_MOVE, 0, WM_TIMER, 0, 0, 0,
                                0);
        return;
    }
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || !(record->properties & (CTLPROP_HOVER | CTLPROP_MOUSEMOVE))) continue;
        // The preview reads its own state: it lies on no sheet.
        const int32_t state =
            n == CTL_PREVIEW ? record->state & CTLSTATE_FULL : GetEffectiveControlState(n);
        if (state != CTLSTATE_FULL || !CursorOverControl(n, *record, cursor)) continue;
        if (record->properties & CTLPROP_MOUSEMOVE)
            TriggerControlEvent(n, EVENT_MOUSE_MOVE, 0, WM_TIMER, 0, 0, 0, 0);
        if ((record->properties & CTLPROP_HOVER) && gFilterDialog.hoverControl != n) {
            LeaveHoverControl();
            gFilterDialog.hoverControl = n;
            TriggerControlEvent(n, EVENT_MOUSE_ENTER, 0, WM_TIMER, 0, 0, 0, 0);
        }
        return;
    }
    LeaveHoverControl();
    gFilterDialog.hoverControl = -1;
}

void OnTimer(HWND dialog, UINT_PTR id) {
    if (id == TIMER_PREVIEW) {
        KillTimer(dialog, id);
        MarkTimerArmed(id, false);
        RenderAndInvalidate();
    } else if (id == TIMER_HOVER) {
        OnHoverTimer(dialog);
    } else if (id >= TIMER_EFFECT_FIRST && id < TIMER_EFFECT_FIRST + kEffectTimerCount) {
        TriggerControlEvent(int32_t(id - TIMER_EFFECT_FIRST), EVENT_TIMER, 0, WM_TIMER, 0, 0, 0, 0);
    } else if (id == TIMER_WHEEL || id == TIMER_ACTION_SOON) {
        KillTimer(dialog, id);
        MarkTimerArmed(id, false);
        // The control may have gone while the timer ran: its number may now be another's.
        RunScheduledAction();
    }
}

// --- Values by wheel, scrolling and typing -------------------------------------------------------

void ChangeValue(int32_t n, int32_t value, UINT message, int32_t extra) {
    PreviewTimingMark(PREVIEW_MOMENT_VALUE_CHANGED);
    const int32_t previous = SetControlValue(n, value);
    TriggerControlEvent(n, EVENT_VALUE_CHANGED, previous, int32_t(message), extra, 0, 0, 0);
}

bool OnMouseWheel(WPARAM wParam) {
    const int32_t n = GetFocusedControl();
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || record->state != CTLSTATE_FULL || !IsScrollClass(record->controlClass))
        return false;
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (delta == 0) return true;
    const uint32_t generation = ControlGeneration(n);
    ChangeValue(n, record->value + (delta > 0 ? -record->lineSize : record->lineSize),
                WM_MOUSEWHEEL, 0);
    if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT)
        ScheduleControlAction(n, generation, TIMER_ACTION_SOON, kShiftWheelDelayMs);
    else
        ScheduleControlAction(n, generation, TIMER_WHEEL, kWheelDelayMs);
    return true;
}

int32_t ThumbPosition(const ControlRecord& record, int code, WPARAM wParam) {
    if (ControlClassHas(record.controlClass, CLASSTRAIT_TRACKBAR))
        return int32_t(SendMessageA(record.window, TBM_GETPOS, 0, 0));
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(record.window, SB_CTL, &info)) return info.nTrackPos;
    (void)code;
    return int32_t(int16_t(HIWORD(wParam)));
}

void OnScroll(UINT message, WPARAM wParam, HWND source) {
    const int32_t n = ControlOfItem(GetDlgCtrlID(source), kControlWindowIdBase);
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !IsScrollClass(record->controlClass)) return;
    const int code = LOWORD(wParam);
    int32_t value = record->value;
    switch (code) {
        case SB_LINEUP:
            value -= record->lineSize;
            break;
        case SB_LINEDOWN:
            value += record->lineSize;
            break;
        case SB_PAGEUP:
            value -= record->pageSize;
            break;
        case SB_PAGEDOWN:
            value += record->pageSize;
            break;
        case SB_TOP:
            value = record->min;
            break;
        case SB_BOTTOM:
            value = record->max;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            const SliderShape shape = {record->min, record->max, record->pageExtent, record->gamma};
            const bool invert = ControlClassHas(record->controlClass, CLASSTRAIT_RANGED);
            value = SliderValueFromPosition(shape, ThumbPosition(*record, code, wParam), invert);
            break;
        }
        default:
            return;  // end of scrolling: the action was scheduled by the steps before
    }
    // A step past the end of the range changes nothing and tells nobody.
    value = ClampToRange(record->min, record->max, value);
    const bool changed = value != record->value;
    const bool liveDrag = (record->properties & CTLPROP_LIVEDRAG) != 0;
    const uint32_t generation = ControlGeneration(n);
    if (changed) ChangeValue(n, value, message, code);
    if (!changed && code != SB_THUMBPOSITION) return;
    if (code == SB_THUMBTRACK && IsKeyHeld(VK_SHIFT) == liveDrag) return;
    ScheduleControlAction(n, generation, TIMER_ACTION_SOON, kShiftWheelDelayMs);
}

int32_t ReadValueBox(const ControlRecord& record) {
    char text[64] = "";
    if (record.editWindow) GetWindowTextA(record.editWindow, text, sizeof text);
    return ParseValueBoxText(text, record.divisor);
}

void ApplyValueBox(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !gFilterDialog.pendingEdit) return;
    ChangeValue(n, ReadValueBox(*record), WM_COMMAND, 0);
    RenderAndInvalidate();
    gFilterDialog.pendingEdit = false;
}

void OnValueBoxCommand(int32_t n, int code) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return;
    const bool hover = (record->properties & CTLPROP_HOVER) != 0;
    switch (code) {
        case EN_SETFOCUS:
            gFilterDialog.pendingEdit = false;
            if (hover) TriggerControlEvent(n, EVENT_FOCUS_GAINED, 0, WM_COMMAND, code, 0, 0, 0);
            break;
        case EN_CHANGE: {
            if (gFilterDialog.writingValueBox) break;
            gFilterDialog.pendingEdit = true;
            const int32_t delay = gAppearance.valueBoxDelayMs;
            if (delay == 0) break;
            const int32_t typed = ReadValueBox(*record);
            const uint32_t generation = ControlGeneration(n);
            record->value = typed;
            SetControlValue(n, typed);
            TriggerControlEvent(n, EVENT_VALUE_CHANGED, typed == kEmptyValueBox ? 0 : typed,
                                WM_COMMAND, code, 0, 0, 0);
            if (!gFilterDialog.previewDrag) {
                if (delay == 1) {
                    if (generation == ControlGeneration(n)) RunAction(n);
                } else {
                    ScheduleControlAction(n, generation, TIMER_ACTION_SOON, UINT(delay));
                }
            }
            gFilterDialog.pendingEdit = false;
            break;
        }
        case EN_MAXTEXT:
            gFilterDialog.pendingEdit = true;
            ApplyValueBox(n);
            break;
        case EN_KILLFOCUS:
            if (hover) TriggerControlEvent(n, EVENT_FOCUS_LOST, 0, WM_COMMAND, code, 0, 0, 0);
            ApplyValueBox(n);
            break;
    }
}

// --- Commands ---------------------------------------------------------------------------------

void OnLabelCommand(int32_t n, int code) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return;
    if (code == STN_DBLCLK && record->defaultValue != -1) {
        if (record->window) SetFocus(record->window);
        const int32_t previous = SetControlValue(n, record->defaultValue);
        TriggerControlEvent(n, EVENT_VALUE_CHANGED, previous, WM_COMMAND, code, 0, 0, 0);
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
        return;
    }
    if (code == STN_CLICKED || code == STN_DBLCLK)
        TriggerControlEvent(n, EVENT_CLICKED, record->value, WM_COMMAND, code, 0, 0, 0);
}

void ReadCheckState(int32_t n, const ControlRecord& record) {
    if (!record.window) return;
    const LONG_PTR type = GetWindowLongPtrA(record.window, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_3STATE ||
        type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON)
        StoreControlValue(n, int32_t(SendMessageA(record.window, BM_GETCHECK, 0, 0)));
}

void OnValueListChoice(int32_t n, const ControlRecord& record) {
    if (record.controlClass != CONTROL_VALUELIST || record.buddy < 0 || record.value < 0) return;
    char item[256] = "";
    if (SendMessageA(record.window, LB_GETTEXTLEN, WPARAM(record.value), 0) < LRESULT(sizeof item))
        SendMessageA(record.window, LB_GETTEXT, WPARAM(record.value), LPARAM(item));
    SetControlValue(record.buddy, atoi(item));
    ApplyControlState(n);
}

void OnControlCommand(int32_t n, int code) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return;
    if (IsSkinActive() && SkinControlClicked(n, code)) return;
    if (const ControlCommandProc command = ControlClassOf(record->controlClass).command)
        command(n, *record, code);
}

// Clicks and double clicks of buttons and of static controls, told by their own codes.
void ReportClicks(int32_t n, const ControlRecord& record, int code, bool isStatic) {
    const int32_t previous = record.value;
    const int clicked = isStatic ? STN_CLICKED : BN_CLICKED;
    const int doubled = isStatic ? STN_DBLCLK : BN_DOUBLECLICKED;
    if (code == clicked) {
        if (!isStatic) ReadCheckState(n, record);
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    } else if (code == doubled) {
        TriggerControlEvent(n, EVENT_DOUBLE_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    }
}

}  // namespace

// --- Commands and notifications of the classes ---------------------------------------------------

void OnButtonCommand(int32_t n, ControlRecord& record, int code) {
    ReportClicks(n, record, code, false);
}

void OnStaticCommand(int32_t n, ControlRecord& record, int code) {
    ReportClicks(n, record, code, true);
}

void OnListCommand(int32_t n, ControlRecord& record, int code) {
    const int32_t previous = record.value;
    if (code == LBN_SELCHANGE) {
        // A value list that hosts sheets shows the chosen item's sheet, as a tab does.
        const int32_t chosen = int32_t(SendMessageA(record.window, LB_GETCURSEL, 0, 0));
        if (ControlClassHas(record.controlClass, CLASSTRAIT_OWNS_SHEETS))
            SetControlValue(n, chosen);
        else
            StoreControlValue(n, chosen);
        OnValueListChoice(n, record);
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    } else if (code == LBN_DBLCLK) {
        TriggerControlEvent(n, EVENT_DOUBLE_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    }
}

void OnComboCommand(int32_t n, ControlRecord& record, int code) {
    const int32_t previous = record.value;
    if (code == CBN_SELCHANGE) {
        StoreControlValue(n, int32_t(SendMessageA(record.window, CB_GETCURSEL, 0, 0)));
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    } else if (code == CBN_DBLCLK) {
        TriggerControlEvent(n, EVENT_DOUBLE_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    } else if (code == CBN_DROPDOWN) {
        TriggerControlEvent(n, EVENT_DROPDOWN_OPEN, previous, WM_COMMAND, code, 0, 0, 0);
    } else if (code == CBN_CLOSEUP) {
        TriggerControlEvent(n, EVENT_DROPDOWN_CLOSED, previous, WM_COMMAND, code, 0, 0, 0);
    }
}

void OnEditCommand(int32_t n, ControlRecord& record, int code) {
    const int32_t previous = record.value;
    if (code == EN_CHANGE) {
        const int32_t length = record.window ? GetWindowTextLengthA(record.window) : 0;
        TriggerControlEvent(n, EVENT_VALUE_CHANGED, length, WM_COMMAND, code, 1, 0, 0);
    } else if (code == EN_SETFOCUS) {
        TriggerControlEvent(n, EVENT_FOCUS_GAINED, previous, WM_COMMAND, code, 0, 0, 0);
    } else if (code == EN_KILLFOCUS) {
        TriggerControlEvent(n, EVENT_FOCUS_LOST, previous, WM_COMMAND, code, 0, 0, 0);
    }
}

LRESULT OnListViewNotify(int32_t n, ControlRecord& record, const NMHDR& header) {
    const int32_t previous = record.value;
    if (header.code == LVN_ITEMCHANGED) {
        const int32_t focused =
            int32_t(SendMessageA(record.window, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
        if (focused == record.value || focused == -1 || IsKeyHeld(VK_LBUTTON) ||
            IsKeyHeld(VK_RBUTTON))
            return 0;
        StoreControlValue(n, focused);
        SetFocus(record.window);
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_NOTIFY, int32_t(header.code), 1, 0, 0);
    } else if (header.code == NM_CLICK || header.code == NM_RCLICK) {
        const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
        StoreControlValue(n, activate.iItem);
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_NOTIFY, int32_t(header.code), 1, 0, 0);
    }
    return 0;
}

LRESULT OnTabNotify(int32_t n, ControlRecord& record, const NMHDR& header) {
    if (header.code == TCN_SELCHANGE) {
        gTabChangedThisClick = true;
        const int32_t previous = SetControlValue(n, TabCtrl_GetCurSel(record.window));
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_NOTIFY, int32_t(header.code), 0, 0, 0);
    } else if (header.code == NM_CLICK) {
        if (IsKeyHeld(VK_SHIFT) && !gTabChangedThisClick) ResetTabSheetToDefaults(n);
        gTabChangedThisClick = false;
    }
    return 0;
}

LRESULT OnToolbarNotify(int32_t n, ControlRecord& record, const NMHDR& header) {
    if (header.code == TBN_HOTITEMCHANGE && (record.properties & CTLPROP_HOVER)) {
        const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
        TriggerControlEvent(n, EVENT_MOUSE_ENTER, hot.idNew, WM_NOTIFY, int32_t(header.code), 0, 0,
                            0);
    } else if (header.code == TBN_DROPDOWN) {
        const auto& button = reinterpret_cast<const NMTOOLBARA&>(header);
        const int32_t previous = record.value;
        StoreControlValue(n, button.iItem);
        TriggerControlEvent(n, EVENT_CONTEXT_MENU, previous, WM_NOTIFY, int32_t(header.code), 0, 0,
                            0);
        return TBDDRET_DEFAULT;
    }
    return 0;
}

namespace {

// Toolbar buttons report their index as command id: 1 and 2 must not end the dialog.
int32_t ToolbarOfWindow(HWND window) {
    if (!window) return -1;
    const int32_t n = ControlOfItem(GetDlgCtrlID(window), kControlWindowIdBase);
    const ControlRecord* record = UsedControlRecord(n);
    return record && record->window == window && record->controlClass == CONTROL_TOOLBAR ? n : -1;
}

void OnCommand(HWND dialog, int id, int code, HWND source) {
    const int32_t toolbar = ToolbarOfWindow(source);
    if (toolbar >= 0) {
        const int32_t previous = SetControlValue(toolbar, id);
        TriggerControlEvent(toolbar, EVENT_CLICKED, previous, WM_COMMAND, id, 1, 0, 0);
        return;
    }
    if (id == IDOK || id == IDCANCEL) {
        EndFilterDialog(dialog, id);
        return;
    }
    if (int32_t n = ControlOfItem(id, kLabelWindowIdBase); n >= 0) return OnLabelCommand(n, code);
    if (int32_t n = ControlOfItem(id, kEditWindowIdBase); n >= 0) {
        if (IsSkinActive() && SkinTabStripClicked(n, code)) return;
        return OnValueBoxCommand(n, code);
    }
    if (int32_t n = ControlOfItem(id, kControlWindowIdBase); n >= 0)
        return OnControlCommand(n, code);
    if (id >= 3 && !source)
        TriggerControlEvent(id, EVENT_MENU_COMMAND, 0, WM_COMMAND, code, 0, 0, 0);
}

// --- Notifications -------------------------------------------------------------------------------

LRESULT OnNotify(const NMHDR& header) {
    const int32_t n = ControlOfItem(int(header.idFrom), kControlWindowIdBase);
    ControlRecord* record = UsedControlRecord(n);
    if (!record || record->window != header.hwndFrom) return 0;
    const ControlNotifyProc notify = ControlClassOf(record->controlClass).notify;
    return notify ? notify(n, *record, header) : 0;
}

void OnContextMenu(POINT screen) {
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || !(record->properties & CTLPROP_CONTEXTMENU) ||
            record->state != CTLSTATE_FULL)
            continue;
        RECT rect;
        if (!record->window || !GetWindowRect(record->window, &rect) || !PtInRect(&rect, screen))
            continue;
        if (record->controlClass == CONTROL_LISTVIEW && IsWindowVisible(record->window))
            TriggerControlEvent(n, EVENT_CLICKED, record->value, WM_CONTEXTMENU, 0, 1, 0, 0);
        TriggerControlEvent(n, EVENT_CONTEXT_MENU, record->value, WM_CONTEXTMENU, 0, 0, 0, 0);
        return;
    }
}

// --- Mouse on the preview
// -------------------------------------------------------------------------

POINT gPanLast = {0, 0};

void StartPan(HWND dialog, POINT client, int32_t button) {
    SetCapture(dialog);
    gFilterDialog.previewDrag = true;
    gFilterDialog.panButton = button;
    gPanLast = client;
    if (gParams) gParams->flags |= PFLAG_PREVIEW_DRAG;
    const ControlRecord* preview = ControlRecordAt(CTL_PREVIEW);
    if (preview && (preview->properties & CTLPROP_PANEVENTS))
        TriggerControlEvent(CTL_PREVIEW, EVENT_PREVIEW_PAN, 0, WM_LBUTTONDOWN, 0, 0, 0, 0);
}

void EndPan() {
    StopPreviewDrag();
    // Without rendering while panning the drag asked the host for input only: the view it
    // ended at is asked for again with its output and rendered, or the preview would keep
    // the picture of where the drag began (or none).
    if (gParams && !(gParams->flags & PFLAG_DRAG_RENDER) && GetResult() == 0) {
        RefreshImageGeometry();
        RenderAndInvalidate();
    }
    const ControlRecord* preview = ControlRecordAt(CTL_PREVIEW);
    if (preview && (preview->properties & CTLPROP_PANEVENTS))
        TriggerControlEvent(CTL_PREVIEW, EVENT_PREVIEW_PAN, 1, WM_LBUTTONUP, 0, 0, 0, 1);
}

bool OnButtonDown(HWND dialog, bool left, POINT client) {
    if (!PointInPreview(client)) {
        if (!left)
            TriggerControlEvent(CTL_DIALOG, EVENT_CONTEXT_MENU, 0, WM_RBUTTONDOWN, 0, 0, 0, 0);
        return !left;
    }
    const int32_t panButtonMode = left ? 0 : 1;
    if (gFilterDialog.previewMouseMode == panButtonMode) {
        StartPan(dialog, client, panButtonMode);
    } else {
        TriggerControlEvent(CTL_PREVIEW, left ? EVENT_MOUSE_DOWN : EVENT_RIGHT_MOUSE_DOWN, 0,
                            left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, 0, 0, 0, 0);
    }
    return true;
}

bool OnButtonUp(bool left) {
    // The button that started the pan ends it, even when a tool was chosen meanwhile (a
    // shortcut clicked while the button was held): a pan left running keeps the mouse and
    // makes every later request of the host an input-only one.
    if (gFilterDialog.previewDrag && gFilterDialog.panButton == (left ? 0 : 1)) {
        EndPan();
        return true;
    }
    TriggerControlEvent(CTL_PREVIEW, left ? EVENT_MOUSE_UP : EVENT_RIGHT_MOUSE_UP, 0,
                        left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, 0, 0, 1);
    return true;
}

void OnMouseMove(POINT client) {
    if (gFilterDialog.previewDrag) {
        PanPreview(0, gPanLast.x - client.x, gPanLast.y - client.y, 1);
        gPanLast = client;
        return;
    }
    const ControlRecord* preview = ControlRecordAt(CTL_PREVIEW);
    if (preview && (preview->properties & CTLPROP_MOUSEMOVE) && PointInPreview(client))
        TriggerControlEvent(CTL_PREVIEW, EVENT_MOUSE_MOVE, 0, WM_MOUSEMOVE, 0, 0, 0, 0);
}

// --- Size ---------------------------------------------------------------------------------------

void RescalePreview(HWND dialog) {
    RefreshImageGeometry();
    TriggerControlEvent(0, EVENT_DIALOG_SIZED, WM_EXIT_SIZE_MOVE, WM_EXIT_SIZE_MOVE, 0, 0, 0, 0);
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RenderAndInvalidate();
}

void OnSize(HWND dialog, WPARAM type, LPARAM size) {
    if (!gFilterDialog.painted) return;
    const int32_t width = PixelsToDialogUnitsX(LOWORD(size));
    const int32_t height = PixelsToDialogUnitsY(HIWORD(size));
    const bool wasMaximised = gFilterDialog.maximised;
    gFilterDialog.maximised = type == SIZE_MAXIMIZED;
    gDialogFrame.maximised = gFilterDialog.maximised;
    if (!gFilterDialog.maximised) {
        GetWindowRect(dialog, &gDialogFrame.windowRect);
        gDialogFrame.windowRectStored = true;
    }
    // A minimised dialog has no client area: laid out for it, every stretched control would
    // collapse and the anchors would not bring it back.
    if (!IsLayoutFrozen(type)) ApplyControlAnchors(width, height);
    TriggerControlEvent(int32_t(type), EVENT_DIALOG_SIZE, int32_t(type), WM_SIZE, 0, 0, 0, 0);
    // A size set from outside a frame drag (the window moved by a program, the system's
    // restore) has no exit from sizing to wait for: left for one, the preview would show a
    // proxy set up for the new size and never rendered.
    if (gFilterDialog.maximised || (wasMaximised && type == SIZE_RESTORED) ||
        (!gFilterDialog.sizing && !IsLayoutFrozen(type)))
        RescalePreview(dialog);
    else
        gFilterDialog.sizeChanged = true;
}

// --- Painting and colours
// -------------------------------------------------------------------------

void OnPaint(HWND dialog) {
    gFilterDialog.painted = true;
    PaintPreview(dialog);
    if (IsKeyHeld(VK_LBUTTON) && GetCapture()) return;
    const ControlRecord* frameSwitch = ControlRecordAt(331);
    if (IsSkinActive() && gParams->skinIndex > 0 && frameSwitch && frameSwitch->value == 0)
        DrawPreviewFrame();
    if (gDialogFrame.sizeGripShown && !gFilterDialog.maximised) DrawSizeGrip();
}

HBRUSH ColourBrush(HDC dc, COLORREF color) {
    SetDCBrushColor(dc, color);
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

INT_PTR OnControlColor(HDC dc, HWND window) {
    const int id = GetDlgCtrlID(window);
    if (int32_t n = ControlOfItem(id, kControlWindowIdBase); n >= 0) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record) return FALSE;
        if (record->backgroundColor == COLORREF(-1)) {
            if (ControlClassHas(record->controlClass, CLASSTRAIT_RANGED)) return FALSE;
            SetBkMode(dc, TRANSPARENT);
        } else {
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, record->backgroundColor);
        }
        SetTextColor(dc, record->textColor);
        return reinterpret_cast<INT_PTR>(record->backgroundBrush);
    }
    if (int32_t n = ControlOfItem(id, kLabelWindowIdBase); n >= 0) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record) return FALSE;
        SetTextColor(dc, record->textColor);
        if (record->labelBackColor == COLORREF(-1)) {
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
        }
        SetBkColor(dc, record->labelBackColor);
        return reinterpret_cast<INT_PTR>(ColourBrush(dc, record->labelBackColor));
    }
    if (int32_t n = ControlOfItem(id, kEditWindowIdBase); n >= 0) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || record->editBackColor == COLORREF(-1)) return FALSE;
        SetBkColor(dc, record->editBackColor);
        SetTextColor(dc, record->editTextColor == COLORREF(-1) ? GetSysColor(COLOR_WINDOWTEXT)
                                                               : record->editTextColor);
        return reinterpret_cast<INT_PTR>(ColourBrush(dc, record->editBackColor));
    }
    return FALSE;
}

LRESULT OnHitTest(HWND dialog, LPARAM lParam) {
    POINT client = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(dialog, &client);
    RECT grip = SizeGripRect();
    if (gDialogFrame.sizeGripShown && !gFilterDialog.maximised && PtInRect(&grip, client))
        return HTBOTTOMRIGHT;
    if (PointInPreview(client)) return HTCLIENT;
    return 0;
}

bool OnSetCursor(HWND dialog) {
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(dialog, &cursor);
    if (gFilterDialog.previewDrag) {
        SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
        return true;
    }
    if (PointInPreview(cursor) && DialogCursorHandle()) {
        SetCursor(DialogCursorHandle());
        return true;
    }
    return false;
}

// A skinned control's window (or a skinned tab's strip) is painted by the skin.
bool DrawSkinnedItem(const DRAWITEMSTRUCT& item) {
    int32_t n = ControlOfItem(int(item.CtlID), kControlWindowIdBase);
    if (n < 0) n = ControlOfItem(int(item.CtlID), kEditWindowIdBase);
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !IsSkinActive() || !IsControlSkinned(n)) return false;
    if (item.hwndItem != record->window && item.hwndItem != record->editWindow) return false;
    if (record->controlClass == CONTROL_COLORBUTTON) return false;
    SetSkinPaintDc(item.hDC, item.hwndItem);
    PaintSkinnedControl(n, (item.itemState & ODS_SELECTED) ? 1 : 2);
    SetSkinPaintDc(nullptr);
    return true;
}

void OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (DrawSkinnedItem(item)) return;
    const int32_t n = ControlOfItem(int(item.CtlID), kControlWindowIdBase);
    const ControlRecord* record = UsedControlRecord(n);
    // Image buttons draw themselves from their image; every other owner-drawn control is the
    // effect's to draw.
    if (DrawImageButton(n, item)) return;
    if (record && (record->properties & CTLPROP_OWNERDRAW))
        TriggerControlEvent(n, EVENT_DRAW_ITEM, record->value, WM_DRAWITEM, 0, 0, 0, 0);
    // A skinned colour button keeps the effect's colour and gets the skin's frame around it.
    if (record && record->controlClass == CONTROL_COLORBUTTON && IsSkinActive() &&
        IsControlSkinned(n)) {
        SetSkinPaintDc(item.hDC, item.hwndItem);
        PaintSkinnedControl(n, 2);
        SetSkinPaintDc(nullptr);
    }
}

void OnWindowPositionChanged(HWND dialog) {
    if (gDialogShown || !IsWindowVisible(dialog)) return;
    gDialogShown = 1;
    // Arrives exactly once: forced past a delivery that may be under way.
    TriggerControlEvent(0, EVENT_DIALOG_SHOWN, 0, WM_WINDOWPOSCHANGED, 0, 0, 0, 1);
}

void OnDestroy(HWND dialog) {
    for (UINT_PTR id : {UINT_PTR(TIMER_PREVIEW), UINT_PTR(TIMER_HOVER), UINT_PTR(TIMER_WHEEL),
                        UINT_PTR(TIMER_ACTION_SOON)})
        KillTimer(dialog, id);
    for (int timer = 0; timer < kEffectTimerCount; ++timer)
        KillTimer(dialog, TIMER_EFFECT_FIRST + timer);
    gFilterDialog.armedTimers = 0;
    ReleasePreviewBuffers();
}

INT_PTR Answer(HWND dialog, LRESULT result) {
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

HINSTANCE TemplateModule() {
    return gModule ? gModule : GetModuleHandleA(nullptr);
}

HWND HostWindow() {
    if (!gDataBlock || !gStuff || !gStuff->platformData) return nullptr;
    HWND window = reinterpret_cast<HWND>(gStuff->platformData->hwnd);
    return IsWindow(window) ? window : nullptr;
}

}  // namespace

void RemoveDialogMessageHook() {
    RemoveMessageHook(gToolbarMenuHook);
    gToolbarMenuHook = nullptr;
}

void HoldDialogEnd() {
    ++gFilterDialog.endHolds;
}

void ReleaseDialogEnd() {
    if (gFilterDialog.endHolds <= 0 || --gFilterDialog.endHolds > 0) return;
    const int32_t command = gFilterDialog.heldEnd;
    const bool clicked = gFilterDialog.heldEndClicked;
    gFilterDialog.heldEnd = 0;
    gFilterDialog.heldEndClicked = false;
    if (!command || !gDialog) return;
    // A button's click reaches the effect as it would have (OK merges a brush stroke first),
    // past the event under way that held it.
    const int32_t button = command == IDOK ? CTL_OK : CTL_CANCEL;
    if (clicked)
        TriggerControlEvent(button, EVENT_CLICKED, Value(button), WM_COMMAND, 0, 1, 0, 1);
    else
        EndFilterDialog(gDialog, command);
}

bool DialogEndWaiting() {
    return gFilterDialog.heldEnd != 0;
}

void MarkTimerArmed(UINT_PTR id, bool armed) {
    const bool action = id == TIMER_WHEEL || id == TIMER_ACTION_SOON;
    if (!action && id >= 32) return;
    const uint32_t bit = 1u << (action ? 0 : id);
    if (armed)
        gFilterDialog.armedTimers |= bit;
    else
        gFilterDialog.armedTimers &= ~bit;
}

bool DialogIdle() {
    // Only the query itself runs in the dialog procedure, called from the loop's wait.
    if (!gDialog || !gFilterDialog.loopWaiting || gFilterDialog.procDepth != 1) return false;
    // A pan held by the user is no work: the dialog waits for the user's next move.
    if (gFilterDialog.deliveryDepth > 0 || gFilterDialog.endHolds > 0 || gFilterDialog.heldEnd ||
        gFilterDialog.endCommand || gFilterDialog.armedTimers)
        return false;
    // The periodic hover tick is no work of its own; input, posted messages and paints are.
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_PAINT | QS_HOTKEY)) != 0) return false;
    POINT cursor;
    const bool hoverBehind =
        GetForegroundWindow() == gDialog && GetCursorPos(&cursor) &&
        (cursor.x != gFilterDialog.lastCursor.x || cursor.y != gFilterDialog.lastCursor.y);
    return !hoverBehind;
}

void NoteDialogStartProgress() {
    if (gFilterDialog.startMoments == START_LOGGED) return;
    const UINT queued = HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_PAINT | QS_HOTKEY));
    if (gFilterDialog.startMoments == START_SHOWN && !(queued & QS_PAINT)) {
        StartTimingMark("first paint");
        gFilterDialog.startMoments = START_PAINTED;
    }
    // The effect's own one-shot timers (the thumbnails' tick among them) are work that comes
    // after the start; the preview's first render and a pending control action are part of it.
    const uint32_t startTimers = (1u << TIMER_PREVIEW) | 1u;
    if (gFilterDialog.startMoments == START_PAINTED && queued == 0 &&
        !(gFilterDialog.armedTimers & startTimers)) {
        StartTimingMark("idle");
        StartTimingWrite();
        gFilterDialog.startMoments = START_LOGGED;
    }
}

void FilterDialogReset() {
    gFilterDialog = FilterDialogState{};
    gFilterDialog.hoverControl = -1;
    gFilterDialog.wheelControl = -1;
    gFilterDialog.lastCursor = {-1, -1};
    gDialogShown = 0;
}

namespace {
// Counts the dialog procedure's calls under way for DialogIdle.
struct ProcDepthScope {
    ProcDepthScope() { ++gFilterDialog.procDepth; }
    ~ProcDepthScope() { --gFilterDialog.procDepth; }
    ProcDepthScope(const ProcDepthScope&) = delete;
    ProcDepthScope& operator=(const ProcDepthScope&) = delete;
};
}  // namespace

INT_PTR CALLBACK FilterDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const ProcDepthScope depth;
    switch (message) {
        case WM_DIALOG_IDLE_QUERY:
            return Answer(window, DialogIdle() ? 1 : 0);
        case WM_CONTROL_WINDOW_QUERY:
            return Answer(window, LONG_PTR(ControlWindowNow(int32_t(wParam))));
        case WM_INITDIALOG:
            OnInitDialog(window);
            return FALSE;
        case WM_TIMER:
            OnTimer(window, wParam);
            return TRUE;
        case WM_MOUSEWHEEL:
            return OnMouseWheel(wParam) ? Answer(window, 0) : FALSE;
        case WM_HSCROLL:
        case WM_VSCROLL:
            OnScroll(message, wParam, reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_NOTIFY:
            return Answer(window, OnNotify(*reinterpret_cast<const NMHDR*>(lParam)));
        case WM_CONTEXTMENU:
            OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return TRUE;
        // The dialog's class asks for double clicks: a second press soon after the first comes
        // as a double click, and is a press like any other (a second pan, a second tool click).
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            return OnButtonDown(window, message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK,
                                {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        case WM_LBUTTONUP:
            return OnButtonUp(true);
        case WM_RBUTTONUP:
            return OnButtonUp(false);
        case WM_MOUSEMOVE:
            OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return FALSE;
        case WM_ENTERSIZEMOVE:
            gFilterDialog.sizing = true;
            return FALSE;
        case WM_EXITSIZEMOVE:
            gFilterDialog.sizing = false;
            if (gFilterDialog.sizeChanged) RescalePreview(window);
            gFilterDialog.sizeChanged = false;
            return FALSE;
        case WM_SIZE:
            OnSize(window, wParam, lParam);
            return FALSE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_SHOWWINDOW:
            // Shown while the effect still builds it: the controls must be there.
            if (wParam) DeferControlShowing(false);
            return FALSE;
        case WM_WINDOWPOSCHANGED:
            OnWindowPositionChanged(window);
            return FALSE;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CTLCOLORDLG:
            return reinterpret_cast<INT_PTR>(DialogBackgroundBrush());
        case WM_NCHITTEST: {
            LRESULT hit = OnHitTest(window, lParam);
            return hit ? Answer(window, hit) : FALSE;
        }
        case WM_SETCURSOR:
            return LOWORD(lParam) == HTCLIENT && OnSetCursor(window) ? Answer(window, TRUE) : FALSE;
        case WM_PAINT:
            OnPaint(window);
            return TRUE;
        case WM_GETMINMAXINFO:
            ApplyDialogSizeLimits(reinterpret_cast<MINMAXINFO*>(lParam));
            return Answer(window, 0);
        case WM_DESTROY:
            OnDestroy(window);
            return FALSE;
    }
    return FALSE;
}

// --- Keys of skinned controls (a skin draws them itself, so the keys are the dialog's) ----------

bool SkinComboKeyValue(const ControlRecord& record, int32_t key, int32_t* value) {
    const int32_t v = record.value;
    // A named skin's combo box is an owner-drawn button: its items are the lines of its text.
    const bool ownWindow = IsSkinActive() && gParams->skinIndex > 0;
    const int32_t last = ownWindow ? CountSkinItems(ControlWholeText(record).c_str()) - 1
                         : record.window
                             ? int32_t(SendMessageA(record.window, CB_GETCOUNT, 0, 0)) - 1
                             : v;
    switch (key) {
        case VK_UP:
            *value = v - 1 < 0 ? 0 : v - 1;
            return true;
        case VK_DOWN:
            *value = v + 1 > last ? last : v + 1;
            return true;
        case VK_HOME:
            *value = 0;
            return true;
        case VK_END:
            *value = last;
            return true;
    }
    return false;
}

bool SkinSliderKeyValue(const ControlRecord& record, int32_t key, int32_t* value) {
    const int32_t v = record.value;
    switch (key) {
        case VK_LEFT:
        case VK_UP:
            *value = v - record.lineSize;
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            *value = v + record.lineSize;
            return true;
        case VK_NEXT:
            *value = v + record.pageSize;
            return true;
        case VK_PRIOR:
            *value = v - record.pageSize;
            return true;
        case VK_HOME:
            *value = record.min;
            return true;
        case VK_END:
            *value = record.max;
            return true;
        case '0':
        case VK_NUMPAD0:
            *value = 0;
            return true;
    }
    return false;
}

bool HandleDialogKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    const int32_t key = int32_t(message.wParam);
    if (key == VK_SHIFT || key == VK_CONTROL) return false;
    const int32_t focused = GetFocusedControl();
    const ControlRecord* record = UsedControlRecord(focused);
    int32_t value = 0;
    const SkinKeyProc skinKeys = record ? ControlClassOf(record->controlClass).skin.keys : nullptr;
    if (skinKeys && IsSkinActive() && skinKeys(*record, key, &value)) {
        PreviewTimingMark(PREVIEW_MOMENT_VALUE_CHANGED);
        const int32_t previous = SetControlValue(focused, value);
        const bool combo = record->controlClass == CONTROL_COMBOBOX;
        TriggerControlEvent(focused, combo ? EVENT_CLICKED : EVENT_VALUE_CHANGED, previous,
                            int32_t(message.message), 0, 1, 0, 0);
        return true;
    }
    const bool zeroKey = key == '0' || key == VK_NUMPAD0;
    if (record && record->controlClass == CONTROL_SLIDER && zeroKey && !IsSkinActive()) {
        const int32_t previous = SetControlValue(focused, 0);
        TriggerControlEvent(focused, EVENT_VALUE_CHANGED, previous, int32_t(message.message), 0, 1,
                            0, 0);
        return true;
    }
    return TriggerControlEvent(key, EVENT_KEY_DOWN, int32_t(message.lParam),
                               int32_t(message.message), 1, 0, 0, 0) != 0;
}

int32_t RunFilterDialog(int32_t argument, void (*renderProxy)()) {
    FilterDialogReset();
    PreviewReset();
    PreviewTimingBegin();
    gPreview.renderProxy = renderProxy;
    ClearControlWindows();
    ForgetDialogMetrics();
    HWND dialog = CreateDialogParamA(TemplateModule(), "FILTERPARAM", HostWindow(),
                                     FilterDialogProc, LPARAM(argument));
    if (!dialog) {
        gDialog = nullptr;
        ClearControlWindows();
        ShowErrorMessage("The filter dialog could not be created (error %lu).", GetLastError());
        SetResult(HOST_ERROR_REPORTED);
        return HOST_ERROR_REPORTED;
    }
    StartTimingMark("dialog created");
    WorkerPoolKeep(true);
    ShowWindow(dialog, SW_SHOW);
    StartTimingMark("shown");
    gFilterDialog.startMoments = StartTimingOn() ? START_SHOWN : START_LOGGED;
    MSG message;
    while (!gFilterDialog.endCommand && IsWindow(dialog)) {
        NoteDialogStartProgress();
        gFilterDialog.loopWaiting = true;
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        gFilterDialog.loopWaiting = false;
        if (got <= 0) break;
        if (HandleDialogKey(message)) continue;
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (gFilterDialog.startMoments != START_LOGGED) {
        StartTimingMark("closed before it was idle");
        StartTimingWrite();
        gFilterDialog.startMoments = START_LOGGED;
    }
    // The quit message belongs to this loop; drop it if the loop ended before reading it.
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    WorkerPoolKeep(false);
    gDialog = nullptr;
    gContext.dialogWindow = nullptr;
    ClearControlWindows();
    const bool ok = gFilterDialog.endCommand == IDOK;
    return ok ? 0 : HOST_USER_CANCELLED;
}
