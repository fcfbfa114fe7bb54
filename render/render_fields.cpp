// Grain and frame fields: noise or edge patterns made by the pool's jobs, blurred and
// stretched, on the host's thread before the pipeline runs.

#include "render/render_fields.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "effect/control_ids.h"
#include "render/session_state.h"
#include "host/field_row_stores.h"
#include "host/maths_builtins.h"
#include "host/numbered_arrays.h"
#include "host/pool_jobs.h"
#include "host/random_source.h"
#include "host/sampling.h"
#include "host/worker_threads.h"
#include "render/blur.h"
#include "render/pass_threads.h"
#include "render/render_timeline.h"

namespace {
constexpr int32_t kFieldMax = 32768;
constexpr int32_t kFieldLevels = kFieldMax + 1;
constexpr int32_t kRandomEdgeShape = 6;

// The field job under way and its name in the timeline; written before the job starts.
ThreadRoutine gFieldRoutine = nullptr;
const char* gFieldLabel = "";

void TimedFieldRoutine(int32_t index) {
    const int64_t start = TimelineTicks();
    gFieldRoutine(index);
    RenderTimelineSpan(index, gFieldLabel, start);
}

// One job on all workers: threads made for it outside thumbnail rendering, the sleeping
// pool while thumbnails render. Parameters 1..6 of the pool job.
void RunFieldJob(ThreadRoutine routine, bool all, bool barrier,
                 std::initializer_list<int32_t> parameters, const char* label = "field job") {
    int32_t n = 1;
    for (int32_t p : parameters) gJob.poolParameters[n++] = p;
    gFieldRoutine = routine;
    gFieldLabel = label;
    if (gSession.thumbnailRendering)
        RunPoolRoutine(TimedFieldRoutine, all, barrier);
    else
        RunParallel(TimedFieldRoutine, all, 0, 0, barrier);
}

void BlurField(int32_t array, int32_t radiusTenths, bool all) {
    if (gSession.thumbnailRendering) {
        RunFieldJob(RecursiveBlurPass1Job, all, false, {array, radiusTenths, 0});
        RunFieldJob(RecursiveBlurPass2Job, all, false, {array, radiusTenths, 0});
    } else {
        RecursiveBlurMT(array, radiusTenths, all ? 1 : 0, 0);
    }
}

int32_t BlurRadius(double amount, int32_t zoom) {
    return int32_t(std::floor((amount + zoom) / (zoom * 2.0)));
}

bool ShapedFrame(const int32_t* v) {
    if (v[CTL_FRAME_EDGE_SHAPE] == 0) return false;
    const bool edges = v[CTL_FRAME_OUTER_EDGE] != 0 || v[CTL_FRAME_MIDDLE_EDGE] != 0 ||
                       v[CTL_FRAME_INNER_EDGE] != 0;
    if (v[CTL_FRAME_ROUNDNESS] < 11 && !edges) return false;
    return v[CTL_FRAME_OUTSIDE] != 0 || v[CTL_FRAME_BORDER] != 0 || v[CTL_FRAME_INSIDE] != 0;
}

// The edge pattern's cells (ARRAY_FRAME_SHAPE): random or one of the gradient masks, on a grid
// the size of the frame's cells. The bands sample it at each pixel they classify.
bool MakeEdgePattern(const RenderPlan& plan, const int32_t* v, int32_t imageWidth,
                     int32_t imageHeight, int32_t wholeWidth, int32_t wholeHeight) {
    int32_t gw = 0, gh = 0;
    FrameGridSize(wholeWidth, wholeHeight, v[CTL_FRAME_SIZE], v[CTL_FRAME_RECTANGULAR] != 0, &gw,
                  &gh);
    if (plan.thumbnails && imageWidth < gw && imageHeight < gh) {
        gw = imageWidth;
        gh = imageHeight;
    }
    if (!CreateArray(ARRAY_FRAME_SHAPE, gw, gh, 1, 1)) return false;
    const int32_t shape = v[CTL_FRAME_EDGE_SHAPE];
    if (shape == kRandomEdgeShape)
        RunFieldJob(GrainPassJob, plan.multiProcessor, true,
                    {ARRAY_FRAME_SHAPE, gw, gh, 0, v[CTL_FRAME_SEED], 255}, "edge pattern");
    else
        RunFieldJob(GradientMaskJob, plan.multiProcessor, false, {ARRAY_FRAME_SHAPE, shape});
    return true;
}

// Outside the rectangle widened by d on every side.
bool Outside(const FrameRects& r, int32_t band, int32_t x, int32_t y, int32_t d) {
    return x < r.left[band] - d || x > r.right[band] + d || y < r.top[band] - d ||
           y > r.bottom[band] + d;
}

// Rows of the bands handed out at a time: enough that a thread's spline rows serve several
// output rows (a pattern cell spans tens of rows), few enough that the last ones balance.
constexpr int32_t kFrameBlockRows = 16;

// The band job: written before the job starts, read-only while it runs but for the counter of
// claimed row blocks.
struct FrameBandJob {
    int32_t left, top, right, bottom;  // the rectangle
    FrameRects rects;
    bool edges, nearest, borderOnly, outside, border, inside;
    bool stream;        // the band insides streamed past the caches (see FieldRowFillPairs)
    bool displaced[3];  // the band's edge control is not 0
    double amplitude[3];
    int32_t displacement[3][256];  // of each pattern level: (level - 128) * amplitude, truncated
    double scaleX, scaleY;         // image pixel to pattern cell
    // Inside every band by more than any displacement reaches: no pixel there needs its
    // pattern value. Right and bottom exclusive; an empty range when there is no such place.
    int32_t innerLeft, innerTop, innerRight, innerBottom;
    std::atomic<int32_t> nextBlock;
};
FrameBandJob gFrameBands;

// A thread's pattern samplers: the whole row for rows that cross the bands, the left and right
// strips for the rows between them.
struct FramePatternRows {
    SplineRowSampler whole, leftStrip, rightStrip;
    bool ready[3] = {false, false, false};
    std::vector<int32_t> values;
};

// The pattern of row y at x = first .. first + count - 1, by the sampler of that span.
const int32_t* PatternSpan(FramePatternRows& rows, int32_t kind, int32_t y, int32_t first,
                           int32_t count) {
    const FrameBandJob& job = gFrameBands;
    rows.values.resize(size_t(std::max(count, 1)));
    if (job.nearest) {
        for (int32_t i = 0; i < count; ++i)
            rows.values[size_t(i)] = SampleArray(ARRAY_FRAME_SHAPE, job.scaleX * (first + i),
                                                 job.scaleY * y, 0, SAMPLE_NEAREST);
        return rows.values.data();
    }
    SplineRowSampler* samplers[3] = {&rows.whole, &rows.leftStrip, &rows.rightStrip};
    SplineRowSampler& sampler = *samplers[kind];
    if (!rows.ready[kind]) {
        if (!SplineRowSamplerInit(sampler, ARRAY_FRAME_SHAPE, 0, job.scaleX, job.scaleY, first,
                                  count))
            return nullptr;
        rows.ready[kind] = true;
    }
    SplineRowSample(sampler, y, rows.values.data());
    return rows.values.data();
}

// Pixels first .. first + count - 1 of row y (out at the first), each against the three
// rectangles widened by the pattern's displacement there.
void ClassifySpan(int32_t y, int32_t first, int32_t count, const int32_t* pattern, uint16_t* out,
                  int32_t step) {
    const FrameBandJob& job = gFrameBands;
    int32_t d[3] = {0, 0, 0};
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = first + i;
        if (pattern) {
            // The pattern is stored as bytes: the sampled value clamped to them.
            const int32_t level = std::clamp(pattern[i], 0, 255);
            for (int32_t b = 0; b < 3; ++b)
                if (job.displaced[b]) d[b] = job.displacement[b][level];
        }
        int32_t firstValue = 0, second = kFieldMax;
        if (job.outside && Outside(job.rects, 0, x, y, d[0])) {
            second = 0;
        } else if (job.border && Outside(job.rects, 1, x, y, d[1])) {
            firstValue = kFieldMax;
            second = 0;
        } else if (job.inside && Outside(job.rects, 2, x, y, d[2])) {
            second = 0;
        }
        uint16_t* cell = out + int64_t(i) * step;
        cell[0] = uint16_t(firstValue);
        if (!job.borderOnly && step > 1) cell[1] = uint16_t(second);
    }
}

