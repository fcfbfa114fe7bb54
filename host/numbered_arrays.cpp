// The numbered arrays: allocation on the heap or from the host, element and text access,
// and loading from resources or files.

#include "host/numbered_arrays.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "host/message_boxes.h"
#include "host/host_services.h"
#include "host/plugin_data.h"
#include "host/system_calls.h"

NumberedArray gArrays[kArrayCount];

namespace {
// Every block carries one zero byte past its end, so that a text row without its own
// terminator still ends inside our memory.
constexpr int64_t kGuardBytes = 1;
constexpr const char* kNotAvailable = "Not Available";

bool gUseHostBuffers = false;

// A heap block handed over by ReleaseRenderWorkArraysInBackground.
struct HandedOverBlock {
    void* base;
    size_t bytes;  // as allocated, the guard byte included
};

// The blocks of ReleaseRenderWorkArraysInBackground and the thread that frees them. Written on
// the host's thread while no such thread runs; the thread only reads the list.
struct BackgroundRelease {
    HANDLE thread;  // closed by WaitForArrayReleases, or at the module's unloading
    std::vector<HandedOverBlock> blocks;
    // gSystem.release when the blocks were handed over: a test may swap the entry back while
    // the thread still frees what the swapped one allocated.
    void (*release)(void* block);
};
BackgroundRelease gBackgroundRelease;
bool gRenderWork[kArrayCount];  // set by MarkRenderWorkArrays

// Under Wine, freeing a block of a hundred megabytes gives its pages back in one call that
// holds the heap's lock and the process's mapping lock throughout (tens of milliseconds):
// the host's allocations and first touches of fresh pages wait behind it. Dropping the pages
// first, a piece at a time, lets them in between the pieces, and the free is then quick.
// The pieces stay committed (the heap may hand the memory out again), so this is sound for
// any block: only whole pages inside it are touched.
constexpr size_t kPageDropPieceBytes = size_t(16) << 20;
constexpr size_t kPageDropMinBytes = size_t(1) << 20;  // below: one free is short anyway
constexpr uintptr_t kPageBytes = 4096;

void DropBlockPages(const HandedOverBlock& block) {
    if (block.bytes < kPageDropMinBytes) return;
    const uintptr_t first = (uintptr_t(block.base) + kPageBytes - 1) & ~(kPageBytes - 1);
    const uintptr_t end = (uintptr_t(block.base) + block.bytes) & ~(kPageBytes - 1);
    for (uintptr_t at = first; at < end;) {
        const size_t piece = std::min<size_t>(kPageDropPieceBytes, end - at);
        // The protection is ignored but must be valid; a range the system refuses is freed
        // whole below.
        VirtualAlloc(reinterpret_cast<void*>(at), piece, MEM_RESET, PAGE_NOACCESS);
        at += piece;
    }
}

void FreeHandedOverBlocks() {
    for (const HandedOverBlock& block : gBackgroundRelease.blocks) {
        DropBlockPages(block);
        gBackgroundRelease.release(block.base);
    }
}

// The thread's parameter is the reference on our module taken for it: the host may unload
// the plug-in as soon as its call returns, and the code must stay until the last free. The
// system's own routine drops the reference and ends the thread, so that no line of ours runs
// after the module may be gone.
DWORD WINAPI FreeBlocks(LPVOID module) {
    FreeHandedOverBlocks();
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
}

bool ArrayReleasesPending() {
    return gBackgroundRelease.thread != nullptr;
}

bool ValidNumber(int32_t n) {
    return n >= 0 && n < kArrayCount;
}

NumberedArray* ExistingArray(int32_t n) {
    return ValidNumber(n) && gArrays[n].base ? &gArrays[n] : nullptr;
}

const BufferProcs* HostBuffers() {
    const BufferProcs* suite = gDataBlock && gStuff ? gStuff->bufferProcs : nullptr;
    return BufferSuiteAvailable(suite, nullptr) ? suite : nullptr;
}

void ReleaseHostBuffer(NumberedArray& array) {
    if (!array.hostBuffer) return;
    if (const BufferProcs* suite = HostBuffers()) {
        HostUnlockBuffer(suite, array.hostBufferId);
        HostFreeBuffer(suite, array.hostBufferId);
    }
    array.base = nullptr;
    array.hostBufferId = nullptr;
    array.hostBuffer = false;
}

void ReleaseMemory(NumberedArray& array) {
    if (array.borrowed)
        array.base = nullptr;
    else if (array.hostBuffer)
        ReleaseHostBuffer(array);
    else if (array.base)
        gSystem.release(array.base);
    array = NumberedArray{};
}

// Gives the array a block of byteSize bytes (plus the guard). Heap blocks are resized, so
// that their leading bytes survive; host buffers are fresh. On failure the array is empty.
bool AllocateMemory(NumberedArray& array, int64_t byteSize) {
    const int64_t total = byteSize + kGuardBytes;
    if (array.borrowed) ReleaseMemory(array);
    if (uint64_t(total) > SIZE_MAX) {
        ReleaseMemory(array);
        return false;
    }
    const BufferProcs* suite = gUseHostBuffers ? HostBuffers() : nullptr;
    if (suite) {
        ReleaseMemory(array);
        void* id = nullptr;
        if (total <= INT32_MAX && HostAllocateBuffer(suite, int32_t(total), &id) == 0) {
            if (void* data = HostLockBuffer(suite, id, true)) {
                array.base = static_cast<uint8_t*>(data);
                array.hostBufferId = id;
                array.hostBuffer = true;
            } else {
                HostFreeBuffer(suite, id);
            }
        }
    } else {
        ReleaseHostBuffer(array);
    }
    if (!array.base || !array.hostBuffer) {
        void* data = gSystem.reallocate(array.base, size_t(total));
        // The last run's blocks may still be on their way back to the system.
        if (!data && ArrayReleasesPending()) {
            WaitForArrayReleases();
            data = gSystem.reallocate(array.base, size_t(total));
        }
        if (!data) {
            ReleaseMemory(array);
            return false;
        }
        array.base = static_cast<uint8_t*>(data);
    }
    array.base[byteSize] = 0;
    array.byteSize = byteSize;
    array.roomBytes = 0;
    return true;
}

// True when the array's block takes byteSize bytes as it is.
bool BlockFits(const NumberedArray& array, int64_t byteSize) {
    return array.base && (array.byteSize == byteSize || byteSize <= array.roomBytes);
}

// The array takes byteSize bytes of the block it has; the guard byte follows them.
void TakeBytes(NumberedArray& array, int64_t byteSize) {
    if (array.byteSize == byteSize) return;
    array.byteSize = byteSize;
    array.base[byteSize] = 0;
}

// Gives the array a block of roomBytes when it needs less (need) and has no such block yet;
// a block that cannot be had leaves the array to be made at its own size.
void MakeRoom(NumberedArray& array, int64_t need, int64_t roomBytes) {
    if (roomBytes > need && !BlockFits(array, roomBytes) && AllocateMemory(array, roomBytes))
        array.roomBytes = roomBytes;
}

void CopyShape(const NumberedArray& source, NumberedArray& target) {
    target.elementBytes = source.elementBytes;
    target.xSize = source.xSize;
    target.ySize = source.ySize;
    target.zSize = source.zSize;
    target.border = source.border;
}

int64_t ElementCount(const NumberedArray& array) {
    return array.byteSize / array.elementBytes;
}

int64_t ElementIndex(const NumberedArray& array, int32_t x, int32_t y, int32_t z) {
    return ((int64_t(array.border) + y) * array.xSize + array.border + x) * array.zSize + z;
}

int32_t ClampToElement(int32_t elementBytes, int32_t value) {
    if (elementBytes == 1) return std::clamp(value, 0, 255);
    if (elementBytes == 2) return std::clamp(value, 0, 65535);
    return value;
}

void StoreElement(NumberedArray& array, int64_t index, int32_t value) {
    uint8_t* at = array.base + index * array.elementBytes;
    switch (array.elementBytes) {
        case 1:
            *at = uint8_t(value);
            break;
        case 2: {
            uint16_t v = uint16_t(value);
            memcpy(at, &v, sizeof v);
            break;
        }
        case 4:
            memcpy(at, &value, sizeof value);
            break;
        case 8: {
            int64_t v = value;
            memcpy(at, &v, sizeof v);
            break;
        }
    }
}

int64_t TextRowStart(const NumberedArray& array, int32_t row) {
    return (int64_t(array.border) + row) * array.ySize;
}

bool ReadWholeFile(const char* path, int32_t n) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool loaded = false;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= INT32_MAX &&
        CreateArray(n, int32_t(size.QuadPart), 1, 1, 1)) {
        DWORD read = 0;
        loaded = ReadFile(file, gArrays[n].base, DWORD(size.QuadPart), &read, nullptr) &&
                 read == DWORD(size.QuadPart);
    }
    CloseHandle(file);
    return loaded;
}

