// Install and uninstall by Fitwright.exe as a setup program runs it: unattended copies into
// every found host (64-bit items take the "64" files), panel folders, the sub folder, the
// unattended uninstall, and the faults: copying a file onto itself, names that leave the
// target folder, an empty sub-folder name, locked targets, vanished sources, exit codes.
#include <gtest/gtest.h>

#include <map>

#include "tests/installer/fitwright_harness.h"

namespace {

const wchar_t* const kHosts = L"C:\\fwtest\\hosts\\";
const wchar_t* const kPs6Key = L"Software\\Adobe\\Photoshop\\60.0\\PluginPath";
const wchar_t* const kPs51Key = L"Software\\Adobe\\Photoshop\\55.0\\PluginPath";
const wchar_t* const kPse14Key = L"Software\\Adobe\\Photoshop Elements\\14.0\\ApplicationPath";

const char kIni[] =
    "Greyloom 2\nGreyloom\n1\n0\n3\nGreyloom32.8bf\nGreyloom64.8bf\nExtra_64bit.8bf\n"
    "1\nreadme.txt\n1\npanel.zxp\n";

class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        product_ = MakeTestFolder(L"product");
        hosts_ = MakeTestFolder(L"hosts");
        for (const wchar_t* name : {L"ps6_64", L"ps6_32", L"ps51", L"pse14", L"pse14\\Plug-Ins"})
            CreateDirectoryW((hosts_ + name).c_str(), nullptr);
        files_ = {{L"Greyloom32.8bf", "thirty-two bit plug-in\x01\x02"},
                  {L"Greyloom64.8bf", "sixty-four bit plug-in\x03"},
                  {L"Extra_64bit.8bf", "extra 64"},
                  {L"readme.txt", "read me"},
                  {L"panel.zxp", "panel"}};
        for (const auto& file : files_) WriteFileText(product_ + file.first, file.second);
        WriteFileText(product_ + L"Fitwright.ini", kIni);
        registry_.SetString(HKEY_LOCAL_MACHINE, kPs6Key, L"", hosts_ + L"ps6_64", VIEW_64);
        registry_.SetString(HKEY_LOCAL_MACHINE, kPs6Key, L"", hosts_ + L"ps6_32", VIEW_32);
        registry_.SetString(HKEY_LOCAL_MACHINE, kPs51Key, L"", hosts_ + L"ps51", VIEW_32);
        registry_.SetString(HKEY_LOCAL_MACHINE, kPse14Key, L"", hosts_ + L"pse14\\", VIEW_32);
    }
    void TearDown() override {
        registry_.Clear();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
        RemoveTree(product_);
        RemoveTree(hosts_);
        RemoveTree(L"C:\\fwtest\\outside");
    }

    DWORD RunUnattended(const std::wstring& arguments, std::string* errors = nullptr) {
        FitwrightRun run;
        EXPECT_TRUE(run.Start(arguments, product_));
        EXPECT_TRUE(run.WaitForExit());
        if (errors) *errors = run.StandardError();
        return run.ExitCode();
    }

    // The file holds exactly the product's file of that name.
    void ExpectCopy(const std::wstring& path, const std::wstring& name) {
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(path, &bytes)) << Narrow(path);
        EXPECT_TRUE(bytes == files_[name]) << Narrow(path);
    }

    void ExpectSourcesWhole() {
        for (const auto& file : files_) ExpectCopy(product_ + file.first, file.first);
    }

    RegistryFixture registry_;
    std::wstring product_;
    std::wstring hosts_;
    std::map<std::wstring, std::string> files_;
};

