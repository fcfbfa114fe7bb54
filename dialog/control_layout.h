// Control ranges, places, tab sheets and the re-layout when the dialog changes size.
#pragma once

#include <windows.h>

#include <cstdint>

int32_t SetControlRange(int32_t n, int32_t min, int32_t max);
int32_t SetControlDivisor(int32_t n, int32_t divisor);
int32_t SetControlGamma(int32_t n, int32_t gamma);
// Dialog units (pixels for the second); -1 keeps a coordinate.
int32_t SetControlPosition(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height);
int32_t SetControlPositionPixels(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height);
// where: -2 not topmost, -1 topmost, 0 top, 1 bottom.
int32_t SetControlZOrder(int32_t n, int32_t where);
int32_t AddControlStyleEx(int32_t n, uint32_t bits);
int32_t SetControlTab(int32_t n, int32_t tab, int32_t sheet);
// which 0: the tab, else the sheet; -1 for a bad n.
int32_t GetControlSheet(int32_t n, int32_t which);
int32_t SetControlHomeSheet(int32_t n, int32_t tab, int32_t sheet);
int32_t GetControlHomeSheet(int32_t n, int32_t which);
int32_t SetControlBuddy(int32_t n, int32_t buddy);
// Records the anchor distances of every anchored control for a client size (-1: current).
int32_t UpdateControlAnchors(int32_t width, int32_t height);
// W, H: the client size in dialog units (-1: current). 0 before the preview is available.
int32_t ApplyControlAnchors(int32_t width, int32_t height);
// The anchored controls placed for a client of W x H dialog units, the preview at least 10 x 10
// (the loop of ApplyControlAnchors, without its redraw switch, for a dialog not yet shown).
void PlaceAnchoredControls(int32_t width, int32_t height);
void ResetTabSheetToDefaults(int32_t tab);

// While control showing is deferred (the dialog built hidden) a control's moves are kept and
// only its last place reaches its windows, when PlacePendingControls runs; a control of a
// class marked CLASSTRAIT_PLACED_WHEN_SEEN that is not shown then (no skin on) keeps its place
// until it is shown, and its later moves while hidden wait likewise. Whether control n has
// such a place still to take (pixels in the client area, into place when given).
bool PendingControlPlace(int32_t n, RECT* place);
// Whether the placing of control n's value box and label waits likewise (then it is noted).
bool DeferCompanionPlacing(int32_t n);
// A deleted or new control keeps no place of an earlier one.
void ForgetPendingPlace(int32_t n);
// Moves control n's windows to the place they wait for, if any: called before they are shown
// and before anything measures them (drawing into the control, a skin's own windows).
void SettleControlPlace(int32_t n);
enum PendingScope {
    PENDING_SCOPE_ALL,   // every control with a place still to take
    PENDING_SCOPE_SEEN,  // those its state shows; the others wait until they are shown
};
// Moves the controls with a place still to take there (windows, value box and label).
void PlacePendingControls(PendingScope scope);

// The range a class may hold: buttons 0..1, check boxes 0..2, lists -1..65535.
void LimitRangeForClass(int32_t controlClass, int32_t* min, int32_t* max);

// The preview's group frame for the preview's place, pixels.
RECT PreviewFrameAround(const RECT& preview);

// One control's place after a re-layout, in dialog units.
struct ControlPlace {
    int32_t x, y, width, height;
};
ControlPlace AnchoredPlace(ControlPlace place, int32_t anchorFlags, int32_t anchorDX,
                           int32_t anchorDY, int32_t clientWidth, int32_t clientHeight);

// Whether a size change of the given type (WM_SIZE) leaves the layout as it is.
bool IsLayoutFrozen(uintptr_t sizeType);
