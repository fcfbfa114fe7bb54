// The system's modal loops that a window's thread runs, read from another thread: a menu's
// own loop, the loop that moves or sizes a window by the mouse.
#pragma once

#include <windows.h>

// Whether the thread of the window is in a loop of the system's that the GUITHREADINFO flags
// name (GUI_INMOVESIZE, GUI_INMENUMODE, ...). Wine marks a popup menu's loop GUI_INMENUMODE
// alone, Windows with GUI_POPUPMENUMODE as well.
inline bool ThreadOfWindowIn(HWND window, DWORD loopFlags) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
           (info.flags & loopFlags) != 0;
}

// A popup menu's loop runs on the thread of the menu window.
inline bool InMenuLoop(HWND menu) {
    return ThreadOfWindowIn(menu, GUI_INMENUMODE | GUI_POPUPMENUMODE);
}
