// The effect chain through the render hook on small synthetic images at 8 and 16 bits:
// hand-worked results of single effects, the fade that gives back the source, the mask and
// frame geometry, extreme settings on tiny images, and one thread against eight.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/guard_pages.h"
#include "common/thread_counts.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "render_effects/effect_settings.h"
#include "render_pipeline/engine_image.h"

namespace {
struct EffectRender : ::testing::Test {
    void SetUp() override { Begin(); }
    void TearDown() override {
        EngineEnd();
        SetProcessorCountOverride(0);
    }
    // Fresh engine state, standard conversion (a grey pixel stays itself).
    void Begin() {
        EngineBegin();
        for (int i = 0; i < 1024; ++i)
            gContext.sineTable[i] =
                int32_t(std::trunc(std::sin(i * 6.283185307179586 / 1024) * 512.0));
        v = EngineControls();
        v[CTL_CONVERSION_METHOD] = 2;
    }
    int32_t* v = nullptr;
};

EngineImage Flat(int32_t width, int32_t height, bool sixteen, const Rgb& colour8) {
    const int32_t m = sixteen ? 128 : 1;
    return MakeImage(width, height, sixteen, [&](int32_t, int32_t) {
        return Rgb{colour8.r * m, colour8.g * m, colour8.b * m};
    });
}

// A ramp of greys along x, the same in every row.
EngineImage GreyRamp(bool sixteen) {
    const int32_t m = sixteen ? 128 : 1;
    return MakeImage(256, 2, sixteen, [m](int32_t x, int32_t) { return Rgb{x * m, x * m, x * m}; });
}

// Whole-image brush arrays: a diagonal ramp in the mask and a stripe in the last stroke.
void MakeBrushArrays(int32_t width, int32_t height) {
    CreateArray(ARRAY_BRUSH_MASK, width, height, 1, 1);
    CreateArray(ARRAY_BRUSH_STROKE, width, height, 1, 1);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            PutArrayElement(ARRAY_BRUSH_MASK, x, y, 0, (x * 7 + y * 3) % 256);
            PutArrayElement(ARRAY_BRUSH_STROKE, x, y, 0, (x + y) % 3 == 0 ? 255 : 40);
        }
}

TEST_F(EffectRender, ToneExposureDoublesTheGreys) {
    v[CTL_TONE_EXPOSURE] = 128;
    const EngineImage out = RenderImage(GreyRamp(false));
    for (const auto& c : {std::pair{64, 128}, std::pair{100, 200}, std::pair{127, 255}}) {
        const Rgb p = out.At(c.first, 1);
        EXPECT_TRUE(p.r == c.second && p.g == c.second && p.b == c.second) << c.first;
    }
}

TEST_F(EffectRender, LabEffectsRunOnTheGreyLookupAndPerPixelAlike) {
    // Solarization 255 maps v to 255 - v; with a graduated filter beside it the pixels take
    // the per-pixel path, with the filter at 0 strength (n = 0 below the ramp) they must
    // agree.
    v[CTL_LABFX_INTENSITY] = 100;
    v[CTL_LABFX_TYPE] = 3;
    v[CTL_LABFX_AMOUNT] = 255;
    for (bool sixteen : {false, true}) {
        const int32_t max = sixteen ? 32768 : 255, m = sixteen ? 128 : 1;
        const EngineImage lookup = RenderImage(GreyRamp(sixteen));
        for (int32_t x = 0; x < 256; ++x) EXPECT_EQ(lookup.At(x, 0).g, max - x * m) << x;
        v[CTL_NDGRAD_BRIGHTNESS] = 100;
        v[CTL_NDGRAD_OFFSET] = 0;
        v[CTL_NDGRAD_DENSITY] = 0;  // start 0, span 1: every row below 0 has n = 0
        v[CTL_NDGRAD_INVERT] = 0;
        const EngineImage perPixel = RenderImage(GreyRamp(sixteen));
        for (int32_t x = 0; x < 256; ++x) EXPECT_EQ(perPixel.At(x, 1).g, max - x * m) << x;
        v[CTL_NDGRAD_BRIGHTNESS] = 0;
    }
}

