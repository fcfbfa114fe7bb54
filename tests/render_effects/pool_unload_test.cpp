// The worker pool across the host's loads and unloads of the plug-in: an editor that loads the
// filter for every use must not lose the pool threads' stacks (megabytes each, reserved in its
// address space) with every unload, and the module must go once the threads have left.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "common/process_holdings.h"
#include "render_effects/settings_script.h"
#include "render_effects/unload_runs.h"
#include "tools/testhost/host_internal.h"
#include "tools/testhost/test_host.h"

namespace {
// Long enough for the pool's threads to leave on their own after a run.
constexpr DWORD kModuleGoneWaitMs = 20000;
constexpr int kRounds = 6;
// Over all rounds: a few pending stacks and steps of the heap.
constexpr int64_t kAllowedGrowthBytes = 12 << 20;

// Settings C: every pass of the render runs on the pool.
HMODULE RunAndUnload(const HostImage& image, std::vector<uint16_t>* firstRow = nullptr) {
    return RunAndUnload(image, SettingsScript(SettingsC()), firstRow);
}

// The address space grown after each round, against the first: under the margin at the end.
void ExpectNoGrowth(const std::vector<int64_t>& grown) {
    std::string figures;
    for (int64_t bytes : grown) figures += " " + std::to_string(bytes / 1024) + " KB";
    EXPECT_LT(grown.back(), kAllowedGrowthBytes)
        << "address space grown after each round:" << figures;
    printf("address space grown after each round:%s\n", figures.c_str());
}

// Each round loads, runs and unloads the plug-in and waits until the module and its threads
// are gone: what the process holds afterwards must not grow round by round by the pool's
// thread stacks (about 22 MB a round with eight processors, when the threads were ended from
// outside). Two rounds warm up the host's heap, which grows in steps of megabytes for a while;
// the system frees an ended thread's stack only when the next thread ends, so one stack may
// be pending at any measure.
TEST(PoolUnload, UnloadedPluginLeavesNoThreadStacksBehind) {
    const HostImage image = StripedImage(600, 400);
    for (int round = 0; round < 2; ++round)
        ASSERT_TRUE(WaitForModuleGone(RunAndUnload(image), kModuleGoneWaitMs))
            << "the module stayed after the warm-up";
    const int32_t threads = ProcessThreads();
    const int64_t start = AddressSpaceInUse();
    std::vector<int64_t> grown;
    for (int round = 1; round <= kRounds; ++round) {
        ASSERT_TRUE(WaitForModuleGone(RunAndUnload(image), kModuleGoneWaitMs))
            << "round " << round << ": the module stayed";
        ASSERT_TRUE(WaitForThreads(threads, kModuleGoneWaitMs))
            << "round " << round << ": threads stayed";
        grown.push_back(AddressSpaceInUse() - start);
    }
    ExpectNoGrowth(grown);
}

// A host that calls the filter on a new thread each time, the plug-in staying loaded: every run
// restarts the pool for its thread, and the threads of the one before must not leave their
// stacks behind either.
TEST(PoolUnload, PoolRestartedForEachNewHostThreadLeavesNoThreadStacksBehind) {
    const HostImage image = StripedImage(600, 400);
    HostSession holder;
    ASSERT_TRUE(HostLoadPlugin(holder, HostDefaultPluginPath()));
    const auto runOnNewThread = [&] { std::thread([&] { RunAndUnload(image); }).join(); };
    for (int round = 0; round < 2; ++round) runOnNewThread();
    const int64_t start = AddressSpaceInUse();
    std::vector<int64_t> grown;
    for (int round = 1; round <= kRounds; ++round) {
        runOnNewThread();
        // The last pool stays, as it would for the next run on the same thread.
        Sleep(200);
        grown.push_back(AddressSpaceInUse() - start);
    }
    ExpectNoGrowth(grown);
    HostUnloadPlugin(holder);
}

// A host that calls the filter again soon after an unload loads the module its pool's threads
// still hold, or one whose threads are leaving, or a fresh one: whatever the moment, the run
// gives the same output, and the module goes once the threads have left. A run on another
// thread of the host restarts the pool for that thread.
TEST(PoolUnload, RunsAtAnyMomentAfterAnUnloadGiveTheSameOutput) {
    const HostImage image = StripedImage(600, 400);
    std::vector<uint16_t> reference, row;
    const HMODULE module = RunAndUnload(image, &reference);
    ASSERT_FALSE(reference.empty());
    EXPECT_TRUE(ModuleMapped(module)) << "no pool thread holds the module after the run";
    for (DWORD delayMs : {0, 1700, 1850, 1950, 2000, 2050, 2150, 2400}) {
        Sleep(delayMs);
        RunAndUnload(image, &row);
        EXPECT_EQ(row, reference) << "after " << delayMs << " ms";
    }
    std::vector<uint16_t> rowOnAnotherThread;
    std::thread other([&] { RunAndUnload(image, &rowOnAnotherThread); });
    other.join();
    EXPECT_EQ(rowOnAnotherThread, reference) << "on another thread";
    RunAndUnload(image, &row);
    EXPECT_EQ(row, reference) << "back on the first thread";
    EXPECT_TRUE(WaitForModuleGone(module, kModuleGoneWaitMs)) << "the module stayed";
}
}  // namespace
