// Host services: each wrapper uses the host's procedure only when the host offers it.

#include "host/host_services.h"

#include <commctrl.h>

#include <cstring>

#include "dialog/control_record.h"
#include "host/dialog_hooks.h"
#include "host/message_boxes.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/effect_context.h"
#include "host/system_calls.h"

// --- Pseudo-handles ----------------------------------------------------------------------

namespace {
constexpr uint32_t kPseudoHandleTag = 0x474C5048;  // "GLPH"

struct PseudoHandleRecord {
    uint32_t tag;
    void* block;
    size_t size;
};

int16_t gPseudoHandleError = 0;

bool IsReadable(const void* address, size_t size) {
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(address, &info, sizeof info)) return false;
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_NOACCESS | PAGE_GUARD))) return false;
    const char* end = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    return static_cast<const char*>(address) + size <= end;
}

PseudoHandleRecord* AsRecord(HostHandle handle) {
    if (!handle || !IsReadable(handle, sizeof(PseudoHandleRecord))) return nullptr;
    auto* record = static_cast<PseudoHandleRecord*>(handle);
    return record->tag == kPseudoHandleTag && record->block ? record : nullptr;
}
}  // namespace

HostHandle NewGlobalPseudoHandle(size_t size) {
    auto* record = static_cast<PseudoHandleRecord*>(
        GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(PseudoHandleRecord)));
    void* block = record ? GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size ? size : 1) : nullptr;
    if (!block) {
        if (record) GlobalFree(record);
        gPseudoHandleError = HOST_OUT_OF_MEMORY;
        return nullptr;
    }
    record->tag = kPseudoHandleTag;
    record->block = block;
    record->size = size;
    gPseudoHandleError = 0;
    return record;
}

size_t GlobalPseudoHandleSize(HostHandle handle) {
    PseudoHandleRecord* record = AsRecord(handle);
    gPseudoHandleError = record ? 0 : HOST_MISSING_HANDLE;
    return record ? record->size : 0;
}

void DisposeGlobalPseudoHandle(HostHandle handle) {
    PseudoHandleRecord* record = AsRecord(handle);
    if (!record) {
        gPseudoHandleError = HOST_MISSING_HANDLE;
        return;
    }
    GlobalFree(record->block);
    record->tag = 0;
    GlobalFree(record);
    gPseudoHandleError = 0;
}

void* PseudoHandleBlock(HostHandle handle, size_t expectedSize) {
    PseudoHandleRecord* record = AsRecord(handle);
    if (!record || (expectedSize && record->size != expectedSize)) return nullptr;
    return record->block;
}

int16_t PseudoHandleLastError() {
    return gPseudoHandleError;
}

// --- Buffer suite --------------------------------------------------------------------------

bool BufferSuiteAvailable(const BufferProcs* suite, bool* tooNew) {
    if (tooNew) *tooNew = false;
    if (!suite) return false;
    if (suite->bufferProcsVersion >= 3) {
        if (tooNew) *tooNew = true;
        return false;
    }
    return suite->bufferProcsVersion == 2 && suite->numBufferProcs >= 5 && suite->allocateProc &&
           suite->lockProc && suite->unlockProc && suite->freeProc && suite->spaceProc;
}

OSErr HostAllocateBuffer(const BufferProcs* suite, int32_t size, void** bufferId) {
    *bufferId = nullptr;
    if (!BufferSuiteAvailable(suite, nullptr)) return HOST_OUT_OF_MEMORY;
    return suite->allocateProc(size, bufferId);
}

void* HostLockBuffer(const BufferProcs* suite, void* bufferId, bool moveHigh) {
    if (!BufferSuiteAvailable(suite, nullptr)) return nullptr;
    return suite->lockProc(bufferId, moveHigh);
}

void HostUnlockBuffer(const BufferProcs* suite, void* bufferId) {
    if (BufferSuiteAvailable(suite, nullptr)) suite->unlockProc(bufferId);
}

void HostFreeBuffer(const BufferProcs* suite, void* bufferId) {
    if (BufferSuiteAvailable(suite, nullptr)) suite->freeProc(bufferId);
}

// --- Handle suite --------------------------------------------------------------------------

