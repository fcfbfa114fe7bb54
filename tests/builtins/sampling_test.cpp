// Interpolated reads of arrays and of the source, against hand-worked blends and an
// independent natural cubic spline.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "builtins/image_fixture.h"
#include "host/numbered_arrays.h"
#include "host/sampling.h"

namespace {
constexpr int32_t kArray = 40;

class SamplingTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetArrayTables(); }
    void TearDown() override { ReleaseAllArrays(); }
    // A 1-row array holding the given values along x.
    void MakeRow(const std::vector<int32_t>& values) {
        ASSERT_EQ(CreateArray(kArray, int32_t(values.size()), 1, 1, 4), 1);
        for (size_t i = 0; i < values.size(); ++i)
            PutArrayElement(kArray, int32_t(i), 0, 0, values[i]);
    }
};

// The natural cubic spline through points at x = 0..n-1 (second derivatives zero at both
// ends), solved as a tridiagonal system: the textbook construction, not the closed form the
// built-in uses for four points.
double NaturalSpline(const std::vector<double>& p, double x) {
    const size_t n = p.size();
    std::vector<double> m(n, 0.0), c(n, 0.0), d(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
        const double rhs = 6.0 * (p[i - 1] - 2.0 * p[i] + p[i + 1]);
        const double pivot = 4.0 - (i > 1 ? c[i - 1] : 0.0);
        c[i] = 1.0 / pivot;
        d[i] = (rhs - (i > 1 ? d[i - 1] : 0.0)) / pivot;
    }
    for (size_t i = n - 2; i >= 1; --i) {
        m[i] = d[i] - c[i] * m[i + 1];
        if (i == 1) break;
    }
    const size_t k = size_t(std::floor(x));
    const double t = x - double(k), s = 1.0 - t;
    return s * p[k] + t * p[k + 1] + (m[k] * (s * s * s - s) + m[k + 1] * (t * t * t - t)) / 6.0;
}

TEST_F(SamplingTest, EveryModeReturnsTheCellAtACellPosition) {
    ASSERT_EQ(CreateArray(kArray, 4, 3, 2, 4), 1);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            for (int32_t z = 0; z < 2; ++z)
                PutArrayElement(kArray, x, y, z, 1000 * z + 97 * x * x - 31 * y + 7);
    for (int32_t mode = 0; mode <= 4; ++mode)
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x)
                for (int32_t z = 0; z < 2; ++z)
                    EXPECT_EQ(SampleArray(kArray, x, y, z, mode), GetArrayElement(kArray, x, y, z))
                        << "mode " << mode << " at " << x << "," << y << "," << z;
}

TEST_F(SamplingTest, BlendsWeighTheFourNeighbours) {
    // a b      0 100
    // c d    200  40
    ASSERT_EQ(CreateArray(kArray, 2, 2, 1, 4), 1);
    PutArrayElement(kArray, 0, 0, 0, 0);
    PutArrayElement(kArray, 1, 0, 0, 100);
    PutArrayElement(kArray, 0, 1, 0, 200);
    PutArrayElement(kArray, 1, 1, 0, 40);
    const struct {
        double x, y;
        int32_t mode, value;
    } cases[] = {
        {0.25, 0.5, SAMPLE_NEAREST, 0},
        {0.9, 0.99, SAMPLE_NEAREST, 0},
        // bilinear: .75*.5*0 + .25*.5*100 + .75*.5*200 + .25*.5*40 = 92.5
        {0.25, 0.5, SAMPLE_BILINEAR, 92},
        // squared: wx = .0625, wy = .25: .0625*.75*100 + .9375*.25*200 + .0625*.25*40 = 52.23
        {0.25, 0.5, SAMPLE_SQUARED, 52},
        // cosine at the middle is the bilinear middle: (0 + 100 + 200 + 40) / 4 = 85
        {0.5, 0.5, SAMPLE_COSINE, 85},
        // cosine at t = .25: w = (1 - cos(pi/4)) / 2 = .146447; along y only: 200 w = 29.29
        {0.0, 0.25, SAMPLE_COSINE, 29},
        // positions past the edge repeat the edge cells
        {5.0, -3.0, SAMPLE_BILINEAR, 100},
        {1.0, 0.5, SAMPLE_BILINEAR, 70},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SampleArray(kArray, c.x, c.y, 0, c.mode), c.value)
            << "mode " << c.mode << " at " << c.x << "," << c.y;
}

