// What a final run leaves behind once its finish returns: the render's work memory on its way
// back to the system on a thread of its own. A host may unload the plug-in at once; the
// module then stays until that thread's last free, and goes with nothing of the run kept.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/process_holdings.h"
#include "render_effects/settings_script.h"
#include "render_effects/unload_runs.h"
#include "tools/testhost/host_internal.h"
#include "tools/testhost/test_host.h"

namespace {
// Large enough that freeing the render's blocks (tens of megabytes) takes milliseconds.
constexpr int32_t kWidth = 3000;
constexpr int32_t kHeight = 2000;
constexpr DWORD kModuleGoneWaitMs = 10000;

struct UnloadRound {
    bool mappedAfterUnload = false;  // the module outlived the host's FreeLibrary
    bool gone = false;               // and was unmapped within the wait
    int64_t committedBytes = 0;      // once the module and the session are gone
};

// One run with settings C through its finish, then the host's FreeLibrary at once, as an
// editor that unloads its filters after each use.
UnloadRound RunAndUnloadAtOnce(const HostImage& image, const Descriptor& settings) {
    UnloadRound round;
    const HMODULE module = RunAndUnload(image, settings);
    round.mappedAfterUnload = ModuleMapped(module);
    round.gone = WaitForModuleGone(module, kModuleGoneWaitMs);
    round.committedBytes = CommittedPrivateBytes();
    return round;
}

// The finish leaves the freeing of the render's blocks to a thread that holds the module: a
// host that unloads the plug-in right after it finds the module still there (the process
// would fault if the thread's code went first), then gone once the blocks are freed, with the
// memory back. Each load and unload keeps a few megabytes whatever the image (thread stacks
// and the like), so rounds with a large image are compared with rounds with a small one: what
// they keep must not grow with the image. The first round is a warm-up.
TEST(RunRelease, PluginUnloadedRightAfterALargeRunGoesWithItsMemoryBack) {
    const HostImage large = StripedImage(kWidth, kHeight);
    const HostImage small = StripedImage(64, 48);
    const Descriptor settings = SettingsScript(SettingsC());
    const int64_t pixels = int64_t(kWidth) * kHeight;
    UnloadRound last = RunAndUnloadAtOnce(large, settings);
    ASSERT_TRUE(last.gone) << "the module stayed after the warm-up's unload";
    int32_t outlived = last.mappedAfterUnload ? 1 : 0;
    for (int round = 1; round <= 3; ++round) {
        const UnloadRound smallRound = RunAndUnloadAtOnce(small, settings);
        const UnloadRound largeRound = RunAndUnloadAtOnce(large, settings);
        ASSERT_TRUE(smallRound.gone && largeRound.gone)
            << "round " << round << ": the module stayed";
        outlived += largeRound.mappedAfterUnload ? 1 : 0;
        const int64_t keptBySmall = smallRound.committedBytes - last.committedBytes;
        const int64_t keptByLarge = largeRound.committedBytes - smallRound.committedBytes;
        // The render's work images take about ten bytes a pixel.
        EXPECT_LT(keptByLarge - keptBySmall, 2 * pixels)
            << "round " << round << ": memory kept after the module went";
        last = largeRound;
    }
    // The release is under way when the finish returns: in one large round of four at least
    // the host's FreeLibrary came before its end.
    EXPECT_GT(outlived, 0) << "the finish waited for the render's memory";
}
}  // namespace
