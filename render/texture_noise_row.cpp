// The plain (SSE2) build of the texture's row steps, and the choice of a build by vector
// level.

#include "render/texture_noise_row.h"

#include <atomic>

#include "render/texture_noise_row_kernel.h"

const TextureRowProcs kTextureRowsPlain = kTextureRowBodies;

namespace {
// The build the AVX2 level takes: -1 for the widest that runs; written by TextureRowsPinWide
// on a test's thread between renders.
std::atomic<int32_t> gTextureRowsPinned{-1};

TextureRowBuild TextureRowsWidest() {
    static const TextureRowBuild widest = [] {
        __builtin_cpu_init();
        // The library's check covers the system too: a build counts only where the system
        // saves its registers on a thread switch.
        if (__builtin_cpu_supports("avx512f")) return TEXTURE_ROWS_AVX512;
        return __builtin_cpu_supports("avx2") ? TEXTURE_ROWS_AVX2 : TEXTURE_ROWS_SSE2;
    }();
    return widest;
}
}  // namespace

bool TextureRowBuildRuns(TextureRowBuild build) {
    return build >= TEXTURE_ROWS_SSE2 && build <= TextureRowsWidest();
}

const TextureRowProcs& TextureRowsOfBuild(TextureRowBuild build) {
    static const TextureRowProcs* const kBuilds[TEXTURE_ROW_BUILD_COUNT] = {
        &kTextureRowsPlain, &kTextureRowsAvx2, &kTextureRowsAvx512};
    return *kBuilds[TextureRowBuildRuns(build) ? build : TEXTURE_ROWS_SSE2];
}

void TextureRowsPinWide(TextureRowBuild build) {
    gTextureRowsPinned.store(TextureRowBuildRuns(build) ? build : -1, std::memory_order_relaxed);
}

const TextureRowProcs& TextureRowsFor(VectorLevel level) {
    if (level != VECTOR_AVX2) return kTextureRowsPlain;
    const int32_t pinned = gTextureRowsPinned.load(std::memory_order_relaxed);
    return TextureRowsOfBuild(pinned >= 0 ? TextureRowBuild(pinned) : TextureRowsWidest());
}
