// The three settings sets, one per sheet of CTL_PREVIEW_TAB, kept as rows of
// ARRAY_SETTINGS_ROWS: switching between them, and storing them when the dialog closes.
#pragma once

#include <cstdint>

// The current state goes into set previous; set next is applied when it was ever stored
// (the view controls kept), else the state just left becomes its start. Undo starts anew.
// Returns 1 when a stored set was applied (the preview is then to be rendered again).
int32_t SwitchSettingsSet(int32_t previous, int32_t next);
// On closing: the current set and every set never stored take the current state, so that
// the settings file always holds three stored rows.
void StoreSettingsSetsOnClose(int32_t current);
