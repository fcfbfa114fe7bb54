// The per-stage profile of the effects benchmark: the render engine in this process, the
// render threads' timeline read after each render, the fastest of several renders per stage.

#include "render_effects/stage_profile.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "effect/control_ids.h"
#include "common/bench_runs.h"
#include "host/worker_threads.h"
#include "render/render_timeline.h"
#include "render_effects/effect_settings.h"
#include "render_pipeline/engine_image.h"

namespace {
// One stage of one render, in milliseconds: from thread 0 leaving the previous barrier to it
// leaving this one (what the render waits), and the slowest and fastest thread's own work.
struct StageTimes {
    std::string label;
    double wallMs, slowestMs, fastestMs;
};

double Ms(int64_t ticks) {
    return double(ticks) * 1000.0 / double(gRenderTimeline.ticksPerSecond);
}

// The stages of the last render, then "tables" (made on the host's thread before the
// workers), "threads" (starting them) and "join" (the last worker's end to the hook's).
std::vector<StageTimes> LastRenderStages() {
    const RenderTimeline& t = gRenderTimeline;
    const int32_t n = std::clamp(t.threadCount, 1, kTimelineThreads);
    std::vector<StageTimes> stages;
    for (int32_t k = 0; k < t.hostMarkCount; ++k) {
        const int64_t begin = k == 0 ? t.hookStartTicks : t.hostMarks[k - 1].workEndTicks;
        stages.push_back({t.hostMarks[k].label, Ms(t.hostMarks[k].workEndTicks - begin), 0, 0});
    }
    int64_t previousWaitEnd = t.tablesEndTicks;
    int64_t lastWorkEnd = t.tablesEndTicks;
    for (int32_t k = 0; k < t.markCount[0]; ++k) {
        StageTimes s = {t.marks[0][k].label, Ms(t.marks[0][k].waitEndTicks - previousWaitEnd), 0,
                        1e30};
        for (int32_t i = 0; i < n; ++i) {
            if (k >= t.markCount[i]) continue;
            const int64_t begin = k == 0 ? t.tablesEndTicks : t.marks[i][k - 1].waitEndTicks;
            const double work = Ms(t.marks[i][k].workEndTicks - begin);
            s.slowestMs = std::max(s.slowestMs, work);
            s.fastestMs = std::min(s.fastestMs, work);
            lastWorkEnd = std::max(lastWorkEnd, t.marks[i][k].workEndTicks);
        }
        if (k == 0) s.label = "threads";
        stages.push_back(s);
        previousWaitEnd = t.marks[0][k].waitEndTicks;
    }
    stages.push_back({"join", Ms(t.hookEndTicks - lastWorkEnd), 0, 0});
    stages.push_back({"whole hook", Ms(t.hookEndTicks - t.hookStartTicks), 0, 0});
    return stages;
}

// The load averages of the Linux host under Wine (empty where there is none).
std::string LoadAverages() {
    FILE* f = fopen("/proc/loadavg", "r");
    if (!f) return "";
    char text[64] = {};
    const size_t got = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    std::string s(text, got);
    size_t end = 0;
    for (int fields = 0; fields < 3 && end != std::string::npos; ++fields)
        end = s.find(' ', end + (fields ? 1 : 0));
    return s.substr(0, end);
}

EngineImage EngineSample(const std::string& path, int32_t depth) {
    const HostImage scaled = ScaledSample(path, depth);
    EngineImage image;
    image.width = scaled.width;
    image.height = scaled.height;
    image.planes = scaled.planes;
    image.sixteenBit = depth == 16;
    image.samples = scaled.samples;
    return image;
}

// The first of runs + 1 renders in one engine session (memory the system has yet to hand
// over: every page of the work images faults in) and the fastest of the others, stage by
// stage (stages named alike keep their order), whose work images are kept between renders.
struct Profile {
    double coldMs;
    std::vector<StageTimes> cold, warm;
};

Profile ProfileSettings(const EngineImage& image, const std::vector<ControlSetting>& settings,
                        int32_t threads, int32_t runs) {
    Profile profile = {0, {}, {}};
    EngineBegin();
    ApplySettings(EngineControls(), settings);
    EngineControls()[CTL_MULTI_CPU_OFF] = threads > 1 ? 0 : 1;
    SetSCurve();
    SetProcessorCountOverride(threads);
    for (int32_t run = 0; run <= runs; ++run) {
        RenderImage(image);
        const std::vector<StageTimes> stages = LastRenderStages();
        if (run == 0) {
            profile.coldMs = stages.back().wallMs;
            profile.cold = stages;
            continue;
        }
        if (profile.warm.empty()) {
            profile.warm = stages;
            continue;
        }
        for (size_t i = 0; i < profile.warm.size() && i < stages.size(); ++i) {
            StageTimes& best = profile.warm[i];
            best.wallMs = std::min(best.wallMs, stages[i].wallMs);
            best.slowestMs = std::min(best.slowestMs, stages[i].slowestMs);
            best.fastestMs = std::min(best.fastestMs, stages[i].fastestMs);
        }
    }
    EngineEnd();
    SetProcessorCountOverride(0);
    return profile;
}
}  // namespace

