// Host services against the test host's real suites: which suites count as available, the
// fallbacks when they do not, the plug-in's own pseudo-handles, progress and abort.

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "foundation/plugin_session.h"
#include "host/dialog_hooks.h"
#include "host/host_services.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/system_calls.h"

namespace {
// A session whose filter record is the one of the call under way, as inside ENTRYPOINT.
struct ServiceCall {
    explicit ServiceCall(const HostOptions& options = HostOptions()) {
        session.options = options;
        EXPECT_TRUE(HostSetImage(session, GradientImage(8, 8, 3, 8)));
        HostBeginRun(session);
        memset(&block, 0, sizeof block);
        block.stuff = &session.record;
        gDataBlock = &block;
        ResetProgress();
    }
    ~ServiceCall() { gDataBlock = nullptr; }
    HostSession session;
    PluginDataBlock block;
};

TEST(HostServices, BufferSuiteCountsOnlyWhenCompleteAndNotTooNew) {
    struct Case {
        int16_t version, count;
        bool dropSpaceProc;
        bool available, tooNew;
    };
    const Case cases[] = {
        {2, 5, false, true, false}, {2, 6, false, true, false}, {1, 5, false, false, false},
        {3, 5, false, false, true}, {7, 5, false, false, true}, {2, 4, false, false, false},
        {2, 5, true, false, false},
    };
    for (const Case& c : cases) {
        HostOptions options;
        options.bufferSuiteVersion = c.version;
        options.bufferSuiteCount = c.count;
        ServiceCall call(options);
        if (c.dropSpaceProc) call.session.bufferProcs.spaceProc = nullptr;
        bool tooNew = !c.tooNew;
        SCOPED_TRACE("version " + std::to_string(c.version) + " count " + std::to_string(c.count));
        EXPECT_EQ(BufferSuiteAvailable(gDataBlock->stuff->bufferProcs, &tooNew), c.available);
        EXPECT_EQ(tooNew, c.tooNew);

        // Allocation goes to the host only when the suite counts; else the caller is told to
        // use its own memory.
        void* id = reinterpret_cast<void*>(1);
        OSErr result = HostAllocateBuffer(gDataBlock->stuff->bufferProcs, 1000, &id);
        if (c.available) {
            ASSERT_EQ(result, 0);
            auto* memory = static_cast<uint8_t*>(HostLockBuffer(gStuff->bufferProcs, id, true));
            ASSERT_NE(memory, nullptr);
            memset(memory, 0x11, 1000);
            HostUnlockBuffer(gStuff->bufferProcs, id);
            HostFreeBuffer(gStuff->bufferProcs, id);
            EXPECT_EQ(call.session.log.buffersAllocated, 1);
            EXPECT_EQ(call.session.log.buffersLive, 0);
        } else {
            EXPECT_EQ(result, HOST_OUT_OF_MEMORY);
            EXPECT_EQ(id, nullptr);
            EXPECT_EQ(HostLockBuffer(gStuff->bufferProcs, id, true), nullptr);
            EXPECT_EQ(call.session.log.buffersAllocated, 0);
        }
    }
    EXPECT_FALSE(BufferSuiteAvailable(nullptr, nullptr));
}

TEST(HostServices, HandleSuiteFallsBackToPseudoHandles) {
    struct Case {
        int16_t version, count;
        bool available, tooNew, hostLocks;
    };
    const Case cases[] = {
        {1, 8, true, false, true},  {1, 6, true, false, true},   {1, 5, true, false, false},
        {1, 4, true, false, false}, {1, 3, false, false, false}, {0, 8, false, false, false},
        {2, 8, false, true, false},
    };
    for (const Case& c : cases) {
        HostOptions options;
        options.handleSuiteVersion = c.version;
        options.handleSuiteCount = c.count;
        ServiceCall call(options);
        const HandleProcs* suite = gStuff->handleProcs;
        SCOPED_TRACE("version " + std::to_string(c.version) + " count " + std::to_string(c.count));
        bool tooNew = !c.tooNew;
        EXPECT_EQ(HandleSuiteAvailable(suite, &tooNew), c.available);
        EXPECT_EQ(tooNew, c.tooNew);

        HostHandle hostHandle = HostNewHandle(call.session, 40);
        HostHandle ownHandle = NewGlobalPseudoHandle(24);
        ASSERT_NE(ownHandle, nullptr);
        void* hostLocked = HostLockHandle(suite, hostHandle, false);
        void* ownLocked = HostLockHandle(suite, ownHandle, false);
        if (c.hostLocks) {
            EXPECT_EQ(hostLocked, static_cast<HostHandleRecord*>(hostHandle)->data);
            EXPECT_EQ(static_cast<HostHandleRecord*>(hostHandle)->lockCount, 1);
            HostUnlockHandle(suite, hostHandle);
            EXPECT_EQ(static_cast<HostHandleRecord*>(hostHandle)->lockCount, 0);
        } else {
            // Without the host's lock the handle is taken for one of the plug-in's own.
            EXPECT_EQ(hostLocked, nullptr);
            EXPECT_EQ(ownLocked, PseudoHandleBlock(ownHandle));
        }
        if (c.available) {
            EXPECT_EQ(HostGetHandleSize(suite, hostHandle), 40);
            HostDisposeHandle(suite, hostHandle);
            EXPECT_EQ(call.session.log.handlesLive, 0);
            DisposeGlobalPseudoHandle(ownHandle);
        } else {
            EXPECT_EQ(HostGetHandleSize(suite, ownHandle), 24);
            HostDisposeHandle(suite, ownHandle);
            EXPECT_EQ(PseudoHandleLastError(), 0);
            EXPECT_EQ(PseudoHandleBlock(ownHandle), nullptr);
            EXPECT_EQ(call.session.log.handlesLive, 1);  // the host's handle was left alone
        }
    }
}

TEST(HostServices, PseudoHandlesReportTheirErrors) {
    HostHandle handle = NewGlobalPseudoHandle(100);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(PseudoHandleLastError(), 0);
    auto* bytes = static_cast<uint8_t*>(PseudoHandleBlock(handle));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(bytes[i], 0) << "zero-filled";
    EXPECT_EQ(GlobalPseudoHandleSize(handle), 100u);
    EXPECT_EQ(PseudoHandleBlock(handle, 99), nullptr);
    DisposeGlobalPseudoHandle(handle);
    EXPECT_EQ(PseudoHandleLastError(), 0);

    EXPECT_EQ(GlobalPseudoHandleSize(nullptr), 0u);
    EXPECT_EQ(PseudoHandleLastError(), HOST_MISSING_HANDLE);
    DisposeGlobalPseudoHandle(nullptr);
    EXPECT_EQ(PseudoHandleLastError(), HOST_MISSING_HANDLE);

    HostHandle empty = NewGlobalPseudoHandle(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GlobalPseudoHandleSize(empty), 0u);
    DisposeGlobalPseudoHandle(empty);

    EXPECT_EQ(NewGlobalPseudoHandle(size_t(1) << (sizeof(size_t) * 8 - 2)), nullptr);
    EXPECT_EQ(PseudoHandleLastError(), HOST_OUT_OF_MEMORY);
}

TEST(HostServices, PropertyComesFromTheSuiteTheOldCallbackOrTheDefault) {
    constexpr intptr_t kDefault = -7;
    struct Case {
        const char* host;
        bool noSuite, noCallback, answersEmpty;
        int16_t suiteVersion, suiteCount;
        OSType key;
        intptr_t expected;
        OSType askedFrom;  // 0: nobody asked
    };
    const OSType kSuite = FourCC("suit"), kCallback = FourCC("cbck");
    const Case cases[] = {
        {"suite", false, false, false, 1, 2, FourCC("plip"), 1, kSuite},
        {"suite version 0", false, false, false, 0, 2, FourCC("plip"), 1, kCallback},
        {"suite count 0", false, false, false, 1, 0, FourCC("plip"), 1, kCallback},
        {"no suite", true, false, false, 1, 2, FourCC("plip"), 1, kCallback},
        {"neither", true, true, false, 1, 2, FourCC("plip"), kDefault, 0},
        {"empty answers", false, false, true, 1, 2, FourCC("plip"), kDefault, kSuite},
        {"unknown key", false, false, false, 1, 2, FourCC("zzzz"), kDefault, kSuite},
    };
    for (const Case& c : cases) {
        HostOptions options;
        options.noPropertySuite = c.noSuite;
        options.noObsoleteGetProperty = c.noCallback;
        options.propertyAnswersEmpty = c.answersEmpty;
        options.propertySuiteVersion = c.suiteVersion;
        options.propertySuiteCount = c.suiteCount;
        options.playInProgress = true;
        ServiceCall call(options);
        SCOPED_TRACE(c.host);
        EXPECT_EQ(GetHostProperty(c.key, kDefault), c.expected);
        EXPECT_EQ(call.session.log.properties.size(), c.askedFrom ? 1u : 0u);
        if (!c.askedFrom) continue;
        EXPECT_EQ(call.session.log.properties[0].signature, FourCC("8BIM"));
        EXPECT_EQ(call.session.log.properties[0].key, c.key);
        EXPECT_EQ(call.session.log.properties[0].index, 0);
        EXPECT_EQ(call.session.log.properties[0].viaSuite, c.askedFrom == kSuite);
    }
}

TEST(HostServices, ProgressIsReportedOnceForEachNewPair) {
    ServiceCall call;
    struct Step {
        int32_t done, total;
        bool reported;
        int32_t reportedTotal;
    };
    const Step steps[] = {
        {5, 0, true, 1},   {5, 1, false, 0},  {5, -3, false, 0}, {6, 1, true, 1},
        {6, 10, true, 10}, {6, 10, false, 0}, {0, 10, true, 10},
    };
    size_t expectedReports = 0;
    for (const Step& step : steps) {
        EXPECT_EQ(ReportProgress(step.done, step.total), 0);
        if (step.reported) {
            ++expectedReports;
            ASSERT_EQ(call.session.log.progress.size(), expectedReports);
            EXPECT_EQ(call.session.log.progress.back().first, step.done);
            EXPECT_EQ(call.session.log.progress.back().second, step.reportedTotal);
        }
        EXPECT_EQ(call.session.log.progress.size(), expectedReports)
            << step.done << " of " << step.total;
    }
    // Each report asks the host whether the user wants to stop.
    EXPECT_EQ(call.session.log.abortCalls, int32_t(expectedReports));
}

TEST(HostServices, AbortFromTheHostCancelsTheRun) {
    HostOptions options;
    options.abortAfterCalls = 2;
    ServiceCall call(options);
    EXPECT_EQ(CheckUserAbort(), 0);
    EXPECT_EQ(ReportProgress(1, 4), 0);
    EXPECT_EQ(ReportProgress(2, 4), HOST_USER_CANCELLED);
    EXPECT_EQ(GetResult(), HOST_USER_CANCELLED);
    EXPECT_EQ(call.session.log.abortCalls, 3);

    options.abortAfterCalls = 0;
    options.noProgressProc = true;
    ServiceCall noProgress(options);
    EXPECT_EQ(ReportProgress(1, 4), HOST_USER_CANCELLED);
    EXPECT_TRUE(noProgress.session.log.progress.empty());

    options.noAbortProc = true;
    ServiceCall noAbort(options);
    EXPECT_EQ(CheckUserAbort(), 0);
    EXPECT_EQ(ReportProgress(3, 4), 0);
    EXPECT_EQ(SetCancelResult(), 0);
    EXPECT_EQ(GetResult(), HOST_USER_CANCELLED);
}

TEST(HostServices, ColoursAreConvertedByTheHostWhenItCan) {
    ServiceCall call;
    uint8_t color[4] = {255, 0, 0, 0};
    ASSERT_EQ(ConvertColorViaHost(COLOR_SPACE_RGB, COLOR_SPACE_GRAY, color), 1);
    EXPECT_EQ(color[0], 76);  // 0.299 of full red
    ASSERT_EQ(call.session.log.colors.size(), 1u);
    EXPECT_EQ(call.session.log.colors[0].selector, COLOR_SERVICES_CONVERT_COLOR);
    EXPECT_EQ(call.session.log.colors[0].componentsIn[0], 255);

    uint8_t cmyk[4] = {0, 255, 255, 0};  // full magenta and yellow: red
    ASSERT_EQ(ConvertColorViaHost(COLOR_SPACE_CMYK, COLOR_SPACE_RGB, cmyk), 1);
    EXPECT_EQ(cmyk[0], 255);
    EXPECT_EQ(cmyk[1], 0);
    EXPECT_EQ(cmyk[2], 0);

    uint8_t unknown[4] = {1, 2, 3, 4};
    EXPECT_EQ(ConvertColorViaHost(COLOR_SPACE_RGB, 99, unknown), 0);
    EXPECT_EQ(unknown[0], 1);

    HostOptions options;
    options.noColorServices = true;
    ServiceCall without(options);
    uint8_t kept[4] = {9, 8, 7, 6};
    EXPECT_EQ(ConvertColorViaHost(COLOR_SPACE_RGB, COLOR_SPACE_GRAY, kept), 0);
    EXPECT_EQ(kept[0], 9);
}
}  // namespace

