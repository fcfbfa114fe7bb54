// The system calls that can fail and that tests make fail: large allocations, and the file
// writes, closes, renames and folder look-ups of the settings and preset files. Every entry
// defaults to the real call; a test swaps one entry, then restores it (SystemCallsReset).
#pragma once

#include <windows.h>

#include <cstddef>

struct SystemCalls {
    void* (*allocateZeroed)(size_t count, size_t size);                      // calloc
    void* (*reallocate)(void* block, size_t size);                           // realloc
    void (*release)(void* block);                                            // free
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);  // WriteFile
    BOOL(WINAPI* flushFile)(HANDLE);                                         // FlushFileBuffers
    BOOL(WINAPI* closeHandle)(HANDLE);                                       // CloseHandle
    BOOL(WINAPI* moveFile)(LPCSTR from, LPCSTR to, DWORD flags);             // MoveFileExA
    // The user's application-data folder into out (MAX_PATH bytes); S_OK when known.
    HRESULT (*appDataFolder)(char* out);
};
extern SystemCalls gSystem;

void SystemCallsReset();
