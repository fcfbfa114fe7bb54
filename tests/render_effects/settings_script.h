// A host script that gives the plug-in a whole set of settings, as an action replays them:
// shared by the effects benchmark and the preview's latency test.
#pragma once

#include <vector>

#include "render_effects/effect_settings.h"
#include "tools/testhost/host_internal.h"

// Every settings control at its start value, then the given settings, and the S-curve of
// settings A as tone curve 0.
Descriptor SettingsScript(const std::vector<ControlSetting>& settings);
