// The threads of a pass sequence: every index runs every pass once, and no thread starts a
// pass before all finished the one before, on the pool, on threads of the call's own, and
// when some of those threads cannot be made.

#include "render/pass_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "host/system_calls.h"
#include "host/worker_threads.h"

namespace {
constexpr int32_t kPasses = 3;
constexpr int32_t kRows = 211;  // not a multiple of any thread count used here

// What the passes saw; reset before every sequence.
struct SequenceSeen {
    int32_t threadCount;
    // Pass p writes pass * 1000 + row into table p % 2 and reads table (p - 1) % 2: a pass
    // started too early reads stale rows, one ended too late finds its table overwritten.
    std::vector<int32_t> rows[2];
    std::atomic<int32_t> runs[kPasses][kMaxPassThreads];
    std::atomic<int32_t> mismatches;
};
SequenceSeen gSeen;

void ResetSeen(int32_t threadCount) {
    gSeen.threadCount = threadCount;
    for (auto& table : gSeen.rows) table.assign(kRows, -1);
    for (auto& pass : gSeen.runs)
        for (auto& runs : pass) runs = 0;
    gSeen.mismatches = 0;
}

// Pass p checks every row that pass p - 1 wrote (on any thread), then writes its own rows.
template <int32_t Pass>
void StagedPass(void*, int32_t index) {
    gSeen.runs[Pass][index]++;
    if (Pass > 0) {
        const std::vector<int32_t>& before = gSeen.rows[(Pass - 1) % 2];
        for (int32_t y = 0; y < kRows; ++y)
            if (before[size_t(y)] != (Pass - 1) * 1000 + y) gSeen.mismatches++;
    }
    std::vector<int32_t>& own = gSeen.rows[Pass % 2];
    for (int32_t y = index; y < kRows; y += gSeen.threadCount) own[size_t(y)] = Pass * 1000 + y;
}

const PassThreadProc kSequence[kPasses] = {StagedPass<0>, StagedPass<1>, StagedPass<2>};

void ExpectEachPassOnEveryIndexOnce(int32_t threadCount) {
    for (int32_t p = 0; p < kPasses; ++p)
        for (int32_t i = 0; i < kMaxPassThreads; ++i)
            EXPECT_EQ(gSeen.runs[p][i], i < threadCount ? 1 : 0) << "pass " << p << " index " << i;
    EXPECT_EQ(gSeen.mismatches, 0);
    for (int32_t y = 0; y < kRows; ++y) EXPECT_EQ(gSeen.rows[0][size_t(y)], 2000 + y) << y;
}

// The second and later thread a call makes fail, as when the system runs out of them.
std::atomic<int32_t> gThreadsAsked{0};
int32_t gFailFrom = 0;
HANDLE WINAPI CreateThreadFailingLater(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                       LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                       LPDWORD id) {
    if (++gThreadsAsked >= gFailFrom) return nullptr;
    return CreateThread(security, stack, start, parameter, flags, id);
}

class PassThreadsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        StopWorkerPool();
        SystemCallsReset();
        SetProcessorCountOverride(0);
    }
};

TEST_F(PassThreadsTest, EveryPassRunsOnEveryIndexAfterThePassBeforeEnded) {
    struct Case {
        const char* name;
        int32_t threads;
        bool pool;         // an idle pool of the same size runs the passes
        int32_t failFrom;  // 0: every thread is made
    };
    const Case cases[] = {
        {"one thread", 1, false, 0},          {"three own threads", 3, false, 0},
        {"eight own threads", 8, false, 0},   {"sixteen own threads", 16, false, 0},
        {"eight on the pool", 8, true, 0},    {"three on the pool", 3, true, 0},
        {"second thread fails", 8, false, 2}, {"no thread made", 8, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetProcessorCountOverride(c.threads);
        if (c.pool) StartWorkerPool();
        gThreadsAsked = 0;
        gFailFrom = c.failFrom;
        if (c.failFrom > 0) gSystem.createThread = CreateThreadFailingLater;
        for (int round = 0; round < 3; ++round) {
            ResetSeen(c.threads);
            RunPassSequence(c.threads, kSequence, kPasses, nullptr);
            ExpectEachPassOnEveryIndexOnce(c.threads);
        }
        if (c.pool) {
            EXPECT_EQ(gThreadsAsked, 0) << "the pool's threads, no new ones";
        }
        SystemCallsReset();
        StopWorkerPool();
    }
}
}  // namespace
