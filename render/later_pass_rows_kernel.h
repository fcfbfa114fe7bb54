// The bodies of the row steps of passes 2 and 3, compiled into each vector build of
// later_pass_rows. Internal linkage: a wide build's copy must never stand in for the plain one.
// Each loop is one phase of the pixel-by-pixel step over the whole chunk, without branches
// on the pixel, so that the compiler runs it through the vector registers; table reads get
// loops of their own. Both sides of a choice are computed only where neither can overflow.
#pragma once

#include <algorithm>

#include "render/later_pass_rows.h"

namespace {
inline int32_t KernelClamp(int32_t v, int32_t max) {
    return v < 0 ? 0 : v > max ? max : v;
}

// Luma601, ChromaU and ChromaV of each pixel.
inline void LumaChromaPlanes(const RowPlanes& p, int32_t* __restrict y, int32_t* __restrict u,
                             int32_t* __restrict v) {
    const int32_t* __restrict r = p.r;
    const int32_t* __restrict g = p.g;
    const int32_t* __restrict b = p.b;
    for (int32_t i = 0; i < p.count; ++i) {
        y[i] = (299 * r[i] + 587 * g[i] + 114 * b[i]) / 1000;
        u[i] = (500 * b[i] - 331 * g[i] - 169 * r[i]) / 500;
        v[i] = (500 * r[i] - 418 * g[i] - 82 * b[i]) / 500;
    }
}

// RebuildHalfChroma of (y, u, v) into the planes, clamped.
inline void RebuildClampedPlanes(const int32_t* __restrict y, const int32_t* __restrict u,
                                 const int32_t* __restrict v, int32_t max, const RowPlanes& p) {
    int32_t* __restrict r = p.r;
    int32_t* __restrict g = p.g;
    int32_t* __restrict b = p.b;
    // The count read once: a write through the planes could otherwise change it.
    const int32_t n = p.count;
    for (int32_t i = 0; i < n; ++i) {
        r[i] = KernelClamp(y[i] + (1402 * v[i]) / 2000, max);
        g[i] = KernelClamp(y[i] - (714 * v[i] + 346 * u[i]) / 2000, max);
        b[i] = KernelClamp(y[i] + (1771 * u[i]) / 2000, max);
    }
}

// ((100 - k) x a + k x c) / 100 into a, or with `doubled` ((50 - k) x a + k x c) x 2 / 100,
// clamped.
inline void MixPlane(int32_t* __restrict a, const int32_t* __restrict c, int32_t k, bool doubled,
                     int32_t count, int32_t max) {
    if (doubled) {
        for (int32_t i = 0; i < count; ++i)
            a[i] = KernelClamp((((50 - k) * a[i] + k * c[i]) * 2) / 100, max);
    } else {
        for (int32_t i = 0; i < count; ++i)
            a[i] = KernelClamp(((100 - k) * a[i] + k * c[i]) / 100, max);
    }
}

void PaperRowBody(const PaperContrast& s, const int32_t* __restrict blurred, const RowPlanes& p) {
    const int32_t max = s.depth.max, mult = s.depth.mult, k = s.paper, h = s.paperHighlights;
    const int32_t n = p.count;
    int32_t y[kLaterPassChunk], u[kLaterPassChunk], v[kLaterPassChunk], d[kLaterPassChunk];
    LumaChromaPlanes(p, y, u, v);
    for (int32_t i = 0; i < n; ++i) d[i] = (y[i] - blurred[i]) / 2;
    if (h > 0) {
        // A 64-bit quotient by a divisor known only at run time: exact in doubles, whose
        // products and quotients of levels stay far inside 53 bits.
        const int32_t limit = (255 - h) * mult;
        const double divisor = double(h * mult);
        for (int32_t i = 0; i < n; ++i) {
            const int32_t kept = int32_t(double(max - y[i]) * double(d[i]) / divisor);
            d[i] = y[i] > limit ? kept : d[i];
        }
    }
    const bool alone = s.contrast == 0;
    if ((alone && k >= 100) || (!alone && k == 50)) {
        for (int32_t i = 0; i < n; ++i) y[i] += d[i];
        RebuildClampedPlanes(y, u, v, max, p);
        return;
    }
    int32_t gr[kLaterPassChunk], gg[kLaterPassChunk], gb[kLaterPassChunk];
    for (int32_t i = 0; i < n; ++i) {
        const int32_t l = y[i] + d[i];
        gr[i] = l + (1402 * v[i]) / 2000;
        gg[i] = l - (714 * v[i] + 346 * u[i]) / 2000;
        gb[i] = l + (1771 * u[i]) / 2000;
    }
    // Beside the dynamic contrast the paper reaches full strength at 50 and extrapolates.
    MixPlane(p.r, gr, k, !alone, n, max);
    MixPlane(p.g, gg, k, !alone, n, max);
    MixPlane(p.b, gb, k, !alone, n, max);
}

void DynamicContrastRowBody(const PaperContrast& s, const int32_t* __restrict equalised,
                            const RowPlanes& p) {
    const int32_t max = s.depth.max, k = s.contrast, n = p.count;
    int32_t y[kLaterPassChunk], u[kLaterPassChunk], v[kLaterPassChunk], t[kLaterPassChunk];
    LumaChromaPlanes(p, y, u, v);
    if (k == 100) {
        for (int32_t i = 0; i < n; ++i) t[i] = (equalised[i] + y[i]) / 2;
    } else {
        for (int32_t i = 0; i < n; ++i)
            t[i] = (((equalised[i] + y[i]) / 2) * k + (100 - k) * y[i]) / 100;
    }
    if (s.toneWeighted) {
        int32_t tone[kLaterPassChunk], mid[kLaterPassChunk];
        const int32_t mult = s.depth.mult;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t level = std::clamp(y[i] / mult, 0, kToneIndexLast);
            tone[i] = s.toneStep[level];
            mid[i] = s.midtoneStep[level];
        }
        for (int32_t i = 0; i < n; ++i) {
            const int32_t change = t[i] - y[i];
            const int32_t d1 = (tone[i] * change) / 52, d2 = (mid[i] * change) / 52;
            const int32_t a1 = d1 < 0 ? -d1 : d1, a2 = d2 < 0 ? -d2 : d2;
            t[i] = y[i] + (a1 < a2 ? d2 : d1);
        }
    }
    RebuildClampedPlanes(t, u, v, max, p);
}

