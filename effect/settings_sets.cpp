// Switching and closing the three settings sets.

#include "effect/settings_sets.h"

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "effect/session_hooks.h"
#include "effect/settings_reaction_parts.h"
#include "effect/settings_rows.h"
#include "effect/undo_history.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

namespace {
constexpr int32_t kNavigatorSheet = 1;
}  // namespace

int32_t SwitchSettingsSet(int32_t previous, int32_t next) {
    StoreSettingsRow(ARRAY_SETTINGS_ROWS, previous);
    if (!IsSettingsRowStored(ARRAY_SETTINGS_ROWS, next)) {
        InitUndo();
        return 0;
    }
    ApplySettingsRow(ARRAY_SETTINGS_ROWS, next, 0);
    if (GetControlValue(CTL_SIDE_TAB) == kNavigatorSheet)
        FireControlEvent(CTL_NAVIGATOR, EVENT_DRAW_ITEM, 0);
    InitUndo();
    return 1;
}

void StoreSettingsSetsOnClose(int32_t current) {
    for (int32_t set = 0; set < kSettingsSetCount; ++set)
        if (set == current || !IsSettingsRowStored(ARRAY_SETTINGS_ROWS, set))
            StoreSettingsRow(ARRAY_SETTINGS_ROWS, set);
}

int32_t ReactToSettingsSetTab(const ReactionEvent& event) {
    const int32_t next = GetControlValue(CTL_PREVIEW_TAB);
    const int32_t previous = event.previous;
    if (previous < 0 || previous >= kSettingsSetCount || previous == next) return 1;
    // A set that was stored is shown: the preview renders it (result 0 runs the action).
    return SwitchSettingsSet(previous, next) ? 0 : 1;
}
