// The tone channels' lookup rows applied to the grey (or already tinted) pixel, and the
// HSL round trips of colours and pixels on a fixed scale.

#include "render/toning.h"

#include <algorithm>

#include "effect/control_ids.h"
#include "host/color_conversion.h"
#include "host/maths_builtins.h"
#include "render/grey_conversion.h"

namespace {
// Where the row lowers a value the value moves by (127 - down) / 128 of the difference,
// where it raises it by (up - 128) / 128: a colour's components decide how far each
// channel follows the curve in each direction.
int32_t FollowRow(int32_t v, int32_t row, int32_t down, int32_t up) {
    if (row < v) return v + ((row - v) * (127 - down)) / 128;
    return v + ((row - v) * (up - 128)) / 128;
}

void ColourToning(const Toning& t, const Rgb& source, Rgb& p) {
    const int32_t max = t.depth.max;
    const int32_t* lut = t.luts[1];
    if (!t.partial) {
        p = {FollowRow(p.r, lut[ClampLevel(p.r, max)], t.halfColour.r, t.colour.r),
             FollowRow(p.g, lut[ClampLevel(p.g, max)], t.halfColour.g, t.colour.g),
             FollowRow(p.b, lut[ClampLevel(p.b, max)], t.halfColour.b, t.colour.b)};
        p = ClampPixel(p, max);
        return;
    }
    // Partial toning: the swatch's hue at the source's saturation and the pixel's
    // lightness, mixed in as far as the row lifts the pixel's mean.
    const bool sixteen = max > 255;
    const int32_t l = ClampLevel((p.r + p.g + p.b) / 3, max);
    const Rgb sourceHsl = HslOfPixel(ClampPixel(source, max), sixteen);
    const Rgb toned = ClampPixel(PixelOfHsl({t.colourHue, sourceHsl.g, l}, sixteen), max);
    const int32_t u = ScaleValue((lut[l] - l) / t.depth.mult, 0, 64, -128, 128);
    p = {((u + 128) * toned.r + (127 - u) * p.r) / 255,
         ((u + 128) * toned.g + (127 - u) * p.g) / 255,
         ((u + 128) * toned.b + (127 - u) * p.b) / 255};
    p = ClampPixel(p, max);
}

void BicolorToning(const Toning& t, Rgb& p) {
    const int32_t max = t.depth.max;
    const int32_t* lut = t.luts[2];
    // The second swatch takes the lowered values, the first the raised ones.
    p = {FollowRow(p.r, lut[ClampLevel(p.r, max)], t.bicolour2.r, t.bicolour1.r),
         FollowRow(p.g, lut[ClampLevel(p.g, max)], t.bicolour2.g, t.bicolour1.g),
         FollowRow(p.b, lut[ClampLevel(p.b, max)], t.bicolour2.b, t.bicolour1.b)};
    p = ClampPixel(p, max);
}
}  // namespace

Rgb ColourOfValue(int32_t colorref) {
    const uint32_t c = uint32_t(colorref);
    return {int32_t(c & 0xFF), int32_t((c >> 8) & 0xFF), int32_t((c >> 16) & 0xFF)};
}

Rgb HslOfPixel(const Rgb& pixel, bool sixteenBit) {
    Rgb hsl = pixel;
    if (sixteenBit)
        RgbToHslInPlace16(hsl.r, hsl.g, hsl.b);
    else
        RgbToHslInPlace8(hsl.r, hsl.g, hsl.b);
    return hsl;
}

Rgb PixelOfHsl(const Rgb& hsl, bool sixteenBit) {
    if (sixteenBit) {
        Rgb p = hsl;
        HslToRgbInPlace16(p.r, p.g, p.b);
        return p;
    }
    // On the fixed 0..255 scale: the built-ins' integer form follows the run's bit depth.
    const int32_t h = std::clamp(hsl.r, 0, 255), s = std::clamp(hsl.g, 0, 255),
                  l = std::clamp(hsl.b, 0, 255);
    return {HslToRgb255(h, s, l, 0), HslToRgb255(h, s, l, 1), HslToRgb255(h, s, l, 2)};
}

Toning ToningFromControls(const int32_t* v, const BitDepth& depth,
                          const int32_t* const luts[kToningChannels]) {
    Toning t = {};
    t.depth = depth;
    for (int c = 0; c < kToningChannels; ++c) {
        t.luts[c] = luts[c];
        t.any = t.any || luts[c];
    }
    t.partial = v[CTL_TONING_PARTIAL] != 0;
    t.colour = ColourOfValue(v[CTL_TONING_COLOR_SWATCH]);
    // The swatch's colours are weights on the 0..255 scale at both depths, so they are
    // converted on that scale (converting them at the 16-bit scale would make them black).
    Rgb hsl = HslOfPixel(t.colour, false);
    hsl.b /= 2;
    t.halfColour = PixelOfHsl(hsl, false);
    const bool sixteen = depth.max > 255;
    t.colourHue =
        HslOfPixel({t.colour.r * depth.mult, t.colour.g * depth.mult, t.colour.b * depth.mult},
                   sixteen)
            .r;
    t.bicolour1 = ColourOfValue(v[CTL_BICOLOR_SWATCH_1]);
    t.bicolour2 = ColourOfValue(v[CTL_BICOLOR_SWATCH_2]);
    return t;
}

void ApplyToning(const Toning& t, const Rgb& source, Rgb& p) {
    if (!t.any) return;
    const int32_t max = t.depth.max;
    if (const int32_t* lut = t.luts[0])
        p = {lut[ClampLevel(p.r, max)], lut[ClampLevel(p.g, max)], lut[ClampLevel(p.b, max)]};
    if (t.luts[1]) ColourToning(t, source, p);
    if (t.luts[2]) BicolorToning(t, p);
    if (t.luts[3]) p.r = t.luts[3][ClampLevel(p.r, max)];
    if (t.luts[4]) p.g = t.luts[4][ClampLevel(p.g, max)];
    if (t.luts[5]) p.b = t.luts[5][ClampLevel(p.b, max)];
    p = ClampPixel(p, max);
}
