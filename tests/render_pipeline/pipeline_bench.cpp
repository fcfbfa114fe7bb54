// Timings of the render engine for tools/bench_render.sh: the shipped plug-in in the test
// host filters a 6000 x 4000 image (the coffee sample scaled up) with settings A (standard
// conversion and an S-curve), from the start selector to the end of the finish selector,
// eleven rounds at 8 and 16 bits of a run on one thread, one on all and one of the pass-through
// plug-in; then the process's peak memory.
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
#include "effect/control_table.h"
#include "host/host_services.h"
#include "host/parameter_block.h"
#include "tools/testhost/host_internal.h"
#include "common/bench_runs.h"

namespace {
constexpr int kRounds = 11;

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
    for (int32_t n = 0; n < kSettingsControlCount; ++n)
        if (ControlTableRowOf(n)) integer(n, ControlTableStartValue(n));
    integer(CTL_CONVERSION_METHOD, 2);
    text("t000", "4,0,0,40,30,119,129,159,159,");
    return d;
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
        const double pixels = double(kBenchWidth) * kBenchHeight;
        printf(
            "peak working set of the test host %.1f MB: %.1f bytes a pixel (%.1f before "
            "the run, while the image was made)\n",
            peak / 1048576.0, peak / pixels, peakBefore / pixels);
        return 0;
    }
    const double megapixels = double(kBenchWidth) * kBenchHeight / 1e6;
    const std::string bin = HostProgramFolder();
    const std::string passThrough =
        bin + (sizeof(void*) == 8 ? "/ScriptTest64.8bf" : "/ScriptTest32.8bf");
    HostSession baseline;
    const bool haveBaseline = HostLoadPlugin(baseline, passThrough);
    for (int32_t depth : {8, 16}) {
        const HostImage image = ScaledSample(argv[1], depth);
        if (argc > 2) WritePpm(std::string(argv[2]) + std::to_string(depth) + ".ppm", image);
        HostSetImage(session, image);
        if (haveBaseline) HostSetImage(baseline, image);
        // Warm-up runs: the first run of each makes the parameter block and the host's buffers.
        RunOnce(session, SettingsA());
        if (haveBaseline) RunOnce(baseline, SettingsA());
        // The three kinds of run take turns, round after round, so that the machine's drift
        // (other work, the processors' clocks) falls on all of them alike; each round's render
        // share is its run less the same round's pass-through run.
        std::vector<double> times[2], base, shares[2];
        for (int round = 0; round < kRounds; ++round) {
            double roundBase = 0;
            if (haveBaseline) {
                roundBase = RunOnce(baseline, SettingsA());
                base.push_back(roundBase);
            }
            for (int pass = 0; pass < 2; ++pass) {
                if (!SetMultiCpuOff(session, pass == 0)) {
                    fprintf(stderr,
                            "pipeline_bench: cannot switch the worker threads (parameter block "
                            "or dialog-state file)\n");
                    return 4;
                }
                const double ms = RunOnce(session, SettingsA());
                times[pass].push_back(ms);
                shares[pass].push_back(ms - roundBase);
            }
        }
        if (haveBaseline)
            printf("%2d-bit pass-through plug-in (host and run driver alone): median %.1f ms\n",
                   depth, Median(base));
        for (int pass = 0; pass < 2; ++pass)
            printf("%2d-bit %s: median %.1f ms of %d runs (%.0f megapixels a second)\n", depth,
                   pass == 0 ? "1 thread " : "all threads", Median(times[pass]), kRounds,
                   megapixels / (Median(times[pass]) / 1000.0));
        printf("%2d-bit speed-up on all threads: %.2f x\n", depth,
               Median(times[0]) / Median(times[1]));
        if (haveBaseline) {
            const double one = Median(shares[0]), all = Median(shares[1]);
            char ratio[64] = "no ratio: the share is within the pass-through run's time";
            if (all > 0) snprintf(ratio, sizeof ratio, "%.2f x", one / all);
            printf(
                "%2d-bit render share (each run less its round's pass-through run): median "
                "%.1f ms on all threads, %.1f ms on one thread (%s)\n",
                depth, all, one, ratio);
        }
    }
    return 0;
}
