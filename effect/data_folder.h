// Where the plug-in keeps its user data: the folder Quillmoor\Greyloom2 under the user's
// application data (with "Presets" and "logfiles"), else the folder of the registry value
// "InstallPath", else the plug-in's own folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* kMakerFolderName = "Quillmoor";
constexpr const char* kDataFolderName = "Greyloom2";  // also the registry value's name
constexpr const char* kPresetFolderName = "Presets";
constexpr const char* kLogFolderName = "logfiles";
constexpr const char* kSettingsFileName = "Greyloom.ini";
constexpr const char* kDialogStateFileName = "Greyloomdialog.ini";
constexpr const char* kInstallPathValue = "InstallPath";
constexpr size_t kDataPathMax = 511;    // characters of a data file's path
constexpr size_t kFolderPathMax = 255;  // characters of the preset and log folders' paths

// The plug-in's key under HKEY_LOCAL_MACHINE; it differs between the 64- and 32-bit builds.
const char* PluginRegistryKey();

// The three places a data file may lie, as found on this computer; empty when unknown.
struct DataFolderPlaces {
    std::string appData;       // the shell's per-user application-data folder, no backslash
    std::string installPath;   // the registry's "InstallPath", ending in a backslash
    std::string moduleFolder;  // the plug-in's folder, ending in a backslash
};

// The paths of a data file in the order they are tried: under application data, beside the
// install path, beside the module. Places that are unknown or give a path longer than
// kDataPathMax are left out.
std::vector<std::string> DataFileCandidates(const DataFolderPlaces& places, const char* subFolder,
                                            const char* fileName);

DataFolderPlaces FindDataFolderPlaces(const char* registryKey);

// Puts a usable path of the data file into out and returns 1, or returns 0 (out empty).
// create = 1: the first place where the file can be written (under application data the
// folders are made when missing); the test never empties or leaves behind a file.
// create = 0: the first place where the file exists and can be read.
int32_t GetDataFolder(char* out, size_t outSize, const char* subFolder, const char* fileName,
                      int32_t create, const char* registryKey);
// The preset (log) folder, ending in a backslash: under application data when that folder
// has anything in it, else "Presets\" ("logfiles\") beside the install path, or beside the
// module when there is no install path. Returns 1; 0 (out empty) when no folder is known.
int32_t GetPresetFolder(char* out, size_t outSize, const char* subFolder, const char* registryKey);
int32_t GetLogFolder(char* out, size_t outSize, const char* subFolder, const char* registryKey);
// Makes Quillmoor\, Quillmoor\<subFolder>\ and its "Presets" and "logfiles" under
// application data, each when it is not there yet.
void CreateDataFolders(const char* subFolder);
// True when the path names an existing folder.
bool DataFileExists(const char* path);
