// The body of the row noise, compiled into each vector build of texture_noise_row. Internal
// linkage: a wide build's copy must never stand in for the plain one.
#pragma once

#include "render/texture_noise_row.h"

namespace {
// Pixels whose lattice gradients are looked up before their sums are taken: the lookups go
// one pixel at a time, the arithmetic over the block runs in vector registers.
constexpr int32_t kNoiseBlock = 128;

// A block's lookups for one octave: each pixel's offset and fade along x and its four corner
// gradients.
struct NoiseBlock {
    double fx[kNoiseBlock], wx[kNoiseBlock];
    double g00x[kNoiseBlock], g00y[kNoiseBlock], g10x[kNoiseBlock], g10y[kNoiseBlock];
    double g01x[kNoiseBlock], g01y[kNoiseBlock], g11x[kNoiseBlock], g11y[kNoiseBlock];
};

inline void NoiseBlockLookUp(const NoiseAxis* xs, int32_t n, int32_t j, NoiseBlock& b) {
    const int32_t* p = gNoise.permutation;
    const NoiseGradient* gradient = gNoise.gradient;
    const int32_t j1 = (j + 1) & 255;
    for (int32_t i = 0; i < n; ++i) {
        const NoiseAxis& ax = xs[int64_t(i) * kNoiseCachedOctaves];
        const int32_t pa = p[ax.cell], pb = p[(ax.cell + 1) & 255];
        const NoiseGradient& g00 = gradient[p[pa + j]];
        const NoiseGradient& g10 = gradient[p[pb + j]];
        const NoiseGradient& g01 = gradient[p[pa + j1]];
        const NoiseGradient& g11 = gradient[p[pb + j1]];
        b.fx[i] = ax.offset;
        b.wx[i] = ax.weight;
        b.g00x[i] = g00.x;
        b.g00y[i] = g00.y;
        b.g10x[i] = g10.x;
        b.g10y[i] = g10.y;
        b.g01x[i] = g01.x;
        b.g01y[i] = g01.y;
        b.g11x[i] = g11.x;
        b.g11y[i] = g11.y;
    }
}

// Adds one octave's term to each sum: the same products and sums, in the same order, as the
// lattice cell's noise of the pixel-by-pixel texture.
inline void NoiseBlockAdd(const NoiseBlock& b, int32_t n, double fy, double wy,
                          double weightDivisor, double* __restrict noise) {
    for (int32_t i = 0; i < n; ++i) {
        const double fx = b.fx[i];
        const double c00 = fx * b.g00x[i] + fy * b.g00y[i];
        const double c10 = (fx - 1.0) * b.g10x[i] + fy * b.g10y[i];
        const double c01 = fx * b.g01x[i] + (fy - 1.0) * b.g01y[i];
        const double c11 = (fx - 1.0) * b.g11x[i] + (fy - 1.0) * b.g11y[i];
        const double e0 = c00 + (c10 - c00) * b.wx[i];
        const double e1 = c01 + (c11 - c01) * b.wx[i];
        noise[i] += (e0 + (e1 - e0) * wy) / weightDivisor;
    }
}

// Octave by octave over the run, each pixel's sum taking its octaves in the pixel-by-pixel
// order.
inline void NoiseRowBody(const NoiseRowRun& run) {
    for (int32_t i = 0; i < run.count; ++i) run.noise[i] = 0.0;
    NoiseBlock block;
    double weightDivisor = 1.0;
    for (int32_t k = 0; k < run.octaves; ++k) {
        const NoiseAxis ay = run.rows[k];
        for (int32_t first = 0; first < run.count; first += kNoiseBlock) {
            const int32_t n = run.count - first < kNoiseBlock ? run.count - first : kNoiseBlock;
            NoiseBlockLookUp(run.columns + int64_t(first) * kNoiseCachedOctaves + k, n, ay.cell,
                             block);
            NoiseBlockAdd(block, n, ay.offset, ay.weight, weightDivisor, run.noise + first);
        }
        weightDivisor *= run.octaveDivisor;
    }
}
}  // namespace
