// The fallbacks of the effect dialog's work that applying settings asks for.

#include "effect/settings_dialog_calls.h"

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/session_hooks.h"
#include "render/session_state.h"
#include "dialog/control_creation.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

namespace {
constexpr int32_t kSelectiveToleranceStart = 50;

void ResetAllControlsFallback(int32_t) {
    ResetSettingsData();
}
void CheckSelectiveRangesFallback() {
    for (int32_t row = 0; row < 7; ++row) {
        const auto at = [row](int32_t column) {
            return GetArrayElement(ARRAY_SELECTIVE_RANGES, row, column, 0);
        };
        if (at(1) == at(0) || at(3) == at(2)) {
            ResetSelectiveRanges();
            return;
        }
    }
}
void NothingToDo() {}
void GoToPageFallback(int32_t, int32_t) {}
void SetListViewExStyleFallback(int32_t, uint32_t) {}

constexpr SettingsDialogCalls kFallbacks = {
    ResetAllControlsFallback, CheckSelectiveRangesFallback, NothingToDo, NothingToDo,
    GoToPageFallback,         SetListViewExStyleFallback,
};
}  // namespace

SettingsDialogCalls gSettingsDialogCalls = kFallbacks;

void SettingsDialogCallsConnect(const SettingsDialogCalls& calls) {
    gSettingsDialogCalls = calls;
}

void SettingsDialogCallsReset() {
    gSettingsDialogCalls = kFallbacks;
}

int32_t ResetValueOf(int32_t n, int32_t current) {
    if (n < 1 || n >= kSettingsControlCount || n == CTL_SPLIT_VIEW || n == CTL_ZOOM) return current;
    // Only the classes the Reset button restores; other defaults belong to their sheets.
    const ControlTableRow* row = ControlTableRowOf(n);
    if (!row || row->defaultValue == kNoDefault || row->defaultValue == kNoDefault - 1)
        return current;
    const bool restored = row->controlClass == CONTROL_SLIDER ||
                          row->controlClass == CONTROL_CHECKBOX ||
                          row->controlClass == CONTROL_COMBOBOX;
    return restored ? row->defaultValue : current;
}

void ResetCurvesToIdentity() {
    gSession.curveMax = kCurveCoordinateMax;
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        PutArrayElement(ARRAY_CURVES, 0, 0, curve, 0);
        PutArrayElement(ARRAY_CURVES, 0, 1, curve, 0);
        PutArrayElement(ARRAY_CURVES, 1, 0, curve, kCurveCoordinateMax);
        PutArrayElement(ARRAY_CURVES, 1, 1, curve, kCurveCoordinateMax);
        gSession.curvePointCount[curve] = 2;
    }
}

void ResetSelectiveTable() {
    SetAllArrayElements(ARRAY_SELECTIVE_TABLE, 0);
    for (int32_t row = 0; row < kSelectiveRows; ++row)
        PutArrayElement(ARRAY_SELECTIVE_TABLE, row, 4, 0, kSelectiveToleranceStart);
}

void ResetSettingsData() {
    for (int32_t n = 1; n < kSettingsControlCount; ++n) {
        const int32_t current = GetControlValue(n), reset = ResetValueOf(n, current);
        if (reset != current) SetControlValue(n, reset);
    }
    ResetCurvesToIdentity();
    ResetSelectiveTable();
    ResetSelectiveRanges();
    for (int32_t m = 0; m < kEffectCentreCount; ++m) gSession.centrePointX[m] = gSession.centrePointY[m] = 0;
}
