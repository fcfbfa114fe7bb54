// The effect linked into the runtime's unit tests: each hook runs what the test put in
// gUnitEffect and counts its calls.
#pragma once

#include <cstdint>

#include "host/effect_context.h"

using UnitHookProc = int32_t (*)(EffectContext* context);

struct UnitEffect {
    UnitHookProc hooks[6];  // by EffectHook number; null: return 0
    int32_t calls[6];
    int32_t lastControl, lastEvent, lastPrevious;  // arguments of OnControlEvent
};
extern UnitEffect gUnitEffect;

void UnitEffectReset();
