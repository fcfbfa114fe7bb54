// The navigator: a small picture of the whole image in a control, with a red frame around the
// part the preview shows; a click or a drag on it moves the preview there.
#pragma once

#include <cstdint>

// The refresh argument of MoveNavigatorView that moves the view without re-rendering.
constexpr int32_t kNavigatorNoRender = -123456;

// Renders the navigator picture at the control's pixel size when the array is still empty.
// Returns 1.
int32_t PrepareNavigator(int32_t control, int32_t array);
// Fills the numbered array (3 byte channels) with the whole image sampled for a picture of
// width x height pixels. Returns 1, 0 when the image could not be had.
int32_t RenderNavigatorImage(int32_t array, int32_t width, int32_t height);
// Draws the array centred in the control, the sheet's colour around it, and the red frame of
// the shown part; an empty array fills the control with the colour alone. Returns 1.
int32_t DrawNavigator(int32_t control, int32_t array);
// Centres the preview on the image point under the mouse over the control, redraws the
// navigator and, unless refresh is kNavigatorNoRender, re-renders the preview. Returns 1.
int32_t MoveNavigatorView(int32_t control, int32_t array, int32_t refresh);
// Follows the mouse while the left button is held over the navigator: the view moves without
// rendering during the drag and renders once when the button is released. Returns 1.
int32_t TrackNavigatorDrag(int32_t control, int32_t array);
