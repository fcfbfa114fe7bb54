// The module-wide image lists, slots 0..10.
#pragma once

#include <cstdint>

constexpr int kImageListSlotCount = 11;

// Destroys the list of a slot and clears it; 0 for a slot above 10 or an empty slot.
int32_t DestroyImageList(int32_t slot);
