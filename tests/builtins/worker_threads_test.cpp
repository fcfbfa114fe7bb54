// The parallel-for, the worker pool, the barrier and the random source, on real threads.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <vector>

#include "common/process_cpu.h"
#include "host/random_source.h"
#include "host/system_calls.h"
#include "host/worker_threads.h"

namespace {
constexpr int kMaxThreads = 16;
constexpr int kRows = 101;  // not a multiple of any thread count used here

// What the routines below saw; reset before every job.
struct Observed {
    std::atomic<int32_t> calls[kMaxThreads];
    std::atomic<uint32_t> threadIds[kMaxThreads];
    std::atomic<int32_t> rowHits[kRows];
    std::atomic<int32_t> barrierResults[kMaxThreads];
    std::atomic<int32_t> mismatches;
};
Observed gSeen;

void ResetObserved() {
    for (auto& v : gSeen.calls) v = 0;
    for (auto& v : gSeen.threadIds) v = 0;
    for (auto& v : gSeen.rowHits) v = 0;
    for (auto& v : gSeen.barrierResults) v = -1;
    gSeen.mismatches = 0;
}

// Takes the rows of its index the way every job does and notes who ran it.
void CountingRoutine(int32_t index) {
    gSeen.calls[index]++;
    gSeen.threadIds[index] = GetCurrentThreadId();
    for (int32_t y = index; y < kRows; y += gJob.threadCount) gSeen.rowHits[y]++;
}

void ExpectCallsOnce(int32_t n) {
    for (int32_t i = 0; i < kMaxThreads; ++i) EXPECT_EQ(gSeen.calls[i], i < n ? 1 : 0) << i;
}

void ExpectEachIndexOnce(int32_t n) {
    ExpectCallsOnce(n);
    for (int32_t y = 0; y < kRows; ++y) EXPECT_EQ(gSeen.rowHits[y], 1) << "row " << y;
    EXPECT_EQ(gSeen.threadIds[0], GetCurrentThreadId()) << "index 0 runs on the caller";
}

class ThreadsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        StopWorkerPool();
        SystemCallsReset();
        SetProcessorCountOverride(0);
    }
};

TEST_F(ThreadsTest, RunParallelRunsEveryIndexOnceWithIndexZeroOnTheCaller) {
    for (int32_t processors : {1, 2, 3, 8}) {
        for (bool all : {false, true}) {
            SCOPED_TRACE(::testing::Message() << processors << " processors, all " << all);
            SetProcessorCountOverride(processors);
            ResetObserved();
            RunParallel(CountingRoutine, all, 17, -4, false);
            const int32_t n = all ? processors : 1;
            EXPECT_EQ(gJob.threadCount, n);
            EXPECT_EQ(gJob.parameterA, 17);
            EXPECT_EQ(gJob.parameterB, -4);
            ExpectEachIndexOnce(n);
        }
    }
}

TEST_F(ThreadsTest, PoolRunsEveryIndexOnceOnTheSameThreadsJobAfterJob) {
    for (int32_t processors : {1, 2, 3, 8}) {
        SCOPED_TRACE(::testing::Message() << processors << " processors");
        SetProcessorCountOverride(processors);
        StartWorkerPool();
        EXPECT_EQ(WorkerPoolThreadCount(), processors - 1);
        std::vector<uint32_t> firstIds;
        for (int job = 0; job < 30; ++job) {
            ResetObserved();
            RunPoolRoutine(CountingRoutine, true, false);
            ExpectEachIndexOnce(processors);
            std::vector<uint32_t> ids(gSeen.threadIds, gSeen.threadIds + processors);
            if (job == 0) firstIds = ids;
            EXPECT_EQ(ids, firstIds) << "the pool reuses its threads";
        }
        // Multi-CPU off: one thread, the caller.
        ResetObserved();
        RunPoolRoutine(CountingRoutine, false, false);
        EXPECT_EQ(gJob.threadCount, 1);
        ExpectEachIndexOnce(1);
        StopWorkerPool();
        EXPECT_EQ(WorkerPoolThreadCount(), 0);
    }
}

// Notes, on index 0, whether the pool would take another job while this one runs.
std::atomic<int32_t> gPoolServedDuringJob{-1};
void ServesDuringJobRoutine(int32_t index) {
    if (index == 0) gPoolServedDuringJob = WorkerPoolServes(gJob.threadCount) ? 1 : 0;
    CountingRoutine(index);
}

