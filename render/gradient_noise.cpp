// Gradient noise over a seeded lattice, its fractal sum, and the aging texture: five ways
// to turn the noise at a pixel into a texture value, blended by overlay or hard light.

#include "render/gradient_noise.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "host/random_source.h"
#include "render/later_pass_rows.h"
#include "render/pixel_weights.h"
#include "render/texture_noise_row.h"

NoiseTables gNoise = {{}, {}, 1};

namespace {
// The column positions of the render under way (NoiseTextureColumns): by column, and by
// octave for the row noise. Written on the host's thread before the workers start.
struct NoiseColumnTables {
    std::vector<NoiseAxis> byColumn;       // count x kNoiseCachedOctaves
    std::vector<double> offsets, weights;  // kNoiseCachedOctaves x count
    std::vector<int32_t> runEnds[kNoiseCachedOctaves], runCells[kNoiseCachedOctaves];
    NoiseOctaveColumns octaves[kNoiseCachedOctaves];
};
NoiseColumnTables gNoiseColumns;
}  // namespace

namespace {
// Numbers of the aging controls in controlValues.
enum AgingControl : int32_t {
    CTL_AGING_DETAILS = 55,
    CTL_AGING_INTENSITY = 166,
    CTL_AGING_SIZE = 167,
    CTL_AGING_SOFTNESS = 242,
    CTL_AGING_REDUCTION = 263,
    CTL_AGING_TYPE = 298,
    CTL_AGING_INVERT = 299,
    CTL_AGING_COLOR = 301,
    CTL_AGING_HARD = 302,
};

constexpr double kLatticeShift = 4096.0;

double GradientComponent() {
    return double((RandomNext() & 0x1FF) - 256) * 0.00390625;
}

double Fade(double f) {
    return (3.0 - 2.0 * f) * f * f;
}

int32_t TruncToInt(double v) {
    return int32_t(std::trunc(std::clamp(v, -2147483648.0, 2147483647.0)));
}

// Channel c under texture t: overlay (decided by the channel) or hard light (by the texture).
// 64-bit, since an unclamped dust texture times a 16-bit channel passes the int32 range.
int64_t BlendChannel(int64_t t, int64_t c, int64_t mid, int64_t max, bool hard) {
    const int64_t decider = hard ? t : c;
    if (decider < mid) return DivideByMax(t * c * 2, max);
    return DivideByMax((t - max) * (max - c) * 2, max) + max;
}

int64_t TintChannel(int64_t o, int64_t k, int64_t mid, int64_t max) {
    if (o < mid) return DivideByMax(k * o * 2, max);
    return max + DivideByMax((k - max) * (max - o) * 2, max);
}

// The level constants of the texture record, fixed at compile time for the two depths the
// render has (its divisions then become multiplications and shifts) or read from the record
// (kMax 0). The same int32 values either way, so the same arithmetic.
template <int32_t kMax>
int32_t MaxOf(const TexturePixelState& s) {
    return kMax ? kMax : s.max;
}
template <int32_t kMax>
int32_t MidOf(const TexturePixelState& s) {
    return kMax == 255 ? 128 : kMax == 32768 ? 16384 : s.mid;
}
template <int32_t kMax>
int32_t ScaleOf(const TexturePixelState& s) {
    return kMax == 255 ? 1 : kMax == 32768 ? 128 : s.scale;
}

// Dust and vapour: the texture value from the noise, inverted, then the reduction.
template <int32_t kMax>
int64_t DustValue(const TexturePixelState& s, double noise) {
    const int32_t max = MaxOf<kMax>(s), mid = MidOf<kMax>(s), scale = ScaleOf<kMax>(s);
    int64_t v = TruncToInt(max * 0.7 * noise + mid);
    if (s.invert) v = max - v;
    const int64_t r = s.reduction;
    if (r < 1) return ((r / 2 + 255) * v) / 255;
    return ((255 - r / 2) * v) / 255 + (int64_t(scale) * r) / 2;
}

template <int32_t kMax>
void SpotsValue(TexturePixelState& s) {
    const int32_t max = MaxOf<kMax>(s), mid = MidOf<kMax>(s), scale = ScaleOf<kMax>(s);
    const int64_t v = TruncToInt((max + (scale * s.reduction) / 2) + max * 0.7 * s.noise);
    s.tinted = v > max;
    s.textureValue = s.tinted ? int32_t(v - mid) : mid;
}

template <int32_t kMax>
void StainsValue(TexturePixelState& s) {
    const int32_t max = MaxOf<kMax>(s), mid = MidOf<kMax>(s), scale = ScaleOf<kMax>(s);
    const int64_t v = TruncToInt((max + (scale * s.reduction) / 2) + max * 0.7 * s.noise);
    const int64_t low = int64_t(scale) * 251;
    if (v > max) {
        s.textureValue = int32_t(std::clamp<int64_t>((mid - v + max) / 2 + mid, 0, max));
        s.tinted = 1;
    } else if (v < low) {
        s.tinted = 0;
        s.textureValue = mid;
    } else {
        s.tinted = 1;
        s.textureValue = int32_t(((v - low) * mid) / (int64_t(scale) * 8) + mid);
    }
}

template <int32_t kMax>
void DropsValue(TexturePixelState& s) {
    const int32_t max = MaxOf<kMax>(s), mid = MidOf<kMax>(s), scale = ScaleOf<kMax>(s);
    const int64_t v = TruncToInt((max + int64_t(scale) * s.reduction * 4) + max * 5.6 * s.noise);
    const int64_t low = int64_t(scale) * 247;
    if (v > max) {
        const int64_t d = std::max<int64_t>(mid - v + max, -mid);
        s.textureValue = int32_t(std::clamp<int64_t>(max - d / 2 - mid, 0, max));
        s.tinted = 1;
    } else if (v < low) {
        s.tinted = 0;
        s.textureValue = mid;
    } else {
        s.tinted = 1;
        s.textureValue = int32_t(mid - ((v - low) * mid) / (int64_t(scale) * 16));
    }
}

// The texture value and tint flag of the current pixel; false for an unknown mode, which
// keeps the previous pixel's.
template <int32_t kMax>
bool TextureValue(TexturePixelState& s) {
    switch (s.mode) {
        case AGING_DUST:
        case AGING_VAPOR: {
            const double noise = s.mode == AGING_DUST ? s.noise : std::fabs(s.noise);
            s.textureValue = TruncToInt(double(DustValue<kMax>(s, noise)));
            return true;
        }
        case AGING_SPOTS:
            SpotsValue<kMax>(s);
            break;
        case AGING_STAINS:
            StainsValue<kMax>(s);
            break;
        case AGING_DROPS:
            DropsValue<kMax>(s);
            break;
        default:
            return false;
    }
    if (s.invert) s.textureValue = MaxOf<kMax>(s) - s.textureValue;
    return true;
}

// Texture value t (tinted or not) blended into the three channels of `in`.
template <int32_t kMax>
Rgb TextureMix(const TexturePixelState& s, int64_t t, bool tinted, const Rgb& in) {
    const int64_t mid = MidOf<kMax>(s), max = MaxOf<kMax>(s);
    const bool hard = s.hard != 0;
    const int64_t intensity = s.intensity;
    auto channel = [&](int32_t input, int32_t tint) {
        const int64_t c = input;
        int64_t o = BlendChannel(t, c, mid, max, hard);
        if (tinted) o = TintChannel(o, tint, mid, max);
        if (intensity != 100) o = ((100 - intensity) * c + o * intensity) / 100;
        return int32_t(std::clamp<int64_t>(o, 0, max));
    };
    // A grey pixel under an untinted (or grey) texture stays grey: one channel's sums serve
    // all three.
    const bool grey = in.r == in.g && in.r == in.b &&
                      (!tinted || (s.tintRed == s.tintGreen && s.tintRed == s.tintBlue));
    const int32_t red = channel(in.r, s.tintRed);
    if (grey) return {red, red, red};
    return {red, channel(in.g, s.tintGreen), channel(in.b, s.tintBlue)};
}

template <int32_t kMax>
bool TextureSamples(const TexturePixelState& state, const double* noise, int32_t count,
                    TextureSample* samples) {
    if (state.mode < AGING_DUST || state.mode > AGING_DROPS) return false;
    TexturePixelState s = state;
    for (int32_t i = 0; i < count; ++i) {
        s.noise = noise[i];
        TextureValue<kMax>(s);
        samples[i] = {s.textureValue, s.tinted};
    }
    return true;
}

// The depth's instance of a texture step: constants for 8 and 16 bits, else the record's.
template <typename Step>
auto ForDepth(const TexturePixelState& s, Step step) {
    if (s.max == 255 && s.mid == 128 && s.scale == 1)
        return step(std::integral_constant<int32_t, 255>{});
    if (s.max == 32768 && s.mid == 16384 && s.scale == 128)
        return step(std::integral_constant<int32_t, 32768>{});
    return step(std::integral_constant<int32_t, 0>{});
}
}  // namespace

