// The mode combo box's reaction: the five modes lay out the right-hand column differently,
// moving the Quick Edit controls off their sheets, showing the built-in preset combos of
// Photography Mode and the effect list of Advanced+ Mode, and setting the main tab's sheets.

#include "effect/mode_layout.h"

#include <initializer_list>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_images.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_texts.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/effect_pages.h"
#include "effect/preset_lists.h"
#include "effect/settings_reaction_parts.h"
#include "effect/preview_tool_state.h"
#include "effect/tool_buttons.h"
#include "host/effect_context.h"

int32_t gLayoutMode = LAYOUT_ADVANCED;

namespace {
// The dialog the layout mode belongs to: a dialog built anew stands in the Advanced layout,
// whatever mode the previous one ended in.
uint32_t gLayoutGeneration;
bool gLayoutGenerationKnown;
int32_t gRememberedSheet;  // the main tab's sheet before Easy or Advanced+ Mode took it

constexpr int32_t kImageOption = 66;
constexpr int32_t kSheetPresets = 0;
constexpr int32_t kTextPresetTab = 0, kTextAdvancedTabs = 1, kTextAdvancedPlusTabs = 4;
constexpr int32_t kSelectItemColorkey = 2;  // 353's item without a gray swatch
constexpr int32_t kFirstQuickEyedropperOption = 7, kLastQuickEyedropperOption = 9;
constexpr int32_t kToolHand = 0, kToolEyedropper = 1, kToolSplitDrag = 4;
constexpr int32_t kDeferredThumbnailsTimer = 3;

// The controls Quick Edit Mode takes off their sheets: where each lives, and how far it
// moves (dialog units, up negative) while Quick Edit Mode shows it.
// Leaving Quick Edit Mode, each goes back onto the sheet the dialog built it on.
struct QuickEditMove {
    std::initializer_list<int32_t> controls;
    int32_t dy;
};
const QuickEditMove kQuickEditMoves[] = {
    {{CTL_MAIN_PRESETS_MENU}, -14},
    {{CTL_TONE_BRIGHTNESS, CTL_TONE_SHADOWS, CTL_TONE_HIGHLIGHTS, CTL_TONE_OPTION,
      CTL_TONE_EXPOSURE},
     -105},
    {{CTL_CONVERSION_HUE, CTL_CONVERSION_SATURATION, CTL_CONVERSION_LIGHTNESS}, -52},
    {{CTL_SELECT_SWATCH_RED, CTL_SELECT_SWATCH_ORANGE, CTL_SELECT_SWATCH_YELLOW,
      CTL_SELECT_SWATCH_GREEN, CTL_SELECT_SWATCH_CYAN, CTL_SELECT_SWATCH_BLUE,
      CTL_SELECT_SWATCH_MAGENTA, CTL_SELECT_SWATCH_GRAY},
     76},
    {{CTL_SELECT_PRESETS_MENU, CTL_SELECT_PAGES, CTL_SELECT_EYEDROPPER}, 76},
};
constexpr int32_t kSelectPagesDy = 76;  // every control on a sheet of 353 moves with it

// Photography Mode's built-in preset combos and their "More..." texts.
constexpr int32_t kBuiltinFirst = CTL_BUILTIN_COLOR_FILM, kBuiltinLast = 182;

// The tool images of the modes without the page tools.
struct ToolImage {
    int32_t button;
    const char* image;
};
constexpr ToolImage kGreyTools[] = {{CTL_TOOL_EYEDROPPER, "eyedropper2_grey.bmp"},
                                    {CTL_TOOL_CROSS, "cross2_grey.bmp"},
                                    {CTL_TOOL_BRUSH, "brush2_grey.bmp"}};

int32_t LayoutOfDialog() {
    if (!gLayoutGenerationKnown || gLayoutGeneration != ControlGeneration(CTL_MODE))
        return LAYOUT_ADVANCED;
    return gLayoutMode;
}

bool IsOneOf(int32_t value, std::initializer_list<int32_t> values) {
    for (int32_t v : values)
        if (v == value) return true;
    return false;
}

void ChooseHandTool() {
    gCurrentTool = kToolHand;
    FireClick(CTL_TOOL_HAND);
}

void LayOutTools(int32_t m) {
    if (m == LAYOUT_EASY || m == LAYOUT_PHOTOGRAPHY) {
        if (gCurrentTool != kToolHand && gCurrentTool != kToolSplitDrag) ChooseHandTool();
        for (const ToolImage& tool : kGreyTools)
            SetControlImage(tool.button, tool.image, kImageOption);
        return;
    }
    if (m == LAYOUT_QUICK_EDIT) {
        const int32_t option = ValueOf(CTL_TOOL_EYEDROPPER);
        if (gCurrentTool == kToolEyedropper &&
            (option < kFirstQuickEyedropperOption || option > kLastQuickEyedropperOption))
            SetControlValue(CTL_TOOL_EYEDROPPER,
                            ValueOf(CTL_SELECT_PAGES) + kFirstQuickEyedropperOption);
        if (!IsOneOf(gCurrentTool, {kToolHand, kToolEyedropper, kToolSplitDrag})) ChooseHandTool();
        if (gCurrentTool != kToolEyedropper)
            SetControlImage(CTL_TOOL_EYEDROPPER, "eyedropper2_off.bmp", kImageOption);
        SetControlImage(CTL_TOOL_CROSS, "cross2_grey.bmp", kImageOption);
        SetControlImage(CTL_TOOL_BRUSH, "brush2_grey.bmp", kImageOption);
        return;
    }
    if (gCurrentTool >= kToolHand && gCurrentTool <= kToolSplitDrag)
        FireClick(ToolButtonOf(gCurrentTool));
}

void SetMainTabs(int32_t shortText) {
    SetControlText(CTL_MAIN_TAB, ShortText(shortText));
}

void EnterEasyMode() {
    gRememberedSheet = ValueOf(CTL_MAIN_TAB);
    SetMainTabs(kTextPresetTab);
    SetControlValue(CTL_MAIN_TAB, kSheetPresets);
    if (gRememberedSheet != kSheetPresets) FireClick(CTL_MAIN_TAB);
    RepaintByHiding(CTL_MAIN_TAB);
}

// Every control standing on a sheet of the selective page selector.
void MoveSelectivePageControls(int32_t dy) {
    for (int32_t n = 0; n < kControlCount; ++n)
        if (UsedControlRecord(n) && GetControlSheet(n, 0) == CTL_SELECT_PAGES)
            MoveControlByY(n, dy);
}

void EnterQuickEdit(int32_t p) {
    // Advanced+ Mode's page moves are undone first, so that the Quick Edit moves start from
    // the controls' own places.
    if (p == LAYOUT_ADVANCED_PLUS) RestorePageControls();
    // Quick Edit's hue sliders are the colour filter's: its layout places them first.
    SetControlValue(CTL_CONVERSION_METHOD, 0);
    FireClick(CTL_CONVERSION_METHOD);
    for (const QuickEditMove& move : kQuickEditMoves)
        for (int32_t n : move.controls) {
            SetControlTab(n, -1, -1);
            MoveControlByY(n, move.dy);
            const bool hiddenSwatch =
                n == CTL_SELECT_SWATCH_GRAY && ValueOf(CTL_SELECT_PAGES) == kSelectItemColorkey;
            ShowControlIf(n, !hiddenSwatch);
        }
    if (SetControlValue(CTL_SELECT_CONTROLS, 0) != 0) FireClick(CTL_SELECT_CONTROLS);
    MoveSelectivePageControls(kSelectPagesDy);
}

void LeaveQuickEdit() {
    for (const QuickEditMove& move : kQuickEditMoves)
        for (int32_t n : move.controls) {
            const ControlTableRow* row = ControlTableRowOf(n);
            if (row) SetControlTab(n, row->tab, row->sheet);
            MoveControlByY(n, -move.dy);
        }
    if (ValueOf(CTL_SELECT_CONTROLS) == 1) {
        SetControlValue(CTL_SELECT_CONTROLS, 0);
        FireClick(CTL_SELECT_CONTROLS);
    }
    MoveSelectivePageControls(-kSelectPagesDy);
}

void EnterAdvancedPlus(int32_t p) {
    const int32_t sheet = ValueOf(CTL_MAIN_TAB);
    gRememberedSheet = sheet;
    const int32_t listValue = ValueOf(CTL_EFFECT_LIST);
    HideControl(CTL_FX1_PAGES);
    FillEffectList(CTL_EFFECT_LIST);
    if (p == LAYOUT_ADVANCED) {
        const int32_t page = PageOfControlEvent(LAYOUT_ADVANCED, -1);
        SetControlValue(CTL_EFFECT_LIST,
                        page >= 0 ? MapListIndex(page, LIST_FROM_PAGE) : listValue);
    }
    for (int32_t n : {CTL_EFFECT_LIST, CTL_EFFECT_PREV, CTL_EFFECT_NEXT}) ShowControl(n);
    GoToPage(MapListIndex(ValueOf(CTL_EFFECT_LIST), LIST_TO_PAGE), 0);
    SetMainTabs(kTextAdvancedPlusTabs);
    if (sheet > 0) {
        SetControlValue(CTL_MAIN_TAB, 1);
        FireClick(CTL_MAIN_TAB);
    }
    RepaintByHiding(CTL_MAIN_TAB);
}

void LeaveAdvancedPlus(int32_t m) {
    RestorePageControls();
    for (int32_t n : {CTL_EFFECT_LIST, CTL_EFFECT_PREV, CTL_EFFECT_NEXT}) HideControl(n);
    ShowControl(CTL_FX1_PAGES);
    if (m == LAYOUT_QUICK_EDIT || m == LAYOUT_PHOTOGRAPHY) HideControl(CTL_MAIN_TAB);
}

void EnterAdvanced(int32_t p) {
    const int32_t sheet = ValueOf(CTL_MAIN_TAB);
    SetMainTabs(kTextAdvancedTabs);
    if (p == LAYOUT_ADVANCED_PLUS && sheet > 0) {
        const int32_t page = PageOfControlEvent(LAYOUT_ADVANCED_PLUS, -1);
        if (page >= 0) GoToPage(page, 1);
        RepaintByHiding(CTL_MAIN_TAB);
        return;
    }
    HideControl(CTL_MAIN_TAB);
    const bool sheetTaken = p == LAYOUT_EASY || p == LAYOUT_ADVANCED_PLUS;
    SetControlValue(CTL_MAIN_TAB, sheetTaken ? gRememberedSheet : sheet);
    ShowControl(CTL_MAIN_TAB);
}
}  // namespace

