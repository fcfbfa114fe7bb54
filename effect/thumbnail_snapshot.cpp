// The thumbnail snapshot: one static copy of the values, curves and selective tables.

#include "effect/thumbnail_snapshot.h"

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/setting_ranges.h"
#include "effect/settings_dialog_calls.h"
#include "effect/settings_rows.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

namespace {
// The centres are left out on purpose: a thumbnail run never moves them.
SettingsState gSnapshot;

}  // namespace

void SaveThumbnailSnapshot() {
    SettingsStateCapture(gSnapshot);
}

void LoadControlDefaults() {
    for (int32_t n = 0; n < kSettingsValueCount; ++n)
        gContext.controlValues[n] = ControlTableDefault(n);
    ResetCurvesToIdentity();
    ResetSelectiveTable();
    ResetSelectiveRanges();
}

void RestoreThumbnailSnapshot() {
    for (int32_t n = 0; n < kSettingsValueCount; ++n) {
        // The run wrote working values alone: a control that still shows the saved value is
        // not set again (setting all of them holds the dialog for a quarter of a second).
        const ControlRecord* record = UsedControlRecord(n);
        if (record && record->value != gSnapshot.values[n]) {
            SetControlValue(n, gSnapshot.values[n]);
            if (IsSettingColorButton(n)) SetControlColor(n, gSnapshot.values[n]);
        }
        // Numbers the dialog never made have no control to take the value: the working value
        // is put back directly, or the run would leave the -1 of the defaults behind.
        gContext.controlValues[n] = gSnapshot.values[n];
    }
    FireControlEvent(CTL_MASK_TYPE, EVENT_CLICKED, 0);
    FireControlEvent(CTL_CONVERSION_METHOD, EVENT_CLICKED, 0);
    SettingsStatePutTables(gSnapshot, true);
}
