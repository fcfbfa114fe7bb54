// The probe effect: inverts the image, so that a test sees whether a run really rendered, and
// faults inside a hook when the host asks it to (host property "Tflt" names the fault, "Thok"
// the hook), so that tests can reach the guards from inside the plug-in.

#include "host/effect_context.h"
#include "host/host_services.h"
#include "tools/testhost/raise_fault.h"

namespace {
enum ProbeFault {
    PROBE_NONE = 0,
    PROBE_DIVIDE_BY_ZERO = 1,
    PROBE_ACCESS_VIOLATION = 2,
    PROBE_BREAKPOINT = 3,
    PROBE_STACK_OVERFLOW = 4,
    PROBE_ILLEGAL_INSTRUCTION = 5,
};

void FaultIfAsked(int32_t hook) {
    if (GetHostProperty(FourCC("Thok"), HOOK_RENDER) != hook) return;
    switch (GetHostProperty(FourCC("Tflt"), PROBE_NONE)) {
        case PROBE_DIVIDE_BY_ZERO:
            RaiseDivideByZero();
            break;
        case PROBE_ACCESS_VIOLATION:
            RaiseAccessViolation();
            break;
        case PROBE_BREAKPOINT:
            RaiseBreakpoint();
            break;
        case PROBE_STACK_OVERFLOW:
            RaiseStackOverflow();
            break;
        case PROBE_ILLEGAL_INSTRUCTION:
            RaiseIllegalInstruction();
            break;
    }
}
}  // namespace

int32_t OnBuildDialog(EffectContext*) {
    return 0;
}

int32_t OnControlEvent(EffectContext*, int32_t, int32_t, int32_t) {
    return 0;
}

int32_t OnSessionStart(EffectContext*) {
    return 0;
}

int32_t OnRunStart(EffectContext*) {
    FaultIfAsked(HOOK_RUN_START);
    return 0;
}

int32_t OnRender(EffectContext* context) {
    FaultIfAsked(HOOK_RENDER);
    const AccessorTable& pixels = context->accessors;
    const int32_t max = IsSixteenBitMode(context->imageMode) ? 32768 : 255;
    for (int32_t y = context->currentTop; y < context->currentBottom; ++y)
        for (int32_t x = context->currentLeft; x < context->currentRight; ++x)
            for (int32_t c = 0; c < 3; ++c)
                pixels.putOutputPixel(x, y, c, max - pixels.getSourcePixel(x, y, c));
    return 0;
}

int32_t OnAfterRun(EffectContext*) {
    FaultIfAsked(HOOK_AFTER_RUN);
    return 0;
}
