// Timings of the aging texture of settings B on a 6000 x 4000 image, on one thread, part by
// part: the rows' fractal noise, their samples, and the blend (pixel by pixel and a row
// chunk at a time), at every vector level; the least processor time of several runs, for
// both depths.
//   texture_bench [RUNS]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "effect/control_ids.h"
#include "host/random_source.h"
#include "render/gradient_noise.h"
#include "render/later_pass_rows.h"
#include "render/vector_level.h"
#include "render_effects/effect_settings.h"
#include "render_pipeline/engine_image.h"

namespace {
constexpr int32_t kWidth = 6000, kHeight = 4000;
constexpr int32_t kSampleChunk = 256;  // the samples a worker makes at a time

enum TexturePart : int32_t {
    PART_NOISE,
    PART_SAMPLES,
    PART_PIXEL_BLEND,
    PART_ROW_BLEND,
    PART_COUNT
};
const char* const kPartNames[PART_COUNT] = {"noise rows", "samples", "blend per pixel",
                                            "blend rows"};

// The calling thread's processor time in ms: on a machine shared with other work the wall
// clock counts the waits for a processor too.
double ThreadMs() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// Rows of noise kept for the later parts: every row of the image takes one of them.
constexpr int32_t kKeptRows = 64;

// One run over the image, part by part (each over every row): its processor ms. Grey levels,
// as the black-and-white image under settings B has them.
void TextureRun(const TexturePixelState& s, double* ms) {
    const size_t kept = size_t(kWidth) * kKeptRows;
    std::vector<double> noise(kept);
    std::vector<TextureSample> samples(kept);
    std::vector<int32_t> levels(kept);
    for (size_t i = 0; i < kept; ++i)
        levels[i] = int32_t((i * 7 + i / kWidth * 3) * size_t(s.max / 255) % size_t(s.max + 1));
    std::vector<int32_t> r(kWidth), g(kWidth), b(kWidth);
    std::vector<Rgb> pixels(kWidth);
    double start = ThreadMs();
    for (int32_t y = 0; y < kHeight; ++y)
        NoiseTextureRow(s, y, noise.data() + size_t(y % kKeptRows) * kWidth);
    ms[PART_NOISE] = ThreadMs() - start;
    start = ThreadMs();
    for (int32_t y = 0; y < kHeight; ++y) {
        const size_t row = size_t(y % kKeptRows) * kWidth;
        for (int32_t x = 0; x < kWidth; x += kSampleChunk)
            NoiseTextureSamples(s, noise.data() + row + x, std::min(kSampleChunk, kWidth - x),
                                samples.data() + row + x);
    }
    ms[PART_SAMPLES] = ThreadMs() - start;
    start = ThreadMs();
    for (int32_t y = 0; y < kHeight; ++y) {
        const size_t row = size_t(y % kKeptRows) * kWidth;
        for (size_t x = 0; x < size_t(kWidth); ++x) {
            const int32_t v = levels[row + x];
            pixels[x] = {v, v, v};
            NoiseTextureBlendSample(s, samples[row + x], pixels[x]);
        }
    }
    ms[PART_PIXEL_BLEND] = ThreadMs() - start;
    start = ThreadMs();
    for (int32_t y = 0; y < kHeight; ++y) {
        const size_t row = size_t(y % kKeptRows) * kWidth;
        std::copy_n(levels.data() + row, kWidth, r.data());
        std::copy_n(levels.data() + row, kWidth, g.data());
        std::copy_n(levels.data() + row, kWidth, b.data());
        for (int32_t x = 0; x < kWidth; x += kLaterPassChunk) {
            const int32_t n = std::min(kLaterPassChunk, kWidth - x);
            NoiseTextureBlendRow(s, samples.data() + row + size_t(x),
                                 {r.data() + x, g.data() + x, b.data() + x, n});
        }
    }
    ms[PART_ROW_BLEND] = ThreadMs() - start;
    // The last row both ways: the row blend must give the pixel blend's levels.
    for (size_t x = 0; x < size_t(kWidth); ++x) {
        if (r[x] != pixels[x].r || g[x] != pixels[x].g || b[x] != pixels[x].b) {
            fprintf(stderr, "row blend differs at %d\n", int32_t(x));
            exit(1);
        }
    }
}
}  // namespace

int main(int argc, char** argv) {
    const int32_t runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    EngineBegin();
    ApplySettings(EngineControls(), SettingsB());
    const int32_t* v = EngineControls();
    FILE* f = fopen("/proc/loadavg", "r");
    char load[64] = {};
    if (f) {
        if (!fgets(load, sizeof load, f)) load[0] = 0;
        fclose(f);
    }
    load[strcspn(load, "\n")] = 0;
    printf("aging texture of settings B, 6000 x 4000, one thread, processor ms (load %s)\n", load);
    for (bool sixteen : {false, true}) {
        TexturePixelState s{};
        NoiseTextureSetup(s, v, sixteen, kWidth, kHeight, 1);
        RandomSeed(uint32_t(v[CTL_AGING_RANDOMIZE]));
        InitNoise();
        NoiseTextureColumns(s, 0, kWidth);
        for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
            SetVectorLevelOverride(level);
            double best[PART_COUNT];
            std::fill(best, best + PART_COUNT, 1e30);
            for (int32_t run = 0; run < runs; ++run) {
                double ms[PART_COUNT] = {};
                TextureRun(s, ms);
                for (int32_t k = 0; k < PART_COUNT; ++k) best[k] = std::min(best[k], ms[k]);
            }
            printf("  %s, %s:", sixteen ? "16-bit" : "8-bit", level ? "AVX2" : "SSE2");
            for (int32_t k = 0; k < PART_COUNT; ++k) printf("  %s %.1f", kPartNames[k], best[k]);
            printf("\n");
        }
    }
    SetVectorLevelOverride(-1);
    EngineEnd();
    return 0;
}
