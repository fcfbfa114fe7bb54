// Tone curves: the natural cubic spline through a curve's points written into a lookup row,
// the point-list edits of the curve widget, and the slider bends of a finished row.
#pragma once

#include <cstdint>

// One point of a curve: input level x, output level y.
struct CurvePoint {
    int32_t x;
    int32_t y;
};

// Natural cubic spline through points (at least one; sorted by x, equal x collapsed to the
// first of them) evaluated for every level 0..max into row[0..max]. Levels at or outside the
// end points take the end points' outputs; every value is truncated and clamped to 0..max.
// No points give the identity row.
void SplineEvaluateRow(const CurvePoint* points, int32_t count, int32_t max, int32_t* row);

// Points array: int32 elements at (point i, coordinate c, curve k), c = 0 input, 1 output.
// Writes the spline through the first count points of curve k into row lutRow of lutArray
// (one int32 per level 0..max). 1 written; 0 when the lookup array or the points array has
// no storage, or the lookup array is not int32 or has fewer than max + 1 levels or lutRow
// rows.
int32_t SplineSecondDerivatives(int32_t pointsArray, int32_t curve, int32_t count, int32_t lutArray,
                                int32_t lutRow, int32_t max);

// Shell sort of the first count points of curve k by input level; returns 1.
int32_t SortCurvePoints(int32_t pointsArray, int32_t curve, int32_t count);

// Removes the selected point of curve k. The first and last points are never removed: they
// are reset to (0, 0) and (max, max). 0 when the selection lies outside 0..count - 1.
int32_t DeleteCurvePoint(int32_t pointsArray, int32_t curve, int32_t* count, int32_t* selected,
                         int32_t max);

// The sliders of a tone group applied to row `row` of lutArray (levels 0..max), in the order
// brightness, shadows, highlights (the shadows value when link is set), exposure, intensity;
// each only when its amount is not 0. Uses scratchPoints (4 x 2 int32) and scratchLut
// (max + 1 int32), (re)created here. 0 when the lookup array has no usable row, else 1.
int32_t CurveToLut(int32_t lutArray, int32_t row, int32_t scratchPoints, int32_t scratchLut,
                   int32_t max, int32_t intensity, int32_t brightness, int32_t shadows,
                   int32_t highlights, int32_t link, int32_t exposure);
