// The recursive filter's sweeps over a group of lines filtered side by side: the inner loop
// of the recursive blur, built once for SSE2 and once for AVX2, chosen at run time.
#pragma once

#include <cstdint>

#include "render/vector_level.h"

constexpr int32_t kMaxSweepLanes = 64;
// Lanes of one vector step: groups whose lane count is a multiple of it take no one-lane
// steps.
constexpr int32_t kSweepVectorLanes = 4;

// The third-order filter's coefficients; made by the blur for one radius.
struct RecursiveFilter {
    double B, b1, b2, b3;
    int32_t warmUp;  // W: steps before each sweep, from both dimensions
};

// Lines filtered in step: lane k's sample p lies at data[p * stride + k], elements of
// elementBytes (1 or 2). ring holds 3 x kMaxSweepLanes doubles of the caller's, the
// filter's state (its contents on entry do not matter).
struct LaneGroup {
    void* data;
    int32_t elementBytes;
    int64_t stride;
    int32_t lanes;   // 1..kMaxSweepLanes
    int32_t length;  // samples per line
    int32_t max;     // 255 or 32768
    bool edge;       // start each sweep from the end sample repeated (else mirrored)
    double* ring;
};

using RecursiveSweepProc = void (*)(const LaneGroup& group, const RecursiveFilter& filter);

// Forward and backward sweep of every lane, in place.
void RecursiveSweepPlain(const LaneGroup& group, const RecursiveFilter& filter);
void RecursiveSweepAvx2(const LaneGroup& group, const RecursiveFilter& filter);
void RecursiveSweepAvx512(const LaneGroup& group, const RecursiveFilter& filter);

// True when the processor and the system run RecursiveSweepAvx512.
bool RecursiveSweepHasAvx512();
// The sweep of the given level (all give the same samples); the wide level takes the
// 512-bit build where it runs.
RecursiveSweepProc RecursiveSweepFor(VectorLevel level);
