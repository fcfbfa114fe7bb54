// The bodies of the closing row steps, compiled into each vector build of closing_rows.
// Internal linkage: a wide build's copy must never stand in for the plain one. Each loop is
// one phase of the pixel-by-pixel step over the whole chunk, without branches on the pixel,
// so that the compiler runs it through the vector registers; table reads get loops of their
// own. Where a step leaves a pixel alone, its formula is worked anyway and the pixel chosen.
#pragma once

#include <algorithm>

#include "render/closing_rows.h"

namespace {
inline int32_t ClosingClamp(int32_t v, int32_t max) {
    return v < 0 ? 0 : v > max ? max : v;
}

constexpr int32_t kGrainFieldOnlySize = 20;  // from this size on the field alone makes the grain

// (c x a + (100 - c) x grey) / 100 into a.
inline void GrainColourMix(int32_t* __restrict a, const int32_t* __restrict grey, int32_t c,
                           int32_t n) {
    for (int32_t i = 0; i < n; ++i) a[i] = (c * a[i] + (100 - c) * grey[i]) / 100;
}

// The grain value of each draw (or field value over the divisor): ((v - mid) x intensity)
// / 200.
inline void GrainValues(const int32_t* __restrict from, int32_t divisor, int32_t mid,
                        int32_t intensity, int32_t* __restrict to, int32_t n) {
    if (divisor == 1) {
        for (int32_t i = 0; i < n; ++i) to[i] = ((from[i] - mid) * intensity) / 200;
    } else {
        for (int32_t i = 0; i < n; ++i) to[i] = ((from[i] / divisor - mid) * intensity) / 200;
    }
}

// The field's share by the size: (field x s + (20 - s) x value) / 20 into value.
inline void GrainSizeBlend(const int32_t* __restrict field, int32_t s, int32_t* __restrict value,
                           int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        value[i] = (field[i] * s + (kGrainFieldOnlySize - s) * value[i]) / kGrainFieldOnlySize;
}

// The grain's scaling by tone: of the shadow-or-highlight weight and the midtone weight, the
// one larger in size wins.
inline void GrainToneWeigh(const int32_t* __restrict t, const int32_t* __restrict tm,
                           int32_t* __restrict value, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const int32_t g1 = (t[i] * value[i]) / 52, g2 = (tm[i] * value[i]) / 52;
        const int32_t a1 = g1 < 0 ? -g1 : g1, a2 = g2 < 0 ? -g2 : g2;
        value[i] = a1 < a2 ? g2 : g1;
    }
}

// GrainChannel of each level with its grain value. The quotients by the maximum are taken in
// doubles: the products are exact there, and a quotient's truncation is the integer one (no
// quotient of levels lies within rounding of a whole number it does not equal).
template <int32_t kMax>
void GrainChannelPlane(const GrainDepth<kMax>& d, const int32_t* __restrict grain,
                       int32_t* __restrict value, int32_t n) {
    const int32_t max = d.max, mid = d.mid;
    const double dmax = max;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t v = value[i], g = grain[i];
        const int32_t low = int32_t(double(g + mid) * double(v) * 2.0 / dmax);
        const int32_t high = max + int32_t(double(g - max + mid) * double(max - v) * 2.0 / dmax);
        value[i] = ClosingClamp(v < mid ? low : high, max);
    }
}

