// Kernel and recursive Gaussian blurs in place on numbered arrays, their line passes and the
// threads that run the passes.

#include "render/blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <emmintrin.h>

#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "render/pass_threads.h"
#include "render/recursive_sweep.h"

namespace {
// ln(1/255): a kernel weight falls to 1/255 at the distance s.
const double kLogOneIn255 = std::log(0.00392156862745098);
constexpr int32_t kTrimWeight = 10;  // trimmed tails: weights below this
// Lines are worked in small groups whose recursions run side by side: the filter is a chain
// of dependent steps, and several independent chains keep the processor busy. A group of
// rows covers whole rows, a group of columns 64 adjacent elements; up to 64 lanes in step
// keep the sweep's state in the first-level cache. Rows go 32 lanes at a time: as fast as 64,
// with half the lane buffer (which every thread keeps through a run).
constexpr int32_t kRowGroupLanes = 32;
constexpr int32_t kColumnGroupLanes = kBlurColumnGroupElements;
constexpr int32_t kMaxLanes = kMaxSweepLanes;
constexpr size_t kCacheLineBytes = 64;
struct BlurArray {
    uint8_t* data;
    int32_t elementBytes;  // 1 or 2
    int32_t x, y, z;       // columns and rows (with the border), channels
    int32_t max;           // 255 or 32768
};

bool OpenBlurArray(int32_t n, BlurArray* a) {
    if (n < 0 || n >= kArrayCount) return false;
    const NumberedArray& array = gArrays[n];
    if (!array.base || array.elementBytes > 2) return false;
    if (int64_t(array.xSize) * array.ySize * array.zSize * array.elementBytes > array.byteSize)
        return false;
    *a = {array.base,  array.elementBytes, array.xSize,
          array.ySize, array.zSize,        array.elementBytes == 1 ? 255 : 32768};
    return true;
}

// The lines of one pass: line l starts at element start(l) and its samples lie `stride`
// elements apart.
struct PassLines {
    int64_t count;       // lines in the pass
    int64_t stride;      // elements between samples of a line
    int32_t length;      // samples per line
    int32_t groupLanes;  // lines per group
    bool rows;           // rows (pass 1) or columns (pass 2)
};

PassLines RowLines(const BlurArray& a) {
    const int32_t lanes = a.z <= kMaxLanes ? std::max(1, kRowGroupLanes / a.z) * a.z : kMaxLanes;
    return {int64_t(a.y) * a.z, a.z, a.x, lanes, true};
}

PassLines ColumnLines(const BlurArray& a) {
    return {int64_t(a.x) * a.z, int64_t(a.x) * a.z, a.y, kColumnGroupLanes, false};
}

// Line l of a row pass is channel l mod z of row l / z; of a column pass, element l of the
// first row.
int64_t LineStart(const BlurArray& a, const PassLines& lines, int64_t l) {
    if (!lines.rows) return l;
    return (l / a.z) * int64_t(a.x) * a.z + l % a.z;
}

// --- Kernel blur ---------------------------------------------------------------------------

struct GaussianKernel {
    std::vector<int32_t> weights;  // 2h + 1
    int32_t h;
    int64_t sum;
};

double KernelSigmaSquared(int32_t radiusTenths) {
    const double s = std::fabs(radiusTenths / 10.0 * 2.0 + 1.0) + 1.0;
    return -(s * s) / (2.0 * kLogOneIn255);
}

GaussianKernel MakeKernel(int32_t radiusTenths, bool trim) {
    const double sigma2 = KernelSigmaSquared(radiusTenths);
    GaussianKernel k;
    k.h = GaussianKernelHalfWidth(radiusTenths);
    k.weights.assign(size_t(2 * k.h + 1), 0);
    k.weights[size_t(k.h)] = 255;
    for (int32_t d = 1; d <= k.h; ++d) {
        const int32_t w = int32_t(std::exp(-(double(d) * d) / (2.0 * sigma2)) * 255.0);
        k.weights[size_t(k.h - d)] = k.weights[size_t(k.h + d)] = w;
    }
    if (trim) {
        int32_t m = 0;
        for (int32_t j = 0; j <= k.h; ++j)
            if (k.weights[size_t(j)] < kTrimWeight) m = j + 1;
        if (m > 0) {
            k.h -= m;
            k.weights.assign(k.weights.begin() + m, k.weights.begin() + m + 2 * k.h + 1);
        }
    }
    k.sum = 0;
    for (int32_t w : k.weights) k.sum += w;
    return k;
}

// One line through the sliding buffer: mirrored around sample 0 at the start, fed from
// position p + h, and near the far end from position 2p - length (which the pass has already
// written). Every read is kept inside the line, whatever its length.
template <typename T>
void KernelLine(T* data, int64_t start, int64_t stride, int32_t length, const GaussianKernel& k,
                int32_t max, std::vector<int64_t>& buffer) {
    const int32_t h = k.h;
    auto at = [&](int64_t p) -> T& {
        return data[start + std::clamp<int64_t>(p, 0, length - 1) * stride];
    };
    buffer[size_t(h)] = at(0);
    for (int32_t d = 1; d <= h; ++d) buffer[size_t(h - d)] = buffer[size_t(h + d)] = at(d);
    for (int32_t p = 0; p < length; ++p) {
        buffer[size_t(2 * h)] = p < length - h ? at(int64_t(p) + h) : at(2 * int64_t(p) - length);
        int64_t total = 0;
        for (int32_t i = 0; i <= 2 * h; ++i) total += buffer[size_t(i)] * k.weights[size_t(i)];
        at(p) = T(std::clamp<int64_t>(total / k.sum, 0, max));
        std::memmove(buffer.data(), buffer.data() + 1, sizeof(int64_t) * size_t(2 * h));
    }
}

template <typename T>
void KernelPass(const BlurArray& a, const PassLines& lines, const GaussianKernel& k,
                int32_t threadIndex, int32_t threadCount) {
    T* data = reinterpret_cast<T*>(a.data);
    std::vector<int64_t> buffer(size_t(2 * k.h + 1));
    const int64_t groups = (lines.count + lines.groupLanes - 1) / lines.groupLanes;
    for (int64_t group = threadIndex; group < groups; group += threadCount) {
        const int64_t end = std::min(lines.count, (group + 1) * lines.groupLanes);
        for (int64_t l = group * lines.groupLanes; l < end; ++l)
            KernelLine(data, LineStart(a, lines, l), lines.stride, lines.length, k, a.max, buffer);
    }
}

void RunKernelPass(const BlurJob& job, int32_t threadIndex, bool rows) {
    BlurArray a;
    if (!OpenBlurArray(job.array, &a) || threadIndex < 0) return;
    if (GaussianKernelHalfWidth(job.radiusTenths) > kMaxKernelHalfWidth) return;
    const GaussianKernel k = MakeKernel(job.radiusTenths, job.flag != 0);
    const PassLines lines = rows ? RowLines(a) : ColumnLines(a);
    const int32_t n = std::max(1, job.threadCount);
    if (a.elementBytes == 1)
        KernelPass<uint8_t>(a, lines, k, threadIndex, n);
    else
        KernelPass<uint16_t>(a, lines, k, threadIndex, n);
}

// --- Recursive blur ------------------------------------------------------------------------

// A thread's filter state, written at every step: on cache lines of its own, since a line
// shared with another thread's data would travel between the processors at every step.
struct alignas(kCacheLineBytes) SweepState {
    double ring[3 * kMaxSweepLanes];
};
static_assert(sizeof(SweepState) % kCacheLineBytes == 0, "whole lines");

RecursiveFilter MakeRecursiveFilter(const BlurArray& a, int32_t radiusTenths) {
    const double q = radiusTenths / 10.0;
    const double q2 = q * q, q3 = q2 * q;
    const double b0 = 1.57825 + 2.44413 * q + 1.4281 * q2 + 0.422205 * q3;
    RecursiveFilter f;
    f.b1 = (2.44413 * q + 2.85619 * q2 + 1.26661 * q3) / b0;
    f.b2 = -(1.4281 * q2 + 1.26661 * q3) / b0;
    f.b3 = 0.422205 * q3 / b0;
    f.B = 1.0 - (f.b2 + f.b1 + f.b3);
    f.warmUp = std::max(0, std::min({radiusTenths / 10, a.x / 2, a.y / 2}));
    return f;
}

// Columns: a group is up to 64 adjacent elements of a row, filtered down all rows in place.
// Each thread takes one run of adjacent groups: rows seldom start on a cache line, so groups
// of different threads side by side would write to the same lines at nearly every step. With
// as many threads as groups, call g sweeps exactly group g (the fields' blur counts each group
// straight after its sweep).
void RecursiveColumns(const BlurArray& a, const RecursiveFilter& f, bool edge, int32_t threadIndex,
                      int32_t threadCount) {
    const PassLines lines = ColumnLines(a);
    const RecursiveSweepProc sweep = RecursiveSweepFor(VectorLevelInUse());
    SweepState state;
    LaneGroup g = {nullptr, a.elementBytes, lines.stride, 0, lines.length, a.max, edge, state.ring};
    const int64_t groups = (lines.count + lines.groupLanes - 1) / lines.groupLanes;
    const int64_t end = groups * (threadIndex + 1) / threadCount;
    for (int64_t group = groups * threadIndex / threadCount; group < end; ++group) {
        const int64_t first = group * lines.groupLanes;
        g.data = a.data + first * a.elementBytes;
        g.lanes = int32_t(std::min<int64_t>(lines.groupLanes, lines.count - first));
        sweep(g, f);
    }
}

// Channel c of pixel p of row r of a group goes to lane r * channels + c at sample p of the
// lane buffer, and back. Z is the channel count when it is one of the common few (the copy
// then runs without an inner loop), else 0. Row by row: the row's own pointers stay in
// registers, which byte stores through another pointer would otherwise force to be re-read.
template <typename T, int32_t Z>
void RowsToLanes(const T* const* rows, int32_t rowCount, int32_t channels, int32_t pixels,
                 int64_t pixelStep, T* lanes, int32_t laneStride) {
    const int32_t z = Z > 0 ? Z : channels;
    for (int32_t r = 0; r < rowCount; ++r) {
        const T* in = rows[r];
        T* out = lanes + r * z;
        for (int32_t p = 0; p < pixels; ++p)
            for (int32_t c = 0; c < z; ++c) out[size_t(p) * laneStride + c] = in[p * pixelStep + c];
    }
}

template <typename T, int32_t Z>
void LanesToRows(T* const* rows, int32_t rowCount, int32_t channels, int32_t pixels,
                 int64_t pixelStep, const T* lanes, int32_t laneStride) {
    const int32_t z = Z > 0 ? Z : channels;
    for (int32_t r = 0; r < rowCount; ++r) {
        T* out = rows[r];
        const T* in = lanes + r * z;
        for (int32_t p = 0; p < pixels; ++p)
            for (int32_t c = 0; c < z; ++c) out[p * pixelStep + c] = in[size_t(p) * laneStride + c];
    }
}

// Three channels move as four: the fourth element is the next pixel's first (or, in the
// buffer, the next row's first lane or a padding lane), which the next move writes again.
// The last pixel of a row goes element by element, so that no move reaches past the row.
// Only for pixels of exactly three channels, whose groups always leave a padding lane.
static_assert(kRowGroupLanes / 3 * 3 % kSweepVectorLanes != 0,
              "a padding lane after 3-channel rows");
template <typename T>
void RowsToLanes3(const T* const* rows, int32_t rowCount, int32_t, int32_t pixels, int64_t,
                  T* lanes, int32_t laneStride) {
    for (int32_t r = 0; r < rowCount; ++r) {
        const T* in = rows[r];
        T* out = lanes + r * 3;
        for (int32_t p = 0; p + 1 < pixels; ++p)
            std::memcpy(out + size_t(p) * laneStride, in + p * 3, 4 * sizeof(T));
        for (int32_t c = 0; c < 3; ++c)
            out[size_t(pixels - 1) * laneStride + c] = in[(pixels - 1) * 3 + c];
    }
}

template <typename T>
void LanesToRows3(T* const* rows, int32_t rowCount, int32_t, int32_t pixels, int64_t,
                  const T* lanes, int32_t laneStride) {
    for (int32_t r = 0; r < rowCount; ++r) {
        T* out = rows[r];
        const T* in = lanes + r * 3;
        for (int32_t p = 0; p + 1 < pixels; ++p)
            std::memcpy(out + p * 3, in + size_t(p) * laneStride, 4 * sizeof(T));
        for (int32_t c = 0; c < 3; ++c)
            out[(pixels - 1) * 3 + c] = in[size_t(pixels - 1) * laneStride + c];
    }
}

// Single-channel rows move in blocks of eight rows by eight samples, turned over in
// registers: element by element, every sample of a lane buffer's line would be a store of
// its own.
inline __m128i LoadEight(const uint8_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline __m128i LoadEight(const uint16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void StoreEight(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}
inline void StoreEight(uint16_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// v[k] holds line k's eight samples on entry and sample k of the eight lines on return.
inline void TurnEight(__m128i* v, uint16_t) {
    const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]), a1 = _mm_unpackhi_epi16(v[0], v[1]);
    const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]), a3 = _mm_unpackhi_epi16(v[2], v[3]);
    const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]), a5 = _mm_unpackhi_epi16(v[4], v[5]);
    const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]), a7 = _mm_unpackhi_epi16(v[6], v[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    v[0] = _mm_unpacklo_epi64(b0, b4);
    v[1] = _mm_unpackhi_epi64(b0, b4);
    v[2] = _mm_unpacklo_epi64(b1, b5);
    v[3] = _mm_unpackhi_epi64(b1, b5);
    v[4] = _mm_unpacklo_epi64(b2, b6);
    v[5] = _mm_unpackhi_epi64(b2, b6);
    v[6] = _mm_unpacklo_epi64(b3, b7);
    v[7] = _mm_unpackhi_epi64(b3, b7);
}

// The same for bytes, in the low halves of the registers.
inline void TurnEight(__m128i* v, uint8_t) {
    const __m128i a0 = _mm_unpacklo_epi8(v[0], v[1]), a1 = _mm_unpacklo_epi8(v[2], v[3]);
    const __m128i a2 = _mm_unpacklo_epi8(v[4], v[5]), a3 = _mm_unpacklo_epi8(v[6], v[7]);
    const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
    const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
    const __m128i c0 = _mm_unpacklo_epi32(b0, b2), c1 = _mm_unpackhi_epi32(b0, b2);
    const __m128i c2 = _mm_unpacklo_epi32(b1, b3), c3 = _mm_unpackhi_epi32(b1, b3);
    v[0] = c0;
    v[1] = _mm_unpackhi_epi64(c0, c0);
    v[2] = c1;
    v[3] = _mm_unpackhi_epi64(c1, c1);
    v[4] = c2;
    v[5] = _mm_unpackhi_epi64(c2, c2);
    v[6] = c3;
    v[7] = _mm_unpackhi_epi64(c3, c3);
}

template <typename T>
void RowsToLanes1(const T* const* rows, int32_t rowCount, int32_t, int32_t pixels, int64_t,
                  T* lanes, int32_t laneStride) {
    int32_t r0 = 0;
    for (; r0 + 8 <= rowCount; r0 += 8) {
        int32_t p = 0;
        for (; p + 8 <= pixels; p += 8) {
            __m128i v[8];
            for (int32_t k = 0; k < 8; ++k) v[k] = LoadEight(rows[r0 + k] + p);
            TurnEight(v, T());
            for (int32_t k = 0; k < 8; ++k)
                StoreEight(lanes + size_t(p + k) * laneStride + r0, v[k]);
        }
        for (; p < pixels; ++p)
            for (int32_t k = 0; k < 8; ++k)
                lanes[size_t(p) * laneStride + r0 + k] = rows[r0 + k][p];
    }
    RowsToLanes<T, 1>(rows + r0, rowCount - r0, 1, pixels, 1, lanes + r0, laneStride);
}

template <typename T>
void LanesToRows1(T* const* rows, int32_t rowCount, int32_t, int32_t pixels, int64_t,
                  const T* lanes, int32_t laneStride) {
    int32_t r0 = 0;
    for (; r0 + 8 <= rowCount; r0 += 8) {
        int32_t p = 0;
        for (; p + 8 <= pixels; p += 8) {
            __m128i v[8];
            for (int32_t k = 0; k < 8; ++k)
                v[k] = LoadEight(lanes + size_t(p + k) * laneStride + r0);
            TurnEight(v, T());
            for (int32_t k = 0; k < 8; ++k) StoreEight(rows[r0 + k] + p, v[k]);
        }
        for (; p < pixels; ++p)
            for (int32_t k = 0; k < 8; ++k)
                rows[r0 + k][p] = lanes[size_t(p) * laneStride + r0 + k];
    }
    LanesToRows<T, 1>(rows + r0, rowCount - r0, 1, pixels, 1, lanes + r0, laneStride);
}

template <typename T>
struct LaneCopies {
    using In = void (*)(const T* const*, int32_t, int32_t, int32_t, int64_t, T*, int32_t);
    using Out = void (*)(T* const*, int32_t, int32_t, int32_t, int64_t, const T*, int32_t);
    In in;
    Out out;
};

// Indexed by the channel count; 0 for any other. Pixels of three channels move as four
// only when whole pixels are copied (not a block of a wider pixel's channels).
template <typename T>
LaneCopies<T> LaneCopiesFor(int32_t channels, int64_t pixelStep) {
    if (channels == 3 && pixelStep != 3) return {RowsToLanes<T, 3>, LanesToRows<T, 3>};
    if (channels == 1 && pixelStep == 1) return {RowsToLanes1<T>, LanesToRows1<T>};
    static const LaneCopies<T> kCopies[] = {{RowsToLanes<T, 0>, LanesToRows<T, 0>},
                                            {RowsToLanes<T, 1>, LanesToRows<T, 1>},
                                            {RowsToLanes<T, 2>, LanesToRows<T, 2>},
                                            {RowsToLanes3<T>, LanesToRows3<T>},
                                            {RowsToLanes<T, 4>, LanesToRows<T, 4>}};
    return kCopies[channels >= 1 && channels <= 4 ? channels : 0];
}

// Made rows go into the lane buffer this many at a time: the single-channel copy turns blocks
// of eight rows, and eight rows stay in the nearest caches between being made and copied.
constexpr int32_t kMadeRows = 8;

// Rows: a group of whole rows is copied side by side into a buffer (sample p of every lane
// in one run), filtered there like columns, and copied back. The buffer's lanes are padded
// to whole vector steps; the padding lanes hold levels too and are never copied back. The
// rows are read from `from`, laid out as a (a's own data when blurring in place), or made by
// maker group by group, as the threads claim the groups.
template <typename T>
void RecursiveRows(const BlurArray& a, const RecursiveFilter& f, bool edge, int32_t threadIndex,
                   int32_t threadCount, const uint8_t* from, const BlurRowMaker* maker) {
    const int64_t rowElements = int64_t(a.x) * a.z;
    const int32_t rowsPerGroup = a.z <= kMaxLanes ? std::max(1, kRowGroupLanes / a.z) : 1;
    const int32_t chunk = std::min(a.z, kMaxLanes);  // channels per lane block
    const int32_t laneStride = (std::min(rowsPerGroup * a.z, kMaxLanes) + kSweepVectorLanes - 1) /
                               kSweepVectorLanes * kSweepVectorLanes;
    // The pool's threads keep their buffer from blur to blur: its pages are faulted in once a
    // run. Made rows wait in a block of their own after the lane buffer.
    const size_t bufferElements = size_t(a.x) * size_t(laneStride);
    const size_t madeElements = maker ? size_t(kMadeRows) * size_t(rowElements) : 0;
    std::vector<T> own;
    T* buffer =
        static_cast<T*>(WorkerScratch(threadIndex, (bufferElements + madeElements) * sizeof(T)));
    if (!buffer) {
        own.resize(bufferElements + madeElements);
        buffer = own.data();
    }
    T* const made = buffer + bufferElements;
    const RecursiveSweepProc sweep = RecursiveSweepFor(VectorLevelInUse());
    SweepState state;
    LaneGroup g = {buffer, a.elementBytes, laneStride, 0, a.x, a.max, edge, state.ring};
    T* data = reinterpret_cast<T*>(a.data);
    const T* source = reinterpret_cast<const T*>(from);
    T* rows[kMaxLanes];
    const T* sourceRows[kMaxLanes];
    auto blurGroup = [&](int32_t row0, int32_t rowCount) {
        // Very wide pixels (more than 64 channels) go through in blocks of channels.
        for (int32_t c0 = 0; c0 < a.z; c0 += chunk) {
            const int32_t channels = std::min(chunk, a.z - c0);
            const LaneCopies<T> copies = LaneCopiesFor<T>(channels, a.z);
            for (int32_t r = 0; r < rowCount; ++r) {
                rows[r] = data + (row0 + r) * rowElements + c0;
                sourceRows[r] = source + (row0 + r) * rowElements + c0;
            }
            g.lanes = std::min(laneStride, (rowCount * channels + kSweepVectorLanes - 1) /
                                               kSweepVectorLanes * kSweepVectorLanes);
            if (!maker) {
                copies.in(sourceRows, rowCount, channels, a.x, a.z, buffer, laneStride);
            } else {
                // A made row's pixels are whole (all channels in one block): lane r * channels
                // + c of the buffer, as the copy of the whole group puts them.
                for (int32_t r0 = 0; r0 < rowCount; r0 += kMadeRows) {
                    const int32_t count = std::min(kMadeRows, rowCount - r0);
                    for (int32_t r = 0; r < count; ++r) {
                        T* row = made + size_t(r) * size_t(rowElements);
                        maker->make(maker->context, threadIndex, row0 + r0 + r,
                                    reinterpret_cast<uint16_t*>(row));
                        sourceRows[r] = row;
                    }
                    copies.in(sourceRows, count, channels, a.x, a.z, buffer + r0 * channels,
                              laneStride);
                }
            }
            sweep(g, f);
            copies.out(rows, rowCount, channels, a.x, a.z, buffer, laneStride);
        }
    };
    if (maker) {
        for (;;) {
            const int32_t row0 =
                maker->nextGroup->fetch_add(1, std::memory_order_relaxed) * rowsPerGroup;
            if (row0 >= a.y) break;
            blurGroup(row0, std::min(rowsPerGroup, a.y - row0));
        }
        return;
    }
    // Each thread takes one run of adjacent rows, as many as any other within one: the threads
    // end together, and each reads and writes on through memory.
    const int32_t firstRow = int32_t(int64_t(a.y) * threadIndex / threadCount);
    const int32_t endRow = int32_t(int64_t(a.y) * (threadIndex + 1) / threadCount);
    for (int32_t row0 = firstRow; row0 < endRow; row0 += rowsPerGroup)
        blurGroup(row0, std::min(rowsPerGroup, endRow - row0));
}

// from: the array whose rows pass 1 reads (the job's own when it blurs in place); maker: what
// makes them instead (2-byte elements only).
void RunRecursivePass(const BlurJob& job, int32_t threadIndex, bool rows, const BlurArray* from,
                      const BlurRowMaker* maker = nullptr) {
    BlurArray a;
    if (job.radiusTenths == 0 || !OpenBlurArray(job.array, &a) || threadIndex < 0) return;
    const RecursiveFilter f = MakeRecursiveFilter(a, job.radiusTenths);
    const int32_t n = std::max(1, job.threadCount);
    const bool edge = job.flag != 0;
    const uint8_t* source = from ? from->data : a.data;
    if (a.elementBytes == 1) {
        if (rows)
            RecursiveRows<uint8_t>(a, f, edge, threadIndex, n, source, nullptr);
        else
            RecursiveColumns(a, f, edge, threadIndex, n);
    } else {
        if (rows)
            RecursiveRows<uint16_t>(a, f, edge, threadIndex, n, source, maker);
        else
            RecursiveColumns(a, f, edge, threadIndex, n);
    }
}

// The array source when job's rows can be read from it: laid out as the job's array.
bool OpenSourceArray(const BlurJob& job, int32_t source, BlurArray* from) {
    BlurArray a;
    if (job.radiusTenths == 0 || !OpenBlurArray(job.array, &a) || !OpenBlurArray(source, from))
        return false;
    return from->elementBytes == a.elementBytes && from->x == a.x && from->y == a.y &&
           from->z == a.z;
}

// --- Threads -------------------------------------------------------------------------------

using BlurPassProc = void (*)(const BlurJob& job, int32_t threadIndex);

struct BlurPasses {
    const BlurJob* job;
    BlurPassProc rows;
    BlurPassProc columns;
};

void BlurRowsThread(void* context, int32_t threadIndex) {
    const BlurPasses* passes = static_cast<const BlurPasses*>(context);
    passes->rows(*passes->job, threadIndex);
}

void BlurColumnsThread(void* context, int32_t threadIndex) {
    const BlurPasses* passes = static_cast<const BlurPasses*>(context);
    passes->columns(*passes->job, threadIndex);
}

// Both passes on one set of threads: making threads costs milliseconds under Wine.
void RunBlurPasses(const BlurJob& job, BlurPassProc rows, BlurPassProc columns) {
    BlurPasses passes = {&job, rows, columns};
    static const PassThreadProc kPasses[2] = {BlurRowsThread, BlurColumnsThread};
    RunPassSequence(job.threadCount, kPasses, 2, &passes);
}

bool BlurAcceptsArray(int32_t n) {
    BlurArray a;
    return OpenBlurArray(n, &a);
}
}  // namespace

