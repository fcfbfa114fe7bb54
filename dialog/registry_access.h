// The effect's registry reads: a root key and a key path kept in the parameter block, and
// string values read under them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#ifndef GREYLOOM_PRINTF
#define GREYLOOM_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

enum RegistryResult : int32_t {
    REGISTRY_OK = 0,
    REGISTRY_CANNOT_OPEN = 12,
    REGISTRY_BAD_TEXT = 13,  // a name or path that does not fit, or a value that is no string
};

int32_t SetRegistryRoot(HKEY root);
// Formats the key path into gParams->registryPath; 13 when it did not fit.
int32_t SetRegistryPath(const char* format, ...) GREYLOOM_PRINTF(1, 2);
// Reads the REG_SZ value named by the formatted, expanded name under the root and the
// expanded path into out (always terminated).
int32_t QueryRegistryString(char* out, size_t outSize, const char* nameFormat, ...)
    GREYLOOM_PRINTF(3, 4);
