// The plain (SSE2) build of the row noise, and the choice of a build by vector level.

#include "render/texture_noise_row.h"

#include "render/texture_noise_row_kernel.h"

void NoiseRowPlain(const NoiseRowRun& run) {
    NoiseRowBody(run);
}

NoiseRowProc NoiseRowFor(VectorLevel level) {
    static const NoiseRowProc kRows[VECTOR_LEVEL_COUNT] = {NoiseRowPlain, NoiseRowAvx2};
    return kRows[level >= 0 && level < VECTOR_LEVEL_COUNT ? level : VECTOR_PLAIN];
}
