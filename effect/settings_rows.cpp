// The settings row: its slot layout, the capture of the live state into a row, and applying a
// row to the dialog with the events that let dependent controls follow.

#include "effect/settings_rows.h"

#include <algorithm>
#include <iterator>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/control_texts.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/setting_ranges.h"
#include "effect/settings_dialog_calls.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

namespace {
constexpr int32_t kModeAdvanced = 4;
constexpr int32_t kModeEasy = 1;
constexpr int32_t kSelectPagesHideRange = 2;  // the Select sheet's page without the hue bar
constexpr uint32_t kPresetMenuGridBit = 0x100;
constexpr uint32_t kListViewInfoTip = 0x20000;
constexpr int32_t kCurvesSheet = 3;

// Controls whose click makes the dialog follow a row: the option boxes of Tone, Toning,
// Bicolor, Red, Green and Blue, then the effect types.
constexpr int32_t kOptionBoxes[] = {27, 49, 118, 249, 255, 261};
constexpr int32_t kTypeCombos[] = {76, 227, 75, 283};
// Kept when switching settings sets (full = 0); the tab controls are kept by class.
constexpr int32_t kViewControls[] = {CTL_SPLIT_VIEW, CTL_SPLIT_MULTI, CTL_ZOOM};

int32_t CurveSlot(int32_t curve) {
    return kRowCurveSlot + kRowCurveStride * curve;
}
int32_t HoldCount(int32_t count) {
    return std::clamp(count, 0, kCurvePointMax);
}
void Click(int32_t control) {
    FireControlEvent(control, EVENT_CLICKED, 0);
}

bool KeptBySetSwitch(int32_t n) {
    return std::find(std::begin(kViewControls), std::end(kViewControls), n) !=
               std::end(kViewControls) ||
           GetControlClass(n) == CONTROL_TAB;
}

void ApplyControlValues(const int32_t* row, int32_t full) {
    for (int32_t n = 1; n < kSettingsValueCount; ++n) {
        const int32_t value = row[n];
        if (n != CTL_PRESET_LIST && n != CTL_ZOOM && (full || !KeptBySetSwitch(n)))
            SetControlValue(n, value);
        if (IsSettingColorButton(n)) SetControlColor(n, value);
    }
}

void CommitTables(const SettingsState& state) {
    SettingsStatePutTables(state, false);
    for (int32_t m = 0; m < kEffectCentreCount; ++m) {
        gSession.centrePointX[m] = state.centreX[m];
        gSession.centrePointY[m] = state.centreY[m];
    }
}

// The dialog re-derives what depends on the values just set, in the order the handlers
// expect: ranges, mode pages, option boxes, curve, hue bar, effect types, list and panels.
void FollowAppliedRow() {
    const SettingsDialogCalls& dialog = gSettingsDialogCalls;
    dialog.checkSelectiveRanges();
    const int32_t mode = GetControlValue(CTL_MODE);
    if (mode == kModeAdvanced) Click(303);
    for (int32_t n : kOptionBoxes) Click(n);
    if (mode != kModeEasy) Click(CTL_BRUSH_SHOW_COLOR);
    dialog.selectCurrentCurve();
    if (GetControlState(CTL_HUE_RANGE)) FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
    for (int32_t n : kTypeCombos) Click(n);
    if (GetControlValue(CTL_SELECT_PAGES) == kSelectPagesHideRange) SetControlState(226, 0);
    SetControlState(CTL_PRESET_COLLAPSE_ALL, GetControlValue(CTL_PRESET_GROUP_FILTER) == 0
                                                 ? CTLSTATE_FULL
                                                 : CTLSTATE_VISIBLE);
    FireControlEvent(9, EVENT_USER, 0);
    dialog.updateToolButtonImages();
    if (!(uint32_t(GetControlValue(CTL_PRESET_MENU)) & kPresetMenuGridBit))
        dialog.setListViewExStyle(CTL_PRESET_LIST, kListViewInfoTip);
    if (GetControlValue(CTL_MAIN_TAB) == kCurvesSheet)
        FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
}
}  // namespace

