// The SSE2 build of the recursive sweeps, and the choice of a build by vector level.

#include "render/recursive_sweep.h"

#include "render/recursive_sweep_kernel.h"

// The 32-bit system keeps its stack aligned to 4 bytes only; the vector spills want 16.
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
void RecursiveSweepPlain(const LaneGroup& group, const RecursiveFilter& filter) {
    SweepGroup(group, filter);
}

RecursiveSweepProc RecursiveSweepFor(VectorLevel level) {
    static const RecursiveSweepProc kSweeps[VECTOR_LEVEL_COUNT] = {RecursiveSweepPlain,
                                                                   RecursiveSweepAvx2};
    return kSweeps[level >= 0 && level < VECTOR_LEVEL_COUNT ? level : VECTOR_PLAIN];
}