bool HandleSuiteAvailable(const HandleProcs* suite, bool* tooNew) {
    if (tooNew) *tooNew = false;
    if (!suite) return false;
    if (suite->handleProcsVersion >= 2) {
        if (tooNew) *tooNew = true;
        return false;
    }
    return suite->handleProcsVersion == 1 && suite->numHandleProcs >= 4 && suite->newProc &&
           suite->disposeProc && suite->getSizeProc && suite->setSizeProc;
}

static bool HandleLockingAvailable(const HandleProcs* suite) {
    return HandleSuiteAvailable(suite, nullptr) && suite->numHandleProcs >= 6 && suite->lockProc &&
           suite->unlockProc;
}

void HostDisposeHandle(const HandleProcs* suite, HostHandle handle) {
    if (HandleSuiteAvailable(suite, nullptr))
        suite->disposeProc(handle);
    else
        DisposeGlobalPseudoHandle(handle);
}

int32_t HostGetHandleSize(const HandleProcs* suite, HostHandle handle) {
    if (HandleSuiteAvailable(suite, nullptr)) return suite->getSizeProc(handle);
    return int32_t(GlobalPseudoHandleSize(handle));
}

void* HostLockHandle(const HandleProcs* suite, HostHandle handle, bool moveHigh) {
    if (HandleLockingAvailable(suite)) return suite->lockProc(handle, moveHigh);
    return PseudoHandleBlock(handle);
}

void HostUnlockHandle(const HandleProcs* suite, HostHandle handle) {
    if (HandleLockingAvailable(suite)) suite->unlockProc(handle);
}

// --- Properties and colours ----------------------------------------------------------------

intptr_t GetHostProperty(OSType key, intptr_t defaultValue) {
    if (!gDataBlock || !gStuff) return defaultValue;
    const PropertyProcs* suite = gStuff->propertyProcs;
    GetPropertyProc get = nullptr;
    if (suite && suite->propertyProcsVersion >= 1 && suite->numPropertyProcs >= 1 &&
        suite->getPropertyProc)
        get = suite->getPropertyProc;
    else
        get = gStuff->getPropertyObsolete;
    if (!get) return defaultValue;
    // Some hosts answer success and write nothing: start from the default.
    intptr_t value = defaultValue;
    HostHandle complex = nullptr;
    if (get(FourCC("8BIM"), key, 0, &value, &complex) != 0) return defaultValue;
    return value;
}

ColorServicesInfo ColorServicesRequest(int16_t selector, int16_t sourceSpace, int16_t resultSpace) {
    ColorServicesInfo info;
    memset(&info, 0, sizeof info);
    info.infoSize = sizeof info;
    info.selector = selector;
    info.sourceSpace = sourceSpace;
    info.resultSpace = resultSpace;
    return info;
}

int ConvertColorViaHost(int16_t sourceSpace, int16_t resultSpace, uint8_t color[4]) {
    if (!gDataBlock || !gStuff || !gStuff->colorServices) return 0;
    ColorServicesInfo info =
        ColorServicesRequest(COLOR_SERVICES_CONVERT_COLOR, sourceSpace, resultSpace);
    for (int i = 0; i < 4; ++i) info.colorComponents[i] = color[i];
    if (gStuff->colorServices(&info) != 0) return 0;
    for (int i = 0; i < 4; ++i) color[i] = uint8_t(info.colorComponents[i]);
    return 1;
}

// --- Progress and abort --------------------------------------------------------------------

namespace {
// Looking at the thread's queue for keys is a round trip to the window system, under Wine a
// server call that costs more than copying or rendering a row of a preview. An Escape seen
// within 10 ms cannot be told from one seen at the next row.
constexpr DWORD kKeyPollIntervalMs = 10;
// Moving the dialog's bar repaints it at once (the control updates itself), milliseconds
// under Wine while thread 0 of a render holds up the others; 25 moves a second look smooth,
// and a preview done sooner than the first never moves it.
constexpr DWORD kBarMoveIntervalMs = 40;

// Progress of the run or rendering under way. Written only by the functions of this section,
// on the host's thread.
struct ProgressState {
    int32_t lastDone, lastTotal;  // the pair last reported; -1 none
    int32_t barPercent;           // what the dialog's bar shows; -1 not known
    DWORD barMovedMs;             // clock at the bar's last move, or at the rendering's start
    DWORD keysPolledMs;           // clock at the last look at the queue, or at the start
};
ProgressState gProgress = {-1, -1, -1, 0, 0};

// Back to 0 at once (a rendering's end); otherwise at most every kBarMoveIntervalMs.
void MoveProgressBar(int32_t percent) {
    const DWORD now = gSystem.tickCount();
    if (percent == gProgress.barPercent) return;
    if (percent != 0 && now - gProgress.barMovedMs < kBarMoveIntervalMs) return;
    gProgress.barPercent = percent;
    gProgress.barMovedMs = now;
    SetProgressBar(percent);
}
}  // namespace