// Row y's cells at out (the field's row layout); the inside streamed when stream is set.
void ClassifyFrameRow(FramePatternRows& rows, int32_t y, uint16_t* out, bool stream) {
    const FrameBandJob& job = gFrameBands;
    const int32_t step = gArrays[ARRAY_FRAME].zSize;
    auto span = [&](int32_t kind, int32_t first, int32_t last) {
        if (last <= first) return;
        const int32_t* pattern =
            job.edges ? PatternSpan(rows, kind, y, first, last - first) : nullptr;
        ClassifySpan(y, first, last - first, pattern, out + int64_t(first - job.left) * step, step);
    };
    if (y < job.innerTop || y >= job.innerBottom) {
        span(0, job.left, job.right);
        return;
    }
    span(1, job.left, job.innerLeft);
    uint16_t* middle = out + int64_t(job.innerLeft - job.left) * step;
    const int32_t count = job.innerRight - job.innerLeft;
    if (step == 1) {
        FieldRowFillPairs(middle, 0, 0, count, stream);
    } else if (step == 2 && !job.borderOnly) {
        FieldRowFillPairs(middle, 0, uint16_t(kFieldMax), int64_t(count) * 2, stream);
    } else {
        for (int32_t i = 0; i < count; ++i) {
            middle[int64_t(i) * step] = 0;
            if (!job.borderOnly) middle[int64_t(i) * step + 1] = uint16_t(kFieldMax);
        }
    }
    span(2, job.innerRight, job.right);
}

