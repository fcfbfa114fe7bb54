// The preview's entry points for the dialog procedure: its rectangle, the proxy request, the
// render through the run driver, the painting through the host's display routine, zoom,
// pan, and the pixel readout.

#include "dialog/preview_window.h"

#include <algorithm>
#include <cstdlib>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_window.h"
#include "dialog/message_boxes.h"
#include "dialog/preview_view.h"
#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/preview_request.h"
#include "host/preview_timing.h"
#include "host/run_driver.h"

PreviewState gPreview;

namespace {
constexpr int32_t kModeGray16 = 10;
constexpr int32_t kModeCmyk64 = 13;
constexpr int32_t kModeDuotone16 = 14;

// Memory lent by the host's buffer suite when it has one and agrees, else from the heap; kept
// from one paint to the next while its size stays.
class PreviewBuffer {
  public:
    PreviewBuffer() = default;
    PreviewBuffer(const PreviewBuffer&) = delete;
    PreviewBuffer& operator=(const PreviewBuffer&) = delete;
    // At process exit the host that lent a buffer may be gone: only heap memory is freed.
    ~PreviewBuffer() { std::free(heap_); }

    // bytes of memory, or null when neither the host nor the heap gives them.
    uint8_t* Ensure(size_t bytes) {
        if (data_ && bytes_ == bytes) return data_;
        Release();
        if (const BufferProcs* suite = HostSuite(); suite && bytes <= size_t(INT32_MAX)) {
            void* id = nullptr;
            if (HostAllocateBuffer(suite, int32_t(bytes), &id) == 0) {
                if (void* data = HostLockBuffer(suite, id, true)) {
                    hostId_ = id;
                    suite_ = suite;
                    return Keep(static_cast<uint8_t*>(data), bytes);
                }
                HostFreeBuffer(suite, id);
            }
        }
        heap_ = static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1));
        return heap_ ? Keep(heap_, bytes) : nullptr;
    }

    void Release() {
        if (hostId_) {
            HostUnlockBuffer(suite_, hostId_);
            HostFreeBuffer(suite_, hostId_);
        }
        std::free(heap_);
        data_ = heap_ = nullptr;
        bytes_ = 0;
        hostId_ = nullptr;
        suite_ = nullptr;
    }

  private:
    static const BufferProcs* HostSuite() {
        const BufferProcs* suite = gDataBlock && gStuff ? gStuff->bufferProcs : nullptr;
        return BufferSuiteAvailable(suite, nullptr) ? suite : nullptr;
    }
    uint8_t* Keep(uint8_t* data, size_t bytes) {
        data_ = data;
        bytes_ = bytes;
        return data_;
    }
    uint8_t* data_ = nullptr;
    size_t bytes_ = 0;
    uint8_t* heap_ = nullptr;  // set when the memory came from the heap
    void* hostId_ = nullptr;   // set when it came from the host
    const BufferProcs* suite_ = nullptr;
};

// The pictures handed to the host's display routine. Written only by PaintPreview and
// ReleasePreviewBuffers.
struct PreviewBuffers {
    PreviewBuffer eightBit;   // a 16-bit proxy brought to 8 bits
    PreviewBuffer magnified;  // each proxy pixel repeated m x m times
};
PreviewBuffers gPreviewBuffers;

bool FrameRect16(HWND dialog, RECT& frame) {
    HWND item = dialog ? GetDlgItem(dialog, ITEM_PREVIEW) : nullptr;
    if (!item || !GetWindowRect(item, &frame)) return false;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
    return true;
}

const char* EightBitBufferMessage(int32_t imageMode) {
    switch (imageMode) {
        case kModeGray16:
            return "Can't allocate proxy preview buffer for Gray16 image!";
        case kModeCmyk64:
            return "Can't allocate proxy preview buffer for CMYK64 image!";
        case kModeDuotone16:
            return "Can't allocate proxy preview buffer for Duotone16 image!";
        default:
            return "Can't allocate proxy preview buffer for 48-bit image!";
    }
}

// The proxy's pixels as 8-bit samples of `planes` per pixel: the host's own for 8-bit images,
// else converted into the kept buffer. Null when the buffer cannot be had.
const uint8_t* EightBitPixels(const FilterRecord& r, int32_t width, int32_t height,
                              int32_t& rowBytes) {
    const auto* out = static_cast<const uint8_t*>(r.outData);
    if (!IsSixteenBitMode(r.imageMode)) {
        rowBytes = r.outRowBytes;
        return out;
    }
    const size_t row = size_t(width) * r.planes;
    uint8_t* eightBit = gPreviewBuffers.eightBit.Ensure(row * size_t(height));
    if (!eightBit) {
        ShowErrorMessage("%s", EightBitBufferMessage(r.imageMode));
        return nullptr;
    }
    for (int32_t y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const uint16_t*>(out + int64_t(y) * r.outRowBytes);
        for (size_t i = 0; i < row; ++i) eightBit[y * row + i] = DisplayLevel16(in[i]);
    }
    rowBytes = int32_t(row);
    return eightBit;
}