// The bytes of an array of x * y * z elements with the border; 0 when the shape is refused.
int64_t ShapeBytes(int32_t x, int32_t y, int32_t z, int32_t elementBytes, int32_t border) {
    if (elementBytes != 1 && elementBytes != 2 && elementBytes != 4 && elementBytes != 8) return 0;
    if (x < 1 || border < 0) return 0;
    const int64_t xSize = int64_t(x) + 2 * int64_t(border);
    const int64_t ySize = int64_t(std::max(y, 1)) + 2 * int64_t(border);
    if (xSize > INT32_MAX || ySize > INT32_MAX) return 0;
    int64_t byteSize = 0;
    if (__builtin_mul_overflow(xSize, ySize, &byteSize) ||
        __builtin_mul_overflow(byteSize, int64_t(std::max(z, 1)) * elementBytes, &byteSize) ||
        byteSize <= 0)
        return 0;
    return byteSize;
}
}  // namespace

int CreateArrayPadded(int32_t n, int32_t x, int32_t y, int32_t z, int32_t elementBytes,
                      int32_t border) {
    if (!ValidNumber(n)) return 0;
    const int64_t byteSize = ShapeBytes(x, y, z, elementBytes, border);
    if (byteSize == 0) return 0;
    y = std::max(y, 1);
    z = std::max(z, 1);
    const int64_t xSize = int64_t(x) + 2 * int64_t(border);
    const int64_t ySize = int64_t(y) + 2 * int64_t(border);

    NumberedArray& array = gArrays[n];
    if (BlockFits(array, byteSize)) {
        TakeBytes(array, byteSize);
    } else if (!AllocateMemory(array, byteSize)) {
        ShowErrorMessage("%s", "Unable to allocate enough memory.");
        SetCancelResult();
        return 0;
    }
    array.elementBytes = elementBytes;
    array.xSize = int32_t(xSize);
    array.ySize = int32_t(ySize);
    array.zSize = z;
    array.border = border;
    return 1;
}

