// What the render benchmarks share (tools/bench_render.sh, tools/bench_render_effects.sh).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/testhost/host_internal.h"

constexpr int32_t kBenchWidth = 6000;
constexpr int32_t kBenchHeight = 4000;

// The sample photograph scaled up to kBenchWidth x kBenchHeight at the given depth; ends the
// program when the sample cannot be read.
HostImage ScaledSample(const std::string& path, int32_t depth);
// One run of the filter with the settings replayed from a descriptor, in milliseconds from the
// start selector to the end of the finish selector; ends the program when the filter fails.
double RunOnce(HostSession& session, const Descriptor& settings);
// Switches the plug-in's worker threads off (one thread) or on for the next runs: in the
// parameter block and in the dialog-state file the plug-in reads at each run's start (put back
// as it was when the program ends). False when either cannot be written.
bool SetMultiCpuOff(HostSession& session, bool off);
double Median(std::vector<double> values);
bool WritePpm(const std::string& path, const HostImage& image);
