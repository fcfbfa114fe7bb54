// Whole-array work of the render hook for the grain and frame fields: jobs on every thread of
// the render, field blurs and the stretch of a field's range.
#pragma once

#include <cstdint>

#include "host/worker_threads.h"

// Where the fields are made: the current rectangle and the image around it.
struct FieldGeometry {
    int32_t left, top, right, bottom;  // current rectangle, image coordinates, exclusive
    int32_t X, Y;                      // the image at the preview's scale
    int32_t W, H;                      // the whole image as the host reports it
    int32_t zoom;                      // zoomReduction, 1 for the final image
    bool thumbnails;                   // on the worker pool (preset thumbnails)
    bool multiProcessor;               // CTL_MULTI_CPU_OFF is 0
};

// Runs routine on one thread per processor (or one), or on the worker pool while thumbnails
// render. barrier: the routine meets at ThreadBarrier.
void RunEffectJob(const FieldGeometry& geometry, ThreadRoutine routine, bool barrier);
// Blurs every channel of array n with the recursive blur, radius in tenths of a pixel.
void BlurFieldArray(const FieldGeometry& geometry, int32_t n, int32_t radiusTenths);
// The levels of channel 0 of a 2-byte field at which the count from each end first exceeds
// 0.5 % of its elements (at least one element): low from 0 upward, high from 32768 down.
// Values above 32768 count as 32768.
void FieldStretchRange(int32_t n, int32_t& low, int32_t& high);
// Maps low..high of every element of array n onto the element range (NormaliseRangeJob).
void NormaliseField(const FieldGeometry& geometry, int32_t n, int32_t low, int32_t high);
// Radius of a field blur at zoom z: floor((amount * 2 + z) / (2 z)).
int32_t FieldBlurRadius(double amount, int32_t zoom);
