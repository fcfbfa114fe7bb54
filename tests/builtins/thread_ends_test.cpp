// How worker threads end: always by returning, never terminated from outside, which under Wine
// keeps a thread's stack (megabytes) reserved for good. Pools started and stopped again and
// again, and parallel jobs whose threads could not all be made, keep no address space.

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdint>
#include <string>

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

int32_t ProcessThreads() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int32_t count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    return count;
}

// Waits until the process is down to at most threads threads: stopped pool threads end on
// their own after the stop returns.
bool WaitForThreads(int32_t threads) {
    const DWORD startMs = GetTickCount();
    while (ProcessThreads() > threads) {
        if (GetTickCount() - startMs > kThreadsGoneWaitMs) return false;
        Sleep(5);
    }
    return true;
}

int64_t AddressSpaceInUse() {
    int64_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const uint8_t* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize) {
        if (info.State != MEM_FREE) total += int64_t(info.RegionSize);
        if (info.RegionSize == 0) break;
    }
    return total;
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
        if (!WaitForThreads(baseThreads_)) return ::testing::AssertionFailure() << "threads stay";
        const int64_t start = AddressSpaceInUse();
        for (int i = 0; i < kRounds; ++i) round();
        if (!WaitForThreads(baseThreads_)) return ::testing::AssertionFailure() << "threads stay";
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
}  // namespace
