// The per-stage clock of the render threads.

#include "render/render_timeline.h"

#include <windows.h>

#include <cstring>

RenderTimeline gRenderTimeline;

int64_t TimelineTicks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void RenderTimelineStart() {
    RenderTimeline& t = gRenderTimeline;
    memset(t.markCount, 0, sizeof t.markCount);
    memset(t.spanCount, 0, sizeof t.spanCount);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    t.ticksPerSecond = frequency.QuadPart;
    t.hookStartTicks = TimelineTicks();
    t.tablesEndTicks = t.hookEndTicks = t.hookStartTicks;
    t.threadCount = 0;
    t.hostMarkCount = 0;
}

void RenderTimelineHostMark(const char* label) {
    RenderTimeline& t = gRenderTimeline;
    if (t.hostMarkCount >= kTimelineHostMarks) return;
    const int64_t now = TimelineTicks();
    t.hostMarks[t.hostMarkCount++] = {label, now, now};
}

void RenderTimelineTablesDone() {
    gRenderTimeline.tablesEndTicks = TimelineTicks();
}

void RenderTimelineEnd(int32_t threadCount) {
    gRenderTimeline.hookEndTicks = TimelineTicks();
    gRenderTimeline.threadCount = threadCount;
}

void RenderTimelineMark(int32_t index, const char* label, int64_t workEndTicks) {
    if (index < 0 || index >= kTimelineThreads) return;
    int32_t& count = gRenderTimeline.markCount[index];
    if (count >= kTimelineMarks) return;
    gRenderTimeline.marks[index][count++] = {label, workEndTicks, TimelineTicks()};
}

void RenderTimelineSpan(int32_t index, const char* label, int64_t startTicks) {
    if (index < 0 || index >= kTimelineThreads) return;
    int32_t& count = gRenderTimeline.spanCount[index];
    if (count >= kTimelineSpans) return;
    gRenderTimeline.spans[index][count++] = {label, startTicks, TimelineTicks()};
}
