// Blurs: plain one-line-at-a-time references, constant and zero-radius identities, refused
// arrays, the Gaussian width of the recursive filter, and thread-count identities.

#include "render/blur.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "common/thread_counts.h"
#include "host/worker_threads.h"
#include "render/pass_threads.h"
#include "render/recursive_sweep.h"
#include "render/vector_level.h"
#include "render_test_support.h"

namespace {
constexpr int32_t kArray = 11;

struct Shape {
    int32_t x, y, z, bytes;
};

void FillRandom(int32_t n, const Shape& s, uint64_t seed) {
    ASSERT_TRUE(CreateArray(n, s.x, s.y, s.z, s.bytes));
    TestRandom random(seed);
    const int32_t max = s.bytes == 1 ? 255 : 32768;
    for (int32_t y = 0; y < s.y; ++y)
        for (int32_t x = 0; x < s.x; ++x)
            for (int32_t c = 0; c < s.z; ++c) PutArrayElement(n, x, y, c, random.Below(max + 1));
}

std::vector<int32_t> Elements(int32_t n) {
    const NumberedArray& a = gArrays[n];
    std::vector<int32_t> values;
    for (int32_t y = 0; y < a.ySize; ++y)
        for (int32_t x = 0; x < a.xSize; ++x)
            for (int32_t c = 0; c < a.zSize; ++c) values.push_back(GetArrayElement(n, x, y, c));
    return values;
}

// The blurs written plainly from their description: one line at a time, one sample at a
// time, on a copy of the array's elements.
struct Plain {
    std::vector<int32_t> v;
    int32_t x, y, z, max;

    int32_t& At(int32_t px, int32_t py, int32_t c) { return v[(size_t(py) * x + px) * z + c]; }

    template <typename Line>
    void EachLine(bool rows, Line line) {
        const int32_t count = rows ? y : x, length = rows ? x : y;
        for (int32_t c = 0; c < z; ++c)
            for (int32_t l = 0; l < count; ++l) {
                std::vector<int32_t*> s;
                for (int32_t p = 0; p < length; ++p)
                    s.push_back(rows ? &At(p, l, c) : &At(l, p, c));
                line(s);
            }
    }

    void Recursive(int32_t radius, bool edge) {
        const double q = radius / 10.0, q2 = q * q, q3 = q2 * q;
        const double b0 = 1.57825 + 2.44413 * q + 1.4281 * q2 + 0.422205 * q3;
        const double b1 = (2.44413 * q + 2.85619 * q2 + 1.26661 * q3) / b0;
        const double b2 = -(1.4281 * q2 + 1.26661 * q3) / b0;
        const double b3 = 0.422205 * q3 / b0;
        const double B = 1.0 - (b2 + b1 + b3);
        const int32_t w = std::min({radius / 10, x / 2, y / 2});
        auto sweep = [&](std::vector<int32_t*>& s) {
            const int32_t n = int32_t(s.size());
            double y1, y2, y3;
            auto step = [&](double in) {
                const double out = B * in + b1 * y1 + b2 * y2 + b3 * y3;
                y3 = y2;
                y2 = y1;
                y1 = out;
                return out;
            };
            auto store = [&](int32_t p, double out) {
                // Truncated, with the slack that keeps whole levels whole.
                out += 1e-6;
                *s[size_t(p)] = out <= 0 ? 0 : out >= max ? max : int32_t(out);
            };
            if (edge) {
                y1 = y2 = y3 = *s[0];
                for (int32_t i = 0; i < 2 * w; ++i) step(*s[0]);
            } else {
                y1 = y2 = y3 = *s[size_t(std::min(2 * w, n - 1))];
                for (int32_t p = 2 * w; p >= 1; --p) step(*s[size_t(std::min(p, n - 1))]);
            }
            for (int32_t p = 0; p < n; ++p) store(p, step(*s[size_t(p)]));
            if (edge)
                for (int32_t i = 0; i < w; ++i) step(*s[size_t(n - 1)]);
            for (int32_t p = n - 1; p >= 0; --p) store(p, step(*s[size_t(p)]));
        };
        EachLine(true, sweep);
        EachLine(false, sweep);
    }

