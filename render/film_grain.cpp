// Per-pixel film grain of the last pass: noise of the worker's own random source mixed
// with the render hook's grain field, weighted by tone.

#include "render/film_grain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effect/control_ids.h"
#include "host/pool_jobs.h"
#include "render/render_arrays.h"
#include "render/render_fields.h"

namespace {
constexpr int32_t kFieldOnlySize = 20;  // from this size on the field alone makes the grain

struct GrainValues {
    int32_t red, green, blue, grey;
};

// Channels of the grain field: red, green, blue (and grey) by the colour amount.
struct FieldChannels {
    int32_t red, green, blue, grey;
};

FieldChannels ChannelsFor(int32_t colour) {
    if (colour == 0) return {0, 0, 0, 0};
    if (colour >= 100) return {0, 1, 2, 0};
    return {1, 2, 3, 0};
}

int32_t FieldChannelCount(int32_t colour) {
    return colour == 0 ? 1 : colour >= 100 ? 3 : 4;
}

int32_t ToneAt(const FilmGrain& g, int32_t i) {
    return g.tone[std::clamp(i, 0, 255)];
}

// Scales a grain value by tone: the larger in size of the shadow-or-highlight weight and the
// midtone weight wins.
int32_t ToneWeighted(int32_t value, int32_t t, int32_t tm) {
    const int32_t g1 = (t * value) / 52, g2 = (tm * value) / 52;
    return std::abs(g1) < std::abs(g2) ? g2 : g1;
}

template <int32_t kMax>
int32_t GrainChannel(const GrainDepth<kMax>& d, int32_t v, int32_t g) {
    const int64_t max = d.max, mid = d.mid;
    int64_t out;
    if (v < mid)
        out = DivideByMax((g + mid) * v * 2, max);
    else
        out = max + DivideByMax((g - max + mid) * (max - v) * 2, max);
    return int32_t(std::clamp<int64_t>(out, 0, max));
}

template <int32_t kMax>
void GrainPixel(const FilmGrain& g, int32_t column, int32_t row, const int32_t* draws, Rgb& p) {
    const GrainDepth<kMax> d(g.depth);
    const int32_t intensity = g.intensity, c = g.colour, s = g.size, mid = d.mid;
    const bool mixed = c > 0 && c < 100;
    const FieldChannels ch = ChannelsFor(c);
    auto grain = [&](int32_t n) { return ((n - mid) * intensity) / 200; };
    auto field = [&](int32_t channel) {
        int32_t stored = g.field.At(std::min(column, g.field.width - 1),
                                    std::min(row, g.field.height - 1), channel);
        if (g.fieldLevels) stored = g.fieldLevels[stored];
        return grain(stored / d.grainDivisor);
    };
    auto colourMix = [&](GrainValues& v) {
        v.red = (c * v.red + (100 - c) * v.grey) / 100;
        v.green = (c * v.green + (100 - c) * v.grey) / 100;
        v.blue = (c * v.blue + (100 - c) * v.grey) / 100;
    };
    GrainValues v = {0, 0, 0, 0};
    if (s < kFieldOnlySize) {
        if (c == 0) {
            v.red = grain(draws[0]);
        } else {
            v.grey = grain(draws[0]);
            v.red = grain(draws[1]);
            v.green = grain(draws[2]);
            v.blue = grain(draws[3]);
            if (c < 100) colourMix(v);
        }
        if (s > 0) {
            auto blend = [&](int32_t fieldValue, int32_t value) {
                return (fieldValue * s + (kFieldOnlySize - s) * value) / kFieldOnlySize;
            };
            v.red = blend(field(ch.red), v.red);
            if (c != 0) {
                v.green = blend(field(ch.green), v.green);
                v.blue = blend(field(ch.blue), v.blue);
            }
            if (mixed) {
                v.grey = blend(field(ch.grey), v.grey);
                colourMix(v);
            }
        }
    } else {
        v.red = field(ch.red);
        if (c != 0) {
            v.green = field(ch.green);
            v.blue = field(ch.blue);
        }
        if (mixed) {
            v.grey = field(ch.grey);
            colourMix(v);
        }
    }
    if (g.toneWeighted) {
        const int32_t i = ClampLevel(Luma601(p) / d.mult, 255);
        const int32_t t = Luma601(p) < mid ? ((g.shadows + 100) * ToneAt(g, i)) / 50
                                           : ((g.highlights + 100) * ToneAt(g, 255 - i)) / 50;
        const int32_t tm =
            ((g.midtones + 100) * ((ToneAt(g, i - 64) + ToneAt(g, 191 - i)) / 2)) / 50;
        v.red = ToneWeighted(v.red, t, tm);
        v.green = ToneWeighted(v.green, t, tm);
        v.blue = ToneWeighted(v.blue, t, tm);
    }
    if (c == 0) v.green = v.blue = v.red;
    // A grey pixel under grey grain stays grey: one channel serves all three.
    if (p.r == p.g && p.r == p.b && v.red == v.green && v.red == v.blue) {
        const int32_t grey = GrainChannel(d, p.r, v.red);
        p = {grey, grey, grey};
        return;
    }
    p = {GrainChannel(d, p.r, v.red), GrainChannel(d, p.g, v.green), GrainChannel(d, p.b, v.blue)};
}
}  // namespace

