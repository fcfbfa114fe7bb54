// Adaptive local contrast: tile histograms, clipped and equalised into lookup tables, and the
// bilinear blend of the four nearest tables at every pixel.

#include "render/local_contrast.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/plugin_data.h"
#include "host/system_calls.h"
#include "render/pass_threads.h"

namespace {
constexpr int32_t kTopLevel = kContrastLevels - 1;
constexpr double kNoClipFactor = 17.0;  // clip factors from here on do not clip
constexpr int32_t kLowBits = 127;       // 16-bit values keep these below their level
constexpr int32_t kMax16 = 32768;
// Rows are claimed in bands, so that threads write apart.
constexpr int32_t kRowsPerBand = 16;
// Sets of bins a tile's pixels are counted into in turn.
constexpr int32_t kCountSets = 4;

// The tiles: nx x ny, all tw x th except the last column and row, which take the remainder.
struct TileGrid {
    int32_t nx, ny;
    int32_t tw, th;
    int32_t width, height;

    int32_t Left(int32_t i) const { return i * tw; }
    int32_t Right(int32_t i) const { return i == nx - 1 ? width : (i + 1) * tw; }
    int32_t Top(int32_t j) const { return j * th; }
    int32_t Bottom(int32_t j) const { return j == ny - 1 ? height : (j + 1) * th; }
};

// Blocks between tile centres along one axis: block 0 is half a tile, blocks 1..n-1 a tile,
// block n the rest of the axis (half a tile plus the remainder), so that every pixel of the
// axis lies in one block. Each block blends the tiles `before` and `after`.
struct BlockSpan {
    int32_t start, size;
    int32_t before, after;
};

BlockSpan Block(int32_t b, int32_t tiles, int32_t tileSize, int32_t length) {
    const int32_t first = tileSize / 2;
    if (b == 0) return {0, first, 0, 0};
    const int32_t start = first + (b - 1) * tileSize;
    if (b == tiles) return {start, length - start, tiles - 1, tiles - 1};
    return {start, tileSize, b - 1, b};
}

// The image being equalised: read from source, written to data (the same block when it is
// equalised in place).
struct GreyImage {
    void* data;
    int32_t elementBytes;
    int32_t width, height;
    const void* source;
};

// The tables' block: the host's buffer when it can give one, else the heap; zeroed.
struct TableBlock {
    int32_t* tables;
    void* hostBufferId;  // null for heap memory
};
}  // namespace

// One equalisation: made by EqualizeBegin, read by the counting and blending threads,
// tables built and block released on the thread that made it.
struct LocalContrastJob {
    GreyImage image;
    TileGrid grid;
    int32_t* tables;  // nx * ny tables of 256, row-major by tile
    int32_t threadCount;
    LocalContrastSettings settings;
    TableBlock block;
    std::atomic<int32_t> countClaimed;  // first row of the next band to count
    std::atomic<int32_t> blendClaimed;  // first row of the next band to blend
};

