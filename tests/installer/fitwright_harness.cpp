// Test harness for Fitwright: registry fixtures, folders, the program under test and its
// windows.
#include "tests/installer/fitwright_harness.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::wstring EnvironmentPath(const wchar_t* name) {
    wchar_t value[1024];
    DWORD length = GetEnvironmentVariableW(name, value, 1024);
    if (length == 0 || length >= 1024) return L"";
    std::wstring path(value, length);
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path)
            if (c == L'/') c = L'\\';
        path = L"Z:" + path;
    }
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

HKEY RootFromName(const std::wstring& name) {
    if (name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (name == L"HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    return HKEY_LOCAL_MACHINE;
}

// A quoted .reg string starting at text[at] == '"'; at ends after the closing quote.
std::wstring ParseQuoted(const std::wstring& text, size_t* at) {
    std::wstring value;
    size_t i = *at + 1;
    for (; i < text.size() && text[i] != L'"'; i++) {
        if (text[i] == L'\\' && i + 1 < text.size()) i++;
        value += text[i];
    }
    *at = i + 1;
    return value;
}

std::wstring ParentOf(const std::wstring& key) {
    size_t slash = key.rfind(L'\\');
    return slash == std::wstring::npos ? L"" : key.substr(0, slash);
}

struct FindData {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam) {
    auto* data = reinterpret_cast<FindData*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != data->processId || !IsWindowVisible(window)) return TRUE;
    wchar_t name[128];
    GetClassNameW(window, name, 128);
    if (wcscmp(name, data->className) != 0) return TRUE;
    data->found = window;
    return FALSE;
}

HWND FindWindowOf(DWORD processId, const wchar_t* className) {
    FindData data{processId, className, nullptr};
    EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

std::vector<std::wstring> SplitTabs(const std::wstring& line) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find(L'\t', start);
        parts.push_back(
            line.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
        if (tab == std::wstring::npos) return parts;
        start = tab + 1;
    }
}

int gRunCounter = 0;

}  // namespace

const char* const kNeedsWow64 =
    "needs the 32-bit Fitwright on 64-bit Windows (two registry views, WOW64 file-system "
    "redirection); the 64-bit build of Fitwright exists only for tests and has one view";

bool FitwrightRunsUnderWow64() {
#if defined(_WIN64)
    return false;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return L"";
    int count =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(count, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], count);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return "";
    int count = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
    std::string narrow(count, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0], count,
                        nullptr, nullptr);
    return narrow;
}

void RegistryFixture::Track(HKEY root, const std::wstring& key, RegistryView view) {
    for (const Made& made : made_)
        if (made.root == root && made.key == key && made.view == view) return;
    made_.push_back(Made{root, key, view});
}

void RegistryFixture::SetRaw(HKEY root, const std::wstring& key, const std::wstring& name,
                             DWORD type, const void* data, DWORD sizeBytes, RegistryView view) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
        fprintf(stderr, "cannot create key %s\n", Narrow(key).c_str());
        return;
    }
    RegSetValueExW(handle, name.empty() ? nullptr : name.c_str(), 0, type,
                   static_cast<const BYTE*>(data), sizeBytes);
    RegCloseKey(handle);
    Track(root, key, view);
}

void RegistryFixture::SetString(HKEY root, const std::wstring& key, const std::wstring& name,
                                const std::wstring& value, RegistryView view) {
    SetRaw(root, key, name, REG_SZ, value.c_str(),
           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), view);
}

void RegistryFixture::LoadFile(const std::wstring& path, RegistryView view) {
    std::string bytes;
    if (!ReadFileBytes(path, &bytes)) {
        fprintf(stderr, "cannot read %s\n", Narrow(path).c_str());
        return;
    }
    std::wstring text = Widen(bytes);
    HKEY root = nullptr;
    std::wstring key;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.size() > 2 && line[0] == L'[') {
            std::wstring full = line.substr(1, line.size() - 2);
            size_t slash = full.find(L'\\');
            root = RootFromName(full.substr(0, slash));
            key = full.substr(slash + 1);
            continue;
        }
        if (!root || line.empty() || (line[0] != L'"' && line[0] != L'@')) continue;
        size_t at = 0;
        std::wstring name = line[0] == L'@' ? (at = 1, L"") : ParseQuoted(line, &at);
        if (at >= line.size() || line[at] != L'=') continue;
        at++;
        if (line.compare(at, 6, L"dword:") == 0) {
            DWORD number = wcstoul(line.c_str() + at + 6, nullptr, 16);
            SetRaw(root, key, name, REG_DWORD, &number, sizeof number, view);
        } else if (at < line.size() && line[at] == L'"') {
            SetString(root, key, name, ParseQuoted(line, &at), view);
        }
    }
}

