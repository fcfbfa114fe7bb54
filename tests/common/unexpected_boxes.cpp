// The watch for unanswered message boxes: a thread that looks at the program's top-level windows
// while the tests run, as a gtest environment every test program registers at start.

#include "tests/common/unexpected_boxes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "tools/testhost/message_box_reader.h"

namespace {
// A look costs a server call per top-level window of the display: a few looks a second keep the
// watch off the processor that tests of idle threads measure.
constexpr DWORD kLookMs = 250;

// A message box of the program, read without sending it a message: the box's thread may be
// one that the watch must never wait for. It counts only with a button a user could press.
bool LookAtBox(HWND window, MessageBoxContents* box) {
    *box = MessageBoxRead(window, READ_WITHOUT_MESSAGES);
    if (!box->isMessageBox) return false;
    for (const MessageBoxButton& button : box->buttons)
        if (button.visible) return true;
    return false;
}

// The box's default button, as Enter would press it; else its first visible one.
const MessageBoxButton& DefaultButton(const MessageBoxContents& box) {
    const MessageBoxButton* first = nullptr;
    for (const MessageBoxButton& button : box.buttons) {
        if (!button.visible) continue;
        if (button.isDefault) return button;
        if (!first) first = &button;
    }
    return *first;
}

// The box's text on one line, for the test's log.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

struct Sighting {
    std::string text;
    DWORD firstSeenMs;
    bool answered;
    DWORD answeredMs;
};

// Read and written by the watch thread alone.
struct BoxWatch {
    std::map<HWND, Sighting> standing;  // visible message boxes of the program
    int reported = 0;
};

[[noreturn]] void StopProgram(const char* why, const std::string& caption,
                              const std::string& text) {
    fprintf(stderr, "\n%s: \"%s\": %s\nThe test program is stopped.\n", why, caption.c_str(),
            text.c_str());
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(INFINITE);
}

void Report(HWND window, const MessageBoxContents& box, const std::string& text) {
    ADD_FAILURE() << "A message box stood unanswered for " << kUnexpectedBoxMs / 1000 << " s: \""
                  << box.caption << "\": " << text
                  << " (pressed its default button for the program to go on)";
    const MessageBoxButton& button = DefaultButton(box);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED), LPARAM(button.window));
}

struct ScanContext {
    BoxWatch* watch;
    DWORD now;
    std::map<HWND, Sighting> seen;
};

BOOL CALLBACK ScanWindow(HWND window, LPARAM parameter) {
    auto& scan = *reinterpret_cast<ScanContext*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    MessageBoxContents box;
    if (!LookAtBox(window, &box)) return TRUE;
    const std::string text = OneLine(box.text);
    auto known = scan.watch->standing.find(window);
    Sighting sighting = {text, scan.now, false, 0};
    if (known != scan.watch->standing.end() && known->second.text == text) sighting = known->second;
    if (!sighting.answered && scan.now - sighting.firstSeenMs >= kUnexpectedBoxMs) {
        if (++scan.watch->reported > kUnexpectedBoxesReported)
            StopProgram("Too many unanswered message boxes, the last", box.caption, text);
        Report(window, box, text);
        sighting.answered = true;
        sighting.answeredMs = scan.now;
    } else if (sighting.answered && scan.now - sighting.answeredMs >= kUnexpectedBoxMs) {
        StopProgram("An unanswered message box did not close when pressed", box.caption, text);
    }
    scan.seen[window] = sighting;
    return TRUE;
}

class UnexpectedBoxWatch : public testing::Environment {
  public:
    void SetUp() override {
        stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    }
    void TearDown() override {
        if (!thread_) return;
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(stop_);
        thread_ = stop_ = nullptr;
    }

  private:
    static DWORD WINAPI Watch(void* parameter) {
        auto* self = static_cast<UnexpectedBoxWatch*>(parameter);
        BoxWatch watch;
        while (WaitForSingleObject(self->stop_, kLookMs) == WAIT_TIMEOUT) {
            ScanContext scan = {&watch, GetTickCount(), {}};
            EnumWindows(ScanWindow, reinterpret_cast<LPARAM>(&scan));
            watch.standing = std::move(scan.seen);
        }
        return 0;
    }
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
};

[[maybe_unused]] testing::Environment* const gUnexpectedBoxWatch =
    testing::AddGlobalTestEnvironment(new UnexpectedBoxWatch);
}  // namespace