namespace {
using EqualizeJob = LocalContrastJob;

int32_t* TileTable(const EqualizeJob& job, int32_t i, int32_t j) {
    return job.tables + (int64_t(j) * job.grid.nx + i) * kContrastLevels;
}

// The level of a grey value: 8-bit values are their own levels, 16-bit ones a 128th of the
// value, at most the top level.
inline int32_t LevelOf(uint8_t value) {
    return value;
}
inline int32_t LevelOf(uint16_t value) {
    return std::min(int32_t(value) >> 7, kTopLevel);
}

// A thread's counts of the tile row it is in: four sets of bins per tile, which neighbouring
// pixels (mostly of one level) take in turn, so that an increment need not wait for the one
// before it; added into the job's tables when the thread moves on to another tile row.
struct RowCounts {
    std::vector<int32_t> bins;  // nx x kCountSets x 256
    int32_t tileRow = -1;       // the tile row counted, -1 none yet
};

void FlushRowCounts(const EqualizeJob& job, RowCounts& counts) {
    if (counts.tileRow < 0) return;
    for (int32_t i = 0; i < job.grid.nx; ++i) {
        int32_t* sets = counts.bins.data() + int64_t(i) * kCountSets * kContrastLevels;
        int32_t* table = TileTable(job, i, counts.tileRow);
        for (int32_t v = 0; v < kContrastLevels; ++v) {
            int32_t sum = 0;
            for (int32_t k = 0; k < kCountSets; ++k) sum += sets[k * kContrastLevels + v];
            // Threads meet on a tile row's tables only here; sums do not depend on the order.
            if (sum != 0) __atomic_fetch_add(&table[v], sum, __ATOMIC_RELAXED);
        }
    }
    std::fill(counts.bins.begin(), counts.bins.end(), 0);
    counts.tileRow = -1;
}

template <typename T>
void CountRow(const T* row, const TileGrid& g, int32_t* bins) {
    for (int32_t i = 0; i < g.nx; ++i, bins += kCountSets * kContrastLevels) {
        int32_t* b0 = bins;
        int32_t* b1 = bins + kContrastLevels;
        int32_t* b2 = bins + 2 * kContrastLevels;
        int32_t* b3 = bins + 3 * kContrastLevels;
        int32_t x = g.Left(i);
        const int32_t right = g.Right(i);
        for (; x + kCountSets <= right; x += kCountSets) {
            ++b0[LevelOf(row[x])];
            ++b1[LevelOf(row[x + 1])];
            ++b2[LevelOf(row[x + 2])];
            ++b3[LevelOf(row[x + 3])];
        }
        for (; x < right; ++x) ++b0[LevelOf(row[x])];
    }
}

// Counts the levels of bands of rows claimed in turn until none is left: however many tile
// rows there are, every thread counts about as many rows, and a thread held up takes fewer.
template <typename T>
void CountTileRowsOf(EqualizeJob& job) {
    const TileGrid& g = job.grid;
    const T* image = static_cast<const T*>(job.image.source);
    RowCounts counts;
    counts.bins.assign(size_t(g.nx) * kCountSets * kContrastLevels, 0);
    for (;;) {
        const int32_t top = job.countClaimed.fetch_add(kRowsPerBand, std::memory_order_relaxed);
        if (top >= g.height) break;
        for (int32_t y = top; y < std::min(top + kRowsPerBand, g.height); ++y) {
            const int32_t tileRow = std::min(y / g.th, g.ny - 1);
            if (tileRow != counts.tileRow) {
                FlushRowCounts(job, counts);
                counts.tileRow = tileRow;
            }
            CountRow(image + int64_t(y) * g.width, g, counts.bins.data());
        }
    }
    FlushRowCounts(job, counts);
}

void CountTileRows(void* context, int32_t) {
    EqualizeJob& job = *static_cast<EqualizeJob*>(context);
    if (job.image.elementBytes == 1)
        CountTileRowsOf<uint8_t>(job);
    else
        CountTileRowsOf<uint16_t>(job);
}

// The first level from the bottom (or, fromTop, from the top) whose running count reaches c.
int32_t LevelReaching(const int32_t* bins, int64_t c, bool fromTop) {
    int64_t running = 0;
    for (int32_t k = 0; k < kContrastLevels; ++k) {
        const int32_t v = fromTop ? kTopLevel - k : k;
        running += bins[v];
        if (running >= c) return v;
    }
    return fromTop ? 0 : kTopLevel;
}

// Gamma of a tile from its median: a dark tile is lifted by the dark gamma, otherwise a
// bright tile is lowered by the bright gamma; else the gamma stays as it was.
void TileGamma(const int32_t* bins, int64_t pixels, const LocalContrastSettings& s, double* gamma) {
    const int32_t m = LevelReaching(bins, pixels / 2, true);
    if (s.darkGamma >= 1 && m <= 127) {
        // A median of 0 (or 255 below) has no finite gamma; the nearest level stands in.
        *gamma = (128.0 / std::max(m, 1)) * (s.darkGamma / 100.0) + 1.0;
    } else if (s.brightGamma > 0) {
        const double g = (128.0 / std::max(kTopLevel - m, 1)) * (s.brightGamma / 100.0);
        *gamma = 1.0 / std::max(g, 1.0);
    }
}

// Turns a tile's histogram into its lookup table in place.
void BuildTileTable(int32_t* bins, int64_t pixels, const LocalContrastSettings& s, double clip,
                    int32_t limit, double* gamma) {
    int32_t lo = 0, hi = kTopLevel;
    const bool stretch = s.blackWhitePoint > 0 && s.equalizeShare < 100;
    if (stretch) {
        const int64_t c = (pixels * s.blackWhitePoint) / 10000;
        lo = LevelReaching(bins, c, false);
        hi = LevelReaching(bins, c, true);
    }
    if (s.darkGamma > 0 || s.brightGamma > 0) TileGamma(bins, pixels, s, gamma);
    if (clip > 1.0 && clip < kNoClipFactor && s.equalizeShare > 0) ClipHistogram(bins, limit);
    for (int32_t v = 1; v < kContrastLevels; ++v) bins[v] += bins[v - 1];
    for (int32_t v = 0; v < kContrastLevels; ++v) {
        // 64 bits: a tile of more than 16.8 million pixels times 255 passes 32 bits.
        const int64_t equalised = (int64_t(bins[v]) * 255) / pixels;
        int64_t value = equalised;
        if (s.blackWhitePoint >= 1) {
            const int64_t stretched = hi == lo ? 0 : (255 * int64_t(v - lo)) / (hi - lo);
            value = ((100 - s.equalizeShare) * stretched + s.equalizeShare * equalised) / 100;
        }
        if (*gamma != 1.0) {
            const double base = double(std::max<int64_t>(value, 0)) / 255.0;
            value = int64_t(std::trunc(std::pow(base, 1.0 / *gamma) * 255.0 + 0.5));
        }
        value = std::clamp<int64_t>(value, 0, kTopLevel);
        if (s.strength < 255) value = (s.strength * value + (255 - s.strength) * int64_t(v)) / 255;
        bins[v] = int32_t(value);
    }
}

// Quotients of blended sums by a block's area, by the reciprocal. The sum is at most 255
// areas, so below 2^53 and exact as a double; the product is off by far less than one part
// in an area, and the truncated product is the quotient or one off it, which the check by
// multiplication puts right. Larger areas (none an image of today reaches) divide as integers.
constexpr int64_t kMaxReciprocalArea = int64_t(1) << 40;

struct AreaDivisor {
    int64_t area;
    double reciprocal;

