// The preview's entry points for the dialog procedure. The proxy, zoom, pan and painting of
// the image come later; for now the preview keeps its rectangle, counts render requests and
// invalidates its area.

#include "dialog/preview_window.h"

#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "host/effect_context.h"
#include "host/plugin_data.h"

PreviewState gPreview;

void PreviewReset() { gPreview = PreviewState{0, 1, 1, false}; }

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
    return gPreview.available ? 1 : 0;
}

void RenderPreview() { ++gPreview.renderRequests; }

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

void PaintPreview(HWND) {}

int32_t PanPreview(int32_t, int32_t, int32_t, int32_t) { return 1; }

void ReleasePreviewBuffers() {}
