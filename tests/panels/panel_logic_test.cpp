// The panels' arithmetic without windows: text lines, gradient vertices, histogram counts and
// statistics, curve lookup, hit test and limits, array lines, brush tip, cursor mask and
// colour sampling.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "builtins/image_fixture.h"
#include "dialog/brush_tools.h"
#include "dialog/curve_widget.h"
#include "dialog/drawing_surface.h"
#include "dialog/histogram_panel.h"
#include "host/numbered_arrays.h"
#include "render/brush_tip.h"
#include "effect/curve_widget_services.h"

namespace {
class PanelLogic : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetArrayTables();
        HistogramCacheReset();
    }
    void TearDown() override { ReleaseAllArrays(); }
};

// --- Drawing surface ---------------------------------------------------------------------

TEST_F(PanelLogic, TextSplitsIntoLinesAtEitherBreak) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } const cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\n", {"a"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SurfaceTextLines(c.text), c.lines) << c.text;
}

TEST_F(PanelLogic, TextLinesStepAlongTheFontsDownDirection) {
    struct Case {
        int32_t angle, line;
        LONG x, y;
    } const cases[] = {
        {0, 1, 10, 32},                       // even the first line sits one height below
        {0, 3, 10, 56},    {900, 1, 22, 20},  // turned a quarter: lines step along x
        {1800, 2, 10, -4}, {450, 1, 22, 32},
    };
    for (const Case& c : cases) {
        const POINT p = SurfaceTextLineOrigin(10, 20, c.angle, 12, c.line);
        const double a = c.angle * 3.14159265358979323846 / 1800.0;
        EXPECT_EQ(p.x, 10 + LONG(std::trunc(std::sin(a) * 12 * c.line))) << c.angle;
        EXPECT_EQ(p.y, 20 + LONG(std::trunc(std::cos(a) * 12 * c.line))) << c.angle;
        if (c.angle % 900 == 0) {
            EXPECT_EQ(p.x, c.x);
            EXPECT_EQ(p.y, c.y);
        }
    }
}

TEST_F(PanelLogic, GradientVerticesCarryEachChannelInTheHighByte) {
    TRIVERTEX v[2];
    SurfaceGradientVertices(1, 2, 30, 40, RGB(0x12, 0x34, 0x56), RGB(255, 0, 1), v);
    EXPECT_EQ(v[0].x, 1);
    EXPECT_EQ(v[1].y, 40);
    EXPECT_EQ(v[0].Red, 0x1200);
    EXPECT_EQ(v[0].Green, 0x3400);
    EXPECT_EQ(v[0].Blue, 0x5600);
    EXPECT_EQ(v[1].Red, 0xFF00);
    EXPECT_EQ(v[1].Blue, 0x0100);
    EXPECT_EQ(v[1].Alpha, 0);
}

TEST_F(PanelLogic, PixelIndexStaysInsideItsRow) {
    EXPECT_EQ(SurfacePixelIndex(0, 0, 10, 5), 0);
    EXPECT_EQ(SurfacePixelIndex(9, 4, 10, 5), 49);
    EXPECT_EQ(SurfacePixelIndex(10, 0, 10, 5), -1);
    EXPECT_EQ(SurfacePixelIndex(-1, 1, 10, 5), -1);
    EXPECT_EQ(SurfacePixelIndex(0, 5, 10, 5), -1);
}

// --- Histogram ---------------------------------------------------------------------------

