// The dialog window as a whole: frame items, placement, size limits, title, colours, the size
// grip and the preview background.

#include "dialog/dialog_window.h"

#include <cstdarg>
#include <initializer_list>

#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/dialog_units.h"
#include "dialog/skin_engine.h"
#include "dialog/text_expansion.h"
#include "dialog/visual_styles.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/preview_request.h"
#include "host/text_format.h"

HWND gDialog = nullptr;
DialogFrameState gDialogFrame;

namespace {

// A brush of the dialog colour, made again when the colour changes.
struct BackgroundBrush {
    HBRUSH brush;
    COLORREF color;
};
BackgroundBrush gBackground = {nullptr, 0};

RECT ChildRectInClient(HWND child) {
    RECT rect = {0, 0, 0, 0};
    if (!child || !gDialog) return rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The window's frame: window size minus client size.
SIZE NonClientExtra(HWND window) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
}

void RegisterFrameItem(int32_t n, int32_t item, int32_t anchor) {
    ControlRecord* record = ControlRecordAt(n);
    HWND window = GetDlgItem(gDialog, item);
    if (!record || !window) return;
    RECT rect = ChildRectInClient(window);
    record->window = window;
    record->x = PixelsToDialogUnitsX(rect.left);
    record->y = PixelsToDialogUnitsY(rect.top);
    record->width = PixelsToDialogUnitsX(rect.right - rect.left);
    record->height = PixelsToDialogUnitsY(rect.bottom - rect.top);
    SetControlAnchor(n, anchor);
}

int32_t ToPixelsX(int32_t units) {
    return units < 0 ? units : DialogUnitsToPixelsX(units);
}
int32_t ToPixelsY(int32_t units) {
    return units < 0 ? units : DialogUnitsToPixelsY(units);
}

RECT WorkArea() {
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// The area a position is relative to, in screen coordinates: the owner's client area, or the
// desktop.
RECT PlacementArea(bool relativeToDesktop) {
    HWND parent = relativeToDesktop ? nullptr : GetParent(gDialog);
    RECT area;
    if (!parent) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return area;
    }
    GetClientRect(parent, &area);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

}  // namespace

void DialogFrameReset() {
    gDialogFrame = DialogFrameState{};
    gDialogFrame.previewBackground = COLORREF(-1);
    gDialogFrame.sizeGripShown = true;
}

// --- Frame items --------------------------------------------------------------------------------

void RegisterFrameControls() {
    if (!gDialog) return;
    for (int item :
         {ITEM_PROGRESS, ITEM_ZOOM_IN, ITEM_ZOOM_OUT, ITEM_ZOOM_TEXT, ITEM_PREVIEW_FRAME})
        if (HWND window = GetDlgItem(gDialog, item)) SetControlThemeDefault(window);
    RegisterFrameItem(CTL_PREVIEW, ITEM_PREVIEW,
                      ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM);
    RegisterFrameItem(CTL_PREVIEW_FRAME, ITEM_PREVIEW_FRAME,
                      ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM);
    RegisterFrameItem(CTL_PROGRESS, ITEM_PROGRESS, ANCHOR_BOTTOM);
    RegisterFrameItem(CTL_ZOOM_TEXT, ITEM_ZOOM_IN, ANCHOR_BOTTOM);
    // The frame items carry no setting of their own.
    for (int32_t n : {CTL_PREVIEW, CTL_PREVIEW_FRAME, CTL_PROGRESS, CTL_ZOOM_TEXT})
        StoreControlValue(n, 0);
}

void LowerPreviewFrame() {
    HWND frame = gDialog ? GetDlgItem(gDialog, ITEM_PREVIEW_FRAME) : nullptr;
    if (!frame) return;
    // A group box is drawn over whatever it overlaps unless it clips its siblings; under them,
    // the tab strips above the preview and the controls on it show whole and take the clicks.
    SetWindowLongPtrA(frame, GWL_STYLE, GetWindowLongPtrA(frame, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// --- Placement
// ------------------------------------------------------------------------------------

POINT CentreWindowPosition(const RECT& area, SIZE window, const RECT& workArea) {
    POINT position;
    position.x = area.left + ((area.right - area.left) - window.cx) / 2;
    position.y = area.top + ((area.bottom - area.top) - window.cy) / 3;
    if (position.x + window.cx > workArea.right) position.x = workArea.right - window.cx;
    if (position.y + window.cy > workArea.bottom) position.y = workArea.bottom - window.cy;
    if (position.x < workArea.left) position.x = workArea.left;
    if (position.y < workArea.top) position.y = workArea.top;
    return position;
}

int32_t SetDialogPosition(int32_t relativeToDesktop, int32_t x, int32_t y, int32_t width,
                          int32_t height) {
    if (!gDialog) return 0;
    const int32_t px = ToPixelsX(x), py = ToPixelsY(y);
    const int32_t pw = ToPixelsX(width), ph = ToPixelsY(height);
    RECT current;
    GetWindowRect(gDialog, &current);
    SIZE size = {current.right - current.left, current.bottom - current.top};
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (pw >= 0 && ph >= 0) {
        SIZE extra = NonClientExtra(gDialog);
        size = {pw + extra.cx, ph + extra.cy};
    } else {
        flags |= SWP_NOSIZE;
    }
    POINT position = {current.left, current.top};
    if (x == -1 && y == -1) {
        position = CentreWindowPosition(PlacementArea(relativeToDesktop != 0), size, WorkArea());
    } else if (x != -1 && x >= 0 && y >= 0) {
        RECT area = PlacementArea(relativeToDesktop != 0);
        position = {area.left + px, area.top + py};
    } else {
        flags |= SWP_NOMOVE;
    }
    // A popup's position is in screen coordinates, whatever owns it.
    SetWindowPos(gDialog, nullptr, position.x, position.y, size.cx, size.cy, flags);
    return 1;
}

int32_t SetDialogMinMaxSize(int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                            int32_t maxHeight) {
    SIZE extra = gDialog ? NonClientExtra(gDialog) : SIZE{0, 0};
    auto limit = [](int32_t units, int32_t pixels, int32_t frame) {
        return units <= 0 ? 0 : pixels + frame;
    };
    gDialogFrame.minTrackWidth = limit(minWidth, DialogUnitsToPixelsX(minWidth), extra.cx);
    gDialogFrame.minTrackHeight = limit(minHeight, DialogUnitsToPixelsY(minHeight), extra.cy);
    gDialogFrame.maxTrackWidth = limit(maxWidth, DialogUnitsToPixelsX(maxWidth), extra.cx);
    gDialogFrame.maxTrackHeight = limit(maxHeight, DialogUnitsToPixelsY(maxHeight), extra.cy);
    return 1;
}

bool ApplyDialogSizeLimits(MINMAXINFO* info) {
    bool applied = false;
    if (gDialogFrame.minTrackWidth >= 1 && gDialogFrame.minTrackHeight >= 1) {
        info->ptMinTrackSize = {gDialogFrame.minTrackWidth, gDialogFrame.minTrackHeight};
        applied = true;
    }
    if (gDialogFrame.maxTrackWidth >= 1 && gDialogFrame.maxTrackHeight >= 1) {
        info->ptMaxTrackSize = {gDialogFrame.maxTrackWidth, gDialogFrame.maxTrackHeight};
        applied = true;
    }
    return applied;
}

int32_t GetDialogCoord(int32_t part, int32_t clientFlag) {
    if (!gDialog) return 0;
    RECT rect;
    if (clientFlag)
        GetClientRect(gDialog, &rect);
    else
        GetWindowRect(gDialog, &rect);
    return PixelRectPartInDialogUnits(rect, part);
}

int32_t GetDialogClientWidth() {
    return GetDialogCoord(2, 1);
}
int32_t GetDialogClientHeight() {
    return GetDialogCoord(3, 1);
}

// --- Style, title and colours ---------------------------------------------------------------

int32_t AddDialogStyle(uint32_t bits) {
    if (!gDialog) return 0;
    LONG_PTR style = GetWindowLongPtrA(gDialog, GWL_STYLE);
    SetWindowLongPtrA(gDialog, GWL_STYLE, style | LONG_PTR(bits));
    SetWindowPos(gDialog, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
}

int32_t SetDialogTitle(const char* text) {
    if (!gParams) return 0;
    CopyText(gParams->dialogTitle, sizeof gParams->dialogTitle, text ? text : "");
    if (gDialog) SetWindowTextA(gDialog, ExpandText(gParams->dialogTitle));
    return 1;
}

int32_t SetDialogTitleFormat(const char* format, ...) {
    char title[1024];
    va_list args;
    va_start(args, format);
    FormatTextV(title, sizeof title, format, args);
    va_end(args);
    return SetDialogTitle(title);
}

int32_t SetDialogColors(COLORREF first, COLORREF second, uint32_t third) {
    if (!gParams) return 0;
    if (gParams->dialogColor == first && gParams->secondDialogColor == second &&
        gParams->thirdDialogColor == third)
        return 1;
    gParams->dialogColor = first;
    gParams->secondDialogColor = second;
    gParams->thirdDialogColor = third;
    if (!gDialog) return 1;
    return RedrawWindow(gDialog, nullptr, nullptr,
                        RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW)
               ? 1
               : 0;
}

int32_t SetDialogColor(COLORREF color) {
    return SetDialogColors(color, color, 0);
}

COLORREF GetDialogColor() {
    return gParams ? gParams->dialogColor : GetSysColor(COLOR_BTNFACE);
}

HBRUSH DialogBackgroundBrush() {
    COLORREF color = GetDialogColor();
    if (!gBackground.brush || gBackground.color != color) {
        if (gBackground.brush) DeleteObject(gBackground.brush);
        gBackground = {CreateSolidBrush(color), color};
    }
    return gBackground.brush;
}

// --- Painting helpers ------------------------------------------------------------------------

void FillPreviewBackground(HDC dc) {
    if (!gDialog || gDialogFrame.previewBackground == COLORREF(-1)) return;
    // Only when the shown part spans the whole width or height can the image leave parts of
    // the frame uncovered.
    const HostRect whole = ProxyImageRect();
    bool wholeWidth =
        gContext.currentLeft <= 0 && gContext.currentRight >= whole.right - whole.left;
    bool wholeHeight =
        gContext.currentTop <= 0 && gContext.currentBottom >= whole.bottom - whole.top;
    if (!wholeWidth && !wholeHeight) return;
    RECT frame = ChildRectInClient(GetDlgItem(gDialog, ITEM_PREVIEW));
    bool own = dc == reinterpret_cast<HDC>(-1);
    HDC target = own ? GetDC(gDialog) : dc;
    if (!target) return;
    HBRUSH brush = CreateSolidBrush(gDialogFrame.previewBackground);
    FillRect(target, &frame, brush);
    DeleteObject(brush);
    if (own) ReleaseDC(gDialog, target);
}

RECT SizeGripRect() {
    RECT client = {0, 0, 0, 0};
    if (gDialog) GetClientRect(gDialog, &client);
    int32_t width = GetSystemMetrics(SM_CXVSCROLL), height = GetSystemMetrics(SM_CYHSCROLL);
    return {client.right - width, client.bottom - height, client.right, client.bottom};
}

void DrawSizeGrip() {
    if (!gDialog) return;
    RECT grip = SizeGripRect();
    if (IsVisualStyleActive() && gParams && gParams->dialogThemed) {
        DrawThemePart(kControlCount, grip, L"SCROLLBAR", 10, 1);
        return;
    }
    HDC dc = GetDC(gDialog);
    if (!dc) return;
    if (IsSkinActive() && gParams->skinIndex > 0) {
        // Three pairs of diagonal ridges, shadow then highlight.
        HPEN shadow = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNSHADOW));
        HPEN light = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNHIGHLIGHT));
        HGDIOBJ old = SelectObject(dc, shadow);
        for (int i = 0; i < 3; ++i) {
            int offset = 4 + i * 4;
            SelectObject(dc, shadow);
            MoveToEx(dc, grip.right - offset, grip.bottom, nullptr);
            LineTo(dc, grip.right, grip.bottom - offset);
            SelectObject(dc, light);
            MoveToEx(dc, grip.right - offset + 2, grip.bottom, nullptr);
            LineTo(dc, grip.right, grip.bottom - offset + 2);
        }
        SelectObject(dc, old);
        DeleteObject(shadow);
        DeleteObject(light);
    } else {
        DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
    ReleaseDC(gDialog, dc);
}