// On all workers in claimed blocks of rows: the bands of 24 million pixels are too much for
// one thread, and a thread's rows in one run let its samplers reuse their pattern rows.
void ClassifyFrameRows(int32_t) {
    FrameBandJob& job = gFrameBands;
    const NumberedArray& frame = gArrays[ARRAY_FRAME];
    if (!frame.base || frame.elementBytes != 2) return;
    FramePatternRows rows;
    const int32_t height = job.bottom - job.top;
    for (;;) {
        const int32_t first =
            job.top + job.nextBlock.fetch_add(1, std::memory_order_relaxed) * kFrameBlockRows;
        if (first >= job.bottom || height <= 0) break;
        const int32_t last = std::min(first + kFrameBlockRows, job.bottom);
        for (int32_t y = first; y < last; ++y)
            ClassifyFrameRow(rows, y,
                             reinterpret_cast<uint16_t*>(frame.base) +
                                 int64_t(y - job.top) * frame.xSize * frame.zSize,
                             job.stream);
    }
    if (job.stream) FieldRowStoresDone();
}

// The farthest a band's edge moves: the pattern's byte less 128 times its amplitude. Beyond
// kFarReach (or not finite) every pixel is classified on its own.
constexpr double kFarReach = 1e8;
double EdgeReach(bool displaced, double amplitude) {
    return displaced ? 128.0 * std::fabs(amplitude) + 1.0 : 0.0;
}

void PlanFrameBands(const RenderPlan& plan, const int32_t* v, const FrameRects& rects, bool edges,
                    const double amplitude[3], int32_t imageWidth, int32_t imageHeight) {
    FrameBandJob& job = gFrameBands;
    job.left = plan.left;
    job.top = plan.top;
    job.right = plan.right;
    job.bottom = plan.bottom;
    job.rects = rects;
    job.edges = edges;
    job.nearest = v[CTL_FRAME_RECTANGULAR] != 0;
    job.borderOnly = v[CTL_FRAME_BORDER_ONLY] != 0;
    job.outside = v[CTL_FRAME_OUTSIDE] > 0;
    job.border = v[CTL_FRAME_BORDER] != 0;
    job.inside = v[CTL_FRAME_INSIDE] != 0;
    job.stream = gArrays[ARRAY_FRAME].byteSize >= kStreamedFieldBytes;
    const int32_t edgeControls[3] = {v[CTL_FRAME_OUTER_EDGE], v[CTL_FRAME_MIDDLE_EDGE],
                                     v[CTL_FRAME_INNER_EDGE]};
    const NumberedArray& shape = gArrays[ARRAY_FRAME_SHAPE];
    job.scaleX = edges && imageWidth > 0 ? double(shape.xSize) / imageWidth : 0.0;
    job.scaleY = edges && imageHeight > 0 ? double(shape.ySize) / imageHeight : 0.0;
    double innerLeft = plan.left, innerTop = plan.top;
    double innerRight = plan.right, innerBottom = plan.bottom;
    for (int32_t i = 0; i < 3; ++i) {
        job.displaced[i] = edges && edgeControls[i] != 0;
        job.amplitude[i] = amplitude[i];
        const double reach = EdgeReach(job.displaced[i], amplitude[i]);
        if (!(reach < kFarReach)) innerRight = innerLeft;
        innerLeft = std::max(innerLeft, rects.left[i] + reach);
        innerTop = std::max(innerTop, rects.top[i] + reach);
        innerRight = std::min(innerRight, rects.right[i] - reach + 1.0);
        innerBottom = std::min(innerBottom, rects.bottom[i] - reach + 1.0);
    }
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t level = 0; level < 256; ++level)
            job.displacement[i][level] =
                job.displaced[i] ? int32_t((level - 128) * job.amplitude[i]) : 0;
    if (innerRight <= innerLeft || innerBottom <= innerTop) {
        innerRight = innerLeft = plan.left;
        innerBottom = innerTop = plan.top;
    }
    job.innerLeft = int32_t(std::ceil(innerLeft));
    job.innerTop = int32_t(std::ceil(innerTop));
    job.innerRight = std::max(job.innerLeft, int32_t(std::floor(innerRight)));
    job.innerBottom = std::max(job.innerTop, int32_t(std::floor(innerBottom)));
    job.nextBlock.store(0, std::memory_order_relaxed);
}

// Each pass thread's pattern rows while the blur's row pass makes the bands' rows; kept from
// render to render, like the counters.
std::vector<FramePatternRows> gFramePatternRows;

