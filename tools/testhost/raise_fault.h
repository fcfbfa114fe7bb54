// Processor faults raised on purpose, for the tests of the plug-in's fault guards: the test
// host raises them inside its callbacks, test programs under a guard, and the probe plug-in
// inside its hooks.
#pragma once

#include <cstdint>

// The quotient goes to memory: an unused one would let the compiler drop the division.
inline volatile int gRaisedFaultQuotient;

__attribute__((noinline)) inline void RaiseDivideByZero() {
    volatile int divisor = 0;
    volatile int dividend = 7;
    gRaisedFaultQuotient = dividend / divisor;
}

__attribute__((noinline)) inline void RaiseAccessViolation() {
    volatile uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;
}

__attribute__((noinline)) inline void RaiseBreakpoint() {
    asm volatile("int3");
}

__attribute__((noinline)) inline void RaiseIllegalInstruction() {
    asm volatile("ud2");
}

__attribute__((noinline)) inline int RecurseWithoutEnd(volatile int depth) {
    volatile char page[4096];
    page[0] = char(depth);
    if (depth == 0x7FFFFFFF) return 0;
    return RecurseWithoutEnd(depth + 1) + page[0];
}

inline void RaiseStackOverflow() {
    RecurseWithoutEnd(1);
}
