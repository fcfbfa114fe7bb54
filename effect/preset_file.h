// Preset files: the group preset (".glp") read and written, and loading any of the three
// formats (".glp", ".gop", ".acv") chosen by the path's extension.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "effect/preset_changes.h"
#include "effect/preset_groups.h"
#include "effect/settings_rows.h"

constexpr size_t kPresetFileMaxBytes = 1 << 20;  // far above any preset the plug-in writes
constexpr const char* kPresetTag = "Greyloom2.0";

enum PresetFormat : int32_t { PRESET_GROUPS = 0, PRESET_LEGACY, PRESET_CURVES };
// By the last four characters of the path, in any case: ".acv", ".gop", else group preset.
PresetFormat PresetFormatOfPath(const char* path);

// --- Pure ------------------------------------------------------------------------------------
// The group preset text of the groups flagged (the two without a key are never written):
// values are the working values of controls 0..399, the curves, tables and centre 0 from
// tables.
std::string PresetGroupText(const int32_t* values, const SettingsState& tables,
                            const int32_t flags[kPresetGroupCount]);
// Reads a group preset into changes (after changes.Begin). False, with error saying why,
// when the file is damaged; the record is then not to be applied.
bool PresetGroupParse(std::string_view text, PresetChanges& changes, std::string& error);

// --- Files -----------------------------------------------------------------------------------
// 1 when the file was read and applied; 0 when it could not be opened (nothing changes) or
// is damaged (nothing changes; the user is told unless thumbnails are rendering).
// combine nonzero keeps the settings of groups the file does not hold.
int32_t LoadPresetFile(const char* path, int32_t combine);
// Writes the groups flagged in gGroupInUse; 1 saved, 0 not (an old file stays as it was).
int32_t WritePresetFile(const char* path);
