// Tonal look: the stored target shapes against their published figures, the direction of
// the built-in looks, flat and empty images, 16-bit lookups, and the kept histogram.

#include "render/tonal_look.h"

#include <algorithm>
#include <cmath>

#include "render_test_support.h"

namespace {
constexpr int32_t kHistogram = ARRAY_HISTOGRAM;
constexpr int32_t kLookup = 77;

// Mean level (rounded), median level and the level of the 255 entry of each stored look.
struct ShapeFigures {
    const char* name;
    int32_t mean, median, peak;
};
const ShapeFigures kFigures[kTonalLookShapeCount] = {
    {"Corvath: Dark", 73, 59, 12},           {"Corvath: Dark Hard", 66, 44, 16},
    {"Corvath: Dark Harder", 57, 28, 15},    {"Corvath: Mid", 117, 117, 123},
    {"Corvath: Mid Hard", 111, 113, 255},    {"Corvath: Mid Harder", 107, 84, 0},
    {"Corvath: Bright", 139, 139, 126},      {"Corvath: Bright Hard", 149, 180, 185},
    {"Corvath: Bright Soft", 144, 158, 16},  {"Corvath: Highkey", 176, 186, 229},
    {"Brisland: Mid", 120, 104, 192},        {"Oskeley: Mid Hard", 109, 112, 13},
    {"Oskeley: Bright Hard", 154, 196, 230}, {"Velloran: Dark", 81, 73, 12},
    {"Velloran: Bright Hard", 141, 156, 7},  {"Drummick: Mid Soft", 142, 165, 0},
};

// Luminance of a pixel as the histogram counts it.
int32_t Luminance(int32_t r, int32_t g, int32_t b) {
    return (213 * r + 715 * g + 72 * b) / 1000;
}

// A photograph-like image: a soft vignette of mid tones with colour and fine noise.
SourceImage NaturalImage(int32_t width, int32_t height, bool sixteenBit, int32_t seed) {
    SourceImage image(width, height, sixteenBit);
    TestRandom random{uint64_t(seed)};
    const int32_t scale = sixteenBit ? 128 : 1;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double dx = (x - width / 2.0) / width, dy = (y - height / 2.0) / height;
            const int32_t base = int32_t(170 - 260 * (dx * dx + dy * dy)) + random.Below(41) - 20;
            auto level = [&](int32_t v) { return std::clamp(v, 0, 255) * scale; };
            image.Set(x, y, level(base + 20), level(base), level(base - 25));
        }
    }
    return image;
}

// The median luminance of the installed image, after the lookup when asked.
int32_t MappedMedian(int32_t width, int32_t height, bool applyLookup) {
    const GetPixelProc source = gContext.accessors.getSourcePixel;
    std::vector<int32_t> values;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t l = Luminance(source(x, y, 0), source(x, y, 1), source(x, y, 2));
            values.push_back(applyLookup ? GetArrayElement(kLookup, l, 0, 0) : l);
        }
    }
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

class TonalLookTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        TonalLookReset();
    }
};
}  // namespace

TEST(TonalLookShapes, StoredShapesHaveTheirLooksFigures) {
    for (int32_t row = 0; row < kTonalLookShapeCount; ++row) {
        const uint8_t* shape = kTonalLookShapes[row];
        int64_t total = 0, weighted = 0;
        for (int32_t i = 0; i < kTonalLookShapeLevels; ++i) {
            total += shape[i];
            weighted += int64_t(i) * shape[i];
        }
        ASSERT_GT(total, 0) << kFigures[row].name;
        int32_t median = 0;
        for (int64_t running = 0; median < kTonalLookShapeLevels; ++median) {
            running += shape[median];
            if (2 * running >= total) break;
        }
        const int32_t mean = int32_t(std::floor(double(weighted) / double(total) + 0.5));
        EXPECT_EQ(mean, kFigures[row].mean) << kFigures[row].name;
        EXPECT_EQ(median, kFigures[row].median) << kFigures[row].name;
        EXPECT_EQ(std::count(shape, shape + kTonalLookShapeLevels, 255), 1) << kFigures[row].name;
        EXPECT_EQ(std::max_element(shape, shape + kTonalLookShapeLevels) - shape,
                  kFigures[row].peak)
            << kFigures[row].name;
    }
}

