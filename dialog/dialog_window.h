// The one filter dialog window, shared by every part of the dialog framework.
#pragma once

#include <windows.h>

// The dialog while it is up, else null; set and cleared by the dialog procedure.
extern HWND gDialog;
