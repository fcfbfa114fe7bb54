// Grain and frame fields: noise or edge patterns made by the pool's jobs, blurred and
// stretched, on the host's thread before the pipeline runs.

#include "render/render_fields.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "effect/control_ids.h"
#include "render/session_state.h"
#include "host/maths_builtins.h"
#include "host/numbered_arrays.h"
#include "host/pool_jobs.h"
#include "host/worker_threads.h"
#include "render/blur.h"
#include "render/pass_threads.h"
#include "render/render_timeline.h"

namespace {
constexpr int32_t kFieldMax = 32768;
constexpr int32_t kRandomEdgeShape = 6;

// One job on all workers: threads made for it outside thumbnail rendering, the sleeping
// pool while thumbnails render. Parameters 1..6 of the pool job.
void RunFieldJob(ThreadRoutine routine, bool all, bool barrier,
                 std::initializer_list<int32_t> parameters) {
    int32_t n = 1;
    for (int32_t p : parameters) gJob.poolParameters[n++] = p;
    if (gSession.thumbnailRendering)
        RunPoolRoutine(routine, all, barrier);
    else
        RunParallel(routine, all, 0, 0, barrier);
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

// The frame's contrast from its softness s and roundness r.
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

bool ShapedFrame(const int32_t* v) {
    if (v[CTL_FRAME_EDGE_SHAPE] == 0) return false;
    const bool edges = v[CTL_FRAME_OUTER_EDGE] != 0 || v[CTL_FRAME_MIDDLE_EDGE] != 0 ||
                       v[CTL_FRAME_INNER_EDGE] != 0;
    if (v[CTL_FRAME_ROUNDNESS] < 11 && !edges) return false;
    return v[CTL_FRAME_OUTSIDE] != 0 || v[CTL_FRAME_BORDER] != 0 || v[CTL_FRAME_INSIDE] != 0;
}

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
                    {ARRAY_FRAME_SHAPE, gw, gh, 0, v[CTL_FRAME_SEED], 255});
    else
        RunFieldJob(GradientMaskJob, plan.multiProcessor, false, {ARRAY_FRAME_SHAPE, shape});
    if (!CreateArray(ARRAY_FRAME_EDGE, plan.right - plan.left, plan.bottom - plan.top, 1, 1))
        return false;
    RunFieldJob(ResampleJob, plan.multiProcessor, false,
                {ARRAY_FRAME_EDGE, ARRAY_FRAME_SHAPE, v[CTL_FRAME_RECTANGULAR]});
    return true;
}

// Outside the rectangle widened by d on every side.
bool Outside(const FrameRects& r, int32_t band, int32_t x, int32_t y, int32_t d) {
    return x < r.left[band] - d || x > r.right[band] + d || y < r.top[band] - d ||
           y > r.bottom[band] + d;
}

// The classification job: written before the job starts, read-only while it runs.
struct FrameClassification {
    int32_t left, top, right, bottom;  // the rectangle
    FrameRects rects;
    bool edges, borderOnly, outside, border, inside;
    int32_t edgeControls[3];
    double amplitude[3];
};
FrameClassification gFrameClassification;

// Rows index, index + N, ... of ARRAY_FRAME: every pixel's band against the three rectangles,
// each widened by the edge pattern's displacement.
void ClassifyFrameRows(int32_t index) {
    const FrameClassification& job = gFrameClassification;
    const NumberedArray& frame = gArrays[ARRAY_FRAME];
    const NumberedArray& edge = gArrays[ARRAY_FRAME_EDGE];
    if (!frame.base || frame.elementBytes != 2) return;
    const bool edges = job.edges && edge.base && edge.elementBytes == 1;
    const int32_t n = std::max(gJob.threadCount, 1);
    for (int32_t y = job.top + index; y < job.bottom; y += n) {
        uint16_t* out = reinterpret_cast<uint16_t*>(frame.base) +
                        int64_t(y - job.top) * frame.xSize * frame.zSize;
        const uint8_t* pattern =
            edges ? edge.base + int64_t(std::min(y - job.top, edge.ySize - 1)) * edge.xSize
                  : nullptr;
        int32_t d[3] = {0, 0, 0};
        for (int32_t x = job.left; x < job.right; ++x) {
            if (pattern) {
                const int32_t e = pattern[std::min(x - job.left, edge.xSize - 1)] - 128;
                for (int32_t i = 0; i < 3; ++i)
                    if (job.edgeControls[i] != 0) d[i] = int32_t(e * job.amplitude[i]);
            }
            int32_t first = 0, second = kFieldMax;
            if (job.outside && Outside(job.rects, 0, x, y, d[0])) {
                second = 0;
            } else if (job.border && Outside(job.rects, 1, x, y, d[1])) {
                first = kFieldMax;
                second = 0;
            } else if (job.inside && Outside(job.rects, 2, x, y, d[2])) {
                second = 0;
            }
            uint16_t* cell = out + int64_t(x - job.left) * frame.zSize;
            cell[0] = uint16_t(first);
            if (!job.borderOnly && frame.zSize > 1) cell[1] = uint16_t(second);
        }
    }
}

