// The in-process host: advanceState copies the asked rectangle of the image at the asked
// scale into the input buffer and points the output at a proxy buffer or the output image.

#include "image_host.h"

#include <algorithm>
#include <cstring>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/session_hooks.h"
#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/preview_request.h"
#include "host/run_driver.h"
#include "render/render_rows.h"
#include "render/tonal_look.h"

namespace {
ImageHost* gHost = nullptr;

bool IsWhole(const FilterRecord& r, const HostRect& in) {
    return in.left == r.filterRect.left && in.top == r.filterRect.top &&
           in.right == r.filterRect.right && in.bottom == r.filterRect.bottom;
}

OSErr HOSTAPI Advance() {
    ImageHost& h = *gHost;
    FilterRecord& r = h.record;
    ++h.advanceCalls;
    const int32_t scale = std::max(1, r.inputRate >> 16);
    const HostRect in = r.inRect;
    const int32_t w = std::max(in.right - in.left, 0), ht = std::max(in.bottom - in.top, 0);
    h.inBuffer.assign(size_t(w) * ht * 3 + 3, 0);
    for (int32_t y = 0; y < ht; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t sx = std::min((in.left + x) * scale, h.width - 1);
            const int32_t sy = std::min((in.top + y) * scale, h.height - 1);
            memcpy(&h.inBuffer[size_t(y * w + x) * 3], &h.source[size_t(sy * h.width + sx) * 3], 3);
        }
    r.inData = h.inBuffer.data();
    r.inRowBytes = w * 3;
    if (scale == 1 && IsWhole(r, in)) ++h.wholeRequests;
    const HostRect out = r.outRect;
    const int32_t ow = std::max(out.right - out.left, 0), oh = std::max(out.bottom - out.top, 0);
    if (!gContext.dialogUp && scale == 1) {
        r.outData = &h.output[size_t(out.top * h.width + out.left) * 3];
        r.outRowBytes = h.width * 3;
    } else {
        h.outBuffer.assign(size_t(ow) * oh * 3 + 3, 0);
        r.outData = h.outBuffer.data();
        r.outRowBytes = ow * 3;
    }
    return 0;
}
}  // namespace

ImageHost::ImageHost(int32_t w, int32_t h)
    : width(w), height(h), source(size_t(w) * h * 3, 0), output(source) {
    gHost = this;
    params = std::make_unique<ParameterBlock>();
    InitParameterBlock(*params);
    gParams = params.get();
    record = FilterRecord{};
    record.imageSize = {int16_t(h), int16_t(w)};
    record.wholeSize = record.imageSize;
    record.planes = 3;
    record.filterRect = {0, 0, int16_t(h), int16_t(w)};
    record.imageMode = IMAGE_MODE_RGB;
    record.advanceState = Advance;
    record.inHiPlane = record.outHiPlane = 2;
    record.inputRate = 1 << 16;
    block = PluginDataBlock{};
    block.stuff = &record;
    block.previewRect = {0, 0, 2000, 2000};
    gDataBlock = &block;
    EffectContextReset();
    InitRunTables();
    RunStateReset();
    ResetArrayTables();
    SessionStateReset();
    RenderStateReset();
    TonalLookReset();
    EffectContext& c = gContext;
    c.imageWidth = c.filterWidth = c.X = c.width = w;
    c.imageHeight = c.filterHeight = c.Y = c.height = h;
    c.filterRight = w;
    c.filterBottom = h;
    c.Z = c.planes = c.imagePlanes = 3;
    c.imageMode = IMAGE_MODE_RGB;
    c.zoomMagnification = 1;
    for (int32_t n = 0; n < kControlCount; ++n) SetControl(n, ControlTableStartValue(n));
    SetControl(CTL_MULTI_CPU_OFF, 0);
    SessionCreateTables();
}

ImageHost::~ImageHost() {
    ReleaseAllArrays();
    gDataBlock = nullptr;
    gParams = nullptr;
    gHost = nullptr;
}

void ImageHost::SetPixel(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = &source[size_t(y * width + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
    memcpy(&output[size_t(y * width + x) * 3], p, 3);
}

uint8_t ImageHost::Output(int32_t x, int32_t y, int32_t channel) const {
    return output[size_t(y * width + x) * 3 + channel];
}

void ImageHost::SetControl(int32_t n, int32_t value) {
    if (ControlRecord* r = ControlRecordAt(n)) {
        r->value = value;
        r->inUse = 1;
    }
    gContext.controlValues[n] = value;
}

void ImageHost::RenderPreview(int32_t scale) {
    PanOffset pan = {0, 0};
    gContext.dialogUp = 1;
    SetupFilterRecordForProxy(scale, pan);
    ProcessFilterRect();
}

void ImageHost::RenderFinal(int32_t tileWidth, int32_t tileHeight) {
    gContext.dialogUp = 0;
    gContext.storedTileSizeOn = 1;
    gContext.tileWidth = tileWidth;
    gContext.tileHeight = tileHeight;
    LoadControlValues();
    StartWithAdvanceState();
}
