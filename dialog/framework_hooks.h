// The dialog's side of the framework's hooks (host/dialog_hooks.h).
#pragma once

// Fills gDialogHooks with the dialog's entries; runs once when the plug-in is loaded.
void DialogHooksInstall();