int32_t GaussianKernelHalfWidth(int32_t radiusTenths) {
    const double sigma2 = KernelSigmaSquared(radiusTenths);
    const double h = std::ceil(std::sqrt(-kLogOneIn255 * 2.0 * sigma2));
    return h > 1e6 ? 1000000 : int32_t(h);
}

void GaussianBlurPass1(const BlurJob& job, int32_t threadIndex) {
    RunKernelPass(job, threadIndex, true);
}
void GaussianBlurPass2(const BlurJob& job, int32_t threadIndex) {
    RunKernelPass(job, threadIndex, false);
}
void RecursiveBlurPass1(const BlurJob& job, int32_t threadIndex) {
    RunRecursivePass(job, threadIndex, true, nullptr);
}
void RecursiveBlurPass2(const BlurJob& job, int32_t threadIndex) {
    RunRecursivePass(job, threadIndex, false, nullptr);
}

bool RecursiveBlurReadsFrom(const BlurJob& job, int32_t source) {
    BlurArray from;
    return OpenSourceArray(job, source, &from);
}

void RecursiveBlurPass1From(const BlurJob& job, int32_t source, int32_t threadIndex) {
    BlurArray from;
    if (OpenSourceArray(job, source, &from)) RunRecursivePass(job, threadIndex, true, &from);
}

