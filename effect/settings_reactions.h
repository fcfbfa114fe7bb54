// Reactions of the effect dialog to its settings controls (0..309) and to the few interface
// controls that serve them: linked sliders, type combos, the mode layout, preset list clicks.
#pragma once

#include <cstdint>

struct EffectContext;

// Called by the control-event handler for the controls these reactions own; the result is
// the handler's: 1 handled (the control's action code is not run), 0 not handled.
int32_t ReactToSettingsControl(EffectContext* context, int32_t control, int32_t event,
                               int32_t previous);

// The cursor of the split-drag tool for a split view (item of the split-view combo) and the
// "Multi" box: a line across or along the preview, or the cross of several splits. None
// means the split view is off and the hand tool takes over; keep leaves the cursor as it is.
enum SplitCursor : int32_t {
    SPLIT_CURSOR_NONE = 0,
    SPLIT_CURSOR_KEEP = -1,
    SPLIT_CURSOR_VERTICAL = 107,
    SPLIT_CURSOR_HORIZONTAL = 108,
    SPLIT_CURSOR_MULTI = 110,
};
int32_t SplitDragCursor(int32_t splitView, int32_t multi);

// The effect page a "More..." text opens while the built-in preset combo beside it shows
// comboValue; -1 for a control that is no "More..." text.
int32_t MoreLinkPage(int32_t text, int32_t comboValue);