void MakeFrameRow(void*, int32_t index, int32_t y, uint16_t* out) {
    ClassifyFrameRow(gFramePatternRows[size_t(index)], gFrameBands.top + y, out, false);
}

// Channel 0 of a field counted by level on each pass thread: the count over 24 million cells
// is too long for one. Two counters a level, for even and odd cells: a smooth field repeats
// its levels (a frame's inside is one level), and increments of one counter wait for each
// other. The rows of counters live as long as the module: fresh pages cost far more than
// counting, and every field of every render counts.
std::vector<std::vector<int32_t>> gFieldBins;

int32_t* FieldBinsOfThread(int32_t index) {
    std::vector<int32_t>& bins = gFieldBins[size_t(index)];
    bins.assign(2 * kFieldLevels, 0);
    return bins.data();
}

// Elements first .. last - 1 of a row of cells `step` elements apart (first on a cell).
inline void CountFieldElements(const uint16_t* row, int64_t first, int64_t last, int64_t step,
                               int32_t* even, int32_t* odd) {
    int64_t i = first;
    for (; i + step < last; i += 2 * step) {
        ++even[std::min<int32_t>(row[i], kFieldMax)];
        ++odd[std::min<int32_t>(row[i + step], kFieldMax)];
    }
    if (i < last) ++even[std::min<int32_t>(row[i], kFieldMax)];
}

// The field's recursive blur with its count: each group of columns is counted straight after
// its sweep, while its rows are still in the processor's cache, instead of in a sweep of the
// whole field of its own. Written before the passes; each thread writes only its bins.
struct FieldBlurCount {
    const NumberedArray* array;
    BlurJob rows;     // the row pass, shared out among the pass's threads
    BlurJob columns;  // the column pass, one column group a call
    int64_t rowElements, groups;
    int64_t columnChunk;   // column groups a thread claims at a time
    int64_t columnRuns;    // runs of columnChunk groups (the last one may be shorter)
    int64_t columnStride;  // prime to columnRuns: the step from one claimed run to the next
    int32_t threads;
    // Makes the field's rows inside the row pass, when not null; then afterRows (when not
    // null) runs on each thread after its share of the pass.
    const BlurRowMaker* maker;
    void (*afterRows)(void* context, int32_t index);
};

void FieldBlurRows(void* context, int32_t index) {
    const FieldBlurCount& f = *static_cast<const FieldBlurCount*>(context);
    const int64_t start = TimelineTicks();
    if (f.maker) {
        RecursiveBlurPass1Made(f.rows, *f.maker, index);
        if (f.afterRows) f.afterRows(f.maker->context, index);
    } else if (f.rows.radiusTenths != 0) {
        RecursiveBlurPass1(f.rows, index);
    }
    RenderTimelineSpan(index, f.maker ? "make and blur rows" : "blur rows", start);
}

// Column group `group` swept, then counted while its rows are still in the processor's cache.
void BlurAndCountGroup(const FieldBlurCount& f, int64_t group, int32_t* even, int32_t* odd) {
    const uint16_t* data = reinterpret_cast<const uint16_t*>(f.array->base);
    const int64_t step = f.array->zSize;
    if (f.columns.radiusTenths != 0) RecursiveBlurPass2(f.columns, int32_t(group));
    const int64_t first = (group * kBlurColumnGroupElements + step - 1) / step * step;
    const int64_t last = std::min(f.rowElements, (group + 1) * kBlurColumnGroupElements);
    if (first >= last) return;
    const int64_t cells = (last - first + step - 1) / step;
    for (int32_t y = 0; y < f.array->ySize; ++y) {
        const uint16_t* row = data + y * f.rowElements;
        // A frame's field is one level over most of its groups' rows: comparing them
        // costs far less than increments of one counter, each waiting for the last.
        int64_t i = first + step;
        while (i < last && row[i] == row[first]) i += step;
        if (i >= last)
            even[std::min<int32_t>(row[first], kFieldMax)] += int32_t(cells);
        else
            CountFieldElements(row, first, last, step, even, odd);
    }
}

// Column groups of a field's blur claimed by its threads, runs of columnChunk adjacent groups;
// reset by FieldBlurCountFor before the passes.
std::atomic<int64_t> gFieldNextColumns{0};