int StageProfileMain(const std::string& samplePath, int32_t threads, int32_t runs,
                     const std::string& only) {
    std::vector<NamedSettings> cases = {{"A", SettingsA()}, {"B", SettingsB()}, {"C", SettingsC()}};
    // "parts": each costly effect alone on settings A, on one thread only.
    const bool parts = only == "parts";
    if (parts) cases = HashCases();
    for (int32_t depth : {8, 16}) {
        const EngineImage image = EngineSample(samplePath, depth);
        for (const auto& c : cases) {
            if (!parts && !only.empty() && only.find(c.name) == std::string::npos) continue;
            const Profile one = ProfileSettings(image, c.settings, 1, runs);
            if (parts) {
                printf("%2d-bit %-18s one thread: %8.1f ms (load %s)\n", depth, c.name,
                       one.warm.back().wallMs, LoadAverages().c_str());
                for (const StageTimes& stage : one.warm)
                    if (stage.wallMs >= 20 && &stage != &one.warm.back())
                        printf("    %-22s %8.1f\n", stage.label.c_str(), stage.wallMs);
                fflush(stdout);
                continue;
            }
            const Profile all = ProfileSettings(image, c.settings, threads, runs);
            printf(
                "== settings %s, %d-bit, ms; first render (memory faulting in) %.1f | %.1f; "
                "then the fastest of %d:\n   1 thread | %d threads: wall, slowest and fastest "
                "thread | the first render's walls, 1 | %d threads (load %s)\n",
                c.name, depth, one.coldMs, all.coldMs, runs, threads, threads,
                LoadAverages().c_str());
            for (size_t i = 0; i < one.warm.size() && i < all.warm.size(); ++i) {
                const StageTimes& a = all.warm[i];
                const bool cold = i < one.cold.size() && i < all.cold.size();
                printf("  %-22s %8.1f | %8.1f %8.1f %8.1f   x %5.2f | %8.1f %8.1f\n",
                       one.warm[i].label.c_str(), one.warm[i].wallMs, a.wallMs, a.slowestMs,
                       a.fastestMs > 1e29 ? 0.0 : a.fastestMs,
                       a.wallMs > 0 ? one.warm[i].wallMs / a.wallMs : 0.0,
                       cold ? one.cold[i].wallMs : 0.0, cold ? all.cold[i].wallMs : 0.0);
            }
            fflush(stdout);
        }
    }
    return 0;
}

int EngineHashesMain(const std::string& samplePath) {
    const std::vector<NamedSettings> cases = HashCases();
    for (int32_t depth : {8, 16}) {
        const EngineImage image = EngineSample(samplePath, depth);
        for (int32_t threads : {1, 2, 3, 8}) {
            for (const NamedSettings& c : cases) {
                EngineBegin();
                ApplySettings(EngineControls(), c.settings);
                EngineControls()[CTL_MULTI_CPU_OFF] = threads > 1 ? 0 : 1;
                SetSCurve();
                SetProcessorCountOverride(threads);
                const EngineImage out = RenderImage(image);
                EngineEnd();
                SetProcessorCountOverride(0);
                uint64_t hash = 1469598103934665603ull;  // FNV-1a over the samples
                for (uint16_t v : out.samples) {
                    hash = (hash ^ (v & 0xFF)) * 1099511628211ull;
                    hash = (hash ^ (v >> 8)) * 1099511628211ull;
                }
                printf("%2d-bit %d threads %-20s %016llx\n", depth, threads, c.name,
                       (unsigned long long)hash);
                fflush(stdout);
            }
        }
    }
    return 0;
}
