// The drawing surface of custom-painted panels: one memory picture per open control, drawn
// with rectangles, gradients, ellipses, lines, pixels and text, then copied to the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#ifndef GREYLOOM_PRINTF
#define GREYLOOM_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

enum SurfacePenState : int32_t {
    SURFACE_PEN_NONE = 0,
    SURFACE_PEN_NULL = 1,
    SURFACE_PEN_COLOURED = 2,
};
enum SurfaceBrushState : int32_t {
    SURFACE_BRUSH_NONE = 0,
    SURFACE_BRUSH_HOLLOW = 1,
    SURFACE_BRUSH_SOLID = 2,
};

// The one surface of the module. Written only by drawing_surface.cpp, on the host's thread.
// Pixels go straight into the DIB; GDI drawing goes into the bitmap; latestInBitmap says which
// of the two holds the picture, so that a copy is made only when the kind of access changes.
struct DrawingSurface {
    HWND window;   // target window of the open surface
    HDC windowDC;  // the window's DC (direct mode: the caller's DC, not released here)
    HDC dibDC;     // memory DC holding the DIB section
    HBITMAP dib;   // 32-bit top-down DIB, width x height words 0x00RRGGBB
    uint32_t* dibBits;
    HGDIOBJ dibPrevious;
    HDC bitmapDC;  // memory DC holding the bitmap compatible with the window
    HBITMAP bitmap;
    HGDIOBJ bitmapPrevious;
    bool latestInBitmap;
    bool directMode;                    // drawing straight into a caller's DC
    int32_t zoom;                       // 1..8
    int32_t windowWidth, windowHeight;  // outer size of the target window, pixels
    int32_t width, height;              // surface size: window size x zoom
    int64_t pixelCount;                 // width x height
    HFONT font;
    int32_t fontHeight;  // pixels
    int32_t fontAngle;   // tenths of a degree
    HGDIOBJ previousFont;
    HPEN pen;
    int32_t penState;  // SurfacePenState
    COLORREF penColor;
    int32_t penWidth;                    // pixels, at least 1
    int32_t penStyle;                    // 0 solid .. 4 dash-dot-dot
    int32_t penMadeWidth, penMadeStyle;  // what the cached pen was made with
    HGDIOBJ previousPen;
    HBRUSH brush;
    int32_t brushState;  // SurfaceBrushState
    COLORREF brushColor;
    HGDIOBJ previousBrush;
};
extern DrawingSurface gSurface;

// The GDI calls that make the surface's objects. Every entry defaults to the real call; a test
// swaps them to count what is made (and checks that it is all gone) or to make one fail.
struct SurfaceGdiCalls {
    HDC(WINAPI* createCompatibleDC)(HDC);
    HBITMAP(WINAPI* createDIBSection)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
    HBITMAP(WINAPI* createCompatibleBitmap)(HDC, int, int);
    HBRUSH(WINAPI* createSolidBrush)(COLORREF);
    HPEN(WINAPI* extCreatePen)(DWORD, DWORD, const LOGBRUSH*, DWORD, const DWORD*);
    HFONT(WINAPI* createFontIndirect)(const LOGFONTA*);
};
extern SurfaceGdiCalls gSurfaceGdi;
void SurfaceGdiCallsReset();

// --- Pure geometry of the drawing calls ------------------------------------------------------
// Corners ordered (smaller first) with the right and bottom edges moved out by 1, so that
// both given corners lie inside the ellipse.
RECT SurfaceEllipseBounds(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The two vertices of a gradient: each 8-bit channel shifted into the 16-bit vertex channel.
void SurfaceGradientVertices(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour1,
                             COLORREF colour2, TRIVERTEX out[2]);
// The lines of a text: split at line feed or carriage return; CR LF ends one line.
std::vector<std::string> SurfaceTextLines(const char* text);
// Where line k (counting from 1) of a text starts: k font heights along the text's down
// direction from (x, y), for a font angle in tenths of a degree.
POINT SurfaceTextLineOrigin(int32_t x, int32_t y, int32_t angleTenths, int32_t fontHeight,
                            int32_t line);
// Index of pixel (x, y) in a width x height surface, or -1 outside it.
int64_t SurfacePixelIndex(int32_t x, int32_t y, int32_t width, int32_t height);
// Pen style number 0..4 as a GDI style; -1 for a number outside.
int32_t SurfacePenStyleFlags(int32_t style);

// --- Opening and closing -----------------------------------------------------------------
// Control n's window, the preview frame for 395, the dialog for a negative n; null when none.
HWND SurfaceTargetWindow(int32_t n);
int32_t BeginControlDrawingZoomed(int32_t n, int32_t zoom);
int32_t BeginControlDrawing(int32_t n);
int32_t EndControlDrawing(int32_t n);
void ReleaseDrawingSurface();
int32_t BeginDcDrawing(HDC dc);
int32_t EndDcDrawing(HDC dc);
// Background of a custom panel: its own colour, else its tab sheet's, else the dialog face.
COLORREF PanelBackgroundColour(int32_t n);
// Whether drawing calls take effect: a surface is open or direct mode is on.
bool SurfaceIsOpen();

// --- Drawing --------------------------------------------------------------------------------
HFONT SetSurfaceFont(int32_t height, int32_t angleTenths, int32_t bold, int32_t italic,
                     const char* face);
int32_t DeleteSurfaceFont();
int32_t DrawSurfaceText(int32_t x, int32_t y, COLORREF colour, int32_t alignment, const char* text);
int32_t DrawTextFormat(int32_t x, int32_t y, COLORREF colour, int32_t alignment, const char* format,
                       ...) GREYLOOM_PRINTF(5, 6);
int32_t SetPenWidth(int32_t width);
int32_t SetPenStyle(int32_t style);
int32_t SelectSurfacePen(COLORREF colour);
int32_t SelectNullPen();
int32_t DeleteSurfacePen();
int32_t SelectSurfaceBrush(COLORREF colour);
int32_t SelectHollowBrush();
int32_t DeleteSurfaceBrush();
int32_t FillSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF colour);
int32_t FrameSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF colour);
int32_t FillSurface(COLORREF colour);
int32_t GradientFillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour1,
                         COLORREF colour2, int32_t horizontal);
int32_t FillSurfaceEllipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour);
int32_t DrawSurfaceEllipse(int32_t left, int32_t top, int32_t right, int32_t bottom,
                           COLORREF colour);
int32_t DrawSurfaceLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour);
int32_t DrawPixel(int32_t x, int32_t y, COLORREF colour);
COLORREF GetSurfacePixel(int32_t x, int32_t y);
