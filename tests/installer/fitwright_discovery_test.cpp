// Host discovery of Fitwright.exe in a scratch prefix: the whole host table against a
// fixture written by hand, the mode filters, the computed rows, the 64-bit view in the dual
// and 64-bit modes, bad registry data, and the no-host message.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <map>

#include "installer/control_ids.h"
#include "tests/installer/fitwright_harness.h"

namespace {

struct ExpectedHost {
    std::wstring block, bits, text, folder, exe;
};

std::vector<ExpectedHost> LoadExpected() {
    std::string bytes;
    ReadFileBytes(FixturePath(L"plain_hosts_expected.txt"), &bytes);
    std::vector<ExpectedHost> hosts;
    std::wstring text = Widen(bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end - start);
        start = end == std::wstring::npos ? text.size() : end + 1;
        if (line.empty() || line[0] == L'#') continue;
        std::vector<std::wstring> parts;
        size_t from = 0;
        for (int i = 0; i < 5; i++) {
            size_t tab = line.find(L'\t', from);
            parts.push_back(
                line.substr(from, tab == std::wstring::npos ? std::wstring::npos : tab - from));
            from = tab == std::wstring::npos ? line.size() : tab + 1;
        }
        hosts.push_back({parts[0], parts[1], parts[2], parts[3], parts[4]});
    }
    return hosts;
}

class DiscoveryTest : public ::testing::Test {
  protected:
    void SetUp() override { product_ = MakeTestFolder(L"discovery_product"); }
    void TearDown() override {
        registry_.Clear();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
        RemoveTree(product_);
        RemoveTree(L"C:\\fwtest\\computed");
    }

    // Runs Fitwright with the product folder as current folder, waits for start-up, reads
    // the lists, and leaves through Exit.
    ListRecord Discover(const std::wstring& arguments, std::wstring* caption = nullptr) {
        WriteFileText(product_ + L"plugin.8bf", "8bf");
        FitwrightRun run;
        EXPECT_TRUE(run.Start(arguments, product_));
        EXPECT_TRUE(run.WaitForStartup());
        ListRecord record = run.List();
        HWND window = run.MainWindow();
        if (caption) *caption = WindowText(window);
        EXPECT_TRUE(run.Exit());
        EXPECT_EQ(0u, run.ExitCode()) << run.StandardError();
        return record;
    }

    void LoadPlainHosts() {
        registry_.LoadFile(FixturePath(L"plain_hosts.reg"), VIEW_32);
        registry_.LoadFile(FixturePath(L"plain_hosts_64.reg"), VIEW_64);
    }

    void ExpectHosts(const std::vector<ExpectedHost>& expected, const ListRecord& record) {
        ASSERT_EQ(expected.size(), record.hosts.size());
        for (size_t i = 0; i < expected.size(); i++) {
            SCOPED_TRACE(Narrow(expected[i].text));
            EXPECT_EQ(expected[i].text, record.hosts[i].text);
            EXPECT_EQ(expected[i].folder, record.hosts[i].folder);
            EXPECT_EQ(expected[i].exe, record.hosts[i].exe);
        }
    }

    RegistryFixture registry_;
    std::wstring product_;
};

TEST_F(DiscoveryTest, EveryPlainRowIsFoundInTableOrder) {
    LoadPlainHosts();
    std::vector<ExpectedHost> expected;
    for (const ExpectedHost& host : LoadExpected())
        if (host.bits != L"64") expected.push_back(host);
    ASSERT_EQ(157u, expected.size());
    ListRecord record = Discover(L"");
    ExpectHosts(expected, record);
    ASSERT_FALSE(record.hosts.empty());
    EXPECT_TRUE(record.hosts[0].checked);
    for (size_t i = 1; i < record.hosts.size(); i++) EXPECT_FALSE(record.hosts[i].checked);
}

TEST_F(DiscoveryTest, ModeWordsAdmitOnlyTheirBlocks) {
    struct Case {
        const wchar_t* word;
        std::vector<std::wstring> blocks;
    };
    const Case cases[] = {
        {L"Panel", {L"ps", L"psold", L"pse", L"pseold"}},
        {L"PSEOnly", {L"pse", L"pseold"}},
        {L"PSPSE", {L"ps", L"pse"}},
        {L"Panel PSPSE", {L"ps", L"pse"}},
    };
    LoadPlainHosts();
    std::vector<ExpectedHost> all = LoadExpected();
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.word));
        std::vector<ExpectedHost> expected;
        for (const ExpectedHost& host : all)
            for (const std::wstring& block : c.blocks)
                if (host.block == block && host.bits != L"64") expected.push_back(host);
        ExpectHosts(expected, Discover(c.word));
    }
}

