// The dialog's message box hook: texts and captions expanded, owned by the filter dialog while
// it is up.

#include "dialog/message_boxes.h"

#include <windows.h>

#include <string>

#include "dialog/dialog_window.h"
#include "dialog/text_expansion.h"

int MessageBoxShow(unsigned style, const char* caption, const char* text, bool expand) {
    if (!expand) return MessageBoxA(gDialog, text ? text : "", caption, style);
    const std::string expandedText = ExpandText(text);
    const std::string expandedCaption = ExpandText(caption ? caption : FilterTitle());
    return MessageBoxA(gDialog, expandedText.c_str(), expandedCaption.c_str(), style);
}
