// The steps of the effect chain as pure functions, against values worked out by hand from
// their formulas, at 8 and 16 bits.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "host/numbered_arrays.h"
#include "host/random_source.h"
#include "host/sampling.h"
#include "render/render_arrays.h"
#include "render/diffusion_glow.h"
#include "render/fades.h"
#include "render/film_grain.h"
#include "render/frame.h"
#include "render/gradient_shape.h"
#include "render/lab_effects.h"
#include "render/paper_contrast.h"
#include "render/selection_masks.h"
#include "render/toning.h"
#include "render/vignette.h"
#include "render_effects/effect_settings.h"

namespace {
// Controls at the values the dialog gives them.
std::vector<int32_t> DialogValues() {
    std::vector<int32_t> v(kControlCount, 0);
    for (int32_t n = 0; n < kControlCount; ++n) v[size_t(n)] = ControlTableStartValue(n);
    return v;
}

std::vector<int32_t> SineTable() {
    std::vector<int32_t> t(1024);
    for (int i = 0; i < 1024; ++i)
        t[size_t(i)] = int32_t(std::trunc(std::sin(i * 6.283185307179586 / 1024) * 512.0));
    return t;
}

Rgb Grey(int32_t g) {
    return {g, g, g};
}

::testing::AssertionResult Same(const Rgb& got, const Rgb& want) {
    if (got.r == want.r && got.g == want.g && got.b == want.b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.r << "," << got.g << "," << got.b
                                         << " want " << want.r << "," << want.g << "," << want.b;
}

TEST(LabEffects, ChannelsFollowTheHandWorkedValues) {
    struct Case {
        const char* what;
        bool sixteen;
        std::vector<ControlSetting> settings;
        int32_t in, out;
    };
    const std::vector<ControlSetting> solarize = {{CTL_LABFX_TYPE, 3}, {CTL_LABFX_AMOUNT, 255}};
    const std::vector<ControlSetting> mono = {{CTL_LABFX_TYPE, 1},
                                              {CTL_LABFX_THRESHOLD, 64},
                                              {CTL_LABFX_SHADOWS, 32},
                                              {CTL_LABFX_HIGHLIGHTS, 32}};
    const std::vector<ControlSetting> poster = {{CTL_LABFX_TYPE, 2}, {CTL_LABFX_AMOUNT, 32}};
    const Case cases[] = {
        {"solarize 255 inverts 0", false, solarize, 0, 255},
        {"solarize 255 inverts 100", false, solarize, 100, 155},
        {"solarize 255 inverts white", false, solarize, 255, 0},
        {"solarize 255 inverts at 16 bits", true, solarize, 1000, 31768},
        // lo = 64 - 32 * 64 / 128 = 48, hi = 64 + 32 * 191 / 128 = 111.
        {"monochrome below lo", false, mono, 40, 0},
        {"monochrome inside", false, mono, 80, 129},  // (80 - 48) * 255 / 63
        {"monochrome above hi", false, mono, 120, 255},
        {"monochrome inside, 16 bits", true, mono, 80 * 128, 16644},  // 4096 * 32768 / 8064
        {"posterize 32", false, poster, 100, 98},                     // 100 mod 49 = 2
        // Shadows and highlights 0: lo = hi = 64; the threshold itself scales over an empty
        // window, which gives 0.
        {"monochrome at the threshold",
         false,
         {{CTL_LABFX_TYPE, 1}, {CTL_LABFX_SHADOWS, 0}, {CTL_LABFX_HIGHLIGHTS, 0}},
         64,
         0},
        {"monochrome just above",
         false,
         {{CTL_LABFX_TYPE, 1}, {CTL_LABFX_SHADOWS, 0}, {CTL_LABFX_HIGHLIGHTS, 0}},
         65,
         255},
        {"posterize 32, 16 bits", true, poster, 12800, 12290},  // 12800 mod 6145 = 510
        {"lith amount 0 keeps", false, {{CTL_LABFX_TYPE, 0}, {CTL_LABFX_AMOUNT, 0}}, 77, 77},
        {"lith amount 255 keeps", false, {{CTL_LABFX_TYPE, 0}, {CTL_LABFX_AMOUNT, 255}}, 77, 77},
        // t = min(255, 100 * 255 / 128) = 199; (127 * 100 / 255 + 128) * 199 / 255 = 138.
        {"lith 128", false, {{CTL_LABFX_TYPE, 0}, {CTL_LABFX_AMOUNT, 128}}, 100, 138},
        // Index (64 + 0) * 4 + 256 = 512: sin(pi) = 0, so (0 + 512) / 4.
        {"pseudo-solarize", false, {{CTL_LABFX_TYPE, 4}, {CTL_LABFX_AMOUNT, 64}}, 0, 128},
        // Index 768: sin(3 pi / 2) = -1.
        {"pseudo-solarize trough", false, {{CTL_LABFX_TYPE, 4}, {CTL_LABFX_AMOUNT, 64}}, 64, 0},
        // Index 32768 / 32 + 256 + 0 = 1280, 256 in the table: sin(pi / 2).
        {"pseudo-solarize 16 bits",
         true,
         {{CTL_LABFX_TYPE, 4}, {CTL_LABFX_AMOUNT, 0}},
         32768,
         32768},
        {"double solarize 255 and 255",
         false,
         {{CTL_LABFX_TYPE, 3},
          {CTL_LABFX_AMOUNT, 255},
          {CTL_LABFX_DOUBLE, 1},
          {CTL_LABFX_AMOUNT_B, 255}},
         90,
         90},
        // Amount 100: 200 > 155 gives (255 - 200) * 255 / 100.
        {"solarize 100 above", false, {{CTL_LABFX_TYPE, 3}, {CTL_LABFX_AMOUNT, 100}}, 200, 140},
        {"solarize 100 below", false, {{CTL_LABFX_TYPE, 3}, {CTL_LABFX_AMOUNT, 100}}, 100, 164},
        {"unknown type keeps", false, {{CTL_LABFX_TYPE, 9}}, 42, 42},
    };
    const std::vector<int32_t> sine = SineTable();
    for (const Case& c : cases) {
        std::vector<int32_t> v = DialogValues();
        v[CTL_LABFX_INTENSITY] = 100;
        ApplySettings(v.data(), c.settings);
        const LabEffects lab =
            LabEffectsFromControls(v.data(), c.sixteen ? kDepth16 : kDepth8, sine.data());
        Rgb p = Grey(c.in);
        ApplyLabEffects(lab, p);
        EXPECT_TRUE(Same(p, Grey(c.out))) << c.what;
    }
}

TEST(LabEffects, PosterizationKeepsATintAndIntensityMixes) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_LABFX_INTENSITY] = 100;
    v[CTL_LABFX_TYPE] = 2;
    v[CTL_LABFX_AMOUNT] = 32;
    LabEffects lab = LabEffectsFromControls(v.data(), kDepth8, nullptr);
    Rgb p = {110, 100, 90};  // mean 100: remainder 2 off every channel
    ApplyLabEffects(lab, p);
    EXPECT_TRUE(Same(p, {108, 98, 88}));
    v[CTL_LABFX_TYPE] = 3;
    v[CTL_LABFX_AMOUNT] = 255;
    v[CTL_LABFX_INTENSITY] = 50;
    lab = LabEffectsFromControls(v.data(), kDepth8, nullptr);
    p = Grey(100);
    ApplyLabEffects(lab, p);
    EXPECT_TRUE(Same(p, Grey(127)));  // (50 * 155 + 50 * 100) / 100
}

