// Timings of the aging texture of settings B on a 6000 x 4000 image, on one thread, part by
// part: the rows' fractal noise, their samples, and the blend (pixel by pixel and a row
// chunk at a time), at every vector level; the fastest of several runs, for both depths.
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

double NowMs() {
    LARGE_INTEGER ticks, frequency;
    QueryPerformanceCounter(&ticks);
    QueryPerformanceFrequency(&frequency);
    return double(ticks.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// One run over the image: each part's ms summed over the rows. Grey levels, as the
// black-and-white image under settings B has them.
void TextureRun(const TexturePixelState& s, double* ms) {
    std::vector<double> noise(kWidth);
    std::vector<TextureSample> samples(kWidth);
    std::vector<int32_t> r(kWidth), g(kWidth), b(kWidth);
    std::vector<Rgb> pixels(kWidth);
    for (int32_t y = 0; y < kHeight; ++y) {
        const double start = NowMs();
        NoiseTextureRow(s, y, noise.data());
        const double noiseEnd = NowMs();
        for (int32_t x = 0; x < kWidth; x += kSampleChunk)
            NoiseTextureSamples(s, noise.data() + x, std::min(kSampleChunk, kWidth - x),
                                samples.data() + x);
        const double samplesEnd = NowMs();
        for (int32_t x = 0; x < kWidth; ++x) {
            const int32_t v = ((x * 7 + y * 3) * (s.max / 255)) % (s.max + 1);
            pixels[size_t(x)] = {v, v, v};
            r[size_t(x)] = g[size_t(x)] = b[size_t(x)] = v;
        }
        const double pixelStart = NowMs();
        for (int32_t x = 0; x < kWidth; ++x)
            NoiseTextureBlendSample(s, samples[size_t(x)], pixels[size_t(x)]);
        const double pixelEnd = NowMs();
        for (int32_t x = 0; x < kWidth; x += kLaterPassChunk) {
            const int32_t n = std::min(kLaterPassChunk, kWidth - x);
            NoiseTextureBlendRow(s, samples.data() + x,
                                 {r.data() + x, g.data() + x, b.data() + x, n});
        }
        const double rowEnd = NowMs();
        ms[PART_NOISE] += noiseEnd - start;
        ms[PART_SAMPLES] += samplesEnd - noiseEnd;
        ms[PART_PIXEL_BLEND] += pixelEnd - pixelStart;
        ms[PART_ROW_BLEND] += rowEnd - pixelEnd;
        if (r[size_t(y % kWidth)] != pixels[size_t(y % kWidth)].r) {
            fprintf(stderr, "row blend differs in row %d\n", y);
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
    printf("aging texture of settings B, 6000 x 4000, one thread, ms (load %s)\n", load);
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
