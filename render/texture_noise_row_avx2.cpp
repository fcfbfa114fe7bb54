// The AVX2 build of the texture's row steps: the plain bodies compiled for 256-bit registers
// (four doubles or eight levels a step), called only where the processor has them. Built with
// -mavx2 and without contraction, so each pixel gets the plain build's operations.

#include "render/texture_noise_row.h"

#include "render/texture_noise_row_kernel.h"

const TextureRowProcs kTextureRowsAvx2 = kTextureRowBodies;
