// The millisecond timer over the performance counter, with the process clock where the
// system has no counter.

#include "dialog/millisecond_timer.h"

#include <windows.h>

#include <ctime>

namespace {

// Start of the timer: a performance-counter reading, or clock() in milliseconds when the
// system has no counter. Written only by StartTimer.
struct TimerStart {
    bool useCounter;
    int64_t start;
};
TimerStart gTimerStart = {false, 0};

}  // namespace

int64_t CounterTicksToMs(int64_t counterTicks, int64_t frequency) {
    if (frequency < 1) return 0;
    // Whole kilohertz divide exactly; a slower counter would make the divisor 0.
    if (frequency >= 1000) return counterTicks / (frequency / 1000);
    return counterTicks * 1000 / frequency;
}

void StartTimer() {
    LARGE_INTEGER counter;
    gTimerStart.useCounter = QueryPerformanceCounter(&counter) != 0;
    gTimerStart.start =
        gTimerStart.useCounter ? counter.QuadPart : int64_t(clock()) * 1000 / CLOCKS_PER_SEC;
}

int32_t GetTimerMs() {
    if (!gTimerStart.useCounter)
        return int32_t(int64_t(clock()) * 1000 / CLOCKS_PER_SEC - gTimerStart.start);
    LARGE_INTEGER now, frequency;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&now)) return 0;
    return int32_t(CounterTicksToMs(now.QuadPart - gTimerStart.start, frequency.QuadPart));
}