// A render runs a dozen parallel jobs: they resume the idle pool's threads rather than make
// new ones, but only a pool of their own size, and never one that is running a job.
TEST_F(ThreadsTest, ParallelJobsResumeTheIdlePoolOfTheirSize) {
    for (int32_t processors : {2, 3, 8}) {
        SCOPED_TRACE(::testing::Message() << processors << " processors");
        SetProcessorCountOverride(processors);
        EnsureWorkerPool();
        ASSERT_EQ(WorkerPoolThreadCount(), processors - 1);
        ResetObserved();
        RunPoolRoutine(CountingRoutine, true, false);
        const std::vector<uint32_t> poolIds(gSeen.threadIds, gSeen.threadIds + processors);
        for (bool barrier : {false, true}) {
            ResetObserved();
            gPoolServedDuringJob = -1;
            RunParallel(ServesDuringJobRoutine, true, 3, 4, barrier);
            ExpectEachIndexOnce(processors);
            EXPECT_EQ(std::vector<uint32_t>(gSeen.threadIds, gSeen.threadIds + processors),
                      poolIds);
            EXPECT_EQ(gPoolServedDuringJob, 0) << "a running pool takes no second job";
        }
        // One processor more than the pool has: threads of the job's own.
        SetProcessorCountOverride(processors + 1);
        ResetObserved();
        RunParallel(CountingRoutine, true, 0, 0, true);
        ExpectEachIndexOnce(processors + 1);
        for (int32_t i = 1; i <= processors; ++i)
            for (uint32_t id : poolIds) EXPECT_NE(gSeen.threadIds[i], id) << i;
        // The pool follows the processor count when its owner asks again.
        EnsureWorkerPool();
        EXPECT_EQ(WorkerPoolThreadCount(), processors);
        StopWorkerPool();
    }
}

TEST_F(ThreadsTest, PoolThreadsUseNoProcessorBetweenJobs) {
    SetProcessorCountOverride(8);
    StartWorkerPool();
    ResetObserved();
    RunPoolRoutine(CountingRoutine, true, false);
    // Seven threads polling for work would burn about 7 x 300 ms here.
    const int64_t before = ProcessCpuMs();
    Sleep(300);
    EXPECT_LT(ProcessCpuMs() - before, 150);
    ResetObserved();
    RunPoolRoutine(CountingRoutine, true, false);
    ExpectEachIndexOnce(8);
}

void BarrierOnceRoutine(int32_t index) {
    gSeen.calls[index]++;
    gSeen.barrierResults[index] = ThreadBarrier(0, -1);
}

// A run starts its pool before the host delivers the image: the threads start up at once
// and then wait for the first job without using a processor. A run that fails before its
// first render stops a pool whose threads may still be starting up: the process must go on
// making threads and running jobs afterwards.
TEST_F(ThreadsTest, PoolStartedAheadWaitsIdleForItsFirstJobAndStopsCleanlyBeforeIt) {
    SetProcessorCountOverride(8);
    for (int run = 0; run < 20; ++run) {
        StartWorkerPool();
        StopWorkerPool();
    }
    ResetObserved();
    RunParallel(CountingRoutine, true, 0, 0, true);
    ExpectEachIndexOnce(8);
    StartWorkerPool();
    Sleep(200);  // the start-up, however long it takes on a loaded machine
    const int64_t before = ProcessCpuMs();
    Sleep(300);
    EXPECT_LT(ProcessCpuMs() - before, 150);
    for (bool barrier : {true, false}) {
        ResetObserved();
        RunPoolRoutine(BarrierOnceRoutine, true, barrier);
        ExpectCallsOnce(8);
        for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(gSeen.barrierResults[i], barrier ? 1 : 0) << i;
    }
    StopWorkerPool();
}

// Thread 0 works through a long stage alone (sleeping here, so that it uses no processor
// itself) while the others wait for it at the barrier.
void LongStageRoutine(int32_t index) {
    if (index == 0) Sleep(300);
    gSeen.barrierResults[index] = ThreadBarrier(0, 10000);
}

