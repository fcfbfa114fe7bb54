// The parallel-for, the worker pool and the thread barrier. No mutexes: the job's inputs are
// written before the workers are woken and are read-only during the job; each thread writes
// only its own rows; the words that threads wait on are atomics.

#include "host/worker_threads.h"

#include <windows.h>
#include <emmintrin.h>

#include <algorithm>
#include <new>

#include "host/system_calls.h"

WorkerJob gJob;
std::atomic<ThreadRoutine> gPoolJob{nullptr};

namespace {
int32_t gProcessorOverride = 0;

// The routine of the RunParallel call under way; written before its threads are created.
ThreadRoutine gParallelRoutine = nullptr;

// --- Waiting for a word to change ----------------------------------------------------------

// A wait first spins this many pauses (some tens of microseconds): the passes of a render
// end within that of each other, and a thread put to sleep takes far longer to wake (under
// Wine a woken thread can wait a scheduler tick).
constexpr int32_t kSpinPauses = 4000;
// While the pool is held, a wait goes on spinning past those, reading the clock (a system
// call under Wine) only once every this many pauses.
constexpr int32_t kPausesBetweenClockReads = 256;

// A pool thread that had no job and no wake-up for this long leaves, and the rest of the pool
// with it: long enough that a host calling the filter again and again finds the threads made,
// short enough that a host that unloaded the plug-in sees it go soon (the threads hold it).
constexpr DWORD kPoolIdleMs = 2000;

// The system's address waits (Windows 8 on; Wine's wait in user space on a futex). Looked up
// at run time: on an older system the waits poll in short sleeps instead.
using WaitOnAddressProc = BOOL(WINAPI*)(volatile VOID*, PVOID, SIZE_T, DWORD);
using WakeByAddressProc = VOID(WINAPI*)(PVOID);
struct AddressWaits {
    WaitOnAddressProc wait;
    WakeByAddressProc wakeAll;
};

AddressWaits LoadAddressWaits() {
    HMODULE base = GetModuleHandleW(L"kernelbase.dll");
    if (!base) return {nullptr, nullptr};
    auto wait = reinterpret_cast<WaitOnAddressProc>(
        reinterpret_cast<void*>(GetProcAddress(base, "WaitOnAddress")));
    auto wake = reinterpret_cast<WakeByAddressProc>(
        reinterpret_cast<void*>(GetProcAddress(base, "WakeByAddressAll")));
    if (!wait || !wake) return {nullptr, nullptr};
    return {wait, wake};
}

const AddressWaits& SystemAddressWaits() {
    static const AddressWaits waits = LoadAddressWaits();
    return waits;
}

// Threads asleep in ThreadWaitWhileEqual: a change wakes sleepers only when there are any, so that
// the common case (everyone still spinning) makes no system call.
std::atomic<int32_t> gSleepers{0};

// How long a wait spins, in performance-counter ticks, before it sleeps, while a render holds
// the pool (0: the short spin alone). Written by WorkerPoolHold on the pool owner's thread;
// read by every waiting thread, which stops spinning as soon as it reads 0.
std::atomic<int64_t> gHoldTicks{0};
// Set by WorkerPoolKeep: an idle pool thread does not leave.
std::atomic<bool> gPoolKept{false};

int64_t NowTicks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t TicksPerMs() {
    static const int64_t ticks = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return std::max<int64_t>(frequency.QuadPart / 1000, 1);
    }();
    return ticks;
}

// Spins until word differs from seen (true), first a short while, then as long as the pool is
// held; false when the spin ran out first.
bool SpinWhileEqual(const std::atomic<uint32_t>& word, uint32_t seen) {
    for (int32_t i = 0; i < kSpinPauses; ++i) {
        if (word.load(std::memory_order_acquire) != seen) return true;
        _mm_pause();
    }
    if (gHoldTicks.load(std::memory_order_relaxed) <= 0) return false;
    const int64_t start = NowTicks();
    for (;;) {
        for (int32_t i = 0; i < kPausesBetweenClockReads; ++i) {
            if (word.load(std::memory_order_acquire) != seen) return true;
            _mm_pause();
        }
        const int64_t hold = gHoldTicks.load(std::memory_order_relaxed);
        if (hold <= 0 || NowTicks() - start >= hold) return false;
        // On a machine busier than its processors, a thread this one keeps from running may
        // be the one it waits for. Under Linux the yield gives the time slice away, yet waits
        // that yield only after a quarter millisecond of spinning made no run faster beside
        // eight busy processes, and waits that never yield made runs slower there.
        SwitchToThread();
    }
}

