// Fitwright.exe given the input a hostile program of the user or a careless setup could give
// it: added folders that reach the system or a whole drive, the product's own folder among the
// targets, profile values of the wrong type or size, device names, endless lists. Each run is
// compared with a listing of drive C: before and after it. (A run without a display is
// no_display_test.sh.)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>

#include "tests/installer/fitwright_harness.h"

namespace {

const wchar_t* const kProduct = L"Greyloom 2";
const wchar_t* const kProfileKey = L"Software\\Quillmoor\\Fitwright\\Greyloom 2";
const wchar_t* const kFiles[] = {L"Greyloom32.8bf", L"Greyloom64.8bf", L"readme.txt"};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

std::wstring WindowsFolder() {
    wchar_t path[MAX_PATH];
    UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    return std::wstring(path, length) + L"\\";
}

std::string Joined(const std::vector<std::wstring>& lines) {
    std::string text;
    for (const std::wstring& line : lines) text += Narrow(line) + "\n";
    return text;
}

struct Outcome {
    DWORD exitCode;
    std::string errors;
    std::vector<std::wstring> changes;  // on drive C:, outside the harness's own files
    double seconds;
};

class BadInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        product_ = MakeTestFolder(L"product");
        target_ = MakeTestFolder(L"target");
        // One editor is found, so that an unattended run has a host besides its added folders.
        host_ = MakeTestFolder(L"host");
        registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\Photoshop\\55.0\\PluginPath",
                            L"", host_, VIEW_32);
        for (const wchar_t* name : kFiles) WriteFileText(product_ + name, "source " + Narrow(name));
    }
    void TearDown() override {
        registry_.Clear();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
        for (const std::wstring& path : victims_) DeleteFileW(path.c_str());
        RemoveTree(product_);
        RemoveTree(target_);
        RemoveTree(host_);
        RemoveTree(L"C:\\fwtest\\outside");
    }

    void SetProfile(const std::wstring& name, const std::wstring& value) {
        registry_.SetString(HKEY_CURRENT_USER, kProfileKey, name, value);
    }

    // The profile of an installed product: its files, the added folders in number order and
    // where it was installed from.
    void WriteProfile(const std::vector<std::wstring>& added, const std::wstring& installPath) {
        SetProfile(L"PluginFiles0", kFiles[0]);
        SetProfile(L"PluginFiles1", kFiles[1]);
        SetProfile(L"UninstallFiles0", kFiles[2]);
        for (size_t n = 0; n < added.size(); n++)
            SetProfile(L"AdditionalFolders" + std::to_wstring(n), added[n]);
        if (!installPath.empty()) SetProfile(L"InstallPath", installPath);
    }

    // The product's files as an install leaves them in a folder.
    void PlaceCopies(const std::wstring& folder) {
        for (const wchar_t* name : kFiles) WriteFileText(folder + name, "installed copy");
    }

    // A file of the product's name where no uninstall may reach.
    void PlaceVictim(const std::wstring& path) {
        CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
        WriteFileText(path, "not Fitwright's");
        victims_.push_back(path);
    }

    void WriteIni(const std::string& text) { WriteFileText(product_ + L"Fitwright.ini", text); }

    Outcome Run(const std::wstring& arguments, const std::wstring& currentFolder) {
        TreeListing before = ListTree(L"C:\\");
        FitwrightRun run;
        auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(run.Start(arguments, currentFolder));
        EXPECT_TRUE(run.WaitForExit(120000));
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::string errors = run.StandardError();
        DWORD exitCode = run.ExitCode();
        TreeListing after = ListTree(L"C:\\");
        return {exitCode, errors, ListingChanges(before, after, {L"C:\\fwtest\\list"}), seconds};
    }

    // What removing the copies of one folder changes on the drive.
    std::vector<std::wstring> CopiesRemoved(const std::wstring& folder) {
        std::vector<std::wstring> changes;
        for (const wchar_t* name : kFiles) changes.push_back(L"- " + folder + name);
        std::sort(changes.begin(), changes.end());
        return changes;
    }

    std::vector<std::wstring> CopiesAdded(const std::wstring& folder,
                                          const std::vector<const wchar_t*>& names) {
        std::vector<std::wstring> changes;
        for (const wchar_t* name : names) changes.push_back(L"+ " + folder + name);
        return changes;
    }

    void ExpectSourcesWhole() {
        for (const wchar_t* name : kFiles) {
            std::string bytes;
            EXPECT_TRUE(ReadFileBytes(product_ + name, &bytes)) << Narrow(name);
            EXPECT_EQ("source " + Narrow(name), bytes);
        }
    }

    RegistryFixture registry_;
    std::wstring product_;
    std::wstring target_;
    std::wstring host_;
    std::vector<std::wstring> victims_;
};

