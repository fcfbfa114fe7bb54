// Control creation and values: the windows of each class, default places, sizes and actions,
// and SetControlValue, which keeps window, record and controlValues in step.

#include "dialog/control_creation.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <initializer_list>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/skin_engine.h"
#include "dialog/slider_mapping.h"
#include "dialog/text_expansion.h"
#include "dialog/visual_styles.h"
#include "host/effect_context.h"
#include "host/plugin_data.h"
#include "host/start_timing.h"
#include "host/text_format.h"

namespace {

constexpr uint32_t kBorderedEdit = WS_BORDER;  // editStyle of a slider's value box

uint32_t gControlGenerations[kControlCount];
constexpr int kMaxRadioGroup = kControlCount;

HINSTANCE WindowInstance() {
    return gModule ? gModule : GetModuleHandleA(nullptr);
}

// The control being made gets hidden windows (set by CreateControl around the class's maker).
bool gMakingHidden = false;

HWND MakeChild(const char* windowClass, const char* text, DWORD style, DWORD exStyle,
               const RECT& place, int id) {
    const DWORD shown = gMakingHidden ? 0 : WS_VISIBLE;
    return CreateWindowExA(exStyle, windowClass, text, style | WS_CHILD | shown, place.left,
                           place.top, place.right - place.left, place.bottom - place.top, gDialog,
                           reinterpret_cast<HMENU>(intptr_t(id)), WindowInstance(), nullptr);
}

int ControlWindowId(int32_t n) {
    return n + kControlWindowIdBase;
}

// Labels and value boxes are made at their place: every later move costs the system a pass
// over the dialog's many siblings.
HWND MakeLabel(ControlBuild& build, DWORD alignment, const char* text) {
    ControlRecord& record = build.record;
    const DWORD style = SS_NOTIFY | alignment;
    record.labelStyle = style;
    RECT place = {0, 0, 0, 0};
    if (*text) {
        MeasureControlLabel(build.n, text);
        GetLabelRect(build.n, record.x, record.y, record.width, record.height, &place);
    }
    record.labelWindow = MakeChild("STATIC", text, style, 0, place, build.n + kLabelWindowIdBase);
    return record.labelWindow;
}

// Value box and label of the two slider classes; the slider's text is its label.
bool MakeSliderCompanions(ControlBuild& build) {
    ControlRecord& record = build.record;
    const bool vertical = IsVerticalSlider(record.controlClass, record.style);
    const DWORD editStyle = WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | (vertical ? ES_CENTER : 0);
    record.editStyle = kBorderedEdit;
    RECT place;
    GetEditBoxRect(build.n, record.x, record.y, record.width, record.height, &place);
    record.editWindow =
        MakeChild("EDIT", "", editStyle | kBorderedEdit, 0, place, build.n + kEditWindowIdBase);
    return record.editWindow &&
           MakeLabel(build, vertical ? SS_CENTER : SS_RIGHT, build.expandedText);
}

UINT TrackbarTipSide(uint32_t properties) {
    if (properties & CTLPROP_TIP_BOTTOM) return TBTS_BOTTOM;
    if (properties & CTLPROP_TIP_RIGHT) return TBTS_RIGHT;
    if (properties & CTLPROP_TIP_LEFT) return TBTS_LEFT;
    return TBTS_TOP;
}

void ResetCreatedRecord(ControlRecord& record, int32_t controlClass) {
    record.controlClass = controlClass;
    record.window = record.editWindow = record.labelWindow = nullptr;
    record.backgroundBrush = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    record.backgroundColor = ControlClassHas(controlClass, CLASSTRAIT_FACE_BACKGROUND)
                                 ? GetSysColor(COLOR_BTNFACE)
                                 : COLORREF(-1);
    record.labelBackColor = record.editBackColor = record.editTextColor = COLORREF(-1);
    record.textColor = GetSysColor(COLOR_WINDOWTEXT);
    record.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    record.spacing = 8;
    record.value = record.initialValue = 0;
    record.min = 0;
    record.max = 255;
    record.lineSize = 1;
    record.pageSize = 10;
    record.pageExtent = 0;
    record.divisor = 1;
    record.toolTip[0] = '\0';
    record.imageName[0] = '\0';
    record.imageOption = 0;
    record.labelWidth = record.labelHeight = 0;
    record.editStyle = record.editExStyle = record.labelStyle = record.labelExStyle = 0;
}

// Thumb of a scroll bar or trackbar; min and max may be inverted.
void ShowSliderPosition(const ControlRecord& record) {
    if (!record.window) return;
    const SliderShape shape = {record.min, record.max, record.pageExtent, record.gamma};
    const int32_t position =
        WindowPositionFromSliderPosition(shape, SliderPositionFromValue(shape, record.value));
    // A thumb already in place is not drawn again: the dialog's start sets each value many
    // times over (range, divisor, start value, remembered settings, layout).
    if (ControlClassHas(record.controlClass, CLASSTRAIT_TRACKBAR)) {
        if (SendMessageA(record.window, TBM_GETPOS, 0, 0) != position)
            SendMessageA(record.window, TBM_SETPOS, TRUE, position);
    } else if (GetScrollPos(record.window, SB_CTL) != position) {
        SetScrollPos(record.window, SB_CTL, position, TRUE);
    }
}

void ShowValueBox(ControlRecord& record) {
    if (!record.editWindow) return;
    if (gAppearance.valueBoxDelayMs != 0 && GetFocus() == record.editWindow) return;
    char text[64], shown[64];
    FormatValueBoxText(record.value, record.divisor, text, sizeof text);
    if (GetWindowTextA(record.editWindow, shown, sizeof shown) >= 0 && strcmp(shown, text) == 0)
        return;
    // The box tells the dialog about every change of its text; this one is ours.
    const bool writing = gFilterDialog.writingValueBox;
    gFilterDialog.writingValueBox = true;
    SetWindowTextA(record.editWindow, text);
    UpdateWindow(record.editWindow);
    gFilterDialog.writingValueBox = writing;
}

bool StartsGroup(HWND window) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_GROUP) != 0;
}

