// The installer's own exception: raised by any step that fails, caught by the guard around
// every window handler, which shows its message (or, in silent runs, reports it and ends).
#pragma once

#include <windows.h>

#include <string>

struct InstallerError {
    std::wstring message;
};

[[noreturn]] void RaiseError(const std::wstring& message);

// printf-style text; use %ls for wide strings.
std::wstring FormatText(const wchar_t* format, ...);

// The system's message for an error code, without the final line break.
std::wstring SystemErrorText(DWORD code);