std::vector<std::wstring> Sorted(std::vector<std::wstring> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST_F(BadInputTest, LegitimateAddedFolderIsCleanedAndTheProfileRemoved) {
    WriteProfile({target_}, product_);
    PlaceCopies(target_);
    Outcome outcome = Run(L"DoUninstall Silent Product \"Greyloom 2\"", product_);
    EXPECT_EQ(0u, outcome.exitCode) << outcome.errors;
    EXPECT_EQ("", outcome.errors);
    EXPECT_EQ(CopiesRemoved(target_), Sorted(outcome.changes)) << Joined(outcome.changes);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kProfileKey));
}

TEST_F(BadInputTest, AddedFoldersReachingTheSystemOrAWholeDriveAreRefusedAndTheRestCleaned) {
    const std::wstring windows = WindowsFolder();
    struct Case {
        std::wstring folder;
        std::wstring victim;  // the product's file name where that folder leads
    };
    const Case cases[] = {
        {L"C:\\", L"C:\\Greyloom32.8bf"},
        {windows + L"system32\\", windows + L"system32\\Greyloom32.8bf"},
        {Upper(windows), windows + L"Greyloom64.8bf"},
        {L"\\\\?\\" + windows + L"system32\\", windows + L"system32\\Greyloom32.8bf"},
        {target_ + L"..\\outside\\", L"C:\\fwtest\\outside\\Greyloom32.8bf"},
        {L"\\fwtest\\outside\\", L"C:\\fwtest\\outside\\readme.txt"},
        {L"outside\\", product_ + L"outside\\Greyloom32.8bf"},
    };
    std::vector<std::wstring> added;
    for (const Case& c : cases) {
        added.push_back(c.folder);
        PlaceVictim(c.victim);
    }
    added.push_back(target_);
    WriteProfile(added, product_);
    PlaceCopies(target_);
    Outcome outcome = Run(L"DoUninstall Silent Product \"Greyloom 2\"", product_);
    EXPECT_EQ(1u, outcome.exitCode);
    for (const Case& c : cases) {
        EXPECT_NE(std::string::npos, outcome.errors.find("\"" + Narrow(c.folder) + "\""))
            << Narrow(c.folder) << "\n"
            << outcome.errors;
        EXPECT_TRUE(PathIsFile(c.victim)) << Narrow(c.victim);
    }
    // The folder that passes is cleaned all the same; the profile stays for another try.
    EXPECT_EQ(CopiesRemoved(target_), Sorted(outcome.changes)) << Joined(outcome.changes);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kProfileKey));
}