int CreateArray(int32_t n, int32_t x, int32_t y, int32_t z, int32_t elementBytes) {
    return CreateArrayPadded(n, x, y, z, elementBytes, 0);
}

int CreateArrayWithRoom(int32_t n, int32_t x, int32_t y, int32_t z, int32_t elementBytes,
                        int64_t roomBytes) {
    const int64_t byteSize = ShapeBytes(x, y, z, elementBytes, 0);
    if (!ValidNumber(n) || byteSize == 0) return 0;
    MakeRoom(gArrays[n], byteSize, roomBytes);
    return CreateArrayPadded(n, x, y, z, elementBytes, 0);
}

int ReleaseArray(int32_t n) {
    NumberedArray* array = ExistingArray(n);
    if (!array) return 0;
    ReleaseMemory(*array);
    return 1;
}

int SwapArrays(int32_t a, int32_t b) {
    if (!ValidNumber(a) || !ValidNumber(b)) return 0;
    std::swap(gArrays[a], gArrays[b]);
    return 1;
}

int ShapeArrayLike(int32_t a, int32_t b) {
    const NumberedArray* source = ExistingArray(a);
    if (!source || source->byteSize <= 0 || !ValidNumber(b)) return 0;
    if (a == b) return 1;
    NumberedArray& target = gArrays[b];
    if (BlockFits(target, source->byteSize))
        TakeBytes(target, source->byteSize);
    else if (!AllocateMemory(target, source->byteSize))
        return 0;
    CopyShape(*source, target);
    return 1;
}

