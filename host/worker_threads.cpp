// The parallel-for, the worker pool and the thread barrier. No mutexes: the job's inputs are
// written before the workers start or resume and are read-only during the job; each thread
// writes only its own rows; the words that threads poll are atomics.

#include "host/worker_threads.h"

#include <windows.h>

#include <new>

WorkerJob gJob;
std::atomic<ThreadRoutine> gPoolJob{nullptr};

namespace {
int32_t gProcessorOverride = 0;

// The routine of the RunParallel call under way; written before its threads are created.
ThreadRoutine gParallelRoutine = nullptr;

// Written by StartWorkerPool / StopWorkerPool on the host's thread only; busy and started by
// RunPoolJob.
struct WorkerPool {
    int32_t size;  // N: the processor count at start
    // N flags; 1 when the thread finished the current job, and before the first job once
    // the thread has started up and waits for startEvent.
    std::atomic<int32_t>* doneFlags;
    HANDLE* threads;      // N - 1 handles, thread i at [i - 1]
    HANDLE startEvent;    // manual reset; set by the first job, the threads' first wake-up
    DWORD ownerThreadId;  // the thread that started the pool and hands out its jobs
    bool busy;            // a job of several threads runs on the pool
    bool started;         // startEvent is set: the threads sleep suspended between jobs
};
WorkerPool gPool = {0, nullptr, nullptr, nullptr, 0, false, false};

struct BarrierSlot {
    std::atomic<uint32_t> threadId;  // 0 while unclaimed
    std::atomic<int32_t> stage;      // last stage the owner reached
};
// Made before the job's threads start or resume, freed after all of them finished.
struct Barrier {
    int32_t count;
    BarrierSlot* slots;
};
Barrier gBarrier = {0, nullptr};

// Waiting is a zero-length sleep: it gives the processor to a runnable thread without
// putting this one to sleep for a scheduler tick.
inline void WaitBriefly() {
    Sleep(0);
}

// At a barrier most waits end within a few zero-length sleeps too. A wait that lasts (the
// other render threads while thread 0 runs a blur on threads of its own) goes on in short
// sleeps after the first milliseconds: yielding waiters stay runnable and would take the
// processors from the threads doing the work.
constexpr DWORD kBarrierYieldingMs = 2;

inline void WaitAtBarrier(DWORD waitedMs) {
    Sleep(waitedMs < kBarrierYieldingMs ? 0 : 1);
}

// Threads of a job wake each other in a tree: thread i resumes threads 2i + 1 and 2i + 2.
// The host's thread starts its own share after two resumes rather than N - 1 (each a call
// into the system), and the last thread is awake after about log2(N) of them.
void ResumeChildren(int32_t index) {
    if (!gPool.busy) return;
    for (int32_t child = 2 * index + 1; child <= 2 * index + 2 && child < gPool.size; ++child)
        ResumeThread(gPool.threads[child - 1]);
}

void WorkerThreadMain(int32_t index) {
    for (;;) {
        ResumeChildren(index);
        if (ThreadRoutine job = gPoolJob.load(std::memory_order_acquire)) job(index);
        std::atomic<int32_t>* flags = gPool.doneFlags;
        if (flags) flags[index].store(1, std::memory_order_release);
        if (index == 0 || !flags) return;
        // The caller suspends us while we wait here; the next job clears our flag before it
        // resumes us.
        while (flags[index].load(std::memory_order_acquire) == 1) WaitBriefly();
    }
}

// A pool thread starts up as soon as it is made (under Wine that costs far more than a
// resume), so that it does so while the host is still delivering the image; then it says so
// and sleeps until the first job.
DWORD WINAPI PoolThreadEntry(LPVOID parameter) {
    const int32_t index = int32_t(intptr_t(parameter));
    gPool.doneFlags[index].store(1, std::memory_order_release);
    WaitForSingleObject(gPool.startEvent, INFINITE);
    WorkerThreadMain(index);
    return 0;
}

// Until every pool thread has started up and waits for the first job. A thread still in its
// start-up may hold the system's loader lock: it is neither terminated nor counted as done
// before this.
void WaitForPoolStartUp() {
    if (gPool.started || !gPool.threads) return;
    for (int32_t i = 1; i < gPool.size; ++i)
        while (gPool.threads[i - 1] && gPool.doneFlags[i].load(std::memory_order_acquire) == 0)
            WaitBriefly();
}

DWORD WINAPI ParallelThreadEntry(LPVOID parameter) {
    gParallelRoutine(int32_t(intptr_t(parameter)));
    return 0;
}

void BeginJob(int32_t threadCount) {
    gJob.threadCount = threadCount;
    gJob.cancelRequested.store(false, std::memory_order_relaxed);
}
}  // namespace

