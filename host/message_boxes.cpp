// Message boxes: one formatting path for every box the plug-in shows; the dialog's hook
// expands and shows them.

#include "host/message_boxes.h"

#include <windows.h>

#include "host/dialog_hooks.h"
#include "host/plugin_data.h"
#include "host/text_format.h"

int ShowMessageV(unsigned style, const char* caption, const char* format, va_list args) {
    char text[1024];
    FormatTextV(text, sizeof text, format, args);
    return gDialogHooks.showMessage(style | MB_TASKMODAL, caption ? caption : "", text, true);
}

int ShowMessage(unsigned style, const char* caption, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int pressed = ShowMessageV(style, caption, format, args);
    va_end(args);
    return pressed;
}

// Boxes captioned with the filter's title: a null caption, which the hook fills in.
static int ShowTitledMessageV(unsigned style, const char* format, va_list args) {
    char text[1024];
    FormatTextV(text, sizeof text, format, args);
    return gDialogHooks.showMessage(style | MB_TASKMODAL, nullptr, text, true);
}

void ShowInfoMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    ShowTitledMessageV(MB_ICONINFORMATION | MB_OK, format, args);
    va_end(args);
}

int ShowRetryMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int pressed = ShowMessageV(MB_ICONERROR | MB_ABORTRETRYIGNORE, "Error", format, args);
    va_end(args);
    return pressed;
}

int ShowErrorMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int pressed = ShowMessageV(MB_ICONERROR | MB_OK, "Error", format, args);
    va_end(args);
    return pressed;
}

int AskYesNo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int pressed = ShowTitledMessageV(MB_ICONQUESTION | MB_YESNO, format, args);
    va_end(args);
    return pressed;
}

void ShowStringTableError(unsigned id) {
    char text[256] = "";
    char caption[256] = "";
    LoadStringA(gModule, id, text, sizeof text);
    LoadStringA(gModule, 2, caption, sizeof caption);
    gDialogHooks.showMessage(MB_ICONHAND | MB_OK | MB_TASKMODAL, caption, text, false);
}
