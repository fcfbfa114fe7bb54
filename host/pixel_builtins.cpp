// RGBA words and the selection mask over the host's buffers. Every read is clamped into
// what the host delivered, and writes go only to the planes the output has: a grey image's
// pixel is one byte, so writing three would overwrite its neighbours.

#include "host/pixel_builtins.h"

#include <algorithm>

#include "host/effect_context.h"
#include "host/run_driver.h"

namespace {
int32_t To8Bits(int32_t sample16) {
    return std::min(255, (sample16 * 255 + 16384) / 32768);
}
int32_t From8Bits(int32_t sample8) {
    return (sample8 * 32768 + 127) / 255;
}

int32_t SampleAt(const uint8_t* pixel, int32_t c, bool sixteenBit) {
    return sixteenBit ? To8Bits(reinterpret_cast<const uint16_t*>(pixel)[c]) : pixel[c];
}

// The word of a pixel whose first sample lies at `pixel`, with `planes` samples. Grey images
// (one plane, or grey and transparency) give their grey in every colour byte.
uint32_t PixelWord(const uint8_t* pixel, int32_t planes, bool sixteenBit) {
    uint32_t bytes[4] = {0, 0, 0, 255};
    if (planes >= 3) {
        for (int32_t c = 0; c < std::min(planes, 4); ++c)
            bytes[c] = uint32_t(SampleAt(pixel, c, sixteenBit));
    } else if (planes >= 1) {
        bytes[0] = bytes[1] = bytes[2] = uint32_t(SampleAt(pixel, 0, sixteenBit));
        if (planes == 2) bytes[3] = uint32_t(SampleAt(pixel, 1, sixteenBit));
    }
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
}

void StoreSample(uint8_t* pixel, int32_t c, int32_t value8, bool sixteenBit) {
    if (sixteenBit)
        reinterpret_cast<uint16_t*>(pixel)[c] = uint16_t(From8Bits(value8));
    else
        pixel[c] = uint8_t(value8);
}

int32_t ContextSampleBytes() {
    return IsSixteenBitMode(gContext.imageMode) ? 2 : 1;
}

bool CurrentRectEmpty() {
    const EffectContext& c = gContext;
    return c.currentRight <= c.currentLeft || c.currentBottom <= c.currentTop;
}
}  // namespace

uint32_t GetSourceRgba(int32_t x, int32_t y) {
    const EffectContext& c = gContext;
    const SourceExtent& extent = gRun.source;
    if (!c.adjustedInData || extent.right <= extent.left || extent.bottom <= extent.top) return 0;
    x = std::clamp(std::clamp(x, 0, std::max(c.X - 1, 0)), extent.left, extent.right - 1);
    y = std::clamp(std::clamp(y, 0, std::max(c.Y - 1, 0)), extent.top, extent.bottom - 1);
    const int32_t bytes = ContextSampleBytes();
    const uint8_t* pixel = c.adjustedInData + int64_t(y - c.currentTop) * c.inRowBytes +
                           int64_t(x - c.currentLeft) * c.inStep * bytes;
    return PixelWord(pixel, c.inputPlanes, bytes == 2);
}

uint32_t GetOutputRgba(int32_t x, int32_t y) {
    const EffectContext& c = gContext;
    if (!c.outData || CurrentRectEmpty()) return 0;
    x = std::clamp(x, c.currentLeft, c.currentRight - 1);
    y = std::clamp(y, c.currentTop, c.currentBottom - 1);
    const int32_t bytes = ContextSampleBytes();
    const uint8_t* pixel = c.outData + int64_t(y - c.currentTop) * c.outRowBytes +
                           int64_t(x - c.currentLeft) * c.outStep * bytes;
    return PixelWord(pixel, c.outStep, bytes == 2);
}

int32_t PutOutputRgba(int32_t x, int32_t y, uint32_t word) {
    const EffectContext& c = gContext;
    if (!c.outData || CurrentRectEmpty()) return 0;
    x = std::clamp(x, c.currentLeft, c.currentRight - 1);
    y = std::clamp(y, c.currentTop, c.currentBottom - 1);
    const bool sixteenBit = ContextSampleBytes() == 2;
    uint8_t* pixel = c.outData + int64_t(y - c.currentTop) * c.outRowBytes +
                     int64_t(x - c.currentLeft) * c.outStep * (sixteenBit ? 2 : 1);
    // A grey output takes the red byte. Transparency is written only when the word carries
    // some: 0 keeps the pixel's own.
    const int32_t colourPlanes = c.outStep >= 3 ? 3 : 1;
    const int32_t alphaPlane = c.outStep >= 4 ? 3 : c.outStep == 2 ? 1 : -1;
    for (int32_t ch = 0; ch < colourPlanes; ++ch)
        StoreSample(pixel, ch, int32_t((word >> (8 * ch)) & 0xFF), sixteenBit);
    const int32_t alpha = int32_t(word >> 24);
    if (alphaPlane >= 0 && alpha != 0) StoreSample(pixel, alphaPlane, alpha, sixteenBit);
    return 1;
}

int32_t SelectionMaskValue(int32_t x, int32_t y) {
    const EffectContext& c = gContext;
    if (x < 0 || y < 0 || x >= c.X || y >= c.Y) return 0;
    if (!c.haveMask || !c.maskData || CurrentRectEmpty()) return 255;
    // The mask covers at least the current rectangle.
    x = std::clamp(x, c.currentLeft, c.currentRight - 1);
    y = std::clamp(y, c.currentTop, c.currentBottom - 1);
    const int32_t step = std::max(c.maskStep, 1);
    return c
        .maskData[int64_t(y - c.currentTop) * c.maskRowBytes + int64_t(x - c.currentLeft) * step];
}