TEST_F(PanelLogic, PixelBinsFollowEachChannelsFormula) {
    int32_t bins[kHistogramCountedRows];
    HistogramPixelBins(200, 100, 50, bins);
    const int32_t expected[] = {116, (213 * 200 + 715 * 100 + 72 * 50) / 1000, 200, 100, 50};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(bins[i], expected[i]) << i;
    EXPECT_EQ(bins[7], 125) << "lightness = (max + min) / 2";
    EXPECT_EQ(bins[8], 75);
    EXPECT_EQ(bins[9], 125);
    EXPECT_EQ(bins[10], 150);
    EXPECT_EQ(bins[11], 50);
    EXPECT_EQ(bins[12], 200);
    EXPECT_EQ(HistogramLevel8(32768, true), 255) << "16-bit white reads as 255";
    EXPECT_EQ(HistogramLevel8(32767, true), 255);
    EXPECT_EQ(HistogramLevel8(128, true), 1);
    EXPECT_EQ(HistogramLevel8(300, false), 255);
}

TEST_F(PanelLogic, RoundTripStaysInsideTheLevels) {
    for (int32_t r : {0, 255})
        for (int32_t g : {0, 255})
            for (int32_t b : {0, 255}) {
                int32_t rr = r, gg = g, bb = b;
                HistogramRoundTrip(rr, gg, bb);
                for (int32_t v : {rr, gg, bb}) {
                    EXPECT_GE(v, 0);
                    EXPECT_LE(v, 255);
                }
                EXPECT_NEAR(rr, r, 3);
                EXPECT_NEAR(gg, g, 3);
                EXPECT_NEAR(bb, b, 3);
            }
}

TEST_F(PanelLogic, UpdateHistogramCountsASyntheticOutput) {
    // 10 x 10: 30 pixels at 40 (shadows), 50 at 128 (midtones), 20 at 250 (highlights).
    TestImage image{10, 10, 3, false, {}, {}, {}};
    AttachTestImage(image);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) {
            const int32_t index = y * 10 + x;
            const int32_t level = index < 30 ? 40 : index < 80 ? 128 : 250;
            for (int32_t c = 0; c < 3; ++c) image.SetOut(x, y, c, level);
        }
    ASSERT_EQ(UpdateHistogram(ARRAY_HISTOGRAM, 0, 0), 1);
    for (int32_t row : {0, 1, 2, 3, 4, 7, 11, 12}) {
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 40, row, 0), 30) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 128, row, 0), 50) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, HISTO_COLUMN_PEAK, row, 0), 50) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, HISTO_COLUMN_PEAK_BIN, row, 0), 128) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, HISTO_COLUMN_MEAN, row, 0),
                  (30 * 40 + 50 * 128 + 20 * 250) / 100)
            << row;
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, HISTO_COLUMN_SHADOWS, row, 0), 30) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, HISTO_COLUMN_MIDTONES, row, 0), 50) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, HISTO_COLUMN_HIGHLIGHTS, row, 0), 20) << row;
    }
    EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 0, 6, 0), 100) << "greys have no saturation";
    for (int32_t row : {13, 14})
        EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, HISTO_COLUMN_PEAK, row, 0), 0);
}

TEST_F(PanelLogic, RefreshCountsTheMovedViewWithTheLastCountsOptions) {
    // A view moved without the histogram shown (the navigator's drag) is counted again: first
    // all black, then the view shows white, and the round trip of the last count still applies.
    TestImage image{6, 4, 3, false, {}, {}, {}};
    AttachTestImage(image);
    EXPECT_EQ(RefreshHistogram(ARRAY_HISTOGRAM), 0) << "no count to refresh";
    ASSERT_EQ(UpdateHistogram(ARRAY_HISTOGRAM, 0, 1), 1);
    EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 0, 0, 0), 24);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            for (int32_t c = 0; c < 3; ++c) image.SetOut(x, y, c, 255);
    ASSERT_EQ(RefreshHistogram(ARRAY_HISTOGRAM), 1);
    EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 0, 0, 0), 0);
    EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 255, 0, 0), 24);
    EXPECT_EQ(gHistogramCache.lastRoundTrip, 1);
    // The tonal look's whole-image counts (one row of bins) are no panel count: left alone.
    ASSERT_TRUE(CreateArray(ARRAY_HISTOGRAM, 256, 1, 1, 4));
    EXPECT_EQ(RefreshHistogram(ARRAY_HISTOGRAM), 0);
    EXPECT_EQ(GetArrayDimension(ARRAY_HISTOGRAM, 1), 1);
}