TEST(Gradients, LinearRampAtRotationZeroRunsAlongTheRows) {
    // Offset 128, density 128 on 256 rows: half 64, pos 128, start 64, span 128.
    const GradientSettings s = {GRADIENT_LINEAR, 128, 128, 0, 0, false, 0, 0};
    const GradientShape g = GradientShapeMake(s, 10, 256, 1);
    EXPECT_EQ(g.sine, 0.0);
    EXPECT_EQ(g.cosine, 1.0);
    const int32_t rows[][2] = {{0, 255}, {64, 255}, {65, 254}, {128, 128},
                               {191, 2}, {192, 0},  {255, 0}};
    for (const auto& r : rows)
        for (int32_t x : {0, 9}) EXPECT_EQ(GradientPosition(g, x, r[0]), r[1]) << r[0];
    // Linear Middle: half 128, start 0, span 256; n folds at 128.
    const GradientShape m =
        GradientShapeMake({GRADIENT_LINEAR_MIDDLE, 128, 128, 0, 0, false, 0, 0}, 10, 256, 1);
    EXPECT_EQ(GradientPosition(m, 0, 128), 255);  // n = 128 gives 256, clamped
    EXPECT_EQ(GradientPosition(m, 0, 0), 0);      // n = 255 folds to 0
    // ((0 - 192) * 255) / 256 + 255 = 64, doubled: 128.
    EXPECT_EQ(GradientPosition(m, 0, 192), 128);
}

