// The arithmetic of the selective colour reactions, apart from the dialog: the tolerance as
// the selective table stores it and the hue range bar's drag.
#pragma once

#include <cstdint>

// Tolerance 0..100 on the slider is kept as 0..50 and then 50..90 in the table.
int32_t StoredTolerance(int32_t sliderValue);
// A hue limit moved past either end of the circle 0..255 comes round by 255.
int32_t WrapHue(int32_t hue);

// Entries 0..3 of a colour's hue ranges (the two limits of each end of the bar's range).
struct HueLimits {
    int32_t entry[4];
};
// The limits after the mouse moved from lastHue to hue with a button held: the pair whose
// inner limit lies near the mouse moves alone, else the whole range moves.
HueLimits DragHueLimits(const HueLimits& limits, int32_t hue, int32_t lastHue);