    explicit AreaDivisor(int64_t a) : area(a), reciprocal(a > 0 ? 1.0 / double(a) : 0.0) {}
    int64_t Quotient(int64_t sum) const {
        if (area > kMaxReciprocalArea) return sum / area;
        int64_t q = int64_t(double(sum) * reciprocal);
        if (q * area > sum) --q;
        if ((q + 1) * area <= sum) ++q;
        return q;
    }
};

// One equalised value: 8-bit as it is, 16-bit on the level's scale with the source's low bits.
inline uint8_t Equalised(int32_t out, uint8_t) {
    return uint8_t(out);
}
inline uint16_t Equalised(int32_t out, uint16_t source) {
    return uint16_t(std::min(out * 128 + (source & kLowBits), kMax16));
}

// The block of rows (or columns) holding position y: see Block.
int32_t BlockHolding(int32_t y, int32_t tiles, int32_t tileSize) {
    const int32_t first = tileSize / 2;
    return y < first ? 0 : std::min(1 + (y - first) / tileSize, tiles);
}

// Blends the four tables around every pixel of row y. Level 0 keeps its value.
template <typename T>
void BlendRow(const EqualizeJob& job, int32_t y) {
    const TileGrid& g = job.grid;
    const BlockSpan rows = Block(BlockHolding(y, g.ny, g.th), g.ny, g.th, g.height);
    const int64_t j = y - rows.start, bh = rows.size;
    const T* in = static_cast<const T*>(job.image.source) + int64_t(y) * g.width;
    T* out = static_cast<T*>(job.image.data) + int64_t(y) * g.width;
    for (int32_t c = 0; c <= g.nx; ++c) {
        const BlockSpan cols = Block(c, g.nx, g.tw, g.width);
        const int32_t* tl = TileTable(job, cols.before, rows.before);
        const int32_t* tr = TileTable(job, cols.after, rows.before);
        const int32_t* bl = TileTable(job, cols.before, rows.after);
        const int32_t* br = TileTable(job, cols.after, rows.after);
        const int64_t bw = cols.size;
        const AreaDivisor area(bw * bh);
        for (int32_t x = cols.start; x < cols.start + cols.size; ++x) {
            const T s = in[x];
            const int32_t v = LevelOf(s);
            if (v == 0) {
                out[x] = s;
                continue;
            }
            const int64_t i = x - cols.start;
            // 64 bits: the numerator passes 32 bits on tiles of about 4,100 pixels square.
            const int64_t sum = (int64_t(br[v]) * i + int64_t(bl[v]) * (bw - i)) * j +
                                (int64_t(tl[v]) * (bw - i) + int64_t(tr[v]) * i) * (bh - j);
            out[x] = Equalised(int32_t(std::min<int64_t>(area.Quotient(sum), 255)), s);
        }
    }
}

// Blends bands of rows claimed in turn until none is left.
template <typename T>
void BlendRowsOf(EqualizeJob& job) {
    const int32_t height = job.grid.height;
    for (;;) {
        const int32_t top = job.blendClaimed.fetch_add(kRowsPerBand, std::memory_order_relaxed);
        if (top >= height) break;
        for (int32_t y = top; y < std::min(top + kRowsPerBand, height); ++y) BlendRow<T>(job, y);
    }
}

void InterpolateRows(void* context, int32_t) {
    EqualizeJob& job = *static_cast<EqualizeJob*>(context);
    if (job.image.elementBytes == 1)
        BlendRowsOf<uint8_t>(job);
    else
        BlendRowsOf<uint16_t>(job);
}

void BuildTablesOnFirst(void* context, int32_t threadIndex) {
    if (threadIndex == 0) LocalContrastTables(static_cast<LocalContrastJob*>(context));
}

const BufferProcs* HostBuffers() {
    const BufferProcs* suite = gDataBlock && gStuff ? gStuff->bufferProcs : nullptr;
    return BufferSuiteAvailable(suite, nullptr) ? suite : nullptr;
}

bool AllocateTables(int64_t bytes, TableBlock* block) {
    *block = {nullptr, nullptr};
    if (const BufferProcs* suite = HostBuffers(); suite && bytes <= INT32_MAX) {
        void* id = nullptr;
        if (HostAllocateBuffer(suite, int32_t(bytes), &id) == 0) {
            if (void* data = HostLockBuffer(suite, id, true)) {
                std::memset(data, 0, size_t(bytes));
                *block = {static_cast<int32_t*>(data), id};
                return true;
            }
            HostFreeBuffer(suite, id);
        }
    }
    if (uint64_t(bytes) > SIZE_MAX) return false;
    block->tables = static_cast<int32_t*>(gSystem.allocateZeroed(size_t(bytes), 1));
    return block->tables != nullptr;
}

void ReleaseTables(const TableBlock& block) {
    if (!block.hostBufferId) {
        gSystem.release(block.tables);
        return;
    }
    if (const BufferProcs* suite = HostBuffers()) {
        HostUnlockBuffer(suite, block.hostBufferId);
        HostFreeBuffer(suite, block.hostBufferId);
    }
}

// An existing grey image is used as it is, provided it is laid out as the rectangle at this
// element size.
bool GreyCopyUsable(int32_t n, int32_t elementBytes, int32_t width, int32_t height) {
    const NumberedArray* a = n >= 0 && n < kArrayCount ? &gArrays[n] : nullptr;
    return a && a->base && a->elementBytes == elementBytes && a->border == 0 && a->xSize == width &&
           a->ySize >= height && a->zSize == 1;
}

// Fills array n with the grey of the current rectangle's source pixels.
void FillGreyFromSource(int32_t n, int32_t elementBytes, int32_t progressOffset,
                        int32_t progressTotal) {
    const EffectContext& c = gContext;
    const GetPixelProc source = c.accessors.getSourcePixel;
    const int32_t width = c.currentRight - c.currentLeft;
    for (int32_t y = c.currentTop; y < c.currentBottom; ++y) {
        if (progressTotal > 0 && ReportProgress(y - c.currentTop + progressOffset, progressTotal))
            SetCancelResult();
        for (int32_t x = c.currentLeft; x < c.currentRight; ++x) {
            const int32_t grey =
                source
                    ? (299 * source(x, y, 0) + 587 * source(x, y, 1) + 114 * source(x, y, 2)) / 1000
                    : 0;
            const int64_t i = int64_t(y - c.currentTop) * width + (x - c.currentLeft);
            if (elementBytes == 1)
                static_cast<uint8_t*>(GetArrayBase(n))[i] = uint8_t(std::clamp(grey, 0, 255));
            else
                static_cast<uint16_t*>(GetArrayBase(n))[i] = uint16_t(std::clamp(grey, 0, kMax16));
        }
    }
}
}  // namespace

