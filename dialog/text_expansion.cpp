// Text expansion. Entities and escapes arrive with the dialog framework; until then texts
// pass through unchanged.

#include "dialog/text_expansion.h"

#include "host/text_format.h"

const char* ExpandText(const char* text) {
    static char buffer[1024];
    CopyText(buffer, sizeof buffer, text ? text : "");
    return buffer;
}

const char* FilterTitle() { return "Greyloom 2.0"; }