TEST_F(BadInputTest, InstallSourcesStayWhateverPathLeadsToThem) {
    struct Case {
        const char* what;
        std::wstring added;
        std::wstring installPath;  // empty: none in the profile
        std::wstring currentFolder;
    };
    const std::wstring bare = product_.substr(0, product_.size() - 1);
    const Case cases[] = {
        {"no install path", Upper(product_), L"", product_},
        {"a wrong install path", bare, L"C:\\fwtest\\elsewhere\\", product_},
        {"run from elsewhere", L"C:/fwtest/product", Upper(product_), L"C:\\fwtest\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteProfile({c.added, target_}, c.installPath);
        PlaceCopies(target_);
        Outcome outcome = Run(L"DoUninstall Silent Product \"Greyloom 2\"", c.currentFolder);
        EXPECT_EQ(0u, outcome.exitCode) << outcome.errors;
        EXPECT_EQ(CopiesRemoved(target_), Sorted(outcome.changes)) << Joined(outcome.changes);
        ExpectSourcesWhole();
        RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    }
}

TEST_F(BadInputTest, DamagedProfileValuesAreErrorsAndTheProfileStays) {
    struct Case {
        const char* what;
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const std::wstring asText = kFiles[0];
    const BYTE* textBytes = reinterpret_cast<const BYTE*>(asText.c_str());
    const std::wstring huge(100000, L'a');
    const BYTE* hugeBytes = reinterpret_cast<const BYTE*>(huge.c_str());
    const Case cases[] = {
        {"number", L"PluginFiles0", REG_DWORD, {5, 0, 0, 0}},
        {"binary", L"PluginFiles0", REG_BINARY,
         std::vector<BYTE>(textBytes, textBytes + asText.size() * 2)},
        {"100,000 characters", L"PluginFiles0", REG_SZ,
         std::vector<BYTE>(hugeBytes, hugeBytes + (huge.size() + 1) * 2)},
        {"number", L"AdditionalFolders0", REG_DWORD, {1, 0, 0, 0}},
        {"binary", L"UninstallFiles0", REG_BINARY, {'r', 0, 'e', 0}},
        {"multi-string", L"InstallPath", REG_MULTI_SZ, {'C', 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + Narrow(c.name));
        WriteProfile({target_}, product_);
        registry_.SetRaw(HKEY_CURRENT_USER, kProfileKey, c.name, c.type, c.data.data(),
                         static_cast<DWORD>(c.data.size()));
        PlaceCopies(target_);
        Outcome outcome = Run(L"DoUninstall Silent Product \"Greyloom 2\"", product_);
        EXPECT_NE(0u, outcome.exitCode);
        EXPECT_NE(std::string::npos, outcome.errors.find("is damaged: \"" + Narrow(c.name)))
            << outcome.errors;
        EXPECT_TRUE(outcome.changes.empty()) << Joined(outcome.changes);
        EXPECT_EQ(kFiles[1], RegRead(HKEY_CURRENT_USER, kProfileKey, L"PluginFiles1"));
        RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    }
}

TEST_F(BadInputTest, DeviceNamesAreRefusedWhereNamesEnter) {
    for (const char* device : {"CON", "NUL", "AUX.8bf", "COM1", "LPT1.8bf", "con.txt", "Nul "}) {
        SCOPED_TRACE(device);
        WriteIni("Greyloom 2\n\n0\n1\n" + Narrow(target_) + "\n2\nGreyloom32.8bf\n" + device +
                 "\n");
        Outcome install = Run(L"ShowMessage Silent", product_);
        EXPECT_EQ(1u, install.exitCode);
        EXPECT_NE(std::string::npos, install.errors.find("is not a valid name for plugin files"))
            << install.errors;
        EXPECT_TRUE(install.changes.empty()) << Joined(install.changes);
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kProfileKey));
        DeleteFileW((product_ + L"Fitwright.ini").c_str());

        WriteProfile({target_}, product_);
        SetProfile(L"PluginFiles1", Widen(device));
        PlaceCopies(target_);
        Outcome uninstall = Run(L"DoUninstall Silent Product \"Greyloom 2\"", product_);
        EXPECT_EQ(1u, uninstall.exitCode);
        EXPECT_NE(std::string::npos, uninstall.errors.find("is not a valid file name"))
            << uninstall.errors;
        EXPECT_TRUE(uninstall.changes.empty()) << Joined(uninstall.changes);
        EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kProfileKey));
        RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    }
}

