// The pool jobs of the selective brush: stamping the brush tip along the mouse path into the
// brush layer, and turning the layer into the effect mask, limited by the distance of each
// pixel's colour to a picked colour. Thread t takes the image rows t, t + N, ...
#pragma once

#include <cstdint>

// The stroke's parameters: written by the control-event handler before the job runs,
// read-only while it runs.
struct BrushStrokeParameters {
    int32_t layerArray;      // the brush layer (ARRAY_BRUSH_STROKE): one byte an image pixel
    int32_t tipArray;        // the brush tip (ARRAY_BRUSH_TIP): 0 covered .. 255 outside
    int32_t x0, y0, x1, y1;  // start and end of the path, image pixels
    int32_t opacity;         // 10..90
    int32_t radius;          // tip radius, pixels
    int32_t paint;           // 1 paint, 0 erase
};

// The mask's parameters: likewise.
struct ColorDistanceParameters {
    int32_t maskArray;   // the effect mask (ARRAY_BRUSH_MASK)
    int32_t layerArray;  // the brush layer
    int32_t opacity;     // CTL_BRUSH_OPACITY 0..100
    int32_t combine;     // 1 multiply (layer filled with 255), 2 screen (layer filled with 0)
    int32_t colour;      // picked colour, red in the low byte
    int32_t amount;      // CTL_BRUSH_AMOUNT 0..100; 0 uses the layer as it is
    int32_t tolerance;   // CTL_BRUSH_TOLERANCE -100..100
};

extern BrushStrokeParameters gBrushStroke;
extern ColorDistanceParameters gColorDistance;

// The stroke's opacity and radius from the hardness and size controls.
int32_t BrushStrokeOpacity(int32_t hardness);
int32_t BrushStrokeRadius(int32_t opacity, int32_t size);
// Distance between stamps: a radius / 8, at least 1.
int32_t BrushStrokeStep(int32_t radius);

// Stamps the tip along the path of gBrushStroke. 1 done; 0 when the layer or the tip has no
// storage.
int32_t BrushStrokeJob(int32_t threadIndex);
// Rebuilds the rows of the mask from the layer by gColorDistance. Returns 1.
int32_t ColorDistanceMaskJob(int32_t threadIndex);
// The jobs as pool routines (RunPoolRoutine).
void BrushStrokeRoutine(int32_t threadIndex);
void ColorDistanceMaskRoutine(int32_t threadIndex);
