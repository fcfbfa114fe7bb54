// The curve widget: a square panel showing a tone curve over a grid with its control points,
// edited with the mouse (add, drag, remove points) and read out as input -> output.
#pragma once

#include <cstdint>

constexpr int32_t kCurveMaxPoints = 16;
constexpr int32_t kCurveHitPixels = 12;    // a click this close to a point picks it
constexpr int32_t kCurveMinSpacing = 2;    // inputs of neighbouring points differ by more
constexpr int32_t kCurvePanelMargin = 10;  // the panel is size + 10 pixels square

struct CurveWidgetPoint {
    int32_t x, y;  // input and output, panel pixels 0..size
};

// What the widget needs of the render engine: the spline, the point-list edits and the blur.
// The effect installs them when its session starts; without them the widget draws straight
// segments without smoothing and does not edit.
struct CurveWidgetServices {
    // Row of max + 1 outputs through the points (sorted by input).
    void (*splineRow)(const CurveWidgetPoint* points, int32_t count, int32_t max, int32_t* row);
    // The six overlay parameters applied to the identity in row 0 of an int32 array of
    // max + 1 levels.
    void (*overlayRow)(int32_t lutArray, const int32_t parameters[6], int32_t max);
    int32_t (*sortPoints)(int32_t array, int32_t curve, int32_t count);
    int32_t (*deletePoint)(int32_t array, int32_t curve, int32_t* count, int32_t* selected,
                           int32_t max);
    int32_t (*blur)(int32_t array, int32_t radiusTenths);  // byte array, in place
};
extern CurveWidgetServices gCurveWidgetServices;

// Drag limits of the selected point; written by EditCurveWithMouse, host thread only.
struct CurveDragState {
    int32_t low, high;  // inputs the dragged point may take
};
extern CurveDragState gCurveDrag;

// --- Pure ----------------------------------------------------------------------------------
// The curve lookup of size + 1 entries: the exact diagonal for the identity curve, else the
// spline (straight segments without the service), clamped to 0..size.
void CurveWidgetLookup(const CurveWidgetPoint* points, int32_t count, int32_t size, int32_t* row);
// The point picked by a click at (x, y), -1 for none.
int32_t CurveHitTest(const CurveWidgetPoint* points, int32_t count, int32_t x, int32_t y);
// The inputs the selected point may take between its neighbours.
CurveDragState CurveDragLimits(const CurveWidgetPoint* points, int32_t count, int32_t selected,
                               int32_t size);
// Whether a new point at input x may be added: fewer than 16 points and no point's input
// within 2 pixels (equal inputs would break the spline).
bool CurveCanAddPoint(const CurveWidgetPoint* points, int32_t count, int32_t x);
// The curve coordinates of a mouse position over the panel, each clamped to 0..size.
CurveWidgetPoint CurveFromMouse(int32_t mouseX, int32_t mouseY, int32_t size);
// The low and high levels of the anti-aliasing stretch for background level b and curve level
// c; without a skin 128 and 212.
void CurveStretchLevels(bool skinned, int32_t b, int32_t c, int32_t* low, int32_t* high);
// Bresenham line of value into plane 0 of a numbered array, both ends included, clipped to
// the array. Returns 1, 0 when the array does not exist.
int32_t DrawArrayLine(int32_t array, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t value);

// --- Framework ------------------------------------------------------------------------------
int32_t DrawCurveWidget(int32_t control, int32_t curvesArray, int32_t curve,
                        const int32_t* pointCounts, int32_t selected, int32_t size,
                        int32_t lutArray, int32_t overlayLutArray, int32_t workArray,
                        const int32_t overlay[6], int32_t antiAlias, int32_t labelledGrid);
int32_t EditCurveWithMouse(int32_t control, int32_t event, int32_t curvesArray, int32_t curve,
                           int32_t* pointCounts, int32_t* selected, int32_t size, int32_t shiftMode,
                           int32_t readoutControl);
