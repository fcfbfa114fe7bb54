// Local contrast: flat images, untouched black, 16-bit range and low bits, tile centres
// against each tile's own equalisation, edge rows and columns, very large tiles, tiny
// rectangles, thread identity and the histogram clipping.

#include "render/local_contrast.h"

#include <algorithm>
#include <numeric>

#include "render_test_support.h"

namespace {
constexpr int32_t kArray = 17;

LocalContrastSettings Plain(int32_t detail, int32_t threads = 1) {
    // The render's call: full strength, no clipping, equalisation only.
    return {detail, 255, 255, 255, 100, 0, 0, 0, 0, threads};
}

std::vector<uint8_t> Image8(int32_t width, int32_t height, uint64_t seed, int32_t lo = 0,
                            int32_t hi = 255) {
    std::vector<uint8_t> image(size_t(width) * height);
    TestRandom random(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            // Darker on the left, brighter on the right, with noise: tiles differ.
            const int32_t base = lo + (hi - lo) * x / std::max(1, width - 1);
            image[size_t(y) * width + x] =
                uint8_t(std::clamp(base + random.Below(61) - 30, lo, hi));
        }
    return image;
}
}  // namespace

class LocalContrastTest : public RenderTest {};

TEST_F(LocalContrastTest, FlatGreyTurnsWhiteAndBlackStaysBlack) {
    struct Case {
        int32_t width, height, detail;
    };
    // Odd tile sizes put the last row and column into blocks of their own.
    const Case cases[] = {{64, 48, 80}, {101, 77, 80}, {77, 101, 160}, {33, 35, 20}, {9, 9, 5}};
    for (const Case& c : cases) {
        for (int32_t g : {0, 1, 100, 254, 255}) {
            std::vector<uint8_t> image(size_t(c.width) * c.height, uint8_t(g));
            EqualizeTiles(image.data(), 1, c.width, c.height, Plain(c.detail));
            const int32_t expected = g == 0 ? 0 : 255;
            for (int32_t y = 0; y < c.height; ++y)
                for (int32_t x = 0; x < c.width; ++x)
                    ASSERT_EQ(image[size_t(y) * c.width + x], expected)
                        << c.width << "x" << c.height << " grey " << g << " at " << x << "," << y;
        }
        // Sixteen bits: the level goes to 255 and the low seven bits stay.
        std::vector<uint16_t> image(size_t(c.width) * c.height, uint16_t(100 * 128 + 5));
        EqualizeTiles(image.data(), 2, c.width, c.height, Plain(c.detail));
        for (uint16_t v : image) ASSERT_EQ(v, 255 * 128 + 5);
    }
}

TEST_F(LocalContrastTest, BlackNeverChangesAndSixteenBitStaysInRange) {
    const int32_t width = 90, height = 70;
    TestRandom random(3);
    std::vector<uint8_t> image8 = Image8(width, height, 4);
    std::vector<uint16_t> image16(image8.size());
    for (size_t i = 0; i < image8.size(); ++i) {
        if (random.Below(7) == 0) image8[i] = 0;
        image16[i] = uint16_t(random.Below(6) == 0 ? random.Below(128) : random.Below(32769));
    }
    const std::vector<uint8_t> before8 = image8;
    const std::vector<uint16_t> before16 = image16;
    const LocalContrastSettings settings[] = {Plain(80),
                                              Plain(10),
                                              {40, 128, 30, 50, 60, 50, 0, 0, 0, 2},
                                              {60, 255, 20, 0, 100, 0, 80, 0, 0, 3}};
    for (const LocalContrastSettings& s : settings) {
        image8 = before8;
        image16 = before16;
        EqualizeTiles(image8.data(), 1, width, height, s);
        EqualizeTiles(image16.data(), 2, width, height, s);
        for (size_t i = 0; i < image8.size(); ++i) {
            if (before8[i] == 0) {
                ASSERT_EQ(image8[i], 0) << i;
            }
            if (before16[i] < 128) {
                ASSERT_EQ(image16[i], before16[i]) << i;
            }
            ASSERT_LE(image16[i], 32768) << i;
            if (image16[i] < 32768) {
                ASSERT_EQ(image16[i] & 127, before16[i] & 127) << i;
            }
        }
    }
}

