// The skin engine's entry points. Which classes a skin draws, and its painter for each, are
// the skin columns of the control class table; no painter is filled in yet.

#include "dialog/skin_engine.h"

#include "dialog/control_classes.h"
#include "dialog/control_record.h"
#include "host/parameter_block.h"

bool IsSkinActive() {
    return gParams && gParams->skinActive;
}

bool IsControlSkinned(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !IsSkinActive()) return false;
    const ControlSkinning skinning = ControlClassOf(record->controlClass).skin.skinning;
    if (gParams->skinIndex == 0) return skinning == SKINNING_ALL;
    return skinning != SKINNING_NONE;
}

void PaintSkinnedControl(int32_t n, int32_t state) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return;
    if (const SkinPaintProc paint = ControlClassOf(record->controlClass).skin.paint)
        paint(n, state);
}

void DrawPreviewFrame() {}

int32_t GetTabAtMouse(int32_t) {
    return -1;
}
