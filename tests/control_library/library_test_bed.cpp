// Helpers of the control-library window tests.

#include "tests/control_library/library_test_bed.h"

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

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

COLORREF PixelOf(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

std::string SaveWindowPicture(HWND window, const std::string& name) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return "";
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, picture);
    HDC source = GetWindowDC(window);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    GdiFlush();
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER head = {};
    head.bfType = 0x4D42;
    head.bfOffBits = sizeof head + sizeof info.bmiHeader;
    head.bfSize = head.bfOffBits + DWORD(rowBytes * height);
    const char* bin = getenv("GREYLOOM_BIN_DIR");
    const std::string path = std::string(bin ? bin : ".") + "/screenshots/" + name + ".bmp";
    CreateDirectoryA((std::string(bin ? bin : ".") + "/screenshots").c_str(), nullptr);
    if (FILE* out = fopen(path.c_str(), "wb")) {
        fwrite(&head, sizeof head, 1, out);
        fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        fwrite(bits, size_t(rowBytes), size_t(height), out);
        fclose(out);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(picture);
    return path;
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
