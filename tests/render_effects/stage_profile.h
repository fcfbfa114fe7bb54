// The per-stage profile of the effects benchmark: the render engine in this process renders
// the scaled-up sample, and the render threads' timeline says what each stage cost.
#pragma once

#include <string>

// Prints, for settings A, B and C (or those whose letters `only` holds, when not empty) at 8
// and 16 bits, on one thread and on `threads`, the fastest of `runs` renders of each stage.
// Returns the program's exit code.
int StageProfileMain(const std::string& samplePath, int32_t threads, int32_t runs,
                     const std::string& only);

// Prints a hash of each of HashCases' outputs at 8 and 16 bits on 1, 2, 3 and 8 threads,
// rendered by the engine in this process (its thread count pinned, which the shipped
// plug-in's is not). Returns the program's exit code.
int EngineHashesMain(const std::string& samplePath);
