// The navigator picture of the whole image, drawn into its control with the frame of the part
// the preview shows, and the clicks and drags on it that move the preview.

#include "dialog/preview_navigator.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "dialog/bitmap_info.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/histogram_panel.h"
#include "dialog/preview_view.h"
#include "dialog/preview_window.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/preview_request.h"
#include "host/sampling.h"

namespace {
constexpr COLORREF kShownFrameColor = RGB(255, 0, 0);
constexpr DWORD kDragPollMs = 10;

// The navigator drag: the last mouse position over the control (client pixels) and whether a
// drag is under way. Written only by TrackNavigatorDrag.
struct NavigatorDrag {
    POINT last;
    bool dragging;
};
NavigatorDrag gNavigatorDrag;

int32_t WholeWidth() {
    return gContext.imageWidth > 0 ? gContext.imageWidth : gContext.X;
}

int32_t WholeHeight() {
    return gContext.imageHeight > 0 ? gContext.imageHeight : gContext.Y;
}

// The client rectangle of the control's window; false without one.
bool NavigatorClient(int32_t control, HWND& window, RECT& client) {
    const ControlRecord* record = UsedControlRecord(control);
    if (!record || !record->window) return false;
    window = record->window;
    return GetClientRect(window, &client) != 0;
}

COLORREF SheetColor(int32_t control) {
    const ControlRecord* record = UsedControlRecord(control);
    if (record && record->backgroundColor != COLORREF(-1)) return record->backgroundColor;
    return GetSysColor(COLOR_BTNFACE);
}

// The array's top-left corner inside a client area of width x height: centred.
POINT NavigatorOrigin(int32_t array, const RECT& client) {
    const NumberedArray& a = gArrays[array];
    const int32_t columns = a.xSize - 2 * a.border, rows = a.ySize - 2 * a.border;
    return {(client.right - columns) / 2, (client.bottom - rows) / 2};
}

// The array's cells as 0x00RRGGBB pixels for a top-down 32-bit picture.
std::vector<uint32_t> NavigatorPixels(int32_t array, int32_t columns, int32_t rows) {
    std::vector<uint32_t> pixels(size_t(columns) * size_t(rows));
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < columns; ++x) {
            const uint32_t r = uint32_t(GetArrayElement(array, x, y, 0));
            const uint32_t g = uint32_t(GetArrayElement(array, x, y, 1));
            const uint32_t b = uint32_t(GetArrayElement(array, x, y, 2));
            pixels[size_t(y) * columns + x] = r << 16 | g << 8 | b;
        }
    return pixels;
}

// The part the preview shows, in the navigator's client pixels.
RECT ShownFrame(int32_t array, POINT origin) {
    const NumberedArray& a = gArrays[array];
    const int64_t columns = a.xSize - 2 * a.border, rows = a.ySize - 2 * a.border;
    const int64_t r = std::max(gContext.zoomReduction, 1);
    const int64_t w = std::max(WholeWidth(), 1), h = std::max(WholeHeight(), 1);
    return {origin.x + LONG(r * columns * gContext.currentLeft / w),
            origin.y + LONG(r * rows * gContext.currentTop / h),
            origin.x + LONG(r * columns * gContext.currentRight / w),
            origin.y + LONG(r * rows * gContext.currentBottom / h)};
}

bool MouseOverClient(HWND window, POINT& mouse) {
    return GetCursorPos(&mouse) && ScreenToClient(window, &mouse);
}
}  // namespace

int32_t PrepareNavigator(int32_t control, int32_t array) {
    HWND window;
    RECT client;
    if (gArrays[array].base || !NavigatorClient(control, window, client)) return 1;
    RenderNavigatorImage(array, client.right, client.bottom);
    return 1;
}

