// The preview tools: the five tool buttons and their shortcuts on the effect pages, and what
// the active tool does with the mouse on the preview (pan, pick, place a centre, paint the
// brush layer, drag the split line).

#include "effect/preview_tools.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "dialog/brush_tools.h"
#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_images.h"
#include "dialog/control_layout.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/popup_menus.h"
#include "dialog/preview_window.h"
#include "effect/control_event_handler.h"
#include "effect/brush_layer.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/preset_groups.h"
#include "effect/preview_tool_state.h"
#include "effect/tool_buttons.h"
#include "host/color_conversion.h"
#include "host/effect_context.h"
#include "host/message_boxes.h"
#include "host/numbered_arrays.h"
#include "host/preview_request.h"
#include "host/worker_threads.h"
#include "render/brush_jobs.h"
#include "render/brush_tip.h"
#include "render/tone_curve.h"
#include "render/session_state.h"

namespace {

constexpr int32_t kImageOption = 66;
constexpr int32_t kRenderTimer = 0;
constexpr int32_t kRenderSoonMs = 10;
constexpr int32_t kSixteenBitDivisor = 1285;  // 16-bit levels / 128.5, in tenths
constexpr int32_t kSaturationFloor = 16;      // below: the polarizer's colour contrast
constexpr int32_t kBrushPageSheet = 5;        // the Mask sheet of the main tab
constexpr int32_t kMaskPage = 24;             // the Brush page of Advanced+ Mode
constexpr int32_t kNoEffectTextId = 411;
constexpr int32_t kPreviewHelpTextId = 401;
constexpr int32_t kNoHelpTextId = 400;

// --- Pure helpers ------------------------------------------------------------------------------

bool InRange(int32_t v, int32_t low, int32_t high) {
    return v >= low && v <= high;
}

// The tone band of a level: 0 shadows (< 85), 1 midtones (85..169), 2 highlights.
int32_t ToneBand(int32_t level) {
    return level < 85 ? 0 : level <= 169 ? 1 : 2;
}

EyedropperPick Target(int32_t control) {
    EyedropperPick pick;
    pick.target = control;
    return pick;
}

void AddSetting(EyedropperPick& pick, int32_t control, int32_t value) {
    pick.settings[pick.settingCount++] = {control, value};
}

// A switch that the option needs on: set to value when it is off.
void SwitchOn(EyedropperPick& pick, const int32_t* values, int32_t control, int32_t value) {
    if (values[control] == 0) AddSetting(pick, control, value);
}

EyedropperPick PickPolarizer(const EyedropperSample& s, const HueRange* ranges) {
    if (s.meanSaturation < kSaturationFloor) return Target(CTL_POLARIZER_COLOR_CONTRAST);
    const int32_t h = s.meanHue;
    if (h >= ranges[6].start || h < ranges[1].end) return Target(CTL_POLARIZER_SKIN);
    if (InRange(h, ranges[2].start, ranges[3].end)) return Target(CTL_POLARIZER_FOLIAGE);
    if (InRange(h, ranges[4].start, ranges[5].end)) return Target(CTL_POLARIZER_SKY);
    return {};
}

EyedropperPick PickSelective(int32_t option, const EyedropperSample& s, const HueRange* ranges,
                             const int32_t* values) {
    const int32_t band = EyedropperColorBand(s.meanHue, ranges);
    if (band < 0) return {};
    constexpr int32_t kFirstSlider[3] = {CTL_SELBRIGHT_RED, CTL_SELCONTRAST_RED, CTL_COLORKEY_RED};
    EyedropperPick pick = Target(kFirstSlider[option - 4] + band);
    if (values[CTL_SELECT_CONTROLS] == 1) pick.fire = CTL_SELECT_COLOR_RED + band;
    return pick;
}

}  // namespace

int32_t EyedropperLuminance(int32_t r, int32_t g, int32_t b) {
    return (715 * g + 213 * r + 72 * b) / 1000;
}

int32_t EyedropperColorBand(int32_t hue, const HueRange ranges[kColorBandCount]) {
    if (hue > ranges[0].start || hue < ranges[0].end) return 0;
    if (hue > ranges[1].start && hue < ranges[1].end) return 1;
    for (int32_t band = 2; band < kColorBandCount; ++band)
        if (InRange(hue, ranges[band].start, ranges[band].end)) return band;
    return -1;
}

