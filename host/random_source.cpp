// The per-thread state of the plug-in's random generator.

#include "host/random_source.h"

namespace {
// Starts at 1 on every thread, as the C runtime's generator does.
thread_local uint32_t tRandomState = 1;
}  // namespace

void RandomSeed(uint32_t seed) {
    tRandomState = seed;
}

int32_t RandomNext() {
    return RandomNextFrom(tRandomState);
}

uint32_t RandomState() {
    return tRandomState;
}

void RandomSetState(uint32_t state) {
    tRandomState = state;
}
