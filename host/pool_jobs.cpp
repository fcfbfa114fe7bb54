// The pool's built-in jobs. They write numbered arrays directly, each thread only its own
// rows, after checking once that the array holds what the job will write.

#include "host/pool_jobs.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/effect_context.h"
#include "host/maths_builtins.h"
#include "host/numbered_arrays.h"
#include "host/random_source.h"
#include "host/sampling.h"
#include "host/worker_threads.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr uint32_t kGrainSeedStride = 4095;

int32_t Parameter(int i) {
    return gJob.poolParameters[i];
}

// The cosine and sine of one angle side by side: a grain value reads both, and the tables are
// far larger than the processor's nearest caches, so that one line brought in serves both.
struct GrainAngle {
    double cosine, sine;
};

// The parts of a Box-Muller pair that depend on one 15-bit draw each: the radius of the first
// draw, the cosine and sine of the angle of the second. Made once; the same doubles the
// formula gives, read from memory instead of computed for every value.
struct GrainTables {
    double radius[kRandomMax + 1];
    GrainAngle angle[kRandomMax + 1];
};

const GrainTables& Grain() {
    static const GrainTables* tables = [] {
        auto* t = new GrainTables;
        for (int32_t d = 0; d <= kRandomMax; ++d) {
            double u1 = d / 32767.0;
            if (u1 == 0.0) u1 = 1.0;
            t->radius[d] = std::sqrt(-2.0 * std::log(u1));
            const double angle = d / 32767.0 * kTwoPi;
            t->angle[d] = {std::cos(angle), std::sin(angle)};
        }
        return t;
    }();
    return *tables;
}

// The square root of half the levels, which scales every grain value: correctly rounded,
// so the value kept for the two depths is the one computing it would give.
double HalfRoot(int32_t half) {
    static const double kRoot8 = std::sqrt(127.0);
    if (half == 127) return kRoot8;
    if (half == 16384) return 128.0;
    return std::sqrt(double(half));
}

// A Box-Muller pair from two draws, the cosine half scaled to the grain's spread and the
// sine half added as a fixed fine texture.
int32_t GrainNoiseFrom(uint32_t& state, int32_t max) {
    const GrainTables& t = Grain();
    max = std::max(max, 0);
    const double r = t.radius[RandomNextFrom(state) & 0x7FFF];
    const GrainAngle& a = t.angle[RandomNextFrom(state) & 0x7FFF];
    const int32_t half = max / 2;
    const double spread = max == 32768 ? 54.61333333333334 : max / 60.0;
    const double value = r * a.cosine * HalfRoot(half) * spread + half + r * a.sine * 20.0;
    if (value < 0.0) return 0;
    if (value > max) return max;
    return int32_t(value + 0.5);
}

// Stores without clamping, truncated to the element size, at block index i.
void StoreRaw(const NumberedArray& array, int64_t i, int32_t value) {
    switch (array.elementBytes) {
        case 1:
            array.base[i] = uint8_t(value);
            break;
        case 2:
            reinterpret_cast<uint16_t*>(array.base)[i] = uint16_t(value);
            break;
        case 4:
            reinterpret_cast<int32_t*>(array.base)[i] = value;
            break;
        default:
            break;
    }
}

int32_t LoadRaw(const NumberedArray& array, int64_t i) {
    switch (array.elementBytes) {
        case 1:
            return array.base[i];
        case 2:
            return reinterpret_cast<const uint16_t*>(array.base)[i];
        default:
            return reinterpret_cast<const int32_t*>(array.base)[i];
    }
}

// The array of job parameter `i` when it exists with 1-, 2- or 4-byte elements.
const NumberedArray* JobArray(int i) {
    const int32_t n = Parameter(i);
    if (n < 0 || n >= kArrayCount) return nullptr;
    const NumberedArray& array = gArrays[n];
    if (!array.base || array.elementBytes > 4) return nullptr;
    return &array;
}

int64_t CellIndex(const NumberedArray& array, int32_t x, int32_t y) {
    return (int64_t(array.xSize) * y + x) * array.zSize;
}

void FillGrainRows(const NumberedArray& array, int32_t index, int32_t width, int32_t rows,
                   uint32_t seed, int32_t max, int32_t firstPlane, int32_t planes) {
    if (firstPlane + planes > array.zSize) return;
    uint32_t state = seed;
    for (int32_t y = index; y < rows; y += gJob.threadCount) {
        for (int32_t x = 0; x < width; ++x) {
            const int64_t cell = CellIndex(array, x, y) + firstPlane;
            for (int32_t p = 0; p < planes; ++p)
                StoreRaw(array, cell + p, GrainNoiseFrom(state, max));
        }
    }
    RandomSetState(state);
}

int32_t GradientValue(int32_t pattern, int32_t x, int32_t y, int32_t width, int32_t height) {
    const int32_t a = x % 2, b = y % 2;
    switch (pattern) {
        case 1:
            return (a + b) * 255;
        case 2:
            return a == b ? 255 : 0;
        case 3:
            return (a + b) * 128;
        case 4:
            return a * b * 255;
        default: {
            const int32_t angle =
                AngleOf((x - width / 2) * 1024 / width, (y - height / 2) * 1024 / height);
            const bool side = angle >= -384 && angle <= 384 && (angle < -128 || angle > 127);
            return side ? a * 255 : b * 255;
        }
    }
}
}  // namespace

int32_t GrainNoiseFromState(uint32_t& state, int32_t max) {
    return GrainNoiseFrom(state, max);
}

