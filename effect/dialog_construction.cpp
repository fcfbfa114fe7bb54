// The effect dialog's construction: every control of the control table created and set up in
// table order, then the settings that depend on the computer (visual styles, processors).

#include "effect/dialog_construction.h"

#include <windows.h>

#include <cstring>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/font_slots.h"
#include "dialog/tab_sheet_paint.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/effect_pages.h"
#include "effect/settings_dialog_calls.h"
#include "effect/tool_buttons.h"
#include "host/effect_context.h"
#include "host/start_timing.h"
#include "host/text_format.h"
#include "host/worker_threads.h"

namespace {
constexpr const char* kFilterTitle = "Greyloom 2.0";
constexpr const char* kSymbolFace = "WebDings";  // font slot 0: the reset menu's arrow glyph
constexpr int32_t kSymbolFontHeight = 16;
constexpr int32_t kSymbolFontSlot = 0;
constexpr int32_t kSliderValueBoxWidth = 18;  // dialog units
constexpr int32_t kSliderValueBoxHeight = 9;
constexpr int32_t kUnthemedSliderHeight = 7;
constexpr int32_t kValueListWidening = 2;
constexpr int32_t kWindowsVista = 11;  // GetWindowsVersion code
constexpr int32_t kStateVisibleOnly = CTLSTATE_VISIBLE;
constexpr int32_t kStateDefault = -1;
// The tool buttons take the plain menu-button image when visual styles are off; 165 is named
// with them but never created, and the call for it changes nothing.
constexpr int32_t kMenuButtons[] = {CTL_PRESET_MENU,
                                    CTL_MAIN_PRESETS_MENU,
                                    CTL_SELECT_PRESETS_MENU,
                                    CTL_MASK_PRESETS_MENU,
                                    CTL_FX1_PRESETS_MENU,
                                    CTL_FX2_PRESETS_MENU,
                                    165};
constexpr const char* kPlainMenuButtonImage = "buttonmenu_simple2.bmp";
constexpr int32_t kImageOption = 66;
constexpr int32_t kTileBufferSettingFirst = 4;  // framework settings 4..7 ask for tile buffers

// Visual styles in force on Vista or later: the controls keep the look the table gives them.
bool ModernLook() {
    return IsVisualStyleActive() && GetWindowsVersion() >= kWindowsVista;
}

// The state a control is created with: the table's, except for the controls whose state
// depends on the computer.
int32_t CreationState(const ControlTableRow& row) {
    if (row.flags & ROW_HIDDEN) return 0;
    if (row.number == CTL_PRESET_COLLAPSE_ALL && !ModernLook()) return 0;
    if (row.number == CTL_MULTI_CPU_OFF && GetProcessorCount() <= 1) return kStateVisibleOnly;
    return kStateDefault;
}

struct Place {
    int32_t x, y, width, height;
};

// Whole dialog units that give at least the pixels: a panel drawn at a fixed pixel size must
// never be cut, and the layout keeps places in dialog units.
int32_t UnitsCoveringX(int32_t pixels) {
    int32_t units = PixelsToDialogUnitsX(pixels);
    if (DialogUnitsToPixelsX(units) < pixels) ++units;
    return units;
}

int32_t UnitsCoveringY(int32_t pixels) {
    int32_t units = PixelsToDialogUnitsY(pixels);
    if (DialogUnitsToPixelsY(units) < pixels) ++units;
    return units;
}

// The row's place in dialog units; a size given in pixels is converted with the dialog's font.
Place PlaceOf(const ControlTableRow& row) {
    Place place = {row.x, row.y, row.width, row.height};
    if (!IsVisualStyleActive()) {
        if (row.unthemedY >= 0) place.y = row.unthemedY;
        if (row.unthemedHeight >= 0) place.height = row.unthemedHeight;
    }
    if (row.flags & ROW_PIXEL_SIZE)
        place = {place.x, place.y, UnitsCoveringX(place.width), UnitsCoveringY(place.height)};
    return place;
}

int32_t StartValue(const ControlTableRow& row) {
    return (row.flags & ROW_VALUE_SYSCOLOR) ? int32_t(GetSysColor(row.value)) : row.value;
}

int32_t BackgroundOf(const ControlTableRow& row) {
    switch (row.backgroundKind) {
        case BACKGROUND_COLOR:
            return row.background;
        case BACKGROUND_VALUE:
            return StartValue(row);
        case BACKGROUND_SYSCOLOR:
            return int32_t(GetSysColor(row.background));
        case BACKGROUND_TAB:
            return GetControlColor(row.background);
        default:
            return -1;
    }
}

// The template's own windows: placed, given their properties, anchors and state.
void ConfigureTemplateWindow(const ControlTableRow& row) {
    const Place place = PlaceOf(row);
    if (place.x >= 0) SetControlPosition(row.number, place.x, place.y, place.width, place.height);
    if (row.properties) SetControlProperties(row.number, row.properties);
    if (row.anchor) SetControlAnchor(row.number, row.anchor);
    if (row.flags & ROW_HIDDEN) SetControlState(row.number, 0);
    if (row.flags & ROW_NOT_SCRIPTED) SetControlScripted(row.number, 0);
}

void ApplyValues(const ControlTableRow& row) {
    const int32_t n = row.number;
    if (row.label) SetControlLabel(n, row.label);
    if (row.flags & ROW_RANGED) SetControlRange(n, row.minValue, row.maxValue);
    if (row.divisor != 1) SetControlDivisor(n, row.divisor);
    if (row.gamma != 100) SetControlGamma(n, row.gamma);
    if (row.controlClass == CONTROL_SLIDER)
        SetControlEditSize(n, row.editWidth > 0 ? row.editWidth : kSliderValueBoxWidth,
                           kSliderValueBoxHeight);
    if (row.flags & ROW_VALUE) SetControlValue(n, StartValue(row));
    if (row.defaultValue != kNoDefault) SetControlDefault(n, row.defaultValue);
}

void ApplySheet(const ControlTableRow& row) {
    const int32_t n = row.number;
    if (row.tab < 0) return;
    SetControlTab(n, row.tab, row.sheet);
    if (row.flags & ROW_ALT_POSITION) SetControlAltPosition(n, row.x, row.y, -1, -1);
    if (row.altWidth >= 0) SetControlAltPosition(n, -1, -1, row.altWidth, row.altHeight);
}

void ApplyLook(const ControlTableRow& row) {
    const int32_t n = row.number;
    const int32_t background = BackgroundOf(row);
    if (row.backgroundKind != BACKGROUND_NONE) SetControlColor(n, background);
    if (row.image) SetControlImage(n, row.image, row.imageOption);
}

void ApplyBehaviour(const ControlTableRow& row) {
    const int32_t n = row.number;
    if (row.action >= 0) SetControlAction(n, row.action);
    if (row.anchor != ANCHOR_RIGHT) SetControlAnchor(n, row.anchor);
    if (row.flags & ROW_NOT_SCRIPTED) SetControlScripted(n, 0);
}

// Without the modern look, sliders are a unit lower and value lists trade their border for
// an edge that matches the dialog's look. Made so from the start: moved afterwards, every one
// of them would cost the system a pass over the dialog's many siblings.
Place ClassicPlace(const ControlTableRow& row, Place place) {
    if (ModernLook()) return place;
    if (row.controlClass == CONTROL_SLIDER) place.height = kUnthemedSliderHeight;
    if (row.controlClass == CONTROL_VALUELIST) {
        const int32_t width = place.width >= 0
                                  ? place.width
                                  : DefaultControlSize(row.number, row.controlClass, row.style).cx;
        place.width = width + kValueListWidening;
    }
    return place;
}

void BuildControl(const ControlTableRow& row) {
    gControlEventContext.control = row.number;
    if (row.flags & ROW_PSEUDO) return ConfigureTemplateWindow(row);
    const Place place = ClassicPlace(row, PlaceOf(row));
    {
        StartTimingSection timing("build", "create control");
        if (!CreateControl(row.number, row.controlClass, row.text, place.x, place.y, place.width,
                           place.height, row.style, row.exStyle, row.properties,
                           CreationState(row)))
            return;
    }
    {
        StartTimingSection timing("build", "values");
        ApplyValues(row);
    }
    {
        StartTimingSection timing("build", "sheet");
        ApplySheet(row);
    }
    {
        StartTimingSection timing("build", "look");
        ApplyLook(row);
    }
    StartTimingSection timing("build", "behaviour");
    ApplyBehaviour(row);
}

}  // namespace