TEST_F(LocalContrastTest, TileCentresTakeTheirTilesOwnEqualisation) {
    const int32_t width = 120, height = 80, detail = 40;  // tiles of 20 x 20, 6 x 4 of them
    std::vector<uint8_t> image = Image8(width, height, 8, 20, 235);
    const std::vector<uint8_t> before = image;
    EqualizeTiles(image.data(), 1, width, height, Plain(detail));
    const int32_t tile = 20;
    for (int32_t ty = 0; ty < height / tile; ++ty) {
        for (int32_t tx = 0; tx < width / tile; ++tx) {
            // Plain equalisation of the tile alone: running count * 255 / pixels.
            std::vector<int64_t> count(256, 0);
            for (int32_t y = ty * tile; y < (ty + 1) * tile; ++y)
                for (int32_t x = tx * tile; x < (tx + 1) * tile; ++x)
                    ++count[before[size_t(y) * width + x]];
            std::partial_sum(count.begin(), count.end(), count.begin());
            const int32_t cx = tx * tile + tile / 2, cy = ty * tile + tile / 2;
            const int32_t v = before[size_t(cy) * width + cx];
            EXPECT_EQ(image[size_t(cy) * width + cx], count[size_t(v)] * 255 / (tile * tile))
                << "tile " << tx << "," << ty;
        }
    }
}

TEST_F(LocalContrastTest, VeryLargeTilesDoNotOverflow) {
    // Two tiles of 4,200 x 4,200 pixels: their counts times 255, and the blend's numerator
    // in the block between them, pass 32 bits.
    const int32_t width = 8400, height = 4200;
    std::vector<uint8_t> image(size_t(width) * height, 100);
    image[0] = 0;
    EqualizeTiles(image.data(), 1, width, height, Plain(10, 8));
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[1], 255);
    EXPECT_EQ(image[size_t(height / 2) * width + width / 2], 255);
    EXPECT_EQ(image.back(), 255);
    EXPECT_EQ(std::count(image.begin(), image.end(), 255), int64_t(width) * height - 1);
}

TEST_F(LocalContrastTest, TinyRectanglesAreLeftUnchanged) {
    for (int32_t detail : {10, 80, 160}) {
        for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {2, 15}, {15, 1}}) {
            std::vector<uint8_t> image = Image8(w, h, uint64_t(w * h), 1, 255);
            const std::vector<uint8_t> before = image;
            EqualizeTiles(image.data(), 1, w, h, Plain(detail));
            if ((std::min(w, h) * 10) / std::max(detail, 10) == 0) {
                EXPECT_EQ(image, before) << w << "x" << h << " detail " << detail;
            }
        }
    }
}

TEST_F(LocalContrastTest, ResultsDoNotDependOnTheThreadCount) {
    const int32_t width = 301, height = 203;
    const std::vector<uint8_t> source = Image8(width, height, 12);
    std::vector<uint16_t> source16(source.size());
    for (size_t i = 0; i < source.size(); ++i) source16[i] = uint16_t(source[i] * 128 + i % 128);
    for (int32_t detail : {20, 80, 160}) {
        std::vector<uint8_t> one = source, eight = source;
        EqualizeTiles(one.data(), 1, width, height, Plain(detail, 1));
        EqualizeTiles(eight.data(), 1, width, height, Plain(detail, 8));
        EXPECT_EQ(one, eight) << detail;
        std::vector<uint16_t> one16 = source16, eight16 = source16;
        EqualizeTiles(one16.data(), 2, width, height, Plain(detail, 1));
        EqualizeTiles(eight16.data(), 2, width, height, Plain(detail, 8));
        EXPECT_EQ(one16, eight16) << detail;
    }
}

TEST_F(LocalContrastTest, GammaAtExtremeMediansStaysDefined) {
    const int32_t width = 40, height = 40;
    for (int32_t fill : {0, 255}) {
        std::vector<uint8_t> image(size_t(width) * height, uint8_t(fill));
        for (int32_t i = 0; i < 200; ++i) image[size_t(i) * 7] = uint8_t(60 + i % 100);
        const std::vector<uint8_t> before = image;
        EqualizeTiles(image.data(), 1, width, height, {80, 255, 30, 0, 100, 90, 90, 0, 0, 1});
        for (size_t i = 0; i < image.size(); ++i)
            if (before[i] == 0) {
                ASSERT_EQ(image[i], 0);
            }
    }
}

TEST_F(LocalContrastTest, ApplyLocalContrastMakesTheGreyCopyWhenNeeded) {
    SourceImage source(48, 36, false);
    for (int32_t y = 0; y < 36; ++y)
        for (int32_t x = 0; x < 48; ++x) source.Set(x, y, 200, 100, 10);
    source.Install();
    ASSERT_EQ(ApplyLocalContrast(kArray, 1, 80, 255, 255, 255, 100, 0, 0, 0, 0), 1);
    ASSERT_EQ(GetArrayDimension(kArray, 0), 48);
    ASSERT_EQ(GetArrayDimension(kArray, 1), 36);
    for (int32_t y = 0; y < 36; ++y)
        for (int32_t x = 0; x < 48; ++x) ASSERT_EQ(GetArrayElement(kArray, x, y, 0), 255);

    // An existing copy is used as it is.
    SetAllArrayElements(kArray, 0);
    PutArrayElement(kArray, 3, 3, 0, 40);
    ASSERT_EQ(ApplyLocalContrast(kArray, 1, 80, 255, 255, 255, 100, 0, 0, 0, 0), 1);
    EXPECT_EQ(GetArrayElement(kArray, 0, 0, 0), 0);
    EXPECT_GT(GetArrayElement(kArray, 3, 3, 0), 40);
}