TEST_F(PanelLogic, SixteenBitWhiteFallsIntoTheLastBin) {
    TestImage image{4, 2, 3, true, {}, {}, {}};
    AttachTestImage(image);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x)
            for (int32_t c = 0; c < 3; ++c) image.SetOut(x, y, c, 32768);
    ASSERT_EQ(UpdateHistogram(ARRAY_HISTOGRAM, 0, 1), 1);
    EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 255, 0, 0), 8);
    EXPECT_EQ(GetArrayElement(ARRAY_HISTOGRAM, 255, 2, 0), 8);
}

TEST_F(PanelLogic, SourceMaximaAreCountedOnlyWhenTheRectangleChanged) {
    TestImage image{8, 8, 3, false, {}, {}, {}};
    AttachTestImage(image);
    gContext.zoomReduction = 2;
    EXPECT_EQ(ComputeHistogram(ARRAY_HISTOGRAM), 1);
    EXPECT_EQ(gHistogramCache.sourceMaxima[0], 64);
    EXPECT_EQ(ComputeHistogram(ARRAY_HISTOGRAM), 0) << "nothing changed";
    EXPECT_EQ(gHistogramCache.computeCount, 1);
    gContext.zoomReduction = 3;
    EXPECT_EQ(ComputeHistogram(ARRAY_HISTOGRAM), 1);
    gContext.currentRight = 4;
    EXPECT_EQ(ComputeHistogram(ARRAY_HISTOGRAM), 1);
    EXPECT_EQ(gHistogramCache.sourceMaxima[0], 32);
    EXPECT_EQ(gHistogramCache.sourceMaxima[13], 1) << "at least 1";
    EXPECT_EQ(gHistogramCache.computeCount, 3);
}

TEST_F(PanelLogic, StatisticsOfAnEmptyRowHaveNoMean) {
    const std::vector<int32_t> bins(256, 0);
    const HistogramStats s = HistogramRowStats(bins.data(), 0);
    EXPECT_EQ(s.mean, 0);
    EXPECT_EQ(s.peak, 0);
}

TEST_F(PanelLogic, LanguageFormatsAreCheckedBeforeUse) {
    struct Case {
        const char* format;
        int32_t count;
        bool safe;
    } const cases[] = {
        {"%d%% %d%% %d%%", 3, true},
        {"Peak %d, mean %d", 2, true},
        {"%s", 3, false},
        {"%d %d %d %d", 3, false},
        {"%n", 3, false},
        {"%x", 3, false},
        {"plain", 3, true},
        {"%5d", 3, false},
        {nullptr, 3, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HistogramFormatSafe(c.format, c.count), c.safe) << (c.format ? c.format : "null");
}

TEST_F(PanelLogic, DisplayModesReadOnlyCountedRows) {
    struct Case {
        int32_t mode, row;
    } const cases[] = {{0, -1},  {1, 0},   {8, 7},   {9, -1},  {10, 8},
                       {14, 12}, {15, -1}, {16, -1}, {17, -1}, {-1, -1}};
    for (const Case& c : cases) EXPECT_EQ(HistogramRowForMode(c.mode), c.row) << c.mode;
}

// --- Curve widget ------------------------------------------------------------------------

TEST_F(PanelLogic, IdentityCurveIsTheExactDiagonal) {
    for (bool services : {false, true}) {
        gCurveWidgetServices = {};
        if (services) InstallCurveWidgetServices();
        const CurveWidgetPoint identity[] = {{0, 0}, {159, 159}};
        std::vector<int32_t> row(160, -1);
        CurveWidgetLookup(identity, 2, 159, row.data());
        for (int32_t x = 0; x <= 159; ++x) ASSERT_EQ(row[size_t(x)], x) << x;
    }
    // Through three points the spline passes the middle one.
    const CurveWidgetPoint bent[] = {{0, 0}, {80, 120}, {159, 159}};
    std::vector<int32_t> row(160);
    CurveWidgetLookup(bent, 3, 159, row.data());
    EXPECT_EQ(row[80], 120);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[159], 159);
    gCurveWidgetServices = {};
}

