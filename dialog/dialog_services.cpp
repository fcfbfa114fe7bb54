// Dialog services: redraw, control styles and colours, visual styles and fonts of controls,
// placement, display settings, file search, shell folders and the document title.

#include "dialog/dialog_services.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <initializer_list>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/font_slots.h"
#include "dialog/preview_window.h"
#include "dialog/visual_styles.h"
#include "host/host_api.h"
#include "host/host_services.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/text_format.h"

namespace {

constexpr size_t kDocumentTitleBytes = 256;

bool IsSliderClass(int32_t controlClass) {
    return controlClass == CONTROL_SLIDER || controlClass == CONTROL_TRACKBAR_SLIDER;
}

void RefreshWindow(HWND window) {
    if (!window) return;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void RefreshFrame(HWND window) {
    if (!window) return;
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int32_t ChangeStyle(int32_t n, uint32_t set, uint32_t clear, bool extended) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    uint32_t& stored = extended ? record->exStyle : record->style;
    stored = (stored | set) & ~clear;
    if (HWND window = record->window) {
        const int index = extended ? GWL_EXSTYLE : GWL_STYLE;
        const LONG_PTR current = GetWindowLongPtrA(window, index);
        SetWindowLongPtrA(window, index, (current | LONG_PTR(set)) & ~LONG_PTR(clear));
        RefreshFrame(window);
    }
    return 1;
}

// Windows of a control that take its visual style: the control, a slider's value box and
// label, and the template items behind the frame pseudo controls.
void ApplyThemeToControl(int32_t n, const ControlRecord& record, int32_t mode) {
    auto apply = [mode](HWND window) {
        if (!window) return;
        if (mode == 1)
            ApplyWindowTheme(window, L"explorer", nullptr);
        else if (mode == 0)
            ApplyWindowTheme(window, L"", L"");
        else
            SetControlThemeDefault(window);
    };
    apply(record.window);
    if (IsSliderClass(record.controlClass)) {
        apply(record.editWindow);
        apply(record.labelWindow);
    }
    if (!gDialog) return;
    switch (n) {
        case CTL_ZOOM_TEXT:
            for (int item : {ITEM_ZOOM_TEXT, ITEM_ZOOM_IN, ITEM_ZOOM_OUT})
                apply(GetDlgItem(gDialog, item));
            break;
        case CTL_PROGRESS:
            apply(GetDlgItem(gDialog, ITEM_PROGRESS));
            break;
        case CTL_PREVIEW_FRAME:
            apply(GetDlgItem(gDialog, ITEM_PREVIEW_FRAME));
            break;
    }
}

RECT WorkArea() {
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

bool DialogPlacement(WINDOWPLACEMENT* placement) {
    placement->length = sizeof *placement;
    return gDialog && GetWindowPlacement(gDialog, placement);
}

void CopyFoundName(const WIN32_FIND_DATAA& found, char* nameOut, uint32_t* attributesOut) {
    if (nameOut) CopyText(nameOut, MAX_PATH, found.cFileName);
    if (attributesOut) *attributesOut = found.dwFileAttributes;
}

}  // namespace

// --- Redraw
// ---------------------------------------------------------------------------------------

void RedrawDialog() {
    if (gDialog)
        RedrawWindow(gDialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

int32_t RefreshControl(int32_t n, int32_t now) {
    if (n == CTL_PREVIEW) {
        if (!gDialog) return 0;
        InvalidatePreview(gDialog);
        if (now) UpdateWindow(gDialog);
        return 1;
    }
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    auto refresh = [now](HWND window) {
        if (!window) return;
        InvalidateRect(window, nullptr, TRUE);
        if (now) UpdateWindow(window);
    };
    refresh(record->window);
    if (IsSliderClass(record->controlClass)) {
        refresh(record->editWindow);
        refresh(record->labelWindow);
    }
    if (record->controlClass == CONTROL_TAB) {
        for (int child = 0; child < kControlCount; ++child) {
            const ControlRecord* placed = UsedControlRecord(child);
            if (placed && child != n && placed->tab == n && placed->sheet == record->value)
                refresh(placed->window);
        }
    }
    return 1;
}

int32_t SuspendControlRedraw(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return 0;
    SendMessageA(record->window, WM_SETREDRAW, FALSE, 0);
    return 1;
}

int32_t ResumeControlRedraw(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return 0;
    SendMessageA(record->window, WM_SETREDRAW, TRUE, 0);
    return 1;
}

int32_t LockDialogUpdate(int32_t on) {
    return LockWindowUpdate(on && gDialog ? gDialog : nullptr) ? 1 : 0;
}

void ShowSizeGrip(int32_t on) {
    gDialogFrame.sizeGripShown = on != 0;
    if (!on) RedrawDialog();
}

void KeepPreviewFrame(int32_t flag) {
    gDialogFrame.keepPreviewFrame = flag != 0;
}

// --- Styles, colours, visual style and font ---------------------------------------------------

int32_t AddControlStyle(int32_t n, uint32_t bits) {
    return ChangeStyle(n, bits, 0, false);
}

int32_t RemoveControlStyle(int32_t n, uint32_t bits) {
    return ChangeStyle(n, 0, bits, false);
}

int32_t RemoveControlStyleEx(int32_t n, uint32_t bits) {
    return ChangeStyle(n, 0, bits, true);
}

int32_t SetControlTextColor(int32_t n, int32_t color) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    record->textColor = COLORREF(color);
    if (record->controlClass == CONTROL_LISTVIEW && record->window)
        SendMessageA(record->window, LVM_SETTEXTCOLOR, 0, LPARAM(COLORREF(color)));
    RefreshWindow(record->window);
    if (IsSliderClass(record->controlClass)) RefreshWindow(record->labelWindow);
    return 1;
}

int32_t StoreControlTextColor(int32_t n, int32_t color) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    record->textColor = COLORREF(color);
    return 1;
}

int32_t SetControlEditBackColor(int32_t n, int32_t color) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    record->editBackColor = COLORREF(color);
    return 1;
}

int32_t SetControlEditTextColor(int32_t n, int32_t color) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return -1;
    record->editTextColor = COLORREF(color);
    return 1;
}

