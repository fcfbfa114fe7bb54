// Source and output pixel routines over the host's buffers, clamped so that no coordinate
// reaches outside what the host delivered.

#include "host/pixel_access.h"

#include <algorithm>
#include <cmath>

#include "host/effect_context.h"
#include "host/run_driver.h"

namespace {
constexpr double kAngleStep = 0.006135923151542565;  // 2 pi / 1024
bool gTransparencyOpaque = false;

template <typename Sample>
Sample* OutputSample(int32_t x, int32_t y, int32_t channel) {
    const EffectContext& c = gContext;
    return reinterpret_cast<Sample*>(c.outData + int64_t(y - c.currentTop) * c.outRowBytes) +
           int64_t(x - c.currentLeft) * c.outStep + channel;
}

bool InsideCurrentRect(int32_t x, int32_t y) {
    const EffectContext& c = gContext;
    return x >= c.currentLeft && x < c.currentRight && y >= c.currentTop && y < c.currentBottom;
}

template <typename Sample, int32_t Max>
int32_t PutOutputPixel(int32_t x, int32_t y, int32_t channel, int32_t value) {
    const int32_t clamped = std::clamp(value, 0, Max);
    if (gContext.outData && InsideCurrentRect(x, y) && channel >= 0 && channel < gContext.outStep)
        *OutputSample<Sample>(x, y, channel) = Sample(clamped);
    return clamped;
}

template <typename Sample>
int32_t GetOutputPixel(int32_t x, int32_t y, int32_t channel) {
    const EffectContext& c = gContext;
    if (!c.outData || channel < 0 || channel >= c.outStep) return 0;
    if (c.currentRight <= c.currentLeft || c.currentBottom <= c.currentTop) return 0;
    x = std::clamp(x, c.currentLeft, c.currentRight - 1);
    y = std::clamp(y, c.currentTop, c.currentBottom - 1);
    return *OutputSample<Sample>(x, y, channel);
}

template <typename Sample, int32_t Max>
int32_t GetSourcePixel(int32_t x, int32_t y, int32_t channel) {
    const EffectContext& c = gContext;
    if (channel < 0) return 0;
    if (channel >= c.inputPlanes || (channel == 3 && gTransparencyOpaque))
        return channel == 3 ? Max : 0;
    const SourceExtent& extent = gRun.source;
    if (!c.adjustedInData || extent.right <= extent.left || extent.bottom <= extent.top) return 0;
    x = std::clamp(std::clamp(x, 0, std::max(c.X - 1, 0)), extent.left, extent.right - 1);
    y = std::clamp(std::clamp(y, 0, std::max(c.Y - 1, 0)), extent.top, extent.bottom - 1);
    const uint8_t* row = c.adjustedInData + int64_t(y - c.currentTop) * c.inRowBytes;
    return reinterpret_cast<const Sample*>(row)[int64_t(x - c.currentLeft) * c.inStep + channel];
}

int32_t PolarX(int32_t angle, int32_t radius) {
    return int32_t(std::trunc(std::cos(angle * kAngleStep) * radius));
}
int32_t PolarY(int32_t angle, int32_t radius) {
    return int32_t(std::trunc(std::sin(angle * kAngleStep) * radius));
}
}  // namespace

void SetTransparencyOpaque(bool opaque) {
    gTransparencyOpaque = opaque;
}

int32_t PutOutputPixel8(int32_t x, int32_t y, int32_t channel, int32_t value) {
    return PutOutputPixel<uint8_t, 255>(x, y, channel, value);
}
int32_t PutOutputPixel16(int32_t x, int32_t y, int32_t channel, int32_t value) {
    return PutOutputPixel<uint16_t, 32768>(x, y, channel, value);
}
int32_t GetOutputPixel8(int32_t x, int32_t y, int32_t channel) {
    return GetOutputPixel<uint8_t>(x, y, channel);
}
int32_t GetOutputPixel16(int32_t x, int32_t y, int32_t channel) {
    return GetOutputPixel<uint16_t>(x, y, channel);
}
int32_t GetSourcePixel8(int32_t x, int32_t y, int32_t channel) {
    return GetSourcePixel<uint8_t, 255>(x, y, channel);
}
int32_t GetSourcePixel16(int32_t x, int32_t y, int32_t channel) {
    return GetSourcePixel<uint16_t, 32768>(x, y, channel);
}
int32_t GetOutputPixelPolar8(int32_t angle, int32_t radius, int32_t channel) {
    return GetOutputPixel8(gContext.X / 2 + PolarX(angle, radius),
                           gContext.Y / 2 + PolarY(angle, radius), channel);
}
int32_t GetOutputPixelPolar16(int32_t angle, int32_t radius, int32_t channel) {
    return GetOutputPixel16(gContext.X / 2 + PolarX(angle, radius),
                            gContext.Y / 2 + PolarY(angle, radius), channel);
}
