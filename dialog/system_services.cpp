// System services: colour packing, the millisecond timer, shell execution, child-window search.

#include "dialog/system_services.h"

#include <shellapi.h>

#include <cstring>
#include <ctime>

#include "dialog/dialog_window.h"
#include "dialog/text_expansion.h"

HWND gFoundChild = nullptr;

namespace {

// Start of the millisecond timer: a performance-counter reading, or clock() when the
// system has no counter.
struct TimerStart {
    bool useCounter;
    int64_t start;
};
TimerStart gTimerStart = {false, 0};

}  // namespace

uint32_t MakeRgb(int32_t r, int32_t g, int32_t b) {
    return uint32_t(uint8_t(r)) | uint32_t(uint8_t(g)) << 8 | uint32_t(uint8_t(b)) << 16;
}

uint32_t MakeRgba(int32_t r, int32_t g, int32_t b, int32_t a) {
    return MakeRgb(r, g, b) | uint32_t(uint8_t(a)) << 24;
}

int32_t GetRedValue(uint32_t color) {
    return int32_t(color & 0xFF);
}
int32_t GetGreenValue(uint32_t color) {
    return int32_t(color >> 8 & 0xFF);
}
int32_t GetBlueValue(uint32_t color) {
    return int32_t(color >> 16 & 0xFF);
}

int64_t CounterTicksToMs(int64_t counterTicks, int64_t frequency) {
    if (frequency < 1) return 0;
    // Whole kilohertz divide exactly; a slower counter would make the divisor 0.
    if (frequency >= 1000) return counterTicks / (frequency / 1000);
    return counterTicks * 1000 / frequency;
}

void StartTimer() {
    LARGE_INTEGER counter;
    gTimerStart.useCounter = QueryPerformanceCounter(&counter) != 0;
    gTimerStart.start =
        gTimerStart.useCounter ? counter.QuadPart : int64_t(clock()) * 1000 / CLOCKS_PER_SEC;
}

int32_t GetTimerMs() {
    if (!gTimerStart.useCounter)
        return int32_t(int64_t(clock()) * 1000 / CLOCKS_PER_SEC - gTimerStart.start);
    LARGE_INTEGER now, frequency;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&now)) return 0;
    return int32_t(CounterTicksToMs(now.QuadPart - gTimerStart.start, frequency.QuadPart));
}

int32_t ShellExecuteFile(const char* operation, const char* file, const char* parameters,
                         int32_t showCommand) {
    HINSTANCE result = ShellExecuteA(gDialog, operation, file, parameters, nullptr, showCommand);
    return reinterpret_cast<intptr_t>(result) > 32 ? -1 : 0;
}

BOOL CALLBACK FindChildByTextProc(HWND window, LPARAM text) {
    char windowText[256] = "";
    GetWindowTextA(window, windowText, sizeof windowText);
    if (strcmp(windowText, reinterpret_cast<const char*>(text)) != 0) return TRUE;
    gFoundChild = window;
    return FALSE;
}

HWND FindChildByText(HWND parent, const char* text) {
    gFoundChild = nullptr;
    if (parent && text) EnumChildWindows(parent, FindChildByTextProc, LPARAM(text));
    return gFoundChild;
}

void DeleteGdiObject(HGDIOBJ object) {
    if (object) DeleteObject(object);
}

void RemoveMessageHook(HHOOK hook) {
    if (hook) UnhookWindowsHookEx(hook);
}
