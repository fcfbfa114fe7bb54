// Grey conversion and selective adjustments: pure per-pixel functions over per-render
// values, so that every worker can run them without touching shared state.

#include "render/grey_conversion.h"

#include <algorithm>
#include <cstdlib>

#include "effect/control_ids.h"
#include "host/color_conversion.h"
#include "host/maths_builtins.h"

namespace {
constexpr int32_t kHueCircle = 255;  // hues run 0..254; 255 is 0 again

Rgb FilterColour(int32_t hue, int32_t saturationControl) {
    const int32_t s = 2 * saturationControl + 256;
    return {HslToRgb255(hue, s, 128, 0), HslToRgb255(hue, s, 128, 1), HslToRgb255(hue, s, 128, 2)};
}

// The weight of one polarizer filter on the 0..255 scale at both depths. Offsetting by the
// level maximum before dividing by mult would give every 16-bit weight one step more than
// the 8-bit one (32768 / 128 = 256), up to 256 for full weight; the channel sum is brought
// to the 0..255 scale first instead.
int32_t PolarizerWeight(int32_t sum, const BitDepth& depth) {
    return std::clamp(sum * 50 / (16 * depth.mult) + 255, 0, 255);
}

int32_t BlendTowardLuma(int32_t f, int32_t y, int32_t weight) {
    return weight == 255 ? f : ((255 - weight) * y + weight * f) / 255;
}

int32_t Strength(int32_t f, int32_t y, int32_t k) {
    return k == 100 ? f : ((100 - k) * y + k * f) / 100;
}

int32_t PolarizedLuma(const GreyConversion& c, const Rgb& p, int32_t y) {
    const BitDepth& d = c.depth;
    int32_t acc = 0;
    if (c.sky != 0) {
        int32_t f = 6 * p.r - 5 * y;
        f = BlendTowardLuma(f, y, PolarizerWeight(p.b - 2 * p.r + p.g, d));
        acc += Strength(f, y, c.sky);
    }
    if (c.foliage != 0) {
        int32_t f = p.r + 4 * (p.g - p.b);
        f = BlendTowardLuma(f, y, PolarizerWeight(p.g - 2 * p.b + p.r, d));
        f = BlendTowardLuma(f, y, PolarizerWeight(p.b - 2 * p.r + p.g, d));
        acc += Strength(f, y, c.foliage);
    }
    if (c.skin != 0) {
        int32_t f = 3 * p.r - p.b - p.g;
        f = BlendTowardLuma(f, y, PolarizerWeight(p.r + p.g - 2 * p.b, d));
        acc += Strength(f, y, c.skin);
    }
    switch (c.polarizerCount) {
        case 1:
            return (acc + 2 * y) / 3;
        case 2:
            return (acc + y) / 3;
        default:
            return acc / 3;
    }
}

int32_t FilterGrey(const Rgb& p, const Rgb& filter, int32_t sum) {
    // Filter channels lie within -128..383 and levels within 0..32768: the sum stays below
    // 2^26.
    return (p.b * filter.b + p.g * filter.g + p.r * filter.r) / sum;
}

int32_t SplitGrey(const GreyConversion& c, const Rgb& source, const Rgb& p) {
    const int32_t gA = FilterGrey(p, c.filterA, c.sumA);
    const int32_t gB = FilterGrey(p, c.filterB, c.sumB);
    const int32_t m = (source.r + source.g + source.b) / 3;
    if (m < c.splitLow) return gA;
    if (m > c.splitHigh) return gB;
    const int64_t max = c.depth.max;
    const int64_t u = ScaleValue(m, c.splitLow, c.splitHigh, 0, c.depth.max);
    // The two greys can lie far outside 0..max with a strong saturation: u x gB alone
    // passes 2^31 at 16 bits.
    return int32_t((u * gB + (max - u) * gA) / max);
}

int32_t InfraRedGrey(const GreyConversion& c, const Rgb& source, const Rgb& p) {
    const int32_t h = c.hue;
    const int32_t strength = c.infraRedStrength;
    const int32_t e = (128 - strength) * Luma601(p);
    const int32_t q = ((source.g - source.b) + source.r) * strength + e;
    int32_t g;
    if (h < 128) {
        const int32_t a = (2 * source.g - source.b) * strength + e;
        g = ((q / 128) * h + (a / 128) * (128 - h)) / 128;
    } else {
        const int32_t a = (3 * source.r - source.b - source.g) * strength + e;
        g = ((q / 128) * (256 - h) + (a / 128) * (h - 128)) / 128;
    }
    return std::max(g, 0);
}

// Distance from start to hue going up the circle, and the length of the part start..end.
bool OnCircularPart(int32_t hue, int32_t start, int32_t end, int32_t* offset, int32_t* span) {
    if (start <= end) {
        if (hue < start || hue > end) return false;
        *offset = hue - start;
        *span = end - start;
        return true;
    }
    if (hue >= start) {
        *offset = hue - start;
    } else if (hue <= end) {
        *offset = hue - start + kHueCircle;
    } else {
        return false;
    }
    *span = end - start + kHueCircle;
    return true;
}

int32_t RangeWeight(const SelectiveRow& row, const Rgb& s8, int32_t hue) {
    if (row.row == kSelectiveGreyRow) {
        const int32_t d = std::abs(s8.g - s8.b) + std::abs(s8.r - s8.b) + std::abs(s8.r - s8.g);
        const int32_t w1 = d < 256 ? 255 - d : 0;
        const int32_t w2 = 4 * d < 256 ? 255 - 4 * d : 0;
        return ((100 - row.tolerance) * w1 + row.tolerance * w2) / 100;
    }
    const int32_t w = SelectiveHueMembership(hue, row.a, row.b, row.c, row.d);
    if (w < 1) return 0;
    const int32_t channels = row.weightB * s8.b + row.weightG * s8.g + row.weightR * s8.r;
    return (channels / (101 - row.tolerance)) * w / 255;
}

int32_t LookUp(const int32_t* lut, int32_t v, int32_t max) {
    // Earlier rows may have pushed the channel past the scale; the table has max + 1 entries.
    return lut[ClampLevel(v, max)];
}

int32_t BendChannel(const SelectiveRow& row, int32_t weight, int32_t v, int32_t s, int32_t max) {
    const int64_t w = weight;
    if (row.key == 0) return int32_t((LookUp(row.lut, v, max) * w + (255 - w) * v) / 255);
    const int64_t keyed = ((255 - 4 * w) * v + 4 * w * s) / 255;
    return int32_t((keyed * row.key + int64_t(255 - row.key) * v) / 255);
}
}  // namespace

