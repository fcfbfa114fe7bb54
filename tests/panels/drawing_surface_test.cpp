// The drawing surface in real windows: what each call puts on the screen, the copy between
// DIB and bitmap, the zoomed surface, and that thousands of draws leave no GDI object behind.

#include "dialog/drawing_surface.h"

#include <set>

#include "panel_fixture.h"

namespace {
constexpr int32_t kPanel = 40;

// Every object the surface makes, so that a test can count those still alive.
std::set<HGDIOBJ> gMade;
HDC WINAPI CountDC(HDC dc) {
    HDC made = CreateCompatibleDC(dc);
    gMade.insert(made);
    return made;
}
HBITMAP WINAPI CountDib(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                        DWORD offset) {
    HBITMAP made = CreateDIBSection(dc, info, usage, bits, section, offset);
    gMade.insert(made);
    return made;
}
HBITMAP WINAPI CountBitmap(HDC dc, int width, int height) {
    HBITMAP made = CreateCompatibleBitmap(dc, width, height);
    gMade.insert(made);
    return made;
}
HBRUSH WINAPI CountBrush(COLORREF colour) {
    HBRUSH made = CreateSolidBrush(colour);
    gMade.insert(made);
    return made;
}
HPEN WINAPI CountPen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD count,
                     const DWORD* styles) {
    HPEN made = ExtCreatePen(style, width, brush, count, styles);
    gMade.insert(made);
    return made;
}
HFONT WINAPI CountFont(const LOGFONTA* font) {
    HFONT made = CreateFontIndirectA(font);
    gMade.insert(made);
    return made;
}
HBITMAP WINAPI RefuseDib(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) {
    return nullptr;
}

size_t LiveObjects() {
    size_t live = 0;
    for (HGDIOBJ object : gMade)
        if (GetObjectType(object) != 0) ++live;
    return live;
}

class DrawingSurfaceWindows : public PanelWindows {
  protected:
    void SetUp() override {
        PanelWindows::SetUp();
        panel = AddPanel(kPanel, 10, 10, 200, 120);
    }
    void TearDown() override {
        SurfaceGdiCallsReset();
        ReleaseDrawingSurface();
        PanelWindows::TearDown();
    }
    HWND panel = nullptr;
};

TEST_F(DrawingSurfaceWindows, EachCallShowsOnTheScreenAfterClosing) {
    ASSERT_EQ(BeginControlDrawing(kPanel), 1);
    EXPECT_EQ(gSurface.width, 200);
    EXPECT_EQ(gSurface.height, 120);
    FillSurface(RGB(255, 255, 255));
    FillSurfaceRect(10, 10, 30, 30, RGB(255, 0, 0));
    DrawPixel(50, 50, RGB(0, 0, 255));                 // pixel after GDI
    FrameSurfaceRect(60, 10, 80, 30, RGB(0, 128, 0));  // GDI after a pixel
    DrawPixel(51, 50, RGB(0, 0, 255));
    DrawSurfaceLine(100, 5, 100, 40, RGB(0, 0, 0));
    FillSurfaceEllipse(150, 60, 120, 90, RGB(255, 0, 255));
    ASSERT_EQ(GradientFillRect(0, 100, 200, 120, RGB(0, 0, 0), RGB(255, 255, 255), 1), 1);
    EXPECT_EQ(GetSurfacePixel(50, 50), RGB(0, 0, 255));
    EXPECT_EQ(GetSurfacePixel(-1, 0), 0u);
    ASSERT_EQ(EndControlDrawing(kPanel), 1);
    EXPECT_FALSE(SurfaceIsOpen());

    struct Probe {
        const char* what;
        int x, y;
        COLORREF expected;
    } const probes[] = {
        {"filled rectangle", 20, 20, RGB(255, 0, 0)},
        {"rectangle excludes right edge", 30, 20, RGB(255, 255, 255)},
        {"pixel", 50, 50, RGB(0, 0, 255)},
        {"second pixel", 51, 50, RGB(0, 0, 255)},
        {"frame edge", 60, 20, RGB(0, 128, 0)},
        {"frame inside", 70, 20, RGB(255, 255, 255)},
        {"line", 100, 20, RGB(0, 0, 0)},
        {"line end point not drawn", 100, 40, RGB(255, 255, 255)},
        {"ellipse centre", 135, 75, RGB(255, 0, 255)},
        {"gradient start", 0, 110, RGB(0, 0, 0)},
        {"background", 190, 50, RGB(255, 255, 255)},
    };
    for (const Probe& p : probes) EXPECT_EQ(ScreenPixel(panel, p.x, p.y), p.expected) << p.what;
    const COLORREF middle = ScreenPixel(panel, 100, 110);
    EXPECT_NEAR(GetRValue(middle), 128, 4) << "gradient middle";
    Screenshot("drawing_surface_calls");
    EXPECT_EQ(ScreenPixel(panel, 20, 20), RGB(255, 0, 0)) << "still there after the picture";
}

