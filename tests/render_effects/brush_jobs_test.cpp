// The brush's pool jobs: stamping along a path into the brush layer, and the mask built from
// the layer by colour distance; on one thread and on several.

#include <gtest/gtest.h>

#include <vector>

#include "common/thread_counts.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "render/brush_jobs.h"

namespace {
constexpr int32_t kLayer = ARRAY_BRUSH_STROKE;
constexpr int32_t kMask = ARRAY_BRUSH_MASK;
constexpr int32_t kTip = ARRAY_BRUSH_TIP;

struct BrushJobs : ::testing::Test {
    void SetUp() override {
        EffectContextReset();
        ResetArrayTables();
        gJob.threadCount = 1;
    }
    void TearDown() override { ReleaseAllArrays(); }
};

void Fill(int32_t n, int32_t width, int32_t height, int32_t value) {
    ASSERT_TRUE(CreateArray(n, width, height, 1, 1));
    SetAllArrayElements(n, value);
}

int32_t At(int32_t n, int32_t x, int32_t y) {
    return GetArrayElement(n, x, y, 0);
}

void Stroke(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t radius, int32_t opacity,
            int32_t paint) {
    gBrushStroke = {kLayer, kTip, x0, y0, x1, y1, opacity, radius, paint};
    ASSERT_EQ(BrushStrokeJob(0), 1);
}

TEST_F(BrushJobs, StrokeParametersFromTheControls) {
    EXPECT_EQ(BrushStrokeOpacity(0), 10);
    EXPECT_EQ(BrushStrokeOpacity(50), 50);
    EXPECT_EQ(BrushStrokeOpacity(100), 90);
    // (100 - o) / 100 is a real fraction: hardness 50 (opacity 50) makes the radius 1.5
    // times the size; hardness 100 (opacity 90) 1.1 times.
    EXPECT_EQ(BrushStrokeRadius(50, 20), 30);
    EXPECT_EQ(BrushStrokeRadius(90, 20), 22);
    EXPECT_EQ(BrushStrokeRadius(10, 100), 190);
    for (int32_t r = 1; r <= 15; ++r) EXPECT_EQ(BrushStrokeStep(r), 1) << r;
    EXPECT_EQ(BrushStrokeStep(80), 10);
}

TEST_F(BrushJobs, StrokeWithCoincidingEndsStampsOnce) {
    Fill(kLayer, 20, 20, 255);
    Fill(kTip, 5, 5, 0);  // covers fully
    Stroke(10, 10, 10, 10, 2, 50, 0);
    // Erase: v = 0; ((1 * 255 + 0) / 2) * 50 / 100 = 63. A second stamp would give 15.
    for (int32_t y = 8; y <= 12; ++y)
        for (int32_t x = 8; x <= 12; ++x) EXPECT_EQ(At(kLayer, x, y), 63) << x << "," << y;
    EXPECT_EQ(At(kLayer, 7, 10), 255);
    EXPECT_EQ(At(kLayer, 13, 10), 255);
    EXPECT_EQ(At(kLayer, 10, 13), 255);
}

TEST_F(BrushJobs, StampsReachTheLastRowAndColumn) {
    Fill(kLayer, 20, 15, 0);
    Fill(kTip, 7, 7, 0);
    Stroke(19, 14, 19, 14, 3, 90, 1);  // paint: v = 255; (255 / 3 * 10 + 255 * 90) / 100
    for (int32_t y = 11; y < 15; ++y)
        for (int32_t x = 16; x < 20; ++x) EXPECT_EQ(At(kLayer, x, y), 238) << x << "," << y;
    EXPECT_EQ(At(kLayer, 15, 14), 0);
    // With the stored tile size the current rectangle bounds the stamp.
    Fill(kLayer, 20, 15, 0);
    gContext.storedTileSizeOn = 1;
    gContext.currentLeft = 0;
    gContext.currentTop = 0;
    gContext.currentRight = 18;
    gContext.currentBottom = 13;
    Stroke(19, 14, 19, 14, 3, 90, 1);
    EXPECT_EQ(At(kLayer, 17, 12), 238);
    EXPECT_EQ(At(kLayer, 18, 12), 0);
    EXPECT_EQ(At(kLayer, 17, 13), 0);
}

TEST_F(BrushJobs, TipSmallerThanTheRadiusIsReadAtItsEdge) {
    Fill(kLayer, 30, 30, 255);
    Fill(kTip, 3, 3, 0);  // made for radius 1, used with radius 4
    Stroke(15, 15, 15, 15, 4, 90, 0);
    // Every covered pixel reads a tip cell of 0: (3 * 255 / 4) * 10 / 100 = 19.
    for (int32_t y = 11; y <= 19; ++y)
        for (int32_t x = 11; x <= 19; ++x) ASSERT_EQ(At(kLayer, x, y), 19) << x << "," << y;
    EXPECT_EQ(At(kLayer, 10, 15), 255);
}

TEST_F(BrushJobs, PathsLeaveNoGaps) {
    for (int32_t radius : {3, 8, 40, 80}) {
        Fill(kLayer, 300, 60, 0);
        Fill(kTip, 2 * radius + 1, 2 * radius + 1, 0);
        Stroke(5, 30, 290, 41, radius, 90, 1);
        for (int32_t x = 5; x <= 290; ++x) {
            const int32_t y = 30 + (x - 5) * 11 / 285;
            ASSERT_GT(At(kLayer, x, y), 0) << "radius " << radius << " column " << x;
        }
    }
    // A missing array gives 0 and writes nothing.
    ReleaseArray(kTip);
    gBrushStroke = {kLayer, kTip, 0, 0, 5, 5, 50, 3, 1};
    EXPECT_EQ(BrushStrokeJob(0), 0);
}

TEST_F(BrushJobs, StrokesAreTheSameOnAnyNumberOfThreads) {
    auto job = []() {
        Fill(kLayer, 97, 61, 128);
        Fill(kTip, 23, 23, 0);
        for (int32_t y = 0; y < 23; ++y)
            for (int32_t x = 0; x < 23; ++x)
                PutArrayElement(kTip, x, y, 0,
                                std::min(255, ((x - 11) * (x - 11) + (y - 11) * (y - 11)) * 2));
        gBrushStroke = {kLayer, kTip, 3, 50, 90, 4, 40, 11, 1};
        RunPoolRoutine(BrushStrokeRoutine, true, false);
        gBrushStroke = {kLayer, kTip, 90, 60, 2, 2, 70, 11, 0};
        RunPoolRoutine(BrushStrokeRoutine, true, false);
        return ArrayBytes(kLayer);
    };
    EXPECT_TRUE(SameOutputForThreadCounts(job));
}

// A source of three colours by column, for the colour distance.
int32_t SourceColumns(int32_t x, int32_t, int32_t channel) {
    static const int32_t colours[3][3] = {{255, 128, 0}, {250, 120, 10}, {0, 0, 255}};
    return colours[x % 3][channel];
}

void Distance(int32_t opacity, int32_t combine, int32_t amount, int32_t tolerance) {
    gColorDistance = {kMask, kLayer, opacity, combine, 0x0080FF, amount, tolerance};
    ASSERT_EQ(ColorDistanceMaskJob(0), 1);
}

TEST_F(BrushJobs, MaskCombinesTheLayerByColourDistance) {
    gContext.imageMode = 3;
    gContext.accessors.getSourcePixel = SourceColumns;
    struct Case {
        const char* what;
        int32_t opacity, combine, amount, tolerance, layer;
        int32_t want[3];  // columns 0, 1, 2
    } cases[] = {
        {"opacity 0 keeps the mask", 0, 1, 50, 0, 10, {200, 200, 200}},
        {"amount 0 multiplies the layer", 100, 1, 0, 0, 128, {100, 100, 100}},
        {"amount 0 screens the layer", 100, 2, 0, 0, 128, {228, 228, 228}},
        // T = 63, lo = -1: the picked colour weighs 255 / 64 = 3, distance 10 gives 43, the
        // blue far away 255; each multiplies the mask's 200.
        {"tolerance -100", 100, 1, 100, -100, 0, {2, 33, 200}},
        // lo = 62: everything closer than 62 keeps weight 0.
        {"tolerance 100", 100, 1, 100, 100, 0, {0, 0, 200}},
        {"half opacity", 50, 1, 0, 0, 0, {100, 100, 100}},
    };
    for (const Case& c : cases) {
        Fill(kMask, 6, 2, 200);
        Fill(kLayer, 6, 2, c.layer);
        Distance(c.opacity, c.combine, c.amount, c.tolerance);
        for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(At(kMask, x, 1), c.want[x]) << c.what << " " << x;
    }
}

TEST_F(BrushJobs, MasksAreTheSameOnAnyNumberOfThreads) {
    gContext.imageMode = 3;
    gContext.accessors.getSourcePixel = SourceColumns;
    auto job = []() {
        Fill(kMask, 53, 41, 180);
        Fill(kLayer, 53, 41, 0);
        for (int32_t y = 0; y < 41; ++y)
            for (int32_t x = 0; x < 53; ++x) PutArrayElement(kLayer, x, y, 0, (x * 5 + y) % 256);
        gColorDistance = {kMask, kLayer, 70, 2, 0x0080FF, 30, 20};
        RunPoolRoutine(ColorDistanceMaskRoutine, true, false);
        return ArrayBytes(kMask);
    };
    EXPECT_TRUE(SameOutputForThreadCounts(job));
}
}  // namespace
