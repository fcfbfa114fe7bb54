// Applying a skin: the style loaded into gSkinStyle, plain controls recoloured, skinned classes
// given owner-drawn windows once per dialog, the sliders' mouse followed, and the clicks and
// hit tests of the skinned windows. What differs by class lives in the class table's rows.

#include "dialog/skin_engine.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_units.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/font_slots.h"
#include "dialog/slider_mapping.h"
#include "dialog/text_expansion.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"

SkinEngineState gSkinEngine = {false, false, false, nullptr, nullptr, -1, 0};

namespace {

constexpr int32_t kSkinFontSlot = 30;
constexpr int32_t kTabStripIdBase = kEditWindowIdBase;  // the strip is the tab's value box
// A tab control lower than this is a bare strip: moved down to line up with the sheet's top.
constexpr int32_t kBareTabHeightUnits = 14;
constexpr int32_t kBareTabShiftPixels = 2;
constexpr DWORD kClientEdge = WS_EX_CLIENTEDGE;  // 0x200
constexpr DWORD kStaticEdge = WS_EX_STATICEDGE;  // 0x20000
// Value lists nest sheets: a control may lie on a value list that lies on a tab.
constexpr int kMaxSheetNesting = 3;
constexpr const char* kMenuButtonImage = "buttonmenu";
constexpr const char* kMenuArrowCaption = "6";  // a down triangle in the symbol font

HINSTANCE WindowInstance() {
    return gModule ? gModule : GetModuleHandleA(nullptr);
}

const ControlSkinLook& LookOf(const ControlRecord& record) {
    return ControlClassOf(record.controlClass).skin;
}

bool HasSkin() {
    return gParams && gParams->skinActive;
}

int32_t CountTextLines(const char* text) {
    if (!text || !*text) return 0;
    int32_t lines = 1;
    for (const char* c = text; *c; ++c)
        if (*c == '\n' && c[1]) ++lines;
    return lines;
}

SkinSystemColours SystemColours() {
    SkinSystemColours system = {};
    system.dialogColor = int32_t(GetDialogColor());
    system.buttonFace = int32_t(GetSysColor(COLOR_BTNFACE));
    system.darkShadow = int32_t(GetSysColor(COLOR_3DDKSHADOW));
    system.visualStyles = IsVisualStyleActive();
    system.firstTabColor = system.buttonFace;
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (record && record->controlClass == CONTROL_TAB) {
            system.firstTabColor = GetControlColor(n);
            break;
        }
    }
    return system;
}

// The mouse in control n's window, client coordinates; false without a window.
bool MouseInWindow(HWND window, POINT* out) {
    if (!window || !GetCursorPos(out)) return false;
    return ScreenToClient(window, out) != 0;
}

// --- Replacement windows ------------------------------------------------------------------------

