// The preview inside the filter dialog: its geometry, rendering requests, painting and pan.
#pragma once

#include <windows.h>

#include <cstdint>

// Preview state kept for the dialog procedure and tests.
struct PreviewState {
    int32_t renderRequests;  // renders asked of the preview since the dialog was built
    int32_t lastReduction;   // reduction and magnification at the last invalidation
    int32_t lastMagnification;
    bool available;         // the proxy is set up
    int32_t reduction;      // asked-for proxy scale: 1..16, or ZOOM_FIT
    int32_t panX, panY;     // pan offset in full-resolution pixels
    void (*renderProxy)();  // renders the proxy through the effect; handed in by the run
                            // driver with RunFilterDialog, null without one
};
extern PreviewState gPreview;

void PreviewReset();

// Recomputes the preview rectangle (previewRect of the data block) and, when the preview is
// available, the proxy for the current reduction. 1 when the preview is available.
int32_t RefreshImageGeometry();
// Renders the preview's proxy through the effect (gPreview.renderProxy).
void RenderPreview();
// Invalidates the preview item, erasing when the reduction grew or the magnification changed.
void InvalidatePreview(HWND dialog);
// Paints the preview on the dialog's paint message.
void PaintPreview(HWND dialog);
// Moves the shown part: mode 0 by (dx, dy) reduced pixels, mode 1 to (dx, dy).
int32_t PanPreview(int32_t mode, int32_t dx, int32_t dy, int32_t render);
// Frees the drawing buffers of the preview when the dialog goes.
void ReleasePreviewBuffers();
