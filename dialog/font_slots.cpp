// Font slots: fonts made by the effect and kept for the run.

#include "dialog/font_slots.h"

#include "host/text_format.h"

HFONT gFontSlots[kFontSlotCount];

int32_t CreateFontSlot(int32_t slot, int32_t height, int32_t bold, int32_t italic,
                       const char* face) {
    if (slot < 0 || slot >= kFontSlotCount) return 0;
    if (gFontSlots[slot]) {
        DeleteObject(gFontSlots[slot]);
        gFontSlots[slot] = nullptr;
    }
    LOGFONTA base = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
    LOGFONTA font = {};
    font.lfHeight = height != 0 ? height : base.lfHeight;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    const char* faceName = face && *face ? face : base.lfFaceName;
    CopyText(font.lfFaceName, sizeof font.lfFaceName, faceName);
    gFontSlots[slot] = CreateFontIndirectA(&font);
    return gFontSlots[slot] ? 1 : 0;
}

HFONT FontSlot(int32_t slot) {
    return slot >= 0 && slot < kFontSlotCount ? gFontSlots[slot] : nullptr;
}

void ResetFontSlots() {
    for (HFONT& font : gFontSlots) font = nullptr;
}

void DeleteFontSlots() {
    for (HFONT& font : gFontSlots) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
}
