// The plug-in's own random numbers: the classic linear congruential generator (multiplier
// 214013, increment 2531011, bits 16..30), kept here so that results never depend on which C
// runtime the host process loaded. Every thread has its own state, starting at 1.
#pragma once

#include <cstdint>

constexpr int32_t kRandomMax = 32767;

// One generator state; the pure form used by loops that keep the state in a register.
inline int32_t RandomNextFrom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return int32_t((state >> 16) & 0x7FFF);
}

// The state `steps` draws after `state`, as that many calls of RandomNextFrom leave it, in
// about 64 multiplications: a generator step is an affine map, so the maps of 1, 2, 4, ...
// steps compose. Lets rows that draw a known number of values each start from their own state
// on whichever thread renders them.
inline uint32_t RandomStateAfter(uint32_t state, uint64_t steps) {
    uint32_t multiplier = 214013u, increment = 2531011u;  // the map of 2^k steps
    while (steps != 0) {
        if (steps & 1) state = state * multiplier + increment;
        increment = increment * multiplier + increment;
        multiplier *= multiplier;
        steps >>= 1;
    }
    return state;
}

// The calling thread's generator.
void RandomSeed(uint32_t seed);
int32_t RandomNext();  // 0..32767
uint32_t RandomState();
void RandomSetState(uint32_t state);