TEST_F(InstallTest, SetupRunInstallsIntoEveryHostAndDoUninstallRemovesExactlyThat) {
    if (!FitwrightRunsUnderWow64()) GTEST_SKIP() << kNeedsWow64;
    std::string errors;
    ASSERT_EQ(
        0u, RunUnattended(L"ShowMessage Silent Product \"Greyloom 2\" SubFolder dualWin", &errors))
        << errors;
    struct Target {
        const wchar_t* folder;
        std::vector<const wchar_t*> present, absent;
    };
    const Target targets[] = {
        {L"ps6_64\\Greyloom\\",
         {L"Greyloom64.8bf", L"Extra_64bit.8bf"},
         {L"Greyloom32.8bf", L"readme.txt"}},
        {L"ps6_32\\Greyloom\\",
         {L"Greyloom32.8bf"},
         {L"Greyloom64.8bf", L"Extra_64bit.8bf", L"readme.txt"}},
        {L"ps51\\Greyloom\\", {L"Greyloom32.8bf"}, {L"Greyloom64.8bf", L"Extra_64bit.8bf"}},
        {L"pse14\\Plug-Ins\\Greyloom\\", {L"Greyloom32.8bf"}, {L"Greyloom64.8bf"}},
    };
    for (const Target& target : targets) {
        for (const wchar_t* name : target.present) ExpectCopy(hosts_ + target.folder + name, name);
        for (const wchar_t* name : target.absent)
            EXPECT_FALSE(PathIsFile(hosts_ + target.folder + name))
                << Narrow(target.folder) << Narrow(name);
    }
    EXPECT_FALSE(PathIsFolder(hosts_ + L"ps51\\Panels"));
    EXPECT_EQ(
        L"Greyloom32.8bf",
        RegRead(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Fitwright\\Greyloom 2", L"PluginFiles0"));
    EXPECT_EQ(L"1", RegRead(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Fitwright\\Greyloom 2",
                            L"SubFolderCheckbox"));

    WriteFileText(hosts_ + L"ps51\\Greyloom\\foreign.txt", "not ours");
    WriteFileText(hosts_ + L"ps6_32\\Greyloom\\readme.txt", "read me");
    DeleteFileW((product_ + L"Fitwright.ini").c_str());
    ASSERT_EQ(0u, RunUnattended(L"DoUninstall Silent Product \"Greyloom 2\" dualWin"));
    EXPECT_FALSE(PathIsFolder(hosts_ + L"ps6_64\\Greyloom"));
    EXPECT_FALSE(PathIsFolder(hosts_ + L"ps6_32\\Greyloom"));
    EXPECT_FALSE(PathIsFolder(hosts_ + L"pse14\\Plug-Ins\\Greyloom"));
    EXPECT_TRUE(PathIsFile(hosts_ + L"ps51\\Greyloom\\foreign.txt"));
    EXPECT_FALSE(PathIsFile(hosts_ + L"ps51\\Greyloom\\Greyloom32.8bf"));
    for (const wchar_t* host : {L"ps6_64", L"ps6_32", L"ps51", L"pse14\\Plug-Ins"})
        EXPECT_TRUE(PathIsFolder(hosts_ + host)) << Narrow(host);
    ExpectSourcesWhole();
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Fitwright\\Greyloom 2"));
}

TEST_F(InstallTest, PanelModeFillsThePanelFoldersOfPhotoshopCs4AndLater) {
    if (!FitwrightRunsUnderWow64()) GTEST_SKIP() << kNeedsWow64;
    ASSERT_EQ(0u, RunUnattended(L"ShowMessage Silent Panel dualWin"));
    ExpectCopy(hosts_ + L"ps51\\Panels\\Greyloom\\content\\panel.zxp", L"panel.zxp");
    ExpectCopy(hosts_ + L"ps6_64\\Panels\\Greyloom\\content\\panel.zxp", L"panel.zxp");
    ExpectCopy(hosts_ + L"ps6_32\\Panels\\Greyloom\\content\\panel.zxp", L"panel.zxp");
    ExpectCopy(hosts_ + L"ps6_64\\Greyloom\\Greyloom64.8bf", L"Greyloom64.8bf");
    // Elements is no panel host; the sub folder is used in the panel mode even unchecked.
    EXPECT_FALSE(PathIsFolder(hosts_ + L"pse14\\Plug-Ins\\Panels"));
    ExpectCopy(hosts_ + L"pse14\\Plug-Ins\\Greyloom\\Greyloom32.8bf", L"Greyloom32.8bf");
    DeleteFileW((product_ + L"Fitwright.ini").c_str());
    ASSERT_EQ(0u, RunUnattended(L"DoUninstall Silent Panel dualWin Product \"Greyloom 2\""));
    for (const wchar_t* host : {L"ps51", L"ps6_64", L"ps6_32"}) {
        EXPECT_FALSE(PathIsFolder(hosts_ + host + L"\\Panels\\Greyloom")) << Narrow(host);
        EXPECT_TRUE(PathIsFolder(hosts_ + host + L"\\Panels")) << Narrow(host);
        EXPECT_FALSE(PathIsFolder(hosts_ + host + L"\\Greyloom")) << Narrow(host);
    }
}

TEST_F(InstallTest, AddedFolderThatIsTheProductFolderKeepsTheSourceFiles) {
    std::wstring folder = product_.substr(0, product_.size() - 1);
    WriteFileText(product_ + L"Fitwright.ini",
                  "Greyloom 2\n\n0\n1\n" + Narrow(folder) + "\n1\nGreyloom32.8bf\n1\nreadme.txt\n");
    ASSERT_EQ(0u, RunUnattended(L"ShowMessage Silent"));
    ExpectSourcesWhole();
    ExpectCopy(hosts_ + L"ps51\\Greyloom32.8bf", L"Greyloom32.8bf");
    ASSERT_EQ(0u, RunUnattended(L"DoUninstall Silent Product \"Greyloom 2\""));
    ExpectSourcesWhole();
    EXPECT_FALSE(PathIsFile(hosts_ + L"ps51\\Greyloom32.8bf"));
    EXPECT_FALSE(PathIsFile(hosts_ + L"ps51\\readme.txt"));
}

TEST_F(InstallTest, EmptySubFolderNameNeverRemovesTheHostFolder) {
    WriteFileText(product_ + L"Fitwright.ini", "Greyloom 2\n\n1\n0\n1\nGreyloom32.8bf\n");
    ASSERT_EQ(0u, RunUnattended(L"ShowMessage Silent PSEOnly"));
    ExpectCopy(hosts_ + L"pse14\\Plug-Ins\\Greyloom32.8bf", L"Greyloom32.8bf");
    ASSERT_EQ(0u, RunUnattended(L"DoUninstall Silent PSEOnly Product \"Greyloom 2\""));
    EXPECT_FALSE(PathIsFile(hosts_ + L"pse14\\Plug-Ins\\Greyloom32.8bf"));
    EXPECT_TRUE(PathIsFolder(hosts_ + L"pse14\\Plug-Ins"));
}

TEST_F(InstallTest, NamesThatLeaveTheTargetFolderAreRefusedBeforeAnythingIsTouched) {
    std::wstring outside = MakeTestFolder(L"outside");
    WriteFileText(outside + L"victim.8bf", "victim");
    WriteFileText(hosts_ + L"ps51\\Greyloom32.8bf", "installed");
    const wchar_t* const key = L"Software\\Quillmoor\\Fitwright\\Evil";
    struct Case {
        const wchar_t* value;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"PluginFiles1", L"..\\..\\outside\\victim.8bf"},
        {L"UninstallFiles0", L"C:\\fwtest\\outside\\victim.8bf"},
        {L"UninstallFiles0", L"\\fwtest\\outside\\victim.8bf"},
        {L"UninstallFiles0", L"*.8bf"},
        {L"SubFolder", L"..\\..\\outside"},
    };
    DeleteFileW((product_ + L"Fitwright.ini").c_str());
    for (const Case& c : cases) {
        registry_.SetString(HKEY_CURRENT_USER, key, L"PluginFiles0", L"Greyloom32.8bf");
        registry_.SetString(HKEY_CURRENT_USER, key, L"SubFolderCheckbox", L"1");
        registry_.SetString(HKEY_CURRENT_USER, key, c.value, c.name);
        std::string errors;
        EXPECT_EQ(1u, RunUnattended(L"DoUninstall Silent Product Evil", &errors)) << Narrow(c.name);
        EXPECT_NE(std::string::npos, errors.find("is not a valid")) << errors;
        EXPECT_TRUE(PathIsFile(outside + L"victim.8bf"));
        EXPECT_TRUE(PathIsFile(hosts_ + L"ps51\\Greyloom32.8bf"));
        EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key));
        RegDeleteTreeW(HKEY_CURRENT_USER, key);
    }
}