int ShapeArrayLikeWithRoom(int32_t a, int32_t b, int64_t roomBytes) {
    const NumberedArray* source = ExistingArray(a);
    if (!source || source->byteSize <= 0 || !ValidNumber(b) || a == b) return ShapeArrayLike(a, b);
    NumberedArray& target = gArrays[b];
    const int64_t need = source->byteSize;
    MakeRoom(target, need, roomBytes);
    if (!BlockFits(target, need) && !AllocateMemory(target, need)) return 0;
    TakeBytes(target, need);
    CopyShape(*source, target);
    return 1;
}

int BorrowArrayBlock(int32_t n, uint8_t* block, int32_t x, int32_t y, int32_t z,
                     int32_t elementBytes) {
    if (!ValidNumber(n) || !block || x < 1 || y < 1 || z < 1) return 0;
    if (elementBytes != 1 && elementBytes != 2 && elementBytes != 4 && elementBytes != 8) return 0;
    int64_t byteSize = 0;
    if (__builtin_mul_overflow(int64_t(x) * y, int64_t(z) * elementBytes, &byteSize)) return 0;
    NumberedArray& array = gArrays[n];
    ReleaseMemory(array);
    array.base = block;
    array.borrowed = true;
    array.byteSize = byteSize;
    array.elementBytes = elementBytes;
    array.xSize = x;
    array.ySize = y;
    array.zSize = z;
    return 1;
}

int CopyArrayData(int32_t a, int32_t b) {
    if (!ShapeArrayLike(a, b)) return 0;
    if (a != b) memcpy(gArrays[b].base, gArrays[a].base, size_t(gArrays[a].byteSize));
    return 1;
}

int32_t GetArrayElement(int32_t n, int32_t x, int32_t y, int32_t z) {
    const NumberedArray* array = ExistingArray(n);
    if (!array || array->elementBytes == 8 || z < 0 || z >= array->zSize) return 0;
    x = std::clamp(x, -array->border, array->xSize - array->border - 1);
    y = std::clamp(y, -array->border, array->ySize - array->border - 1);
    const int64_t index = ElementIndex(*array, x, y, z);
    if (index < 0 || index >= ElementCount(*array)) return 0;
    const uint8_t* at = array->base + index * array->elementBytes;
    switch (array->elementBytes) {
        case 1:
            return *at;
        case 2: {
            uint16_t v;
            memcpy(&v, at, sizeof v);
            return v;
        }
        default: {
            int32_t v;
            memcpy(&v, at, sizeof v);
            return v;
        }
    }
}

int PutArrayElement(int32_t n, int32_t x, int32_t y, int32_t z, int32_t value) {
    NumberedArray* array = ExistingArray(n);
    if (!array || array->elementBytes == 8) return 0;
    const int64_t index = ElementIndex(*array, x, y, z);
    if (index < 0 || index >= ElementCount(*array)) return 0;
    StoreElement(*array, index, ClampToElement(array->elementBytes, value));
    return 1;
}

int PutArrayElementRaw(int32_t n, int32_t x, int32_t y, int32_t z, int32_t value) {
    NumberedArray* array = ExistingArray(n);
    if (!array) return 0;
    const int64_t index = ElementIndex(*array, x, y, z);
    if (index < 0 || index >= ElementCount(*array)) return 0;
    StoreElement(*array, index, value);
    return 1;
}

int SetAllArrayElements(int32_t n, int32_t value) {
    NumberedArray* array = ExistingArray(n);
    if (!array) return 0;
    const int64_t count = ElementCount(*array);
    if (array->elementBytes == 8) {
        const double v = value;
        for (int64_t i = 0; i < count; ++i) memcpy(array->base + i * 8, &v, sizeof v);
        return 1;
    }
    const int32_t clamped = ClampToElement(array->elementBytes, value);
    if (array->elementBytes == 1) {
        memset(array->base, clamped, size_t(count));
        return 1;
    }
    for (int64_t i = 0; i < count; ++i) StoreElement(*array, i, clamped);
    return 1;
}

