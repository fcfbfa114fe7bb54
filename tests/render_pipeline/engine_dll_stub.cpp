// The engine tests link the plug-in's libraries into a program: the plug-in's DLL entry
// forwards to the C runtime's DLL start-up, which a program does not have.

#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
