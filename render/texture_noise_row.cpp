// The plain (SSE2) build of the texture's row steps, and the choice of a build by vector
// level.

#include "render/texture_noise_row.h"

#include "render/texture_noise_row_kernel.h"

const TextureRowProcs kTextureRowsPlain = kTextureRowBodies;

const TextureRowProcs& TextureRowsFor(VectorLevel level) {
    return level == VECTOR_AVX2 ? kTextureRowsAvx2 : kTextureRowsPlain;
}
