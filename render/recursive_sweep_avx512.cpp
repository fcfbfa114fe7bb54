// The AVX-512 build of the recursive sweeps: the plain body compiled for 512-bit registers
// (eight lanes a step, four and one for the rest), called only where the processor and the
// system have them. Built without contraction, so each lane gets the plain build's operations.

#include "render/recursive_sweep.h"

#include "render/recursive_sweep_kernel.h"

void RecursiveSweepAvx512(const LaneGroup& group, const RecursiveFilter& filter) {
    SweepGroup(group, filter);
}
