// The project's test host: stands in for an image editor that runs filter plug-ins. It loads
// a .8bf, checks its property list, builds the filter record and drives the selectors.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/host_api.h"
#include "tools/testhost/host_image.h"
#include "tools/testhost/pipl_reader.h"

// Where the test host itself faults inside one of its callbacks, to check that the plug-in's
// guard catches faults raised under it.
enum HostCallback {
    CALLBACK_NONE,
    CALLBACK_ABORT,
    CALLBACK_PROGRESS,
    CALLBACK_ADVANCE_STATE,
    CALLBACK_PROPERTY,
    CALLBACK_DISPLAY_PIXELS,
};
enum HostFault {
    HOST_FAULT_DIVIDE_BY_ZERO,
    HOST_FAULT_ACCESS_VIOLATION,
    HOST_FAULT_BREAKPOINT,
    HOST_FAULT_STACK_OVERFLOW,
};
struct CallbackFault {
    HostCallback where = CALLBACK_NONE;
    HostFault fault = HOST_FAULT_ACCESS_VIOLATION;
    int32_t onCall = 1;  // the fault happens on this call of the callback (1 = first)
};

// Message-box answers: a button id (IDOK, IDYES, ...) or ANSWER_DEFAULT_BUTTON.
constexpr int ANSWER_DEFAULT_BUTTON = 0;

struct HostOptions {
    // --- What the host offers ---------------------------------------------------------
    bool noAdvanceState = false;
    bool noAbortProc = false;
    bool noProgressProc = false;
    bool noDisplayPixels = false;
    bool noColorServices = false;
    bool noBufferSuite = false;
    bool noHandleSuite = false;
    bool noPropertySuite = false;
    bool noObsoleteGetProperty = false;
    bool noDescriptorParameters = false;
    bool noReadDescriptorProcs = false;
    bool noWriteDescriptorProcs = false;
    bool noBigDocumentData = false;
    // Suite versions and procedure counts as announced (a too-new version or a short count
    // makes the plug-in fall back).
    int16_t bufferSuiteVersion = 2;
    int16_t bufferSuiteCount = 5;
    int16_t handleSuiteVersion = 1;
    int16_t handleSuiteCount = 8;
    int16_t propertySuiteVersion = 1;
    int16_t propertySuiteCount = 2;

    // --- Behaviour of less complete hosts ------------------------------------------------
    bool propertyAnswersEmpty = false;  // property requests succeed and write nothing
    bool handleSizeZero = false;        // handles report size 0
    bool piplLengthsAsStored = false;   // property lengths are read as already padded
    bool only8BitRgb = false;           // 16-bit images are refused; rows are interleaved
    bool ignoreModeEnablement = false;  // run in a mode the property list does not enable
    bool finishAfterError = false;      // call finish even when start or continue failed
    // Sent instead of the image's own mode, as by a host that ignores the property list.
    std::optional<int16_t> announcedImageMode;

    // --- Host identity and document ---------------------------------------------------------
    OSType hostSignature = FourCC("8BIM");
    std::string documentTitle = "Untitled-1";
    std::map<OSType, intptr_t> simpleProperties;  // answered besides "titl" and "plip"
    bool playInProgress = false;                  // value of the "plip" property
    HostRGBColor background = {0xFFFF, 0xFFFF, 0xFFFF};
    HostRGBColor foreground = {0, 0, 0};
    bool preserveTransparency = false;  // filter cases 6 and 7 instead of 4 and 5
    int32_t maxSpace = 0x40000000;
    int32_t bufferSpace = 0x10000000;     // budget of the buffer suite
    int64_t maxRequestBytes = 1ll << 30;  // larger advanceState requests fail with -108
    int32_t rowPaddingBytes = 0;          // extra bytes at the end of each delivered row
    int16_t tileSize = 256;               // reported host tile width and height
    int16_t resultBeforeCall = 0;         // written to the result word before each call
    int32_t maxContinueCalls = 100000;    // a plug-in that never empties its rectangles
    // 0..255: every output buffer comes filled with this byte instead of the working image's
    // pixels, as from a host that hands out fresh memory; -1 the pixels.
    int32_t outputFill = -1;

    // --- Interaction --------------------------------------------------------------------
    int32_t abortAfterCalls = -1;       // abortProc says "abort" from call N+1 on; -1 never
    std::deque<int> messageBoxAnswers;  // used in order; then defaultAnswer
    int defaultAnswer = ANSWER_DEFAULT_BUTTON;
    bool pickerCancels = false;  // the host's colour picker is cancelled
    HostRGBColor pickerColor = {0x8000, 0x4000, 0x2000};
    CallbackFault callbackFault;
    // Called on the host thread when a dialog that is not a message box comes up.
    std::function<void(HWND)> dialogHandler;
    // Without a handler: IDOK or IDCANCEL presses the plug-in dialog's OK or Cancel button
    // (control 399 or 398, else the dialog's IDOK or IDCANCEL) once it is up; 0 leaves it.
    int dialogAnswer = 0;

