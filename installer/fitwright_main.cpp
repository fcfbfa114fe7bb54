// Fitwright's entry: the command line, the shell's COM apartment and the main window.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "installer/main_window.h"

static std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list) return arguments;
    for (int i = 0; i < count; i++) arguments.push_back(list[i]);
    LocalFree(list);
    return arguments;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // The folder dialog's new style needs an OLE apartment on this thread.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    int exitCode = MainWindowRun(CommandLineArguments(), showCommand);
    OleUninitialize();
    return exitCode;
}
