// Name rules of products, plug-in files, sub folders and added folders.
#include "installer/file_names.h"

#include <cwctype>

namespace {

// Names Windows opens as devices in every folder, whatever extension follows.
const wchar_t* const kDeviceNames[] = {
    L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM0", L"COM1", L"COM2",   L"COM3",   L"COM4",
    L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT0", L"LPT1",   L"LPT2",   L"LPT3",
    L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9", L"CONIN$", L"CONOUT$"};

bool HasControlCharacter(const std::wstring& name) {
    for (wchar_t c : name)
        if (c < L' ') return true;
    return false;
}

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

// Windows drops trailing dots and blanks, so ". ." climbs a level as ".." does.
bool IsDotsOnly(const std::wstring& part) {
    return part.find_first_not_of(L". ") == std::wstring::npos;
}

// The parts of a path between its backslashes (or slashes), empty parts included.
std::vector<std::wstring> PathParts(const std::wstring& path, size_t start) {
    std::vector<std::wstring> parts;
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

}  // namespace

bool ProductNameIsValid(const std::wstring& name) {
    return !name.empty() && name.find(L'\\') == std::wstring::npos && !HasControlCharacter(name);
}

bool IsDeviceName(const std::wstring& part) {
    std::wstring stem = part.substr(0, part.find(L'.'));
    size_t last = stem.find_last_not_of(L' ');
    stem = UpperCase(last == std::wstring::npos ? L"" : stem.substr(0, last + 1));
    for (const wchar_t* device : kDeviceNames)
        if (stem == device) return true;
    return false;
}

bool RelativeNameIsSafe(const std::wstring& name) {
    if (name.empty() || HasControlCharacter(name)) return false;
    if (IsSeparator(name[0])) return false;
    if (name.find_first_of(L":*?") != std::wstring::npos) return false;
    // An empty part would turn the rest into a path of its own.
    for (const std::wstring& part : PathParts(name, 0))
        if (IsDotsOnly(part) || IsDeviceName(part)) return false;
    return true;
}

std::wstring AddedFolderProblem(const std::wstring& folder) {
    const size_t n = folder.size();
    if (HasControlCharacter(folder)) return L"contains control characters";
    if (n >= 4 && IsSeparator(folder[0]) && IsSeparator(folder[1]) &&
        (folder[2] == L'?' || folder[2] == L'.') && IsSeparator(folder[3]))
        return L"uses a device path prefix";
    size_t rootEnd = 0;  // index of the first part below the drive or share
    if (n >= 3 && IsDriveLetter(folder[0]) && folder[1] == L':' && IsSeparator(folder[2])) {
        rootEnd = 3;
    } else if (n >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        size_t server = folder.find_first_of(L"\\/", 2);
        size_t share =
            server == std::wstring::npos ? server : folder.find_first_of(L"\\/", server + 1);
        if (server == 2 || share == std::wstring::npos || share == server + 1)
            return L"is the root of a network share or not a complete network path";
        rootEnd = share + 1;
    } else {
        return L"is not an absolute path";
    }
    std::vector<std::wstring> parts = PathParts(folder, rootEnd);
    if (!parts.empty() && parts.back().empty()) parts.pop_back();  // the final backslash
    if (parts.empty()) return L"is the root of a drive or network share";
    for (const std::wstring& part : parts) {
        if (part.empty() || part.find_first_of(L":*?\"<>|") != std::wstring::npos)
            return L"is not a valid folder path";
        if (IsDotsOnly(part)) return L"contains a \"..\" or \".\" part";
        if (IsDeviceName(part)) return L"contains a device name";
    }
    return L"";
}
