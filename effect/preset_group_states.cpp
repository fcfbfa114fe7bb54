// The collapsed state of the preset list's category groups, between the list view and the
// dialog-state file.

#include "effect/preset_group_states.h"

#include <windows.h>

#include <commctrl.h>

#include "dialog/control_items.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "effect/control_ids.h"
#include "effect/effect_session.h"

namespace {
// List views report group states from this Windows version code on (Vista).
constexpr int32_t kGroupStateWindowsVersion = 9;
}  // namespace

bool PresetGroupStatesReadable(int32_t itemCount, bool visualStyles, int32_t windowsVersion) {
    return itemCount > 0 && visualStyles && windowsVersion >= kGroupStateWindowsVersion;
}

void SavePresetGroupStates() {
    if (!PresetGroupStatesReadable(GetControlItemCount(CTL_PRESET_LIST), IsVisualStyleActive(),
                                   GetWindowsVersion()))
        return;
    for (int32_t group = 0; group < kDialogStateGroupFlags; ++group)
        gEffectSession.categoryGroupFlags[group] =
            (GetListViewGroupState(CTL_PRESET_LIST, group, LVGS_COLLAPSED) & LVGS_COLLAPSED) ? 1
                                                                                             : 0;
}
