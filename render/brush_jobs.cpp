// Brush stroke and colour-distance mask jobs of the worker pool, with their parameter
// records.

#include "render/brush_jobs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "render/toning.h"

BrushStrokeParameters gBrushStroke;
ColorDistanceParameters gColorDistance;

namespace {
struct ByteArray {
    uint8_t* base;  // element (0, 0) inside the border
    int32_t width, height;
    int64_t rowBytes;
};

// Arrays of one byte per element and one channel, as the brush layer, mask and tip are.
bool ByteArrayOf(int32_t n, ByteArray& out) {
    if (n < 0 || n >= kArrayCount) return false;
    const NumberedArray& a = gArrays[n];
    if (!a.base || a.elementBytes != 1 || a.zSize != 1) return false;
    out.width = a.xSize - 2 * a.border;
    out.height = a.ySize - 2 * a.border;
    out.rowBytes = a.xSize;
    out.base = a.base + int64_t(a.border) * a.xSize + a.border;
    return out.width > 0 && out.height > 0;
}

// The tip's value covering (column, row) of a stamp centred at (x, y). A tip made for
// another radius than the stroke's is read at its nearest cell, never beside it.
int32_t TipValue(const ByteArray& tip, int32_t radius, int32_t x, int32_t y, int32_t column,
                 int32_t row) {
    const int32_t tx = std::clamp(column - x + radius, 0, tip.width - 1);
    const int32_t ty = std::clamp(row - y + radius, 0, tip.height - 1);
    return tip.base[int64_t(ty) * tip.rowBytes + tx];
}

void Stamp(const ByteArray& layer, const ByteArray& tip, int32_t x, int32_t y, int32_t threadIndex,
           int32_t threadCount) {
    const BrushStrokeParameters& p = gBrushStroke;
    const int32_t r = std::max(p.radius, 1), o = p.opacity;
    int32_t left = 0, top = 0, right = layer.width - 1, bottom = layer.height - 1;
    if (gContext.storedTileSizeOn) {
        left = std::max(gContext.currentLeft, 0);
        top = std::max(gContext.currentTop, 0);
        right = std::min(gContext.currentRight - 1, right);
        bottom = std::min(gContext.currentBottom - 1, bottom);
    }
    const int32_t firstRow = std::max(top, y - r), lastRow = std::min(y + r, bottom);
    const int32_t firstColumn = std::max(left, x - r), lastColumn = std::min(x + r, right);
    // Rows by image row index: every stamp of the path splits its rows the same way, so two
    // threads never write one pixel.
    int32_t row = firstRow + ((threadIndex - firstRow) % threadCount + threadCount) % threadCount;
    for (; row <= lastRow; row += threadCount) {
        uint8_t* line = layer.base + int64_t(row) * layer.rowBytes;
        for (int32_t column = firstColumn; column <= lastColumn; ++column) {
            const int32_t l = line[column];
            const int32_t b = TipValue(tip, r, x, y, column, row);
            const int32_t v = p.paint ? 255 - ((255 - l) * b) / 255 : (b * l) / 255;
            const int32_t value = ((((r - 1) * l + v) / r) * (100 - o) + v * o) / 100;
            line[column] = uint8_t(std::clamp(value, 0, 255));
        }
    }
}
}  // namespace

int32_t BrushStrokeOpacity(int32_t hardness) {
    return (hardness * 80) / 100 + 10;
}

int32_t BrushStrokeRadius(int32_t opacity, int32_t size) {
    // (100 - o) / 100 is taken as a real fraction: a softer brush (lower opacity) reaches up
    // to 1.9 times its size. In integers it would always be 0 and the hardness could not
    // widen the brush at all.
    return int32_t(std::trunc(((100 - opacity) / 100.0 + 1.0) * size));
}

int32_t BrushStrokeStep(int32_t radius) {
    return std::max(1, radius / 8);
}

