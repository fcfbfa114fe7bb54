// Jobs of the render hook that work on whole field arrays.

#include "render/effect_jobs.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/numbered_arrays.h"
#include "host/pool_jobs.h"
#include "render/blur.h"

namespace {
constexpr int32_t kFieldLevels = 32769;
}  // namespace

void RunEffectJob(const FieldGeometry& g, ThreadRoutine routine, bool barrier) {
    if (g.thumbnails)
        RunPoolRoutine(routine, g.multiProcessor, barrier);
    else
        RunParallel(routine, g.multiProcessor, 0, 0, barrier);
}

void BlurFieldArray(const FieldGeometry& g, int32_t n, int32_t radiusTenths) {
    if (radiusTenths <= 0) return;
    if (!g.thumbnails) {
        RecursiveBlurMT(n, radiusTenths, g.multiProcessor ? 1 : 0, 0);
        return;
    }
    gJob.poolParameters[1] = n;
    gJob.poolParameters[2] = radiusTenths;
    gJob.poolParameters[3] = 0;
    RunPoolRoutine(RecursiveBlurPass1Job, g.multiProcessor, false);
    RunPoolRoutine(RecursiveBlurPass2Job, g.multiProcessor, false);
}

void FieldStretchRange(int32_t n, int32_t& low, int32_t& high) {
    low = 0;
    high = kFieldLevels - 1;
    const NumberedArray& a = gArrays[n];
    if (!a.base || a.elementBytes != 2) return;
    std::vector<int64_t> bins(kFieldLevels, 0);
    const uint16_t* data = reinterpret_cast<const uint16_t*>(a.base);
    const int64_t count = int64_t(a.xSize) * a.ySize;
    for (int64_t i = 0; i < count; ++i) ++bins[std::min<int32_t>(data[i * a.zSize], 32768)];
    double threshold = count / 200.0;
    if (threshold == 0.0) threshold = 1.0;
    int64_t sum = 0;
    for (low = 0; low < kFieldLevels - 1; ++low)
        if ((sum += bins[size_t(low)]) > threshold) break;
    sum = 0;
    for (high = kFieldLevels - 1; high > 0; --high)
        if ((sum += bins[size_t(high)]) > threshold) break;
}

void NormaliseField(const FieldGeometry& g, int32_t n, int32_t low, int32_t high) {
    gJob.poolParameters[1] = n;
    gJob.poolParameters[2] = low;
    gJob.poolParameters[3] = high;
    RunEffectJob(g, NormaliseRangeJob, false);
}

int32_t FieldBlurRadius(double amount, int32_t zoom) {
    const int32_t z = std::max(zoom, 1);
    return int32_t(std::floor((amount * 2.0 + z) / (z * 2.0)));
}