TEST(Gradients, CircularRadiiOfLargeImagesStayExact) {
    // A 12000 x 9000 image, squeezed by 50: u * u * 100 / 51 reaches 7e7 and beyond int32
    // once multiplied; the reference works in long doubles.
    const int32_t X = 12000, Y = 9000;
    const GradientSettings s = {GRADIENT_CIRCULAR, 200, 100, 0, 50, false, 0, 0};
    const GradientShape g = GradientShapeMake(s, X, Y, 1);
    const long double rad =
        std::floor(std::sqrt((long double)(6000LL * 12000 / 2 + 4500LL * 9000 / 2)));
    EXPECT_EQ(HalfDiagonal(X, Y), int32_t(rad));
    const int32_t points[][2] = {{0, 0}, {11999, 8999}, {6000, 0}, {100, 4500}, {7000, 5000}};
    for (const auto& pt : points) {
        // Angle 180 degrees: u = -(x - cx), w = -(y - cy) (sine 0 at rotation 0).
        const long double u = pt[0] - 6000.0L, w = pt[1] - 4500.0L;
        const long double squared = w * w * 100.0L / 51.0L + u * u;  // wider than tall
        const int64_t r = int64_t(std::floor(std::sqrt(std::floor(squared))));
        const int64_t n = ((r - g.start) * 255) / g.span;
        const int32_t want = int32_t(std::min<int64_t>(std::max<int64_t>(n, 0), 255));
        EXPECT_EQ(GradientPosition(g, pt[0], pt[1]), want) << pt[0] << "," << pt[1];
    }
    EXPECT_EQ(IntegerSqrt64(int64_t(3037000499) * 3037000499), 3037000499);
    EXPECT_EQ(IntegerSqrt64(int64_t(3037000499) * 3037000499 - 1), 3037000498);
    EXPECT_EQ(IntegerSqrt64(10000000000), 100000);
}

TEST(NdGrad, BlendsTheBendByPositionAndProtectsShadows) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_NDGRAD_BRIGHTNESS] = -100;
    std::vector<int32_t> lut(256, 0);  // the bend makes everything black
    const NdGrad grad = NdGradFromControls(v.data(), kDepth8, 10, 256, 1, 0, 0, lut.data());
    const struct {
        int32_t y, shadows;
        Rgb source;
        int32_t want;
    } cases[] = {
        {0, 0, Grey(200), 0},      // n = 255: the bend alone
        {128, 0, Grey(200), 99},   // n = 128: (0 * 128 + 127 * 200) / 255
        {255, 0, Grey(200), 200},  // n = 0: untouched
        {0, 64, Grey(50), 121},    // n = 50 * 256 / 128 = 100: 155 * 200 / 255
    };
    for (const auto& c : cases) {
        NdGrad g = grad;
        g.shadows = c.shadows;
        Rgb p = Grey(200);
        ApplyNdGrad(g, 3, c.y, c.source, p);
        EXPECT_EQ(p.r, c.want) << c.y << " shadows " << c.shadows;
    }
}

TEST(Toning, ColourAndBicolorFollowTheirSwatches) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_TONING_COLOR_SWATCH] = 0x808080;  // mid grey: half lightness 64
    v[CTL_BICOLOR_SWATCH_1] = 0x0000FF;     // red takes the raised values
    v[CTL_BICOLOR_SWATCH_2] = 0xFF0000;     // blue the lowered ones
    std::vector<int32_t> down(256), up(256), identity(256);
    for (int32_t i = 0; i < 256; ++i) {
        down[size_t(i)] = std::max(i - 40, 0);
        up[size_t(i)] = std::min(i + 40, 255);
        identity[size_t(i)] = i;
    }
    const int32_t* colourDown[kToningChannels] = {nullptr, down.data()};
    const int32_t* colourUp[kToningChannels] = {nullptr, up.data()};
    const int32_t* bicolorDown[kToningChannels] = {nullptr, nullptr, down.data()};
    const int32_t* bicolorUp[kToningChannels] = {nullptr, nullptr, up.data()};
    struct Case {
        const char* what;
        const int32_t* const* luts;
        Rgb want;
    } cases[] = {
        {"colour lowered moves by 63/128", colourDown, Grey(81)},  // 100 - 40 * 63 / 128
        {"colour raised stays", colourUp, Grey(100)},              // (128 - 128) / 128
        {"bicolor raised", bicolorUp, {139, 60, 60}},              // +-127 or -128 / 128
        {"bicolor lowered", bicolorDown, {61, 61, 140}},
    };
    for (const Case& c : cases) {
        const Toning t = ToningFromControls(v.data(), kDepth8, c.luts);
        EXPECT_TRUE(Same(t.halfColour, Grey(64))) << c.what;
        Rgb p = Grey(100);
        ApplyToning(t, Grey(100), p);
        EXPECT_TRUE(Same(p, c.want)) << c.what;
    }
    // Partial toning with an identity row lifts nothing: u = -128 keeps the pixel.
    v[CTL_TONING_PARTIAL] = 1;
    v[CTL_TONING_COLOR_SWATCH] = 0x0080FF;
    const int32_t* partial[kToningChannels] = {nullptr, identity.data()};
    for (bool sixteen : {false, true}) {
        std::vector<int32_t> wide(32769);
        for (int32_t i = 0; i <= 32768; ++i) wide[size_t(i)] = i;
        const int32_t* partialWide[kToningChannels] = {nullptr, wide.data()};
        const Toning t = ToningFromControls(v.data(), sixteen ? kDepth16 : kDepth8,
                                            sixteen ? partialWide : partial);
        const int32_t m = sixteen ? 128 : 1;
        Rgb p = Grey(90 * m);
        ApplyToning(t, {200 * m, 40 * m, 10 * m}, p);
        EXPECT_TRUE(Same(p, Grey(90 * m))) << sixteen;
    }
}

