// Name rules of products, plug-in files and sub folders.
#include "installer/file_names.h"

static bool HasControlCharacter(const std::wstring& name) {
    for (wchar_t c : name)
        if (c < L' ') return true;
    return false;
}

bool ProductNameIsValid(const std::wstring& name) {
    return !name.empty() && name.find(L'\\') == std::wstring::npos && !HasControlCharacter(name);
}

bool RelativeNameIsSafe(const std::wstring& name) {
    if (name.empty() || HasControlCharacter(name)) return false;
    if (name[0] == L'\\' || name[0] == L'/') return false;
    if (name.find_first_of(L":*?") != std::wstring::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = name.size();
        std::wstring part = name.substr(start, end - start);
        // Windows drops trailing dots and blanks, so ". ." climbs a level as ".." does; an
        // empty part would turn the rest into a path of its own.
        if (part.find_first_not_of(L". ") == std::wstring::npos) return false;
        start = end + 1;
    }
    return true;
}
