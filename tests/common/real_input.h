// Real input for the window tests: mouse and keys sent with SendInput, as a user's hand gives
// them to whichever window has the foreground (the tests that use it run one at a time).
#pragma once

#include <windows.h>

// A mouse event at a point of the screen (absolute coordinates).
inline void SendMouse(DWORD flags, POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = screen.x * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
    input.mi.dy = screen.y * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

inline void MoveCursorTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_MOVE, screen);
}

// A left click: moved there, pressed and released.
inline void ClickAt(POINT screen) {
    MoveCursorTo(screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
}

inline void SendKey(WORD key, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

inline void PressKeyDown(WORD key) {
    SendKey(key, 0);
}

inline void PressKeyUp(WORD key) {
    SendKey(key, KEYEVENTF_KEYUP);
}

// A key pressed and released.
inline void PressKey(WORD key) {
    PressKeyDown(key);
    PressKeyUp(key);
}

// A key pressed while another is held, such as Ctrl+Z.
inline void PressChord(WORD held, WORD key) {
    PressKeyDown(held);
    PressKey(key);
    PressKeyUp(held);
}

inline POINT CentreOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}
