// The frame of the effect's control-event handler: the curve panel's redraw for the sliders
// that shape the curves, then the order in which an event is tested and handed to its part.

#include "effect/control_event_handler.h"

#include <algorithm>
#include <iterator>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "effect/settings_reactions.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

namespace {

// The sliders that shape the tone, colour, bicolor and red, green and blue curves: whatever
// their event, the curve panel shows their curve again.
constexpr int32_t kCurveShapingSliders[] = {
    19,  20,  22,  25,  26,  43,  44,  45,  46,  48,  58,  59,  79,  80,  81,  82,  83, 88,
    130, 133, 245, 246, 247, 248, 250, 251, 252, 253, 254, 256, 257, 258, 259, 260, 262};
static_assert(std::size(kCurveShapingSliders) == 35, "the curve sliders");

bool IsCurveShapingSlider(int32_t control) {
    return std::find(std::begin(kCurveShapingSliders), std::end(kCurveShapingSliders), control) !=
           std::end(kCurveShapingSliders);
}

// Events whose "control" is a control number (a key event carries a virtual key, a timer
// event a timer number).
bool CarriesControlNumber(int32_t event) {
    return event != EVENT_KEY_DOWN && event != EVENT_TIMER;
}

bool IsCurvePanelPointerEvent(int32_t event) {
    return event == EVENT_MOUSE_ENTER || event == EVENT_MOUSE_LEAVE || event == EVENT_MOUSE_MOVE ||
           event == EVENT_CLICKED;
}

bool IsPreviewMouseEvent(int32_t event) {
    return event == EVENT_MOUSE_ENTER || event == EVENT_MOUSE_LEAVE || event == EVENT_MOUSE_DOWN ||
           event == EVENT_MOUSE_MOVE || event == EVENT_MOUSE_UP;
}

// The "More..." texts and the preset list answer the pointer themselves before the help box.
bool HasOwnPointerReaction(int32_t control) {
    return (control >= CTL_MORE_COLOR_FILM && control <= CTL_MORE_FRAME) ||
           control == CTL_PRESET_LIST;
}

int32_t HandlePointerEvent(EffectContext* context, int32_t control, int32_t event,
                           int32_t previous) {
    int32_t result = 0;
    if (HasOwnPointerReaction(control))
        result = ReactToSettingsControl(context, control, event, previous);
    if (event == EVENT_MOUSE_ENTER) result = HandleHelpBox(control) | result;
    return result;
}

int32_t HandleClick(EffectContext* context, int32_t control, int32_t previous) {
    bool known = true;
    int32_t result = ClickToolControl(control, previous, &known);
    if (known) return result;
    known = true;
    result = ClickInterfaceControl(control, previous, &known);
    if (known) return result;
    return ReactToSettingsControl(context, control, EVENT_CLICKED, previous);
}

}  // namespace

const char* ShortText(int32_t id, const char* english) {
    if (!GetArrayBase(ARRAY_SHORT_TEXTS)) return english;
    const char* text = GetArrayString(ARRAY_SHORT_TEXTS, id);
    return text && *text ? text : english;
}

const char* LanguageText(int32_t id, const char* english) {
    if (!GetArrayBase(ARRAY_TEXTS)) return english;
    const char* text = GetArrayString(ARRAY_TEXTS, id);
    return text ? text : english;
}

int32_t HandleControlEvent(EffectContext* context, int32_t control, int32_t event,
                           int32_t previous) {
    if (CarriesControlNumber(event) && IsCurveShapingSlider(control))
        FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
    if (event == EVENT_KEY_DOWN) return HandleKeyDown(control);
    if (event == EVENT_DIALOG_SHOWN) HandleDialogShown();
    if (event == EVENT_TIMER) {
        bool known = true;
        const int32_t result = HandleDialogTimer(control, &known);
        if (known) return result;
    }
    if (control == CTL_HUE_RANGE && event == EVENT_MOUSE_MOVE)
        ReactToSettingsControl(context, control, event, previous);
    if (control == CTL_CURVE && IsCurvePanelPointerEvent(event))
        return ReactToSettingsControl(context, control, event, previous);
    if (event == EVENT_PREVIEW_PAN || event == EVENT_PREVIEW_VIEW)
        return HandlePreviewPanOrView(event);
    if (event == EVENT_DRAW_ITEM) {
        bool known = true;
        const int32_t result = HandleDrawItem(control, &known);
        if (known) return result;
    }
    if (event == EVENT_CONTEXT_MENU) {
        if (control == CTL_PREVIEW) return ShowPreviewContextMenu();
        if (control == CTL_MENU_BAR) return ShowMenuBarMenu();
        if (control == CTL_PREVIEW_TAB || control == CTL_PRESET_LIST)
            return ReactToSettingsControl(context, control, event, previous);
        return 0;
    }
    if (event == EVENT_SHEET_RESET) return HandleSheetReset();
    if (event == EVENT_VALUE_CHANGED) {
        bool known = true;
        const int32_t result = HandleInterfaceValueChange(control, &known);
        if (known) return result;
        return ReactToSettingsControl(context, control, event, previous);
    }
    if (control == CTL_PREVIEW && IsPreviewMouseEvent(event)) return HandlePreviewMouse(event);
    if (event == EVENT_DOUBLE_CLICKED) return HandleDoubleClick(control);
    if (event == EVENT_MOUSE_MOVE && control == CTL_NAVIGATOR) return HandleNavigatorDrag();
    if (event == EVENT_DIALOG_SIZE) return HandleDialogSize(control);
    if (event == EVENT_DIALOG_SIZED) return HandleDialogSized();
    if (event != EVENT_CLICKED) {
        if (event == EVENT_MOUSE_ENTER || event == EVENT_MOUSE_LEAVE)
            return HandlePointerEvent(context, control, event, previous);
        if (event == EVENT_USER) return ReactToSettingsControl(context, control, event, previous);
        return 0;
    }
    return HandleClick(context, control, previous);
}