TEST_F(InstallTest, LockedTargetStopsTheInstallWithAnErrorCodeAndUninstallStillCleansUp) {
    WriteFileText(product_ + L"Fitwright.ini", "Greyloom 2\n\n0\n0\n1\nGreyloom32.8bf\n");
    std::wstring locked = hosts_ + L"ps51\\Greyloom32.8bf";
    WriteFileText(locked, "someone else's");
    HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    std::string errors;
    EXPECT_EQ(1u, RunUnattended(L"ShowMessage Silent", &errors));
    CloseHandle(lock);
    EXPECT_NE(std::string::npos, errors.find("Cannot create file " + Narrow(locked))) << errors;
    // Photoshop CS6 comes before CS5.1 in the list: its copy stays.
    ExpectCopy(hosts_ + L"ps6_32\\Greyloom32.8bf", L"Greyloom32.8bf");
    EXPECT_FALSE(PathIsFile(hosts_ + L"pse14\\Plug-Ins\\Greyloom32.8bf"));
    ASSERT_EQ(0u, RunUnattended(L"DoUninstall Silent Product \"Greyloom 2\""));
    EXPECT_FALSE(PathIsFile(hosts_ + L"ps6_32\\Greyloom32.8bf"));
}

TEST_F(InstallTest, MissingSourcesAndTargetsAreReportedAsFailures) {
    struct Case {
        const char* ini;
        const wchar_t* pluginPath;  // Photoshop CS5.1's folder
        std::string message;
    };
    const Case cases[] = {
        {"Greyloom 2\n\n0\n0\n1\nGone.8bf\n", L"ps51",
         "Cannot open file " + Narrow(product_) + "Gone.8bf"},
        {"Greyloom 2\n\n0\n0\n1\nGreyloom32.8bf\n", L"missing\\deeper",
         "Cannot create file " + Narrow(hosts_) + "missing\\deeper\\Greyloom32.8bf"},
    };
    registry_.Clear();
    for (const Case& c : cases) {
        registry_.SetString(HKEY_LOCAL_MACHINE, kPs51Key, L"", hosts_ + c.pluginPath, VIEW_32);
        WriteFileText(product_ + L"Fitwright.ini", c.ini);
        std::string errors;
        EXPECT_EQ(1u, RunUnattended(L"ShowMessage Silent", &errors));
        EXPECT_NE(std::string::npos, errors.find(c.message)) << errors;
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
    }
    ExpectSourcesWhole();
}

}  // namespace
