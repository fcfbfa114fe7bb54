// Reading numbered arrays and the source image at fractional positions, by one of five
// interpolation modes.
#pragma once

#include <cstdint>
#include <vector>

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

// Array n's plane z resampled by the spline, row by row: row y gives, for x = firstX ..
// firstX + count - 1, the values of SampleArray(n, scaleX * x, scaleY * y, z, SAMPLE_SPLINE).
// Each source row's interpolation along x is made once and kept while the output rows that
// need it are sampled, so rows should come in rising order. One sampler per thread.
struct SplineRowSampler {
    int32_t n, z;
    int32_t count;
    double scaleY;
    int32_t minX, maxX, minY, maxY;  // cell bounds, border cells included
    std::vector<int32_t> cellX;      // per output column: the cell left of the position
    std::vector<double> fractionX;
    int32_t cachedRow[4];           // source rows held below; INT32_MIN: none
    std::vector<double> cached[4];  // the rows interpolated along x
};
// False when the array or plane does not exist (the sampler then gives nothing).
bool SplineRowSamplerInit(SplineRowSampler& sampler, int32_t n, int32_t z, double scaleX,
                          double scaleY, int32_t firstX, int32_t count);
// Writes the count values of output row y.
void SplineRowSample(SplineRowSampler& sampler, int32_t y, int32_t* out);