// A thread claims runs of adjacent groups, claimed as they come rather than one equal share
// each: the groups that cross a frame's bands count every row, the others few, and the
// threads that held the field's sides kept the others waiting. The k-th claim takes run
// k * columnStride (modulo the runs): runs swept at the same time lie apart, since runs of
// different threads side by side would write to the same cache lines at nearly every step.
void FieldBlurColumnsAndCount(void* context, int32_t index) {
    const FieldBlurCount& f = *static_cast<const FieldBlurCount*>(context);
    const int64_t start = TimelineTicks();
    int32_t* even = FieldBinsOfThread(index);
    int32_t* odd = even + kFieldLevels;
    for (;;) {
        const int64_t claim = gFieldNextColumns.fetch_add(1, std::memory_order_relaxed);
        if (claim >= f.columnRuns) break;
        const int64_t firstGroup = claim * f.columnStride % f.columnRuns * f.columnChunk;
        const int64_t endGroup = std::min(f.groups, firstGroup + f.columnChunk);
        for (int64_t group = firstGroup; group < endGroup; ++group)
            BlurAndCountGroup(f, group, even, odd);
    }
    RenderTimelineSpan(index, "blur columns", start);
}

// The count of one level over all threads' counters.
int64_t MergedFieldBin(int32_t threads, int32_t level) {
    int64_t count = 0;
    for (int32_t t = 0; t < threads; ++t) {
        const int32_t* part = gFieldBins[size_t(t)].data();
        count += int64_t(part[level]) + part[kFieldLevels + level];
    }
    return count;
}

void CountFieldCells(void* context, int32_t index) {
    const FieldBlurCount& f = *static_cast<const FieldBlurCount*>(context);
    int32_t* even = FieldBinsOfThread(index);
    const int64_t cells = f.rowElements / f.array->zSize * f.array->ySize;
    const int64_t step = f.array->zSize;
    const int64_t first = cells * index / f.threads, last = cells * (index + 1) / f.threads;
    CountFieldElements(reinterpret_cast<const uint16_t*>(f.array->base), first * step, last * step,
                       step, even, even + kFieldLevels);
}

// The first level from each end at which the running count of the threads' counters passes
// 0.5 % of the pixels. The counters are merged a level at a time from each end, only as far
// as each bound: a merge of all 32769 levels on the host's thread was serial work as long as
// the threads' whole count of a field.
void StretchBoundsOfBins(int32_t threads, int64_t pixels, int32_t* low, int32_t* high) {
    double threshold = pixels / 200.0;
    if (threshold == 0.0) threshold = 1.0;
    *low = 0;
    *high = kFieldMax;
    int64_t sum = 0;
    for (int32_t level = 0; level <= kFieldMax; ++level) {
        sum += MergedFieldBin(threads, level);
        if (sum > threshold) {
            *low = level;
            break;
        }
    }
    sum = 0;
    for (int32_t level = kFieldMax; level >= 0; --level) {
        sum += MergedFieldBin(threads, level);
        if (sum > threshold) {
            *high = level;
            break;
        }
    }
}

FieldBlurCount FieldBlurCountFor(int32_t array, int32_t radiusTenths, int32_t threads) {
    FieldBlurCount f = {};
    f.array = &gArrays[array];
    f.threads = threads;
    f.rowElements = int64_t(f.array->xSize) * f.array->zSize;
    f.groups = (f.rowElements + kBlurColumnGroupElements - 1) / kBlurColumnGroupElements;
    f.rows = {array, radiusTenths, 0, threads};
    f.columns = {array, radiusTenths, 0, int32_t(std::min<int64_t>(f.groups, INT32_MAX))};
    // About four runs a thread: enough for the last ones to even out the threads' ends.
    f.columnChunk = std::max<int64_t>(1, f.groups / (int64_t(threads) * 4));
    f.columnRuns = (f.groups + f.columnChunk - 1) / f.columnChunk;
    // A stride past the threads' number of runs in flight, so that runs claimed one after
    // the other are never neighbours while the threads sweep them.
    f.columnStride = f.columnRuns > 2 * int64_t(threads) ? f.columnRuns / threads + 1 : 1;
    while (std::gcd(f.columnStride, f.columnRuns) != 1) ++f.columnStride;
    gFieldNextColumns.store(0, std::memory_order_relaxed);
    if (gFieldBins.size() < size_t(threads)) gFieldBins.resize(size_t(threads));
    return f;
}

// The field blurred by radiusTenths and the stretch bounds of its channel 0. Thumbnails
// blur on the sleeping pool and count after.
void BlurAndBoundField(int32_t array, int32_t radiusTenths, bool all, int64_t pixels,
                       const char* blurMark, int32_t* low, int32_t* high) {
    const NumberedArray& a = gArrays[array];
    if (gSession.thumbnailRendering || !a.base || a.elementBytes != 2) {
        BlurField(array, radiusTenths, all);
        RenderTimelineHostMark(blurMark);
        FieldStretchBounds(array, pixels, low, high);
        return;
    }
    FieldBlurCount f = FieldBlurCountFor(array, radiusTenths, PassThreadCount(all ? 1 : 0));
    static const PassThreadProc kPasses[2] = {FieldBlurRows, FieldBlurColumnsAndCount};
    RunPassSequence(f.threads, kPasses, 2, &f);
    RenderTimelineHostMark(blurMark);
    StretchBoundsOfBins(f.threads, pixels, low, high);
}

