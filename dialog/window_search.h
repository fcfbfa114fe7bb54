// Finding the dialog's windows by their text, and the shell's handling of a file.
#pragma once

#include <windows.h>

#include <cstdint>

// The first descendant of parent whose window text (up to 255 characters) equals text; the
// answer is also kept in gFoundChild. Null when none matched.
HWND FindChildByText(HWND parent, const char* text);
BOOL CALLBACK FindChildByTextProc(HWND window, LPARAM text);
// Written only by FindChildByText and its enumeration procedure.
extern HWND gFoundChild;

// Has the shell carry out operation ("open", "explore", ...) on file, owned by the dialog.
// -1 when the system started the operation, 0 otherwise.
int32_t ShellExecuteFile(const char* operation, const char* file, const char* parameters,
                         int32_t showCommand);