EyedropperPick PickEyedropperTarget(int32_t option, const EyedropperSample& s,
                                    const HueRange ranges[kColorBandCount], const int32_t* values) {
    const int32_t luminance = EyedropperLuminance(s.r, s.g, s.b);
    switch (option) {
        case 1:
            return PickPolarizer(s, ranges);
        case 2: {
            constexpr int32_t kTones[3] = {CTL_DYNCONTRAST_SHADOWS, CTL_DYNCONTRAST_MIDTONES,
                                           CTL_DYNCONTRAST_HIGHLIGHTS};
            EyedropperPick pick = Target(kTones[ToneBand((s.r + s.g + s.b) / 3)]);
            SwitchOn(pick, values, CTL_DYNCONTRAST_INTENSITY, 50);
            return pick;
        }
        case 4:
        case 5:
        case 6:
            return PickSelective(option, s, ranges, values);
        case 15: {
            EyedropperPick pick = Target(CTL_GLOW_LIMIT);
            SwitchOn(pick, values, CTL_GLOW_INTENSITY, 100);
            AddSetting(pick, CTL_GLOW_TONE, luminance);
            return pick;
        }
        case 17: {
            if (values[CTL_MASK_BRIGHT_MODE] == 0) {
                EyedropperPick pick = Target(CTL_MASK_BRIGHT_LIMIT);
                AddSetting(pick, CTL_MASK_BRIGHT_TONE, luminance);
                return pick;
            }
            constexpr int32_t kTones[3] = {CTL_MASK_SHADOWS, CTL_MASK_MIDTONES,
                                           CTL_MASK_HIGHLIGHTS};
            return Target(kTones[ToneBand(luminance)]);
        }
        case 18: {
            EyedropperPick pick = Target(CTL_MASK_COLOR_LIMIT);
            AddSetting(pick, CTL_MASK_COLOR, int32_t(RGB(s.r, s.g, s.b)));
            pick.setColor = 1;
            return pick;
        }
        case 19: {
            EyedropperPick pick = Target(CTL_MASK_SAT_LIMIT);
            AddSetting(pick, CTL_MASK_SAT_TONE, s.saturation);
            return pick;
        }
    }
    return {};
}

int32_t EyedropperCurveLevel(int32_t option, const EyedropperSample& s, bool toneZonesOn,
                             int32_t curveMax) {
    int32_t v = EyedropperLuminance(s.r, s.g, s.b);
    if (option == 8 && !toneZonesOn) v = (s.r + s.g + s.b) / 3;
    if (option == 11) v = s.r;
    if (option == 12) v = s.g;
    if (option == 13) v = s.b;
    return v * curveMax / 255;
}

int32_t CurvePointNear(const int32_t* inputs, int32_t count, int32_t level) {
    for (int32_t i = 0; i < count; ++i)
        if (std::abs(inputs[i] - level) < kCurvePointReach) return i;
    return -1;
}

int32_t CrossSlot(int32_t crossOption) {
    return crossOption >= 1 && crossOption <= kCrossOptionCount ? crossOption - 1 : -1;
}

SplitOffsets SplitOffsetsFor(int32_t x, int32_t y, int32_t X, int32_t Y, int32_t reduction,
                             bool multi, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!multi) return {(x - X / 2) * reduction, (y - Y / 2) * reduction};
    const int32_t cx = std::clamp(x, left, std::max(left, right - 1));
    const int32_t cy = std::clamp(y, top, std::max(top, bottom - 1));
    return {cx * reduction, cy * reduction};
}

// --- Glue ---------------------------------------------------------------------------------------

