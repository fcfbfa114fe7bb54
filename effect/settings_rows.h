// The settings row: one look of the effect as 662 int32 slots (controls 0..309, the stored
// marker, seven curves, the selective table and ranges, six centres), and its store and apply.
#pragma once

#include <cstdint>

#include "effect/session_hooks.h"
#include "render/session_state.h"
#include "render/grey_conversion.h"

constexpr int32_t kRowMarkerSlot = 310;  // -1 once stored; 0 in a row never stored
constexpr int32_t kRowStoredMarker = -1;
constexpr int32_t kRowCurveSlot = 311;  // curve k: count at 311 + 33k, then 16 pairs
constexpr int32_t kRowCurveStride = 1 + 2 * kCurvePointMax;
constexpr int32_t kRowSelectiveTableSlot = 542;   // 9 x 5, row-major
constexpr int32_t kRowSelectiveRangesSlot = 587;  // 9 x 7, row-major
constexpr int32_t kRowCentreSlot = 650;           // six (x, y) pairs
static_assert(kRowCurveSlot + kCurveCount * kRowCurveStride == kRowSelectiveTableSlot);
static_assert(kRowSelectiveTableSlot + kSelectiveRows * kSelectiveTableColumns ==
              kRowSelectiveRangesSlot);
static_assert(kRowSelectiveRangesSlot + kSelectiveRows * kSelectiveRangeColumns == kRowCentreSlot);
static_assert(kRowCentreSlot + 2 * kEffectCentreCount == kSettingsRowLength);

constexpr int32_t kSettingsValueCount = 310;

// Everything a row captures, as plain tables.
struct SettingsState {
    int32_t values[kSettingsValueCount];                  // working values of controls 0..309
    int32_t curveCount[kCurveCount];                      // points in use, 0..16
    int32_t curvePoints[kCurveCount][kCurvePointMax][2];  // input, output; 0..gSession.curveMax
    int32_t selectiveTable[kSelectiveRows][kSelectiveTableColumns];
    int32_t selectiveRanges[kSelectiveRows][kSelectiveRangeColumns];
    int32_t centreX[kEffectCentreCount], centreY[kEffectCentreCount];  // image pixels
};

// --- Pure ------------------------------------------------------------------------------------
// Writes the state into a row and marks it stored. The slots behind a curve's last point keep
// what they held; a count outside 0..16 is written held to that range.
void SettingsRowFromState(const SettingsState& state, int32_t* row);
// Reads a row into the state; the points behind each curve's count keep what they held.
void SettingsStateFromRow(const int32_t* row, SettingsState& state);
// Holds every slot of a row read from a file to the range of what it stands for: controls to
// their ranges, counts to 0..16, coordinates to 0..gSession.curveMax, the tables to their columns'
// ranges. Returns the number of slots that had to be changed.
int32_t SettingsRowClamp(int32_t* row);

// False when a row read from a file cannot be a stored row: a point count outside 0..16 or a
// marker other than stored. Such a file is damaged as a whole.
bool SettingsRowIsWhole(const int32_t* row);

// --- The effect's live state -----------------------------------------------------------------
// Reads controlValues, the curves, arrays 21 and 19 and the centres.
void SettingsStateCapture(SettingsState& state);
// Writes the point counts and points (all 16 with wholeCurves, else those in use), array 21
// and array 19; the centres are not touched.
void SettingsStatePutTables(const SettingsState& state, bool wholeCurves);

// Slot 310 of that row of a row array (nonzero once stored); 0 for an absent array.
int32_t IsSettingsRowStored(int32_t array, int32_t row);
void StoreSettingsRow(int32_t array, int32_t row);
// 0 when the row was never stored; else applies it (full = 0 keeps zoom, split view,
// split-multi and the tab controls' sheets) and returns 1.
int32_t ApplySettingsRow(int32_t array, int32_t row, int32_t full);

// Copies a row of a row array out, or in (the marker included).
void ReadSettingsRow(int32_t array, int32_t row, int32_t* out);
void WriteSettingsRow(int32_t array, int32_t row, const int32_t* in);