// A row's grain draws taken at once give every pixel the values it draws alone, and leave the
// random source where the pixels leave it: noise alone, noise blended with the field and the
// field alone, in grey, mixed and full colour, with and without tone weights, at both depths.
TEST(FilmGrain, RowDrawsGiveThePixelByPixelGrain) {
    constexpr int32_t kWidth = 37, kHeight = 3;
    const std::vector<uint8_t> tone = [] {
        std::vector<uint8_t> t(256);
        for (int32_t i = 0; i < 256; ++i) t[size_t(i)] = uint8_t((i * 7) % 101);
        return t;
    }();
    for (int32_t size : {0, 15, 25}) {
        for (int32_t colour : {0, 50, 100}) {
            for (int32_t shadows : {0, 40}) {
                for (bool sixteen : {false, true}) {
                    const BitDepth& d = sixteen ? kDepth16 : kDepth8;
                    std::vector<int32_t> v = DialogValues();
                    v[CTL_GRAIN_INTENSITY] = 130;
                    v[CTL_GRAIN_SIZE] = size;
                    v[CTL_GRAIN_COLOR] = colour;
                    v[CTL_GRAIN_SHADOWS] = shadows;
                    const int32_t channels = colour == 0 ? 1 : colour == 100 ? 3 : 4;
                    ASSERT_TRUE(CreateArray(ARRAY_GRAIN, kWidth, kHeight, channels, 2));
                    for (int32_t y = 0; y < kHeight; ++y)
                        for (int32_t x = 0; x < kWidth; ++x)
                            for (int32_t c = 0; c < channels; ++c)
                                PutArrayElement(ARRAY_GRAIN, x, y, c,
                                                (x * 911 + y * 77 + c * 5003) % 32769);
                    ASSERT_TRUE(CreateArray(ARRAY_GRAIN_TONE, 256, 1, 1, 1));
                    for (int32_t i = 0; i < 256; ++i)
                        PutArrayElement(ARRAY_GRAIN_TONE, i, 0, 0, tone[size_t(i)]);
                    const FilmGrain g = FilmGrainFromControls(v.data(), d, 6000, 4000);
                    const int32_t perPixel = GrainDrawsPerPixel(g);
                    for (int32_t y = 0; y < kHeight; ++y) {
                        uint32_t alone = 977u + uint32_t(y), together = alone;
                        std::vector<int32_t> draws(size_t(kWidth) * 4);
                        GrainDrawRow(g, together, kWidth, draws.data());
                        for (int32_t x = 0; x < kWidth; ++x) {
                            const Rgb source = {(x * 7 % 256) * d.mult, (x * 13 % 256) * d.mult,
                                                (255 - x) * d.mult};
                            Rgb one = source, row = source;
                            ApplyGrain(g, x, y, alone, one);
                            ApplyGrainDrawn(g, x, y, draws.data() + x * perPixel, row);
                            ASSERT_TRUE(Same(row, one))
                                << "size " << size << " colour " << colour << " shadows " << shadows
                                << " 16-bit " << sixteen << " at " << x << "," << y;
                        }
                        EXPECT_EQ(together, alone) << "the random source ends where it would";
                    }
                    ReleaseArray(ARRAY_GRAIN);
                    ReleaseArray(ARRAY_GRAIN_TONE);
                }
            }
        }
    }
}

TEST(Vignette, CornersTakeTheColourAndTheCentreKeepsThePixel) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_VIGNETTE_INTENSITY] = 100;  // black, size 128, density 128, shape -100
    for (bool sixteen : {false, true}) {
        const BitDepth& d = sixteen ? kDepth16 : kDepth8;
        const Vignette g = VignetteFromControls(v.data(), d, 101, 101, 1, 0, 0);
        EXPECT_EQ(VignetteShapeValue(g, 50, 50), 255);
        for (const auto& corner :
             {std::pair{0, 0}, std::pair{100, 0}, std::pair{0, 100}, std::pair{100, 100}}) {
            const int32_t vs = VignetteShapeValue(g, corner.first, corner.second);
            EXPECT_EQ(vs, 0);
            Rgb p = Grey(200 * d.mult);
            ApplyVignette(g, vs, p);
            EXPECT_TRUE(Same(p, Grey(0)));
        }
    }
}