TEST_F(ThreadsTest, ThreadsWaitingOutALongStageLeaveTheProcessors) {
    SetProcessorCountOverride(8);
    ResetObserved();
    // Seven threads polling the barrier would burn up to 7 x 300 ms here.
    const int64_t before = ProcessCpuMs();
    RunParallel(LongStageRoutine, true, 0, 0, true);
    // Thread start and the barrier's short spin cost a few hundred ms of processor time on
    // a loaded machine; polling through the whole stage would cost far more.
    EXPECT_LT(ProcessCpuMs() - before, 600);
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(gSeen.barrierResults[i], 1) << i;
}

TEST_F(ThreadsTest, JobsWithoutAPoolRunOnceOnTheCaller) {
    ResetObserved();
    RunPoolRoutine(CountingRoutine, true, true);
    EXPECT_EQ(gJob.threadCount, 1);
    ExpectEachIndexOnce(1);
}

TEST_F(ThreadsTest, OneProcessorRunsOnceOnTheCallerAndBarriersReturnZeroAtOnce) {
    SetProcessorCountOverride(1);
    StartWorkerPool();
    for (int pass = 0; pass < 2; ++pass) {
        ResetObserved();
        const DWORD start = GetTickCount();
        if (pass == 0)
            RunPoolRoutine(BarrierOnceRoutine, true, true);
        else
            RunParallel(BarrierOnceRoutine, true, 0, 0, true);
        EXPECT_LT(GetTickCount() - start, 1000u);
        EXPECT_EQ(gSeen.calls[0], 1);
        EXPECT_EQ(gSeen.calls[1], 0);
        EXPECT_EQ(gSeen.barrierResults[0], 0);
    }
}

// Each stage writes the own rows of a shared table; after the barrier every thread checks
// all rows, including those written by the others.
std::vector<int32_t> gShared(kRows);
constexpr int kStages = 12;

void StagedRoutine(int32_t index) {
    const int32_t n = gJob.threadCount;
    for (int32_t stage = 0; stage < kStages; ++stage) {
        if ((index + stage) % 3 == 0) Sleep(1);  // uneven arrival at every barrier
        for (int32_t y = index; y < kRows; y += n) gShared[y] = stage * 1000 + y;
        if (ThreadBarrier(stage * 2, 10000) != 1) gSeen.mismatches++;
        for (int32_t y = 0; y < kRows; ++y)
            if (gShared[y] != stage * 1000 + y) gSeen.mismatches++;
        // Nobody writes the next stage before everyone has read this one.
        if (ThreadBarrier(stage * 2 + 1, 10000) != 1) gSeen.mismatches++;
    }
    gSeen.calls[index]++;
}

TEST_F(ThreadsTest, BarrierSeparatesThePassesOfAJob) {
    for (int32_t processors : {2, 3, 8}) {
        SCOPED_TRACE(::testing::Message() << processors << " processors");
        SetProcessorCountOverride(processors);
        StartWorkerPool();
        ResetObserved();
        RunPoolRoutine(StagedRoutine, true, true);
        EXPECT_EQ(gSeen.mismatches, 0);
        ResetObserved();
        RunParallel(StagedRoutine, true, 0, 0, true);
        EXPECT_EQ(gSeen.mismatches, 0);
        ExpectCallsOnce(processors);
    }
}

// Thread 2 stays away from stage 0; the others time out there, and all meet at stage 1.
std::atomic<int32_t> gTimedOut{0};
void LateThreadRoutine(int32_t index) {
    gSeen.calls[index]++;
    if (index != 2) {
        const DWORD start = GetTickCount();
        if (ThreadBarrier(0, 50) == 0 && GetTickCount() - start >= 40) gTimedOut++;
    } else {
        for (int i = 0; i < 5000 && gTimedOut < 2; ++i) Sleep(1);
    }
    gSeen.barrierResults[index] = ThreadBarrier(1, 10000);
}