// On all workers: the classification of 24 million pixels is too much for one thread.
// Channel 0 of a field counted by level, a share of the cells on each pass thread: the
// count over 24 million cells is too long for one.
struct FieldCount {
    const uint16_t* data;
    int64_t cells;
    int32_t step;  // elements from one cell to the next
    int32_t threads;
    std::vector<std::vector<int32_t>> bins;  // one row of levels per thread
};

void CountFieldCells(void* context, int32_t index) {
    FieldCount& c = *static_cast<FieldCount*>(context);
    std::vector<int32_t>& bins = c.bins[size_t(index)];
    bins.assign(kFieldMax + 1, 0);
    const int64_t first = c.cells * index / c.threads, last = c.cells * (index + 1) / c.threads;
    for (int64_t i = first; i < last; ++i) ++bins[std::min<int32_t>(c.data[i * c.step], kFieldMax)];
}

void ClassifyFramePixels(const RenderPlan& plan, const int32_t* v, const FrameRects& rects,
                         bool edges, const double amplitude[3]) {
    FrameClassification& job = gFrameClassification;
    job.left = plan.left;
    job.top = plan.top;
    job.right = plan.right;
    job.bottom = plan.bottom;
    job.rects = rects;
    job.edges = edges;
    job.borderOnly = v[CTL_FRAME_BORDER_ONLY] != 0;
    job.outside = v[CTL_FRAME_OUTSIDE] > 0;
    job.border = v[CTL_FRAME_BORDER] != 0;
    job.inside = v[CTL_FRAME_INSIDE] != 0;
    const int32_t edgeControls[3] = {v[CTL_FRAME_OUTER_EDGE], v[CTL_FRAME_MIDDLE_EDGE],
                                     v[CTL_FRAME_INNER_EDGE]};
    for (int32_t i = 0; i < 3; ++i) {
        job.edgeControls[i] = edgeControls[i];
        job.amplitude[i] = amplitude[i];
    }
    RunFieldJob(ClassifyFrameRows, plan.multiProcessor, false, {});
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

void FieldStretchBounds(int32_t array, int64_t pixels, int32_t* low, int32_t* high) {
    std::vector<int64_t> bins(kFieldMax + 1, 0);
    const NumberedArray& a = gArrays[array];
    FieldCount count = {};
    count.data = reinterpret_cast<const uint16_t*>(a.base);
    count.cells = a.base ? int64_t(a.xSize) * a.ySize : 0;
    count.step = a.zSize;
    count.threads = PassThreadCount(gRender.plan.multiProcessor ? 1 : 0);
    count.bins.assign(size_t(count.threads), std::vector<int32_t>());
    RunPassThreads(count.threads, CountFieldCells, &count);
    for (const std::vector<int32_t>& part : count.bins)
        for (size_t level = 0; level < part.size(); ++level) bins[level] += part[level];
    double threshold = pixels / 200.0;
    if (threshold == 0.0) threshold = 1.0;
    *low = 0;
    *high = kFieldMax;
    int64_t sum = 0;
    for (int32_t level = 0; level <= kFieldMax; ++level) {
        sum += bins[size_t(level)];
        if (sum > threshold) {
            *low = level;
            break;
        }
    }
    sum = 0;
    for (int32_t level = kFieldMax; level >= 0; --level) {
        sum += bins[size_t(level)];
        if (sum > threshold) {
            *high = level;
            break;
        }
    }
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
    RunFieldJob(GrainPassJob, plan.multiProcessor, true,
                {ARRAY_GRAIN, width, height, colour, gSession.grainSeed, kFieldMax});
    RenderTimelineHostMark("grain noise");
    BlurField(ARRAY_GRAIN, BlurRadius(size * 0.25 * 2.0, plan.zoom), plan.multiProcessor);
    RenderTimelineHostMark("grain blur");
    int32_t low = 0, high = kFieldMax;
    FieldStretchBounds(ARRAY_GRAIN, int64_t(width) * height, &low, &high);
    RenderTimelineHostMark("grain bounds");
    // A flat field has nothing to stretch.
    if (high > low)
        RunFieldJob(NormaliseRangeJob, plan.multiProcessor, false, {ARRAY_GRAIN, low, high});
    return true;
}

bool PrepareFrameField(const RenderPlan& plan, const int32_t* v, int32_t imageWidth,
                       int32_t imageHeight, int32_t wholeWidth, int32_t wholeHeight) {
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
    ClassifyFramePixels(plan, v, rects, edges, amplitude);
    RenderTimelineHostMark("frame bands");
    // The edge pattern has done its work: the pixel steps read only the bands.
    ReleaseArray(ARRAY_FRAME_EDGE);
    const int32_t softness = v[CTL_FRAME_SOFTNESS];
    if (softness <= -100) return true;
    const int32_t roundness = v[CTL_FRAME_ROUNDNESS];
    BlurField(ARRAY_FRAME, BlurRadius((n / 500.0) * roundness * 2.0, plan.zoom),
              plan.multiProcessor);
    RenderTimelineHostMark("frame blur");
    int32_t low = 0, high = kFieldMax;
    FieldStretchBounds(ARRAY_FRAME, int64_t(width) * height, &low, &high);
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
    if (b > a) RunFieldJob(NormaliseRangeJob, plan.multiProcessor, false, {ARRAY_FRAME, a, b});
    return true;
}