int32_t GetSystemColor(int32_t index) {
    return int32_t(GetSysColor(index));
}

int32_t SetControlTheme(int32_t n, int32_t mode) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    record->themeMode = mode;
    ApplyThemeToControl(n, *record, mode);
    const bool themed = mode == 1 || (mode == -1 && gParams && gParams->dialogThemed);
    if (record->controlClass == CONTROL_CHECKBOX && IsVisualStyleActive()) {
        // A themed check box draws its own face: without a colour of its own it must take the
        // dialog's; unthemed, the button face comes back.
        if (themed && record->backgroundColor == COLORREF(-1))
            SetControlColor(n, int32_t(GetDialogColor()));
        else if (!themed && record->backgroundColor == GetSysColor(COLOR_BTNFACE))
            SetControlColor(n, -1);
    }
    RefreshWindow(record->window);
    return 1;
}

int32_t SetControlFont(int32_t n, int32_t slot) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    HFONT font = nullptr;
    if (slot == -1)
        font = gDialog ? reinterpret_cast<HFONT>(SendMessageA(gDialog, WM_GETFONT, 0, 0)) : nullptr;
    else if (slot >= 0 && slot < kFontSlotCount)
        font = FontSlot(slot);
    if (!font) return 0;
    record->font = font;
    if (IsSliderClass(record->controlClass)) {
        if (record->labelWindow) SendMessageA(record->labelWindow, WM_SETFONT, WPARAM(font), TRUE);
        return 1;
    }
    if (!record->window) return 1;
    SendMessageA(record->window, WM_SETFONT, WPARAM(font), TRUE);
    if (record->controlClass == CONTROL_COMBOBOX) FitComboDroppedList(record->window);
    if (record->controlClass == CONTROL_VALUELIST) {
        SetControlPosition(n, -1, -1, -1, record->height);
    } else if (record->controlClass == CONTROL_LISTVIEW) {
        if (IsWindowVisible(record->window)) {
            ShowWindow(record->window, SW_HIDE);
            ShowWindow(record->window, SW_SHOWNA);
        }
    } else {
        // The same text in the new font: the dialog under it is drawn again, as a new text's is.
        RedrawDialogUnder(record->window);
        SetControlText(n, ControlWholeText(n).c_str());
    }
    return 1;
}

// --- Display and placement
// ------------------------------------------------------------------------

int32_t GetDisplaySetting(int32_t what) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    switch (what) {
        case 0:
            return int32_t(mode.dmBitsPerPel);
        case 1:
            return int32_t(mode.dmPelsWidth);
        case 2:
            return int32_t(mode.dmPelsHeight);
        case 3:
            return int32_t(mode.dmDisplayFrequency);
    }
    return 0;
}

