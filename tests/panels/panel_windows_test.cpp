// The curve widget, the histogram panel and the brush cursor in real windows: what they put
// on the screen, checked at known pixels, and pictures of each for review.

#include <algorithm>
#include <iterator>

#include "dialog/brush_tools.h"
#include "dialog/curve_widget.h"
#include "dialog/drawing_surface.h"
#include "dialog/histogram_panel.h"
#include "builtins/image_fixture.h"
#include "panel_fixture.h"
#include "effect/curve_widget_services.h"

namespace {
constexpr int32_t kCurvePanel = 41;
constexpr int32_t kHistogramPanel = 42;
constexpr int32_t kCurveSize = 159;
constexpr int32_t kCurves = 70, kLut = 73, kOverlayLut = 72, kWork = 76;

class PanelDrawing : public PanelWindows {
  protected:
    void SetUp() override {
        PanelWindows::SetUp();
        InstallCurveWidgetServices();
        curve = AddPanel(kCurvePanel, 10, 10, kCurveSize + 10, kCurveSize + 10);
        histogram = AddPanel(kHistogramPanel, 200, 10, 256, 120);
        ControlRecordAt(kCurvePanel)->backgroundColor = RGB(255, 255, 255);
        ControlRecordAt(kHistogramPanel)->backgroundColor = RGB(255, 255, 255);
        ASSERT_TRUE(CreateArray(kCurves, 16, 2, 7, 4));
    }
    void TearDown() override {
        gCurveWidgetServices = {};
        PanelWindows::TearDown();
    }
    void SetCurve(std::initializer_list<CurveWidgetPoint> points) {
        counts[0] = 0;
        for (const CurveWidgetPoint& p : points) {
            PutArrayElement(kCurves, counts[0], 0, 0, p.x);
            PutArrayElement(kCurves, counts[0], 1, 0, p.y);
            ++counts[0];
        }
    }
    void Draw(int32_t selected, int32_t antiAlias, int32_t labelled, const int32_t* overlay) {
        ASSERT_EQ(DrawCurveWidget(kCurvePanel, kCurves, 0, counts, selected, kCurveSize, kLut,
                                  kOverlayLut, kWork, overlay, antiAlias, labelled),
                  1);
    }
    HWND curve = nullptr, histogram = nullptr;
    int32_t counts[7] = {};
};

TEST_F(PanelDrawing, IdentityCurveIsDrawnAsTheExactDiagonal) {
    SetCurve({{0, 0}, {kCurveSize, kCurveSize}});
    const int32_t none[6] = {};
    Draw(-1, 0, 0, none);
    // Lookup entry x is drawn at (x + 4, size + 4 - x): every one on the diagonal.
    for (int32_t x = 1; x < kCurveSize; x += 7)
        EXPECT_EQ(ScreenPixel(curve, x + 4, kCurveSize + 4 - x), RGB(0, 0, 0)) << x;
    EXPECT_EQ(GetArrayElement(kLut, 80, 0, 0), 80);
    Screenshot("curve_widget_identity");
}

TEST_F(PanelDrawing, BentCurveWithSelectedPointGridAndOverlay) {
    SetCurve({{0, 0}, {50, 90}, {110, 120}, {kCurveSize, kCurveSize}});
    const int32_t overlay[6] = {0, 40, 0, 0, 0, 0};
    Draw(1, 1, 1, overlay);
    EXPECT_EQ(GetArrayElement(kLut, 50, 0, 0), 90) << "the spline passes its points";
    // The selected point is a red square at (in + 2 .. in + 7, size + 9 - out - 7 ..).
    EXPECT_EQ(ScreenPixel(curve, 50 + 4, kCurveSize + 9 - 90 - 4), RGB(255, 0, 0));
    Screenshot("curve_widget_bent");
}

// The effect hands the panel the keyboard's Delete as a mouse move: the key's state, not the
// event, removes the selected point; end points and no selection keep every point, and a move
// with the button up adds none.
TEST_F(PanelDrawing, DeleteKeyRemovesTheSelectedInnerPointAndAMoveAddsNone) {
    struct Case {
        const char* name;
        bool deleteHeld;
        int32_t selected;
        int32_t countAfter;
    };
    const Case cases[] = {
        {"Delete on the inner point", true, 1, 2},  {"Delete on the first point", true, 0, 3},
        {"Delete on the last point", true, 2, 3},   {"Delete with no point selected", true, -1, 3},
        {"a move with the button up", false, 1, 3},
    };
    ASSERT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0) << "the left button is up";
    BYTE keys[256] = {};
    ASSERT_TRUE(GetKeyboardState(keys));
    for (const Case& c : cases) {
        SetCurve({{0, 0}, {80, 120}, {kCurveSize, kCurveSize}});
        int32_t selected = c.selected;
        BYTE held[256];
        std::copy(std::begin(keys), std::end(keys), std::begin(held));
        held[VK_DELETE] = c.deleteHeld ? 0x80 : 0;
        ASSERT_TRUE(SetKeyboardState(held));
        EditCurveWithMouse(kCurvePanel, EVENT_MOUSE_MOVE, kCurves, 0, counts, &selected, kCurveSize,
                           0, -1);
        ASSERT_TRUE(SetKeyboardState(keys));
        EXPECT_EQ(counts[0], c.countAfter) << c.name;
    }
}

