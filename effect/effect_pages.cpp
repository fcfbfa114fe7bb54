// The effect pages: their tables, the current page and curve, and the moves of a page's
// controls between their home sheets and the FX1 sheet under the effect list.

#include "effect/effect_pages.h"

#include <algorithm>
#include <iterator>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/preset_groups.h"
#include "effect/tool_buttons.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

// clang-format off
const EffectPage gEffectPages[kEffectPageCount] = {
    {1, 354, 0, -1, -1, 1}, {1, 354, 0, -1, -1, 1}, {1, 354, 1, -1, -1, 1},
    {1, 354, 1, -1, -1, 1}, {1, 354, 2, -1, -1, 1}, {1, 354, 2, -1, -1, 1},
    {1, 354, 3, -1, -1, 0}, {2, 353, 0, -1, -1, 0}, {2, 353, 1, -1, -1, 0},
    {2, 353, 2, -1, -1, 0}, {2, 353, 3, -1, -1, 0}, {3, 352, 0, -1, -1, 0},
    {3, 352, 1, 348, 0, 0}, {3, 352, 1, 348, 1, 0}, {3, 352, 2, 370, 0, 0},
    {3, 352, 2, 370, 1, 0}, {3, 352, 2, 370, 2, 0}, {3, 352, 3, -1, -1, 0},
    {4, 355, 0, -1, -1, 0}, {4, 355, 1, -1, -1, 1}, {4, 355, 1, -1, -1, 1},
    {4, 355, 2, -1, -1, 1}, {4, 355, 2, -1, -1, 1}, {4, 355, 3, -1, -1, 0},
    {5, 356, 0, -1, -1, 0}, {5, 356, 1, -1, -1, 0}, {5, 356, 2, -1, -1, 0},
};

const PageExtras gPageExtraControls[kEffectPageCount] = {
    {0, {}}, {0, {}}, {0, {}}, {0, {}}, {0, {}},
    {1, {361}}, {1, {361}},
    {11, {360, 127, 358, 219, 220, 221, 222, 223, 224, 225, 226}},
    {11, {360, 127, 358, 219, 220, 221, 222, 223, 224, 225, 226}},
    {10, {360, 127, 358, 219, 220, 221, 222, 223, 224, 225}},
    {0, {}},
    {4, {359, 100, 169, 27}}, {5, {359, 100, 169, 49, 348}}, {5, {359, 100, 169, 118, 348}},
    {5, {359, 100, 169, 249, 370}}, {5, {359, 100, 169, 255, 370}}, {5, {359, 100, 169, 261, 370}},
    {0, {}},
    {1, {371}}, {1, {362}}, {1, {363}}, {0, {}}, {1, {90}}, {2, {278, 290}},
    {10, {364, 365, 206, 17, 379, 376, 288, 289, 202, 287}},
    {8, {16, 366, 367, 368, 369, 239, 237, 238}},
    {0, {}},
};

const int32_t gPanelControlCount[kEffectPageCount] = {
    5, 5, 2, 5, 5, 5, 4, 7, 7, 6, 7, 4, 5, 4, 2, 3, 5, 4, 5, 6, 6, 3, 3, 7, 5, 19, 4};
// clang-format on

int32_t gCurrentCurve;
int32_t gPanelPage = -2;

