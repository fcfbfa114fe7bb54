// Reactions of the effect dialog to its settings controls: the table that routes an event to
// its reaction, the value-change order, and the control operations the reactions share.

#include "effect/settings_reactions.h"

#include <cstring>
#include <iterator>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_texts.h"
#include "dialog/curve_widget.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/settings_reaction_parts.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "render/session_state.h"

namespace {
// One routed event: controls first..last, one event code, the reaction.
struct ReactionRow {
    int32_t first, last;
    int32_t event;
    ReactionProc react;
};

int32_t DrawToneZones(const ReactionEvent&) {
    FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
    return 0;
}

// The curve panel edits the current curve with the mouse, but not while a list that drops
// over it is open: the click belongs to the list.
int32_t EditCurve(const ReactionEvent& event) {
    if (IsComboDroppedDown(CTL_EFFECT_LIST) || IsComboDroppedDown(CTL_MODE)) return 0;
    EditCurveWithMouse(CTL_CURVE, event.event, ARRAY_CURVES, gCurrentCurve,
                       gSession.curvePointCount, &gSession.curveSelectedPoint, gSession.curveMax,
                       ValueOf(CTL_INSTANT_PREVIEW), CTL_CURVE_POINT_TEXT);
    return 0;
}

const ReactionRow kReactions[] = {
    // Clicks.
    {CTL_TONE_OPTION, CTL_TONE_OPTION, EVENT_CLICKED, ReactToLinkOption},
    {CTL_TONING_OPTION, CTL_TONING_OPTION, EVENT_CLICKED, ReactToLinkOption},
    {CTL_BICOLOR_OPTION, CTL_BICOLOR_OPTION, EVENT_CLICKED, ReactToLinkOption},
    {CTL_RED_OPTION, CTL_RED_OPTION, EVENT_CLICKED, ReactToLinkOption},
    {CTL_GREEN_OPTION, CTL_GREEN_OPTION, EVENT_CLICKED, ReactToLinkOption},
    {CTL_BLUE_OPTION, CTL_BLUE_OPTION, EVENT_CLICKED, ReactToLinkOption},
    {CTL_SELECT_COLOR_RED, CTL_SELECT_COLOR_GRAY, EVENT_CLICKED, ReactToColorBox},
    {CTL_MORE_COLOR_FILM, CTL_MORE_FRAME, EVENT_CLICKED, ReactToMoreText},
    {CTL_ZOOM_FIT, CTL_ZOOM_100, EVENT_CLICKED, ReactToZoomShortcut},
    {CTL_ZOOM, CTL_ZOOM, EVENT_CLICKED, ReactToZoom},
    {CTL_ZOOM_OUT, CTL_ZOOM_IN, EVENT_CLICKED, ReactToZoom},
    {CTL_SPLIT_MULTI, CTL_SPLIT_MULTI, EVENT_CLICKED, ReactToSplitMulti},
    {CTL_SPLIT_VIEW, CTL_SPLIT_VIEW, EVENT_CLICKED, ReactToSplitView},
    {CTL_GRAIN_RANDOMIZE, CTL_GRAIN_RANDOMIZE, EVENT_CLICKED, ReactToRandomButton},
    {CTL_AGING_RANDOMIZE, CTL_AGING_RANDOMIZE, EVENT_CLICKED, ReactToRandomButton},
    {CTL_FRAME_RANDOMIZE, CTL_FRAME_RANDOMIZE, EVENT_CLICKED, ReactToRandomButton},
    {CTL_BRUSH_CLEAR, CTL_BRUSH_CLEAR, EVENT_CLICKED, ReactToBrushButton},
    {CTL_BRUSH_APPLY, CTL_BRUSH_REMOVE, EVENT_CLICKED, ReactToBrushButton},
    {CTL_RESET, CTL_RESET, EVENT_CLICKED, ReactToReset},
    {CTL_MANUAL, CTL_MANUAL, EVENT_CLICKED, ReactToManual},
    {CTL_MODE, CTL_MODE, EVENT_CLICKED, ReactToMode},
    {CTL_EFFECT_LIST, CTL_EFFECT_LIST, EVENT_CLICKED, ReactToEffectList},
    {CTL_EFFECT_PREV, CTL_EFFECT_NEXT, EVENT_CLICKED, ReactToEffectStep},
    {CTL_TONE_ZONES, CTL_TONE_ZONES, EVENT_CLICKED, DrawToneZones},
    {CTL_PRESET_COLLAPSE_ALL, CTL_PRESET_COLLAPSE_ALL, EVENT_CLICKED, ToggleAllPresetGroups},
    {CTL_PRESET_LIST, CTL_PRESET_LIST, EVENT_CLICKED, ChooseListPreset},
    {CTL_PRESET_GROUP_FILTER, CTL_PRESET_GROUP_FILTER, EVENT_CLICKED, ChooseCategory},
    {CTL_BUILTIN_COLOR_FILM, CTL_BUILTIN_FRAME, EVENT_CLICKED, ChooseBuiltinCombo},
    {CTL_MAIN_PRESETS_MENU, CTL_FX2_PRESETS_MENU, EVENT_CLICKED, OpenSheetPresetsMenu},
    {CTL_PREVIEW_TAB, CTL_PREVIEW_TAB, EVENT_CLICKED, ReactToSettingsSetTab},
    {CTL_UNDO, CTL_REDO, EVENT_CLICKED, ReactToUndoButton},
    // Context menus.
    {CTL_PREVIEW_TAB, CTL_PREVIEW_TAB, EVENT_CONTEXT_MENU, CopySettingsToPreview},
    {CTL_PRESET_LIST, CTL_PRESET_LIST, EVENT_CONTEXT_MENU, ShowGroupsInUseMenu},
    // Pointer events other than clicks.
    {CTL_MORE_COLOR_FILM, CTL_MORE_FRAME, EVENT_MOUSE_ENTER, HighlightMoreText},
    {CTL_MORE_COLOR_FILM, CTL_MORE_FRAME, EVENT_MOUSE_LEAVE, HighlightMoreText},
    {CTL_PRESET_LIST, CTL_PRESET_LIST, EVENT_MOUSE_ENTER, FocusPresetList},
    {CTL_HUE_RANGE, CTL_HUE_RANGE, EVENT_MOUSE_MOVE, DragHueRange},
    {CTL_CURVE, CTL_CURVE, EVENT_MOUSE_ENTER, EditCurve},
    {CTL_CURVE, CTL_CURVE, EVENT_MOUSE_LEAVE, EditCurve},
    {CTL_CURVE, CTL_CURVE, EVENT_MOUSE_MOVE, EditCurve},
    {CTL_CURVE, CTL_CURVE, EVENT_CLICKED, EditCurve},
};

// The colour buttons whose click picks a colour.
constexpr int32_t kColorButtons[] = {
    CTL_MASK_COLOR,  CTL_FRAME_COLOR_1,    CTL_FRAME_COLOR_2,       CTL_VIGNETTE_COLOR,
    CTL_GLOW_COLOR,  CTL_BICOLOR_SWATCH_1, CTL_TONING_COLOR_SWATCH, CTL_BICOLOR_SWATCH_2,
    CTL_AGING_COLOR, CTL_BRUSH_COLOR};

bool IsColorButton(int32_t n) {
    for (int32_t button : kColorButtons)
        if (button == n) return true;
    return false;
}

// Value changes in their order: the frame seed typed, the linked sliders, the selective
// sliders; any other control recolours the conversion's hue swatch.
int32_t MoveOffSeparator(int32_t n, int32_t value, int32_t previous, bool separator) {
    const int32_t next = ItemPastSeparator(value, previous, separator);
    if (next != value) SetControlValue(n, next);
    return ValueOf(n);
}

int32_t ReactToValueChange(int32_t n) {
    if (n == CTL_FRAME_SEED) return ReactToFrameSeedTyped();
    if (FollowLinkedSlider(n)) return 0;
    if (StoreSelectiveSlider(n)) return 0;
    if (ValueOf(CTL_CONVERSION_METHOD) == 0) RecolorConversionHueStrip();
    return 0;
}
}  // namespace

