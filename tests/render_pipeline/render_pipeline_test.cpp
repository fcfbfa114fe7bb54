// The render hook and the pipeline frame on images in memory: per-pixel agreement with the
// conversion, tilings, split view, the preview switch, multi-pass renders, cancel and
// progress.

#include <gtest/gtest.h>

#include "effect/control_ids.h"
#include "effect/session_hooks.h"
#include "render/render_tables.h"
#include "render/session_state.h"
#include "engine_image.h"
#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "render/grey_conversion.h"
#include "render/render_rows.h"

namespace {
struct RenderPipeline : ::testing::Test {
    void SetUp() override { EngineBegin(); }
    void TearDown() override {
        EngineEnd();
        SetProcessorCountOverride(0);
    }
    int32_t* v = EngineControls();
};

// What the pipeline must give for one pixel with no tone curve: conversion, then the
// selective step, each checked on its own against hand values.
Rgb Reference(const int32_t* controls, const Rgb& source, bool sixteenBit) {
    const BitDepth& depth = sixteenBit ? kDepth16 : kDepth8;
    const GreyConversion conversion = GreyConversionFromControls(controls, depth, nullptr);
    const int32_t g = ConvertToGrey(conversion, source);
    Rgb p = {g, g, g};
    const SelectiveTables tables = ReadSelectiveTables();
    if (SelectiveTablesInUse(tables) && controls[CTL_SELECTIVE_INTENSITY] != -100) {
        const int32_t* luts[kSelectiveRows] = {};
        ApplySelective(SelectiveFromTables(tables, controls[CTL_SELECTIVE_TOLERANCE],
                                           controls[CTL_SELECTIVE_INTENSITY], depth, luts),
                       source, g, p);
    }
    return p;
}

void ExpectMatchesReference(const EngineImage& source, const EngineImage& output,
                            const int32_t* controls, const char* what) {
    for (int32_t y = 0; y < source.height; ++y) {
        for (int32_t x = 0; x < source.width; ++x) {
            const Rgb want = Reference(controls, source.At(x, y), source.sixteenBit);
            const Rgb got = output.At(x, y);
            ASSERT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b)
                << what << " at " << x << "," << y << ": " << got.r << "," << got.g << "," << got.b
                << " want " << want.r << "," << want.g << "," << want.b;
        }
    }
}

TEST_F(RenderPipeline, EveryPixelEqualsTheConversionAtBothDepthsAndAnySize) {
    struct Setting {
        const char* what;
        int32_t method, hue, saturation, sky, contrast, key;
    };
    const Setting settings[] = {
        {"standard", 2, 75, 0, 0, 0, 0},
        {"red filter with sky polarizer", 0, 10, 40, 80, 0, 0},
        {"infra-red with colour contrast", 6, 150, -20, 0, 60, 0},
        {"split with the green keyed back", 7, 30, 100, 0, 0, 180},
    };
    const int32_t sizes[][2] = {{1, 1}, {7, 3}, {33, 17}, {2, 40}};
    for (bool sixteen : {false, true}) {
        for (const Setting& s : settings) {
            EngineBegin();
            v[CTL_CONVERSION_METHOD] = s.method;
            v[CTL_CONVERSION_HUE] = s.hue;
            v[CTL_CONVERSION_SATURATION] = s.saturation;
            v[CTL_POLARIZER_SKY] = s.sky;
            v[CTL_POLARIZER_COLOR_CONTRAST] = s.contrast;
            PutArrayElement(ARRAY_SELECTIVE_TABLE, 3, 2, 0, s.key);
            for (const auto& size : sizes) {
                const EngineImage source = NoiseImage(size[0], size[1], sixteen, 7);
                ExpectMatchesReference(source, RenderImage(source), v, s.what);
            }
        }
    }
}

TEST_F(RenderPipeline, EveryTilingGivesTheSameImage) {
    v[CTL_CONVERSION_METHOD] = 0;
    v[CTL_POLARIZER_FOLIAGE] = 50;
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 0, 2, 0, 120);
    for (bool sixteen : {false, true}) {
        const EngineImage source = NoiseImage(37, 23, sixteen, 3);
        const EngineImage whole = RenderImage(source);
        std::vector<std::vector<RenderRect>> tilings(3);
        for (int32_t top = 0; top < 23; top += 5)
            tilings[0].push_back({0, top, 37, std::min(top + 5, 23)});
        for (int32_t top = 0; top < 23; top += 4)
            for (int32_t left = 0; left < 37; left += 7)
                tilings[1].push_back({left, top, std::min(left + 7, 37), std::min(top + 4, 23)});
        for (int32_t left = 0; left < 37; ++left) tilings[2].push_back({left, 0, left + 1, 23});
        for (const auto& tiles : tilings) EXPECT_TRUE(RenderImage(source, tiles) == whole);
    }
}

