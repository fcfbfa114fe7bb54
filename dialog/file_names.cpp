// File-name helpers: pure text work on backslash paths, and one attribute query.

#include "dialog/file_names.h"

#include <windows.h>

#include <cstring>

#include "host/text_format.h"

namespace {

const char* AfterLastBackslash(const char* path) {
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

void ClearOut(char* out, size_t outSize) {
    if (out && outSize) out[0] = '\0';
}

}  // namespace

int32_t IsValidFileName(const char* name) {
    if (!name) return 0;
    return strpbrk(name, "\\/:*?\"<>|") ? 0 : 1;
}

int32_t GetFileNamePart(const char* path, char* out, size_t outSize) {
    ClearOut(out, outSize);
    if (!path || !*path) return 0;
    const char* name = AfterLastBackslash(path);
    CopyText(out, outSize, name);
    return out && strlen(name) < outSize ? 1 : 0;
}

int32_t GetFileBaseName(const char* path, char* out, size_t outSize) {
    if (!GetFileNamePart(path, out, outSize) || !out || !outSize) return 0;
    char* dot = strrchr(out, '.');
    if (!dot) return 0;
    *dot = '\0';
    return 1;
}

int32_t GetFileFolder(const char* path, char* out, size_t outSize) {
    ClearOut(out, outSize);
    if (!path || !*path || !strchr(path, '\\')) return 0;
    size_t length = size_t(AfterLastBackslash(path) - path);
    if (!out || length + 1 > outSize) return 0;
    memcpy(out, path, length);
    out[length] = '\0';
    return 1;
}

int32_t FileExists(const char* path) {
    if (!path || !*path) return 0;
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}