namespace {

int32_t Mode() {
    return ValueOf(CTL_MODE);
}

int32_t Reduction() {
    return std::max(gContext.zoomReduction, 1);
}

bool InstantPreview() {
    return ValueOf(CTL_INSTANT_PREVIEW) != 0;
}

void ShowToolCursor(int32_t id) {
    gPreviewTools.cursorId = id;
    SetDialogCursor(id);
}

void RenderSoonWhileDragging() {
    if (InstantPreview() || IsKeyHeld(VK_SHIFT)) SetDialogTimer(kRenderTimer, kRenderSoonMs, 1);
}

// The tool buttons' pictures: the active tool's "_on", every other button that the mode
// offers "_off".
struct ToolButton {
    int32_t control;
    const char* onImage;
    const char* offImage;
    bool (*offered)(int32_t mode);
};
bool Always(int32_t) {
    return true;
}
bool EyedropperModes(int32_t mode) {
    return mode == 1 || mode == 3 || mode == 4;
}
bool AdvancedModes(int32_t mode) {
    return mode == 3 || mode == 4;
}
constexpr ToolButton kToolButtons[] = {
    {CTL_TOOL_HAND, "hand_on.bmp", "hand_off.bmp", Always},
    {CTL_TOOL_EYEDROPPER, "eyedropper2_on.bmp", "eyedropper2_off.bmp", EyedropperModes},
    {CTL_TOOL_CROSS, "cross2_on.bmp", "cross2_off.bmp", AdvancedModes},
    {CTL_TOOL_BRUSH, "brush2_on.bmp", "brush2_off.bmp", AdvancedModes},
    {CTL_TOOL_SPLIT_DRAG, "splitdrag_on.bmp", "splitdrag_off.bmp", Always},
};

void ShowToolImages(int32_t tool) {
    const int32_t mode = Mode();
    for (int32_t i = 0; i < int32_t(std::size(kToolButtons)); ++i) {
        const ToolButton& button = kToolButtons[i];
        if (i == tool)
            SetControlImage(button.control, button.onImage, kImageOption);
        else if (button.offered(mode))
            SetControlImage(button.control, button.offImage, kImageOption);
    }
}

// Options menus of the tools; the item ids are the options.
constexpr MenuEntry kEyedropperOptions[] = {
    {1, 8, "Polarizer"},
    {2, 9, "Dynamic Contrast"},
    {3, -1, nullptr},
    {4, 14, "Brightness"},
    {5, 15, "Contrast"},
    {6, 16, "Colorkey"},
    {7, -1, nullptr},
    {8, 10, "Tone"},
    {9, 11, "Color"},
    {10, 12, "Bicolor"},
    {11, 22, "Red"},
    {12, 23, "Green"},
    {13, 24, "Blue"},
    {14, -1, nullptr},
    {15, 18, "Glow"},
    {16, -1, nullptr},
    {17, 19, "Mask Brightness"},
    {18, 20, "Mask Color"},
    {19, 21, "Mask Saturation"},
};
constexpr MenuEntry kCrossOptions[] = {
    {1, 25, "Aging"},    {2, 26, "ND-Grad"},     {3, 27, "Diffusion"},
    {4, 28, "Vignette"}, {5, 29, "Mask Linear"}, {6, 30, "Mask Circular"},
};
constexpr MenuEntry kBrushOptions[] = {{1, 2, "Eraser"}, {2, 3, "Brush"}};

// Quick Edit Mode offers only the selective options (and no separators around them).
bool QuickEditEyedropperItem(int32_t id) {
    return id >= 4 && id <= 6;
}

// Shows a tool's options under its button; the chosen option (0 none).
int32_t ChooseToolOption(int32_t control, const MenuEntry* entries, int32_t count,
                         bool (*keep)(int32_t)) {
    HMENU menu = BuildMenu(entries, count, ValueOf(control), keep);
    return ShowMenuUnder(menu, control);
}

// --- Tool buttons ---------------------------------------------------------------------------

void SelectTool(int32_t tool) {
    gCurrentTool = tool;
    ShowToolImages(tool);
}

int32_t ClickHand(int32_t) {
    SelectTool(TOOL_HAND);
    UpdateToolButtonImages();
    SetPreviewMouseMode(0);
    ShowToolCursor(CURSOR_HAND);
    return 1;
}

int32_t ClickEyedropper(int32_t previous) {
    if (!EyedropperModes(Mode())) return 0;
    SelectTool(TOOL_EYEDROPPER);
    UpdateToolButtonImages();
    if (OptionsMenuWanted(previous)) {
        const int32_t choice = ChooseToolOption(CTL_TOOL_EYEDROPPER, kEyedropperOptions,
                                                int32_t(std::size(kEyedropperOptions)),
                                                Mode() == 1 ? QuickEditEyedropperItem : nullptr);
        if (choice > 0) {
            SetControlValue(CTL_TOOL_EYEDROPPER, choice);
            PageFromTool();
            UpdateToolButtonImages();
        }
    }
    SetPreviewMouseMode(1);
    ShowToolCursor(CURSOR_EYEDROPPER);
    return 1;
}

int32_t ClickCross(int32_t previous) {
    if (!AdvancedModes(Mode())) return 0;
    SelectTool(TOOL_CROSS);
    UpdateToolButtonImages();
    if (OptionsMenuWanted(previous)) {
        const int32_t choice = ChooseToolOption(CTL_TOOL_CROSS, kCrossOptions,
                                                int32_t(std::size(kCrossOptions)), nullptr);
        if (choice > 0) {
            SetControlValue(CTL_TOOL_CROSS, choice);
            PageFromCrossTool();
            UpdateToolButtonImages();
        }
    }
    SetPreviewMouseMode(1);
    ShowToolCursor(CURSOR_CROSS);
    return 1;
}

// The brush page comes up with the brush, unless the tool is only being selected again.
void ShowBrushPage() {
    if (Mode() == 3) {
        const int32_t oldSheet = ValueOf(CTL_MAIN_TAB);
        SetControlValue(CTL_MAIN_TAB, kBrushPageSheet);
        SetControlValue(CTL_MASK_PAGES, 0);
        FireControlEvent(CTL_MAIN_TAB, EVENT_CLICKED, oldSheet);
    } else if (Mode() == 4) {
        GoToPage(kMaskPage, 1);
    }
    PumpDialogMessages();
}

int32_t ClickBrush(int32_t previous) {
    if (!AdvancedModes(Mode())) return 0;
    const bool applyOnly = previous == kMarkerApplyState;
    const bool quiet = applyOnly || previous == kMarkerSilentTool;
    SelectTool(TOOL_BRUSH);
    if (!applyOnly) UpdateToolButtonImages();
    SetPreviewMouseMode(1);
    SetControlFocus(CTL_TOOL_BRUSH);
    if (!quiet) ShowBrushPage();
    if (OptionsMenuWanted(previous)) {
        const int32_t choice = ChooseToolOption(CTL_TOOL_BRUSH, kBrushOptions,
                                                int32_t(std::size(kBrushOptions)), nullptr);
        if (choice > 0) SetControlValue(CTL_TOOL_BRUSH, choice);
    }
    RemakeBrushCursor();
    if (!quiet)
        FireControlEvent(ValueOf(CTL_TOOL_BRUSH) == 1 ? CTL_ERASER_TOOL : CTL_BRUSH_TOOL,
                         EVENT_CLICKED, 0);
    return 1;
}

int32_t SplitCursor() {
    if (ValueOf(CTL_SPLIT_MULTI)) return CURSOR_CROSS;
    const int32_t view = ValueOf(CTL_SPLIT_VIEW);
    if (view == 2 || view == 3 || view == 7 || view == 8) return CURSOR_SPLIT_VERTICAL;
    if (view == 4 || view == 5 || view == 9 || view == 10) return CURSOR_SPLIT_HORIZONTAL;
    return gPreviewTools.cursorId;
}

int32_t ClickSplitDrag(int32_t) {
    SelectTool(TOOL_SPLIT_DRAG);
    UpdateToolButtonImages();
    SetPreviewMouseMode(1);
    if (ValueOf(CTL_SPLIT_VIEW) < 2) SetControlValue(CTL_SPLIT_VIEW, 2);
    ShowToolCursor(SplitCursor());
    return 0;
}

// A shortcut on an effect page: the eyedropper or cross with the page's option.
int32_t SelectEyedropperOption(int32_t option) {
    if (gCurrentTool != TOOL_EYEDROPPER)
        FireControlEvent(CTL_TOOL_EYEDROPPER, EVENT_CLICKED, kMarkerSilentTool);
    SetControlValue(CTL_TOOL_EYEDROPPER, option);
    UpdateToolButtonImages();
    return 1;
}

int32_t SelectCrossOption(int32_t option) {
    if (gCurrentTool != TOOL_CROSS)
        FireControlEvent(CTL_TOOL_CROSS, EVENT_CLICKED, kMarkerSilentTool);
    SetControlValue(CTL_TOOL_CROSS, option);
    UpdateToolButtonImages();
    return 1;
}

int32_t SelectBrushOption(int32_t control) {
    SetControlValue(CTL_TOOL_BRUSH, control == CTL_ERASER_TOOL ? 1 : 2);
    if (gCurrentTool != TOOL_BRUSH)
        FireControlEvent(CTL_TOOL_BRUSH, EVENT_CLICKED, kMarkerSilentTool);
    UpdateToolButtonImages();
    PumpDialogMessages();
    RefreshControl(CTL_ERASER_TOOL, 1);
    RefreshControl(CTL_BRUSH_TOOL, 1);
    SetControlFocus(control);
    return 1;
}

int32_t ClickToolShortcut(int32_t control) {
    switch (control) {
        case CTL_CURVE_EYEDROPPER:
            return SelectEyedropperOption(gCurrentCurve + 8);
        case CTL_SELECT_EYEDROPPER:
            return SelectEyedropperOption(ValueOf(CTL_SELECT_PAGES) + 4);
        case CTL_GLOW_EYEDROPPER:
            return SelectEyedropperOption(15);
        case CTL_MASK_BRIGHT_EYEDROPPER:
        case CTL_MASK_COLOR_EYEDROPPER:
        case CTL_MASK_SAT_EYEDROPPER:
            return SelectEyedropperOption(control - 349);
        case CTL_NDGRAD_CROSS:
            return SelectCrossOption(ValueOf(CTL_FX1_PAGES) - 1);
        case CTL_DIFFUSION_CROSS:
            return SelectCrossOption(3);
        case CTL_VIGNETTE_CROSS:
            return SelectCrossOption(4);
        case CTL_MASK_CROSS:
            return SelectCrossOption(ValueOf(CTL_MASK_TYPE) + 2);
        case CTL_ERASER_TOOL:
        case CTL_BRUSH_TOOL:
            return SelectBrushOption(control);
    }
    return -1;
}

using ToolClickProc = int32_t (*)(int32_t previous);
constexpr ToolClickProc kToolClicks[] = {ClickHand, ClickEyedropper, ClickCross, ClickBrush,
                                         ClickSplitDrag};

// --- The preview's mouse -----------------------------------------------------------------------

struct PreviewPoint {
    int32_t x, y;
    bool onImage;
};

PreviewPoint MousePoint() {
    const int32_t x = GetPreviewMouseX(), y = GetPreviewMouseY();
    return {x, y, x >= 0 && y >= 0 && x < std::max(gContext.X, 1) && y < std::max(gContext.Y, 1)};
}

bool OnBrushPage() {
    return gCurrentTool == TOOL_BRUSH && ValueOf(CTL_MAIN_TAB) == kBrushPageSheet &&
           ValueOf(CTL_MASK_PAGES) == 0;
}

int32_t SourceLevel(int32_t x, int32_t y, int32_t channel) {
    const GetPixelProc source = gContext.accessors.getSourcePixel;
    if (!source) return 0;
    const int32_t level = source(x, y, channel);
    return IsSixteenBitMode(gContext.imageMode) ? level * 10 / kSixteenBitDivisor : level;
}

EyedropperSample ReadEyedropperSample(int32_t x, int32_t y) {
    EyedropperSample s = {};
    s.r = SourceLevel(x, y, 0);
    s.g = SourceLevel(x, y, 1);
    s.b = SourceLevel(x, y, 2);
    int32_t h = s.r, sat = s.g, l = s.b;
    RgbToHslInPlace8(h, sat, l);
    s.saturation = sat;
    int32_t hueSum = 0, saturationSum = 0;
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
            int32_t r = SourceLevel(x + dx, y + dy, 0), g = SourceLevel(x + dx, y + dy, 1),
                    b = SourceLevel(x + dx, y + dy, 2);
            RgbToHslInPlace8(r, g, b);
            hueSum += r;
            saturationSum += g;
        }
    s.meanHue = hueSum / 9;
    s.meanSaturation = saturationSum / 9;
    return s;
}

