// The page tool buttons' images, the resets of the Reset button and the hue range bar.

#include "effect/tool_buttons.h"

#include <algorithm>

#include "dialog/control_texts.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/effect_pages.h"
#include "effect/preview_tool_state.h"
#include "effect/session_hooks.h"
#include "render/session_state.h"
#include "effect/settings_dialog_calls.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "host/color_conversion.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

int32_t gCurrentTool;

namespace {
constexpr const char* kFilterTitle = "Greyloom 2.0";
constexpr int32_t kImageOption = 66;
constexpr int32_t kHueMax = 255;
constexpr int32_t kMarkerRows = 5;  // the triangle under each end: 1, 3, 5, 7, 9 pixels
constexpr int32_t kMinimumOpacity = 10;
constexpr int32_t kFullOpacity = 100;
constexpr int32_t kModeAdvanced = 3;
constexpr int32_t kSheetMain = 3;
// The buttons repaint in this order after their images change.
constexpr int32_t kPageToolButtons[] = {359, 360, 362, 366, 367, 368, 361, 371, 363, 369, 364, 365};
// The type combo boxes whose dependants follow a reset, in this order.
constexpr int32_t kResetTypeCombos[] = {CTL_LABFX_TYPE, CTL_NDGRAD_SHAPE, CTL_DIFFUSION_MASK_SHAPE,
                                        CTL_FRAME_EDGE_SHAPE, CTL_MASK_TYPE};

const char* Pick(bool on, const char* onImage, const char* offImage) {
    return on ? onImage : offImage;
}

bool Resettable(int32_t controlClass) {
    return controlClass == CONTROL_SLIDER || controlClass == CONTROL_CHECKBOX ||
           controlClass == CONTROL_COMBOBOX;
}

struct Canvas {
    int32_t width, height;
    std::vector<uint32_t>& pixels;
    void Put(int32_t x, int32_t y, uint32_t colour) {
        if (x >= 0 && x < width && y >= 0 && y < height) pixels[size_t(y) * width + x] = colour;
    }
};

// Dots on every other row below the strip, and the marker pixels under one end.
void MarkEnd(Canvas& canvas, int32_t x, int32_t s, uint32_t marker, bool both) {
    for (int32_t y = s + 1; y < canvas.height; y += 2) canvas.Put(x, y, 0);
    canvas.Put(x, s + 6, marker);
    if (both) canvas.Put(x, s + 7, marker);
}
}  // namespace

const char* ToolButtonImage(int32_t n, const ToolState& t) {
    const int32_t eye = t.eyedropperOption, cross = t.crossOption;
    switch (n) {
        case CTL_CURVE_EYEDROPPER:
            return Pick(eye >= 8 && eye <= 13 && t.currentCurve == eye - 8, "eyedropper_on.bmp",
                        "eyedropper_off.bmp");
        case CTL_SELECT_EYEDROPPER:
            return Pick(eye >= 4 && eye <= 6 && t.selectPages == eye - 4, "eyedropper_on.bmp",
                        "eyedropper_off.bmp");
        case CTL_GLOW_EYEDROPPER:
            return Pick(eye == 15, "eyedropper_on.bmp", "eyedropper_off.bmp");
        case CTL_MASK_BRIGHT_EYEDROPPER:
        case CTL_MASK_COLOR_EYEDROPPER:
        case CTL_MASK_SAT_EYEDROPPER:
            return Pick(t.tool == TOOL_EYEDROPPER && eye == n - CTL_MASK_BRIGHT_EYEDROPPER + 17,
                        "eyedropper_on.bmp", "eyedropper_off.bmp");
        case CTL_NDGRAD_CROSS:
            return Pick(
                t.tool == TOOL_CROSS && (cross == 1 || cross == 2) && t.fx1Pages == cross + 1,
                "cross_on.bmp", "cross_off.bmp");
        case CTL_DIFFUSION_CROSS:
            return Pick(t.tool == TOOL_CROSS && cross == 3, "cross_on.bmp", "cross_off.bmp");
        case CTL_VIGNETTE_CROSS:
            return Pick(t.tool == TOOL_CROSS && cross == 4, "cross_on.bmp", "cross_off.bmp");
        case CTL_MASK_CROSS:
            return Pick(
                t.tool == TOOL_CROSS && (cross == 5 || cross == 6) && t.maskType == cross - 2,
                "cross_on.bmp", "cross_off.bmp");
        case CTL_ERASER_TOOL:
            return Pick(t.tool == TOOL_BRUSH && t.brushOption == 1, "eraser_on.bmp",
                        "eraser_off.bmp");
        case CTL_BRUSH_TOOL:
            return Pick(t.tool == TOOL_BRUSH && t.brushOption == 2, "brush_on.bmp",
                        "brush_off.bmp");
        default:
            return nullptr;
    }
}

