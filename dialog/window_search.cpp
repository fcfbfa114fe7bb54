// Child-window search by text, and files handed to the shell with the dialog as owner.

#include "dialog/window_search.h"

#include <shellapi.h>

#include <cstring>

#include "dialog/dialog_window.h"

HWND gFoundChild = nullptr;

BOOL CALLBACK FindChildByTextProc(HWND window, LPARAM text) {
    char windowText[256] = "";
    GetWindowTextA(window, windowText, sizeof windowText);
    if (strcmp(windowText, reinterpret_cast<const char*>(text)) != 0) return TRUE;
    gFoundChild = window;
    return FALSE;
}

HWND FindChildByText(HWND parent, const char* text) {
    gFoundChild = nullptr;
    if (parent && text) EnumChildWindows(parent, FindChildByTextProc, LPARAM(text));
    return gFoundChild;
}

int32_t ShellExecuteFile(const char* operation, const char* file, const char* parameters,
                         int32_t showCommand) {
    HINSTANCE result = ShellExecuteA(gDialog, operation, file, parameters, nullptr, showCommand);
    return reinterpret_cast<intptr_t>(result) > 32 ? -1 : 0;
}
