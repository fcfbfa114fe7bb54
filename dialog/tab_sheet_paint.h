// The controls on a tab control's sheets kept painted over the tab's body, which the tab
// paints over everything below it in the window order.
#pragma once

#include <cstdint>

// Has control n (a tab control with sheets) draw again, after each of its paints, the visible
// windows below it that the paint covered. Returns 0 when n has no window.
int32_t KeepSheetControlsPainted(int32_t n);
