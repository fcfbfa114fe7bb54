// The system calls that can fail and that tests make fail: large allocations and the file
// calls of the settings and preset writers. Every entry defaults to the real call; a test
// swaps one entry, then restores it (SystemCallsReset).
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
    BOOL(WINAPI* moveFileEx)(LPCSTR, LPCSTR, DWORD);
};
extern SystemCalls gSystem;

void SystemCallsReset();