void NoiseReset() {
    gNoise = NoiseTables{};
    gNoise.stale = 1;
}

void NormalizeGradient(NoiseGradient& gradient) {
    const double length = std::sqrt(gradient.x * gradient.x + gradient.y * gradient.y);
    if (length == 0.0) {
        gradient = {1.0, 0.0};
        return;
    }
    gradient.x /= length;
    gradient.y /= length;
}

void InitNoise() {
    gNoise.stale = 0;
    for (int32_t i = 0; i < 256; ++i) {
        gNoise.permutation[i] = i;
        NoiseGradient g;
        g.x = GradientComponent();
        g.y = GradientComponent();
        NormalizeGradient(g);
        gNoise.gradient[i] = g;
    }
    for (int32_t i = 255; i >= 1; --i)
        std::swap(gNoise.permutation[i], gNoise.permutation[RandomNext() & 255]);
    for (int32_t k = 0; k < 258; ++k) gNoise.permutation[256 + k] = gNoise.permutation[k];
    for (int32_t k = 0; k < 256; ++k) gNoise.gradient[256 + k] = gNoise.gradient[k];
}

// floor(a) without the library call (there is no rounding instruction before SSE4.1):
// exact for every double, the conversion being taken only where it is exact.
inline double Floor(double a) {
    constexpr double kExact = 4503599627370496.0;  // 2^52: from here on doubles are whole
    if (!(a > -kExact && a < kExact)) return std::floor(a);
    const double t = double(int64_t(a));
    return t > a ? t - 1.0 : t;
}