int32_t GetWorkAreaSize(int32_t vertical) {
    const RECT work = WorkArea();
    if (!vertical) return PixelsToDialogUnitsX(work.right - work.left);
    return PixelsToDialogUnitsY(work.bottom - work.top - GetSystemMetrics(SM_CYCAPTION));
}

int32_t GetWorkAreaClientSize(int32_t vertical, int32_t withoutFrame) {
    const RECT work = WorkArea();
    int32_t size = vertical ? work.bottom - work.top : work.right - work.left;
    if (!withoutFrame && gDialog) {
        RECT outer, client;
        GetWindowRect(gDialog, &outer);
        GetClientRect(gDialog, &client);
        size -= vertical ? (outer.bottom - outer.top) - client.bottom
                         : (outer.right - outer.left) - client.right;
    }
    return size;
}

int32_t GetDialogNormalWidth() {
    WINDOWPLACEMENT placement;
    if (!DialogPlacement(&placement)) return 0;
    return PixelsToDialogUnitsX(placement.rcNormalPosition.right - placement.rcNormalPosition.left);
}

int32_t GetDialogNormalHeight() {
    WINDOWPLACEMENT placement;
    if (!DialogPlacement(&placement)) return 0;
    return PixelsToDialogUnitsY(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top);
}

int32_t GetDialogShowState() {
    WINDOWPLACEMENT placement;
    return DialogPlacement(&placement) ? int32_t(placement.showCmd) : 0;
}

int32_t SetDialogPlacement(int32_t state, int32_t width, int32_t height) {
    if (!gDialog) return 0;
    const RECT work = WorkArea();
    const int32_t w = DialogUnitsToPixelsX(width), h = DialogUnitsToPixelsY(height);
    WINDOWPLACEMENT placement;
    DialogPlacement(&placement);
    placement.rcNormalPosition.left = work.left + ((work.right - work.left) - w) / 2;
    placement.rcNormalPosition.top = work.top + ((work.bottom - work.top) - h) / 2;
    placement.rcNormalPosition.right = placement.rcNormalPosition.left + w;
    placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + h;
    placement.showCmd = SW_SHOWMAXIMIZED;
    gDialogFrame.maximised = state == SW_SHOWMAXIMIZED;
    gDialogFrame.minimised = state == SW_SHOWMINIMIZED;
    return SetWindowPlacement(gDialog, &placement) ? 1 : 0;
}

// --- Host and files
// --------------------------------------------------------------------------------

int32_t GetDocumentTitle(char* out) {
    if (!out || !gDataBlock || !gStuff) return 0;
    const PropertyProcs* suite = gStuff->propertyProcs;
    GetPropertyProc get = suite && suite->propertyProcsVersion >= 1 &&
                                  suite->numPropertyProcs >= 1 && suite->getPropertyProc
                              ? suite->getPropertyProc
                              : gStuff->getPropertyObsolete;
    if (!get) return 0;
    intptr_t simple = 0;
    HostHandle title = nullptr;
    if (get(FourCC("8BIM"), FourCC("titl"), 0, &simple, &title) != 0 || !title) return 0;
    const HandleProcs* handles = gStuff->handleProcs;
    const int32_t size = HostGetHandleSize(handles, title);
    const auto* text = static_cast<const char*>(HostLockHandle(handles, title, false));
    int32_t copied = 0;
    if (text && size > 0) {
        const size_t length =
            strnlen(text, size_t(size) < kDocumentTitleBytes ? size_t(size) : kDocumentTitleBytes);
        memcpy(out, text, length);
        out[length] = '\0';
        copied = 1;
    }
    HostUnlockHandle(handles, title);
    HostDisposeHandle(handles, title);
    return copied;
}

std::string FileSearchPattern(const char* pattern) {
    std::string copy = pattern ? pattern : "";
    if (!copy.empty() && copy.back() == '\\') copy += '*';
    return copy;
}

HANDLE FindFirstFileEntry(const char* pattern, char* nameOut, uint32_t* attributesOut) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(FileSearchPattern(pattern).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) CopyFoundName(found, nameOut, attributesOut);
    return search;
}

int32_t FindNextFileEntry(HANDLE search, char* nameOut, uint32_t* attributesOut) {
    WIN32_FIND_DATAA found;
    if (search == INVALID_HANDLE_VALUE || !FindNextFileA(search, &found)) return 0;
    CopyFoundName(found, nameOut, attributesOut);
    return 1;
}

void EndFileSearch(HANDLE search) {
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

int32_t GetShellFolderPath(int32_t folderId, char* out) {
    if (!out) return 0;
    return SHGetFolderPathA(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, out) == S_OK ? 1 : 0;
}
