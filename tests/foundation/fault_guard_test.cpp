// The fault guard: processor faults under a guard come back as a return value, the thread
// goes on, nested guards take what their filters accept, and the messages shown for them.

#include <windows.h>

#include <map>
#include <string>
#include <thread>

#include "foundation/plugin_session.h"
#include "host/exception_message.h"
#include "host/fault_guard.h"
#include "tests/common/unexpected_boxes.h"
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

// What the user is told of each fault the hook guard takes: every code is raised for real
// under the guard with the framework's filter, as a hook runs, with an outer guard behind it
// for the codes that have no message.
TEST(ExceptionMessage, EachFaultRaisedUnderTheHookGuardShowsItsMessage) {
    std::map<uint32_t, std::string> told = {
        {STATUS_ACCESS_VIOLATION, "Memory access violation"},
        {STATUS_ILLEGAL_INSTRUCTION, "Illegal instruction"},
        {STATUS_ARRAY_BOUNDS_EXCEEDED, "Array bounds exceeded"},
        {STATUS_INTEGER_DIVIDE_BY_ZERO, "Integer (zero-)divide error"},
        {STATUS_INTEGER_OVERFLOW, "Integer overflow"},
        {STATUS_PRIVILEGED_INSTRUCTION, "Privileged instruction"},
        {STATUS_STACK_OVERFLOW, "Stack overflow"},
    };
    // The seven floating-point faults, whose codes run on from the denormal operand's.
    const char* const floatingPoint[] = {"denormal operand",  "divide by zero", "inexact result",
                                         "invalid operation", "overflow",       "stack overflow",
                                         "underflow"};
    static_assert(STATUS_FLOAT_UNDERFLOW - STATUS_FLOAT_DENORMAL_OPERAND == 6);
    for (uint32_t i = 0; i < 7; ++i)
        told[STATUS_FLOAT_DENORMAL_OPERAND + i] = std::string("Floating-point ") + floatingPoint[i];
    const uint32_t untold[] = {STATUS_BREAKPOINT, STATUS_SINGLE_STEP, STATUS_IN_PAGE_ERROR,
                               STATUS_STACK_BUFFER_OVERRUN};

    HostSession watcher;  // answers and logs the boxes
    const auto raiseUnderHookGuard = [&](uint32_t code, FaultGuard& outer, FaultGuard& inner) {
        auto outerBody = [&] {
            auto innerBody = [&] { RaiseException(code, 0, 0, nullptr); };
            if (!RunGuarded(inner, FrameworkExceptionFilter, innerBody))
                ShowExceptionMessage(inner.code);
        };
        return RunGuarded(outer, nullptr, outerBody);
    };
    for (const auto& [code, message] : told) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        HostResetLog(watcher);
        FaultGuard outer, inner;
        EXPECT_TRUE(raiseUnderHookGuard(code, outer, inner)) << "the hook guard takes it";
        EXPECT_EQ(inner.code, code);
        ASSERT_EQ(watcher.log.messageBoxes.size(), 1u);
        EXPECT_EQ(watcher.log.messageBoxes[0].caption, "Error Message");
        EXPECT_EQ(watcher.log.messageBoxes[0].text, message + "!\n\n");
        EXPECT_EQ(watcher.log.messageBoxes[0].icon, UINT(MB_ICONHAND));
    }
    for (uint32_t code : untold) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        HostResetLog(watcher);
        FaultGuard outer, inner;
        EXPECT_FALSE(raiseUnderHookGuard(code, outer, inner)) << "it goes to the outer guard";
        EXPECT_EQ(outer.code, code);
        EXPECT_FALSE(ShowExceptionMessage(code));
        EXPECT_TRUE(watcher.log.messageBoxes.empty());
    }
    // The console break is taken silently.
    HostResetLog(watcher);
    FaultGuard outer, inner;
    EXPECT_TRUE(raiseUnderHookGuard(STATUS_CONTROL_C_EXIT, outer, inner));
    EXPECT_EQ(inner.code, uint32_t(STATUS_CONTROL_C_EXIT));
    EXPECT_TRUE(watcher.log.messageBoxes.empty());
}

// A fault in a test program that no test expected: the hook guard takes it and shows its box,
// which nobody answers. Run by the test below in a program of its own.
TEST(UnexpectedBoxChild, DISABLED_FaultUnderTheHookGuard) {
    FaultGuard guard;
    auto body = [] { Raise(ACCESS_VIOLATION); };
    if (!RunGuarded(guard, FrameworkExceptionFilter, body)) ShowExceptionMessage(guard.code);
}

// The same fault in a test that expects its box and answers it.
TEST(UnexpectedBoxChild, DISABLED_FaultWithTheBoxAnswered) {
    HostSession watcher;
    FaultGuard guard;
    auto body = [] { Raise(ACCESS_VIOLATION); };
    if (!RunGuarded(guard, FrameworkExceptionFilter, body)) ShowExceptionMessage(guard.code);
    ASSERT_EQ(watcher.log.messageBoxes.size(), 1u);
}

struct ChildRun {
    bool ended = false;
    DWORD exitCode = 0;
    DWORD tookMs = 0;
    std::string output;  // its standard output and error
};

// This program run again for one test, as ctest runs it.
ChildRun RunThisProgramFor(const std::string& test, DWORD timeoutMs) {
    ChildRun run;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string command =
        std::string("\"") + path + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    const DWORD startMs = GetTickCount();
    const bool started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::thread reader([&] {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got)
            run.output.append(chunk, got);
    });
    if (started) {
        run.ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
        run.tookMs = GetTickCount() - startMs;
        if (!run.ended) TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    reader.join();
    CloseHandle(readEnd);
    return run;
}

// Every test program watches for message boxes that nobody answers: the fault's box fails its
// test within seconds, named in the output, where it once held the program until ctest's
// time-out; a box the test answers goes by unremarked.
TEST(UnexpectedBoxes, AFaultsUnansweredBoxFailsItsTestQuicklyAndAnAnsweredOneNever) {
    // The program's start under Wine and the box's own time, on a loaded machine.
    constexpr DWORD kStartSlackMs = 20000;
    const struct {
        const char* test;
        bool fails;
    } cases[] = {{"UnexpectedBoxChild.DISABLED_FaultUnderTheHookGuard", true},
                 {"UnexpectedBoxChild.DISABLED_FaultWithTheBoxAnswered", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.test);
        const ChildRun run = RunThisProgramFor(c.test, kUnexpectedBoxMs + kStartSlackMs);
        ASSERT_TRUE(run.ended) << "still waiting after " << run.tookMs << " ms:\n" << run.output;
        EXPECT_EQ(run.exitCode != 0, c.fails) << run.output;
        const bool named =
            run.output.find("\"Error Message\": Memory access violation!") != std::string::npos;
        EXPECT_EQ(named, c.fails) << run.output;
        if (c.fails)
            EXPECT_NE(run.output.find(std::string("[  FAILED  ] ") + c.test), std::string::npos)
                << run.output;
        else
            EXPECT_LT(run.tookMs, kUnexpectedBoxMs) << "an answered box is never waited for";
    }
}
}  // namespace
