// The 32 module-wide font slots of the dialog's controls.
#pragma once

constexpr int kFontSlotCount = 32;

// Forgets every slot (start of a run).
void ResetFontSlots();
// Deletes the fonts of every slot and clears it (end of a run).
void DeleteFontSlots();