TEST_F(TonalLookTest, BrightLooksRaiseTheMedianAndDarkLooksLowerIt) {
    struct Case {
        const char* name;
        int32_t shape;
        const uint8_t* row;
        int sign;
    };
    const Case cases[] = {
        {"Bright", TONAL_SHAPE_BRIGHT, nullptr, +1},
        {"Dark", TONAL_SHAPE_DARK, nullptr, -1},
        {"Corvath: Highkey", 0, kTonalLookShapes[9], +1},
        {"Corvath: Dark Harder", 0, kTonalLookShapes[2], -1},
    };
    for (bool sixteenBit : {false, true}) {
        const int32_t width = 120, height = 90;
        const SourceImage image = NaturalImage(width, height, sixteenBit, 7);
        image.Install();
        const int32_t before = MappedMedian(width, height, false);
        for (const Case& c : cases) {
            ASSERT_EQ(MatchHistogram(kHistogram, c.shape, c.row, kLookup), 1);
            const int32_t after = MappedMedian(width, height, true);
            EXPECT_EQ(after > before ? 1 : -1, c.sign)
                << c.name << (sixteenBit ? " 16-bit" : " 8-bit") << ": " << before << " -> "
                << after;
        }
        ReleaseAllArrays();
    }
}

TEST_F(TonalLookTest, EqualisingAnEvenImageGivesTheIdentity) {
    SourceImage image(256, 4, false);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 256; ++x) image.SetGrey(x, y, x);
    image.Install();
    ASSERT_EQ(MatchHistogram(kHistogram, TONAL_SHAPE_FLAT, nullptr, kLookup), 1);
    for (int32_t i = 0; i <= 255; ++i) EXPECT_NEAR(GetArrayElement(kLookup, i, 0, 0), i, 1) << i;
}

TEST_F(TonalLookTest, FlatAndEmptyImagesGiveDefinedLookups) {
    SourceImage flat(40, 30, false);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) flat.SetGrey(x, y, 100);
    flat.Install();
    ASSERT_EQ(MatchHistogram(kHistogram, TONAL_SHAPE_FLAT, nullptr, kLookup), 1);
    EXPECT_EQ(GetArrayElement(kHistogram, 100, 0, 0), 40 * 30);
    for (int32_t i = 0; i < 100; ++i) EXPECT_EQ(GetArrayElement(kLookup, i, 0, 0), 0) << i;
    for (int32_t i = 100; i <= 255; ++i) EXPECT_EQ(GetArrayElement(kLookup, i, 0, 0), 255) << i;

    // No pixels at all: the look has nothing to match and leaves the levels alone.
    ReleaseAllArrays();
    TonalLookReset();
    gContext.currentRight = gContext.currentLeft;
    for (int32_t shape : {1, 2, 3, 4, 5}) {
        ASSERT_EQ(MatchHistogram(kHistogram, shape, nullptr, kLookup), 1);
        for (int32_t i = 0; i <= 255; ++i) ASSERT_EQ(GetArrayElement(kLookup, i, 0, 0), i);
    }
}

TEST_F(TonalLookTest, SixteenBitLookupsCoverAllLevelsAndStayInRange) {
    const SourceImage image = NaturalImage(64, 48, true, 3);
    image.Install();
    for (int32_t row : {0, 4, 15}) {
        ASSERT_EQ(MatchHistogram(kHistogram, 0, kTonalLookShapes[row], kLookup), 1);
        EXPECT_EQ(GetArrayDimension(kHistogram, 0), 32769);
        EXPECT_EQ(GetArrayDimension(kLookup, 0), 32769);
        EXPECT_EQ(GetArrayDimension(kLookup, 3), 2);
        int32_t previous = 0;
        for (int32_t i = 0; i < 32768; ++i) {
            const int32_t v = GetArrayElement(kLookup, i, 0, 0);
            ASSERT_GE(v, previous) << "row " << row << " level " << i;
            ASSERT_LE(v, 32768);
            previous = v;
        }
        EXPECT_LE(GetArrayElement(kLookup, 32768, 0, 0), 32768);
    }
}

