// The fault guard: processor faults under a guard come back as a return value, the thread
// goes on, nested guards take what their filters accept, and the messages shown for them.

#include <windows.h>

#include "foundation/plugin_session.h"
#include "host/exception_message.h"
#include "host/fault_guard.h"
#include "tools/testhost/raise_fault.h"

namespace {
enum Fault { DIVIDE_BY_ZERO, ACCESS_VIOLATION, BREAKPOINT, STACK_OVERFLOW };

__attribute__((noinline)) void Raise(Fault fault) {
    switch (fault) {
        case DIVIDE_BY_ZERO:
            RaiseDivideByZero();
            break;
        case ACCESS_VIOLATION:
            RaiseAccessViolation();
            break;
        case BREAKPOINT:
            RaiseBreakpoint();
            break;
        case STACK_OVERFLOW:
            RaiseStackOverflow();
            break;
    }
}

struct FaultCase {
    const char* name;
    Fault fault;
    uint32_t code;
    bool hookGuardTakes;  // the hook guard's filter takes it; else it goes to the outer guard
};
const FaultCase kFaults[] = {
    {"divide by zero", DIVIDE_BY_ZERO, 0xC0000094, true},
    {"access violation", ACCESS_VIOLATION, 0xC0000005, true},
    {"breakpoint", BREAKPOINT, 0x80000003, false},
    {"stack overflow", STACK_OVERFLOW, 0xC00000FD, true},
};

TEST(FaultGuard, CatchesEachProcessorFaultAndTheThreadGoesOn) {
    for (const FaultCase& c : kFaults) {
        // Twice: a second stack overflow needs the guard page restored after the first.
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(std::string(c.name) + " round " + std::to_string(round));
            FaultGuard guard;
            volatile bool finished = false;
            auto body = [&] {
                Raise(c.fault);
                finished = true;
            };
            EXPECT_FALSE(RunGuarded(guard, nullptr, body));
            EXPECT_EQ(guard.code, c.code);
            EXPECT_FALSE(finished);

            FaultGuard next;
            volatile bool ran = false;
            auto plain = [&] { ran = true; };
            EXPECT_TRUE(RunGuarded(next, nullptr, plain));
            EXPECT_TRUE(ran);
            EXPECT_EQ(next.code, 0u);
        }
    }
}

TEST(FaultGuard, NestedGuardsTakeWhatTheirFiltersAccept) {
    for (const FaultCase& c : kFaults) {
        SCOPED_TRACE(c.name);
        FaultGuard outer, inner;
        volatile bool innerReturned = false, innerResult = true;
        auto outerBody = [&] {
            auto innerBody = [&] { Raise(c.fault); };
            innerResult = RunGuarded(inner, FrameworkExceptionFilter, innerBody);
            innerReturned = true;
        };
        const bool outerResult = RunGuarded(outer, nullptr, outerBody);
        EXPECT_EQ(innerReturned, c.hookGuardTakes);
        EXPECT_EQ(outerResult, c.hookGuardTakes);
        if (c.hookGuardTakes) {
            EXPECT_FALSE(innerResult);
            EXPECT_EQ(inner.code, c.code);
        } else {
            EXPECT_EQ(outer.code, c.code);
        }
    }
}

TEST(FaultGuard, LeavesCppExceptionsToTheirHandlers) {
    FaultGuard guard;
    volatile int caught = 0;
    auto body = [&] {
        try {
            throw 42;
        } catch (int value) {
            caught = value;
        }
    };
    EXPECT_TRUE(RunGuarded(guard, nullptr, body));
    EXPECT_EQ(caught, 42);
}

#if defined(__i386__)
EXCEPTION_DISPOSITION __cdecl NeverCalledHandler(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
    ADD_FAILURE() << "a handler frame of the abandoned stack was called";
    return ExceptionContinueSearch;
}

// Code between the guard and the fault (system functions, for instance) may register handler
// frames; after the jump back they lie in abandoned stack and must be out of the chain.
TEST(FaultGuard, RestoresTheHandlerChainOfTheThread) {
    const DWORD chainBefore = __readfsdword(0);
    FaultGuard guard;
    auto body = [&] {
        struct {
            DWORD next;
            void* handler;
        } frame = {__readfsdword(0), reinterpret_cast<void*>(NeverCalledHandler)};
        __writefsdword(0, reinterpret_cast<DWORD>(&frame));
        Raise(ACCESS_VIOLATION);
    };
    EXPECT_FALSE(RunGuarded(guard, nullptr, body));
    EXPECT_EQ(__readfsdword(0), chainBefore);
}
#endif

TEST(ExceptionMessage, EachFaultCodeHasItsMessage) {
    struct Case {
        uint32_t code;
        const char* text;  // null: no message; the fault goes to the outer guard
    };
    const Case cases[] = {
        {0xC0000005, "Memory access violation!"},
        {0xC000001D, "Illegal instruction!"},
        {0xC000008C, "Array bounds exceeded!"},
        {0xC000008D, "Floating-point denormal operand!"},
        {0xC000008E, "Floating-point divide by zero!"},
        {0xC000008F, "Floating-point inexact result!"},
        {0xC0000090, "Floating-point invalid operation!"},
        {0xC0000091, "Floating-point overflow!"},
        {0xC0000092, "Floating-point stack overflow!"},
        {0xC0000093, "Floating-point underflow!"},
        {0xC0000094, "Integer (zero-)divide error!"},
        {0xC0000095, "Integer overflow!"},
        {0xC0000096, "Privileged instruction!"},
        {0xC00000FD, "Stack overflow!"},
        {0x80000003, nullptr},
        {0x80000004, nullptr},
        {0xC0000409, nullptr},
        {0xC0000006, nullptr},
    };
    HostSession watcher;  // answers and logs the boxes
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        HostResetLog(watcher);
        EXPECT_EQ(ShowExceptionMessage(c.code), c.text != nullptr);
        EXPECT_EQ(FrameworkExceptionFilter(c.code), c.text ? FAULT_HANDLE : FAULT_PASS_ON);
        if (!c.text) {
            EXPECT_TRUE(watcher.log.messageBoxes.empty());
            continue;
        }
        ASSERT_EQ(watcher.log.messageBoxes.size(), 1u);
        EXPECT_EQ(watcher.log.messageBoxes[0].caption, "Error Message");
        EXPECT_EQ(watcher.log.messageBoxes[0].text, std::string(c.text) + "\n\n");
        EXPECT_EQ(watcher.log.messageBoxes[0].icon, UINT(MB_ICONHAND));
    }
    // The console break is taken silently.
    HostResetLog(watcher);
    EXPECT_TRUE(ShowExceptionMessage(0xC000013A));
    EXPECT_EQ(FrameworkExceptionFilter(0xC000013A), FAULT_HANDLE);
    EXPECT_TRUE(watcher.log.messageBoxes.empty());
}
}  // namespace
