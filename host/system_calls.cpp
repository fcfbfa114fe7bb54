// The default system calls.

#include "host/system_calls.h"

#include <shlobj.h>

#include <cstdlib>
#include <cstring>

namespace {
// The user's application-data folder stays where it is for the life of the process; asking
// the shell goes through the registry, most of a millisecond under Wine at every session
// start, which a run without the dialog spends before it renders. Only an answer is kept.
SRWLOCK gAppDataLock = SRWLOCK_INIT;
char gAppData[MAX_PATH] = "";

HRESULT AppDataFolder(char* out) {
    AcquireSRWLockExclusive(&gAppDataLock);
    HRESULT result = S_OK;
    if (!gAppData[0]) {
        char folder[MAX_PATH] = "";
        result = SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
        if (result == S_OK) memcpy(gAppData, folder, sizeof gAppData);
    }
    if (result == S_OK) memcpy(out, gAppData, sizeof gAppData);
    ReleaseSRWLockExclusive(&gAppDataLock);
    return result;
}

constexpr SystemCalls kRealCalls = {calloc,        realloc,          free,        CreateFileA,
                                    WriteFile,     FlushFileBuffers, CloseHandle, MoveFileExA,
                                    AppDataFolder, GetTickCount,     CreateThread};
}  // namespace

SystemCalls gSystem = kRealCalls;

void SystemCallsReset() {
    gSystem = kRealCalls;
}
