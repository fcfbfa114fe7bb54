// The plug-in's entry point as a host calls it: the data block in the host's data word, the
// report of interface problems and the outermost fault guard.

#include <windows.h>
#include <tlhelp32.h>

#include "common/process_cpu.h"
#include "common/process_holdings.h"
#include "foundation/plugin_session.h"
#include "host/host_services.h"
#include "host/plugin_data.h"

namespace {
constexpr int16_t kUnwritten = 0x5A5A;  // a result word the plug-in must overwrite
const char kInterfaceProblem[] =
    "Could not complete your request because of a problem with the filter module interface.";

PluginDataBlock* DataBlock(const HostSession& session) {
    return static_cast<PluginDataBlock*>(
        PseudoHandleBlock(reinterpret_cast<HostHandle>(session.dataWord), sizeof(PluginDataBlock)));
}

// A filter record the plug-in cannot read: any use of it faults inside the plug-in.
void* UnreadableRecord() {
    static void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    return page;
}

TEST(PluginEntry, FirstCallAllocatesTheDataBlockAndLaterCallsReuseIt) {
    auto session = OpenShippedPlugin();
    ASSERT_EQ(session->dataWord, 0);
    HostBeginRun(*session);
    ASSERT_EQ(HostCallSelector(*session, SELECTOR_PREPARE), 0);
    const intptr_t dataWord = session->dataWord;
    ASSERT_NE(dataWord, 0);
    EXPECT_EQ(GlobalPseudoHandleSize(reinterpret_cast<HostHandle>(dataWord)),
              sizeof(PluginDataBlock));
    PluginDataBlock* block = DataBlock(*session);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->stuff, &session->record);
    // The preview code stores its rectangle between calls; later calls must keep it.
    block->previewRect = {3, 4, 150, 220};

    for (int16_t selector : {SELECTOR_PREPARE, SELECTOR_START, SELECTOR_FINISH, SELECTOR_ABOUT}) {
        // No dialog: its preview would write its own rectangle.
        if (selector == SELECTOR_START) PlayEmptyDescriptor(*session);
        HostCallSelector(*session, selector);
        EXPECT_EQ(session->dataWord, dataWord) << "selector " << selector;
        EXPECT_EQ(block->previewRect.top, 3);
        EXPECT_EQ(block->previewRect.left, 4);
        EXPECT_EQ(block->previewRect.bottom, 150);
        EXPECT_EQ(block->previewRect.right, 220);
    }
    // The about selector passes the about record, which the block then points at.
    EXPECT_EQ(block->stuff, static_cast<void*>(&session->about));
}

TEST(PluginEntry, InvalidSelectorsAreReportedAsInterfaceProblems) {
    auto session = OpenShippedPlugin();
    session->options.resultBeforeCall = kUnwritten;
    HostBeginRun(*session);
    for (int16_t selector : {int16_t(6), int16_t(-1), int16_t(32767), int16_t(-32768)}) {
        HostResetLog(*session);
        EXPECT_EQ(HostCallSelector(*session, selector), HOST_ERROR_REPORTED)
            << "selector " << selector;
        ASSERT_EQ(session->log.messageBoxes.size(), 1u) << "selector " << selector;
        const MessageBoxRecord& box = session->log.messageBoxes[0];
        EXPECT_EQ(box.caption, "Quillmoor");
        EXPECT_EQ(box.text, kInterfaceProblem);
        EXPECT_EQ(box.icon, UINT(MB_ICONHAND));
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    }
    // The block keeps the result of the call, written back at its end.
    EXPECT_EQ(DataBlock(*session)->result, HOST_ERROR_REPORTED);
}

TEST(PluginEntry, StepsReportingBadParametersAreReportedTheSameWay) {
    auto session = OpenShippedPlugin();
    session->options.resultBeforeCall = kUnwritten;
    HostBeginRun(*session);
    // A parameters handle the plug-in never made (here one of the host's own handles).
    HostHandle foreign = HostNewHandle(*session, 64);
    session->record.parameters = foreign;
    EXPECT_EQ(HostCallSelector(*session, SELECTOR_PREPARE), HOST_ERROR_REPORTED);
    ASSERT_EQ(session->log.messageBoxes.size(), 1u);
    EXPECT_EQ(session->log.messageBoxes[0].caption, "Quillmoor");
    EXPECT_EQ(session->log.messageBoxes[0].text, kInterfaceProblem);
    EXPECT_EQ(session->record.parameters, foreign);  // never replaced or freed

    // A data word that is not the plug-in's block is never written through.
    HostResetLog(*session);
    std::vector<uint8_t> notABlock(64, 0xEE);
    session->dataWord = reinterpret_cast<intptr_t>(notABlock.data());
    session->record.parameters = nullptr;
    EXPECT_EQ(HostCallSelector(*session, SELECTOR_PREPARE), HOST_ERROR_REPORTED);
    EXPECT_EQ(session->log.messageBoxes.size(), 1u);
    EXPECT_EQ(notABlock, std::vector<uint8_t>(64, 0xEE));
}

