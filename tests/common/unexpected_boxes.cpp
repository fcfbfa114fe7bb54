// The watch for unanswered message boxes: a thread that looks at the program's top-level windows
// while the tests run, as a gtest environment every test program registers at start.

#include "tests/common/unexpected_boxes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {
// A look costs a server call per top-level window of the display: a few looks a second keep the
// watch off the processor that tests of idle threads measure.
constexpr DWORD kLookMs = 250;

// The text stored with the window, read without a message: the box's thread may be one that
// the watch must never wait for.
std::string StoredText(HWND window) {
    wchar_t text[1024] = L"";
    InternalGetWindowText(window, text, 1024);
    char narrow[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// What a message box holds: its text (a static numbered 0xFFFF on Windows, 100 on Wine), an
// icon, and buttons numbered IDOK .. IDCONTINUE; any other child makes it some other dialog.
struct BoxLook {
    bool onlyBoxParts = true;
    bool haveText = false;
    std::string text;
    std::vector<HWND> buttons;
};

BOOL CALLBACK LookAtChild(HWND child, LPARAM parameter) {
    auto& look = *reinterpret_cast<BoxLook*>(parameter);
    const std::string name = ClassOf(child);
    const int id = GetDlgCtrlID(child);
    if (_stricmp(name.c_str(), "Button") == 0 && id >= IDOK && id <= IDCONTINUE) {
        if (IsWindowVisible(child)) look.buttons.push_back(child);
    } else if (_stricmp(name.c_str(), "Static") == 0) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON &&
            (id == 0xFFFF || id == 100)) {
            look.haveText = true;
            look.text = StoredText(child);
        }
    } else {
        look.onlyBoxParts = false;
    }
    return TRUE;
}

bool LookAtBox(HWND window, BoxLook* look) {
    if (ClassOf(window) != "#32770") return false;
    EnumChildWindows(window, LookAtChild, reinterpret_cast<LPARAM>(look));
    return look->onlyBoxParts && look->haveText && !look->buttons.empty();
}

// The box's default button, as Enter would press it.
HWND DefaultButton(const BoxLook& look) {
    for (HWND button : look.buttons)
        if ((GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return button;
    return look.buttons.front();
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

void Report(HWND box, const BoxLook& look, const std::string& caption, const std::string& text) {
    ADD_FAILURE() << "A message box stood unanswered for " << kUnexpectedBoxMs / 1000 << " s: \""
                  << caption << "\": " << text
                  << " (pressed its default button for the program to go on)";
    HWND button = DefaultButton(look);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), LPARAM(button));
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
    BoxLook look;
    if (!LookAtBox(window, &look)) return TRUE;
    const std::string text = OneLine(look.text);
    auto known = scan.watch->standing.find(window);
    Sighting sighting = {text, scan.now, false, 0};
    if (known != scan.watch->standing.end() && known->second.text == text) sighting = known->second;
    const std::string caption = StoredText(window);
    if (!sighting.answered && scan.now - sighting.firstSeenMs >= kUnexpectedBoxMs) {
        if (++scan.watch->reported > kUnexpectedBoxesReported)
            StopProgram("Too many unanswered message boxes, the last", caption, text);
        Report(window, look, caption, text);
        sighting.answered = true;
        sighting.answeredMs = scan.now;
    } else if (sighting.answered && scan.now - sighting.answeredMs >= kUnexpectedBoxMs) {
        StopProgram("An unanswered message box did not close when pressed", caption, text);
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