// --- The pool ------------------------------------------------------------------------------

// What the pool is doing. The owner takes it from OPEN to JOB for each job and back, an idle
// thread from OPEN to LEAVING, both by compare-and-swap: whoever wins decides, so that a job
// never starts on a pool that leaves and an idle thread never makes a job's pool leave. The
// owner's stop, never made during a job, sets LEAVING outright. LEAVING is for good.
enum PoolState : uint32_t {
    POOL_OPEN,     // threads wait for a job
    POOL_JOB,      // a job runs on the threads
    POOL_LEAVING,  // every thread leaves as soon as it sees this
};

// The words the pool's threads wait on. Written by the pool's owner (generation, jobs,
// remaining before a job) and the threads (the rest); read by all.
struct PoolSignals {
    std::atomic<uint32_t> generation;  // one more for every job, every wake-up and the leave
    std::atomic<uint32_t> jobs;        // one more for every job, before its generation
    std::atomic<uint32_t> remaining;   // pool threads still running the current job
    std::atomic<uint32_t> settled;     // threads whose making has ended, made or not
    std::atomic<uint32_t> left;        // threads that saw the leave and touch the pool no more
    std::atomic<uint32_t> state;       // a PoolState
    std::atomic<bool> holed;           // a thread could not be made
};

// What keeps the code of a pool's threads mapped until the last of them has ended: a
// reference on our module, dropped only once every thread made has ended, by a thread of the
// system's that runs none of our code afterwards. The host's FreeLibrary thus never unmaps code
// a pool thread runs, and nothing ever has to end a pool thread from outside (Wine keeps the
// stack of a thread ended that way reserved for good: megabytes a thread, at every unload).
// Made by StartWorkerPool; handles written by the threads' makers; freed by whoever lets go of
// it last (PoolExitLetGo), the pool's owner being gone by then or busy with another pool.
struct PoolExit {
    HMODULE module;                // the pool's reference on our module
    HANDLE* threads;               // size - 1 handles, thread i's at [i - 1]; null if not made
    int32_t threadCount;           // size - 1
    std::atomic<int32_t> holders;  // every pool thread made and not left, and a maker at work
};

// A pool thread's scratch block. threadId is written by the thread itself before it runs a
// job (the owner's by StartWorkerPool); the block only by that thread, freed at the stop.
struct ScratchSlot {
    std::atomic<uint32_t> threadId;
    void* data;
    size_t bytes;
};

// Written by StartWorkerPool / StopWorkerPool on the owner's thread only, except the
// flags of made threads, which the thread that makes a pool thread writes; busy by RunPoolJob.
struct WorkerPool {
    int32_t size;          // N: the processor count at start
    bool* threads;         // N - 1 flags, thread i made at [i - 1]; read once all settled
    ScratchSlot* scratch;  // N slots, thread i's at [i]
    DWORD ownerThreadId;   // the thread that started the pool and hands out its jobs
    bool busy;             // a job of several threads runs on the pool
    PoolExit* exit;        // read by the pool's threads as they start; the owner never frees it
};
WorkerPool gPool = {0, nullptr, nullptr, 0, false, nullptr};
PoolSignals gSignals;

struct BarrierSlot {
    std::atomic<uint32_t> threadId;  // 0 while unclaimed
    std::atomic<int32_t> stage;      // last stage the owner reached
    std::atomic<uint32_t> arrivals;  // one more at every arrival: what waiters wait on
};
// Made before the job's threads start or are woken, freed after all of them finished.
struct Barrier {
    int32_t count;
    BarrierSlot* slots;
};
Barrier gBarrier = {0, nullptr};

void WaitUntilAtLeast(std::atomic<uint32_t>& word, uint32_t target) {
    for (uint32_t now; (now = word.load(std::memory_order_acquire)) < target;)
        ThreadWaitWhileEqual(word, now, INFINITE);
}

DWORD WINAPI PoolThreadEntry(LPVOID parameter);

