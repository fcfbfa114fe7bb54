// Tone curves: spline rows against an independent natural-spline solution, flat ends,
// degenerate point lists, point-list edits and the slider bends.

#include "render/tone_curve.h"

#include <algorithm>
#include <cmath>

#include "render_test_support.h"

namespace {
constexpr int32_t kPoints = ARRAY_SPLINE_POINTS;
constexpr int32_t kLuts = ARRAY_CURVE_LUTS;
constexpr int32_t kScratchPoints = ARRAY_SPLINE_DERIVS;
constexpr int32_t kScratchLut = ARRAY_SPLINE_WORK;
constexpr int32_t kCurveMax = 159;

class ToneCurveTest : public RenderTest {
  protected:
    void StorePoints(int32_t curve, const std::vector<CurvePoint>& points) {
        if (!GetArrayBase(kPoints)) {
            ASSERT_TRUE(CreateArray(kPoints, 128, 2, 7, 4));
        }
        for (size_t i = 0; i < points.size(); ++i) {
            PutArrayElement(kPoints, int32_t(i), 0, curve, points[i].x);
            PutArrayElement(kPoints, int32_t(i), 1, curve, points[i].y);
        }
    }
    std::vector<CurvePoint> LoadPoints(int32_t curve, int32_t count) {
        std::vector<CurvePoint> points;
        for (int32_t i = 0; i < count; ++i)
            points.push_back(
                {GetArrayElement(kPoints, i, 0, curve), GetArrayElement(kPoints, i, 1, curve)});
        return points;
    }
    // The row of the spline through the points at the given depth.
    std::vector<int32_t> SplineRow(const std::vector<CurvePoint>& points, int32_t max) {
        StorePoints(2, points);
        EXPECT_TRUE(CreateArray(kLuts, max + 1, 7, 1, 4));
        EXPECT_EQ(SplineSecondDerivatives(kPoints, 2, int32_t(points.size()), kLuts, 5, max), 1);
        return ArrayRow(kLuts, 5, max + 1);
    }
    void SetRow(int32_t row, const std::vector<int32_t>& values) {
        for (size_t i = 0; i < values.size(); ++i)
            PutArrayElement(kLuts, int32_t(i), row, 0, values[i]);
    }
    std::vector<int32_t> Bent(const std::vector<int32_t>& row, int32_t max, int32_t intensity,
                              int32_t brightness, int32_t shadows, int32_t highlights, int32_t link,
                              int32_t exposure) {
        EXPECT_TRUE(CreateArray(kLuts, max + 1, 7, 1, 4));
        SetRow(3, row);
        EXPECT_EQ(CurveToLut(kLuts, 3, kScratchPoints, kScratchLut, max, intensity, brightness,
                             shadows, highlights, link, exposure),
                  1);
        return ArrayRow(kLuts, 3, max + 1);
    }
};

// The natural cubic spline by a dense solve of its moment equations (Gaussian elimination),
// a different route from the tridiagonal sweep of the code.
double NaturalSplineReference(const std::vector<CurvePoint>& p, double v) {
    const size_t n = p.size();
    std::vector<std::vector<double>> a(n, std::vector<double>(n + 1, 0.0));
    a[0][0] = 1.0;
    a[n - 1][n - 1] = 1.0;
    for (size_t i = 1; i + 1 < n; ++i) {
        const double h0 = p[i].x - p[i - 1].x, h1 = p[i + 1].x - p[i].x;
        a[i][i - 1] = h0 / 6.0;
        a[i][i] = (h0 + h1) / 3.0;
        a[i][i + 1] = h1 / 6.0;
        a[i][n] = (p[i + 1].y - p[i].y) / h1 - (p[i].y - p[i - 1].y) / h0;
    }
    for (size_t c = 0; c < n; ++c) {
        size_t pivot = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        std::swap(a[c], a[pivot]);
        for (size_t r = 0; r < n; ++r) {
            if (r == c) continue;
            const double f = a[r][c] / a[c][c];
            for (size_t k = c; k <= n; ++k) a[r][k] -= f * a[c][k];
        }
    }
    std::vector<double> m(n);
    for (size_t i = 0; i < n; ++i) m[i] = a[i][n] / a[i][i];
    size_t i = 0;
    while (i + 2 < n && v > p[i + 1].x) ++i;
    const double h = p[i + 1].x - p[i].x;
    const double t0 = (p[i + 1].x - v), t1 = (v - p[i].x);
    return m[i] * t0 * t0 * t0 / (6 * h) + m[i + 1] * t1 * t1 * t1 / (6 * h) +
           (p[i].y / h - m[i] * h / 6) * t0 + (p[i + 1].y / h - m[i + 1] * h / 6) * t1;
}
}  // namespace