TEST(PluginEntry, FaultInsideACallIsCaughtAndTheNextCallWorks) {
    auto session = OpenShippedPlugin();
    session->options.resultBeforeCall = kUnwritten;
    HostBeginRun(*session);
    ASSERT_EQ(HostCallSelector(*session, SELECTOR_PREPARE), 0);
    const intptr_t dataWord = session->dataWord;
    PluginDataBlock before = *DataBlock(*session);

    for (int round = 0; round < 3; ++round) {
        HostResetLog(*session);
        // The mended behaviour: a host that preset success must not read it after a fault.
        EXPECT_EQ(HostCallEntryRaw(*session, SELECTOR_PREPARE, UnreadableRecord()),
                  HOST_ERROR_REPORTED);
        ASSERT_EQ(session->log.messageBoxes.size(), 1u);
        EXPECT_EQ(session->log.messageBoxes[0].caption, "Error");
        EXPECT_EQ(session->log.messageBoxes[0].text, "Sorry, a framework error occured.");
        EXPECT_EQ(session->log.messageBoxes[0].icon, UINT(MB_ICONHAND));
        // The block keeps its state from before the faulting call.
        EXPECT_EQ(session->dataWord, dataWord);
        EXPECT_EQ(DataBlock(*session)->result, before.result);
        EXPECT_EQ(DataBlock(*session)->stuff, before.stuff);
    }
    HostResetLog(*session);
    EXPECT_EQ(HostCallSelector(*session, SELECTOR_PREPARE), 0);
    EXPECT_TRUE(session->log.messageBoxes.empty());
    EXPECT_EQ(HostRunFilter(*session, true), 0);
}

TEST(PluginEntry, FirstCallWithAFaultLeavesTheDataWordUsable) {
    auto session = OpenShippedPlugin();
    session->options.resultBeforeCall = kUnwritten;
    EXPECT_EQ(HostCallEntryRaw(*session, SELECTOR_START, UnreadableRecord()), HOST_ERROR_REPORTED);
    HostBeginRun(*session);
    EXPECT_EQ(HostCallSelector(*session, SELECTOR_PREPARE), 0);
    EXPECT_NE(DataBlock(*session), nullptr);
}

TEST(PluginEntry, AboutSelectorShowsTheAboutBoxFromTheAboutRecord) {
    auto session = OpenShippedPlugin();
    session->options.resultBeforeCall = kUnwritten;
    EXPECT_EQ(HostShowAbout(*session), 0);
    EXPECT_TRUE(session->log.messageBoxes.empty());
    ASSERT_EQ(session->log.dialogs.size(), 1u) << "the about box";
    EXPECT_NE(session->dataWord, 0);
}

TEST(PluginEntry, EditorInvocationsKeepDataWordAndParametersAcrossRuns) {
    auto session = OpenShippedPlugin();
    ASSERT_EQ(HostRunFilter(*session, true), 0);
    const intptr_t dataWord = session->dataWord;
    const HostHandle parameters = session->parameters;
    ASSERT_NE(parameters, nullptr);
    // "Last filter" runs repeat without the parameters selector.
    for (int run = 0; run < 3; ++run) {
        HostResetLog(*session);
        ASSERT_EQ(HostRunFilter(*session, false), 0);
        EXPECT_EQ(session->dataWord, dataWord);
        EXPECT_EQ(session->parameters, parameters);
        ASSERT_GE(session->log.selectors.size(), 3u);
        EXPECT_EQ(session->log.selectors[0].selector, SELECTOR_PREPARE);
        EXPECT_EQ(session->log.selectors.back().selector, SELECTOR_FINISH);
    }
}
}  // namespace

