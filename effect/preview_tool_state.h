// The preview tools' state kept between mouse events: the drags of the eyedropper, the cross,
// the brush and the split line, the brush cursor and the cursor id the tools last set.
#pragma once

#include <windows.h>

#include <cstdint>

#include "effect/control_ids.h"

// The active tool itself is gCurrentTool (effect/tool_buttons.h); the values the render engine
// reads (brush mode, stroke and split flags, split offsets, the six centres) are fields of
// gSession (render/session_state.h). Both are written by the tool reactions in
// effect/preview_tools.cpp.

// A tool is its button's place in the row of tool buttons.
enum PreviewTool : int32_t {
    TOOL_HAND = CTL_TOOL_HAND - CTL_TOOL_HAND,
    TOOL_EYEDROPPER = CTL_TOOL_EYEDROPPER - CTL_TOOL_HAND,
    TOOL_CROSS = CTL_TOOL_CROSS - CTL_TOOL_HAND,
    TOOL_BRUSH = CTL_TOOL_BRUSH - CTL_TOOL_HAND,
    TOOL_SPLIT_DRAG = CTL_TOOL_SPLIT_DRAG - CTL_TOOL_HAND,
};

// The button of a tool.
constexpr int32_t ToolButtonOf(int32_t tool) {
    return CTL_TOOL_HAND + tool;
}

// Cursor resources of the tools (the dialog framework's cursors).
enum ToolCursor : int32_t {
    CURSOR_HAND = 103,
    CURSOR_EYEDROPPER = 105,
    CURSOR_BRUSH = 106,
    CURSOR_SPLIT_VERTICAL = 107,
    CURSOR_SPLIT_HORIZONTAL = 108,
    CURSOR_CROSS = 110,
    CURSOR_VALUE_DRAG = 113,
    CURSOR_CURVE_DRAG = 114,
};

// All fields are written by effect/preview_tools.cpp on the host's thread, except
// brushCursor, which effect/interface_controls.cpp also drops on OK and Cancel.
struct PreviewToolState {
    int32_t cursorId;     // the cursor resource the tools last set (ToolCursor)
    HCURSOR brushCursor;  // the brush outline; owned by the dialog cursor once shown
    // Eyedropper drag: from the mouse-down on the preview to the mouse-up.
    int32_t eyedropperDragging;
    int32_t eyedropperStartX, eyedropperStartY;  // image pixels at the proxy scale
    int32_t eyedropperTarget;      // a control, or a curve point index for options 8..13
    int32_t eyedropperStartValue;  // the target's value (or point output) at the mouse-down
    int32_t crossDragging;
    int32_t brushDrawing;            // a stroke is being drawn
    int32_t brushLastX, brushLastY;  // full-resolution image pixels
    int32_t brushSteps;              // stroke steps since the mouse-down
    int32_t splitDragging;
    int32_t brushWarningShown;  // the "activate an effect" note was shown once
};
extern PreviewToolState gPreviewTools;

void PreviewToolStateReset();
