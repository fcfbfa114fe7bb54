// The widest vector instructions this processor and system offer, chosen once per process:
// kernels with a wider build take it, and the plain build (SSE2) stays the reference.
#pragma once

#include <cstdint>

enum VectorLevel : int32_t {
    VECTOR_PLAIN = 0,  // SSE2, which every processor running either build has
    VECTOR_AVX2 = 1,   // 256-bit registers, when the processor and the system save them
    VECTOR_LEVEL_COUNT
};

// The level the kernels use: the detected one, or the one a test pinned.
VectorLevel VectorLevelInUse();
// The widest level this machine runs.
VectorLevel VectorLevelDetected();
// Pins the level (tests compare the wide kernels with the plain ones); below 0 restores the
// detected level. A level above the detected one is lowered to it.
void SetVectorLevelOverride(int32_t level);
