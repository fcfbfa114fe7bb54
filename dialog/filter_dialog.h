// The modal filter dialog shown at the start of a run.
#pragma once

// Shows the dialog and runs its message loop. 0 after OK; -128 after Cancel.
int RunFilterDialog();
// Removes the dialog's message hook if one is still installed.
void RemoveDialogMessageHook();
