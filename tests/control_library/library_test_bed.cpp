// Helpers of the control-library window tests.

#include "tests/control_library/library_test_bed.h"

#include "tests/common/screen_capture.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

struct TopWindowSearch {
    const std::function<bool(HWND)>* match;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<TopWindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    if (!(*search.match)(window)) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

const LibraryApi& Lib() {
    const std::string name =
        std::string(kLibraryPlugin) + (sizeof(void*) == 8 ? "64.8bf" : "32.8bf");
    HMODULE plugin = GetModuleHandleA(name.c_str());
    auto find = reinterpret_cast<LibraryApiProc>(
        reinterpret_cast<void*>(GetProcAddress(plugin, kLibraryApiExport)));
    static const LibraryApi none = {};
    return find ? *find() : none;
}

std::unique_ptr<HostSession> OpenLibraryPlugin() {
    return OpenScriptedPlugin(96, 64, kLibraryPlugin);
}

std::string LibraryImagesFolder() {
    const char* bin = getenv("GREYLOOM_BIN_DIR");
    std::string folder = std::string(bin ? bin : ".") + "/library_images/";
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

HWND WaitForTopWindow(const std::function<bool(HWND)>& match, int timeoutMs) {
    TopWindowSearch search = {&match, nullptr};
    WaitFor(
        [&] {
            search.found = nullptr;
            EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

COLORREF PixelOf(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

void OnDialogThread(const std::function<void()>& work) {
    static std::function<void()> pending;
    static std::atomic<bool> done;
    pending = work;
    done = false;
    gBed.script.react = [](const ScriptedPluginApi&, const EventRecord& event) {
        if (event.event == EVENT_TIMER && !done) {
            pending();
            done = true;
        }
        return 0;
    };
    gBed.api->setDialogTimer(0, 10, 1);
    // The timer fires once the dialog's thread is back in its loop: after a render under way,
    // which takes seconds on a loaded machine. Leaving earlier would leave the work to run
    // later, on values the caller no longer holds.
    constexpr int kDialogBusyMs = 30000;
    WaitFor([] { return done.load(); }, kDialogBusyMs);
    gBed.api->setDialogTimer(0, 10, 0);
}
