// A plain-text record of the installer's lists and product state, written to the file that
// the environment variable FITWRIGHT_LIST_FILE names (for tests and setup diagnostics).
#pragma once

#include <string>

extern const wchar_t* const kListFileVariable;  // "FITWRIGHT_LIST_FILE"

// Writes the record when the variable is set; replaces the file as a whole.
void ListFileWrite(const std::wstring& caption);
