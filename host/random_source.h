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

// The calling thread's generator.
void RandomSeed(uint32_t seed);
int32_t RandomNext();  // 0..32767
uint32_t RandomState();
void RandomSetState(uint32_t state);