int PutArrayString(int32_t n, int32_t row, const char* text) {
    NumberedArray* array = ExistingArray(n);
    if (!array || !text || row < 0) return 0;
    const int64_t start = TextRowStart(*array, row);
    const int64_t length = int64_t(strlen(text)) + 1;
    if (start < 0 || start + length > array->byteSize) return 0;
    memcpy(array->base + start, text, size_t(length));
    return 1;
}

const char* GetArrayString(int32_t n, int32_t row) {
    const NumberedArray* array = ExistingArray(n);
    if (!array || row < 0) return kNotAvailable;
    const int64_t start = TextRowStart(*array, row);
    if (start < 0 || start >= array->byteSize) return kNotAvailable;
    return reinterpret_cast<const char*>(array->base + start);
}

int32_t GetArrayDimension(int32_t n, int32_t which) {
    const NumberedArray* array = ExistingArray(n);
    if (!array) return 0;
    switch (which) {
        case 0:
            return array->xSize;
        case 1:
            return array->ySize;
        case 2:
            return array->zSize;
        case 3:
            return array->elementBytes;
    }
    return 0;
}

void* GetArrayBase(int32_t n) {
    const NumberedArray* array = ExistingArray(n);
    return array ? array->base : nullptr;
}

int LoadArrayFromResource(const char* type, const char* name, int32_t n) {
    if (!ValidNumber(n) || !type || !name) return 0;
    if (HRSRC found = FindResourceA(gModule, name, type)) {
        const DWORD size = SizeofResource(gModule, found);
        HGLOBAL loaded = LoadResource(gModule, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (bytes && size > 0 && size <= INT32_MAX) {
            if (!CreateArray(n, int32_t(size), 1, 1, 1)) return 0;
            memcpy(gArrays[n].base, bytes, size);
            return 1;
        }
    }
    return ReadWholeFile(name, n) ? 1 : 0;
}

int UseHostBufferSuite(int on) {
    gUseHostBuffers = on && HostBuffers() != nullptr;
    return on && !gUseHostBuffers ? 0 : 1;
}

void MarkRenderWorkArrays(const int32_t* numbers, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        if (ValidNumber(numbers[i])) gRenderWork[numbers[i]] = true;
}

void ReleaseRenderWorkArraysInBackground() {
    WaitForArrayReleases();
    BackgroundRelease& r = gBackgroundRelease;
    for (int32_t n = 0; n < kArrayCount; ++n) {
        NumberedArray* array = gRenderWork[n] ? ExistingArray(n) : nullptr;
        if (!array) continue;
        if (array->hostBuffer || array->borrowed) {
            ReleaseMemory(*array);
            continue;
        }
        const int64_t bytes = std::max(array->byteSize, array->roomBytes) + kGuardBytes;
        r.blocks.push_back({array->base, size_t(bytes)});
        *array = NumberedArray{};
    }
    if (r.blocks.empty()) return;
    r.release = gSystem.release;
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(&FreeBlocks), &module)) {
        // Not through gSystem.createThread: tests count the worker threads made there.
        r.thread = CreateThread(nullptr, 0, FreeBlocks, module, 0, nullptr);
        if (r.thread) return;
        FreeLibrary(module);
    }
    FreeHandedOverBlocks();
    r.blocks.clear();
}

void WaitForArrayReleases() {
    BackgroundRelease& r = gBackgroundRelease;
    if (r.thread) {
        WaitForSingleObject(r.thread, INFINITE);
        CloseHandle(r.thread);
        r.thread = nullptr;
    }
    r.blocks.clear();
}

void EndArrayReleasesAtUnload() {
    BackgroundRelease& r = gBackgroundRelease;
    if (r.thread) CloseHandle(r.thread);
    r.thread = nullptr;
}

void ReleaseAllArrays() {
    for (int32_t n = 0; n < kArrayCount; ++n) ReleaseArray(n);
}

void ResetArrayTables() {
    WaitForArrayReleases();
    gUseHostBuffers = false;
    std::fill(std::begin(gRenderWork), std::end(gRenderWork), false);
    for (NumberedArray& array : gArrays) {
        if (array.base && !array.hostBuffer && !array.borrowed) gSystem.release(array.base);
        array = NumberedArray{};
    }
}
