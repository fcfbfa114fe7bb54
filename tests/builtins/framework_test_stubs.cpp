// What a test program needs to link the framework on its own, without an effect: effect
// hooks that do nothing and succeed.

#include <windows.h>

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
