// Detection of the vector instructions the kernels may use, and the override of the tests.

#include "render/vector_level.h"

#include <algorithm>
#include <atomic>

namespace {
// -1 until a test pins a level; written by SetVectorLevelOverride on the test's thread
// between renders.
std::atomic<int32_t> gVectorOverride{-1};
}  // namespace

VectorLevel VectorLevelDetected() {
    // The library's check covers the operating system too: AVX counts only when the system
    // saves the wide registers on a thread switch.
    static const VectorLevel detected = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? VECTOR_AVX2 : VECTOR_PLAIN;
    }();
    return detected;
}

VectorLevel VectorLevelInUse() {
    const int32_t pinned = gVectorOverride.load(std::memory_order_relaxed);
    const VectorLevel detected = VectorLevelDetected();
    if (pinned < 0) return detected;
    return VectorLevel(std::min<int32_t>(pinned, detected));
}

void SetVectorLevelOverride(int32_t level) {
    gVectorOverride.store(level < 0 ? -1 : std::min<int32_t>(level, VECTOR_LEVEL_COUNT - 1),
                          std::memory_order_relaxed);
}
