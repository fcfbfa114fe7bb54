// The test host's session: loading the plug-in, the document, the filter record and the
// order of selectors an image editor uses.

#include <cstring>

#include "tools/testhost/host_internal.h"

HostSession* gHostSession = nullptr;

namespace {
constexpr wchar_t kMainWindowClass[] = L"GreyloomTestHost";

std::wstring Widen(const std::string& text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? size_t(length) : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string SystemErrorText(DWORD code) {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    size_t length = strlen(text);
    while (length && (text[length - 1] == '\n' || text[length - 1] == '\r')) text[--length] = 0;
    return std::to_string(code) + (length ? " (" + std::string(text) + ")" : "");
}

HWND CreateMainWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassW(&windowClass);  // fails harmlessly when a second session registers again
    return CreateWindowExW(0, kMainWindowClass, L"Greyloom test host", WS_OVERLAPPEDWINDOW, 0, 0,
                           640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Published filter cases: 1 flat image, 2 flat with selection, 4/5 editable transparency,
// 6/7 preserved transparency (without/with selection).
int16_t FilterCaseFor(const HostSession& session) {
    const bool selected = !session.selection.empty();
    if (session.source.planes < 4) return selected ? 2 : 1;
    if (session.options.preserveTransparency) return selected ? 7 : 6;
    return selected ? 5 : 4;
}

bool SelectionBounds(const HostSession& session, HostRect* rect) {
    const HostImage& image = session.source;
    int32_t top = image.height, left = image.width, bottom = 0, right = 0;
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            if (session.selection[size_t(y) * image.width + x]) {
                if (y < top) top = y;
                if (x < left) left = x;
                if (y + 1 > bottom) bottom = y + 1;
                if (x + 1 > right) right = x + 1;
            }
    *rect = {int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
    return bottom > top;
}
}  // namespace

void HostNote(HostSession& session, const std::string& note) {
    std::lock_guard<std::mutex> lock(session.watchLock);
    session.log.notes.push_back(note);
}

std::string HostNativePath(const std::string& path) {
    // Under Wine a Unix path names a file on drive Z:, whatever the current drive is.
    if (!path.empty() && path[0] == '/' && (path.size() < 2 || path[1] != '/')) return "Z:" + path;
    return path;
}

std::string HostNarrowText(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? size_t(length) : 1, '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(strlen(narrow.c_str()));
    return narrow;
}

HostSession::HostSession() {
    memset(&record, 0, sizeof record);
    memset(&about, 0, sizeof about);
    memset(&platform, 0, sizeof platform);
    memset(&bufferProcs, 0, sizeof bufferProcs);
    memset(&handleProcs, 0, sizeof handleProcs);
    memset(&propertyProcs, 0, sizeof propertyProcs);
    memset(&descriptorParameters, 0, sizeof descriptorParameters);
    memset(&readProcs, 0, sizeof readProcs);
    memset(&writeProcs, 0, sizeof writeProcs);
    memset(&bigDocument, 0, sizeof bigDocument);
    memset(errorString, 0, sizeof errorString);
    // A plug-in that fails to load must not stop an unattended run with a system dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    mainWindow = CreateMainWindow();
    platform.hwnd = reinterpret_cast<intptr_t>(mainWindow);
    gHostSession = this;
    WatcherStart(*this);
}

HostSession::~HostSession() {
    HostUnloadPlugin(*this);
    WatcherStop(*this);
    HostReleaseBuffersAndHandles(*this);
    if (mainWindow) DestroyWindow(mainWindow);
    if (gHostSession == this) gHostSession = nullptr;
}

std::string HostProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (wchar_t* slash = wcsrchr(path, L'\\')) *slash = 0;
    char folder[MAX_PATH * 3] = "";
    WideCharToMultiByte(CP_UTF8, 0, path, -1, folder, sizeof folder, nullptr, nullptr);
    return folder;
}

std::string HostDefaultPluginPath() {
#if defined(_WIN64)
    const char* name = "Greyloom64.8bf";
#else
    const char* name = "Greyloom32.8bf";
#endif
    const char* binDir = getenv("GREYLOOM_BIN_DIR");
    std::string folder = binDir && *binDir ? std::string(binDir) : HostProgramFolder();
    return folder + "/" + name;
}

bool HostLoadPlugin(HostSession& session, const std::string& path) {
    HostUnloadPlugin(session);
    const std::wstring widePath = Widen(HostNativePath(path));
    // Read the property list without running any of the plug-in's code, as editors do when
    // they build their menus.
    HMODULE data = LoadLibraryExW(widePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!data) {
        HostNote(session, "cannot open " + path + ": " + SystemErrorText(GetLastError()));
        return false;
    }
    PiplInfo info;
    std::string error;
    bool valid = PiplReadModule(data, session.options.piplLengthsAsStored, &info, &error);
    FreeLibrary(data);
    if (!valid) {
        HostNote(session, "refused " + path + ": " + error);
        return false;
    }
    HMODULE module = LoadLibraryW(widePath.c_str());
    if (!module) {
        HostNote(session, "cannot load " + path + ": " + SystemErrorText(GetLastError()));
        return false;
    }
    auto entry = reinterpret_cast<PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(module, info.entryName.c_str())));
    if (!entry) {
        FreeLibrary(module);
        HostNote(session, "refused " + path + ": entry point " + info.entryName + " not exported");
        return false;
    }
    session.pluginPath = path;
    session.module = module;
    session.entry = entry;
    session.pipl = info;
    session.dataWord = 0;
    session.parameters = nullptr;
    return true;
}

