// The effect's millisecond timer: started once, read as whole milliseconds since.
#pragma once

#include <cstdint>

// Records the performance counter (or the process clock when there is none).
void StartTimer();
// Milliseconds since StartTimer, truncated.
int32_t GetTimerMs();
// Milliseconds in counterTicks at frequency ticks per second; 0 for a frequency below 1.
int64_t CounterTicksToMs(int64_t counterTicks, int64_t frequency);
