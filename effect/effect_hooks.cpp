// The effect's dialog hooks. The session hooks live in effect/session_hooks.cpp and the
// render hook in render/render_hook.cpp.

#include "effect/dialog_construction.h"
#include "host/effect_context.h"

int32_t OnBuildDialog(EffectContext* context) {
    return BuildEffectDialog(context);
}

int32_t OnControlEvent(EffectContext*, int32_t, int32_t, int32_t) {
    return 0;
}
