// Fades toward the base pixel: the main fade, luma and chroma, saturation and lightness;
// they close every pass.

#include "render/fades.h"

#include "effect/control_ids.h"
#include "render/toning.h"

namespace {
// f = -100 gives the base, 0 the result; above 0 the result moves further from the base.
int32_t FadeValue(int32_t f, int32_t result, int32_t base) {
    if (f == -100) return base;
    return ((f + 100) * result - f * base) / 100;
}
}  // namespace

Fades FadesFromControls(const int32_t* v, const BitDepth& depth) {
    Fades f = {};
    f.depth = depth;
    f.fade = v[CTL_FADE_INTENSITY];
    f.colour = v[CTL_FADE_COLOR];
    f.luminance = v[CTL_FADE_LUMINANCE];
    f.saturation = v[CTL_FADE_SATURATION];
    f.lightness = v[CTL_FADE_LIGHTNESS];
    f.any =
        f.fade != 0 || f.colour != 0 || f.luminance != 0 || f.saturation != 0 || f.lightness != 0;
    return f;
}

void ApplyFades(const Fades& f, const Rgb& s, Rgb& p) {
    const int32_t max = f.depth.max;
    if (f.fade != 0)
        p = ClampPixel(
            {FadeValue(f.fade, p.r, s.r), FadeValue(f.fade, p.g, s.g), FadeValue(f.fade, p.b, s.b)},
            max);
    if (f.colour != 0 || f.luminance != 0) {
        const int32_t y = FadeValue(f.luminance, Luma601(p), Luma601(s));
        const int32_t u = FadeValue(f.colour, ChromaU(p.r, p.g, p.b), ChromaU(s.r, s.g, s.b));
        const int32_t v = FadeValue(f.colour, ChromaV(p.r, p.g, p.b), ChromaV(s.r, s.g, s.b));
        p = ClampPixel(RebuildHalfChroma(y, u, v), max);
    }
    if (f.saturation != 0 || f.lightness != 0) {
        const bool sixteen = max > 255;
        const Rgb hp = HslOfPixel(p, sixteen), hs = HslOfPixel(ClampPixel(s, max), sixteen);
        const Rgb hsl = {hp.r, FadeValue(f.saturation, hp.g, hs.g),
                         FadeValue(f.lightness, hp.b, hs.b)};
        p = ClampPixel(PixelOfHsl(hsl, sixteen), max);
    }
}
