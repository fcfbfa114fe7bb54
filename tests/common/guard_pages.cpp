// The guard-page heap: one reserved region handed out page by page, never reused, with a table
// of the blocks' sizes by their first page.

#include "common/guard_pages.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/system_calls.h"

namespace {
constexpr size_t kPage = 4096;
// Address space only: pages are committed as blocks take them.
// A 32-bit process has less: a quarter of its 2 GB.
constexpr size_t kRegionBytes = sizeof(void*) == 8 ? size_t(1) << 35 : size_t(1) << 29;
constexpr size_t kRegionPages = kRegionBytes / kPage;
// Blocks are as aligned as the C heap's, so that aligned vector loads still work.
constexpr size_t kAlign = 16;

struct GuardHeap {
    uint8_t* region;
    size_t* sizes;    // per page of the region: 1 + the size of the block starting there
    size_t nextPage;  // the next page a block may take (a guard page comes first)
    SRWLOCK lock;
    GuardSide side;
    std::atomic<bool> arrays;
    std::atomic<bool> everyNew;
    std::atomic<size_t> made, freed;
    void* (*oldReallocate)(void*, size_t);
    void* (*oldAllocateZeroed)(size_t, size_t);
    void (*oldRelease)(void*);
};
GuardHeap gHeap = {nullptr, nullptr, 0,   SRWLOCK_INIT, GuardSide::kEnd, {false},
                   {false}, {0},     {0}, nullptr,      nullptr,         nullptr};

bool Owned(const void* block) {
    const uint8_t* p = static_cast<const uint8_t*>(block);
    return gHeap.region && p >= gHeap.region && p < gHeap.region + kRegionBytes;
}

[[noreturn]] void Fail(const char* what, const void* block) {
    fprintf(stderr, "guard pages: %s %p\n", what, block);
    fflush(stderr);
    // A fault here gives the backtrace of the caller.
    *static_cast<volatile int*>(nullptr) = 0;
    abort();
}

bool ReserveRegion() {
    if (gHeap.region) return true;
    void* region = VirtualAlloc(nullptr, kRegionBytes, MEM_RESERVE, PAGE_NOACCESS);
    void* sizes = VirtualAlloc(nullptr, kRegionPages * sizeof(size_t), MEM_RESERVE | MEM_COMMIT,
                               PAGE_READWRITE);
    if (!region || !sizes) return false;
    gHeap.region = static_cast<uint8_t*>(region);
    gHeap.sizes = static_cast<size_t*>(sizes);
    gHeap.nextPage = 0;
    return true;
}

// Null when the region is used up (the caller then falls back to the C heap).
void* GuardAllocate(size_t bytes) {
    const size_t rounded = (std::max<size_t>(bytes, 1) + kAlign - 1) / kAlign * kAlign;
    const size_t pages = (rounded + kPage - 1) / kPage;
    AcquireSRWLockExclusive(&gHeap.lock);
    const size_t first = gHeap.nextPage + 1;  // after a guard page
    if (first + pages + 1 > kRegionPages) {
        ReleaseSRWLockExclusive(&gHeap.lock);
        return nullptr;
    }
    gHeap.nextPage = first + pages;
    uint8_t* start = gHeap.region + first * kPage;
    if (!VirtualAlloc(start, pages * kPage, MEM_COMMIT, PAGE_READWRITE)) {
        ReleaseSRWLockExclusive(&gHeap.lock);
        return nullptr;
    }
    uint8_t* block = gHeap.side == GuardSide::kEnd ? start + pages * kPage - rounded : start;
    gHeap.sizes[(block - gHeap.region) / kPage] = bytes + 1;
    ReleaseSRWLockExclusive(&gHeap.lock);
    gHeap.made.fetch_add(1, std::memory_order_relaxed);
    return block;
}

size_t GuardSize(void* block) {
    if (reinterpret_cast<uintptr_t>(block) % kAlign) Fail("not a block start:", block);
    AcquireSRWLockShared(&gHeap.lock);
    const size_t size = gHeap.sizes[(static_cast<uint8_t*>(block) - gHeap.region) / kPage];
    ReleaseSRWLockShared(&gHeap.lock);
    if (size == 0) Fail("freed twice or never made:", block);
    return size - 1;
}

void GuardFree(void* block) {
    const size_t bytes = GuardSize(block);
    const size_t rounded = (std::max<size_t>(bytes, 1) + kAlign - 1) / kAlign * kAlign;
    const size_t pages = (rounded + kPage - 1) / kPage;
    uint8_t* start = gHeap.region + (static_cast<uint8_t*>(block) - gHeap.region) / kPage * kPage;
    AcquireSRWLockExclusive(&gHeap.lock);
    gHeap.sizes[(start - gHeap.region) / kPage] = 0;
    ReleaseSRWLockExclusive(&gHeap.lock);
    VirtualFree(start, pages * kPage, MEM_DECOMMIT);
    gHeap.freed.fetch_add(1, std::memory_order_relaxed);
}

void* Reallocate(void* block, size_t bytes) {
    if (block && !Owned(block)) return gHeap.oldReallocate(block, bytes);
    // Removed: a block of the guard heap moves to the C heap.
    void* fresh = gHeap.arrays.load() ? GuardAllocate(bytes) : gHeap.oldReallocate(nullptr, bytes);
    if (!fresh) return nullptr;
    if (block) {
        memcpy(fresh, block, std::min(bytes, GuardSize(block)));
        GuardFree(block);
    }
    return fresh;
}

void* AllocateZeroed(size_t count, size_t size) {
    if (size && count > SIZE_MAX / size) return nullptr;
    return GuardAllocate(count * size);  // committed pages are zero
}

void Release(void* block) {
    if (!block) return;
    if (Owned(block))
        GuardFree(block);
    else
        gHeap.oldRelease(block);
}

void* NewBlock(size_t bytes) {
    if (gHeap.everyNew.load(std::memory_order_relaxed))
        if (void* block = GuardAllocate(bytes)) return block;
    return malloc(std::max<size_t>(bytes, 1));
}

void DeleteBlock(void* block) {
    if (!block) return;
    if (Owned(block))
        GuardFree(block);
    else
        free(block);
}
}  // namespace

