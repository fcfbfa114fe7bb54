// Whole-file reading and replacement by rename, through the replaceable system calls.

#include "effect/whole_file.h"

#include <windows.h>

#include <algorithm>

#include "host/system_calls.h"

namespace {
constexpr DWORD kWriteChunkBytes = 1 << 16;

// The temporary file lies in the target's folder so that the rename stays on one volume;
// its name ("gls....tmp") holds none of the preset extensions, so a leftover is never listed.
bool MakeTemporaryName(const std::string& target, std::string& name) {
    const size_t slash = target.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    char buffer[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "gls", 0, buffer)) return false;
    name = buffer;
    return true;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, kWriteChunkBytes));
        DWORD written = 0;
        if (!gSystem.writeFile(file, bytes.data() + done, chunk, &written, nullptr) ||
            written != chunk)
            return false;
        done += chunk;
    }
    return true;
}
}  // namespace

FileReadStatus WholeFileRead(const char* path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FILE_READ_CANNOT_OPEN;
    LARGE_INTEGER size;
    FileReadStatus status = FILE_READ_OK;
    if (!GetFileSizeEx(file, &size)) {
        status = FILE_READ_FAILED;
    } else if (uint64_t(size.QuadPart) > maxBytes) {
        status = FILE_READ_TOO_LARGE;
    } else {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() && (!ReadFile(file, &bytes[0], DWORD(bytes.size()), &read, nullptr) ||
                               read != bytes.size()))
            status = FILE_READ_FAILED;
    }
    CloseHandle(file);
    if (status != FILE_READ_OK) bytes.clear();
    return status;
}

int32_t WholeFileReplace(const char* path, const std::string& bytes) {
    if (!path || !*path) return 0;
    // A read-only file or a folder of that name is the user's: it is never replaced.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return 0;
    std::string temporary;
    if (!MakeTemporaryName(path, temporary)) return 0;
    HANDLE file = gSystem.createFile(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    bool saved = file != INVALID_HANDLE_VALUE;
    if (saved) {
        saved = WriteAll(file, bytes) && gSystem.flushFileBuffers(file);
        saved = gSystem.closeHandle(file) && saved;
    }
    saved = saved && gSystem.moveFileEx(temporary.c_str(), path,
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!saved) DeleteFileA(temporary.c_str());
    return saved ? 1 : 0;
}
