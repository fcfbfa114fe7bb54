// The body of the recursive sweeps, compiled into each vector build of recursive_sweep: four
// lanes a vector step, in two 128-bit registers (SSE2) or one 256-bit register (AVX2), and
// eight in one 512-bit register where the build has them (AVX-512). Its
// functions have internal linkage: a wide build's copy must never stand in for the plain one.
#pragma once

#include <emmintrin.h>
#if defined(__AVX2__) || defined(__AVX512F__)
#include <immintrin.h>
#endif

#include <cstdint>
#include <cstring>

#include "render/recursive_sweep.h"

namespace {
// Stored levels are truncated, but a sum that should be a whole level can come out a hair
// below it (the filter's weights cancel at large radii); without this slack such a level
// would drop by one at every sweep and a flat area would darken.
constexpr double kTruncationSlack = 1e-6;
// A group's lanes past the last multiple of four take the one-lane step, which does the same
// arithmetic.
constexpr int32_t kQuadLanes = kSweepVectorLanes;
// Samples a sweep asks the memory for ahead of its step. A column's samples lie a row apart,
// each on a page of its own, where the processor's own prefetching does not follow; without
// the request a column sweep waits for memory at nearly every step.
constexpr int64_t kPrefetchSteps = 12;
constexpr int32_t kCacheLineBytes = 64;

#if defined(__AVX2__)
struct Quad {
    __m256d v;
};
inline Quad QuadSet(double x) {
    return {_mm256_set1_pd(x)};
}
inline Quad QuadLoad(const double* p) {
    return {_mm256_loadu_pd(p)};
}
inline void QuadStore(double* p, Quad q) {
    _mm256_storeu_pd(p, q.v);
}
inline Quad operator+(Quad a, Quad b) {
    return {_mm256_add_pd(a.v, b.v)};
}
inline Quad operator*(Quad a, Quad b) {
    return {_mm256_mul_pd(a.v, b.v)};
}
inline Quad QuadFromInts(__m128i i) {
    return {_mm256_cvtepi32_pd(i)};
}
// Four whole levels 0..top as 32-bit integers: the value plus the slack, clamped, truncated.
inline __m128i QuadLevels(Quad y, Quad slack, Quad top) {
    const __m256d v = _mm256_add_pd(y.v, slack.v);
    return _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(v, _mm256_setzero_pd()), top.v));
}
inline __m128i LevelsToWords(__m128i levels) {
    return _mm_packus_epi32(levels, levels);
}
#else
struct Quad {
    __m128d lo, hi;
};
inline Quad QuadSet(double x) {
    return {_mm_set1_pd(x), _mm_set1_pd(x)};
}
inline Quad QuadLoad(const double* p) {
    return {_mm_loadu_pd(p), _mm_loadu_pd(p + 2)};
}
inline void QuadStore(double* p, Quad q) {
    _mm_storeu_pd(p, q.lo);
    _mm_storeu_pd(p + 2, q.hi);
}
inline Quad operator+(Quad a, Quad b) {
    return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)};
}
inline Quad operator*(Quad a, Quad b) {
    return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)};
}
inline Quad QuadFromInts(__m128i i) {
    return {_mm_cvtepi32_pd(i), _mm_cvtepi32_pd(_mm_shuffle_epi32(i, _MM_SHUFFLE(3, 2, 3, 2)))};
}
inline __m128i QuadLevels(Quad y, Quad slack, Quad top) {
    const __m128d zero = _mm_setzero_pd();
    const __m128d lo = _mm_min_pd(_mm_max_pd(_mm_add_pd(y.lo, slack.lo), zero), top.lo);
    const __m128d hi = _mm_min_pd(_mm_max_pd(_mm_add_pd(y.hi, slack.hi), zero), top.hi);
    return _mm_unpacklo_epi64(_mm_cvttpd_epi32(lo), _mm_cvttpd_epi32(hi));
}
// SSE2 packs 32-bit integers only with signed saturation, which would turn 32768 into 32767:
// the levels are packed 32768 lower and the sign bit flipped back.
inline __m128i LevelsToWords(__m128i levels) {
    const __m128i shifted = _mm_sub_epi32(levels, _mm_set1_epi32(32768));
    return _mm_xor_si128(_mm_packs_epi32(shifted, shifted), _mm_set1_epi16(-32768));
}
#endif

// Four samples in, four levels out.
inline __m128i QuadLoadInts(const uint8_t* s) {
    int32_t word;
    std::memcpy(&word, s, sizeof word);
    const __m128i bytes = _mm_cvtsi32_si128(word);
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
}
inline __m128i QuadLoadInts(const uint16_t* s) {
    const __m128i words = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
    return _mm_unpacklo_epi16(words, _mm_setzero_si128());
}
inline void QuadStoreLevels(uint8_t* s, __m128i levels) {
    const __m128i words = _mm_packs_epi32(levels, levels);  // levels of 0..255 fit
    const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(s, &word, sizeof word);
}
inline void QuadStoreLevels(uint16_t* s, __m128i levels) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(s), LevelsToWords(levels));
}

