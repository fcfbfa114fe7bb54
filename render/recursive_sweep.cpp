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

bool RecursiveSweepHasAvx512() {
    // The library's check covers the system too: it counts only when the system saves the
    // 512-bit registers on a thread switch.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0;
    }();
    return has;
}

RecursiveSweepProc RecursiveSweepFor(VectorLevel level) {
    static const RecursiveSweepProc kWide =
        RecursiveSweepHasAvx512() ? RecursiveSweepAvx512 : RecursiveSweepAvx2;
    static const RecursiveSweepProc kSweeps[VECTOR_LEVEL_COUNT] = {RecursiveSweepPlain, kWide};
    return kSweeps[level >= 0 && level < VECTOR_LEVEL_COUNT ? level : VECTOR_PLAIN];
}
