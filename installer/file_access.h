// The installer's file operations, each run in the installer's file-system view (with
// redirection off in the 64-bit mode).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);  // an existing file, not a folder

// One level; the result says whether the folder exists afterwards.
bool CreateFolder(const std::wstring& path);
// Removes a folder only when it is empty.
bool RemoveEmptyFolder(const std::wstring& path);
bool DeleteFileAt(const std::wstring& path);

// True when both names lead to one existing file (same volume and file index), whatever
// the spelling of the paths.
bool SameFile(const std::wstring& first, const std::wstring& second);

// What makes a file itself, whatever path leads to it: its volume and file index.
struct FileId {
    uint32_t volume;
    uint32_t indexHigh;
    uint32_t indexLow;
    bool operator==(const FileId& other) const {
        return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
    }
};
// False when the path leads to nothing that can be opened.
bool FileIdOf(const std::wstring& path, FileId* id);
// The identities of the files directly in a folder (a final backslash); none when it cannot
// be listed.
std::vector<FileId> FolderFileIds(const std::wstring& folder);

// True when the folder is the ancestor or lies below it, by spelling (ignoring case) or by
// identity of an existing parent (short names, links and junctions to the ancestor).
bool FolderIsWithin(const std::wstring& folder, const std::wstring& ancestor);

// Copies source onto target, replacing the target. Raises "Cannot open file %s" when the
// source cannot be read and "Cannot create file %s" when the target cannot be written; a
// half-written target is removed. A target that is the source itself is left alone (opening
// it for writing would truncate the source): returns false then, true after a copy.
bool CopyFileStream(const std::wstring& source, const std::wstring& target);

// Names of the files matching a pattern, in the order the file system returns them.
std::vector<std::wstring> FindFiles(const std::wstring& folder, const std::wstring& pattern);

// The lines of a text file (UTF-16 or UTF-8 with a byte-order mark, else UTF-8 when valid,
// else the ANSI code page). False when the file cannot be read.
bool ReadTextLines(const std::wstring& path, std::vector<std::wstring>* lines);

std::wstring WithFinalBackslash(std::wstring path);

// The current folder without a final backslash.
std::wstring CurrentFolder();
// The folders of the running program and of Windows, with a final backslash.
std::wstring ProgramFolder();
std::wstring WindowsFolder();
