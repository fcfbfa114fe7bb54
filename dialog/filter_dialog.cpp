// The modal filter dialog and its message loop.

#include "dialog/dialog_window.h"

HWND gDialog = nullptr;
