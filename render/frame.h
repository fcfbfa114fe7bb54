// The frame of the last pass: three nested bands (outside, border, inside) painted in the
// two frame colours, either as plain rectangles or from the frame field, whose edges the
// render hook shapes with a pattern and softens with a blur.
#pragma once

#include <cstdint>

#include "render/array_view.h"
#include "render/effect_jobs.h"
#include "render/pixel_weights.h"

// A rectangle with its edges included: a pixel is outside when x < left or x > right (or
// likewise in y). Widths of m * control / 4000 pixels then give bands exactly that wide.
struct FrameBox {
    int32_t left, top, right, bottom;
};

struct FrameBands {
    FrameBox outer, border, inside;
};

// Per-render values; built on the host's thread, read by every worker.
struct Frame {
    bool on;  // CTL_FRAME_INTENSITY not 0
    BitDepth depth;
    int32_t intensity;     // 0..100
    Rgb colour1, colour2;  // on the level scale
    bool borderOnly;
    bool outside, border, inside;  // the bands whose width controls are not 0
    FrameBands bands;              // plain frame, corrected
    ArrayView field;               // ARRAY_FRAME of the shaped frame; else empty
};

// The three rectangles of an X x Y image, m = min(X, Y): each band m * control / 4000 wide,
// right and bottom edges at X - 1 and Y - 1 less the widths so far.
FrameBands FrameBandsOf(const int32_t* controlValues, int32_t X, int32_t Y);
// The plain frame's rectangles: at least a one-pixel outer band, each band kept inside the
// one around it; thumbnails shift the left and top edges by 1 plus the rectangle's corner.
FrameBands PlainFrameBands(const int32_t* controlValues, int32_t X, int32_t Y, bool thumbnails,
                           int32_t left, int32_t top);
// Whether the frame is shaped (edge pattern, roundness or softness through the frame field).
bool ShapedFrame(const int32_t* controlValues);

// Makes ARRAY_FRAME for the current rectangle when the frame is on and shaped (releases it
// otherwise). False when an array could not be made.
bool PrepareFrameField(const FieldGeometry& geometry, const int32_t* controlValues);
// The contrast of the softened edge from the softness and roundness controls.
int32_t FrameEdgeContrast(int32_t softness, int32_t roundness);

Frame FrameFromControls(const int32_t* controlValues, const BitDepth& depth, int32_t X, int32_t Y,
                        bool thumbnails, int32_t left, int32_t top);
// The frame on pixel p at image position (x, y), (column, row) of the rectangle.
void ApplyFrame(const Frame& frame, int32_t x, int32_t y, int32_t column, int32_t row, Rgb& p);