TEST_F(PanelDrawing, HistogramColumnsStandInProportionToTheCounts) {
    TestImage image{16, 16, 3, false, {}, {}, {}};
    AttachTestImage(image);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const int32_t level = y < 8 ? 40 : (x < 8 ? 128 : 250);  // 128, 64, 64 pixels
            image.SetOut(x, y, 0, level);
            image.SetOut(x, y, 1, level / 2);
            image.SetOut(x, y, 2, 255 - level);
        }
    ASSERT_EQ(UpdateHistogram(ARRAY_HISTOGRAM, 0, 0), 1);
    ASSERT_EQ(DrawHistogram(ARRAY_HISTOGRAM, kHistogramPanel, 3, 0, -1, -1, 0, -1, 0, 0), 1);
    const int32_t base = 120 - 3;
    EXPECT_EQ(ScreenPixel(histogram, 40, base - 2), RGB(255, 0, 0)) << "red column of the peak";
    EXPECT_EQ(ScreenPixel(histogram, 40, 1), RGB(255, 0, 0)) << "the peak is full height";
    EXPECT_EQ(ScreenPixel(histogram, 128, base - base / 2 + 3), RGB(255, 0, 0)) << "half height";
    EXPECT_EQ(ScreenPixel(histogram, 128, base - base / 2 - 3), RGB(255, 255, 255));
    EXPECT_EQ(ScreenPixel(histogram, 60, base - 2), RGB(255, 255, 255)) << "empty bin";
    EXPECT_EQ(ScreenPixel(histogram, 60, base), RGB(0x88, 0x88, 0x88)) << "base line";
    Screenshot("histogram_panel_red");
    EXPECT_EQ(DrawHistogram(ARRAY_HISTOGRAM, kHistogramPanel, 16, 0, -1, -1, 0, -1, 0, 0), 0)
        << "a mode without a counted row draws nothing";
    ASSERT_EQ(DrawHistogram(ARRAY_HISTOGRAM, kHistogramPanel, 9, 0, -1, -1, 0, -1, 0, 0), 1);
    Screenshot("histogram_panel_rgb");
    ReleaseArray(ARRAY_HISTOGRAM);
    EXPECT_EQ(DrawHistogram(ARRAY_HISTOGRAM, kHistogramPanel, 0, 0, -1, -1, 0, -1, 0, 0), 0);
}

TEST_F(PanelDrawing, BrushCursorHasItsSizeHotSpotAndCircles) {
    struct Case {
        int32_t radius, side;
        bool inner;
    } const cases[] = {{10, 32, true}, {3, 16, false}};
    for (const Case& c : cases) {
        HCURSOR cursor = MakeBrushCursor(c.radius);
        ASSERT_NE(cursor, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_EQ(info.xHotspot, DWORD(c.radius));
        EXPECT_EQ(info.yHotspot, DWORD(c.radius));
        BITMAP mask = {};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, c.side);
        EXPECT_EQ(mask.bmHeight, 2 * c.side) << "AND and XOR masks of a monochrome cursor";
        std::vector<uint8_t> bits(size_t(mask.bmWidthBytes) * mask.bmHeight);
        GetBitmapBits(info.hbmMask, LONG(bits.size()), bits.data());
        auto xorBit = [&](int32_t x, int32_t y) {
            return (bits[size_t((c.side + y) * mask.bmWidthBytes + x / 8)] >> (7 - x % 8)) & 1;
        };
        EXPECT_EQ(xorBit(c.radius, 0), 1) << "outline straight above the hot spot";
        EXPECT_EQ(xorBit(c.radius + 4, c.radius), c.inner ? 1 : 0) << "inner circle";
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DestroyCursor(cursor);
    }
}

TEST_F(PanelDrawing, PenPropertyIsSetOnTheControlsWindow) {
    EXPECT_EQ(SetTabletPenProperty(kCurvePanel), 1);
    EXPECT_EQ(GetPropA(curve, "MicrosoftTabletPenServiceProperty"), HANDLE(intptr_t(17)));
    EXPECT_EQ(SetTabletPenProperty(99), 0) << "no window";
}
}  // namespace