void GrainNoiseRowFromState(uint32_t& state, int32_t max, int32_t* values, int32_t count) {
    uint32_t s = state;
    for (int32_t i = 0; i < count; ++i) values[i] = GrainNoiseFrom(s, max);
    state = s;
}

int32_t GrainNoiseValue(int32_t max) {
    uint32_t state = RandomState();
    const int32_t value = GrainNoiseFrom(state, max);
    RandomSetState(state);
    return value;
}

void GrainPassJob(int32_t threadIndex) {
    const NumberedArray* array = JobArray(1);
    const int32_t amount = Parameter(4);
    const uint32_t seed = uint32_t(threadIndex) * kGrainSeedStride + uint32_t(Parameter(5));
    const int32_t max = Parameter(6);
    // Clipped to the array, so that no parameter writes past it.
    const int32_t width = array ? std::min(Parameter(2), array->xSize) : 0;
    const int32_t rows = array ? std::min(Parameter(3), array->ySize) : 0;
    ThreadBarrier(0, -1);
    if (array && amount < 100) FillGrainRows(*array, threadIndex, width, rows, seed, max, 0, 1);
    ThreadBarrier(1, -1);
    if (array && amount >= 1)
        FillGrainRows(*array, threadIndex, width, rows, seed, max, amount == 100 ? 0 : 1, 3);
}

void GradientMaskJob(int32_t threadIndex) {
    const NumberedArray* array = JobArray(1);
    const int32_t pattern = Parameter(2);
    if (!array || pattern < 1 || pattern > 5) return;
    for (int32_t y = threadIndex; y < array->ySize; y += gJob.threadCount) {
        for (int32_t x = 0; x < array->xSize; ++x) {
            const int32_t value = GradientValue(pattern, x, y, array->xSize, array->ySize);
            const int64_t cell = CellIndex(*array, x, y);
            for (int32_t z = 0; z < array->zSize; ++z) StoreRaw(*array, cell + z, value);
        }
    }
}

void ResampleJob(int32_t threadIndex) {
    const int32_t target = Parameter(1), source = Parameter(2);
    const int32_t mode = Parameter(3) ? SAMPLE_NEAREST : SAMPLE_SPLINE;
    const EffectContext& c = gContext;
    if (!JobArray(1) || !JobArray(2) || c.X < 1 || c.Y < 1) return;
    const int32_t planes = std::min(gArrays[target].zSize, gArrays[source].zSize);
    const double scaleX = double(gArrays[source].xSize) / c.X;
    const double scaleY = double(gArrays[source].ySize) / c.Y;
    const int32_t width = std::max(c.currentRight - c.currentLeft, 0);
    if (mode == SAMPLE_SPLINE) {
        // The spline through a coarse pattern: each source row's interpolation along x
        // serves every output row between its cells.
        std::vector<int32_t> values(size_t(width) + 1);
        for (int32_t z = 0; z < planes; ++z) {
            SplineRowSampler sampler;
            if (!SplineRowSamplerInit(sampler, source, z, scaleX, scaleY, c.currentLeft, width))
                return;
            for (int32_t y = c.currentTop + threadIndex; y < c.currentBottom;
                 y += gJob.threadCount) {
                SplineRowSample(sampler, y, values.data());
                for (int32_t i = 0; i < width; ++i)
                    PutArrayElement(target, i, y - c.currentTop, z, values[size_t(i)]);
            }
        }
        return;
    }
    for (int32_t y = c.currentTop + threadIndex; y < c.currentBottom; y += gJob.threadCount) {
        for (int32_t x = c.currentLeft; x < c.currentRight; ++x) {
            for (int32_t z = 0; z < planes; ++z) {
                const int32_t value = SampleArray(source, scaleX * x, scaleY * y, z, mode);
                PutArrayElement(target, x - c.currentLeft, y - c.currentTop, z, value);
            }
        }
    }
}

void NormaliseRangeJob(int32_t threadIndex) {
    const NumberedArray* array = JobArray(1);
    const int64_t low = Parameter(2), high = Parameter(3);
    if (!array || low == high) return;
    const int64_t m = array->elementBytes == 1 ? 255 : 32768;
    const int64_t rowElements = int64_t(array->xSize) * array->zSize;
    auto stretched = [&](int64_t v) {
        return int32_t(std::clamp<int64_t>((v - low) * m / (high - low), 0, m));
    };
    // Elements of 1 or 2 bytes have few values: a division for each of them instead of one
    // for each element, when the thread's rows hold many more elements than there are values.
    const int64_t values = array->elementBytes == 1 ? 256 : 65536;
    const int64_t ownRows = (int64_t(array->ySize) + gJob.threadCount - 1) / gJob.threadCount;
    std::vector<int32_t> table;
    if (array->elementBytes <= 2 && ownRows * rowElements >= values * 2) {
        table.resize(size_t(values));
        for (int64_t v = 0; v < values; ++v) table[size_t(v)] = stretched(v);
    }
    for (int32_t y = threadIndex; y < array->ySize; y += gJob.threadCount) {
        const int64_t end = rowElements * (y + 1);
        if (table.empty()) {
            for (int64_t i = rowElements * y; i < end; ++i)
                StoreRaw(*array, i, stretched(LoadRaw(*array, i)));
        } else if (array->elementBytes == 1) {
            uint8_t* cells = array->base;
            for (int64_t i = rowElements * y; i < end; ++i) cells[i] = uint8_t(table[cells[i]]);
        } else {
            uint16_t* cells = reinterpret_cast<uint16_t*>(array->base);
            for (int64_t i = rowElements * y; i < end; ++i) cells[i] = uint16_t(table[cells[i]]);
        }
    }
}
