// The effect dialog's keyboard map: tools, zoom, undo, brush size and hardness, the mask view
// and the preset list's next category, by virtual key.

#include "effect/keyboard_map.h"

#include <windows.h>

#include <cstring>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/dialog_input.h"
#include "dialog/filter_dialog.h"
#include "dialog/preview_window.h"
#include "effect/builtin_presets.h"
#include "effect/control_event_handler.h"
#include "effect/control_ids.h"
#include "effect/preset_lists.h"
#include "effect/preview_tool_state.h"
#include "effect/tool_buttons.h"
#include "host/effect_context.h"

namespace {

constexpr char kGermanLayout[] = "00000407";
constexpr char kGermanSmallerKey = char(0xF6);  // the o-umlaut key in the Latin-1 code page

bool IsLetter(int32_t key) {
    return key >= 'A' && key <= 'Z';
}

// The reaction of a key that needs a condition: the row matched, so without the condition
// the key is passed on.
KeyReaction When(bool condition, KeyReaction reaction) {
    return condition ? reaction : KEY_PASS;
}

KeyReaction LetterReaction(const KeyboardSnapshot& k) {
    switch (k.key) {
        case 'Z':
            return When(k.ctrlHeld, KEY_UNDO);
        case 'Y':
            return When(k.ctrlHeld, KEY_REDO);
        case 'H':
            return KEY_HAND;
        case 'I':
            return KEY_EYEDROPPER;
        case 'V':
            return KEY_CROSS;
        case 'E':
            return KEY_ERASER;
        case 'B':
            return KEY_BRUSH;
        case 'X':
            return KEY_SWAP_BRUSH;
        case 'S':
            return k.splitViewOn && k.currentTool == TOOL_SPLIT_DRAG ? KEY_SPLIT_OFF
                                                                     : KEY_SPLIT_TOOL;
        case 'R':
            return KEY_RESET;
        case 'P':
            return KEY_PREVIEW_TOGGLE;
        case 'M':
            return k.maskShown ? KEY_MASK_HIDE : KEY_MASK_SHOW;
        case 'N':
            return When(k.presetListFocused, KEY_FIRST_PRESET);
    }
    return KEY_PASS;
}

KeyReaction BrushKeyReaction(const KeyboardSnapshot& k) {
    if (k.key == k.brushSmallerKey) return k.shiftHeld ? KEY_HARDNESS_DOWN : KEY_SIZE_DOWN;
    if (k.key == k.brushLargerKey) return k.shiftHeld ? KEY_HARDNESS_UP : KEY_SIZE_UP;
    return KEY_PASS;
}

// --- Reactions ---------------------------------------------------------------------------

int32_t Fire(int32_t control) {
    FireControlEvent(control, EVENT_CLICKED, 0);
    return 1;
}

// A click as the button's own would be: the preview renders unless the reaction handled it all.
int32_t ClickButton(int32_t control) {
    if (FireControlEvent(control, EVENT_CLICKED, 0) == 0) RunControlAction(ACTION_PREVIEW);
    return 1;
}

int32_t FireAndRender(int32_t control) {
    FireControlEvent(control, EVENT_CLICKED, 0);
    RunControlAction(ACTION_PREVIEW);
    return 1;
}

int32_t SetAndRender(int32_t control, int32_t value) {
    SetControlValue(control, value);
    RunControlAction(ACTION_PREVIEW);
    return 1;
}

int32_t SelectBrushOption(int32_t option) {
    SetControlValue(CTL_TOOL_BRUSH, option);
    return Fire(CTL_TOOL_BRUSH);
}

int32_t StepBrushSize(int32_t step) {
    SetControlValue(CTL_BRUSH_SIZE, ValueOf(CTL_BRUSH_SIZE) + step);
    FireControlEvent(CTL_BRUSH_SIZE, EVENT_VALUE_CHANGED, 0);
    return 1;
}

int32_t SetMaskView(int32_t value) {
    SetControlValue(CTL_MASK_OPTION, value);
    SetControlValue(CTL_MASK_SHOW, value);
    RunControlAction(ACTION_PREVIEW);
    return 1;
}

// The preset list jumps to the first entry of the shown category: item 0 under a category
// filter; under "Show All" the heading of the selected preset's category, after the own
// presets.
int32_t FirstPresetItem() {
    if (ValueOf(CTL_PRESET_GROUP_FILTER) > 0) return 0;
    // An own preset (or none) has no category of the built-in table: the list's top.
    const int32_t category = CategoryOfPreset(SelectedPreset());
    if (category < 0) return 0;
    return gOwnPresetCount + gCategoryStart[category];
}

int32_t JumpToFirstPreset() {
    const int32_t item = FirstPresetItem();
    SetControlValue(CTL_PRESET_LIST, item);
    ScrollToControlItem(CTL_PRESET_LIST, item);
    return FireAndRender(CTL_PRESET_LIST);
}

using KeyReactionProc = int32_t (*)();
constexpr KeyReactionProc kKeyReactions[KEY_REACTION_COUNT] = {
    [] { return 0; },
    [] { return Fire(CTL_ZOOM_IN); },
    [] { return Fire(CTL_ZOOM_OUT); },
    [] { return ClickButton(CTL_UNDO); },
    [] { return ClickButton(CTL_REDO); },
    [] { return Fire(CTL_TOOL_HAND); },
    [] { return Fire(CTL_TOOL_EYEDROPPER); },
    [] { return Fire(CTL_TOOL_CROSS); },
    [] { return SelectBrushOption(1); },
    [] { return SelectBrushOption(2); },
    [] { return SelectBrushOption(ValueOf(CTL_TOOL_BRUSH) == 1 ? 2 : 1); },
    [] {
        SetControlValue(CTL_SPLIT_VIEW, 0);
        FireControlEvent(CTL_SPLIT_VIEW, EVENT_CLICKED, -1);
        RunControlAction(ACTION_PREVIEW);
        return 1;
    },
    [] { return FireAndRender(CTL_TOOL_SPLIT_DRAG); },
    [] { return FireAndRender(CTL_RESET); },
    [] { return SetAndRender(CTL_PREVIEW_ON, ValueOf(CTL_PREVIEW_ON) ? 0 : 1); },
    [] { return SetMaskView(0); },
    [] { return SetMaskView(-1); },
    [] { return JumpToFirstPreset(); },
    [] {
        FireControlEvent(CTL_CURVE, EVENT_MOUSE_MOVE, 0);
        return 1;
    },
    [] {
        SetControlValue(CTL_BRUSH_HARDNESS, ValueOf(CTL_BRUSH_HARDNESS) - 1);
        return 1;
    },
    [] {
        SetControlValue(CTL_BRUSH_HARDNESS, ValueOf(CTL_BRUSH_HARDNESS) + 1);
        return 1;
    },
    [] { return StepBrushSize(-1); },
    [] { return StepBrushSize(1); },
};

bool CursorOverCurvePanel() {
    return GetMousePosOverControl(CTL_CURVE, 0) >= 0 && GetMousePosOverControl(CTL_CURVE, 1) >= 0;
}

KeyboardSnapshot TakeKeyboardSnapshot(int32_t key) {
    char layout[KL_NAMELENGTH] = "";
    GetKeyboardLayoutNameA(layout);
    const BrushKeyCharacters brushKeys = BrushKeysForLayout(layout);
    KeyboardSnapshot k = {};
    k.key = key;
    // Held means the key's high bit, from the asynchronous or the thread's own state.
    k.ctrlHeld = IsKeyHeld(VK_CONTROL);
    k.shiftHeld = IsKeyHeld(VK_SHIFT);
    k.altOrCtrlState = k.ctrlHeld || IsKeyHeld(VK_MENU);
    const int32_t focused = GetFocusedControl();
    k.presetListFocused = focused == CTL_PRESET_LIST;
    k.cursorOverPreview = GetMousePosOverControl(CTL_PREVIEW, 0) >= 0;
    k.splitViewOn = ValueOf(CTL_SPLIT_VIEW) != 0;
    k.currentTool = gCurrentTool;
    k.maskShown = ValueOf(CTL_MASK_SHOW) != 0 && ValueOf(CTL_MASK_OPTION) != 0;
    k.mainSheetShown = ValueOf(CTL_MAIN_TAB) == 3;
    k.curveTargeted = focused == CTL_CURVE || CursorOverCurvePanel();
    k.brushSmallerKey = int32_t(uint16_t(VkKeyScanA(brushKeys.smaller)));
    k.brushLargerKey = int32_t(uint16_t(VkKeyScanA(brushKeys.larger)));
    return k;
}

}  // namespace