RECT ReplacementPlace(const ControlRecord& record) {
    if (record.window) {
        RECT rect;
        GetWindowRect(record.window, &rect);
        MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    return DialogUnitsToPixelRect(record.x, record.y, record.width, record.height);
}

struct ReplacementShape {
    const char* windowClass;
    DWORD style, exStyle;
    std::string caption;
};

ReplacementShape ShapeOf(const ControlRecord& record, SkinWindowKind kind, HWND old) {
    ReplacementShape shape;
    char caption[1024] = "";
    if (old) GetWindowTextA(old, caption, sizeof caption);
    shape.caption = caption;
    shape.style = old ? DWORD(GetWindowLongPtrA(old, GWL_STYLE)) : record.style;
    shape.exStyle = old ? DWORD(GetWindowLongPtrA(old, GWL_EXSTYLE)) : record.exStyle;
    // The type bits of the old window mean something else in the new class.
    shape.style &= ~DWORD(0xFFFF);
    shape.style |= WS_CHILD;
    if (kind == SKINWINDOW_STATIC) {
        shape.windowClass = "STATIC";
        shape.style |= SS_OWNERDRAW | WS_CLIPSIBLINGS;
        return shape;
    }
    shape.windowClass = "BUTTON";
    shape.style |= BS_OWNERDRAW | WS_TABSTOP;
    switch (record.controlClass) {
        case CONTROL_CHECKBOX:
            shape.exStyle &= ~kStaticEdge;
            break;
        case CONTROL_COMBOBOX:
            shape.style &= ~DWORD(WS_VSCROLL);
            break;
        case CONTROL_TOOLBAR:
        case CONTROL_PROGRESSBAR:
            shape.style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
            break;
    }
    if (kind == SKINWINDOW_MENU_BUTTON) {
        shape.style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
        shape.caption = kMenuArrowCaption;
    }
    return shape;
}

HWND MakeWindow(const ReplacementShape& shape, const RECT& place, int id, HWND after) {
    HWND window =
        CreateWindowExA(shape.exStyle, shape.windowClass, shape.caption.c_str(), shape.style,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        gDialog, reinterpret_cast<HMENU>(intptr_t(id)), WindowInstance(), nullptr);
    if (window && after)
        SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return window;
}

// The strip of a skinned tab control: its own window over the top of the tab, so that clicks
// on the tabs reach the dialog.
void MakeTabStrip(int32_t n, ControlRecord& record, const RECT& place, HWND after) {
    ReplacementShape strip = {"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, ""};
    RECT stripPlace = place;
    stripPlace.bottom = stripPlace.top + gSkinStyle.tabStripHeight;
    record.editWindow = MakeWindow(strip, stripPlace, n + kTabStripIdBase, after);
}

// The combo box is as high as the skin's face; its stored height follows.
void FitComboHeight(int32_t n, ControlRecord& record) {
    if (!record.window) return;
    RECT rect;
    GetWindowRect(record.window, &rect);
    SetWindowPos(record.window, nullptr, 0, 0, rect.right - rect.left, gSkinStyle.comboHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    record.height = PixelsToDialogUnitsY(gSkinStyle.comboHeight);
    PlaceControlCompanions(n);
}

int32_t ReplaceControlWindow(int32_t n, ControlRecord& record, SkinWindowKind kind) {
    if (kind == SKINWINDOW_EDGELESS) {
        // The record keeps its client edge, so that the control is still known as skinned.
        if (!record.window) return 0;
        SetWindowLongPtrA(record.window, GWL_EXSTYLE,
                          GetWindowLongPtrA(record.window, GWL_EXSTYLE) & ~LONG_PTR(kClientEdge));
        SetWindowPos(record.window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        return 1;
    }
    HWND old = record.window;
    const RECT place = ReplacementPlace(record);
    const ReplacementShape shape = ShapeOf(record, kind, old);
    // The tooltip belongs to the old window: it goes with it and comes back on the new one.
    const std::string toolTip = record.toolTip;
    if (!toolTip.empty()) SetControlToolTip(n, "", 0);
    HWND after = old ? GetWindow(old, GW_HWNDPREV) : nullptr;
    if (old) DestroyWindow(old);
    if (n == CTL_PROGRESS && gDialog) {
        if (HWND bar = GetDlgItem(gDialog, ITEM_PROGRESS)) ShowWindow(bar, SW_HIDE);
    }
    record.window = MakeWindow(shape, place, n + kControlWindowIdBase, after ? after : HWND_TOP);
    if (kind == SKINWINDOW_MENU_BUTTON) record.controlClass = CONTROL_PUSHBUTTON;
    if (record.controlClass == CONTROL_TAB) MakeTabStrip(n, record, place, after);
    if (record.window && record.controlClass == CONTROL_COMBOBOX) FitComboHeight(n, record);
    if (!toolTip.empty()) SetControlToolTip(n, toolTip.c_str(), 0);
    ApplyControlState(n);
    return record.window ? 1 : 0;
}

void ApplyFont(int32_t n, ControlRecord& record) {
    if (HFONT font = FontSlot(kSkinFontSlot)) {
        record.font = font;
        if (record.window) SendMessageA(record.window, WM_SETFONT, WPARAM(font), FALSE);
        if (record.labelWindow) SendMessageA(record.labelWindow, WM_SETFONT, WPARAM(font), FALSE);
    }
    (void)n;
}

void SetColours(ControlRecord& record, int32_t background, int32_t text) {
    record.textColor = COLORREF(text);
    record.backgroundColor = COLORREF(background);
    HBRUSH old = record.backgroundBrush;
    record.backgroundBrush = background == -1 ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                              : CreateSolidBrush(COLORREF(background));
    if (old && old != GetStockObject(NULL_BRUSH) && old != GetStockObject(HOLLOW_BRUSH))
        DeleteObject(old);
}

int32_t BackgroundOf(int32_t n) {
    return IsOnTabSheet(n) ? gSkinStyle.sheetColor : gSkinStyle.panelColor;
}

// The skin font, made again only when its face or size changed. The slot replaces (and
// deletes) its old font; the controls get the new one as the skin goes over them.
void UpdateSkinFont() {
    static char madeFace[kSkinFaceNameBytes] = "";
    static int32_t madeSize = 0;
    if (FontSlot(kSkinFontSlot) && madeSize == gSkinStyle.fontSize &&
        std::string(madeFace) == gSkinStyle.faceName)
        return;
    if (CreateFontSlot(kSkinFontSlot, gSkinStyle.fontSize, 0, 0, gSkinStyle.faceName)) {
        lstrcpynA(madeFace, gSkinStyle.faceName, sizeof madeFace);
        madeSize = gSkinStyle.fontSize;
    }
}

void SkinOneControl(int32_t n, ControlRecord& record) {
    const ControlSkinLook& look = LookOf(record);
    if (!IsControlSkinned(n)) {
        if (look.recolour) look.recolour(n, record);
        return;
    }
    const bool slider = record.controlClass == CONTROL_SLIDER;
    if (!gSkinEngine.windowsCreated && !(slider && gSkinEngine.slidersSubclassed))
        CreateSkinButtonWindows(n);
    if (record.controlClass == CONTROL_TAB && record.height < kBareTabHeightUnits &&
        !gSkinEngine.windowsCreated) {
        for (HWND window : {record.window, record.editWindow}) {
            RECT rect;
            if (!window || !GetWindowRect(window, &rect)) continue;
            MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
            SetWindowPos(window, nullptr, rect.left, rect.top + kBareTabShiftPixels, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (const ControlSkinLook& now = LookOf(record); now.restyle) now.restyle(n, record);
}

// The window procedure a subclassed window had before, kept in its user data.
LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

void Subclass(HWND window, WNDPROC procedure) {
    if (!window || GetWindowLongPtrA(window, GWLP_WNDPROC) == LONG_PTR(procedure)) return;
    const LONG_PTR previous =
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    SetWindowLongPtrA(window, GWLP_USERDATA, previous);
}

int32_t ControlOfWindow(HWND window) {
    const int32_t n = GetDlgCtrlID(window) - kControlWindowIdBase;
    const ControlRecord* record = UsedControlRecord(n);
    return record && record->window == window ? n : -1;
}

void OnSliderMouseMove(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return;
    const bool shift = IsKeyHeld(VK_SHIFT);
    // Shift hands a live drag to the dialog's own handling (or takes it back for a control
    // whose property asks for the opposite).
    if (shift == ((record->properties & CTLPROP_LIVEDRAG) != 0)) {
        const int32_t previous = record->value;
        if (SkinSliderTrackClick(n) && GetControlValue(n) != previous)
            TriggerControlEvent(n, EVENT_VALUE_CHANGED, previous, WM_MOUSEMOVE, 0, 0, 0, 0);
    } else if (gDialog) {
        SendMessageA(gDialog, WM_COMMAND, WPARAM(n + kControlWindowIdBase), 0);
    }
}

LRESULT CALLBACK SkinnedSliderMouseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            gSkinEngine.sliderDrag = true;
            break;
        case WM_LBUTTONUP:
            gSkinEngine.sliderDrag = false;
            break;
        case WM_MOUSEMOVE:
            if (gSkinEngine.sliderDrag && (wParam & MK_LBUTTON))
                OnSliderMouseMove(ControlOfWindow(window));
            else
                gSkinEngine.sliderDrag = false;
            break;
    }
    return CallPrevious(window, message, wParam, lParam);
}

LRESULT CALLBACK SkinnedControlHoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEMOVE) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        PaintSkinnedControl(ControlOfWindow(window), 0);
    } else if (message == WM_MOUSELEAVE) {
        PaintSkinnedControl(ControlOfWindow(window), 0);
    }
    return CallPrevious(window, message, wParam, lParam);
}

}  // namespace

// --- State and style
// ------------------------------------------------------------------------------

void ResetSkinSubclassFlags() {
    gSkinEngine = {false, false, false, nullptr, nullptr, -1, 0};
    // The parameter block outlives the dialog: the skin it names is not on these windows.
    if (gParams) {
        gParams->skinActive = 0;
        gParams->skinIndex = -1;
    }
}

bool IsSkinActive() {
    return HasSkin();
}

bool IsControlSkinned(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !HasSkin()) return false;
    const ControlSkinLook& look = LookOf(*record);
    if (gParams->skinIndex == 0) return look.skinning == SKINNING_ALL;
    if (gParams->skinIndex < 0 || look.skinning == SKINNING_NONE) return false;
    return !look.takes || look.takes(*record);
}

