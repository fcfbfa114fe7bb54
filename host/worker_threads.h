// Spreading work over all processors: a one-shot parallel-for (RunParallel), a worker pool
// whose threads sleep between jobs, and the barrier that separates the passes of a
// multi-pass job. Thread index 0 is always the calling thread; thread i takes the rows i,
// i + N, i + 2N, ...
#pragma once

#include <atomic>
#include <cstdint>

// A routine run once on every thread of a job, with the thread's index 0..N-1.
using ThreadRoutine = void (*)(int32_t threadIndex);

constexpr int kPoolJobParameterCount = 6;

// The job under way. Written by the caller of RunParallel / RunPoolJob before any worker
// starts or resumes, read-only for the workers during the job.
struct WorkerJob {
    int32_t threadCount;  // N of the job under way; rows are strided by it
    int32_t parameterA;   // the two parameters of RunParallel
    int32_t parameterB;
    // Parameters 1..6 of the pool jobs (index 0 unused), set by the caller before RunPoolJob.
    int32_t poolParameters[kPoolJobParameterCount + 1];
    // Shared cancel flag: any thread may set it; work loops test it and skip their work, but
    // every thread still passes every barrier so that no thread waits for one that left.
    // Cleared at the start of each job.
    std::atomic<bool> cancelRequested;
};
extern WorkerJob gJob;

// The pool's job slot: the routine RunPoolJob runs on every pool thread.
extern std::atomic<ThreadRoutine> gPoolJob;

// Number of processors reported by the system (at least 1). A test may pin it with
// SetProcessorCountOverride (0 restores the system's count).
int32_t GetProcessorCount();
void SetProcessorCountOverride(int32_t count);

// Runs routine(i) for i = 0..N-1, N = the processor count when useAllProcessors, else 1;
// index 0 on the caller, the others on the worker pool when it serves N threads (see
// WorkerPoolServes), else on threads created for this call and joined before it returns.
// withBarrier makes the barrier table for the call. When threads cannot be made the job runs
// on the caller alone with N = 1.
void RunParallel(ThreadRoutine routine, bool useAllProcessors, int32_t parameterA,
                 int32_t parameterB, bool withBarrier);

// Creates the pool: N = processor count, N - 1 threads that start up at once (the caller
// makes one, which makes the others) and wait for the first job; between jobs they spin
// briefly, then sleep. Stops an earlier pool. A thread that cannot be made leaves a pool
// that runs every job on the caller alone. The threads hold the module loaded while they
// run, and the whole pool leaves on its own after a couple of seconds without a job: the
// host's FreeLibrary never has to end them, and the module goes once they have left.
void StartWorkerPool();
// Runs gPoolJob on all pool threads (index 0 on the caller) and returns when every thread
// finished it. multiProcessor 0, a pool of one or no pool at all: once, on the caller, N = 1.
void RunPoolJob(bool multiProcessor, bool withBarrier);
// Sets the job slot and runs it (the usual way to call RunPoolJob).
void RunPoolRoutine(ThreadRoutine routine, bool multiProcessor, bool withBarrier);
// Makes the pool's threads leave and returns once none of them touches the pool any more
// (waiting for any still starting up); they end on their own right after. Safe to call when
// no pool runs, and on a pool that left on its own.
void StopWorkerPool();
// The module is being unloaded (not at the process's end): the pool's threads, which kept
// it loaded, have ended; frees what the pool's record still holds, waiting for nothing, since
// the caller holds the system's loader lock.
void EndWorkerPoolAtUnload();
// True when the pool can run a job of threadCount threads for the caller now: it runs with
// that many threads, no job is under way on it, and the caller is the thread that started it.
bool WorkerPoolServes(int32_t threadCount);
// Starts the pool when none runs, or anew when the processor count changed or another thread
// started it: a render's many jobs then resume the same threads instead of making new ones.
// The pool outlives the run, its threads asleep, so that the next run finds them made; it
// lives until StopWorkerPool or until it has been idle for a couple of seconds, after which
// this starts a new one.
void EnsureWorkerPool();
// Frees the pool threads' scratch blocks (see WorkerScratch) between runs, keeping the
// threads. Called by the pool's owner while no job runs.
void WorkerPoolReleaseScratch();
// A render holds the pool for its dozen jobs: every wait (a pool thread's for the next job,
// the owner's for a job's end, a barrier's) spins up to gapMs before it sleeps, so that the
// next job or stage starts at once rather than after a wake-up, which under Wine can take a
// scheduler tick. The call also wakes pool threads that sleep, so that they are running when
// the next job comes. 0 ends the hold: spinning threads go to sleep at once, and nothing spins
// after a run or while the dialog is idle. Called by the pool's owner.
void WorkerPoolHold(int32_t gapMs);
// While a dialog is up, its user may pause for any time between two previews: the pool's idle
// threads stay, asleep, instead of leaving, so that the next preview does not wait for a new
// pool to be made (some 20 ms under Wine). The dialog keeps the pool while it runs; the end of
// every run lets it go again, so that an unloaded plug-in still goes.
void WorkerPoolKeep(bool keep);
// The hold of a run's renders: longer than the serial steps between a render's jobs (the
// tables, the host's hand-over of the next rectangle), short enough that threads waiting for
// work that does not come soon give the processors back.
constexpr int32_t kRunPoolHoldMs = 5;
// Pool threads (0 when no pool runs); the pool's size is this plus one.
int32_t WorkerPoolThreadCount();
// A block of at least bytes kept for pool thread threadIndex (the pool's owner is thread 0)
// until the pool stops or WorkerPoolReleaseScratch, so that a buffer wanted in every job of a run
// (a blur's lane buffer) has its pages faulted in once a run, not once a job; it holds whatever the
// thread left in it. Null when the caller is not that thread of the running pool or the memory
// cannot be had: the caller then uses memory of its own. One user at a time on each thread.
void* WorkerScratch(int32_t threadIndex, size_t bytes);

// Until word differs from seen: true; false when timeoutMs (INFINITE for none) ran out
// first. Spins for some tens of microseconds, then sleeps until ThreadWakeWaiters.
bool ThreadWaitWhileEqual(const std::atomic<uint32_t>& word, uint32_t seen, uint32_t timeoutMs);
// After a change of word: wakes the threads asleep on it in ThreadWaitWhileEqual.
void ThreadWakeWaiters(std::atomic<uint32_t>& word);

// 0 and nothing made for count below 2; else a zeroed table of count slots, 1.
int InitThreadBarrier(int32_t count);
// Waits until all N threads of the job reached stage (or a later one): 1 when they did, 0 on
// time-out (timeoutMs >= 0), when no barrier exists or no slot is free. Stages must rise
// through a job; a thread that gave up at a time-out can still take part in later stages.
int ThreadBarrier(int32_t stage, int32_t timeoutMs);
int FreeThreadBarrier();  // returns 1

// Job control for long work loops on any thread.
inline void RequestJobCancel() {
    gJob.cancelRequested.store(true, std::memory_order_relaxed);
}
inline bool JobCancelRequested() {
    return gJob.cancelRequested.load(std::memory_order_relaxed);
}