TEST_F(EffectRender, DynamicContrastLiftsAFlatGreyAndKeepsBlack) {
    v[CTL_DYNCONTRAST_INTENSITY] = 100;
    v[CTL_DYNCONTRAST_DETAIL] = 80;
    // A flat tile equalises to white: (255 + 100) / 2.
    EXPECT_EQ(RenderImage(Flat(40, 30, false, {100, 100, 100})).At(20, 15).r, 177);
    EXPECT_EQ(RenderImage(Flat(40, 30, false, {0, 0, 0})).At(20, 15).r, 0);
    const int32_t wide = RenderImage(Flat(40, 30, true, {100, 100, 100})).At(20, 15).r;
    EXPECT_NEAR(wide, 177 * 128, 128);
    EXPECT_EQ(RenderImage(Flat(40, 30, true, {0, 0, 0})).At(7, 3).r, 0);
}

TEST_F(EffectRender, PaperAtAnyGlossKeepsAFlatImage) {
    for (bool sixteen : {false, true}) {
        const EngineImage flat = Flat(23, 17, sixteen, {90, 150, 40});
        const EngineImage plain = RenderImage(flat);
        for (int32_t gloss : {0, 50, 100}) {
            v[CTL_PAPER_INTENSITY] = 100;
            v[CTL_PAPER_GLOSS] = gloss;
            EXPECT_TRUE(RenderImage(flat) == plain) << gloss << " " << sixteen;
            v[CTL_PAPER_INTENSITY] = 0;
        }
    }
}

TEST_F(EffectRender, GrainOfColourZeroIsGreyAndSpreadsWithIntensity) {
    for (bool sixteen : {false, true}) {
        const int32_t m = sixteen ? 128 : 1;
        double previousSpread = 0.0;
        for (int32_t intensity : {40, 100, 200}) {
            for (int32_t size : {0, 15, 30}) {
                v[CTL_GRAIN_INTENSITY] = intensity;
                v[CTL_GRAIN_SIZE] = size;
                v[CTL_GRAIN_COLOR] = 0;
                const EngineImage out = RenderImage(Flat(64, 64, sixteen, {128, 128, 128}));
                double sum = 0.0, squares = 0.0;
                for (int32_t y = 0; y < 64; ++y)
                    for (int32_t x = 0; x < 64; ++x) {
                        const Rgb p = out.At(x, y);
                        ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;
                        sum += p.r / double(m);
                        squares += (p.r / double(m)) * (p.r / double(m));
                    }
                const double n = 64.0 * 64.0, mean = sum / n;
                const double spread = std::sqrt(squares / n - mean * mean);
                // At the highest intensity the field's stretch and the clipping at black
                // and white move the mean by a few levels.
                EXPECT_NEAR(mean, 128.0, intensity > 100 ? 8.0 : 3.0)
                    << intensity << " size " << size;
                EXPECT_GT(spread, 1.0) << intensity << " size " << size;
                if (size == 0) {
                    EXPECT_GT(spread, previousSpread) << intensity;
                    previousSpread = spread;
                }
            }
        }
    }
    // Colour 100 gives each channel its own grain.
    v[CTL_GRAIN_COLOR] = 100;
    v[CTL_GRAIN_SIZE] = 0;
    const EngineImage out = RenderImage(Flat(16, 16, false, {128, 128, 128}));
    int32_t coloured = 0;
    for (int32_t x = 0; x < 16; ++x) coloured += out.At(x, 3).r != out.At(x, 3).b;
    EXPECT_GT(coloured, 8);
}

TEST_F(EffectRender, BlackVignetteDarkensTheCornersOnly) {
    v[CTL_VIGNETTE_INTENSITY] = 100;
    for (bool sixteen : {false, true}) {
        const EngineImage out = RenderImage(Flat(101, 61, sixteen, {200, 200, 200}));
        for (const auto& c :
             {std::pair{0, 0}, std::pair{100, 0}, std::pair{0, 60}, std::pair{100, 60}})
            EXPECT_EQ(out.At(c.first, c.second).g, 0) << c.first << "," << c.second;
        EXPECT_EQ(out.At(50, 30).g, 200 * (sixteen ? 128 : 1));
    }
}

