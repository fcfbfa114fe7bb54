// Message boxes of the plug-in: formatted into 1024 bytes, task-modal, shown through the
// dialog's hook (expanded, owned by the filter dialog while it is up).
#pragma once

#include <cstdarg>

#ifndef GREYLOOM_PRINTF
#define GREYLOOM_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

int ShowMessage(unsigned style, const char* caption, const char* format, ...) GREYLOOM_PRINTF(3, 4);
int ShowMessageV(unsigned style, const char* caption, const char* format, va_list args);
void ShowInfoMessage(const char* format, ...) GREYLOOM_PRINTF(1, 2);
int ShowRetryMessage(const char* format, ...) GREYLOOM_PRINTF(1, 2);
int ShowErrorMessage(const char* format, ...) GREYLOOM_PRINTF(1, 2);
int AskYesNo(const char* format, ...) GREYLOOM_PRINTF(1, 2);

// A string-table text (up to 255 characters) captioned with string 2, the maker's name.
void ShowStringTableError(unsigned id);
