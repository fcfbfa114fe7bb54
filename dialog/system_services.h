// Thin wrappers over Windows services for the effect and the framework: colour packing, the
// millisecond timer, shell execution, child-window search and GDI clean-up.
#pragma once

#include <windows.h>

#include <cstdint>

// --- Colours (0x00BBGGRR) ---------------------------------------------------------------------
uint32_t MakeRgb(int32_t r, int32_t g, int32_t b);
uint32_t MakeRgba(int32_t r, int32_t g, int32_t b, int32_t a);
int32_t GetRedValue(uint32_t color);
int32_t GetGreenValue(uint32_t color);
int32_t GetBlueValue(uint32_t color);

// --- Millisecond timer ------------------------------------------------------------------------
// Records the performance counter (or the process clock when there is none).
void StartTimer();
// Milliseconds since StartTimer, truncated.
int32_t GetTimerMs();
// Milliseconds in counterTicks at frequency ticks per second; 0 for a frequency below 1.
int64_t CounterTicksToMs(int64_t counterTicks, int64_t frequency);

// --- Shell -----------------------------------------------------------------------------------
// -1 when the system started the operation, 0 otherwise.
int32_t ShellExecuteFile(const char* operation, const char* file, const char* parameters,
                         int32_t showCommand);

// --- Windows ---------------------------------------------------------------------------------
// The first descendant of parent whose window text (up to 255 characters) equals text; the
// answer is also kept in gFoundChild. Null when none matched.
HWND FindChildByText(HWND parent, const char* text);
BOOL CALLBACK FindChildByTextProc(HWND window, LPARAM text);
extern HWND gFoundChild;

void DeleteGdiObject(HGDIOBJ object);
void RemoveMessageHook(HHOOK hook);
