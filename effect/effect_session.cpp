// The one definition of the effect-wide session state and its state at load.

#include "effect/effect_session.h"

EffectSession gEffectSession;

void EffectSessionReset() {
    gEffectSession = EffectSession{};
    gEffectSession.lastPresetName = kFirstPresetName;
    gEffectSession.presetListMode = kPresetListModeAtLoad;
}

namespace {
// The list mode and the preset name hold their load values before any session starts.
const bool gEffectSessionAtLoad = (EffectSessionReset(), true);
}  // namespace
