// The reactions behind ReactToSettingsControl, one group per file, and the small control
// operations they share (defined in effect/settings_reactions.cpp).
#pragma once

#include <cstdint>

#include "effect/control_values.h"

// The event a reaction answers: the control, the event code and the previous value.
struct ReactionEvent {
    int32_t control;
    int32_t event;
    int32_t previous;
};
// A reaction; its result is the handler's (1 handled, 0 the control's action code runs).
using ReactionProc = int32_t (*)(const ReactionEvent& event);

// --- Shared control operations -----------------------------------------------------------------
// Sets a value; controls the dialog never creates keep only their working value.
void SetSettingValue(int32_t n, int32_t value);
void ShowControl(int32_t n);
void HideControl(int32_t n);
void ShowControlIf(int32_t n, bool shown);
void MoveControlToY(int32_t n, int32_t y);
void MoveControlByY(int32_t n, int32_t dy);
void SetControlHeightUnits(int32_t n, int32_t height);
int32_t ControlY(int32_t n);
// Row k of the short language texts.
const char* ShortText(int32_t k);
// The label beside a control: the caption of a slider or check box, the label of a combo box.
void SetLabelToShortText(int32_t n, int32_t shortText);
// EVENT_CLICKED with previous 0, as the handler fires its own controls.
int32_t FireClick(int32_t n);
// Hides and shows control n so that its window paints anew.
void RepaintByHiding(int32_t n);

// Pure: the item a combo box moves to when the chosen item v is a separator: v - 1 when the
// user came from the item below (previous v + 1), else v + 1; v itself when it is no separator.
int32_t ItemPastSeparator(int32_t value, int32_t previous, bool isSeparator);
// Moves combo n off a separator item (one of the listed items); returns its value then.
int32_t SkipSeparatorItems(int32_t n, int32_t previous, const int32_t* separators, int32_t count);
// The same for lists whose separators are the items whose text holds "---".
int32_t SkipDashItems(int32_t n, int32_t previous);
// Whether item index of combo n is a line of dashes.
bool IsDashItem(int32_t n, int32_t index);

// --- Linked shadow/highlight sliders (effect/linked_sliders.cpp) --------------------------------
// Value change of a linked slider: 1 when n is one of them (handled here), else 0.
bool FollowLinkedSlider(int32_t n);
int32_t ReactToLinkOption(const ReactionEvent& event);

// --- Selective colours (effect/selective_colors.cpp) -------------------------------------------
// The number of the user event that moves the mark over the chosen colour box (raised here
// and by the settings sets).
constexpr int32_t kColorBoxMarkEvent = 9;
bool StoreSelectiveSlider(int32_t n);
int32_t ReactToColorBox(const ReactionEvent& event);
int32_t MoveColorBoxMark(const ReactionEvent& event);
int32_t DragHueRange(const ReactionEvent& event);
void RecolorConversionHueStrip();
void RedrawHueRange();

// --- Type combo boxes (effect/type_combo_layouts.cpp) ------------------------------------------
int32_t ReactToTypeCombo(const ReactionEvent& event);
bool IsTypeCombo(int32_t n);

// --- The mode combo box (effect/mode_layout.cpp) ----------------------------------------------
int32_t ReactToMode(const ReactionEvent& event);

// --- Preview view: zoom and split (effect/view_reactions.cpp) ----------------------------------
int32_t ReactToZoomShortcut(const ReactionEvent& event);
int32_t ReactToZoom(const ReactionEvent& event);
int32_t ReactToSplitMulti(const ReactionEvent& event);
int32_t ReactToSplitView(const ReactionEvent& event);

// --- Colour buttons (effect/color_buttons.cpp) --------------------------------------------------
int32_t ReactToColorButton(const ReactionEvent& event);

// --- Command buttons: seeds, brush strokes, reset, manual (effect/command_buttons.cpp) -------
int32_t ReactToRandomButton(const ReactionEvent& event);
int32_t ReactToBrushButton(const ReactionEvent& event);
int32_t ReactToReset(const ReactionEvent& event);
int32_t ReactToManual(const ReactionEvent& event);
int32_t ReactToFrameSeedTyped();

// --- Page links: "More..." texts, the effect list and its steps (effect/page_links.cpp) ------
int32_t ReactToMoreText(const ReactionEvent& event);
int32_t HighlightMoreText(const ReactionEvent& event);
int32_t ReactToEffectList(const ReactionEvent& event);
int32_t ReactToEffectStep(const ReactionEvent& event);

// --- Preset list and settings sets (effect/preset_reactions.cpp) -------------------------------
int32_t CopySettingsToPreview(const ReactionEvent& event);
int32_t ToggleAllPresetGroups(const ReactionEvent& event);
int32_t FocusPresetList(const ReactionEvent& event);
int32_t ChooseListPreset(const ReactionEvent& event);
int32_t ChooseCategory(const ReactionEvent& event);
int32_t ChooseBuiltinCombo(const ReactionEvent& event);
int32_t OpenSheetPresetsMenu(const ReactionEvent& event);
int32_t ShowGroupsInUseMenu(const ReactionEvent& event);
// --- Settings sets and undo (effect/settings_sets.cpp, effect/undo_history.cpp) --------------
int32_t ReactToSettingsSetTab(const ReactionEvent& event);
int32_t ReactToUndoButton(const ReactionEvent& event);

// The items of combo n above item that are lines of dashes.
int32_t CountDashItemsAbove(int32_t n, int32_t item);
// Row `from` of a settings-row array copied over row `to`, its stored marker included.
void CopySettingsRow(int32_t array, int32_t from, int32_t to);