// Whether the host's buffers hold what the preview asked for: between a thumbnail's or the
// navigator's own request and the preview's next one they hold another picture.
bool HoldsPreviewRequest(const FilterRecord& r) {
    const HostRect& asked = gPreview.requestRect;
    return r.inputRate == gPreview.requestRate && r.outRect.left == asked.left &&
           r.outRect.top == asked.top && r.outRect.right == asked.right &&
           r.outRect.bottom == asked.bottom;
}

// The update area says what the window system wants drawn: a text or a progress bar beside
// the preview invalidates the dialog under it, and handing the whole picture to the host for
// each of those paints costs as much as the preview's own.
void DrawProxy(HDC dc, const RECT& frame, const RECT& update) {
    const FilterRecord& r = *gStuff;
    const int32_t width = r.outRect.right - r.outRect.left;
    const int32_t height = r.outRect.bottom - r.outRect.top;
    if (!r.displayPixels || !r.outData || width <= 0 || height <= 0) return;
    if (!HoldsPreviewRequest(r)) return;
    const int32_t m = std::max(gContext.zoomMagnification, 1);
    const int32_t frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    const PreviewPlacement place = PlacePreview(frameWidth, frameHeight, width, height, m);
    const PreviewArea drawn =
        PreviewPaintedArea(place, frameWidth, frameHeight,
                           {update.left - frame.left, update.top - frame.top,
                            update.right - frame.left, update.bottom - frame.top});
    if (drawn.right <= drawn.left) return;
    int32_t rowBytes = 0;
    const uint8_t* pixels = EightBitPixels(r, width, height, rowBytes);
    if (!pixels) return;
    if (m > 1) {
        const size_t bytes = size_t(width) * m * size_t(height) * m * size_t(r.planes);
        uint8_t* magnified = gPreviewBuffers.magnified.Ensure(bytes);
        if (!magnified) {
            ShowErrorMessage("Can't allocate proxy preview buffer for >100%% zoom!");
            return;
        }
        MagnifyPixelsInto(pixels, rowBytes, width, height, r.planes, m, magnified);
        pixels = magnified;
        rowBytes = width * m * r.planes;
    }
    PixelMemoryDesc desc = {const_cast<uint8_t*>(pixels), rowBytes * 8, r.planes * 8, 0, 8};
    const HostVRect area = {drawn.top, drawn.left, drawn.bottom, drawn.right};
    r.displayPixels(&desc, &area, frame.top + place.offsetY + drawn.top,
                    frame.left + place.offsetX + drawn.left, dc);
    PreviewTimingMark(PREVIEW_MOMENT_DISPLAY_END);
}

// A render runs further down the stack: the preview's own, or a thumbnail's.
bool RenderUnderWay() {
    return gRun.processDepth > 0 || RenderHookDepth() > 0;
}

// A pan drag of the preview runs. The flag word's "dragging" bit is no sign of it: the
// default flag word has it set.
bool PanDragRunning() {
    return gParams && (gParams->flags & PFLAG_PREVIEW_DRAG);
}

void SetZoomButtons(PreviewZoom zoom, int32_t zoomIn, int32_t zoomOut) {
    SetControlState(zoomIn, ZoomInDisabled(zoom) ? CTLSTATE_VISIBLE : CTLSTATE_FULL);
    SetControlState(zoomOut, ZoomOutDisabled(zoom) ? CTLSTATE_VISIBLE : CTLSTATE_FULL);
}
}  // namespace

void PreviewReset() {
    gPreview = PreviewState{0, 1, 1, false, ZOOM_FIT, 0, 0, nullptr, {0, 0, 0, 0}, 0, false, false};
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
    // A new request now would hand the running render freed buffers.
    if (RenderUnderWay()) {
        gPreview.geometryStale = true;
        return gPreview.available ? 1 : 0;
    }
    gPreview.geometryStale = false;
    int32_t scale = gPreview.reduction;
    PanOffset pan = {gPreview.panX, gPreview.panY};
    SetupFilterRecordForProxy(scale, pan);
    gContext.zoomReduction = scale;
    gPreview.panX = pan.x;
    gPreview.panY = pan.y;
    gPreview.available = GetResult() == 0;
    // The proxy's pointers, row bytes, planes, mask source and shown rectangle.
    if (gPreview.available) AdoptProxyGeometry();
    gPreview.requestRect = gStuff->outRect;
    gPreview.requestRate = gStuff->inputRate;
    return gPreview.available ? 1 : 0;
}

