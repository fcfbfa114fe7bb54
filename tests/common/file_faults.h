// Failing stand-ins for the file calls of gSystem, and the table of faults a save must
// survive: each entry swaps one call; SystemCallsReset puts the real ones back.
#pragma once

#include <windows.h>

#include "host/system_calls.h"

namespace file_faults {
inline int gWritesLeft;  // writes that still succeed under FailingWrite
inline BOOL WINAPI FailingWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                LPOVERLAPPED o) {
    if (gWritesLeft-- <= 0) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, data, size, written, o);
}
inline BOOL WINAPI ShortWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                              LPOVERLAPPED o) {
    return WriteFile(file, data, size / 2, written, o);
}
// Closes the file, as a failing close on a network share may, and still reports failure.
inline BOOL WINAPI FailingClose(HANDLE file) {
    CloseHandle(file);
    return FALSE;
}
inline BOOL WINAPI FailingFlush(HANDLE) {
    return FALSE;
}
inline BOOL WINAPI FailingMove(LPCSTR, LPCSTR, DWORD) {
    return FALSE;
}
inline HANDLE WINAPI FailingCreate(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                   HANDLE) {
    SetLastError(ERROR_DISK_FULL);
    return INVALID_HANDLE_VALUE;
}
}  // namespace file_faults

struct FileFault {
    const char* what;
    void (*inject)();
};

inline constexpr FileFault kFileFaults[] = {
    {"create", [] { gSystem.createFile = file_faults::FailingCreate; }},
    {"first write",
     [] { file_faults::gWritesLeft = 0, gSystem.writeFile = file_faults::FailingWrite; }},
    {"short write", [] { gSystem.writeFile = file_faults::ShortWrite; }},
    {"flush", [] { gSystem.flushFileBuffers = file_faults::FailingFlush; }},
    {"close", [] { gSystem.closeHandle = file_faults::FailingClose; }},
    {"rename", [] { gSystem.moveFileEx = file_faults::FailingMove; }},
};