// The threads of a field made inside its blur's row pass: the pass's threads, when they are
// the pool's (or the caller alone) and as many as the field's own job would have had, so
// that thread i of the pass is the thread i the job would have left its state on. 0 when the
// field must be made by its own job first (thumbnails, other arrays, a radius of 0).
int32_t FieldMakingThreads(int32_t array, int32_t radiusTenths, bool all) {
    const NumberedArray& a = gArrays[array];
    if (gSession.thumbnailRendering || !a.base || a.elementBytes != 2) return 0;
    if (!RecursiveBlurMakesRows({array, radiusTenths, 0, 1})) return 0;
    const int32_t threads = PassThreadCount(all ? 1 : 0);
    if (threads != (all ? GetProcessorCount() : 1)) return 0;
    return threads == 1 || WorkerPoolServes(threads) ? threads : 0;
}

// The field's rows made by maker inside the blur's row pass, blurred, and the stretch bounds
// of its channel 0 counted; threads from FieldMakingThreads.
void MakeBlurAndBoundField(int32_t array, int32_t radiusTenths, int32_t threads,
                           const BlurRowMaker& maker, void (*afterRows)(void*, int32_t),
                           int64_t pixels, int32_t* low, int32_t* high) {
    FieldBlurCount f = FieldBlurCountFor(array, radiusTenths, threads);
    f.maker = &maker;
    f.afterRows = afterRows;
    maker.nextGroup->store(0, std::memory_order_relaxed);
    static const PassThreadProc kPasses[2] = {FieldBlurRows, FieldBlurColumnsAndCount};
    RunPassSequence(f.threads, kPasses, 2, &f);
    StretchBoundsOfBins(f.threads, pixels, low, high);
}

// Groups of rows claimed by the threads of a field made inside its blur.
std::atomic<int32_t> gFieldNextGroup{0};

// Each pass thread's draws while the blur's row pass makes the grain's rows.
std::vector<GrainRows> gGrainMaking;

void MakeGrainRow(void*, int32_t index, int32_t y, uint16_t* out) {
    GrainRowMake(gGrainMaking[size_t(index)], y, out);
}

// Thread i is left where the grain job would have left it: at the end of stream i.
void GrainRowsDone(void*, int32_t index) {
    const GrainRows& g = gGrainMaking[size_t(index)];
    if (g.grey || g.colour) RandomSetState(GrainStreamEnd(g, index));
}

// The stretch of each field, kept for its readers rather than swept over the field: a sweep
// of the whole field read and wrote tens of megabytes that the last pass reads once anyway,
// where a lookup a value costs next to nothing. Written by the field's Prepare on the host's
// thread, read by the render's workers; the table's storage is kept between renders.
struct FieldStretch {
    const uint8_t* base;  // the field's block the table belongs to; null when there is none
    int64_t byteSize;
    std::vector<uint16_t> levels;  // stored value -> stretched value, 65536 of them
};
FieldStretch gGrainStretch, gFrameStretch;

FieldStretch* StretchOfArray(int32_t array) {
    if (array == ARRAY_GRAIN) return &gGrainStretch;
    if (array == ARRAY_FRAME) return &gFrameStretch;
    return nullptr;
}

// The field's stretch from low .. high to the whole range: a table its readers apply, or, for
// thumbnails (which keep no table) and fields of other elements, the stretch done in place.
void StretchField(int32_t array, int32_t low, int32_t high, bool all) {
    const NumberedArray& a = gArrays[array];
    FieldStretch* stretch = StretchOfArray(array);
    if (gSession.thumbnailRendering || !a.base || a.elementBytes != 2 || !stretch) {
        RunFieldJob(NormaliseRangeJob, all, false, {array, low, high});
        return;
    }
    RangeStretchTable(low, high, kFieldMax, 65536, stretch->levels);
    stretch->base = a.base;
    stretch->byteSize = a.byteSize;
}

void ForgetFieldStretch(int32_t array) {
    FieldStretch* stretch = StretchOfArray(array);
    if (!stretch) return;
    stretch->base = nullptr;
    stretch->byteSize = 0;
}

}  // namespace

FrameRects FrameRectsFor(int32_t width, int32_t height, int32_t outside, int32_t border,
                         int32_t inside) {
    const int64_t m = std::min(width, height);
    const int32_t widths[3] = {int32_t(m * outside / 4000), int32_t(m * border / 4000),
                               int32_t(m * inside / 4000)};
    FrameRects r = {};
    int32_t sum = 0;
    for (int32_t band = 0; band < 3; ++band) {
        sum += widths[band];
        r.left[band] = r.top[band] = sum;
        r.right[band] = width - 1 - sum;
        r.bottom[band] = height - 1 - sum;
    }
    return r;
}