// Ends a pool's exit record once nobody holds it: waits until every thread made has ended,
// except the calling thread, and returns the module reference for the caller to drop.
HMODULE PoolExitClose(PoolExit* exit) {
    for (int32_t i = 0; i < exit->threadCount; ++i) {
        const HANDLE thread = exit->threads[i];
        if (!thread) continue;
        if (GetThreadId(thread) != GetCurrentThreadId()) WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    const HMODULE module = exit->module;
    delete[] exit->threads;
    delete exit;
    return module;
}

// Runs on a thread of the system's pool: the module is unloaded there after this returns,
// if this was the last reference, with no line of ours left to run.
VOID CALLBACK PoolExitOnSystemThread(PTP_CALLBACK_INSTANCE instance, PVOID parameter) {
    FreeLibraryWhenCallbackReturns(instance, PoolExitClose(static_cast<PoolExit*>(parameter)));
}

// An exit record held by its maker, with a reference on our module; null when either cannot be
// had.
PoolExit* NewPoolExit(int32_t threadCount) {
    PoolExit* exit = new (std::nothrow) PoolExit{nullptr, nullptr, threadCount, {1}};
    if (!exit) return nullptr;
    exit->threads = new (std::nothrow) HANDLE[threadCount]();
    if (exit->threads &&
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(&PoolThreadEntry), &exit->module))
        return exit;
    delete[] exit->threads;
    delete exit;
    return nullptr;
}

// Drops a hold on the exit record; the last one hands the record to the system's thread pool,
// which waits there for the threads to end, the caller among them. When the system takes no
// work, a leaving pool thread waits for the others itself and drops the reference as it ends
// (FreeLibraryAndExitThread returns to no code of ours); the owner, whose caller holds the
// module, simply drops it.
void PoolExitLetGo(PoolExit* exit, bool leavingThread) {
    if (exit->holders.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    if (TrySubmitThreadpoolCallback(PoolExitOnSystemThread, exit, nullptr)) return;
    const HMODULE module = PoolExitClose(exit);
    if (leavingThread) FreeLibraryAndExitThread(module, 0);
    FreeLibrary(module);
}

// Pool threads are made in a tree, thread i making threads 2i and 2i + 1: making a thread
// costs milliseconds under Wine, and the host's thread makes only thread 1 and goes on
// with the run while the others are made. The maker holds the exit record throughout, so
// that the new thread's handle is in it before the record can end.
void MakePoolThread(PoolExit* exit, int32_t index) {
    exit->holders.fetch_add(1, std::memory_order_relaxed);
    HANDLE thread = gSystem.createThread(nullptr, 0, PoolThreadEntry,
                                         reinterpret_cast<LPVOID>(intptr_t(index)), 0, nullptr);
    exit->threads[index - 1] = thread;
    // Never the last hold: the maker's own is still there.
    if (!thread) exit->holders.fetch_sub(1, std::memory_order_relaxed);
    gPool.threads[index - 1] = thread != nullptr;
    if (!thread) {
        gSignals.holed.store(true, std::memory_order_relaxed);
        // The children it would have made count as settled (and missing) too.
        uint32_t subtree = 0;
        for (int64_t first = index, count = 1; first < gPool.size; first *= 2, count *= 2)
            subtree += uint32_t(std::min<int64_t>(count, gPool.size - first));
        gSignals.settled.fetch_add(subtree, std::memory_order_seq_cst);
    } else {
        gSignals.settled.fetch_add(1, std::memory_order_seq_cst);
    }
    ThreadWakeWaiters(gSignals.settled);
}

void RunPoolThreadJob(int32_t index) {
    if (ThreadRoutine job = gPoolJob.load(std::memory_order_acquire)) job(index);
    if (gSignals.remaining.fetch_sub(1, std::memory_order_acq_rel) == 1)
        ThreadWakeWaiters(gSignals.remaining);
}

// A pool thread starts up as soon as it is made, so that it does so while the host is still
// delivering the image; then it waits for jobs. It leaves when the pool leaves: at the owner's
// stop, or when no job and no wake-up came for kPoolIdleMs (the host may have unloaded the
// plug-in, which stays mapped until the pool's threads have ended). It ends by returning.
DWORD WINAPI PoolThreadEntry(LPVOID parameter) {
    const int32_t index = int32_t(intptr_t(parameter));
    PoolExit* const exit = gPool.exit;
    gPool.scratch[index].threadId.store(GetCurrentThreadId(), std::memory_order_release);
    // Made even when the pool leaves already: the owner counts every thread settled, and a
    // child that sees the leave at once is gone in no time.
    for (int32_t child = 2 * index; child <= 2 * index + 1 && child < gPool.size; ++child)
        MakePoolThread(exit, child);
    // Every pool starts at generation 0 and job 0; a job handed out before this thread got
    // here is still seen as a change. A new generation without a new job is a wake-up: the
    // thread spins for the job that is coming.
    uint32_t seen = 0, jobsSeen = 0;
    for (;;) {
        if (!ThreadWaitWhileEqual(gSignals.generation, seen, kPoolIdleMs)) {
            if (gPoolKept.load(std::memory_order_acquire)) continue;
            // Fails under a job (whose generation is out already) and when another thread
            // or the owner has made the pool leave.
            uint32_t open = POOL_OPEN;
            if (gSignals.state.compare_exchange_strong(open, POOL_LEAVING,
                                                       std::memory_order_seq_cst)) {
                gSignals.generation.fetch_add(1, std::memory_order_seq_cst);
                ThreadWakeWaiters(gSignals.generation);
            }
            continue;
        }
        seen = gSignals.generation.load(std::memory_order_acquire);
        // A job's threads cannot be leaving: the pool leaves only from POOL_OPEN, which the
        // owner restores only after every thread finished the job.
        if (gSignals.state.load(std::memory_order_acquire) == POOL_LEAVING) break;
        const uint32_t jobs = gSignals.jobs.load(std::memory_order_acquire);
        if (jobs == jobsSeen) continue;
        jobsSeen = jobs;
        RunPoolThreadJob(index);
    }
    // The last touch of the pool's records: the owner may free them and start a new pool as
    // soon as every thread has counted itself here. The exit record is the thread's own.
    gSignals.left.fetch_add(1, std::memory_order_seq_cst);
    ThreadWakeWaiters(gSignals.left);
    PoolExitLetGo(exit, true);
    return 0;
}

void SkipParallelShare(int32_t) {}

DWORD WINAPI ParallelThreadEntry(LPVOID parameter) {
    gParallelRoutine(int32_t(intptr_t(parameter)));
    return 0;
}

void BeginJob(int32_t threadCount) {
    gJob.threadCount = threadCount;
    gJob.cancelRequested.store(false, std::memory_order_relaxed);
}

// Frees the threads' scratch blocks once none of them runs.
void FreeScratch() {
    if (!gPool.scratch) return;
    for (int32_t i = 0; i < gPool.size; ++i) gSystem.release(gPool.scratch[i].data);
    delete[] gPool.scratch;
    gPool.scratch = nullptr;
}

// Once the pool leaves: waits until every thread that was made has seen it; none touches the
// pool's records after that, and they can go (the threads end on their own, holding the
// module until then).
void ReapLeavingPool() {
    if (!gPool.threads) return;
    const int32_t threads = gPool.size - 1;
    WaitUntilAtLeast(gSignals.settled, uint32_t(threads));
    uint32_t made = 0;
    for (int32_t i = 0; i < threads; ++i) made += gPool.threads[i] ? 1 : 0;
    WaitUntilAtLeast(gSignals.left, made);
    delete[] gPool.threads;
    gPool.threads = nullptr;
    FreeScratch();
}

bool PoolLeaving() {
    return gSignals.state.load(std::memory_order_acquire) == POOL_LEAVING;
}

// True when every pool thread was made; waits until the last one's making has ended. A pool
// with a hole would wait for ever for the missing thread's share of a job.
bool PoolComplete() {
    WaitUntilAtLeast(gSignals.settled, uint32_t(gPool.size - 1));
    return !gSignals.holed.load(std::memory_order_relaxed);
}
}  // namespace

