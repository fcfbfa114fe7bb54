// Processor faults during a filter run, inside the effect's hooks and inside host callbacks:
// which guard takes them, what the user is told, what the host reads, and that the next run
// of the same plug-in in the same process renders again.

#include <windows.h>

#include "foundation/plugin_session.h"

namespace {

// The probe effect inverts; a run that rendered gives the inverse of the source.
void ExpectInverted(const HostSession& session) {
    const HostImage& in = session.source;
    const HostImage& out = session.output;
    const int32_t max = in.depth == 16 ? kHostMax16 : 255;
    for (int32_t y = 0; y < in.height; ++y)
        for (int32_t x = 0; x < in.width; ++x)
            for (int32_t c = 0; c < 3; ++c)
                ASSERT_EQ(out.at(x, y, c), max - in.at(x, y, c)) << x << "," << y << "," << c;
}

enum ProbeFault { NONE = 0, DIVIDE = 1, ACCESS = 2, BREAKPOINT = 3, STACK = 4, ILLEGAL = 5 };

struct FaultCase {
    const char* what;
    ProbeFault effectFault;  // raised by the probe effect in hook `hook`
    int32_t hook;
    HostCallback callback;  // or raised by the host inside this callback
    HostFault hostFault;
    int16_t result;
    const char* caption;
    const char* text;
};

const char kFramework[] = "Sorry, a framework error occured.";

const FaultCase kCases[] = {
    {"divide in render", DIVIDE, 4, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, -128, "Error Message",
     "Integer (zero-)divide error!\n\n"},
    {"access in render", ACCESS, 4, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, -128, "Error Message",
     "Memory access violation!\n\n"},
    {"stack overflow in render", STACK, 4, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, -128,
     "Error Message", "Stack overflow!\n\n"},
    {"illegal instruction in render", ILLEGAL, 4, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, -128,
     "Error Message", "Illegal instruction!\n\n"},
    {"breakpoint in render", BREAKPOINT, 4, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, 1, "Error",
     kFramework},
    {"divide in run start", DIVIDE, 3, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, -128,
     "Error Message", "Integer (zero-)divide error!\n\n"},
    {"breakpoint in run start", BREAKPOINT, 3, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, 1, "Error",
     kFramework},
    {"stack overflow after the run", STACK, 5, CALLBACK_NONE, HOST_FAULT_DIVIDE_BY_ZERO, -128,
     "Error Message", "Stack overflow!\n\n"},
    // Host callbacks called by the run driver itself: only the entry point's guard is there.
    {"divide in abortProc", NONE, 4, CALLBACK_ABORT, HOST_FAULT_DIVIDE_BY_ZERO, 1, "Error",
     kFramework},
    {"access in abortProc", NONE, 4, CALLBACK_ABORT, HOST_FAULT_ACCESS_VIOLATION, 1, "Error",
     kFramework},
    {"breakpoint in advanceState", NONE, 4, CALLBACK_ADVANCE_STATE, HOST_FAULT_BREAKPOINT, 1,
     "Error", kFramework},
    {"stack overflow in advanceState", NONE, 4, CALLBACK_ADVANCE_STATE, HOST_FAULT_STACK_OVERFLOW,
     1, "Error", kFramework},
    // A callback made by a hook is under the hook's guard.
    {"divide in a property request of a hook", NONE, 4, CALLBACK_PROPERTY,
     HOST_FAULT_DIVIDE_BY_ZERO, -128, "Error Message", "Integer (zero-)divide error!\n\n"},
};

TEST(PluginFaults, EachGuardTakesItsFaultsAndTheNextRunRenders) {
    HostSession session;
    session.replayDescriptor = true;  // played as an action: no dialog is asked for
    ASSERT_TRUE(HostLoadPlugin(session, ProbePath())) << session.log.notes.back();
    ASSERT_TRUE(HostSetImage(session, GradientImage(40, 30, 3, 8)));
    session.options.resultBeforeCall = 0;  // a host that presets success
    ASSERT_EQ(HostRunFilter(session, true), 0);
    ExpectInverted(session);

    for (const FaultCase& c : kCases) {
        SCOPED_TRACE(c.what);
        HostResetLog(session);
        session.options.simpleProperties[FourCC("Tflt")] = c.effectFault;
        session.options.simpleProperties[FourCC("Thok")] = c.hook;
        session.options.callbackFault = {c.callback, c.hostFault, 1};
        EXPECT_EQ(HostRunFilter(session, false), c.result);
        ASSERT_EQ(session.log.messageBoxes.size(), 1u);
        EXPECT_EQ(session.log.messageBoxes[0].caption, c.caption);
        EXPECT_EQ(session.log.messageBoxes[0].text, c.text);
        EXPECT_EQ(session.log.messageBoxes[0].icon, UINT(MB_ICONHAND));
        EXPECT_EQ(session.output.samples, session.source.samples);  // the editor keeps the image

        HostResetLog(session);
        session.options.simpleProperties.clear();
        session.options.callbackFault = CallbackFault();
        EXPECT_EQ(HostRunFilter(session, false), 0);
        EXPECT_TRUE(session.log.messageBoxes.empty());
        ExpectInverted(session);
    }
}

TEST(PluginFaults, SixteenBitRunsRenderAfterAFaultToo) {
    HostSession session;
    session.replayDescriptor = true;  // played as an action: no dialog is asked for
    ASSERT_TRUE(HostLoadPlugin(session, ProbePath()));
    ASSERT_TRUE(HostSetImage(session, GradientImage(17, 9, 4, 16)));
    session.options.simpleProperties[FourCC("Tflt")] = BREAKPOINT;
    EXPECT_EQ(HostRunFilter(session, false), 1);
    session.options.simpleProperties.clear();
    EXPECT_EQ(HostRunFilter(session, false), 0);
    ExpectInverted(session);
    for (int32_t x = 0; x < 17; ++x)
        EXPECT_EQ(session.output.at(x, 3, 3), session.source.at(x, 3, 3));
}
}  // namespace