void SettingsRowFromState(const SettingsState& state, int32_t* row) {
    std::copy(std::begin(state.values), std::end(state.values), row);
    row[kRowMarkerSlot] = kRowStoredMarker;
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        const int32_t slot = CurveSlot(curve), count = HoldCount(state.curveCount[curve]);
        row[slot] = count;
        for (int32_t i = 0; i < count; ++i) {
            row[slot + 1 + 2 * i] = state.curvePoints[curve][i][0];
            row[slot + 2 + 2 * i] = state.curvePoints[curve][i][1];
        }
    }
    std::copy(&state.selectiveTable[0][0], &state.selectiveTable[0][0] + 45,
              row + kRowSelectiveTableSlot);
    std::copy(&state.selectiveRanges[0][0], &state.selectiveRanges[0][0] + 63,
              row + kRowSelectiveRangesSlot);
    for (int32_t m = 0; m < kEffectCentreCount; ++m) {
        row[kRowCentreSlot + 2 * m] = state.centreX[m];
        row[kRowCentreSlot + 2 * m + 1] = state.centreY[m];
    }
}

void SettingsStateFromRow(const int32_t* row, SettingsState& state) {
    std::copy(row, row + kSettingsValueCount, state.values);
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        const int32_t slot = CurveSlot(curve), count = HoldCount(row[slot]);
        state.curveCount[curve] = count;
        for (int32_t i = 0; i < count; ++i) {
            state.curvePoints[curve][i][0] = row[slot + 1 + 2 * i];
            state.curvePoints[curve][i][1] = row[slot + 2 + 2 * i];
        }
    }
    std::copy(row + kRowSelectiveTableSlot, row + kRowSelectiveRangesSlot,
              &state.selectiveTable[0][0]);
    std::copy(row + kRowSelectiveRangesSlot, row + kRowCentreSlot, &state.selectiveRanges[0][0]);
    for (int32_t m = 0; m < kEffectCentreCount; ++m) {
        state.centreX[m] = row[kRowCentreSlot + 2 * m];
        state.centreY[m] = row[kRowCentreSlot + 2 * m + 1];
    }
}

int32_t SettingsRowClamp(int32_t* row) {
    int32_t changed = 0;
    auto hold = [&changed](int32_t& slot, int32_t value) {
        changed += slot != value;
        slot = value;
    };
    for (int32_t n = 0; n < kSettingsValueCount; ++n) hold(row[n], ClampSettingValue(n, row[n]));
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        const int32_t slot = CurveSlot(curve);
        hold(row[slot], HoldCount(row[slot]));
        for (int32_t i = 1; i < kRowCurveStride; ++i)
            hold(row[slot + i], ClampCurveCoordinate(row[slot + i]));
    }
    for (int32_t i = 0; i < kSelectiveRows * kSelectiveTableColumns; ++i) {
        int32_t& slot = row[kRowSelectiveTableSlot + i];
        hold(slot, ClampSelectiveTableValue(i % kSelectiveTableColumns, slot));
    }
    for (int32_t i = 0; i < kSelectiveRows * kSelectiveRangeColumns; ++i) {
        int32_t& slot = row[kRowSelectiveRangesSlot + i];
        hold(slot, ClampSelectiveRangeValue(i % kSelectiveRangeColumns, slot));
    }
    return changed;
}

bool SettingsRowIsWhole(const int32_t* row) {
    if (row[kRowMarkerSlot] != kRowStoredMarker) return false;
    for (int32_t curve = 0; curve < kCurveCount; ++curve)
        if (row[CurveSlot(curve)] != HoldCount(row[CurveSlot(curve)])) return false;
    return true;
}

