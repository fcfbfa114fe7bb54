// The skin engine's entry points. The skins themselves are not built yet: no skin is ever
// applied, so these keep the standard controls.

#include "dialog/skin_engine.h"

#include "dialog/control_record.h"
#include "host/parameter_block.h"

bool IsSkinActive() {
    return gParams && gParams->skinActive;
}

bool IsControlSkinned(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !IsSkinActive()) return false;
    if (gParams->skinIndex == 0) return record->controlClass == CONTROL_SLIDER;
    switch (record->controlClass) {
        case CONTROL_SLIDER:
        case CONTROL_PUSHBUTTON:
        case CONTROL_CHECKBOX:
        case CONTROL_GROUPBOX:
        case CONTROL_COMBOBOX:
        case CONTROL_PROGRESSBAR:
        case CONTROL_TAB:
        case CONTROL_TOOLBAR:
            return true;
    }
    return false;
}

void PaintSkinnedControl(int32_t, int32_t) {}

void DrawPreviewFrame() {}

int32_t GetTabAtMouse(int32_t) {
    return -1;
}
