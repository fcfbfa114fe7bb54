// The effect dialog's construction from its control table (the build-dialog hook's work).
#pragma once

#include <cstdint>

struct EffectContext;

// Creates and sets up every control of the control table in creation order, with the font,
// title and dialog settings they need. Returns 1.
int32_t BuildEffectDialog(EffectContext* context);
