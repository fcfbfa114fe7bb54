// Message boxes: one formatting and expansion path for every box the plug-in shows.

#include "dialog/message_boxes.h"

#include <windows.h>

#include <string>

#include "dialog/dialog_window.h"
#include "dialog/text_expansion.h"
#include "host/plugin_data.h"
#include "host/text_format.h"

static int ShowExpandedBox(unsigned style, const char* caption, const char* text) {
    std::string expandedText = ExpandText(text);
    std::string expandedCaption = ExpandText(caption ? caption : "");
    return MessageBoxA(gDialog, expandedText.c_str(), expandedCaption.c_str(),
                       style | MB_TASKMODAL);
}

int ShowMessageV(unsigned style, const char* caption, const char* format, va_list args) {
    char text[1024];
    FormatTextV(text, sizeof text, format, args);
    return ShowExpandedBox(style, caption, text);
}

int ShowMessage(unsigned style, const char* caption, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int pressed = ShowMessageV(style, caption, format, args);
    va_end(args);
    return pressed;
}

void ShowInfoMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string title = FilterTitle();
    ShowMessageV(MB_ICONINFORMATION | MB_OK, title.c_str(), format, args);
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
    std::string title = FilterTitle();
    int pressed = ShowMessageV(MB_ICONQUESTION | MB_YESNO, title.c_str(), format, args);
    va_end(args);
    return pressed;
}

void ShowStringTableError(unsigned id) {
    char text[256] = "";
    char caption[256] = "";
    LoadStringA(gModule, id, text, sizeof text);
    LoadStringA(gModule, 2, caption, sizeof caption);
    MessageBoxA(gDialog, text, caption, MB_ICONHAND | MB_OK | MB_TASKMODAL);
}
