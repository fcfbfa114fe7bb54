// The open or collapsed state of the preset list's 22 category groups, copied from the list
// view into the session's flags that the dialog-state file keeps.
#pragma once

#include <cstdint>

// Pure: the list view can tell its groups' states only when it has items and visual styles are
// in force on Windows version code 9 or later.
bool PresetGroupStatesReadable(int32_t itemCount, bool visualStyles, int32_t windowsVersion);

// Copies the collapsed state of the list's groups (group id = category) into
// gEffectSession.categoryGroupFlags when the list can tell them; otherwise they stay as they
// were.
void SavePresetGroupStates();
