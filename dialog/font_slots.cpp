// Fonts of the dialog's controls, made by slot number.

#include "dialog/font_slots.h"

#include <windows.h>

static HFONT gFontSlots[kFontSlotCount];

void ResetFontSlots() {
    for (HFONT& font : gFontSlots) font = nullptr;
}

void DeleteFontSlots() {
    for (HFONT& font : gFontSlots) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
}