void ResetProgress() {
    gProgress.lastDone = -1;
    gProgress.lastTotal = -1;
    gProgress.barPercent = -1;
    ProgressRenderStart();
}

void ProgressRenderStart() {
    const DWORD now = gSystem.tickCount();
    gProgress.keysPolledMs = now;
    gProgress.barMovedMs = now;
}

int16_t SetCancelResult() {
    SetResult(HOST_USER_CANCELLED);
    return 0;
}

int16_t CheckUserAbort() {
    if (!gContext.dialogUp) {
        if (gStuff && gStuff->abortProc && gStuff->abortProc()) SetResult(HOST_USER_CANCELLED);
        return GetResult();
    }
    // Only Escape and Pause are taken off the queue: any other key the user pressed during a
    // render stays for the dialog to handle afterwards.
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) {
        if (message.wParam != VK_ESCAPE && message.wParam != VK_PAUSE) return 0;
        PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
        if (message.wParam == VK_ESCAPE) return HOST_USER_CANCELLED;
        if (message.wParam == VK_PAUSE) {
            int pressed = ShowMessage(MB_YESNO | MB_ICONWARNING, "Pause", "%s", "Continue?");
            return pressed == IDNO ? HOST_USER_CANCELLED : 0;
        }
        return 0;
    }
    return GetResult();
}

int16_t PollUserAbort() {
    if (!gContext.dialogUp) return CheckUserAbort();
    const DWORD now = gSystem.tickCount();
    if (now - gProgress.keysPolledMs < kKeyPollIntervalMs) return GetResult();
    gProgress.keysPolledMs = now;
    return CheckUserAbort();
}

void SetProgressBar(int32_t percent) {
    gDialogHooks.showProgress(percent);
}

int RefreshPreviewIfShown() {
    return gDialogHooks.refreshPreview();
}

int16_t ReportProgress(int32_t done, int32_t total) {
    if (total < 1) total = 1;
    if (done == gProgress.lastDone && total == gProgress.lastTotal) return GetResult();
    gProgress.lastDone = done;
    gProgress.lastTotal = total;
    if (gContext.dialogUp) {
        int32_t percent = int32_t(int64_t(done) * 100 / total);
        MoveProgressBar(percent);
        StoreControlValue(CTL_PROGRESS, percent);
        return PollUserAbort();
    }
    if (gStuff && gStuff->progressProc) gStuff->progressProc(done, total);
    if (gStuff && gStuff->abortProc && gStuff->abortProc()) SetResult(HOST_USER_CANCELLED);
    return GetResult();
}

// --- Registry ------------------------------------------------------------------------------

static bool IsPredefinedKey(HKEY key) {
    return reinterpret_cast<uintptr_t>(key) >= 0x80000000u &&
           reinterpret_cast<uintptr_t>(key) <= 0x800000FFu;
}

HKEY RegOpenKeyForRead(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path ? path : "", 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
    if (root && !IsPredefinedKey(root)) RegCloseKey(root);
    return key;
}

LONG RegReadString(HKEY key, const char* valueName, char* buffer, DWORD size) {
    if (buffer && size) memset(buffer, 0, size);
    if (!key) return 1;
    DWORD type = 0;
    DWORD bytes = size;
    LONG status =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (!IsPredefinedKey(key)) RegCloseKey(key);
    // A stored string need not carry its terminator.
    if (buffer && size) buffer[size - 1] = '\0';
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return 13;
    return 0;
}