TEST(Vignette, ShapeExponentIsReal) {
    // Shape 50 gives p = 50 * 6 / 90 + 2 = 5.333...; in integers it would be 5.
    EXPECT_DOUBLE_EQ(VignetteExponent(50), 16.0 / 3.0);
    EXPECT_DOUBLE_EQ(VignetteExponent(95), 12.0);
    EXPECT_DOUBLE_EQ(VignetteExponent(1), 2.0 + 6.0 / 90.0);
    std::vector<int32_t> v = DialogValues();
    v[CTL_VIGNETTE_INTENSITY] = 100;
    v[CTL_VIGNETTE_SHAPE] = 50;
    const int32_t X = 400, Y = 200;
    const Vignette g = VignetteFromControls(v.data(), kDepth8, X, Y, 1, 0, 0);
    // Independently: wider than tall, so r = (|u|^p (Y/X)^p + |w|^p)^(1/p), at the angle
    // of 180 degrees (pi taken as 3.141592, as the vignette does).
    const double angle = 180 * 0.01745328888888889, sine = std::sin(angle),
                 cosine = std::cos(angle);
    auto shape = [&](double p, int32_t x, int32_t y) {
        const double u = cosine * (x - 200.0) - sine * (y - 100.0);
        const double w = sine * (x - 200.0) + cosine * (y - 100.0);
        const double r = std::pow(
            std::pow(std::fabs(u), p) * std::pow(0.5, p) + std::pow(std::fabs(w), p), 1.0 / p);
        const int64_t rad = 223;  // isqrt(200 * 400 / 2 + 100 * 200 / 2) = isqrt(50000)
        const int64_t span = std::max<int64_t>((((128 * rad * 2) / 255) * 128) / 256, 1);
        const int64_t start = (128 * rad) / 255 - span / 2;
        const int64_t vs = ((start - int64_t(r)) * 255) / span + 255;
        return int32_t(std::min<int64_t>(std::max<int64_t>(vs, 0), 255));
    };
    int32_t differing = 0;
    for (int32_t y = 0; y < Y; y += 7)
        for (int32_t x = 0; x < X; x += 11) {
            EXPECT_EQ(VignetteShapeValue(g, x, y), shape(16.0 / 3.0, x, y)) << x << "," << y;
            differing += shape(16.0 / 3.0, x, y) != shape(5.0, x, y);
        }
    EXPECT_GT(differing, 0);  // the reading matters for this image
}

// Inside the start and beyond the end of the transition the superellipse value is taken
// from bounds of the radius; every pixel must get the value the radius itself gives.
TEST(Vignette, BoundsOfTheRadiusGiveTheValuesOfTheRadius) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_VIGNETTE_INTENSITY] = 70;
    int32_t shortcuts = 0;
    for (int32_t shape : {1, 50, 89, 100}) {
        for (int32_t density : {1, 128, 255}) {
            for (int32_t rotation : {0, 33, 90}) {
                for (int32_t invert : {0, 1}) {
                    v[CTL_VIGNETTE_SHAPE] = shape;
                    v[CTL_VIGNETTE_DENSITY] = density;
                    v[CTL_VIGNETTE_ROTATION] = rotation;
                    v[CTL_VIGNETTE_INVERT] = invert;
                    const int32_t X = rotation == 33 ? 180 : 300, Y = rotation == 33 ? 320 : 200;
                    const Vignette g = VignetteFromControls(v.data(), kDepth8, X, Y, 1, 7, -5);
                    Vignette full = g;
                    full.radiusAbove = full.radiusBelow = 0.0;  // no bounds: the radius always
                    ASSERT_GT(g.radiusAbove, 0.0);
                    for (int32_t y = -3; y < Y + 3; ++y)
                        for (int32_t x = -3; x < X + 3; ++x) {
                            const int32_t value = VignetteShapeValue(g, x, y);
                            ASSERT_EQ(value, VignetteShapeValue(full, x, y))
                                << shape << " " << density << " " << rotation << " at " << x << ","
                                << y;
                            shortcuts += value == 0 || value == 255;
                        }
                }
            }
        }
    }
    EXPECT_GT(shortcuts, 0);
}