int32_t BrushStrokeJob(int32_t threadIndex) {
    const BrushStrokeParameters& p = gBrushStroke;
    ByteArray layer, tip;
    if (!ByteArrayOf(p.layerArray, layer) || !ByteArrayOf(p.tipArray, tip)) return 0;
    const int32_t n = std::max(gJob.threadCount, 1);
    const int32_t s = BrushStrokeStep(p.radius);
    const int32_t dx = std::abs(p.x1 - p.x0), dy = std::abs(p.y1 - p.y0);
    const int32_t sx = p.x1 > p.x0 ? s : -s, sy = p.y1 > p.y0 ? s : -s;
    int32_t e = 2 * (dx - dy), x = p.x0, y = p.y0;
    // The walk ends within one step of the end point after about max(dx, dy) / s stamps;
    // the bound only guards against a walk that would pass it.
    const int32_t maxStamps = std::max(dx, dy) / s + 3;
    for (int32_t stamps = 0; stamps < maxStamps; ++stamps) {
        Stamp(layer, tip, x, y, threadIndex, n);
        if (std::abs(x - p.x1) <= s - 1 && std::abs(y - p.y1) <= s - 1) break;
        const int32_t before = e;
        if (before > -dy) {
            e -= 2 * dy;
            x += sx;
        }
        if (before < dx) {
            e += 2 * dx;
            y += sy;
        }
    }
    return 1;
}

int32_t ColorDistanceMaskJob(int32_t threadIndex) {
    const ColorDistanceParameters& p = gColorDistance;
    ByteArray mask, layer;
    if (!ByteArrayOf(p.maskArray, mask) || !ByteArrayOf(p.layerArray, layer)) return 1;
    const int32_t n = std::max(gJob.threadCount, 1);
    const int32_t width = std::min(mask.width, layer.width);
    const int32_t height = std::min(mask.height, layer.height);
    const int32_t span = p.amount != 0 ? 6375 / p.amount : 0;
    const int32_t low = ((p.tolerance + 100) * span) / 200 - 1;
    const bool screen = p.combine == 2;
    const Rgb picked = ColourOfValue(p.colour);
    const bool sixteen = IsSixteenBitMode(gContext.imageMode);
    GetPixelProc source = gContext.accessors.getSourcePixel;
    if (!source) source = AccessorTableForMode(gContext.imageMode).getSourcePixel;
    for (int32_t y = threadIndex; y < height; y += n) {
        uint8_t* maskRow = mask.base + int64_t(y) * mask.rowBytes;
        const uint8_t* layerRow = layer.base + int64_t(y) * layer.rowBytes;
        for (int32_t x = 0; x < width; ++x) {
            int32_t u = layerRow[x], c = u;
            if (p.amount != 0) {
                if (screen) u = 255 - u;
                const int32_t d = sixteen ? 128 : 1;
                const int32_t m = std::max({std::abs(source(x, y, 0) / d - picked.r),
                                            std::abs(source(x, y, 1) / d - picked.g),
                                            std::abs(source(x, y, 2) / d - picked.b)});
                const int32_t w = std::clamp(((m - low) * 255) / (span - low), 0, 255);
                c = 255 - ((255 - w) * (255 - u)) / 255;
                if (screen) c = 255 - c;
            }
            const int32_t old = maskRow[x];
            const int32_t q = screen ? 255 - ((255 - c) * (255 - old)) / 255 : (c * old) / 255;
            const int32_t result =
                p.opacity == 100 ? q : (q * p.opacity + (100 - p.opacity) * old) / 100;
            maskRow[x] = uint8_t(std::clamp(result, 0, 255));
        }
    }
    return 1;
}

void BrushStrokeRoutine(int32_t threadIndex) {
    BrushStrokeJob(threadIndex);
}

void ColorDistanceMaskRoutine(int32_t threadIndex) {
    ColorDistanceMaskJob(threadIndex);
}
