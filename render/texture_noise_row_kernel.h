// The bodies of the texture's row steps, compiled into each vector build of
// texture_noise_row. Internal linkage: a wide build's copy must never stand in for the plain
// one.
#pragma once

#include <cmath>
#include <cstdint>

#include "render/texture_noise_row.h"

namespace {
// One lattice cell's share of the row at one octave: its corner gradients' x parts and the
// terms that depend only on the row are the same for every pixel of the run, so the pixels
// go through the vector registers with nothing but their own offset and fade to load.
struct NoiseCellTerms {
    NoiseCell cell;
    double wy;             // the row's fade
    double weightDivisor;  // the octave's divisor
};

// Adds the octave's term to each sum: the same products and sums, in the same order, as the
// lattice cell's noise of the pixel-by-pixel texture.
inline void NoiseCellAdd(const NoiseCellTerms& t, const double* __restrict offset,
                         const double* __restrict weight, int32_t n, double* __restrict noise) {
    for (int32_t i = 0; i < n; ++i) {
        const NoiseCell& c = t.cell;
        const double fx = offset[i];
        const double c00 = fx * c.g00x + c.y00;
        const double c10 = (fx - 1.0) * c.g10x + c.y10;
        const double c01 = fx * c.g01x + c.y01;
        const double c11 = (fx - 1.0) * c.g11x + c.y11;
        const double e0 = c00 + (c10 - c00) * weight[i];
        const double e1 = c01 + (c11 - c01) * weight[i];
        noise[i] += (e0 + (e1 - e0) * t.wy) / t.weightDivisor;
    }
}

// Octave by octave over the row, cell run by cell run, each pixel's sum taking its octaves in
// the pixel-by-pixel order.
inline void NoiseRowBody(const NoiseRowRun& run) {
    for (int32_t i = 0; i < run.count; ++i) run.noise[i] = 0.0;
    double weightDivisor = 1.0;
    for (int32_t k = 0; k < run.octaves; ++k) {
        const NoiseAxis ay = run.rows[k];
        const NoiseOctaveColumns& columns = run.columns[k];
        int32_t first = 0;
        for (int32_t r = 0; r < columns.runCount; ++r) {
            const int32_t end = columns.runEnd[r] < run.count ? columns.runEnd[r] : run.count;
            if (end <= first) break;
            const NoiseCellTerms terms = {NoiseCellAt(columns.runCell[r], ay), ay.weight,
                                          weightDivisor};
            NoiseCellAdd(terms, columns.offset + first, columns.weight + first, end - first,
                         run.noise + first);
            first = end;
        }
        weightDivisor *= run.octaveDivisor;
    }
}

// (a x b x 2) / max truncated toward zero, as the pixel step's 64-bit division gives it: in
// int32 at 8 bits, where the blend limit keeps the product inside it; in doubles at 16 bits,
// where the product of two such values is exact and so is its division by 2^15.
template <int32_t kMax>
inline int32_t TwiceProductOverMax(int32_t a, int32_t b) {
    if constexpr (kMax == 255) {
        return (a * b * 2) / 255;
    } else {
        static_assert(kMax == 32768, "the render's two depths");
        return int32_t(double(a) * double(b) * 2.0 / 32768.0);
    }
}

// One channel's plane under the chunk's texture values t: overlay or hard light, the tint
// where tinted (all bits set) and the intensity's mix, each phase over the whole chunk
// without a branch on the pixel, both sides of every choice computed.
template <int32_t kMax>
inline void TextureBlendPlane(const TextureBlendRun& run, const int32_t* __restrict t,
                              const int32_t* __restrict tinted, bool anyTinted, int32_t tint,
                              int32_t* __restrict plane, int32_t n) {
    constexpr int32_t kMid = kMax == 255 ? 128 : 16384;
    int32_t c[kLaterPassChunk], o[kLaterPassChunk];
    for (int32_t i = 0; i < n; ++i) c[i] = plane[i];
    const int32_t* __restrict decider = run.hard ? t : c;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t low = TwiceProductOverMax<kMax>(t[i], c[i]);
        const int32_t high = TwiceProductOverMax<kMax>(t[i] - kMax, kMax - c[i]) + kMax;
        o[i] = decider[i] < kMid ? low : high;
    }
    if (anyTinted) {
        for (int32_t i = 0; i < n; ++i) {
            const int32_t low = TwiceProductOverMax<kMax>(tint, o[i]);
            const int32_t high = kMax + TwiceProductOverMax<kMax>(tint - kMax, kMax - o[i]);
            const int32_t toned = o[i] < kMid ? low : high;
            o[i] = (toned & tinted[i]) | (o[i] & ~tinted[i]);
        }
    }
    const int32_t k = run.intensity;
    if (k != 100)
        for (int32_t i = 0; i < n; ++i) o[i] = ((100 - k) * c[i] + o[i] * k) / 100;
    for (int32_t i = 0; i < n; ++i) plane[i] = o[i] < 0 ? 0 : o[i] > kMax ? kMax : o[i];
}