void* operator new(size_t bytes) {
    if (void* block = NewBlock(bytes)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t bytes) {
    return operator new(bytes);
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    return NewBlock(bytes);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    return NewBlock(bytes);
}
void operator delete(void* block) noexcept {
    DeleteBlock(block);
}
void operator delete[](void* block) noexcept {
    DeleteBlock(block);
}
void operator delete(void* block, size_t) noexcept {
    DeleteBlock(block);
}
void operator delete[](void* block, size_t) noexcept {
    DeleteBlock(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    DeleteBlock(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    DeleteBlock(block);
}

void InstallGuardPages(GuardSide side, bool everyNew) {
    if (gHeap.arrays.load() || !ReserveRegion()) return;
    gHeap.side = side;
    gHeap.oldReallocate = gSystem.reallocate;
    gHeap.oldAllocateZeroed = gSystem.allocateZeroed;
    gHeap.oldRelease = gSystem.release;
    gSystem.reallocate = Reallocate;
    gSystem.allocateZeroed = AllocateZeroed;
    gSystem.release = Release;
    gHeap.arrays.store(true);
    gHeap.everyNew.store(everyNew);
}

void RemoveGuardPages() {
    if (!gHeap.arrays.load()) return;
    gHeap.everyNew.store(false);
    // Blocks of the guard heap may still be in the arrays: their resizes and frees keep
    // finding it, since Reallocate and Release tell the blocks apart by their address.
    gSystem.allocateZeroed = gHeap.oldAllocateZeroed;
    gHeap.arrays.store(false);
}

size_t GuardPageBlocksMade() {
    return gHeap.made.load();
}

size_t GuardPageBlocksFreed() {
    return gHeap.freed.load();
}

void InstallGuardPagesFromEnvironment() {
    if (gHeap.arrays.load()) return;
    const char* mode = getenv("GREYLOOM_GUARD_PAGES");
    if (!mode || !*mode) return;
    const GuardSide side = strncmp(mode, "start", 5) == 0 ? GuardSide::kStart : GuardSide::kEnd;
    InstallGuardPages(side, strstr(mode, "+new") != nullptr);
    fprintf(stderr, "guard pages: %s\n", mode);
}

namespace {
// Before any test: a program linked with the guard heap can be searched with it by hand.
const bool gFromEnvironment = (InstallGuardPagesFromEnvironment(), true);
}  // namespace
