// Hooks of the unit tests' effect.

#include "runtime/unit_effect.h"

#include <windows.h>

UnitEffect gUnitEffect;

void UnitEffectReset() {
    gUnitEffect = UnitEffect{};
}

static int32_t RunHook(int hook, EffectContext* context) {
    ++gUnitEffect.calls[hook];
    return gUnitEffect.hooks[hook] ? gUnitEffect.hooks[hook](context) : 0;
}

int32_t OnBuildDialog(EffectContext* context) {
    return RunHook(HOOK_BUILD_DIALOG, context);
}
int32_t OnControlEvent(EffectContext* context, int32_t control, int32_t event,
                       int32_t previousValue) {
    gUnitEffect.lastControl = control;
    gUnitEffect.lastEvent = event;
    gUnitEffect.lastPrevious = previousValue;
    return RunHook(HOOK_CONTROL_EVENT, context);
}
int32_t OnSessionStart(EffectContext* context) {
    return RunHook(HOOK_SESSION_START, context);
}
int32_t OnRunStart(EffectContext* context) {
    return RunHook(HOOK_RUN_START, context);
}
int32_t OnRender(EffectContext* context) {
    return RunHook(HOOK_RENDER, context);
}
int32_t OnAfterRun(EffectContext* context) {
    return RunHook(HOOK_AFTER_RUN, context);
}
