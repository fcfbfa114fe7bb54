// When each render thread finished each stage of a render and when it left the barrier after
// it: the benchmark's per-stage profile, a few clock reads a render.
#pragma once

#include <cstdint>

constexpr int32_t kTimelineThreads = 64;    // threads past this are not recorded
constexpr int32_t kTimelineMarks = 24;      // stages a thread records in one render
constexpr int32_t kTimelineHostMarks = 16;  // steps of the tables on the host's thread
constexpr int32_t kTimelineSpans = 16;      // field jobs a thread records in one render

struct TimelineMark {
    const char* label;     // the stage that ended; a string literal
    int64_t workEndTicks;  // the thread finished its share of the stage
    int64_t waitEndTicks;  // the thread passed the barrier after it (= workEndTicks if none)
};

struct TimelineSpan {
    const char* label;  // the job; a string literal
    int64_t startTicks, endTicks;
};

// The last render's stages, written only by the functions below: the hook's stamps on the
// host's thread before and after the workers, and during the render each worker's own row
// of marks.
struct RenderTimeline {
    int64_t ticksPerSecond;
    int64_t hookStartTicks;  // the render hook was called
    int32_t hostMarkCount;
    TimelineMark hostMarks[kTimelineHostMarks];  // the tables' steps; waitEndTicks unused
    int64_t tablesEndTicks;  // tables and fields made, the workers about to start
    int64_t hookEndTicks;    // every worker joined
    int32_t threadCount;     // of the workers' job
    int32_t markCount[kTimelineThreads];
    TimelineMark marks[kTimelineThreads][kTimelineMarks];
    // Each thread's share of the jobs the host's thread runs before the workers (the fields):
    // when it began and ended, so that a host step's start latency and imbalance show.
    int32_t spanCount[kTimelineThreads];
    TimelineSpan spans[kTimelineThreads][kTimelineSpans];
};
extern RenderTimeline gRenderTimeline;

int64_t TimelineTicks();
// Clears the marks and stamps the hook's start.
void RenderTimelineStart();
// A step of the tables ended on the host's thread.
void RenderTimelineHostMark(const char* label);
// The tables are made and the workers start.
void RenderTimelineTablesDone();
// Every worker of a job of threadCount threads has joined.
void RenderTimelineEnd(int32_t threadCount);
// Thread index's share of field job `label`, begun at startTicks, ended now.
void RenderTimelineSpan(int32_t index, const char* label, int64_t startTicks);
// Thread index's stage `label` ended at workEnd and its barrier let it go now.
void RenderTimelineMark(int32_t index, const char* label, int64_t workEndTicks);