int32_t FrameContrast(int32_t s, int32_t r) {
    int32_t edge;
    if (r >= 11 && r <= 19)
        edge = (10 - r) * 2;
    else if (r >= 21 && r <= 79)
        edge = -r;
    else if (r >= 80 && r <= 159)
        edge = -80 - (r - 80) / 8;
    else if (r >= 160)
        edge = -90 - (r - 160) / 32;
    else
        return s;
    return s < 0 ? ScaleValue(s, -100, 0, -100, edge) : ScaleValue(s, 0, 100, edge, 100);
}

void FieldStretchBounds(int32_t array, int64_t pixels, int32_t* low, int32_t* high) {
    const NumberedArray& a = gArrays[array];
    const int32_t threads = PassThreadCount(gRender.plan.multiProcessor ? 1 : 0);
    if (!a.base) {
        StretchBoundsOfBins(0, pixels, low, high);
        return;
    }
    FieldBlurCount f = FieldBlurCountFor(array, 0, threads);
    RunPassThreads(threads, CountFieldCells, &f);
    StretchBoundsOfBins(threads, pixels, low, high);
}

const uint16_t* FieldStretchLevels(int32_t array) {
    const FieldStretch* stretch = StretchOfArray(array);
    if (!stretch || !stretch->base) return nullptr;
    const NumberedArray& a = gArrays[array];
    if (a.base != stretch->base || a.byteSize != stretch->byteSize || a.elementBytes != 2)
        return nullptr;
    return stretch->levels.data();
}

void RenderFieldsReset() {
    ForgetFieldStretch(ARRAY_GRAIN);
    ForgetFieldStretch(ARRAY_FRAME);
}

void FrameGridSize(int32_t wholeWidth, int32_t wholeHeight, int32_t frameSize, bool rectangular,
                   int32_t* gridWidth, int32_t* gridHeight) {
    // A small image would give a cell of 0 pixels (and a grid of infinite size).
    const int64_t cell =
        std::max<int64_t>(1, int64_t(frameSize) * std::min(wholeWidth, wholeHeight) / 500);
    int64_t gw = std::max<int64_t>(1, int64_t(wholeWidth) * 10 / cell);
    int64_t gh = std::max<int64_t>(1, int64_t(wholeHeight) * 10 / cell);
    if (rectangular && gw % 2 == 0) ++gw;
    if (rectangular && gh % 2 == 0) ++gh;
    *gridWidth = int32_t(std::min<int64_t>(gw, INT32_MAX / 2));
    *gridHeight = int32_t(std::min<int64_t>(gh, INT32_MAX / 2));
}

bool PrepareGrainField(const RenderPlan& plan, const int32_t* v, int32_t wholeWidth,
                       int32_t wholeHeight) {
    ForgetFieldStretch(ARRAY_GRAIN);
    if (v[CTL_GRAIN_INTENSITY] == 0) {
        ReleaseArray(ARRAY_GRAIN);
        return true;
    }
    int32_t size = v[CTL_GRAIN_SIZE];
    if (size <= 0) return true;
    if (v[CTL_GRAIN_SCALE_TO_IMAGE])
        size = int32_t(std::sqrt(std::max(wholeWidth, wholeHeight) / 1000.0) * size);
    const int32_t colour = v[CTL_GRAIN_COLOR];
    const int32_t channels = colour == 0 ? 1 : colour == 100 ? 3 : 4;
    const int32_t width = plan.right - plan.left;
    const int32_t height = plan.bottom - plan.top;
    if (!CreateArray(ARRAY_GRAIN, width, height, channels, 2)) return false;
    const int32_t radius = BlurRadius(size * 0.25 * 2.0, plan.zoom);
    int32_t low = 0, high = kFieldMax;
    const int32_t threads = FieldMakingThreads(ARRAY_GRAIN, radius, plan.multiProcessor);
    // Every plane drawn: a made row has no planes that the array would keep.
    const GrainRows drawn = GrainRowsFor(ARRAY_GRAIN, width, height, colour, gSession.grainSeed,
                                         kFieldMax, std::max(threads, 1));
    if (threads > 0 && (drawn.grey ? 1 : 0) + (drawn.colour ? 3 : 0) == channels) {
        // The noise made row by row inside the blur's row pass: made in a sweep of its own, the
        // field was written and read back once more, tens of megabytes that more threads
        // could not move faster.
        gGrainMaking.assign(size_t(threads), drawn);
        BlurRowMaker maker = {MakeGrainRow, nullptr, &gFieldNextGroup};
        MakeBlurAndBoundField(ARRAY_GRAIN, radius, threads, maker, GrainRowsDone,
                              int64_t(width) * height, &low, &high);
        RenderTimelineHostMark("grain noise and blur");
    } else {
        RunFieldJob(GrainPassJob, plan.multiProcessor, true,
                    {ARRAY_GRAIN, width, height, colour, gSession.grainSeed, kFieldMax},
                    "grain noise");
        RenderTimelineHostMark("grain noise");
        BlurAndBoundField(ARRAY_GRAIN, radius, plan.multiProcessor, int64_t(width) * height,
                          "grain blur", &low, &high);
    }
    RenderTimelineHostMark("grain bounds");
    // A flat field has nothing to stretch.
    if (high > low) StretchField(ARRAY_GRAIN, low, high, plan.multiProcessor);
    return true;
}