    void Kernel(int32_t radius, bool trim) {
        const double s = std::fabs(radius / 10.0 * 2.0 + 1.0) + 1.0;
        const double l = std::log(0.00392156862745098);
        const double sigma2 = -(s * s) / (2 * l);
        int32_t h = int32_t(std::ceil(std::sqrt(-l * 2 * sigma2)));
        std::vector<int64_t> w(size_t(2 * h + 1));
        w[size_t(h)] = 255;
        for (int32_t k = 1; k <= h; ++k)
            w[size_t(h - k)] = w[size_t(h + k)] = int64_t(std::exp(-k * k / (2 * sigma2)) * 255);
        if (trim) {
            int32_t m = 0;
            for (int32_t j = 0; j <= h; ++j)
                if (w[size_t(j)] < 10) m = j + 1;
            w = std::vector<int64_t>(w.begin() + m, w.end() - m);
            h -= m;
        }
        int64_t sum = 0;
        for (int64_t weight : w) sum += weight;
        auto line = [&](std::vector<int32_t*>& smp) {
            const int32_t n = int32_t(smp.size());
            auto at = [&](int32_t p) -> int32_t& { return *smp[size_t(std::clamp(p, 0, n - 1))]; };
            std::vector<int64_t> b(size_t(2 * h + 1));
            b[size_t(h)] = at(0);
            for (int32_t k = 1; k <= h; ++k) b[size_t(h - k)] = b[size_t(h + k)] = at(k);
            for (int32_t p = 0; p < n; ++p) {
                b[size_t(2 * h)] = p < n - h ? at(p + h) : at(2 * p - n);
                int64_t total = 0;
                for (size_t k = 0; k < b.size(); ++k) total += b[k] * w[k];
                at(p) = int32_t(std::clamp<int64_t>(total / sum, 0, max));
                b.erase(b.begin());
                b.push_back(0);
            }
        };
        EachLine(true, line);
        EachLine(false, line);
    }
};

Plain PlainCopy(int32_t n) {
    const NumberedArray& a = gArrays[n];
    return {Elements(n), a.xSize, a.ySize, a.zSize, a.elementBytes == 1 ? 255 : 32768};
}

// Lines of every length from 1, groups of lines that end in a part of a vector step (67 x 1
// columns, 130 x 3), row groups cut short at the image's foot (71 rows of 3 channels), pixels
// wider than a group (70 channels; 67, whose last block has three), single-channel rows moved
// in blocks of eight by eight with rows and samples left over (83 x 75, 29 x 70).
const Shape kShapes[] = {
    {37, 23, 3, 1}, {64, 9, 1, 2},  {5, 41, 4, 1},  {1, 17, 2, 2},  {130, 71, 3, 1},
    {3, 2, 1, 1},   {67, 13, 1, 2}, {9, 5, 70, 1},  {1, 1, 3, 2},   {201, 3, 2, 2},
    {4, 3, 67, 2},  {2, 66, 3, 2},  {83, 75, 1, 1}, {29, 70, 1, 2},
};
}  // namespace

class BlurTest : public RenderTest {};

// At every vector level the processor runs: the wide sweeps must give the plain samples.
TEST_F(BlurTest, RecursiveBlurMatchesThePlainLineByLineFilter) {
    for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
        SetVectorLevelOverride(level);
        for (const Shape& shape : kShapes) {
            for (int32_t radius : {1, 7, 25, 100, 400}) {
                for (int32_t edge : {0, 1}) {
                    FillRandom(kArray, shape, uint64_t(radius * 3 + edge));
                    Plain plain = PlainCopy(kArray);
                    plain.Recursive(radius, edge != 0);
                    ASSERT_EQ(RecursiveBlurMT(kArray, radius, 1, edge), 1);
                    ASSERT_EQ(Elements(kArray), plain.v)
                        << shape.x << "x" << shape.y << "x" << shape.z << " bytes " << shape.bytes
                        << " radius " << radius << " edge " << edge << " vector level " << level;
                }
            }
        }
    }
    SetVectorLevelOverride(-1);
}

