// The frame of the last pass: three nested bands (outside, border, inside) painted in the
// two frame colours, as plain rectangles or, for a shaped frame, by the frame field that the
// render hook makes (ARRAY_FRAME).
#pragma once

#include <cstdint>

#include "render/array_view.h"
#include "render/pixel_weights.h"

// The three rectangles (outer, border, inside) with their edges, image coordinates.
struct FrameBands {
    int32_t left[3], top[3], right[3], bottom[3];
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
    const uint16_t* fieldLevels;   // the field's stretch (FieldStretchLevels), null for none
};

// The plain frame's rectangles of an X x Y image: at least a one-pixel outer band, each
// band kept inside the one around it; thumbnails shift the left and top edges by 1 plus the
// rectangle's corner.
FrameBands PlainFrameBands(const int32_t* controlValues, int32_t X, int32_t Y, bool thumbnails,
                           int32_t left, int32_t top);

Frame FrameFromControls(const int32_t* controlValues, const BitDepth& depth, int32_t X, int32_t Y,
                        bool thumbnails, int32_t left, int32_t top);
// The frame on pixel p at image position (x, y), (column, row) of the rectangle.
void ApplyFrame(const Frame& frame, int32_t x, int32_t y, int32_t column, int32_t row, Rgb& p);
// Channel c of the shaped frame's field (0..32768) at columns column .. column + count - 1 of
// row `row` of the rectangle, clamped into the field, into out. Only with a field.
void FrameFieldRow(const Frame& frame, int32_t column, int32_t row, int32_t c, int32_t count,
                   int32_t* out);
