// The older flat preset format (".gop"): a skipped first line and 257, 269 or 350 numbers,
// converted into today's settings in fourteen ordered steps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "effect/preset_changes.h"

constexpr int32_t kLegacyValueMax = 350;
// The lengths a legacy preset may have: older versions wrote fewer values.
constexpr int32_t kLegacyShortLength = 257;
constexpr int32_t kLegacyMiddleLength = 269;

// Reads and converts a legacy preset into changes (after changes.Begin); false, with error,
// for a file of another length or with a line that is not a number.
bool LegacyPresetParse(std::string_view text, PresetChanges& changes, std::string& error);
// The conversion of count values (257, 269 or 350) into changes.
void LegacyPresetConvert(const int32_t* v, int32_t count, PresetChanges& changes);