// Deletes every key made, then each parent that became empty, up to the vendor level.
void RegistryFixture::Clear() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
        std::wstring key = it->key;
        HKEY parent = nullptr;
        std::wstring parentPath = ParentOf(key);
        HKEY base = it->root;
        if (parentPath.empty() ||
            RegOpenKeyExW(base, parentPath.c_str(), 0, KEY_ALL_ACCESS | it->view, &parent) !=
                ERROR_SUCCESS) {
            RegDeleteTreeW(base, key.c_str());
            continue;
        }
        RegDeleteTreeW(parent, key.substr(parentPath.size() + 1).c_str());
        RegCloseKey(parent);
        for (std::wstring up = parentPath; up.find(L'\\') != std::wstring::npos; up = ParentOf(up))
            if (RegDeleteKeyExW(base, up.c_str(), it->view, 0) != ERROR_SUCCESS) break;
    }
    made_.clear();
}

std::wstring RegRead(HKEY root, const std::wstring& key, const std::wstring& name) {
    wchar_t data[4096];
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(root, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, &type,
                     data, &size) != ERROR_SUCCESS)
        return L"";
    return std::wstring(data);
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

void RegDeleteProfile(const std::wstring& product) {
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Quillmoor\\Fitwright\\" + product).c_str());
}

std::wstring SourceDir() {
    return EnvironmentPath(L"GREYLOOM_SOURCE_DIR");
}
std::wstring BinDir() {
    return EnvironmentPath(L"GREYLOOM_BIN_DIR");
}
std::wstring FixturePath(const std::wstring& name) {
    return SourceDir() + L"tests\\installer\\fixtures\\" + name;
}

