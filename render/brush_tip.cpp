// The brush tip: the hard disc, its feather blurred on all processors, and the cut beyond the
// feather that keeps the blur's tail out of the stroke.

#include "render/brush_tip.h"

#include <algorithm>
#include <cmath>

#include "host/numbered_arrays.h"
#include "render/blur.h"

namespace {
constexpr int32_t kNoEffect = 255;
// Above this feather the kernel blur gets slow and the recursive one takes over.
constexpr int32_t kKernelBlurFeatherLimit = 61;

int64_t Square(int64_t v) {
    return v * v;
}
}  // namespace

BrushTipShape BrushTipShapeFor(int32_t radius, int32_t hardness) {
    const int32_t r = std::max(radius, 0);
    const int32_t h = std::clamp(hardness, 0, 100);
    const double spread = (100 - h) / 100.0 + 1.0;
    BrushTipShape shape;
    shape.side = int32_t(std::trunc(2.0 * spread * r + 1.0));
    shape.centre = int32_t(std::trunc(r * spread));
    shape.innerRadius = r - (r / 2 * (100 - h)) / 100;
    shape.feather = (r / 4 * (100 - h)) / 100;
    return shape;
}

int32_t MakeBrushTip(int32_t n, int32_t radius, int32_t hardness) {
    const int32_t r = std::max(radius, 0);
    const int32_t h = std::clamp(hardness, 0, 100);
    const BrushTipShape s = BrushTipShapeFor(r, h);
    if (!CreateArray(n, s.side, s.side, 1, 1)) return 0;
    SetAllArrayElements(n, kNoEffect);
    const int32_t ri = s.innerRadius;
    for (int32_t dy = -ri; dy <= ri; ++dy)
        for (int32_t dx = -ri; dx <= ri; ++dx)
            if (Square(dx) + Square(dy) < Square(ri))
                PutArrayElement(n, s.centre + dx, s.centre + dy, 0, 0);
    if (h >= 100) return 1;
    if (s.feather < kKernelBlurFeatherLimit)
        GaussianBlurMT(n, 10 * s.feather, 0, 1);
    else
        RecursiveBlurMT(n, 10 * s.feather, 1, 1);
    const int64_t limit = Square(r + s.feather);
    for (int32_t y = 0; y < s.side; ++y)
        for (int32_t x = 0; x < s.side; ++x)
            if (Square(x - s.centre) + Square(y - s.centre) >= limit)
                PutArrayElement(n, x, y, 0, kNoEffect);
    return 1;
}