TEST_F(PanelLogic, ClickPicksAPointWithinTwelvePixels) {
    const CurveWidgetPoint points[] = {{0, 0}, {60, 80}, {70, 90}, {159, 159}};
    struct Case {
        int32_t x, y, hit;
    } const cases[] = {
        {0, 0, 0},   {12, 12, 0},  {13, 0, -1},   {55, 80, 1},   {66, 90, 2},
        {64, 85, 1}, {60, 93, -1}, {60, 100, -1}, {150, 150, 3}, {100, 100, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CurveHitTest(points, 4, c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST_F(PanelLogic, DragLimitsKeepTwoPixelsFromTheNeighbours) {
    const CurveWidgetPoint points[] = {{0, 0}, {60, 80}, {100, 90}, {159, 159}};
    struct Case {
        int32_t selected, low, high;
    } const cases[] = {{0, 0, 58}, {1, 2, 98}, {2, 62, 157}, {3, 102, 159}};
    for (const Case& c : cases) {
        const CurveDragState limits = CurveDragLimits(points, 4, c.selected, 159);
        EXPECT_EQ(limits.low, c.low) << c.selected;
        EXPECT_EQ(limits.high, c.high) << c.selected;
    }
}

TEST_F(PanelLogic, NewPointsKeepDistinctInputsAndAtMostSixteen) {
    std::vector<CurveWidgetPoint> points = {{0, 0}, {60, 80}, {159, 159}};
    EXPECT_TRUE(CurveCanAddPoint(points.data(), 3, 30));
    EXPECT_FALSE(CurveCanAddPoint(points.data(), 3, 60)) << "same input far away in y";
    EXPECT_FALSE(CurveCanAddPoint(points.data(), 3, 62));
    EXPECT_TRUE(CurveCanAddPoint(points.data(), 3, 63));
    points.clear();
    for (int32_t i = 0; i < 16; ++i) points.push_back({i * 10, i * 10});
    EXPECT_FALSE(CurveCanAddPoint(points.data(), 16, 155));
}

TEST_F(PanelLogic, MousePositionsMapIntoTheCurveSquare) {
    struct Case {
        int32_t mx, my, x, y;
    } const cases[] = {{5, 163, 0, 0}, {6, 162, 1, 1},       {164, 4, 159, 159},
                       {0, 200, 0, 0}, {300, -50, 159, 159}, {85, 83, 80, 80}};
    for (const Case& c : cases) {
        const CurveWidgetPoint p = CurveFromMouse(c.mx, c.my, 159);
        EXPECT_EQ(p.x, c.x) << c.mx;
        EXPECT_EQ(p.y, c.y) << c.my;
    }
}

TEST_F(PanelLogic, ArrayLineMatchesAPlainRasterAndClips) {
    // Independent reference: the points nearest to the exact line, one per step along the
    // longer axis.
    struct Case {
        int32_t x1, y1, x2, y2;
    } const cases[] = {{0, 0, 9, 3}, {9, 3, 0, 0}, {2, 9, 4, 0}, {5, 5, 5, 5}, {0, 7, 9, 7}};
    for (const Case& c : cases) {
        ASSERT_TRUE(CreateArray(11, 10, 10, 1, 1));
        SetAllArrayElements(11, 0);
        ASSERT_EQ(DrawArrayLine(11, c.x1, c.y1, c.x2, c.y2, 200), 1);
        const int32_t dx = c.x2 - c.x1, dy = c.y2 - c.y1;
        const int32_t steps = std::max(std::abs(dx), std::abs(dy));
        int32_t lit = 0;
        for (int32_t y = 0; y < 10; ++y)
            for (int32_t x = 0; x < 10; ++x) lit += GetArrayElement(11, x, y, 0) == 200;
        EXPECT_EQ(lit, steps + 1) << "both ends included";
        for (int32_t s = 0; s <= steps; ++s) {
            const double t = steps ? double(s) / steps : 0.0;
            const double ex = c.x1 + t * dx, ey = c.y1 + t * dy;
            bool close = false;
            for (int32_t y = 0; y < 10; ++y)
                for (int32_t x = 0; x < 10; ++x)
                    if (GetArrayElement(11, x, y, 0) == 200 && std::abs(x - ex) <= 0.5 + 1e-9 &&
                        std::abs(y - ey) <= 0.5 + 1e-9)
                        close = true;
            EXPECT_TRUE(close) << c.x1 << "," << c.y1 << " step " << s;
        }
    }
    // Outside the array nothing is written and no row wraps.
    SetAllArrayElements(11, 0);
    DrawArrayLine(11, -5, 0, 14, 0, 100);
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(GetArrayElement(11, x, 0, 0), 100);
    EXPECT_EQ(GetArrayElement(11, 0, 1, 0), 0);
    EXPECT_EQ(DrawArrayLine(12, 0, 0, 1, 1, 1), 0) << "no array";
}

// --- Brush tools -------------------------------------------------------------------------

int64_t Sq(int64_t v) {
    return v * v;
}

TEST_F(PanelLogic, HardBrushTipIsADiscOfItsRadius) {
    for (int32_t r : {1, 5, 12}) {
        ASSERT_EQ(MakeBrushTip(ARRAY_BRUSH_TIP, r, 100), 1);
        ASSERT_EQ(GetArrayDimension(ARRAY_BRUSH_TIP, 0), 2 * r + 1);
        ASSERT_EQ(GetArrayDimension(ARRAY_BRUSH_TIP, 1), 2 * r + 1);
        for (int32_t y = 0; y <= 2 * r; ++y)
            for (int32_t x = 0; x <= 2 * r; ++x) {
                const bool inside = Sq(x - r) + Sq(y - r) < Sq(r);
                EXPECT_EQ(GetArrayElement(ARRAY_BRUSH_TIP, x, y, 0), inside ? 0 : 255)
                    << r << ": " << x << "," << y;
            }
    }
}

TEST_F(PanelLogic, SoftBrushTipSpreadsOverTwiceTheRadius) {
    const int32_t r = 20;
    const BrushTipShape shape = BrushTipShapeFor(r, 0);
    EXPECT_EQ(shape.side, 4 * r + 1);
    EXPECT_EQ(shape.feather, r / 4);
    EXPECT_EQ(shape.innerRadius, r - r / 2);
    ASSERT_EQ(MakeBrushTip(ARRAY_BRUSH_TIP, r, 0), 1);
    EXPECT_EQ(GetArrayDimension(ARRAY_BRUSH_TIP, 0), 4 * r + 1);
    const int32_t c = shape.centre;
    EXPECT_LE(GetArrayElement(ARRAY_BRUSH_TIP, c, c, 0), 8) << "near full effect at the centre";
    // Falls off with the distance, then nothing beyond r + feather.
    int32_t last = 0;
    for (int32_t d = 0; d < r + shape.feather; ++d) {
        const int32_t v = GetArrayElement(ARRAY_BRUSH_TIP, c + d, c, 0);
        EXPECT_GE(v, last) << d;
        last = v;
    }
    EXPECT_GT(GetArrayElement(ARRAY_BRUSH_TIP, c + shape.innerRadius + 1, c, 0), 0);
    EXPECT_EQ(GetArrayElement(ARRAY_BRUSH_TIP, c + r + shape.feather, c, 0), 255);
    EXPECT_EQ(GetArrayElement(ARRAY_BRUSH_TIP, 0, 0, 0), 255);
}

TEST_F(PanelLogic, HardnessOutsideItsRangeIsHeld) {
    ASSERT_EQ(MakeBrushTip(ARRAY_BRUSH_TIP, 8, 150), 1);
    EXPECT_EQ(GetArrayDimension(ARRAY_BRUSH_TIP, 0), 17) << "as hardness 100";
    ASSERT_EQ(MakeBrushTip(ARRAY_BRUSH_TIP, 8, -40), 1);
    EXPECT_EQ(GetArrayDimension(ARRAY_BRUSH_TIP, 0), 33) << "as hardness 0";
}

TEST_F(PanelLogic, CursorSideHoldsTheCircleInWholeWords) {
    struct Case {
        int32_t radius, side;
    } const cases[] = {{0, 16}, {3, 16}, {7, 16}, {8, 32}, {10, 32}, {15, 32}, {16, 48}};
    for (const Case& c : cases) {
        EXPECT_EQ(BrushCursorSide(c.radius), c.side) << c.radius;
        EXPECT_EQ(BrushCursorSide(c.radius) % 16, 0);
        EXPECT_GE(BrushCursorSide(c.radius), 2 * c.radius + 1);
    }
}

TEST_F(PanelLogic, CircleOutlineLiesOnTheRadius) {
    const int32_t side = 32, rowBytes = 4, r = 10;
    std::vector<uint8_t> mask(size_t(rowBytes) * side, 0);
    DrawCircleOutline(mask.data(), r, rowBytes, r, r);
    auto bit = [&](int32_t x, int32_t y) {
        return (mask[size_t(y * rowBytes + x / 8)] >> (7 - x % 8)) & 1;
    };
    EXPECT_EQ(bit(r, 0), 1) << "straight above the centre";
    EXPECT_EQ(bit(0, r), 1);
    EXPECT_EQ(bit(2 * r, r), 1);
    EXPECT_EQ(bit(r, 2 * r), 1);
    EXPECT_EQ(bit(r, r), 0);
    int32_t set = 0;
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x)
            if (bit(x, y)) {
                ++set;
                EXPECT_NEAR(std::sqrt(double(Sq(x - r) + Sq(y - r))), r, 0.75) << x << "," << y;
            }
    EXPECT_GT(set, 40);
    // A circle reaching past the mask is clipped, not written outside it.
    std::vector<uint8_t> small(size_t(2) * 16 + 1, 0);
    DrawCircleOutline(small.data(), 12, 2, 0, 0);
    EXPECT_EQ(small.back(), 0);
}

TEST_F(PanelLogic, SamplingAveragesAndRepeatsTheBorder) {
    TestImage image{5, 4, 3, false, {}, {}, {}};
    AttachTestImage(image);
    gContext.accessors = AccessorTableForMode(gContext.imageMode);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            image.SetIn(x, y, 0, x * 10);
            image.SetIn(x, y, 1, y * 20);
            image.SetIn(x, y, 2, 7);
        }
    EXPECT_EQ(SampleColorArea(2, 1, 0), RGB(20, 20, 7)) << "radius 0: the pixel itself";
    EXPECT_EQ(SampleColorArea(2, 1, 1), RGB(20, 20, 7)) << "a linear ramp averages to its centre";
    // At the corner the border pixels repeat: x -1,0,1 -> 0,0,10; y likewise -> 0,0,20.
    EXPECT_EQ(SampleColorArea(0, 0, 1), RGB(10 / 3, 20 / 3, 7));
}

TEST_F(PanelLogic, SixteenBitWhiteSamplesAsWhite) {
    TestImage image{3, 3, 3, true, {}, {}, {}};
    AttachTestImage(image);
    gContext.accessors = AccessorTableForMode(gContext.imageMode);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            for (int32_t c = 0; c < 3; ++c) image.SetIn(x, y, c, 32768);
    EXPECT_EQ(SampleColorArea(1, 1, 1), RGB(255, 255, 255));
}
}  // namespace
