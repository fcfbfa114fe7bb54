// The AVX2 build of the recursive sweeps: the plain body compiled for 256-bit registers
// (four lanes a step), called only where the processor has them. The file is built with
// -mavx2 and without contraction, so each lane gets the plain build's operations.

#include "render/recursive_sweep.h"

#include "render/recursive_sweep_kernel.h"

void RecursiveSweepAvx2(const LaneGroup& group, const RecursiveFilter& filter) {
    SweepGroup(group, filter);
}
