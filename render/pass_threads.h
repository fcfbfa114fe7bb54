// Threads for the passes of a whole-array operation (the blurs, the local contrast): one per
// processor, at most 16; the idle worker pool's threads when it has as many, else threads
// created for the call and joined before it returns. A pass inside a render job (whose
// threads are the pool's) gets threads of its own, so it never changes what the other render
// threads read.
#pragma once

#include <cstdint>

constexpr int32_t kMaxPassThreads = 16;

// A pass routine: does the share of the work that belongs to threadIndex.
using PassThreadProc = void (*)(void* context, int32_t threadIndex);

// The processor count capped at 16 when multiProcessor is above 0, else 1.
int32_t PassThreadCount(int32_t multiProcessor);
// Runs proc(context, i) for i = 0..threadCount-1: index 0 on the caller, the others on the
// pool or on threads made for this call; returns when all are done. An index whose thread
// cannot be made runs on the caller too.
void RunPassThreads(int32_t threadCount, PassThreadProc proc, void* context);
// The same for passes[0..passCount-1] in turn, on one set of threads: pass k + 1 starts on
// any thread only when pass k has finished on every thread.
void RunPassSequence(int32_t threadCount, const PassThreadProc* passes, int32_t passCount,
                     void* context);