void HostUnloadPlugin(HostSession& session) {
    if (!session.module) return;
    HostCommitAndRelease(session);
    FreeLibrary(session.module);
    session.module = nullptr;
    session.entry = nullptr;
    // The plug-in's blocks went with it.
    session.dataWord = 0;
    session.parameters = nullptr;
}

bool HostSetImage(HostSession& session, const HostImage& image) {
    if (image.depth != 8 && image.depth != 16) return false;
    if (image.planes != 3 && image.planes != 4) return false;
    if (image.width < 1 || image.height < 1 || image.width > 30000 || image.height > 30000)
        return false;
    if (session.options.only8BitRgb && image.depth != 8) {
        HostNote(session, "this host filters 8-bit images only");
        return false;
    }
    session.source = image;
    session.output = image;
    session.selection.clear();
    session.haveFilterRect = false;
    return true;
}

void HostSetSelection(HostSession& session, const std::vector<uint8_t>& mask) {
    session.selection = mask;
}

void HostSetFilterRect(HostSession& session, HostRect rect) {
    session.filterRect = rect;
    session.haveFilterRect = true;
}

int16_t HostImageMode(const HostSession& session) {
    if (session.options.announcedImageMode) return *session.options.announcedImageMode;
    return session.source.depth == 16 ? IMAGE_MODE_RGB48 : IMAGE_MODE_RGB;
}

void HostResetLog(HostSession& session) {
    std::lock_guard<std::mutex> lock(session.watchLock);
    session.log = HostLog();
}

void HostBeginRun(HostSession& session) {
    gHostSession = &session;
    HostCommitAndRelease(session);
    const HostOptions& options = session.options;
    const HostImage& image = session.source;
    FilterRecord& r = session.record;
    memset(&r, 0, sizeof r);
    HostInstallCallbacks(session);
    HostInstallDescriptorProcs(session);

    HostRect filterRect = {0, 0, int16_t(image.height), int16_t(image.width)};
    if (session.haveFilterRect)
        filterRect = session.filterRect;
    else if (!session.selection.empty() && !SelectionBounds(session, &filterRect))
        filterRect = {0, 0, 0, 0};

    r.parameters = session.parameters;
    r.imageSize = {int16_t(image.height), int16_t(image.width)};
    r.planes = int16_t(image.planes);
    r.filterRect = filterRect;
    r.background = options.background;
    r.foreground = options.foreground;
    r.maxSpace = options.maxSpace;
    r.bufferSpace = options.bufferSpace;
    r.haveMask = !session.selection.empty();
    r.autoMask = 1;
    r.backColor[0] = uint8_t(options.background.red >> 8);
    r.backColor[1] = uint8_t(options.background.green >> 8);
    r.backColor[2] = uint8_t(options.background.blue >> 8);
    r.foreColor[0] = uint8_t(options.foreground.red >> 8);
    r.foreColor[1] = uint8_t(options.foreground.green >> 8);
    r.foreColor[2] = uint8_t(options.foreground.blue >> 8);
    r.hostSig = options.hostSignature;
    r.imageMode = HostImageMode(session);
    r.imageHRes = r.imageVRes = 72 << 16;
    r.wholeSize = r.imageSize;
    r.monitor.gamma = Fixed(2.2 * 65536);
    r.monitor.whiteX = Fixed(0.3127 * 65536);
    r.monitor.whiteY = Fixed(0.3290 * 65536);
    r.platformData = &session.platform;
    r.wantLayout = 0;  // planes interleaved within rows
    r.filterCase = FilterCaseFor(session);
    r.dummyPlaneValue = -1;
    r.supportsPadding = 1;
    r.inputPadding = r.outputPadding = r.maskPadding = -2;
    r.samplingSupport = 1;  // integral input rates
    r.inputRate = r.maskRate = 1 << 16;
    r.inLayerPlanes = r.outLayerPlanes = r.absLayerPlanes = 3;
    r.inTransparencyMask = r.outTransparencyMask = r.absTransparencyMask =
        int16_t(image.planes == 4 ? 1 : 0);
    r.inTileHeight = r.inTileWidth = r.outTileHeight = r.outTileWidth = options.tileSize;
    r.maskTileHeight = r.maskTileWidth = r.absTileHeight = r.absTileWidth = options.tileSize;
    memset(session.errorString, 0, sizeof session.errorString);
    r.errorString = session.errorString;
    r.depth = image.depth;

    HostBigDocumentData& big = session.bigDocument;
    memset(&big, 0, sizeof big);
    big.imageSize32[0] = image.height;
    big.imageSize32[1] = image.width;
    big.filterRect32[0] = filterRect.top;
    big.filterRect32[1] = filterRect.left;
    big.filterRect32[2] = filterRect.bottom;
    big.filterRect32[3] = filterRect.right;
    big.wholeSize32[0] = image.height;
    big.wholeSize32[1] = image.width;
    r.bigDocumentData = options.noBigDocumentData ? nullptr : &big;

    memset(&session.about, 0, sizeof session.about);
    session.about.platformData = &session.platform;

    session.working = image;
    session.progressCalls = session.propertyCalls = session.advanceCalls = 0;
    session.displayCalls = 0;
    session.log.abortCalls = 0;
}