void SettingsStateCapture(SettingsState& state) {
    std::copy(gContext.controlValues, gContext.controlValues + kSettingsValueCount, state.values);
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        state.curveCount[curve] = HoldCount(gSession.curvePointCount[curve]);
        for (int32_t i = 0; i < kCurvePointMax; ++i)
            for (int32_t j = 0; j < 2; ++j)
                state.curvePoints[curve][i][j] = GetArrayElement(ARRAY_CURVES, i, j, curve);
    }
    for (int32_t a = 0; a < kSelectiveRows; ++a) {
        for (int32_t b = 0; b < kSelectiveTableColumns; ++b)
            state.selectiveTable[a][b] = GetArrayElement(ARRAY_SELECTIVE_TABLE, a, b, 0);
        for (int32_t b = 0; b < kSelectiveRangeColumns; ++b)
            state.selectiveRanges[a][b] = GetArrayElement(ARRAY_SELECTIVE_RANGES, a, b, 0);
    }
    std::copy(gSession.centrePointX, gSession.centrePointX + kEffectCentreCount, state.centreX);
    std::copy(gSession.centrePointY, gSession.centrePointY + kEffectCentreCount, state.centreY);
}

void SettingsStatePutTables(const SettingsState& state, bool wholeCurves) {
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        gSession.curvePointCount[curve] = state.curveCount[curve];
        const int32_t points = wholeCurves ? kCurvePointMax : state.curveCount[curve];
        for (int32_t i = 0; i < points; ++i)
            for (int32_t j = 0; j < 2; ++j)
                PutArrayElement(ARRAY_CURVES, i, j, curve, state.curvePoints[curve][i][j]);
    }
    for (int32_t a = 0; a < kSelectiveRows; ++a) {
        for (int32_t b = 0; b < kSelectiveTableColumns; ++b)
            PutArrayElement(ARRAY_SELECTIVE_TABLE, a, b, 0, state.selectiveTable[a][b]);
        for (int32_t b = 0; b < kSelectiveRangeColumns; ++b)
            PutArrayElement(ARRAY_SELECTIVE_RANGES, a, b, 0, state.selectiveRanges[a][b]);
    }
}

void ReadSettingsRow(int32_t array, int32_t row, int32_t* out) {
    for (int32_t slot = 0; slot < kSettingsRowLength; ++slot)
        out[slot] = GetArrayElement(array, slot, row, 0);
}

void WriteSettingsRow(int32_t array, int32_t row, const int32_t* in) {
    for (int32_t slot = 0; slot < kSettingsRowLength; ++slot)
        PutArrayElement(array, slot, row, 0, in[slot]);
}

int32_t IsSettingsRowStored(int32_t array, int32_t row) {
    if (!GetArrayBase(array) || row < 0 || row >= GetArrayDimension(array, 1)) return 0;
    return GetArrayElement(array, kRowMarkerSlot, row, 0);
}

void StoreSettingsRow(int32_t array, int32_t row) {
    if (!GetArrayBase(array) || row < 0 || row >= GetArrayDimension(array, 1)) return;
    // Read first: the slots behind each curve's last point keep what the row held.
    int32_t slots[kSettingsRowLength];
    ReadSettingsRow(array, row, slots);
    SettingsState state;
    SettingsStateCapture(state);
    SettingsRowFromState(state, slots);
    WriteSettingsRow(array, row, slots);
}

int32_t ApplySettingsRow(int32_t array, int32_t row, int32_t full) {
    if (!IsSettingsRowStored(array, row)) return 0;
    int32_t slots[kSettingsRowLength];
    ReadSettingsRow(array, row, slots);
    // The mode first, so that the dialog lays itself out for it before the values arrive.
    if (slots[CTL_MODE] != GetControlValue(CTL_MODE) || !gDialogShown) {
        SetControlValue(CTL_MODE, slots[CTL_MODE]);
        Click(CTL_MODE);
    }
    ApplyControlValues(slots, full);
    SettingsState state;
    SettingsStateCapture(state);
    SettingsStateFromRow(slots, state);
    CommitTables(state);
    FollowAppliedRow();
    // The seed's box shows text: give it the value as text, then the value again so both agree.
    const int32_t seed = GetControlValue(279);
    SetControlTextFormat(279, "%d", seed);
    SetControlValue(279, seed);
    return 1;
}
