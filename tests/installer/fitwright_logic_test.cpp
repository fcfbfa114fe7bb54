// Fitwright's logic without its window: the host table's blocks, the panel-host rule, name
// rules, "Fitwright.ini" parsing, the file copy, registry reads of odd data, and the profile
// store (saving, list endings, refused names, product switches).
#include <gtest/gtest.h>

#include <cwctype>

#include "installer/file_access.h"
#include "installer/file_names.h"
#include "installer/host_table.h"
#include "installer/install_files.h"
#include "installer/installer_error.h"
#include "installer/installer_state.h"
#include "installer/product_profile.h"
#include "installer/registry_access.h"
#include "tests/installer/fitwright_harness.h"

namespace {

const wchar_t* const kTestKey = L"Software\\FitwrightLogicTest";

std::wstring ErrorOf(void (*action)()) {
    try {
        action();
    } catch (const InstallerError& error) {
        return error.message;
    }
    return L"";
}

class LogicTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ModesReset();
        ProductReset();
        HostListsReset();
        ViewHooksReset();
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
        RemoveTree(L"C:\\fwtest\\logic");
        ModesReset();
    }
};

TEST_F(LogicTest, ModeWordsAdmitTheRightNumberOfHostRows) {
    struct Case {
        bool panel, pseOnly, pspse;
        int rows;  // counted by hand from the table: 10 + 4 Photoshop, 4 ImageReady,
                   // 12 + 2 Elements, 135 others
    };
    const Case cases[] = {
        {false, false, false, 167}, {true, false, false, 28}, {false, true, false, 14},
        {false, false, true, 22},   {true, false, true, 22},  {true, true, true, 12},
    };
    EXPECT_EQ(167, kHostTableCount);
    for (const Case& c : cases) {
        gModes.panelMode = c.panel;
        gModes.pseOnlyMode = c.pseOnly;
        gModes.pspseMode = c.pspse;
        int admitted = 0;
        for (int i = 0; i < kHostTableCount; i++)
            admitted += HostBlockAdmitted(kHostTable[i].block);
        EXPECT_EQ(c.rows, admitted) << c.panel << c.pseOnly << c.pspse;
    }
}

TEST_F(LogicTest, PanelHostsArePhotoshopCs4AndLaterInPanelMode) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"Adobe Photoshop CS5.1", true},        {L"Adobe Photoshop CS", false},
        {L"Adobe Photoshop CS3", false},         {L"Adobe Photoshop CS4", true},
        {L"Adobe Photoshop CS6 (64-bit)", true}, {L"Adobe Photoshop CC2", false},
        {L"Adobe Photoshop CC", false},          {L"Adobe Photoshop CSx", false},
        {L"Adobe Photoshop CS12 beta", true},    {L"Adobe Photoshop Elements 14", false},
    };
    gModes.panelMode = true;
    for (const auto& c : cases) EXPECT_EQ(c.second, IsPanelHost(c.first)) << Narrow(c.first);
    gModes.panelMode = false;
    for (const auto& c : cases) EXPECT_FALSE(IsPanelHost(c.first)) << Narrow(c.first);
}

