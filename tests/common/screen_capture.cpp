// Pictures of what the test windows show: device contexts read into pixels, pixels written as
// PNG through the test host's image files.

#include "tests/common/screen_capture.h"

#include <cstdlib>
#include <utility>

#include "tools/testhost/host_image.h"

namespace {

// Copies an area of a device context into a top-down 32-bit picture.
ScreenPicture PictureFromDc(HDC source, int32_t left, int32_t top, int32_t width, int32_t height) {
    ScreenPicture picture;
    if (width <= 0 || height <= 0) return picture;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        // The section's words are 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
        const auto* words = static_cast<const uint32_t*>(bits);
        picture.width = width;
        picture.height = height;
        picture.pixels.resize(size_t(width) * height);
        for (size_t i = 0; i < picture.pixels.size(); ++i)
            picture.pixels[i] =
                RGB((words[i] >> 16) & 0xFF, (words[i] >> 8) & 0xFF, words[i] & 0xFF);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return picture;
}

}  // namespace

ScreenPicture ScreenPictureOf(const RECT& screen) {
    HDC desktop = GetDC(nullptr);
    ScreenPicture picture = PictureFromDc(desktop, screen.left, screen.top,
                                          screen.right - screen.left, screen.bottom - screen.top);
    ReleaseDC(nullptr, desktop);
    return picture;
}

ScreenPicture WholeDisplayPicture() {
    return ScreenPictureOf({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

ScreenPicture WindowPictureOf(HWND window) {
    RECT frame = {};
    if (!GetWindowRect(window, &frame)) return {};
    HDC source = GetWindowDC(window);
    ScreenPicture picture =
        PictureFromDc(source, 0, 0, frame.right - frame.left, frame.bottom - frame.top);
    ReleaseDC(window, source);
    return picture;
}

void PumpMessages(int rounds) {
    constexpr DWORD kWaitMs = 20;
    for (int round = 0; round < rounds; ++round) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, kWaitMs, QS_ALLINPUT, 0);
    }
}

ScreenPicture ShootOwnWindow(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    constexpr int kPaintRounds = 25;  // the paints of a whole dialog on a loaded machine
    PumpMessages(kPaintRounds);
    ScreenPicture picture = WholeDisplayPicture();
    KeepScreenshot(picture, name);
    return picture;
}

namespace {
constexpr int kPaintPollMs = 15;
constexpr UINT kAnswerMs = 500;  // a thread at work is asked again

BOOL CALLBACK NoteChildUpdate(HWND child, LPARAM pending) {
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE))
        *reinterpret_cast<bool*>(pending) = true;
    return TRUE;
}

bool PaintPending(HWND window) {
    bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    if (!pending) EnumChildWindows(window, NoteChildUpdate, LPARAM(&pending));
    return pending;
}
}  // namespace

bool WaitUntilPainted(HWND window, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        DWORD_PTR ignored = 0;
        // Answered once the thread has handled what came before: then its pending paints show.
        const bool answered =
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &ignored) != 0;
        if (answered && !PaintPending(window)) return true;
        if (int(GetTickCount() - start) > timeoutMs) return false;
        Sleep(kPaintPollMs);
    }
    return false;
}

bool WaitForSteadyPicture(HWND window, int timeoutMs) {
    const DWORD start = GetTickCount();
    RECT place = {};
    GetWindowRect(window, &place);
    ScreenPicture before = ScreenPictureOf(place);
    while (IsWindow(window)) {
        Sleep(kPaintPollMs);
        RECT now = {};
        GetWindowRect(window, &now);
        ScreenPicture after = ScreenPictureOf(now);
        if (EqualRect(&now, &place) && !after.pixels.empty() && after.pixels == before.pixels)
            return true;
        if (int(GetTickCount() - start) > timeoutMs) return false;
        place = now;
        before = std::move(after);
    }
    return false;
}

bool ScreenPictureWritePng(const ScreenPicture& picture, const std::string& path) {
    if (picture.pixels.empty()) return false;
    HostImage image = HostImageMake(picture.width, picture.height, 3, 8);
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x) {
            const COLORREF colour = picture.At(x, y);
            image.at(x, y, 0) = GetRValue(colour);
            image.at(x, y, 1) = GetGValue(colour);
            image.at(x, y, 2) = GetBValue(colour);
        }
    std::string error;
    return HostImageWritePng(path, image, &error);
}

std::string ScreenshotPath(const std::string& name) {
    const char* bin = std::getenv("GREYLOOM_BIN_DIR");
    const std::string folder = std::string(bin ? bin : ".") + "/screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "/" + name + ".png";
}

std::string KeepScreenshot(const ScreenPicture& picture, const std::string& name) {
    const std::string path = ScreenshotPath(name);
    ScreenPictureWritePng(picture, path);
    return path;
}

std::string KeepWindowPicture(HWND window, const std::string& name) {
    return KeepScreenshot(WindowPictureOf(window), name);
}