    // --- Scripting -------------------------------------------------------------------------
    int16_t playInfo = PLAY_DIALOG_OPTIONAL;
    int16_t recordInfo = RECORD_DIALOG_OPTIONAL;
};

// --- Logs: what the plug-in asked of the host ---------------------------------------------
struct SelectorCall {
    int16_t selector;
    int16_t result;
    bool resultWritten;  // false when the plug-in left the result word as the host set it
};
struct AdvanceRequest {
    HostRect inRect, outRect, maskRect;
    int16_t inLoPlane, inHiPlane, outLoPlane, outHiPlane;
    Fixed inputRate, maskRate;
    int16_t inputPadding, outputPadding, maskPadding;
    OSErr result;
    bool viaAdvanceState;  // false: the rectangles left in the record before "continue"
};
struct MessageBoxRecord {
    std::string caption;
    std::string text;
    UINT icon;  // MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK or 0
    std::vector<int> buttons;  // ids of the buttons shown
    int answer;                // the id pressed by the host
    bool otherThread;          // shown by a thread other than the one that called the plug-in
};
struct PropertyRequest {
    OSType signature, key;
    int32_t index;
    OSErr result;
    bool viaSuite;  // false: through the filter record's older property callback
};
struct DisplayCall {
    HostVRect area;
    int32_t dstRow, dstCol;
    int32_t depth, colBits;
    bool hadContext;
};
struct ColorRequest {
    int16_t selector, sourceSpace, resultSpace;
    int16_t componentsIn[4];
    std::string prompt;
    OSErr result;
};
struct HostLog {
    std::vector<SelectorCall> selectors;
    std::vector<AdvanceRequest> advances;
    std::vector<std::pair<int32_t, int32_t>> progress;
    int32_t abortCalls = 0;
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<std::string> dialogs;  // captions of other dialogs that came up
    std::vector<PropertyRequest> properties;
    std::vector<DisplayCall> displays;
    std::vector<ColorRequest> colors;
    std::vector<std::string> notes;  // the host's own complaints (protocol, property list)
    int32_t buffersAllocated = 0, buffersLive = 0;
    int32_t handlesAllocated = 0, handlesLive = 0;
    int32_t continueCalls = 0;
    int64_t outOfRangeSamples = 0;  // 16-bit output samples above 32768 (clamped)
};

// --- Scripting descriptors ------------------------------------------------------------------
struct DescriptorItem {
    DescriptorKeyID key = 0;
    DescriptorType type = 0;  // DESC_TYPE_INTEGER, DESC_TYPE_TEXT, "doub" or "bool"
    int32_t integer = 0;
    double number = 0;
    std::string text;
};
using Descriptor = std::vector<DescriptorItem>;
constexpr DescriptorType DESC_TYPE_FLOAT = FourCC("doub");
constexpr DescriptorType DESC_TYPE_BOOLEAN = FourCC("bool");

// One host handle: the first field is the master pointer, so that `*(char**)handle` gives
// the data as on hosts whose handles are pointers to master pointers.
struct HostHandleRecord {
    char* data;
    int32_t size;
    uint32_t tag;
    int32_t lockCount;
};

struct HostBuffer {
    std::vector<uint8_t> bytes;
    int32_t lockCount = 0;
};

// Record of the 32-bit coordinates hosts pass beside the 16-bit ones (filled, not read).
struct HostBigDocumentData {
    int32_t pluginUsing32BitCoordinates;
    int32_t imageSize32[2];
    int32_t filterRect32[4];
    int32_t inRect32[4];
    int32_t outRect32[4];
    int32_t maskRect32[4];
    int32_t floatCoord32[2];
    int32_t wholeSize32[2];
    char reserved[64];
};

