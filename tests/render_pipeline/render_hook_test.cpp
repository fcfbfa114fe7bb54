// The render hook's tables and preview work, and the session tables a run needs: checked
// against the values the effect's tables list and against hand-worked geometry.

#include <gtest/gtest.h>

#include <cstring>

#include "effect/control_ids.h"
#include "effect/session_hooks.h"
#include "render/session_state.h"
#include "engine_image.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/scripting_descriptor.h"
#include "render/render_fields.h"
#include "render/render_hook.h"
#include "render/render_rows.h"
#include "render/render_tables.h"

namespace {
struct RenderHook : ::testing::Test {
    void SetUp() override { EngineBegin(); }
    void TearDown() override { EngineEnd(); }
    int32_t* v = EngineControls();
};

TEST_F(RenderHook, SessionTablesStartAsTheEffectDefinesThem) {
    for (int32_t curve = 0; curve < 7; ++curve) {
        EXPECT_EQ(gSession.curvePointCount[curve], 2);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 0, 0, curve), 0);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 0, 1, curve), 0);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 0, curve), 159);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, curve), 159);
    }
    for (int32_t row = 0; row < 9; ++row) {
        for (int32_t column = 0; column < 4; ++column)
            EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, row, column, 0), 0);
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, row, 4, 0), 50);
    }
    const int32_t red[7] = {225, 235, 10, 15, 100, -50, -50};
    const int32_t blue[7] = {127, 137, 185, 195, -50, -50, 100};
    const int32_t wrapping[7] = {251, 7, 29, 40, 100, -50, -50};
    for (int32_t column = 0; column < 7; ++column) {
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 0, column, 0), red[column]);
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 5, column, 0), blue[column]);
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 7, column, 0), wrapping[column]);
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 8, column, 0), 0);
    }
    EXPECT_EQ(GetArrayDimension(ARRAY_SETTINGS_ROWS, 0), 662);
    EXPECT_EQ(GetArrayDimension(ARRAY_SETTINGS_ROWS, 1), 3);
}

// A replayed descriptor that carries only one table row: the run without the dialog starts
// the session and decodes the descriptor over the fresh tables, so nothing else is zero.
TEST_F(RenderHook, RunWithoutDialogDecodesADescriptorOverFreshTables) {
    ResetArrayTables();
    ScriptingReset();
    gScripting.haveTextSlots = true;
    strcpy(gScripting.textSlots[SCRIPT_SLOT_TABLE + 2], "30,0,0,0,20,");
    ASSERT_EQ(DecodeScriptTextSlots(), 1);
    gContext.dialogUp = 0;
    OnRunStart(&gContext);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 2, 0, 0), 30);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 2, 4, 0), 20);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 3, 4, 0), 50);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 0), 159);
    EXPECT_EQ(gSession.curvePointCount[0], 2);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 3, 2, 0), 117);
    ScriptingReset();
}

TEST_F(RenderHook, SelectiveRowsAreMadeAtFullIntensityToo) {
    v[CTL_CONVERSION_METHOD] = 2;
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 0, 0, 0, 20);  // brighter reds
    const EngineImage red = MakeImage(3, 2, false, [](int32_t, int32_t) { return Rgb{255, 0, 0}; });
    for (int32_t intensity : {0, 50, 100}) {
        v[CTL_SELECTIVE_INTENSITY] = intensity;
        const Rgb p = RenderImage(red).At(1, 1);
        EXPECT_GT(p.r, 54) << intensity;  // the plain grey of pure red
        EXPECT_EQ(p.r, p.g) << intensity;
    }
}

TEST_F(RenderHook, SelectiveIntensityMinus100MatchesNoSelectiveAdjustment) {
    v[CTL_CONVERSION_METHOD] = 0;
    const EngineImage source = NoiseImage(23, 19, true, 21);
    const EngineImage plain = RenderImage(source);
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 0, 0, 0, 60);
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 3, 1, 0, -40);
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 5, 2, 0, 90);
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 8, 0, 0, -70);
    v[CTL_SELECTIVE_INTENSITY] = -100;
    EXPECT_TRUE(RenderImage(source) == plain);
    v[CTL_SELECTIVE_INTENSITY] = 0;
    EXPECT_FALSE(RenderImage(source) == plain);
}

