// The effect's dialog hooks. The session hooks live in effect/session_hooks.cpp, the render
// hook in render/render_hook.cpp and the control-event handler's parts in
// effect/control_event_handler.cpp and the files it names.

#include "effect/control_event_handler.h"
#include "effect/dialog_construction.h"
#include "host/effect_context.h"

int32_t OnBuildDialog(EffectContext* context) {
    return BuildEffectDialog(context);
}

int32_t OnControlEvent(EffectContext* context, int32_t control, int32_t event, int32_t previous) {
    return HandleControlEvent(context, control, event, previous);
}
