// Timings of the fields built before the render's passes (grain and frame of settings C) on a
// 6000 x 4000 image: each step on one thread and on N, the fastest of several builds.
//   fields_bench [N [RUNS]]

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "host/effect_context.h"
#include "host/worker_threads.h"
#include "render/render_fields.h"
#include "render/render_timeline.h"
#include "render/session_state.h"
#include "render_effects/effect_settings.h"
#include "render_pipeline/engine_image.h"

namespace {
constexpr int32_t kWidth = 6000, kHeight = 4000;

double Ms(int64_t ticks) {
    return double(ticks) * 1000.0 / double(gRenderTimeline.ticksPerSecond);
}

// The threads' shares of each field job of the last build: the gap from the end of the job
// before (serial work and start-up), how far apart the threads began, their shortest and
// longest work, and how far apart they ended (what the slowest kept the others waiting).
void PrintThreadSpans(const char* title, int32_t threads) {
    const RenderTimeline& t = gRenderTimeline;
    printf("  %s: job: gap | start spread | work min max | end spread, ms\n", title);
    int64_t previousEnd = t.hookStartTicks;
    for (int32_t k = 0; k < t.spanCount[0]; ++k) {
        int64_t firstStart = INT64_MAX, lastStart = 0, firstEnd = INT64_MAX, lastEnd = 0;
        double workMin = 1e30, workMax = 0;
        for (int32_t i = 0; i < threads && i < kTimelineThreads; ++i) {
            if (k >= t.spanCount[i]) continue;
            const TimelineSpan& span = t.spans[i][k];
            firstStart = std::min(firstStart, span.startTicks);
            lastStart = std::max(lastStart, span.startTicks);
            firstEnd = std::min(firstEnd, span.endTicks);
            lastEnd = std::max(lastEnd, span.endTicks);
            workMin = std::min(workMin, Ms(span.endTicks - span.startTicks));
            workMax = std::max(workMax, Ms(span.endTicks - span.startTicks));
        }
        printf("    %-14s %6.2f | %6.2f | %6.2f %6.2f | %6.2f\n", t.spans[0][k].label,
               Ms(firstStart - previousEnd), Ms(lastStart - firstStart), workMin, workMax,
               Ms(lastEnd - firstEnd));
        previousEnd = lastEnd;
    }
}

// The fastest time of each step over `runs` builds on `threads` threads, in ms.
std::vector<std::pair<std::string, double>> FieldSteps(int32_t threads, int32_t runs) {
    EngineBegin();
    ApplySettings(EngineControls(), SettingsC());
    EngineControls()[CTL_MULTI_CPU_OFF] = threads > 1 ? 0 : 1;
    SetProcessorCountOverride(threads);
    // Held as a render holds it: its threads spin between the jobs.
    EnsureWorkerPool();
    WorkerPoolHold(kRunPoolHoldMs);
    EffectContext& c = gContext;
    c.X = c.width = c.imageWidth = kWidth;
    c.Y = c.height = c.imageHeight = kHeight;
    c.currentRight = kWidth;
    c.currentBottom = kHeight;
    c.zoomReduction = 1;
    RenderPlan& plan = gRender.plan;
    plan.right = kWidth;
    plan.bottom = kHeight;
    plan.zoom = 1;
    plan.multiProcessor = threads > 1;
    std::vector<std::pair<std::string, double>> best;
    for (int32_t run = 0; run <= runs; ++run) {
        RenderTimelineStart();
        PrepareGrainField(plan, EngineControls(), kWidth, kHeight);
        RenderTimelineHostMark("grain field");
        PrepareFrameField(plan, EngineControls(), kWidth, kHeight, kWidth, kHeight);
        RenderTimelineHostMark("frame field");
        const RenderTimeline& t = gRenderTimeline;
        if (run == 0 || run == runs)
            PrintThreadSpans(run == 0 ? "first build" : "last build", threads);
        if (run == 0) continue;  // memory faulting in
        for (int32_t k = 0; k < t.hostMarkCount; ++k) {
            const int64_t begin = k == 0 ? t.hookStartTicks : t.hostMarks[k - 1].workEndTicks;
            const double ms =
                double(t.hostMarks[k].workEndTicks - begin) * 1000.0 / double(t.ticksPerSecond);
            if (size_t(k) >= best.size())
                best.push_back({t.hostMarks[k].label, ms});
            else
                best[size_t(k)].second = std::min(best[size_t(k)].second, ms);
        }
    }
    WorkerPoolHold(0);
    StopWorkerPool();
    EngineEnd();
    SetProcessorCountOverride(0);
    return best;
}
}  // namespace

int main(int argc, char** argv) {
    const int32_t threads = argc > 1 ? atoi(argv[1]) : 8;
    const int32_t runs = argc > 2 ? atoi(argv[2]) : 3;
    const auto one = FieldSteps(1, runs);
    const auto all = FieldSteps(threads, runs);
    FILE* f = fopen("/proc/loadavg", "r");
    char load[64] = {};
    if (f) {
        if (!fgets(load, sizeof load, f)) load[0] = 0;
        fclose(f);
    }
    printf("settings C fields, 16-bit 6000 x 4000, ms: 1 thread | %d threads (load %s)", threads,
           load);
    double sumOne = 0, sumAll = 0;
    for (size_t i = 0; i < one.size() && i < all.size(); ++i) {
        printf("  %-14s %7.1f | %6.1f\n", one[i].first.c_str(), one[i].second, all[i].second);
        sumOne += one[i].second;
        sumAll += all[i].second;
    }
    printf("  %-14s %7.1f | %6.1f\n", "all", sumOne, sumAll);
    return 0;
}