// Pass 1 reading another array's rows gives what a copy blurred in place gives, at every
// vector level and on any number of threads, and leaves the source as it was.
TEST_F(BlurTest, RowsReadFromAnotherArrayGiveTheBlurOfACopy) {
    constexpr int32_t kSource = 12;
    for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
        SetVectorLevelOverride(level);
        for (const Shape& shape : kShapes) {
            for (int32_t radius : {1, 25, 400}) {
                for (int32_t threads : {1, 3}) {
                    SCOPED_TRACE(testing::Message()
                                 << shape.x << "x" << shape.y << "x" << shape.z << " bytes "
                                 << shape.bytes << " radius " << radius << " threads " << threads
                                 << " vector level " << level);
                    FillRandom(kSource, shape, uint64_t(radius + threads));
                    const std::vector<int32_t> source = Elements(kSource);
                    ASSERT_EQ(CopyArrayData(kSource, kArray), 1);
                    ASSERT_EQ(RecursiveBlurMT(kArray, radius, 0, 0), 1);
                    const std::vector<int32_t> reference = Elements(kArray);
                    SetAllArrayElements(kArray, 77);
                    const BlurJob job = {kArray, radius, 0, threads};
                    ASSERT_TRUE(RecursiveBlurReadsFrom(job, kSource));
                    for (int32_t t = 0; t < threads; ++t) RecursiveBlurPass1From(job, kSource, t);
                    for (int32_t t = 0; t < threads; ++t) RecursiveBlurPass2(job, t);
                    ASSERT_EQ(Elements(kArray), reference);
                    ASSERT_EQ(Elements(kSource), source);
                }
            }
        }
    }
    SetVectorLevelOverride(-1);
    // Nothing to read from: another shape or element size, an absent array, radius 0.
    const Shape three = {20, 10, 3, 1};
    FillRandom(kArray, three, 1);
    const std::vector<int32_t> before = Elements(kArray);
    const Shape others[] = {{20, 10, 1, 1}, {10, 20, 3, 1}, {20, 10, 3, 2}, {21, 10, 3, 1}};
    for (const Shape& other : others) {
        FillRandom(kSource, other, 2);
        EXPECT_FALSE(RecursiveBlurReadsFrom({kArray, 30, 0, 1}, kSource));
        RecursiveBlurPass1From({kArray, 30, 0, 1}, kSource, 0);
        EXPECT_EQ(Elements(kArray), before);
    }
    FillRandom(kSource, three, 2);
    EXPECT_FALSE(RecursiveBlurReadsFrom({kArray, 0, 0, 1}, kSource));
    ReleaseArray(kSource);
    EXPECT_FALSE(RecursiveBlurReadsFrom({kArray, 30, 0, 1}, kSource));
}

namespace {
// Rows made by copying them from another array, each row's makings counted.
struct RowCopies {
    int32_t source;
    std::vector<int32_t> made;  // times each row was made
};

void CopyRow(void* context, int32_t, int32_t y, uint16_t* out) {
    RowCopies& c = *static_cast<RowCopies*>(context);
    const NumberedArray& a = gArrays[c.source];
    const int64_t elements = int64_t(a.xSize) * a.zSize;
    std::memcpy(out, a.base + y * elements * 2, size_t(elements) * 2);
    ++c.made[size_t(y)];
}
}  // namespace

// Pass 1 with its rows made as it goes gives what blurring the made rows in place gives, on
// any number of threads and at every vector level; each row is made once, and the pass takes
// only what it can make: 2-byte elements of at most 64 channels, a radius above 0.
TEST_F(BlurTest, RowsMadeAsThePassGoesGiveTheBlurOfTheMadeRows) {
    constexpr int32_t kSource = 12;
    const Shape shapes[] = {{64, 9, 1, 2},  {1, 17, 2, 2},  {67, 13, 1, 2}, {1, 1, 3, 2},
                            {201, 3, 2, 2}, {2, 66, 3, 2},  {29, 70, 1, 2}, {37, 41, 3, 2},
                            {50, 35, 4, 2}, {13, 100, 2, 2}};
    for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
        SetVectorLevelOverride(level);
        for (const Shape& shape : shapes) {
            for (int32_t radius : {1, 25, 400}) {
                for (int32_t threads : {1, 3}) {
                    SCOPED_TRACE(testing::Message()
                                 << shape.x << "x" << shape.y << "x" << shape.z << " radius "
                                 << radius << " threads " << threads << " vector level " << level);
                    FillRandom(kSource, shape, uint64_t(radius * 7 + threads));
                    ASSERT_EQ(CopyArrayData(kSource, kArray), 1);
                    ASSERT_EQ(RecursiveBlurMT(kArray, radius, 0, 0), 1);
                    const std::vector<int32_t> reference = Elements(kArray);
                    SetAllArrayElements(kArray, 77);
                    const BlurJob job = {kArray, radius, 0, threads};
                    ASSERT_TRUE(RecursiveBlurMakesRows(job));
                    RowCopies copies = {kSource, std::vector<int32_t>(size_t(shape.y), 0)};
                    std::atomic<int32_t> nextGroup{0};
                    const BlurRowMaker maker = {CopyRow, &copies, &nextGroup};
                    for (int32_t t = 0; t < threads; ++t) RecursiveBlurPass1Made(job, maker, t);
                    for (int32_t t = 0; t < threads; ++t) RecursiveBlurPass2(job, t);
                    ASSERT_EQ(Elements(kArray), reference);
                    EXPECT_EQ(copies.made, std::vector<int32_t>(size_t(shape.y), 1));
                }
            }
        }
    }
    SetVectorLevelOverride(-1);
    FillRandom(kArray, {20, 10, 3, 1}, 1);
    EXPECT_FALSE(RecursiveBlurMakesRows({kArray, 30, 0, 1}));
    FillRandom(kArray, {4, 3, 67, 2}, 1);
    EXPECT_FALSE(RecursiveBlurMakesRows({kArray, 30, 0, 1}));
    FillRandom(kArray, {20, 10, 3, 2}, 1);
    EXPECT_FALSE(RecursiveBlurMakesRows({kArray, 0, 0, 1}));
    EXPECT_TRUE(RecursiveBlurMakesRows({kArray, 30, 0, 1}));
    ReleaseArray(kArray);
    EXPECT_FALSE(RecursiveBlurMakesRows({kArray, 30, 0, 1}));
}

