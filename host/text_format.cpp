// Bounded formatting that always terminates, whatever the C runtime does on overflow.

#include "host/text_format.h"

#include <cstdio>
#include <cstring>

size_t FormatTextV(char* buffer, size_t size, const char* format, va_list args) {
    if (!buffer || size == 0) return 0;
    int written = vsnprintf(buffer, size, format ? format : "", args);
    buffer[size - 1] = '\0';
    if (written < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return size_t(written) < size ? size_t(written) : size - 1;
}

size_t FormatText(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    size_t length = FormatTextV(buffer, size, format, args);
    va_end(args);
    return length;
}

void CopyText(char* destination, size_t size, const char* source) {
    if (!destination || size == 0) return;
    size_t length = source ? strnlen(source, size - 1) : 0;
    if (length) memcpy(destination, source, length);
    destination[length] = '\0';
}
