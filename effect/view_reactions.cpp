// The preview's view controls beside the settings: the zoom list, its buttons and shortcuts,
// and the split view with its "Multi" box, which keep the split line and the split-drag cursor.

#include "dialog/control_creation.h"
#include "dialog/dialog_input.h"
#include "dialog/preview_window.h"
#include "effect/control_ids.h"
#include "effect/settings_reaction_parts.h"
#include "effect/settings_reactions.h"
#include "effect/tool_buttons.h"
#include "host/effect_context.h"
#include "render/session_state.h"

namespace {
constexpr int32_t kZoomFitItem = 26;
constexpr int32_t kZoom100Item = 11;
constexpr int32_t kSplitSeparator = 1;
constexpr int32_t kToolSplitDrag = 4;

// The split line through the centre of what the preview shows, in full-resolution pixels.
void CentreSplitLine() {
    gSession.splitOffsetX =
        ((gContext.currentRight - gContext.currentLeft) / 2 + gContext.currentLeft) *
        gContext.zoomReduction;
    gSession.splitOffsetY =
        ((gContext.currentBottom - gContext.currentTop) / 2 + gContext.currentTop) *
        gContext.zoomReduction;
}

// The split-drag cursor follows the split view while that tool is active.
void FollowSplitCursor() {
    const int32_t cursor = SplitDragCursor(ValueOf(CTL_SPLIT_VIEW), ValueOf(CTL_SPLIT_MULTI));
    if (cursor == SPLIT_CURSOR_NONE) {
        FireClick(CTL_TOOL_HAND);
        return;
    }
    if (cursor != SPLIT_CURSOR_KEEP) SetDialogCursor(cursor);
}
}  // namespace

int32_t SplitDragCursor(int32_t splitView, int32_t multi) {
    if (multi) return SPLIT_CURSOR_MULTI;
    switch (splitView) {
        case 2:
        case 3:
        case 7:
        case 8:
            return SPLIT_CURSOR_VERTICAL;
        case 4:
        case 5:
        case 9:
        case 10:
            return SPLIT_CURSOR_HORIZONTAL;
        default:
            return splitView < 2 ? SPLIT_CURSOR_NONE : SPLIT_CURSOR_KEEP;
    }
}

int32_t ReactToZoomShortcut(const ReactionEvent& event) {
    const int32_t item = event.control == CTL_ZOOM_FIT ? kZoomFitItem : kZoom100Item;
    if (ValueOf(CTL_ZOOM) != item) {
        SetControlValue(CTL_ZOOM, item);
        FireClick(CTL_ZOOM);
    }
    return 1;
}

int32_t ReactToZoom(const ReactionEvent& event) {
    if (ValueOf(CTL_SPLIT_MULTI)) CentreSplitLine();
    if (event.control == CTL_ZOOM) {
        SetControlFocus(CTL_ZOOM);
        return SelectZoomFromList(CTL_ZOOM, CTL_ZOOM_IN, CTL_ZOOM_OUT, event.previous);
    }
    return StepZoom(event.control, CTL_ZOOM, CTL_ZOOM_IN, CTL_ZOOM_OUT);
}

int32_t ReactToSplitMulti(const ReactionEvent&) {
    if (ValueOf(CTL_SPLIT_MULTI)) {
        CentreSplitLine();
    } else {
        gSession.splitOffsetX = 0;
        gSession.splitOffsetY = 0;
    }
    if (ValueOf(CTL_SPLIT_VIEW) > 1 && gCurrentTool == kToolSplitDrag) FollowSplitCursor();
    return 0;
}

int32_t ReactToSplitView(const ReactionEvent& event) {
    const int32_t separator = kSplitSeparator;
    SkipSeparatorItems(CTL_SPLIT_VIEW, event.previous, &separator, 1);
    if (gCurrentTool == kToolSplitDrag) FollowSplitCursor();
    return 0;
}