void ClipHistogram(int32_t* bins, int32_t limit) {
    int64_t excess = 0;
    for (int32_t v = 0; v < kContrastLevels; ++v)
        if (bins[v] > limit) excess += bins[v] - limit;
    const int64_t inc = excess / kContrastLevels;
    const int64_t upper = limit - inc;
    for (int32_t v = 0; v < kContrastLevels; ++v) {
        if (bins[v] > limit) {
            bins[v] = limit;
        } else if (bins[v] > upper) {
            // The bin is filled up to the limit: that much of the excess is used.
            excess -= limit - bins[v];
            bins[v] = limit;
        } else {
            bins[v] += int32_t(inc);
            excess -= inc;
        }
    }
    for (int32_t start = 0; start < kContrastLevels && excess > 0; ++start) {
        const int64_t step = std::max<int64_t>(kContrastLevels / excess, 1);
        for (int32_t v = start; v < kContrastLevels && excess > 0; v += int32_t(step)) {
            if (bins[v] < limit) {
                ++bins[v];
                --excess;
            }
        }
    }
}

// The tiles of width x height levels and their zeroed tables; null when too small for one
// tile or when the tables cannot be had.
static LocalContrastJob* EqualizeBegin(const void* source, void* data, int32_t elementBytes,
                                       int32_t width, int32_t height,
                                       const LocalContrastSettings& s) {
    if (!source || !data || width < 1 || height < 1) return nullptr;
    const int32_t t = std::max(s.detail, 10);
    const int32_t tileSize = int32_t((int64_t(std::min(width, height)) * 10) / t);
    // Too small for one tile: there is nothing to equalise against.
    if (tileSize < 1) return nullptr;
    auto* job = new (std::nothrow) LocalContrastJob{};
    if (!job) return nullptr;
    job->image = {data, elementBytes, width, height, source};
    TileGrid& g = job->grid;
    g.nx = width / tileSize;
    g.ny = height / tileSize;
    g.tw = width / g.nx;
    g.th = height / g.ny;
    g.width = width;
    g.height = height;
    job->threadCount = std::max(1, s.threadCount);
    job->settings = s;
    if (!AllocateTables(int64_t(4) * kContrastLevels * g.nx * g.ny, &job->block)) {
        delete job;
        return nullptr;
    }
    job->tables = job->block.tables;
    return job;
}

