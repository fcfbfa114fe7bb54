// Where the data files go: under application data, else beside the registry's "InstallPath"
// (set with reg.exe in this scratch prefix), else beside the module; finding a file never
// empties it.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "effect/data_folder.h"
#include "host/system_calls.h"
#include "tests/common/scratch_folder.h"
#include "tests/common/test_files.h"

namespace {
// The registry view of this build, whichever reg.exe the system starts.
#if defined(_WIN64)
constexpr const char* kView = " /reg:64";
#else
constexpr const char* kView = " /reg:32";
#endif

int RunCommand(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return int(code);
}

std::string RegistryKeyPath() {
    return std::string("HKLM\\") + PluginRegistryKey();
}

void SetInstallPath(const std::string& folder) {
    // reg.exe reads a backslash before the closing quote as an escaped quote: doubled.
    ASSERT_EQ(RunCommand("reg.exe add \"" + RegistryKeyPath() +
                         "\" /v InstallPath /t REG_SZ /d \"" + folder + "\\\\\" /f" + kView),
              0);
}

void RemoveInstallPath() {
    RunCommand("reg.exe delete \"" + RegistryKeyPath() + "\" /f" + kView);
}

std::string AppData() {
    char folder[MAX_PATH] = "";
    gSystem.appDataFolder(folder);
    return folder;
}

HRESULT NoAppData(char*) {
    return E_FAIL;
}

std::string DataFolder(const char* fileName, int32_t create) {
    char out[kDataPathMax + 1] = "?";
    const int32_t found =
        GetDataFolder(out, sizeof out, kDataFolderName, fileName, create, PluginRegistryKey());
    return found ? out : "<none>";
}

class DataFolderSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        SystemCallsReset();
        RemoveInstallPath();
        RemoveTree(AppData() + "\\" + kMakerFolderName);
    }
    void TearDown() override {
        SystemCallsReset();
        RemoveInstallPath();
        RemoveTree(AppData() + "\\" + kMakerFolderName);
    }
    ScratchFolder install{"greyloom_install"};
};

TEST_F(DataFolderSearch, UnderApplicationDataTheFoldersAreMade) {
    const std::string data = AppData() + "\\Quillmoor\\Greyloom2";
    EXPECT_EQ(DataFolder("Greyloom.ini", 0), "<none>") << "nothing to read yet";
    EXPECT_EQ(DataFolder("Greyloom.ini", 1), data + "\\Greyloom.ini");
    for (const std::string& folder :
         {AppData() + "\\Quillmoor", data, data + "\\Presets", data + "\\logfiles"})
        EXPECT_TRUE(DataFileExists(folder.c_str())) << folder;
    EXPECT_FALSE(PathExists(data + "\\Greyloom.ini")) << "finding a place writes no file";

    WriteFileText(data + "\\Greyloom.ini", "the user's settings\n");
    EXPECT_EQ(DataFolder("Greyloom.ini", 1), data + "\\Greyloom.ini");
    EXPECT_EQ(FileText(data + "\\Greyloom.ini"), "the user's settings\n")
        << "the writability test must not empty the file";
    EXPECT_EQ(DataFolder("Greyloom.ini", 0), data + "\\Greyloom.ini");
}

TEST_F(DataFolderSearch, WithoutApplicationDataBesideTheInstallPath) {
    gSystem.appDataFolder = NoAppData;
    SetInstallPath(install.path());
    EXPECT_EQ(DataFolder("Greyloom.ini", 0), "<none>");
    EXPECT_EQ(DataFolder("Greyloom.ini", 1), install.File("Greyloom.ini"));
    EXPECT_FALSE(PathExists(install.File("Greyloom.ini")));
    WriteFileText(install.File("Greyloom.ini"), "kept\n");
    EXPECT_EQ(DataFolder("Greyloom.ini", 0), install.File("Greyloom.ini"));
    EXPECT_EQ(DataFolder("Greyloom.ini", 1), install.File("Greyloom.ini"));
    EXPECT_EQ(FileText(install.File("Greyloom.ini")), "kept\n");
}

TEST_F(DataFolderSearch, ThenBesideTheModule) {
    gSystem.appDataFolder = NoAppData;
    // An install path that cannot be written to: a folder that is not there.
    SetInstallPath(install.path() + "\\gone");
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string folder = module;
    folder.erase(folder.rfind('\\') + 1);
    const std::string name = "greyloom_data_folder_probe.ini";
    EXPECT_EQ(DataFolder(name.c_str(), 1), folder + name);
    EXPECT_FALSE(PathExists(folder + name)) << "the probe leaves nothing behind";
    EXPECT_EQ(DataFolder(name.c_str(), 0), "<none>");
}

TEST_F(DataFolderSearch, PresetAndLogFolders) {
    SetInstallPath(install.path());
    char out[kFolderPathMax + 1] = "";
    // Without the folders under application data: beside the install path.
    EXPECT_EQ(GetPresetFolder(out, sizeof out, kDataFolderName, PluginRegistryKey()), 1);
    EXPECT_EQ(std::string(out), install.path() + "\\Presets\\");
    EXPECT_EQ(GetLogFolder(out, sizeof out, kDataFolderName, PluginRegistryKey()), 1);
    EXPECT_EQ(std::string(out), install.path() + "\\logfiles\\");

    const std::string presets = AppData() + "\\Quillmoor\\Greyloom2\\Presets\\";
    CreateDataFolders(kDataFolderName);
    EXPECT_EQ(GetPresetFolder(out, sizeof out, kDataFolderName, PluginRegistryKey()), 1);
    EXPECT_EQ(std::string(out), presets);

    // Without the folders and without an install path: beside the module, never a relative
    // "Presets\" that would follow the host's current folder.
    RemoveTree(AppData() + "\\" + kMakerFolderName);
    RemoveInstallPath();
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string beside = module;
    beside.erase(beside.rfind('\\') + 1);
    EXPECT_EQ(GetPresetFolder(out, sizeof out, kDataFolderName, PluginRegistryKey()), 1);
    EXPECT_EQ(std::string(out), beside + "Presets\\");
    EXPECT_EQ(GetLogFolder(out, sizeof out, kDataFolderName, PluginRegistryKey()), 1);
    EXPECT_EQ(std::string(out), beside + "logfiles\\");
}

TEST(DataFileCandidates, InOrderAndWithinThePathLimit) {
    DataFolderPlaces places;
    places.appData = "C:\\Users\\me\\AppData\\Roaming";
    places.installPath = "C:\\Program Files\\Greyloom\\";
    places.moduleFolder = "D:\\Plug-ins\\";
    EXPECT_EQ(DataFileCandidates(places, "Greyloom2", "Greyloom.ini"),
              (std::vector<std::string>{
                  "C:\\Users\\me\\AppData\\Roaming\\Quillmoor\\Greyloom2\\Greyloom.ini",
                  "C:\\Program Files\\Greyloom\\Greyloom.ini", "D:\\Plug-ins\\Greyloom.ini"}));
    places.installPath = "C:\\" + std::string(600, 'i') + "\\";
    places.appData.clear();
    EXPECT_EQ(DataFileCandidates(places, "Greyloom2", "Greyloom.ini"),
              (std::vector<std::string>{"D:\\Plug-ins\\Greyloom.ini"}));
}
}  // namespace