void LoadSkinStyle(int32_t skin) {
    LoadSkinStyleInto(gSkinStyle, skin, SystemColours());
    if (gParams) gParams->skinIndex = skin;
}

int32_t ApplySkin(int32_t choice) {
    if (!gParams || choice < 1 || choice >= kSkinChoiceCount) return 0;
    if (choice - 1 == gParams->skinIndex) return 0;
    // The skin measures and replaces windows: none may still wait to be made or placed.
    MakeAllWaitingControlWindows();
    PlacePendingControls(PENDING_SCOPE_ALL);
    if (choice == 1) {
        if (gSkinEngine.windowsCreated) return 0;
        LoadSkinStyle(0);
        if (!gSkinEngine.slidersSubclassed) {
            SubclassSkinnedControls();
            gSkinEngine.slidersSubclassed = true;
        }
        gParams->skinActive = 1;
        return 1;
    }
    LoadSkinStyle(choice - 1);
    // Painters asked for below must see the new skin.
    gParams->skinActive = 1;
    SetDialogColor(COLORREF(gSkinStyle.panelColor));
    SetControlColor(CTL_PREVIEW, gSkinStyle.previewColor);
    UpdateSkinFont();
    if (gDialog) {
        if (HWND frame = GetDlgItem(gDialog, ITEM_PREVIEW_FRAME)) ShowWindow(frame, SW_HIDE);
    }
    SetRedrawSuspended(1);
    for (int n = 0; n < kControlCount; ++n) {
        ControlRecord* record = UsedControlRecord(n);
        if (record && n != CTL_PREVIEW_FRAME) SkinOneControl(n, *record);
    }
    SetRedrawSuspended(0);
    gSkinEngine.windowsCreated = true;
    if (gDialog)
        RedrawWindow(gDialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return 1;
}

int32_t CreateSkinButtonWindows(int32_t n) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || !gDialog) return 0;
    const SkinWindowKind kind = LookOf(*record).window;
    if (kind == SKINWINDOW_NONE) return 0;
    return ReplaceControlWindow(n, *record, kind);
}

