// Preview requests: the proxy scale that fits the preview, the filter record set up for one
// preview rectangle, and the effect's own requests for other source areas (requestRect).
#pragma once

#include <cstdint>

#include "host/host_api.h"

// Asks for the scale at which the whole filter rectangle fits the preview.
constexpr int32_t ZOOM_FIT = -888;

struct PanOffset {
    int32_t x, y;  // full-resolution pixels
};

// Shrinks the preview rectangle by 1 on every side (the caller's rectangle changes) and
// returns the scale at which the filter rectangle fits it: the largest that still leaves one
// pixel in each direction.
int32_t CalcProxyScale(const HostRect& filterRect, HostRect& previewRect);
// Scales the preview offers: 1..16, where 13 is used as 14 and 15 as 16.
int32_t ClampProxyScale(int32_t scale);
// Prepares and issues one preview request at the scale (ZOOM_FIT: the fitting one), centred
// on the preview and moved by the pan offset, which is kept inside the image. Both are
// updated to what was used.
void SetupFilterRecordForProxy(int32_t& scale, PanOffset& pan);
// Points the geometry of gContext (pointers, row bytes, planes, mask, the shown rectangle) at
// what the last preview request delivered; false, leaving it alone, when the delivery
// disagrees with the request.
bool AdoptProxyGeometry();
// The whole filter rectangle at the scale of the last preview request.
HostRect ProxyImageRect();
// While the dialog is up: fetches the source of another area (full-resolution coordinates)
// at the scale and points the geometry of gContext at it. 1 on success.
int requestRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t scale);

// The whole filter rectangle at full size as the current rectangle, for counts that must
// cover the whole image whatever the preview shows or the tile is. Works in the dialog and in
// a final run; the caller must call RestoreRenderRequest afterwards. 1 delivered.
int RequestWholeImage();
// Asks again for the rectangle that was current before RequestWholeImage and makes its output
// a copy of the source again, as the render hook expects it. 1 restored.
int RestoreRenderRequest();
