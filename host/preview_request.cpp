// Preview requests of the dialog and the effect: proxy scale, the visible part of the image
// at that scale, and the host's advanceState for it.

#include "host/preview_request.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "host/dialog_hooks.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/pixel_access.h"
#include "host/plugin_data.h"
#include "host/rect16.h"
#include "host/run_driver.h"
#include "host/text_format.h"

namespace {
constexpr HostRect kEmptyRect = {0, 0, 0, 0};

// The request that was current before RequestWholeImage. Written only by the two functions
// that switch to the whole image and back, on the host's thread.
struct SavedRequest {
    bool saved;
    HostRect inRect, outRect, maskRect;
    Fixed inputRate, maskRate;
};
SavedRequest gSavedRequest;

// With a drag under way and drag rendering off, the preview asks for input only.
bool InputOnlyRequest() {
    return gParams && (gParams->flags & (PFLAG_PREVIEW_DRAG | PFLAG_DRAG_RENDER |
                                         PFLAG_DRAGGING)) == (PFLAG_PREVIEW_DRAG | PFLAG_DRAGGING);
}

// Output (none when inputOnly), planes, mask, rates and padding for an input rectangle
// already set.
void FillRequest(int32_t scale, bool inputOnly) {
    FilterRecord& r = *gStuff;
    r.outRect = inputOnly ? kEmptyRect : r.inRect;
    r.inLoPlane = r.outLoPlane = 0;
    r.inHiPlane = r.outHiPlane = int16_t(r.planes - 1);
    r.maskRect = r.haveMask ? r.inRect : kEmptyRect;
    r.inputRate = r.maskRate = IntToFixed(scale);
    r.inputPadding = r.outputPadding = r.maskPadding = RequestPadding();
}

// Preview errors stop everything on the screen: system-modal, captioned with the title.
void ShowPreviewError(const char* text) {
    const char* title = gContext.escapeStrings[kEscapeSlotTitle];
    gDialogHooks.showMessage(MB_ICONHAND | MB_SYSTEMMODAL, title[0] ? title : nullptr, text, true);
}

// The fitting scale for the filter rectangle in the preview, without changing the preview.
int32_t FittingScale(HostRect& preview) {
    preview = gDataBlock->previewRect;
    return CalcProxyScale(gStuff->filterRect, preview);
}

// Moves [low, high) by the pan, then back inside [minimum, maximum), keeping the pan offset
// equal to what was actually applied.
void PanAxis(int16_t& low, int16_t& high, int16_t minimum, int16_t maximum, int32_t scale,
             int32_t& pan) {
    int32_t lo = low + pan / scale;
    int32_t hi = high + pan / scale;
    if (lo < minimum) {
        const int32_t shift = minimum - lo;
        lo += shift;
        hi += shift;
        pan += scale * shift;
    } else if (hi > maximum) {
        const int32_t shift = hi - maximum;
        lo -= shift;
        hi -= shift;
        pan -= scale * shift;
    }
    low = ClampToInt16(lo);
    high = ClampToInt16(hi);
}

// Centres [low, high) on a visible extent when it is longer; true when it was cut.
bool CentreAxis(int16_t& low, int16_t& high, int32_t visible) {
    const int32_t length = int32_t(high) - low;
    if (length <= visible) return false;
    low = ClampToInt16(low + (length - visible) / 2);
    high = ClampToInt16(low + visible);
    return true;
}
}  // namespace

int32_t CalcProxyScale(const HostRect& filterRect, HostRect& previewRect) {
    InsetRect16(previewRect, 1, 1);
    const int32_t fw = RectWidth(filterRect), fh = RectHeight(filterRect);
    const int32_t pw = RectWidth(previewRect), ph = RectHeight(previewRect);
    auto ratio = [](int32_t filter, int32_t preview) {
        const int32_t fit = std::min(filter, preview);
        return fit > 0 ? (filter + fit - 1) / fit : 1;
    };
    int32_t scale = std::max(ratio(fw, pw), ratio(fh, ph));
    while ((fw / scale == 0 || fh / scale == 0) && scale > 1) --scale;
    return scale;
}

int32_t ClampProxyScale(int32_t scale) {
    if (scale < 1) return 1;
    if (scale >= 17) return 16;
    if (scale == 13) return 14;
    if (scale == 15) return 16;
    return scale;
}

