// The framework's DLL entry hands over to the C runtime's DLL start routine; a test program
// is an executable, whose runtime has none, and never calls the DLL entry.

#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