TEST_F(EffectRender, FadeMinus100GivesBackTheSourceWithEveryEffectOn) {
    for (bool sixteen : {false, true}) {
        Begin();
        ApplySettings(v, EveryDeterministicEffect());
        ApplySettings(v, SettingsC());
        v[CTL_FRAME_INTENSITY] = 0;
        v[CTL_MASK_TYPE] = 4;  // a circular mask: the later passes blend toward the source
        v[CTL_BRUSH_INTENSITY] = 60;
        v[CTL_FADE_INTENSITY] = -100;
        v[CTL_FADE_COLOR] = 0;
        v[CTL_FADE_SATURATION] = 0;
        SetSCurve();
        MakeBrushArrays(45, 33);
        const EngineImage source = NoiseImage(45, 33, sixteen, 21);
        EXPECT_TRUE(RenderImage(source) == source) << sixteen;
    }
}

TEST_F(EffectRender, AgingTextureIsTheSameForEveryTiling) {
    // No seed of its own (randomize 0); a render with grain in between draws from the host
    // thread's random source, which the next render's texture must not follow.
    v[CTL_AGING_INTENSITY] = 80;
    v[CTL_AGING_TYPE] = 1;
    v[CTL_AGING_SIZE] = 10;
    const EngineImage source = Flat(40, 30, false, {120, 120, 120});
    SetProcessorCountOverride(1);
    const EngineImage whole = RenderImage(source);
    v[CTL_GRAIN_INTENSITY] = 50;
    RenderImage(source);
    v[CTL_GRAIN_INTENSITY] = 0;
    std::vector<RenderRect> tiles;
    for (int32_t top = 0; top < 30; top += 10) tiles.push_back({0, top, 40, top + 10});
    EXPECT_TRUE(RenderImage(source, tiles) == whole);
}

TEST_F(EffectRender, LinearMaskDisplayRampsDownTheRows) {
    v[CTL_MASK_SHOW] = 1;
    v[CTL_MASK_TYPE] = 3;
    v[CTL_MASK_OFFSET] = 128;
    v[CTL_MASK_DENSITY] = 128;
    v[CTL_MASK_ROTATION] = 0;
    for (bool sixteen : {false, true}) {
        const int32_t m = sixteen ? 128 : 1;
        const EngineImage out = RenderImage(NoiseImage(5, 256, sixteen, 3));
        for (int32_t y = 0; y <= 64; ++y) EXPECT_EQ(out.At(2, y).r, 255 * m) << y;
        EXPECT_EQ(out.At(0, 128).g, 128 * m);
        for (int32_t y = 192; y < 256; ++y) EXPECT_EQ(out.At(4, y).b, 0) << y;
        for (int32_t y = 65; y < 192; ++y) {
            EXPECT_LT(out.At(1, y).r, 255 * m) << y;
            EXPECT_GT(out.At(1, y).r, 0) << y;
        }
    }
}

TEST_F(EffectRender, PlainFrameGivesTheBandsOfItsWidths) {
    // 1000 x 1000, outside 250, border 20, inside 80: bands of 62, 5 and 20 pixels. The
    // rectangles include their edges, so each band is exactly its width on every side.
    v[CTL_FRAME_INTENSITY] = 100;
    const EngineImage out = RenderImage(Flat(1000, 1000, false, {128, 128, 128}));
    auto expected = [](int32_t i) {
        const int32_t d = std::min(i, 999 - i);
        if (d < 62) return 255;  // colour 1, white
        if (d < 67) return 0;    // colour 2, black
        if (d < 87) return 255;
        return 128;
    };
    for (int32_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(out.At(i, 500).r, expected(i)) << "column " << i;
        ASSERT_EQ(out.At(500, i).b, expected(i)) << "row " << i;
    }
    EXPECT_EQ(out.At(0, 0).g, 255);
    EXPECT_EQ(out.At(64, 64).g, 0);
}

