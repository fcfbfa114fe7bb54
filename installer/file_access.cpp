// File operations of the installer, each inside the installer's file-system view.
#include "installer/file_access.h"

#include <windows.h>

#include "installer/installer_error.h"
#include "installer/wow64_view.h"

namespace {

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    void close() {
        if (valid()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_;
};

const DWORD kCopyChunkBytes = 64 * 1024;

// The path one level up with a final backslash, or empty above a root.
std::wstring ParentFolder(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || path.empty() || path.back() == L':') return L"";
    return path.substr(0, slash + 1);
}

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

bool FileIdentity(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
    return GetFileInformationByHandle(file, info) != FALSE;
}

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

HANDLE OpenForIdentity(const std::wstring& path) {
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// True when the target names the file already open as source.
bool TargetIsSource(HANDLE source, const std::wstring& target) {
    BY_HANDLE_FILE_INFORMATION sourceInfo;
    BY_HANDLE_FILE_INFORMATION targetInfo;
    Handle existing(OpenForIdentity(target));
    return existing.valid() && FileIdentity(source, &sourceInfo) &&
           FileIdentity(existing.get(), &targetInfo) && SameIdentity(sourceInfo, targetInfo);
}

bool CopyContents(HANDLE source, HANDLE target) {
    std::vector<char> buffer(kCopyChunkBytes);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source, buffer.data(), kCopyChunkBytes, &read, nullptr)) return false;
        if (read == 0) return true;
        DWORD written = 0;
        if (!WriteFile(target, buffer.data(), read, &written, nullptr) || written != read)
            return false;
    }
}

std::wstring DecodeText(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                            (bytes.size() - 2) / sizeof(wchar_t));
    }
    size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const char* data = bytes.data() + skip;
    int length = static_cast<int>(bytes.size() - skip);
    if (length == 0) return L"";
    UINT codePage = CP_UTF8;
    int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, length, nullptr, 0);
    if (count == 0) {
        codePage = CP_ACP;
        count = MultiByteToWideChar(CP_ACP, 0, data, length, nullptr, 0);
    }
    std::wstring text(count, L'\0');
    MultiByteToWideChar(codePage, 0, data, length, &text[0], count);
    return text;
}

}  // namespace

bool DirectoryExists(const std::wstring& path) {
    FsRedirectionScope view;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path) {
    FsRedirectionScope view;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::wstring& path) {
    {
        FsRedirectionScope view;
        CreateDirectoryW(path.c_str(), nullptr);
    }
    return DirectoryExists(path);
}

bool RemoveEmptyFolder(const std::wstring& path) {
    FsRedirectionScope view;
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

bool DeleteFileAt(const std::wstring& path) {
    FsRedirectionScope view;
    return DeleteFileW(path.c_str()) != FALSE;
}

bool FileIdOf(const std::wstring& path, FileId* id) {
    FsRedirectionScope view;
    Handle file(OpenForIdentity(path));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.valid() || !FileIdentity(file.get(), &info)) return false;
    *id = FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool SameFile(const std::wstring& first, const std::wstring& second) {
    FileId a;
    FileId b;
    return FileIdOf(first, &a) && FileIdOf(second, &b) && a == b;
}

std::vector<FileId> FolderFileIds(const std::wstring& folder) {
    std::vector<FileId> ids;
    for (const std::wstring& name : FindFiles(folder, L"*")) {
        FileId id;
        if (FileIdOf(folder + name, &id)) ids.push_back(id);
    }
    return ids;
}

bool FolderIsWithin(const std::wstring& folder, const std::wstring& ancestor) {
    const std::wstring top = WithFinalBackslash(ancestor);
    if (StartsWithIgnoringCase(WithFinalBackslash(folder), top)) return true;
    FileId topId;
    if (!FileIdOf(top, &topId)) return false;
    for (std::wstring up = WithFinalBackslash(folder); !up.empty(); up = ParentFolder(up)) {
        FileId id;
        if (FileIdOf(up, &id) && id == topId) return true;
    }
    return false;
}

bool CopyFileStream(const std::wstring& source, const std::wstring& target) {
    FsRedirectionScope view;
    Handle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.valid()) RaiseError(FormatText(L"Cannot open file %ls", source.c_str()));
    if (TargetIsSource(in.get(), target)) return false;
    Handle out(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) RaiseError(FormatText(L"Cannot create file %ls", target.c_str()));
    if (!CopyContents(in.get(), out.get())) {
        out.close();
        DeleteFileW(target.c_str());
        RaiseError(FormatText(L"Cannot create file %ls", target.c_str()));
    }
    return true;
}

std::vector<std::wstring> FindFiles(const std::wstring& folder, const std::wstring& pattern) {
    FsRedirectionScope view;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool ReadTextLines(const std::wstring& path, std::vector<std::wstring>* lines) {
    std::string bytes;
    {
        FsRedirectionScope view;
        Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return false;
        char chunk[4096];
        DWORD read = 0;
        while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
            bytes.append(chunk, read);
    }
    std::wstring text = DecodeText(bytes);
    lines->clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines->push_back(text.substr(start));
            break;
        }
        lines->push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == L'\r' && start < text.size() && text[start] == L'\n') start++;
    }
    return true;
}

std::wstring WithFinalBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring CurrentFolder() {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    length = GetCurrentDirectoryW(length, &folder[0]);
    folder.resize(length);
    if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"";
        if (length < path.size()) return ParentFolder(std::wstring(path.data(), length));
        path.resize(path.size() * 2);
    }
}

std::wstring WindowsFolder() {
    wchar_t path[MAX_PATH];
    UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L"C:\\Windows\\";
    return WithFinalBackslash(std::wstring(path, length));
}
