// What the process holds that a plug-in may leave behind: its threads, its address space, and
// a module's image. Tests of unloading and of thread ends wait for and count these.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>

// Threads of this process as the system lists them: a thread that has left our code may still
// be on its way out, its stack still reserved.
inline int32_t ProcessThreads() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int32_t count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    return count;
}

// True once the process is down to at most `threads` threads, false when it is not within
// timeoutMs.
inline bool WaitForThreads(int32_t threads, DWORD timeoutMs) {
    const DWORD startMs = GetTickCount();
    while (ProcessThreads() > threads) {
        if (GetTickCount() - startMs > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

// Sums the regions of the process's address space that pass `counts`.
template <typename Counts>
int64_t AddressSpaceWhere(Counts counts) {
    int64_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const uint8_t* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize) {
        if (counts(info)) total += int64_t(info.RegionSize);
        if (info.RegionSize == 0) break;
    }
    return total;
}

// Address space the process holds, reserved or committed: what a 32-bit host runs out of. A
// thread's stack is reserved whole when the thread is made.
inline int64_t AddressSpaceInUse() {
    return AddressSpaceWhere([](const MEMORY_BASIC_INFORMATION& i) { return i.State != MEM_FREE; });
}

// Committed private memory of the process: the heap's large blocks are regions of their own,
// which go back to the system when freed.
inline int64_t CommittedPrivateBytes() {
    return AddressSpaceWhere([](const MEMORY_BASIC_INFORMATION& i) {
        return i.State == MEM_COMMIT && i.Type == MEM_PRIVATE;
    });
}

inline bool ModuleMapped(HMODULE module) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(module, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT;
}

// True once the module's image is unmapped, false when it is still there after timeoutMs. The
// plug-in's own threads (the worker pool, the one freeing a run's blocks) hold its module until
// they have ended, so an unloaded plug-in goes some time after the host's FreeLibrary.
inline bool WaitForModuleGone(HMODULE module, DWORD timeoutMs) {
    const DWORD startMs = GetTickCount();
    while (ModuleMapped(module)) {
        if (GetTickCount() - startMs > timeoutMs) return false;
        Sleep(2);
    }
    return true;
}
