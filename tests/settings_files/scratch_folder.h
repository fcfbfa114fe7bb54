// A folder of the test's own under the temporary folder, emptied and removed at the end, and
// the byte access the settings tests check files with.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<no file>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fixture file of tests/settings_files/fixtures, written by hand from the file formats.
inline std::string Fixture(const char* name) {
    const char* source = getenv("GREYLOOM_SOURCE_DIR");
    return ReadBytes(std::string("Z:") + (source ? source : ".") +
                     "/tests/settings_files/fixtures/" + name);
}

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

class ScratchFolder {
  public:
    explicit ScratchFolder(const char* name) {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId());
        RemoveTree(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    std::string File(const char* name) const { return path_ + "\\" + name; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};
