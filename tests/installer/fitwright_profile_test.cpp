// The product profile of Fitwright.exe: "Fitwright.ini" on the first run, the registry
// profile afterwards, the product choice by platform, the fallback product, malformed ini
// files, and the save at exit.
#include <gtest/gtest.h>

#include "installer/control_ids.h"
#include "tests/installer/fitwright_harness.h"

namespace {

const wchar_t* const kProfiles = L"Software\\Quillmoor\\Fitwright\\";

std::wstring Profile(const std::wstring& product, const std::wstring& name) {
    return RegRead(HKEY_CURRENT_USER, kProfiles + product, name);
}

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        product_ = MakeTestFolder(L"Greyloom Setup");
        for (RegistryView view : {VIEW_32, VIEW_64})
            registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\Photoshop\\60.0\\PluginPath",
                                L"", L"C:\\fwtest\\host", view);
    }
    void TearDown() override {
        registry_.Clear();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
        RemoveTree(product_);
    }

    void WriteIni(const std::string& text) { WriteFileText(product_ + L"Fitwright.ini", text); }

    void SetProfile(const std::wstring& product, const std::wstring& name,
                    const std::wstring& value) {
        registry_.SetString(HKEY_CURRENT_USER, kProfiles + product, name, value);
    }

    // Starts, reads the lists of start-up, and leaves through Exit (pressing OK on the
    // setup-mode message first when there is one).
    ListRecord RunAndExit(const std::wstring& arguments, bool expectBox = false) {
        FitwrightRun run;
        EXPECT_TRUE(run.Start(arguments, product_));
        if (expectBox) {
            HWND box = WaitForMessageBox(run.ProcessId());
            EXPECT_TRUE(box);
            PressButton(box, IDOK);
        }
        EXPECT_TRUE(run.WaitForStartup());
        ListRecord record = run.List();
        EXPECT_TRUE(run.Exit());
        EXPECT_EQ(0u, run.ExitCode()) << run.StandardError();
        return record;
    }

    RegistryFixture registry_;
    std::wstring product_;
};

const char kIni[] =
    "Greyloom 2\r\nQuillmoor\r\n1\r\n2\r\nC:\\fwtest\\first\r\nC:\\fwtest\\second\\\r\n"
    "2\r\nGreyloom32.8bf\r\nGreyloom64.8bf\r\n1\r\nGreyloom.pdf\r\n1\r\npanel.zxp\r\n";

TEST_F(ProfileTest, IniFileDescribesTheProductOnTheFirstRunAndExitSavesIt) {
    WriteIni(kIni);
    ListRecord record = RunAndExit(L"");
    EXPECT_EQ(L"Greyloom 2", record.product);
    EXPECT_EQ(L"Quillmoor", record.subFolder);
    EXPECT_TRUE(record.subFolderChecked);
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\fwtest\\second\\", L"C:\\fwtest\\first\\"}),
              record.added);
    ASSERT_EQ(3u, record.hosts.size());
    EXPECT_EQ(L"C:\\fwtest\\second\\", record.hosts[0].text);
    EXPECT_EQ(L"", record.hosts[0].exe);
    EXPECT_EQ(L"C:\\fwtest\\first\\", record.hosts[1].folder);
    EXPECT_EQ(L"Adobe Photoshop CS6", record.hosts[2].text);
    EXPECT_EQ((std::vector<std::wstring>{L"Greyloom32.8bf", L"Greyloom64.8bf"}), record.plugins);
    EXPECT_EQ(std::vector<std::wstring>{L"Greyloom.pdf"}, record.uninstalls);
    EXPECT_EQ(std::vector<std::wstring>{L"panel.zxp"}, record.panels);
    EXPECT_EQ(std::vector<std::wstring>{L"Greyloom 2"}, record.items);
    EXPECT_EQ(0, record.selected);
    EXPECT_EQ(product_, record.installPath);
    EXPECT_EQ(product_, Profile(L"Greyloom 2", L"InstallPath"));
    EXPECT_EQ(L"Quillmoor", Profile(L"Greyloom 2", L"SubFolder"));
    EXPECT_EQ(L"1", Profile(L"Greyloom 2", L"SubFolderCheckbox"));
    EXPECT_EQ(L"C:\\fwtest\\second\\", Profile(L"Greyloom 2", L"AdditionalFolders0"));
    EXPECT_EQ(L"C:\\fwtest\\first\\", Profile(L"Greyloom 2", L"AdditionalFolders1"));
    EXPECT_EQ(L"Greyloom64.8bf", Profile(L"Greyloom 2", L"PluginFiles1"));
    EXPECT_EQ(L"Greyloom.pdf", Profile(L"Greyloom 2", L"UninstallFiles0"));
    EXPECT_EQ(L"panel.zxp", Profile(L"Greyloom 2", L"PanelFiles0"));
    EXPECT_EQ(L"", Profile(L"Greyloom 2", L"Platform"));
}