void SetupFilterRecordForProxy(int32_t& scale, PanOffset& pan) {
    FilterRecord& r = *gStuff;
    gContext.dialogUp = 1;
    // The data block's preview rectangle stays as the preview code wrote it: shrinking it
    // here would make it smaller at every request.
    HostRect preview;
    const int32_t fitting = FittingScale(preview);
    if (scale == ZOOM_FIT) scale = fitting;
    scale = ClampProxyScale(scale);
    if (scale != gRun.lastProxyScale) {
        gRun.proxyScaleChanged = true;
        gRun.lastProxyScale = scale;
        gContext.proxyScale = scale;
    }

    HostRect scaled = r.filterRect;
    ScaleRect16(scaled, 1, scale);
    gRun.scaledFilterRect = scaled;
    r.inRect = scaled;
    const int32_t zoom = std::max(1, gContext.zoomMagnification);
    bool cut = CentreAxis(r.inRect.left, r.inRect.right, RectWidth(preview) / zoom);
    cut = CentreAxis(r.inRect.top, r.inRect.bottom, RectHeight(preview) / zoom) || cut;
    PanAxis(r.inRect.left, r.inRect.right, scaled.left, scaled.right, scale, pan.x);
    PanAxis(r.inRect.top, r.inRect.bottom, scaled.top, scaled.bottom, scale, pan.y);
    FillRequest(scale, InputOnlyRequest());

    if (gParams && (gParams->flags & PFLAG_BIG_GULP) && gRun.proxyScaleChanged && cut) {
        gRun.proxyScaleChanged = false;
        const HostRect savedIn = r.inRect, savedOut = r.outRect, savedMask = r.maskRect;
        r.inRect = scaled;
        r.outRect = InputOnlyRequest() ? kEmptyRect : scaled;
        r.maskRect = r.haveMask ? scaled : kEmptyRect;
        SetupTileRects();
        TraceRequestRects("Calling AdvanceState for Big Gulp...");
        if (r.advanceState) r.advanceState();
        TraceAdvanceStateResult(GetResult());
        r.inRect = savedIn;
        r.outRect = savedOut;
        r.maskRect = savedMask;
    }

    SetupTileRects();
    TraceRequestRects("Calling AdvanceState from SetupFilterRecordForProxy...");
    SetResult(r.advanceState ? r.advanceState() : int16_t(HOST_BAD_PARAMETERS));
    if (GetResult() == HOST_OUT_OF_MEMORY) {
        ShowPreviewError("Not enough memory to generate a preview\nimage at this zoom level.");
    } else if (GetResult() != 0) {
        char text[256];
        FormatText(text, sizeof text,
                   "Unknown error (%d) while trying to generate\na preview image.", GetResult());
        ShowPreviewError(text);
    }
    TraceAdvanceStateResult(GetResult());
    AdjustTileDataPointers();
    r.outRect = r.inRect;
}

bool AdoptProxyGeometry() {
    const HostRect frame = ScaledFilterRect();
    if (!DeliveryConsistent(frame)) return false;
    SetRectGeometry(frame);
    return true;
}

HostRect ProxyImageRect() {
    return gRun.scaledFilterRect;
}

int requestRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t scale) {
    if (!gContext.dialogUp || !gDataBlock || !gStuff || !gStuff->advanceState) return 0;
    FilterRecord& r = *gStuff;
    HostRect preview;
    const int32_t fitting = FittingScale(preview);
    if (scale == ZOOM_FIT) scale = fitting;
    scale = ClampProxyScale(scale);
    SetRect16(r.inRect, left, top, right, bottom);
    ScaleRect16(r.inRect, 1, scale);
    // The effect's own requests (thumbnails, navigator, brush layer) render into what they
    // get, whatever the preview's drag asks meanwhile.
    FillRequest(scale, false);
    SetupTileRects();
    // The effect asked; a refusal is its answer, not the end of the run.
    const OSErr result = r.advanceState();
    if (result == 0) {
        AdjustTileDataPointers();
        r.outRect = r.inRect;
        const HostRect frame = r.inRect;
        if (DeliveryConsistent(frame)) {
            SetRectGeometry(frame);
            SetTransparencyOpaque(!r.haveMask && r.planes < 4);
            return 1;
        }
        SetResult(HOST_BAD_PARAMETERS);
        return 0;
    }
    if (result == HOST_OUT_OF_MEMORY) {
        ShowPreviewError("Not enough memory to perform requestRect()\nat this zoom level.");
    } else {
        char text[256];
        FormatText(text, sizeof text, "Unknown error (%d) while perfoming requestRect()\n", result);
        ShowPreviewError(text);
    }
    return 0;
}

int RequestWholeImage() {
    if (!gDataBlock || !gStuff || !gStuff->advanceState || GetResult() != 0) return 0;
    FilterRecord& r = *gStuff;
    gSavedRequest = {true, r.inRect, r.outRect, r.maskRect, r.inputRate, r.maskRate};
    r.inRect = r.outRect = r.filterRect;
    r.maskRect = r.haveMask ? r.filterRect : kEmptyRect;
    r.inputRate = r.maskRate = IntToFixed(1);
    SetupTileRects();
    if (r.advanceState() != 0) return 0;
    AdjustTileDataPointers();
    r.outRect = r.inRect;
    const HostRect frame = r.filterRect;
    if (!DeliveryConsistent(frame)) return 0;
    SetRectGeometry(frame);
    return 1;
}

int RestoreRenderRequest() {
    if (!gSavedRequest.saved || !gDataBlock || !gStuff || !gStuff->advanceState) return 0;
    FilterRecord& r = *gStuff;
    gSavedRequest.saved = false;
    r.inRect = gSavedRequest.inRect;
    r.outRect = gSavedRequest.outRect;
    r.maskRect = gSavedRequest.maskRect;
    r.inputRate = gSavedRequest.inputRate;
    r.maskRate = gSavedRequest.maskRate;
    SetupTileRects();
    const OSErr result = r.advanceState();
    if (result != 0) {
        SetResult(result);
        return 0;
    }
    AdjustTileDataPointers();
    r.outRect = gSavedRequest.outRect;
    const HostRect frame = ScaledFilterRect();
    if (!DeliveryConsistent(frame)) {
        SetResult(HOST_BAD_PARAMETERS);
        return 0;
    }
    SetRectGeometry(frame);
    return CopySourceRows();
}