// The row's values come from the same radius with the row's terms taken once, the
// transition's division from a table and repeated powers remembered: each must equal the
// pixel's own value, for ellipses and superellipses, at every rotation, wide and narrow,
// inverted, for any start column and run length.
TEST(Vignette, RowValuesAreThePixelValues) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_VIGNETTE_INTENSITY] = 70;
    int64_t compared = 0;
    for (int32_t shape : {-100, -40, 0, 1, 50, 89, 100}) {
        for (int32_t size : {40, 128, 255}) {
            for (int32_t density : {1, 128, 255}) {
                for (int32_t rotation : {0, 33, 90, 180}) {
                    v[CTL_VIGNETTE_SHAPE] = shape;
                    v[CTL_VIGNETTE_SIZE] = size;
                    v[CTL_VIGNETTE_DENSITY] = density;
                    v[CTL_VIGNETTE_ROTATION] = rotation;
                    v[CTL_VIGNETTE_INVERT] = (shape + density) % 2;
                    const bool narrow = rotation == 33 || rotation == 180;
                    const int32_t X = narrow ? 121 : 301, Y = narrow ? 263 : 157;
                    const Vignette g = VignetteFromControls(v.data(), kDepth8, X, Y, 1, 9, -5);
                    std::vector<uint8_t> row(size_t(X) + 8);
                    for (int32_t y = -2; y < Y + 2; ++y) {
                        // Runs of every length up to a few, then the rest of the row.
                        int32_t x = -3, run = 1;
                        while (x < X + 3) {
                            const int32_t count = std::min(run, X + 3 - x);
                            VignetteShapeRow(g, x, y, count, row.data());
                            for (int32_t i = 0; i < count; ++i, ++compared)
                                ASSERT_EQ(int32_t(row[size_t(i)]), VignetteShapeValue(g, x + i, y))
                                    << "shape " << shape << " size " << size << " density "
                                    << density << " rotation " << rotation << " at " << x + i << ","
                                    << y;
                            x += count;
                            run = run < 5 ? run + 1 : X;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 1000000);
}

// At the size of a photograph the radii near whole numbers are many and large: the row's
// values settled from the table's bounds must still be the powers' values.
TEST(Vignette, RowValuesAreThePixelValuesOnALargeImage) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_VIGNETTE_INTENSITY] = 70;
    const int32_t X = 6000, Y = 4000;
    std::vector<uint8_t> row(256);
    for (int32_t shape : {1, 50, 100}) {
        for (int32_t size : {128, 255}) {
            for (int32_t rotation : {0, 45, 90}) {
                v[CTL_VIGNETTE_SHAPE] = shape;
                v[CTL_VIGNETTE_SIZE] = size;
                v[CTL_VIGNETTE_ROTATION] = rotation;
                const Vignette g = VignetteFromControls(v.data(), kDepth16, X, Y, 1, 0, 0);
                for (int32_t y = 0; y < Y; y += 211) {
                    for (int32_t x = 0; x < X; x += 256) {
                        VignetteShapeRow(g, x, y, 256, row.data());
                        for (int32_t i = 0; i < 256; ++i)
                            ASSERT_EQ(int32_t(row[size_t(i)]), VignetteShapeValue(g, x + i, y))
                                << "shape " << shape << " size " << size << " rotation " << rotation
                                << " at " << x + i << "," << y;
                    }
                }
            }
        }
    }
}

TEST(PaperAndContrast, FlatPixelsKeepAndContrastPullsTowardTheEqualised) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_PAPER_INTENSITY] = 100;
    v[CTL_DYNCONTRAST_INTENSITY] = 100;
    for (bool sixteen : {false, true}) {
        const BitDepth& d = sixteen ? kDepth16 : kDepth8;
        PaperContrast s = PaperContrastFromControls(v.data(), d, true, false);
        Rgb p = Grey(150 * d.mult);
        ApplyPaper(s, 150 * d.mult, p);  // blurred equals the pixel: no gloss
        EXPECT_TRUE(Same(p, Grey(150 * d.mult)));
        // d = (150 - 100) / 2 = 25 at 8 bits: 175.
        p = Grey(150 * d.mult);
        ApplyPaper(s, 100 * d.mult, p);
        EXPECT_TRUE(Same(p, Grey(175 * d.mult)));
        s = PaperContrastFromControls(v.data(), d, false, true);
        p = Grey(100 * d.mult);
        ApplyDynamicContrast(s, 255 * d.mult, p);
        EXPECT_TRUE(Same(p, Grey((255 + 100) * d.mult / 2)));
    }
    // Paper 100 beside the dynamic contrast: 2 P' - P.
    PaperContrast s = PaperContrastFromControls(v.data(), kDepth8, true, true);
    Rgb p = Grey(150);
    ApplyPaper(s, 100, p);
    EXPECT_TRUE(Same(p, Grey(200)));  // ((50 - 100) * 150 + 100 * 175) * 2 / 100
}

