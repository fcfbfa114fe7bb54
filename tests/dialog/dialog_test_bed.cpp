// The dialog test bed: the scripted effect's counterpart in the test program, the event log,
// the driver thread and screenshots of the display.

#include "tests/dialog/dialog_test_bed.h"

#include "tests/common/screen_capture.h"
#include "tests/common/test_files.h"

#include <cstdio>
#include <thread>

TestBed gBed;

namespace {

void BuildDialog(const ScriptedPluginApi& api) {
    TestScript script;
    {
        std::lock_guard<std::mutex> guard(gBed.lock);
        gBed.api = &api;
        script = gBed.script;
    }
    if (script.build) script.build(api);
}

int32_t ControlEvent(const ScriptedPluginApi& api, int32_t control, int32_t event,
                     int32_t argument) {
    const ControlEventContext& fields = api.context->controlEvent;
    EventRecord record = {control,        event,        argument,
                          fields.message, fields.extra, MillisecondsSince(gBed.runStart)};
    TestScript script;
    {
        std::lock_guard<std::mutex> guard(gBed.lock);
        gBed.api = &api;
        gBed.events.push_back(record);
        script = gBed.script;
    }
    return script.react ? script.react(api, record) : 0;
}

void Render(const ScriptedPluginApi& api) {
    TestScript script;
    {
        std::lock_guard<std::mutex> guard(gBed.lock);
        gBed.api = &api;
        ++gBed.renders;
        script = gBed.script;
    }
    if (script.render) script.render(api);
}

DialogScript gScript = {BuildDialog, ControlEvent, Render};

}  // namespace

extern "C" __declspec(dllexport) DialogScript* GreyloomDialogScript() {
    return &gScript;
}

namespace {
// Progress reaches the log at once: a window test that hangs shows where it stopped.
struct UnbufferedOutput : ::testing::Environment {
    void SetUp() override { setvbuf(stdout, nullptr, _IONBF, 0); }
};
const auto* gUnbuffered = ::testing::AddGlobalTestEnvironment(new UnbufferedOutput);
}  // namespace

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now = Now(), frequency;
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

std::vector<EventRecord> Events() {
    std::lock_guard<std::mutex> guard(gBed.lock);
    return gBed.events;
}

std::vector<EventRecord> EventsOf(int32_t event, int32_t control) {
    std::vector<EventRecord> found;
    for (const EventRecord& record : Events())
        if (record.event == event && (control < 0 || record.control == control))
            found.push_back(record);
    return found;
}

int32_t Renders() {
    std::lock_guard<std::mutex> guard(gBed.lock);
    return gBed.renders;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const LARGE_INTEGER start = Now();
    while (!condition()) {
        if (MillisecondsSince(start) > timeoutMs) return condition();
        Sleep(1);
    }
    return true;
}

std::string TakeScreenshot(const std::string& name) {
    return KeepScreenshot(WholeDisplayPicture(), name);
}

bool Driver::Check(bool ok, const std::string& what) {
    if (ok) return true;
    // Paint what is pending, so that the picture shows the dialog as the user would see it.
    if (dialog && IsWindow(dialog))
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::string shot = TakeScreenshot(testName + "_" + std::to_string(failures.size()));
    failures.push_back(what + " (screenshot " + shot + ")");
    return false;
}

LRESULT Driver::SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result))
        failures.push_back("message " + std::to_string(message) + " timed out");
    return LRESULT(result);
}

HWND Driver::ControlWindow(int32_t n) {
    if (HWND window = Item(n + kControlWindowIdBase)) return window;
    return dialog ? reinterpret_cast<HWND>(SendTo(dialog, WM_CONTROL_WINDOW_QUERY, WPARAM(n)))
                  : nullptr;
}

LRESULT Driver::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendTo(dialog, message, wParam, lParam);
}

void Driver::Click(int32_t n) {
    HWND window = ControlWindow(n);
    Send(WM_COMMAND, MAKEWPARAM(n + 2000, BN_CLICKED), LPARAM(window));
}

void Driver::Focus(HWND window) {
    Send(WM_NEXTDLGCTL, WPARAM(window), TRUE);
}

void Driver::End(int command) {
    if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, WPARAM(command), 0);
}

std::unique_ptr<HostSession> OpenScriptedPlugin(int32_t width, int32_t height,
                                                const char* pluginBase) {
    auto session = std::make_unique<HostSession>();
    EXPECT_TRUE(HostLoadPlugin(*session, BinPlugin(pluginBase)))
        << (session->log.notes.empty() ? "" : session->log.notes.back());
    HostImage image = HostImageMake(width, height, 3, 8);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < 3; ++c)
                image.at(x, y, c) = uint16_t((x * 3 + y * 5 + c * 40) % 256);
    EXPECT_TRUE(HostSetImage(*session, image));
    // The user chose the filter from the menu with its "...": the dialog is wanted.
    session->options.playInfo = PLAY_DIALOG_REQUIRED;
    return session;
}

int16_t RunWithDriver(HostSession& session, const TestScript& script,
                      const std::function<void(Driver&)>& drive) {
    {
        std::lock_guard<std::mutex> guard(gBed.lock);
        gBed.script = script;
        gBed.events.clear();
        gBed.renders = 0;
        gBed.runStart = Now();
    }
    const auto waitForDialog = [](Driver& driver, const std::atomic<bool>& done) {
        const bool shown =
            WaitFor([&] { return !EventsOf(EVENT_DIALOG_SHOWN).empty() || done; }, 10000);
        std::lock_guard<std::mutex> guard(gBed.lock);
        if (!shown || done || !gBed.api) return false;
        driver.dialog = *gBed.api->dialog;
        return true;
    };
    constexpr int kLeftOpenMs = 2000;
    return RunFilterWithDriver(session, waitForDialog, drive, kLeftOpenMs);
}

int16_t RunFilterWithDriver(
    HostSession& session,
    const std::function<bool(Driver&, const std::atomic<bool>& done)>& waitForDialog,
    const std::function<void(Driver&)>& drive, int leftOpenMs) {
    Driver driver;
    driver.testName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        if (waitForDialog(driver, done))
            drive(driver);
        else
            driver.Check(false, "the dialog never showed");
        // Never leave a dialog up: the host's thread would wait for ever.
        if (!WaitFor([&] { return done.load(); }, leftOpenMs)) {
            driver.Check(false, "the dialog was left open");
            if (driver.dialog) PostMessageA(driver.dialog, WM_COMMAND, IDCANCEL, 0);
            WaitFor([&] { return done.load(); }, 10000);
        }
    });
    const int16_t result = HostRunFilter(session, true);
    done = true;
    worker.join();
    for (const std::string& failure : driver.failures) ADD_FAILURE() << failure;
    return result;
}