TEST_F(ProfileTest, KnownProfileIsReadOnTheNextStart) {
    WriteIni(kIni);
    RunAndExit(L"");
    // Without the ini file the profile alone describes the product.
    DeleteFileW((product_ + L"Fitwright.ini").c_str());
    ListRecord record = RunAndExit(L"Product \"Greyloom 2\"");
    EXPECT_EQ(L"Greyloom 2", record.product);
    EXPECT_EQ((std::vector<std::wstring>{L"Greyloom32.8bf", L"Greyloom64.8bf"}), record.plugins);
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\fwtest\\first\\", L"C:\\fwtest\\second\\"}),
              record.added);
    EXPECT_EQ(product_, record.installPath);
}

TEST_F(ProfileTest, SetupModeReadsTheIniAgainAndAShorterListReplacesTheOldOne) {
    SetProfile(L"Greyloom 2", L"PluginFiles0", L"old1.8bf");
    SetProfile(L"Greyloom 2", L"PluginFiles1", L"old2.8bf");
    SetProfile(L"Greyloom 2", L"PluginFiles2", L"old3.8bf");
    WriteIni("Greyloom 2\nQuillmoor\n0\n0\n1\nnew.8bf\n");
    ListRecord setup = RunAndExit(L"ShowMessage", true);
    EXPECT_EQ(std::vector<std::wstring>{L"new.8bf"}, setup.plugins);
    // The profile is listed and the ini adds the product a second time.
    EXPECT_EQ((std::vector<std::wstring>{L"Greyloom 2", L"Greyloom 2"}), setup.items);
    EXPECT_EQ(1, setup.selected);
    DeleteFileW((product_ + L"Fitwright.ini").c_str());
    ListRecord next = RunAndExit(L"Product \"Greyloom 2\"");
    EXPECT_EQ(std::vector<std::wstring>{L"new.8bf"}, next.plugins);
}

TEST_F(ProfileTest, PlatformDecidesWhichProductsAreOffered) {
    SetProfile(L"Plain", L"PluginFiles0", L"p.8bf");
    SetProfile(L"Wide", L"PluginFiles0", L"w64.8bf");
    SetProfile(L"Wide", L"Platform", L"x64");
    WriteFileText(product_ + L"x.8bf", "x");
    struct Case {
        const wchar_t* arguments;
        std::vector<std::wstring> offered;  // besides the fallback product
    };
    const Case cases[] = {
        {L"", {L"Plain"}},
        {L"dualWin", {L"Wide", L"Plain"}},  // the last listed sub-key comes first
        {L"64bit", {L"Wide"}},
    };
    for (const Case& c : cases) {
        if (std::wstring(c.arguments) == L"64bit" && !FitwrightRunsUnderWow64())
            GTEST_SKIP() << kNeedsWow64;
        ListRecord record = RunAndExit(c.arguments);
        std::vector<std::wstring> expected = c.offered;
        expected.push_back(L"Unknown");
        EXPECT_EQ(expected, record.items) << Narrow(c.arguments);
        // The profile saved in the 64-bit mode is marked for it.
        EXPECT_EQ(std::wstring(c.arguments) == L"64bit" ? L"x64" : L"",
                  Profile(L"Unknown", L"Platform"));
        RegDeleteProfile(L"Unknown");
    }
}

TEST_F(ProfileTest, WithoutProfileOrIniTheFolderPluginsMakeTheProduct) {
    WriteFileText(product_ + L"One.8bf", "1");
    WriteFileText(product_ + L"Two.8bf", "2");
    WriteFileText(product_ + L"readme.txt", "r");
    ListRecord record = RunAndExit(L"");
    EXPECT_EQ(L"Unknown", record.product);
    std::vector<std::wstring> plugins = record.plugins;
    std::sort(plugins.begin(), plugins.end());
    EXPECT_EQ((std::vector<std::wstring>{L"One.8bf", L"Two.8bf"}), plugins);
    EXPECT_EQ(L"", record.installPath);
    EXPECT_EQ(L"Greyloom Setup", record.subFolder);
    EXPECT_EQ(L"Unbekannt", RunAndExit(L"german").product);
}

TEST_F(ProfileTest, NoPluginsAtAllIsToldAndTheWindowStaysOpen) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L"Sorry, no plugins found for installation."},
        {L"german", L"Sorry, aber keine Plugins wurden gefunden."},
    };
    for (const auto& c : cases) {
        FitwrightRun run;
        ASSERT_TRUE(run.Start(c.first, product_));
        HWND box = WaitForMessageBox(run.ProcessId());
        ASSERT_TRUE(box);
        EXPECT_EQ(L"Error", WindowText(box));
        EXPECT_EQ(c.second, MessageBoxText(box));
        PressButton(box, IDOK);
        ASSERT_TRUE(run.WaitForStartup());
        EXPECT_TRUE(run.List().plugins.empty());
        EXPECT_TRUE(run.Exit());
    }
}