TEST(PaperAndContrast, ToneWeightsAt16BitWhiteStayInsideTheTable) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_DYNCONTRAST_INTENSITY] = 100;
    v[CTL_DYNCONTRAST_SHADOWS] = 40;
    v[CTL_DYNCONTRAST_MIDTONES] = 40;
    v[CTL_DYNCONTRAST_HIGHLIGHTS] = 40;
    PaperContrast s = PaperContrastFromControls(v.data(), kDepth16, false, true);
    for (int32_t i = 0; i < 256; ++i)  // the table the render hook makes
        s.tone[i] = uint8_t(std::max(int32_t(std::pow(i / 512.0, 0.5) * 255.0 - i), 0));
    // White: i = 32768 / 128 = 256; the entries 255 - 256, 256 - 64 and 191 - 256 are read
    // at the table's ends, which hold 0: the luma stays.
    Rgb p = Grey(32768);
    ApplyDynamicContrast(s, 0, p);
    EXPECT_TRUE(Same(p, Grey(32768)));
}

TEST(DiffusionAndGlow, OpacityAndExposureEnds) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_DIFFUSION_INTENSITY] = 100;
    v[CTL_GLOW_INTENSITY] = 100;
    for (bool sixteen : {false, true}) {
        const BitDepth& d = sixteen ? kDepth16 : kDepth8;
        const int32_t m = d.mult;
        v[CTL_DIFFUSION_OPACITY] = 100;
        DiffusionGlow s = DiffusionGlowFromControls(v.data(), d, true, 10, 10, 1, 0, 0, nullptr);
        Rgb p = Grey(30 * m);
        ApplyDiffusion(s, 0, 0, Grey(170 * m), p);
        EXPECT_TRUE(Same(p, Grey(170 * m))) << "opacity 100 takes the blur";
        // Opacity 0 (A): b < mid multiplies, 100 * 64 * 2 / 255 = 50.
        v[CTL_DIFFUSION_OPACITY] = 0;
        s = DiffusionGlowFromControls(v.data(), d, true, 10, 10, 1, 0, 0, nullptr);
        EXPECT_EQ(DiffuseChannel(s, 100 * m, 64 * m), sixteen ? 100 * 64 * 2 * 128 / 256 : 50);
        // Exposure -128: gm becomes 2 gm - max; full stays full, mid and below vanish.
        v[CTL_GLOW_EXPOSURE] = -128;
        v[CTL_GLOW_COLOR] = 0xFFFFFF;
        s = DiffusionGlowFromControls(v.data(), d, true, 10, 10, 1, 0, 0, nullptr);
        for (const auto& c :
             {std::pair{d.max, 255 * m}, std::pair{d.mid, 40 * m}, std::pair{d.mid / 2, 40 * m}}) {
            p = Grey(40 * m);
            ApplyGlow(s, c.first, p);
            EXPECT_EQ(p.r, c.second) << c.first;
        }
        v[CTL_GLOW_EXPOSURE] = 0;
    }
}

TEST(Masks, RangeWeightAndBrushIntensity) {
    const struct {
        int32_t value, tone, limit, want;
    } ranges[] = {
        {100, 100, 0, 255},   // limit 0: everything
        {100, 100, 20, 0},    // at the tone: t = 255
        {110, 100, 20, 63},   // t = 255 - 10 * 255 / 40 = 192
        {140, 100, 20, 255},  // outside the window
        {100, 100, 200, 0},   // wide: t = (255 * 111 + 72 * 510) / 255 > 255
    };
    for (const auto& r : ranges)
        EXPECT_EQ(RangeWeight(r.value, r.tone, r.limit), r.want) << r.value << " " << r.limit;
    std::vector<int32_t> v = DialogValues();
    const struct {
        int32_t intensity;
        bool invert;
        int32_t in, want;
    } brushes[] = {
        {100, false, 77, 77},   // leaves the painted weight
        {50, false, 0, 127},    // maps into 127..255
        {50, false, 255, 255},  //
        {100, true, 77, 178},   // -100 inverts
        {50, true, 255, 127},   // (255 * -50 + 25500) / 100
    };
    for (const auto& b : brushes) {
        v[CTL_BRUSH_INTENSITY] = b.intensity;
        v[CTL_BRUSH_INVERT] = b.invert;
        const BrushMask brush = BrushMaskFromControls(v.data(), kDepth8, 1, 2);
        BrushMask fixed = brush;
        std::vector<uint8_t> cell = {uint8_t(b.in)};
        fixed.mask = ArrayView{cell.data(), 1, 1, 1, 1, 1};
        EXPECT_EQ(BrushWeight(fixed, 0, 0, Grey(0)), b.want) << b.intensity << " " << b.invert;
    }
}

