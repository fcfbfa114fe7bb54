// Dialog units: the dialog's own mapping between dialog units and pixels, from its font.
#pragma once

#include <windows.h>

#include <cstdint>

// Font metrics behind the mapping, in pixels: the average character width (as the system
// measures it for dialogs) and the character height.
struct DialogFontMetrics {
    int32_t averageWidth;
    int32_t height;
};

// Average width from the width of the 52 letters A..Z a..z: (width / 26 + 1) / 2.
int32_t AverageCharWidth(int32_t lettersWidth);
// Pure conversions. A metric below 1 (a font that could not be measured) gives 0, never a
// division by zero.
int32_t UnitsToPixelsX(const DialogFontMetrics& metrics, int32_t units);
int32_t UnitsToPixelsY(const DialogFontMetrics& metrics, int32_t units);
int32_t PixelsToUnitsX(const DialogFontMetrics& metrics, int32_t pixels);
int32_t PixelsToUnitsY(const DialogFontMetrics& metrics, int32_t pixels);

// The metrics of the dialog's font, measured once per dialog (the system's dialog base
// units while no dialog is up, or when the font measures 0).
DialogFontMetrics CurrentDialogMetrics();
// Forgets the measured metrics (a new dialog or a new dialog font).
void ForgetDialogMetrics();

int32_t DialogUnitsToPixelsX(int32_t dx);
int32_t DialogUnitsToPixelsY(int32_t dy);
int32_t PixelsToDialogUnitsX(int32_t px);
int32_t PixelsToDialogUnitsY(int32_t py);
// One part of a pixel rectangle in dialog units: 0 left, 1 top, 2 width, 3 height; 0 for any
// other part.
int32_t PixelRectPartInDialogUnits(const RECT& rect, int32_t part);

// A rectangle given as x, y, width, height in dialog units, in pixels.
RECT DialogUnitsToPixelRect(int32_t x, int32_t y, int32_t width, int32_t height);
