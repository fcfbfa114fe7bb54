// The effect's hooks, called by the framework's hook dispatcher. Until the render engine
// arrives the effect passes the image through: the run driver has already copied the source
// into the output when HOOK_RENDER is called.

#include "host/effect_context.h"

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
    return 0;
}

int32_t OnRender(EffectContext*) {
    return 0;
}

int32_t OnAfterRun(EffectContext*) {
    return 0;
}
