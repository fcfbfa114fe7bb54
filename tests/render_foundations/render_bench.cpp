// Timings of the render foundations on large arrays (not a test): the recursive blur and
// the adaptive local contrast, for the benchmark script tools/bench_render_foundations.sh.
//   render_bench blur <width> <height> <radiusTenths> <threads> [out.ppm]
//   render_bench contrast <width> <height> <threads>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "render/blur.h"

namespace {
constexpr int32_t kBenchArray = 11;
constexpr int kRepeats = 5;

// A photograph-like test pattern: smooth gradients with a fine texture.
void FillPattern(uint8_t* data, int32_t width, int32_t height, int32_t channels) {
    uint32_t state = 12345;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < channels; ++c) {
                state = state * 214013u + 2531011u;
                const int32_t v = (x * 255 / width + y * 255 / height) / 2 +
                                  int32_t((state >> 16) & 31) - 16 + c * 10;
                data[(int64_t(y) * width + x) * channels + c] = uint8_t(v < 0     ? 0
                                                                        : v > 255 ? 255
                                                                                  : v);
            }
}

double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

void WritePpm(const char* path, const uint8_t* data, int32_t width, int32_t height) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    std::fwrite(data, 1, size_t(width) * height * 3, f);
    std::fclose(f);
}

int BenchBlur(int argc, char** argv) {
    const int32_t width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const int32_t radius = std::atoi(argv[4]), threads = std::atoi(argv[5]);
    if (!CreateArray(kBenchArray, width, height, 3, 1)) return 1;
    uint8_t* data = static_cast<uint8_t*>(GetArrayBase(kBenchArray));
    FillPattern(data, width, height, 3);
    if (argc > 6) WritePpm(argv[6], data, width, height);
    SetProcessorCountOverride(threads);
    double best = 1e30;
    for (int i = 0; i < kRepeats; ++i) {
        FillPattern(data, width, height, 3);
        const double start = NowMs();
        RecursiveBlurMT(kBenchArray, radius, 1, 0);
        best = std::min(best, NowMs() - start);
    }
    std::printf("%.1f\n", best);
    return 0;
}
}  // namespace

int BenchPasses(char** argv) {
    const int32_t width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    if (!CreateArray(kBenchArray, width, height, 3, 1)) return 1;
    uint8_t* data = static_cast<uint8_t*>(GetArrayBase(kBenchArray));
    FillPattern(data, width, height, 3);
    const BlurJob job = {kBenchArray, std::atoi(argv[4]), 0, 1};
    double t0 = NowMs();
    RecursiveBlurPass1(job, 0);
    double t1 = NowMs();
    RecursiveBlurPass2(job, 0);
    double t2 = NowMs();
    std::printf("pass1 %.1f pass2 %.1f\n", t1 - t0, t2 - t1);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "passes") == 0) return BenchPasses(argv);
    if (argc >= 6 && std::strcmp(argv[1], "blur") == 0) return BenchBlur(argc, argv);
    std::fprintf(stderr, "usage: render_bench blur <w> <h> <radiusTenths> <threads> [out.ppm]\n");
    return 2;
}