TEST_F(BadInputTest, NamesThatOnlyResembleDevicesInstallAndUninstall) {
    const std::vector<const wchar_t*> names = {L"CONSOLE.8bf", L"COM10.8bf", L"NULL.8bf",
                                               L"LPT.8bf"};
    std::string ini = "Greyloom 2\n\n0\n1\n" + Narrow(target_) + "\n4\n";
    for (const wchar_t* name : names) {
        WriteFileText(product_ + name, "source");
        ini += Narrow(name) + "\n";
    }
    WriteIni(ini);
    Outcome install = Run(L"ShowMessage Silent", product_);
    EXPECT_EQ(0u, install.exitCode) << install.errors;
    std::vector<std::wstring> added = CopiesAdded(target_, names);
    for (const std::wstring& copy : CopiesAdded(host_, names)) added.push_back(copy);
    EXPECT_EQ(Sorted(added), Sorted(install.changes)) << Joined(install.changes);
    DeleteFileW((product_ + L"Fitwright.ini").c_str());
    Outcome uninstall = Run(L"DoUninstall Silent Product \"Greyloom 2\"", product_);
    EXPECT_EQ(0u, uninstall.exitCode) << uninstall.errors;
    for (const wchar_t* name : names) {
        EXPECT_FALSE(PathIsFile(target_ + name)) << Narrow(name);
        EXPECT_FALSE(PathIsFile(host_ + name)) << Narrow(name);
    }
}

TEST_F(BadInputTest, EndlessListsAreRefusedAtOnceAndLeaveNoProfile) {
    struct Case {
        int32_t count;
        const char* message;
    };
    const Case cases[] = {
        {100000, "line 6: more than 1000 plugin files"},
        {1001, "line 6: more than 1000 plugin files"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        std::string ini =
            "Greyloom 2\n\n0\n1\n" + Narrow(target_) + "\n" + std::to_string(c.count) + "\n";
        for (int32_t n = 0; n < c.count; n++) ini += "file" + std::to_string(n) + ".8bf\n";
        WriteIni(ini);
        Outcome outcome = Run(L"ShowMessage Silent", product_);
        EXPECT_EQ(1u, outcome.exitCode);
        EXPECT_NE(std::string::npos, outcome.errors.find(c.message)) << outcome.errors;
        EXPECT_TRUE(outcome.changes.empty()) << Joined(outcome.changes);
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kProfileKey));
        // Before, such a list took 19 s to install and 47 s to uninstall.
        EXPECT_LT(outcome.seconds, 15.0);
        printf("%d entries refused in %.1f s\n", c.count, outcome.seconds);
    }
}

TEST_F(BadInputTest, ProfileIsWrittenOnlyAfterASuccessfulInstall) {
    WriteIni("Greyloom 2\n\n0\n1\n" + Narrow(target_) + "\n2\nGreyloom32.8bf\nMissing.8bf\n");
    Outcome failed = Run(L"ShowMessage Silent", product_);
    EXPECT_EQ(1u, failed.exitCode);
    EXPECT_NE(std::string::npos, failed.errors.find("Cannot open file")) << failed.errors;
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kProfileKey));

    WriteIni("Greyloom 2\n\n0\n1\n" + Narrow(target_) + "\n2\nGreyloom32.8bf\nreadme.txt\n");
    Outcome good = Run(L"ShowMessage Silent", product_);
    EXPECT_EQ(0u, good.exitCode) << good.errors;
    EXPECT_EQ(product_, RegRead(HKEY_CURRENT_USER, kProfileKey, L"InstallPath"));
    EXPECT_EQ(L"readme.txt", RegRead(HKEY_CURRENT_USER, kProfileKey, L"PluginFiles1"));
    EXPECT_EQ(target_, RegRead(HKEY_CURRENT_USER, kProfileKey, L"AdditionalFolders0"));
}

}  // namespace