namespace {
// The filter's coefficients for a radius of q pixels, with a warm-up of 3 steps.
RecursiveFilter FilterOfRadius(double q) {
    const double b0 = 1.57825 + 2.44413 * q + 1.4281 * q * q + 0.422205 * q * q * q;
    RecursiveFilter f;
    f.b1 = (2.44413 * q + 2.85619 * q * q + 1.26661 * q * q * q) / b0;
    f.b2 = -(1.4281 * q * q + 1.26661 * q * q * q) / b0;
    f.b3 = 0.422205 * q * q * q / b0;
    f.B = 1.0 - (f.b2 + f.b1 + f.b3);
    f.warmUp = 3;
    return f;
}

}  // namespace

// Every build of the sweep the processor runs, on groups of every lane count up to the most
// (so that eight-, four- and one-lane steps all end a group), gives the plain build's samples.
TEST_F(BlurTest, EverySweepBuildGivesThePlainSamplesForEveryLaneCount) {
    std::vector<std::pair<const char*, RecursiveSweepProc>> builds;
    if (VectorLevelDetected() >= VECTOR_AVX2) builds.push_back({"AVX2", RecursiveSweepAvx2});
    if (RecursiveSweepHasAvx512()) builds.push_back({"AVX-512", RecursiveSweepAvx512});
    std::vector<double> ring(3 * kMaxSweepLanes);
    for (const auto& build : builds) {
        for (int32_t bytes : {1, 2}) {
            for (int32_t length : {1, 2, 29}) {
                for (int32_t lanes = 1; lanes <= kMaxSweepLanes; ++lanes) {
                    const int32_t max = bytes == 1 ? 255 : 32768;
                    const int64_t stride = kMaxSweepLanes + 3;  // samples of a lane apart
                    std::vector<uint8_t> plain(size_t(stride * length * bytes));
                    TestRandom random(uint64_t(lanes * 31 + length + bytes));
                    for (size_t i = 0; i < plain.size(); i += size_t(bytes)) {
                        const int32_t v = random.Below(max + 1);
                        std::memcpy(&plain[i], &v, size_t(bytes));  // little-endian low bytes
                    }
                    std::vector<uint8_t> wide = plain;
                    const RecursiveFilter f = FilterOfRadius(2.5);
                    const bool edge = lanes % 2 == 0;
                    LaneGroup g = {plain.data(), bytes, stride, lanes,
                                   length,       max,   edge,   ring.data()};
                    RecursiveSweepPlain(g, f);
                    g.data = wide.data();
                    build.second(g, f);
                    ASSERT_EQ(wide, plain) << build.first << " bytes " << bytes << " length "
                                           << length << " lanes " << lanes;
                }
            }
        }
    }
}