TEST_F(LogicTest, TextBetweenTakesTheTextAfterTheMarkerUpToTheDelimiter) {
    struct Case {
        const wchar_t *text, *marker, *delimiter, *expected;
    };
    const Case cases[] = {
        {L"Adobe Photoshop CS6 (64-bit)", L" CS", L" ", L"6"},
        {L"Adobe Photoshop CS5.1", L" CS", L" ", L"5.1"},
        {L"Adobe Photoshop CS", L" CS", L" ", L""},
        {L"a CS b CS c", L" CS", L" ", L" b"},  // the blank right after the marker is skipped
        {L"xAByz", L"AB", L"z", L"y"},
        {L"ABz", L"AB", L"z", L"z"},  // the search starts at the second character after AB
        {L"no marker", L"AB", L" ", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, TextBetween(c.text, c.marker, c.delimiter)) << Narrow(c.text);
    EXPECT_EQ(3u, PosFrom(L"c", L"abcabc", 0));
    EXPECT_EQ(6u, PosFrom(L"c", L"abcabc", 3));
    EXPECT_EQ(0u, PosFrom(L"c", L"abcabc", 6));
    EXPECT_EQ(0u, PosFrom(L"c", L"abc", 9));
}

TEST_F(LogicTest, NamesThatLeaveTheTargetFolderAreRefused) {
    const std::pair<const wchar_t*, bool> relative[] = {
        {L"Greyloom64.8bf", true},
        {L"Docs\\readme.txt", true},
        {L"a b.8bf", true},
        {L"", false},
        {L"..\\x.8bf", false},
        {L"a\\..\\..\\x", false},
        {L"..", false},
        {L". .", false},
        {L"C:\\x.8bf", false},
        {L"C:x.8bf", false},
        {L"\\x.8bf", false},
        {L"/x.8bf", false},
        {L"*.8bf", false},
        {L"x?.8bf", false},
        {L"a\\\\b", false},
        {L"a\\", false},
        {L"x\t.8bf", false},
        {L"CON", false},
        {L"aux.8bf", false},
        {L"Docs\\LPT1.txt", false},
        {L"NUL .8bf", false},
        {L"CONSOLE.8bf", true},
        {L"COM10.8bf", true},
    };
    for (const auto& c : relative)
        EXPECT_EQ(c.second, RelativeNameIsSafe(c.first)) << Narrow(c.first);
    const std::pair<const wchar_t*, bool> products[] = {
        {L"Greyloom 2", true}, {L"", false}, {L"a\\b", false}, {L"\\", false}, {L"x\ny", false},
    };
    for (const auto& c : products)
        EXPECT_EQ(c.second, ProductNameIsValid(c.first)) << Narrow(c.first);
}

TEST_F(LogicTest, AddedFoldersReachingADriveOrTheSystemAreRefused) {
    const std::pair<const wchar_t*, bool> folders[] = {
        {L"C:\\Program Files\\Editor\\Plug-Ins\\", true},
        {L"D:\\x", true},
        {L"\\\\server\\share\\plugins\\", true},
        {L"C:/fwtest/x/", true},
        {L"C:\\", false},
        {L"C:", false},
        {L"c:/", false},
        {L"\\\\server\\share\\", false},
        {L"\\\\server\\", false},
        {L"\\\\?\\C:\\x\\", false},
        {L"\\\\.\\C:\\x\\", false},
        {L"//?/C:/x/", false},
        {L"C:\\a\\..\\b\\", false},
        {L"C:\\a\\. .\\b\\", false},
        {L"C:\\a\\.\\", false},
        {L"C:\\a\\\\b\\", false},
        {L"x\\", false},
        {L"\\x\\", false},
        {L"C:x\\", false},
        {L"C:\\a\\NUL\\", false},
        {L"C:\\a*\\", false},
        {L"C:\\a\\b:s\\", false},
        {L"", false},
    };
    for (const auto& c : folders)
        EXPECT_EQ(c.second, AddedFolderProblem(c.first).empty()) << Narrow(c.first);
    // The Windows folder is recognised however it is spelled.
    std::wstring windows = WindowsFolder();
    std::wstring upper = windows;
    for (wchar_t& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
    EXPECT_TRUE(FolderIsWithin(upper + L"System32\\drivers\\", windows));
    EXPECT_TRUE(FolderIsWithin(windows.substr(0, windows.size() - 1), windows));
    EXPECT_FALSE(FolderIsWithin(L"C:\\fwtest\\", windows));
    EXPECT_FALSE(FolderIsWithin(windows.substr(0, windows.size() - 1) + L"x\\", windows));
}

TEST_F(LogicTest, IniFileDescribesTheProduct) {
    ProductIni ini =
        ProductIniParse({L"Greyloom", L"Quillmoor", L"1", L"2", L"C:\\A", L"D:\\B\\", L"2",
                         L"G32.8bf", L"G64.8bf", L"1", L"readme.txt", L"1", L"panel.zxp"});
    EXPECT_EQ(L"Greyloom", ini.productName);
    EXPECT_EQ(L"Quillmoor", ini.subFolderName);
    EXPECT_TRUE(ini.subFolderChecked);
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\A", L"D:\\B\\"}), ini.addedFolders);
    EXPECT_EQ((std::vector<std::wstring>{L"G32.8bf", L"G64.8bf"}), ini.pluginFiles);
    EXPECT_EQ(std::vector<std::wstring>{L"readme.txt"}, ini.uninstallFiles);
    EXPECT_EQ(std::vector<std::wstring>{L"panel.zxp"}, ini.panelFiles);
    ProductIni shortIni = ProductIniParse({L"P", L"", L"0", L"0", L"1", L"x.8bf", L"", L""});
    EXPECT_FALSE(shortIni.subFolderChecked);
    EXPECT_TRUE(shortIni.uninstallFiles.empty());
    EXPECT_TRUE(shortIni.panelFiles.empty());
}

TEST_F(LogicTest, MalformedIniFileGivesAClearMessage) {
    struct Case {
        std::vector<std::wstring> lines;
        const wchar_t* message;
    };
    const Case cases[] = {
        {{L"P", L"S", L"1", L"x"}, L"'x' is not a valid integer value"},
        {{L"P", L"S", L"1"}, L"'' is not a valid integer value"},
        {{L"P", L"S", L"1", L"0", L"-1"}, L"'-1' is not a valid integer value"},
        {{L"P", L"S", L"1", L"0", L"3", L"a.8bf"},
         L"Fitwright.ini ends before the 3 plugin files that line 5 announces."},
        {{L"P", L"S", L"1", L"0", L"1", L""},
         L"Fitwright.ini, line 6: \"\" is not a valid name for plugin files."},
        {{L"P", L"S", L"1", L"0", L"1", L"..\\x.8bf"},
         L"Fitwright.ini, line 6: \"..\\x.8bf\" is not a valid name for plugin files."},
        {{L"P", L"S", L"1", L"0", L"1", L"C:\\x.8bf"},
         L"Fitwright.ini, line 6: \"C:\\x.8bf\" is not a valid name for plugin files."},
        {{L"P", L"S", L"1", L"0", L"1", L"*.8bf"},
         L"Fitwright.ini, line 6: \"*.8bf\" is not a valid name for plugin files."},
        {{L"P", L"S", L"1", L"1", L" "},
         L"Fitwright.ini, line 5: \" \" is not a valid name for folders."},
        {{L"", L"S", L"1", L"0", L"0"},
         L"Fitwright.ini, line 1: \"\" is not a valid product name."},
        {{L"P", L"..", L"1", L"0", L"0"},
         L"Fitwright.ini, line 2: \"..\" is not a valid sub folder name."},
        {{L"P", L"S", L"1", L"0", L"0", L"2", L"a"},
         L"Fitwright.ini ends before the 2 uninstall files that line 6 announces."},
    };
    for (const Case& c : cases) {
        std::wstring message;
        try {
            ProductIniParse(c.lines);
        } catch (const InstallerError& error) {
            message = error.message;
        }
        EXPECT_EQ(c.message, message);
    }
}

TEST_F(LogicTest, CopyFileStreamCopiesExactlyAndNeverTruncatesItsSource) {
    std::wstring folder = MakeTestFolder(L"logic");
    std::string content;
    for (int i = 0; i < 200000; i++) content += static_cast<char>((i * 7919) >> 3);
    WriteFileText(folder + L"big.8bf", content);
    CreateDirectoryW((folder + L"out").c_str(), nullptr);
    EXPECT_TRUE(CopyFileStream(folder + L"big.8bf", folder + L"out\\big.8bf"));
    std::string copied;
    ASSERT_TRUE(ReadFileBytes(folder + L"out\\big.8bf", &copied));
    EXPECT_TRUE(copied == content);
    // The same file under another spelling: nothing is written, the source stays whole.
    EXPECT_FALSE(CopyFileStream(folder + L"big.8bf", folder + L"out\\..\\BIG.8bf"));
    std::string source;
    ASSERT_TRUE(ReadFileBytes(folder + L"big.8bf", &source));
    EXPECT_EQ(content.size(), source.size());
    EXPECT_TRUE(SameFile(folder + L"big.8bf", folder + L".\\big.8bf"));
    EXPECT_FALSE(SameFile(folder + L"big.8bf", folder + L"out\\big.8bf"));
}

TEST_F(LogicTest, CopyFileStreamReportsUnreadableSourcesAndUnwritableTargets) {
    std::wstring folder = MakeTestFolder(L"logic");
    WriteFileText(folder + L"a.8bf", "plug-in");
    CreateDirectoryW((folder + L"isfolder.8bf").c_str(), nullptr);
    static std::wstring gSource, gTarget;
    auto copy = [] { CopyFileStream(gSource, gTarget); };
    gSource = folder + L"missing.8bf";
    gTarget = folder + L"b.8bf";
    EXPECT_EQ(L"Cannot open file " + gSource, ErrorOf(copy));
    gSource = folder + L"a.8bf";
    gTarget = folder + L"isfolder.8bf";
    EXPECT_EQ(L"Cannot create file " + gTarget, ErrorOf(copy));
    gTarget = folder + L"no\\such\\folder\\a.8bf";
    EXPECT_EQ(L"Cannot create file " + gTarget, ErrorOf(copy));
    gTarget = folder + L"locked.8bf";
    WriteFileText(gTarget, "old");
    HANDLE lock = CreateFileW(gTarget.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_EQ(L"Cannot create file " + gTarget, ErrorOf(copy));
    CloseHandle(lock);
    std::string old;
    ReadFileBytes(gTarget, &old);
    EXPECT_EQ("old", old);
}

TEST_F(LogicTest, RegistryReadsAreBoundedWhateverTheValueType) {
    RegistryFixture registry;
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    DWORD number = 1234;
    const BYTE binary[] = {'h', 0, 'i', 0};
    registry.SetRaw(HKEY_CURRENT_USER, kTestKey, L"raw", REG_SZ, unterminated, sizeof unterminated);
    registry.SetRaw(HKEY_CURRENT_USER, kTestKey, L"odd", REG_SZ, "xyz", 3);  // odd byte count
    registry.SetRaw(HKEY_CURRENT_USER, kTestKey, L"number", REG_DWORD, &number, sizeof number);
    registry.SetRaw(HKEY_CURRENT_USER, kTestKey, L"binary", REG_BINARY, binary, sizeof binary);
    registry.SetRaw(HKEY_CURRENT_USER, kTestKey, L"multi", REG_MULTI_SZ, L"m\0n\0", 10);
    registry.SetString(HKEY_CURRENT_USER, kTestKey, L"padded", L"\t  C:\\x \r\n");
    registry.SetString(HKEY_CURRENT_USER, kTestKey, L"", L"default");
    struct Case {
        const wchar_t* name;
        const wchar_t* asString;  // ReadRegString: the data as text, trimmed
        const wchar_t* asValue;   // ReadRegValue: by type
    };
    const Case cases[] = {
        {L"raw", L"abc", L"abc"},        {L"odd", L"\x7978", L"\x7978"},
        {L"number", L"\x04d2", L"1234"}, {L"binary", L"hi", L"hi"},
        {L"multi", L"m", L""},           {L"padded", L"C:\\x", L"\t  C:\\x \r\n"},
        {L"", L"default", L"default"},   {L"missing", L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.asString,
                  ReadRegString(HKEY_CURRENT_USER, std::wstring(L"\\") + kTestKey, c.name))
            << Narrow(c.name);
        EXPECT_EQ(c.asValue, ReadRegValue(HKEY_CURRENT_USER, kTestKey, c.name)) << Narrow(c.name);
    }
    EXPECT_EQ(L"", ReadRegString(HKEY_CURRENT_USER, L"", L""));
    EXPECT_EQ(L"", ReadRegString(HKEY_CURRENT_USER, L"Software\\NoSuchVendor", L"x"));
}

TEST_F(LogicTest, WriteRegValueRefusesUnknownTypesWithTheSystemMessage) {
    wchar_t expected[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, 1013, 0, expected, 512, nullptr);
    std::wstring text(expected, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    std::wstring message;
    try {
        WriteRegValue(HKEY_CURRENT_USER, kTestKey, L"v", L"x", 7);
    } catch (const InstallerError& error) {
        message = error.message;
    }
    EXPECT_EQ(text, message);
}

// A profile written and read back, as a product's profile in the registry.
void SetUpProduct(const std::wstring& name, std::vector<std::wstring> plugins,
                  std::vector<std::wstring> added) {
    ProductSetName(name);
    gProduct.pluginFiles = plugins;
    gProduct.profileLoaded = true;
    for (auto it = added.rbegin(); it != added.rend(); ++it) ProductAddFolder(*it);
    HostListsAppend(L"Host", L"C:\\host\\", L"");
}

std::wstring ProfileValue(const std::wstring& product, const std::wstring& name) {
    return RegRead(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Fitwright\\" + product, name);
}

TEST_F(LogicTest, SavedListsEndSoThatAShrunkListComesBackShrunk) {
    SetUpProduct(L"P", {L"a.8bf", L"b.8bf", L"c.8bf"}, {L"C:\\1\\", L"C:\\2\\", L"C:\\3\\"});
    SaveProductSettings();
    EXPECT_EQ(L"c.8bf", ProfileValue(L"P", L"PluginFiles2"));
    gProduct.pluginFiles = {L"a.8bf"};
    ProductRemoveAddedFolder(2);
    SaveProductSettings();
    ProductReset();
    HostListsReset();
    ProductSetName(L"P");
    LoadProductSettings();
    EXPECT_EQ(std::vector<std::wstring>{L"a.8bf"}, gProduct.pluginFiles);
    // Loading puts each folder on top, so the saved order comes back reversed.
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\2\\", L"C:\\1\\"}), gProduct.addedFolders);
    ASSERT_EQ(2u, gHosts.entries.size());
    EXPECT_EQ(L"C:\\2\\", gHosts.entries[0].foundPath);
    for (int n = 2; n <= 5; n++)
        EXPECT_EQ(L"", ProfileValue(L"P", L"AdditionalFolders" + std::to_wstring(n)));
}

TEST_F(LogicTest, SevenAddedFoldersReducedToSixEndWithAnEmptySeventh) {
    SetUpProduct(
        L"P", {L"a.8bf"},
        {L"C:\\1\\", L"C:\\2\\", L"C:\\3\\", L"C:\\4\\", L"C:\\5\\", L"C:\\6\\", L"C:\\7\\"});
    SaveProductSettings();
    EXPECT_EQ(L"C:\\7\\", ProfileValue(L"P", L"AdditionalFolders6"));
    ProductRemoveAddedFolder(0);
    SaveProductSettings();
    EXPECT_EQ(L"C:\\7\\", ProfileValue(L"P", L"AdditionalFolders5"));
    EXPECT_EQ(L"", ProfileValue(L"P", L"AdditionalFolders6"));
}

TEST_F(LogicTest, SwitchingTheProductReplacesTheAddedFolders) {
    SetUpProduct(L"A", {L"a.8bf"}, {L"C:\\a\\"});
    SaveProductSettings();
    ProductReset();
    HostListsReset();
    SetUpProduct(L"B", {L"b.8bf"}, {L"C:\\b1\\", L"C:\\b2\\"});
    SaveProductSettings();
    gProduct.products = {L"A", L"B"};
    ProductSelect(0);
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\a\\"}, gProduct.addedFolders);
    ASSERT_EQ(2u, gHosts.entries.size());
    EXPECT_EQ(L"C:\\a\\", gHosts.entries[0].text);
    EXPECT_EQ(L"Host", gHosts.entries[1].text);
    SaveProductSettings();
    EXPECT_EQ(L"", ProfileValue(L"A", L"AdditionalFolders1"));
}

TEST_F(LogicTest, EmptyProductNameNeverTouchesTheParentKey) {
    SetUpProduct(L"Kept", {L"k.8bf"}, {});
    SaveProductSettings();
    ProductReset();
    SetUpProduct(L"", {L"x.8bf"}, {});
    SaveProductSettings();
    EXPECT_EQ(L"", RegRead(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Fitwright", L"PluginFiles0"));
    EXPECT_FALSE(ProductDeleteProfile(L""));
    EXPECT_FALSE(ProductDeleteProfile(L"Kept\\..\\"));
    EXPECT_EQ(L"k.8bf", ProfileValue(L"Kept", L"PluginFiles0"));
}

TEST_F(LogicTest, FailedLoadIsNotFollowedByASave) {
    SetUpProduct(L"Good", {L"g.8bf"}, {});
    SaveProductSettings();
    gProduct.pluginFiles = {L"half.8bf"};
    gProduct.profileLoaded = false;
    SaveProductSettings();
    EXPECT_EQ(L"g.8bf", ProfileValue(L"Good", L"PluginFiles0"));
}

}  // namespace
