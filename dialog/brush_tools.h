// Serving the brush and eyedropper tools: the pen property of input controls, the round
// brush cursor with its circle outline, and the averaged colour under the eyedropper.
#pragma once

#include <windows.h>

#include <cstdint>

// Side of a brush cursor of radius r: a multiple of 16 that holds the circle.
int32_t BrushCursorSide(int32_t radius);
// Sets the bits of a circle in a square 1-bit mask of rowBytes x (rowBytes x 8) pixels (bit 7
// of a byte is its leftmost pixel), clipped to the mask; the point straight above the centre
// is set first.
void DrawCircleOutline(uint8_t* maskBits, int32_t radius, int32_t rowBytes, int32_t centreX,
                       int32_t centreY);
// The average of the (2r + 1)^2 source pixels around (x, y), clamped to the current rectangle,
// as a COLORREF; 16-bit channels are brought to 0..255.
COLORREF SampleColorArea(int32_t x, int32_t y, int32_t radius);

// Turns the pen's press-and-hold and barrel feedback off on control n's window (the dialog
// for n < 0, the template items for the frame pseudo controls). 1 set, 0 no window.
int32_t SetTabletPenProperty(int32_t n);
// A new monochrome cursor showing the brush outline by inverting the screen; hot spot at its
// centre (r, r). The caller destroys it.
HCURSOR MakeBrushCursor(int32_t radius);
