// The test's main thread sits in a modal loop (a dialog, a message box, a file dialog) while a
// driver thread finds its windows and works them with messages, as a user's clicks would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include "tests/common/control_texts.h"  // WindowText
#include "tests/common/real_input.h"     // PressKey

// Runs body on this thread while drive(thisThreadId) runs on a driver thread; returns once
// both are done.
void RunWithDriverThread(const std::function<void()>& body,
                         const std::function<void(DWORD mainThread)>& drive);

// Polls every 5 ms until the condition holds or timeoutMs passed.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// A visible top-level dialog (#32770) of the thread whose caption is the one given and that is
// not `other`; null when none appeared in time.
HWND WaitForDialog(DWORD thread, const std::string& caption, HWND other = nullptr,
                   int timeoutMs = 5000);

// A message box seen and answered.
struct AnsweredBox {
    bool found = false;
    std::string caption;
    std::string text;
};
// Waits for a message box of the thread other than the windows listed, reads its caption and
// text, and presses the button `answer` (IDOK, IDYES, IDNO ...); with a shot name, a picture
// of the box is kept first.
AnsweredBox AnswerMessageBox(DWORD thread, int answer, HWND notThis = nullptr, int timeoutMs = 5000,
                             const char* shot = nullptr);

// Text sent to an item, synchronously (the owning thread handles it in its loop).
void SetItemText(HWND dialog, int item, const std::string& text);
std::string ItemText(HWND dialog, int item);
bool IsItemChecked(HWND dialog, int item);
bool IsItemShown(HWND dialog, int item);
// A click on a button that may open a modal box: posted, so the driver stays free to answer.
void PostClick(HWND dialog, int item);
// A click on a check box or button that opens nothing: handled before this returns.
void Click(HWND dialog, int item);

// Keyboard input through the system's input queue, as typed: the text as characters (a key
// pressed and released: PressKey of tests/common). The window with the focus receives them.
void TypeText(const std::string& text);

// A picture of the window, cut from the display, kept as GREYLOOM_BIN_DIR/screenshots/<name>.png.
// Returns the file's path.
std::string ShootWindow(HWND window, const std::string& name);
