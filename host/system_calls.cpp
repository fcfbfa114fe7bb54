// The default system calls.

#include "host/system_calls.h"

#include <shlobj.h>

#include <cstdlib>

namespace {
HRESULT AppDataFolder(char* out) {
    return SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, out);
}
}  // namespace

SystemCalls gSystem = {calloc,           realloc,     free,        WriteFile,
                       FlushFileBuffers, CloseHandle, MoveFileExA, AppDataFolder};

void SystemCallsReset() {
    gSystem = SystemCalls{calloc,           realloc,     free,        WriteFile,
                          FlushFileBuffers, CloseHandle, MoveFileExA, AppDataFolder};
}
