// The body of the row noise, compiled into each vector build of texture_noise_row. Internal
// linkage: a wide build's copy must never stand in for the plain one.
#pragma once

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
}  // namespace