void ReadHueRanges(HueRange ranges[kColorBandCount]) {
    for (int32_t band = 0; band < kColorBandCount; ++band)
        ranges[band] = {GetArrayElement(ARRAY_SELECTIVE_RANGES, band, 1, 0),
                        GetArrayElement(ARRAY_SELECTIVE_RANGES, band, 2, 0)};
}

// The curve options: a point near the level moves to it, else a new point is added there. A
// full curve takes no new point and the drag has no target.
int32_t PickCurvePoint(int32_t option, const EyedropperSample& sample) {
    const int32_t curve = option - 8;
    const int32_t count = std::clamp(gSession.curvePointCount[curve], 0, kCurvePointMax);
    const int32_t level =
        EyedropperCurveLevel(option, sample, ValueOf(CTL_TONE_ZONES) != 0, gSession.curveMax);
    int32_t inputs[kCurvePointMax];
    for (int32_t i = 0; i < count; ++i) inputs[i] = GetArrayElement(ARRAY_CURVES, i, 0, curve);
    const int32_t nearPoint = CurvePointNear(inputs, count, level);
    if (nearPoint >= 0) {
        PutArrayElement(ARRAY_CURVES, nearPoint, 0, curve, level);
        return nearPoint;
    }
    if (count >= kCurvePointMax) return -1;
    PutArrayElement(ARRAY_CURVES, count, 0, curve, level);
    PutArrayElement(ARRAY_CURVES, count, 1, curve, level);
    gSession.curvePointCount[curve] = count + 1;
    SortCurvePoints(ARRAY_CURVES, curve, count + 1);
    for (int32_t i = 0; i <= count; ++i)
        if (GetArrayElement(ARRAY_CURVES, i, 0, curve) == level) return i;
    return -1;
}

