// Control records: defaults, lookup by number, and the state rules shared by all classes.

#include "dialog/control_record.h"

#include <cstring>

#include "dialog/control_classes.h"
#include "host/parameter_block.h"
#include "host/scripting_descriptor.h"

void ResetControlRecord(ControlRecord& record) {
    memset(&record, 0, sizeof record);
    record.state = CTLSTATE_FULL;
    record.min = 0;
    record.max = 255;
    record.lineSize = 1;
    record.pageSize = 10;
    record.defaultValue = -1;
    record.divisor = 1;
    record.gamma = 100;
    record.editWidth = 24;
    record.editHeight = 10;
    record.tab = -1;
    record.sheet = -1;
    record.buddy = -1;
    record.scripted = -1;
    record.themeMode = -1;
    record.toolbarHotItem = -1;
}

ControlRecord* ControlRecordAt(int n) {
    if (!gParams || n < 0 || n >= kControlCount) return nullptr;
    return &gParams->controls[n];
}

int32_t ControlRecordNumber(const ControlRecord& record) {
    const ControlRecord* first = ControlRecordAt(0);
    if (!first || &record < first || &record >= first + kControlCount) return -1;
    return int32_t(&record - first);
}

ControlRecord* UsedControlRecord(int n) {
    ControlRecord* record = ControlRecordAt(n);
    return record && record->inUse ? record : nullptr;
}

int32_t GetControlClass(int n) {
    switch (n) {
        case CTL_PREVIEW:
            return CONTROL_PREVIEW;
        case CTL_PROGRESS:
            return CONTROL_PROGRESSBAR;
        case CTL_ZOOM_TEXT:
            return CONTROL_ZOOMTEXT;
    }
    const ControlRecord* record = UsedControlRecord(n);
    return record ? record->controlClass : 0;
}

int32_t GetControlState(int n) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record) return 0;
    return record->state == CTLSTATE_FULL ? -1 : record->state;
}

static int32_t OwnState(const ControlRecord& record) {
    return record.state & CTLSTATE_FULL;
}

int32_t GetEffectiveControlState(int n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || n == CTL_PREVIEW) return 0;
    int32_t state = OwnState(*record);
    // Tabs nest: follow the chain of owning tabs, at most once around all controls so that a
    // loop in the chain cannot hang the dialog.
    for (int steps = 0; record->tab != -1 && steps < kControlCount; ++steps) {
        const ControlRecord* tab = UsedControlRecord(record->tab);
        if (!tab || !ControlClassHas(tab->controlClass, CLASSTRAIT_OWNS_SHEETS)) return 0;
        if (tab->value != record->sheet) return 0;
        state &= OwnState(*tab);
        record = tab;
    }
    return state;
}

int32_t StoreControlState(int n, int32_t state) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    int32_t previous = record->state;
    record->state = uint8_t(state == -1 ? CTLSTATE_FULL : state & CTLSTATE_FULL);
    return previous;
}

int32_t SetControlScripted(int n, int32_t on) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    record->scripted = on ? -1 : 0;
    return 1;
}

int32_t IsScriptValueRecorded(int n) {
    if (n < 0 || n >= kSettingsControlCount) return 0;
    return gScripting.scriptedFlags[n] != 0 ? 1 : 0;
}

int32_t GetScriptValue(int n) {
    if (n < 0 || n >= kSettingsControlCount) return 0;
    return gScripting.scriptedValues[n];
}