int32_t GetProcessorCount() {
    if (gProcessorOverride > 0) return gProcessorOverride;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? int32_t(info.dwNumberOfProcessors) : 1;
}

void SetProcessorCountOverride(int32_t count) {
    gProcessorOverride = count > 0 ? count : 0;
}

void RunParallel(ThreadRoutine routine, bool useAllProcessors, int32_t parameterA,
                 int32_t parameterB, bool withBarrier) {
    const int32_t n = useAllProcessors ? GetProcessorCount() : 1;
    gJob.parameterA = parameterA;
    gJob.parameterB = parameterB;
    BeginJob(n);
    if (n < 2) {
        routine(0);
        return;
    }
    // Threads of a running pool resume in a fraction of the time new ones take to start.
    if (WorkerPoolServes(n)) {
        RunPoolRoutine(routine, true, withBarrier);
        return;
    }
    // Threads are made suspended and started only when all of them exist: a job whose
    // threads wait at barriers must never run with a thread missing. Anything short of that
    // runs the whole job on the caller, which is correct, only slower.
    HANDLE* handles = new (std::nothrow) HANDLE[n - 1]();
    bool ready = handles && (!withBarrier || InitThreadBarrier(n));
    gParallelRoutine = routine;
    int32_t made = 0;
    for (; ready && made < n - 1; ++made) {
        handles[made] =
            CreateThread(nullptr, 0, ParallelThreadEntry,
                         reinterpret_cast<LPVOID>(intptr_t(made + 1)), CREATE_SUSPENDED, nullptr);
        if (!handles[made]) ready = false;
    }
    if (!ready) {
        for (int32_t i = 0; i < made; ++i) {
            if (!handles[i]) continue;
            TerminateThread(handles[i], 0);  // never ran a single instruction of ours
            CloseHandle(handles[i]);
        }
        delete[] handles;
        FreeThreadBarrier();
        BeginJob(1);
        routine(0);
        return;
    }
    for (int32_t i = 0; i < n - 1; ++i) ResumeThread(handles[i]);
    routine(0);
    for (int32_t i = 0; i < n - 1; ++i) {
        WaitForSingleObject(handles[i], INFINITE);
        CloseHandle(handles[i]);
    }
    delete[] handles;
    FreeThreadBarrier();
}

void StartWorkerPool() {
    StopWorkerPool();
    const int32_t n = GetProcessorCount();
    gPool.size = n;
    gPool.ownerThreadId = GetCurrentThreadId();
    gPool.doneFlags = new (std::nothrow) std::atomic<int32_t>[n]();
    if (!gPool.doneFlags || n < 2) return;
    gPool.startEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gPool.startEvent) return;
    gPool.threads = new (std::nothrow) HANDLE[n - 1]();
    if (!gPool.threads) return;
    for (int32_t i = 1; i < n; ++i) {
        gPool.threads[i - 1] = CreateThread(nullptr, 0, PoolThreadEntry,
                                            reinterpret_cast<LPVOID>(intptr_t(i)), 0, nullptr);
        if (!gPool.threads[i - 1]) {
            // A pool with a hole would wait for ever for the missing thread's flag.
            StopWorkerPool();
            gPool.size = n;
            return;
        }
    }
}

