// The body of the recursive sweeps, compiled into each vector build of recursive_sweep. Its
// functions have internal linkage: a wide build's copy must never stand in for the plain one.
#pragma once

#include <cstdint>

#include "render/recursive_sweep.h"

namespace {
// Stored levels are truncated, but a sum that should be a whole level can come out a hair
// below it (the filter's weights cancel at large radii); without this slack such a level
// would drop by one at every sweep and a flat area would darken.
constexpr double kTruncationSlack = 1e-6;

// The filter's last three outputs per lane. The newest output overwrites the oldest and the
// roles rotate, instead of every lane's state moving down one place at each step.
struct SweepRing {
    double* y1;
    double* y2;
    double* y3;

    void Rotate() {
        double* oldest = y3;
        y3 = y2;
        y2 = y1;
        y1 = oldest;
    }
};

template <typename T>
struct SweepKernel {
    T* base;
    int64_t stride;
    int32_t lanes;
    const RecursiveFilter& f;
    SweepRing ring;

    void Hold(int64_t p) {
        const T* s = base + p * stride;
        for (int32_t k = 0; k < lanes; ++k) ring.y1[k] = ring.y2[k] = ring.y3[k] = s[k];
    }
    // y = B s + b1 y1 + b2 y2 + b3 y3, summed in this order in every build.
    void Step(int64_t p) {
        const T* __restrict s = base + p * stride;
        const double* __restrict y1 = ring.y1;
        const double* __restrict y2 = ring.y2;
        double* __restrict y3 = ring.y3;
        const double B = f.B, b1 = f.b1, b2 = f.b2, b3 = f.b3;
        for (int32_t k = 0; k < lanes; ++k) y3[k] = B * s[k] + b1 * y1[k] + b2 * y2[k] + b3 * y3[k];
        ring.Rotate();
    }
    void StepAndStore(int64_t p, int32_t max) {
        Step(p);
        T* __restrict s = base + p * stride;
        const double* __restrict y = ring.y1;
        const double top = max;
        for (int32_t k = 0; k < lanes; ++k) {
            const double v = y[k] + kTruncationSlack;
            s[k] = T(v <= 0.0 ? 0 : v >= top ? max : int32_t(v));
        }
    }
};

template <typename T>
void SweepLanes(const LaneGroup& group, const RecursiveFilter& f) {
    SweepKernel<T> g = {static_cast<T*>(group.data),
                        group.stride,
                        group.lanes,
                        f,
                        {group.ring, group.ring + kMaxSweepLanes, group.ring + 2 * kMaxSweepLanes}};
    const int64_t last = group.length - 1;
    const int32_t w = f.warmUp;
    if (group.edge) {
        // The line's first sample, repeated: the line seems to go on beyond it.
        g.Hold(0);
        for (int32_t i = 0; i < 2 * w; ++i) g.Step(0);
    } else {
        // Started from the samples 2W .. 1 before sample 0, a mirror of the line's start;
        // when 2W reaches the line's length its last sample stands in.
        g.Hold(2 * int64_t(w) < last ? 2 * int64_t(w) : last);
        for (int64_t p = 2 * int64_t(w); p >= 1; --p) g.Step(p < last ? p : last);
    }
    for (int64_t p = 0; p <= last; ++p) g.StepAndStore(p, group.max);
    if (group.edge)
        for (int32_t i = 0; i < w; ++i) g.Step(last);
    for (int64_t p = last; p >= 0; --p) g.StepAndStore(p, group.max);
}

inline void SweepGroup(const LaneGroup& group, const RecursiveFilter& f) {
    if (group.elementBytes == 1)
        SweepLanes<uint8_t>(group, f);
    else
        SweepLanes<uint16_t>(group, f);
}
}  // namespace