int32_t HslToRgb255(int32_t hue, int32_t saturation, int32_t lightness, int32_t channel) {
    const double h = hue / 255.0;
    const double s = saturation / 255.0;
    const double l = lightness / 255.0;
    if (saturation == 0) return int32_t(l * 255.0);
    const double q = l <= 0.5 ? l * (1.0 + s) : l + s - l * s;
    const double p = 2.0 * l - q;
    const double offsets[3] = {1.0 / 3.0, 0.0, -1.0 / 3.0};
    return int32_t(HueToComponent(p, q, h + offsets[std::clamp(channel, 0, 2)]) * 255.0);
}

int32_t Hue255(int32_t r, int32_t g, int32_t b) {
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    const int32_t mx = std::max({r, g, b});
    const int32_t mn = std::min({r, g, b});
    const int32_t d = mx - mn;
    if (d == 0) return 0;
    int32_t h;
    if (r == mx)
        h = 255 * (g - b) / d;
    else if (g == mx)
        h = 255 * (b - r) / d + 2 * 255;
    else
        h = 255 * (r - g) / d + 4 * 255;
    h /= 6;
    return h < 0 ? h + 255 : h;
}

GreyConversion GreyConversionFromControls(const int32_t* v, const BitDepth& depth,
                                          const int32_t* tonalLook) {
    GreyConversion c = {};
    c.depth = depth;
    c.method = v[CTL_CONVERSION_METHOD];
    c.saturation = v[CTL_CONVERSION_SATURATION];
    const int32_t s = c.saturation;
    c.k1 = s < 0 ? -16 * s - 8 : 16 * s;
    c.k2 = s < 0 ? -8 * s - 4 : 8 * s;
    c.t = s + 1;
    c.hue = v[CTL_CONVERSION_HUE];
    const int32_t h = c.hue;
    c.infraRedStrength = h < 128 ? s - h / 2 + 192 : ((255 - h) * 48) / 128 + 80 + s;
    c.filterA = FilterColour(h, s);
    c.filterB = FilterColour(v[CTL_CONVERSION_HIGHLIGHT_HUE], s);
    // A hue-saturation-lightness colour at lightness 128 never sums below about 127.
    c.sumA = std::max(c.filterA.r + c.filterA.g + c.filterA.b, 1);
    c.sumB = std::max(c.filterB.r + c.filterB.g + c.filterB.b, 1);
    const int32_t threshold = v[CTL_CONVERSION_THRESHOLD];
    const int32_t transition = v[CTL_CONVERSION_TRANSITION];
    c.splitLow = (threshold - transition) * depth.mult;
    c.splitHigh = (threshold + transition) * depth.mult;
    c.lightness = v[CTL_CONVERSION_LIGHTNESS];
    c.sky = v[CTL_POLARIZER_SKY];
    c.foliage = v[CTL_POLARIZER_FOLIAGE];
    c.skin = v[CTL_POLARIZER_SKIN];
    c.polarizerCount = (c.sky != 0) + (c.foliage != 0) + (c.skin != 0);
    c.colorContrast = v[CTL_POLARIZER_COLOR_CONTRAST];
    c.tonalLookIntensity = tonalLook ? v[CTL_TONALLOOK_INTENSITY] : 0;
    c.tonalLook = tonalLook;
    return c;
}