// The chunk's samples blended into its planes; false (nothing written) where a value or a
// level lies beyond the bounds that keep the arithmetic exact. A chunk of grey pixels under
// an untinted or grey texture is blended once for all three planes.
template <int32_t kMax>
bool TextureBlendBody(const TextureBlendRun& run) {
    const RowPlanes& p = run.planes;
    const int32_t n = p.count;
    int32_t t[kLaterPassChunk], tinted[kLaterPassChunk];
    uint32_t outside = 0;
    int32_t anyTinted = 0, notGrey = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t v = run.samples[i].value;
        t[i] = v;
        tinted[i] = run.samples[i].tinted == 1 ? -1 : 0;
        anyTinted |= tinted[i];
        outside |= uint32_t(v) + uint32_t(kTextureBlendLimit) > uint32_t(2 * kTextureBlendLimit);
    }
    for (int32_t i = 0; i < n; ++i) {
        const int32_t r = p.r[i], g = p.g[i], b = p.b[i];
        outside |= (uint32_t(r) > uint32_t(kMax)) | (uint32_t(g) > uint32_t(kMax)) |
                   (uint32_t(b) > uint32_t(kMax));
        notGrey |= (r ^ g) | (r ^ b);
    }
    if (outside) return false;
    TextureBlendPlane<kMax>(run, t, tinted, anyTinted != 0, run.tint[0], p.r, n);
    const bool greyTint = run.tint[0] == run.tint[1] && run.tint[0] == run.tint[2];
    if (notGrey == 0 && (anyTinted == 0 || greyTint)) {
        for (int32_t i = 0; i < n; ++i) {
            p.g[i] = p.r[i];
            p.b[i] = p.r[i];
        }
        return true;
    }
    TextureBlendPlane<kMax>(run, t, tinted, anyTinted != 0, run.tint[1], p.g, n);
    TextureBlendPlane<kMax>(run, t, tinted, anyTinted != 0, run.tint[2], p.b, n);
    return true;
}

// The dust texture of each noise as the pixel step makes it: max x 0.7 x noise + mid
// truncated, inverted, then reduced; in int32, which the dust limit keeps exact. The value
// is pinned to the limit before its conversion (not a number to its low end), so that a
// truncated value at either end marks a noise beyond it.
template <int32_t kMax>
bool TextureDustBody(const TextureDustRun& run) {
    constexpr int32_t kMid = kMax == 255 ? 128 : 16384, kScale = kMax == 255 ? 1 : 128;
    constexpr double kLimit = kTextureDustLimit;
    const int32_t n = run.count, r = run.reduction;
    double x[kLaterPassChunk];
    int32_t v[kLaterPassChunk];
    if (run.vapour) {
        for (int32_t i = 0; i < n; ++i) x[i] = kMax * 0.7 * std::fabs(run.noise[i]) + kMid;
    } else {
        for (int32_t i = 0; i < n; ++i) x[i] = kMax * 0.7 * run.noise[i] + kMid;
    }
    int32_t outside = 0;
    for (int32_t i = 0; i < n; ++i) {
        const double low = x[i] > -kLimit ? x[i] : -kLimit;
        v[i] = int32_t(low < kLimit ? low : kLimit);
        outside |= (v[i] == int32_t(kLimit)) | (v[i] == -int32_t(kLimit));
    }
    if (outside) return false;
    const int32_t factor = r < 1 ? r / 2 + 255 : 255 - r / 2;
    const int32_t lift = r < 1 ? 0 : (kScale * r) / 2;
    const int32_t flip = run.invert ? -1 : 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t turned = (flip & (kMax - v[i])) | (~flip & v[i]);
        run.samples[i] = {(factor * turned) / 255 + lift, run.tinted};
    }
    return true;
}

const TextureRowProcs kTextureRowBodies = {NoiseRowBody, TextureBlendBody<255>,
                                           TextureBlendBody<32768>, TextureDustBody<255>,
                                           TextureDustBody<32768>};
}  // namespace