namespace {
// The plug-in's own threads (its worker pool, which leaves after an idle time, and the one
// freeing a run's arrays) hold its module until they have ended.
constexpr DWORD kModuleGoneWaitMs = 20000;

LONG CALLBACK ContinueTestException(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode != 0xE0474C31) return EXCEPTION_CONTINUE_SEARCH;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The code range of a loaded module, from its image header.
struct CodeRange {
    uintptr_t first, end;
};
CodeRange ModuleRange(HMODULE module) {
    const auto* base = reinterpret_cast<const uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return {uintptr_t(base), uintptr_t(base) + nt->OptionalHeader.SizeOfImage};
}

// Threads of this process whose routine starts inside range.
int32_t ThreadsStartingIn(const CodeRange& range) {
    using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    constexpr int kStartAddressClass = 9;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE || !query) return -1;
    int32_t count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        void* start = nullptr;
        if (query(thread, kStartAddressClass, &start, sizeof start, nullptr) == 0)
            count += uintptr_t(start) >= range.first && uintptr_t(start) < range.end ? 1 : 0;
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return count;
}

// The plug-in's threads once the one freeing the last run's arrays has ended: the count no
// longer changes over a while.
int32_t SettledThreadsStartingIn(const CodeRange& range) {
    int32_t count = ThreadsStartingIn(range);
    for (int32_t tries = 0; tries < 100; ++tries) {
        Sleep(30);
        const int32_t now = ThreadsStartingIn(range);
        if (now == count) break;
        count = now;
    }
    return count;
}

// A host that unloads the plug-in after the start of a run, without its last call, finds
// none of the run's worker threads left behind to run on in the unloaded code, however soon
// after the start it unloads; and the next load runs normally.
TEST(PluginEntry, UnloadingInTheMiddleOfARunLeavesNoThreadBehind) {
    for (int32_t round = 0; round < 6; ++round) {
        auto session = OpenShippedPlugin();
        const CodeRange plugin = ModuleRange(session->module);
        HostBeginRun(*session);
        PlayEmptyDescriptor(*session);
        ASSERT_EQ(HostCallSelector(*session, SELECTOR_START), 0) << "round " << round;
        // Unloaded at once in the even rounds, while the threads are still starting up;
        // once they wait for work in the odd ones.
        if (round % 2) {
            Sleep(50);
            ASSERT_GT(ThreadsStartingIn(plugin), 0) << "no worker threads to leave behind";
        }
        const HMODULE module = session->module;
        HostUnloadPlugin(*session);
        ASSERT_TRUE(WaitForModuleGone(module, kModuleGoneWaitMs)) << "round " << round;
        EXPECT_EQ(ThreadsStartingIn(plugin), 0) << "round " << round;
    }
    auto session = OpenShippedPlugin();
    EXPECT_EQ(HostRunFilter(*session, false), 0);
}

// The worker pool a run makes stays for the next run, whose renders find its threads made;
// between runs they sleep, using no processor. After the unload they leave on their own, and
// the module, which they hold, goes with the last of them.
TEST(PluginEntry, WorkerPoolOutlivesTheRunAsleepAndGoesWithTheModule) {
    auto session = OpenShippedPlugin();
    const CodeRange plugin = ModuleRange(session->module);
    ASSERT_EQ(HostRunFilter(*session, false), 0);
    const int32_t threads = SettledThreadsStartingIn(plugin);
    EXPECT_GT(threads, 0) << "the run left no pool";
    Sleep(50);
    const int64_t before = ProcessCpuMs();
    Sleep(300);
    EXPECT_LT(ProcessCpuMs() - before, 150) << "threads spin after the run";
    for (int run = 0; run < 3; ++run) {
        ASSERT_EQ(HostRunFilter(*session, false), 0);
        EXPECT_EQ(SettledThreadsStartingIn(plugin), threads) << "run " << run;
    }
    const HMODULE module = session->module;
    HostUnloadPlugin(*session);
    ASSERT_TRUE(WaitForModuleGone(module, kModuleGoneWaitMs));
    EXPECT_EQ(ThreadsStartingIn(plugin), 0);
}

// Hosts unload plug-ins between runs; nothing of the plug-in may stay behind in the process
// that the next exception (of the host or of another plug-in) would call.
TEST(PluginEntry, UnloadedPluginLeavesNoExceptionHandlerBehind) {
    auto session = OpenShippedPlugin();
    ASSERT_EQ(HostRunFilter(*session, false), 0);
    const HMODULE module = session->module;
    HostUnloadPlugin(*session);
    ASSERT_TRUE(WaitForModuleGone(module, kModuleGoneWaitMs)) << "the plug-in is still mapped";
    void* handler = AddVectoredExceptionHandler(0, ContinueTestException);
    RaiseException(0xE0474C31, 0, 0, nullptr);
    RemoveVectoredExceptionHandler(handler);

    ASSERT_TRUE(HostLoadPlugin(*session, HostDefaultPluginPath()));
    EXPECT_EQ(HostRunFilter(*session, false), 0);
}
}  // namespace