void ApplyPolarizer(const GreyConversion& c, Rgb& p) {
    // The pixel is rebuilt even when no polarizer changed the luma: the rebuild truncates
    // and halves the chroma, and the colour contrast works on that rebuilt pixel.
    const int32_t y = Luma601(p);
    const int32_t u = ChromaU(p.r, p.g, p.b);
    const int32_t v = ChromaV(p.r, p.g, p.b);
    p = RebuildHalfChroma(c.polarizerCount > 0 ? PolarizedLuma(c, p, y) : y, u, v);
    if (c.colorContrast != 0) {
        const int32_t h = c.colorContrast / 2;
        const int32_t y2 = (Luma601(p) * (100 - h) + (3 * p.r - p.b - p.g) * h) / 100;
        p = ClampPixel(RebuildHalfChroma(y2, ChromaU(p.r, p.g, p.b), ChromaV(p.r, p.g, p.b)),
                       c.depth.max);
    }
}

int32_t GreyByMethod(const GreyConversion& c, const Rgb& source, const Rgb& p) {
    const int32_t s = c.saturation;
    switch (c.method) {
        case CONVERSION_COLOR_FILTER:
            return FilterGrey(p, c.filterA, c.sumA);
        case CONVERSION_STANDARD: {
            const int32_t g = Luma709(p);
            if (s < 0) return (((p.r + p.g + p.b) / 3) * c.k1 + (255 - c.k1) * g) / 255;
            if (s > 0) return ((255 - c.k1) * g + source.g * c.k1) / 255;
            return g;
        }
        case CONVERSION_DESATURATION: {
            const int32_t mx = std::max({p.r, p.g, p.b});
            const int32_t mn = std::min({p.r, p.g, p.b});
            const int32_t g = (mx + mn) / 2;
            if (s == 0) return g;
            const int32_t middle = p.r + p.g + p.b - mx - mn;
            return (middle * c.t + (64 - c.t) * g) / 64;
        }
        case CONVERSION_AVERAGE: {
            const int32_t g = (p.r + p.g + p.b) / 3;
            if (s < 0) return (((source.b + source.r) / 2) * c.k2 + (255 - c.k2) * g) / 255;
            if (s > 0) return ((255 - c.k2) * g + source.g * c.k2) / 255;
            return g;
        }
        case CONVERSION_INFRARED:
            return InfraRedGrey(c, source, p);
        default:
            return SplitGrey(c, source, p);
    }
}

int32_t ConvertToGrey(const GreyConversion& c, const Rgb& source) {
    Rgb p = source;
    if (c.polarizerCount > 0 || c.colorContrast != 0) ApplyPolarizer(c, p);
    int32_t g = GreyByMethod(c, source, p);
    if (c.lightness != 0) {
        const int32_t k = 2 * c.lightness + 129;
        const int32_t mn = std::min({p.r, p.g, p.b});
        const int32_t mx = std::max({p.r, p.g, p.b});
        g = g + ((255 - k) * mn + k * mx) / 255 - (mx + mn) / 2;
    }
    g = ClampLevel(g, c.depth.max);
    const int32_t i = c.tonalLookIntensity;
    if (i != 0) {
        const int32_t looked = c.tonalLook[g];
        g = i == 100 ? looked : ((100 - i) * g + i * looked) / 100;
    }
    return g;
}

bool GreyConversionIsLuma709(const GreyConversion& c) {
    return c.polarizerCount == 0 && c.colorContrast == 0 && c.lightness == 0 &&
           c.tonalLookIntensity == 0 && c.method == CONVERSION_STANDARD && c.saturation == 0;
}

