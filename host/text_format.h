// Bounded printf-style formatting: the result is always terminated, and cut when too long.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into buffer (size bytes, size >= 1). Returns the length written; a text that did
// not fit is cut and still terminated.
size_t FormatText(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(gnu_printf, 3, 4)));
size_t FormatTextV(char* buffer, size_t size, const char* format, va_list args);

// Copies at most size-1 bytes and terminates.
void CopyText(char* destination, size_t size, const char* source);