// Until word differs from seen: true; false when timeoutMs (INFINITE for none) ran out first.
bool ThreadWaitWhileEqual(const std::atomic<uint32_t>& word, uint32_t seen, uint32_t timeoutMs) {
    if (SpinWhileEqual(word, seen)) return true;
    const AddressWaits& waits = SystemAddressWaits();
    const DWORD startMs = GetTickCount();
    for (;;) {
        const DWORD waitedMs = GetTickCount() - startMs;
        if (timeoutMs != INFINITE && waitedMs >= timeoutMs) return false;
        const DWORD leftMs = timeoutMs == INFINITE ? INFINITE : timeoutMs - waitedMs;
        if (!waits.wait) {
            if (word.load(std::memory_order_acquire) != seen) return true;
            Sleep(1);
            continue;
        }
        // Counted as asleep before the last look: a change made after that look sees the
        // count and wakes us (both sides are sequentially consistent).
        gSleepers.fetch_add(1, std::memory_order_seq_cst);
        if (word.load(std::memory_order_seq_cst) == seen)
            waits.wait(const_cast<std::atomic<uint32_t>*>(&word), &seen, sizeof seen, leftMs);
        gSleepers.fetch_sub(1, std::memory_order_seq_cst);
        if (word.load(std::memory_order_acquire) != seen) return true;
    }
}