// The dialog group runs from a window with the group bit to the next one. Hidden and disabled
// members belong to it too (the system's group walk skips them): a radio button on a sheet
// not shown, or made before the dialog shows, is still cleared.
void ClearOtherRadioButtons(int32_t n, HWND window) {
    HWND first = window;
    for (int steps = 0; steps < kMaxRadioGroup && !StartsGroup(first); ++steps) {
        HWND previous = GetWindow(first, GW_HWNDPREV);
        if (!previous) break;
        first = previous;
    }
    HWND member = first;
    for (int steps = 0; member && steps < kMaxRadioGroup;
         ++steps, member = GetWindow(member, GW_HWNDNEXT)) {
        if (member != first && StartsGroup(member)) break;
        if (member == window) continue;
        const int32_t other = GetDlgCtrlID(member) - kControlWindowIdBase;
        const ControlRecord* record = UsedControlRecord(other);
        if (other == n || !record || record->controlClass != CONTROL_RADIOBUTTON) continue;
        if (SendMessageA(member, BM_GETCHECK, 0, 0) != BST_CHECKED) continue;
        SendMessageA(member, BM_SETCHECK, BST_UNCHECKED, 0);
        StoreControlValue(other, 0);
    }
}

// The class-specific window work of SetControlValue; returns the value to store.
// Controls on the sheets of a tab or value list follow its new sheet.
void ReshowSheetControls(int32_t owner) {
    for (int child = 0; child < kControlCount; ++child) {
        const ControlRecord* record = UsedControlRecord(child);
        if (record && record->tab == owner && child != owner) ApplyControlState(child);
    }
}

}  // namespace

// --- Window makers of the classes ------------------------------------------------------------