TEST_F(TonalLookTest, TopStepIsNeverLargerThanTheStepBefore) {
    for (bool sixteenBit : {false, true}) {
        const int32_t max = sixteenBit ? 32768 : 255, scale = sixteenBit ? 128 : 1;
        const SourceImage image = NaturalImage(50, 40, sixteenBit, 11);
        image.Install();
        for (int32_t shape = 1; shape <= 5; ++shape) {
            ASSERT_EQ(MatchHistogram(kHistogram, shape, nullptr, kLookup), 1);
            const int32_t a = GetArrayElement(kLookup, max, 0, 0);
            const int32_t b = GetArrayElement(kLookup, max - scale, 0, 0);
            const int32_t c = GetArrayElement(kLookup, max - 2 * scale, 0, 0);
            EXPECT_LE(a - b, b - c) << "shape " << shape << (sixteenBit ? " 16-bit" : " 8-bit");
            EXPECT_LE(a, max);
        }
        ReleaseAllArrays();
        TonalLookReset();
    }
}

TEST_F(TonalLookTest, KeptHistogramServesOneRunOfOneImageOnly) {
    const int32_t width = 60, height = 40;
    SourceImage dark(width, height, false), bright(width, height, false);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            dark.SetGrey(x, y, (x + y) % 60);
            bright.SetGrey(x, y, 180 + (x + y) % 60);
        }
    auto lookupFor = [](const SourceImage& image) {
        ReleaseAllArrays();
        TonalLookReset();
        image.Install();
        MatchHistogram(kHistogram, TONAL_SHAPE_FLAT, nullptr, kLookup);
        return ArrayRow(kLookup, 0, 256);
    };
    const std::vector<int32_t> darkLookup = lookupFor(dark);
    const std::vector<int32_t> brightLookup = lookupFor(bright);
    ASSERT_NE(darkLookup, brightLookup);

    // Within a run, later renderings reuse the counts even when the pixels change.
    ReleaseAllArrays();
    TonalLookReset();
    dark.Install();
    MatchHistogram(kHistogram, TONAL_SHAPE_NONE, nullptr, kLookup);
    bright.Install();
    MatchHistogram(kHistogram, TONAL_SHAPE_FLAT, nullptr, kLookup);
    EXPECT_EQ(ArrayRow(kLookup, 0, 256), darkLookup) << "counted once per run";

    // A new run (its arrays released) of another image counts again, even when the histogram
    // panel has made the histogram array meanwhile.
    ReleaseAllArrays();
    ASSERT_TRUE(CreateArray(kHistogram, 256, 3, 1, 4));
    SetAllArrayElements(kHistogram, 9);
    MatchHistogram(kHistogram, TONAL_SHAPE_FLAT, nullptr, kLookup);
    EXPECT_EQ(ArrayRow(kLookup, 0, 256), brightLookup) << "new run";

    // Another image (another size) within the lookup's lifetime counts again too.
    SourceImage small(30, 20, false);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 30; ++x) small.SetGrey(x, y, (x + y) % 60);
    small.Install();
    MatchHistogram(kHistogram, TONAL_SHAPE_FLAT, nullptr, kLookup);
    const std::vector<int32_t> smallLookup = ArrayRow(kLookup, 0, 256);
    EXPECT_EQ(smallLookup, lookupFor(small)) << "another image";
}

TEST_F(TonalLookTest, WithoutTargetTheRunsLookupIsTheIdentity) {
    const SourceImage image = NaturalImage(20, 10, false, 5);
    image.Install();
    ASSERT_EQ(MatchHistogram(kHistogram, TONAL_SHAPE_NONE, nullptr, kLookup), 1);
    EXPECT_EQ(ArrayRow(kLookup, 0, 256), IdentityRow(255));
    EXPECT_TRUE(gTonalLook.valid);
    EXPECT_EQ(gTonalLook.cumulative[255], 200);
}
