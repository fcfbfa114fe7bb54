// The system calls that can fail and that tests make fail: large allocations. Every entry
// defaults to the real call; a test swaps one entry, then restores it (SystemCallsReset).
#pragma once

#include <cstddef>

struct SystemCalls {
    void* (*allocateZeroed)(size_t count, size_t size);  // calloc
    void* (*reallocate)(void* block, size_t size);       // realloc
    void (*release)(void* block);                        // free
};
extern SystemCalls gSystem;

void SystemCallsReset();