bool PrepareFrameField(const RenderPlan& plan, const int32_t* v, int32_t imageWidth,
                       int32_t imageHeight, int32_t wholeWidth, int32_t wholeHeight) {
    ForgetFieldStretch(ARRAY_FRAME);
    if (!ShapedFrame(v)) {
        // A field left from an earlier rendering must not frame this one.
        ReleaseArray(ARRAY_FRAME_EDGE);
        ReleaseArray(ARRAY_FRAME);
        return true;
    }
    const bool edges = v[CTL_FRAME_OUTER_EDGE] != 0 || v[CTL_FRAME_MIDDLE_EDGE] != 0 ||
                       v[CTL_FRAME_INNER_EDGE] != 0;
    if (edges && !MakeEdgePattern(plan, v, imageWidth, imageHeight, wholeWidth, wholeHeight))
        return false;
    RenderTimelineHostMark("frame edges");
    const int32_t width = plan.right - plan.left;
    const int32_t height = plan.bottom - plan.top;
    if (!CreateArray(ARRAY_FRAME, width, height, v[CTL_FRAME_BORDER_ONLY] ? 1 : 2, 2)) return false;
    const double n = std::min(wholeWidth, wholeHeight);
    double amplitude[3];
    const int32_t edgeControls[3] = {v[CTL_FRAME_OUTER_EDGE], v[CTL_FRAME_MIDDLE_EDGE],
                                     v[CTL_FRAME_INNER_EDGE]};
    for (int32_t i = 0; i < 3; ++i)
        amplitude[i] = (n / 500.0) / ((103.0 - edgeControls[i]) * 16.0 * plan.zoom / 100.0);
    const FrameRects rects = FrameRectsFor(imageWidth, imageHeight, v[CTL_FRAME_OUTSIDE],
                                           v[CTL_FRAME_BORDER], v[CTL_FRAME_INSIDE]);
    // A pattern resampled to the whole rectangle by an earlier build must not stay.
    ReleaseArray(ARRAY_FRAME_EDGE);
    PlanFrameBands(plan, v, rects, edges, amplitude, imageWidth, imageHeight);
    const int32_t softness = v[CTL_FRAME_SOFTNESS];
    const int32_t roundness = v[CTL_FRAME_ROUNDNESS];
    const int32_t radius = BlurRadius((n / 500.0) * roundness * 2.0, plan.zoom);
    const int32_t threads =
        softness <= -100 ? 0 : FieldMakingThreads(ARRAY_FRAME, radius, plan.multiProcessor);
    int32_t low = 0, high = kFieldMax;
    if (threads > 0) {
        // The bands made row by row inside the blur's row pass, as the grain's noise is.
        if (gFramePatternRows.size() < size_t(threads)) gFramePatternRows.resize(size_t(threads));
        // Samplers made for the last render's pattern and rectangle are made anew.
        for (FramePatternRows& rows : gFramePatternRows)
            std::fill(std::begin(rows.ready), std::end(rows.ready), false);
        BlurRowMaker maker = {MakeFrameRow, nullptr, &gFieldNextGroup};
        MakeBlurAndBoundField(ARRAY_FRAME, radius, threads, maker, nullptr, int64_t(width) * height,
                              &low, &high);
        RenderTimelineHostMark("frame bands and blur");
    } else {
        RunFieldJob(ClassifyFrameRows, plan.multiProcessor, false, {}, "frame bands");
        RenderTimelineHostMark("frame bands");
        if (softness <= -100) return true;
        BlurAndBoundField(ARRAY_FRAME, radius, plan.multiProcessor, int64_t(width) * height,
                          "frame blur", &low, &high);
    }
    RenderTimelineHostMark("frame bounds");
    if (std::abs(high - low) < 128) {
        low = 0;
        high = kFieldMax;
    }
    const int32_t k = FrameContrast(softness, roundness);
    const int32_t d = int32_t(int64_t(((100 - k) * 64) / 200 + 64) * (high - low) / 256);
    int32_t a = low + d;
    int32_t b = high - d;
    if (a == b) ++b;
    a = std::max(0, a);
    b = std::min(kFieldMax, b);
    if (b > a) StretchField(ARRAY_FRAME, a, b, plan.multiProcessor);
    return true;
}