// After a change of word: wakes the threads asleep on it.
void ThreadWakeWaiters(std::atomic<uint32_t>& word) {
    if (gSleepers.load(std::memory_order_seq_cst) == 0) return;
    if (const WakeByAddressProc wake = SystemAddressWaits().wakeAll) wake(&word);
}

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
    // Threads of a running pool wake in a fraction of the time new ones take to start.
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
        handles[made] = gSystem.createThread(nullptr, 0, ParallelThreadEntry,
                                             reinterpret_cast<LPVOID>(intptr_t(made + 1)),
                                             CREATE_SUSPENDED, nullptr);
        if (!handles[made]) ready = false;
    }
    if (!ready) {
        // The threads made are let run a routine that does nothing rather than terminated:
        // under Wine a terminated thread's stack stays reserved.
        gParallelRoutine = SkipParallelShare;
        for (int32_t i = 0; i < made; ++i) {
            if (!handles[i]) continue;
            ResumeThread(handles[i]);
            WaitForSingleObject(handles[i], INFINITE);
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
    if (n < 2) return;
    for (std::atomic<uint32_t>* word : {&gSignals.generation, &gSignals.jobs, &gSignals.remaining,
                                        &gSignals.settled, &gSignals.left})
        word->store(0, std::memory_order_relaxed);
    gSignals.holed.store(false, std::memory_order_relaxed);
    gSignals.state.store(POOL_OPEN, std::memory_order_relaxed);
    gPool.scratch = new (std::nothrow) ScratchSlot[n]();
    gPool.threads = gPool.scratch ? new (std::nothrow) bool[n - 1]() : nullptr;
    gPool.exit = gPool.threads ? NewPoolExit(n - 1) : nullptr;
    if (!gPool.exit) {
        delete[] gPool.threads;
        gPool.threads = nullptr;
        FreeScratch();
        return;
    }
    gPool.scratch[0].threadId.store(gPool.ownerThreadId, std::memory_order_relaxed);
    MakePoolThread(gPool.exit, 1);
    PoolExitLetGo(gPool.exit, false);
}

void RunPoolJob(bool multiProcessor, bool withBarrier) {
    const int32_t n = gPool.size;
    uint32_t open = POOL_OPEN;
    if (n < 2 || !multiProcessor || !gPool.threads || !PoolComplete() ||
        !gSignals.state.compare_exchange_strong(open, POOL_JOB, std::memory_order_seq_cst)) {
        BeginJob(1);
        if (ThreadRoutine job = gPoolJob.load(std::memory_order_acquire)) job(0);
        return;
    }
    BeginJob(n);
    gPool.busy = true;
    const bool barrier = withBarrier && InitThreadBarrier(n);
    gSignals.remaining.store(uint32_t(n - 1), std::memory_order_relaxed);
    // The new job count publishes the job slot, the parameters and the barrier to a thread
    // that a wake-up has already set spinning; the new generation to the others.
    gSignals.jobs.fetch_add(1, std::memory_order_seq_cst);
    gSignals.generation.fetch_add(1, std::memory_order_seq_cst);
    ThreadWakeWaiters(gSignals.generation);
    if (ThreadRoutine job = gPoolJob.load(std::memory_order_acquire)) job(0);
    for (uint32_t left; (left = gSignals.remaining.load(std::memory_order_acquire)) != 0;)
        ThreadWaitWhileEqual(gSignals.remaining, left, INFINITE);
    if (barrier) FreeThreadBarrier();
    // Through a swap: a stop made on another thread during the job (which it should not be)
    // still holds.
    uint32_t job = POOL_JOB;
    gSignals.state.compare_exchange_strong(job, POOL_OPEN, std::memory_order_seq_cst);
    gPool.busy = false;
}

bool WorkerPoolServes(int32_t threadCount) {
    return threadCount > 1 && gPool.threads && gPool.size == threadCount && !gPool.busy &&
           gPool.ownerThreadId == GetCurrentThreadId() && PoolComplete() && !PoolLeaving();
}

void EnsureWorkerPool() {
    const int32_t n = GetProcessorCount();
    if (n < 2 || gPool.busy) return;
    // The pool outlives the run that started it until it has been idle for a while; a host that
    // runs the filter on another thread this time gets it started anew for that thread (the
    // plug-in serves one run at a time, so the other thread has no job left to hand out).
    const bool own = gPool.ownerThreadId == GetCurrentThreadId();
    if (!gPool.threads || !own || gPool.size != n || PoolLeaving()) StartWorkerPool();
}

void WorkerPoolReleaseScratch() {
    if (!gPool.scratch || gPool.busy || gPool.ownerThreadId != GetCurrentThreadId()) return;
    for (int32_t i = 0; i < gPool.size; ++i) {
        ScratchSlot& slot = gPool.scratch[i];
        gSystem.release(slot.data);
        slot.data = nullptr;
        slot.bytes = 0;
    }
}

void WorkerPoolHold(int32_t gapMs) {
    gHoldTicks.store(gapMs > 0 ? int64_t(gapMs) * TicksPerMs() : 0, std::memory_order_seq_cst);
    if (gapMs <= 0 || !gPool.threads || gPool.busy || gPool.ownerThreadId != GetCurrentThreadId())
        return;
    // Threads asleep since their last job are woken now, so that they run when the next job
    // comes instead of waiting to be scheduled then; spinning ones see a wake-up that changes
    // nothing.
    if (gSleepers.load(std::memory_order_seq_cst) == 0) return;
    gSignals.generation.fetch_add(1, std::memory_order_seq_cst);
    ThreadWakeWaiters(gSignals.generation);
}

void WorkerPoolKeep(bool keep) {
    gPoolKept.store(keep, std::memory_order_release);
}

void RunPoolRoutine(ThreadRoutine routine, bool multiProcessor, bool withBarrier) {
    gPoolJob.store(routine, std::memory_order_release);
    RunPoolJob(multiProcessor, withBarrier);
}

void StopWorkerPool() {
    gHoldTicks.store(0, std::memory_order_seq_cst);
    if (gPool.threads &&
        gSignals.state.exchange(POOL_LEAVING, std::memory_order_seq_cst) != POOL_LEAVING) {
        gSignals.generation.fetch_add(1, std::memory_order_seq_cst);
        ThreadWakeWaiters(gSignals.generation);
    }
    ReapLeavingPool();
    FreeScratch();
    gPool = WorkerPool{0, nullptr, nullptr, 0, false, nullptr};
}

void EndWorkerPoolAtUnload() {
    gHoldTicks.store(0, std::memory_order_seq_cst);
    if (!gPool.threads) return;
    // Every pool thread has ended already: the pool's exit record held the module until then.
    // Nothing may be waited for here anyway: an ending thread takes the loader lock, which
    // the caller holds.
    delete[] gPool.threads;
    FreeScratch();
    gPool = WorkerPool{0, nullptr, nullptr, 0, false, nullptr};
}

int32_t WorkerPoolThreadCount() {
    return gPool.threads && PoolComplete() && !PoolLeaving() ? gPool.size - 1 : 0;
}

void* WorkerScratch(int32_t threadIndex, size_t bytes) {
    if (!gPool.scratch || threadIndex < 0 || threadIndex >= gPool.size) return nullptr;
    ScratchSlot& slot = gPool.scratch[threadIndex];
    if (slot.threadId.load(std::memory_order_acquire) != GetCurrentThreadId()) return nullptr;
    if (slot.bytes < bytes) {
        // Its contents need not survive: a fresh block rather than a copying resize.
        gSystem.release(slot.data);
        slot.data = gSystem.reallocate(nullptr, bytes);
        slot.bytes = slot.data ? bytes : 0;
    }
    return slot.data;
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
    own->arrivals.fetch_add(1, std::memory_order_seq_cst);
    ThreadWakeWaiters(own->arrivals);
    for (int32_t i = 0; i < count; ++i) {
        for (;;) {
            // Read before the slot: an arrival after this look changes it.
            const uint32_t arrivals = slots[i].arrivals.load(std::memory_order_acquire);
            if (slots[i].threadId.load(std::memory_order_acquire) != 0 &&
                slots[i].stage.load(std::memory_order_acquire) >= stage)
                break;
            DWORD leftMs = INFINITE;
            if (timeoutMs >= 0) {
                const DWORD waitedMs = GetTickCount() - startMs;
                if (waitedMs >= DWORD(timeoutMs)) return 0;
                leftMs = DWORD(timeoutMs) - waitedMs;
            }
            ThreadWaitWhileEqual(slots[i].arrivals, arrivals, leftMs);
        }
    }
    return 1;
}

int FreeThreadBarrier() {
    delete[] gBarrier.slots;
    gBarrier = Barrier{0, nullptr};
    return 1;
}