// --- Pure ----------------------------------------------------------------------------------------

int32_t ItemPastSeparator(int32_t value, int32_t previous, bool isSeparator) {
    if (!isSeparator) return value;
    return previous == value + 1 ? value - 1 : value + 1;
}

// --- Shared control operations -------------------------------------------------------------------

void SetSettingValue(int32_t n, int32_t value) {
    if (UsedControlRecord(n))
        SetControlValue(n, value);
    else
        StoreControlValue(n, value);
}

void ShowControl(int32_t n) {
    SetControlState(n, -1);
}

void HideControl(int32_t n) {
    SetControlState(n, 0);
}

void ShowControlIf(int32_t n, bool shown) {
    SetControlState(n, shown ? -1 : 0);
}

int32_t ControlY(int32_t n) {
    return GetControlCoord(n, 1);
}

void MoveControlToY(int32_t n, int32_t y) {
    SetControlPosition(n, -1, y, -1, -1);
}

void MoveControlByY(int32_t n, int32_t dy) {
    MoveControlToY(n, ControlY(n) + dy);
}

void SetControlHeightUnits(int32_t n, int32_t height) {
    SetControlPosition(n, -1, -1, -1, height);
}

const char* ShortText(int32_t k) {
    return GetArrayString(ARRAY_SHORT_TEXTS, k);
}

void SetLabelToShortText(int32_t n, int32_t shortText) {
    const int32_t controlClass = GetControlClass(n);
    if (controlClass == CONTROL_COMBOBOX || controlClass == CONTROL_VALUELIST)
        SetControlLabel(n, ShortText(shortText));
    else
        SetControlText(n, ShortText(shortText));
}

int32_t FireClick(int32_t n) {
    return FireControlEvent(n, EVENT_CLICKED, 0);
}

void RepaintByHiding(int32_t n) {
    HideControl(n);
    ShowControl(n);
}

bool IsDashItem(int32_t n, int32_t index) {
    char text[256] = "";
    return GetControlItemText(n, index, text, sizeof text) && strstr(text, "---");
}

int32_t SkipSeparatorItems(int32_t n, int32_t previous, const int32_t* separators, int32_t count) {
    const int32_t value = ValueOf(n);
    bool separator = false;
    for (int32_t i = 0; i < count; ++i) separator = separator || separators[i] == value;
    return MoveOffSeparator(n, value, previous, separator);
}

int32_t SkipDashItems(int32_t n, int32_t previous) {
    const int32_t value = ValueOf(n);
    return MoveOffSeparator(n, value, previous, IsDashItem(n, value));
}

// --- The routing ---------------------------------------------------------------------------------

int32_t ReactToSettingsControl(EffectContext*, int32_t control, int32_t event, int32_t previous) {
    const ReactionEvent reaction = {control, event, previous};
    if (event == EVENT_VALUE_CHANGED) return ReactToValueChange(control);
    if (event == EVENT_USER && control == kColorBoxMarkEvent) return MoveColorBoxMark(reaction);
    if (event == EVENT_CLICKED && IsTypeCombo(control)) return ReactToTypeCombo(reaction);
    if (event == EVENT_CLICKED && IsColorButton(control)) return ReactToColorButton(reaction);
    for (const ReactionRow& row : kReactions)
        if (row.event == event && control >= row.first && control <= row.last)
            return row.react(reaction);
    return 0;
}
