// Files read and written whole: a reader that refuses folders and oversized files, and a
// writer that replaces a file only once its new contents are safely on disk. Shared by the
// dialog's skin file and the effect's settings and preset files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum WholeFileRead : int32_t {
    WHOLE_FILE_READ = 0,
    WHOLE_FILE_MISSING = 1,    // no such file, or it cannot be opened
    WHOLE_FILE_TOO_LARGE = 2,  // longer than the caller's limit: no file of ours
    WHOLE_FILE_FOLDER = 3,     // a folder stands where the file is expected
};

WholeFileRead ReadWholeFile(const char* path, size_t maxBytes, std::string* out);

// Writes the contents to "<path>.tmp", flushes and closes it, and only then renames it over
// the path, so that a failed write leaves the old file as it was. Every write, the flush,
// the close and the rename are checked; false (and no temporary file left) on any failure,
// and at once for a read-only file or a folder at the path.
bool ReplaceWholeFile(const char* path, const std::string& contents);

// Renames the file to "<path>.bak" (replacing an older one); true when it was moved.
bool KeepFileAsBackup(const char* path);
