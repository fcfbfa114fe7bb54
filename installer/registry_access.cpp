// Registry access of the installer. Hosts' keys are opened for reading only: a user without
// administrator rights may read HKEY_LOCAL_MACHINE but not open it with full access.
#include "installer/registry_access.h"

#include <cstdint>
#include <cstring>

#include "installer/installer_error.h"
#include "installer/installer_state.h"

static std::wstring StripLeadingBackslash(const std::wstring& key) {
    return (!key.empty() && key[0] == L'\\') ? key.substr(1) : key;
}

static std::wstring TrimControls(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] <= L' ') first++;
    while (last > first && text[last - 1] <= L' ') last--;
    return text.substr(first, last - first);
}

// Data of a value as UTF-16 text ending at its first terminator or at the end of the data,
// whichever comes first: registry data need not be terminated.
static std::wstring TextFromData(const std::vector<BYTE>& data, DWORD sizeBytes) {
    size_t count = sizeBytes / sizeof(wchar_t);
    const wchar_t* chars = reinterpret_cast<const wchar_t*>(data.data());
    size_t length = 0;
    while (length < count && chars[length] != L'\0') length++;
    return std::wstring(chars, length);
}

// Reads a value's data into a buffer of the size the key reports, retrying when the value
// grew in between. False on any failure.
static bool QueryValueData(HKEY key, const std::wstring& valueName, DWORD* type,
                           std::vector<BYTE>* data, DWORD* sizeBytes) {
    DWORD maxBytes = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &maxBytes, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    for (int attempt = 0; attempt < 4; attempt++) {
        data->assign(maxBytes + sizeof(wchar_t) + 1, 0);
        DWORD size = maxBytes + 1;
        LONG status = RegQueryValueExW(key, valueName.empty() ? nullptr : valueName.c_str(),
                                       nullptr, type, data->data(), &size);
        if (status == ERROR_SUCCESS) {
            *sizeBytes = size < maxBytes + 1 ? size : maxBytes + 1;
            return true;
        }
        if (status != ERROR_MORE_DATA) return false;
        maxBytes = size;
    }
    return false;
}

static REGSAM HostViewAccess() {
    return KEY_READ | (gModes.sixtyFourBitMode ? KEY_WOW64_64KEY : 0);
}

HKEY RegistryRootFromName(const std::wstring& name) {
    if (name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (name == L"HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    return HKEY_LOCAL_MACHINE;
}

std::wstring ReadRegString(HKEY root, const std::wstring& key, const std::wstring& valueName) {
    std::wstring path = StripLeadingBackslash(key);
    if (path.empty()) return L"";
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, HostViewAccess(), &handle) != ERROR_SUCCESS)
        return L"";
    std::vector<BYTE> data;
    DWORD type = 0;
    DWORD size = 0;
    bool ok = QueryValueData(handle, valueName, &type, &data, &size);
    RegCloseKey(handle);
    return ok ? TrimControls(TextFromData(data, size)) : L"";
}

std::wstring ReadRegValue(HKEY root, const std::wstring& key, const std::wstring& valueName) {
    std::wstring path = StripLeadingBackslash(key);
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return L"";
    std::vector<BYTE> data;
    DWORD type = 0;
    DWORD size = 0;
    bool ok = QueryValueData(handle, valueName, &type, &data, &size);
    RegCloseKey(handle);
    if (!ok) return L"";
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
        case REG_BINARY:
            return TextFromData(data, size);
        case REG_DWORD:
            if (size < sizeof(uint32_t)) return L"";
            return std::to_wstring(*reinterpret_cast<const uint32_t*>(data.data()));
        default:
            return L"";
    }
}

