// The selective colour reactions: the page sliders and the chosen-box sliders kept in the
// selective table, the colour boxes and their mark, the hue range bar's drag and the
// conversion's hue swatch.

#include <windows.h>

#include <algorithm>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/dialog_input.h"
#include "dialog/filter_dialog.h"
#include "dialog/preview_window.h"
#include "effect/control_ids.h"
#include "effect/selective_colors.h"
#include "effect/settings_reaction_parts.h"
#include "host/color_conversion.h"
#include "host/effect_context.h"
#include "host/maths_builtins.h"
#include "host/numbered_arrays.h"
#include "render/session_state.h"

namespace {
constexpr int32_t kGrayRow = 8;
constexpr int32_t kBoxRowCount = 7;  // rows 0..6 have a box each beside gray's; row 7 has none
constexpr int32_t kChosenFirst = CTL_SELECT_BRIGHTNESS;  // 60..64 edit columns 0..4
constexpr int32_t kChosenLast = CTL_SELECT_TOLERANCE;
constexpr int32_t kColumnCount = 5;
constexpr int32_t kToleranceColumn = 4;
constexpr int32_t kBoxSpacingUnits = 16;  // the colour boxes stand 16 units apart
// A press this close to a limit of the range bar drags that limit alone.
constexpr int32_t kHueGrabReach = 6;
constexpr int32_t kHueSteps = 256;

// Page sliders of the three selective pages: a run of colours, its table column and the
// chosen-box slider that shows the same cell.
struct SelectiveSliders {
    int32_t first, last;
    int32_t firstRow;
    int32_t column;
    int32_t chosenBoxSlider;
};
constexpr SelectiveSliders kSelectiveSliders[] = {
    {CTL_SELBRIGHT_RED, CTL_SELBRIGHT_MAGENTA, 0, 0, CTL_SELECT_BRIGHTNESS},
    {CTL_SELBRIGHT_GRAY, CTL_SELBRIGHT_GRAY, kGrayRow, 0, CTL_SELECT_BRIGHTNESS},
    {CTL_SELCONTRAST_RED, CTL_SELCONTRAST_MAGENTA, 0, 1, CTL_SELECT_CONTRAST},
    {CTL_SELCONTRAST_GRAY, CTL_SELCONTRAST_GRAY, kGrayRow, 1, CTL_SELECT_CONTRAST},
    {CTL_COLORKEY_RED, CTL_COLORKEY_MAGENTA, 0, 2, CTL_SELECT_COLORKEY},
    {102, 108, 0, 3, 63},  // a column no created control edits; only values exist
    {109, 109, kGrayRow, 3, 63},
};

// The page slider a chosen-box slider mirrors into; contrast and tolerance mirror nowhere.
struct MirrorBack {
    int32_t chosenBoxSlider;
    int32_t firstPageSlider;
};
constexpr MirrorBack kMirrorBack[] = {
    {CTL_SELECT_BRIGHTNESS, CTL_SELBRIGHT_RED},
    {CTL_SELECT_COLORKEY, CTL_COLORKEY_RED},
    {63, 102},
};

int32_t gHueDragPosition;  // the last hue under the mouse on the range bar

// The row of the chosen box. The mark's value comes from files as well: a row outside the
// table would address memory past it.
int32_t ChosenRow() {
    return std::clamp(ValueOf(CTL_SELECT_COLOR_MARK), 0, kGrayRow);
}

void StoreCell(int32_t row, int32_t column, int32_t value) {
    PutArrayElement(ARRAY_SELECTIVE_TABLE, row, column, 0, value);
}

void StoreChosenSlider(int32_t n) {
    const int32_t row = ChosenRow(), column = n - kChosenFirst;
    int32_t value = ValueOf(n);
    if (n == CTL_SELECT_TOLERANCE) value = StoredTolerance(value);
    StoreCell(row, column, value);
    if (gSession.thumbnailRendering || row >= kBoxRowCount) return;
    for (const MirrorBack& mirror : kMirrorBack)
        if (mirror.chosenBoxSlider == n) SetSettingValue(mirror.firstPageSlider + row, ValueOf(n));
}

int32_t BoxRow(int32_t box) {
    return box == CTL_SELECT_COLOR_GRAY ? kGrayRow : box - CTL_SELECT_COLOR_RED;
}
}  // namespace

// --- Pure ----------------------------------------------------------------------------------------

int32_t StoredTolerance(int32_t sliderValue) {
    if (sliderValue <= 50) return sliderValue;
    return (4 * sliderValue - 200) / 5 + 50;
}

int32_t WrapHue(int32_t hue) {
    if (hue < 0) hue += 255;
    if (hue > 255) hue -= 255;
    return hue;
}