void RenderPreview() {
    // Sizes that change while each render runs could keep this going; a few rounds catch up
    // with any person resizing the dialog.
    constexpr int kCatchUpRounds = 4;
    ++gPreview.renderRequests;
    gPreview.shownByRender = false;
    if (!gPreview.available || !gDataBlock || !gStuff || !gPreview.renderProxy) return;
    if (RenderUnderWay()) {
        gPreview.geometryStale = true;
        return;
    }
    for (int round = 0; round < kCatchUpRounds; ++round) {
        if (gPreview.geometryStale && !RefreshImageGeometry()) return;
        gPreview.shownByRender = false;
        gPreview.renderProxy();
        if (!gPreview.geometryStale) return;
        InvalidatePreview(gDialog);
    }
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

void ShowPreviewNow(HWND dialog) {
    if (!dialog || gPreview.geometryStale) return;
    InvalidatePreview(dialog);
    // The dialog's own paint, not PaintPreview alone: whatever else waits to be painted on the
    // dialog would be taken as done by the preview's BeginPaint and never drawn.
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
    if (RenderUnderWay()) gPreview.shownByRender = true;
}

void RenderAndShowPreview(HWND dialog) {
    RenderPreview();
    // A second paint would hand the host the same pixels again, after the user saw them.
    if (!gPreview.shownByRender) InvalidatePreview(dialog);
}

void PaintPreview(HWND dialog) {
    PreviewTimingMark(PREVIEW_MOMENT_PAINT_START);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    RECT frame;
    if (dc && GetResult() == 0 && FrameRect16(dialog, frame)) {
        RECT outline = frame;
        InflateRect(&outline, 1, 1);
        RECT meet;
        if (IntersectRect(&meet, &outline, &paint.rcPaint))
            FrameRect(dc, &outline, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (gPreview.available && gDataBlock && gStuff) DrawProxy(dc, frame, paint.rcPaint);
    }
    EndPaint(dialog, &paint);
    PreviewTimingMark(PREVIEW_MOMENT_PAINTED);
}

int32_t PanPreview(int32_t mode, int32_t dx, int32_t dy, int32_t render) {
    if (!gPreview.available) return 0;
    const int32_t r = std::max(gContext.zoomReduction, 1);
    if (mode == 0) {
        gPreview.panX += r * dx;
        gPreview.panY += r * dy;
    } else {
        gPreview.panX = r * dx;
        gPreview.panY = r * dy;
    }
    RefreshImageGeometry();
    if (render && GetResult() == 0) {
        if (gParams && (gParams->flags & PFLAG_DRAG_RENDER))
            RenderAndShowPreview(gDialog);
        else
            InvalidatePreview(gDialog);
    }
    return 1;
}

int32_t PanPreviewTo(int32_t mode, int32_t x, int32_t y, int32_t render) {
    if (mode == 1) {
        // The pan offset counts from the centred view: the point's distance from the left
        // (top) of the centred shown part, less half the shown size.
        const HostRect whole = ProxyImageRect();
        const int32_t shownWidth = gContext.currentRight - gContext.currentLeft;
        const int32_t shownHeight = gContext.currentBottom - gContext.currentTop;
        const int32_t centredLeft =
            whole.left + std::max(whole.right - whole.left - shownWidth, 0) / 2;
        const int32_t centredTop =
            whole.top + std::max(whole.bottom - whole.top - shownHeight, 0) / 2;
        x -= centredLeft + (shownWidth - 1) / 2;
        y -= centredTop + (shownHeight - 1) / 2;
    }
    return PanPreview(mode, x, y, render);
}

void ReleasePreviewBuffers() {
    gPreviewBuffers.eightBit.Release();
    gPreviewBuffers.magnified.Release();
}

int32_t SetPreviewZoom(int32_t reduction, int32_t magnification) {
    if (!gPreview.available) return 0;
    if (reduction != ZOOM_FIT) reduction = std::clamp(reduction, 1, kMaxReduction);
    magnification = std::clamp(magnification, 1, kMaxMagnification);
    if (reduction == gPreview.reduction && magnification == gContext.zoomMagnification) return 0;
    gPreview.reduction = reduction;
    gContext.zoomMagnification = magnification;
    RefreshImageGeometry();
    if (gDialog) {
        EnableWindow(GetDlgItem(gDialog, ITEM_ZOOM_IN),
                     gContext.zoomReduction >= 2 || magnification < 16);
        EnableWindow(GetDlgItem(gDialog, ITEM_ZOOM_OUT), gContext.zoomReduction < kMaxReduction);
    }
    if (!PanDragRunning()) RenderAndShowPreview(gDialog);
    return 1;
}

int32_t StepZoom(int32_t control, int32_t listControl, int32_t zoomInControl,
                 int32_t zoomOutControl) {
    if (control != zoomInControl && control != zoomOutControl) {
        FireControlEvent(CTL_PREVIEW, EVENT_PREVIEW_VIEW, 0);
        return 1;
    }
    const PreviewZoom now = {
        gPreview.reduction == ZOOM_FIT ? gContext.zoomReduction : gPreview.reduction,
        gContext.zoomMagnification};
    const PreviewZoom next = control == zoomOutControl ? ZoomStepOut(now) : ZoomStepIn(now);
    SetZoomButtons(next, zoomInControl, zoomOutControl);
    SetControlValue(listControl, ZoomListIndex(next));
    SetPreviewZoom(next.reduction, next.magnification);
    FireControlEvent(CTL_PREVIEW, EVENT_PREVIEW_VIEW, 0);
    return 1;
}

int32_t SelectZoomFromList(int32_t listControl, int32_t zoomInControl, int32_t zoomOutControl,
                           int32_t previousIndex) {
    const int32_t index = ZoomListLanding(GetControlValue(listControl), previousIndex);
    const PreviewZoom zoom = ZoomOfListEntry(index);
    SetControlValue(listControl, index);
    SetZoomButtons(zoom, zoomInControl, zoomOutControl);
    SetPreviewZoom(zoom.reduction, zoom.magnification);
    if (const ControlRecord* list = UsedControlRecord(listControl))
        if (list->window) SetFocus(list->window);
    FireControlEvent(CTL_PREVIEW, EVENT_PREVIEW_VIEW, 0);
    return 1;
}

int32_t GetMousePosOverControl(int32_t n, int32_t axis) {
    POINT cursor;
    if (!GetCursorPos(&cursor)) return -1;
    if (n != CTL_PREVIEW) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || !record->window) return -1;
        ScreenToClient(record->window, &cursor);
        RECT client;
        GetClientRect(record->window, &client);
        if (!PtInRect(&client, cursor)) return -1;
        return axis == 0 ? cursor.x : cursor.y;
    }
    RECT frame;
    if (!gDialog || !gStuff || !FrameRect16(gDialog, frame)) return -1;
    ScreenToClient(gDialog, &cursor);
    const FilterRecord& r = *gStuff;
    const int32_t m = std::max(gContext.zoomMagnification, 1);
    if (axis == 0)
        return PreviewMouseToImage(cursor.x - frame.left, frame.right - frame.left,
                                   (r.outRect.right - r.outRect.left) * m, m, gContext.currentLeft);
    return PreviewMouseToImage(cursor.y - frame.top, frame.bottom - frame.top,
                               (r.outRect.bottom - r.outRect.top) * m, m, gContext.currentTop);
}

