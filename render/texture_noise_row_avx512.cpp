// The AVX-512 build of the texture's row steps: the plain bodies compiled for 512-bit
// registers (eight doubles or sixteen levels a step), called only where the processor and the
// system have them. Built without contraction, so each pixel gets the plain build's
// operations.

#include "render/texture_noise_row.h"

#include "render/texture_noise_row_kernel.h"

const TextureRowProcs kTextureRowsAvx512 = kTextureRowBodies;