RegTextStatus ReadRegText(HKEY root, const std::wstring& key, const std::wstring& valueName,
                          size_t maxChars, std::wstring* text) {
    text->clear();
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, StripLeadingBackslash(key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
        return REGTEXT_MISSING;
    DWORD type = 0;
    DWORD sizeBytes = 0;
    const wchar_t* name = valueName.empty() ? nullptr : valueName.c_str();
    LONG status = RegQueryValueExW(handle, name, nullptr, &type, nullptr, &sizeBytes);
    RegTextStatus result = REGTEXT_OK;
    std::vector<BYTE> data;
    if (status != ERROR_SUCCESS) {
        result = REGTEXT_MISSING;
    } else if (type != REG_SZ && type != REG_EXPAND_SZ) {
        result = REGTEXT_NOT_TEXT;
    } else if (sizeBytes / sizeof(wchar_t) > maxChars + 1) {
        // Judged by the stored size, so that a huge value is never read at all.
        result = REGTEXT_TOO_LONG;
    } else if (!QueryValueData(handle, valueName, &type, &data, &sizeBytes) ||
               (type != REG_SZ && type != REG_EXPAND_SZ)) {
        result = REGTEXT_MISSING;
    } else {
        *text = TextFromData(data, sizeBytes);
        if (text->size() > maxChars) {
            text->clear();
            result = REGTEXT_TOO_LONG;
        }
    }
    RegCloseKey(handle);
    return result;
}

static std::vector<std::wstring> EnumerateSubKeys(HKEY root, const std::wstring& key,
                                                  REGSAM access) {
    std::vector<std::wstring> names;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, StripLeadingBackslash(key).c_str(), 0, access, &handle) !=
        ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; index++) {
        wchar_t name[260];
        DWORD length = 260;
        if (RegEnumKeyExW(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(handle);
    return names;
}

std::vector<std::wstring> ListSubKeys(HKEY root, const std::wstring& key) {
    return EnumerateSubKeys(root, key, HostViewAccess());
}

std::vector<std::wstring> GetRegKeyNames(HKEY root, const std::wstring& key) {
    return EnumerateSubKeys(root, key, KEY_READ);
}

static std::vector<BYTE> ValueBytes(const std::wstring& value, DWORD type) {
    std::vector<BYTE> bytes;
    if (type == REG_DWORD) {
        size_t used = 0;
        uint32_t number = 0;
        try {
            number = static_cast<uint32_t>(std::stol(value, &used));
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != value.size())
            RaiseError(FormatText(L"'%ls' is not a valid integer value", value.c_str()));
        bytes.resize(sizeof number);
        memcpy(bytes.data(), &number, sizeof number);
        return bytes;
    }
    const BYTE* first = reinterpret_cast<const BYTE*>(value.c_str());
    size_t count = value.size() * sizeof(wchar_t);
    if (type != REG_BINARY) count += sizeof(wchar_t);
    bytes.assign(first, first + count);
    return bytes;
}

static DWORD ValueTypeToWrite(HKEY key, const std::wstring& valueName, int32_t type) {
    switch (type) {
        case REGTYPE_STRING:
            return REG_SZ;
        case REGTYPE_EXPAND_STRING:
            return REG_EXPAND_SZ;
        case REGTYPE_INTEGER:
            return REG_DWORD;
        case REGTYPE_BINARY:
            return REG_BINARY;
        case REGTYPE_EXISTING: {
            DWORD existing = REG_NONE;
            RegQueryValueExW(key, valueName.c_str(), nullptr, &existing, nullptr, nullptr);
            if (existing == REG_SZ || existing == REG_EXPAND_SZ || existing == REG_DWORD ||
                existing == REG_BINARY)
                return existing;
            break;
        }
    }
    RaiseError(SystemErrorText(1013));
}

void WriteRegValue(HKEY root, const std::wstring& key, const std::wstring& valueName,
                   const std::wstring& value, int32_t type) {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(root, StripLeadingBackslash(key).c_str(), 0, nullptr, 0,
                                  KEY_WRITE | KEY_QUERY_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS) RaiseError(SystemErrorText(status));
    try {
        DWORD regType = ValueTypeToWrite(handle, valueName, type);
        std::vector<BYTE> bytes = ValueBytes(value, regType);
        status = RegSetValueExW(handle, valueName.c_str(), 0, regType, bytes.data(),
                                static_cast<DWORD>(bytes.size()));
        if (status != ERROR_SUCCESS) RaiseError(SystemErrorText(status));
    } catch (...) {
        RegCloseKey(handle);
        throw;
    }
    RegCloseKey(handle);
}

bool DeleteRegKeyTree(HKEY root, const std::wstring& key) {
    std::wstring path = StripLeadingBackslash(key);
    if (path.empty()) return false;
    return RegDeleteTreeW(root, path.c_str()) == ERROR_SUCCESS;
}
