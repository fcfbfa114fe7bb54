// The default system calls.

#include "host/system_calls.h"

#include <shlobj.h>

#include <cstdlib>

namespace {
HRESULT AppDataFolder(char* out) {
    return SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, out);
}

constexpr SystemCalls kRealCalls = {calloc,        realloc,          free,        CreateFileA,
                                    WriteFile,     FlushFileBuffers, CloseHandle, MoveFileExA,
                                    AppDataFolder, GetTickCount,     CreateThread};
}  // namespace

SystemCalls gSystem = kRealCalls;

void SystemCallsReset() {
    gSystem = kRealCalls;
}