// DiffuseChannel of each value with its blurred value: the multiply-screen blend `a` below
// opacity 50, the softened one above 0, mixed as the opacity says.
void DiffusePlane(const DiffusionGlow& s, int32_t* __restrict value, const int32_t* __restrict b,
                  int32_t n) {
    const int32_t max = s.depth.max, mid = s.depth.mid, o = s.opacity;
    if (o >= 100) {
        for (int32_t i = 0; i < n; ++i) value[i] = b[i];
        return;
    }
    int32_t a[kLaterPassChunk], soft[kLaterPassChunk];
    if (o < 50) {
        for (int32_t i = 0; i < n; ++i) {
            const int32_t v = value[i];
            const bool low = b[i] < mid;
            const int32_t f = low ? v : max - b[i], g = low ? b[i] : v - max;
            a[i] = DivideByMax(f * g * 2, max) + (low ? 0 : max);
        }
    }
    if (o > 0) {
        for (int32_t i = 0; i < n; ++i) {
            const int32_t v = value[i], t = v / 2 + s.depth.quarter;
            const bool low = v < mid;
            const int32_t f = low ? t : t - max, g = low ? b[i] : max - b[i];
            soft[i] = (low ? 0 : max) + DivideByMax(f * g * 2, max);
        }
    }
    if (o == 0) {
        for (int32_t i = 0; i < n; ++i) value[i] = a[i];
    } else if (o < 50) {
        for (int32_t i = 0; i < n; ++i) value[i] = ((50 - o) * a[i] + o * soft[i]) / 50;
    } else if (o == 50) {
        for (int32_t i = 0; i < n; ++i) value[i] = soft[i];
    } else {
        for (int32_t i = 0; i < n; ++i) value[i] = ((o - 50) * b[i] + (100 - o) * soft[i]) / 50;
    }
}

