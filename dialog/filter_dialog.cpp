// The modal filter dialog and its message loop.

#include "dialog/filter_dialog.h"

#include "dialog/dialog_window.h"
#include "host/host_api.h"

HWND gDialog = nullptr;

// The dialog is not built yet: a start that asks for it ends as if the user cancelled, so
// nothing is filtered with settings the user never saw.
int RunFilterDialog() {
    return HOST_USER_CANCELLED;
}

void RemoveDialogMessageHook() {}