// Keys that differ between the 64-bit and the 32-bit view.
void LoadTwoViewHosts(RegistryFixture* registry) {
    const wchar_t* ps = L"Software\\Adobe\\Photoshop\\60.0";
    for (RegistryView view : {VIEW_64, VIEW_32}) {
        std::wstring tag = view == VIEW_64 ? L"C:\\fw64\\" : L"C:\\fw32\\";
        registry->SetString(HKEY_LOCAL_MACHINE, std::wstring(ps) + L"\\PluginPath", L"",
                            tag + L"ps6", view);
        registry->SetString(HKEY_LOCAL_MACHINE, ps, L"ApplicationPath", tag + L"ps6app", view);
        registry->SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corel\\PaintShop Pro\\X8\\Installer",
                            L"InstallDirectory", tag + L"psp", view);
        registry->SetString(HKEY_LOCAL_MACHINE,
                            L"SOFTWARE\\Corel\\Setup\\CorelDRAW Graphics Suite 18", L"Destination",
                            tag + L"cd\\", view);
        registry->SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ZONER\\Zoner Photo Studio 18",
                            L"InstallPath", tag + L"zps", view);
    }
    registry->SetString(HKEY_CURRENT_USER,
                        L"Software\\Corel\\PaintShop Pro\\X8\\FileLocations\\PlugIns(64-bit)\\0",
                        L"Dir", L"C:\\fw\\psp64");
    registry->SetString(HKEY_CURRENT_USER,
                        L"Software\\Corel\\PaintShop Pro\\X8\\FileLocations\\PlugIns\\0", L"Dir",
                        L"C:\\fw\\psp32");
    registry->SetString(HKEY_CURRENT_USER,
                        L"Software\\ZONER\\Zoner Photo Studio 18\\Preferences\\Plugins",
                        L"LastPath", L"C:\\fw\\zps");
    registry->SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corel\\PCU\\Licenses\\L1\\S1", L"Path",
                        L"C:\\fw64\\Corel Painter 2016\\", VIEW_64);
    registry->SetString(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PhotoLine_is1",
                        L"InstallLocation", L"C:\\fw64\\pl\\", VIEW_64);
    registry->SetString(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Classes\\Adobe.Illustrator.16\\.8bf\\DefaultIcon", L"",
                        L"C:\\Program Files\\Adobe\\Adobe Illustrator CS6 (64 Bit)\\Support "
                        L"Files\\Contents\\Windows\\Illustrator.exe,1");
}

const std::vector<ExpectedHost> kSixtyFourBitPass = {
    {L"", L"", L"Adobe Photoshop CS6 (64-bit)", L"C:\\fw64\\ps6\\",
     L"C:\\fw64\\ps6app\\Photoshop.exe"},
    {L"", L"", L"Adobe Illustrator CS6 (64-bit)",
     L"C:\\Program Files\\Adobe\\Adobe Illustrator CS6 (64 Bit)\\Plug-Ins\\", L""},
    {L"", L"", L"Corel Paint Shop Pro X8 (64-bit)", L"C:\\fw\\psp64\\",
     L"C:\\fw64\\psp\\Corel PaintShop Pro.exe"},
    {L"", L"", L"CorelDRAW & Photo-Paint X8 (64-bit)", L"C:\\fw64\\cd\\Plugins64\\",
     L"C:\\fw64\\cd\\Programs64\\CorelPP.exe"},
    {L"", L"", L"Corel Painter (64-bit)", L"C:\\fw64\\Corel Painter 2016\\Support Files\\Plugins\\",
     L""},
    {L"", L"", L"Computerinsel Photoline (64-bit)", L"C:\\fw64\\pl\\Defaults\\Plugins\\",
     L"C:\\fw64\\pl\\PhotoLine64.exe"},
    {L"", L"", L"Zoner Photo Studio 18 (64-bit)", L"C:\\fw\\zps\\",
     L"C:\\fw64\\zps\\Program64\\Zps.exe"},
};

