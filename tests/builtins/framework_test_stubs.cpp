// What a test program needs to link the framework on its own, without an effect and outside
// a DLL: effect hooks that do nothing and succeed, and the DLL start-up routine the plug-in's
// entry chains to (never called in a program).

#include <windows.h>

#include "host/effect_context.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

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