std::vector<uint32_t> HueStripPixels(int32_t width, int32_t height, int32_t s, int32_t hueA,
                                     int32_t hueB, uint32_t background, uint32_t marker) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<uint32_t> pixels(size_t(width) * height, background);
    if (width == 0 || height == 0) return pixels;
    Canvas canvas = {width, height, pixels};
    for (int32_t x = 0; x < width; ++x) {
        const int32_t hue = x * kHueMax / width;
        const uint32_t colour = uint32_t(HslToRgbCached(hue, 255, 128, 0)) |
                                uint32_t(HslToRgbCached(hue, 255, 128, 1)) << 8 |
                                uint32_t(HslToRgbCached(hue, 255, 128, 2)) << 16;
        for (int32_t y = 0; y <= s; ++y) canvas.Put(x, y, colour);
    }
    const int32_t a = std::clamp(hueA, 0, kHueMax) * width / 256;
    const int32_t b = std::clamp(hueB, 0, kHueMax) * width / 256;
    for (int32_t end : {a, b})
        for (int32_t row = 0; row < kMarkerRows; ++row)
            for (int32_t dx = -row; dx <= row; ++dx) canvas.Put(end + dx, s + 1 + row, marker);
    MarkEnd(canvas, a, s, marker, true);
    if (a <= b) {
        for (int32_t x = a; x <= b; ++x) canvas.Put(x, s + 8, marker);
    } else {
        for (int32_t x = a; x <= width; ++x) canvas.Put(x, s + 8, marker);
        for (int32_t x = 0; x <= b; ++x) canvas.Put(x, s + 8, marker);
    }
    MarkEnd(canvas, b, s, marker, true);
    return pixels;
}

// --- Glue ------------------------------------------------------------------------------------

void UpdateToolButtonImages() {
    const ToolState state = {gCurrentTool,
                             GetControlValue(CTL_TOOL_EYEDROPPER),
                             GetControlValue(CTL_TOOL_CROSS),
                             GetControlValue(CTL_TOOL_BRUSH),
                             gCurrentCurve,
                             GetControlValue(CTL_SELECT_PAGES),
                             GetControlValue(CTL_FX1_PAGES),
                             GetControlValue(CTL_MASK_TYPE)};
    for (int32_t n : kPageToolButtons)
        if (const char* image = ToolButtonImage(n, state)) SetControlImage(n, image, kImageOption);
    PumpDialogMessages();
}

void ResetCurves(int32_t first, int32_t last) {
    for (int32_t curve = std::max(first, 0); curve <= std::min(last, kCurveCount - 1); ++curve) {
        PutArrayElement(ARRAY_CURVES, 0, 0, curve, 0);
        PutArrayElement(ARRAY_CURVES, 0, 1, curve, 0);
        PutArrayElement(ARRAY_CURVES, 1, 0, curve, kCurveCoordinateMax);
        PutArrayElement(ARRAY_CURVES, 1, 1, curve, kCurveCoordinateMax);
        gSession.curvePointCount[curve] = 2;
    }
    gSession.curveSelectedPoint = -1;
    if (GetControlValue(CTL_MODE) == kModeAdvanced && GetControlValue(CTL_MAIN_TAB) == kSheetMain)
        FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
}

void ResetSelectiveTables() {
    ResetSelectiveTable();
    ResetSelectiveRanges();
    if (GetEffectiveControlState(CTL_HUE_RANGE) == CTLSTATE_FULL)
        FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
}

void ResetAllControls(int32_t clearList) {
    SetDialogTitle(kFilterTitle);
    for (int32_t n = 1; n < kSettingsControlCount; ++n) {
        const ControlTableRow* row = ControlTableRowOf(n);
        if (!row || n == CTL_SPLIT_VIEW || n == CTL_ZOOM || !Resettable(row->controlClass))
            continue;
        if (row->defaultValue != kNoDefault) SetControlValue(n, row->defaultValue);
    }
    for (int32_t combo : kResetTypeCombos) FireControlEvent(combo, EVENT_CLICKED, 0);
    ResetCurves(0, kCurveCount - 1);
    ResetSelectiveTables();
    for (int32_t i = 0; i < kEffectCentreCount; ++i)
        gSession.centrePointX[i] = gSession.centrePointY[i] = 0;
    if (clearList) SetControlValue(CTL_PRESET_LIST, -1);
    if (GetControlValue(CTL_BRUSH_OPACITY) < kMinimumOpacity)
        SetControlValue(CTL_BRUSH_OPACITY, kFullOpacity);
}