bool IsCurveOption(int32_t option) {
    return option >= 8 && option <= 13;
}

int32_t CurvePointOutput(int32_t option, int32_t point) {
    return GetArrayElement(ARRAY_CURVES, point, 1, option - 8);
}

void EyedropperDown(const PreviewPoint& at) {
    if (!at.onImage) return;
    const EyedropperSample sample = ReadEyedropperSample(at.x, at.y);
    gPreviewTools.eyedropperStartX = at.x;
    gPreviewTools.eyedropperStartY = at.y;
    gPreviewTools.eyedropperDragging = 1;
    PageFromTool();
    const int32_t option = ValueOf(CTL_TOOL_EYEDROPPER);
    int32_t target = -1, startValue = 0;
    if (IsCurveOption(option)) {
        target = PickCurvePoint(option, sample);
        if (target >= 0) startValue = CurvePointOutput(option, target);
    } else {
        HueRange ranges[kColorBandCount];
        ReadHueRanges(ranges);
        const EyedropperPick pick =
            PickEyedropperTarget(option, sample, ranges, gContext.controlValues);
        for (int32_t i = 0; i < pick.settingCount; ++i) {
            SetControlValue(pick.settings[i].control, pick.settings[i].value);
            if (i == 0 && pick.setColor)
                SetControlColor(pick.settings[i].control, pick.settings[i].value);
        }
        if (pick.fire >= 0) FireControlEvent(pick.fire, EVENT_CLICKED, 0);
        target = pick.target;
        if (target >= 0) startValue = ValueOf(target);
    }
    gPreviewTools.eyedropperTarget = target;
    gPreviewTools.eyedropperStartValue = startValue;
    RunControlAction(ACTION_PREVIEW);
}

// The centre of a cross option moves under the cursor, and its effect comes on.
void PlaceCentre(int32_t slot, const PreviewPoint& at) {
    const int32_t reduction = Reduction();
    gSession.centrePointX[slot] = (at.x - gContext.X / 2) * reduction;
    gSession.centrePointY[slot] = (at.y - gContext.Y / 2) * reduction;
}

void SwitchEffectOn(int32_t control, int32_t value) {
    if (ValueOf(control) == 0) SetControlValue(control, value);
}