int32_t RenderNavigatorImage(int32_t array, int32_t width, int32_t height) {
    const int32_t w = WholeWidth(), h = WholeHeight();
    const NavigatorSampling s = NavigatorSamplingFor(w, h, width, height);
    if (s.columns < 1 || s.rows < 1) return 0;
    if (!requestRect(0, 0, w, h, s.scale)) return 0;
    if (!CreateArray(array, s.columns, s.rows, 3, 1)) {
        RefreshImageGeometry();
        return 0;
    }
    const bool sixteenBit = IsSixteenBitMode(gContext.imageMode);
    const int32_t planes = std::min(gContext.Z, 4);
    for (int32_t row = 0; row < s.rows; ++row)
        for (int32_t column = 0; column < s.columns; ++column) {
            int32_t levels[4] = {};
            for (int32_t c = 0; c < planes; ++c) {
                const int32_t v =
                    SampleSource(column * s.step + gContext.currentLeft,
                                 row * s.step + gContext.currentTop, c, SAMPLE_BILINEAR);
                levels[c] = std::clamp(sixteenBit ? v / 128 : v, 0, 255);
            }
            const COLORREF rgb = ReadoutForMode(gContext.imageMode, levels).swatch;
            PutArrayElement(array, column, row, 0, GetRValue(rgb));
            PutArrayElement(array, column, row, 1, GetGValue(rgb));
            PutArrayElement(array, column, row, 2, GetBValue(rgb));
        }
    RefreshImageGeometry();
    return 1;
}

int32_t DrawNavigator(int32_t control, int32_t array) {
    HWND window;
    RECT client;
    if (!NavigatorClient(control, window, client)) return 1;
    HDC dc = GetDC(window);
    if (!dc) return 1;
    HBRUSH background = CreateSolidBrush(SheetColor(control));
    FillRect(dc, &client, background);
    DeleteObject(background);
    const NumberedArray& a = gArrays[array];
    if (a.base && a.zSize >= 3) {
        const int32_t columns = a.xSize - 2 * a.border, rows = a.ySize - 2 * a.border;
        const std::vector<uint32_t> pixels = NavigatorPixels(array, columns, rows);
        const BITMAPINFO info = TopDownBitmapInfo32(columns, rows);
        const POINT origin = NavigatorOrigin(array, client);
        SetDIBitsToDevice(dc, origin.x, origin.y, DWORD(columns), DWORD(rows), 0, 0, 0, UINT(rows),
                          pixels.data(), &info, DIB_RGB_COLORS);
        const RECT frame = ShownFrame(array, origin);
        HBRUSH red = CreateSolidBrush(kShownFrameColor);
        FrameRect(dc, &frame, red);
        DeleteObject(red);
    }
    ReleaseDC(window, dc);
    return 1;
}

int32_t MoveNavigatorView(int32_t control, int32_t array, int32_t refresh) {
    HWND window;
    RECT client;
    POINT mouse;
    const NumberedArray& a = gArrays[array];
    if (!a.base || !NavigatorClient(control, window, client) || !MouseOverClient(window, mouse))
        return 1;
    const int32_t columns = std::max(a.xSize - 2 * a.border, 1);
    const int32_t rows = std::max(a.ySize - 2 * a.border, 1);
    const POINT origin = NavigatorOrigin(array, client);
    const int64_t r = std::max(gContext.zoomReduction, 1);
    const int32_t x = int32_t(WholeWidth() / r * (mouse.x - origin.x) / columns);
    const int32_t y = int32_t(WholeHeight() / r * (mouse.y - origin.y) / rows);
    PanPreviewTo(1, x, y, 0);
    DrawNavigator(control, array);
    PumpDialogMessages();
    if (refresh != kNavigatorNoRender) RunControlAction(RUN_ACTION_PREVIEW);
    // A render counts the histogram only while its sheet shows, and the navigator's sheet is
    // another: the counts follow the view here, or the histogram would show the old part.
    RefreshHistogram(ARRAY_HISTOGRAM);
    return 1;
}

int32_t TrackNavigatorDrag(int32_t control, int32_t array) {
    HWND window;
    RECT client;
    if (!NavigatorClient(control, window, client)) return 1;
    gNavigatorDrag = {{-1, -1}, false};
    MouseOverClient(window, gNavigatorDrag.last);
    while ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) && gDialog && GetForegroundWindow() == gDialog) {
        POINT mouse;
        if (MouseOverClient(window, mouse) &&
            (mouse.x != gNavigatorDrag.last.x || mouse.y != gNavigatorDrag.last.y)) {
            gNavigatorDrag.last = mouse;
            gNavigatorDrag.dragging = true;
            MoveNavigatorView(control, array, kNavigatorNoRender);
            InvalidatePreview(gDialog);
            UpdateWindow(gDialog);
        }
        Sleep(kDragPollMs);
    }
    if (gNavigatorDrag.dragging) {
        RunControlAction(RUN_ACTION_PREVIEW);
        // The drag counted the view unrendered: the rendered view's counts replace them.
        RefreshHistogram(ARRAY_HISTOGRAM);
    }
    gNavigatorDrag.dragging = false;
    return 1;
}