// The render's staged equalisation reads one array and writes another: the result is the
// in-place equalisation's, every level-0 value copied, and the source stays as it was.
TEST_F(LocalContrastTest, StagedEqualisationIntoAnotherArrayGivesTheInPlaceResult) {
    constexpr int32_t kSource = 11;
    const int32_t width = 123, height = 77;
    SourceImage(width, height, false).Install();
    const std::vector<uint8_t> grey = Image8(width, height, 21);
    TestRandom random(5);
    for (int32_t bytes : {1, 2}) {
        ASSERT_EQ(CreateArray(kSource, width, height, 1, bytes), 1);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int32_t g = random.Below(9) == 0 ? 0 : grey[size_t(y) * width + x];
                // 16 bits: levels with low bits, some below 128 (level 0).
                PutArrayElement(kSource, x, y, 0, bytes == 1 ? g : g * 128 + random.Below(128));
            }
        for (int32_t detail : {20, 80}) {
            for (int32_t threads : {1, 3}) {
                SCOPED_TRACE(testing::Message() << bytes << " bytes, detail " << detail << ", "
                                                << threads << " threads");
                ASSERT_EQ(CopyArrayData(kSource, kArray), 1);
                const NumberedArray& copy = gArrays[kArray];
                EqualizeTiles(copy.base, bytes, width, height, Plain(detail));
                const std::vector<uint8_t> reference(copy.base, copy.base + copy.byteSize);
                const NumberedArray& source = gArrays[kSource];
                const std::vector<uint8_t> before(source.base, source.base + source.byteSize);
                SetAllArrayElements(kArray, 99);
                LocalContrastJob* job =
                    LocalContrastBegin(kSource, kArray, bytes, Plain(detail, threads));
                ASSERT_NE(job, nullptr);
                for (int32_t t = 0; t < threads; ++t) LocalContrastCount(job, t);
                LocalContrastTables(job);
                for (int32_t t = 0; t < threads; ++t) LocalContrastBlend(job, t);
                LocalContrastEnd(job);
                EXPECT_EQ(std::vector<uint8_t>(copy.base, copy.base + copy.byteSize), reference);
                EXPECT_EQ(std::vector<uint8_t>(source.base, source.base + source.byteSize), before);
            }
        }
    }
    // A target of another shape is refused before anything is written.
    ASSERT_EQ(CreateArray(kArray, width, height - 1, 1, 2), 1);
    EXPECT_EQ(LocalContrastBegin(kSource, kArray, 2, Plain(80)), nullptr);
    ReleaseArray(kSource);
    EXPECT_EQ(LocalContrastBegin(kSource, kArray, 2, Plain(80)), nullptr);
}

namespace {
// The render's equalisation (full strength, no clipping, no stretch, no gamma) pixel by
// pixel, with every quotient an integer division: tile tables of running count x 255 /
// pixels, blended bilinearly between the four nearest tile centres.
template <typename T>
std::vector<T> ReferenceEqualisation(const std::vector<T>& image, int32_t width, int32_t height,
                                     int32_t detail) {
    const int32_t tile = int32_t(int64_t(std::min(width, height)) * 10 / std::max(detail, 10));
    const int32_t nx = width / tile, ny = height / tile;
    const int32_t tw = width / nx, th = height / ny;
    auto level = [](T v) { return sizeof(T) == 1 ? int32_t(v) : std::min(int32_t(v) / 128, 255); };
    std::vector<int64_t> tables(size_t(nx) * ny * 256, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            ++tables[(size_t(std::min(y / th, ny - 1)) * nx + std::min(x / tw, nx - 1)) * 256 +
                     size_t(level(image[size_t(y) * width + x]))];
    for (int32_t j = 0; j < ny; ++j)
        for (int32_t i = 0; i < nx; ++i) {
            const int64_t pixels =
                int64_t(i == nx - 1 ? width - i * tw : tw) * (j == ny - 1 ? height - j * th : th);
            int64_t* t = &tables[(size_t(j) * nx + i) * 256];
            std::partial_sum(t, t + 256, t);
            for (int32_t v = 0; v < 256; ++v) t[v] = std::min<int64_t>(t[v] * 255 / pixels, 255);
        }
    // The span between centres holding position p along an axis of n tiles of size s.
    struct Span {
        int64_t start, size;
        int32_t before, after;
    };
    auto span = [](int32_t p, int32_t n, int32_t s, int32_t length) {
        if (p < s / 2) return Span{0, s / 2, 0, 0};
        const int32_t b = std::min(1 + (p - s / 2) / s, n);
        const int64_t start = s / 2 + int64_t(b - 1) * s;
        if (b == n) return Span{start, length - start, n - 1, n - 1};
        return Span{start, s, b - 1, b};
    };
    std::vector<T> out = image;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const T s = image[size_t(y) * width + x];
            const int32_t v = level(s);
            if (v == 0) continue;
            const Span r = span(y, ny, th, height), c = span(x, nx, tw, width);
            auto at = [&](int32_t i, int32_t j) { return tables[(size_t(j) * nx + i) * 256 + v]; };
            const int64_t i = x - c.start, j = y - r.start, bw = c.size, bh = r.size;
            const int64_t sum =
                (at(c.after, r.after) * i + at(c.before, r.after) * (bw - i)) * j +
                (at(c.before, r.before) * (bw - i) + at(c.after, r.before) * i) * (bh - j);
            const int32_t e = int32_t(std::min<int64_t>(sum / (bw * bh), 255));
            out[size_t(y) * width + x] =
                T(sizeof(T) == 1 ? e : std::min(e * 128 + (int32_t(s) & 127), 32768));
        }
    return out;
}
}  // namespace

