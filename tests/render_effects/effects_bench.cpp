// Timings of the effect chain for tools/bench_render_effects.sh: the shipped plug-in in the
// test host filters a 6000 x 4000 image (the coffee sample scaled up) with settings B (film
// look) and C (all three passes), from the start selector to the end of the finish
// selector, on all threads and on one; diffusion at radius 1 and 100; then, in a process of
// its own, the peak memory of settings C at 16 bits. Writes the image as PPM files for the
// script's G'MIC comparison.
//   effects_bench SAMPLE.png [PPM-PREFIX]      timings
//   effects_bench SAMPLE.png "" memory         peak memory with settings C at 16 bits
//   effects_bench SAMPLE.png "" memory-pass-through   the same with the pass-through plug-in
//   effects_bench SAMPLE.png "" parts          each effect alone on settings A, 8 bits
//   effects_bench SAMPLE.png "" hashes         a hash of each setting's output, 8 and 16 bits
//                                              on one thread (the same with any plug-in build:
//                                              a check that a faster build renders the same pixels)
//   effects_bench SAMPLE.png "" profile [N [RUNS [ABC]]]  the render engine in this process,
//                                              stage by stage, on one thread and on N (default
//                                              8), settings A, B and C or those named;
//                                              ABC "parts": the hash cases on one thread
//   effects_bench SAMPLE.png "" engine-hashes  the hashes of the render engine in this
//                                              process on 1, 2, 3 and 8 threads
//   effects_bench SAMPLE.png "" hashes-threads the same on all threads (pin their number with
//                                              WINE_CPU_TOPOLOGY: the grain follows the threads)
//   effects_bench SAMPLE.png "" whole-runs [ABC [RUNS]]  only the whole runs of the settings
//                                              named (default C) on all threads, 8 and 16 bits,
//                                              each run's time, with the page faults it took
//                                              (fresh memory is dear under Wine in a virtual
//                                              machine), and the median of RUNS (default 5)
//   effects_bench SAMPLE.png "" whole-runs-pass-through [RUNS]  the same runs of the
//                                              pass-through plug-in: the test host's own share
//   effects_bench SAMPLE.png "" capacity       the machine's own speed-up on all threads, with
//                                              work that has no serial part: the ceiling of
//                                              every speed-up printed here

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "host/host_services.h"
#include "host/parameter_block.h"
#include "render_effects/effect_settings.h"
#include "render_effects/settings_script.h"
#include "render_effects/stage_profile.h"
#include "common/machine_capacity.h"
#include "tools/testhost/host_internal.h"
#include "common/bench_runs.h"

