// The system calls that can fail and that tests make fail: large allocations, and the file
// creates, writes, closes, renames and folder look-ups of the settings and preset files; the
// making of worker threads; and the clock that tests set. Every
// entry defaults to the real call; a test swaps one entry, then restores it (SystemCallsReset).
#pragma once

#include <windows.h>

#include <cstddef>

struct SystemCalls {
    void* (*allocateZeroed)(size_t count, size_t size);  // calloc
    void* (*reallocate)(void* block, size_t size);       // realloc
    void (*release)(void* block);                        // free
    HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* flushFileBuffers)(HANDLE);
    BOOL(WINAPI* closeHandle)(HANDLE);
    BOOL(WINAPI* moveFileEx)(LPCSTR from, LPCSTR to, DWORD flags);
    // The user's application-data folder into out (MAX_PATH bytes); S_OK when known.
    HRESULT (*appDataFolder)(char* out);
    // The millisecond clock by which a rendering paces its looks at the keyboard and its
    // progress bar; a test drives it by hand.
    DWORD(WINAPI* tickCount)();  // GetTickCount
    // The worker threads' (a test lets the making of the n-th fail).
    HANDLE(WINAPI* createThread)
    (LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
     LPDWORD);  // CreateThread
};
extern SystemCalls gSystem;

void SystemCallsReset();
