// Vectored-exception fault guards: a per-thread stack of jump targets.

#include "host/fault_guard.h"

#include <malloc.h>
#include <windows.h>

#include <atomic>

static thread_local FaultGuard* tGuardTop;
static std::atomic<void*> gVectoredHandler{nullptr};

// Only processor faults are guarded. Software exceptions (the customer bit: C++ exceptions,
// debugger notifications) and informational codes pass untouched.
static bool IsProcessorFault(uint32_t code) {
    if (code & 0x20000000u) return false;
    if ((code & 0xC0000000u) == 0xC0000000u) return true;
    return code == EXCEPTION_BREAKPOINT || code == EXCEPTION_SINGLE_STEP ||
           code == EXCEPTION_DATATYPE_MISALIGNMENT;
}

static LONG CALLBACK FaultVectoredHandler(EXCEPTION_POINTERS* info) {
    const uint32_t code = info->ExceptionRecord->ExceptionCode;
    if (!IsProcessorFault(code)) return EXCEPTION_CONTINUE_SEARCH;
    for (FaultGuard* guard = tGuardTop; guard; guard = guard->outer) {
        if (guard->filter && guard->filter(code) != FAULT_HANDLE) continue;
        guard->code = code;
        tGuardTop = guard->outer;
        __builtin_longjmp(guard->jumpBuffer, 1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

static void InstallVectoredHandler() {
    if (gVectoredHandler.load()) return;
    void* handler = AddVectoredExceptionHandler(1, FaultVectoredHandler);
    void* expected = nullptr;
    if (!gVectoredHandler.compare_exchange_strong(expected, handler))
        RemoveVectoredExceptionHandler(handler);
}

void RemoveFaultGuardHandler() {
    if (void* handler = gVectoredHandler.exchange(nullptr)) RemoveVectoredExceptionHandler(handler);
}

__attribute__((noinline)) bool RunGuarded(FaultGuard& guard, FaultFilterProc filter,
                                          GuardedProc body, void* context) {
    InstallVectoredHandler();
    guard.filter = filter;
    guard.outer = tGuardTop;
    guard.code = 0;
#if defined(__i386__)
    guard.sehChain = reinterpret_cast<void*>(__readfsdword(0));
#endif
    if (__builtin_setjmp(guard.jumpBuffer)) {
        // The handler already popped this guard.
#if defined(__i386__)
        // Handler frames that code between here and the fault registered lie in the abandoned
        // stack; left in the chain they would be called for the next exception of the thread.
        __writefsdword(0, reinterpret_cast<DWORD>(guard.sehChain));
#endif
        if (guard.code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
        return false;
    }
    tGuardTop = &guard;
    body(context);
    tGuardTop = guard.outer;
    return true;
}
