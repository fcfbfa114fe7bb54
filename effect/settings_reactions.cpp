// Reactions of the effect dialog to its settings controls; see settings_reactions.h.

#include "effect/settings_reactions.h"

int32_t ReactToSettingsControl(EffectContext*, int32_t, int32_t, int32_t) {
    return 0;
}
