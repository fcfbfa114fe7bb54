// Registry reads of the effect: formatted key paths and value names, strings only.

#include "dialog/registry_access.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "dialog/text_expansion.h"
#include "host/parameter_block.h"

namespace {

bool IsPredefinedRoot(HKEY key) {
    uintptr_t value = reinterpret_cast<uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x800000FFu;
}

// Formats into out; false when the text did not fit (out then holds it cut).
bool FormatFits(char* out, size_t size, const char* format, va_list args) {
    int written = vsnprintf(out, size, format ? format : "", args);
    out[size - 1] = '\0';
    return written >= 0 && size_t(written) < size;
}

}  // namespace

int32_t SetRegistryRoot(HKEY root) {
    if (gParams) gParams->registryRoot = root;
    return 0;
}

int32_t SetRegistryPath(const char* format, ...) {
    if (!gParams) return REGISTRY_BAD_TEXT;
    va_list args;
    va_start(args, format);
    bool fits = FormatFits(gParams->registryPath, sizeof gParams->registryPath, format, args);
    va_end(args);
    return fits ? REGISTRY_OK : REGISTRY_BAD_TEXT;
}

int32_t QueryRegistryString(char* out, size_t outSize, const char* nameFormat, ...) {
    if (out && outSize) out[0] = '\0';
    if (!out || outSize == 0 || !gParams) return REGISTRY_BAD_TEXT;
    char name[1024];
    va_list args;
    va_start(args, nameFormat);
    bool fits = FormatFits(name, sizeof name, nameFormat, args);
    va_end(args);
    if (!fits) return REGISTRY_BAD_TEXT;
    std::string valueName = ExpandText(name);
    std::string path = ExpandText(gParams->registryPath);

    HKEY key = nullptr;
    if (RegOpenKeyExA(gParams->registryRoot, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return REGISTRY_CANNOT_OPEN;
    DWORD type = 0;
    DWORD bytes = DWORD(outSize);
    LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(out), &bytes);
    if (!IsPredefinedRoot(key)) RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        // The system may have written part of a value that did not fit.
        memset(out, 0, outSize);
        return status == ERROR_SUCCESS ? REGISTRY_BAD_TEXT : int32_t(status);
    }
    // A stored string need not end with its terminator: end it inside what was read.
    size_t end = bytes < outSize ? bytes : outSize - 1;
    out[end] = '\0';
    return REGISTRY_OK;
}