TEST_F(RenderHook, BlownHighlightsAreStripedAndSplitLineDashed) {
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_CONVERSION_LIGHTNESS] = 128;  // pushes bright colours to white
    v[CTL_SHOW_BLOWN_HIGHLIGHTS] = 1;
    const EngineImage source = MakeImage(6, 2, false, [](int32_t x, int32_t) {
        return x < 3 ? Rgb{250, 240, 230} : Rgb{20, 30, 40};
    });
    const EngineImage preview = RenderImage(source, true);
    EXPECT_EQ(preview.At(0, 0).r, 255);  // even column of a blown pixel
    EXPECT_EQ(preview.At(1, 0).r, 0);    // odd column
    EXPECT_EQ(preview.At(2, 1).g, 255);
    EXPECT_LT(preview.At(4, 0).r, 255);

    v[CTL_SHOW_BLOWN_HIGHLIGHTS] = 0;
    v[CTL_CONVERSION_LIGHTNESS] = 0;
    v[CTL_SPLIT_VIEW] = 4;  // bottom view: a horizontal line through the middle
    const EngineImage tall = NoiseImage(5, 8, false, 3);
    const EngineImage split = RenderImage(tall, true);
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(split.At(x, 4).b, x % 2 == 0 ? 0 : 255) << x;
}

// The preview mixes the result back toward the source by the host's selection; the final
// image leaves that to the host, and the flag is cleared once, before the workers start.
TEST_F(RenderHook, PreviewBlendsByTheSelectionTheFinalImageDoesNot) {
    v[CTL_CONVERSION_METHOD] = 2;
    const EngineImage source = MakeImage(3, 1, false, [](int32_t, int32_t) {
        return Rgb{200, 100, 50};
    });
    EngineSetSelection({0, 128, 255});
    gSession.previewSelectionMask = 1;
    const EngineImage preview = RenderImage(source, true);
    EXPECT_EQ(preview.At(0, 0).r, 200);
    EXPECT_EQ(preview.At(0, 0).b, 50);
    EXPECT_EQ(preview.At(1, 0).r, (128 * 117 + 127 * 200) / 255);
    EXPECT_EQ(preview.At(1, 0).b, (128 * 117 + 127 * 50) / 255);
    EXPECT_EQ(preview.At(2, 0).r, 117);
    const EngineImage final = RenderImage(source, false);
    EXPECT_EQ(gSession.previewSelectionMask, 0);
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(final.At(x, 0).g, 117) << x;
}

// Outside the split view's processed half the work image of a two-pass render holds the
// source, which the blurs between passes read.
TEST_F(RenderHook, WorkImageOutsideTheProcessedRegionHoldsTheSource) {
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_PAPER_INTENSITY] = 30;
    v[CTL_SPLIT_VIEW] = 3;  // left view: columns from the middle on are not processed
    const EngineImage source = NoiseImage(10, 4, false, 6);
    RenderImage(source, true);
    ASSERT_NE(GetArrayBase(ARRAY_WORK_RGB), nullptr);
    for (int32_t x = 5; x < 10; ++x) {
        EXPECT_EQ(GetArrayElement(ARRAY_WORK_RGB, x, 2, 0), source.At(x, 2).r) << x;
        EXPECT_EQ(GetArrayElement(ARRAY_WORK_RGB, x, 2, 2), source.At(x, 2).b) << x;
    }
    EXPECT_EQ(GetArrayElement(ARRAY_WORK_RGB, 1, 2, 0), Luma709(source.At(1, 2)));
}

// A final render keeps the result of its earlier passes in the host's output, which is laid
// out as the work image: the same pixels as a preview's render, whose work image is its own,
// at both depths and on one thread and on several.
TEST_F(RenderHook, FinalRenderKeepsItsEarlierPassesInTheOutput) {
    v[CTL_CONVERSION_METHOD] = 2;
    v[CTL_PAPER_INTENSITY] = 40;
    v[CTL_DYNCONTRAST_INTENSITY] = 80;
    v[CTL_DIFFUSION_INTENSITY] = 50;
    v[CTL_DIFFUSION_RADIUS] = 3;
    v[CTL_GLOW_INTENSITY] = 50;
    v[CTL_VIGNETTE_INTENSITY] = 60;
    for (bool sixteen : {false, true}) {
        for (int32_t cpuOff : {1, 0}) {
            SCOPED_TRACE(testing::Message() << (sixteen ? 16 : 8) << " bits, cpu off " << cpuOff);
            v[CTL_MULTI_CPU_OFF] = cpuOff;
            const EngineImage source = NoiseImage(37, 23, sixteen, 11);
            const EngineImage preview = RenderImage(source, true);
            EXPECT_NE(GetArrayBase(ARRAY_WORK_RGB), nullptr);
            const EngineImage final = RenderImage(source, false);
            EXPECT_EQ(GetArrayBase(ARRAY_WORK_RGB), nullptr) << "the output was the work image";
            EXPECT_FALSE(final == source);
            EXPECT_TRUE(final == preview);
        }
    }
}