void SubclassSkinnedControls() {
    MakeAllWaitingControlWindows();
    for (int n = 0; n < kControlCount; ++n) {
        ControlRecord* record = UsedControlRecord(n);
        if (!record || record->controlClass != CONTROL_SLIDER) continue;
        CreateSkinButtonWindows(n);
        Subclass(record->window, SkinnedSliderMouseProc);
        PaintSkinnedControl(n, 0);
    }
}

// --- What a skin does with each class (named in the class table) ---------------------------------

bool SkinTakesEdgedColorButton(const ControlRecord& record) {
    return (record.exStyle & kClientEdge) != 0;
}

bool SkinTakesMenuImageButton(const ControlRecord& record) {
    return std::string(record.imageName).find(kMenuButtonImage) != std::string::npos;
}

void RestyleSkinSlider(int32_t n, ControlRecord& record) {
    ApplyFont(n, record);
    record.textColor = COLORREF(gSkinStyle.controlTextColor);
    record.editBackColor = COLORREF(gSkinStyle.editBoxColor);
    record.editTextColor = COLORREF(gSkinStyle.editBoxTextColor);
    SetControlText(n, ControlWholeText(n).c_str());
    Subclass(record.window, SkinnedSliderMouseProc);
    if (record.editWindow) InvalidateRect(record.editWindow, nullptr, TRUE);
}

