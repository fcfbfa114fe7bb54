// Lab effects and the graduated neutral-density filter, on the level scale of the image;
// per-render values from the controls, per-pixel steps for the first pass.

#include "render/lab_effects.h"

#include <algorithm>
#include <cstring>

#include "effect/control_ids.h"
#include "host/maths_builtins.h"

namespace {
int32_t Lith(const LabEffects& lab, int32_t v) {
    const int32_t a = lab.amount, max = lab.depth.max;
    if (a <= 0 || a >= 255) return v;
    const int64_t t = std::min<int64_t>(max, (int64_t(v) * 255) / a);
    return int32_t(((((255 - a) * int64_t(v)) / 255 + a * lab.depth.mult) * t) / max);
}

int32_t Solarize(const LabEffects& lab, int32_t v, int32_t a) {
    const int32_t max = lab.depth.max;
    if (a >= 255) return max - v;
    if (a <= 0) return v;
    if (v > (255 - a) * lab.depth.mult) return ((max - v) * 255) / a;
    return (v * 255) / (255 - a);
}

int32_t PseudoSolarize(const LabEffects& lab, int32_t v, int32_t a) {
    if (lab.depth.max == 255) return (lab.sine[((a + v) * 4 + 256) & 1023] + 512) / 4;
    return (lab.sine[(v / 32 + 256 + a * 4) & 1023] + 512) * 32;
}
}  // namespace

LabEffects LabEffectsFromControls(const int32_t* v, const BitDepth& depth,
                                  const int32_t* sineTable) {
    LabEffects lab = {};
    lab.depth = depth;
    lab.intensity = v[CTL_LABFX_INTENSITY];
    lab.type = v[CTL_LABFX_TYPE];
    lab.amount = v[CTL_LABFX_AMOUNT];
    lab.amountB = v[CTL_LABFX_AMOUNT_B];
    lab.twice = v[CTL_LABFX_DOUBLE] != 0;
    const int32_t t = v[CTL_LABFX_THRESHOLD];
    lab.low = std::max((t - (v[CTL_LABFX_SHADOWS] * t) / 128) * depth.mult, 0);
    lab.high = std::min((t + (v[CTL_LABFX_HIGHLIGHTS] * (255 - t)) / 128) * depth.mult, depth.max);
    if (sineTable) std::memcpy(lab.sine, sineTable, sizeof lab.sine);
    return lab;
}

NdGrad NdGradFromControls(const int32_t* v, const BitDepth& depth, int32_t X, int32_t Y,
                          int32_t zoom, int32_t centreX, int32_t centreY, const int32_t* lut) {
    NdGrad grad = {};
    grad.on = (v[CTL_NDGRAD_BRIGHTNESS] != 0 || v[CTL_NDGRAD_CONTRAST] != 0) && lut;
    grad.depth = depth;
    // The list runs Linear, Linear Middle, Circular from 0; the gradient kinds from 1.
    const int32_t kind = std::clamp(v[CTL_NDGRAD_SHAPE], 0, 2) + GRADIENT_LINEAR;
    const GradientControls controls = {CTL_NDGRAD_OFFSET, CTL_NDGRAD_DENSITY, CTL_NDGRAD_ROTATION,
                                       CTL_NDGRAD_ELLIPTICAL, CTL_NDGRAD_INVERT};
    grad.shape = GradientShapeMake(
        GradientSettingsFromControls(v, kind, controls, centreX, centreY), X, Y, zoom);
    grad.shadows = v[CTL_NDGRAD_SHADOWS];
    grad.highlights = v[CTL_NDGRAD_HIGHLIGHTS];
    grad.lut = lut;
    return grad;
}

int32_t LabEffectChannel(const LabEffects& lab, int32_t v, int32_t mean) {
    switch (lab.type) {
        case LABFX_LITH:
            return Lith(lab, v);
        case LABFX_MONOCHROME:
            if (mean < lab.low) return 0;
            if (mean > lab.high) return lab.depth.max;
            return ScaleValue(v, lab.low, lab.high, 0, lab.depth.max);
        case LABFX_POSTERIZE: {
            const int32_t q = lab.amount * lab.depth.mult;
            return v - mean % (q / 2 + 1 + q);
        }
        case LABFX_SOLARIZE: {
            const int32_t once = Solarize(lab, v, lab.amount);
            return lab.twice ? Solarize(lab, once, lab.amountB) : once;
        }
        case LABFX_PSEUDO_SOLARIZE: {
            const int32_t once = PseudoSolarize(lab, v, lab.amount);
            return lab.twice ? PseudoSolarize(lab, once, lab.amountB) : once;
        }
        default:
            return v;
    }
}

void ApplyLabEffects(const LabEffects& lab, Rgb& p) {
    if (lab.intensity == 0) return;
    // Monochrome and posterization look at the pixel's mean, so that all three channels
    // move together and a toned pixel keeps its tint.
    const int32_t mean = (p.r + p.g + p.b) / 3;
    Rgb e = {LabEffectChannel(lab, p.r, mean), LabEffectChannel(lab, p.g, mean),
             LabEffectChannel(lab, p.b, mean)};
    if (lab.intensity < 100) {
        const int32_t i = lab.intensity;
        e = {(i * e.r + (100 - i) * p.r) / 100, (i * e.g + (100 - i) * p.g) / 100,
             (i * e.b + (100 - i) * p.b) / 100};
    }
    p = ClampPixel(e, lab.depth.max);
}

void ApplyNdGrad(const NdGrad& grad, int32_t x, int32_t y, const Rgb& source, Rgb& p) {
    if (!grad.on) return;
    int32_t n = GradientPosition(grad.shape, x, y);
    if (grad.shadows != 0 || grad.highlights != 0) {
        // Protection: the filter fades out in the source's deepest shadows and brightest
        // highlights, each over twice its setting.
        const int32_t ls = Luma709(source) / grad.depth.mult;
        const int32_t sh = grad.shadows, hl = grad.highlights;
        if (sh != 0 && ls < 2 * sh) n = std::min(n, (ls * 256) / (2 * sh));
        if (hl != 0 && ls > 255 - 2 * hl) n = std::min(n, ((255 - ls) * 256) / (2 * hl));
    }
    if (n <= 0) return;
    const int32_t max = grad.depth.max;
    int32_t* channels[3] = {&p.r, &p.g, &p.b};
    for (int32_t* c : channels) {
        const int32_t lut = grad.lut[ClampLevel(*c, max)];
        *c = n >= 255 ? lut : (lut * n + (255 - n) * *c) / 255;
    }
    p = ClampPixel(p, max);
}