// A whole-numbered cell coordinate wrapped into 0..255.
inline int32_t LatticeIndex(double cell) {
    constexpr double kExact = 9007199254740992.0;  // 2^53
    if (cell > -kExact && cell < kExact) return int32_t(int64_t(cell) & 255);
    return int32_t(std::fmod(cell, 256.0) + 256.0) & 255;
}

// Where coordinate v falls in the lattice. The lattice is shifted so that ordinary
// coordinates stay positive; the floor keeps the cells continuous for any coordinate.
inline NoiseAxis AxisOf(double v) {
    const double shifted = v + kLatticeShift;
    const double cell = Floor(shifted);
    const double offset = shifted - cell;
    // The lattice repeats every 256 cells. The cells are whole numbers: below 2^53 their
    // low byte is the same as fmod's wrap, without its cost in the aging texture's octaves;
    // fmod keeps huge coordinates inside int range.
    return {offset, Fade(offset), LatticeIndex(cell)};
}

// The noise of one lattice cell from its x and y positions; the tables must be built.
inline double NoiseAt(const NoiseAxis& ax, const NoiseAxis& ay) {
    const double fx = ax.offset, fy = ay.offset;
    const int32_t i = ax.cell, j = ay.cell;
    const int32_t j1 = (j + 1) & 255;
    const int32_t* p = gNoise.permutation;
    const int32_t a = p[i], b = p[(i + 1) & 255];
    const NoiseGradient& g00 = gNoise.gradient[p[a + j]];
    const NoiseGradient& g10 = gNoise.gradient[p[b + j]];
    const NoiseGradient& g01 = gNoise.gradient[p[a + j1]];
    const NoiseGradient& g11 = gNoise.gradient[p[b + j1]];
    const double c00 = fx * g00.x + fy * g00.y;
    const double c10 = (fx - 1.0) * g10.x + fy * g10.y;
    const double c01 = fx * g01.x + (fy - 1.0) * g01.y;
    const double c11 = (fx - 1.0) * g11.x + (fy - 1.0) * g11.y;
    const double e0 = c00 + (c10 - c00) * ax.weight;
    const double e1 = c01 + (c11 - c01) * ax.weight;
    return e0 + (e1 - e0) * ay.weight;
}

