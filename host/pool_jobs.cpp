// The pool's built-in jobs. They write numbered arrays directly, each thread only its own
// rows, after checking once that the array holds what the job will write.

#include "host/pool_jobs.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "host/effect_context.h"
#include "host/field_row_stores.h"
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

// The grain's spread and centre for a maximum: the same for every value of a row.
struct GrainScale {
    int32_t max, half;
    double root, spread;
};

GrainScale GrainScaleFor(int32_t max) {
    max = std::max(max, 0);
    const int32_t half = max / 2;
    return {max, half, HalfRoot(half), max == 32768 ? 54.61333333333334 : max / 60.0};
}

// A Box-Muller pair from two generator states (the draw is bits 16..30 of each), the cosine
// half scaled to the grain's spread and the sine half added as a fixed fine texture.
int32_t GrainValueOf(const GrainTables& t, const GrainScale& g, uint32_t radiusState,
                     uint32_t angleState) {
    const double r = t.radius[(radiusState >> 16) & 0x7FFF];
    const GrainAngle& a = t.angle[(angleState >> 16) & 0x7FFF];
    const double value = r * a.cosine * g.root * g.spread + g.half + r * a.sine * 20.0;
    if (value < 0.0) return 0;
    if (value > g.max) return g.max;
    return int32_t(value + 0.5);
}

int32_t GrainNoiseFrom(uint32_t& state, int32_t max) {
    const uint32_t radiusState = state * 214013u + 2531011u;
    state = radiusState * 214013u + 2531011u;
    return GrainValueOf(Grain(), GrainScaleFor(max), radiusState, state);
}

// The maps of 1..8 generator steps (state * multiplier + increment): the eight states of four
// values all come from the state before them, in one step each instead of a chain of eight.
struct RandomSteps {
    uint32_t multiplier[8], increment[8];
};

constexpr RandomSteps MakeRandomSteps() {
    RandomSteps steps = {};
    uint32_t m = 1, c = 0;
    for (int32_t k = 0; k < 8; ++k) {
        m *= 214013u;
        c = c * 214013u + 2531011u;
        steps.multiplier[k] = m;
        steps.increment[k] = c;
    }
    return steps;
}
constexpr RandomSteps kRandomSteps = MakeRandomSteps();

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

// Rows of the grain job a thread claims at a time. Reset by thread 0 before the job's first
// barrier, which no thread passes before it is reset.
constexpr int32_t kGrainBlockRows = 4;
std::atomic<int32_t> gGrainNextBlock{0};

uint32_t GrainStreamSeed(const GrainRows& g, int32_t stream) {
    return uint32_t(stream) * kGrainSeedStride + g.seed;
}

// The state of the stream of row y where that row's draws of `planes` planes begin.
uint32_t GrainRowState(const GrainRows& g, int32_t y, int32_t planes) {
    const uint64_t drawsBefore = uint64_t(y / g.streams) * uint64_t(g.width) * planes * 2;
    return RandomStateAfter(GrainStreamSeed(g, y % g.streams), drawsBefore);
}

// Row y's draws of `planes` planes, pixel by pixel, in the thread's scratch.
const int32_t* DrawGrainRow(GrainRows& g, int32_t y, int32_t planes) {
    uint32_t state = GrainRowState(g, y, planes);
    const int32_t count = g.width * planes;
    g.values.resize(size_t(std::max(count, 1)));
    GrainNoiseRowFromState(state, g.max, g.values.data(), count);
    return g.values.data();
}

// Row y's draws of `planes` planes into the 2-byte row `cells` (the row's first element of
// plane firstPlane): streamed when stream is set.
void StoreGrainCells(GrainRows& g, int32_t y, int32_t planes, uint16_t* cells, bool stream) {
    const int32_t* values = DrawGrainRow(g, y, planes);
    const int32_t z = g.array->zSize;
    if (planes == 1 && z == 1) {
        FieldRowStoreLevels(cells, values, g.width, stream);
        return;
    }
    for (int32_t x = 0; x < g.width; ++x, values += planes)
        for (int32_t p = 0; p < planes; ++p) cells[int64_t(x) * z + p] = uint16_t(values[p]);
}

void StoreGrainRow(GrainRows& g, int32_t y, int32_t firstPlane, int32_t planes) {
    const NumberedArray& a = *g.array;
    const int64_t row = CellIndex(a, 0, y) + firstPlane;
    if (a.elementBytes == 2) {
        StoreGrainCells(g, y, planes, reinterpret_cast<uint16_t*>(a.base) + row, g.stream);
        return;
    }
    const int32_t* values = DrawGrainRow(g, y, planes);
    for (int32_t x = 0; x < g.width; ++x, values += planes)
        for (int32_t p = 0; p < planes; ++p) StoreRaw(a, row + int64_t(x) * a.zSize + p, values[p]);
}

void FillGrainRow(GrainRows& g, int32_t y) {
    if (g.grey) StoreGrainRow(g, y, 0, 1);
    if (g.colour) StoreGrainRow(g, y, g.colourPlane, 3);
}

}  // namespace