TEST_F(DrawingSurfaceWindows, ReversedEllipseCornersDrawTheSameEllipse) {
    auto draw = [&](int x1, int y1, int x2, int y2) {
        EXPECT_EQ(BeginControlDrawing(kPanel), 1);
        FillSurface(RGB(255, 255, 255));
        FillSurfaceEllipse(x1, y1, x2, y2, RGB(0, 0, 0));
        std::vector<COLORREF> picture;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) picture.push_back(GetSurfacePixel(x, y));
        ReleaseDrawingSurface();
        return picture;
    };
    const auto forward = draw(10, 12, 60, 50);
    EXPECT_EQ(draw(60, 50, 10, 12), forward);
    EXPECT_EQ(draw(10, 50, 60, 12), forward);
    // Both given corners lie inside.
    const RECT bounds = SurfaceEllipseBounds(60, 50, 10, 12);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, 12);
    EXPECT_EQ(bounds.right, 61);
    EXPECT_EQ(bounds.bottom, 51);
}

TEST_F(DrawingSurfaceWindows, PixelsPastAnEdgeAreIgnored) {
    ASSERT_EQ(BeginControlDrawing(kPanel), 1);
    FillSurface(RGB(255, 255, 255));
    DrawPixel(200, 0, RGB(255, 0, 0));  // one past the right edge of row 0
    DrawPixel(-1, 1, RGB(255, 0, 0));
    DrawPixel(0, 120, RGB(255, 0, 0));
    EXPECT_EQ(GetSurfacePixel(0, 1), RGB(255, 255, 255)) << "no wrap onto the next row";
    EXPECT_EQ(GetSurfacePixel(199, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetSurfacePixel(200, 0), 0u);
    ReleaseDrawingSurface();
}

TEST_F(DrawingSurfaceWindows, ZoomedSurfaceShrinksOntoTheWindow) {
    struct Case {
        int32_t asked, zoom;
    } const cases[] = {{0, 1}, {-3, 1}, {3, 3}, {9, 8}};
    for (const Case& c : cases) {
        ASSERT_EQ(BeginControlDrawingZoomed(kPanel, c.asked), 1);
        EXPECT_EQ(gSurface.zoom, c.zoom);
        EXPECT_EQ(gSurface.width, 200 * c.zoom);
        ReleaseDrawingSurface();
    }
    ASSERT_EQ(BeginControlDrawingZoomed(kPanel, 3), 1);
    FillSurface(RGB(255, 255, 255));
    FillSurfaceRect(0, 0, 100, 120, RGB(0, 0, 0));  // window pixels, multiplied by the zoom
    DrawSurfaceLine(150, 0, 150, 120, RGB(0, 0, 0));
    ASSERT_EQ(EndControlDrawing(kPanel), 1);
    EXPECT_EQ(ScreenPixel(panel, 50, 60), RGB(0, 0, 0));
    EXPECT_EQ(ScreenPixel(panel, 120, 60), RGB(255, 255, 255));
    // A one-pixel line of the large surface survives the shrink (Wine's half-tone keeps it
    // whole where Windows greys it).
    const COLORREF line = ScreenPixel(panel, 150, 60);
    EXPECT_LT(GetRValue(line), 255);
}

TEST_F(DrawingSurfaceWindows, PensAndBrushesAreReusedByColourWidthAndStyle) {
    ASSERT_EQ(BeginControlDrawing(kPanel), 1);
    SelectSurfacePen(RGB(1, 2, 3));
    const HPEN first = gSurface.pen;
    SelectSurfacePen(RGB(1, 2, 3));
    EXPECT_EQ(gSurface.pen, first);
    SetPenStyle(5);
    EXPECT_EQ(gSurface.penStyle, 0) << "an unknown style leaves the style";
    SetPenStyle(2);
    SelectSurfacePen(RGB(1, 2, 3));
    EXPECT_NE(gSurface.pen, nullptr);
    EXPECT_EQ(gSurface.penMadeStyle, 2);
    SelectNullPen();
    EXPECT_EQ(gSurface.penState, SURFACE_PEN_NULL);
    SelectSurfacePen(RGB(1, 2, 3));
    EXPECT_EQ(gSurface.penState, SURFACE_PEN_COLOURED) << "a visible pen again after the null pen";
    SetPenWidth(0);
    EXPECT_EQ(gSurface.penWidth, 1);
    SelectSurfaceBrush(RGB(9, 9, 9));
    const HBRUSH brush = gSurface.brush;
    SelectSurfaceBrush(RGB(9, 9, 9));
    EXPECT_EQ(gSurface.brush, brush);
    ReleaseDrawingSurface();
}

TEST_F(DrawingSurfaceWindows, TenThousandDrawsLeaveNoGdiObjectBehind) {
    gMade.clear();
    gSurfaceGdi = {CountDC, CountDib, CountBitmap, CountBrush, CountPen, CountFont};
    for (int round = 0; round < 100; ++round) {
        ASSERT_EQ(BeginControlDrawingZoomed(kPanel, 1 + round % 3), 1);
        if (round % 10 == 0) BeginControlDrawing(kPanel);  // opened over an open surface
        SetSurfaceFont(12 + round % 5, round * 10, round % 2, 0, "Arial");
        for (int i = 0; i < 100; ++i) {
            const COLORREF colour = RGB(i, round, 255 - i);
            switch (i % 5) {
                case 0:
                    FillSurfaceRect(i, i, i + 5, i + 5, colour);
                    break;
                case 1:
                    DrawSurfaceLine(0, i, 100, i, colour);
                    break;
                case 2:
                    FillSurfaceEllipse(i, 10, i + 20, 40, colour);
                    break;
                case 3:
                    DrawPixel(i, i, colour);
                    break;
                default:
                    DrawSurfaceText(50, 50, colour, 0, "ab\r\ncd");
                    SetPenWidth(1 + i % 3);
                    SetPenStyle(i % 5);
                    break;
            }
        }
        EndControlDrawing(kPanel);
    }
    EXPECT_GT(gMade.size(), 1000u) << "the counters saw the objects being made";
    EXPECT_EQ(LiveObjects(), 0u);
    // Direct drawing into a caller's DC leaves the DC alone and frees what it made.
    HDC dc = GetDC(panel);
    BeginDcDrawing(dc);
    for (int i = 0; i < 100; ++i) {
        SelectSurfacePen(RGB(i, 0, 0));
        DrawSurfaceLine(0, i, 50, i, RGB(i, 0, 0));
    }
    EndDcDrawing(dc);
    EXPECT_NE(GetObjectType(dc), 0u);
    ReleaseDC(panel, dc);
    EXPECT_EQ(LiveObjects(), 0u);
}

TEST_F(DrawingSurfaceWindows, RefusedDibLeavesTheSurfaceClosed) {
    gMade.clear();
    gSurfaceGdi = {CountDC, RefuseDib, CountBitmap, CountBrush, CountPen, CountFont};
    EXPECT_EQ(BeginControlDrawing(kPanel), 0);
    EXPECT_FALSE(SurfaceIsOpen());
    EXPECT_EQ(FillSurface(RGB(0, 0, 0)), 0);
    EXPECT_EQ(DrawPixel(1, 1, 0), 0);
    EXPECT_EQ(EndControlDrawing(kPanel), 0);
    EXPECT_EQ(LiveObjects(), 0u);
    EXPECT_EQ(BeginControlDrawing(77), 0) << "a control not in use has no window";
}

TEST_F(DrawingSurfaceWindows, AngledAndMultiLineTextIsDrawn) {
    ASSERT_EQ(BeginControlDrawing(kPanel), 1);
    FillSurface(RGB(255, 255, 255));
    SetSurfaceFont(16, 0, 1, 0, "Arial");
    DrawSurfaceText(50, 0, RGB(0, 0, 0), -1, "one\r\ntwo\rthree");
    SetSurfaceFont(16, 900, 0, 0, "Arial");
    DrawTextFormat(150, 110, RGB(200, 0, 0), 0, "%d%%", 42);
    int dark = 0, red = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x) {
            const COLORREF c = GetSurfacePixel(x, y);
            if (x < 100 && GetRValue(c) < 128) ++dark;
            if (x >= 120 && GetRValue(c) > 128 && GetGValue(c) < 100) ++red;
        }
    EXPECT_GT(dark, 30);
    EXPECT_GT(red, 10);
    EndControlDrawing(kPanel);
    Screenshot("drawing_surface_text");
}
}  // namespace
