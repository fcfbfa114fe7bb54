// Files read and written whole, for the settings, preset and skin files: bounded reads, and
// replacement through a temporary file so that no failed save loses the file the user had.

#include "host/whole_files.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "host/system_calls.h"

namespace {
// Writes go out in pieces of this size, so that a short write is seen where it happens.
constexpr DWORD kWriteChunkBytes = 64 * 1024;

bool WriteAll(HANDLE file, const std::string& contents) {
    size_t done = 0;
    while (done < contents.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(contents.size() - done, kWriteChunkBytes));
        DWORD written = 0;
        if (!gSystem.writeFile(file, contents.data() + done, chunk, &written, nullptr) ||
            written != chunk)
            return false;
        done += chunk;
    }
    return true;
}
}  // namespace

WholeFileRead ReadWholeFile(const char* path, size_t maxBytes, std::string* out) {
    out->clear();
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return WHOLE_FILE_MISSING;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return WHOLE_FILE_FOLDER;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return WHOLE_FILE_MISSING;
    LARGE_INTEGER size = {};
    WholeFileRead result = WHOLE_FILE_MISSING;
    if (GetFileSizeEx(file, &size)) {
        if (uint64_t(size.QuadPart) > maxBytes) {
            result = WHOLE_FILE_TOO_LARGE;
        } else {
            out->resize(size_t(size.QuadPart));
            DWORD read = 0;
            if (out->empty() || (ReadFile(file, out->data(), DWORD(out->size()), &read, nullptr) &&
                                 read == out->size()))
                result = WHOLE_FILE_READ;
            else
                out->clear();
        }
    }
    CloseHandle(file);
    return result;
}

bool ReplaceWholeFile(const char* path, const std::string& contents) {
    // A file the user made read-only stays as it is (Windows refuses the rename anyway; not
    // every file system does), and a folder is never replaced by a file.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const std::string temporary = std::string(path) + ".tmp";
    HANDLE file = gSystem.createFile(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, contents);
    ok = gSystem.flushFileBuffers(file) && ok;
    const bool closed = gSystem.closeHandle(file) != 0;
    // A close that reports failure may have left the handle open; the temporary file can
    // only be deleted once it is shut.
    if (!closed) CloseHandle(file);
    ok = ok && closed &&
         gSystem.moveFileEx(temporary.c_str(), path,
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(temporary.c_str());
    return ok;
}

bool KeepFileAsBackup(const char* path) {
    const std::string backup = std::string(path) + ".bak";
    return MoveFileExA(path, backup.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
