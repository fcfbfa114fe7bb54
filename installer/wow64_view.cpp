// WOW64 detection, the 64-bit mode switch and view-dependent system folders.
#include "installer/wow64_view.h"

#include <windows.h>
#include <shlobj.h>

#include "installer/installer_state.h"
#include "installer/registry_access.h"

typedef BOOL(WINAPI* IsWow64ProcessProc)(HANDLE, BOOL*);
typedef BOOL(WINAPI* DisableRedirectionProc)(void**);
typedef BOOL(WINAPI* RevertRedirectionProc)(void*);

// Looked up by name: older systems lack them.
static void* KernelProc(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, name)) : nullptr;
}

static DisableRedirectionProc DisableRedirection() {
    return reinterpret_cast<DisableRedirectionProc>(KernelProc("Wow64DisableWow64FsRedirection"));
}

static RevertRedirectionProc RevertRedirection() {
    return reinterpret_cast<RevertRedirectionProc>(KernelProc("Wow64RevertWow64FsRedirection"));
}

bool IsWow64() {
    auto isWow64Process = reinterpret_cast<IsWow64ProcessProc>(KernelProc("IsWow64Process"));
    BOOL wow64 = FALSE;
    if (!isWow64Process || !isWow64Process(GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

bool SetSixtyFourBitMode(bool on) {
    if (!IsWow64()) return false;
    if (!DisableRedirection() || !KernelProc("Wow64EnableWow64FsRedirection")) return false;
    gView.setCaption(on ? L"Fitwright (64-bit Mode)" : L"Fitwright");
    return true;
}

FsRedirectionScope::FsRedirectionScope() : oldValue_(nullptr), disabled_(false) {
    if (!gModes.sixtyFourBitMode) return;
    DisableRedirectionProc disable = DisableRedirection();
    disabled_ = disable && RevertRedirection() && disable(&oldValue_);
}

FsRedirectionScope::~FsRedirectionScope() {
    if (disabled_) RevertRedirection()(oldValue_);
}

static std::wstring WithFinalBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring GetProgramFilesDir(bool sixtyFourBit) {
    const wchar_t* value = L"ProgramFilesDir";
    if (IsWow64()) value = sixtyFourBit ? L"ProgramW6432Dir" : L"ProgramFilesDir (x86)";
    return WithFinalBackslash(
        ReadRegString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", value));
}

std::wstring GetSpecialFolderPath(int folder) {
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, folder, &items) != S_OK || !items) return L"";
    wchar_t path[MAX_PATH] = L"";
    BOOL ok = SHGetPathFromIDListW(items, path);
    CoTaskMemFree(items);
    return ok ? std::wstring(path) : L"";
}
