// The skin engine: owner-drawn looks for the dialog's controls. Until the skins arrive the
// dialog always shows the standard controls: nothing here is ever active.
#pragma once

#include <cstdint>

// The skinActive field of the parameter block.
bool IsSkinActive();
// Whether the active skin draws control n itself.
bool IsControlSkinned(int32_t n);
// Paints control n: state 0 normal, 1 pressed, 2 into an owner-draw context, 3 mouse over.
void PaintSkinnedControl(int32_t n, int32_t state);
// The frame drawn around the preview by a skin.
void DrawPreviewFrame();
// Index of the tab under the mouse in a skinned tab control, -1 none.
int32_t GetTabAtMouse(int32_t n);