TEST_F(ProfileTest, MalformedIniIsRefusedAndTheGoodProfileStays) {
    SetProfile(L"Greyloom 2", L"PluginFiles0", L"good.8bf");
    SetProfile(L"Greyloom 2", L"SubFolder", L"Good");
    const std::pair<const char*, const char*> cases[] = {
        {"Greyloom 2\nS\n1\nmany\n", "'many' is not a valid integer value"},
        {"Greyloom 2\nS\n1\n", "'' is not a valid integer value"},
        {"Greyloom 2\nS\n1\n0\n4\na.8bf\n", "ends before the 4 plugin files"},
        {"Greyloom 2\nS\n1\n0\n1\n..\\..\\evil.8bf\n", "is not a valid name for plugin files"},
        {"Greyloom 2\nS\n1\n0\n1\nC:\\evil.8bf\n", "is not a valid name for plugin files"},
        {"Greyloom 2\nS\n1\n0\n1\n*.8bf\n", "is not a valid name for plugin files"},
        {"Greyloom 2\nC:\\Windows\n1\n0\n0\n", "is not a valid sub folder name"},
        {"\nS\n1\n0\n0\n", "is not a valid product name"},
    };
    for (const auto& c : cases) {
        WriteIni(c.first);
        FitwrightRun run;
        ASSERT_TRUE(run.Start(L"ShowMessage Silent", product_));
        ASSERT_TRUE(run.WaitForExit());
        EXPECT_EQ(1u, run.ExitCode()) << c.first;
        EXPECT_NE(std::string::npos, run.StandardError().find(c.second)) << run.StandardError();
        EXPECT_EQ(L"good.8bf", Profile(L"Greyloom 2", L"PluginFiles0"));
        EXPECT_EQ(L"", Profile(L"Greyloom 2", L"PluginFiles1"));
        EXPECT_EQ(L"Good", Profile(L"Greyloom 2", L"SubFolder"));
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Fitwright\\S"));
    }
}

TEST_F(ProfileTest, BadCountLineIsShownInAnErrorBoxAndTheWindowOpens) {
    WriteIni("Greyloom 2\nS\n1\nabc\n");
    FitwrightRun run;
    ASSERT_TRUE(run.Start(L"", product_));
    HWND box = WaitForMessageBox(run.ProcessId());
    ASSERT_TRUE(box);
    EXPECT_EQ(L"'abc' is not a valid integer value", MessageBoxText(box));
    PressButton(box, IDOK);
    ASSERT_TRUE(run.WaitForStartup());
    EXPECT_TRUE(run.Exit());
    EXPECT_EQ(1u, run.ExitCode());
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Fitwright\\Greyloom 2"));
}

TEST_F(ProfileTest, ChoosingAnotherProductShowsOnlyItsAddedFolders) {
    SetProfile(L"A", L"PluginFiles0", L"a.8bf");
    SetProfile(L"A", L"AdditionalFolders0", L"C:\\fwtest\\a\\");
    SetProfile(L"B", L"PluginFiles0", L"b.8bf");
    SetProfile(L"B", L"AdditionalFolders0", L"C:\\fwtest\\b\\");
    FitwrightRun run;
    ASSERT_TRUE(run.Start(L"Product A", product_));
    ASSERT_TRUE(run.WaitForStartup());
    HWND window = run.MainWindow();
    HWND combo = GetDlgItem(window, IDC_COMBOBOX1);
    // The combo box lists B first (the last listed sub-key comes first).
    ASSERT_EQ(L"A", run.List().items[1]);
    SendTo(combo, CB_SETCURSEL, 0);
    SendTo(window, WM_COMMAND, MAKEWPARAM(IDC_COMBOBOX1, CBN_SELCHANGE),
           reinterpret_cast<LPARAM>(combo));
    ASSERT_TRUE(run.Exit());
    ListRecord record = run.List();
    EXPECT_EQ(L"B", record.product);
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\fwtest\\b\\"}, record.added);
    ASSERT_EQ(2u, record.hosts.size());
    EXPECT_EQ(L"C:\\fwtest\\b\\", record.hosts[0].text);
    EXPECT_EQ(L"", Profile(L"B", L"AdditionalFolders1"));
    EXPECT_EQ(L"C:\\fwtest\\a\\", Profile(L"A", L"AdditionalFolders0"));
}

}  // namespace
