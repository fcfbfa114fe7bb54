// The preview-timing log: the latest counter reading of each moment of an update, kept on the
// host's thread and written as one line when the rendered preview has been painted.

#include "host/preview_timing.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr DWORD kMaxPathChars = 1024;

// Written only by the functions of this file, on the host's thread.
struct PreviewTimingLog {
    bool on;
    char path[kMaxPathChars];
    int64_t frequency;                    // counter ticks per second
    int64_t ticks[PREVIEW_MOMENT_COUNT];  // 0: not seen since the last line
};
PreviewTimingLog gPreviewTiming = {};

const char* const kMomentNames[PREVIEW_MOMENT_COUNT] = {
    "value-changed", "action-armed", "action-run",  "render-start",
    "render-end",    "paint-start",  "display-end", "painted"};

int64_t CounterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void ClearMoments() {
    for (int64_t& t : gPreviewTiming.ticks) t = 0;
}

void WriteLine() {
    const PreviewTimingLog& log = gPreviewTiming;
    FILE* file = fopen(log.path, "ab");
    if (!file) return;
    fprintf(file, "preview");
    for (int i = 0; i < PREVIEW_MOMENT_COUNT; ++i)
        if (log.ticks[i])
            fprintf(file, " %s=%.3f", kMomentNames[i],
                    double(log.ticks[i]) * 1000.0 / double(log.frequency));
    fprintf(file, "\n");
    fclose(file);
}

}  // namespace

const char* PreviewMomentName(PreviewMoment moment) {
    return moment >= 0 && moment < PREVIEW_MOMENT_COUNT ? kMomentNames[moment] : "";
}

void PreviewTimingBegin() {
    PreviewTimingLog& log = gPreviewTiming;
    ClearMoments();
    const DWORD length = GetEnvironmentVariableA("GREYLOOM_PREVIEW_LOG", log.path, kMaxPathChars);
    LARGE_INTEGER frequency;
    log.on = length > 0 && length < kMaxPathChars && QueryPerformanceFrequency(&frequency) &&
             frequency.QuadPart > 0;
    log.frequency = log.on ? frequency.QuadPart : 0;
}

bool PreviewTimingOn() {
    return gPreviewTiming.on;
}

void PreviewTimingMark(PreviewMoment moment) {
    PreviewTimingLog& log = gPreviewTiming;
    if (!log.on || moment < 0 || moment >= PREVIEW_MOMENT_COUNT) return;
    log.ticks[moment] = CounterNow();
    if (moment != PREVIEW_MOMENT_PAINTED) return;
    // Paints of texts and bars beside the preview, and paints before any rendering, are no
    // end of an update.
    const bool shown =
        log.ticks[PREVIEW_MOMENT_RENDER_END] != 0 &&
        log.ticks[PREVIEW_MOMENT_DISPLAY_END] >= log.ticks[PREVIEW_MOMENT_RENDER_END];
    if (!shown) return;
    WriteLine();
    ClearMoments();
}