int32_t GrainSize(const int32_t* v, int32_t W, int32_t H) {
    const int32_t size = v[CTL_GRAIN_SIZE];
    if (!v[CTL_GRAIN_SCALE_TO_IMAGE]) return size;
    return int32_t(std::trunc(std::sqrt(std::max(W, H) / 1000.0) * size));
}

FilmGrain FilmGrainFromControls(const int32_t* v, const BitDepth& depth, int32_t W, int32_t H) {
    FilmGrain g = {};
    g.depth = depth;
    g.intensity = v[CTL_GRAIN_INTENSITY];
    g.colour = std::clamp(v[CTL_GRAIN_COLOR], 0, 100);
    g.size = std::max(GrainSize(v, W, H), 0);
    if (g.intensity != 0 && g.size > 0) {
        g.field = ArrayViewOf(ARRAY_GRAIN, FieldChannelCount(g.colour));
        // Without its field (it could not be made) the grain is the per-pixel noise alone.
        if (!g.field.Valid() || g.field.elementBytes != 2) {
            g.field = ArrayView{};
            g.size = 0;
        } else {
            g.fieldLevels = FieldStretchLevels(ARRAY_GRAIN);
        }
    }
    g.shadows = v[CTL_GRAIN_SHADOWS];
    g.highlights = v[CTL_GRAIN_HIGHLIGHTS];
    g.midtones = v[CTL_GRAIN_MIDTONES];
    g.toneWeighted = g.shadows != 0 || g.highlights != 0 || g.midtones != 0;
    if (g.toneWeighted) ReadToneWeights(ARRAY_GRAIN_TONE, g.tone);
    g.drawsPerPixel = GrainDrawsPerPixel(g);
    return g;
}

void ApplyGrain(const FilmGrain& g, int32_t column, int32_t row, uint32_t& random, Rgb& p) {
    int32_t draws[4] = {};
    GrainDrawRow(g, random, 1, draws);
    ApplyGrainDrawn(g, column, row, draws, p);
}

int32_t GrainDrawsPerPixel(const FilmGrain& g) {
    if (g.size >= kFieldOnlySize) return 0;
    return g.colour == 0 ? 1 : 4;
}

void GrainDrawRow(const FilmGrain& g, uint32_t& random, int32_t count, int32_t* draws) {
    GrainNoiseRowFromState(random, g.depth.max, draws, count * GrainDrawsPerPixel(g));
}

void ApplyGrainDrawn(const FilmGrain& g, int32_t column, int32_t row, const int32_t* draws,
                     Rgb& p) {
    const BitDepth& d = g.depth;
    if (d.max == 255 && d.mid == 128 && d.mult == 1 && d.grainDivisor == 128)
        GrainPixel<255>(g, column, row, draws, p);
    else if (d.max == 32768 && d.mid == 16384 && d.mult == 128 && d.grainDivisor == 1)
        GrainPixel<32768>(g, column, row, draws, p);
    else
        GrainPixel<0>(g, column, row, draws, p);
}

void GrainFieldRow(const FilmGrain& g, int32_t column, int32_t row, int32_t count,
                   int32_t* const out[4]) {
    const FieldChannels ch = ChannelsFor(g.colour);
    const int32_t channels[4] = {ch.red, ch.green, ch.blue, ch.grey};
    const int32_t used = g.colour == 0 ? 1 : g.colour >= 100 ? 3 : 4;
    for (int32_t k = 0; k < used; ++k) {
        g.field.RowClamped(column, row, channels[k], count, out[k]);
        if (g.fieldLevels)
            for (int32_t i = 0; i < count; ++i) out[k][i] = g.fieldLevels[out[k][i]];
    }
}