// Every blended value against the reference, on images whose blocks are of every kind (half
// tiles, whole tiles, remainders), at both depths and on several threads.
TEST_F(LocalContrastTest, BlendsMatchThePlainIntegerEqualisation) {
    struct Case {
        int32_t width, height, detail;
    };
    const Case cases[] = {{301, 203, 80}, {97, 211, 160}, {640, 33, 20},  {17, 16, 100},
                          {1, 1, 10},     {255, 129, 37}, {1000, 600, 20}};
    TestRandom random(99);
    for (const Case& c : cases) {
        std::vector<uint8_t> image8 = Image8(c.width, c.height, uint64_t(c.width + c.detail));
        std::vector<uint16_t> image16(image8.size());
        for (size_t i = 0; i < image8.size(); ++i) {
            if (random.Below(11) == 0) image8[i] = 0;
            image16[i] = uint16_t(random.Below(5) == 0 ? random.Below(32769)
                                                       : image8[i] * 128 + random.Below(128));
        }
        const std::vector<uint8_t> expected8 =
            ReferenceEqualisation(image8, c.width, c.height, c.detail);
        const std::vector<uint16_t> expected16 =
            ReferenceEqualisation(image16, c.width, c.height, c.detail);
        for (int32_t threads : {1, 2, 3, 8}) {
            SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " detail " << c.detail
                                            << ", " << threads << " threads");
            std::vector<uint8_t> got8 = image8;
            EqualizeTiles(got8.data(), 1, c.width, c.height, Plain(c.detail, threads));
            EXPECT_EQ(got8, expected8);
            std::vector<uint16_t> got16 = image16;
            EqualizeTiles(got16.data(), 2, c.width, c.height, Plain(c.detail, threads));
            EXPECT_EQ(got16, expected16);
        }
    }
}

TEST(ClipHistogram, ClipsAtTheLimitAndKeepsTheCount) {
    struct Case {
        const char* name;
        std::vector<int32_t> bins;  // the first bins; the others alternate even, odd
        int32_t even, odd, limit;
        bool full;  // every bin reaches the limit: the excess left over is dropped
    };
    const Case cases[] = {
        {"one spike", {5000}, 0, 0, 40, false},
        {"two spikes over a floor", {900, 0, 0, 700}, 10, 10, 30, false},
        {"bins close to the limit fill up exactly", {3000}, 15, 0, 20, false},
        {"nothing to clip", {10, 20}, 5, 5, 100, false},
        {"every bin at the limit already", {3000}, 19, 19, 20, true},
        {"more than fits", {100000}, 50, 50, 60, true},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> bins(256);
        for (size_t i = 0; i < bins.size(); ++i) bins[i] = i % 2 ? c.odd : c.even;
        std::copy(c.bins.begin(), c.bins.end(), bins.begin());
        const int64_t before = std::accumulate(bins.begin(), bins.end(), int64_t(0));
        ClipHistogram(bins.data(), c.limit);
        const int64_t after = std::accumulate(bins.begin(), bins.end(), int64_t(0));
        for (int32_t v : bins) ASSERT_LE(v, c.limit) << c.name;
        if (c.full) {
            EXPECT_EQ(after, int64_t(256) * c.limit) << c.name;
        } else {
            EXPECT_EQ(after, before) << c.name;
        }
    }
}