void ModeLayoutReset() {
    gLayoutMode = LAYOUT_ADVANCED;
    gLayoutGenerationKnown = false;
    gRememberedSheet = 0;
}

int32_t ReactToMode(const ReactionEvent&) {
    const int32_t m = ValueOf(CTL_MODE);
    const int32_t p = LayoutOfDialog();
    if (m == p && gDialogShown) return 1;

    LayOutTools(m);
    if (m == LAYOUT_EASY) EnterEasyMode();
    if (m != LAYOUT_EASY && p == LAYOUT_EASY) HideControl(CTL_MAIN_TAB);
    if (m == LAYOUT_QUICK_EDIT && p != LAYOUT_QUICK_EDIT) EnterQuickEdit(p);
    if (m != LAYOUT_QUICK_EDIT && p == LAYOUT_QUICK_EDIT) LeaveQuickEdit();
    for (int32_t n = kBuiltinFirst; n <= kBuiltinLast; ++n)
        ShowControlIf(n, m == LAYOUT_PHOTOGRAPHY);
    for (int32_t n = CTL_MORE_COLOR_FILM; n <= CTL_MORE_FRAME; ++n)
        ShowControlIf(n, m == LAYOUT_PHOTOGRAPHY);
    if (m == LAYOUT_ADVANCED_PLUS) EnterAdvancedPlus(p);
    if (p == LAYOUT_ADVANCED_PLUS && m != LAYOUT_ADVANCED_PLUS) LeaveAdvancedPlus(m);
    if (m == LAYOUT_ADVANCED) EnterAdvanced(p);
    if (p == LAYOUT_ADVANCED && (m == LAYOUT_QUICK_EDIT || m == LAYOUT_PHOTOGRAPHY))
        HideControl(CTL_MAIN_TAB);
    if ((p == LAYOUT_QUICK_EDIT || p == LAYOUT_PHOTOGRAPHY) && gDialogShown &&
        GetListViewView(CTL_PRESET_LIST) == 0)
        FireControlEvent(kDeferredThumbnailsTimer, EVENT_TIMER, 0);

    gLayoutMode = m;
    gLayoutGeneration = ControlGeneration(CTL_MODE);
    gLayoutGenerationKnown = true;
    return 0;
}
