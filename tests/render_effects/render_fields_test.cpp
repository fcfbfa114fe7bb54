// The grain and frame fields against a plain reference: every pixel classified and every grain
// value drawn one by one from its thread's stream, the pattern sampled per pixel, the bounds
// counted on one thread and the stretch computed per element, on 1, 2, 3 and 8 threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/pool_jobs.h"
#include "host/random_source.h"
#include "host/sampling.h"
#include "host/worker_threads.h"
#include "render/blur.h"
#include "render/render_arrays.h"
#include "render/film_grain.h"
#include "render/frame.h"
#include "render/render_fields.h"
#include "render/session_state.h"
#include "render_effects/effect_settings.h"
#include "render_pipeline/engine_image.h"

namespace {
constexpr int32_t kMax = 32768;

struct Rect {
    int32_t width, height;             // the whole image
    int32_t left, top, right, bottom;  // the part rendered
};

// The engine with every control at its start value, the settings, and the context of a
// render of rect on `threads` processors.
RenderPlan BeginFields(const Rect& r, const std::vector<ControlSetting>& settings,
                       int32_t threads) {
    EngineBegin();
    ApplySettings(EngineControls(), settings);
    SetProcessorCountOverride(threads);
    // The render's jobs resume the pool's threads, as they do in a render run.
    EnsureWorkerPool();
    EffectContext& c = gContext;
    c.X = c.width = c.imageWidth = r.width;
    c.Y = c.height = c.imageHeight = r.height;
    c.currentLeft = r.left;
    c.currentTop = r.top;
    c.currentRight = r.right;
    c.currentBottom = r.bottom;
    c.zoomReduction = 1;
    gSession.grainSeed = 917;
    RenderPlan plan;
    plan.left = r.left;
    plan.top = r.top;
    plan.right = r.right;
    plan.bottom = r.bottom;
    plan.zoom = 1;
    plan.multiProcessor = threads > 1;
    gRender.plan.multiProcessor = plan.multiProcessor;
    return plan;
}

void EndFields() {
    StopWorkerPool();
    EngineEnd();
    SetProcessorCountOverride(0);
}

std::vector<uint16_t> ArrayCells(int32_t n) {
    const NumberedArray& a = gArrays[n];
    if (!a.base) return {};
    const uint16_t* cells = reinterpret_cast<const uint16_t*>(a.base);
    return std::vector<uint16_t>(cells, cells + int64_t(a.xSize) * a.ySize * a.zSize);
}

// A field's values as its readers see them: the stored values through the field's stretch.
std::vector<uint16_t> FieldValues(int32_t n) {
    std::vector<uint16_t> cells = ArrayCells(n);
    if (const uint16_t* levels = FieldStretchLevels(n))
        for (uint16_t& cell : cells) cell = levels[cell];
    return cells;
}

// Stream t of `streams` draws rows t, t + streams, ... from seed t * 4095 + seed; the grey
// plane first, then the colour planes from the seed again. Returns stream 0's last state.
uint32_t ReferenceNoise(int32_t n, int32_t colour, uint32_t seed, int32_t max, int32_t streams) {
    const NumberedArray& a = gArrays[n];
    uint32_t last = 0;
    for (int32_t t = 0; t < streams; ++t) {
        uint32_t state = 0;
        auto fill = [&](int32_t first, int32_t planes) {
            state = uint32_t(t) * 4095u + seed;
            for (int32_t y = t; y < a.ySize; y += streams)
                for (int32_t x = 0; x < a.xSize; ++x)
                    for (int32_t p = 0; p < planes; ++p)
                        PutArrayElementRaw(n, x, y, first + p, GrainNoiseFromState(state, max));
        };
        if (colour < 100) fill(0, 1);
        if (colour >= 1) fill(colour == 100 ? 0 : 1, 3);
        if (t == 0) last = state;
    }
    return last;
}

void ReferenceStretch(int32_t n, int64_t pixels, bool frame, int32_t softnessContrast) {
    const NumberedArray& a = gArrays[n];
    std::vector<int64_t> bins(kMax + 1, 0);
    const int64_t cells = int64_t(a.xSize) * a.ySize;
    for (int64_t i = 0; i < cells; ++i)
        ++bins[std::min<int32_t>(reinterpret_cast<uint16_t*>(a.base)[i * a.zSize], kMax)];
    const double threshold = pixels / 200.0 == 0.0 ? 1.0 : pixels / 200.0;
    int32_t low = 0, high = kMax;
    int64_t sum = 0;
    for (int32_t level = 0; level <= kMax; ++level)
        if ((sum += bins[size_t(level)]) > threshold) {
            low = level;
            break;
        }
    sum = 0;
    for (int32_t level = kMax; level >= 0; --level)
        if ((sum += bins[size_t(level)]) > threshold) {
            high = level;
            break;
        }
    if (frame) {
        if (std::abs(high - low) < 128) {
            low = 0;
            high = kMax;
        }
        const int32_t d =
            int32_t(int64_t(((100 - softnessContrast) * 64) / 200 + 64) * (high - low) / 256);
        int32_t lo = std::max(0, low + d), hi = high - d;
        if (low + d == hi) ++hi;
        hi = std::min(kMax, hi);
        low = lo;
        high = hi;
    }
    if (high <= low) return;
    uint16_t* data = reinterpret_cast<uint16_t*>(a.base);
    for (int64_t i = 0; i < cells * a.zSize; ++i)
        data[i] =
            uint16_t(std::clamp<int64_t>(int64_t(data[i] - low) * kMax / (high - low), 0, kMax));
}

int32_t BlurRadiusOf(double amount) {
    return int32_t(std::floor((amount + 1) / 2.0));
}

// The grain field as the plain steps give it; returns stream 0's last state.
uint32_t ReferenceGrain(const RenderPlan& plan, const int32_t* v, int32_t threads) {
    int32_t size = v[CTL_GRAIN_SIZE];
    if (v[CTL_GRAIN_SCALE_TO_IMAGE])
        size = int32_t(std::sqrt(std::max(gContext.X, gContext.Y) / 1000.0) * size);
    const int32_t colour = v[CTL_GRAIN_COLOR];
    const int32_t width = plan.right - plan.left, height = plan.bottom - plan.top;
    CreateArray(ARRAY_GRAIN, width, height, colour == 0 ? 1 : colour == 100 ? 3 : 4, 2);
    const uint32_t last = ReferenceNoise(ARRAY_GRAIN, colour, 917, kMax, threads);
    RecursiveBlurMT(ARRAY_GRAIN, BlurRadiusOf(size * 0.25 * 2.0), threads > 1, 0);
    ReferenceStretch(ARRAY_GRAIN, int64_t(width) * height, false, 0);
    return last;
}

// The frame field of a shaped frame as the plain steps give it: the pattern sampled at each
// pixel, each pixel classified against the three rectangles displaced by it.
void ReferenceFrame(const RenderPlan& plan, const int32_t* v, int32_t threads) {
    const int32_t W = gContext.X, H = gContext.Y;
    const bool edges = v[CTL_FRAME_OUTER_EDGE] != 0 || v[CTL_FRAME_MIDDLE_EDGE] != 0 ||
                       v[CTL_FRAME_INNER_EDGE] != 0;
    std::vector<int32_t> pattern;
    const int32_t width = plan.right - plan.left, height = plan.bottom - plan.top;
    if (edges) {
        int32_t gw = 0, gh = 0;
        FrameGridSize(W, H, v[CTL_FRAME_SIZE], v[CTL_FRAME_RECTANGULAR] != 0, &gw, &gh);
        CreateArray(ARRAY_FRAME_SHAPE, gw, gh, 1, 1);
        if (v[CTL_FRAME_EDGE_SHAPE] == 6) {
            ReferenceNoise(ARRAY_FRAME_SHAPE, 0, uint32_t(v[CTL_FRAME_SEED]), 255, threads);
        } else {
            gJob.poolParameters[1] = ARRAY_FRAME_SHAPE;
            gJob.poolParameters[2] = v[CTL_FRAME_EDGE_SHAPE];
            RunPoolRoutine(GradientMaskJob, false, false);
        }
        const int32_t mode = v[CTL_FRAME_RECTANGULAR] ? SAMPLE_NEAREST : SAMPLE_SPLINE;
        for (int32_t y = plan.top; y < plan.bottom; ++y)
            for (int32_t x = plan.left; x < plan.right; ++x)
                pattern.push_back(std::clamp(
                    SampleArray(ARRAY_FRAME_SHAPE, double(gw) / W * x, double(gh) / H * y, 0, mode),
                    0, 255));
    }
    const bool borderOnly = v[CTL_FRAME_BORDER_ONLY] != 0;
    CreateArray(ARRAY_FRAME, width, height, borderOnly ? 1 : 2, 2);
    const double n = std::min(W, H);
    const int32_t controls[3] = {v[CTL_FRAME_OUTER_EDGE], v[CTL_FRAME_MIDDLE_EDGE],
                                 v[CTL_FRAME_INNER_EDGE]};
    const bool on[3] = {v[CTL_FRAME_OUTSIDE] > 0, v[CTL_FRAME_BORDER] != 0,
                        v[CTL_FRAME_INSIDE] != 0};
    const FrameRects r =
        FrameRectsFor(W, H, v[CTL_FRAME_OUTSIDE], v[CTL_FRAME_BORDER], v[CTL_FRAME_INSIDE]);
    for (int32_t y = plan.top; y < plan.bottom; ++y)
        for (int32_t x = plan.left; x < plan.right; ++x) {
            int32_t band = 3;
            for (int32_t i = 2; i >= 0; --i) {
                int32_t d = 0;
                if (edges && controls[i] != 0) {
                    const int32_t e =
                        pattern[size_t(int64_t(y - plan.top) * width + x - plan.left)] - 128;
                    d = int32_t(e * ((n / 500.0) / ((103.0 - controls[i]) * 16.0 / 100.0)));
                }
                if (on[i] && (x < r.left[i] - d || x > r.right[i] + d || y < r.top[i] - d ||
                              y > r.bottom[i] + d))
                    band = i;
            }
            PutArrayElement(ARRAY_FRAME, x - plan.left, y - plan.top, 0, band == 1 ? kMax : 0);
            if (!borderOnly)
                PutArrayElement(ARRAY_FRAME, x - plan.left, y - plan.top, 1, band == 3 ? kMax : 0);
        }
    if (v[CTL_FRAME_SOFTNESS] <= -100) return;
    RecursiveBlurMT(ARRAY_FRAME, BlurRadiusOf((n / 500.0) * v[CTL_FRAME_ROUNDNESS] * 2.0),
                    threads > 1, 0);
    ReferenceStretch(ARRAY_FRAME, int64_t(width) * height, true,
                     FrameContrast(v[CTL_FRAME_SOFTNESS], v[CTL_FRAME_ROUNDNESS]));
}

std::string Where(const char* name, const Rect& r, int32_t threads) {
    return std::string(name) + " on " + std::to_string(r.width) + "x" + std::to_string(r.height) +
           ", " + std::to_string(threads) + " threads";
}

::testing::AssertionResult SameCells(const std::vector<uint16_t>& got,
                                     const std::vector<uint16_t>& want) {
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << got.size() << " elements, want " << want.size();
    const auto miss = std::mismatch(got.begin(), got.end(), want.begin());
    if (miss.first == got.end()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "element " << (miss.first - got.begin()) << " is "
                                         << *miss.first << ", want " << *miss.second;
}

const Rect kRects[] = {
    {1, 1, 0, 0, 1, 1},            // one pixel
    {9, 7, 0, 0, 9, 7},            // smaller than a band
    {211, 157, 0, 0, 211, 157},    // odd sizes
    {300, 200, 37, 21, 251, 183},  // a tile inside the image
    {640, 96, 0, 0, 640, 96},      // wider than high
};

std::vector<ControlSetting> FrameSettings(std::vector<ControlSetting> extra) {
    std::vector<ControlSetting> s = {{CTL_FRAME_INTENSITY, 100}, {CTL_FRAME_EDGE_SHAPE, 6},
                                     {CTL_FRAME_OUTER_EDGE, 60}, {CTL_FRAME_MIDDLE_EDGE, 40},
                                     {CTL_FRAME_ROUNDNESS, 40},  {CTL_FRAME_SOFTNESS, 20},
                                     {CTL_FRAME_SEED, 11}};
    for (const ControlSetting& e : extra) s.push_back(e);
    return s;
}

TEST(RenderFields, FrameBandsEqualThePixelByPixelClassification) {
    struct Case {
        const char* name;
        std::vector<ControlSetting> settings;
    };
    const Case cases[] = {
        {"random edges", FrameSettings({})},
        {"every edge, small cells",
         FrameSettings({{CTL_FRAME_INNER_EDGE, 90}, {CTL_FRAME_SIZE, 5}})},
        {"chequer 1", FrameSettings({{CTL_FRAME_EDGE_SHAPE, 1}})},
        {"chequer 2, border only",
         FrameSettings({{CTL_FRAME_EDGE_SHAPE, 2}, {CTL_FRAME_BORDER_ONLY, 1}})},
        {"chequer 3, rectangular",
         FrameSettings({{CTL_FRAME_EDGE_SHAPE, 3}, {CTL_FRAME_RECTANGULAR, 1}})},
        {"chequer 4, no inside", FrameSettings({{CTL_FRAME_EDGE_SHAPE, 4}, {CTL_FRAME_INSIDE, 0}})},
        {"angles, no outside", FrameSettings({{CTL_FRAME_EDGE_SHAPE, 5}, {CTL_FRAME_OUTSIDE, 0}})},
        {"wide bands", FrameSettings({{CTL_FRAME_OUTSIDE, 900}, {CTL_FRAME_BORDER, 300}})},
        {"no edges, round", FrameSettings({{CTL_FRAME_OUTER_EDGE, 0}, {CTL_FRAME_MIDDLE_EDGE, 0}})},
        {"hard", FrameSettings({{CTL_FRAME_SOFTNESS, -100}, {CTL_FRAME_INNER_EDGE, -100}})},
        {"soft and round", FrameSettings({{CTL_FRAME_SOFTNESS, 100}, {CTL_FRAME_ROUNDNESS, 200}})},
    };
    for (const Case& c : cases)
        for (const Rect& r : kRects)
            for (int32_t threads : {1, 2, 3, 8}) {
                const std::string where = Where(c.name, r, threads);
                RenderPlan plan = BeginFields(r, c.settings, threads);
                ASSERT_TRUE(
                    PrepareFrameField(plan, EngineControls(), r.width, r.height, r.width, r.height))
                    << where;
                const std::vector<uint16_t> got = FieldValues(ARRAY_FRAME);
                EXPECT_EQ(GetArrayBase(ARRAY_FRAME_EDGE), nullptr) << where;
                EndFields();
                plan = BeginFields(r, c.settings, threads);
                ReferenceFrame(plan, EngineControls(), threads);
                const std::vector<uint16_t> want = ArrayCells(ARRAY_FRAME);
                EndFields();
                EXPECT_TRUE(SameCells(got, want)) << where;
            }
}

TEST(RenderFields, GrainFieldEqualsTheStreamsDrawnOneByOne) {
    struct Case {
        const char* name;
        std::vector<ControlSetting> settings;
    };
    const Case cases[] = {
        {"grey", {{CTL_GRAIN_INTENSITY, 100}, {CTL_GRAIN_SIZE, 15}}},
        {"half colour", {{CTL_GRAIN_INTENSITY, 80}, {CTL_GRAIN_SIZE, 4}, {CTL_GRAIN_COLOR, 50}}},
        {"colour", {{CTL_GRAIN_INTENSITY, 80}, {CTL_GRAIN_COLOR, 100}, {CTL_GRAIN_SIZE, 3}}},
        {"a touch of colour",
         {{CTL_GRAIN_INTENSITY, 80}, {CTL_GRAIN_SIZE, 1}, {CTL_GRAIN_COLOR, 1}}},
        {"scaled", {{CTL_GRAIN_INTENSITY, 50}, {CTL_GRAIN_SIZE, 9}, {CTL_GRAIN_SCALE_TO_IMAGE, 1}}},
    };
    for (const Case& c : cases)
        for (const Rect& r : kRects)
            for (int32_t threads : {1, 2, 3, 8}) {
                const std::string where = Where(c.name, r, threads);
                RenderPlan plan = BeginFields(r, c.settings, threads);
                ASSERT_TRUE(PrepareGrainField(plan, EngineControls(), r.width, r.height)) << where;
                // The host's thread goes on from where its stream ended, as every later
                // draw of this thread did before the rows were handed out in blocks.
                const uint32_t gotState = RandomState();
                const std::vector<uint16_t> got = FieldValues(ARRAY_GRAIN);
                EndFields();
                plan = BeginFields(r, c.settings, threads);
                const uint32_t wantState = ReferenceGrain(plan, EngineControls(), threads);
                const std::vector<uint16_t> want = ArrayCells(ARRAY_GRAIN);
                EndFields();
                EXPECT_EQ(gotState, wantState) << where;
                EXPECT_TRUE(SameCells(got, want)) << where;
            }
}
// The fields count each column group straight after the call that sweeps it: a call of the
// blur's column pass for index g of as many threads as there are groups of 64 elements must
// sweep exactly elements 64 g .. 64 g + 63 of every row, as the whole pass does.
TEST(RenderFields, AColumnGroupCallSweepsItsOwnSixtyFourElements) {
    struct Case {
        int32_t width, height, channels;
    };
    const Case cases[] = {{211, 37, 1}, {211, 37, 2}, {211, 37, 3}, {64, 9, 1}, {1, 5, 1}};
    for (const Case& c : cases) {
        const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height) + "x" +
                                  std::to_string(c.channels);
        const Rect r = {c.width, c.height, 0, 0, c.width, c.height};
        BeginFields(r, {}, 1);
        ASSERT_TRUE(CreateArray(ARRAY_GRAIN, c.width, c.height, c.channels, 2)) << where;
        gJob.poolParameters[1] = ARRAY_GRAIN;
        gJob.poolParameters[2] = c.width;
        gJob.poolParameters[3] = c.height;
        gJob.poolParameters[4] = c.channels == 1 ? 0 : 100;
        gJob.poolParameters[5] = 5;
        gJob.poolParameters[6] = kMax;
        RunPoolRoutine(GrainPassJob, false, true);
        const std::vector<uint16_t> noise = ArrayCells(ARRAY_GRAIN);
        const int64_t rowElements = int64_t(c.width) * c.channels;
        const int64_t groups = (rowElements + 63) / 64;
        const BlurJob whole = {ARRAY_GRAIN, 57, 0, 1};
        RecursiveBlurPass2(whole, 0);
        const std::vector<uint16_t> blurred = ArrayCells(ARRAY_GRAIN);
        const BlurJob perGroup = {ARRAY_GRAIN, 57, 0, int32_t(groups)};
        for (int64_t g = 0; g < groups; ++g) {
            std::memcpy(gArrays[ARRAY_GRAIN].base, noise.data(), noise.size() * 2);
            RecursiveBlurPass2(perGroup, int32_t(g));
            const std::vector<uint16_t> got = ArrayCells(ARRAY_GRAIN);
            std::vector<uint16_t> want = noise;
            for (int64_t i = 0; i < int64_t(want.size()); ++i)
                if (i % rowElements / 64 == g) want[size_t(i)] = blurred[size_t(i)];
            EXPECT_TRUE(SameCells(got, want)) << where << ", group " << g;
        }
        EndFields();
    }
}
}  // namespace