namespace {
constexpr int32_t kModeQuickEdit = 1;
constexpr int32_t kModeAdvanced = 3;
constexpr int32_t kModeAdvancedPlus = 4;
constexpr int32_t kSheetPresets = 0;
constexpr int32_t kSheetFx1 = 1;
constexpr int32_t kSheetMain = 3;
constexpr int32_t kFirstSeparator = 7;  // effect list positions of the separators
constexpr int32_t kSecondSeparator = 25;
constexpr int32_t kCurvePageFirst = 11;  // pages 11..17 show curves 0..6
constexpr int32_t kCurvePageLast = 17;
constexpr int32_t kSelectivePageFirst = 7;  // pages 7..10: the selective colours
constexpr int32_t kSelectivePageLast = 10;
constexpr int32_t kRebaseGap = 16;       // dialog units between the list and the lifted controls
constexpr int32_t kSelectiveShift = 14;  // the colour boxes move down under the list
constexpr int32_t kNoControlsY = 65535;
constexpr int32_t kMaskPage = 25;
constexpr int32_t kMaskTonal = 2;
constexpr int32_t kMaskLinear = 3;
constexpr int32_t kMaskCircular = 4;
constexpr int32_t kActionPreview = 3;
constexpr int32_t kCurveOff = -100;

// The type combo box of a page whose dependent controls must follow it, or -1.
int32_t PageTypeCombo(int32_t page) {
    if (page >= kSelectivePageFirst && page <= kSelectivePageLast) return CTL_SELECT_CONTROLS;
    switch (page) {
        case 0:
            return CTL_CONVERSION_METHOD;
        case 6:
            return CTL_NDGRAD_SHAPE;
        case 18:
            return CTL_DIFFUSION_MASK_SHAPE;
        case kMaskPage:
            return CTL_MASK_TYPE;
        default:
            return -1;
    }
}

bool ValidPage(int32_t page) {
    return page >= 0 && page < kEffectPageCount;
}

int32_t Value(int32_t n) {
    return GetControlValue(n);
}

int32_t CoordY(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record ? record->y : -1;
}

void Fire(int32_t n, int32_t event = EVENT_CLICKED, int32_t argument = 0) {
    FireControlEvent(n, event, argument);
}

void SetValueAndFire(int32_t n, int32_t value) {
    const int32_t previous = SetControlValue(n, value);
    Fire(n, EVENT_CLICKED, previous);
}

void RedrawCurve() {
    PumpDialogMessages();
    Fire(CTL_CURVE, EVENT_DRAW_ITEM);
}

// The page's selector items as values, without events.
void ShowPageItems(const EffectPage& page) {
    SetControlValue(page.selector, page.item);
    if (page.subSelector >= 0) SetControlValue(page.subSelector, page.subItem);
}

void NavigateAdvanced(int32_t page) {
    const EffectPage& row = gEffectPages[page];
    SetControlValue(CTL_MAIN_TAB, row.sheet);
    Fire(CTL_MAIN_TAB);
    SetControlValue(row.selector, row.item);
    Fire(row.selector);
    if (row.subSelector >= 0) SetControlValue(row.subSelector, row.subItem);
    if (Value(CTL_MAIN_TAB) == kSheetMain) RedrawCurve();
}

// In Advanced+ Mode a lifted page keeps the distances between its controls, starting under
// the effect list.
void LiftUnderList(const int32_t* controls, int32_t count, int32_t groupCount) {
    int32_t top = kNoControlsY;
    for (int32_t i = 0; i < groupCount; ++i)
        if (UsedControlRecord(controls[i])) top = std::min(top, CoordY(controls[i]));
    const int32_t listY = CoordY(CTL_EFFECT_LIST);
    for (int32_t i = 0; i < count; ++i)
        if (UsedControlRecord(controls[i]))
            SetControlPosition(controls[i], -1, listY - top + CoordY(controls[i]) + kRebaseGap, -1,
                               -1);
}

void ShiftSelectiveBoxes() {
    for (int32_t n = CTL_SELECT_COLOR_RED; n <= CTL_SELECT_COLOR_MARK; ++n)
        if (UsedControlRecord(n))
            SetControlPosition(n, -1, GetControlAltPosition(n, 1) + kSelectiveShift, -1, -1);
    for (int32_t n = CTL_SELECT_BRIGHTNESS; n <= CTL_SELECT_TOLERANCE; ++n)
        if (UsedControlRecord(n))
            SetControlPosition(n, -1, GetControlAltPosition(n, 1) + kSelectiveShift, -1, -1);
}

void NavigateAdvancedPlus(int32_t page, int32_t navigate) {
    RestorePageControls();
    if (navigate && Value(CTL_MAIN_TAB) == kSheetPresets) {
        SetControlValue(CTL_MAIN_TAB, kSheetFx1);
        Fire(CTL_MAIN_TAB);
    }
    if (!ValidPage(page)) return;
    const int32_t listIndex = MapListIndex(page, LIST_FROM_PAGE);
    if (Value(CTL_EFFECT_LIST) != listIndex) SetControlValue(CTL_EFFECT_LIST, listIndex);
    int32_t controls[kPresetGroupControlMax + kPageExtraMax];
    const int32_t count = PageControls(page, controls, int32_t(std::size(controls)));
    const EffectPage& row = gEffectPages[page];
    if (row.rebase) LiftUnderList(controls, count, kPresetGroups[page].count);
    if (page >= kSelectivePageFirst && page <= kSelectivePageLast) ShiftSelectiveBoxes();
    for (int32_t i = 0; i < count; ++i) SetControlTab(controls[i], CTL_MAIN_TAB, kSheetFx1);
    ShowPageItems(row);
    if (row.selector == CTL_MAIN_PAGES) {
        SelectCurrentCurve();
        RedrawCurve();
    }
    if (PageTypeCombo(page) >= 0) Fire(PageTypeCombo(page));
    UpdateToolButtonImages();
}
}  // namespace

