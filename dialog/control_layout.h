// Control ranges, places, tab sheets and the re-layout when the dialog changes size.
#pragma once

#include <cstdint>

int32_t SetControlRange(int32_t n, int32_t min, int32_t max);
int32_t SetControlDivisor(int32_t n, int32_t divisor);
int32_t SetControlGamma(int32_t n, int32_t gamma);
// Dialog units; -1 keeps a coordinate.
int32_t SetControlPosition(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height);
int32_t SetControlTab(int32_t n, int32_t tab, int32_t sheet);
// W, H: the client size in dialog units (-1: current).
void ApplyControlAnchors(int32_t width, int32_t height);
void ResetTabSheetToDefaults(int32_t tab);

// The range a class may hold: buttons 0..1, check boxes 0..2, lists -1..65535.
void LimitRangeForClass(int32_t controlClass, int32_t* min, int32_t* max);

// One control's place after a re-layout, in dialog units.
struct ControlPlace {
    int32_t x, y, width, height;
};
ControlPlace AnchoredPlace(ControlPlace place, int32_t anchorFlags, int32_t anchorDX,
                           int32_t anchorDY, int32_t clientWidth, int32_t clientHeight);
