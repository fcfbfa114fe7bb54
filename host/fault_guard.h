// Catches processor faults (access violations, divisions by zero, breakpoints, stack
// overflows) in plug-in code so that they never reach the host, without compiler support
// for structured exception handling: a vectored handler jumps back to the innermost guard.
#pragma once

#include <cstdint>

enum FaultDecision { FAULT_PASS_ON, FAULT_HANDLE };

// Decides from the exception code whether a guard takes a fault or lets outer guards try.
using FaultFilterProc = FaultDecision (*)(uint32_t code);

using GuardedProc = void (*)(void* context);

struct FaultGuard {
    void* jumpBuffer[5];     // __builtin_setjmp state; set by RunGuarded
    FaultFilterProc filter;  // null: take every fault
    FaultGuard* outer;       // the enclosing guard of the same thread
    uint32_t code;           // code of the fault taken; 0 while none
    void* sehChain;          // i686: the thread's exception-handler chain when the guard began
};

// Runs body(context) under the guard. Returns true when the body returned normally and false
// when a fault was taken (guard.code tells which); the body's stack is abandoned then, so code
// run under a guard must not hold resources that only a destructor would release.
bool RunGuarded(FaultGuard& guard, FaultFilterProc filter, GuardedProc body, void* context);

// Removes the process-wide exception handler. Called when the DLL unloads: a handler left
// behind would point into unmapped code and swallow every later exception of the host.
void RemoveFaultGuardHandler();

// Template convenience for lambdas.
template <typename Body>
bool RunGuarded(FaultGuard& guard, FaultFilterProc filter, Body& body) {
    return RunGuarded(
        guard, filter, [](void* context) { (*static_cast<Body*>(context))(); }, &body);
}