void SwitchCrossEffectOn(int32_t option) {
    switch (option) {
        case 1:
            SwitchEffectOn(CTL_AGING_INTENSITY, 100);
            break;
        case 2:
            SwitchEffectOn(CTL_NDGRAD_BRIGHTNESS, -100);
            break;
        case 3:
            SwitchEffectOn(CTL_DIFFUSION_INTENSITY, 100);
            if (ValueOf(CTL_DIFFUSION_MASK_SHAPE) == 0) {
                SetControlValue(CTL_DIFFUSION_MASK_SHAPE, 1);
                FireControlEvent(CTL_DIFFUSION_MASK_SHAPE, EVENT_CLICKED, 0);
            }
            break;
        case 4:
            SwitchEffectOn(CTL_VIGNETTE_INTENSITY, 100);
            break;
        case 5:
        case 6:
            SwitchEffectOn(CTL_MASK_OFFSET, 128);
            break;
    }
}

void CrossDown(const PreviewPoint& at) {
    const int32_t option = ValueOf(CTL_TOOL_CROSS);
    const int32_t slot = CrossSlot(option);
    if (!at.onImage || slot < 0) return;
    PlaceCentre(slot, at);
    PageFromCrossTool();
    SwitchCrossEffectOn(option);
    PumpDialogMessages();
    gPreviewTools.crossDragging = 1;
    if (!InstantPreview() && ReadKeyState(VK_LBUTTON) >= 0)
        FireControlEvent(CTL_PREVIEW, EVENT_MOUSE_UP, 0);
}

int32_t MaskWidth() {
    return std::max(gContext.filterWidth > 0 ? gContext.filterWidth : gContext.imageWidth, 1);
}
int32_t MaskHeight() {
    return std::max(gContext.filterHeight > 0 ? gContext.filterHeight : gContext.imageHeight, 1);
}

// The brush arrays exist before anything writes them: made at the image's size when absent.
bool EnsureBrushArray(int32_t array, int32_t fill) {
    if (GetArrayBase(array)) return true;
    if (!CreateArray(array, MaskWidth(), MaskHeight(), 1, 1)) return false;
    SetAllArrayElements(array, fill);
    return true;
}

bool MultiProcessor() {
    return ValueOf(CTL_MULTI_CPU_OFF) == 0;
}

bool NoEffectToSee() {
    // The conversion's group counts as always in use; only the others show the brush.
    return MarkGroupsInUse() <= 1 && ValueOf(CTL_MASK_OPTION) == 0;
}

bool ErasesFirst() {
    const int32_t option = ValueOf(CTL_TOOL_BRUSH);
    const int32_t intensity = ValueOf(CTL_BRUSH_INTENSITY);
    const bool invert = ValueOf(CTL_BRUSH_INVERT) != 0;
    return (option == 1 && intensity >= 0 && !invert) || (option == 2 && intensity > 0 && invert);
}

int32_t BrushHardnessTerm() {
    return BrushStrokeOpacity(ValueOf(CTL_BRUSH_HARDNESS));
}

int32_t BrushDown(const PreviewPoint& at) {
    if (at.x < 0 || at.y < 0) return 0;
    if (NoEffectToSee() && !gPreviewTools.brushWarningShown) {
        gPreviewTools.brushWarningShown = 1;
        ShowInfoMessage("%s", LanguageText(kNoEffectTextId,
                                           "Please activate an effect or the M button,\\otherwise "
                                           "you do not see what you are drawing!"));
        return 0;
    }
    const bool hadStroke = GetArrayBase(ARRAY_BRUSH_MASK) && GetArrayBase(ARRAY_BRUSH_STROKE);
    if (!EnsureBrushArray(ARRAY_BRUSH_MASK, 255) || !EnsureBrushArray(ARRAY_BRUSH_STROKE, 255))
        return 0;
    if (hadStroke && ValueOf(CTL_BRUSH_OPACITY) != 0) MergeBrushLayer();
    const bool erase = ErasesFirst();
    SetAllArrayElements(ARRAY_BRUSH_STROKE, erase ? 255 : 0);
    gSession.brushMode = erase ? 1 : 2;
    const COLORREF colour = SampleColorArea(at.x, at.y, 1);
    SetControlValue(CTL_BRUSH_COLOR, int32_t(colour));
    SetControlColor(CTL_BRUSH_COLOR, int32_t(colour));
    gPreviewTools.brushDrawing = 1;
    gSession.brushStrokeActive = 1;
    MakeBrushTip(ARRAY_BRUSH_TIP, ValueOf(CTL_BRUSH_SIZE), BrushHardnessTerm());
    gPreviewTools.brushSteps = 0;
    gPreviewTools.brushLastX = at.x * Reduction();
    gPreviewTools.brushLastY = at.y * Reduction();
    return 0;
}

void SplitDown() {
    if (ValueOf(CTL_SPLIT_VIEW) <= 1) return;
    gPreviewTools.splitDragging = 1;
    gSession.renderDeferred = 1;
    FireControlEvent(CTL_PREVIEW, EVENT_MOUSE_MOVE, 0);
}

