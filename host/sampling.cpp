// Interpolated reads of arrays and of the source image. Both share one sampler over a cell
// reader that clamps its own coordinates.

#include "host/sampling.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/pixel_access.h"

namespace {
constexpr double kPi = 3.1415927;  // the cosine blend's constant, as the effect was tuned with

// A rectangle of cells (inclusive bounds) and a reader for cells inside it.
struct CellGrid {
    int32_t minX, maxX, minY, maxY;
    int32_t (*read)(const void* context, int32_t x, int32_t y);
    const void* context;
};

int32_t Cell(const CellGrid& grid, int32_t x, int32_t y) {
    return grid.read(grid.context, std::clamp(x, grid.minX, grid.maxX),
                     std::clamp(y, grid.minY, grid.maxY));
}

double Weight(int32_t mode, double t) {
    switch (mode) {
        case SAMPLE_SQUARED:
            return t * t;
        case SAMPLE_COSINE:
            return (1.0 - std::cos(kPi * t)) / 2.0;
        default:
            return t;
    }
}

// The natural cubic spline through p0..p3 (second derivatives zero at p0 and p3), between
// p1 and p2 at fraction t.
double SplineSegment(const double p[4], double t) {
    const double e = p[0] - 2.0 * p[1] + p[2];
    const double f = p[1] - 2.0 * p[2] + p[3];
    const double s = 1.0 - t;
    return s * p[1] + t * p[2] +
           ((e - f / 4.0) * (s * s * s - s) + (f - e / 4.0) * (t * t * t - t)) / 3.75;
}

// Splits a position into its cell (rounded down, so that the fraction stays in 0..1 also
// for border cells) and fraction, after clamping it into the grid.
void SplitPosition(double position, int32_t low, int32_t high, int32_t& cell, double& fraction) {
    if (!std::isfinite(position)) position = low;
    position = std::clamp(position, double(low), double(high));
    const double whole = std::floor(position);
    cell = int32_t(whole);
    fraction = position - whole;
}

int32_t Sample(const CellGrid& grid, double x, double y, int32_t mode) {
    int32_t x0 = 0, y0 = 0;
    double tx = 0.0, ty = 0.0;
    SplitPosition(x, grid.minX, grid.maxX, x0, tx);
    SplitPosition(y, grid.minY, grid.maxY, y0, ty);
    if (mode == SAMPLE_NEAREST) return Cell(grid, x0, y0);
    double value = 0.0;
    if (mode == SAMPLE_SPLINE) {
        double rows[4];
        for (int j = 0; j < 4; ++j) {
            double p[4];
            for (int i = 0; i < 4; ++i) p[i] = Cell(grid, x0 - 1 + i, y0 - 1 + j);
            rows[j] = SplineSegment(p, tx);
        }
        value = SplineSegment(rows, ty);
    } else {
        const double wx = Weight(mode, tx), wy = Weight(mode, ty);
        value = (1 - wx) * (1 - wy) * Cell(grid, x0, y0) + wx * (1 - wy) * Cell(grid, x0 + 1, y0) +
                (1 - wx) * wy * Cell(grid, x0, y0 + 1) + wx * wy * Cell(grid, x0 + 1, y0 + 1);
    }
    return int32_t(std::trunc(value));
}

struct ArrayPlane {
    int32_t n, z;
};
int32_t ReadArrayCell(const void* context, int32_t x, int32_t y) {
    const ArrayPlane& plane = *static_cast<const ArrayPlane*>(context);
    return GetArrayElement(plane.n, x, y, plane.z);
}

int32_t ReadSourceCell8(const void* context, int32_t x, int32_t y) {
    return GetSourcePixel8(x, y, *static_cast<const int32_t*>(context));
}
int32_t ReadSourceCell16(const void* context, int32_t x, int32_t y) {
    return GetSourcePixel16(x, y, *static_cast<const int32_t*>(context));
}
}  // namespace