TEST_F(BlurTest, KernelBlurMatchesThePlainLineByLineFilter) {
    for (const Shape& shape : kShapes) {
        for (int32_t radius : {0, 5, 10, 33, 120}) {
            for (int32_t trim : {0, 1}) {
                FillRandom(kArray, shape, uint64_t(radius * 5 + trim));
                Plain plain = PlainCopy(kArray);
                plain.Kernel(radius, trim != 0);
                ASSERT_EQ(GaussianBlurMT(kArray, radius, trim, 1), 1);
                ASSERT_EQ(Elements(kArray), plain.v)
                    << shape.x << "x" << shape.y << "x" << shape.z << " bytes " << shape.bytes
                    << " radius " << radius << " trim " << trim;
            }
        }
    }
}

TEST_F(BlurTest, ZeroRadiusAndConstantArrays) {
    FillRandom(kArray, {40, 30, 3, 2}, 1);
    const std::vector<int32_t> before = Elements(kArray);
    EXPECT_EQ(RecursiveBlurMT(kArray, 0, 1, 0), 1);
    EXPECT_EQ(Elements(kArray), before) << "radius 0";

    for (int32_t bytes : {1, 2}) {
        const int32_t max = bytes == 1 ? 255 : 32768;
        for (int32_t value : {0, 1, 77, max}) {
            for (int32_t radius : {0, 3, 10, 55, 300, 1000}) {
                for (int32_t kind = 0; kind < 4; ++kind) {
                    ASSERT_TRUE(CreateArray(kArray, 33, 21, 2, bytes));
                    SetAllArrayElements(kArray, value);
                    const int32_t result = kind < 2
                                               ? RecursiveBlurMT(kArray, radius, 0, kind)
                                               : GaussianBlurMT(kArray, radius % 600, kind - 2, 0);
                    ASSERT_EQ(result, 1);
                    for (int32_t v : Elements(kArray))
                        ASSERT_LE(std::abs(v - value), 1)
                            << "bytes " << bytes << " value " << value << " radius " << radius
                            << " kind " << kind;
                }
            }
        }
    }
}

TEST_F(BlurTest, RefusedArraysAreLeftAlone) {
    struct Case {
        const char* name;
        int32_t n, bytes, radius;
    };
    const Case cases[] = {
        {"array number 100", 100, 1, 10},   {"negative array number", -1, 1, 10},
        {"4-byte elements", kArray, 4, 10}, {"8-byte elements", kArray, 8, 10},
        {"no storage", 12, 1, 10},
    };
    for (const Case& c : cases) {
        ReleaseAllArrays();
        ASSERT_TRUE(CreateArray(kArray, 20, 10, 1, c.bytes));
        SetAllArrayElements(kArray, 3);
        PutArrayElement(kArray, 5, 5, 0, 200);
        const std::vector<int32_t> before = Elements(kArray);
        EXPECT_EQ(GaussianBlurMT(c.n, c.radius, 1, 1), 0) << c.name;
        EXPECT_EQ(RecursiveBlurMT(c.n, c.radius, 1, 0), 0) << c.name;
        EXPECT_EQ(RecursiveBlurMT(c.n, 0, 1, 0), 0) << c.name << " at radius 0";
        EXPECT_EQ(Elements(kArray), before) << c.name;
    }
    // A kernel wider than 255 weights is refused; the recursive blur takes any radius.
    FillRandom(kArray, {50, 50, 1, 1}, 2);
    const std::vector<int32_t> before = Elements(kArray);
    int32_t radius = 0;
    while (GaussianKernelHalfWidth(radius) <= kMaxKernelHalfWidth) radius += 10;
    EXPECT_EQ(GaussianBlurMT(kArray, radius, 1, 1), 0);
    EXPECT_EQ(Elements(kArray), before);
    EXPECT_EQ(GaussianBlurMT(kArray, radius - 10, 1, 1), 1);
}

TEST_F(BlurTest, KernelWidthsAndTrimming) {
    EXPECT_EQ(GaussianKernelHalfWidth(10), 4);
    EXPECT_EQ(GaussianKernelHalfWidth(60), 15) << "rounding gives one more than s = 14";
    EXPECT_EQ(GaussianKernelHalfWidth(0), 2);
    // An impulse on a single row shows the kernel's extent: 9 samples, or 7 once the weights
    // below 10 are trimmed.
    for (int32_t trim : {0, 1}) {
        ASSERT_TRUE(CreateArray(kArray, 41, 1, 1, 2));
        SetAllArrayElements(kArray, 0);
        PutArrayElement(kArray, 20, 0, 0, 32768);
        ASSERT_EQ(GaussianBlurMT(kArray, 10, trim, 0), 1);
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < 41; ++x)
            if (GetArrayElement(kArray, x, 0, 0) > 0) {
                if (first < 0) first = x;
                last = x;
            }
        EXPECT_EQ(last - first + 1, trim ? 7 : 9) << "trim " << trim;
        EXPECT_EQ(20 - first, last - 20) << "symmetric";
    }
}