TEST(Masks, TonalColourRangeZeroesTheMaskColour) {
    std::vector<int32_t> v = DialogValues();
    v[CTL_MASK_TYPE] = 2;
    v[CTL_MASK_COLOR_LIMIT] = 60;
    v[CTL_MASK_COLOR] = 0x0080FF;  // orange
    for (bool sixteen : {false, true}) {
        const BitDepth& d = sixteen ? kDepth16 : kDepth8;
        const SelectionMask m = SelectionMaskFromControls(v.data(), d, 10, 10, 1, 0, 0);
        ASSERT_EQ(m.type, 2);
        const int32_t k = d.mult;
        EXPECT_EQ(MaskWeight(m, 0, 0, {255 * k, 128 * k, 0}), 0);
        EXPECT_EQ(MaskWeight(m, 0, 0, {0, 0, 255 * k}), 255);  // far away: full
    }
    v[CTL_MASK_COLOR_INVERT] = 1;
    const SelectionMask m = SelectionMaskFromControls(v.data(), kDepth8, 10, 10, 1, 0, 0);
    EXPECT_EQ(MaskWeight(m, 0, 0, {255, 128, 0}), 255);
}

TEST(Fades, EndsOfTheMainFade) {
    std::vector<int32_t> v = DialogValues();
    const Rgb source = {200, 50, 10}, result = {100, 100, 100};
    const struct {
        int32_t fade;
        Rgb want;
    } cases[] = {{-100, source}, {0, result}, {-50, {150, 75, 55}}, {50, {50, 125, 145}}};
    for (const auto& c : cases) {
        v[CTL_FADE_INTENSITY] = c.fade;
        Rgb p = result;
        ApplyFades(FadesFromControls(v.data(), kDepth8), source, p);
        EXPECT_TRUE(Same(p, c.want)) << c.fade;
    }
}

TEST(Frame, PlainBandsOfADefaultFrame) {
    std::vector<int32_t> v = DialogValues();  // outside 250, border 20, inside 80
    v[CTL_FRAME_INTENSITY] = 100;
    const FrameBands b = PlainFrameBands(v.data(), 1000, 1000, false, 0, 0);
    // m = 1000: widths 62, 5 and 20; edges belong to their rectangle.
    EXPECT_EQ(b.left[0], 62);
    EXPECT_EQ(b.right[0], 937);
    EXPECT_EQ(b.left[1], 67);
    EXPECT_EQ(b.right[1], 932);
    EXPECT_EQ(b.left[2], 87);
    EXPECT_EQ(b.bottom[2], 912);
    // Too small an image for the bands: a one-pixel outer band on every side.
    const FrameBands tiny = PlainFrameBands(v.data(), 10, 10, false, 0, 0);
    EXPECT_EQ(tiny.left[0], 1);
    EXPECT_EQ(tiny.right[0], 8);
    EXPECT_EQ(tiny.bottom[0], 8);
}
}  // namespace

namespace {
TEST(FramePattern, SplineRowsEqualTheSamplerAtEveryPixel) {
    ResetArrayTables();
    for (int32_t border : {0, 2}) {
        ASSERT_TRUE(CreateArrayPadded(ARRAY_FRAME_SHAPE, 13, 9, 1, 1, border));
        uint32_t state = 5;
        for (int32_t y = -border; y < 9 + border; ++y)
            for (int32_t x = -border; x < 13 + border; ++x) {
                state = state * 214013u + 2531011u;
                PutArrayElement(ARRAY_FRAME_SHAPE, x, y, 0, int32_t(state >> 24));
            }
        const int32_t width = 100, height = 70;
        const double scaleX = 13.0 / width, scaleY = 9.0 / height;
        SplineRowSampler sampler;
        ASSERT_TRUE(SplineRowSamplerInit(sampler, ARRAY_FRAME_SHAPE, 0, scaleX, scaleY, 3, width));
        std::vector<int32_t> row(width);
        for (int32_t y = 0; y < height; y += (y % 3) + 1) {  // rising, with gaps
            SplineRowSample(sampler, y, row.data());
            for (int32_t i = 0; i < width; ++i)
                ASSERT_EQ(row[size_t(i)], SampleArray(ARRAY_FRAME_SHAPE, scaleX * (3 + i),
                                                      scaleY * y, 0, SAMPLE_SPLINE))
                    << "border " << border << " at " << i << "," << y;
        }
    }
    ReleaseAllArrays();
}
}  // namespace
