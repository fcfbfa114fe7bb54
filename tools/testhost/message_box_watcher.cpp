// Watches for the message boxes the plug-in shows, logs their caption, text, icon and buttons
// and presses the button the test asked for, so that unattended runs never wait for a user.
//
// Boxes of the thread that calls the plug-in are caught by a window hook the moment they are
// initialised; a watcher thread catches boxes of any other thread of the process.

#include <cstring>

#include "tools/testhost/host_internal.h"

namespace {
constexpr DWORD kPollMs = 10;

// The text stored with the window, read without sending it a message: the watcher thread
// must never wait for a thread that is busy.
std::string WindowText(HWND window) {
    wchar_t text[2048] = L"";
    InternalGetWindowText(window, text, 2048);
    return HostNarrowText(text);
}

LRESULT SendBounded(HWND window, UINT message) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &result))
        return 0;
    return LRESULT(result);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

struct BoxContents {
    bool isMessageBox = true;
    bool haveText = false;
    std::string text;
    UINT icon = 0;
    std::vector<int> buttons;
    std::vector<HWND> buttonWindows;
};

UINT IconKind(HWND iconWindow) {
    HICON icon = reinterpret_cast<HICON>(SendBounded(iconWindow, STM_GETICON));
    if (!icon) return 0;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32513))) return MB_ICONHAND;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32514))) return MB_ICONQUESTION;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32515))) return MB_ICONEXCLAMATION;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32516))) return MB_ICONASTERISK;
    return 0;
}

BOOL CALLBACK InspectChild(HWND child, LPARAM parameter) {
    auto& contents = *reinterpret_cast<BoxContents*>(parameter);
    const std::wstring name = ClassOf(child);
    const int id = GetDlgCtrlID(child);
    if (_wcsicmp(name.c_str(), L"Button") == 0) {
        if (id < IDOK || id > IDCONTINUE) contents.isMessageBox = false;
        contents.buttons.push_back(id);
        contents.buttonWindows.push_back(child);
    } else if (_wcsicmp(name.c_str(), L"Static") == 0) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            contents.icon = IconKind(child);
        } else if (id == 0xFFFF || id == 100) {
            // The text of a message box has id 0xFFFF on Windows and 100 on Wine.
            contents.haveText = true;
            contents.text = WindowText(child);
        }
    } else {
        contents.isMessageBox = false;
    }
    return TRUE;
}

bool Inspect(HWND window, BoxContents* contents) {
    if (ClassOf(window) != L"#32770") return false;
    EnumChildWindows(window, InspectChild, reinterpret_cast<LPARAM>(contents));
    contents->isMessageBox =
        contents->isMessageBox && contents->haveText && !contents->buttons.empty();
    return true;
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
void Answer(HostSession& session, HWND box, const BoxContents& contents, bool otherThread) {
    MessageBoxRecord record;
    record.caption = WindowText(box);
    record.text = contents.text;
    record.icon = contents.icon;
    record.buttons = contents.buttons;
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
    int answer = 0;
    HWND button = nullptr;
    for (size_t i = 0; i < contents.buttons.size(); ++i)
        if (contents.buttons[i] == wanted) answer = wanted, button = contents.buttonWindows[i];
    for (size_t i = 0; !button && i < contents.buttons.size(); ++i)
        if ((GetWindowLongW(contents.buttonWindows[i], GWL_STYLE) & BS_TYPEMASK) ==
            BS_DEFPUSHBUTTON)
            answer = contents.buttons[i], button = contents.buttonWindows[i];
    if (!button) {
        LRESULT defaultId = SendBounded(box, DM_GETDEFID);
        int id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : contents.buttons[0];
        for (size_t i = 0; i < contents.buttons.size(); ++i)
            if (contents.buttons[i] == id) answer = id, button = contents.buttonWindows[i];
        if (!button) answer = contents.buttons[0], button = contents.buttonWindows[0];
    }
    record.answer = answer;
    {
        std::lock_guard<std::mutex> lock(session.watchLock);
        session.log.messageBoxes.push_back(record);
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(button));
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
        BoxContents contents;
        if (Inspect(message->hwnd, &contents)) {
            if (contents.isMessageBox) {
                Answer(*session, message->hwnd, contents, false);
            } else {
                {
                    std::lock_guard<std::mutex> lock(session->watchLock);
                    session->log.dialogs.push_back(WindowText(message->hwnd));
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
    BoxContents contents;
    if (Inspect(window, &contents) && contents.isMessageBox)
        Answer(*scan.session, window, contents, true);
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