int32_t GetPreviewMouseX() {
    return GetMousePosOverControl(CTL_PREVIEW, 0);
}

int32_t GetPreviewMouseY() {
    return GetMousePosOverControl(CTL_PREVIEW, 1);
}

int32_t SetImageSizeText(int32_t n) {
    return SetControlTextFormat(n, "%d x %d pixel, %s", gContext.imageWidth, gContext.imageHeight,
                                gContext.imageMode > 9 ? "16-bit" : "8-bit");
}

PixelReadout PreviewReadoutAt(int32_t x, int32_t y) {
    const EffectContext& c = gContext;
    const GetPixelProc output = c.accessors.getOutputPixel;
    if (!output || x <= c.currentLeft || x >= c.currentRight || y <= c.currentTop ||
        y >= c.currentBottom)
        return ReadoutOutside();
    const bool sixteenBit = IsSixteenBitMode(c.imageMode);
    int32_t values[4] = {};
    for (int32_t channel = 0; channel < std::min(c.Z, 4); ++channel)
        values[channel] = ReadoutLevel(output(x, y, channel), sixteenBit);
    return ReadoutForMode(c.imageMode, values);
}

int32_t ShowPixelReadout(int32_t swatch, int32_t line1, int32_t line2, int32_t coordinates) {
    if (PanDragRunning()) return 1;
    const int32_t x = GetPreviewMouseX(), y = GetPreviewMouseY();
    const PixelReadout readout = PreviewReadoutAt(x, y);
    SetControlColor(swatch, int32_t(readout.swatch));
    SetControlText(line1, readout.line1.c_str());
    SetControlText(line2, readout.line2.c_str());
    const int32_t r = std::max(gContext.zoomReduction, 1);
    SetControlTextFormat(coordinates, "x: %d\ny: %d", r * x, r * y);
    return 1;
}