TEST_F(EffectRender, BorderOnlyPaintsTheBorderBandAlone) {
    v[CTL_FRAME_INTENSITY] = 100;
    v[CTL_FRAME_BORDER_ONLY] = 1;
    v[CTL_FRAME_COLOR_2] = 0x0000FF;  // red
    for (bool shaped : {false, true}) {
        // Shaped: a pattern with no edge displacement and hard edges gives the same bands.
        v[CTL_FRAME_EDGE_SHAPE] = shaped ? 2 : 0;
        v[CTL_FRAME_ROUNDNESS] = shaped ? 30 : 10;
        v[CTL_FRAME_SOFTNESS] = shaped ? -100 : 0;
        const EngineImage out = RenderImage(Flat(400, 400, false, {128, 128, 128}));
        // m = 400: bands of 25, 2 and 8 pixels.
        for (int32_t x = 0; x < 200; ++x) {
            const Rgb p = out.At(x, 200);
            const bool border = x >= 25 && x < 27;
            EXPECT_EQ(p.r, border ? 255 : 128) << x << (shaped ? " shaped" : " plain");
            EXPECT_EQ(p.g, border ? 0 : 128) << x << (shaped ? " shaped" : " plain");
        }
    }
}

TEST_F(EffectRender, ShapedFrameLeavesItsInteriorAtSixteenBits) {
    // Interior field values are 32768; read as 256 of 255 they would shift every interior
    // pixel by a level.
    v[CTL_FRAME_INTENSITY] = 100;
    v[CTL_FRAME_EDGE_SHAPE] = 1;
    v[CTL_FRAME_ROUNDNESS] = 40;
    v[CTL_FRAME_SOFTNESS] = -100;  // hard edges: no blur, the field holds 0 and 32768
    const EngineImage source = NoiseImage(200, 150, true, 17);
    const EngineImage framed = RenderImage(source);
    v[CTL_FRAME_INTENSITY] = 0;
    const EngineImage plain = RenderImage(source);
    for (int32_t y = 40; y < 110; y += 3)
        for (int32_t x = 40; x < 160; x += 3) ASSERT_EQ(framed.At(x, y).r, plain.At(x, y).r);
    EXPECT_EQ(framed.At(0, 0).r, 255 * 128);  // the outer band in white
}

TEST_F(EffectRender, TonalMaskCurveReadsSixteenBitWhite) {
    // White at 16 bits indexes the 256-entry curve at 32768 / 128 = 256.
    v[CTL_MASK_SHOW] = 1;
    v[CTL_MASK_TYPE] = 2;
    v[CTL_MASK_BRIGHT_MODE] = 1;
    v[CTL_MASK_HIGHLIGHTS] = 55;  // the curve ends at 255 - 55 = 200
    const EngineImage white = MakeImage(3, 3, true, [](int32_t, int32_t) {
        return Rgb{32768, 32768, 32768};
    });
    EXPECT_EQ(RenderImage(white).At(1, 1).r, 200 * 128);
}

