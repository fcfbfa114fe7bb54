// Where the plug-in keeps its user data: finding and making the data folder, and the preset
// and log folders inside it.

#include "effect/data_folder.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/plugin_folder.h"
#include "host/system_calls.h"

namespace {
#if defined(_WIN64)
constexpr const char* kPluginRegistryKey = "Software\\Quillmoor\\Greyloom264bitDemo";
#else
constexpr const char* kPluginRegistryKey = "Software\\Quillmoor\\Greyloom2Demo";
#endif

std::string ReadInstallPath(const char* registryKey) {
    if (!registryKey) return {};
    char value[kDataPathMax + 1] = "";
    DWORD bytes = sizeof value - 1;
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, registryKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    const LONG read = RegQueryValueExA(key, kInstallPathValue, nullptr, &type,
                                       reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    value[std::min<DWORD>(bytes, sizeof value - 1)] = '\0';
    return value;
}

std::string AppDataFolder() {
    char folder[MAX_PATH] = "";
    if (gSystem.appDataFolder(folder) != S_OK) return {};
    return folder;
}

// Whether the file can be written, without touching a file that is there: an existing file
// is opened without truncation; one that this test made is deleted again.
bool CanWriteFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
    CloseHandle(file);
    if (made) DeleteFileA(path.c_str());
    return true;
}

bool CanReadFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

void MakeFolder(const std::string& path) {
    if (!DataFileExists(path.c_str())) CreateDirectoryA(path.c_str(), nullptr);
}

bool CopyOut(char* out, size_t outSize, const std::string& path, size_t limit) {
    if (!out || outSize == 0) return false;
    if (path.size() > limit || path.size() >= outSize) {
        out[0] = '\0';
        return false;
    }
    memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

// The application-data folder of the kind, when it holds anything; else beside the install
// path.
int32_t GetNamedFolder(char* out, size_t outSize, const char* subFolder, const char* registryKey,
                       const char* folderName) {
    const std::string appData = AppDataFolder();
    if (!appData.empty() && subFolder) {
        const std::string folder =
            appData + "\\" + kMakerFolderName + "\\" + subFolder + "\\" + folderName + "\\";
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            if (CopyOut(out, outSize, folder, kFolderPathMax)) return 1;
        }
    }
    // Without an install path the folder beside the module, never a bare "Presets\": that
    // would lie wherever the host's current folder happens to be.
    std::string base = ReadInstallPath(registryKey);
    if (base.empty()) base = GetPluginFolder();
    if (base.empty()) return 0;
    return CopyOut(out, outSize, base + folderName + "\\", kFolderPathMax) ? 1 : 0;
}
}  // namespace

const char* PluginRegistryKey() {
    return kPluginRegistryKey;
}

std::vector<std::string> DataFileCandidates(const DataFolderPlaces& places, const char* subFolder,
                                            const char* fileName) {
    std::vector<std::string> paths;
    if (!fileName) return paths;
    auto add = [&](const std::string& path) {
        if (path.size() <= kDataPathMax) paths.push_back(path);
    };
    if (!places.appData.empty() && subFolder)
        add(places.appData + "\\" + kMakerFolderName + "\\" + subFolder + "\\" + fileName);
    if (!places.installPath.empty()) add(places.installPath + fileName);
    if (!places.moduleFolder.empty()) add(places.moduleFolder + fileName);
    return paths;
}

DataFolderPlaces FindDataFolderPlaces(const char* registryKey) {
    DataFolderPlaces places;
    places.appData = AppDataFolder();
    places.installPath = ReadInstallPath(registryKey);
    places.moduleFolder = GetPluginFolder();
    return places;
}

int32_t GetDataFolder(char* out, size_t outSize, const char* subFolder, const char* fileName,
                      int32_t create, const char* registryKey) {
    if (out && outSize) out[0] = '\0';
    const DataFolderPlaces places = FindDataFolderPlaces(registryKey);
    const std::vector<std::string> paths = DataFileCandidates(places, subFolder, fileName);
    if (create && !places.appData.empty() && subFolder && !paths.empty() &&
        paths.front().rfind(places.appData, 0) == 0) {
        // The folder under application data is ours to make; a file there that cannot be
        // written shows up when it is saved.
        if (!CanWriteFile(paths.front())) CreateDataFolders(subFolder);
        return CopyOut(out, outSize, paths.front(), kDataPathMax) ? 1 : 0;
    }
    for (const std::string& path : paths) {
        const bool usable = create ? CanWriteFile(path) : CanReadFile(path);
        if (usable) return CopyOut(out, outSize, path, kDataPathMax) ? 1 : 0;
    }
    return 0;
}

int32_t GetPresetFolder(char* out, size_t outSize, const char* subFolder, const char* registryKey) {
    return GetNamedFolder(out, outSize, subFolder, registryKey, kPresetFolderName);
}

int32_t GetLogFolder(char* out, size_t outSize, const char* subFolder, const char* registryKey) {
    return GetNamedFolder(out, outSize, subFolder, registryKey, kLogFolderName);
}

void CreateDataFolders(const char* subFolder) {
    const std::string appData = AppDataFolder();
    if (appData.empty() || !subFolder) return;
    const std::string maker = appData + "\\" + kMakerFolderName + "\\";
    const std::string data = maker + subFolder + "\\";
    MakeFolder(maker);
    MakeFolder(data);
    MakeFolder(data + kPresetFolderName);
    MakeFolder(data + kLogFolderName);
}

bool DataFileExists(const char* path) {
    const DWORD attributes = path ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