void EqualizeTiles(void* data, int32_t elementBytes, int32_t width, int32_t height,
                   const LocalContrastSettings& s) {
    LocalContrastJob* job = EqualizeBegin(data, data, elementBytes, width, height, s);
    if (!job) return;
    // One set of threads for the three stages: making threads costs milliseconds under Wine.
    static const PassThreadProc kStages[3] = {CountTileRows, BuildTablesOnFirst, InterpolateRows};
    RunPassSequence(job->threadCount, kStages, 3, job);
    LocalContrastEnd(job);
}

LocalContrastJob* LocalContrastBegin(int32_t source, int32_t n, int32_t elementBytes,
                                     const LocalContrastSettings& settings) {
    const EffectContext& c = gContext;
    const int32_t width = c.currentRight - c.currentLeft;
    const int32_t height = c.currentBottom - c.currentTop;
    if (width < 1 || height < 1 || (elementBytes != 1 && elementBytes != 2)) return nullptr;
    if (!GreyCopyUsable(source, elementBytes, width, height) ||
        !GreyCopyUsable(n, elementBytes, width, height))
        return nullptr;
    return EqualizeBegin(GetArrayBase(source), GetArrayBase(n), elementBytes, width, height,
                         settings);
}

void LocalContrastCount(LocalContrastJob* job, int32_t threadIndex) {
    if (job && threadIndex < job->threadCount) CountTileRows(job, threadIndex);
}

