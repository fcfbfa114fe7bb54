// The AVX2 build of the row noise: the plain body compiled for 256-bit registers (four
// pixels a step), called only where the processor has them. Built with -mavx2 and without
// contraction, so each pixel gets the plain build's operations.

#include "render/texture_noise_row.h"

#include "render/texture_noise_row_kernel.h"

void NoiseRowAvx2(const NoiseRowRun& run) {
    NoiseRowBody(run);
}
