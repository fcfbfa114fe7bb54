// File-name helpers of the effect's preset and settings code: paths with backslashes, no
// file-system access except FileExists. Every output is cut to its buffer and terminated.
#pragma once

#include <cstddef>
#include <cstdint>

// 1 when the name holds none of \ / : * ? " < > |; 0 for such a name or no name.
int32_t IsValidFileName(const char* name);

// The part after the last backslash (the whole path without one); 0 for an empty path or a
// name that does not fit (out then holds it cut).
int32_t GetFileNamePart(const char* path, char* out, size_t outSize);

// GetFileNamePart cut at its last "."; 1 when a dot was cut, else 0 (the name stays whole).
int32_t GetFileBaseName(const char* path, char* out, size_t outSize);

// The path up to and including its last backslash; 0 (and an empty out) for an empty path or
// one without a backslash.
int32_t GetFileFolder(const char* path, char* out, size_t outSize);

// 1 when the file's attributes can be read.
int32_t FileExists(const char* path);