// Every ranged setting at its minimum or maximum (or alternating), with the lists and
// switches stepped through their values.
void ApplyExtremes(int32_t* v, int32_t set) {
    int32_t index = 0;
    for (int32_t row = 0; row < kControlTableSize; ++row) {
        const ControlTableRow& control = kControlTable[row];
        if (control.number >= kSettingsControlCount || !(control.flags & ROW_RANGED)) continue;
        const bool high = set == 0 ? false : set == 1 ? true : (index + set) % 2 == 0;
        v[control.number] = high ? control.maxValue : control.minValue;
        ++index;
    }
    const int32_t methods[] = {0, 2, 3, 4, 6, 7};
    v[CTL_CONVERSION_METHOD] = methods[set % 6];
    v[CTL_MASK_TYPE] = (set % 4) + 1;
    v[CTL_MASK_BRIGHT_MODE] = set % 2;
    v[CTL_LABFX_TYPE] = set % 5;
    v[CTL_NDGRAD_SHAPE] = set % 3;
    v[CTL_DIFFUSION_MASK_SHAPE] = set % 4;
    v[CTL_FRAME_EDGE_SHAPE] = set % 7;
    v[CTL_AGING_TYPE] = set % 5;
    v[CTL_TONALLOOK_TYPE] = (set * 4) % 22;
    const int32_t flags[] = {
        CTL_MASK_INVERT,        CTL_MASK_COLOR_INVERT, CTL_MASK_SAT_INVERT,
        CTL_MASK_BRIGHT_INVERT, CTL_LABFX_DOUBLE,      CTL_TONING_PARTIAL,
        CTL_NDGRAD_INVERT,      CTL_VIGNETTE_INVERT,   CTL_DIFFUSION_MASK_INVERT,
        CTL_FRAME_BORDER_ONLY,  CTL_FRAME_RECTANGULAR, CTL_GRAIN_SCALE_TO_IMAGE,
        CTL_AGING_INVERT,       CTL_AGING_HARD,        CTL_BRUSH_INVERT,
        CTL_BRUSH_SHOW_COLOR,   CTL_MASK_SHOW_COLOR,   CTL_TONE_OPTION,
        CTL_TONING_OPTION};
    for (int32_t flag : flags) v[flag] = (set + flag) % 2;
    const int32_t colours[] = {CTL_TONING_COLOR_SWATCH, CTL_BICOLOR_SWATCH_1, CTL_BICOLOR_SWATCH_2,
                               CTL_VIGNETTE_COLOR,      CTL_GLOW_COLOR,       CTL_FRAME_COLOR_1,
                               CTL_FRAME_COLOR_2,       CTL_MASK_COLOR,       CTL_BRUSH_COLOR,
                               CTL_AGING_COLOR};
    for (int32_t colour : colours) v[colour] = (set + colour) % 2 ? 0xFFFFFF : 0x102030;
    v[CTL_FRAME_SEED] = set * 13;
    v[CTL_MASK_SHOW] = 0;
    v[CTL_MASK_OPTION] = 0;
}

TEST_F(EffectRender, ExtremeSettingsOnTinyImagesStayInRange) {
    const int32_t sizes[][2] = {{1, 1}, {1, 1000}, {3, 3}, {1000, 1}};
    for (int32_t set = 0; set < 6; ++set) {
        for (bool sixteen : {false, true}) {
            for (const auto& size : sizes) {
                Begin();
                ApplyExtremes(v, set);
                if (set % 2) SetSCurve();
                gSession.brushMode = 1 + set % 2;
                MakeBrushArrays(size[0], size[1]);
                const EngineImage source = NoiseImage(size[0], size[1], sixteen, uint32_t(set));
                const EngineImage out = RenderImage(source);
                const uint16_t max = sixteen ? 32768 : 255;
                for (uint16_t sample : out.samples)
                    ASSERT_LE(sample, max) << "set " << set << " " << size[0] << "x" << size[1]
                                           << (sixteen ? " 16-bit" : " 8-bit");
            }
        }
    }
}

TEST_F(EffectRender, DisplayModesShowTheWeightsAtBothDepths) {
    for (bool sixteen : {false, true}) {
        Begin();
        MakeBrushArrays(30, 20);
        v[CTL_BRUSH_INTENSITY] = 100;
        v[CTL_BRUSH_OPACITY] = 100;
        gSession.brushMode = 1;
        v[CTL_MASK_OPTION] = 1;  // the brush weight alone
        const int32_t m = sixteen ? 128 : 1;
        const EngineImage out = RenderImage(NoiseImage(30, 20, sixteen, 4));
        for (int32_t y = 0; y < 20; y += 3)
            for (int32_t x = 0; x < 30; x += 2) {
                // Erase mode with the stroke: (s * b) / 255 of the mask's ramp.
                const int32_t b = (x * 7 + y * 3) % 256, s = (x + y) % 3 == 0 ? 255 : 40;
                EXPECT_EQ(out.At(x, y).r, (s * b) / 255 * m) << x << "," << y;
            }
    }
}