bool CreateScrollBarWindows(ControlBuild& build) {
    ControlRecord& record = build.record;
    const DWORD style = (record.style | WS_TABSTOP) & ~DWORD(WS_BORDER);
    record.window =
        MakeChild("SCROLLBAR", "", style, record.exStyle, build.place, ControlWindowId(build.n));
    if (!record.window) return false;
    return !ControlClassHas(record.controlClass, CLASSTRAIT_VALUE_BOX) ||
           MakeSliderCompanions(build);
}

bool CreateTrackbarWindows(ControlBuild& build) {
    ControlRecord& record = build.record;
    const DWORD style = record.style | WS_TABSTOP | TBS_NOTICKS | TBS_BOTH;
    record.window = MakeChild(TRACKBAR_CLASSA, "", style, record.exStyle, build.place,
                              ControlWindowId(build.n));
    if (!record.window) return false;
    record.backgroundColor = GetSysColor(COLOR_BTNFACE);
    record.backgroundBrush = CreateSolidBrush(record.backgroundColor);
    if (style & TBS_TOOLTIPS)
        SendMessageA(record.window, TBM_SETTIPSIDE, TrackbarTipSide(record.properties), 0);
    if (!ControlClassHas(record.controlClass, CLASSTRAIT_VALUE_BOX)) {
        record.labelWidth = 1;
        return true;
    }
    return MakeSliderCompanions(build);
}

// The button type of the class when the effect gave none.
bool CreateButtonWindow(ControlBuild& build) {
    ControlRecord& record = build.record;
    const ControlClassInfo& info = ControlClassOf(record.controlClass);
    // The effect's own button type wins over the class's.
    const DWORD type = (record.style & BS_TYPEMASK) ? 0 : info.windowType;
    const bool tabStop = (info.traits & CLASSTRAIT_TABSTOP) != 0;
    const DWORD style = record.style | type | (tabStop ? WS_TABSTOP : 0);
    record.window = MakeChild("BUTTON", build.expandedText, style, record.exStyle, build.place,
                              ControlWindowId(build.n));
    return record.window != nullptr;
}

void ButtonRecordDefaults(ControlRecord& record) {
    record.min = 0;
    record.max = 2;
}

bool CreateListWindows(ControlBuild& build) {
    ControlRecord& record = build.record;
    const DWORD style =
        record.style | LBS_NOTIFY | WS_TABSTOP | ControlClassOf(record.controlClass).windowType;
    record.window =
        MakeChild("LISTBOX", "", style, record.exStyle, build.place, ControlWindowId(build.n));
    record.value = record.initialValue = -1;
    record.min = -1;
    record.max = 65535;
    record.backgroundColor = GetSysColor(COLOR_BTNFACE);
    record.backgroundBrush = CreateSolidBrush(record.backgroundColor);
    return record.window && MakeLabel(build, SS_RIGHT, "");
}

bool CreateComboWindows(ControlBuild& build) {
    ControlRecord& record = build.record;
    DWORD style = record.style | WS_TABSTOP | WS_VSCROLL;
    if (!(style & 3)) style |= CBS_DROPDOWNLIST;
    record.window =
        MakeChild("COMBOBOX", "", style, record.exStyle, build.place, ControlWindowId(build.n));
    if (!record.window) return false;
    if (record.properties & CTLPROP_EXTENDEDUI)
        SendMessageA(record.window, CB_SETEXTENDEDUI, TRUE, 0);
    return MakeLabel(build, SS_RIGHT, "");
}

void ComboRecordDefaults(ControlRecord& record) {
    record.value = record.initialValue = -1;
    record.min = -1;
    record.max = 65535;
}

bool CreateEditWindow(ControlBuild& build) {
    ControlRecord& record = build.record;
    record.window = MakeChild("EDIT", build.expandedText, record.style | WS_TABSTOP, record.exStyle,
                              build.place, ControlWindowId(build.n));
    return record.window != nullptr;
}

