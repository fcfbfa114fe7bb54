// Watches for the message boxes the plug-in shows, logs their caption, text, icon and buttons
// and presses the button the test asked for, so that unattended runs never wait for a user.
//
// Boxes of the thread that calls the plug-in are caught by a window hook the moment they are
// initialised; a watcher thread catches boxes of any other thread of the process.

#include "tools/testhost/host_internal.h"
#include "tools/testhost/message_box_reader.h"

namespace {
constexpr DWORD kPollMs = 10;

LRESULT SendBounded(HWND window, UINT message) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &result))
        return 0;
    return LRESULT(result);
}

bool AlreadyHandled(HostSession& session, HWND window) {
    for (HWND handled : session.handledBoxes)
        if (handled == window) return true;
    session.handledBoxes.push_back(window);
    if (session.handledBoxes.size() > 64) session.handledBoxes.erase(session.handledBoxes.begin());
    return false;
}

// Chooses and presses the answer: the next queued answer or the default, if the box has that
// button; else the box's default button.
void Answer(HostSession& session, HWND box, const MessageBoxContents& contents, bool otherThread) {
    MessageBoxRecord record;
    record.caption = contents.caption;
    record.text = contents.text;
    record.icon = contents.icon;
    for (const MessageBoxButton& button : contents.buttons) record.buttons.push_back(button.id);
    record.otherThread = otherThread;
    int wanted;
    {
        std::lock_guard<std::mutex> lock(session.watchLock);
        if (AlreadyHandled(session, box)) return;
        if (!session.options.messageBoxAnswers.empty()) {
            wanted = session.options.messageBoxAnswers.front();
            session.options.messageBoxAnswers.pop_front();
        } else {
            wanted = session.options.defaultAnswer;
        }
    }
    const MessageBoxButton* pressed = nullptr;
    for (const MessageBoxButton& button : contents.buttons)
        if (button.id == wanted) pressed = &button;
    for (const MessageBoxButton& button : contents.buttons)
        if (!pressed && button.isDefault) pressed = &button;
    if (!pressed) {
        LRESULT defaultId = SendBounded(box, DM_GETDEFID);
        int id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : contents.buttons[0].id;
        for (const MessageBoxButton& button : contents.buttons)
            if (button.id == id) pressed = &button;
        if (!pressed) pressed = &contents.buttons[0];
    }
    record.answer = pressed->id;
    {
        std::lock_guard<std::mutex> lock(session.watchLock);
        session.log.messageBoxes.push_back(record);
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(pressed->id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(pressed->window));
}

// The plug-in's dialog gives control n the item id n + 2000: OK is control 399, Cancel 398.
void PressDialogButton(HWND dialog, int answer) {
    int id = answer == IDOK ? 2399 : 2398;
    HWND button = GetDlgItem(dialog, id);
    if (!button) {
        id = answer;
        button = GetDlgItem(dialog, id);
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    HostSession* session = gHostSession;
    if (code == HC_ACTION && session && message->message == WM_INITDIALOG) {
        const MessageBoxContents contents = MessageBoxRead(message->hwnd, READ_ICON_BY_MESSAGE);
        if (contents.isDialog) {
            if (contents.isMessageBox) {
                Answer(*session, message->hwnd, contents, false);
            } else {
                {
                    std::lock_guard<std::mutex> lock(session->watchLock);
                    session->log.dialogs.push_back(contents.caption);
                }
                if (session->options.dialogHandler)
                    session->options.dialogHandler(message->hwnd);
                else if (session->options.dialogAnswer)
                    PressDialogButton(message->hwnd, session->options.dialogAnswer);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct ScanContext {
    HostSession* session;
    DWORD process;
};

BOOL CALLBACK ScanWindow(HWND window, LPARAM parameter) {
    auto& scan = *reinterpret_cast<ScanContext*>(parameter);
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(window, &process);
    if (process != scan.process || thread == scan.session->hostThread || !IsWindowVisible(window))
        return TRUE;
    const MessageBoxContents contents = MessageBoxRead(window, READ_ICON_BY_MESSAGE);
    if (contents.isMessageBox) Answer(*scan.session, window, contents, true);
    return TRUE;
}

DWORD WINAPI WatchOtherThreads(void* parameter) {
    auto* session = static_cast<HostSession*>(parameter);
    ScanContext scan = {session, GetCurrentProcessId()};
    while (WaitForSingleObject(session->watchStop, kPollMs) == WAIT_TIMEOUT)
        EnumWindows(ScanWindow, reinterpret_cast<LPARAM>(&scan));
    return 0;
}
}  // namespace

void WatcherAttachThread(HostSession& session) {
    const DWORD thread = GetCurrentThreadId();
    if (session.watchHook && session.hostThread == thread) return;
    if (session.watchHook) UnhookWindowsHookEx(session.watchHook);
    session.watchHook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProc, nullptr, thread);
    session.hostThread = thread;
}

void WatcherStart(HostSession& session) {
    WatcherAttachThread(session);
    session.watchStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    session.watchThread = CreateThread(nullptr, 0, WatchOtherThreads, &session, 0, nullptr);
}

void WatcherStop(HostSession& session) {
    if (session.watchThread) {
        SetEvent(session.watchStop);
        WaitForSingleObject(session.watchThread, INFINITE);
        CloseHandle(session.watchThread);
        session.watchThread = nullptr;
    }
    if (session.watchStop) CloseHandle(session.watchStop);
    session.watchStop = nullptr;
    if (session.watchHook) UnhookWindowsHookEx(session.watchHook);
    session.watchHook = nullptr;
}