int32_t OnMouseDown() {
    const PreviewPoint at = MousePoint();
    switch (gCurrentTool) {
        case TOOL_BRUSH:
            return BrushDown(at);
        case TOOL_CROSS:
            CrossDown(at);
            break;
        case TOOL_SPLIT_DRAG:
            SplitDown();
            break;
        case TOOL_EYEDROPPER:
            EyedropperDown(at);
            break;
    }
    return 0;
}

bool PaintsWithBrush() {
    const bool invert = ValueOf(CTL_BRUSH_INVERT) != 0;
    const int32_t option = ValueOf(CTL_TOOL_BRUSH);
    return (!invert && option == 2) || (invert && option == 1);
}

void BrushMove(const PreviewPoint& at) {
    if (!IsKeyHeld(VK_LBUTTON)) return;
    const int32_t x = at.x * Reduction(), y = at.y * Reduction();
    if (x == gPreviewTools.brushLastX && y == gPreviewTools.brushLastY) return;
    const int32_t opacity = BrushHardnessTerm();
    gBrushStroke = {ARRAY_BRUSH_STROKE,
                    ARRAY_BRUSH_TIP,
                    gPreviewTools.brushLastX,
                    gPreviewTools.brushLastY,
                    x,
                    y,
                    opacity,
                    BrushStrokeRadius(opacity, ValueOf(CTL_BRUSH_SIZE)),
                    PaintsWithBrush() ? 1 : 0};
    RunPoolRoutine(BrushStrokeRoutine, MultiProcessor(), false);
    gPreviewTools.brushLastX = x;
    gPreviewTools.brushLastY = y;
    ++gPreviewTools.brushSteps;
    RunControlAction(ACTION_PREVIEW);
}

bool DragStillHeld() {
    return IsKeyHeld(VK_LBUTTON) && GetForegroundWindow() == gDialog;
}

void CrossMove(const PreviewPoint& at) {
    if (!DragStillHeld()) {
        gPreviewTools.crossDragging = 0;
        return;
    }
    if (!at.onImage) return;
    const int32_t option = ValueOf(CTL_TOOL_CROSS);
    const int32_t level = at.y * 255 / std::max(gContext.Y, 1);
    if (option == 2 && ValueOf(CTL_NDGRAD_SHAPE) < 2)
        SetControlValue(CTL_NDGRAD_OFFSET, level);
    else if (option == 3 && ValueOf(CTL_DIFFUSION_MASK_SHAPE) > 0)
        SetControlValue(CTL_DIFFUSION_MASK_OFFSET, level);
    else if (option == 5)
        SetControlValue(CTL_MASK_OFFSET, level);
    else if (const int32_t slot = CrossSlot(option); slot >= 0)
        PlaceCentre(slot, at);
    RenderSoonWhileDragging();
}

// The target's width in pixels that one run over the slider's whole range takes.
int32_t DragSpan(int32_t target) {
    const ControlRecord* record = ControlRecordAt(target);
    const int32_t width = record ? record->width : 0;
    return std::max(DialogUnitsToPixelsY(width), 1);
}

void EyedropperMove(const PreviewPoint& at) {
    if (!IsKeyHeld(VK_LBUTTON)) return;
    const int32_t target = gPreviewTools.eyedropperTarget;
    if (target < 0) return;
    const int32_t dx = at.x - gPreviewTools.eyedropperStartX;
    const int32_t dy = gPreviewTools.eyedropperStartY - at.y;
    const int32_t d = std::abs(dy) >= std::abs(dx) ? dy : dx;
    const int32_t option = ValueOf(CTL_TOOL_EYEDROPPER);
    if (IsCurveOption(option)) {
        ShowToolCursor(CURSOR_CURVE_DRAG);
        const int32_t curve = option - 8;
        const int32_t output =
            std::clamp(gPreviewTools.eyedropperStartValue + d, 0, gSession.curveMax);
        PutArrayElement(ARRAY_CURVES, target, 1, curve, output);
        const int32_t input = GetArrayElement(ARRAY_CURVES, target, 0, curve);
        const int32_t max = std::max(gSession.curveMax, 1);
        SetControlTextFormat(CTL_CURVE_POINT_TEXT, "%d->%d", int(input * 255 / max),
                             int(output * 255 / max));
        FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
    } else {
        ShowToolCursor(CURSOR_VALUE_DRAG);
        const int32_t range = GetControlRange(target, 1) - GetControlRange(target, 0);
        SetControlValue(target, gPreviewTools.eyedropperStartValue + range * d / DragSpan(target));
        if (option >= 4 && option <= 6) FireControlEvent(target, EVENT_VALUE_CHANGED, 0);
    }
    RenderSoonWhileDragging();
}

void SplitMove(const PreviewPoint& at) {
    const EffectContext& c = gContext;
    const SplitOffsets offsets =
        SplitOffsetsFor(at.x, at.y, c.X, c.Y, Reduction(), ValueOf(CTL_SPLIT_MULTI) != 0,
                        c.currentLeft, c.currentTop, c.currentRight, c.currentBottom);
    gSession.splitOffsetX = offsets.x;
    gSession.splitOffsetY = offsets.y;
    SetDialogTimer(kRenderTimer, kRenderSoonMs, 1);
}

