// Control attributes beside the value: tooltips, colours, default value, property bits, steps,
// second layout position, value-box size and place, label place, action code, and the
// visible and enabled state of the windows.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dialog/control_record.h"
#include "dialog/dialog_units.h"

// Settings of the attribute operations that hold for every control.
struct ControlAppearanceState {
    int32_t valueBoxDelayMs;  // SetKeepEditText; 500 at load
    int32_t redrawSuspended;  // SetRedrawSuspended
    uint32_t stateOverride;   // bit 0: windows follow the own state bits; bit 1: no sheet walk
    int32_t showingDeferred;  // DeferControlShowing: windows are made and kept hidden, moves wait
    uint32_t toolFlags[kControlCount];  // SetControlToolTip: the kept flags of control n's tip
};
extern ControlAppearanceState gAppearance;
void ControlAppearanceReset();

int32_t SetControlToolTip(int32_t n, const char* text, uint32_t flags);
// Gives the windows of control n, made after its tip was set, the tip its record keeps.
void AttachControlToolTip(int32_t n);
const char* GetControlImageName(int32_t n);
int32_t GetControlTextColor(int32_t n);
int32_t SetControlColor(int32_t n, int32_t color);
int32_t SetControlSysColor(int32_t n, int32_t index);
int32_t GetControlColor(int32_t n);
int32_t SetControlDefault(int32_t n, int32_t value);
int32_t GetControlDefault(int32_t n);
int32_t SetControlProperties(int32_t n, uint32_t bits);
int32_t ClearControlProperties(int32_t n, uint32_t bits);
int32_t SetControlLineSize(int32_t n, int32_t size);
int32_t SetControlPageSize(int32_t n, int32_t size);
int32_t SetControlAltPosition(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height);
int32_t GetControlAltPosition(int32_t n, int32_t part);
int32_t GetControlPixelCoord(int32_t n, int32_t part);
int32_t SetControlEditSize(int32_t n, int32_t width, int32_t height);
int32_t GetEditBoxRect(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height, RECT* out);
int32_t GetLabelRect(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height, RECT* out);
void SetRedrawSuspended(int32_t flag);
bool IsRedrawSuspended();
int32_t SetKeepEditText(int32_t delayMs);
int32_t GetControlRange(int32_t n, int32_t which);
int32_t SetControlAction(int32_t n, int32_t action);
int32_t ApplyControlState(int32_t n);
// Stores the state bits of control n and shows, hides, enables or disables its windows.
int32_t SetControlState(int n, int32_t state);
void SetControlStateOverride(uint32_t bits);
// While the dialog is built hidden, control windows are made hidden and not shown by state
// changes, and their moves wait: a window shown on one sheet and hidden by the next, or moved
// twice, costs the system two passes over the siblings. Switching it off moves each control to
// its last place and shows each control that its state and sheet leave visible.
void DeferControlShowing(bool on);
// Whether control n, about to be made, gets hidden windows (showing is deferred); it is then
// shown when the deferral ends.
bool MakeControlHidden(int32_t n);

// --- Geometry of a slider's value box and of labels (pixels) --------------------------------
struct CompanionGeometry {
    int32_t x, y, width, height;  // the control, dialog units
    bool vertical;
    int32_t controlClass;
};
RECT EditBoxRectFor(const DialogFontMetrics& metrics, const CompanionGeometry& control,
                    int32_t editWidth, int32_t editHeight);
RECT LabelRectFor(const DialogFontMetrics& metrics, const CompanionGeometry& control,
                  int32_t labelWidth, int32_t labelHeight);

// A slider lies vertically: scroll bars by their vertical bit (1), trackbars by theirs (2).
bool IsVerticalSlider(int32_t controlClass, uint32_t style);
// Measures the expanded label text with the control's font into labelWidth / labelHeight
// (60 x 14 when it cannot be measured).
void MeasureControlLabel(int32_t n, const char* expandedText);
// Moves a child window of the dialog to place (pixels, z-order kept, not activated).
void PlaceChildWindow(HWND window, const RECT& place);
// Redraws at once the dialog's area under a shown child window (nothing for a hidden one).
void RedrawDialogUnder(HWND window);
// Moves the label window to its place beside the control (z-order kept).
void PlaceControlLabel(int32_t n);
// Moves the value box and the label of a slider, or the label of a list or combo box.
void PlaceControlCompanions(int32_t n);