TEST_F(RenderPipeline, SplitViewAppliesOnlyWhileTheDialogIsUp) {
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_SPLIT_VIEW] = 2;  // right view: the left half stays the source
    const EngineImage source = NoiseImage(20, 6, false, 11);
    const EngineImage preview = RenderImage(source, true);
    for (int32_t x = 0; x < 20; ++x) {
        const Rgb got = preview.At(x, 3);
        if (x < 10) {
            EXPECT_EQ(got.r, source.At(x, 3).r) << x;
            EXPECT_EQ(got.b, source.At(x, 3).b) << x;
        } else if (x != 10) {  // column 10 carries the split line
            EXPECT_EQ(got.r, Luma709(source.At(x, 3))) << x;
        }
    }
    const EngineImage final = RenderImage(source, false);
    ExpectMatchesReference(source, final, v, "final run with split view on");
}

TEST_F(RenderPipeline, MultiSplitShowsTheSamePartOnBothSides) {
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_SPLIT_VIEW] = 3;  // left view: the right half shows the source
    v[CTL_SPLIT_MULTI] = 1;
    gSession.splitOffsetX = 8;  // both halves show columns from 4 on
    const EngineImage source = NoiseImage(16, 3, false, 5);
    const EngineImage preview = RenderImage(source, true);
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(preview.At(x, 1).g, Luma709(source.At(4 + x, 1))) << x;
    for (int32_t x = 9; x < 16; ++x) EXPECT_EQ(preview.At(x, 1).g, source.At(x, 1).g) << x;
}

TEST_F(RenderPipeline, OneColumnRectangleInMultiSplitRenders) {
    v[CTL_SPLIT_VIEW] = 2;
    v[CTL_SPLIT_MULTI] = 1;
    const EngineImage source = NoiseImage(1, 9, true, 2);
    const EngineImage preview = RenderImage(source, true);
    EXPECT_EQ(preview.width, 1);
}

TEST_F(RenderPipeline, PreviewSwitchOffShowsTheSourceButTheFinalImageRenders) {
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_PREVIEW_ON] = 0;
    const EngineImage source = NoiseImage(9, 9, false, 4);
    EXPECT_TRUE(RenderImage(source, true) == source);
    ExpectMatchesReference(source, RenderImage(source, false), v, "final with preview off");
    v[CTL_PREVIEW_ON] = 1;
    gSession.renderDeferred = 1;
    v[CTL_INSTANT_PREVIEW] = 0;
    EXPECT_TRUE(RenderImage(source, true) == source);
    v[CTL_INSTANT_PREVIEW] = 1;
    ExpectMatchesReference(source, RenderImage(source, true), v, "deferred with instant preview");
}

TEST_F(RenderPipeline, LaterPassesKeepAFlatImage) {
    v[CTL_CONVERSION_METHOD] = 2;
    for (bool sixteen : {false, true}) {
        const int32_t m = sixteen ? 128 : 1;
        const EngineImage flat = MakeImage(11, 13, sixteen, [m](int32_t, int32_t) {
            return Rgb{90 * m, 150 * m, 40 * m};
        });
        const EngineImage onePass = RenderImage(flat);
        EXPECT_EQ(gArrays[ARRAY_WORK_RGB].base, nullptr);
        v[CTL_PAPER_INTENSITY] = 50;
        v[CTL_PAPER_GLOSS] = 30;
        const EngineImage twoPasses = RenderImage(flat);
        EXPECT_TRUE(gRender.plan.pass2);
        EXPECT_TRUE(twoPasses == onePass);
        v[CTL_PAPER_INTENSITY] = 0;
        v[CTL_PAPER_GLOSS] = 0;
    }
}

TEST_F(RenderPipeline, HostAbortEndsTheRenderWithCancelWithinARow) {
    SetProcessorCountOverride(1);
    v[CTL_CONVERSION_METHOD] = 2;
    const EngineImage source = NoiseImage(12, 40, false, 9);
    EngineAbortAtCall(3);
    const EngineImage output = RenderImage(source);
    EXPECT_EQ(EngineResult(), -128);
    // Rows 0 and 1 were rendered before the third report; the rest keeps the source.
    EXPECT_EQ(output.At(5, 1).r, Luma709(source.At(5, 1)));
    for (int32_t y = 2; y < 40; ++y) EXPECT_EQ(output.At(5, y).r, source.At(5, y).r) << y;
    EXPECT_EQ(gRender.rowsDone.load(), 2);
}

