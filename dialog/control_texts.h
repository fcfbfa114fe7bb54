// Control texts, images and deletion: how a control's text reaches its window for each class.
#pragma once

#include <cstdint>

#include "dialog/control_images.h"

#ifndef GREYLOOM_PRINTF
#define GREYLOOM_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

// Stores the text (1023 bytes at most) and shows it expanded. 0 for a bad or unused n and for
// the item-bearing classes, whose loading ends in a value refresh.
int32_t SetControlText(int32_t n, const char* text);
int32_t SetControlTextFormat(int32_t n, const char* format, ...) GREYLOOM_PRINTF(2, 3);
// Destroys the control's windows and takes the record out of use (frame items: hides them).
int32_t DeleteControl(int32_t n);

// Calls visit(line, length) for each line of text (split at line feeds).
template <typename Visit>
void ForEachTextLine(const char* text, Visit visit) {
    if (!text) return;
    for (const char* line = text;;) {
        const char* end = line;
        while (*end && *end != '\n') ++end;
        visit(line, int32_t(end - line));
        if (!*end) break;
        line = end + 1;
    }
}
