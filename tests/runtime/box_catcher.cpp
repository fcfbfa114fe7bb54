// Message boxes answered through a window-procedure hook on the test's own thread.

#include "runtime/box_catcher.h"

#include "tests/common/control_texts.h"

namespace {
BoxCatcher* gCatcher = nullptr;
HHOOK gHook = nullptr;

// Read when the box has initialised itself: its texts are set then.
LRESULT CALLBACK CatcherProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && gCatcher && call->message == WM_INITDIALOG) {
        HWND box = call->hwnd;
        if (WindowClassName(box) == "#32770") {
            CaughtBox caught;
            caught.caption = WindowText(box);
            caught.text = MessageBoxText(box);
            gCatcher->boxes.push_back(caught);
            int answer = IDOK;
            if (!gCatcher->answers.empty()) {
                answer = gCatcher->answers.front();
                gCatcher->answers.pop_front();
            } else {
                LRESULT id = SendMessageA(box, DM_GETDEFID, 0, 0);
                if (HIWORD(id) == DC_HASDEFID) answer = LOWORD(id);
            }
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(gHook, code, wParam, lParam);
}
}  // namespace

BoxCatcher::BoxCatcher() : outer_(gCatcher) {
    gCatcher = this;
    if (!gHook)
        gHook = SetWindowsHookExA(WH_CALLWNDPROCRET, CatcherProc, nullptr, GetCurrentThreadId());
}

BoxCatcher::~BoxCatcher() {
    gCatcher = outer_;
    if (!gCatcher) {
        UnhookWindowsHookEx(gHook);
        gHook = nullptr;
    }
}
