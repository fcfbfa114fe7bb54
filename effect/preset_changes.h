// What loading a preset changes, as an ordered record that the file readers build without
// touching anything, and the one applier that carries it out: on the live dialog, or, while
// thumbnails render, on the working values and tables alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/effect_context.h"

enum PresetStepKind : int32_t {
    STEP_RESET_CONTROLS = 0,  // the Reset button's work, before anything else
    STEP_SET_VALUE,           // control = value
    STEP_SET_COLOR,           // control = value, also shown as the button's colour
    STEP_SET_VALUE_TEXT,      // control = value, also written into its box as "%d"
    STEP_FIRE,                // raise event on control with argument
    STEP_CURVE_COUNT,         // curve's point count
    STEP_CURVE_POINT,         // point index of curve = (input, output)
    STEP_SELECTIVE,           // array 21 (row, column)
    STEP_SELECTIVE_RANGE,     // array 19 (row, column)
    STEP_CENTRE,              // centre point index = (x, y)
    STEP_GO_TO_PAGE,          // show an effect page
    STEP_KIND_COUNT,
};

struct PresetStep {
    PresetStepKind kind;
    int32_t target;  // control, curve, table row or centre
    int32_t index;   // point, table column, or the event of STEP_FIRE
    int32_t value;   // value, input, x, page, or the event's argument
    int32_t value2;  // output, y
};

// A reader's result. Values are held to their ranges as they are added; view follows the
// values the record sets, so that a later step can depend on an earlier one.
struct PresetChanges {
    std::vector<PresetStep> steps;
    std::string presetName;       // base name for the dialog title; empty: title untouched
    int32_t view[kControlCount];  // the controls' values as they will be after the steps

    // Starts from the live working values; reset: from the values a reset leaves.
    void Begin(bool reset);
    void SetValue(int32_t control, int32_t value);  // colour buttons get STEP_SET_COLOR
    void SetValueText(int32_t control, int32_t value);
    void Fire(int32_t control, int32_t event, int32_t argument);
    void SetCurveCount(int32_t curve, int32_t count);
    void SetCurvePoint(int32_t curve, int32_t point, int32_t input, int32_t output);
    void SetSelective(int32_t row, int32_t column, int32_t value);
    void SetSelectiveRange(int32_t row, int32_t column, int32_t value);
    void SetCentre(int32_t index, int32_t x, int32_t y);
    void GoToPage(int32_t page);
};

// Carries the record out. While gSession.thumbnailRendering is set only the working values, curves,
// tables and centres change: no control window, event, page or title.
void PresetChangesApply(const PresetChanges& changes);

// The dialog title after a preset was loaded: "Greyloom 2.0 - Last Preset: name".
std::string PresetTitle(const std::string& presetName);