GrainRows GrainRowsFor(int32_t array, int32_t width, int32_t rows, int32_t colour, uint32_t seed,
                       int32_t max, int32_t streams) {
    GrainRows g = {};
    g.array =
        array >= 0 && array < kArrayCount && gArrays[array].base && gArrays[array].elementBytes <= 4
            ? &gArrays[array]
            : nullptr;
    g.seed = seed;
    g.max = max;
    g.streams = std::max(streams, 1);
    // Clipped to the array, so that no parameter writes past it.
    g.width = g.array ? std::max(std::min(width, g.array->xSize), 0) : 0;
    g.rows = g.array ? std::max(std::min(rows, g.array->ySize), 0) : 0;
    g.colourPlane = colour == 100 ? 0 : 1;
    g.grey = g.array && colour < 100 && g.array->zSize >= 1;
    g.colour = g.array && colour >= 1 && g.colourPlane + 3 <= g.array->zSize;
    // Levels above 2 bytes are stored truncated, which the packing of a streamed row is not.
    g.stream = g.array && g.array->byteSize >= kStreamedFieldBytes && g.max <= 65535;
    return g;
}

void GrainRowMake(GrainRows& g, int32_t y, uint16_t* out) {
    if (!g.array || g.array->elementBytes != 2 || y < 0 || y >= g.rows) return;
    if (g.grey) StoreGrainCells(g, y, 1, out, false);
    if (g.colour) StoreGrainCells(g, y, 3, out + g.colourPlane, false);
}

// Where stream t stands after its rows: what the thread that drew them serially was left
// with, and what later draws on that thread go on from.
uint32_t GrainStreamEnd(const GrainRows& g, int32_t stream) {
    const int64_t ownRows = stream < g.rows ? (g.rows - stream + g.streams - 1) / g.streams : 0;
    const int32_t planes = g.colour ? 3 : 1;
    return RandomStateAfter(GrainStreamSeed(g, stream),
                            uint64_t(ownRows) * uint64_t(g.width) * planes * 2);
}

void RangeStretchTable(int64_t low, int64_t high, int64_t m, int64_t values,
                       std::vector<uint16_t>& table) {
    table.assign(size_t(values), 0);
    const int64_t span = high - low;
    if (span < 0) {
        for (int64_t v = 0; v < values; ++v)
            table[size_t(v)] = uint16_t(std::clamp<int64_t>((v - low) * m / span, 0, m));
        return;
    }
    // Between the bounds the quotient and remainder step by those of m, so that no value needs
    // a division of its own: 65536 divisions were a share of a stretch's work that more
    // threads did not make smaller.
    const int64_t stepQuotient = m / span, stepRemainder = m % span;
    // Below low every value is 0; from the first value at or above it the quotient rises.
    const int64_t start = std::clamp<int64_t>(low, 0, values);
    int64_t quotient = (start - low) * m / span, remainder = (start - low) * m % span;
    for (int64_t v = start; v < values; ++v) {
        if (v > start) {
            quotient += stepQuotient;
            remainder += stepRemainder;
            if (remainder >= span) {
                remainder -= span;
                ++quotient;
            }
        }
        if (quotient >= m) {
            std::fill(table.begin() + v, table.end(), uint16_t(m));
            break;
        }
        table[size_t(v)] = uint16_t(quotient);
    }
}

namespace {

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
    const GrainTables& t = Grain();
    const GrainScale g = GrainScaleFor(max);
    uint32_t s = state;
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t next[8];
        for (int32_t k = 0; k < 8; ++k)
            next[k] = s * kRandomSteps.multiplier[k] + kRandomSteps.increment[k];
        for (int32_t j = 0; j < 4; ++j)
            values[i + j] = GrainValueOf(t, g, next[2 * j], next[2 * j + 1]);
        s = next[7];
    }
    for (; i < count; ++i) values[i] = GrainNoiseFrom(s, max);
    state = s;
}

int32_t GrainNoiseValue(int32_t max) {
    uint32_t state = RandomState();
    const int32_t value = GrainNoiseFrom(state, max);
    RandomSetState(state);
    return value;
}

void GrainPassJob(int32_t threadIndex) {
    GrainRows g = GrainRowsFor(Parameter(1), Parameter(2), Parameter(3), Parameter(4),
                               uint32_t(Parameter(5)), Parameter(6), gJob.threadCount);
    if (threadIndex == 0) gGrainNextBlock.store(0, std::memory_order_relaxed);
    // With the barrier, threads claim blocks of rows as they come; without one, each takes an
    // equal run of rows. Either way a row's values depend only on its stream.
    if (ThreadBarrier(0, -1) == 1) {
        for (;;) {
            const int32_t first =
                gGrainNextBlock.fetch_add(1, std::memory_order_relaxed) * kGrainBlockRows;
            if (first >= g.rows) break;
            for (int32_t y = first; y < std::min(first + kGrainBlockRows, g.rows); ++y)
                FillGrainRow(g, y);
        }
    } else {
        const int64_t first = int64_t(g.rows) * threadIndex / g.streams;
        const int64_t last = int64_t(g.rows) * (threadIndex + 1) / g.streams;
        for (int64_t y = first; y < last; ++y) FillGrainRow(g, int32_t(y));
    }
    if (g.stream) FieldRowStoresDone();
    if (g.grey || g.colour) RandomSetState(GrainStreamEnd(g, threadIndex));
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
    // Elements of 1 or 2 bytes have few values: a table of them instead of a division for each
    // element, when the thread's rows hold many more elements than there are values.
    const int64_t values = array->elementBytes == 1 ? 256 : 65536;
    const int64_t ownRows = (int64_t(array->ySize) + gJob.threadCount - 1) / gJob.threadCount;
    std::vector<uint16_t> table;
    if (array->elementBytes <= 2 && ownRows * rowElements >= values * 2)
        RangeStretchTable(low, high, m, values, table);
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
            for (int64_t i = rowElements * y; i < end; ++i) cells[i] = table[cells[i]];
        }
    }
}