double Noise2(double x, double y) {
    if (gNoise.stale) InitNoise();
    return NoiseAt(AxisOf(x), AxisOf(y));
}

double FractalNoise(double x, double y, double octaveDivisor, double lacunarity, int32_t octaves) {
    double sum = 0.0, weightDivisor = 1.0;
    for (int32_t k = 0; k < octaves; ++k) {
        sum += Noise2(x, y) / weightDivisor;
        x *= lacunarity;
        y *= lacunarity;
        weightDivisor *= octaveDivisor;
    }
    return sum;
}

void NoiseTextureSetup(TexturePixelState& state, const int32_t* controlValues, bool sixteenBit,
                       int32_t imageWidth, int32_t imageHeight, int32_t zoomReduction) {
    TexturePixelState& s = state;
    s.max = sixteenBit ? 32768 : 255;
    s.mid = sixteenBit ? 16384 : 128;
    s.scale = sixteenBit ? 128 : 1;
    const double d =
        std::max(imageWidth, imageHeight) * (controlValues[CTL_AGING_SIZE] * 2.0) / 800.0;
    s.frequency = zoomReduction / std::max(1.0, d);
    s.octaveDivisor = controlValues[CTL_AGING_SOFTNESS] * 39.0 / 1000.0 + 1.0;
    const uint32_t color = uint32_t(controlValues[CTL_AGING_COLOR]);
    s.tintRed = int32_t(color & 0xFF) * s.scale;
    s.tintGreen = int32_t((color >> 8) & 0xFF) * s.scale;
    s.tintBlue = int32_t((color >> 16) & 0xFF) * s.scale;
    s.tinted = 0;
    s.textureValue = s.mid;
    s.mode = controlValues[CTL_AGING_TYPE];
    s.octaves = controlValues[CTL_AGING_DETAILS];
    s.reduction = controlValues[CTL_AGING_REDUCTION];
    s.invert = controlValues[CTL_AGING_INVERT];
    s.hard = controlValues[CTL_AGING_HARD];
    s.intensity = controlValues[CTL_AGING_INTENSITY];
    s.rowCached = 0;
    s.cachedY = 0;
    s.columns = nullptr;
    s.firstColumn = 0;
    s.columnCount = 0;
    s.columnOctaves = nullptr;
}