// Storage of delivered pixels. Growing it leaves the new bytes unset: every delivery writes
// all the bytes it hands out, so setting them first would only cost a pass over the memory.
template <typename T>
struct UnsetOnGrowAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UnsetOnGrowAllocator<U>;
    };
    UnsetOnGrowAllocator() = default;
    template <typename U>
    UnsetOnGrowAllocator(const UnsetOnGrowAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

// A pixel buffer handed to the plug-in by advanceState (input, output or mask). Its storage
// stays with the session between requests and runs, as an editor's tile memory does.
struct DeliveredBuffer {
    std::vector<uint8_t, UnsetOnGrowAllocator<uint8_t>> bytes;
    HostRect rect = {0, 0, 0, 0};
    int32_t rowBytes = 0;
    int16_t loPlane = 0, hiPlane = -1;
    int32_t rate = 1;
    bool preview = false;  // delivered at a reduced input rate: not written back
};

struct HostSession {
    HostSession();
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    HostOptions options;
    HostLog log;

    // The plug-in.
    std::string pluginPath;
    HMODULE module = nullptr;
    PluginEntryProc entry = nullptr;
    PiplInfo pipl;

    // Kept across runs for as long as the plug-in stays loaded.
    intptr_t dataWord = 0;
    HostHandle parameters = nullptr;

    // The document.
    HostImage source;                // the image as the user sees it before the filter
    std::vector<uint8_t> selection;  // width x height, 0..255; empty: no selection
    bool haveFilterRect = false;
    HostRect filterRect = {0, 0, 0, 0};
    HostImage working;  // receives the plug-in's output during a run
    HostImage output;   // the result of the last run (the source when it failed)

    // Scripting: replayed into the next run; recorded by the last run.
    bool replayDescriptor = false;
    Descriptor replay;
    bool haveRecorded = false;
    Descriptor recorded;

    // The host's records handed to the plug-in.
    FilterRecord record;
    AboutRecord about;
    HostPlatformData platform;
    BufferProcs bufferProcs;
    HandleProcs handleProcs;
    PropertyProcs propertyProcs;
    DescriptorParameters descriptorParameters;
    ReadDescriptorProcs readProcs;
    WriteDescriptorProcs writeProcs;
    HostBigDocumentData bigDocument;
    uint8_t errorString[256];
    HWND mainWindow = nullptr;

    // Run state.
    DeliveredBuffer inBuffer, outBuffer, maskBuffer;
    int32_t progressCalls = 0;
    int32_t propertyCalls = 0;
    int32_t advanceCalls = 0;
    int32_t displayCalls = 0;
    std::map<void*, HostBuffer> buffers;
    std::map<HostHandleRecord*, bool> handles;

    // Message-box watcher.
    std::mutex watchLock;
    HHOOK watchHook = nullptr;
    DWORD hostThread = 0;
    HANDLE watchThread = nullptr;
    HANDLE watchStop = nullptr;
    std::vector<HWND> handledBoxes;
};

// --- Plug-in ----------------------------------------------------------------------------------
// Reads and checks the property list, then loads the plug-in. On failure the reason is the
// last note of the log and nothing stays loaded.
bool HostLoadPlugin(HostSession& session, const std::string& path);
void HostUnloadPlugin(HostSession& session);
// The shipped plug-in of this architecture: GREYLOOM_BIN_DIR, else beside the program.
std::string HostDefaultPluginPath();
std::string HostProgramFolder();

// --- Document -----------------------------------------------------------------------------------
// Sets the image (mode 3 for 8 bits, 11 for 16 bits). Refused by hosts limited to 8 bits.
bool HostSetImage(HostSession& session, const HostImage& image);
// A selection mask (width x height bytes); the filter rectangle becomes its bounding box
// unless one is set.
void HostSetSelection(HostSession& session, const std::vector<uint8_t>& mask);
void HostSetFilterRect(HostSession& session, HostRect rect);
int16_t HostImageMode(const HostSession& session);

// --- Selectors
// ------------------------------------------------------------------------------------ Fills the
// filter record for a new run from the document and the options.
void HostBeginRun(HostSession& session);
// One call of the entry point with the session's filter record (the about record for
// selector 0), data word and a result word preset to options.resultBeforeCall.
int16_t HostCallSelector(HostSession& session, int16_t selector);
// One call with any record pointer, as a misbehaving host would make it.
int16_t HostCallEntryRaw(HostSession& session, int16_t selector, void* stuff);
// The whole invocation: [parameters], prepare, start, continue while rectangles are not
// empty, finish. withParameters is the menu command with "...", false the "last filter"
// command. Returns the first non-zero result, else 0; the result image is in output.
int16_t HostRunFilter(HostSession& session, bool withParameters);
int16_t HostShowAbout(HostSession& session);
void HostResetLog(HostSession& session);

// --- Scripting descriptors
// ------------------------------------------------------------------------
bool DescriptorSaveFile(const Descriptor& descriptor, const std::string& path);
bool DescriptorLoadFile(const std::string& path, Descriptor* descriptor, std::string* error);
std::string DescriptorKeyText(DescriptorKeyID key);

// --- Host handles (also used by tests to hand the plug-in foreign handles)
// ---------------------------
HostHandle HostNewHandle(HostSession& session, int32_t size);
void HostDisposeHandleRecord(HostSession& session, HostHandle handle);
HostHandleRecord* HostHandleLookup(HostSession& session, HostHandle handle);

// The session whose callbacks are live (the host calls one plug-in at a time).
extern HostSession* gHostSession;