TEST_F(ToneCurveTest, StoredIdentityCurveGivesIdentityRowAtBothDepths) {
    for (int32_t max : {255, 32768}) {
        // The stored points scaled to the image's levels as the render does.
        auto scaled = [max](int32_t p) { return std::min(max, p * max / kCurveMax); };
        const std::vector<int32_t> row =
            SplineRow({{scaled(0), scaled(0)}, {scaled(kCurveMax), scaled(kCurveMax)}}, max);
        EXPECT_EQ(row, IdentityRow(max)) << "max " << max;
        EXPECT_EQ(Bent(row, max, 0, 0, 0, 0, 1, 0), IdentityRow(max)) << "max " << max;
    }
}

TEST_F(ToneCurveTest, SplineFollowsTheNaturalSplineAndPassesThroughItsPoints) {
    const std::vector<std::vector<CurvePoint>> curves = {
        {{0, 0}, {60, 100}, {128, 120}, {200, 230}, {255, 255}},
        {{0, 40}, {255, 10}},
        {{10, 0}, {100, 255}, {140, 0}, {250, 255}},
        {{0, 255}, {64, 128}, {192, 128}, {255, 0}},
    };
    for (const auto& points : curves) {
        const std::vector<int32_t> row = SplineRow(points, 255);
        for (const CurvePoint& p : points) EXPECT_EQ(row[size_t(p.x)], std::clamp(p.y, 0, 255));
        for (int32_t v = points.front().x; v <= points.back().x; ++v) {
            const double expected =
                std::clamp(std::trunc(NaturalSplineReference(points, v)), 0.0, 255.0);
            EXPECT_NEAR(row[size_t(v)], expected, 1.0) << "level " << v;
        }
    }
}

TEST_F(ToneCurveTest, SplineIsFlatOutsideItsEndPoints) {
    const std::vector<int32_t> row = SplineRow({{32, 10}, {120, 130}, {200, 240}}, 255);
    for (int32_t v = 0; v <= 32; ++v) EXPECT_EQ(row[size_t(v)], 10) << v;
    for (int32_t v = 200; v <= 255; ++v) EXPECT_EQ(row[size_t(v)], 240) << v;
    const std::vector<int32_t> wide = SplineRow({{4096, 1000}, {30000, 31000}}, 32768);
    EXPECT_EQ(wide[0], 1000);
    EXPECT_EQ(wide[4096], 1000);
    EXPECT_EQ(wide[32768], 31000);
}

TEST_F(ToneCurveTest, DegeneratePointListsGiveDefinedRows) {
    struct Case {
        const char* name;
        std::vector<CurvePoint> points;
        int32_t level, expected;
    };
    const Case cases[] = {
        {"no points: identity", {}, 77, 77},
        {"one point: flat", {{100, 50}}, 0, 50},
        {"one point: flat at the top", {{100, 50}}, 255, 50},
        {"same input twice: the first wins", {{0, 0}, {100, 40}, {100, 200}, {255, 255}}, 100, 40},
        {"unsorted list", {{255, 255}, {0, 0}}, 128, 128},
        {"outputs beyond the range are clamped", {{0, -50}, {255, 400}}, 255, 255},
    };
    for (const Case& c : cases) {
        const std::vector<int32_t> row = SplineRow(c.points, 255);
        EXPECT_EQ(row[size_t(c.level)], c.expected) << c.name;
        for (int32_t v : row) ASSERT_TRUE(v >= 0 && v <= 255) << c.name;
    }
}

TEST_F(ToneCurveTest, SplineRefusesRowsItCannotWrite) {
    StorePoints(0, {{0, 0}, {255, 255}});
    EXPECT_EQ(SplineSecondDerivatives(kPoints, 0, 2, kLuts, 0, 255), 0) << "no lookup array";
    ASSERT_TRUE(CreateArray(kLuts, 100, 7, 1, 4));
    EXPECT_EQ(SplineSecondDerivatives(kPoints, 0, 2, kLuts, 0, 255), 0) << "row too short";
    ASSERT_TRUE(CreateArray(kLuts, 256, 7, 1, 4));
    EXPECT_EQ(SplineSecondDerivatives(kPoints, 0, 2, kLuts, 7, 255), 0) << "row outside";
    ReleaseArray(kPoints);
    EXPECT_EQ(SplineSecondDerivatives(kPoints, 0, 2, kLuts, 0, 255), 0) << "no points";
}

