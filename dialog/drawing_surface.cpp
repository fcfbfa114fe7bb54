// The drawing surface of custom-painted panels: opening it on a control, the cached pens,
// brushes and font, the drawing calls, and the copy back to the window.

#include "dialog/drawing_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "dialog/bitmap_info.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_window.h"
#include "dialog/text_expansion.h"

DrawingSurface gSurface;
SurfaceGdiCalls gSurfaceGdi = {CreateCompatibleDC, CreateDIBSection, CreateCompatibleBitmap,
                               CreateSolidBrush,   ExtCreatePen,     CreateFontIndirectA};

namespace {
constexpr int32_t kMaxZoom = 8;
constexpr double kPi = 3.14159265358979323846;

using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Bound once on first use; the library stays loaded for the life of the module.
GradientFillProc GradientService() {
    static bool bound = false;
    static GradientFillProc proc = nullptr;
    if (!bound) {
        bound = true;
        if (HMODULE library = LoadLibraryA("msimg32.dll"))
            proc = reinterpret_cast<GradientFillProc>(
                reinterpret_cast<void*>(GetProcAddress(library, "GradientFill")));
    }
    return proc;
}

// The DC that GDI drawing goes into.
HDC DrawingDC() {
    return gSurface.directMode ? gSurface.windowDC : gSurface.bitmapDC;
}

// Before GDI drawing the bitmap must hold the latest picture.
void BringPictureToBitmap() {
    if (gSurface.directMode || gSurface.latestInBitmap) return;
    BitBlt(gSurface.bitmapDC, 0, 0, gSurface.width, gSurface.height, gSurface.dibDC, 0, 0, SRCCOPY);
    gSurface.latestInBitmap = true;
}

// Before a pixel access the DIB must hold it; GDI may still be drawing into the bitmap.
void BringPictureToDib() {
    if (!gSurface.latestInBitmap) return;
    BitBlt(gSurface.dibDC, 0, 0, gSurface.width, gSurface.height, gSurface.bitmapDC, 0, 0, SRCCOPY);
    GdiFlush();
    gSurface.latestInBitmap = false;
}

// Ready for GDI drawing: an open surface (or direct mode) with the picture in the bitmap.
HDC GdiTarget() {
    if (!SurfaceIsOpen()) return nullptr;
    BringPictureToBitmap();
    return DrawingDC();
}

HDC PictureHolderDC() {
    return gSurface.latestInBitmap ? DrawingDC() : gSurface.dibDC;
}

// Puts the previous object back before the surface's own one is deleted: a selected object
// cannot be deleted.
template <typename Handle>
void DeselectAndDelete(Handle& object, HGDIOBJ& previous) {
    HDC dc = DrawingDC();
    if (previous && dc) SelectObject(dc, previous);
    previous = nullptr;
    if (object) DeleteObject(object);
    object = nullptr;
}

void SelectInto(HGDIOBJ object, HGDIOBJ& previous) {
    HGDIOBJ old = SelectObject(DrawingDC(), object);
    if (!previous) previous = old;
}

void ReleaseObjects() {
    DeleteSurfaceFont();
    DeleteSurfacePen();
    DeleteSurfaceBrush();
}

COLORREF SwapRedBlue(uint32_t value) {
    return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

bool CreateSurfacePictures(int32_t width, int32_t height) {
    gSurface.dibDC = gSurfaceGdi.createCompatibleDC(gSurface.windowDC);
    gSurface.bitmapDC = gSurfaceGdi.createCompatibleDC(gSurface.windowDC);
    if (!gSurface.dibDC || !gSurface.bitmapDC) return false;
    BITMAPINFO info = TopDownBitmapInfo32(width, height);
    void* bits = nullptr;
    gSurface.dib =
        gSurfaceGdi.createDIBSection(gSurface.dibDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    gSurface.dibBits = static_cast<uint32_t*>(bits);
    gSurface.bitmap = gSurfaceGdi.createCompatibleBitmap(gSurface.windowDC, width, height);
    if (!gSurface.dib || !gSurface.bitmap || !bits) return false;
    gSurface.dibPrevious = SelectObject(gSurface.dibDC, gSurface.dib);
    gSurface.bitmapPrevious = SelectObject(gSurface.bitmapDC, gSurface.bitmap);
    return true;
}
}  // namespace

void SurfaceGdiCallsReset() {
    gSurfaceGdi = {CreateCompatibleDC, CreateDIBSection, CreateCompatibleBitmap,
                   CreateSolidBrush,   ExtCreatePen,     CreateFontIndirectA};
}

RECT SurfaceEllipseBounds(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
}

void SurfaceGradientVertices(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour1,
                             COLORREF colour2, TRIVERTEX out[2]) {
    auto vertex = [](int32_t x, int32_t y, COLORREF c) {
        TRIVERTEX v = {};
        v.x = x;
        v.y = y;
        v.Red = COLOR16(GetRValue(c) << 8);
        v.Green = COLOR16(GetGValue(c) << 8);
        v.Blue = COLOR16(GetBValue(c) << 8);
        v.Alpha = 0;
        return v;
    };
    out[0] = vertex(x1, y1, colour1);
    out[1] = vertex(x2, y2, colour2);
}

std::vector<std::string> SurfaceTextLines(const char* text) {
    std::vector<std::string> lines;
    if (!text || !*text) return lines;
    std::string line;
    for (const char* p = text; *p; ++p) {
        if (*p == '\r' || *p == '\n') {
            lines.push_back(line);
            line.clear();
            if (p[0] == '\r' && p[1] == '\n') ++p;
        } else {
            line += *p;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

POINT SurfaceTextLineOrigin(int32_t x, int32_t y, int32_t angleTenths, int32_t fontHeight,
                            int32_t line) {
    const double radians = angleTenths * kPi / 1800.0;
    const double offset = double(line) * fontHeight;
    return POINT{x + int32_t(std::trunc(std::sin(radians) * offset)),
                 y + int32_t(std::trunc(std::cos(radians) * offset))};
}

int64_t SurfacePixelIndex(int32_t x, int32_t y, int32_t width, int32_t height) {
    // Tested per axis: an x past the right edge must not land on the next row.
    if (x < 0 || y < 0 || x >= width || y >= height) return -1;
    return int64_t(y) * width + x;
}

int32_t SurfacePenStyleFlags(int32_t style) {
    static const int32_t kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    return style >= 0 && style < 5 ? kStyles[style] : -1;
}

HWND SurfaceTargetWindow(int32_t n) {
    if (n < 0) return gDialog;
    if (n == CTL_PREVIEW) return gDialog ? GetDlgItem(gDialog, ITEM_PREVIEW) : nullptr;
    return ControlWindowNow(n);
}

COLORREF PanelBackgroundColour(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (record && record->backgroundColor != COLORREF(-1)) return record->backgroundColor;
    const ControlRecord* tab =
        record && record->tab >= 0 ? UsedControlRecord(record->tab) : nullptr;
    if (tab && tab->backgroundColor != COLORREF(-1)) return tab->backgroundColor;
    return GetSysColor(COLOR_BTNFACE);
}

bool SurfaceIsOpen() {
    return gSurface.directMode || (gSurface.dibBits && gSurface.bitmapDC);
}

int32_t BeginControlDrawingZoomed(int32_t n, int32_t zoom) {
    // A surface still open is given up without copying; its DC goes back to its window.
    if (gSurface.windowDC && !gSurface.directMode) {
        ReleaseDrawingSurface();
        ReleaseDC(gSurface.window, gSurface.windowDC);
        gSurface.windowDC = nullptr;
    }
    HWND window = SurfaceTargetWindow(n);
    if (!window || gSurface.directMode) return 0;
    // The surface takes the window's size: a move that waits for the control to be shown
    // is made first.
    SettleControlPlace(n);
    RECT rect;
    GetWindowRect(window, &rect);
    gSurface.window = window;
    gSurface.zoom = std::clamp(zoom, 1, kMaxZoom);
    gSurface.windowWidth = std::max<int32_t>(rect.right - rect.left, 1);
    gSurface.windowHeight = std::max<int32_t>(rect.bottom - rect.top, 1);
    gSurface.width = gSurface.windowWidth * gSurface.zoom;
    gSurface.height = gSurface.windowHeight * gSurface.zoom;
    gSurface.pixelCount = int64_t(gSurface.width) * gSurface.height;
    gSurface.windowDC = GetDC(window);
    if (!gSurface.windowDC || !CreateSurfacePictures(gSurface.width, gSurface.height)) {
        ReleaseDrawingSurface();
        if (gSurface.windowDC) ReleaseDC(window, gSurface.windowDC);
        gSurface.windowDC = nullptr;
        return 0;
    }
    BitBlt(gSurface.bitmapDC, 0, 0, gSurface.windowWidth, gSurface.windowHeight, gSurface.windowDC,
           0, 0, SRCCOPY);
    gSurface.latestInBitmap = true;
    return 1;
}

int32_t BeginControlDrawing(int32_t n) {
    return BeginControlDrawingZoomed(n, 1);
}

int32_t EndControlDrawing(int32_t) {
    if (gSurface.directMode || !gSurface.dibBits || !gSurface.windowDC) return 0;
    HDC holder = gSurface.latestInBitmap ? gSurface.bitmapDC : gSurface.dibDC;
    if (gSurface.zoom == 1) {
        BitBlt(gSurface.windowDC, 0, 0, gSurface.width, gSurface.height, holder, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(gSurface.windowDC, HALFTONE);
        SetBrushOrgEx(gSurface.windowDC, 0, 0, nullptr);
        StretchBlt(gSurface.windowDC, 0, 0, gSurface.windowWidth, gSurface.windowHeight, holder, 0,
                   0, gSurface.width, gSurface.height, SRCCOPY);
    }
    ReleaseDrawingSurface();
    ReleaseDC(gSurface.window, gSurface.windowDC);
    gSurface.windowDC = nullptr;
    gSurface.window = nullptr;
    return 1;
}

void ReleaseDrawingSurface() {
    if (gSurface.directMode) return;
    ReleaseObjects();
    if (gSurface.dibDC && gSurface.dibPrevious) SelectObject(gSurface.dibDC, gSurface.dibPrevious);
    if (gSurface.bitmapDC && gSurface.bitmapPrevious)
        SelectObject(gSurface.bitmapDC, gSurface.bitmapPrevious);
    if (gSurface.bitmap) DeleteObject(gSurface.bitmap);
    if (gSurface.dib) DeleteObject(gSurface.dib);
    if (gSurface.dibDC) DeleteDC(gSurface.dibDC);
    if (gSurface.bitmapDC) DeleteDC(gSurface.bitmapDC);
    gSurface.dibPrevious = gSurface.bitmapPrevious = nullptr;
    gSurface.bitmap = gSurface.dib = nullptr;
    gSurface.dibDC = gSurface.bitmapDC = nullptr;
    gSurface.dibBits = nullptr;
}

int32_t BeginDcDrawing(HDC dc) {
    if (gSurface.dibBits) {
        ReleaseDrawingSurface();
        ReleaseDC(gSurface.window, gSurface.windowDC);
    }
    gSurface.directMode = true;
    gSurface.windowDC = dc;
    gSurface.latestInBitmap = true;
    gSurface.zoom = 1;
    return 1;
}

int32_t EndDcDrawing(HDC) {
    if (!gSurface.directMode) return 0;
    ReleaseObjects();
    gSurface.directMode = false;
    gSurface.windowDC = nullptr;
    return 1;
}

HFONT SetSurfaceFont(int32_t height, int32_t angleTenths, int32_t bold, int32_t italic,
                     const char* face) {
    HDC dc = DrawingDC();
    if (!SurfaceIsOpen() || !dc) return nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    DeleteSurfaceFont();
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfEscapement = font.lfOrientation = angleTenths;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = ANSI_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynA(font.lfFaceName, face ? face : "", LF_FACESIZE);
    gSurface.font = gSurfaceGdi.createFontIndirect(&font);
    gSurface.fontHeight = height;
    gSurface.fontAngle = angleTenths;
    if (gSurface.font) SelectInto(gSurface.font, gSurface.previousFont);
    return gSurface.font;
}

int32_t DeleteSurfaceFont() {
    DeselectAndDelete(gSurface.font, gSurface.previousFont);
    return 1;
}

int32_t DrawSurfaceText(int32_t x, int32_t y, COLORREF colour, int32_t alignment,
                        const char* text) {
    HDC dc = GdiTarget();
    if (!dc) return 0;
    SetTextColor(dc, colour);
    SetTextAlign(dc, alignment == -1 ? UINT(TA_CENTER | TA_BOTTOM) : UINT(alignment));
    const std::vector<std::string> lines = SurfaceTextLines(text);
    for (size_t k = 0; k < lines.size(); ++k) {
        const POINT at =
            SurfaceTextLineOrigin(x, y, gSurface.fontAngle, gSurface.fontHeight, int32_t(k) + 1);
        TextOutA(dc, at.x, at.y, lines[k].c_str(), int(lines[k].size()));
    }
    return 1;
}

int32_t DrawTextFormat(int32_t x, int32_t y, COLORREF colour, int32_t alignment, const char* format,
                       ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format ? format : "", args);
    va_end(args);
    return DrawSurfaceText(x, y, colour, alignment, ExpandText(text));
}

int32_t SetPenWidth(int32_t width) {
    gSurface.penWidth = std::max(width, 1);
    return 1;
}

int32_t SetPenStyle(int32_t style) {
    if (SurfacePenStyleFlags(style) >= 0) gSurface.penStyle = style;
    return 1;
}

int32_t SelectSurfacePen(COLORREF colour) {
    if (!SurfaceIsOpen()) return 0;
    const int32_t width = std::max(gSurface.penWidth, 1);
    if (gSurface.penState == SURFACE_PEN_COLOURED && gSurface.pen && gSurface.penColor == colour &&
        gSurface.penMadeWidth == width && gSurface.penMadeStyle == gSurface.penStyle) {
        SelectObject(DrawingDC(), gSurface.pen);
        return 1;
    }
    DeleteSurfacePen();
    LOGBRUSH brush = {BS_SOLID, colour, 0};
    const DWORD style = PS_GEOMETRIC | PS_ENDCAP_ROUND | PS_JOIN_ROUND |
                        DWORD(SurfacePenStyleFlags(gSurface.penStyle));
    gSurface.pen = gSurfaceGdi.extCreatePen(style, DWORD(width), &brush, 0, nullptr);
    if (!gSurface.pen) return 0;
    gSurface.penState = SURFACE_PEN_COLOURED;
    gSurface.penColor = colour;
    gSurface.penMadeWidth = width;
    gSurface.penMadeStyle = gSurface.penStyle;
    SelectInto(gSurface.pen, gSurface.previousPen);
    return 1;
}

int32_t SelectNullPen() {
    if (!SurfaceIsOpen()) return 0;
    if (gSurface.penState == SURFACE_PEN_NULL) return 1;
    DeleteSurfacePen();
    gSurface.penState = SURFACE_PEN_NULL;
    SelectInto(GetStockObject(NULL_PEN), gSurface.previousPen);
    return 1;
}

int32_t DeleteSurfacePen() {
    DeselectAndDelete(gSurface.pen, gSurface.previousPen);
    gSurface.penState = SURFACE_PEN_NONE;
    return 1;
}

int32_t SelectSurfaceBrush(COLORREF colour) {
    if (!SurfaceIsOpen()) return 0;
    if (gSurface.brushState == SURFACE_BRUSH_SOLID && gSurface.brush &&
        gSurface.brushColor == colour) {
        SelectObject(DrawingDC(), gSurface.brush);
        return 1;
    }
    DeleteSurfaceBrush();
    gSurface.brush = gSurfaceGdi.createSolidBrush(colour);
    if (!gSurface.brush) return 0;
    gSurface.brushState = SURFACE_BRUSH_SOLID;
    gSurface.brushColor = colour;
    SelectInto(gSurface.brush, gSurface.previousBrush);
    return 1;
}

int32_t SelectHollowBrush() {
    if (!SurfaceIsOpen()) return 0;
    if (gSurface.brushState == SURFACE_BRUSH_HOLLOW) return 1;
    DeleteSurfaceBrush();
    gSurface.brushState = SURFACE_BRUSH_HOLLOW;
    SelectInto(GetStockObject(HOLLOW_BRUSH), gSurface.previousBrush);
    return 1;
}

int32_t DeleteSurfaceBrush() {
    DeselectAndDelete(gSurface.brush, gSurface.previousBrush);
    gSurface.brushState = SURFACE_BRUSH_NONE;
    return 1;
}

int32_t FillSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF colour) {
    HDC dc = GdiTarget();
    if (!dc || !SelectSurfaceBrush(colour)) return 0;
    const int32_t z = gSurface.zoom;
    RECT rect = {left * z, top * z, right * z, bottom * z};
    return FillRect(dc, &rect, gSurface.brush);
}

int32_t FrameSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                         COLORREF colour) {
    HDC dc = GdiTarget();
    if (!dc || !SelectSurfaceBrush(colour)) return 0;
    const int32_t z = gSurface.zoom;
    RECT rect = {left * z, top * z, right * z, bottom * z};
    return FrameRect(dc, &rect, gSurface.brush);
}

int32_t FillSurface(COLORREF colour) {
    HDC dc = GdiTarget();
    if (!dc || !SelectSurfaceBrush(colour)) return 0;
    RECT rect = {0, 0, gSurface.width, gSurface.height};
    if (gSurface.directMode) GetClipBox(dc, &rect);
    return FillRect(dc, &rect, gSurface.brush);
}

int32_t GradientFillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour1,
                         COLORREF colour2, int32_t horizontal) {
    if (!SurfaceIsOpen()) return 0;
    GradientFillProc fill = GradientService();
    if (!fill) return 0;
    TRIVERTEX vertices[2];
    SurfaceGradientVertices(x1, y1, x2, y2, colour1, colour2, vertices);
    GRADIENT_RECT rect = {0, 1};
    const BOOL done = fill(PictureHolderDC(), vertices, 2, &rect, 1,
                           horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
    if (!gSurface.latestInBitmap) GdiFlush();
    return done;
}

int32_t FillSurfaceEllipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour) {
    HDC dc = GdiTarget();
    if (!dc || !SelectSurfaceBrush(colour) || !SelectNullPen()) return 0;
    const RECT r = SurfaceEllipseBounds(x1, y1, x2, y2);
    return Ellipse(dc, r.left, r.top, r.right, r.bottom);
}

int32_t DrawSurfaceEllipse(int32_t left, int32_t top, int32_t right, int32_t bottom,
                           COLORREF colour) {
    HDC dc = GdiTarget();
    if (!dc || !SelectHollowBrush() || !SelectSurfacePen(colour)) return 0;
    return Ellipse(dc, left, top, right, bottom);
}

int32_t DrawSurfaceLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour) {
    HDC dc = GdiTarget();
    if (!dc || !SelectSurfacePen(colour)) return 0;
    const int32_t z = gSurface.zoom;
    MoveToEx(dc, x1 * z, y1 * z, nullptr);
    return LineTo(dc, x2 * z, y2 * z);
}

int32_t DrawPixel(int32_t x, int32_t y, COLORREF colour) {
    if (gSurface.directMode) return SetPixel(gSurface.windowDC, x, y, colour) != COLORREF(-1);
    if (!SurfaceIsOpen()) return 0;
    const int64_t index = SurfacePixelIndex(x, y, gSurface.width, gSurface.height);
    if (index < 0) return 1;
    BringPictureToDib();
    gSurface.dibBits[index] = SwapRedBlue(colour);
    return 1;
}

COLORREF GetSurfacePixel(int32_t x, int32_t y) {
    if (gSurface.directMode) return GetPixel(gSurface.windowDC, x, y);
    if (!SurfaceIsOpen()) return 0;
    const int64_t index = SurfacePixelIndex(x, y, gSurface.width, gSurface.height);
    if (index < 0) return 0;
    BringPictureToDib();
    return SwapRedBlue(gSurface.dibBits[index]);
}
