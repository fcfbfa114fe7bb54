// The closing steps of a pass (weights, grain, vignette, aging texture, blends, fades, frame)
// a chunk of a row at a time, at every vector level, against the pixel-by-pixel closing:
// the real chain of each setting, random levels, every chunk length, both depths, with the
// row's grain draws and texture noise taken at once and without them.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/random_source.h"
#include "render/effect_chain.h"
#include "render/gradient_noise.h"
#include "render/render_arrays.h"
#include "render/render_rows.h"
#include "render/vector_level.h"
#include "render_effects/effect_settings.h"
#include "render_effects/random_levels.h"

namespace {
// The image at the preview's scale, and the rectangle rendered of it.
constexpr int32_t kImageX = 300, kImageY = 200;
constexpr int32_t kLeft = 21, kTop = 30, kRight = 246, kBottom = 36;

// Chunk lengths: one lane, the tails of 4- and 8-lane steps, whole chunks; a row takes them
// in turn.
const int32_t kCounts[] = {1, 2, 3, 5, 7, 8, 9, 15, 17, 31, 33, 63, kLaterPassChunk};

struct ClosingCase {
    const char* name;
    std::vector<ControlSetting> settings;
};

const std::vector<ClosingCase>& ClosingCases() {
    static const std::vector<ClosingCase> cases = {
        {"grain noise", {{CTL_GRAIN_INTENSITY, 130}, {CTL_GRAIN_SIZE, 0}}},
        {"grain size 15 colour 50 tones",
         {{CTL_GRAIN_INTENSITY, 100},
          {CTL_GRAIN_SIZE, 15},
          {CTL_GRAIN_COLOR, 50},
          {CTL_GRAIN_SHADOWS, 40},
          {CTL_GRAIN_MIDTONES, -30}}},
        {"grain field colour 100",
         {{CTL_GRAIN_INTENSITY, 200}, {CTL_GRAIN_SIZE, 25}, {CTL_GRAIN_COLOR, 100}}},
        {"grain size 7 highlights",
         {{CTL_GRAIN_INTENSITY, 60}, {CTL_GRAIN_SIZE, 7}, {CTL_GRAIN_HIGHLIGHTS, 70}}},
        {"vignette superellipse",
         {{CTL_VIGNETTE_INTENSITY, 70}, {CTL_VIGNETTE_SHAPE, 50}, {CTL_VIGNETTE_SIZE, 60}}},
        {"vignette ellipse full colour",
         {{CTL_VIGNETTE_INTENSITY, 100},
          {CTL_VIGNETTE_SHAPE, -40},
          {CTL_VIGNETTE_SIZE, 50},
          {CTL_VIGNETTE_COLOR, 0x3080C0},
          {CTL_VIGNETTE_INVERT, 1}}},
        {"aging dust", {{CTL_AGING_INTENSITY, 60}, {CTL_AGING_DETAILS, 8}}},
        {"aging vapour hard",
         {{CTL_AGING_INTENSITY, 100}, {CTL_AGING_TYPE, 1}, {CTL_AGING_HARD, 1}}},
        {"aging spots", {{CTL_AGING_INTENSITY, 80}, {CTL_AGING_TYPE, 2}, {CTL_AGING_SIZE, 10}}},
        {"aging stains inverted",
         {{CTL_AGING_INTENSITY, 90}, {CTL_AGING_TYPE, 3}, {CTL_AGING_INVERT, 1}}},
        {"aging drops",
         {{CTL_AGING_INTENSITY, 90}, {CTL_AGING_TYPE, 4}, {CTL_AGING_REDUCTION, 40}}},
        {"aging unknown mode", {{CTL_AGING_INTENSITY, 50}, {CTL_AGING_TYPE, 9}}},
        {"tonal mask in colour",
         {{CTL_MASK_TYPE, MASK_TONAL},
          {CTL_MASK_SAT_LIMIT, 60},
          {CTL_MASK_BRIGHT_LIMIT, 90},
          {CTL_MASK_COLOR_LIMIT, 40},
          {CTL_MASK_SHOW_COLOR, 1}}},
        {"linear mask", {{CTL_MASK_TYPE, MASK_LINEAR}, {CTL_MASK_ROTATION, 30}}},
        {"circular mask", {{CTL_MASK_TYPE, MASK_CIRCULAR}, {CTL_MASK_INVERT, 1}}},
        {"brush erasing", {{CTL_BRUSH_INTENSITY, 60}, {CTL_BRUSH_AMOUNT, 50}}},
        {"brush inverted in colour",
         {{CTL_BRUSH_INTENSITY, 100}, {CTL_BRUSH_INVERT, 1}, {CTL_BRUSH_SHOW_COLOR, 1}}},
        {"main fade", {{CTL_FADE_INTENSITY, 40}}},
        {"fade to the base", {{CTL_FADE_INTENSITY, -100}}},
        {"luma and chroma fades", {{CTL_FADE_LUMINANCE, -60}, {CTL_FADE_COLOR, 80}}},
        {"saturation and lightness fades", {{CTL_FADE_SATURATION, 70}, {CTL_FADE_LIGHTNESS, -50}}},
        {"plain frame",
         {{CTL_FRAME_INTENSITY, 70},
          {CTL_FRAME_OUTSIDE, 400},
          {CTL_FRAME_BORDER, 300},
          {CTL_FRAME_INSIDE, 500},
          {CTL_FRAME_COLOR_1, 0x102030}}},
        {"plain frame border only",
         {{CTL_FRAME_INTENSITY, 100}, {CTL_FRAME_BORDER, 900}, {CTL_FRAME_BORDER_ONLY, 1}}},
        {"shaped frame", {{CTL_FRAME_INTENSITY, 80}, {CTL_FRAME_EDGE_SHAPE, 6}}},
        {"shaped frame border only",
         {{CTL_FRAME_INTENSITY, 100}, {CTL_FRAME_EDGE_SHAPE, 6}, {CTL_FRAME_BORDER_ONLY, 1}}},
        {"everything",
         {{CTL_GRAIN_INTENSITY, 100},
          {CTL_GRAIN_SIZE, 15},
          {CTL_VIGNETTE_INTENSITY, 70},
          {CTL_VIGNETTE_SHAPE, 50},
          {CTL_AGING_INTENSITY, 60},
          {CTL_MASK_TYPE, MASK_CIRCULAR},
          {CTL_BRUSH_INTENSITY, 40},
          {CTL_FADE_INTENSITY, 20},
          {CTL_FADE_SATURATION, 30},
          {CTL_FRAME_INTENSITY, 90},
          {CTL_FRAME_EDGE_SHAPE, 6}}},
    };
    return cases;
}

int32_t SettingOf(const ClosingCase& c, int32_t control) {
    for (const ControlSetting& s : c.settings)
        if (s.control == control) return s.value;
    return 0;
}

// An array of random 2-byte values over the rectangle; every fourth of them at the top.
void FillRandomArray(int32_t n, int32_t channels, int32_t elementBytes, int32_t top,
                     std::mt19937& random) {
    ASSERT_TRUE(CreateArray(n, kRight - kLeft, kBottom - kTop, channels, elementBytes));
    std::uniform_int_distribution<int32_t> value(0, top), pick(0, 3);
    for (int32_t y = 0; y < kBottom - kTop; ++y)
        for (int32_t x = 0; x < kRight - kLeft; ++x)
            for (int32_t c = 0; c < channels; ++c)
                PutArrayElement(n, x, y, c, pick(random) == 0 ? top : value(random));
}

// The arrays the render hook would make for the case: grain and frame fields, grain tone
// weights and the brush mask.
void MakeCaseArrays(const ClosingCase& c, std::mt19937& random) {
    const int32_t colour = SettingOf(c, CTL_GRAIN_COLOR);
    FillRandomArray(ARRAY_GRAIN, colour == 0 ? 1 : colour >= 100 ? 3 : 4, 2, 32768, random);
    ASSERT_TRUE(CreateArray(ARRAY_GRAIN_TONE, 256, 1, 1, 1));
    for (int32_t i = 0; i < 256; ++i) PutArrayElement(ARRAY_GRAIN_TONE, i, 0, 0, (i * 7) % 101);
    ReleaseArray(ARRAY_FRAME);
    if (SettingOf(c, CTL_FRAME_EDGE_SHAPE) != 0)
        FillRandomArray(ARRAY_FRAME, SettingOf(c, CTL_FRAME_BORDER_ONLY) ? 1 : 2, 2, 32768, random);
    ReleaseArray(ARRAY_BRUSH_MASK);
    ReleaseArray(ARRAY_BRUSH_STROKE);
    if (SettingOf(c, CTL_BRUSH_INTENSITY) != 0) {
        ASSERT_TRUE(CreateArray(ARRAY_BRUSH_MASK, kImageX, kImageY, 1, 1));
        ASSERT_TRUE(CreateArray(ARRAY_BRUSH_STROKE, kImageX, kImageY, 1, 1));
        std::uniform_int_distribution<int32_t> value(0, 255);
        for (int32_t y = 0; y < kImageY; ++y)
            for (int32_t x = 0; x < kImageX; ++x) {
                PutArrayElement(ARRAY_BRUSH_MASK, x, y, 0, value(random));
                PutArrayElement(ARRAY_BRUSH_STROKE, x, y, 0, value(random));
            }
    }
}

// The plan of a render of the rectangle with the case's settings, its chain made as the
// render hook makes it.
std::unique_ptr<RenderPlan> CasePlan(const ClosingCase& c, bool sixteen, EffectContext& context) {
    int32_t* v = context.controlValues;
    for (int32_t n = 0; n < kControlCount; ++n) v[n] = ControlTableStartValue(n);
    ApplySettings(v, c.settings);
    context.X = kImageX;
    context.Y = kImageY;
    context.imageWidth = kImageX;
    context.imageHeight = kImageY;
    auto plan = std::make_unique<RenderPlan>();
    plan->depth = BitDepthFor(sixteen);
    plan->sixteenBit = sixteen;
    plan->left = kLeft;
    plan->top = kTop;
    plan->right = kRight;
    plan->bottom = kBottom;
    plan->zoom = 1;
    plan->controls = v;
    RenderPlanSwitches(*plan, v);
    EXPECT_TRUE(EffectChainPrepare(*plan, context));
    return plan;
}

struct RowPixels {
    std::vector<int32_t> r, g, b;
};

RowPixels RandomRow(std::mt19937& random, const BitDepth& d, size_t count) {
    RowPixels row = {RandomLevels(random, d, count), RandomLevels(random, d, count),
                     RandomLevels(random, d, count)};
    // Grey pixels take the closing steps' grey shortcuts.
    for (size_t i = 0; i < count; i += 3) row.g[i] = row.b[i] = row.r[i];
    return row;
}

std::string Describe(const ClosingCase& c, bool sixteen, bool last, bool atOnce, int32_t level) {
    return std::string(c.name) + (sixteen ? ", 16-bit" : ", 8-bit") +
           (last ? ", last pass" : ", earlier pass") + (atOnce ? ", row draws" : ", own draws") +
           ", vector level " + std::to_string(level);
}

// One row of the rectangle closed pixel by pixel and a chunk at a time; every weight, every
// pixel and the worker's random state at the row's end must agree.
void ExpectRowClosedAlike(const RenderPlan& plan, bool last, bool atOnce, int32_t y,
                          VectorLevel level, std::mt19937& random, const std::string& what) {
    const EffectChain& e = plan.effects;
    const int32_t width = plan.right - plan.left;
    const RowPixels tonal = RandomRow(random, plan.depth, size_t(width));
    const RowPixels base = RandomRow(random, plan.depth, size_t(width));
    const RowPixels start = RandomRow(random, plan.depth, size_t(width));
    std::vector<double> noise(size_t(std::max(width, e.texture.columnCount)));
    std::vector<int32_t> draws(size_t(width) * 4 + 4);
    EffectWorker one = EffectWorkerBegin(e);
    one.random = 4711u + uint32_t(y);
    if (atOnce) {
        if (e.aging && NoiseTextureRow(e.texture, y + e.textureOffsetY, noise.data()))
            one.rowNoise = noise.data();
        uint32_t state = one.random;
        GrainDrawRow(e.grain, state, width, draws.data());
        one.rowGrain = e.grain.intensity != 0 && e.grain.drawsPerPixel > 0 ? draws.data() : nullptr;
    }
    EffectWorker chunked = one;
    std::vector<int32_t> sx(static_cast<size_t>(width));
    for (int32_t i = 0; i < width; ++i) sx[size_t(i)] = plan.left + i;
    int32_t done = 0;
    for (int32_t k = 0; done < width; k = (k + 1) % int32_t(std::size(kCounts))) {
        const int32_t n = std::min(kCounts[k], width - done);
        const int32_t x = plan.left + done;
        const ChunkSite site = {x, y, y, done, y - plan.top, sx.data() + done};
        const ConstRowPlanes tonalPlanes = {tonal.r.data() + done, tonal.g.data() + done,
                                            tonal.b.data() + done};
        const ConstRowPlanes basePlanes = {base.r.data() + done, base.g.data() + done,
                                           base.b.data() + done};
        ChunkWeights weights;
        EffectWeightsRow(e, site, tonalPlanes, n, last, weights);
        int32_t r[kLaterPassChunk], g[kLaterPassChunk], b[kLaterPassChunk];
        for (int32_t i = 0; i < n; ++i) {
            r[i] = start.r[size_t(done + i)];
            g[i] = start.g[size_t(done + i)];
            b[i] = start.b[size_t(done + i)];
        }
        EffectCloseRow(e, last, chunked, site, weights, basePlanes, ClosingRowsFor(level),
                       {r, g, b, n});
        for (int32_t i = 0; i < n; ++i) {
            const size_t at = size_t(done + i);
            const PixelSite pixel = {x + i, y, x + i, y, done + i, y - plan.top};
            const PixelWeights w =
                EffectWeights(e, pixel, {tonal.r[at], tonal.g[at], tonal.b[at]}, last);
            ASSERT_EQ(weights.mask[i], w.mask) << what << " mask weight at " << x + i;
            ASSERT_EQ(weights.vignette[i], w.vignette) << what << " vignette at " << x + i;
            ASSERT_EQ(weights.brush[i], w.brush) << what << " brush weight at " << x + i;
            Rgb p = {start.r[at], start.g[at], start.b[at]};
            EffectClosePixel(e, last, one, pixel, w, {base.r[at], base.g[at], base.b[at]}, p);
            ASSERT_TRUE(r[i] == p.r && g[i] == p.g && b[i] == p.b)
                << what << " at " << x + i << "," << y << ": chunk " << r[i] << "," << g[i] << ","
                << b[i] << ", pixel " << p.r << "," << p.g << "," << p.b;
        }
        done += n;
    }
    EXPECT_EQ(chunked.random, one.random) << what << ": the random state ends where it would";
    EXPECT_EQ(chunked.rowGrain, one.rowGrain) << what << ": the row's draws end where they would";
}

TEST(ClosingRows, ChunksCloseAsThePixelsDo) {
    auto context = std::make_unique<EffectContext>();
    std::mt19937 random(20261209);
    RandomSeed(7);
    InitNoise();
    for (const ClosingCase& c : ClosingCases()) {
        for (bool sixteen : {false, true}) {
            MakeCaseArrays(c, random);
            const std::unique_ptr<RenderPlan> plan = CasePlan(c, sixteen, *context);
            for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
                SetVectorLevelOverride(level);
                for (bool last : {true, false})
                    for (bool atOnce : {true, false})
                        for (int32_t y = kTop; y < kBottom; ++y)
                            ExpectRowClosedAlike(*plan, last, atOnce, y, VectorLevel(level), random,
                                                 Describe(c, sixteen, last, atOnce, level));
            }
            SetVectorLevelOverride(-1);
        }
    }
    const int32_t made[] = {ARRAY_GRAIN, ARRAY_GRAIN_TONE, ARRAY_FRAME, ARRAY_BRUSH_MASK,
                            ARRAY_BRUSH_STROKE};
    for (int32_t n : made) ReleaseArray(n);
}

// A rectangle one pixel wide: every step on a chunk of one.
TEST(ClosingRows, OnePixelRowsCloseAsThePixelDoes) {
    auto context = std::make_unique<EffectContext>();
    std::mt19937 random(7);
    const ClosingCase& c = ClosingCases().back();
    for (bool sixteen : {false, true}) {
        MakeCaseArrays(c, random);
        std::unique_ptr<RenderPlan> plan = CasePlan(c, sixteen, *context);
        plan->right = plan->left + 1;
        for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
            SetVectorLevelOverride(level);
            for (int32_t y = kTop; y < kBottom; ++y)
                ExpectRowClosedAlike(*plan, true, y % 2 == 0, y, VectorLevel(level), random,
                                     Describe(c, sixteen, true, y % 2 == 0, level));
        }
        SetVectorLevelOverride(-1);
    }
}
}  // namespace