void LocalContrastTables(LocalContrastJob* job) {
    if (!job) return;
    const LocalContrastSettings& s = job->settings;
    const TileGrid& g = job->grid;
    const double clip = float(s.clipTenths) / 10.0f;
    const int64_t tilePixels = int64_t(g.tw) * g.th;
    int32_t limit = 1;
    if (clip > 1.0) {
        const double l = tilePixels >= kContrastLevels ? tilePixels * clip / 256.0 : clip;
        limit = int32_t(std::max(1.0, std::min(std::trunc(l), 2147483647.0)));
    }
    double gamma = 1.0;
    for (int32_t j = 0; j < g.ny; ++j) {
        for (int32_t i = 0; i < g.nx; ++i) {
            if (s.progressTotal > 0)
                ReportProgress(s.progressOffset + j * g.nx + i, s.progressTotal);
            const int64_t pixels = int64_t(g.Right(i) - g.Left(i)) * (g.Bottom(j) - g.Top(j));
            BuildTileTable(TileTable(*job, i, j), pixels, s, clip, limit, &gamma);
        }
    }
}

void LocalContrastBlend(LocalContrastJob* job, int32_t threadIndex) {
    if (job && threadIndex < job->threadCount) InterpolateRows(job, threadIndex);
}

void LocalContrastEnd(LocalContrastJob* job) {
    if (!job) return;
    ReleaseTables(job->block);
    delete job;
}

int32_t ApplyLocalContrast(int32_t n, int32_t elementBytes, int32_t detail, int32_t strength,
                           int32_t clipTenths, int32_t blackWhitePoint, int32_t equalizeShare,
                           int32_t darkGamma, int32_t brightGamma, int32_t progressOffset,
                           int32_t progressTotal, int32_t multiProcessor) {
    const EffectContext& c = gContext;
    const int32_t width = c.currentRight - c.currentLeft;
    const int32_t height = c.currentBottom - c.currentTop;
    if (width < 1 || height < 1 || (elementBytes != 1 && elementBytes != 2)) return 1;
    // An existing grey copy is used as it is; otherwise it is made here.
    if (!GreyCopyUsable(n, elementBytes, width, height)) {
        if (!CreateArray(n, width, height, 1, elementBytes)) return 1;
        FillGreyFromSource(n, elementBytes, progressOffset, progressTotal);
    }
    const LocalContrastSettings s = {
        detail,    strength,    clipTenths,     blackWhitePoint, equalizeShare,
        darkGamma, brightGamma, progressOffset, progressTotal,   PassThreadCount(multiProcessor)};
    EqualizeTiles(GetArrayBase(n), elementBytes, width, height, s);
    return 1;
}