std::wstring MakeTestFolder(const std::wstring& name) {
    CreateDirectoryW(L"C:\\fwtest", nullptr);
    std::wstring folder = L"C:\\fwtest\\" + name + L"\\";
    RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveTree(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((base + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = base + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(base.c_str());
}

void WriteFileText(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool ReadFileBytes(const std::wstring& path, std::string* bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes->append(chunk, read);
    CloseHandle(file);
    return true;
}

bool PathIsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathIsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void ListInto(const std::wstring& folder, TreeListing* listing) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + name;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        uint64_t size = isFolder ? 0 : (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        uint64_t time = isFolder ? 0
                                 : (uint64_t(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                       found.ftLastWriteTime.dwLowDateTime;
        (*listing)[isFolder ? path + L"\\" : path] = ListedFile{size, time};
        // Links to folders would list their targets twice, or forever.
        if (isFolder && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ListInto(path + L"\\", listing);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

TreeListing ListTree(const std::wstring& folder) {
    TreeListing listing;
    ListInto(folder.back() == L'\\' ? folder : folder + L"\\", &listing);
    return listing;
}

std::vector<std::wstring> ListingChanges(const TreeListing& before, const TreeListing& after,
                                         const std::vector<std::wstring>& ignoredPrefixes) {
    auto ignored = [&](const std::wstring& path) {
        for (const std::wstring& prefix : ignoredPrefixes)
            if (_wcsnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0) return true;
        return false;
    };
    std::vector<std::wstring> changes;
    for (const auto& entry : before) {
        if (ignored(entry.first)) continue;
        auto now = after.find(entry.first);
        if (now == after.end())
            changes.push_back(L"- " + entry.first);
        else if (!(now->second == entry.second))
            changes.push_back(L"* " + entry.first);
    }
    for (const auto& entry : after)
        if (!ignored(entry.first) && before.find(entry.first) == before.end())
            changes.push_back(L"+ " + entry.first);
    return changes;
}

bool ReadListFile(const std::wstring& path, ListRecord* record) {
    std::string bytes;
    if (!ReadFileBytes(path, &bytes)) return false;
    *record = ListRecord{};
    std::wstring text = Widen(bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::vector<std::wstring> parts = SplitTabs(text.substr(start, end - start));
        start = end + 1;
        const std::wstring& tag = parts[0];
        std::wstring first = parts.size() > 1 ? parts[1] : L"";
        if (tag == L"caption") record->caption = first;
        if (tag == L"host" && parts.size() >= 5)
            record->hosts.push_back({parts[1], parts[2], parts[3], parts[4] == L"1"});
        if (tag == L"product") record->product = first;
        if (tag == L"subfolder") {
            record->subFolder = first;
            record->subFolderChecked = parts.size() > 2 && parts[2] == L"1";
        }
        if (tag == L"installpath") record->installPath = first;
        if (tag == L"item") record->items.push_back(first);
        if (tag == L"selected") record->selected = _wtoi(first.c_str());
        if (tag == L"plugin") record->plugins.push_back(first);
        if (tag == L"uninstall") record->uninstalls.push_back(first);
        if (tag == L"panel") record->panels.push_back(first);
        if (tag == L"added") record->added.push_back(first);
        if (tag == L"exitcode") record->exitCode = _wtoi(first.c_str());
    }
    // The record ends with its exit code: without it the file was caught half made.
    return record->exitCode >= 0;
}

FitwrightRun::~FitwrightRun() {
    Kill();
    if (!listFile_.empty()) DeleteFileW(listFile_.c_str());
    if (!errorFile_.empty()) DeleteFileW(errorFile_.c_str());
}

bool FitwrightRun::Start(const std::wstring& arguments, const std::wstring& currentFolder) {
    CreateDirectoryW(L"C:\\fwtest", nullptr);
    int number = ++gRunCounter;
    listFile_ = L"C:\\fwtest\\list" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(number) + L".txt";
    errorFile_ = listFile_ + L".err";
    DeleteFileW(listFile_.c_str());
    SetEnvironmentVariableW(L"FITWRIGHT_LIST_FILE", listFile_.c_str());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE error = CreateFileW(errorFile_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = error;
    startup.hStdOutput = error;
    std::wstring commandLine = L"\"" + BinDir() + L"Fitwright.exe\" " + arguments;
    // Wine's process start can fail once when the machine is loaded: try again once and
    // say why if the second start fails too.
    BOOL ok = FALSE;
    for (int attempt = 0; attempt < 2 && !ok; ++attempt) {
        if (attempt > 0) Sleep(500);
        ok = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                            currentFolder.c_str(), &startup, &process_);
        if (!ok)
            fprintf(stderr, "CreateProcess of Fitwright failed with error %lu\n", GetLastError());
    }
    CloseHandle(error);
    SetEnvironmentVariableW(L"FITWRIGHT_LIST_FILE", nullptr);
    exitCode_ = STILL_ACTIVE;
    return ok != FALSE;
}

bool FitwrightRun::WaitForExit(DWORD timeoutMs) {
    if (!process_.hProcess) return true;
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        Kill();
        return false;
    }
    GetExitCodeProcess(process_.hProcess, &exitCode_);
    return true;
}

std::string FitwrightRun::StandardError() const {
    std::string bytes;
    ReadFileBytes(errorFile_, &bytes);
    return bytes;
}

bool FitwrightRun::WaitForStartup(DWORD timeoutMs) {
    ListRecord record;
    return WaitUntil(
        [&] {
            return ReadListFile(listFile_, &record) ||
                   WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
}

ListRecord FitwrightRun::List() const {
    ListRecord record;
    WaitUntil([&] { return ReadListFile(listFile_, &record); }, 2000);
    return record;
}

HWND FitwrightRun::MainWindow() const {
    return WaitForWindow(process_.dwProcessId, L"FitwrightMainWindow");
}

bool FitwrightRun::Exit() {
    HWND window = MainWindow();
    if (window) ClickControl(window, 1022);
    return WaitForExit();
}

void FitwrightRun::Kill() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    GetExitCodeProcess(process_.hProcess, &exitCode_);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = PROCESS_INFORMATION{};
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(processId, className)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    return WaitForWindow(processId, L"#32770", timeoutMs);
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_BLOCK, 5000, &copied);
    text.resize(copied);
    return text;
}

std::wstring MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, 0xFFFF));
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, 5000, &result);
    return static_cast<LRESULT>(result);
}

void ClickControl(HWND window, int id) {
    PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
}
