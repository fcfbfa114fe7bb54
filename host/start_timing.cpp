// The start-timing log: a fixed table of moments and sections filled on the host's thread and
// written as text lines when the dialog has been painted.

#include "host/start_timing.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxMoments = 16;
constexpr int kMaxSections = 64;

struct TimedSection {
    const char* name;
    const char* detail;
    int64_t ticks;  // summed counter ticks
    int32_t calls;
};

struct TimedMoment {
    const char* moment;
    int64_t ticks;  // counter ticks since StartTimingBegin
};

// Written only by the functions of this file, on the host's thread.
struct StartTimingLog {
    int32_t wanted;  // -1 not read yet, 0 off, 1 on
    int64_t beginTicks;
    int64_t frequency;
    TimedMoment moments[kMaxMoments];
    int32_t momentCount;
    TimedSection sections[kMaxSections];
    int32_t sectionCount;
};
StartTimingLog gStartTiming = {-1, 0, 0, {}, 0, {}, 0};

int64_t CounterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double TicksToMs(int64_t ticks) {
    return gStartTiming.frequency > 0 ? double(ticks) * 1000.0 / double(gStartTiming.frequency)
                                      : 0.0;
}

bool SameText(const char* a, const char* b) {
    return a == b || (a && b && strcmp(a, b) == 0);
}

void AddSection(const char* name, const char* detail, int64_t ticks) {
    StartTimingLog& log = gStartTiming;
    for (int i = 0; i < log.sectionCount; ++i) {
        TimedSection& section = log.sections[i];
        if (SameText(section.name, name) && SameText(section.detail, detail)) {
            section.ticks += ticks;
            ++section.calls;
            return;
        }
    }
    if (log.sectionCount < kMaxSections)
        log.sections[log.sectionCount++] = {name, detail, ticks, 1};
}

}  // namespace

bool StartTimingOn() {
    if (gStartTiming.wanted < 0) {
        const char* path = getenv("GREYLOOM_START_LOG");
        gStartTiming.wanted = path && *path ? 1 : 0;
        LARGE_INTEGER frequency;
        if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
            gStartTiming.wanted = 0;
        else
            gStartTiming.frequency = frequency.QuadPart;
    }
    return gStartTiming.wanted == 1;
}

void StartTimingBegin() {
    if (!StartTimingOn()) return;
    gStartTiming.momentCount = 0;
    gStartTiming.sectionCount = 0;
    gStartTiming.beginTicks = CounterNow();
}

void StartTimingMark(const char* moment) {
    if (!StartTimingOn() || gStartTiming.momentCount >= kMaxMoments) return;
    gStartTiming.moments[gStartTiming.momentCount++] = {moment,
                                                        CounterNow() - gStartTiming.beginTicks};
}

void StartTimingWrite() {
    if (!StartTimingOn()) return;
    const StartTimingLog& log = gStartTiming;
    if (log.momentCount == 0 && log.sectionCount == 0) return;
    FILE* file = fopen(getenv("GREYLOOM_START_LOG"), "ab");
    if (file) {
        fprintf(file, "start\n");
        for (int i = 0; i < log.momentCount; ++i)
            fprintf(file, "moment %.1f ms %s\n", TicksToMs(log.moments[i].ticks),
                    log.moments[i].moment);
        for (int i = 0; i < log.sectionCount; ++i) {
            const TimedSection& section = log.sections[i];
            fprintf(file, "section %.1f ms %d calls %s%s%s\n", TicksToMs(section.ticks),
                    section.calls, section.name, section.detail ? " " : "",
                    section.detail ? section.detail : "");
        }
        fclose(file);
    }
    gStartTiming.momentCount = 0;
    gStartTiming.sectionCount = 0;
}

StartTimingSection::StartTimingSection(const char* name, const char* detail)
    : name_(name), detail_(detail), startTicks_(StartTimingOn() ? CounterNow() : 0) {}

StartTimingSection::~StartTimingSection() {
    if (startTicks_) AddSection(name_, detail_, CounterNow() - startTicks_);
}
