// The change record of a preset load and its applier.

#include "effect/preset_changes.h"

#include <algorithm>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_window.h"
#include "render/session_state.h"
#include "render/grey_conversion.h"
#include "effect/setting_ranges.h"
#include "effect/settings_dialog_calls.h"
#include "host/numbered_arrays.h"

namespace {
constexpr const char* kFilterTitle = "Greyloom 2.0";

using ApplyStepProc = void (*)(const PresetStep& step);

void ResetControls(const PresetStep&) {
    gSettingsDialogCalls.resetAllControls(0);
}
void SetValue(const PresetStep& step) {
    SetControlValue(step.target, step.value);
}
void SetColor(const PresetStep& step) {
    SetControlValue(step.target, step.value);
    SetControlColor(step.target, step.value);
}
void SetValueText(const PresetStep& step) {
    SetControlValue(step.target, step.value);
    SetControlTextFormat(step.target, "%d", step.value);
}
void Fire(const PresetStep& step) {
    FireControlEvent(step.target, step.index, step.value);
}
void SetCurveCount(const PresetStep& step) {
    gSession.curvePointCount[step.target] = step.value;
}
void SetCurvePoint(const PresetStep& step) {
    PutArrayElement(ARRAY_CURVES, step.index, 0, step.target, step.value);
    PutArrayElement(ARRAY_CURVES, step.index, 1, step.target, step.value2);
}
void SetSelective(const PresetStep& step) {
    PutArrayElement(ARRAY_SELECTIVE_TABLE, step.target, step.index, 0, step.value);
}
void SetSelectiveRange(const PresetStep& step) {
    PutArrayElement(ARRAY_SELECTIVE_RANGES, step.target, step.index, 0, step.value);
}
void SetCentre(const PresetStep& step) {
    gSession.centrePointX[step.target] = step.value;
    gSession.centrePointY[step.target] = step.value2;
}
void GoToPage(const PresetStep& step) {
    gSettingsDialogCalls.goToPage(step.value, 1);
}
// A thumbnail run renders from the working values alone; the dialog must not move.
void SetWorkingValue(const PresetStep& step) {
    gContext.controlValues[step.target] = step.value;
}
void Skip(const PresetStep&) {}

struct StepProcs {
    ApplyStepProc live, thumbnail;
};
constexpr StepProcs kStepProcs[STEP_KIND_COUNT] = {
    {ResetControls, Skip},
    {SetValue, SetWorkingValue},
    {SetColor, SetWorkingValue},
    {SetValueText, SetWorkingValue},
    {Fire, Skip},
    {SetCurveCount, SetCurveCount},
    {SetCurvePoint, SetCurvePoint},
    {SetSelective, SetSelective},
    {SetSelectiveRange, SetSelectiveRange},
    {SetCentre, SetCentre},
    {GoToPage, Skip},
};

bool IsControl(int32_t n) {
    return n >= 0 && n < kControlCount;
}
}  // namespace

void PresetChanges::Begin(bool reset) {
    steps.clear();
    presetName.clear();
    std::copy(gContext.controlValues, gContext.controlValues + kControlCount, view);
    if (!reset) return;
    steps.push_back({STEP_RESET_CONTROLS, 0, 0, 0, 0});
    for (int32_t n = 0; n < kControlCount; ++n) view[n] = ResetValueOf(n, view[n]);
}

void PresetChanges::SetValue(int32_t control, int32_t value) {
    if (!IsControl(control)) return;
    value = ClampSettingValue(control, value);
    view[control] = value;
    steps.push_back(
        {IsSettingColorButton(control) ? STEP_SET_COLOR : STEP_SET_VALUE, control, 0, value, 0});
}

void PresetChanges::SetValueText(int32_t control, int32_t value) {
    if (!IsControl(control)) return;
    value = ClampSettingValue(control, value);
    view[control] = value;
    steps.push_back({STEP_SET_VALUE_TEXT, control, 0, value, 0});
}

void PresetChanges::Fire(int32_t control, int32_t event, int32_t argument) {
    steps.push_back({STEP_FIRE, control, event, argument, 0});
}

void PresetChanges::SetCurveCount(int32_t curve, int32_t count) {
    if (curve < 0 || curve >= kCurveCount) return;
    steps.push_back({STEP_CURVE_COUNT, curve, 0, std::clamp(count, 0, kCurvePointMax), 0});
}

void PresetChanges::SetCurvePoint(int32_t curve, int32_t point, int32_t input, int32_t output) {
    if (curve < 0 || curve >= kCurveCount || point < 0 || point >= kCurvePointMax) return;
    steps.push_back({STEP_CURVE_POINT, curve, point, ClampCurveCoordinate(input),
                     ClampCurveCoordinate(output)});
}

void PresetChanges::SetSelective(int32_t row, int32_t column, int32_t value) {
    if (row < 0 || row >= kSelectiveRows || column < 0 || column >= kSelectiveTableColumns) return;
    steps.push_back({STEP_SELECTIVE, row, column, ClampSelectiveTableValue(column, value), 0});
}

void PresetChanges::SetSelectiveRange(int32_t row, int32_t column, int32_t value) {
    if (row < 0 || row >= kSelectiveRows || column < 0 || column >= kSelectiveRangeColumns) return;
    steps.push_back(
        {STEP_SELECTIVE_RANGE, row, column, ClampSelectiveRangeValue(column, value), 0});
}

void PresetChanges::SetCentre(int32_t index, int32_t x, int32_t y) {
    if (index < 0 || index >= kEffectCentreCount) return;
    steps.push_back({STEP_CENTRE, index, 0, x, y});
}

void PresetChanges::GoToPage(int32_t page) {
    steps.push_back({STEP_GO_TO_PAGE, 0, 0, page, 0});
}

void PresetChangesApply(const PresetChanges& changes) {
    const bool thumbnail = gSession.thumbnailRendering != 0;
    for (const PresetStep& step : changes.steps) {
        const StepProcs& procs = kStepProcs[step.kind];
        (thumbnail ? procs.thumbnail : procs.live)(step);
    }
    if (!thumbnail && !changes.presetName.empty())
        SetDialogTitle(PresetTitle(changes.presetName).c_str());
}

std::string PresetTitle(const std::string& presetName) {
    return std::string(kFilterTitle) + " - Last Preset: " + presetName;
}