// A preset thumbnail: the pipeline renders ARRAY_THUMBNAIL in place on the worker pool.
EngineImage RenderThumbnail(const EngineImage& source) {
    CreateArray(ARRAY_THUMBNAIL, source.width, source.height, 3, 1);
    for (int32_t y = 0; y < source.height; ++y)
        for (int32_t x = 0; x < source.width; ++x) {
            const Rgb p = source.At(x, y);
            PutArrayElement(ARRAY_THUMBNAIL, x, y, 0, p.r);
            PutArrayElement(ARRAY_THUMBNAIL, x, y, 1, p.g);
            PutArrayElement(ARRAY_THUMBNAIL, x, y, 2, p.b);
        }
    EffectContext& c = gContext;
    c.imageMode = 3;
    c.X = c.width = c.imageWidth = source.width;
    c.Y = c.height = c.imageHeight = source.height;
    c.currentLeft = c.currentTop = 0;
    c.currentRight = source.width;
    c.currentBottom = source.height;
    c.zoomReduction = 1;
    c.dialogUp = 1;
    gSession.thumbnailRendering = 1;
    StartWorkerPool();
    DispatchEffectHook(HOOK_RENDER, &c);
    StopWorkerPool();
    gSession.thumbnailRendering = 0;
    EngineImage out = source;
    for (int32_t y = 0; y < source.height; ++y)
        for (int32_t x = 0; x < source.width; ++x)
            out.Set(x, y,
                    {GetArrayElement(ARRAY_THUMBNAIL, x, y, 0),
                     GetArrayElement(ARRAY_THUMBNAIL, x, y, 1),
                     GetArrayElement(ARRAY_THUMBNAIL, x, y, 2)});
    return out;
}

TEST_F(EffectRender, ThumbnailsOnThePoolRenderLikeTheImage) {
    for (int32_t threads : {1, 4}) {
        Begin();
        SetProcessorCountOverride(threads);
        ApplySettings(v, EveryDeterministicEffect());
        v[CTL_FRAME_INTENSITY] = 0;  // thumbnails frame their own rectangle
        SetSCurve();
        const EngineImage source = NoiseImage(48, 36, false, 5);
        const EngineImage image = RenderImage(source, true);
        EXPECT_TRUE(RenderThumbnail(source) == image) << threads << " threads";
        // With every effect, grain and the random frame included, the pool finishes.
        ApplySettings(v, SettingsC());
        const EngineImage all = RenderThumbnail(source);
        for (uint16_t sample : all.samples) ASSERT_LE(sample, 255);
    }
}

// A grey result's diffusion blurs one channel for all three; a result with colour anywhere
// (here only in its last row, outside the processed half of a split view, where the source is
// kept) blurs all three. At full intensity and opacity the diffusion gives back the blur, so
// the red and green of an image whose blue alone has colour come out exactly as the grey
// image's, and its blue as a blur of its own.
TEST_F(EffectRender, DiffusionBlursAGreyResultAsOneChannelForAll) {
    for (bool sixteen : {false, true}) {
        const int32_t m = sixteen ? 128 : 1, width = 16, height = 13;
        const EngineImage noise = NoiseImage(width, height, sixteen, 7);
        const EngineImage grey = MakeImage(width, height, sixteen, [&](int32_t x, int32_t y) {
            const int32_t g = noise.At(x, y).g;
            return Rgb{g, g, g};
        });
        EngineImage blue = grey;
        for (int32_t x = width / 2; x < width; ++x) {
            const Rgb p = grey.At(x, height - 1);
            blue.Set(x, height - 1, {p.r, p.g, 250 * m});
        }
        for (int32_t threads : {1, 3, 8}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, 16-bit " << sixteen);
            auto render = [&](const EngineImage& source, bool split) {
                Begin();
                SetProcessorCountOverride(threads);
                v[CTL_DIFFUSION_INTENSITY] = 100;
                v[CTL_DIFFUSION_OPACITY] = 100;
                v[CTL_DIFFUSION_RADIUS] = 3;
                v[CTL_SPLIT_VIEW] = split ? 3 : 0;  // the left half is processed
                return RenderImage(source, split);
            };
            const EngineImage greyOut = render(grey, false);
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x) {
                    const Rgb p = greyOut.At(x, y);
                    ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;
                }
            const EngineImage greySplit = render(grey, true);
            const EngineImage blueSplit = render(blue, true);
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width / 2; ++x) {
                    const Rgb g = greySplit.At(x, y), b = blueSplit.At(x, y);
                    ASSERT_EQ(b.r, g.r) << x << "," << y;
                    ASSERT_EQ(b.g, g.g) << x << "," << y;
                }
            // The blue row's blur reaches the processed pixel beside it.
            const Rgb beside = blueSplit.At(width / 2 - 1, height - 1);
            EXPECT_GT(beside.b, beside.r + 2 * m);
        }
    }
}

