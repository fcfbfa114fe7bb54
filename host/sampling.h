// Reading numbered arrays and the source image at fractional positions, by one of five
// interpolation modes.
#pragma once

#include <cstdint>

enum SampleMode : int32_t {
    SAMPLE_NEAREST = 0,   // the cell at the position, rounded down
    SAMPLE_SQUARED = 1,   // two-by-two blend, weights t * t
    SAMPLE_COSINE = 2,    // two-by-two blend, weights (1 - cos(pi t)) / 2
    SAMPLE_BILINEAR = 3,  // two-by-two blend, weights t
    SAMPLE_SPLINE = 4,    // natural cubic spline through four cells, along x then along y
};

// Array n at (x, y), plane z. Positions are clamped to the array (border cells included);
// neighbours outside repeat the edge cell. 0 for an absent array, a plane outside
// 0..zsize-1 or a mode outside 0..4. The result is truncated toward zero.
int32_t SampleArray(int32_t n, double x, double y, int32_t z, int32_t mode);
// The source image at (x, y), clamped to the image and to what the host delivered, 8 or 16
// bits by image mode. 0 for a channel outside 0..Z-1 or a mode outside 0..4.
int32_t SampleSource(double x, double y, int32_t channel, int32_t mode);
