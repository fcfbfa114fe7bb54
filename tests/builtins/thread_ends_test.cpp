// How worker threads end: always by returning, never terminated from outside, which under Wine
// keeps a thread's stack (megabytes) reserved for good. Pools started and stopped again and
// again, and parallel jobs whose threads could not all be made, keep no address space.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/process_holdings.h"
#include "host/system_calls.h"
#include "host/worker_threads.h"

namespace {
constexpr int kRounds = 20;
// Over all rounds; terminated threads would keep about 3 MB each, every round.
constexpr int64_t kAllowedGrowthBytes = 16 << 20;
constexpr DWORD kThreadsGoneWaitMs = 15000;

std::atomic<int32_t> gCalls[16];

void CountingRoutine(int32_t index) {
    gCalls[index]++;
}

std::atomic<int32_t> gThreadsAsked{0};
HANDLE WINAPI CreateThreadFailingFourth(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                        LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                        LPDWORD id) {
    if (++gThreadsAsked % 4 == 0) return nullptr;
    return CreateThread(security, stack, start, parameter, flags, id);
}

class ThreadEndsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetProcessorCountOverride(8);
        // The system's thread pool may keep a thread of its own: one more is allowed.
        baseThreads_ = ProcessThreads() + 1;
    }
    void TearDown() override {
        StopWorkerPool();
        SystemCallsReset();
        SetProcessorCountOverride(0);
    }
    // Runs round() kRounds times after one warm-up; false with the figures when the address
    // space grew by more than the margin.
    template <typename Round>
    ::testing::AssertionResult KeepsNoAddressSpace(Round round) {
        round();
        if (!WaitForThreads(baseThreads_, kThreadsGoneWaitMs))
            return ::testing::AssertionFailure() << "threads stay";
        const int64_t start = AddressSpaceInUse();
        for (int i = 0; i < kRounds; ++i) round();
        if (!WaitForThreads(baseThreads_, kThreadsGoneWaitMs))
            return ::testing::AssertionFailure() << "threads stay";
        const int64_t grown = AddressSpaceInUse() - start;
        if (grown < kAllowedGrowthBytes) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "address space grown by " << grown / 1024 << " KB over " << kRounds << " rounds";
    }
    int32_t baseThreads_ = 0;
};

TEST_F(ThreadEndsTest, PoolsStartedRunAndStoppedKeepNoStacks) {
    EXPECT_TRUE(KeepsNoAddressSpace([] {
        StartWorkerPool();
        for (auto& calls : gCalls) calls = 0;
        RunPoolRoutine(CountingRoutine, true, true);
        EXPECT_EQ(gJob.threadCount, 8);
        for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(gCalls[i], 1) << i;
        StopWorkerPool();
    }));
}

// Three of the seven threads are made before the fourth fails: the job runs on the caller
// alone, and the three made must end without running their share.
TEST_F(ThreadEndsTest, ParallelJobsShortOfAThreadRunOnTheCallerAndKeepNoStacks) {
    StopWorkerPool();
    gSystem.createThread = CreateThreadFailingFourth;
    EXPECT_TRUE(KeepsNoAddressSpace([] {
        gThreadsAsked = 0;
        for (auto& calls : gCalls) calls = 0;
        RunParallel(CountingRoutine, true, 0, 0, true);
        EXPECT_EQ(gJob.threadCount, 1);
        EXPECT_EQ(gCalls[0], 1);
        for (int32_t i = 1; i < 8; ++i) EXPECT_EQ(gCalls[i], 0) << i;
    }));
}

// An idle pool leaves after a couple of seconds, unless a dialog keeps it: a user's pause
// between two previews must not cost the next one a new pool. Let go, it leaves as before.
TEST_F(ThreadEndsTest, AKeptPoolStaysIdleAndLeavesOnceLetGo) {
    constexpr DWORD kPastIdleMs = 3500;  // longer than the pool's idle time
    WorkerPoolKeep(true);
    EnsureWorkerPool();
    RunPoolRoutine(CountingRoutine, true, false);
    ASSERT_EQ(WorkerPoolThreadCount(), 7);
    const int32_t threads = ProcessThreads();
    Sleep(kPastIdleMs);
    EXPECT_EQ(WorkerPoolThreadCount(), 7) << "the kept pool left";
    EXPECT_EQ(ProcessThreads(), threads);
    for (auto& calls : gCalls) calls = 0;
    RunPoolRoutine(CountingRoutine, true, false);
    EXPECT_EQ(gJob.threadCount, 8);
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(gCalls[i], 1) << i;

    WorkerPoolKeep(false);
    EXPECT_TRUE(WaitForThreads(baseThreads_, kThreadsGoneWaitMs)) << "the pool stayed";
    EXPECT_EQ(WorkerPoolThreadCount(), 0);
}
}  // namespace
