// Finding and working the windows of a thread in a modal loop from a driver thread.

#include "tests/save_preset/thread_windows.h"

#include "tests/common/screen_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
constexpr int kSendTimeoutMs = 10000;
constexpr int kLeftOpenMs = 20000;
constexpr int kPollMs = 5;  // between two looks at a condition

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    if (WindowClassName(window) == "#32770" && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> ThreadDialogs(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(thread, CollectDialog, LPARAM(&found));
    return found;
}

bool IsMessageBox(HWND window) {
    // A message box has a static text and no edit field; the dialogs under test have one.
    return !FindWindowExA(window, nullptr, "Edit", nullptr) &&
           !FindWindowExA(window, nullptr, "ComboBoxEx32", nullptr);
}
}  // namespace

void RunWithDriverThread(const std::function<void()>& body,
                         const std::function<void(DWORD mainThread)>& drive) {
    const DWORD mainThread = GetCurrentThreadId();
    std::atomic<bool> bodyDone{false};
    std::thread driver([&] {
        drive(mainThread);
        // A window the driver did not expect would hold the test until its time runs out:
        // after a while every dialog left on the main thread is cancelled, and that fails.
        if (WaitUntil([&] { return bodyDone.load(); }, kLeftOpenMs)) return;
        ADD_FAILURE() << "a window was left open on the test's thread";
        while (!bodyDone) {
            const std::vector<HWND> open = ThreadDialogs(mainThread);
            for (HWND window : open)
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            // Cancelled, or the body goes on to the next window (one that ignores the cancel
            // is cancelled again).
            WaitUntil([&] { return bodyDone.load() || ThreadDialogs(mainThread) != open; });
        }
    });
    body();
    bodyDone = true;
    driver.join();
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
        if (condition()) return true;
        Sleep(kPollMs);
    }
    return condition();
}

HWND WaitForDialog(DWORD thread, const std::string& caption, HWND other, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : ThreadDialogs(thread))
                if (window != other && WindowText(window) == caption) found = window;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

AnsweredBox AnswerMessageBox(DWORD thread, int answer, HWND notThis, int timeoutMs,
                             const char* shot) {
    AnsweredBox box;
    HWND window = nullptr;
    WaitUntil(
        [&] {
            for (HWND candidate : ThreadDialogs(thread))
                if (candidate != notThis && IsMessageBox(candidate)) window = candidate;
            return window != nullptr;
        },
        timeoutMs);
    if (!window) return box;
    box.found = true;
    box.caption = WindowText(window);
    box.text = MessageBoxText(window);
    if (shot) ShootWindow(window, shot);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(window); });
    return box;
}

void SetItemText(HWND dialog, int item, const std::string& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, item), WM_SETTEXT, 0, LPARAM(text.c_str()), SMTO_NORMAL,
                        kSendTimeoutMs, &ignored);
}

std::string ItemText(HWND dialog, int item) {
    return WindowText(GetDlgItem(dialog, item));
}

bool IsItemChecked(HWND dialog, int item) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, item), BM_GETCHECK, 0, 0, SMTO_NORMAL, kSendTimeoutMs,
                        &state);
    return state == BST_CHECKED;
}

bool IsItemShown(HWND dialog, int item) {
    HWND window = GetDlgItem(dialog, item);
    return window && IsWindowVisible(window);
}

void PostClick(HWND dialog, int item) {
    PostMessageA(GetDlgItem(dialog, item), BM_CLICK, 0, 0);
}

void Click(HWND dialog, int item) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, item), BM_CLICK, 0, 0, SMTO_NORMAL, kSendTimeoutMs,
                        &ignored);
}

void TypeText(const std::string& text) {
    for (char c : text) {
        INPUT keys[2] = {};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wScan = WORD(uint8_t(c));
            key.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    }
}

std::string ShootWindow(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    WaitUntilPainted(window);
    WaitForSteadyPicture(window);
    RECT rect;
    GetWindowRect(window, &rect);
    return KeepScreenshot(ScreenPictureOf(rect), name);
}
