// Threads made for the passes of one call and joined at its end, or the idle worker pool's.

#include "render/pass_threads.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "host/system_calls.h"
#include "host/worker_threads.h"

namespace {
// One call's passes and the meeting point between them. Written by the caller before any
// thread starts; arrived and round by the threads.
struct PassSequence {
    const PassThreadProc* passes;
    int32_t passCount;
    void* context;
    uint32_t meeting;               // threads that meet between passes
    std::atomic<uint32_t> arrived;  // threads at the meeting point of the current round
    std::atomic<uint32_t> round;    // meetings completed
};

struct PassThreadStart {
    PassSequence* sequence;
    int32_t index;
};

// The sequence of the RunPassSequence call that runs on the worker pool; written before the
// pool job starts, read-only during it.
PassSequence* gPoolSequence = nullptr;

// The last thread to arrive opens the next round; the others wait for it. The meeting
// belongs to this call alone: a call from inside a render job never touches the job's
// barrier.
void PassMeet(PassSequence& s) {
    const uint32_t round = s.round.load(std::memory_order_acquire);
    if (s.arrived.fetch_add(1, std::memory_order_acq_rel) + 1 == s.meeting) {
        s.arrived.store(0, std::memory_order_relaxed);
        s.round.fetch_add(1, std::memory_order_seq_cst);
        ThreadWakeWaiters(s.round);
        return;
    }
    while (s.round.load(std::memory_order_acquire) == round)
        ThreadWaitWhileEqual(s.round, round, INFINITE);
}

// Runs every pass for the given indices (one thread's own, or the caller's with those of
// threads that could not be made), meeting the other threads between passes.
void RunPassesFor(PassSequence& s, const int32_t* indices, size_t indexCount) {
    for (int32_t pass = 0; pass < s.passCount; ++pass) {
        if (pass > 0) PassMeet(s);
        for (size_t i = 0; i < indexCount; ++i) s.passes[pass](s.context, indices[i]);
    }
}

void PassesOnPoolThread(int32_t threadIndex) {
    RunPassesFor(*gPoolSequence, &threadIndex, 1);
}

DWORD WINAPI PassThreadEntry(LPVOID parameter) {
    const PassThreadStart* start = static_cast<const PassThreadStart*>(parameter);
    RunPassesFor(*start->sequence, &start->index, 1);
    return 0;
}
}  // namespace

int32_t PassThreadCount(int32_t multiProcessor) {
    if (multiProcessor <= 0) return 1;
    return std::clamp(GetProcessorCount(), 1, kMaxPassThreads);
}

void RunPassThreads(int32_t threadCount, PassThreadProc proc, void* context) {
    RunPassSequence(threadCount, &proc, 1, context);
}

void RunPassSequence(int32_t threadCount, const PassThreadProc* passes, int32_t passCount,
                     void* context) {
    const int32_t n = std::max(1, threadCount);
    PassSequence s = {passes, passCount, context, uint32_t(n), {0}, {0}};
    if (WorkerPoolServes(n)) {
        gPoolSequence = &s;
        RunPoolRoutine(PassesOnPoolThread, true, false);
        return;
    }
    // The threads are made suspended and counted before any starts: the meeting must know
    // how many come.
    std::vector<PassThreadStart> starts(size_t(n), PassThreadStart{&s, 0});
    std::vector<HANDLE> threads;
    std::vector<int32_t> onCaller = {0};
    for (int32_t i = 1; i < n; ++i) {
        starts[size_t(i)].index = i;
        if (HANDLE t = gSystem.createThread(nullptr, 0, PassThreadEntry, &starts[size_t(i)],
                                            CREATE_SUSPENDED, nullptr))
            threads.push_back(t);
        else
            onCaller.push_back(i);
    }
    s.meeting = uint32_t(threads.size() + 1);
    for (HANDLE t : threads) ResumeThread(t);
    RunPassesFor(s, onCaller.data(), onCaller.size());
    for (HANDLE t : threads) {
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
}
