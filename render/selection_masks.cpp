// Selection mask and brush mask weights of every pass, and the blends toward the base
// pixel by them.

#include "render/selection_masks.h"

#include <algorithm>
#include <cstdlib>

#include "effect/control_ids.h"
#include "host/maths_builtins.h"
#include "render/render_arrays.h"
#include "render/toning.h"

namespace {
// On when its limit does something: any limit above 0, or below 255 when inverted (the
// inverted weight of an unlimited range is 0 everywhere).
bool RangeActive(int32_t limit, bool invert) {
    return invert ? limit < 255 : limit != 0;
}

int32_t WeightOfDistance(int32_t distance, int32_t limit) {
    const int32_t t = ((limit - distance) * 255) / limit;
    return t < 0 ? 255 : 255 - std::min(t, 255);
}

int32_t ColourWeight(const SelectionMask& m, const Rgb& s8) {
    if (m.colourLimit == 0) return 255;
    // The pixel's hue and saturation at the mask colour's lightness, so that only the
    // colour, not its brightness, is compared.
    Rgb hsl = HslOfPixel(s8, false);
    hsl.b = m.colourLightness;
    const Rgb c = PixelOfHsl(hsl, false);
    const int32_t d = std::max(
        {std::abs(c.r - m.colour.r), std::abs(c.g - m.colour.g), std::abs(c.b - m.colour.b)});
    return WeightOfDistance(d, m.colourLimit);
}

int32_t Inverted(int32_t weight, bool invert) {
    return invert ? 255 - weight : weight;
}

int32_t TonalWeight(const SelectionMask& m, const Rgb& s) {
    const int32_t mult = m.depth.mult;
    const Rgb s8 = {s.r / mult, s.g / mult, s.b / mult};
    const int32_t wc = Inverted(ColourWeight(m, s8), m.colourInvert);
    const int32_t saturation =
        std::max({std::abs(s.g - s.b), std::abs(s.r - s.b), std::abs(s.r - s.g)}) / mult;
    const int32_t ws = Inverted(RangeWeight(saturation, m.satTone, m.satLimit), m.satInvert);
    int32_t wb;
    if (!m.brightTones)
        wb = RangeWeight(Luma709(s) / mult, m.brightTone, m.brightLimit);
    else if (m.tonesAllZero)
        wb = 255;
    else  // 16-bit white indexes 256: taken at the table's end
        wb = m.toneCurve[ClampLevel(Luma601(s) / mult, 255)];
    wb = Inverted(wb, m.brightInvert);
    return std::min({wc, ws, wb});
}
}  // namespace

bool TonalMaskActive(const int32_t* v) {
    const bool invert = v[CTL_MASK_BRIGHT_INVERT] != 0;
    const int32_t tones[3] = {v[CTL_MASK_SHADOWS], v[CTL_MASK_MIDTONES], v[CTL_MASK_HIGHLIGHTS]};
    bool toneActive = false;
    for (int32_t t : tones) toneActive = toneActive || (invert ? t < 255 : t != 0);
    return RangeActive(v[CTL_MASK_COLOR_LIMIT], v[CTL_MASK_COLOR_INVERT] != 0) ||
           RangeActive(v[CTL_MASK_SAT_LIMIT], v[CTL_MASK_SAT_INVERT] != 0) ||
           RangeActive(v[CTL_MASK_BRIGHT_LIMIT], invert) || toneActive;
}

int32_t RangeWeight(int32_t value, int32_t tone, int32_t limit) {
    if (limit == 0) return 255;
    const int32_t distance = std::abs(tone - value);
    if (value <= tone - 2 * limit || value >= tone + 2 * limit) return 255;
    const int32_t t = limit <= 128
                          ? 255 - (distance * 255) / (2 * limit)
                          : ((255 - distance) * (511 - 2 * limit) + (limit - 128) * 510) / 255;
    return t < 0 ? 255 : 255 - std::min(t, 255);
}