// The spare tone channel's sliders are never created; its option and amplify columns are
// the brush's and the mask's colour boxes, which are on by default.
TEST_F(RenderHook, SpareToneChannelIsNeverInUse) {
    v[81] = v[82] = v[83] = v[133] = 40;
    EXPECT_EQ(v[57], 1);
    EXPECT_FALSE(ToneChannelInUse(v, 6));
    EXPECT_FALSE(ToneChannelInUse(v, 0));
    v[CTL_TONE_EXPOSURE] = 10;
    EXPECT_TRUE(ToneChannelInUse(v, 0));
}

TEST_F(RenderHook, TimingTextOfAnEmptyRectangleProjectsNothing) {
    char text[64];
    FormatTimingText(text, sizeof text, 250.0, 0, 1000000);
    EXPECT_STREQ(text, "0.250 s -> 0.0 s");
    FormatTimingText(text, sizeof text, 40.0, 250000, 1000000);
    EXPECT_STREQ(text, "0.040 s -> 0.2 s");
}

TEST_F(RenderHook, StrengthByToneFollowsTheSquareRootCurve) {
    struct Case {
        int32_t tone, strength;
    };
    const Case cases[] = {{0, 0},   {23, 31}, {32, 31}, {42, 31}, {64, 26},
                          {124, 1}, {125, 0}, {200, 0}, {255, 0}};
    for (const Case& c : cases) EXPECT_EQ(StrengthByTone(c.tone), c.strength) << c.tone;
}

TEST_F(RenderHook, FrameGeometryOfSmallAndLargeImages) {
    int32_t gw = 0, gh = 0;
    FrameGridSize(3000, 2000, 160, false, &gw, &gh);  // cell 640
    EXPECT_EQ(gw, 46);
    EXPECT_EQ(gh, 31);
    FrameGridSize(3000, 2000, 160, true, &gw, &gh);
    EXPECT_EQ(gw, 47);
    FrameGridSize(20, 10, 10, false, &gw, &gh);  // cell 10 x 10 / 500 = 0: one pixel
    EXPECT_EQ(gw, 200);
    EXPECT_EQ(gh, 100);
    const FrameRects r = FrameRectsFor(1000, 800, 250, 20, 80);  // bands 50, 4, 16
    EXPECT_EQ(r.left[0], 50);
    EXPECT_EQ(r.right[0], 949);
    EXPECT_EQ(r.top[1], 54);
    EXPECT_EQ(r.bottom[2], 800 - 1 - 70);
}

// Grain and a soft, random-edged frame on images down to one pixel: the fields are made,
// stay within 0..32768, and a flat grain field is not divided by its empty range.
TEST_F(RenderHook, GrainAndFrameFieldsOnTinyImages) {
    v[CTL_GRAIN_INTENSITY] = 100;
    v[CTL_GRAIN_SIZE] = 15;
    v[CTL_FRAME_INTENSITY] = 100;
    v[CTL_FRAME_EDGE_SHAPE] = 6;
    v[CTL_FRAME_OUTER_EDGE] = 50;
    v[CTL_FRAME_SOFTNESS] = 40;
    v[CTL_FRAME_ROUNDNESS] = 30;
    const int32_t sizes[][2] = {{1, 1}, {1, 40}, {3, 3}, {37, 21}};
    for (bool sixteen : {false, true}) {
        for (const auto& size : sizes) {
            const EngineImage source = NoiseImage(size[0], size[1], sixteen, 4);
            RenderImage(source);
            ASSERT_NE(GetArrayBase(ARRAY_GRAIN), nullptr);
            ASSERT_NE(GetArrayBase(ARRAY_FRAME), nullptr);
            for (int32_t array : {int32_t(ARRAY_GRAIN), int32_t(ARRAY_FRAME)}) {
                const int32_t cells = GetArrayDimension(array, 0) * GetArrayDimension(array, 1);
                EXPECT_EQ(cells, size[0] * size[1]);
                for (int32_t y = 0; y < size[1]; ++y)
                    for (int32_t x = 0; x < size[0]; ++x)
                        EXPECT_LE(GetArrayElement(array, x, y, 0), 32768);
            }
        }
    }
    v[CTL_FRAME_EDGE_SHAPE] = 0;
    RenderImage(NoiseImage(4, 4, false, 1));
    EXPECT_EQ(GetArrayBase(ARRAY_FRAME), nullptr);
}
}  // namespace