TEST_F(ToneCurveTest, SortCurvePointsOrdersByInputAndLeavesSortedListsAlone) {
    const std::vector<std::vector<CurvePoint>> lists = {
        {{0, 5}, {10, 6}, {10, 7}, {50, 8}, {255, 9}},
        {{255, 1}, {200, 2}, {150, 3}, {100, 4}, {50, 5}, {0, 6}},
        {{30, 1}},
        {{9, 1},
         {3, 2},
         {7, 3},
         {3, 4},
         {200, 5},
         {1, 6},
         {0, 7},
         {8, 8},
         {100, 9},
         {5, 10},
         {6, 11},
         {2, 12},
         {4, 13},
         {11, 14},
         {12, 15},
         {255, 16}},
    };
    for (const auto& list : lists) {
        StorePoints(4, list);
        EXPECT_EQ(SortCurvePoints(kPoints, 4, int32_t(list.size())), 1);
        std::vector<CurvePoint> sorted = LoadPoints(4, int32_t(list.size()));
        const bool wasSorted =
            std::is_sorted(list.begin(), list.end(), [](auto& a, auto& b) { return a.x < b.x; });
        for (size_t i = 1; i < sorted.size(); ++i) EXPECT_LE(sorted[i - 1].x, sorted[i].x);
        // The same pairs, moved together.
        auto key = [](const CurvePoint& p) { return p.x * 1000 + p.y; };
        std::vector<int32_t> before, after;
        for (auto& p : list) before.push_back(key(p));
        for (auto& p : sorted) after.push_back(key(p));
        if (wasSorted) {
            EXPECT_EQ(after, before);
        } else {
            std::sort(before.begin(), before.end());
            std::sort(after.begin(), after.end());
            EXPECT_EQ(after, before);
        }
    }
}

TEST_F(ToneCurveTest, DeleteCurvePointResetsEndsAndRemovesInnerPoints) {
    struct Case {
        const char* name;
        int32_t selected;
        std::vector<CurvePoint> expected;
        int32_t expectedSelection;
        int32_t result;
    };
    const std::vector<CurvePoint> start = {{10, 20}, {50, 60}, {100, 90}, {140, 150}, {150, 155}};
    const Case cases[] = {
        {"first point resets to the corner",
         0,
         {{0, 0}, {50, 60}, {100, 90}, {140, 150}, {150, 155}},
         0,
         1},
        {"last point resets to max",
         4,
         {{10, 20}, {50, 60}, {100, 90}, {140, 150}, {159, 159}},
         4,
         1},
        {"second point: selection stays", 1, {{10, 20}, {100, 90}, {140, 150}, {150, 155}}, 1, 1},
        {"third point: selection moves back",
         2,
         {{10, 20}, {50, 60}, {140, 150}, {150, 155}},
         1,
         1},
        {"below the list", -1, start, -1, 0},
        {"beyond the list", 5, start, 5, 0},
    };
    for (const Case& c : cases) {
        StorePoints(1, start);
        int32_t count = 5, selected = c.selected;
        EXPECT_EQ(DeleteCurvePoint(kPoints, 1, &count, &selected, kCurveMax), c.result) << c.name;
        EXPECT_EQ(count, int32_t(c.expected.size())) << c.name;
        EXPECT_EQ(selected, c.expectedSelection) << c.name;
        const std::vector<CurvePoint> got = LoadPoints(1, count);
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].x, c.expected[i].x) << c.name << " point " << i;
            EXPECT_EQ(got[i].y, c.expected[i].y) << c.name << " point " << i;
        }
    }
    // With three points left, deleting the middle one leaves two and keeps the selection.
    StorePoints(1, {{0, 0}, {80, 120}, {159, 159}});
    int32_t count = 3, selected = 1;
    EXPECT_EQ(DeleteCurvePoint(kPoints, 1, &count, &selected, kCurveMax), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(selected, 1);
}

