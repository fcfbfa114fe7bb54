// Pictures of what the test windows show: the pixels of a screen area or of a window's own
// surface, read back for checks, and kept as PNG files for review.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Colours that differ by at most `slack` in each channel: a picture drawn through Wine's
// blending or dithering is near the colour asked for, not equal to it.
inline bool ColourNear(COLORREF a, COLORREF b, int slack) {
    return abs(GetRValue(a) - GetRValue(b)) <= slack && abs(GetGValue(a) - GetGValue(b)) <= slack &&
           abs(GetBValue(a) - GetBValue(b)) <= slack;
}

struct ScreenPicture {
    int32_t width = 0, height = 0;
    std::vector<COLORREF> pixels;  // row by row, top row first; empty when nothing was read
    COLORREF At(int32_t x, int32_t y) const { return pixels[size_t(y) * width + x]; }
};

// What the display shows in an area of the screen (read through the desktop's device context).
ScreenPicture ScreenPictureOf(const RECT& screen);
// The whole display.
ScreenPicture WholeDisplayPicture();
// A window with its frame as Wine drew it into the window's own surface: what it shows even
// where another window covers it.
ScreenPicture WindowPictureOf(HWND window);

// Handles the messages waiting for this thread's windows, `rounds` times with a short wait in
// the message wait between: Wine hands what was drawn into a window to the X display only from
// there, so a test that owns its windows pumps before it reads the screen.
void PumpMessages(int rounds = 3);
// A window of this thread painted afresh with its children, and what the display then shows
// (the whole display: menus and tips beside the window belong to the picture), kept under
// ScreenshotPath(name).
ScreenPicture ShootOwnWindow(HWND window, const std::string& name);

// Waits until a window of another thread and its children have nothing left to paint and that
// thread has handled what was sent to it before: a window keeps an update region until its
// paint is done. False when it still paints after timeoutMs, or has gone.
bool WaitUntilPainted(HWND window, int timeoutMs = 20000);
// Waits until the display shows the same picture of the window's place twice in a row, a poll
// apart: what the window drew has reached the display. False when it still changes after
// timeoutMs.
bool WaitForSteadyPicture(HWND window, int timeoutMs = 20000);

// Writes the picture as an 8-bit RGB PNG; false when it could not be written.
bool ScreenPictureWritePng(const ScreenPicture& picture, const std::string& path);
// GREYLOOM_BIN_DIR/screenshots/<name>.png; the folder is made when missing.
std::string ScreenshotPath(const std::string& name);
// The picture kept under ScreenshotPath(name); returns that path.
std::string KeepScreenshot(const ScreenPicture& picture, const std::string& name);
// WindowPictureOf(window) kept under ScreenshotPath(name), for a window on a thread in a nested
// modal loop (the display cannot be photographed then); returns the path.
std::string KeepWindowPicture(HWND window, const std::string& name);
