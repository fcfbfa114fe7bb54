// Helpers of the control-library window tests: the library table of the loaded test plug-in,
// the folder of the test pictures, windows that other threads open, and screen pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/control_library/library_api.h"
#include "tests/dialog/dialog_test_bed.h"
#include "tests/common/real_input.h"
#include "tests/common/control_texts.h"
#include "tests/common/screen_capture.h"

constexpr char kLibraryPlugin[] = "GreyloomLibraryTest";

// The library table of the loaded test plug-in (the plug-in must be loaded).
const LibraryApi& Lib();
// Loads the test plug-in into a fresh host session with a small image.
std::unique_ptr<HostSession> OpenLibraryPlugin();
// The folder of the pictures and metafiles made for the tests, with a trailing backslash.
std::string LibraryImagesFolder();

// The first visible top-level window of this process for which match holds, waited for.
HWND WaitForTopWindow(const std::function<bool(HWND)>& match, int timeoutMs = 5000);
// A pixel of a window as drawn, in its client coordinates.
COLORREF PixelOf(HWND window, int x, int y);
// Runs work on the dialog's thread, inside the effect's timer event, and waits for it.
void OnDialogThread(const std::function<void()>& work);
// Real input through the system (a mouse move, a left click, a key press): tests/common.