// The fields keep their stretch for their readers: the grain's and the frame's row readers and
// the frame's pixel reader give the stretched values, rows reaching past the field's sides
// clamped into it; a field that another render left (a thumbnail stretches in place, an array
// made by other means holds its values as they are) is read as it is stored.
TEST(RenderFields, ReadersSeeTheStretchedFieldAndNothingElse) {
    const Rect r = {211, 157, 0, 0, 211, 157};
    const std::vector<ControlSetting> settings =
        FrameSettings({{CTL_GRAIN_INTENSITY, 100}, {CTL_GRAIN_SIZE, 15}, {CTL_GRAIN_COLOR, 50}});
    for (int32_t threads : {1, 3}) {
        const std::string where = Where("readers", r, threads);
        const RenderPlan plan = BeginFields(r, settings, threads);
        const int32_t* v = EngineControls();
        ASSERT_TRUE(PrepareGrainField(plan, v, r.width, r.height)) << where;
        ASSERT_TRUE(PrepareFrameField(plan, v, r.width, r.height, r.width, r.height)) << where;
        ASSERT_NE(FieldStretchLevels(ARRAY_GRAIN), nullptr) << where;
        ASSERT_NE(FieldStretchLevels(ARRAY_FRAME), nullptr) << where;
        const std::vector<uint16_t> grainValues = FieldValues(ARRAY_GRAIN);
        const std::vector<uint16_t> frameValues = FieldValues(ARRAY_FRAME);
        const BitDepth depth = BitDepthFor(false);
        const FilmGrain grain = FilmGrainFromControls(v, depth, r.width, r.height);
        const ::Frame frame = FrameFromControls(v, depth, r.width, r.height, false, 0, 0);
        const int32_t first = -5, count = r.width + 12;  // past both sides
        std::vector<int32_t> planes[4];
        std::vector<int32_t> outer(static_cast<size_t>(count)), inner(static_cast<size_t>(count));
        for (std::vector<int32_t>& plane : planes) plane.assign(size_t(count), -1);
        int32_t* const out[4] = {planes[0].data(), planes[1].data(), planes[2].data(),
                                 planes[3].data()};
        for (int32_t row : {0, 77, r.height - 1}) {
            GrainFieldRow(grain, first, row, count, out);
            FrameFieldRow(frame, first, row, 0, count, outer.data());
            FrameFieldRow(frame, first, row, 1, count, inner.data());
            for (int32_t i = 0; i < count; ++i) {
                const int64_t cell = int64_t(row) * r.width + std::clamp(first + i, 0, r.width - 1);
                // Colour 50: red, green, blue from channels 1..3, grey from 0.
                const int32_t channels[4] = {1, 2, 3, 0};
                for (int32_t k = 0; k < 4; ++k)
                    ASSERT_EQ(planes[k][size_t(i)], grainValues[size_t(cell * 4 + channels[k])])
                        << where << ", grain plane " << k << " at " << first + i << ", " << row;
                ASSERT_EQ(outer[size_t(i)], frameValues[size_t(cell * 2)]) << where;
                ASSERT_EQ(inner[size_t(i)], frameValues[size_t(cell * 2 + 1)]) << where;
            }
        }
        // The pixel reader: a pixel the inner channel leaves alone comes back as it was.
        for (int32_t x = 0; x < r.width; x += 7) {
            const int64_t cell = int64_t(77) * r.width + x;
            Rgb p = {10, 200, 90};
            ApplyFrame(frame, x, 77, x, 77, p);
            if (frameValues[size_t(cell * 2 + 1)] / 128 >= 255) {
                EXPECT_EQ(p.r * 1000000 + p.g * 1000 + p.b, 10200090) << where << " at " << x;
            }
        }
        // Made again by other means, at another size: its values as they are.
        ASSERT_TRUE(CreateArray(ARRAY_FRAME, r.width + 1, r.height, 2, 2)) << where;
        EXPECT_EQ(FieldStretchLevels(ARRAY_FRAME), nullptr) << where;
        // A thumbnail's field is stretched in place and keeps no table.
        gSession.thumbnailRendering = 1;
        ASSERT_TRUE(PrepareGrainField(plan, v, r.width, r.height)) << where;
        EXPECT_EQ(FieldStretchLevels(ARRAY_GRAIN), nullptr) << where;
        gSession.thumbnailRendering = 0;
        EndFields();
    }
}
