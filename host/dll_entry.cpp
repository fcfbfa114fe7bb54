// The DLL's load routine. Built only into plug-in DLLs (see cmake/plugin.cmake): it hands over
// to the C runtime's DLL start-up, which a test program does not have.

#include <windows.h>

#include "host/plugin_data.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved);

// The DLL's entry routine: records the module, then lets the C runtime start. Nothing else is
// built at load time.
extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    if (reason <= DLL_THREAD_DETACH) return DllMainCRTStartup(instance, reason, reserved) ? 1 : 0;
    return 1;
}
