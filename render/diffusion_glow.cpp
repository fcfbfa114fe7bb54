// Diffusion and glow of the third pass: blends with the blurred colour copy (limited by a
// gradient) and a colour laid over the blurred tone mask.

#include "render/diffusion_glow.h"

#include <algorithm>

#include "effect/control_ids.h"
#include "render/toning.h"

DiffusionGlow DiffusionGlowFromControls(const int32_t* v, const BitDepth& depth, bool pass3,
                                        int32_t X, int32_t Y, int32_t zoom, int32_t centreX,
                                        int32_t centreY, const int32_t* bend) {
    DiffusionGlow s = {};
    s.depth = depth;
    s.diffusion = pass3 ? std::max(v[CTL_DIFFUSION_INTENSITY], 0) : 0;
    s.opacity = v[CTL_DIFFUSION_OPACITY];
    s.bend = bend;
    // The list runs None, Linear, Linear Middle, Circular: the gradient kinds' own numbers.
    const int32_t kind = v[CTL_DIFFUSION_MASK_SHAPE];
    if (kind >= GRADIENT_LINEAR && kind <= GRADIENT_CIRCULAR) {
        const GradientControls controls = {
            CTL_DIFFUSION_MASK_OFFSET, CTL_DIFFUSION_MASK_DENSITY, CTL_DIFFUSION_MASK_ROTATION,
            CTL_DIFFUSION_MASK_ELLIPTICAL, CTL_DIFFUSION_MASK_INVERT};
        s.mask = GradientShapeMake(
            GradientSettingsFromControls(v, kind, controls, centreX, centreY), X, Y, zoom);
    }
    s.glow = pass3 ? std::max(v[CTL_GLOW_INTENSITY], 0) : 0;
    s.glowExposure = v[CTL_GLOW_EXPOSURE];
    const Rgb c = ColourOfValue(v[CTL_GLOW_COLOR]);
    s.glowColour = {c.r * depth.mult, c.g * depth.mult, c.b * depth.mult};
    return s;
}

int32_t DiffuseChannel(const DiffusionGlow& s, int32_t v, int32_t b) {
    const int32_t max = s.depth.max, mid = s.depth.mid, o = s.opacity;
    if (o >= 100) return b;
    // A multiplies the shadows and screens the highlights of the blur; B does the same with
    // the pixel's contrast halved; past 50 the blur itself takes over.
    int32_t a = 0, soft = 0;
    if (o < 50)
        a = b < mid ? DivideByMax(v * b * 2, max)
                    : DivideByMax((max - b) * (v - max) * 2, max) + max;
    if (o > 0) {
        const int32_t t = v / 2 + s.depth.quarter;
        soft = v < mid ? DivideByMax(t * b * 2, max)
                       : max + DivideByMax((t - max) * (max - b) * 2, max);
    }
    if (o == 0) return a;
    if (o < 50) return ((50 - o) * a + o * soft) / 50;
    if (o == 50) return soft;
    return ((o - 50) * b + (100 - o) * soft) / 50;
}

void ApplyDiffusion(const DiffusionGlow& s, int32_t x, int32_t y, const Rgb& blurred, Rgb& p) {
    const int32_t max = s.depth.max, i = s.diffusion;
    // Clamped, so that every product of the blend stays inside 32 bits at 16 bits.
    Rgb b = ClampPixel(blurred, max);
    if (s.bend) b = ClampPixel({s.bend[b.r], s.bend[b.g], s.bend[b.b]}, max);
    Rgb d = {DiffuseChannel(s, p.r, b.r), DiffuseChannel(s, p.g, b.g), DiffuseChannel(s, p.b, b.b)};
    if (i < 100)
        d = {((100 - i) * p.r + i * d.r) / 100, ((100 - i) * p.g + i * d.g) / 100,
             ((100 - i) * p.b + i * d.b) / 100};
    if (s.mask.kind != GRADIENT_NONE) {
        const int32_t n = GradientPosition(s.mask, x, y);
        if (n != 255)
            d = {((255 - n) * p.r + n * d.r) / 255, ((255 - n) * p.g + n * d.g) / 255,
                 ((255 - n) * p.b + n * d.b) / 255};
    }
    p = ClampPixel(d, max);
}

void ApplyGlow(const DiffusionGlow& s, int32_t gm, Rgb& p) {
    const int32_t max = s.depth.max, k = s.glow, e = s.glowExposure;
    if (e < 0) gm = gm + ((max - gm) * e) / 128;
    if (e > 0) gm = gm + (e * gm) / 128;
    gm = ClampLevel(gm, max);
    Rgb c = s.glowColour;
    if (k != 100)
        c = {((100 - k) * p.r + k * c.r) / 100, ((100 - k) * p.g + k * c.g) / 100,
             ((100 - k) * p.b + k * c.b) / 100};
    // gm + (max - gm) = max: each sum stays at or below max * max = 2^30.
    p = {DivideByMax(gm * c.r + (max - gm) * p.r, max),
         DivideByMax(gm * c.g + (max - gm) * p.g, max),
         DivideByMax(gm * c.b + (max - gm) * p.b, max)};
    p = ClampPixel(p, max);
}