namespace {
constexpr int kRuns = 5;

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

// The Linux process this program runs in (Wine resolves /proc/self to its server): the one
// whose command line starts with this program and names the sample given (a launcher such as
// flock or wine names them too, but not first). 0 where there is no /proc or where that is
// not one process.
unsigned UnixProcessId(const char* sample) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    unsigned found = 0, matches = 0;
    do {
        const unsigned pid = unsigned(strtoul(entry.cFileName, nullptr, 10));
        if (pid == 0) continue;
        const std::string path = std::string("Z:\\proc\\") + entry.cFileName + "\\cmdline";
        FILE* f = fopen(path.c_str(), "rb");
        if (!f) continue;
        char text[1024] = {};
        const size_t n = fread(text, 1, sizeof text - 1, f);
        fclose(f);
        const std::string program(text, strnlen(text, n));
        for (size_t i = 0; i < n; ++i)
            if (!text[i]) text[i] = ' ';
        const std::string name = "effects_bench.exe";
        const bool first = program.size() >= name.size() &&
                           program.compare(program.size() - name.size(), name.size(), name) == 0;
        if (first && strstr(text, sample) && strstr(text, "whole-runs")) {
            found = pid;
            ++matches;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return matches == 1 ? found : 0;
}

// Minor page faults of the whole process so far, as Linux counts them (Wine leaves the
// Windows count at zero); 0 where there is no /proc.
size_t PageFaults(const char* sample) {
    static const unsigned pid = UnixProcessId(sample);
    if (!pid) return 0;
    FILE* f = fopen(("Z:\\proc\\" + std::to_string(pid) + "\\stat").c_str(), "rb");
    if (!f) return 0;
    char text[1024] = {};
    fread(text, 1, sizeof text - 1, f);
    fclose(f);
    const char* p = strrchr(text, ')');
    unsigned long long minor = 0;
    if (p) sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %llu", &minor);
    return size_t(minor);
}

// One thread or all for the next runs; ends the program when the switch cannot be set (after
// a first run, which makes the parameter block).
void SwitchThreads(HostSession& session, bool oneThread) {
    if (SetMultiCpuOff(session, oneThread)) return;
    fprintf(stderr,
            "effects_bench: cannot switch the worker threads (parameter block or "
            "dialog-state file)\n");
    exit(4);
}

// Median of kRuns after one warm-up run (which also makes the parameter block).
double Time(HostSession& session, const std::vector<ControlSetting>& settings, bool oneThread) {
    const Descriptor d = SettingsScript(settings);
    RunOnce(session, d);
    SwitchThreads(session, oneThread);
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) times.push_back(RunOnce(session, d));
    return Median(times);
}

std::vector<ControlSetting> Diffusion(int32_t radius) {
    std::vector<ControlSetting> s = SettingsA();
    s.push_back({CTL_DIFFUSION_INTENSITY, 50});
    s.push_back({CTL_DIFFUSION_RADIUS, radius});
    return s;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: effects_bench SAMPLE.png [PPM-PREFIX] [memory|parts]\n");
        return 1;
    }
    const std::string mode = argc > 3 ? argv[3] : "";
    if (mode == "engine-hashes") return EngineHashesMain(argv[1]);
    if (mode == "capacity") {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const int32_t threads = int32_t(info.dwNumberOfProcessors);
        const MachineCapacity capacity = MeasureMachineCapacity(threads);
        printf(
            "the machine on %d threads against one, with no serial part: %.2f x the "
            "arithmetic, %.2f x the copying\n",
            threads, capacity.compute, capacity.copying);
        return 0;
    }
    if (mode == "profile")
        return StageProfileMain(argv[1], argc > 4 ? atoi(argv[4]) : 8, argc > 5 ? atoi(argv[5]) : 5,
                                argc > 6 ? argv[6] : "");
    // The pass-through plug-in does nothing in its render hook: its peak memory is what the
    // test host and the run driver hold around the render.
    const std::string plugin =
        mode != "memory-pass-through" && mode != "whole-runs-pass-through"
            ? HostDefaultPluginPath()
            : HostProgramFolder() +
                  (sizeof(void*) == 8 ? "/ScriptTest64.8bf" : "/ScriptTest32.8bf");
    HostSession session;
    if (!HostLoadPlugin(session, plugin)) {
        fprintf(stderr, "effects_bench: cannot load %s\n", plugin.c_str());
        return 2;
    }
    session.options.noProgressProc = false;
    if (mode == "memory" || mode == "memory-pass-through") {
        HostSetImage(session, ScaledSample(argv[1], 16));
        RunOnce(session, SettingsScript(SettingsC()));
        const double pixels = double(kBenchWidth) * kBenchHeight;
        printf("%-20s settings C, 16-bit: peak working set %.1f MB, %.1f bytes a pixel\n",
               mode == "memory" ? "Greyloom" : "pass-through plug-in", PeakWorkingSet() / 1048576.0,
               PeakWorkingSet() / pixels);
        return 0;
    }
    if (mode == "whole-runs" || mode == "whole-runs-pass-through") {
        // The pass-through plug-in has no settings nor threads to switch: its runs are the
        // test host's delivery and write-back, and the run driver around them.
        const bool passThrough = mode == "whole-runs-pass-through";
        const std::string only = passThrough ? "C" : argc > 4 ? argv[4] : "C";
        const int runsArgument = passThrough ? 4 : 5;
        const int runs = argc > runsArgument ? std::max(atoi(argv[runsArgument]), 1) : kRuns;
        const NamedSettings cases[] = {{"A", SettingsA()}, {"B", SettingsB()}, {"C", SettingsC()}};
        for (int32_t depth : {8, 16}) {
            HostSetImage(session, ScaledSample(argv[1], depth));
            for (const NamedSettings& c : cases) {
                if (only.find(c.name) == std::string::npos) continue;
                const Descriptor d = SettingsScript(c.settings);
                RunOnce(session, d);
                if (!passThrough) SwitchThreads(session, false);
                std::vector<double> times;
                printf("%2d-bit %s all threads:", depth,
                       passThrough ? "pass-through" : (std::string("settings ") + c.name).c_str());
                for (int run = 0; run < runs; ++run) {
                    const size_t faults = PageFaults(argv[1]);
                    times.push_back(RunOnce(session, d));
                    printf(" %.1f (%zu faults)", times.back(), PageFaults(argv[1]) - faults);
                }
                printf("; median %.1f ms\n", Median(times));
                fflush(stdout);
            }
        }
        return 0;
    }
    if (mode == "hashes" || mode == "hashes-threads") {
        const std::vector<NamedSettings> cases = HashCases();
        for (int32_t depth : {8, 16}) {
            HostSetImage(session, ScaledSample(argv[1], depth));
            for (const auto& c : cases) {
                // One thread: the grain's per-pixel noise follows the thread that draws a row.
                const Descriptor d = SettingsScript(c.settings);
                RunOnce(session, d);
                SwitchThreads(session, mode == "hashes");
                RunOnce(session, d);
                uint64_t hash = 1469598103934665603ull;  // FNV-1a over the samples
                for (uint16_t v : HostComposeResult(session).samples) {
                    hash = (hash ^ (v & 0xFF)) * 1099511628211ull;
                    hash = (hash ^ (v >> 8)) * 1099511628211ull;
                }
                printf("%2d-bit %-20s %016llx\n", depth, c.name, (unsigned long long)hash);
            }
        }
        return 0;
    }
    if (mode == "parts" || mode == "parts-one-thread") {
        HostSetImage(session, ScaledSample(argv[1], 8));
        auto with = [](std::vector<ControlSetting> extra) {
            std::vector<ControlSetting> s = SettingsA();
            s.insert(s.end(), extra.begin(), extra.end());
            return s;
        };
        const struct {
            const char* name;
            std::vector<ControlSetting> settings;
        } parts[] = {
            {"A", SettingsA()},
            {"grain size 15", with({{CTL_GRAIN_INTENSITY, 100}, {CTL_GRAIN_SIZE, 15}})},
            {"grain size 0", with({{CTL_GRAIN_INTENSITY, 100}})},
            {"vignette shape 50", with({{CTL_VIGNETTE_INTENSITY, 70}, {CTL_VIGNETTE_SHAPE, 50}})},
            {"vignette ellipse", with({{CTL_VIGNETTE_INTENSITY, 70}})},
            {"aging dust 8", with({{CTL_AGING_INTENSITY, 60}, {CTL_AGING_DETAILS, 8}})},
            {"paper", with({{CTL_PAPER_INTENSITY, 50}})},
            {"dynamic contrast", with({{CTL_DYNCONTRAST_INTENSITY, 100}})},
            {"glow", with({{CTL_GLOW_INTENSITY, 50}})},
            {"frame soft, no edges", with({{CTL_FRAME_INTENSITY, 100},
                                           {CTL_FRAME_EDGE_SHAPE, 6},
                                           {CTL_FRAME_ROUNDNESS, 40},
                                           {CTL_FRAME_SOFTNESS, 20}})},
            {"frame random, hard", with({{CTL_FRAME_INTENSITY, 100},
                                         {CTL_FRAME_EDGE_SHAPE, 6},
                                         {CTL_FRAME_OUTER_EDGE, 60},
                                         {CTL_FRAME_SOFTNESS, -100}})},
            {"frame random, nearest", with({{CTL_FRAME_INTENSITY, 100},
                                            {CTL_FRAME_EDGE_SHAPE, 6},
                                            {CTL_FRAME_OUTER_EDGE, 60},
                                            {CTL_FRAME_SOFTNESS, -100},
                                            {CTL_FRAME_RECTANGULAR, 1}})},
            {"settings B", SettingsB()},
            {"settings C", SettingsC()},
            {"frame random soft", with({{CTL_FRAME_INTENSITY, 100},
                                        {CTL_FRAME_EDGE_SHAPE, 6},
                                        {CTL_FRAME_OUTER_EDGE, 60},
                                        {CTL_FRAME_ROUNDNESS, 40},
                                        {CTL_FRAME_SOFTNESS, 20}})},
        };
        for (const auto& part : parts) {
            const Descriptor d = SettingsScript(part.settings);
            RunOnce(session, d);
            SwitchThreads(session, mode == "parts-one-thread");
            std::vector<double> times;
            for (int run = 0; run < 3; ++run) times.push_back(RunOnce(session, d));
            printf("%-20s %.1f ms\n", part.name, Median(times));
        }
        return 0;
    }
    for (int32_t depth : {8, 16}) {
        const HostImage image = ScaledSample(argv[1], depth);
        if (argc > 2 && argv[2][0])
            WritePpm(std::string(argv[2]) + std::to_string(depth) + ".ppm", image);
        HostSetImage(session, image);
        struct Row {
            const char* name;
            std::vector<ControlSetting> settings;
            bool oneThreadToo;
        } rows[] = {{"settings B", SettingsB(), depth == 8},
                    {"settings C", SettingsC(), depth == 8},
                    {"diffusion radius 1", Diffusion(1), false},
                    {"diffusion radius 100", Diffusion(100), false}};
        for (const Row& row : rows) {
            const double all = Time(session, row.settings, false);
            printf("%2d-bit %-20s all threads: median %.1f ms of %d runs\n", depth, row.name, all,
                   kRuns);
            if (!row.oneThreadToo) continue;
            const double one = Time(session, row.settings, true);
            printf("%2d-bit %-20s 1 thread:    median %.1f ms (speed-up %.2f x)\n", depth, row.name,
                   one, one / all);
            SwitchThreads(session, false);
        }
    }
    return 0;
}