template <int32_t kMax>
void GrainRowOf(const FilmGrain& g, const GrainChunk& in, const RowPlanes& p) {
    const GrainDepth<kMax> d(g.depth);
    const int32_t n = p.count, c = g.colour, s = g.size, mid = d.mid, k = g.intensity;
    const bool mixed = c > 0 && c < 100;
    int32_t red[kLaterPassChunk], green[kLaterPassChunk], blue[kLaterPassChunk];
    int32_t grey[kLaterPassChunk], field[kLaterPassChunk];
    auto fieldOf = [&](int32_t channel) {
        GrainValues(in.field[channel], d.grainDivisor, mid, k, field, n);
        return field;
    };
    if (s < kGrainFieldOnlySize) {
        if (c == 0) {
            GrainValues(in.draws[0], 1, mid, k, red, n);
        } else {
            GrainValues(in.draws[0], 1, mid, k, grey, n);
            GrainValues(in.draws[1], 1, mid, k, red, n);
            GrainValues(in.draws[2], 1, mid, k, green, n);
            GrainValues(in.draws[3], 1, mid, k, blue, n);
            if (c < 100) {
                GrainColourMix(red, grey, c, n);
                GrainColourMix(green, grey, c, n);
                GrainColourMix(blue, grey, c, n);
            }
        }
        if (s > 0) {
            GrainSizeBlend(fieldOf(0), s, red, n);
            if (c != 0) {
                GrainSizeBlend(fieldOf(1), s, green, n);
                GrainSizeBlend(fieldOf(2), s, blue, n);
            }
            if (mixed) {
                GrainSizeBlend(fieldOf(3), s, grey, n);
                GrainColourMix(red, grey, c, n);
                GrainColourMix(green, grey, c, n);
                GrainColourMix(blue, grey, c, n);
            }
        }
    } else {
        std::copy(fieldOf(0), field + n, red);
        if (c != 0) {
            std::copy(fieldOf(1), field + n, green);
            std::copy(fieldOf(2), field + n, blue);
        }
        if (mixed) {
            GrainValues(in.field[3], d.grainDivisor, mid, k, grey, n);
            GrainColourMix(red, grey, c, n);
            GrainColourMix(green, grey, c, n);
            GrainColourMix(blue, grey, c, n);
        }
    }
    if (g.toneWeighted) {
        int32_t luma[kLaterPassChunk], t[kLaterPassChunk], tm[kLaterPassChunk];
        for (int32_t i = 0; i < n; ++i)
            luma[i] = (299 * p.r[i] + 587 * p.g[i] + 114 * p.b[i]) / 1000;
        const uint8_t* tone = g.tone;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t level = ClosingClamp(luma[i] / d.mult, 255);
            t[i] = luma[i] < mid ? ((g.shadows + 100) * tone[level]) / 50
                                 : ((g.highlights + 100) * tone[255 - level]) / 50;
            const int32_t below = tone[ClosingClamp(level - 64, 255)];
            const int32_t above = tone[ClosingClamp(191 - level, 255)];
            tm[i] = ((g.midtones + 100) * ((below + above) / 2)) / 50;
        }
        GrainToneWeigh(t, tm, red, n);
        if (c != 0) {
            GrainToneWeigh(t, tm, green, n);
            GrainToneWeigh(t, tm, blue, n);
        }
    }
    GrainChannelPlane(d, red, p.r, n);
    GrainChannelPlane(d, c == 0 ? red : green, p.g, n);
    GrainChannelPlane(d, c == 0 ? red : blue, p.b, n);
}

void GrainRowBody(const FilmGrain& g, const GrainChunk& in, const RowPlanes& p) {
    const BitDepth& d = g.depth;
    if (d.max == 255 && d.mid == 128 && d.mult == 1 && d.grainDivisor == 128)
        GrainRowOf<255>(g, in, p);
    else if (d.max == 32768 && d.mid == 16384 && d.mult == 128 && d.grainDivisor == 1)
        GrainRowOf<32768>(g, in, p);
    else
        GrainRowOf<0>(g, in, p);
}

// One channel toward the vignette colour by the shape value; a value of 255 leaves it.
void VignettePlane(const Vignette& g, const int32_t* __restrict shape, int32_t colour,
                   int32_t* __restrict value, int32_t n) {
    const int32_t k = g.intensity, max = g.depth.max;
    int32_t c[kLaterPassChunk];
    if (k != 100) {
        for (int32_t i = 0; i < n; ++i) c[i] = ((100 - k) * value[i] + k * colour) / 100;
    } else {
        for (int32_t i = 0; i < n; ++i) c[i] = colour;
    }
    for (int32_t i = 0; i < n; ++i) {
        const int32_t vs = shape[i], v = value[i];
        const int32_t blended = ClosingClamp((vs * v + c[i] * (255 - vs)) / 255, max);
        value[i] = vs >= 255 ? v : blended;
    }
}