// The picture type of the static classes when the effect gave none.
bool CreateStaticWindow(ControlBuild& build) {
    ControlRecord& record = build.record;
    // The effect's own picture type wins over the class's.
    const DWORD type =
        (record.style & SS_TYPEMASK) ? 0 : ControlClassOf(record.controlClass).windowType;
    const bool picture = type == SS_BITMAP || type == SS_ICON || type == SS_ENHMETAFILE;
    record.window =
        MakeChild("STATIC", picture ? "" : build.expandedText, record.style | type | SS_NOTIFY,
                  record.exStyle, build.place, ControlWindowId(build.n));
    return record.window != nullptr;
}

void StaticRecordDefaults(ControlRecord& record) {
    for (int i = 0; i < 2; ++i) {
        record.imageDCs[i] = nullptr;
        record.imageBitmaps[i] = nullptr;
        record.imageOldObjects[i] = nullptr;
    }
}

bool CreateTabWindow(ControlBuild& build) {
    ControlRecord& record = build.record;
    record.window = MakeChild(WC_TABCONTROLA, "", record.style | WS_CLIPSIBLINGS | WS_TABSTOP,
                              record.exStyle, build.place, ControlWindowId(build.n));
    return record.window != nullptr;
}

bool CreateListViewWindow(ControlBuild& build) {
    ControlRecord& record = build.record;
    // The image lists belong to their slots, which release them after the run: a list view
    // that owned them too would destroy them with the dialog, and the slots' release would
    // then free them a second time.
    const DWORD style = record.style | LVS_NOCOLUMNHEADER | LVS_AUTOARRANGE | LVS_NOLABELWRAP |
                        LVS_SHAREIMAGELISTS | WS_TABSTOP;
    record.window =
        MakeChild(WC_LISTVIEWA, "", style, record.exStyle, build.place, ControlWindowId(build.n));
    if (!record.window) return false;
    record.value = -1;
    SendMessageA(record.window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = build.place.right - build.place.left;
    SendMessageA(record.window, LVM_INSERTCOLUMNA, 0, LPARAM(&column));
    if (IsVisualStyleActive()) SubclassListView(record.window);
    return true;
}

bool CreateToolbarWindow(ControlBuild& build) {
    ControlRecord& record = build.record;
    const DWORD style = record.style | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER |
                        CCS_NOPARENTALIGN | CCS_NORESIZE;
    record.window = MakeChild(TOOLBARCLASSNAMEA, "", style, record.exStyle, build.place,
                              ControlWindowId(build.n));
    if (!record.window) return false;
    SendMessageA(record.window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(record.window, TB_SETPARENT, WPARAM(gDialog), 0);
    // The buttons carry captions alone: without a zero image size every button keeps room
    // for a 16-pixel picture, and a menu bar grows under the controls beside it.
    SendMessageA(record.window, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    return true;
}

bool CreateNoWindow(ControlBuild&) {
    return true;
}

// --- Values in the windows of the classes ------------------------------------------------------

// Scroll bars and sliders: the value is clamped and shown by the thumb (or the skin) and, for
// sliders, in the value box.
int32_t ShowRangedValue(int32_t n, ControlRecord& record, int32_t value) {
    value = ClampToRange(record.min, record.max, value);
    const bool inverted = record.min > record.max;
    // Steps point from min toward max, whichever way the range runs.
    auto directed = [inverted](int32_t step) {
        const int32_t size = step < 0 ? -step : step;
        return inverted ? -size : size;
    };
    record.lineSize = directed(record.lineSize);
    record.pageSize = directed(record.pageSize);
    record.value = value;
    if (IsSkinActive() && IsControlSkinned(n)) {
        StoreControlValue(n, value);
        if (GetEffectiveControlState(n)) PaintSkinnedControl(n, 0);
    } else {
        ShowSliderPosition(record);
    }
    if (ControlClassHas(record.controlClass, CLASSTRAIT_VALUE_BOX)) ShowValueBox(record);
    return value;
}

int32_t ShowTrackbarValue(int32_t, ControlRecord& record, int32_t value) {
    if (record.window && SendMessageA(record.window, TBM_GETPOS, 0, 0) != value)
        SendMessageA(record.window, TBM_SETPOS, TRUE, value);
    return value;
}

int32_t ShowCheckValue(int32_t, ControlRecord& record, int32_t value) {
    value &= 3;
    if (record.window && SendMessageA(record.window, BM_GETCHECK, 0, 0) != value)
        SendMessageA(record.window, BM_SETCHECK, WPARAM(value), 0);
    return value;
}

int32_t ShowRadioValue(int32_t n, ControlRecord& record, int32_t value) {
    value &= 1;
    if (HWND window = record.window) {
        SendMessageA(window, BM_SETCHECK, WPARAM(value), 0);
        const LONG_PTR type = GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK;
        if (value && type == BS_AUTORADIOBUTTON) ClearOtherRadioButtons(n, window);
    }
    return value;
}

int32_t ShowListValue(int32_t, ControlRecord& record, int32_t value) {
    HWND window = record.window;
    if (!window) return value;
    if (GetWindowLongPtrA(window, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
        SendMessageA(window, LB_SETSEL, TRUE, value);
        return value;
    }
    const LRESULT answer = SendMessageA(window, LB_SETCURSEL, WPARAM(value), 0);
    return answer == LB_ERR ? -1 : int32_t(answer);
}

int32_t ShowComboValue(int32_t n, ControlRecord& record, int32_t value) {
    if (!record.window && ControlWindowsWaiting(n)) {
        NoteWaitingSelection(n);
        return WaitingComboSelection(record, value);
    }
    if (!record.window) return value;
    const LRESULT answer = SendMessageA(record.window, CB_SETCURSEL, WPARAM(value), 0);
    return answer == CB_ERR ? -1 : int32_t(answer);
}

int32_t ShowTabValue(int32_t, ControlRecord& record, int32_t value) {
    if (record.window) TabCtrl_SetCurSel(record.window, value);
    return value;
}

int32_t ShowListViewValue(int32_t, ControlRecord& record, int32_t value) {
    HWND window = record.window;
    if (!window) return value;
    if (value < 0) {
        const int focused = ListView_GetNextItem(window, -1, LVNI_FOCUSED);
        if (focused >= 0) ListView_SetItemState(window, focused, 0, LVIS_SELECTED);
    } else {
        ListView_SetItemState(window, value, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
    return value;
}

int32_t ShowPlainValue(int32_t, ControlRecord&, int32_t value) {
    return value;
}

// --- Defaults ---------------------------------------------------------------------------------

SIZE DefaultControlSize(int32_t n, int32_t controlClass, uint32_t style) {
    // The about button is taller than other image buttons: its picture has a caption.
    if (n == CTL_ABOUT && controlClass == CONTROL_IMAGEBUTTON) return {32, 43};
    const ControlClassInfo& info = ControlClassOf(controlClass);
    return IsVerticalSlider(controlClass, style) ? info.defaultSizeVertical : info.defaultSize;
}

POINT DefaultControlPosition(int32_t n) {
    switch (n) {
        case CTL_PREVIEW:
            return {5, 5};
        case CTL_CANCEL:
            return {446, 160};
        case CTL_OK:
            return {408, 160};
    }
    // Each ten numbers form a column; the columns run from the right.
    return {5 * (70 - (n / 10) % 10), 10 * (n % 10) + 5};
}

int32_t DefaultControlAction(int32_t n, int32_t controlClass) {
    if (n == CTL_CANCEL) return ACTION_CANCEL;
    if (n == CTL_OK) return ACTION_OK;
    return ControlClassOf(controlClass).defaultAction;
}

void AnchorDistances(int32_t flags, int32_t x, int32_t y, int32_t width, int32_t height,
                     int32_t clientWidth, int32_t clientHeight, int32_t* dx, int32_t* dy) {
    *dx = (flags & ANCHOR_HCENTER) ? x - clientWidth / 2 : clientWidth - width - x;
    *dy = (flags & ANCHOR_VCENTER) ? y - clientHeight / 2 : clientHeight - height - y;
}

// --- Window bookkeeping -----------------------------------------------------------------------

uint32_t ControlGeneration(int32_t n) {
    return n >= 0 && n < kControlCount ? gControlGenerations[n] : 0;
}

void NextControlGeneration(int32_t n) {
    if (n >= 0 && n < kControlCount) ++gControlGenerations[n];
}

void DestroyDialogChild(HWND window) {
    if (window && gDialog && IsWindow(window) && GetParent(window) == gDialog)
        DestroyWindow(window);
}

void ReleaseControlImageObjects(ControlRecord& record) {
    for (int i = 0; i < 2; ++i) {
        if (record.imageDCs[i]) {
            if (record.imageOldObjects[i])
                SelectObject(record.imageDCs[i], record.imageOldObjects[i]);
            DeleteDC(record.imageDCs[i]);
        }
        if (record.imageBitmaps[i]) DeleteObject(record.imageBitmaps[i]);
        record.imageDCs[i] = nullptr;
        record.imageBitmaps[i] = nullptr;
        record.imageOldObjects[i] = nullptr;
    }
}

void ClearControlWindows() {
    ForgetAllWaitingControlWindows();
    for (int n = 0; n < kControlCount; ++n) {
        ControlRecord* record = ControlRecordAt(n);
        if (!record) return;
        record->window = record->editWindow = record->labelWindow = nullptr;
        for (int i = 0; i < 2; ++i) {
            record->imageDCs[i] = nullptr;
            record->imageBitmaps[i] = nullptr;
            record->imageOldObjects[i] = nullptr;
        }
    }
}

bool MakeControlWindowsAt(int32_t n, const RECT& place, bool hidden) {
    ControlRecord* found = ControlRecordAt(n);
    if (!found || !gDialog) return false;
    ControlRecord& record = *found;
    const std::string expanded = ExpandText(ControlWholeText(n).c_str());
    ControlBuild build = {n, record, place, expanded.c_str()};
    StartTimingSection timing("create", ControlClassOf(record.controlClass).name);
    gMakingHidden = hidden;
    const bool made = ControlClassOf(record.controlClass).createWindows(build);
    gMakingHidden = false;
    if (!made) {
        // Partly made: nothing of it may stay on the dialog.
        DestroyDialogChild(record.window);
        DestroyDialogChild(record.editWindow);
        DestroyDialogChild(record.labelWindow);
        record.window = record.editWindow = record.labelWindow = nullptr;
        return false;
    }
    // Drawn in the font the label was measured in: the dialog's, or where the dialog has none,
    // the record's own (a window left without one draws in the system font, which is wider).
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(gDialog, WM_GETFONT, 0, 0));
    if (HFONT font = dialogFont ? dialogFont : record.font) {
        for (HWND window : {record.window, record.editWindow, record.labelWindow})
            if (window) SendMessageA(window, WM_SETFONT, WPARAM(font), FALSE);
    }
    return true;
}

// --- Creation -------------------------------------------------------------------------------

int32_t CreateControl(int32_t n, int32_t controlClass, const char* text, int32_t x, int32_t y,
                      int32_t width, int32_t height, uint32_t style, uint32_t exStyle,
                      uint32_t properties, int32_t state) {
    ControlRecord* found = ControlRecordAt(n);
    if (!found) return 0;
    ControlRecord& record = *found;
    if (record.inUse) DeleteControl(n);
    NextControlGeneration(n);
    ForgetPendingPlace(n);
    NoteControlCreated(n);
    record.inUse = 0;
    ResetCreatedRecord(record, controlClass);
    ControlTextStoreSet(n, text ? text : "", text);

    const SIZE size = DefaultControlSize(n, controlClass, style);
    const POINT position = DefaultControlPosition(n);
    record.x = x < 0 ? position.x : x;
    record.y = y < 0 ? position.y : y;
    record.width = width < 0 ? size.cx : width;
    record.height = height < 0 ? size.cy : height;
    record.style = style;
    record.exStyle = exStyle;
    record.properties = properties;
    record.action = DefaultControlAction(n, controlClass);
    record.state = uint8_t(state == -1 ? CTLSTATE_FULL : state & CTLSTATE_FULL);
    if (const RecordDefaultsProc defaults = ControlClassOf(controlClass).recordDefaults)
        defaults(record);

    if (gDialog) {
        // Measured and drawn in the dialog's font from the start.
        HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(gDialog, WM_GETFONT, 0, 0));
        if (dialogFont) record.font = dialogFont;
        const bool hidden = MakeControlHidden(n);
        if (hidden && ControlWindowsMayWait(n)) {
            NoteControlWindowsWaiting(n);
        } else if (!MakeControlWindowsAt(
                       n, DialogUnitsToPixelRect(record.x, record.y, record.width, record.height),
                       hidden)) {
            return 0;
        }
    }
    record.inUse = 1;
    record.tab = record.sheet = -1;
    if (gDialog && ControlClassHas(controlClass, CLASSTRAIT_ITEMS) && record.text[0]) {
        StartTimingSection timing("items", ControlClassOf(controlClass).name);
        SetControlText(n, ControlWholeText(n).c_str());
    }
    StartTimingSection timing("setters after creation");
    SetControlRange(n, record.min, record.max);
    SetControlLineSize(n, record.lineSize);
    SetControlPageSize(n, record.pageSize);
    SetControlValue(n, record.initialValue);
    SetControlState(n, record.state);
    SetControlAnchor(n, ANCHOR_RIGHT);
    if (n == CTL_ABOUT) SetControlToolTip(n, "About this filter", 0);
    return 1;
}

// --- Values ---------------------------------------------------------------------------------

int32_t GammaMap(int32_t n, int32_t position, int32_t direction) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record) return position;
    return GammaMapShape({record->min, record->max, record->pageExtent, record->gamma}, position,
                         direction);
}

int32_t SetControlValue(int32_t n, int32_t value) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    const int32_t previous = record->value;
    // Without a dialog the value is kept exactly as given: ranges apply to what the user sees.
    if (!gContext.dialogWanted) {
        StoreControlValue(n, value);
        return previous;
    }
    const ControlClassInfo& info = ControlClassOf(record->controlClass);
    if (info.skin.paintsValue && IsSkinActive() && IsControlSkinned(n)) {
        StoreControlValue(n, value);
        if (info.traits & CLASSTRAIT_OWNS_SHEETS) ReshowSheetControls(n);
        if (GetEffectiveControlState(n)) PaintSkinnedControl(n, 0);
        return previous;
    }
    value = info.showValue(n, *record, value);
    StoreControlValue(n, value);
    if (info.traits & CLASSTRAIT_OWNS_SHEETS) ReshowSheetControls(n);
    return previous;
}

int32_t SetControlLabel(int32_t n, const char* text) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    if (!ControlClassHas(record->controlClass, CLASSTRAIT_LABEL_TEXT)) return 0;
    CopyText(record->label, sizeof record->label, text ? text : "");
    const std::string expanded = ExpandText(record->label);
    MeasureControlLabel(n, expanded.c_str());
    if (!record->labelWindow) return 1;
    PlaceControlLabel(n);
    SetWindowTextA(record->labelWindow, expanded.c_str());
    if (!IsRedrawSuspended() && (record->state & CTLSTATE_VISIBLE))
        RedrawDialogUnder(record->labelWindow);
    return 1;
}

int32_t SetControlAnchor(int32_t n, int32_t flags) {
    ControlRecord* record = n == CTL_PREVIEW ? ControlRecordAt(n) : UsedControlRecord(n);
    if (!record) return 0;
    if (flags == 0) {
        record->anchorFlags = 0;
        return 1;
    }
    if (flags != -1) record->anchorFlags = flags;
    if (!gDialog) return 1;
    AnchorDistances(record->anchorFlags, record->x, record->y, record->width, record->height,
                    GetDialogClientWidth(), GetDialogClientHeight(), &record->anchorDX,
                    &record->anchorDY);
    return 1;
}
