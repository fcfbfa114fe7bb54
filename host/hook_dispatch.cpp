// Calls into the effect: the six hooks under the hook guard, and the effect's own control
// events.

#include "host/effect_context.h"

#include "host/exception_message.h"
#include "host/fault_guard.h"
#include "host/plugin_data.h"

namespace {
struct HookCall {
    int32_t hook;
    EffectContext* context;
    int32_t result;
};

int32_t CallHook(int32_t hook, EffectContext* context) {
    switch (hook) {
        case HOOK_BUILD_DIALOG:
            return OnBuildDialog(context);
        case HOOK_CONTROL_EVENT: {
            const ControlEventContext& event = context->controlEvent;
            return OnControlEvent(context, event.control, event.event, event.argument);
        }
        case HOOK_SESSION_START:
            return OnSessionStart(context);
        case HOOK_RUN_START:
            return OnRunStart(context);
        case HOOK_RENDER:
            return OnRender(context);
        case HOOK_AFTER_RUN:
            return OnAfterRun(context);
    }
    return 1;
}

// Render hooks under way. Written only by DispatchEffectHook, on the host's thread.
int32_t gRenderHookDepth = 0;

void RunHookCall(void* argument) {
    HookCall& call = *static_cast<HookCall*>(argument);
    call.result = CallHook(call.hook, call.context);
}
}  // namespace

int32_t DispatchEffectHook(int32_t hook, EffectContext* context) {
    if (hook < HOOK_BUILD_DIALOG || hook > HOOK_AFTER_RUN) return 1;
    HookCall call = {hook, context ? context : &gContext, 0};
    FaultGuard guard;
    if (hook == HOOK_RENDER) ++gRenderHookDepth;
    const bool completed = RunGuarded(guard, FrameworkExceptionFilter, RunHookCall, &call);
    if (hook == HOOK_RENDER) --gRenderHookDepth;
    if (completed) return call.result;
    // The hook's stack is gone; tell the user here, on the host's thread, and make the host
    // stop the filter unless the dialog carries on.
    ShowExceptionMessage(guard.code);
    if (!gContext.dialogUp) SetResult(HOST_USER_CANCELLED);
    return HOST_USER_CANCELLED;
}

int32_t RenderHookDepth() {
    return gRenderHookDepth;
}

int32_t DispatchControlEvent(const ControlEventContext& event) {
    gContext.controlEvent = event;
    return DispatchEffectHook(HOOK_CONTROL_EVENT, &gContext);
}

int32_t FireControlEvent(int32_t control, int32_t event, int32_t argument) {
    const bool userEvent = event == EVENT_USER;
    if (!userEvent && (control < 0 || control >= kControlCount)) return 0;
    const ControlEventContext saved = gContext.controlEvent;
    gContext.controlEvent = {control, event, argument,
                             event,   0,     userEvent ? 0 : GetControlClass(control)};
    int32_t result = OnControlEvent(&gContext, control, event, argument);
    gContext.controlEvent = saved;
    return result;
}