TEST_F(ToneCurveTest, ZeroAmountsKeepTheRowAndIntensityScalesTheDeparture) {
    for (int32_t max : {255, 32768}) {
        std::vector<int32_t> curve(size_t(max) + 1);
        for (int32_t i = 0; i <= max; ++i)
            curve[size_t(i)] = int32_t(std::sqrt(double(i) / max) * max);  // a bright curve
        EXPECT_EQ(Bent(curve, max, 0, 0, 0, 0, 0, 0), curve) << max;
        EXPECT_EQ(Bent(curve, max, 0, 0, 0, 0, 1, 0), curve) << max;
        EXPECT_EQ(Bent(curve, max, -100, 0, 0, 0, 0, 0), IdentityRow(max)) << max;
        const std::vector<int32_t> doubled = Bent(curve, max, 100, 0, 0, 0, 0, 0);
        for (int32_t i = 0; i <= max; i += 97)
            EXPECT_EQ(doubled[size_t(i)], std::clamp(2 * curve[size_t(i)] - i, 0, max)) << i;
        // Linked shadows at 0 leave the highlights slider without effect.
        EXPECT_EQ(Bent(curve, max, 0, 0, 0, 80, 1, 0), curve) << max;
    }
}

TEST_F(ToneCurveTest, SliderBendsMoveTheRightTones) {
    const std::vector<int32_t> id = IdentityRow(255);
    // Exposure 128 maps 0..127 onto 0..255 and everything above to white.
    const std::vector<int32_t> exposed = Bent(id, 255, 0, 0, 0, 0, 0, 128);
    EXPECT_EQ(exposed[0], 0);
    EXPECT_EQ(exposed[64], 64 * 255 / 127);
    EXPECT_EQ(exposed[127], 255);
    EXPECT_EQ(exposed[200], 255);
    const std::vector<int32_t> darkened = Bent(id, 255, 0, 0, 0, 0, 0, -127);
    EXPECT_EQ(darkened[0], 0);
    EXPECT_EQ(darkened[127], 0);
    EXPECT_EQ(darkened[255], 255);

    struct Case {
        const char* name;
        int32_t brightness, shadows, highlights, link;
        int32_t level;  // a level that must move
        int sign;       // +1 brighter, -1 darker
        int32_t keepFrom, keepTo;
    };
    const Case cases[] = {
        {"brightness up", 150, 0, 0, 0, 128, +1, 0, 0},
        {"brightness down", -150, 0, 0, 0, 128, -1, 0, 0},
        {"shadows darken the quarter tone", 0, 80, 0, 0, 64, -1, 128, 255},
        {"highlights lift the three-quarter tone", 0, 0, 80, 0, 192, +1, 0, 127},
        {"linked shadows add contrast", 0, 80, -80, 1, 192, +1, 128, 127},
    };
    for (const Case& c : cases) {
        const std::vector<int32_t> bent =
            Bent(id, 255, 0, c.brightness, c.shadows, c.highlights, c.link, 0);
        EXPECT_EQ(bent[0], 0) << c.name;
        EXPECT_EQ(bent[255], 255) << c.name;
        EXPECT_EQ(bent[size_t(c.level)] > c.level ? 1 : -1, c.sign) << c.name;
        EXPECT_TRUE(std::is_sorted(bent.begin(), bent.end())) << c.name;
        for (int32_t i = c.keepFrom; i <= c.keepTo; ++i) EXPECT_EQ(bent[size_t(i)], i) << c.name;
    }
    EXPECT_LT(Bent(id, 255, 0, 0, 80, -80, 1, 0)[64], 64) << "linked: the quarter tone darkens";
}

TEST_F(ToneCurveTest, BendsWorkOnLookupRowsOfTheImageElementSize) {
    const std::vector<int32_t> reference = Bent(IdentityRow(255), 255, 30, 100, 20, -40, 0, 10);
    ASSERT_TRUE(CreateArray(9, 256, 9, 1, 1));  // a 1-byte table of nine rows
    SetAllArrayElements(9, 0);
    for (int32_t i = 0; i <= 255; ++i) PutArrayElement(9, i, 4, 0, i);
    EXPECT_EQ(CurveToLut(9, 4, kScratchPoints, kScratchLut, 255, 30, 100, 20, -40, 0, 10), 1);
    EXPECT_EQ(ArrayRow(9, 4, 256), reference);
    EXPECT_EQ(ArrayRow(9, 3, 256), std::vector<int32_t>(256, 0)) << "other rows untouched";
    EXPECT_EQ(CurveToLut(42, 0, kScratchPoints, kScratchLut, 255, 0, 10, 0, 0, 0, 0), 0);
}