void NoiseTextureColumns(TexturePixelState& state, int32_t firstColumn, int32_t count) {
    static_assert(kNoiseCachedOctaves >= 1, "at least one octave per column");
    NoiseColumnTables& t = gNoiseColumns;
    count = std::max(count, 0);
    const size_t n = size_t(count);
    t.byColumn.resize(n * kNoiseCachedOctaves);
    t.offsets.resize(n * kNoiseCachedOctaves);
    t.weights.resize(n * kNoiseCachedOctaves);
    for (int32_t c = 0; c < count; ++c) {
        // The coordinate of each octave as FractalNoise makes it: doubled from the first.
        double x = (firstColumn + c) * state.frequency;
        for (int32_t k = 0; k < kNoiseCachedOctaves; ++k) {
            const NoiseAxis axis = AxisOf(x);
            t.byColumn[size_t(c) * kNoiseCachedOctaves + size_t(k)] = axis;
            t.offsets[size_t(k) * n + size_t(c)] = axis.offset;
            t.weights[size_t(k) * n + size_t(c)] = axis.weight;
            x *= 2.0;
        }
    }
    for (int32_t k = 0; k < kNoiseCachedOctaves; ++k) {
        std::vector<int32_t>& ends = t.runEnds[k];
        std::vector<int32_t>& cells = t.runCells[k];
        ends.clear();
        cells.clear();
        for (int32_t c = 0; c < count; ++c) {
            const int32_t cell = t.byColumn[size_t(c) * kNoiseCachedOctaves + size_t(k)].cell;
            if (!cells.empty() && cells.back() == cell) {
                ends.back() = c + 1;
                continue;
            }
            cells.push_back(cell);
            ends.push_back(c + 1);
        }
        t.octaves[k] = {t.offsets.data() + size_t(k) * n, t.weights.data() + size_t(k) * n,
                        ends.data(), cells.data(), int32_t(ends.size())};
    }
    state.columns = t.byColumn.data();
    state.firstColumn = firstColumn;
    state.columnCount = count;
    state.columnOctaves = t.octaves;
}

namespace {
// FractalNoise at the pixel with lacunarity 2, taking the lattice positions of the row and
// the column from the caches when they hold them: the same operations on the same values,
// so the same sums, with the x and y work done once per column and row instead of per pixel.
double TextureNoise(TexturePixelState& s) {
    const int64_t column = int64_t(s.x) - s.firstColumn;
    if (!s.columns || s.octaves < 1 || s.octaves > kNoiseCachedOctaves || column < 0 ||
        column >= s.columnCount)
        return FractalNoise(s.x * s.frequency, s.y * s.frequency, s.octaveDivisor, 2.0, s.octaves);
    if (gNoise.stale) InitNoise();
    if (!s.rowCached || s.cachedY != s.y) {
        double y = s.y * s.frequency;
        for (int32_t k = 0; k < kNoiseCachedOctaves; ++k) {
            s.rows[k] = AxisOf(y);
            s.cells[k].cell = -1;
            y *= 2.0;
        }
        s.rowCached = 1;
        s.cachedY = s.y;
    }
    const NoiseAxis* xs = s.columns + column * kNoiseCachedOctaves;
    double sum = 0.0, weightDivisor = 1.0;
    for (int32_t k = 0; k < s.octaves; ++k) {
        const NoiseAxis& ax = xs[k];
        const NoiseAxis& ay = s.rows[k];
        NoiseCell& c = s.cells[k];
        if (c.cell != ax.cell) {
            // A new cell along the row: its gradients and the terms of NoiseAt that do not
            // depend on x, each the same product NoiseAt forms.
            c = NoiseCellAt(ax.cell, ay);
        }
        const double fx = ax.offset;
        const double c00 = fx * c.g00x + c.y00;
        const double c10 = (fx - 1.0) * c.g10x + c.y10;
        const double c01 = fx * c.g01x + c.y01;
        const double c11 = (fx - 1.0) * c.g11x + c.y11;
        const double e0 = c00 + (c10 - c00) * ax.weight;
        const double e1 = c01 + (c11 - c01) * ax.weight;
        sum += (e0 + (e1 - e0) * ay.weight) / weightDivisor;
        weightDivisor *= s.octaveDivisor;
    }
    return sum;
}
}  // namespace

