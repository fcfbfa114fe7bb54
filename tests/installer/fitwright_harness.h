// Test harness for Fitwright: registry fixtures from .reg files in either registry view,
// scratch folders, running Fitwright.exe, reading its list file, and finding and pressing
// its windows and message boxes the way a person would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// VIEW_32 is the view Fitwright reads as its own: the 32-bit view of the shipped 32-bit
// program; in the test-only 64-bit build, whose process has no other, the 64-bit view.
#if defined(_WIN64)
enum RegistryView : int32_t { VIEW_32 = KEY_WOW64_64KEY, VIEW_64 = KEY_WOW64_64KEY };
#else
enum RegistryView : int32_t { VIEW_32 = KEY_WOW64_32KEY, VIEW_64 = KEY_WOW64_64KEY };
#endif

// Whether the Fitwright under test is the 32-bit program on 64-bit Windows. Cases that need
// that (the "64bit" word, two registry views, "(64-bit)" host items, file-system redirection)
// skip in the 64-bit build with kNeedsWow64 as the reason.
bool FitwrightRunsUnderWow64();
extern const char* const kNeedsWow64;

// Keys and values written by the tests; TearDown deletes them again (and the parents they
// left empty), so that tests do not depend on their order.
class RegistryFixture {
  public:
    ~RegistryFixture() { Clear(); }
    // Loads a .reg file (strings, dword: and the default value @) into a view.
    void LoadFile(const std::wstring& path, RegistryView view);
    void SetString(HKEY root, const std::wstring& key, const std::wstring& name,
                   const std::wstring& value, RegistryView view = VIEW_32);
    void SetRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                const void* data, DWORD sizeBytes, RegistryView view = VIEW_32);
    void Track(HKEY root, const std::wstring& key, RegistryView view);
    void Clear();

  private:
    struct Made {
        HKEY root;
        std::wstring key;
        RegistryView view;
    };
    std::vector<Made> made_;
};

// Reads a value in the program's own (32-bit) view; empty when missing.
std::wstring RegRead(HKEY root, const std::wstring& key, const std::wstring& name);
bool RegKeyExists(HKEY root, const std::wstring& key);
void RegDeleteProfile(const std::wstring& product);

std::wstring SourceDir();  // the source tree as a Windows path, with a final backslash
std::wstring BinDir();     // the build's bin folder, with a final backslash
std::wstring FixturePath(const std::wstring& name);

// A fresh folder C:\fwtest\<name>\ removed with everything in it by Remove.
std::wstring MakeTestFolder(const std::wstring& name);
void RemoveTree(const std::wstring& folder);
void WriteFileText(const std::wstring& path, const std::string& bytes);
bool ReadFileBytes(const std::wstring& path, std::string* bytes);
bool PathIsFolder(const std::wstring& path);
bool PathIsFile(const std::wstring& path);

// Every file and folder below a folder, with size and last write time, keyed by path: what a
// run changed anywhere on a drive is the difference of two listings.
struct ListedFile {
    uint64_t sizeBytes;
    uint64_t writeTime;
    bool operator==(const ListedFile& other) const {
        return sizeBytes == other.sizeBytes && writeTime == other.writeTime;
    }
};
using TreeListing = std::map<std::wstring, ListedFile>;
TreeListing ListTree(const std::wstring& folder);
// Paths added, removed or changed, each marked "+", "-" or "*", skipping the paths below the
// given prefixes (the harness's own list files, the install targets).
std::vector<std::wstring> ListingChanges(const TreeListing& before, const TreeListing& after,
                                         const std::vector<std::wstring>& ignoredPrefixes);

// One line of the list file, split at tabs.
struct ListRecord {
    std::wstring caption;
    struct Host {
        std::wstring text, folder, exe;
        bool checked;
    };
    std::vector<Host> hosts;
    std::wstring product, subFolder, installPath;
    bool subFolderChecked = false;
    std::vector<std::wstring> items, plugins, uninstalls, panels, added;
    int selected = -1;
    int exitCode = -1;
};

// A running Fitwright.exe. The list file is the one the program writes for tests.
class FitwrightRun {
  public:
    FitwrightRun() = default;
    ~FitwrightRun();
    bool Start(const std::wstring& arguments, const std::wstring& currentFolder);
    // Waits for the end of the process; false on time-out (the process is then killed).
    bool WaitForExit(DWORD timeoutMs = 15000);
    DWORD ExitCode() const { return exitCode_; }
    std::string StandardError() const;
    // Waits until the list file of start-up is there, then reads it.
    bool WaitForStartup(DWORD timeoutMs = 15000);
    ListRecord List() const;
    HWND MainWindow() const;
    DWORD ProcessId() const { return process_.dwProcessId; }
    // Presses Exit and waits for the end.
    bool Exit();
    void Kill();

  private:
    PROCESS_INFORMATION process_ = {};
    std::wstring listFile_;
    std::wstring errorFile_;
    DWORD exitCode_ = STILL_ACTIVE;
};

// Reads and parses a list file.
bool ReadListFile(const std::wstring& path, ListRecord* record);

// Windows of a process.
HWND WaitForWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs = 10000);
// A visible message box (or any dialog of class #32770) of the process.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = 10000);
std::wstring MessageBoxText(HWND box);
std::wstring WindowText(HWND window);
void PressButton(HWND dialog, int id);
// Sends a message through the window's own thread and waits for it to be handled.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Clicks a control of the main window by id (BM_CLICK posted).
void ClickControl(HWND window, int id);
// Polls until the predicate holds; false on time-out.
template <typename Predicate>
bool WaitUntil(Predicate predicate, DWORD timeoutMs = 10000) {
    DWORD start = GetTickCount();
    while (!predicate()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
