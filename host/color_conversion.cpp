// RGB <-> HSL in doubles and in integers.

#include "host/color_conversion.h"

#include <algorithm>
#include <cmath>

#include "host/maths_builtins.h"

namespace {
struct Triple {
    double a, b, c;
};

// The last conversion of each direction on this thread. Per thread, so that render threads
// never share (or race on) one cache.
struct ConversionCache {
    bool valid;
    int32_t bitDepth;
    int32_t input[3];
    int32_t output[3];
};
thread_local ConversionCache tRgbToHsl = {};
thread_local ConversionCache tHslToRgb = {};
thread_local uint32_t tConversionCount = 0;

// r, g, b on 0..1 to h, s, l on 0..1.
Triple RgbToHsl(double r, double g, double b) {
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    const double l = (high + low) / 2.0;
    if (high == low) return {0.0, 0.0, l};
    const double d = high - low;
    const double s = l < 0.5 ? d / (high + low) : d / (2.0 - high - low);
    double h = 0.0;
    if (r == high)
        h = (g - b) / d;
    else if (g == high)
        h = (b - r) / d + 2.0;
    else
        h = (r - g) / d + 4.0;
    h /= 6.0;
    if (h < 0.0) h += 1.0;
    return {h, s, l};
}

// h, s, l on 0..1 to r, g, b on 0..1.
Triple HslToRgb(double h, double s, double l) {
    if (s == 0.0) return {l, l, l};
    const double q = l <= 0.5 ? l * (1.0 + s) : l + s - l * s;
    const double p = 2.0 * l - q;
    return {HueToComponent(p, q, h + 1.0 / 3.0), HueToComponent(p, q, h),
            HueToComponent(p, q, h - 1.0 / 3.0)};
}

using ConvertProc = Triple (*)(double, double, double);

// Converts on the given scale and truncates the results.
void ConvertScaled(ConvertProc convert, double scale, const int32_t in[3], int32_t out[3]) {
    ++tConversionCount;
    const Triple t = convert(in[0] / scale, in[1] / scale, in[2] / scale);
    out[0] = int32_t(std::trunc(t.a * scale));
    out[1] = int32_t(std::trunc(t.b * scale));
    out[2] = int32_t(std::trunc(t.c * scale));
}

double DepthScale() {
    return double(gBitDepth.unit) * 255.0;
}

int32_t Component(ConvertProc convert, int32_t a, int32_t b, int32_t c, int32_t which) {
    if (which < 0 || which > 2) return 0;
    const int32_t in[3] = {a, b, c};
    int32_t out[3];
    ConvertScaled(convert, DepthScale(), in, out);
    return out[which];
}

int32_t CachedComponent(ConversionCache& cache, ConvertProc convert, int32_t a, int32_t b,
                        int32_t c, int32_t which) {
    if (which < 0 || which > 2) return 0;
    const bool hit = cache.valid && cache.bitDepth == gBitDepth.bitDepth && cache.input[0] == a &&
                     cache.input[1] == b && cache.input[2] == c;
    if (!hit) {
        cache.input[0] = a;
        cache.input[1] = b;
        cache.input[2] = c;
        cache.bitDepth = gBitDepth.bitDepth;
        ConvertScaled(convert, DepthScale(), cache.input, cache.output);
        cache.valid = true;
    }
    return cache.output[which];
}

// One hue step of the integer conversion; t on 0..m, in 64 bits since (q - p) * 6 * t passes
// the int32 range on the 16-bit scale.
int32_t HueToComponentInt(int64_t p, int64_t q, int64_t t, int64_t m) {
    if (t < 0) t += m;
    if (t > m) t -= m;
    if (6 * t < m) return int32_t(p + (q - p) * 6 * t / m);
    if (2 * t < m) return int32_t(q);
    if (3 * t < 2 * m) return int32_t(p + (q - p) * (2 * m / 3 - t) * 6 / m);
    return int32_t(p);
}
}  // namespace

double HueToComponent(double p, double q, double t) {
    if (t < 0.0) t += 1.0;
    if (t > 1.0) t -= 1.0;
    if (6.0 * t < 1.0) return p + (q - p) * 6.0 * t;
    if (2.0 * t < 1.0) return q;
    if (3.0 * t < 2.0) return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    return p;
}

int32_t RgbToHslChannel(int32_t r, int32_t g, int32_t b, int32_t which) {
    return Component(RgbToHsl, r, g, b, which);
}

int32_t HslToRgbChannel(int32_t h, int32_t s, int32_t l, int32_t which) {
    return Component(HslToRgb, h, s, l, which);
}

int32_t RgbToHslCached(int32_t r, int32_t g, int32_t b, int32_t which) {
    return CachedComponent(tRgbToHsl, RgbToHsl, r, g, b, which);
}

int32_t HslToRgbCached(int32_t h, int32_t s, int32_t l, int32_t which) {
    return CachedComponent(tHslToRgb, HslToRgb, h, s, l, which);
}

uint32_t ColorConversionCount() {
    return tConversionCount;
}

void RgbToHslInPlace8(int32_t& r, int32_t& g, int32_t& b) {
    constexpr int32_t m = 255, half = 128;
    const int32_t red = std::clamp(r, 0, m), green = std::clamp(g, 0, m),
                  blue = std::clamp(b, 0, m);
    const int32_t high = std::max({red, green, blue}), low = std::min({red, green, blue});
    const int32_t l = (high + low) / 2;
    int32_t h = 0, s = 0;
    if (high != low) {
        const int32_t d = high - low;
        s = l < half ? m * d / (high + low) : m * d / (2 * m - high - low);
        if (red == high)
            h = m * (green - blue) / d;
        else if (green == high)
            h = m * (blue - red) / d + 2 * m;
        else
            h = m * (red - green) / d + 4 * m;
        h /= 6;
        if (h < 0) h += m;
    }
    r = h;
    g = s;
    b = l;
}

void HslToRgbInPlace(int32_t& h, int32_t& s, int32_t& l) {
    const int64_t m = gBitDepth.maximum, half = gBitDepth.half;
    const int64_t hue = h, sat = s, light = l;
    if (sat == 0) {
        h = s = l = int32_t(light);
        return;
    }
    const int64_t q = light <= half ? light * (m + sat) / m : light + sat - light * sat / m;
    const int64_t p = 2 * light - q;
    h = HueToComponentInt(p, q, hue + m / 3, m);
    s = HueToComponentInt(p, q, hue, m);
    l = HueToComponentInt(p, q, hue - m / 3, m);
}

void RgbToHslInPlace16(int32_t& r, int32_t& g, int32_t& b) {
    const int32_t in[3] = {std::clamp(r, 0, 32768), std::clamp(g, 0, 32768),
                           std::clamp(b, 0, 32768)};
    int32_t out[3];
    ConvertScaled(RgbToHsl, 32768.0, in, out);
    r = out[0];
    g = out[1];
    b = out[2];
}

void HslToRgbInPlace16(int32_t& h, int32_t& s, int32_t& l) {
    const int32_t in[3] = {std::clamp(h, 0, 32768), std::clamp(s, 0, 32768),
                           std::clamp(l, 0, 32768)};
    int32_t out[3];
    ConvertScaled(HslToRgb, 32768.0, in, out);
    h = out[0];
    s = out[1];
    l = out[2];
}
