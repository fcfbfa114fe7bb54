// Listing the preset folder and logging the settings of a run.

#include "effect/preset_folder.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <vector>

#include "dialog/message_boxes.h"
#include "effect/preset_file.h"
#include "effect/preset_groups.h"
#include "host/numbered_arrays.h"

namespace {
constexpr const char* kPresetExtensions[] = {".glp", ".gop", ".acv"};
constexpr const char* kForbiddenNameCharacters = "\\/:*?\"<>|";

std::string Lowered(const char* text) {
    std::string lowered(text);
    for (char& c : lowered) c = char(std::tolower(uint8_t(c)));
    return lowered;
}

std::string WithSlash(const char* folder) {
    std::string path = folder ? folder : "";
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    return path;
}
}  // namespace

bool PresetFolderListsEntry(const char* name, DWORD attributes) {
    // Any folder is left out, whatever further attributes it carries.
    if (!name || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const std::string lowered = Lowered(name);
    for (const char* extension : kPresetExtensions)
        if (lowered.find(extension) != std::string::npos) return true;
    return false;
}

std::string LogFileName(const char* documentTitle, int32_t msSinceLoad) {
    std::string name;
    if (documentTitle && *documentTitle) {
        const char* slash = std::strrchr(documentTitle, '\\');
        name = slash ? slash + 1 : documentTitle;
    }
    if (name.empty()) name = std::to_string(msSinceLoad);
    for (char& c : name)
        if (uint8_t(c) < 32 || std::strchr(kForbiddenNameCharacters, c)) c = '_';
    return name + ".glp";
}

int32_t ScanPresetFolder(const char* folder) {
    const std::string base = WithSlash(folder);
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!PresetFolderListsEntry(found.cFileName, found.dwFileAttributes)) continue;
            std::string path = base + found.cFileName;
            // A path cut to the row would name another file: such a path is not offered.
            if (path.size() < size_t(kPresetPathBytes)) paths.push_back(std::move(path));
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (paths.empty() ||
        !CreateArray(ARRAY_PRESET_PATHS, int32_t(paths.size()), kPresetPathBytes, 1, 1)) {
        ReleaseArray(ARRAY_PRESET_PATHS);
        return 0;
    }
    SetAllArrayElements(ARRAY_PRESET_PATHS, 0);
    for (size_t row = 0; row < paths.size(); ++row)
        PutArrayString(ARRAY_PRESET_PATHS, int32_t(row), paths[row].c_str());
    return int32_t(paths.size());
}

int32_t LogSettings(const char* logFolder, const char* documentTitle, int32_t msSinceLoad) {
    MarkGroupsInUse();
    const std::string path = WithSlash(logFolder) + LogFileName(documentTitle, msSinceLoad);
    if (WritePresetFile(path.c_str())) return 1;
    ShowErrorMessage("The settings could not be logged to %s.", path.c_str());
    return 0;
}