TEST_F(BlurTest, RecursiveBlurSpreadsAnImpulseLikeItsGaussian) {
    // The recursive filter's q belongs to the Gaussian of sigma = (q + 0.9633) / 0.98711
    // (Young and van Vliet); the radius is used as q.
    for (int32_t radiusPx : {3, 8, 20}) {
        ASSERT_TRUE(CreateArray(kArray, 401, 1, 1, 2));
        SetAllArrayElements(kArray, 0);
        PutArrayElement(kArray, 200, 0, 0, 32768);
        ASSERT_EQ(RecursiveBlurMT(kArray, radiusPx * 10, 0, 1), 1);
        double total = 0, moment = 0;
        for (int32_t x = 0; x < 401; ++x) {
            const double v = GetArrayElement(kArray, x, 0, 0);
            total += v;
            moment += v * (x - 200) * (x - 200);
        }
        ASSERT_GT(total, 0);
        const double sigma = (radiusPx + 0.9633) / 0.98711;
        EXPECT_NEAR(std::sqrt(moment / total), sigma, sigma * 0.15) << radiusPx;
    }
    // Sixteen-bit results stay at or below 32768 across a hard edge.
    ASSERT_TRUE(CreateArray(kArray, 64, 64, 1, 2));
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) PutArrayElement(kArray, x, y, 0, x < 32 ? 0 : 32768);
    ASSERT_EQ(RecursiveBlurMT(kArray, 15, 1, 0), 1);
    for (int32_t v : Elements(kArray)) ASSERT_LE(v, 32768);
}

TEST_F(BlurTest, ResultsDoNotDependOnTheThreadCount) {
    for (int32_t bytes : {1, 2}) {
        const Shape shape = {257, 131, 3, bytes};
        EXPECT_TRUE(SameOutputForThreadCounts(
            [&] {
                FillRandom(kArray, shape, 99);
                RecursiveBlurMT(kArray, 123, 1, 0);
                return ArrayBytes(kArray);
            },
            {1, 8, 3, 16, 24}))
            << "recursive, bytes " << bytes;
        EXPECT_TRUE(SameOutputForThreadCounts(
            [&] {
                FillRandom(kArray, shape, 98);
                GaussianBlurMT(kArray, 40, 1, 1);
                return ArrayBytes(kArray);
            },
            {1, 8}))
            << "kernel, bytes " << bytes;
    }
}

TEST_F(BlurTest, RenderThreadsRunThePassesWithTheirOwnCount) {
    const Shape shape = {90, 61, 1, 1};
    FillRandom(kArray, shape, 5);
    ASSERT_EQ(RecursiveBlurMT(kArray, 80, 0, 0), 1);
    const std::vector<int32_t> reference = Elements(kArray);

    // The render's pool jobs: parameters array, radius, edge; the job's own thread count.
    SetProcessorCountOverride(6);
    FillRandom(kArray, shape, 5);
    gJob.poolParameters[1] = kArray;
    gJob.poolParameters[2] = 80;
    gJob.poolParameters[3] = 0;
    RunParallel(RecursiveBlurPass1Job, true, 0, 0, false);
    RunParallel(RecursiveBlurPass2Job, true, 0, 0, false);
    SetProcessorCountOverride(0);
    EXPECT_EQ(Elements(kArray), reference) << "pool jobs";

    // A blur started inside a render leaves the render's thread count as it was, also on a
    // machine with more than 16 processors.
    SetProcessorCountOverride(32);
    EXPECT_EQ(PassThreadCount(1), 16);
    EXPECT_EQ(PassThreadCount(0), 1);
    gJob.threadCount = 24;
    FillRandom(kArray, shape, 5);
    ASSERT_EQ(RecursiveBlurMT(kArray, 80, 1, 0), 1);
    EXPECT_EQ(gJob.threadCount, 24);
    EXPECT_EQ(Elements(kArray), reference) << "16 threads";
    SetProcessorCountOverride(0);
    gJob.threadCount = 1;
}