const std::vector<ExpectedHost> kThirtyTwoBitPass = {
    {L"", L"", L"Adobe Photoshop CS6", L"C:\\fw32\\ps6\\", L"C:\\fw32\\ps6app\\Photoshop.exe"},
    {L"", L"", L"Adobe Illustrator CS6",
     L"C:\\Program Files (x86)\\Adobe\\Adobe Illustrator CS6\\Plug-Ins\\", L""},
    {L"", L"", L"Corel Paint Shop Pro X8", L"C:\\fw\\psp32\\",
     L"C:\\fw32\\psp\\Corel PaintShop Pro.exe"},
    {L"", L"", L"CorelDRAW & Photo-Paint X8", L"C:\\fw32\\cd\\Plugins\\",
     L"C:\\fw32\\cd\\Programs\\CorelPP.exe"},
    {L"", L"", L"Computerinsel Photoline", L"C:\\fw64\\pl\\Defaults\\Plugins\\",
     L"C:\\fw64\\pl\\PhotoLine.exe"},
    {L"", L"", L"Zoner Photo Studio 18", L"C:\\fw\\zps\\", L"C:\\fw32\\zps\\Program64\\Zps.exe"},
};

// The 32-bit pass rewrites Illustrator's folder from the 64-bit program folder to the 32-bit
// one; Wine's registry lacks the 64-bit name, so the test supplies it.
class ProgramFilesValue {
  public:
    ProgramFilesValue() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                        nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key_, nullptr);
        const wchar_t value[] = L"C:\\Program Files";
        RegSetValueExW(key_, L"ProgramW6432Dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       sizeof value);
    }
    ~ProgramFilesValue() {
        RegDeleteValueW(key_, L"ProgramW6432Dir");
        RegCloseKey(key_);
    }

  private:
    HKEY key_ = nullptr;
};

TEST_F(DiscoveryTest, DualModeSearchesTheSixtyFourBitViewThenTheThirtyTwoBitView) {
    if (!FitwrightRunsUnderWow64()) GTEST_SKIP() << kNeedsWow64;
    ProgramFilesValue programFiles;
    LoadTwoViewHosts(&registry_);
    std::vector<ExpectedHost> expected = kSixtyFourBitPass;
    expected.insert(expected.end(), kThirtyTwoBitPass.begin(), kThirtyTwoBitPass.end());
    std::wstring caption;
    ListRecord record = Discover(L"dualWin", &caption);
    ExpectHosts(expected, record);
    EXPECT_EQ(L"Fitwright (Dual Mode)", caption);
}

TEST_F(DiscoveryTest, SixtyFourBitWordSearchesOnlyTheSixtyFourBitView) {
    if (!FitwrightRunsUnderWow64()) GTEST_SKIP() << kNeedsWow64;
    LoadTwoViewHosts(&registry_);
    std::wstring caption;
    ListRecord record = Discover(L"64bit", &caption);
    ExpectHosts(kSixtyFourBitPass, record);
    EXPECT_EQ(L"Fitwright (64-bit Mode)", caption);
}

TEST_F(DiscoveryTest, ProductNamedSixtyFourBitSwitchesTheSixtyFourBitModeOn) {
    if (!FitwrightRunsUnderWow64()) GTEST_SKIP() << kNeedsWow64;
    LoadTwoViewHosts(&registry_);
    WriteFileText(product_ + L"Fitwright.ini", "Greyloom 64-bit\n\n0\n0\n1\nplugin64.8bf\n");
    std::wstring caption;
    ListRecord record = Discover(L"", &caption);
    ExpectHosts(kSixtyFourBitPass, record);
    EXPECT_EQ(L"Fitwright (64-bit Mode)", caption);
    EXPECT_EQ(L"Greyloom 64-bit", record.product);
}

TEST_F(DiscoveryTest, SinglePassLeavesOutSixtyFourBitRowsAndLabels) {
    if (!FitwrightRunsUnderWow64()) GTEST_SKIP() << kNeedsWow64;
    LoadTwoViewHosts(&registry_);
    std::wstring caption;
    ListRecord record = Discover(L"", &caption);
    std::vector<std::wstring> texts;
    for (const ListRecord::Host& host : record.hosts) texts.push_back(host.text);
    std::vector<std::wstring> expected = {L"Adobe Photoshop CS6",     L"Adobe Illustrator CS6",
                                          L"Corel Paint Shop Pro X8", L"CorelDRAW & Photo-Paint X8",
                                          L"Computerinsel Photoline", L"Zoner Photo Studio 18"};
    EXPECT_EQ(expected, texts);
    ASSERT_EQ(6u, record.hosts.size());
    EXPECT_EQ(L"C:\\fw32\\zps\\Program32\\Zps.exe", record.hosts[5].exe);
    EXPECT_EQ(L"C:\\fw64\\pl\\PhotoLine.exe", record.hosts[4].exe);
    EXPECT_EQ(L"Fitwright", caption);
}

