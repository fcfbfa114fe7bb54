// Files read whole and written whole: reading with a size limit, and replacing a file by
// writing a temporary file beside it and renaming it over the old one, so that a failed
// save leaves the old file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum FileReadStatus : int32_t {
    FILE_READ_OK = 0,
    FILE_READ_CANNOT_OPEN,  // missing, a folder, or locked
    FILE_READ_TOO_LARGE,    // above the caller's limit: no file of ours is that large
    FILE_READ_FAILED,
};

FileReadStatus WholeFileRead(const char* path, size_t maxBytes, std::string& bytes);

// 1 when path holds exactly bytes; 0 when any step failed (the temporary file is removed
// and the old file, if any, is untouched). Every write, the flush, the close and the
// rename are checked.
int32_t WholeFileReplace(const char* path, const std::string& bytes);