void ConvertRowToGrey(const GreyConversion& c, const Rgb* sources, int32_t count, int32_t* greys) {
    // The plain settings get loops of their own: no per-pixel decisions for the common case.
    const bool plain = c.polarizerCount == 0 && c.colorContrast == 0 && c.lightness == 0 &&
                       c.tonalLookIntensity == 0;
    if (GreyConversionIsLuma709(c)) {
        for (int32_t i = 0; i < count; ++i) greys[i] = Luma709(sources[i]);
        return;
    }
    if (plain && c.method == CONVERSION_COLOR_FILTER) {
        for (int32_t i = 0; i < count; ++i)
            greys[i] = ClampLevel(FilterGrey(sources[i], c.filterA, c.sumA), c.depth.max);
        return;
    }
    for (int32_t i = 0; i < count; ++i) greys[i] = ConvertToGrey(c, sources[i]);
}

bool SelectiveTablesInUse(const SelectiveTables& tables) {
    for (const auto& row : tables.table)
        if (row[0] != 0 || row[1] != 0 || row[2] != 0 || row[3] != 0) return true;
    return false;
}

SelectiveAdjustment SelectiveFromTables(const SelectiveTables& tables, int32_t toleranceControl,
                                        int32_t intensity, const BitDepth& depth,
                                        const int32_t* const luts[kSelectiveRows]) {
    SelectiveAdjustment adjustment = {};
    adjustment.depth = depth;
    adjustment.intensity = intensity;
    for (int32_t i = 0; i < kSelectiveRows; ++i) {
        const int32_t* t = tables.table[i];
        const int32_t* r = tables.ranges[i];
        if (t[0] == 0 && t[1] == 0 && t[2] == 0) continue;
        // A row without its lookup row can only key the colour back in.
        if (t[2] == 0 && !luts[i]) continue;
        SelectiveRow& row = adjustment.rows[adjustment.rowCount++];
        row.row = i;
        row.bright = t[0];
        row.contrast = t[1];
        row.key = t[2];
        row.tolerance = std::clamp(t[4] + toleranceControl, 0, 90);
        row.a = r[0];
        row.b = r[1];
        row.c = r[2];
        row.d = r[3];
        row.weightR = r[4];
        row.weightG = r[5];
        row.weightB = r[6];
        row.lut = luts[i];
    }
    return adjustment;
}

int32_t SelectiveHueMembership(int32_t hue, int32_t a, int32_t b, int32_t c, int32_t d) {
    int32_t offset = 0;
    int32_t span = 0;
    if (OnCircularPart(hue, a, b, &offset, &span)) return span == 0 ? 255 : offset * 255 / span;
    // The plateau lies strictly between b and c; for c below b it wraps past 255.
    if (c < b ? (hue > b || hue < c) : (hue > b && hue < c)) return 255;
    if (OnCircularPart(hue, c, d, &offset, &span))
        return span == 0 ? 255 : 255 - offset * 255 / span;
    return 0;
}

void ApplySelective(const SelectiveAdjustment& adjustment, const Rgb& source, int32_t g,
                    Rgb& pixel) {
    const int32_t k = adjustment.intensity;
    // At -100 the mix below returns the grey whatever the rows did.
    if (k == -100) {
        pixel = {g, g, g};
        return;
    }
    const int32_t max = adjustment.depth.max;
    const int32_t mult = adjustment.depth.mult;
    const Rgb s8 = {source.r / mult, source.g / mult, source.b / mult};
    const int32_t hue = Hue255(s8.r, s8.g, s8.b);
    for (int32_t i = 0; i < adjustment.rowCount; ++i) {
        const SelectiveRow& row = adjustment.rows[i];
        const int32_t weight = RangeWeight(row, s8, hue);
        if (weight <= 0) continue;
        pixel.r = BendChannel(row, weight, pixel.r, source.r, max);
        pixel.g = BendChannel(row, weight, pixel.g, source.g, max);
        pixel.b = BendChannel(row, weight, pixel.b, source.b, max);
    }
    if (k != 0) {
        pixel.r = int32_t((int64_t(k + 100) * pixel.r - int64_t(k) * g) / 100);
        pixel.g = int32_t((int64_t(k + 100) * pixel.g - int64_t(k) * g) / 100);
        pixel.b = int32_t((int64_t(k + 100) * pixel.b - int64_t(k) * g) / 100);
    }
    pixel = ClampPixel(pixel, max);
}
