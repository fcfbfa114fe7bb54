// The 32 font slots the effect fills and gives to its controls; slot 30 is the skin font.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kFontSlotCount = 32;
extern HFONT gFontSlots[kFontSlotCount];  // written only by the functions below

// Missing face or height 0 take the default GUI font's; 1, or 0 for a bad slot or a failed
// creation.
int32_t CreateFontSlot(int32_t slot, int32_t height, int32_t bold, int32_t italic,
                       const char* face);
// The font of a slot, null when empty or outside 0..31.
HFONT FontSlot(int32_t slot);
// Forgets every slot (start of a run).
void ResetFontSlots();
// Deletes the fonts of every slot and clears it (end of a run).
void DeleteFontSlots();
