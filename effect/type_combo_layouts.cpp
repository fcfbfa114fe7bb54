// The type combo boxes of the effect pages and the controls each one shows, hides, moves and
// relabels: mask, mask tones, diffusion mask, ND-Grad shape, frame edge, tonal look,
// conversion method and the Lab FX types.

#include <cstdint>
#include <initializer_list>

#include "dialog/control_appearance.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/settings_reaction_parts.h"
#include "effect/tool_buttons.h"

namespace {
enum LayoutStepKind : int32_t {
    STEP_SHOW,         // show the controls
    STEP_HIDE,         // hide the controls
    STEP_MOVE_BELOW,   // move the control to y(reference) + amount
    STEP_LABEL,        // the control's label := short text amount
    STEP_HEIGHT,       // the control's height := amount
    STEP_HEIGHT_ALT,   // the control's height := its alternate height
    STEP_FIRE,         // fire the control
    STEP_TOOL_IMAGES,  // the tool buttons' images follow
    STEP_PUMP,         // let the dialog paint what changed
};

struct LayoutStep {
    LayoutStepKind kind;
    std::initializer_list<int32_t> controls;
    int32_t reference;
    int32_t amount;
};

constexpr int32_t kLowest = INT32_MIN;  // open ends of a value range
constexpr int32_t kHighest = INT32_MAX;
constexpr int32_t kNone = -1;

// One row of a combo's table: for values low..high (or outside them with outside set, and
// only while control whenOn is on when given) the steps run in order.
struct ComboCase {
    int32_t low, high;
    bool outside;
    int32_t whenOn;
    std::initializer_list<LayoutStep> steps;
};

struct TypeCombo {
    int32_t combo;
    std::initializer_list<int32_t> separators;  // items that are lines of dashes
    std::initializer_list<ComboCase> cases;
};

constexpr int32_t kTextHue = 80, kTextRange = 81, kTextShadowHue = 82;
constexpr int32_t kTextAmount = 85, kTextAmountA = 86;
constexpr int32_t kTextOffset = 128, kTextSize = 129;

// Mask types: 0 Off, 1 separator, 2 Tonal, 3 Linear, 4 Circular.
const std::initializer_list<int32_t> kMaskControls = {
    CTL_MASK_SHOW_COLOR,       CTL_MASK_SHOW,           CTL_MASK_INVERT,
    CTL_MASK_OFFSET,           CTL_MASK_DENSITY,        CTL_MASK_ELLIPTICAL,
    CTL_MASK_ROTATION,         CTL_MASK_COLOR_GROUP,    CTL_MASK_COLOR_INVERT,
    CTL_MASK_COLOR_LIMIT,      CTL_MASK_COLOR,          CTL_MASK_SAT_GROUP,
    CTL_MASK_SAT_INVERT,       CTL_MASK_SAT_TONE,       CTL_MASK_SAT_LIMIT,
    CTL_MASK_BRIGHT_GROUP,     CTL_MASK_BRIGHT_MODE,    CTL_MASK_BRIGHT_INVERT,
    CTL_MASK_BRIGHT_TONE,      CTL_MASK_BRIGHT_LIMIT,   CTL_MASK_SHADOWS,
    CTL_MASK_MIDTONES,         CTL_MASK_HIGHLIGHTS,     CTL_MASK_BRIGHT_EYEDROPPER,
    CTL_MASK_COLOR_EYEDROPPER, CTL_MASK_SAT_EYEDROPPER, CTL_MASK_CROSS};

const TypeCombo kTypeCombos[] = {
    {CTL_MASK_TYPE,
     {1},
     {
         {0, kHighest, false, kNone, {{STEP_HIDE, kMaskControls, 0, 0}}},
         {2,
          2,
          false,
          kNone,
          {{STEP_SHOW,
            {CTL_MASK_SHOW_COLOR, CTL_MASK_SHOW, CTL_MASK_COLOR_GROUP, CTL_MASK_COLOR_INVERT,
             CTL_MASK_COLOR_LIMIT, CTL_MASK_COLOR, CTL_MASK_SAT_GROUP, CTL_MASK_SAT_INVERT,
             CTL_MASK_SAT_TONE, CTL_MASK_SAT_LIMIT, CTL_MASK_BRIGHT_GROUP, CTL_MASK_BRIGHT_MODE,
             CTL_MASK_BRIGHT_INVERT, CTL_MASK_BRIGHT_EYEDROPPER, CTL_MASK_COLOR_EYEDROPPER,
             CTL_MASK_SAT_EYEDROPPER},
            0,
            0},
           {STEP_FIRE, {CTL_MASK_BRIGHT_MODE}, 0, 0}}},
         {3,
          3,
          false,
          kNone,
          {{STEP_SHOW,
            {CTL_MASK_SHOW_COLOR, CTL_MASK_SHOW, CTL_MASK_INVERT, CTL_MASK_OFFSET, CTL_MASK_DENSITY,
             CTL_MASK_ROTATION, CTL_MASK_CROSS},
            0,
            0},
           {STEP_MOVE_BELOW, {CTL_MASK_ROTATION}, CTL_MASK_ELLIPTICAL, 0},
           {STEP_LABEL, {CTL_MASK_OFFSET}, 0, kTextOffset}}},
         {4,
          4,
          false,
          kNone,
          {{STEP_SHOW,
            {CTL_MASK_SHOW_COLOR, CTL_MASK_SHOW, CTL_MASK_INVERT, CTL_MASK_OFFSET, CTL_MASK_DENSITY,
             CTL_MASK_ELLIPTICAL, CTL_MASK_ROTATION, CTL_MASK_CROSS},
            0,
            0},
           {STEP_MOVE_BELOW, {CTL_MASK_ROTATION}, CTL_MASK_ELLIPTICAL, 10},
           {STEP_LABEL, {CTL_MASK_OFFSET}, 0, kTextSize}}},
         {3, 4, false, kNone, {{STEP_TOOL_IMAGES, {}, 0, 0}}},
         {0, kHighest, false, kNone, {{STEP_PUMP, {}, 0, 0}}},
     }},
    {CTL_MASK_BRIGHT_MODE,
     {},
     {
         {0,
          0,
          false,
          kNone,
          {{STEP_SHOW, {CTL_MASK_BRIGHT_TONE, CTL_MASK_BRIGHT_LIMIT}, 0, 0},
           {STEP_HIDE, {CTL_MASK_HIGHLIGHTS, CTL_MASK_MIDTONES, CTL_MASK_SHADOWS}, 0, 0}}},
         {0,
          0,
          true,
          kNone,
          {{STEP_HIDE, {CTL_MASK_BRIGHT_TONE, CTL_MASK_BRIGHT_LIMIT}, 0, 0},
           {STEP_SHOW, {CTL_MASK_HIGHLIGHTS, CTL_MASK_MIDTONES, CTL_MASK_SHADOWS}, 0, 0}}},
     }},
    // Diffusion mask shapes: 0 None, 1 Linear, 2 Linear Middle, 3 Circular.
    {CTL_DIFFUSION_MASK_SHAPE,
     {},
     {
         {0,
          0,
          false,
          kNone,
          {{STEP_HIDE,
            {CTL_DIFFUSION_MASK_INVERT, CTL_DIFFUSION_MASK_OFFSET, CTL_DIFFUSION_MASK_DENSITY,
             CTL_DIFFUSION_MASK_ELLIPTICAL, CTL_DIFFUSION_MASK_ROTATION},
            0,
            0}}},
         {0,
          0,
          true,
          kNone,
          {{STEP_SHOW,
            {CTL_DIFFUSION_MASK_INVERT, CTL_DIFFUSION_MASK_OFFSET, CTL_DIFFUSION_MASK_DENSITY,
             CTL_DIFFUSION_MASK_ELLIPTICAL, CTL_DIFFUSION_MASK_ROTATION},
            0,
            0}}},
         {kLowest,
          2,
          false,
          kNone,
          {{STEP_HIDE, {CTL_DIFFUSION_MASK_ELLIPTICAL}, 0, 0},
           {STEP_MOVE_BELOW, {CTL_DIFFUSION_MASK_ROTATION}, CTL_DIFFUSION_MASK_ELLIPTICAL, 0},
           {STEP_LABEL, {CTL_DIFFUSION_MASK_OFFSET}, 0, kTextOffset}}},
         {3,
          kHighest,
          false,
          kNone,
          {{STEP_MOVE_BELOW, {CTL_DIFFUSION_MASK_ROTATION}, CTL_DIFFUSION_MASK_ELLIPTICAL, 10},
           {STEP_SHOW, {CTL_DIFFUSION_MASK_ELLIPTICAL}, 0, 0},
           {STEP_LABEL, {CTL_DIFFUSION_MASK_OFFSET}, 0, kTextSize}}},
     }},
    // ND-Grad shapes: 0 Linear, 1 Linear Middle, 2 Circular.
    {CTL_NDGRAD_SHAPE,
     {},
     {
         {kLowest,
          1,
          false,
          kNone,
          {{STEP_HIDE, {CTL_NDGRAD_ELLIPTICAL}, 0, 0},
           {STEP_MOVE_BELOW, {CTL_NDGRAD_ROTATION}, CTL_NDGRAD_ELLIPTICAL, 0},
           {STEP_LABEL, {CTL_NDGRAD_OFFSET}, 0, kTextOffset}}},
         {2,
          kHighest,
          false,
          kNone,
          {{STEP_MOVE_BELOW, {CTL_NDGRAD_ROTATION}, CTL_NDGRAD_ELLIPTICAL, 10},
           {STEP_SHOW, {CTL_NDGRAD_ELLIPTICAL}, 0, 0},
           {STEP_LABEL, {CTL_NDGRAD_OFFSET}, 0, kTextSize}}},
     }},
    // Frame edges: 0 None .. 6 and above Random (with its button and seed).
    {CTL_FRAME_EDGE_SHAPE,
     {},
     {
         {0,
          0,
          false,
          kNone,
          {{STEP_HIDE,
            {CTL_FRAME_RECTANGULAR, CTL_FRAME_OUTER_EDGE, CTL_FRAME_MIDDLE_EDGE,
             CTL_FRAME_INNER_EDGE, CTL_FRAME_SIZE, CTL_FRAME_ROUNDNESS, CTL_FRAME_SOFTNESS},
            0,
            0}}},
         {0,
          0,
          true,
          kNone,
          {{STEP_SHOW,
            {CTL_FRAME_RECTANGULAR, CTL_FRAME_OUTER_EDGE, CTL_FRAME_MIDDLE_EDGE,
             CTL_FRAME_INNER_EDGE, CTL_FRAME_SIZE, CTL_FRAME_ROUNDNESS, CTL_FRAME_SOFTNESS},
            0,
            0}}},
         {6, kHighest, false, kNone, {{STEP_SHOW, {CTL_FRAME_RANDOMIZE, CTL_FRAME_SEED}, 0, 0}}},
         {6, kHighest, true, kNone, {{STEP_HIDE, {CTL_FRAME_RANDOMIZE, CTL_FRAME_SEED}, 0, 0}}},
     }},
    {CTL_TONALLOOK_TYPE, {5}, {}},
    // Conversion methods: 0 Color Filter, 1 separator, 2 Standard, 3 Desaturation, 4 Average,
    // 5 separator, 6 Infra-Red, 7 Split B&W.
    {CTL_CONVERSION_METHOD,
     {1, 5},
     {
         {7,
          7,
          false,
          kNone,
          {{STEP_HIDE, {CTL_CONVERSION_HUE_STRIP}, 0, 0},
           {STEP_LABEL, {CTL_CONVERSION_HUE}, 0, kTextShadowHue},
           {STEP_SHOW,
            {CTL_CONVERSION_HUE, CTL_CONVERSION_HIGHLIGHT_HUE, CTL_CONVERSION_THRESHOLD,
             CTL_CONVERSION_TRANSITION},
            0,
            0},
           {STEP_MOVE_BELOW, {CTL_CONVERSION_SATURATION}, CTL_CONVERSION_TRANSITION, 13},
           {STEP_MOVE_BELOW, {CTL_CONVERSION_LIGHTNESS}, CTL_CONVERSION_TRANSITION, 23},
           {STEP_HEIGHT, {CTL_CONVERSION_GROUP}, 0, 95}}},
         {2, 4, false, kNone, {{STEP_HIDE, {CTL_CONVERSION_HUE, CTL_CONVERSION_HUE_STRIP}, 0, 0}}},
         {6,
          6,
          false,
          kNone,
          {{STEP_SHOW, {CTL_CONVERSION_HUE}, 0, 0},
           {STEP_LABEL, {CTL_CONVERSION_HUE}, 0, kTextRange},
           {STEP_HIDE, {CTL_CONVERSION_HUE_STRIP}, 0, 0}}},
         {0,
          0,
          false,
          kNone,
          {{STEP_SHOW, {CTL_CONVERSION_HUE}, 0, 0},
           {STEP_LABEL, {CTL_CONVERSION_HUE}, 0, kTextHue},
           {STEP_SHOW, {CTL_CONVERSION_HUE_STRIP}, 0, 0}}},
         {7,
          7,
          true,
          kNone,
          {{STEP_HIDE,
            {CTL_CONVERSION_HIGHLIGHT_HUE, CTL_CONVERSION_THRESHOLD, CTL_CONVERSION_TRANSITION},
            0,
            0},
           {STEP_MOVE_BELOW, {CTL_CONVERSION_SATURATION}, CTL_CONVERSION_HUE, 10},
           {STEP_MOVE_BELOW, {CTL_CONVERSION_LIGHTNESS}, CTL_CONVERSION_HUE, 20},
           {STEP_HEIGHT_ALT, {CTL_CONVERSION_GROUP}, 0, 0}}},
     }},
    // Lab FX types: 0 Lith Film, 1 Monochrome, 2 Posterization, 3 Solarization,
    // 4 Pseudo-Solarization.
    {CTL_LABFX_TYPE,
     {},
     {
         {1,
          1,
          false,
          kNone,
          {{STEP_HEIGHT, {CTL_LABFX_GROUP}, 0, 68},
           {STEP_HIDE, {CTL_LABFX_AMOUNT, CTL_LABFX_AMOUNT_B}, 0, 0},
           {STEP_SHOW, {CTL_LABFX_THRESHOLD, CTL_LABFX_SHADOWS, CTL_LABFX_HIGHLIGHTS}, 0, 0}}},
         {1,
          1,
          true,
          kNone,
          {{STEP_HEIGHT, {CTL_LABFX_GROUP}, 0, 48},
           {STEP_SHOW, {CTL_LABFX_AMOUNT}, 0, 0},
           {STEP_HIDE,
            {CTL_LABFX_AMOUNT_B, CTL_LABFX_THRESHOLD, CTL_LABFX_SHADOWS, CTL_LABFX_HIGHLIGHTS},
            0,
            0}}},
         {3, kHighest, false, CTL_LABFX_DOUBLE, {{STEP_HEIGHT, {CTL_LABFX_GROUP}, 0, 58}}},
         {3,
          kHighest,
          false,
          kNone,
          {{STEP_SHOW, {CTL_LABFX_DOUBLE}, 0, 0}, {STEP_FIRE, {CTL_LABFX_DOUBLE}, 0, 0}}},
         {kLowest,
          2,
          false,
          kNone,
          {{STEP_HIDE, {CTL_LABFX_DOUBLE}, 0, 0},
           {STEP_LABEL, {CTL_LABFX_AMOUNT}, 0, kTextAmount}}},
         {1, 2, false, kNone, {{STEP_SHOW, {CTL_LABFX_TONES}, 0, 0}}},
         {1, 2, true, kNone, {{STEP_HIDE, {CTL_LABFX_TONES}, 0, 0}}},
     }},
    {CTL_LABFX_DOUBLE,
     {},
     {
         {0,
          0,
          true,
          kNone,
          {{STEP_LABEL, {CTL_LABFX_AMOUNT}, 0, kTextAmountA},
           {STEP_SHOW, {CTL_LABFX_AMOUNT_B}, 0, 0},
           {STEP_HEIGHT, {CTL_LABFX_GROUP}, 0, 58}}},
         {0,
          0,
          false,
          kNone,
          {{STEP_LABEL, {CTL_LABFX_AMOUNT}, 0, kTextAmount},
           {STEP_HIDE, {CTL_LABFX_AMOUNT_B}, 0, 0},
           {STEP_HEIGHT, {CTL_LABFX_GROUP}, 0, 48}}},
     }},
};

const TypeCombo* TypeComboOf(int32_t n) {
    for (const TypeCombo& combo : kTypeCombos)
        if (combo.combo == n) return &combo;
    return nullptr;
}

bool CaseHolds(const ComboCase& row, int32_t value) {
    const bool inside = value >= row.low && value <= row.high;
    if (inside == row.outside) return false;
    return row.whenOn == kNone || ValueOf(row.whenOn) != 0;
}

void RunStep(const LayoutStep& step) {
    switch (step.kind) {
        case STEP_SHOW:
            for (int32_t n : step.controls) ShowControl(n);
            break;
        case STEP_HIDE:
            for (int32_t n : step.controls) HideControl(n);
            break;
        case STEP_MOVE_BELOW:
            for (int32_t n : step.controls)
                MoveControlToY(n, ControlY(step.reference) + step.amount);
            break;
        case STEP_LABEL:
            for (int32_t n : step.controls) SetLabelToShortText(n, step.amount);
            break;
        case STEP_HEIGHT:
            for (int32_t n : step.controls) SetControlHeightUnits(n, step.amount);
            break;
        case STEP_HEIGHT_ALT:
            for (int32_t n : step.controls) SetControlHeightUnits(n, GetControlAltPosition(n, 3));
            break;
        case STEP_FIRE:
            for (int32_t n : step.controls) FireClick(n);
            break;
        case STEP_TOOL_IMAGES:
            UpdateToolButtonImages();
            break;
        case STEP_PUMP:
            PumpDialogMessages();
            break;
    }
}
}  // namespace

bool IsTypeCombo(int32_t n) {
    return TypeComboOf(n) != nullptr;
}

int32_t ReactToTypeCombo(const ReactionEvent& event) {
    const TypeCombo* combo = TypeComboOf(event.control);
    if (!combo) return 0;
    const int32_t value =
        SkipSeparatorItems(event.control, event.previous, combo->separators.begin(),
                           int32_t(combo->separators.size()));
    for (const ComboCase& row : combo->cases)
        if (CaseHolds(row, value))
            for (const LayoutStep& step : row.steps) RunStep(step);
    return 0;
}
