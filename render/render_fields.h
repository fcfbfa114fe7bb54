// The fields the render hook makes before the pipeline runs: the blurred and stretched grain
// field and the shaped frame's bands. Both are rectangle-sized arrays of 0..32768.
#pragma once

#include <cstdint>

#include "render/render_rows.h"

// The frame's three nested rectangles in image coordinates (right and bottom inclusive):
// outer, border and inside, each inside the one before by its band's width.
struct FrameRects {
    int32_t left[3], top[3], right[3], bottom[3];
};
FrameRects FrameRectsFor(int32_t width, int32_t height, int32_t outside, int32_t border,
                         int32_t inside);

// The frame's contrast (-100..100) from its softness s and roundness r: the share of the
// blurred bands' range its stretch keeps.
int32_t FrameContrast(int32_t s, int32_t r);

// Channel 0's stretch bounds of a 2-byte field: the first level from each end at which the
// running count passes 0.5 % of the pixels (1 pixel for an empty field).
void FieldStretchBounds(int32_t array, int64_t pixels, int32_t* low, int32_t* high);

// Edge grid of the shaped frame: cell size and grid size for the whole image (W x H), at
// least one cell of one pixel.
void FrameGridSize(int32_t wholeWidth, int32_t wholeHeight, int32_t frameSize, bool rectangular,
                   int32_t* gridWidth, int32_t* gridHeight);

// Both return false when an array could not be made. A field of 2-byte elements is left
// blurred but not stretched: its readers map each stored value through FieldStretchLevels.

bool PrepareGrainField(const RenderPlan& plan, const int32_t* controlValues, int32_t wholeWidth,
                       int32_t wholeHeight);
bool PrepareFrameField(const RenderPlan& plan, const int32_t* controlValues, int32_t imageWidth,
                       int32_t imageHeight, int32_t wholeWidth, int32_t wholeHeight);
// The stretch of field `array` (ARRAY_GRAIN or ARRAY_FRAME) made by its Prepare for the
// array's present block: levels[v] is the value of stored value v (0..65535). Null when the
// field holds its values as they are (no stretch, thumbnails, or an array made otherwise).
const uint16_t* FieldStretchLevels(int32_t array);
// Forgets both fields' stretches: an array filled by other means holds its values as they are.
void RenderFieldsReset();
