// The preview inside the filter dialog: its geometry, rendering requests, painting and pan.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/host_api.h"

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
    // The preview's own request to the host, as RefreshImageGeometry last made it: painting
    // shows the host's buffers only while they still hold it.
    HostRect requestRect;
    Fixed requestRate;
    // A size or view change came while a render ran (the render's abort check lets the
    // window's sent messages through): its proxy waits for the render's end. Set by
    // RefreshImageGeometry, cleared by RenderPreview.
    bool geometryStale;
    // The rendering under way (or just ended) was painted once its pixels were final, by the
    // render hook through ShowPreviewNow. Cleared by RenderPreview as each rendering starts.
    bool shownByRender;
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
// Invalidates the preview and has the dialog paint it before returning; nothing while the
// view of a rendering under way has changed (its catch-up rendering paints).
void ShowPreviewNow(HWND dialog);
// Renders the preview and invalidates it, unless the rendering already painted its picture.
void RenderAndShowPreview(HWND dialog);
// Paints the preview on the dialog's paint message.
void PaintPreview(HWND dialog);
// Moves the shown part: mode 0 by (dx, dy) reduced pixels, mode 1 to (dx, dy).
int32_t PanPreview(int32_t mode, int32_t dx, int32_t dy, int32_t render);
// As PanPreview, but mode 1 centres the shown part on the point (x, y) of the reduced image.
int32_t PanPreviewTo(int32_t mode, int32_t x, int32_t y, int32_t render);
// Frees the drawing buffers of the preview when the dialog goes.
void ReleasePreviewBuffers();

// Zoom: reduction 1..16 or ZOOM_FIT, magnification 1..32. 0 before the preview is available
// or when nothing changed.
int32_t SetPreviewZoom(int32_t reduction, int32_t magnification);
// The zoom buttons: one step out or in, the list following.
int32_t StepZoom(int32_t control, int32_t listControl, int32_t zoomInControl,
                 int32_t zoomOutControl);
// The entry chosen in the zoom list (separators move on in the direction of travel).
int32_t SelectZoomFromList(int32_t listControl, int32_t zoomInControl, int32_t zoomOutControl,
                           int32_t previousIndex);
// The cursor over control n (axis 0 x, 1 y); for the preview in reduced-image coordinates.
// -1 outside.
int32_t GetMousePosOverControl(int32_t n, int32_t axis);
int32_t GetPreviewMouseX();
int32_t GetPreviewMouseY();
// "W x H pixel, 8-bit" into control n.
int32_t SetImageSizeText(int32_t n);
// The swatch, the two readout lines and the coordinates of the pixel under the cursor.
int32_t ShowPixelReadout(int32_t swatch, int32_t line1, int32_t line2, int32_t coordinates);