int32_t SampleArray(int32_t n, double x, double y, int32_t z, int32_t mode) {
    if (mode < SAMPLE_NEAREST || mode > SAMPLE_SPLINE || n < 0 || n >= kArrayCount) return 0;
    const NumberedArray& array = gArrays[n];
    if (!array.base || z < 0 || z >= array.zSize) return 0;
    const ArrayPlane plane = {n, z};
    const CellGrid grid = {-array.border, array.xSize - array.border - 1,
                           -array.border, array.ySize - array.border - 1,
                           ReadArrayCell, &plane};
    return Sample(grid, x, y, mode);
}

int32_t SampleSource(double x, double y, int32_t channel, int32_t mode) {
    if (mode < SAMPLE_NEAREST || mode > SAMPLE_SPLINE) return 0;
    if (channel < 0 || channel >= gContext.Z || gContext.X < 1 || gContext.Y < 1) return 0;
    const CellGrid grid = {
        0,
        gContext.X - 1,
        0,
        gContext.Y - 1,
        IsSixteenBitMode(gContext.imageMode) ? ReadSourceCell16 : ReadSourceCell8,
        &channel};
    return Sample(grid, x, y, mode);
}

namespace {
// Source row `row` interpolated along x at every output column, from the cache; a row made
// here takes the slot of a row that `needed` (the four rows of this output row) leaves out.
const double* InterpolatedRow(SplineRowSampler& s, int32_t row, const int32_t needed[4]) {
    for (int32_t k = 0; k < 4; ++k)
        if (s.cachedRow[k] == row) return s.cached[k].data();
    int32_t slot = 0;
    while (slot < 3 && std::find(needed, needed + 4, s.cachedRow[slot]) != needed + 4) ++slot;
    s.cachedRow[slot] = row;
    double* values = s.cached[slot].data();
    for (int32_t i = 0; i < s.count; ++i) {
        double p[4];
        for (int32_t k = 0; k < 4; ++k)
            p[k] = GetArrayElement(s.n, std::clamp(s.cellX[size_t(i)] - 1 + k, s.minX, s.maxX), row,
                                   s.z);
        values[i] = SplineSegment(p, s.fractionX[size_t(i)]);
    }
    return values;
}
}  // namespace

bool SplineRowSamplerInit(SplineRowSampler& s, int32_t n, int32_t z, double scaleX, double scaleY,
                          int32_t firstX, int32_t count) {
    if (n < 0 || n >= kArrayCount || count < 0) return false;
    const NumberedArray& array = gArrays[n];
    if (!array.base || z < 0 || z >= array.zSize) return false;
    s.n = n;
    s.z = z;
    s.count = count;
    s.scaleY = scaleY;
    s.minX = -array.border;
    s.maxX = array.xSize - array.border - 1;
    s.minY = -array.border;
    s.maxY = array.ySize - array.border - 1;
    s.cellX.resize(size_t(count));
    s.fractionX.resize(size_t(count));
    for (int32_t i = 0; i < count; ++i)
        SplitPosition(scaleX * (firstX + i), s.minX, s.maxX, s.cellX[size_t(i)],
                      s.fractionX[size_t(i)]);
    for (int32_t k = 0; k < 4; ++k) {
        s.cachedRow[k] = INT32_MIN;
        s.cached[k].assign(size_t(count), 0.0);
    }
    return true;
}

void SplineRowSample(SplineRowSampler& s, int32_t y, int32_t* out) {
    int32_t y0 = 0;
    double ty = 0.0;
    SplitPosition(s.scaleY * y, s.minY, s.maxY, y0, ty);
    int32_t needed[4];
    for (int32_t j = 0; j < 4; ++j) needed[j] = std::clamp(y0 - 1 + j, s.minY, s.maxY);
    const double* rows[4];
    for (int32_t j = 0; j < 4; ++j) rows[j] = InterpolatedRow(s, needed[j], needed);
    for (int32_t i = 0; i < s.count; ++i) {
        const double column[4] = {rows[0][i], rows[1][i], rows[2][i], rows[3][i]};
        out[i] = int32_t(std::trunc(SplineSegment(column, ty)));
    }
}
