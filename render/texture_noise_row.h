// The aging texture's fractal noise for a run of pixels of one row at once, octave by octave:
// built once plain (SSE2) and once for AVX2, chosen at run time; both give the noise of the
// pixel-by-pixel texture exactly.
#pragma once

#include <cstdint>

#include "render/gradient_noise.h"
#include "render/vector_level.h"

// The columns of one octave as the row noise reads them: their offsets and fades side by
// side, and the runs of neighbouring columns that fall in one lattice cell (which share its
// four corner gradients). Made once per render by NoiseTextureColumns.
struct NoiseOctaveColumns {
    const double* offset;    // one per column
    const double* weight;    // one per column
    const int32_t* runEnd;   // the column after each run; the last is the column count
    const int32_t* runCell;  // the lattice cell of each run
    int32_t runCount;
};

// One row: count pixels, the columns of each octave, and the row's positions (one per octave).
struct NoiseRowRun {
    const NoiseOctaveColumns* columns;  // kNoiseCachedOctaves of them
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
