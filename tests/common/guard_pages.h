// A heap that faults at the first wrong access: every block has pages of its own, against a
// page that is never committed, and a freed block's pages are decommitted and never given out
// again. An overrun (or, with the blocks placed after the guard, an underrun) or a use after
// free then faults at the faulting instruction, with its backtrace, instead of corrupting a
// neighbour that the system's heap finds broken much later. Slow and greedy: for tests of
// small images only.
#pragma once

#include <cstddef>

enum class GuardSide {
    kEnd,    // the block ends against the guard page (overruns fault)
    kStart,  // the block starts right after the guard page (underruns fault)
};

// The engine's arrays (gSystem's allocation entries) go through the guard-page heap until
// RemoveGuardPages; with everyNew, so does operator new (the engine's std:: containers).
// Blocks made before keep their own heap; blocks made by the guard heap stay valid after.
void InstallGuardPages(GuardSide side, bool everyNew);
void RemoveGuardPages();

// Blocks given out and freed by the guard heap since it was installed.
size_t GuardPageBlocksMade();
size_t GuardPageBlocksFreed();

// Installs the guard heap as GREYLOOM_GUARD_PAGES asks ("end", "start", "end+new",
// "start+new"); nothing when it is unset. For programs that look for a rare fault by hand.
void InstallGuardPagesFromEnvironment();