TEST_F(SamplingTest, SplineModeFollowsTheNaturalCubicSpline) {
    const std::vector<int32_t> values = {120, 40, 230, 15, 99, 180};
    MakeRow(values);
    for (int32_t k = 1; k + 2 < int32_t(values.size()); ++k) {
        const std::vector<double> four = {double(values[k - 1]), double(values[k]),
                                          double(values[k + 1]), double(values[k + 2])};
        for (double t : {0.1, 0.3, 0.5, 0.77, 0.9}) {
            const double reference = NaturalSpline(four, 1.0 + t);
            const int32_t sampled = SampleArray(kArray, k + t, 0.0, 0, SAMPLE_SPLINE);
            EXPECT_NEAR(sampled, reference, 1.0) << k + t;
            const double fraction = reference - std::trunc(reference);
            if (std::fabs(fraction) > 0.01 && std::fabs(fraction) < 0.99) {
                EXPECT_EQ(sampled, int32_t(std::trunc(reference))) << k + t;
            }
        }
    }
    // Linear data stays linear in both directions.
    ASSERT_EQ(CreateArray(kArray + 1, 6, 6, 1, 4), 1);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x) PutArrayElement(kArray + 1, x, y, 0, 10 * x + 1000 * y);
    EXPECT_EQ(SampleArray(kArray + 1, 2.5, 3.25, 0, SAMPLE_SPLINE), 3275);
    // At the first cell the outer neighbour repeats the edge.
    const std::vector<double> edge = {120, 120, 40, 230};
    EXPECT_EQ(SampleArray(kArray, 0.5, 0.0, 0, SAMPLE_SPLINE),
              int32_t(std::trunc(NaturalSpline(edge, 1.5))));
}

TEST_F(SamplingTest, BorderCellsAreReachable) {
    ASSERT_EQ(CreateArrayPadded(kArray, 3, 1, 1, 4, 2), 1);
    for (int32_t x = -2; x < 5; ++x) PutArrayElement(kArray, x, 0, 0, 100 * (x + 2));
    EXPECT_EQ(SampleArray(kArray, -2.0, 0.0, 0, SAMPLE_NEAREST), 0);
    EXPECT_EQ(SampleArray(kArray, -1.5, 0.0, 0, SAMPLE_BILINEAR), 50);
    EXPECT_EQ(SampleArray(kArray, -9.0, 0.0, 0, SAMPLE_NEAREST), 0);
    EXPECT_EQ(SampleArray(kArray, 9.0, 0.0, 0, SAMPLE_NEAREST), 600);
}

TEST_F(SamplingTest, RefusedRequestsGiveZero) {
    MakeRow({5, 6, 7});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(SampleArray(kArray, 1.0, 0.0, -1, 0), 0);
    EXPECT_EQ(SampleArray(kArray, 1.0, 0.0, 1, 0), 0);
    EXPECT_EQ(SampleArray(kArray, 1.0, 0.0, 0, 5), 0);
    EXPECT_EQ(SampleArray(kArray, 1.0, 0.0, 0, -1), 0);
    EXPECT_EQ(SampleArray(kArray + 1, 1.0, 0.0, 0, 0), 0);
    EXPECT_EQ(SampleArray(100, 1.0, 0.0, 0, 0), 0);
    EXPECT_EQ(SampleArray(kArray, nan, nan, 0, SAMPLE_SPLINE), 5);
    EXPECT_EQ(SampleArray(kArray, 1e300, -1e300, 0, SAMPLE_BILINEAR), 7);
}

TEST(SampleSource, ReadsTheSourceAtEitherDepth) {
    for (bool sixteen : {false, true}) {
        TestImage image = {3, 2, 3, sixteen, {}, {}, {}};
        AttachTestImage(image);
        const int32_t scale = sixteen ? 128 : 1;
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x) image.SetIn(x, y, 1, (40 * x + 100 * y) * scale);
        EXPECT_EQ(SampleSource(1.5, 0.5, 1, SAMPLE_BILINEAR), 110 * scale);
        EXPECT_EQ(SampleSource(2.0, 1.0, 1, SAMPLE_NEAREST), 180 * scale);
        EXPECT_EQ(SampleSource(-4.0, 7.0, 1, SAMPLE_NEAREST), 100 * scale);
        EXPECT_EQ(SampleSource(1.0, 1.0, 3, SAMPLE_NEAREST), 0) << "no fourth plane";
        EXPECT_EQ(SampleSource(1.0, 1.0, -1, SAMPLE_NEAREST), 0);
        EXPECT_EQ(SampleSource(1.0, 1.0, 1, 7), 0);
    }
}
}  // namespace