void EffectPagesReset() {
    gCurrentCurve = 0;
    gPanelPage = -2;
}

int32_t MapListIndex(int32_t index, int32_t direction) {
    if (direction == LIST_FROM_PAGE) {
        if (index < kFirstSeparator) return index;
        return index <= kSecondSeparator - 2 ? index + 1 : index + 2;
    }
    if (index < kFirstSeparator) return index;
    return index <= kSecondSeparator ? index - 1 : index - 2;
}

int32_t PageControls(int32_t page, int32_t* controls, int32_t capacity) {
    if (!ValidPage(page)) return 0;
    int32_t count = 0;
    const PresetGroup& group = kPresetGroups[page];
    for (int32_t i = 0; i < group.count && count < capacity; ++i)
        controls[count++] = group.controls[i];
    const PageExtras& extras = gPageExtraControls[page];
    for (int32_t i = 0; i < extras.count && count < capacity; ++i)
        controls[count++] = extras.controls[i];
    return count;
}

int32_t PageOfControlValues(int32_t mode, int32_t control, const int32_t* values) {
    if (mode == kModeQuickEdit) {
        if (control == CTL_MAIN_PRESETS_MENU) return kCurvePageFirst;
        const int32_t item = values[CTL_SELECT_PAGES];
        return item >= 0 && item <= 2 ? kSelectivePageFirst + item : -1;
    }
    if (mode == kModeAdvanced) {
        const int32_t sheet = values[CTL_MAIN_TAB];
        if (sheet == kSheetPresets) return -1;
        for (int32_t page = 0; page < kEffectPageCount; ++page) {
            const EffectPage& row = gEffectPages[page];
            if (row.sheet != sheet || values[row.selector] != row.item) continue;
            if (row.subSelector < 0 || values[row.subSelector] == row.subItem) return page;
        }
        return -1;
    }
    if (mode == kModeAdvancedPlus) return MapListIndex(values[CTL_EFFECT_LIST], LIST_TO_PAGE);
    return -1;
}

int32_t PageOfEyedropperOption(int32_t option) {
    if (option == 15) return 19;
    if (option == 17 || option == 18 || option == 19 || option == 25) return kMaskPage;
    if (option >= 4 && option <= 13) return option + 3;
    return option;
}

int32_t PageOfCrossOption(int32_t option) {
    switch (option) {
        case 1:
            return 5;
        case 2:
            return 6;
        case 3:
            return 18;
        case 4:
            return 20;
        case 5:
        case 6:
            return kMaskPage;
        default:
            return option;
    }
}

int32_t PanelControlCount(int32_t page) {
    return ValidPage(page) ? std::min(gPanelControlCount[page], kPresetGroups[page].count) : 0;
}

// --- Glue ------------------------------------------------------------------------------------

int32_t PageOfControlEvent(int32_t mode, int32_t control) {
    return PageOfControlValues(mode, control, gContext.controlValues);
}

void SelectCurrentCurve() {
    const int32_t mode = Value(CTL_MODE);
    if (mode == kModeAdvanced) {
        const int32_t main = Value(CTL_MAIN_PAGES);
        if (main == 0) gCurrentCurve = 0;
        if (main == 1 && (Value(CTL_COLOR_PAGES) == 0 || Value(CTL_COLOR_PAGES) == 1))
            gCurrentCurve = 1 + Value(CTL_COLOR_PAGES);
        if (main == 2 && Value(CTL_RGB_PAGES) >= 0 && Value(CTL_RGB_PAGES) <= 2)
            gCurrentCurve = 3 + Value(CTL_RGB_PAGES);
        if (main == 3) gCurrentCurve = 6;
    } else if (mode == kModeAdvancedPlus) {
        const int32_t page = MapListIndex(Value(CTL_EFFECT_LIST), LIST_TO_PAGE);
        if (page >= kCurvePageFirst && page <= kCurvePageLast)
            gCurrentCurve = page - kCurvePageFirst;
    }
}

void RestorePageControls() {
    for (int32_t n = 0; n < kControlCount; ++n) {
        if (n == CTL_EFFECT_LIST || n == CTL_EFFECT_PREV || n == CTL_EFFECT_NEXT) continue;
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || record->tab != CTL_MAIN_TAB || record->sheet != kSheetFx1) continue;
        // The home sheet is the table's: the page moves never change where a control belongs.
        const ControlTableRow* row = ControlTableRowOf(n);
        if (!row || !(row->flags & ROW_HOME_SHEET)) continue;
        SetControlTab(n, row->tab, row->sheet);
        if (row->flags & ROW_ALT_POSITION)
            SetControlPosition(n, -1, GetControlAltPosition(n, 1), -1, -1);
    }
}

