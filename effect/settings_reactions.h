// Reactions of the effect dialog to its settings controls (0..309) and to the few interface
// controls that serve them: linked sliders, type combos, the mode layout, preset list clicks.
#pragma once

#include <cstdint>

struct EffectContext;

// Called by the control-event handler for the controls these reactions own; the result is
// the handler's: 1 handled (the control's action code is not run), 0 not handled.
int32_t ReactToSettingsControl(EffectContext* context, int32_t control, int32_t event,
                               int32_t previous);
