// How much more work the machine does on all its processors than on one, measured with work
// that has no serial part at all: the ceiling for any speed-up ratio the benchmarks report.
// On a virtual machine whose processors share cores with other guests it lies well below the
// processor count, and it changes from hour to hour.
#pragma once

#include <cstdint>

struct MachineCapacity {
    double compute;  // arithmetic on data in the first-level cache
    double copying;  // copying blocks far larger than the caches
};

// Median ratios over a few rounds, each round timing one thread and then `threads` threads
// on the same fixed amount of work, handed out in small pieces so that no thread waits for
// another's share.
MachineCapacity MeasureMachineCapacity(int32_t threads);
