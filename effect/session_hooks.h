// The session hooks' tables: the curves, the selective colour tables and ranges, and the
// settings rows that a session needs before anything renders.
#pragma once

#include <cstdint>

#include "render/grey_conversion.h"

constexpr int32_t kSettingsRowLength = 662;
constexpr int32_t kSettingsSetCount = 3;  // one settings row per preview tab

// The built-in hue ranges of the selective colours (rows 0..7 of ARRAY_SELECTIVE_RANGES):
// hue points a, b, c, d on the circle 0..255 and the signed weights of red, green, blue.
extern const int32_t kSelectiveRangeDefaults[8][kSelectiveRangeColumns];

// Creates and fills ARRAY_CURVES (every curve the identity, two points each),
// ARRAY_SELECTIVE_TABLE (0, tolerance column 50), ARRAY_SELECTIVE_RANGES (the built-in
// ranges) and ARRAY_SETTINGS_ROWS (0); no selected curve point. 1 when all were made.
int SessionCreateTables();
// Rows 0..7 of ARRAY_SELECTIVE_RANGES from the built-in ranges; returns the last store's
// result.
int ResetSelectiveRanges();

// Pure: the frame's width in pixels for the frame sliders (inside, outside, border) on an image
// of imageWidth x imageHeight, as the after-run hook shows it in "Frame Width: %d pixel".
int32_t FrameWidthPixels(int32_t inside, int32_t outside, int32_t border, int32_t imageWidth,
                         int32_t imageHeight);
