// The default system calls.

#include "host/system_calls.h"

#include <cstdlib>

namespace {
constexpr SystemCalls kRealCalls = {calloc,    realloc,          free,        CreateFileA,
                                    WriteFile, FlushFileBuffers, CloseHandle, MoveFileExA};
}  // namespace

SystemCalls gSystem = kRealCalls;

void SystemCallsReset() {
    gSystem = kRealCalls;
}
