// The open or collapsed state of the preset list's 22 category groups, kept for the
// dialog-state file, and its copy from the list view.
#pragma once

#include <cstdint>

#include "effect/settings_files.h"

// 1 collapsed, 0 open, per category; written by SavePresetGroupStates and by whoever reads the
// dialog-state file (PresetGroupStatesSet); read when the file is written and the list filled.
extern int32_t gPresetGroupStates[kDialogStateGroupFlags];

// Pure: the list view can tell its groups' states only when it has items and visual styles are
// in force on Windows version code 9 or later.
bool PresetGroupStatesReadable(int32_t itemCount, bool visualStyles, int32_t windowsVersion);

// Copies the collapsed state of the list's groups (group id = category) into
// gPresetGroupStates when the list can tell them; otherwise they stay as they were.
void SavePresetGroupStates();
// From a dialog-state file: values above 1 count as 1; missing entries are 0.
void PresetGroupStatesSet(const int32_t* flags, int32_t count);
void PresetGroupStatesReset();