#if defined(__AVX512F__)
// Eight lanes a step in one 512-bit register, for the builds that have them: the same
// operations as four-lane steps, lane for lane.
inline __m512d OctFromInts(const uint8_t* s) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
    return _mm512_cvtepi32_pd(_mm256_cvtepu8_epi32(bytes));
}
inline __m512d OctFromInts(const uint16_t* s) {
    const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    return _mm512_cvtepi32_pd(_mm256_cvtepu16_epi32(words));
}
template <typename T>
inline void OctStoreLevels(T* s, __m512d y, __m512d slack, __m512d top) {
    const __m512d v = _mm512_add_pd(y, slack);
    const __m256i levels =
        _mm512_cvttpd_epi32(_mm512_min_pd(_mm512_max_pd(v, _mm512_setzero_pd()), top));
    QuadStoreLevels(s, _mm256_castsi256_si128(levels));
    QuadStoreLevels(s + 4, _mm256_extracti128_si256(levels, 1));
}
#endif

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
    int32_t quadLanes;  // lanes taken four at a time
    int32_t max;
    const RecursiveFilter& f;
    SweepRing ring;

    void Hold(int64_t p) {
        const T* s = base + p * stride;
        for (int32_t k = 0; k < lanes; ++k) ring.y1[k] = ring.y2[k] = ring.y3[k] = s[k];
    }
    // y = B s + b1 y1 + b2 y2 + b3 y3, summed in this order in every build and lane; with
    // kStore the new outputs are stored as levels.
    // Asks for sample p's lines; p may lie outside the line (a prefetch never faults).
    void Prefetch(int64_t p) const {
        const uintptr_t s = reinterpret_cast<uintptr_t>(base) + uintptr_t(p * stride) * sizeof(T);
        for (int32_t b = 0; b < lanes * int32_t(sizeof(T)); b += kCacheLineBytes)
            _mm_prefetch(reinterpret_cast<const char*>(s + uintptr_t(b)), _MM_HINT_T0);
    }
    template <bool kStore>
    void Step(int64_t p) {
        T* s = base + p * stride;
        const double* y1 = ring.y1;
        const double* y2 = ring.y2;
        double* y3 = ring.y3;
        const Quad B = QuadSet(f.B), b1 = QuadSet(f.b1), b2 = QuadSet(f.b2), b3 = QuadSet(f.b3);
        const Quad slack = QuadSet(kTruncationSlack), top = QuadSet(max);
        int32_t k = 0;
#if defined(__AVX512F__)
        const __m512d B8 = _mm512_set1_pd(f.B), b18 = _mm512_set1_pd(f.b1);
        const __m512d b28 = _mm512_set1_pd(f.b2), b38 = _mm512_set1_pd(f.b3);
        const __m512d slack8 = _mm512_set1_pd(kTruncationSlack), top8 = _mm512_set1_pd(max);
        for (; k + 2 * kQuadLanes <= quadLanes; k += 2 * kQuadLanes) {
            const __m512d in = OctFromInts(s + k);
            __m512d y = _mm512_mul_pd(B8, in);
            y = _mm512_add_pd(y, _mm512_mul_pd(b18, _mm512_loadu_pd(y1 + k)));
            y = _mm512_add_pd(y, _mm512_mul_pd(b28, _mm512_loadu_pd(y2 + k)));
            y = _mm512_add_pd(y, _mm512_mul_pd(b38, _mm512_loadu_pd(y3 + k)));
            _mm512_storeu_pd(y3 + k, y);
            if (kStore) OctStoreLevels(s + k, y, slack8, top8);
        }
#endif
        for (; k < quadLanes; k += kQuadLanes) {
            const Quad in = QuadFromInts(QuadLoadInts(s + k));
            const Quad y =
                B * in + b1 * QuadLoad(y1 + k) + b2 * QuadLoad(y2 + k) + b3 * QuadLoad(y3 + k);
            QuadStore(y3 + k, y);
            if (kStore) QuadStoreLevels(s + k, QuadLevels(y, slack, top));
        }
        for (; k < lanes; ++k) {
            const double y = f.B * s[k] + f.b1 * y1[k] + f.b2 * y2[k] + f.b3 * y3[k];
            y3[k] = y;
            if (kStore) {
                const double v = y + kTruncationSlack;
                s[k] = T(v <= 0.0 ? 0 : v >= double(max) ? max : int32_t(v));
            }
        }
        ring.Rotate();
    }
};

template <typename T>
void SweepLanes(const LaneGroup& group, const RecursiveFilter& f) {
    SweepKernel<T> g = {static_cast<T*>(group.data),
                        group.stride,
                        group.lanes,
                        group.lanes / kQuadLanes * kQuadLanes,
                        group.max,
                        f,
                        {group.ring, group.ring + kMaxSweepLanes, group.ring + 2 * kMaxSweepLanes}};
    const int64_t last = group.length - 1;
    const int32_t w = f.warmUp;
    if (group.edge) {
        // The line's first sample, repeated: the line seems to go on beyond it.
        g.Hold(0);
        for (int32_t i = 0; i < 2 * w; ++i) g.template Step<false>(0);
    } else {
        // Started from the samples 2W .. 1 before sample 0, a mirror of the line's start;
        // when 2W reaches the line's length its last sample stands in.
        g.Hold(2 * int64_t(w) < last ? 2 * int64_t(w) : last);
        for (int64_t p = 2 * int64_t(w); p >= 1; --p) g.template Step<false>(p < last ? p : last);
    }
    for (int64_t p = 0; p <= last; ++p) {
        g.Prefetch(p + kPrefetchSteps);
        g.template Step<true>(p);
    }
    if (group.edge)
        for (int32_t i = 0; i < w; ++i) g.template Step<false>(last);
    for (int64_t p = last; p >= 0; --p) {
        g.Prefetch(p - kPrefetchSteps);
        g.template Step<true>(p);
    }
}

inline void SweepGroup(const LaneGroup& group, const RecursiveFilter& f) {
    if (group.elementBytes == 1)
        SweepLanes<uint8_t>(group, f);
    else
        SweepLanes<uint16_t>(group, f);
}
}  // namespace
