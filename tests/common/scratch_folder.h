// A folder of the test's own under the temporary folder, emptied and removed at the end, for
// the tests of the files the plug-in reads and writes.
#pragma once

#include <windows.h>

#include <string>

// Deletes a folder and everything in it (read-only files too).
inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

inline bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ScratchFolder {
  public:
    // "<temp>\<name>_<process id>": test programs that run side by side keep apart.
    explicit ScratchFolder(const std::string& name) {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId());
        RemoveTree(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};