TEST_F(EffectRender, OneThreadAndEightThreadsGiveTheSameImage) {
    struct Setting {
        const char* what;
        std::vector<ControlSetting> settings;
    };
    std::vector<Setting> settings = {
        {"every deterministic effect", EveryDeterministicEffect()},
        {"linear mask, paper and frame",
         {{CTL_MASK_TYPE, 3},
          {CTL_MASK_ROTATION, 35},
          {CTL_PAPER_INTENSITY, 100},
          {CTL_FRAME_INTENSITY, 70}}},
        {"circular mask and glow",
         {{CTL_MASK_TYPE, 4},
          {CTL_MASK_ELLIPTICAL, 60},
          {CTL_GLOW_INTENSITY, 100},
          {CTL_GLOW_RADIUS, 9}}},
        {"brush and diffusion",
         {{CTL_BRUSH_INTENSITY, 70},
          {CTL_BRUSH_AMOUNT, 40},
          {CTL_DIFFUSION_INTENSITY, 100},
          {CTL_DIFFUSION_MASK_SHAPE, 3}}},
        {"mask display", {{CTL_MASK_SHOW, 1}, {CTL_MASK_TYPE, 2}, {CTL_MASK_SAT_LIMIT, 90}}},
    };
    for (const Setting& s : settings) {
        for (bool sixteen : {false, true}) {
            const EngineImage source = NoiseImage(41, 37, sixteen, 12);
            auto job = [&]() {
                Begin();
                ApplySettings(v, s.settings);
                SetSCurve();
                gSession.brushMode = 2;
                MakeBrushArrays(41, 37);
                const EngineImage out = RenderImage(source);
                JobOutput bytes(out.samples.size() * 2);
                std::memcpy(bytes.data(), out.samples.data(), bytes.size());
                return bytes;
            };
            EXPECT_TRUE(SameOutputForThreadCounts(job, {1, 8})) << s.what << " " << sixteen;
        }
    }
}
// Between pass 2 and the glow, thread 0 hands the equalised luma's block on to the glow mask and
// frees the mask's own block while the other threads wait: with the guard-page heap a write into
// the freed block faults at once. Wide rows keep every thread inside a row of the mask while
// thread 0 frees; renders at both depths, with the diffusion off (its own wait would hide it).
TEST_F(EffectRender, GlowMaskIsNeverWrittenIntoTheBlockHandedOn) {
    InstallGuardPages(GuardSide::kEnd, true);
    for (int32_t round = 0; round < 6; ++round) {
        for (bool sixteen : {false, true}) {
            const EngineImage source = NoiseImage(3000, 24, sixteen, uint32_t(round));
            auto job = [&]() {
                Begin();
                v[CTL_DYNCONTRAST_INTENSITY] = 60;
                v[CTL_GLOW_INTENSITY] = 100;
                v[CTL_GLOW_RADIUS] = 3;
                v[CTL_DIFFUSION_INTENSITY] = 0;
                const EngineImage out = RenderImage(source);
                JobOutput bytes(out.samples.size() * 2);
                std::memcpy(bytes.data(), out.samples.data(), bytes.size());
                return bytes;
            };
            EXPECT_TRUE(SameOutputForThreadCounts(job, {1, 8})) << round << " " << sixteen;
        }
    }
    RemoveGuardPages();
}
}  // namespace
