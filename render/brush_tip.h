// The brush tip: a square byte array with a disc of full effect (0) that fades out to no
// effect (255) over a feather set by the hardness.
#pragma once

#include <cstdint>

// Side, centre, inner radius and feather of a tip of radius r and hardness h.
struct BrushTipShape {
    int32_t side;    // of the square array
    int32_t centre;  // index of the centre along both axes
    int32_t innerRadius;
    int32_t feather;
};
// Hardness is held to 0..100: above 100 the array would be smaller than the disc.
BrushTipShape BrushTipShapeFor(int32_t radius, int32_t hardness);

// Builds the tip in numbered array n (bytes). Returns 1, 0 when the array cannot be made.
int32_t MakeBrushTip(int32_t n, int32_t radius, int32_t hardness);
