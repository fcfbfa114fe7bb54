// Timings of the render foundations on large arrays (not a test), for
// tools/bench_render_foundations.sh. Each prints the best of five runs in milliseconds.
//   render_bench blur <width> <height> <radiusTenths> <threads> [pattern.ppm]
//       recursive blur of three 1-byte planes; optionally writes the unblurred pattern
//   render_bench passes <width> <height> <radiusTenths> [threads]
//       the two recursive passes on one thread (or on threads), each timed
//   render_bench contrast <width> <height> <threads>
//       local contrast of one 16-bit plane with the render's settings

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "render/blur.h"
#include "render/local_contrast.h"
#include "render/pass_threads.h"

namespace {
constexpr int32_t kBenchArray = 11;
constexpr int kRepeats = 5;

// A photograph-like test pattern: smooth gradients with a fine texture.
int32_t PatternLevel(int32_t x, int32_t y, int32_t c, int32_t width, int32_t height,
                     uint32_t& state) {
    state = state * 214013u + 2531011u;
    const int32_t v = (x * 255 / width + y * 255 / height) / 2 + int32_t((state >> 16) & 31) - 16;
    return std::clamp(v + c * 10, 0, 255);
}

void FillPattern(uint8_t* data, int32_t width, int32_t height, int32_t channels) {
    uint32_t state = 12345;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < channels; ++c)
                data[(int64_t(y) * width + x) * channels + c] =
                    uint8_t(PatternLevel(x, y, c, width, height, state));
}

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

bool WritePpm(const char* path, const uint8_t* data, int32_t width, int32_t height) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    const size_t bytes = size_t(width) * height * 3;
    const bool written = std::fwrite(data, 1, bytes, f) == bytes;
    return std::fclose(f) == 0 && written;
}

int BenchBlur(int argc, char** argv) {
    const int32_t width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const int32_t radius = std::atoi(argv[4]), threads = std::atoi(argv[5]);
    if (!CreateArray(kBenchArray, width, height, 3, 1)) return 1;
    uint8_t* data = static_cast<uint8_t*>(GetArrayBase(kBenchArray));
    FillPattern(data, width, height, 3);
    if (argc > 6 && !WritePpm(argv[6], data, width, height)) return 1;
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

void RunBenchPass(void* context, int32_t threadIndex) {
    const auto* call = static_cast<const std::pair<const BlurJob*, bool>*>(context);
    if (call->second)
        RecursiveBlurPass1(*call->first, threadIndex);
    else
        RecursiveBlurPass2(*call->first, threadIndex);
}

int BenchPasses(int argc, char** argv) {
    const int32_t width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const int32_t threads = argc > 5 ? std::max(1, std::atoi(argv[5])) : 1;
    if (!CreateArray(kBenchArray, width, height, 3, 1)) return 1;
    FillPattern(static_cast<uint8_t*>(GetArrayBase(kBenchArray)), width, height, 3);
    const BlurJob job = {kBenchArray, std::atoi(argv[4]), 0, threads};
    double rows = 1e30, columns = 1e30;
    for (int i = 0; i < kRepeats; ++i) {
        std::pair<const BlurJob*, bool> call = {&job, true};
        const double t0 = NowMs();
        RunPassThreads(threads, RunBenchPass, &call);
        const double t1 = NowMs();
        call.second = false;
        RunPassThreads(threads, RunBenchPass, &call);
        rows = std::min(rows, t1 - t0);
        columns = std::min(columns, NowMs() - t1);
    }
    std::printf("rows %.1f columns %.1f\n", rows, columns);
    return 0;
}

int BenchContrast(char** argv) {
    const int32_t width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const int32_t threads = std::atoi(argv[4]);
    std::vector<uint16_t> source(size_t(width) * height), work;
    uint32_t state = 777;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            source[size_t(y) * width + x] =
                uint16_t(PatternLevel(x, y, 0, width, height, state) * 128 + x % 128);
    const LocalContrastSettings settings = {80, 255, 255, 255, 100, 0, 0, 0, 0, threads};
    double best = 1e30;
    for (int i = 0; i < kRepeats; ++i) {
        work = source;
        const double start = NowMs();
        EqualizeTiles(work.data(), 2, width, height, settings);
        best = std::min(best, NowMs() - start);
    }
    std::printf("%.1f\n", best);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc >= 6 && std::strcmp(argv[1], "blur") == 0) return BenchBlur(argc, argv);
    if (argc >= 5 && std::strcmp(argv[1], "passes") == 0) return BenchPasses(argc, argv);
    if (argc >= 5 && std::strcmp(argv[1], "contrast") == 0) return BenchContrast(argv);
    std::fprintf(stderr,
                 "usage: render_bench blur <w> <h> <radiusTenths> <threads> [pattern.ppm]\n"
                 "       render_bench passes <w> <h> <radiusTenths> [threads]\n"
                 "       render_bench contrast <w> <h> <threads>\n");
    return 2;
}