SelectionMask SelectionMaskFromControls(const int32_t* v, const BitDepth& depth, int32_t X,
                                        int32_t Y, int32_t zoom, int32_t centreX, int32_t centreY) {
    SelectionMask m = {};
    m.depth = depth;
    const int32_t type = v[CTL_MASK_TYPE];
    m.showColour = v[CTL_MASK_SHOW_COLOR] != 0;
    if (type == MASK_TONAL) {
        if (!TonalMaskActive(v)) return m;
        m.colourLimit = v[CTL_MASK_COLOR_LIMIT];
        m.colourInvert = v[CTL_MASK_COLOR_INVERT] != 0;
        // The pixels are compared after a round trip through hue, saturation and lightness;
        // the mask colour takes the same trip, so that a pixel of exactly that colour is at
        // distance 0 (the integer trip alone can move a channel by a few levels).
        const Rgb colour = ColourOfValue(v[CTL_MASK_COLOR]);
        const Rgb hsl = HslOfPixel(colour, false);
        m.colourLightness = hsl.b;
        m.colour = PixelOfHsl(hsl, false);
        m.satTone = v[CTL_MASK_SAT_TONE];
        m.satLimit = v[CTL_MASK_SAT_LIMIT];
        m.satInvert = v[CTL_MASK_SAT_INVERT] != 0;
        m.brightTones = v[CTL_MASK_BRIGHT_MODE] == 1;
        m.brightTone = v[CTL_MASK_BRIGHT_TONE];
        m.brightLimit = v[CTL_MASK_BRIGHT_LIMIT];
        m.brightInvert = v[CTL_MASK_BRIGHT_INVERT] != 0;
        m.tonesAllZero =
            v[CTL_MASK_SHADOWS] == 0 && v[CTL_MASK_MIDTONES] == 0 && v[CTL_MASK_HIGHLIGHTS] == 0;
        if (m.brightTones && !m.tonesAllZero) {
            const NumberedArray& curve = gArrays[ARRAY_MASK_TONE_LUT];
            const bool usable = curve.base && curve.elementBytes == 4 && curve.xSize >= 256;
            for (int32_t i = 0; i < 256; ++i)
                m.toneCurve[i] = usable ? GetArrayElement(ARRAY_MASK_TONE_LUT, i, 0, 0) : 255;
        }
    } else if (type == MASK_LINEAR || type == MASK_CIRCULAR) {
        const int32_t kind = type == MASK_LINEAR ? GRADIENT_LINEAR : GRADIENT_CIRCULAR;
        const GradientControls controls = {CTL_MASK_OFFSET, CTL_MASK_DENSITY, CTL_MASK_ROTATION,
                                           CTL_MASK_ELLIPTICAL, CTL_MASK_INVERT};
        m.gradient = GradientShapeMake(
            GradientSettingsFromControls(v, kind, controls, centreX, centreY), X, Y, zoom);
    } else {
        return m;
    }
    m.type = type;
    return m;
}

BrushMask BrushMaskFromControls(const int32_t* v, const BitDepth& depth, int32_t zoom,
                                int32_t brushMode) {
    BrushMask b = {};
    b.mask = ArrayViewOf(ARRAY_BRUSH_MASK);
    b.stroke = ArrayViewOf(ARRAY_BRUSH_STROKE);
    b.on = v[CTL_BRUSH_INTENSITY] != 0 && b.mask.Valid();
    b.weighed = b.on || v[CTL_MASK_OPTION] != 0;
    b.showColour = v[CTL_BRUSH_SHOW_COLOR] != 0;
    b.zoom = std::max(zoom, 1);
    b.amount = v[CTL_BRUSH_AMOUNT];
    b.colour = ColourOfValue(v[CTL_BRUSH_COLOR]);
    const int32_t span = b.amount != 0 ? 6375 / b.amount : 0;
    b.low = ((v[CTL_BRUSH_TOLERANCE] + 100) * span) / 200 - 1;
    b.range = std::max(span - b.low, 1);
    b.mode = brushMode;
    b.opacity = v[CTL_BRUSH_OPACITY];
    b.intensity = v[CTL_BRUSH_INVERT] ? -v[CTL_BRUSH_INTENSITY] : v[CTL_BRUSH_INTENSITY];
    b.mult = depth.mult;
    return b;
}

int32_t MaskWeight(const SelectionMask& m, int32_t x, int32_t y, const Rgb& tonal) {
    switch (m.type) {
        case MASK_TONAL:
            return TonalWeight(m, tonal);
        case MASK_LINEAR:
        case MASK_CIRCULAR:
            return GradientPosition(m.gradient, x, y);
        default:
            return 255;
    }
}

int32_t BrushWeight(const BrushMask& brush, int32_t x, int32_t y, const Rgb& pixel) {
    // The preview shows every z-th image pixel; its brush value lies at (z x, z y).
    const int32_t bx = brush.zoom * x, by = brush.zoom * y;
    int32_t b = brush.mask.Valid() ? brush.mask.AtClamped(bx, by, 0) : 255;
    if (brush.stroke.Valid()) {
        int32_t s = brush.stroke.AtClamped(bx, by, 0);
        if (brush.amount != 0) {
            if (brush.mode == 2) s = 255 - s;
            const int32_t m = brush.mult;
            const int32_t d = std::max({std::abs(brush.colour.r - pixel.r / m),
                                        std::abs(brush.colour.g - pixel.g / m),
                                        std::abs(brush.colour.b - pixel.b / m)});
            const int32_t t = std::clamp(((d - brush.low) * 255) / brush.range, 0, 255);
            s = 255 - ((255 - t) * (255 - s)) / 255;
            if (brush.mode == 2) s = 255 - s;
        }
        const int32_t r = brush.mode == 1 ? (s * b) / 255 : 255 - ((255 - s) * (255 - b)) / 255;
        const int32_t o = brush.opacity;
        b = o == 100 ? r : (r * o + (100 - o) * b) / 100;
    }
    const int32_t k = brush.intensity;
    if (k <= -100) return 255 - b;
    if (k < 0) return (b * k + 25500) / 100;
    if (k < 100) return ScaleValue(b, 0, 255, ((100 - k) * 255) / 100, 255);
    return b;
}

void BlendTowardBase(int32_t weight, const Rgb& base, bool keepColour, int32_t max, Rgb& p) {
    if (weight >= 255) return;
    Rgb b = base;
    if (!keepColour) {
        const int32_t g = Luma709(base);
        b = {g, g, g};
    }
    const int32_t w = weight;
    p = ClampPixel({(w * p.r + (255 - w) * b.r) / 255, (w * p.g + (255 - w) * b.g) / 255,
                    (w * p.b + (255 - w) * b.b) / 255},
                   max);
}