int32_t BuildEffectDialog(EffectContext* context) {
    CreateFontSlot(kSymbolFontSlot, kSymbolFontHeight, 0, 0, kSymbolFace);
    CopyText(context->escapeStrings[kEscapeSlotTitle], kEscapeStringBytes, kFilterTitle);
    for (int32_t setting = kTileBufferSettingFirst; setting < kTileBufferSettingFirst + 4;
         ++setting)
        context->frameworkSettings[setting - 1] = 0;
    SetDialogTheming(1);
    SetDialogPosition(0, -1, -1, -1, -1);
    AddDialogStyle(WS_MAXIMIZEBOX);
    for (int32_t i = 0; i < kControlTableSize; ++i) BuildControl(kControlTable[i]);
    for (int32_t tab : {CTL_MAIN_TAB, CTL_SIDE_TAB}) KeepSheetControlsPainted(tab);
    if (!IsVisualStyleActive())
        for (int32_t n : kMenuButtons) SetControlImage(n, kPlainMenuButtonImage, kImageOption);
    SettingsDialogCalls calls = gSettingsDialogCalls;
    calls.resetAllControls = ResetAllControls;
    calls.selectCurrentCurve = SelectCurrentCurve;
    calls.updateToolButtonImages = UpdateToolButtonImages;
    calls.goToPage = GoToPage;
    SettingsDialogCallsConnect(calls);
    return 1;
}
