// The preview's entry points for the dialog procedure: its rectangle, the proxy request at
// the fitting scale and the render through the proxy renderer the run driver hands in. Zoom steps,
// panning and the painting of the image through the host come later.

#include "dialog/preview_window.h"

#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "host/effect_context.h"
#include "host/plugin_data.h"
#include "host/preview_request.h"

PreviewState gPreview;

void PreviewReset() {
    gPreview = PreviewState{0, 1, 1, false, ZOOM_FIT, 0, 0, nullptr};
}

int32_t RefreshImageGeometry() {
    if (!gDialog) return 0;
    HWND item = GetDlgItem(gDialog, ITEM_PREVIEW);
    if (item && gDataBlock) {
        RECT rect;
        GetWindowRect(item, &rect);
        MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
        gDataBlock->previewRect = {int16_t(rect.top), int16_t(rect.left), int16_t(rect.bottom),
                                   int16_t(rect.right)};
    }
    // Without a host that delivers rectangles there is no proxy to show.
    if (!gDataBlock || !gStuff || !gStuff->advanceState || GetResult() != 0) {
        gPreview.available = false;
        return 0;
    }
    int32_t scale = gPreview.reduction;
    PanOffset pan = {gPreview.panX, gPreview.panY};
    SetupFilterRecordForProxy(scale, pan);
    gContext.zoomReduction = scale;
    gPreview.panX = pan.x;
    gPreview.panY = pan.y;
    gPreview.available = GetResult() == 0;
    return gPreview.available ? 1 : 0;
}

void RenderPreview() {
    ++gPreview.renderRequests;
    if (gPreview.available && gDataBlock && gStuff && gPreview.renderProxy) gPreview.renderProxy();
}

void InvalidatePreview(HWND dialog) {
    if (!dialog) return;
    const int32_t reduction = gContext.zoomReduction;
    const int32_t magnification = gContext.zoomMagnification;
    bool erase = reduction > gPreview.lastReduction || magnification != gPreview.lastMagnification;
    gPreview.lastReduction = reduction;
    gPreview.lastMagnification = magnification;
    HWND item = GetDlgItem(dialog, ITEM_PREVIEW);
    if (!item) return;
    RECT rect;
    GetWindowRect(item, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    InvalidateRect(dialog, &rect, erase);
}

void PaintPreview(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (dc) {
        HWND item = GetDlgItem(dialog, ITEM_PREVIEW);
        RECT rect;
        if (item && GetWindowRect(item, &rect)) {
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
            InflateRect(&rect, 1, 1);
            FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
    }
    EndPaint(dialog, &paint);
}

int32_t PanPreview(int32_t, int32_t, int32_t, int32_t) {
    return 1;
}

void ReleasePreviewBuffers() {}
