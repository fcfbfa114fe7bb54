// The test bed for the filter dialog's windows: the scripted test plug-in loaded by the test
// host, a log of the events its effect receives, and a driver thread that finds the dialog
// and sends it the input a user would, while the host's thread runs the dialog's loop.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/dialog/scripted_effect.h"
#include "tools/testhost/test_host.h"

// One event as the effect's hook 1 received it.
struct EventRecord {
    int32_t control, event, argument, message, extra;
    double atMs;  // time since the run began
};

// What the scripted effect does in the current run; set by a test before it runs the filter.
struct TestScript {
    std::function<void(const ScriptedPluginApi&)> build;
    // Reaction to an event (after it was logged); its result is the handler's result.
    std::function<int32_t(const ScriptedPluginApi&, const EventRecord&)> react;
    // The effect's rendering of the current rectangle; without one the output stays as the
    // host delivered it.
    std::function<void(const ScriptedPluginApi&)> render;
};

// The bed's shared state. The host's thread writes through the scripted effect; the driver
// thread reads under the lock.
struct TestBed {
    std::mutex lock;
    TestScript script;
    std::vector<EventRecord> events;
    int32_t renders = 0;
    const ScriptedPluginApi* api = nullptr;  // the plug-in's framework, once it was loaded
    LARGE_INTEGER runStart = {};
};
extern TestBed gBed;

double MillisecondsSince(const LARGE_INTEGER& start);
LARGE_INTEGER Now();

// Snapshot of the log; events of one kind; the number of renders.
std::vector<EventRecord> Events();
std::vector<EventRecord> EventsOf(int32_t event, int32_t control = -1);
int32_t Renders();

// Polls the condition every millisecond until it holds or timeoutMs passed.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);

// Takes a picture of the whole X display into GREYLOOM_BIN_DIR/screenshots (kept when a
// window test fails). Returns the file's name.
std::string TakeScreenshot(const std::string& name);

// The driver thread's view of the running dialog.
struct Driver {
    HWND dialog = nullptr;
    std::vector<std::string> failures;
    std::string testName;

    // Records a failed check (with a screenshot of the display) when ok is false.
    bool Check(bool ok, const std::string& what);
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    // Control n's window; one the dialog has not made yet (on a sheet not seen so far) is
    // asked for, and made hidden as its state says.
    HWND ControlWindow(int32_t n);
    // Sends a click notification of a button control.
    void Click(int32_t n);
    // Gives the focus to control window (through the dialog, on its own thread).
    void Focus(HWND window);
    // Ends the dialog with IDOK or IDCANCEL, as the keyboard's Enter or Escape would.
    void End(int command);
};

// Loads a scripted plug-in (<pluginBase>64.8bf or <pluginBase>32.8bf) into a fresh host
// session with a small image.
std::unique_ptr<HostSession> OpenScriptedPlugin(int32_t width = 96, int32_t height = 64,
                                                const char* pluginBase = "GreyloomDialogTest");

// Runs the filter with its dialog on this thread while a driver thread waits for the dialog
// (waitForDialog sets driver.dialog and says whether the dialog stands; it gives up once `done`
// is set, when the run ended without one) and then drive()s it. A dialog still open leftOpenMs
// after drive() is cancelled, and that fails. Driver failures become test failures.
int16_t RunFilterWithDriver(
    HostSession& session,
    const std::function<bool(Driver&, const std::atomic<bool>& done)>& waitForDialog,
    const std::function<void(Driver&)>& drive, int leftOpenMs);

// Runs the filter with its dialog on this thread while drive() works on a driver thread.
// The dialog is cancelled when drive() leaves it open. Driver failures become test failures.
int16_t RunWithDriver(HostSession& session, const TestScript& script,
                      const std::function<void(Driver&)>& drive);

// Creates a control through the plug-in with default place and size.
inline int32_t Make(const ScriptedPluginApi& api, int32_t n, int32_t controlClass,
                    const char* text = "", uint32_t style = 0, uint32_t properties = 0) {
    return api.createControl(n, controlClass, text, -1, -1, -1, -1, style, 0, properties, -1);
}