void VignetteRowBody(const Vignette& g, const int32_t* shape, const RowPlanes& p) {
    VignettePlane(g, shape, g.colour.r, p.r, p.count);
    VignettePlane(g, shape, g.colour.g, p.g, p.count);
    VignettePlane(g, shape, g.colour.b, p.b, p.count);
}

inline void BlendPlane(const int32_t* __restrict weight, const int32_t* __restrict base,
                       int32_t max, int32_t* __restrict value, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const int32_t w = weight[i], v = value[i];
        const int32_t blended = ClosingClamp((w * v + (255 - w) * base[i]) / 255, max);
        value[i] = w >= 255 ? v : blended;
    }
}

void BlendTowardBaseRowBody(const int32_t* weight, const ConstRowPlanes& base, bool keepColour,
                            int32_t max, const RowPlanes& p) {
    const int32_t n = p.count;
    if (keepColour) {
        BlendPlane(weight, base.r, max, p.r, n);
        BlendPlane(weight, base.g, max, p.g, n);
        BlendPlane(weight, base.b, max, p.b, n);
        return;
    }
    int32_t grey[kLaterPassChunk];
    for (int32_t i = 0; i < n; ++i)
        grey[i] = (213 * base.r[i] + 715 * base.g[i] + 72 * base.b[i]) / 1000;
    BlendPlane(weight, grey, max, p.r, n);
    BlendPlane(weight, grey, max, p.g, n);
    BlendPlane(weight, grey, max, p.b, n);
}

// One channel of the shaped frame. The pixel-by-pixel step's shortcuts need no branch here:
// a full outer weight mixes to the second colour exactly, and a full inner weight (inside
// the frame) gives the pixel back through every mix.
void FrameFieldPlane(const Frame& f, const int32_t* __restrict a, const int32_t* __restrict q,
                     int32_t colour1, int32_t colour2, int32_t* __restrict value, int32_t n) {
    const int32_t k = f.intensity, max = f.depth.max;
    int32_t framed[kLaterPassChunk];
    if (!f.borderOnly) {
        for (int32_t i = 0; i < n; ++i) {
            const int32_t c = ((255 - a[i]) * colour1 + a[i] * colour2) / 255;
            framed[i] = ((255 - q[i]) * c + q[i] * value[i]) / 255;
        }
    } else {
        for (int32_t i = 0; i < n; ++i)
            framed[i] = ((255 - a[i]) * value[i] + a[i] * colour2) / 255;
    }
    if (k < 100) {
        for (int32_t i = 0; i < n; ++i)
            value[i] = ClosingClamp((k * framed[i] + (100 - k) * value[i]) / 100, max);
    } else {
        for (int32_t i = 0; i < n; ++i) value[i] = ClosingClamp(framed[i], max);
    }
}

void FrameFieldRowBody(const Frame& f, const int32_t* outer, const int32_t* inner,
                       const RowPlanes& p) {
    const int32_t n = p.count;
    int32_t a[kLaterPassChunk], q[kLaterPassChunk];
    for (int32_t i = 0; i < n; ++i) a[i] = std::min(outer[i] / 128, 255);
    if (!f.borderOnly)
        for (int32_t i = 0; i < n; ++i) q[i] = std::min(inner[i] / 128, 255);
    FrameFieldPlane(f, a, q, f.colour1.r, f.colour2.r, p.r, n);
    FrameFieldPlane(f, a, q, f.colour1.g, f.colour2.g, p.g, n);
    FrameFieldPlane(f, a, q, f.colour1.b, f.colour2.b, p.b, n);
}

constexpr ClosingRowProcs kClosingRowBodies = {GrainRowBody, VignetteRowBody,
                                               BlendTowardBaseRowBody, FrameFieldRowBody};
}  // namespace