void RestyleSkinGroupBox(int32_t, ControlRecord& record) {
    SetColours(record, -1, gSkinStyle.controlTextColor);
    if (record.window)
        SetWindowPos(record.window, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void RestyleSkinCombo(int32_t n, ControlRecord& record) {
    ApplyFont(n, record);
    record.textColor = COLORREF(gSkinStyle.controlTextColor);
    PlaceControlCompanions(n);
}

void RestyleSkinToolbar(int32_t, ControlRecord& record) {
    Subclass(record.window, SkinnedControlHoverProc);
}

void RecolourSkinList(int32_t n, ControlRecord& record) {
    ApplyFont(n, record);
    SetColours(record, gSkinStyle.listColor, gSkinStyle.listTextColor);
}

void RecolourSkinListView(int32_t, ControlRecord& record) {
    if (!record.window) return;
    ListView_SetBkColor(record.window, COLORREF(gSkinStyle.listColor));
    ListView_SetTextBkColor(record.window, COLORREF(gSkinStyle.listColor));
    ListView_SetTextColor(record.window, COLORREF(gSkinStyle.listTextColor));
}

void RecolourSkinText(int32_t n, ControlRecord& record) {
    ApplyFont(n, record);
    // A control with an extended style of its own keeps its own background.
    const int32_t background = record.exStyle ? int32_t(record.backgroundColor) : BackgroundOf(n);
    SetColours(record, background, gSkinStyle.controlTextColor);
}

void RecolourSkinValueList(int32_t n, ControlRecord& record) {
    ApplyFont(n, record);
    SetColours(record, gSkinStyle.faceColor, gSkinStyle.selectedTextColor);
    if (record.window && GetWindowsVersion() >= WINVER_VISTA && !IsVisualStyleActive()) {
        const LONG_PTR ex = GetWindowLongPtrA(record.window, GWL_EXSTYLE);
        if (ex & kClientEdge) {
            SetWindowLongPtrA(record.window, GWL_EXSTYLE,
                              (ex & ~LONG_PTR(kClientEdge)) | kStaticEdge);
            SetWindowPos(record.window, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        }
    }
}

void RecolourSkinEdit(int32_t, ControlRecord& record) {
    if (record.window) {
        const LONG_PTR ex = GetWindowLongPtrA(record.window, GWL_EXSTYLE);
        if (ex & kClientEdge) {
            SetWindowLongPtrA(record.window, GWL_EXSTYLE, ex & ~LONG_PTR(kClientEdge));
            SetWindowLongPtrA(record.window, GWL_STYLE,
                              GetWindowLongPtrA(record.window, GWL_STYLE) | WS_BORDER);
            SetWindowPos(record.window, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        }
    }
    SetColours(record, gSkinStyle.editBoxColor, gSkinStyle.editBoxTextColor);
}

bool SkinSliderClicked(int32_t n, ControlRecord& record, int code) {
    // The drag set the value as it went; its end asks for the control's action.
    if (code == BN_CLICKED) RunControlAction(record.action);
    (void)n;
    return true;
}

bool SkinCheckBoxClicked(int32_t n, ControlRecord& record, int code) {
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return true;
    const int32_t previous = record.value;
    SetControlValue(n, previous ? 0 : 1);
    TriggerControlEvent(n, EVENT_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    return true;
}

bool SkinComboClicked(int32_t n, ControlRecord& record, int code) {
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return true;
    const int32_t previous = record.value;
    PaintSkinnedControl(n, 1);
    PaintSkinnedControl(n, 0);
    if (record.value != previous)
        TriggerControlEvent(n, EVENT_CLICKED, previous, WM_COMMAND, code, 1, 0, 0);
    return true;
}

bool SkinToolbarClicked(int32_t n, ControlRecord&, int code) {
    if (code == BN_CLICKED || code == BN_DOUBLECLICKED) PaintSkinnedControl(n, 1);
    return true;
}

bool SkinControlClicked(int32_t n, int code) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || !IsControlSkinned(n)) return false;
    const SkinClickProc click = LookOf(*record).click;
    return click && click(n, *record, code);
}

bool SkinTabStripClicked(int32_t n, int code) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_TAB || !IsControlSkinned(n)) return false;
    if (code != STN_CLICKED && code != STN_DBLCLK) return true;
    const int32_t tab = GetTabAtMouse(n);
    if (tab < 0) return true;
    if (tab == record->value) {
        if (IsKeyHeld(VK_SHIFT)) ResetTabSheetToDefaults(n);
        return true;
    }
    const int32_t previous = SetControlValue(n, tab);
    TriggerControlEvent(n, EVENT_CLICKED, previous, WM_COMMAND, code, 0, 0, 0);
    PaintSkinnedControl(n, 1);
    return true;
}

bool PlaceSkinTabStrip(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_TAB || !record->editWindow) return false;
    RECT place = DialogUnitsToPixelRect(record->x, record->y, record->width, record->height);
    if (record->window && GetWindowRect(record->window, &place))
        MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(record->editWindow, nullptr, place.left, place.top, place.right - place.left,
                 gSkinStyle.tabStripHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

// --- Hit tests and the slider's mouse
// ---------------------------------------------------------------

int32_t GetTabAtMouse(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_TAB) return -1;
    POINT mouse;
    if (!MouseInWindow(record->window, &mouse)) return -1;
    if (mouse.y < 0 || mouse.y >= gSkinStyle.tabStripHeight) return -1;
    return SkinItemAt(mouse.x, GetSkinItemWidth(n, 0),
                      CountTextLines(ControlWholeText(*record).c_str()));
}

int32_t GetToolbarButtonAtMouse(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    POINT mouse;
    RECT client;
    if (!MouseInWindow(record->window, &mouse) || !GetClientRect(record->window, &client) ||
        !PtInRect(&client, mouse))
        return -1;
    return SkinItemAt(mouse.x, gSkinStyle.toolbarButtonWidth,
                      CountTextLines(ControlWholeText(*record).c_str()));
}

int32_t IsOnTabSheet(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    for (int depth = 0; record && depth <= kMaxSheetNesting; ++depth) {
        const ControlRecord* owner = record->tab >= 0 ? UsedControlRecord(record->tab) : nullptr;
        if (!owner) return 0;
        if (owner->controlClass == CONTROL_TAB) return 1;
        if (owner->controlClass != CONTROL_VALUELIST) return 0;
        record = owner;
    }
    return 0;
}

int32_t SkinSliderTrackClick(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    POINT mouse;
    RECT client;
    if (!record || !MouseInWindow(record->window, &mouse) ||
        !GetClientRect(record->window, &client))
        return 0;
    if (mouse.x < client.left || mouse.x >= client.right) return 0;
    const int64_t span = std::abs(int64_t(record->max) - record->min);
    const int64_t position =
        SkinSliderPositionAt(mouse.x, client.right, gSkinStyle.thumbWidth, span);
    if (position < 0) return 0;
    // Positions count from min toward max, whichever way the range runs.
    const int64_t linear =
        record->min <= record->max ? record->min + position : record->min - position;
    const SliderShape shape = {record->min, record->max, record->pageExtent, record->gamma};
    SetControlValue(n, GammaMapShape(shape, int32_t(linear), 1));
    return 1;
}

HBITMAP InvertBitmapColors(HBITMAP bitmap, HDC dc) {
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return nullptr;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP inverted = CreateDIBSection(dc, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!inverted) return nullptr;
    // A bitmap selected into a DC cannot be read: a placeholder stands in during the copy.
    HBITMAP placeholder = nullptr;
    HGDIOBJ selected = dc ? GetCurrentObject(dc, OBJ_BITMAP) : nullptr;
    const bool wasSelected = selected == bitmap;
    if (wasSelected) {
        placeholder = CreateCompatibleBitmap(dc, 1, 1);
        SelectObject(dc, placeholder);
    }
    HDC screen = GetDC(nullptr);
    const int lines =
        GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), bits, &header, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (wasSelected) {
        SelectObject(dc, bitmap);
        DeleteObject(placeholder);
    }
    if (lines != info.bmHeight) {
        DeleteObject(inverted);
        return nullptr;
    }
    auto* pixels = static_cast<uint32_t*>(bits);
    const size_t count = size_t(info.bmWidth) * size_t(info.bmHeight);
    for (size_t i = 0; i < count; ++i)
        pixels[i] = (pixels[i] & 0xFF000000u) | (~pixels[i] & 0xFFFFFFu);
    return inverted;
}