int32_t OnMouseMove() {
    const PreviewPoint at = MousePoint();
    if (gPreviewTools.brushDrawing) BrushMove(at);
    if (gPreviewTools.crossDragging) CrossMove(at);
    if (gPreviewTools.eyedropperDragging) EyedropperMove(at);
    if (gPreviewTools.splitDragging) SplitMove(at);
    if (OnBrushPage() && at.onImage) {
        const COLORREF colour = SampleColorArea(at.x, at.y, 1);
        SetControlColor(CTL_BRUSH_COLOR, int32_t(colour));
    }
    if (ValueOf(CTL_SIDE_TAB) == 3)
        ShowPixelReadout(CTL_INFO_COLOR, CTL_INFO_RGB, CTL_INFO_HSL, CTL_INFO_XY);
    return 0;
}

int32_t OnMouseUp() {
    if (gPreviewTools.brushDrawing) {
        gPreviewTools.brushDrawing = 0;
        gSession.brushStrokeActive = 0;
        return 0;
    }
    bool render = false;
    if (gPreviewTools.crossDragging) {
        gPreviewTools.crossDragging = 0;
        render = true;
    }
    if (gPreviewTools.eyedropperDragging) {
        gPreviewTools.eyedropperDragging = 0;
        ShowToolCursor(CURSOR_EYEDROPPER);
        render = true;
    }
    if (gPreviewTools.splitDragging) {
        gPreviewTools.splitDragging = 0;
        gSession.renderDeferred = 0;
        render = true;
    }
    if (render && !InstantPreview()) RunControlAction(ACTION_PREVIEW);
    return 0;
}

int32_t OnMouseEnter() {
    if (ValueOf(CTL_HELP_UPDATE) == 0) return 0;
    const char* text = LanguageText(kPreviewHelpTextId, "");
    if (!*text) text = LanguageText(kNoHelpTextId, "No description available ...");
    ShowHelpText(text);
    RefreshControl(CTL_HELP_UPDATE, 1);
    return 0;
}

int32_t OnMouseLeave() {
    if (OnBrushPage()) SetControlColor(CTL_BRUSH_COLOR, ValueOf(CTL_BRUSH_COLOR));
    return 0;
}

}  // namespace

int32_t ClickToolControl(int32_t control, int32_t previous, bool* known) {
    if (control >= CTL_TOOL_HAND && control <= CTL_TOOL_SPLIT_DRAG)
        return kToolClicks[control - CTL_TOOL_HAND](previous);
    const int32_t result = ClickToolShortcut(control);
    if (result >= 0) return result;
    *known = false;
    return 0;
}

int32_t HandlePreviewMouse(int32_t event) {
    switch (event) {
        case EVENT_MOUSE_ENTER:
            return OnMouseEnter();
        case EVENT_MOUSE_LEAVE:
            return OnMouseLeave();
        case EVENT_MOUSE_DOWN:
            return OnMouseDown();
        case EVENT_MOUSE_MOVE:
            return OnMouseMove();
        case EVENT_MOUSE_UP:
            return OnMouseUp();
    }
    return 0;
}

void ResetCrossCentre() {
    const int32_t option = ValueOf(CTL_TOOL_CROSS);
    const int32_t slot = CrossSlot(option);
    if (slot < 0) return;
    gSession.centrePointX[slot] = 0;
    gSession.centrePointY[slot] = 0;
    if (option == 2 && ValueOf(CTL_NDGRAD_SHAPE) < 2) SetControlValue(CTL_NDGRAD_OFFSET, 128);
    if (option == 3 && ValueOf(CTL_DIFFUSION_MASK_SHAPE) < 3)
        SetControlValue(CTL_DIFFUSION_MASK_OFFSET, 128);
    if (option == 5 && ValueOf(CTL_MASK_TYPE) == 3) SetControlValue(CTL_MASK_OFFSET, 128);
    RunControlAction(ACTION_PREVIEW);
}

int32_t RemakeBrushCursor() {
    // Only the brush shows its outline; another tool keeps its own cursor.
    if (gCurrentTool != TOOL_BRUSH) return 0;
    const int32_t radius =
        std::max(gContext.zoomMagnification, 1) * ValueOf(CTL_BRUSH_SIZE) / Reduction();
    HCURSOR cursor = MakeBrushCursor(std::max(radius, 1));
    if (!cursor) return 0;
    // The dialog's cursor takes the new one over and destroys the one it had.
    gPreviewTools.brushCursor = cursor;
    gPreviewTools.cursorId = CURSOR_BRUSH;
    SetDialogCursor(reinterpret_cast<intptr_t>(cursor));
    return 1;
}

void DropBrushCursor() {
    if (!gPreviewTools.brushCursor) return;
    gPreviewTools.brushCursor = nullptr;
    if (GetDialogCursor() > 32700) SetDialogCursor(CURSOR_HAND);
}
