// The preview tools' state between mouse events.

#include "effect/preview_tool_state.h"

PreviewToolState gPreviewTools = {CURSOR_HAND, nullptr, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0};

void PreviewToolStateReset() {
    gPreviewTools = PreviewToolState{};
    gPreviewTools.cursorId = CURSOR_HAND;
    gPreviewTools.eyedropperTarget = -1;
}