void RunPoolJob(bool multiProcessor, bool withBarrier) {
    const int32_t n = gPool.size;
    std::atomic<int32_t>* flags = gPool.doneFlags;
    if (n < 2 || !multiProcessor || !gPool.threads || !flags) {
        BeginJob(1);
        if (flags) flags[0].store(0, std::memory_order_relaxed);
        WorkerThreadMain(0);
        return;
    }
    BeginJob(n);
    WaitForPoolStartUp();
    gPool.busy = true;
    const bool barrier = withBarrier && InitThreadBarrier(n);
    // Releasing the cleared flags publishes the job slot, the parameters and the barrier
    // to the threads that see them.
    for (int32_t i = 0; i < n; ++i) flags[i].store(0, std::memory_order_release);
    // The first job wakes the threads waiting since their start-up (resuming a thread that
    // is not suspended does nothing); later ones resume them in the tree.
    if (!gPool.started) SetEvent(gPool.startEvent);
    gPool.started = true;
    WorkerThreadMain(0);
    for (;;) {
        int32_t done = 0;
        for (int32_t i = 1; i < n; ++i) done += flags[i].load(std::memory_order_acquire);
        if (done == n - 1) break;
        WaitBriefly();
    }
    for (int32_t i = 1; i < n; ++i) SuspendThread(gPool.threads[i - 1]);
    if (barrier) FreeThreadBarrier();
    gPool.busy = false;
}

bool WorkerPoolServes(int32_t threadCount) {
    return threadCount > 1 && gPool.threads && gPool.size == threadCount && !gPool.busy &&
           gPool.ownerThreadId == GetCurrentThreadId();
}

void EnsureWorkerPool() {
    const int32_t n = GetProcessorCount();
    if (n < 2 || gPool.busy) return;
    // Another thread's pool is left alone: its jobs may still come.
    const bool own = gPool.ownerThreadId == GetCurrentThreadId();
    if (!gPool.threads || (own && gPool.size != n)) StartWorkerPool();
}

void RunPoolRoutine(ThreadRoutine routine, bool multiProcessor, bool withBarrier) {
    gPoolJob.store(routine, std::memory_order_release);
    RunPoolJob(multiProcessor, withBarrier);
}

void StopWorkerPool() {
    // The threads go before the flags they poll, so that none reads freed memory.
    WaitForPoolStartUp();
    if (gPool.threads) {
        for (int32_t i = 0; i < gPool.size - 1; ++i) {
            if (!gPool.threads[i]) continue;
            TerminateThread(gPool.threads[i], 0);  // suspended between jobs, holding nothing
            // Until it is gone for certain: a thread still dying after a timed wait would poll
            // the flags freed below, or run on in the module after the host unloads it.
            WaitForSingleObject(gPool.threads[i], INFINITE);
            CloseHandle(gPool.threads[i]);
        }
        delete[] gPool.threads;
    }
    delete[] gPool.doneFlags;
    if (gPool.startEvent) CloseHandle(gPool.startEvent);
    gPool = WorkerPool{0, nullptr, nullptr, nullptr, 0, false, false};
}

int32_t WorkerPoolThreadCount() {
    return gPool.threads ? gPool.size - 1 : 0;
}

int InitThreadBarrier(int32_t count) {
    FreeThreadBarrier();
    if (count < 2) return 0;
    BarrierSlot* slots = new (std::nothrow) BarrierSlot[count]();
    if (!slots) return 0;
    gBarrier = Barrier{count, slots};
    return 1;
}

int ThreadBarrier(int32_t stage, int32_t timeoutMs) {
    const uint32_t self = GetCurrentThreadId();
    const DWORD startMs = GetTickCount();
    const int32_t count = gBarrier.count;
    BarrierSlot* slots = gBarrier.slots;
    if (count < 2 || !slots) return 0;
    BarrierSlot* own = nullptr;
    for (int32_t i = 0; i < count && !own; ++i) {
        uint32_t holder = 0;
        if (slots[i].threadId.compare_exchange_strong(holder, self) || holder == self)
            own = &slots[i];
    }
    if (!own) return 0;
    own->stage.store(stage, std::memory_order_release);
    for (int32_t i = 0; i < count; ++i) {
        while (slots[i].threadId.load(std::memory_order_acquire) == 0 ||
               slots[i].stage.load(std::memory_order_acquire) < stage) {
            const DWORD waitedMs = GetTickCount() - startMs;
            if (timeoutMs >= 0 && waitedMs >= DWORD(timeoutMs)) return 0;
            WaitAtBarrier(waitedMs);
        }
    }
    return 1;
}

int FreeThreadBarrier() {
    delete[] gBarrier.slots;
    gBarrier = Barrier{0, nullptr};
    return 1;
}