TEST_F(ThreadsTest, BarrierTimeOutLetsTheThreadGoOnAndMeetLaterStages) {
    SetProcessorCountOverride(3);
    ResetObserved();
    gTimedOut = 0;
    RunParallel(LateThreadRoutine, true, 0, 0, true);
    EXPECT_EQ(gTimedOut, 2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(gSeen.barrierResults[i], 1) << i;
}

// One thread asks to cancel; all keep passing the barriers and skip their work.
std::atomic<int32_t> gWorkDone{0};
void CancellingRoutine(int32_t index) {
    for (int32_t stage = 0; stage < 6; ++stage) {
        if (!JobCancelRequested()) gWorkDone++;
        if (ThreadBarrier(stage * 2, 10000) != 1) gSeen.mismatches++;
        if (index == 1 && stage == 1) RequestJobCancel();
        if (ThreadBarrier(stage * 2 + 1, 10000) != 1) gSeen.mismatches++;
    }
    gSeen.calls[index]++;
}

TEST_F(ThreadsTest, CancelledJobKeepsEveryThreadPassingTheBarriers) {
    SetProcessorCountOverride(8);
    StartWorkerPool();
    ResetObserved();
    gWorkDone = 0;
    RunPoolRoutine(CancellingRoutine, true, true);
    EXPECT_EQ(gSeen.mismatches, 0);
    EXPECT_EQ(gWorkDone, 8 * 2) << "stages 0 and 1 before the cancel, none after";
    ExpectCallsOnce(8);
    // The next job starts uncancelled.
    ResetObserved();
    RunPoolRoutine(CountingRoutine, true, false);
    EXPECT_FALSE(JobCancelRequested());
}

TEST_F(ThreadsTest, BarrierRefusesAThreadWhenEverySlotIsTaken) {
    ASSERT_EQ(InitThreadBarrier(1), 0);
    EXPECT_EQ(ThreadBarrier(0, -1), 0);
    ASSERT_EQ(InitThreadBarrier(2), 1);
    SetProcessorCountOverride(3);
    ResetObserved();
    // Two threads fill the table; the third finds no slot and returns at once.
    RunParallel(
        [](int32_t index) {
            if (index == 2)
                while (gSeen.calls[0] + gSeen.calls[1] < 2) Sleep(1);
            gSeen.barrierResults[index] = ThreadBarrier(0, 5000);
            gSeen.calls[index]++;
        },
        true, 0, 0, false);
    EXPECT_EQ(gSeen.barrierResults[0] + gSeen.barrierResults[1], 2);
    EXPECT_EQ(gSeen.barrierResults[2], 0);
    FreeThreadBarrier();
}

// --- Random source ----------------------------------------------------------------------------
// The first draws of the classic C runtime generator after seeding with 1.
constexpr int32_t kSeedOneDraws[] = {41,    18467, 6334,  26500, 19169,
                                     15724, 11478, 29358, 26962, 24464};

std::vector<int32_t> gDraws[kMaxThreads];
void DrawingRoutine(int32_t index) {
    gDraws[index].clear();
    // A new thread starts at 1, before any seeding.
    for (int i = 0; i < 3; ++i) gDraws[index].push_back(RandomNext());
    RandomSeed(20240601u);
    for (int i = 0; i < 100; ++i) gDraws[index].push_back(RandomNext());
}

TEST_F(ThreadsTest, RandomSourceGivesTheSameSequenceOnEveryThread) {
    RandomSeed(1);
    for (int32_t expected : kSeedOneDraws) EXPECT_EQ(RandomNext(), expected);
    SetProcessorCountOverride(8);
    RunParallel(DrawingRoutine, true, 0, 0, false);
    for (int32_t i = 1; i < 8; ++i) {
        ASSERT_EQ(gDraws[i].size(), 103u);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(gDraws[i][k], kSeedOneDraws[k]) << i;
        EXPECT_TRUE(std::equal(gDraws[i].begin() + 3, gDraws[i].end(), gDraws[0].begin() + 3))
            << "thread " << i;
    }
    for (int32_t v : gDraws[0]) EXPECT_TRUE(v >= 0 && v <= kRandomMax);
}

// The making of one pool thread fails, whichever (pool threads make each other).
std::atomic<int32_t> gThreadsAsked{0};
int32_t gFailingCall = 0;
HANDLE WINAPI CreateThreadFailingOnce(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                      LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                      LPDWORD id) {
    if (++gThreadsAsked == gFailingCall) return nullptr;
    return CreateThread(security, stack, start, parameter, flags, id);
}

TEST_F(ThreadsTest, PoolMissingAThreadRunsEveryJobOnTheCallerAndStopsCleanly) {
    SetProcessorCountOverride(8);
    for (int32_t failing : {1, 2, 3, 5, 7}) {
        SCOPED_TRACE(::testing::Message() << "thread making " << failing << " fails");
        gThreadsAsked = 0;
        gFailingCall = failing;
        gSystem.createThread = CreateThreadFailingOnce;
        StartWorkerPool();
        EXPECT_EQ(WorkerPoolThreadCount(), 0);
        EXPECT_FALSE(WorkerPoolServes(8));
        for (bool barrier : {false, true}) {
            ResetObserved();
            RunPoolRoutine(CountingRoutine, true, barrier);
            EXPECT_EQ(gJob.threadCount, 1);
            ExpectEachIndexOnce(1);
        }
        SystemCallsReset();
        // A parallel job makes threads of its own instead.
        ResetObserved();
        RunParallel(CountingRoutine, true, 0, 0, true);
        ExpectEachIndexOnce(8);
        StopWorkerPool();
        EXPECT_LE(gThreadsAsked, 7) << "no thread made after the failure's subtree";
    }
    // The next pool is whole again.
    StartWorkerPool();
    ResetObserved();
    RunPoolRoutine(CountingRoutine, true, true);
    ExpectEachIndexOnce(8);
}

// Jobs come one after another as fast as the caller can hand them out, each with a barrier:
// no thread may miss a job or run one twice, whether it was spinning or asleep.
void TwoStageRoutine(int32_t index) {
    gSeen.calls[index]++;
    if (ThreadBarrier(0, -1) != 1) gSeen.mismatches++;
    if (ThreadBarrier(1, -1) != 1) gSeen.mismatches++;
}

TEST_F(ThreadsTest, JobsInQuickSuccessionRunOnceOnEveryThread) {
    SetProcessorCountOverride(8);
    StartWorkerPool();
    for (int job = 0; job < 400; ++job) {
        ResetObserved();
        if (job % 100 == 50) Sleep(30);  // the threads go to sleep before this job
        RunPoolRoutine(TwoStageRoutine, true, true);
        ExpectCallsOnce(8);
        ASSERT_EQ(gSeen.mismatches, 0) << job;
    }
}

// A run holds its pool: a job handed out while the threads are still waking from the hold's
// wake-up (or from sleep, or with the hold just ended) runs once on every thread; once the
// hold ends, or its gap has run out, nothing spins.
TEST_F(ThreadsTest, HeldPoolRunsJobsWhileWakingAndSpinsOnlyWhileHeld) {
    SetProcessorCountOverride(8);
    StartWorkerPool();
    for (int job = 0; job < 300; ++job) {
        ResetObserved();
        if (job % 50 == 25) Sleep(30);  // asleep before the wake-up
        WorkerPoolHold(job % 3 == 0 ? 0 : 1 + job % 7);
        if (job % 5 == 0) Sleep(job % 2);  // some threads awake, some still waking
        RunPoolRoutine(TwoStageRoutine, true, true);
        ExpectCallsOnce(8);
        ASSERT_EQ(gSeen.mismatches, 0) << job;
    }
    // Held, the woken threads spin; how much processor that takes depends on the machine's
    // load (the spin yields to other threads), so only its end is checked. Ended: they sleep
    // at once.
    WorkerPoolHold(0);
    Sleep(50);
    WorkerPoolHold(1000);
    Sleep(150);
    WorkerPoolHold(0);
    Sleep(20);
    int64_t before = ProcessCpuMs();
    Sleep(300);
    EXPECT_LT(ProcessCpuMs() - before, 150);
    // A hold nobody ends spins only for its gap after the last job.
    WorkerPoolHold(30);
    ResetObserved();
    RunPoolRoutine(CountingRoutine, true, false);
    ExpectEachIndexOnce(8);
    Sleep(100);
    before = ProcessCpuMs();
    Sleep(300);
    EXPECT_LT(ProcessCpuMs() - before, 150);
    // The stop ends the hold with the pool.
    WorkerPoolHold(1000);
    StopWorkerPool();
    StartWorkerPool();
    ResetObserved();
    RunPoolRoutine(CountingRoutine, true, false);
    Sleep(50);
    before = ProcessCpuMs();
    Sleep(300);
    EXPECT_LT(ProcessCpuMs() - before, 150);
}

// What each thread's scratch calls gave: its own block, the block of the next index (which
// must be refused), and whether its block still held what the thread left there last job.
struct ScratchSeen {
    std::atomic<uintptr_t> own[kMaxThreads];
    std::atomic<int32_t> othersGiven;
    std::atomic<int32_t> keptContents;
};
ScratchSeen gScratch;
std::atomic<size_t> gScratchBytes{0};

void ScratchRoutine(int32_t index) {
    const size_t bytes = gScratchBytes.load();
    auto* block = static_cast<uint8_t*>(WorkerScratch(index, bytes));
    gScratch.own[index] = reinterpret_cast<uintptr_t>(block);
    if (WorkerScratch((index + 1) % gJob.threadCount, bytes) && gJob.threadCount > 1)
        gScratch.othersGiven++;
    if (!block) return;
    if (block[0] == uint8_t(index + 1) && block[bytes - 1] == uint8_t(index + 7))
        gScratch.keptContents++;
    block[0] = uint8_t(index + 1);
    block[bytes - 1] = uint8_t(index + 7);
}

void* ReallocateNever(void*, size_t) {
    return nullptr;
}

std::atomic<int32_t> gReleased{0};
void CountingRelease(void* block) {
    if (block) gReleased++;
    free(block);
}

void RunScratchJob(size_t bytes) {
    gScratchBytes = bytes;
    for (auto& p : gScratch.own) p = 0;
    gScratch.othersGiven = 0;
    gScratch.keptContents = 0;
    RunPoolRoutine(ScratchRoutine, true, false);
}

TEST_F(ThreadsTest, ScratchBlocksBelongToTheirPoolThreadAndLastUntilReleased) {
    for (int32_t processors : {2, 3, 8}) {
        SCOPED_TRACE(::testing::Message() << processors << " processors");
        SetProcessorCountOverride(processors);
        EXPECT_EQ(WorkerScratch(0, 64), nullptr) << "no pool yet";
        StartWorkerPool();
        RunScratchJob(4096);
        std::vector<uintptr_t> first(gScratch.own, gScratch.own + processors);
        for (int32_t i = 0; i < processors; ++i) EXPECT_NE(first[size_t(i)], 0u) << i;
        EXPECT_EQ(gScratch.othersGiven, 0) << "another thread's block is never given";
        // The next job finds every block where it was, with what its thread left there; a
        // smaller request takes the same block.
        RunScratchJob(4096);
        EXPECT_EQ(std::vector<uintptr_t>(gScratch.own, gScratch.own + processors), first);
        EXPECT_EQ(gScratch.keptContents, processors);
        RunScratchJob(100);
        EXPECT_EQ(std::vector<uintptr_t>(gScratch.own, gScratch.own + processors), first);
        // A larger one gets a block of that size (the routine writes its last byte).
        RunScratchJob(1 << 20);
        for (int32_t i = 0; i < processors; ++i) EXPECT_NE(gScratch.own[i], 0u) << i;
        EXPECT_EQ(WorkerScratch(-1, 64), nullptr);
        EXPECT_EQ(WorkerScratch(processors, 64), nullptr);
        // Between runs the blocks go and the threads stay: the next job gets new ones.
        gReleased = 0;
        gSystem.release = CountingRelease;
        WorkerPoolReleaseScratch();
        SystemCallsReset();
        EXPECT_EQ(gReleased, processors);
        RunScratchJob(4096);
        for (int32_t i = 0; i < processors; ++i) EXPECT_NE(gScratch.own[i], 0u) << i;
        // Threads made for a call are not the pool's.
        StopWorkerPool();
        EXPECT_EQ(WorkerScratch(0, 64), nullptr) << "the stop frees the blocks";
        RunParallel(
            [](int32_t index) {
                if (WorkerScratch(index, 64)) gScratch.othersGiven++;
            },
            true, 0, 0, false);
        EXPECT_EQ(gScratch.othersGiven, 0);
    }
    // No memory: no block, and the pool goes on.
    SetProcessorCountOverride(3);
    StartWorkerPool();
    gSystem.reallocate = ReallocateNever;
    RunScratchJob(256);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(gScratch.own[i], 0u) << i;
    SystemCallsReset();
    RunScratchJob(256);
    for (int32_t i = 0; i < 3; ++i) EXPECT_NE(gScratch.own[i], 0u) << i;
}
}  // namespace
