// Timings of the render engine for tools/bench_render.sh: the shipped plug-in in the test
// host filters a 6000 x 4000 image (the coffee sample scaled up) with settings A (standard
// conversion and an S-curve), from the start selector to the end of the finish selector,
// five runs each at 8 and 16 bits on one thread and on all; then the process's peak memory.
// Writes the image as PPM files for the script's libvips comparison. The same runs of the
// scripting test plug-in, whose render hook does nothing, give what the test host and the
// run driver cost around the render (delivering and copying the pixels).

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "host/host_services.h"
#include "host/parameter_block.h"
#include "tools/testhost/host_internal.h"

namespace {
constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;
constexpr int kRuns = 5;

HostImage ScaledSample(const std::string& path, int32_t depth) {
    HostImage sample;
    std::string error;
    if (!HostImageReadPng(path, 8, 3, &sample, &error)) {
        fprintf(stderr, "pipeline_bench: %s\n", error.c_str());
        exit(2);
    }
    HostImage image = HostImageMake(kWidth, kHeight, 3, depth);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                const uint16_t v =
                    sample.at(x * sample.width / kWidth, y * sample.height / kHeight, c);
                image.at(x, y, c) = depth == 16 ? HostSample8To16(v) : v;
            }
    return image;
}

Descriptor SettingsA() {
    Descriptor d;
    auto integer = [&d](int32_t control, int32_t value) {
        DescriptorItem item;
        char key[5];
        snprintf(key, sizeof key, "%04d", control);
        item.key = FourCC(key);
        item.type = DESC_TYPE_INTEGER;
        item.integer = value;
        d.push_back(item);
    };
    auto text = [&d](const char* key, const char* value) {
        DescriptorItem item;
        char k[5] = {key[0], key[1], key[2], key[3], 0};
        item.key = FourCC(k);
        item.type = DESC_TYPE_TEXT;
        item.text = value;
        d.push_back(item);
    };
    for (const ControlValueSpec& spec : kControlValueSpecs)
        if (spec.number < kSettingsControlCount) integer(spec.number, spec.value);
    integer(CTL_CONVERSION_METHOD, 2);
    text("t000", "4,0,0,40,30,119,129,159,159,");
    return d;
}

double RunOnce(HostSession& session, const Descriptor& settings) {
    HostBeginRun(session);
    FilterRecord& r = session.record;
    session.descriptorParameters.descriptor = DescriptorToHandle(session, settings);
    int16_t result = HostCallSelector(session, SELECTOR_PREPARE);
    const auto start = std::chrono::steady_clock::now();
    if (result == 0) result = HostCallSelector(session, SELECTOR_START);
    while (result == 0 &&
           !(HostRectEmpty(r.inRect) && HostRectEmpty(r.outRect) && HostRectEmpty(r.maskRect))) {
        result = HostDeliverRects(session);
        if (result == 0) result = HostCallSelector(session, SELECTOR_CONTINUE);
    }
    HostCommitAndRelease(session);
    if (result == 0) result = HostCallSelector(session, SELECTOR_FINISH);
    const auto end = std::chrono::steady_clock::now();
    if (HostHandle recorded = session.descriptorParameters.descriptor) {
        HostDisposeHandleRecord(session, recorded);
        session.descriptorParameters.descriptor = nullptr;
    }
    if (result != 0) {
        fprintf(stderr, "pipeline_bench: the filter returned %d\n", result);
        exit(3);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The worker count follows the preference CTL_MULTI_CPU_OFF, an interface control that no
// descriptor carries: the benchmark sets it in the plug-in's parameter block, which the host
// keeps between runs, as the dialog's check box would.
bool SetMultiCpuOff(HostSession& session, bool off) {
    auto* block =
        static_cast<ParameterBlock*>(PseudoHandleBlock(session.parameters, sizeof(ParameterBlock)));
    if (!block) return false;
    block->controls[CTL_MULTI_CPU_OFF].value = off;
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WritePpm(const std::string& path, const HostImage& image) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    const int32_t max = image.depth == 16 ? 65535 : 255;
    fprintf(file, "P6\n%d %d\n%d\n", image.width, image.height, max);
    std::vector<uint8_t> row;
    for (int32_t y = 0; y < image.height; ++y) {
        row.clear();
        for (int32_t x = 0; x < image.width; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                const uint16_t v = image.at(x, y, c);
                if (image.depth == 16) {
                    const uint16_t file16 = HostSampleTo16BitFile(v);
                    row.push_back(uint8_t(file16 >> 8));
                    row.push_back(uint8_t(file16 & 0xFF));
                } else {
                    row.push_back(uint8_t(v));
                }
            }
        fwrite(row.data(), 1, row.size(), file);
    }
    return fclose(file) == 0;
}

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}
}  // namespace

