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

// Where a faulting thread resumes: back into the guard's RunGuarded, on the thread's own
// stack, after the system's exception dispatch has finished.
[[noreturn]] __attribute__((noinline)) static void LandInGuard(FaultGuard* guard) {
    __builtin_longjmp(guard->jumpBuffer, 1);
}

// The handler never jumps out of the system's dispatcher itself: that would leave the
// dispatcher's bookkeeping of this handler behind (it could then never be removed). It
// redirects the faulting thread to LandInGuard and lets the dispatch finish.
static void RedirectToGuard(CONTEXT* context, FaultGuard* guard) {
#if defined(__x86_64__)
    // A call frame below the fault: return address slot, then the callee's home space.
    uintptr_t stack = (uintptr_t(context->Rsp) & ~uintptr_t(15)) - 64 - 8;
    *reinterpret_cast<uintptr_t*>(stack) = 0;
    context->Rsp = stack;
    context->Rcx = reinterpret_cast<uintptr_t>(guard);
    context->Rip = reinterpret_cast<uintptr_t>(&LandInGuard);
#else
    uintptr_t stack = (uintptr_t(context->Esp) & ~uintptr_t(15)) - 32;
    reinterpret_cast<uintptr_t*>(stack)[0] = 0;  // return address
    reinterpret_cast<FaultGuard**>(stack)[1] = guard;
    context->Esp = stack;
    context->Eip = reinterpret_cast<uintptr_t>(&LandInGuard);
#endif
}

// The faulting thread's stack can take the landing frame (it may be what the fault broke).
static bool StackIsWritable(uintptr_t address, size_t size) {
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery(reinterpret_cast<void*>(address), &region, sizeof region)) return false;
    const uintptr_t end = uintptr_t(region.BaseAddress) + region.RegionSize;
    return region.State == MEM_COMMIT && (region.Protect & PAGE_READWRITE) &&
           !(region.Protect & PAGE_GUARD) && address + size <= end;
}

static LONG CALLBACK FaultVectoredHandler(EXCEPTION_POINTERS* info) {
    const uint32_t code = info->ExceptionRecord->ExceptionCode;
    if (!IsProcessorFault(code)) return EXCEPTION_CONTINUE_SEARCH;
    for (FaultGuard* guard = tGuardTop; guard; guard = guard->outer) {
        if (guard->filter && guard->filter(code) != FAULT_HANDLE) continue;
        guard->code = code;
        tGuardTop = guard->outer;
#if defined(__x86_64__)
        const uintptr_t stack = uintptr_t(info->ContextRecord->Rsp);
#else
        const uintptr_t stack = uintptr_t(info->ContextRecord->Esp);
#endif
        // With a broken stack pointer, jump out of the dispatch directly instead.
        if (!StackIsWritable((stack & ~uintptr_t(15)) - 128, 128)) LandInGuard(guard);
        RedirectToGuard(info->ContextRecord, guard);
        return EXCEPTION_CONTINUE_EXECUTION;
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