// One channel of the diffusion: the blurred value clamped and bent, diffused, mixed by the
// intensity and the mask position, clamped.
void DiffusionPlane(const DiffusionGlow& s, const int32_t* __restrict blurred,
                    const int32_t* __restrict positions, int32_t* __restrict value, int32_t n) {
    const int32_t max = s.depth.max, k = s.diffusion;
    int32_t b[kLaterPassChunk], d[kLaterPassChunk];
    for (int32_t i = 0; i < n; ++i) b[i] = KernelClamp(blurred[i], max);
    if (s.bend)
        for (int32_t i = 0; i < n; ++i) b[i] = KernelClamp(s.bend[b[i]], max);
    for (int32_t i = 0; i < n; ++i) d[i] = value[i];
    DiffusePlane(s, d, b, n);
    if (k < 100)
        for (int32_t i = 0; i < n; ++i) d[i] = ((100 - k) * value[i] + k * d[i]) / 100;
    if (positions) {
        for (int32_t i = 0; i < n; ++i) {
            const int32_t m = positions[i];
            const int32_t mixed = ((255 - m) * value[i] + m * d[i]) / 255;
            d[i] = m != 255 ? mixed : d[i];
        }
    }
    for (int32_t i = 0; i < n; ++i) value[i] = KernelClamp(d[i], max);
}

void DiffusionRowBody(const DiffusionGlow& s, const ConstRowPlanes& blurred,
                      const int32_t* positions, const RowPlanes& p) {
    DiffusionPlane(s, blurred.r, positions, p.r, p.count);
    DiffusionPlane(s, blurred.g, positions, p.g, p.count);
    DiffusionPlane(s, blurred.b, positions, p.b, p.count);
}

// One channel of the glow: the colour mixed by the intensity, laid over by the mask.
void GlowPlane(const DiffusionGlow& s, const int32_t* __restrict gm, int32_t colour,
               int32_t* __restrict value, int32_t n) {
    const int32_t max = s.depth.max, k = s.glow;
    int32_t c[kLaterPassChunk];
    if (k != 100) {
        for (int32_t i = 0; i < n; ++i) c[i] = ((100 - k) * value[i] + k * colour) / 100;
    } else {
        for (int32_t i = 0; i < n; ++i) c[i] = colour;
    }
    for (int32_t i = 0; i < n; ++i)
        value[i] = KernelClamp(DivideByMax(gm[i] * c[i] + (max - gm[i]) * value[i], max), max);
}

void GlowRowBody(const DiffusionGlow& s, const int32_t* __restrict mask, const RowPlanes& p) {
    const int32_t max = s.depth.max, e = s.glowExposure, n = p.count;
    int32_t gm[kLaterPassChunk];
    if (e < 0) {
        for (int32_t i = 0; i < n; ++i)
            gm[i] = KernelClamp(mask[i] + ((max - mask[i]) * e) / 128, max);
    } else if (e > 0) {
        for (int32_t i = 0; i < n; ++i) gm[i] = KernelClamp(mask[i] + (e * mask[i]) / 128, max);
    } else {
        for (int32_t i = 0; i < n; ++i) gm[i] = KernelClamp(mask[i], max);
    }
    GlowPlane(s, gm, s.glowColour.r, p.r, n);
    GlowPlane(s, gm, s.glowColour.g, p.g, n);
    GlowPlane(s, gm, s.glowColour.b, p.b, n);
}

constexpr LaterPassRowProcs kLaterPassRowBodies = {PaperRowBody, DynamicContrastRowBody,
                                                   DiffusionRowBody, GlowRowBody};
}  // namespace