// Thread 0 stops at a cancel while the others are in the middle of their rows; with the
// passes 2 and 3 on, every thread must still pass every barrier and the call must return.
TEST_F(RenderPipeline, CancelInAMultiPassRenderLeavesNoThreadWaiting) {
    SetProcessorCountOverride(8);
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_PAPER_INTENSITY] = 40;
    v[CTL_DIFFUSION_INTENSITY] = 30;
    v[CTL_GLOW_INTENSITY] = 30;
    const EngineImage source = NoiseImage(64, 200, true, 8);
    for (int32_t abortAt : {1, 2, 5, 30, 55}) {
        EngineAbortAtCall(abortAt);
        RenderImage(source);
        EXPECT_EQ(EngineResult(), -128) << abortAt;
        // Thread 0 reports for each of its rows (25 a pass); the others may be ahead of it
        // inside a pass but never pass the barrier that closes it.
        EXPECT_LE(gRender.rowsDone.load(), 200 * ((abortAt - 1) / 25 + 1)) << abortAt;
        EngineBegin();
        v[CTL_CONVERSION_METHOD] = 2;
        v[CTL_PAPER_INTENSITY] = 40;
        v[CTL_DIFFUSION_INTENSITY] = 30;
        v[CTL_GLOW_INTENSITY] = 30;
    }
}

TEST_F(RenderPipeline, OneThreadAndEightThreadsGiveTheSameImage) {
    v[CTL_CONVERSION_METHOD] = 7;
    v[CTL_CONVERSION_SATURATION] = 90;
    v[CTL_POLARIZER_SKIN] = 60;
    v[CTL_PAPER_INTENSITY] = 40;
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 5, 2, 0, 200);
    for (bool sixteen : {false, true}) {
        const EngineImage source = NoiseImage(41, 57, sixteen, 12);
        SetProcessorCountOverride(1);
        const EngineImage one = RenderImage(source);
        SetProcessorCountOverride(8);
        const EngineImage eight = RenderImage(source);
        EXPECT_TRUE(one == eight) << (sixteen ? "16-bit" : "8-bit");
    }
}

// On several threads every thread claims rows, the host's thread among them, yet the host
// hears of every N-th row of each pass in order, once, as if that thread rendered them.
TEST_F(RenderPipeline, ProgressOnEightThreadsComesForEveryEighthRowOfEachPass) {
    SetProcessorCountOverride(8);
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_PAPER_INTENSITY] = 40;
    v[CTL_GLOW_INTENSITY] = 30;
    const EngineImage source = NoiseImage(12, 60, false, 4);
    RenderImage(source);
    ASSERT_TRUE(gRender.plan.pass2 && gRender.plan.pass3);
    const auto& reports = EngineProgress();
    ASSERT_EQ(reports.size(), 3u * 8u + 1u);
    for (int32_t pass = 0; pass < 3; ++pass) {
        for (int32_t k = 0; k < 8; ++k) {
            const auto& report = reports[size_t(pass * 8 + k)];
            EXPECT_EQ(report.first, pass * 60 + k * 8) << pass << " " << k;
            EXPECT_EQ(report.second, 180);
        }
    }
    EXPECT_EQ(reports.back(), std::make_pair(0, 100));
    EXPECT_EQ(gRender.rowsDone.load(), 180);
    EXPECT_EQ(EngineResult(), 0);
}

// A 16-bit chain that depends on the grey alone makes its 32,769-level rows on the pool's
// threads, and the diffusion's grey copy and the glow mask share their rows out in claims:
// none of it may change a value.
TEST_F(RenderPipeline, SharedGreyRowsAndClaimedStagesGiveTheOneThreadImage) {
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_TONE_BRIGHTNESS] = 25;
    v[CTL_DIFFUSION_INTENSITY] = 40;
    v[CTL_GLOW_INTENSITY] = 30;
    const EngineImage source = NoiseImage(70, 93, true, 21);
    SetProcessorCountOverride(1);
    const EngineImage one = RenderImage(source);
    EXPECT_TRUE(gRender.plan.greyLookup);
    for (int32_t threads : {2, 3, 8}) {
        SetProcessorCountOverride(threads);
        const EngineImage many = RenderImage(source);
        EXPECT_TRUE(gRender.plan.greyLookup);
        EXPECT_TRUE(many == one) << threads << " threads";
    }
}

TEST_F(RenderPipeline, ProgressCountsFromTheRectanglesTop) {
    SetProcessorCountOverride(1);
    v[CTL_CONVERSION_METHOD] = 2;
    const EngineImage source = NoiseImage(5, 60, false, 1);
    RenderImage(source, {{0, 40, 5, 60}});
    // One report per row, 0 to 19 of 20, then the closing report 0 of 100.
    const auto& reports = EngineProgress();
    ASSERT_EQ(reports.size(), 21u);
    for (int32_t row = 0; row < 20; ++row) {
        EXPECT_EQ(reports[size_t(row)].first, row);
        EXPECT_EQ(reports[size_t(row)].second, 20);
    }
    EXPECT_EQ(reports.back(), std::make_pair(0, 100));
    EXPECT_EQ(EngineResult(), 0);
}
}  // namespace
