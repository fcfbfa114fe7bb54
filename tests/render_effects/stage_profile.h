// The per-stage profile of the effects benchmark: the render engine in this process renders
// the scaled-up sample, and the render threads' timeline says what each stage cost.
#pragma once

#include <string>

// Prints, for settings A, B and C at 8 and 16 bits, on one thread and on `threads`, the
// fastest of `runs` renders of each stage. Returns the program's exit code.
int StageProfileMain(const std::string& samplePath, int32_t threads, int32_t runs);