int16_t HostCallEntryRaw(HostSession& session, int16_t selector, void* stuff) {
    gHostSession = &session;
    WatcherAttachThread(session);
    int16_t result = session.options.resultBeforeCall;
    session.entry(selector, stuff, &session.dataWord, &result);
    std::lock_guard<std::mutex> lock(session.watchLock);
    session.log.selectors.push_back({selector, result, result != session.options.resultBeforeCall});
    return result;
}

int16_t HostCallSelector(HostSession& session, int16_t selector) {
    if (!session.entry) {
        HostNote(session, "no plug-in loaded");
        return HOST_BAD_PARAMETERS;
    }
    void* stuff = selector == SELECTOR_ABOUT ? static_cast<void*>(&session.about)
                                             : static_cast<void*>(&session.record);
    int16_t result = HostCallEntryRaw(session, selector, stuff);
    if (selector != SELECTOR_ABOUT) session.parameters = session.record.parameters;
    return result;
}

int16_t HostShowAbout(HostSession& session) {
    memset(&session.about, 0, sizeof session.about);
    session.about.platformData = &session.platform;
    return HostCallSelector(session, SELECTOR_ABOUT);
}

static bool CheckRunnable(HostSession& session) {
    if (!session.entry) {
        HostNote(session, "no plug-in loaded");
        return false;
    }
    if (session.source.width < 1) {
        HostNote(session, "no image");
        return false;
    }
    const int16_t mode = HostImageMode(session);
    const bool enabled = mode >= 0 && mode < 32 && (session.pipl.enabledModes & (1u << mode));
    if (!session.options.ignoreModeEnablement && !enabled) {
        HostNote(session, "the filter is not enabled in image mode " + std::to_string(mode));
        return false;
    }
    return true;
}

int16_t HostRunFilter(HostSession& session, bool withParameters) {
    if (!CheckRunnable(session)) return HOST_BAD_MODE;
    HostBeginRun(session);
    FilterRecord& r = session.record;
    if (session.pipl.haveFilterCases &&
        session.pipl.filterCases[r.filterCase - 1].inputHandling == 0) {
        HostNote(session, "the filter cannot filter case " + std::to_string(r.filterCase));
        return HOST_BAD_MODE;
    }
    if (session.replayDescriptor)
        session.descriptorParameters.descriptor = DescriptorToHandle(session, session.replay);

    int16_t result = 0;
    if (withParameters) result = HostCallSelector(session, SELECTOR_PARAMETERS);
    if (result == 0) result = HostCallSelector(session, SELECTOR_PREPARE);
    if (result == 0) result = HostCallSelector(session, SELECTOR_START);
    // Without advanceState the plug-in names the next rectangles and the host calls continue
    // with their pixels until all are empty.
    while (result == 0 &&
           !(HostRectEmpty(r.inRect) && HostRectEmpty(r.outRect) && HostRectEmpty(r.maskRect))) {
        if (++session.log.continueCalls > session.options.maxContinueCalls) {
            HostNote(session, "the plug-in never emptied its rectangles");
            result = HOST_BAD_PARAMETERS;
            break;
        }
        result = HostDeliverRects(session);
        if (result == 0) result = HostCallSelector(session, SELECTOR_CONTINUE);
    }
    HostCommitAndRelease(session);
    if (result == 0 || session.options.finishAfterError) {
        int16_t finish = HostCallSelector(session, SELECTOR_FINISH);
        if (result == 0) result = finish;
    }

    HostHandle recorded = session.descriptorParameters.descriptor;
    session.haveRecorded = false;
    if (recorded) {
        session.haveRecorded = DescriptorFromHandle(session, recorded, &session.recorded);
        HostDisposeHandleRecord(session, recorded);
        session.descriptorParameters.descriptor = nullptr;
    }
    session.output = result == 0 ? HostComposeResult(session) : session.source;
    return result;
}
