// The curve widget: the panel's lookup, grid, curve (plain or smoothed through a work array),
// control points and overlay curve, and the mouse editing of the points.

#include "dialog/curve_widget.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_record.h"
#include "dialog/control_texts.h"
#include "dialog/drawing_surface.h"
#include "dialog/filter_dialog.h"
#include "dialog/skin_engine.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/worker_threads.h"
#include "host/pool_jobs.h"

CurveWidgetServices gCurveWidgetServices;
CurveDragState gCurveDrag;

namespace {
constexpr COLORREF kGridPlain = 0xececec;
constexpr COLORREF kFramePlain = 0xa5a5a5;
constexpr COLORREF kCurvePlain = 0x000000;
constexpr COLORREF kSelectedColour = 0x0000FF;
constexpr int32_t kOrigin = 4;        // panel pixel of input 0 and of output size
constexpr int32_t kMouseOffsetX = 5;  // mouse x of input 0
constexpr int32_t kLabelledLines = 11;
constexpr int32_t kLabelledSpacing = 16;
constexpr int32_t kLabelledFirstY = 12;
constexpr int32_t kSmoothRadiusTenths = 5;
constexpr int32_t kPlainStretchLow = 128, kPlainStretchHigh = 212;

struct CurveColours {
    COLORREF grid, frame, curve;
};

// Without a named skin ("Sliders Only" is none) the plain greys; a skin's face and shadow
// colours otherwise, with a curve that stands out from its sheets.
CurveColours WidgetColours() {
    if (!IsSkinActive() || !gParams || gParams->skinIndex <= 0)
        return {kGridPlain, kFramePlain, kCurvePlain};
    const COLORREF face = COLORREF(GetSkinFaceColor()), shadow = COLORREF(GetSkinShadowColor());
    if (IsSkinDark()) return {shadow, face, RGB(255, 255, 255)};
    return {face, shadow, RGB(0, 0, 0)};
}

// The panel stands on its sheet: it takes the sheet's colour, not its own (an effect's colour
// button keeps a colour of its own that is no background for a curve).
COLORREF SheetColour(int32_t control) {
    const ControlRecord* record = UsedControlRecord(control);
    if (record && record->tab >= 0) {
        const int32_t colour = GetControlColor(record->tab);
        if (colour != -1) return COLORREF(colour);
    }
    return PanelBackgroundColour(control);
}

std::vector<CurveWidgetPoint> ReadPoints(int32_t array, int32_t curve, int32_t count) {
    std::vector<CurveWidgetPoint> points(size_t(std::clamp(count, 0, kCurveMaxPoints)));
    for (size_t i = 0; i < points.size(); ++i)
        points[i] = {GetArrayElement(array, int32_t(i), 0, curve),
                     GetArrayElement(array, int32_t(i), 1, curve)};
    return points;
}

void WritePoint(int32_t array, int32_t curve, int32_t index, CurveWidgetPoint p) {
    PutArrayElement(array, index, 0, curve, p.x);
    PutArrayElement(array, index, 1, curve, p.y);
}

bool IsIdentity(const CurveWidgetPoint* points, int32_t count, int32_t size) {
    return count == 2 && points[0].x == 0 && points[0].y == 0 && points[1].x == size &&
           points[1].y == size;
}

// Straight segments between the points, for a widget without the spline service.
void LinearRow(const CurveWidgetPoint* points, int32_t count, int32_t size, int32_t* row) {
    for (int32_t x = 0; x <= size; ++x) {
        int32_t y = count > 0 ? points[0].y : x;
        for (int32_t i = 0; i + 1 < count; ++i) {
            const CurveWidgetPoint a = points[i], b = points[i + 1];
            if (x >= a.x && x <= b.x && b.x > a.x) {
                y = a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
                break;
            }
            if (x > b.x) y = b.y;
        }
        row[x] = y;
    }
}

// Segment x of the curve: from the previous level to this one (x = 0 starts at its own).
void CurveSegmentEnds(const int32_t* lut, int32_t x, int32_t size, POINT& from, POINT& to) {
    from = {x + 3, size + kOrigin - lut[std::max(x - 1, 0)]};
    to = {x + 4, size + kOrigin - lut[x]};
}

void DrawGrid(int32_t size, bool labelled, const CurveColours& colours) {
    const int32_t extent = size + 9;
    if (labelled) {
        SetSurfaceFont(10, 0, 0, 0, "MS Sans Serif");
        for (int32_t i = 0; i < kLabelledLines; ++i) {
            const int32_t y = kLabelledFirstY + i * kLabelledSpacing;
            DrawSurfaceLine(0, y, extent, y, colours.grid);
            const int32_t label = 9 - i;
            if (label >= 1) {
                const bool strong = label == 7 || label == 5 || label == 3;
                DrawTextFormat(5, y - 10 - 10, strong ? colours.frame : colours.grid, TA_LEFT, "%d",
                               label);
            }
        }
        return;
    }
    for (int32_t q = 1; q <= 3; ++q) {
        const int32_t at = extent * q / 4;
        DrawSurfaceLine(at, 0, at, extent, colours.grid);
        DrawSurfaceLine(0, at, extent, at, colours.grid);
    }
}

void DrawFrame(int32_t size, const CurveColours& colours) {
    DrawSurfaceLine(kOrigin, size + kOrigin, size + kOrigin, kOrigin, colours.frame);
    const int32_t edge = size + 8;
    DrawSurfaceLine(0, 0, 0, edge + 1, colours.frame);
    DrawSurfaceLine(0, 0, edge + 1, 0, colours.frame);
    DrawSurfaceLine(0, edge, edge + 1, edge, colours.frame);
    DrawSurfaceLine(edge, 0, edge, edge + 1, colours.frame);
}

// The lookup's segments rasterised into the work array at a level, blurred and stretched:
// the smooth line as grey levels over a background level.
bool SmoothCurveImage(int32_t workArray, const int32_t* lut, int32_t size, int32_t background,
                      int32_t level, int32_t low, int32_t high) {
    const int32_t extent = size + 9;
    if (!gCurveWidgetServices.blur || !CreateArray(workArray, extent, extent, 1, 1)) return false;
    SetAllArrayElements(workArray, background);
    for (int32_t x = 0; x <= size; ++x) {
        POINT from, to;
        CurveSegmentEnds(lut, x, size, from, to);
        DrawArrayLine(workArray, from.x, from.y, to.x, to.y, level);
    }
    gCurveWidgetServices.blur(workArray, kSmoothRadiusTenths);
    gJob.poolParameters[1] = workArray;
    gJob.poolParameters[2] = low;
    gJob.poolParameters[3] = high;
    RunParallel(NormaliseRangeJob, true, 0, 0, false);
    return true;
}

void DrawCurvePlain(const int32_t* lut, int32_t size, COLORREF colour) {
    for (int32_t x = 0; x <= size; ++x) {
        POINT from, to;
        CurveSegmentEnds(lut, x, size, from, to);
        DrawSurfaceLine(from.x, from.y, to.x, to.y, colour);
    }
}

void DrawCurveSmooth(int32_t workArray, const int32_t* lut, int32_t size, COLORREF background,
                     COLORREF colour) {
    const int32_t b = GetGValue(background), c = GetGValue(colour);
    int32_t low, high;
    CurveStretchLevels(IsSkinActive(), b, c, &low, &high);
    if (!SmoothCurveImage(workArray, lut, size, b, c, low, high)) {
        DrawCurvePlain(lut, size, colour);
        return;
    }
    const int32_t extent = size + 9;
    for (int32_t y = 0; y < extent; ++y) {
        for (int32_t x = 0; x < extent; ++x) {
            const int32_t l = GetArrayElement(workArray, x, y, 0);
            if (c > b ? l > b : l < b) DrawPixel(x, y, RGB(l, l, l));
        }
    }
}

void DrawOverlay(int32_t overlayLutArray, int32_t workArray, const int32_t overlay[6], int32_t size,
                 bool antiAlias) {
    if (!gCurveWidgetServices.overlayRow || !CreateArray(overlayLutArray, size + 1, 1, 1, 4))
        return;
    int32_t* lut = static_cast<int32_t*>(GetArrayBase(overlayLutArray));
    for (int32_t x = 0; x <= size; ++x) lut[x] = x;
    gCurveWidgetServices.overlayRow(overlayLutArray, overlay, size);
    lut = static_cast<int32_t*>(GetArrayBase(overlayLutArray));
    for (int32_t x = 0; x <= size; ++x) lut[x] = std::clamp(lut[x], 0, size);
    if (!antiAlias ||
        !SmoothCurveImage(workArray, lut, size, 255, 0, kPlainStretchLow, kPlainStretchHigh)) {
        DrawCurvePlain(lut, size, kSelectedColour);
        return;
    }
    const int32_t extent = size + 9;
    for (int32_t y = 0; y < extent; ++y) {
        for (int32_t x = 0; x < extent; ++x) {
            const int32_t l = GetArrayElement(workArray, x, y, 0);
            if (l >= 255) continue;
            const int32_t g = GetGValue(GetSurfacePixel(x, y)) * l / 255;
            DrawPixel(x, y, RGB(255, g, g));
        }
    }
}

void DrawPoints(const std::vector<CurveWidgetPoint>& points, int32_t selected, int32_t size,
                bool labelled, const CurveColours& colours) {
    SetPenStyle(2);
    for (int32_t i = 0; i < int32_t(points.size()); ++i) {
        const CurveWidgetPoint p = points[size_t(i)];
        const int32_t left = p.x + 2, top = size + 9 - p.y - 7;
        const int32_t right = p.x + 7, bottom = size + 9 - p.y - 2;
        if (i != selected) {
            FrameSurfaceRect(left, top, right, bottom, colours.curve);
            continue;
        }
        FillSurfaceRect(left, top, right, bottom, kSelectedColour);
        if (!labelled) continue;
        DrawSurfaceLine(p.x + kOrigin, 0, p.x + kOrigin, size + 8, kSelectedColour);
        const double shift = (p.y - p.x) / 16.0;
        const int32_t textY = p.y < p.x ? top - 14 : bottom + 2;
        DrawTextFormat(p.x + 16, textY - 10, kSelectedColour, TA_LEFT, "%.1f", shift);
    }
    SetPenStyle(0);
}

HWND ControlWindow(int32_t control) {
    return SurfaceTargetWindow(control);
}

// The mouse over the control in curve coordinates; false when it is outside the control.
bool MouseOverControl(int32_t control, int32_t size, CurveWidgetPoint& at) {
    HWND window = ControlWindow(control);
    POINT cursor;
    if (!window || !GetCursorPos(&cursor)) return false;
    ScreenToClient(window, &cursor);
    RECT client;
    GetClientRect(window, &client);
    at = CurveFromMouse(cursor.x, cursor.y, size);
    return PtInRect(&client, cursor) != 0;
}

void ShowReadout(int32_t readout, CurveWidgetPoint at, int32_t size) {
    if (readout < 0 || size <= 0) return;
    SetControlTextFormat(readout, "%d->%d", at.x * 255 / size, at.y * 255 / size);
}

void Redraw(int32_t control, bool focus) {
    FireControlEvent(control, EVENT_DRAW_ITEM, 0);
    if (HWND window = ControlWindow(control); focus && window) SetFocus(window);
}

bool RemoveSelected(int32_t array, int32_t curve, int32_t* counts, int32_t* selected,
                    int32_t size) {
    if (!gCurveWidgetServices.deletePoint || *selected < 0) return false;
    return gCurveWidgetServices.deletePoint(array, curve, &counts[curve], selected, size) != 0;
}

// Holds the selected point under the mouse until the button is released. 1 when released, 0
// when the point left its limits or the mouse left the control.
int32_t DragSelectedPoint(int32_t control, int32_t array, int32_t curve, int32_t* counts,
                          int32_t* selected, int32_t size, int32_t shiftMode, int32_t readout) {
    CurveWidgetPoint last = {-1, -1};
    while (GetAsyncKeyState(VK_LBUTTON) & 0x8000) {
        CurveWidgetPoint at;
        if (!MouseOverControl(control, size, at)) return 0;
        ShowReadout(readout, at, size);
        if (at.x < gCurveDrag.low || at.x > gCurveDrag.high) {
            RemoveSelected(array, curve, counts, selected, size);
            Redraw(control, false);
            return 0;
        }
        if (at.x != last.x || at.y != last.y) {
            WritePoint(array, curve, *selected, at);
            Redraw(control, true);
            last = at;
            const bool shiftDown = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
            if (shiftDown != (shiftMode != 0)) {
                PumpDialogMessages();
                RunControlAction(ACTION_PREVIEW);
            }
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(5);
    }
    return 1;
}

// A left click: picks the hit point or adds a new one, then drags it.
int32_t PressAt(int32_t control, int32_t array, int32_t curve, int32_t* counts, int32_t* selected,
                int32_t size, int32_t shiftMode, int32_t readout, CurveWidgetPoint at,
                int32_t hit) {
    std::vector<CurveWidgetPoint> points = ReadPoints(array, curve, counts[curve]);
    if (hit >= 0) {
        WritePoint(array, curve, hit, at);
    } else {
        if (!gCurveWidgetServices.sortPoints ||
            !CurveCanAddPoint(points.data(), int32_t(points.size()), at.x))
            return 0;
        const int32_t index = counts[curve]++;
        WritePoint(array, curve, index, at);
        gCurveWidgetServices.sortPoints(array, curve, counts[curve]);
        points = ReadPoints(array, curve, counts[curve]);
        for (int32_t i = 0; i < int32_t(points.size()); ++i)
            if (points[size_t(i)].x == at.x) *selected = i;
    }
    points = ReadPoints(array, curve, counts[curve]);
    gCurveDrag = CurveDragLimits(points.data(), int32_t(points.size()), *selected, size);
    Redraw(control, true);
    return DragSelectedPoint(control, array, curve, counts, selected, size, shiftMode, readout);
}
}  // namespace

void CurveWidgetLookup(const CurveWidgetPoint* points, int32_t count, int32_t size, int32_t* row) {
    if (IsIdentity(points, count, size) || count < 1) {
        for (int32_t x = 0; x <= size; ++x) row[x] = x;
        return;
    }
    if (gCurveWidgetServices.splineRow)
        gCurveWidgetServices.splineRow(points, count, size, row);
    else
        LinearRow(points, count, size, row);
    for (int32_t x = 0; x <= size; ++x) row[x] = std::clamp(row[x], 0, size);
}

int32_t CurveHitTest(const CurveWidgetPoint* points, int32_t count, int32_t x, int32_t y) {
    for (int32_t i = 0; i < count; ++i) {
        if (std::abs(points[i].x - x) > kCurveHitPixels) continue;
        int32_t pick = i;
        if (i + 1 < count && std::abs(points[i + 1].x - x) < std::abs(points[i].x - x))
            pick = i + 1;
        return std::abs(points[pick].y - y) <= kCurveHitPixels ? pick : -1;
    }
    return -1;
}

CurveDragState CurveDragLimits(const CurveWidgetPoint* points, int32_t count, int32_t selected,
                               int32_t size) {
    if (count < 2 || selected < 0 || selected >= count) return {0, size};
    if (selected == 0) return {0, points[1].x - kCurveMinSpacing};
    if (selected == count - 1) return {points[selected - 1].x + kCurveMinSpacing, size};
    return {points[selected - 1].x + kCurveMinSpacing, points[selected + 1].x - kCurveMinSpacing};
}

bool CurveCanAddPoint(const CurveWidgetPoint* points, int32_t count, int32_t x) {
    if (count >= kCurveMaxPoints) return false;
    for (int32_t i = 0; i < count; ++i)
        if (std::abs(points[i].x - x) <= kCurveMinSpacing) return false;
    return true;
}

CurveWidgetPoint CurveFromMouse(int32_t mouseX, int32_t mouseY, int32_t size) {
    const int32_t x = mouseX - kMouseOffsetX, y = size + kOrigin - mouseY;
    return {x < 1 ? 0 : std::min(x, size), y < 1 ? 0 : std::min(y, size)};
}

void CurveStretchLevels(bool skinned, int32_t b, int32_t c, int32_t* low, int32_t* high) {
    if (!skinned) {
        *low = kPlainStretchLow;
        *high = kPlainStretchHigh;
    } else if (b <= c) {
        *low = b;
        *high = b + int32_t(0.4 * (c - b));
    } else {
        *low = c + (b - c) / 2;
        *high = c + int32_t(0.4 * (b - c));
    }
}

int32_t DrawArrayLine(int32_t array, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      int32_t value) {
    if (!GetArrayBase(array)) return 0;
    const NumberedArray& a = gArrays[array];
    const int32_t width = a.xSize - 2 * a.border, height = a.ySize - 2 * a.border;
    const int32_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int32_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    const bool alongX = dx >= dy;
    const int32_t longer = alongX ? dx : dy, shorter = alongX ? dy : dx;
    int32_t error = 2 * shorter - longer;
    int32_t x = x1, y = y1;
    for (int32_t step = 0; step <= longer; ++step) {
        if (x >= 0 && y >= 0 && x < width && y < height) PutArrayElement(array, x, y, 0, value);
        if (error > 0) {
            alongX ? y += sy : x += sx;
            error -= 2 * longer;
        }
        error += 2 * shorter;
        alongX ? x += sx : y += sy;
    }
    return 1;
}

int32_t DrawCurveWidget(int32_t control, int32_t curvesArray, int32_t curve,
                        const int32_t* pointCounts, int32_t selected, int32_t size,
                        int32_t lutArray, int32_t overlayLutArray, int32_t workArray,
                        const int32_t overlay[6], int32_t antiAlias, int32_t labelledGrid) {
    if (size < 1 || !pointCounts || !CreateArray(lutArray, size + 1, 1, 1, 4)) return 1;
    const std::vector<CurveWidgetPoint> points = ReadPoints(curvesArray, curve, pointCounts[curve]);
    int32_t* lut = static_cast<int32_t*>(GetArrayBase(lutArray));
    CurveWidgetLookup(points.data(), int32_t(points.size()), size, lut);
    if (!BeginControlDrawing(control)) return 1;
    const CurveColours colours = WidgetColours();
    const COLORREF background = SheetColour(control);
    // The whole window: one a little larger than the panel shows no stale pixels at its edges.
    FillSurface(background);
    DrawGrid(size, labelledGrid != 0, colours);
    DrawFrame(size, colours);
    if (antiAlias)
        DrawCurveSmooth(workArray, lut, size, background, colours.curve);
    else
        DrawCurvePlain(lut, size, colours.curve);
    DrawPoints(points, selected, size, labelledGrid != 0, colours);
    if (overlay && std::any_of(overlay, overlay + 6, [](int32_t v) { return v != 0; }))
        DrawOverlay(overlayLutArray, workArray, overlay, size, antiAlias != 0);
    EndControlDrawing(control);
    return 1;
}

int32_t EditCurveWithMouse(int32_t control, int32_t event, int32_t curvesArray, int32_t curve,
                           int32_t* pointCounts, int32_t* selected, int32_t size, int32_t shiftMode,
                           int32_t readoutControl) {
    if (!pointCounts || !selected || curve < 0) return 0;
    const bool buttonDown = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    if (event == EVENT_MOUSE_ENTER || (event == EVENT_MOUSE_LEAVE && !buttonDown)) {
        Redraw(control, false);
        return 0;
    }
    CurveWidgetPoint at = {0, 0};
    MouseOverControl(control, size, at);
    ShowReadout(readoutControl, at, size);
    std::vector<CurveWidgetPoint> points = ReadPoints(curvesArray, curve, pointCounts[curve]);
    const int32_t hit = CurveHitTest(points.data(), int32_t(points.size()), at.x, at.y);
    if (hit >= 0 && hit != *selected) {
        *selected = hit;
        Redraw(control, true);
    }
    gCurveDrag = CurveDragLimits(points.data(), int32_t(points.size()), *selected, size);
    // The panel hears moves, clicks and the keyboard's Delete as the effect passes them on (a
    // key arrives as a move): what the keys and the button do is read from their state.
    const bool deleteKey = (GetKeyState(VK_BACK) & 0x8000) || (GetKeyState(VK_DELETE) & 0x8000);
    if ((event == EVENT_MOUSE_LEAVE && buttonDown) || deleteKey) {
        if (RemoveSelected(curvesArray, curve, pointCounts, selected, size)) {
            Redraw(control, false);
            RunControlAction(ACTION_PREVIEW);
        }
        return 0;
    }
    if (!buttonDown) return 1;
    return PressAt(control, curvesArray, curve, pointCounts, selected, size, shiftMode,
                   readoutControl, at, hit);
}