bool RecursiveBlurMakesRows(const BlurJob& job) {
    BlurArray a;
    return job.radiusTenths != 0 && OpenBlurArray(job.array, &a) && a.elementBytes == 2 &&
           a.z <= kMaxLanes;
}

void RecursiveBlurPass1Made(const BlurJob& job, const BlurRowMaker& maker, int32_t threadIndex) {
    if (RecursiveBlurMakesRows(job)) RunRecursivePass(job, threadIndex, true, nullptr, &maker);
}

int32_t GaussianBlurMT(int32_t n, int32_t radiusTenths, int32_t trim, int32_t multiProcessor) {
    if (!BlurAcceptsArray(n) || GaussianKernelHalfWidth(radiusTenths) > kMaxKernelHalfWidth)
        return 0;
    const BlurJob job = {n, radiusTenths, trim, PassThreadCount(multiProcessor)};
    RunBlurPasses(job, GaussianBlurPass1, GaussianBlurPass2);
    return 1;
}

int32_t RecursiveBlurMT(int32_t n, int32_t radiusTenths, int32_t multiProcessor, int32_t edge) {
    if (!BlurAcceptsArray(n)) return 0;
    if (radiusTenths == 0) return 1;
    const BlurJob job = {n, radiusTenths, edge, PassThreadCount(multiProcessor)};
    RunBlurPasses(job, RecursiveBlurPass1, RecursiveBlurPass2);
    return 1;
}

void RecursiveBlurPass1Job(int32_t threadIndex) {
    const BlurJob job = {gJob.poolParameters[1], gJob.poolParameters[2], gJob.poolParameters[3],
                         gJob.threadCount};
    RecursiveBlurPass1(job, threadIndex);
}

void RecursiveBlurPass2Job(int32_t threadIndex) {
    const BlurJob job = {gJob.poolParameters[1], gJob.poolParameters[2], gJob.poolParameters[3],
                         gJob.threadCount};
    RecursiveBlurPass2(job, threadIndex);
}