namespace {
TEST(HostServices, RegistryStringsAreReadIntoABoundedBuffer) {
    const std::string path = "Software\\GreyloomTests\\" + std::to_string(GetCurrentProcessId());
    HKEY scratch = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &scratch, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 7;
    RegSetValueExA(scratch, "text", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Plug-ins"), 12);
    RegSetValueExA(scratch, "number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegSetValueExA(scratch, "long", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdefghijkl"), 13);
    RegSetValueExA(scratch, "bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("wxyz"), 4);

    struct Case {
        const char* value;
        DWORD size;
        LONG result;
        const char* text;
    };
    const Case cases[] = {
        {"text", 64, 0, "C:\\Plug-ins"},
        {"number", 64, 13, nullptr},
        {"missing", 64, ERROR_FILE_NOT_FOUND, ""},
        {"long", 8, ERROR_MORE_DATA, nullptr},
        {"bare", 8, 0, "wxyz"},  // stored without its terminator: the cleared buffer ends it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        HKEY key = RegOpenKeyForRead(HKEY_CURRENT_USER, path.c_str());
        ASSERT_NE(key, nullptr);
        char buffer[64];
        memset(buffer, 'Q', sizeof buffer);
        EXPECT_EQ(RegReadString(key, c.value, buffer, c.size), c.result);
        EXPECT_EQ(buffer[c.size - 1], '\0');
        if (c.text) {
            EXPECT_STREQ(buffer, c.text);
        }
        // The helper closed the key.
        EXPECT_NE(RegQueryValueExA(key, "text", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    }
    char buffer[16] = "unchanged";
    EXPECT_EQ(RegReadString(nullptr, "text", buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(RegOpenKeyForRead(HKEY_CURRENT_USER, (path + "\\no such key").c_str()), nullptr);

    // A root that is not predefined is closed after the open.
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &parent), ERROR_SUCCESS);
    HKEY child = RegOpenKeyForRead(
        parent, ("GreyloomTests\\" + std::to_string(GetCurrentProcessId())).c_str());
    ASSERT_NE(child, nullptr);
    EXPECT_NE(RegQueryValueExA(parent, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegReadString(child, "text", buffer, sizeof buffer), 0);

    RegCloseKey(scratch);
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}
}  // namespace

namespace {
// While the dialog is up the user stops a render from the keyboard: Escape cancels, Pause
// asks whether to go on.
TEST(HostServices, KeysStopOrPauseARenderWhileTheDialogIsUp) {
    struct Case {
        WPARAM key;
        int answer;  // to the "Pause" box
        int16_t expected;
        bool asks;
    };
    const Case cases[] = {
        {VK_ESCAPE, 0, HOST_USER_CANCELLED, false},
        {VK_PAUSE, IDYES, 0, true},
        {VK_PAUSE, IDNO, HOST_USER_CANCELLED, true},
        {'A', 0, 0, false},
    };
    ServiceCall call;
    std::unique_ptr<ParameterBlock> block(new ParameterBlock);
    InitParameterBlock(*block);
    gParams = block.get();
    gContext.dialogUp = 1;
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.key));
        HostResetLog(call.session);
        call.session.options.messageBoxAnswers = {c.answer};
        PostMessageA(window, WM_KEYDOWN, c.key, 1);
        EXPECT_EQ(CheckUserAbort(), c.expected);
        ASSERT_EQ(call.session.log.messageBoxes.size(), c.asks ? 1u : 0u);
        if (c.asks) {
            EXPECT_EQ(call.session.log.messageBoxes[0].caption, "Pause");
            EXPECT_EQ(call.session.log.messageBoxes[0].text, "Continue?");
            EXPECT_EQ(call.session.log.messageBoxes[0].icon, UINT(MB_ICONEXCLAMATION));
        }
        EXPECT_EQ(call.session.log.abortCalls, 0);  // the host is not asked meanwhile
    }
    // Any other key stays queued for the dialog, so typing during a render is not lost.
    MSG left;
    ASSERT_TRUE(PeekMessageA(&left, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(left.wParam, WPARAM('A'));
    // With no key waiting, the result of the call stands.
    EXPECT_EQ(CheckUserAbort(), 0);
    SetCancelResult();
    EXPECT_EQ(CheckUserAbort(), HOST_USER_CANCELLED);

    // Progress goes to the dialog's bar and control 394, not to the host.
    SetResult(0);
    EXPECT_EQ(ReportProgress(3, 4), 0);
    EXPECT_EQ(gParams->controls[394].value, 75);
    EXPECT_EQ(GetControlValue(394), 75);
    EXPECT_TRUE(call.session.log.progress.empty());

    DestroyWindow(window);
    gContext.dialogUp = 0;
    gParams = nullptr;
}

// A clock the test sets by hand, and the bar positions the dialog was asked to show.
DWORD gFakeNowMs = 0;
DWORD WINAPI FakeTickCount() {
    return gFakeNowMs;
}
std::vector<int32_t> gBarMoves;
void RecordBarMove(int32_t percent) {
    gBarMoves.push_back(percent);
}

// The row loops of a rendering look at the keyboard and move the bar on a clock, not at every
// row: both cost a round trip to the window system. Escape is still seen within the poll
// interval, the bar goes back to 0 at the rendering's end at once, and control 394 holds the
// percent of every report.
TEST(HostServices, RenderingsLookAtTheKeyboardAndMoveTheBarOnAClock) {
    struct Step {
        DWORD atMs;           // after the rendering's start
        bool postEscape;      // pressed just before the step
        int32_t done, total;  // reported; total 0: a plain poll instead
        int16_t expected;     // result of the call
        int32_t barMove;      // -1: the bar stays
    };
    const Step steps[] = {
        {0, true, 0, 0, 0, -1},                      // a key at the start waits for the first look
        {9, false, 1, 10, 0, -1},                    // 10 % stored, neither look nor move yet
        {10, false, 0, 0, HOST_USER_CANCELLED, -1},  // the first look takes the Escape
        {15, true, 2, 10, 0, -1},                    // a second Escape waits for the next look
        {20, false, 3, 10, HOST_USER_CANCELLED, -1},
        {39, false, 4, 10, 0, -1},
        {40, false, 5, 10, 0, 50},  // the first move, 40 ms after the start
        {60, false, 6, 10, 0, -1},
        {80, false, 9, 10, 0, 90},
        {81, false, 0, 100, 0, 0},  // the end: back to 0 at once
        {82, false, 0, 0, 0, -1},   // nothing left in the queue
    };
    ServiceCall call;
    std::unique_ptr<ParameterBlock> block(new ParameterBlock);
    InitParameterBlock(*block);
    gParams = block.get();
    gContext.dialogUp = 1;
    gSystem.tickCount = FakeTickCount;
    const DialogHooks hooks = gDialogHooks;
    gDialogHooks.showProgress = RecordBarMove;
    gBarMoves.clear();
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const DWORD startMs = 5000;
    gFakeNowMs = startMs;
    ProgressRenderStart();
    int32_t stored = GetControlValue(394);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.atMs);
        gFakeNowMs = startMs + step.atMs;
        if (step.postEscape) PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
        const size_t movesBefore = gBarMoves.size();
        if (step.total > 0) {
            EXPECT_EQ(ReportProgress(step.done, step.total), step.expected);
            stored = step.done * 100 / step.total;
        } else {
            EXPECT_EQ(PollUserAbort(), step.expected);
        }
        EXPECT_EQ(GetControlValue(394), stored);
        if (step.barMove < 0) {
            EXPECT_EQ(gBarMoves.size(), movesBefore);
        } else {
            ASSERT_EQ(gBarMoves.size(), movesBefore + 1);
            EXPECT_EQ(gBarMoves.back(), step.barMove);
        }
    }
    // With the dialog down the host is asked at every call, whatever the clock says.
    gContext.dialogUp = 0;
    const int32_t abortCallsBefore = call.session.log.abortCalls;
    for (int i = 0; i < 3; ++i) PollUserAbort();
    EXPECT_EQ(call.session.log.abortCalls, abortCallsBefore + 3);
    DestroyWindow(window);
    gDialogHooks = hooks;
    SystemCallsReset();
    gParams = nullptr;
}
}  // namespace