TEST_F(DiscoveryTest, ComputedRowsWorkOutTheirFolders) {
    std::wstring base = MakeTestFolder(L"computed");
    CreateDirectoryW((base + L"cs3").c_str(), nullptr);
    CreateDirectoryW((base + L"cs3\\Modules Externes").c_str(), nullptr);
    CreateDirectoryW((base + L"cs3\\Plugins").c_str(), nullptr);
    CreateDirectoryW((base + L"cs2").c_str(), nullptr);
    registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\Photoshop\\10.0\\ApplicationPath",
                        L"", base + L"cs3\\");
    registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\Photoshop\\9.0", L"ApplicationPath",
                        base + L"cs2\\");
    registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\Photoshop\\9.0\\PluginPath", L"",
                        L"C:\\fw\\cs2plug");
    registry_.SetString(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Classes\\Adobe.Illustrator.16\\.8bf\\DefaultIcon", L"",
                        L"C:\\Ai\\Illustrator.exe,1");
    registry_.SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corel\\PCU\\Licenses\\A\\x", L"Path",
                        L"C:\\Other\\");
    registry_.SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corel\\PCU\\Licenses\\B\\y", L"Path",
                        L"C:\\Corel\\Painter 12\\");
    registry_.SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corel\\PCU\\Licenses\\B\\z", L"Path",
                        L"C:\\Corel\\Painter 11\\");
    registry_.SetString(
        HKEY_LOCAL_MACHINE,
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\albelli photo book "
        L"creator Extra_is1",
        L"InstallLocation", L"C:\\fw\\albelli\\");
    wchar_t commonData[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, commonData));
    std::vector<ExpectedHost> expected = {
        {L"", L"", L"Adobe Photoshop CS3", base + L"cs3\\Modules Externes\\", L""},
        {L"", L"", L"Adobe Photoshop CS2", L"C:\\fw\\cs2plug\\", base + L"cs2\\Photoshop.exe"},
        {L"", L"", L"Adobe Illustrator CS6", L"Plug-Ins\\", L""},
        {L"", L"", L"Corel Painter", L"C:\\Corel\\Painter 12\\Support Files\\Plugins\\", L""},
        {L"", L"", L"albelli photo book creator Extra",
         std::wstring(commonData) + L"\\albelli photo book creator Extra\\Plugins\\",
         L"C:\\fw\\albelli\\apc.exe"},
    };
    ExpectHosts(expected, Discover(L""));
}

TEST_F(DiscoveryTest, PageMakerLanguageChoosesTheEffectsFolderExactly) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"USENGLSH", L"C:\\PM\\USENGLSH\\Plugins\\Effects\\"},
        {L"UKENGLSH", L"C:\\PM\\UKENGLSH\\Plugins\\Effects\\"},
        {L"NEDERL", L"C:\\PM\\NEDERL\\Plugins\\Effecten\\"},
        {L"DEUTSCH", L"C:\\PM\\DEUTSCH\\Plugins\\Effekte\\"},
        {L"ESPANOL", L"C:\\PM\\ESPANOL\\Plugins\\Efectos\\"},
        {L"BRASIL", L"C:\\PM\\BRASIL\\Plugins\\Efeitos\\"},
        {L"japanese", L"C:\\PM\\japanese\\Plugins\\Effects\\"},
        {L"JAPANESE", L"C:\\PM\\"},
        {L"Deutsch", L"C:\\PM\\"},
        {L"", L"C:\\PM\\"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i += 2) {
        registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\PageMaker70", L"AdobeDirectory",
                            L"C:\\PM");
        registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\PageMaker70", L"PM70LANGDIR",
                            cases[i].first);
        registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\PageMaker65", L"AdobeDirectory",
                            L"C:\\PM");
        registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\PageMaker65", L"PM65LangDir",
                            cases[i + 1].first);
        std::vector<ExpectedHost> expected = {
            {L"", L"", L"Adobe PageMaker 7.0", cases[i].second, L""},
            {L"", L"", L"Adobe PageMaker 6.5", cases[i + 1].second, L""},
        };
        SCOPED_TRACE(Narrow(cases[i].first));
        ExpectHosts(expected, Discover(L""));
        registry_.Clear();
    }
}