// --- Getters -------------------------------------------------------------------------------------

int32_t GetSkinBackgroundColor() {
    return gSkinStyle.panelColor;
}
int32_t GetSkinPanelColor() {
    return gSkinStyle.sheetColor;
}
int32_t GetSkinFaceColor() {
    return gSkinStyle.faceColor;
}
int32_t GetSkinShadowColor() {
    return gSkinStyle.shadowColor;
}
int32_t GetSkinTextColor() {
    return gSkinStyle.controlTextColor;
}
int32_t GetSkinListColor() {
    return gSkinStyle.listColor;
}
int32_t IsSkinDark() {
    return gSkinStyle.dark;
}
int32_t GetSkinComboHeight() {
    return gSkinStyle.comboHeight;
}
int32_t GetSkinTabStripHeight() {
    return gSkinStyle.tabStripHeight;
}
int32_t GetSkinToolbarButtonWidth() {
    return gSkinStyle.toolbarButtonWidth;
}
int32_t GetSkinThumbWidth() {
    return gSkinStyle.thumbWidth;
}

int32_t GetSkinItemWidth(int32_t n, int32_t count) {
    if (count <= 0) {
        const ControlRecord* record = UsedControlRecord(n);
        count = record ? CountTextLines(ControlWholeText(*record).c_str()) : 0;
    }
    return SkinTabWidth(gSkinStyle, count);
}

int32_t CountSkinItems(const char* text) {
    return CountTextLines(text);
}

int32_t GetSkinItemCount(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record ? CountTextLines(ControlWholeText(*record).c_str()) : 0;
}