void GoToPage(int32_t page, int32_t navigate) {
    int32_t mode = Value(CTL_MODE);
    if (mode != kModeAdvanced && mode != kModeAdvancedPlus) {
        SetValueAndFire(CTL_MODE, kModeAdvancedPlus);
        mode = kModeAdvancedPlus;
    }
    if (mode == kModeAdvanced) {
        if (navigate && ValidPage(page)) NavigateAdvanced(page);
        return;
    }
    NavigateAdvancedPlus(page, navigate);
}

void PageFromTool() {
    const int32_t option = Value(CTL_TOOL_EYEDROPPER);
    const int32_t page = PageOfEyedropperOption(option);
    if (page == kMaskPage && Value(CTL_MASK_TYPE) != kMaskTonal)
        SetValueAndFire(CTL_MASK_TYPE, kMaskTonal);
    SelectCurrentCurve();
    GoToPage(page, 1);
}

void PageFromCrossTool() {
    const int32_t option = Value(CTL_TOOL_CROSS);
    GoToPage(PageOfCrossOption(option), 1);
    if (option >= 5) {
        SetValueAndFire(CTL_MASK_TYPE, option == 5 ? kMaskLinear : kMaskCircular);
        RunControlAction(kActionPreview);
    }
}

namespace {
// What "Disable" sets for a page: its effect's intensity (or switch) to the value that turns
// it off.
struct DisableRow {
    int32_t count;
    int32_t controls[8];
    int32_t value;
};
constexpr DisableRow kDisableRows[kEffectPageCount] = {
    {0, {}, 0},  // conversion: its method, see DisableConversion
    {4, {CTL_POLARIZER_SKY, CTL_POLARIZER_FOLIAGE, 286, 56}, 0},
    {1, {76}, 0},
    {1, {137}, 0},
    {1, {140}, 0},
    {1, {166}, 0},
    {2, {184, 185}, 0},
    {8, {142, 143, 144, 145, 146, 147, 148, 149}, 0},
    {8, {211, 212, 213, 214, 215, 216, 217, 218}, 0},
    {7, {111, 112, 113, 114, 115, 116, 117}, 0},
    {0, {}, 0},
    {1, {CTL_TONE_INTENSITY}, kCurveOff},
    {1, {CTL_TONING_INTENSITY}, kCurveOff},
    {1, {CTL_BICOLOR_INTENSITY}, kCurveOff},
    {1, {245}, kCurveOff},
    {1, {251}, kCurveOff},
    {1, {257}, kCurveOff},
    {0, {}, 0},
    {1, {CTL_DIFFUSION_INTENSITY}, 0},
    {1, {121}, 0},
    {1, {CTL_VIGNETTE_INTENSITY}, 0},
    {1, {CTL_PAPER_INTENSITY}, 0},
    {1, {CTL_GRAIN_INTENSITY}, 0},
    {1, {110}, 0},
    {0, {}, 0},
    {1, {CTL_MASK_TYPE}, 0},
    {5, {CTL_FADE_INTENSITY, 203, 204, 205, 241}, 0},
};
constexpr int32_t kConversionOff = 0;
constexpr int32_t kConversionHueStart = 75;
constexpr int32_t kFiredForDisable = -1;
constexpr int32_t kLastCurvePage = 6;  // pages 0..6 change what the curve panel shows

void DisableConversion() {
    SetControlValue(CTL_CONVERSION_METHOD, kConversionOff);
    Fire(CTL_CONVERSION_METHOD, EVENT_CLICKED, kFiredForDisable);
    SetControlValue(CTL_CONVERSION_HUE, kConversionHueStart);
    SetControlValue(232, 0);
    SetControlValue(233, 0);
}

// The selective pages also clear their column of the selective table.
void ClearSelectiveColumn(int32_t column) {
    for (int32_t row = 0; row < kSelectiveRows; ++row)
        PutArrayElement(ARRAY_SELECTIVE_TABLE, row, column, 0, 0);
}
}  // namespace

void DisableEffectGroup(int32_t page) {
    if (!ValidPage(page)) return;
    if (page == 0) DisableConversion();
    if (page >= kSelectivePageFirst && page <= kSelectivePageLast - 1)
        ClearSelectiveColumn(page - kSelectivePageFirst);
    const DisableRow& row = kDisableRows[page];
    for (int32_t i = 0; i < row.count; ++i) SetControlValue(row.controls[i], row.value);
    if (page <= kLastCurvePage && Value(CTL_MAIN_TAB) == kSheetMain)
        Fire(CTL_CURVE, EVENT_DRAW_ITEM);
    RunControlAction(kActionPreview);
}