TEST_F(DiscoveryTest, BadRegistryDataIsReadSafely) {
    std::wstring longPath = L"C:\\" + std::wstring(300, L'x');
    DWORD number = 0x00430043;  // reads as the text "CC"
    const wchar_t unterminated[] = {L'C', L':', L'\\', L'u', L't'};
    registry_.SetRaw(HKEY_CURRENT_USER, L"Software\\Spaceward\\Satori229\\Preferences",
                     L"PhotoshopPath", REG_DWORD, &number, sizeof number);
    registry_.SetRaw(HKEY_CURRENT_USER, L"Software\\Megalux\\UFX\\Preferences", L"AdobeLoc", REG_SZ,
                     unterminated, sizeof unterminated);
    registry_.SetString(HKEY_CURRENT_USER, L"Software\\Right Hemisphere\\Deep Paint\\Directories",
                        L"Photoshop Plugin Directory", L" \t C:\\deep \r\n");
    registry_.SetString(HKEY_CURRENT_USER, L"Software\\SPG\\ColorWorks\\CWInformationSettings",
                        L"PLUGINDIR", longPath);
    registry_.SetString(HKEY_CURRENT_USER, L"Software\\Mil AVIedi", L"Other", L"C:\\ignored");
    std::vector<ExpectedHost> expected = {
        {L"", L"", L"Megalux Ultimate FX", L"C:\\ut\\", L""},
        {L"", L"", L"Satori Photo XL 2.29", L"CC\\", L""},
        {L"", L"", L"RightHemisphere Deep Paint", L"C:\\deep\\", L""},
        {L"", L"", L"SPG Colorworks: Web 4", longPath + L"\\", L""},
    };
    ExpectHosts(expected, Discover(L""));
}

TEST_F(DiscoveryTest, NoHostFoundIsToldInTheChosenLanguageAndTheWindowStaysUsable) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"",
         L"Sorry, but Fitwright cannot find any plugin-compatible applications on your "
         L"computer.\r\nPlease use the Add Folder button to add your application's plugin folder "
         L"to "
         L"the list. Then\r\npress the Install button."},
        {L"german",
         L"Sorry, aber Fitwright kann keine kompatiblen Anwendungen auf Ihrem Computer "
         L"finden.\r\nBitte wählen Sie den Plugin-Ordner ihrer Anwendung mit der Schaltfläche "
         L"'Neuer Ordner'.\r\nDann drücken Sie die Schaltfläche 'Installieren'."},
    };
    WriteFileText(product_ + L"plugin.8bf", "8bf");
    for (const auto& c : cases) {
        FitwrightRun run;
        ASSERT_TRUE(run.Start(c.first, product_));
        HWND box = WaitForMessageBox(run.ProcessId());
        ASSERT_TRUE(box);
        EXPECT_EQ(L"Error", WindowText(box));
        std::wstring text = MessageBoxText(box);
        // Wine's message box shows the text with its line breaks as they were given.
        EXPECT_EQ(c.second, text);
        PressButton(box, IDOK);
        HWND window = run.MainWindow();
        ASSERT_TRUE(window);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }));
        ClickControl(window, IDC_BUTTON5);
        HWND help = WaitForWindow(run.ProcessId(), FITWRIGHT_INFO_CLASS);
        ASSERT_TRUE(help);
        PostMessageW(help, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
        EXPECT_TRUE(run.Exit());
        EXPECT_EQ(0u, run.ExitCode());
    }
}

TEST_F(DiscoveryTest, UnattendedRunWithoutHostEndsWithAnErrorCode) {
    WriteFileText(product_ + L"plugin.8bf", "8bf");
    FitwrightRun run;
    ASSERT_TRUE(run.Start(L"ShowMessage Silent", product_));
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(1u, run.ExitCode());
    EXPECT_NE(std::string::npos, run.StandardError().find("cannot find any plugin-compatible"));
}

}  // namespace