HueLimits DragHueLimits(const HueLimits& limits, int32_t hue, int32_t lastHue) {
    const int32_t d = hue - lastHue;
    HueLimits moved;
    for (int32_t k = 0; k < 4; ++k) moved.entry[k] = WrapHue(limits.entry[k] + d);
    HueLimits result = limits;
    const auto grabs = [&](int32_t e) {
        return e - kHueGrabReach < hue && hue < e + kHueGrabReach;
    };
    if (grabs(moved.entry[1])) {
        result.entry[0] = moved.entry[0];
        result.entry[1] = moved.entry[1];
    } else if (grabs(moved.entry[2])) {
        result.entry[2] = moved.entry[2];
        result.entry[3] = moved.entry[3];
    } else {
        result = moved;
    }
    return result;
}

// --- Reactions -----------------------------------------------------------------------------------

bool StoreSelectiveSlider(int32_t n) {
    if (n >= kChosenFirst && n <= kChosenLast) {
        StoreChosenSlider(n);
        return true;
    }
    for (const SelectiveSliders& run : kSelectiveSliders) {
        if (n < run.first || n > run.last) continue;
        const int32_t row = run.firstRow + (n - run.first);
        StoreCell(row, run.column, ValueOf(n));
        if (!gSession.thumbnailRendering && ChosenRow() == row)
            SetSettingValue(run.chosenBoxSlider, ValueOf(n));
        return true;
    }
    return false;
}

int32_t ReactToColorBox(const ReactionEvent& event) {
    const bool gray = event.control == CTL_SELECT_COLOR_GRAY;
    ShowControlIf(CTL_HUE_RANGE, !gray);
    ShowControlIf(CTL_HUE_RANGE_LABEL, !gray);
    // The sliders' values go back unmapped: the tolerance mapping belongs to a slider move.
    const int32_t oldRow = ChosenRow();
    for (int32_t column = 0; column < kColumnCount; ++column)
        StoreCell(oldRow, column, ValueOf(kChosenFirst + column));
    const int32_t row = BoxRow(event.control);
    SetControlValue(CTL_SELECT_COLOR_MARK, row);
    FireControlEvent(kColorBoxMarkEvent, EVENT_USER, 0);
    for (int32_t column = 0; column < kColumnCount; ++column)
        SetSettingValue(kChosenFirst + column,
                        GetArrayElement(ARRAY_SELECTIVE_TABLE, row, column, 0));
    if (GetControlState(CTL_HUE_RANGE) != 0) RedrawHueRange();
    return 1;
}

int32_t MoveColorBoxMark(const ReactionEvent&) {
    const int32_t row = ValueOf(CTL_SELECT_COLOR_MARK);
    const int32_t x = row >= 0 && row < kBoxRowCount
                          ? GetControlCoord(CTL_SELECT_COLOR_RED, 0) + kBoxSpacingUnits * row
                          : GetControlCoord(CTL_SELECT_COLOR_GRAY, 0);
    SetControlPosition(CTL_SELECT_COLOR_MARK, x, -1, -1, -1);
    return 0;
}

int32_t DragHueRange(const ReactionEvent&) {
    const int32_t widthPixels = GetControlPixelCoord(CTL_HUE_RANGE, 2);
    if (widthPixels <= 0) return 0;
    const int32_t hue = GetMousePosOverControl(CTL_HUE_RANGE, 0) * kHueSteps / widthPixels;
    const bool held = ReadKeyState(VK_LBUTTON) < 0 || ReadKeyState(VK_RBUTTON) < 0;
    if (held) {
        const int32_t row = ChosenRow();
        HueLimits limits;
        for (int32_t k = 0; k < 4; ++k)
            limits.entry[k] = GetArrayElement(ARRAY_SELECTIVE_RANGES, row, k, 0);
        const HueLimits dragged = DragHueLimits(limits, hue, gHueDragPosition);
        for (int32_t k = 0; k < 4; ++k)
            PutArrayElement(ARRAY_SELECTIVE_RANGES, row, k, 0, dragged.entry[k]);
    }
    gHueDragPosition = hue;
    if (!held) return 0;
    RedrawHueRange();
    if (ValueOf(CTL_INSTANT_PREVIEW)) RunControlAction(ACTION_PREVIEW);
    return 0;
}

void RedrawHueRange() {
    FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
}

void RecolorConversionHueStrip() {
    // The swatch is an 8-bit colour whatever the image's depth.
    const int32_t depth = GetBitDepth();
    SetBitDepthConstants(8);
    const int32_t h = ValueOf(CTL_CONVERSION_HUE);
    const int32_t s = ValueOf(CTL_CONVERSION_SATURATION) + 127;
    const int32_t l = ValueOf(CTL_CONVERSION_LIGHTNESS) / 2 + 128;
    const int32_t color =
        RGB(HslToRgbChannel(h, s, l, RGB_RED), HslToRgbChannel(h, s, l, RGB_GREEN),
            HslToRgbChannel(h, s, l, RGB_BLUE));
    SetBitDepthConstants(depth);
    SetControlColor(CTL_CONVERSION_HUE_STRIP, color);
    SetControlValue(CTL_CONVERSION_HUE_STRIP, color);
}