KeyReaction KeyboardReactionFor(const KeyboardSnapshot& k) {
    if (IsLetter(k.key) && k.key != 'N' && !k.altOrCtrlState && k.presetListFocused)
        return KEY_PASS;  // the list's own type-ahead
    if (k.key == VK_ADD) return When(k.ctrlHeld, KEY_ZOOM_IN);
    if (k.key == VK_SUBTRACT) return When(k.ctrlHeld, KEY_ZOOM_OUT);
    if (k.key == VK_SPACE) return When(k.cursorOverPreview, KEY_HAND);
    if (IsLetter(k.key)) {
        const KeyReaction letter = LetterReaction(k);
        if (letter != KEY_PASS || k.key == 'Z' || k.key == 'Y' || k.key == 'N') return letter;
    }
    if (k.key == VK_DELETE || k.key == VK_BACK)
        return When(k.mainSheetShown && k.curveTargeted, KEY_DELETE_CURVE_POINT);
    return BrushKeyReaction(k);
}

BrushKeyCharacters BrushKeysForLayout(const char* layoutName) {
    if (layoutName && strcmp(layoutName, kGermanLayout) == 0) return {kGermanSmallerKey, '#'};
    return {'[', ']'};
}

int32_t HandleKeyDown(int32_t key) {
    const KeyReaction reaction = KeyboardReactionFor(TakeKeyboardSnapshot(key));
    return kKeyReactions[reaction]();
}
