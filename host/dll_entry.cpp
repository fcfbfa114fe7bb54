// The DLL's load routine. Built only into plug-in DLLs (see cmake/plugin.cmake): it hands over
// to the C runtime's DLL start-up, which a test program does not have.

#include <windows.h>

#include "host/fault_guard.h"
#include "host/numbered_arrays.h"
#include "host/plugin_data.h"
#include "host/worker_threads.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved);

// The DLL's entry routine: records the module, then lets the C runtime start. Nothing else is
// built at load time; at an unload, no thread of ours is left to run the code that goes: the
// worker pool's threads and the thread that frees a run's arrays hold the module until they
// are done, so what is left of them here is records to free.
extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    if (reason == DLL_PROCESS_DETACH) RemoveFaultGuardHandler();
    // At the process's end (reserved set) the system has ended every other thread already.
    if (reason == DLL_PROCESS_DETACH && !reserved) EndWorkerPoolAtUnload();
    if (reason == DLL_PROCESS_DETACH) EndArrayReleasesAtUnload();
    if (reason <= DLL_THREAD_DETACH) return DllMainCRTStartup(instance, reason, reserved) ? 1 : 0;
    return 1;
}
