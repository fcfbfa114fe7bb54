// Work of the effect dialog that applying settings asks for but that the dialog's own files
// do: the reset of every control, page changes, the selected curve, the tool-button images.
#pragma once

#include <cstdint>

// Filled with plain fallbacks at load; the effect dialog points the entries at its own
// routines when it builds (one writer: SettingsDialogCallsConnect).
struct SettingsDialogCalls {
    void (*resetAllControls)(int32_t clearList);  // controls, curves, tables, centres to start
    void (*checkSelectiveRanges)();               // built-in ranges back when a row degenerates
    void (*selectCurrentCurve)();                 // the curve the page selectors show
    void (*updateToolButtonImages)();
    void (*goToPage)(int32_t page, int32_t navigate);
    void (*setListViewExStyle)(int32_t control, uint32_t style);
};
extern SettingsDialogCalls gSettingsDialogCalls;

void SettingsDialogCallsConnect(const SettingsDialogCalls& calls);
void SettingsDialogCallsReset();

// The value control n (0..399) has after the reset: its default for settings controls 1..309
// that have one, except split view and zoom; current otherwise.
int32_t ResetValueOf(int32_t n, int32_t current);
// Every curve the identity (0, 0) .. (gSession.curveMax, gSession.curveMax), two points.
void ResetCurvesToIdentity();
// Array 21 to 0 with the tolerance column at its start of 50.
void ResetSelectiveTable();
// The data half of the reset, which the fallback does: settings controls 1..309 with a
// default (except split view and zoom) to it, every curve the identity, the selective tables
// and ranges to their start, the six centres to 0.
void ResetSettingsData();
