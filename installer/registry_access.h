// Registry reads of other vendors' keys and writes of the installer's own profile key.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER" or "HKEY_CLASSES_ROOT"; anything else is
// HKEY_LOCAL_MACHINE.
HKEY RegistryRootFromName(const std::wstring& name);

// A host's value as text whatever its registry type, trimmed of blanks and control
// characters, read in the 64-bit view while gModes.sixtyFourBitMode is on. Empty on any
// failure, an empty key included.
std::wstring ReadRegString(HKEY root, const std::wstring& key, const std::wstring& valueName);

// A value read in the program's own view: strings as they are, numbers in decimal, binary
// data as text; empty for other types and on any failure.
std::wstring ReadRegValue(HKEY root, const std::wstring& key, const std::wstring& valueName);

enum RegTextStatus : int32_t {
    REGTEXT_OK,
    REGTEXT_MISSING,   // no such key or value: an empty text
    REGTEXT_NOT_TEXT,  // a number, binary data or any other type
    REGTEXT_TOO_LONG,  // more than the characters allowed
};

// A string value of at most maxChars characters, read in the program's own view. The text
// is set only when the status is REGTEXT_OK.
RegTextStatus ReadRegText(HKEY root, const std::wstring& key, const std::wstring& valueName,
                          size_t maxChars, std::wstring* text);

// Sub-key names, opened as ReadRegString opens keys; empty when the key cannot be opened.
std::vector<std::wstring> ListSubKeys(HKEY root, const std::wstring& key);

// Sub-key names in the program's own view.
std::vector<std::wstring> GetRegKeyNames(HKEY root, const std::wstring& key);

enum RegValueType : int32_t {
    REGTYPE_EXISTING = 0,
    REGTYPE_STRING = 1,
    REGTYPE_EXPAND_STRING = 2,
    REGTYPE_INTEGER = 3,
    REGTYPE_BINARY = 4,
};

// Writes a value, creating the key when missing; raises InstallerError with the system's
// message when the key cannot be opened for writing or the value cannot be written.
void WriteRegValue(HKEY root, const std::wstring& key, const std::wstring& valueName,
                   const std::wstring& value, int32_t type);

// Deletes a key with everything below it; false when it could not be deleted.
bool DeleteRegKeyTree(HKEY root, const std::wstring& key);