bool NoiseTextureRow(const TexturePixelState& s, int32_t y, double* noise) {
    if (!s.columns || !s.columnOctaves || s.octaves < 1 || s.octaves > kNoiseCachedOctaves)
        return false;
    if (gNoise.stale) InitNoise();
    NoiseAxis rows[kNoiseCachedOctaves];
    double v = y * s.frequency;
    for (int32_t k = 0; k < kNoiseCachedOctaves; ++k) {
        rows[k] = AxisOf(v);
        v *= 2.0;
    }
    const NoiseRowRun run = {s.columnOctaves, rows, s.columnCount, s.octaves,
                             s.octaveDivisor, noise};
    TextureRowsFor(VectorLevelInUse()).noise(run);
    return true;
}

void NoiseTexturePixel(TexturePixelState& state) {
    NoiseTextureBlend(state, TextureNoise(state));
}

void NoiseTextureBlend(TexturePixelState& state, double noise) {
    state.noise = noise;
    ForDepth(state, [&](auto depth) { TextureValue<decltype(depth)::value>(state); });
    // The one blend of the texture, so that each depth's instance of it is made inline.
    Rgb p = {state.red, state.green, state.blue};
    NoiseTextureBlendSample(state, {state.textureValue, state.tinted}, p);
    state.outRed = p.r;
    state.outGreen = p.g;
    state.outBlue = p.b;
}

bool NoiseTextureSamples(const TexturePixelState& state, const double* noise, int32_t count,
                         TextureSample* samples) {
    return ForDepth(state, [&](auto depth) {
        constexpr int32_t kMax = decltype(depth)::value;
        const TextureRowProcs& procs = TextureRowsFor(VectorLevelInUse());
        const bool dust = state.mode == AGING_DUST || state.mode == AGING_VAPOR;
        const TextureDustRowProc rows = kMax == 255 ? procs.dust8 : procs.dust16;
        if (kMax == 0 || !dust || state.reduction < -255 || state.reduction > 255)
            return TextureSamples<kMax>(state, noise, count, samples);
        for (int32_t first = 0; first < count; first += kLaterPassChunk) {
            const int32_t n = std::min(kLaterPassChunk, count - first);
            const TextureDustRun run = {
                noise + first,     samples + first, n,           state.mode == AGING_VAPOR,
                state.invert != 0, state.reduction, state.tinted};
            if (!rows(run)) TextureSamples<kMax>(state, noise + first, n, samples + first);
        }
        return true;
    });
}

void NoiseTextureBlendSample(const TexturePixelState& state, const TextureSample& sample, Rgb& p) {
    ForDepth(state, [&](auto depth) {
        p = TextureMix<decltype(depth)::value>(state, sample.value, sample.tinted == 1, p);
    });
}

void NoiseTextureBlendRow(const TexturePixelState& state, const TextureSample* samples,
                          const RowPlanes& p) {
    const TextureRowProcs& procs = TextureRowsFor(VectorLevelInUse());
    const TextureBlendRowProc blend = ForDepth(state, [&](auto depth) -> TextureBlendRowProc {
        constexpr int32_t kMax = decltype(depth)::value;
        return kMax == 255 ? procs.blend8 : kMax == 32768 ? procs.blend16 : nullptr;
    });
    const auto level = [&](int32_t v) { return v >= 0 && v <= state.max; };
    const bool rowControls = level(state.tintRed) && level(state.tintGreen) &&
                             level(state.tintBlue) && state.intensity >= 0 &&
                             state.intensity <= 100;
    for (int32_t first = 0; first < p.count; first += kLaterPassChunk) {
        const int32_t n = std::min(kLaterPassChunk, p.count - first);
        const TextureBlendRun run = {samples + first,
                                     {p.r + first, p.g + first, p.b + first, n},
                                     {state.tintRed, state.tintGreen, state.tintBlue},
                                     state.intensity,
                                     state.hard != 0};
        if (blend && rowControls && blend(run)) continue;
        for (int32_t i = first; i < first + n; ++i) {
            Rgb pixel = {p.r[i], p.g[i], p.b[i]};
            NoiseTextureBlendSample(state, samples[i], pixel);
            p.r[i] = pixel.r;
            p.g[i] = pixel.g;
            p.b[i] = pixel.b;
        }
    }
}
