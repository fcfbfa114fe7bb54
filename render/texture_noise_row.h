// The aging texture's fractal noise for a run of pixels of one row at once, octave by octave:
// built once plain (SSE2) and once for AVX2, chosen at run time; both give the noise of the
// pixel-by-pixel texture exactly.
#pragma once

#include <cstdint>

#include "render/gradient_noise.h"
#include "render/vector_level.h"

// One run: count pixels whose column positions lie kNoiseCachedOctaves apart from columns
// on, all in the row whose positions are rows (one per octave).
struct NoiseRowRun {
    const NoiseAxis* columns;
    const NoiseAxis* rows;
    int32_t count;
    int32_t octaves;  // 1..kNoiseCachedOctaves
    double octaveDivisor;
    double* noise;  // count sums, written
};

using NoiseRowProc = void (*)(const NoiseRowRun& run);

// The tables of gNoise must be built.
void NoiseRowPlain(const NoiseRowRun& run);
void NoiseRowAvx2(const NoiseRowRun& run);

NoiseRowProc NoiseRowFor(VectorLevel level);
