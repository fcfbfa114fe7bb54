// Threads made for one pass and joined at its end.

#include "render/pass_threads.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "host/worker_threads.h"

namespace {
struct PassThreadStart {
    PassThreadProc proc;
    void* context;
    int32_t index;
};

// The pass of the RunPassThreads call that runs on the worker pool; written before the pool
// job starts, read-only during it.
struct PassCall {
    PassThreadProc proc;
    void* context;
};
PassCall gPassCall = {nullptr, nullptr};

void PassOnPoolThread(int32_t threadIndex) {
    gPassCall.proc(gPassCall.context, threadIndex);
}

DWORD WINAPI PassThreadEntry(LPVOID parameter) {
    const PassThreadStart* start = static_cast<const PassThreadStart*>(parameter);
    start->proc(start->context, start->index);
    return 0;
}
}  // namespace

int32_t PassThreadCount(int32_t multiProcessor) {
    if (multiProcessor <= 0) return 1;
    return std::clamp(GetProcessorCount(), 1, kMaxPassThreads);
}

void RunPassThreads(int32_t threadCount, PassThreadProc proc, void* context) {
    const int32_t n = std::max(1, threadCount);
    if (WorkerPoolServes(n)) {
        gPassCall = {proc, context};
        RunPoolRoutine(PassOnPoolThread, true, false);
        return;
    }
    std::vector<PassThreadStart> starts(size_t(n), PassThreadStart{proc, context, 0});
    std::vector<HANDLE> threads;
    std::vector<int32_t> leftOver;
    for (int32_t i = 1; i < n; ++i) {
        starts[size_t(i)].index = i;
        if (HANDLE t = CreateThread(nullptr, 0, PassThreadEntry, &starts[size_t(i)], 0, nullptr))
            threads.push_back(t);
        else
            leftOver.push_back(i);
    }
    proc(context, 0);
    for (int32_t i : leftOver) proc(context, i);
    for (HANDLE t : threads) {
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
}