// pipeline_bench SAMPLE.png [PPM-PREFIX] [memory]
int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: pipeline_bench SAMPLE.png [PPM-PREFIX] [memory]\n");
        return 1;
    }
    const bool memoryOnly = argc > 3 && std::string(argv[3]) == "memory";
    HostSession session;
    if (!HostLoadPlugin(session, HostDefaultPluginPath())) {
        fprintf(stderr, "pipeline_bench: cannot load %s\n", HostDefaultPluginPath().c_str());
        return 2;
    }
    session.options.noProgressProc = false;
    if (memoryOnly) {
        // The host holds the document (its source, working and result images); this
        // program's own copy is gone before the run.
        HostSetImage(session, ScaledSample(argv[1], 16));
        const size_t peakBefore = PeakWorkingSet();
        RunOnce(session, SettingsA());
        const size_t peak = PeakWorkingSet();
        const double pixels = double(kWidth) * kHeight;
        printf(
            "peak working set of the test host %.1f MB: %.1f bytes a pixel (%.1f before "
            "the run, while the image was made)\n",
            peak / 1048576.0, peak / pixels, peakBefore / pixels);
        return 0;
    }
    const double megapixels = double(kWidth) * kHeight / 1e6;
    const std::string bin = HostProgramFolder();
    const std::string passThrough =
        bin + (sizeof(void*) == 8 ? "/ScriptTest64.8bf" : "/ScriptTest32.8bf");
    for (int32_t depth : {8, 16}) {
        const HostImage image = ScaledSample(argv[1], depth);
        if (argc > 2) WritePpm(std::string(argv[2]) + std::to_string(depth) + ".ppm", image);
        {
            HostSession baseline;
            if (HostLoadPlugin(baseline, passThrough)) {
                HostSetImage(baseline, image);
                std::vector<double> times;
                for (int run = 0; run < kRuns; ++run)
                    times.push_back(RunOnce(baseline, SettingsA()));
                printf("%2d-bit pass-through plug-in (host and run driver alone): median %.1f ms\n",
                       depth, Median(times));
            }
        }
        HostSetImage(session, image);
        double perThreads[2] = {0, 0};
        RunOnce(session, SettingsA());  // makes the parameter block
        for (int pass = 0; pass < 2; ++pass) {
            if (!SetMultiCpuOff(session, pass == 0)) {
                fprintf(stderr, "pipeline_bench: no parameter block after a run\n");
                return 4;
            }
            std::vector<double> times;
            for (int run = 0; run < kRuns; ++run) times.push_back(RunOnce(session, SettingsA()));
            perThreads[pass] = Median(times);
            printf("%2d-bit %s: median %.1f ms of %d runs (%.0f megapixels a second)\n", depth,
                   pass == 0 ? "1 thread " : "all threads", perThreads[pass], kRuns,
                   megapixels / (perThreads[pass] / 1000.0));
        }
        printf("%2d-bit speed-up on all threads: %.2f x\n", depth, perThreads[0] / perThreads[1]);
    }
    return 0;
}
