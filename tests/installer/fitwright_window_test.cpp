// Fitwright's main window and dialogs driven as a person would: command words and captions,
// Install with nothing checked, the uninstall question, the Delete key, Run, the sub-folder
// box and path label, the help and product texts, and deleting a stored product.
#include <gtest/gtest.h>

#include "installer/control_ids.h"
#include "tests/installer/fitwright_harness.h"

namespace {

const wchar_t* const kProfiles = L"Software\\Quillmoor\\Fitwright\\";

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        product_ = MakeTestFolder(L"wproduct");
        hosts_ = MakeTestFolder(L"whosts");
        CreateDirectoryW((hosts_ + L"ps6").c_str(), nullptr);
        CreateDirectoryW((hosts_ + L"dip").c_str(), nullptr);
        CopyFileW((BinDir() + L"fitwright_marker.exe").c_str(), (hosts_ + L"dip\\host.exe").c_str(),
                  FALSE);
        WriteFileText(product_ + L"Greyloom32.8bf", "plug-in");
        WriteFileText(product_ + L"Fitwright.ini",
                      "Greyloom 2\nQuill\n0\n0\n1\nGreyloom32.8bf\n1\nreadme.txt\n");
        registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\Photoshop\\60.0\\PluginPath",
                            L"", hosts_ + L"ps6");
        registry_.SetString(HKEY_LOCAL_MACHINE, L"Software\\Adobe\\Photoshop\\60.0",
                            L"ApplicationPath", hosts_ + L"ps6");
        registry_.SetString(HKEY_CURRENT_USER, L"Software\\Microsoft\\Picture It!\\10.0",
                            L"PluginDir", hosts_ + L"dip");
        registry_.SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Picture It!\\10.0\\Setup",
                            L"EXE_PATH", hosts_ + L"dip\\host.exe");
    }
    void TearDown() override {
        run_.Kill();
        registry_.Clear();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
        RemoveTree(product_);
        RemoveTree(hosts_);
    }

    HWND Start(const std::wstring& arguments) {
        EXPECT_TRUE(run_.Start(arguments, product_));
        EXPECT_TRUE(run_.WaitForStartup());
        HWND window = run_.MainWindow();
        EXPECT_TRUE(window);
        return window;
    }

    HWND Control(HWND window, int id) { return GetDlgItem(window, id); }

    // The next message box: its text, then the button pressed.
    std::wstring Answer(int button) {
        HWND box = WaitForMessageBox(run_.ProcessId());
        if (!box) return L"(no message box)";
        std::wstring text = MessageBoxText(box);
        PressButton(box, button);
        WaitUntil([&] { return !IsWindow(box); });
        return text;
    }

    // Selects an item as the list box tells its parent about a user's selection.
    void SelectItem(HWND window, int index) {
        HWND list = Control(window, IDC_CHECKLISTBOX1);
        SendTo(list, LB_SETCURSEL, static_cast<WPARAM>(index));
        SendTo(window, WM_COMMAND, MAKEWPARAM(IDC_CHECKLISTBOX1, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
    }

    // A mouse click on an item, x pixels from its left edge.
    void ClickItem(HWND window, int index, int x) {
        HWND list = Control(window, IDC_CHECKLISTBOX1);
        int height = static_cast<int>(SendTo(list, LB_GETITEMHEIGHT, 0));
        int top = static_cast<int>(SendTo(list, LB_GETTOPINDEX, 0));
        LPARAM point = MAKELPARAM(x, (index - top) * height + height / 2);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(list, WM_LBUTTONUP, 0, point);
        SendTo(list, WM_NULL);
        SendTo(window, WM_NULL);
    }

    FitwrightRun run_;
    RegistryFixture registry_;
    std::wstring product_;
    std::wstring hosts_;
};

struct ControlExpectation {
    int id;
    bool visible;
    bool enabled;
};

TEST_F(WindowTest, CommandWordsShapeTheWindow) {
    struct Case {
        const wchar_t* arguments;
        std::vector<ControlExpectation> controls;
        bool subFolderChecked;
        bool topmost;
    };
    const Case cases[] = {
        {L"",
         {{IDC_BUTTON1, true, true},
          {IDC_BUTTON7, true, true},
          {IDC_COMBOBOX1, true, true},
          {IDC_LABEL4, false, true},
          {IDC_CHECKBOX1, true, true}},
         false,
         false},
        {L"NoInstall", {{IDC_BUTTON1, true, false}}, false, false},
        {L"NoRun", {{IDC_BUTTON7, true, false}}, false, false},
        {L"NoExplore", {{IDC_BUTTON6, true, false}}, false, false},
        {L"NoUninstall", {{IDC_BUTTON4, true, false}}, false, false},
        {L"NoProduct", {{IDC_COMBOBOX1, false, true}, {IDC_LABEL4, true, true}}, false, false},
        {L"StayOnTop", {}, false, true},
        {L"SubFolder", {{IDC_CHECKBOX1, true, true}}, true, false},
        {L"Panel", {{IDC_CHECKBOX1, false, true}}, false, false},
        // A product name that is a command word acts as that word too.
        {L"Product NoInstall", {{IDC_BUTTON1, true, false}}, false, false},
        {L"noinstall NORUN silent",
         {{IDC_BUTTON1, true, true}, {IDC_BUTTON7, true, true}},
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        HWND window = Start(c.arguments);
        // "NoRun" holds after the selection moves to another row with a program.
        SelectItem(window, 0);
        for (const ControlExpectation& e : c.controls) {
            EXPECT_EQ(e.visible, IsWindowVisible(Control(window, e.id)) != FALSE) << e.id;
            EXPECT_EQ(e.enabled, IsWindowEnabled(Control(window, e.id)) != FALSE) << e.id;
        }
        EXPECT_EQ(c.subFolderChecked,
                  SendTo(Control(window, IDC_CHECKBOX1), BM_GETCHECK) == BST_CHECKED);
        EXPECT_EQ(c.topmost, (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
        if (std::wstring(c.arguments) == L"NoProduct") {
            EXPECT_EQ(L"Greyloom 2", WindowText(Control(window, IDC_LABEL4)));
        }
        EXPECT_FALSE(WaitForMessageBox(run_.ProcessId(), 0));
        EXPECT_TRUE(run_.Exit());
        // Each case starts from the ini file, not from the profile the last one saved.
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
    }
}

TEST_F(WindowTest, CaptionsComeInEnglishOrGerman) {
    const struct {
        int id;
        const wchar_t *english, *german;
    } captions[] = {
        {IDC_LABEL3, L"Product:", L"Produkt:"},
        {IDC_LABEL1, L"The following compatible applications were found:",
         L"Folgende Anwendungen wurden auf Ihrem Computer gefunden:"},
        {IDC_BUTTON1, L"&Install", L"Installieren"},
        {IDC_BUTTON7, L"Run...", L"Starten..."},
        {IDC_BUTTON3, L"Add Folder...", L"Neuer Ordner"},
        {IDC_CHECKBOX1, L"Sub Folder", L"Unterordner"},
        {IDC_BUTTON6, L"Explore...", L"Explorer..."},
        {IDC_BUTTON4, L"Uninstall...", L"Entfernen..."},
        {IDC_BUTTON5, L"Help", L"Hilfe"},
        {IDC_BUTTON2, L"Exit", L"Beenden"},
        {IDC_BUTTON8, L"?", L"?"},
    };
    for (bool german : {false, true}) {
        HWND window = Start(german ? L"german" : L"");
        EXPECT_EQ(L"Fitwright", WindowText(window));
        for (const auto& caption : captions)
            EXPECT_EQ(german ? caption.german : caption.english,
                      WindowText(Control(window, caption.id)));
        EXPECT_TRUE(run_.Exit());
    }
}

TEST_F(WindowTest, SetupWordsShowTheirMessagesAndHideTheExtras) {
    const struct {
        const wchar_t* arguments;
        const wchar_t* message;
        const wchar_t* label;
    } cases[] = {
        {L"ShowMessage",
         L"Please select your applications now and press the Install button\r\nto install the "
         L"plugin "
         L"into your applications.\r\n\r\nYou can also ignore Fitwright and click the Exit button "
         L"if "
         L"you\r\nalready entered your application's plugin folder during installation\r\nor if "
         L"want to "
         L"add the installation folder to your application's\r\nplugin folder list.\r\n\r\nYou can "
         L"also run Fitwright later from the Start menu.",
         L"Please select the application(s) you want to install the plugin to:"},
        {L"ShowMessage german",
         L"Wählen Sie bitte nun Ihre Anwendungen aus und drücken Sie die "
         L"Installieren-\r\nSchaltfläche, "
         L"um das Plugin in Ihre Andwendungen zu installieren.\r\n\r\nSie können Fitwright auch "
         L"ignorieren und die Beenden-Schaltfläche drücken,\r\nfalls Sie den Pluginordner Ihrer "
         L"Bildbearbeitungsanwendung bereits während der\r\nInstallation angegeben haben oder den "
         L"Installationspfad des Plugins in ihrer\r\nAnwendung eintragen möchten.\r\n\r\nSie "
         L"können "
         L"Fitwright auch noch später aus dem Startmenu aufrufen.",
         L"Wählen Sie die Anwendungen, in die Sie das Plugin installieren möchten:"},
        {L"UninstallMessage",
         L"If you used Fitwright during installation to copy the plugin to\r\nyour graphic "
         L"application's plugin folder, it is recommended to remove\r\nit again with Fitwright. "
         L"Otherwise it will stay in your application.\r\n\r\nTo do that please choose your "
         L"application and press the Uninstall button.\r\nThen press the Exit button to continue "
         L"uninstallation.",
         L"The following compatible applications were found:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        HWND window = Start(c.arguments);
        EXPECT_EQ(c.message, Answer(IDOK));
        EXPECT_EQ(c.label, WindowText(Control(window, IDC_LABEL1)));
        bool setup = std::wstring(c.arguments).find(L"ShowMessage") == 0;
        for (int id :
             {IDC_COMBOBOX1, IDC_BUTTON8, IDC_BUTTON7, IDC_BUTTON6, IDC_BUTTON4, IDC_BUTTON5})
            EXPECT_EQ(!setup, IsWindowVisible(Control(window, id)) != FALSE) << id;
        EXPECT_TRUE(run_.Exit());
    }
}

TEST_F(WindowTest, SetupModeEndsTheProgramAfterInstallingWithoutASummary) {
    HWND window = Start(L"ShowMessage");
    Answer(IDOK);
    ClickControl(window, IDC_BUTTON1);
    ASSERT_TRUE(run_.WaitForExit());
    EXPECT_EQ(0u, run_.ExitCode());
    EXPECT_TRUE(PathIsFile(hosts_ + L"ps6\\Greyloom32.8bf"));
    EXPECT_EQ(L"Greyloom32.8bf",
              RegRead(HKEY_CURRENT_USER, std::wstring(kProfiles) + L"Greyloom 2", L"PluginFiles0"));
}

TEST_F(WindowTest, InstallWithNothingCheckedAsksForAnItemAndCopiesNothing) {
    HWND window = Start(L"");
    ClickItem(window, 0, 5);  // the check box of the first item
    ClickControl(window, IDC_BUTTON1);
    EXPECT_EQ(L"Please select at least one item from the list!", Answer(IDOK));
    EXPECT_FALSE(PathIsFile(hosts_ + L"ps6\\Greyloom32.8bf"));
    ASSERT_TRUE(run_.Exit());
    ListRecord record = run_.List();
    ASSERT_EQ(2u, record.hosts.size());
    EXPECT_FALSE(record.hosts[0].checked);
}

TEST_F(WindowTest, InstallReportsAndUninstallAsksBeforeRemoving) {
    HWND window = Start(L"");
    std::wstring target = hosts_ + L"ps6\\Greyloom32.8bf";
    ClickControl(window, IDC_BUTTON1);
    EXPECT_EQ(L"The following plugins were installed:\r\n\r\n" + target +
                  L"\r\n\r\nPlease use the Run button to start your graphics application.",
              Answer(IDOK));
    EXPECT_TRUE(PathIsFile(target));
    ClickControl(window, IDC_BUTTON4);
    EXPECT_EQ(L"Do you really want to uninstall the following plugin(s):\r\n\r\nGreyloom32.8bf\r\n",
              Answer(IDNO));
    EXPECT_TRUE(PathIsFile(target));
    ClickControl(window, IDC_BUTTON4);
    Answer(IDYES);
    EXPECT_EQ(
        L"The following plugins and additional files were uninstalled:\r\n\r\n" + target + L"\r\n",
        Answer(IDOK));
    EXPECT_FALSE(PathIsFile(target));
    ClickControl(window, IDC_BUTTON4);
    Answer(IDYES);
    EXPECT_EQ(L"No plugins were found for uninstalling.", Answer(IDOK));
    EXPECT_TRUE(run_.Exit());
    EXPECT_EQ(0u, run_.ExitCode());
}

TEST_F(WindowTest, DeleteKeyRemovesAddedFoldersOnly) {
    WriteFileText(
        product_ + L"Fitwright.ini",
        "Greyloom 2\nQuill\n0\n2\nC:\\fwtest\\first\nC:\\fwtest\\second\n1\nGreyloom32.8bf\n");
    HWND window = Start(L"");
    HWND list = Control(window, IDC_CHECKLISTBOX1);
    SelectItem(window, 0);
    PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(L"Do you want to delete C:\\fwtest\\second\\ ?", Answer(IDNO));
    PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(L"Do you want to delete C:\\fwtest\\second\\ ?", Answer(IDYES));
    SelectItem(window, 1);  // Photoshop, a found host
    PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(
        L"Sorry, but you can only delete added folders.\r\nIf there is only one added folder, "
        L"you also\r\ncannot delete it.",
        Answer(IDOK));
    ASSERT_TRUE(run_.Exit());
    ListRecord record = run_.List();
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\fwtest\\first\\"}, record.added);
    ASSERT_EQ(3u, record.hosts.size());
    EXPECT_EQ(L"Adobe Photoshop CS6", record.hosts[1].text);
    EXPECT_EQ(L"", RegRead(HKEY_CURRENT_USER, std::wstring(kProfiles) + L"Greyloom 2",
                           L"AdditionalFolders1"));
}

TEST_F(WindowTest, RunAsksAndStartsTheHostProgram) {
    std::wstring marker = hosts_ + L"dip\\host.exe.ran";
    HWND window = Start(L"german");
    SelectItem(window, 1);
    ASSERT_TRUE(IsWindowEnabled(Control(window, IDC_BUTTON7)));
    ClickControl(window, IDC_BUTTON7);
    EXPECT_EQ(L"Möchten Sie Microsoft Digital Image Pro 10 starten?", Answer(IDNO));
    EXPECT_TRUE(run_.Exit());
    window = Start(L"");
    SelectItem(window, 1);
    ClickControl(window, IDC_BUTTON7);
    EXPECT_EQ(L"Do you want to run Microsoft Digital Image Pro 10 ?", Answer(IDYES));
    EXPECT_TRUE(WaitUntil([&] { return PathIsFile(marker); }));
    EXPECT_TRUE(run_.Exit());
}

TEST_F(WindowTest, PathLabelFollowsTheSelectionAndTheSubFolder) {
    HWND window = Start(L"");
    HWND label = Control(window, IDC_LABEL2);
    EXPECT_EQ(hosts_ + L"ps6\\", WindowText(label));
    ClickControl(window, IDC_CHECKBOX1);
    HWND prompt = WaitForMessageBox(run_.ProcessId());
    ASSERT_TRUE(prompt);
    EXPECT_EQ(L"Sub Folder", WindowText(prompt));
    EXPECT_EQ(L"Please enter the name of the sub folder:",
              WindowText(GetDlgItem(prompt, IDC_PROMPT_TEXT)));
    SendTo(GetDlgItem(prompt, IDC_PROMPT_VALUE), WM_SETTEXT, 0,
           reinterpret_cast<LPARAM>(L"Quillmoor"));
    PressButton(prompt, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(label) == hosts_ + L"ps6\\Quillmoor\\"; }));
    SelectItem(window, 1);
    EXPECT_EQ(hosts_ + L"dip\\Quillmoor\\", WindowText(label));
    // No selection: the label goes back to its hint and Run, Explore and the path do nothing.
    SelectItem(window, -1);
    EXPECT_EQ(L"The plugin path  is displayed here...", WindowText(label));
    EXPECT_FALSE(IsWindowEnabled(Control(window, IDC_BUTTON7)));
    SendTo(window, WM_COMMAND, MAKEWPARAM(IDC_BUTTON6, BN_CLICKED), 0);
    SendTo(window, WM_COMMAND, MAKEWPARAM(IDC_BUTTON7, BN_CLICKED), 0);
    EXPECT_FALSE(WaitForMessageBox(run_.ProcessId(), 200));
    // Cancel in the prompt unchecks the box again.
    ClickControl(window, IDC_CHECKBOX1);  // unchecks without asking
    ClickControl(window, IDC_CHECKBOX1);
    prompt = WaitForMessageBox(run_.ProcessId());
    ASSERT_TRUE(prompt);
    PressButton(prompt, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }));
    EXPECT_EQ(BST_UNCHECKED, SendTo(Control(window, IDC_CHECKBOX1), BM_GETCHECK));
    ASSERT_TRUE(run_.Exit());
    EXPECT_EQ(L"Quillmoor", run_.List().subFolder);
    EXPECT_EQ(0u, run_.ExitCode());
}

std::wstring InfoText(DWORD processId, HWND window, int button, std::wstring* caption,
                      bool* deleteShown) {
    ClickControl(window, button);
    HWND info = WaitForWindow(processId, FITWRIGHT_INFO_CLASS);
    if (!info) return L"(no dialog)";
    *caption = WindowText(info);
    *deleteShown = IsWindowVisible(GetDlgItem(info, IDC_INFO_BUTTON2)) != FALSE;
    std::wstring text = WindowText(GetDlgItem(info, IDC_INFO_MEMO1));
    ClickControl(info, IDC_INFO_BUTTON1);
    WaitUntil([&] { return !IsWindow(info); });
    return text;
}

TEST_F(WindowTest, HelpAndProductInformationTexts) {
    const std::wstring dashes(34, L'-');
    const std::wstring help[] = {
        L"Fitwright 1.9\r\n" + dashes +
            L"\r\n\r\n"
            L"To install the plugin(s) into a certain application, please activate the application "
            L"in "
            L"the list below and press the Install button. To uninstall the plugins again, please "
            L"use "
            L"the Uninstall button.\r\n\r\n"
            L"If you have a special plugin folder, you can use the Add Folder button to add it to "
            L"the "
            L"list. Press the Del key to remove it again. If you want to install into a sub folder "
            L"(or "
            L"uninstall from it), please activate the Sub Folder check box and enter its "
            L"name.\r\n\r\n",
        L"Fitwright 1.9\r\n" + dashes +
            L"\r\n\r\n"
            L"Um die Plugins in einer bestimmte Anwendung zu installieren, aktivieren Sie bitte "
            L"die "
            L"Anwendung in der Liste und drücken Sie die Installieren- Schaltfläche. Zum Entfernen "
            L"der "
            L"Plugins, benutzen Sie bitte die Entfernen-Schaltfläche.\r\n\r\n"
            L"Falls Sie einen speziellen Plugin-Ordner verwenden, können Sie die Schaltfläche "
            L"\"Neuer "
            L"Ordner\" benutzen, um ihn zur Liste hinzu zu fügen. Drücken Sie die Entf-Taste, um "
            L"ihn "
            L"wieder zu entfernen. Falls Sie die Plugins in einen Unterordner installieren (oder "
            L"von "
            L"dort wieder entfernen) wollen, aktivieren Sie bitten das Unterordner-Kästchen und "
            L"geben "
            L"sie dessen Namen ein.\r\n\r\n",
    };
    const std::wstring product[] = {
        L"Greyloom 2\r\n=================\r\n\r\nThe source folder is:\r\n" + dashes + L"\r\n" +
            product_ + L"\r\n\r\nThe following files will be installed:\r\n" + dashes +
            L"\r\nGreyloom32.8bf\r\n\r\nThe following files will be uninstalled:\r\n" + dashes +
            L"\r\nGreyloom32.8bf\r\nreadme.txt\r\n",
        L"Greyloom 2\r\n=================\r\n\r\nDas Quellverzeichnis ist:\r\n" + dashes + L"\r\n" +
            product_ + L"\r\n\r\nFolgenden Dateien werden installiert:\r\n" + dashes +
            L"\r\nGreyloom32.8bf\r\n\r\nFolgenden Dateien werden entfernt:\r\n" + dashes +
            L"\r\nGreyloom32.8bf\r\nreadme.txt\r\n",
    };
    for (int german = 0; german < 2; german++) {
        HWND window = Start(german ? L"german" : L"");
        std::wstring caption;
        bool deleteShown = true;
        EXPECT_EQ(help[german],
                  InfoText(run_.ProcessId(), window, IDC_BUTTON5, &caption, &deleteShown));
        EXPECT_EQ(german ? L"Hilfe" : L"Help", caption);
        EXPECT_FALSE(deleteShown);
        EXPECT_EQ(product[german],
                  InfoText(run_.ProcessId(), window, IDC_BUTTON8, &caption, &deleteShown));
        EXPECT_EQ(german ? L"Produkt Information" : L"Product Information", caption);
        EXPECT_TRUE(deleteShown);
        EXPECT_TRUE(run_.Exit());
    }
}

TEST_F(WindowTest, DeletingAStoredProductKeepsTheLastOne) {
    DeleteFileW((product_ + L"Fitwright.ini").c_str());
    registry_.SetString(HKEY_CURRENT_USER, std::wstring(kProfiles) + L"Alpha", L"PluginFiles0",
                        L"a.8bf");
    registry_.SetString(HKEY_CURRENT_USER, std::wstring(kProfiles) + L"Beta", L"PluginFiles0",
                        L"b.8bf");
    HWND window = Start(L"Product Beta");
    ClickControl(window, IDC_BUTTON8);
    HWND info = WaitForWindow(run_.ProcessId(), FITWRIGHT_INFO_CLASS);
    ASSERT_TRUE(info);
    ClickControl(info, IDC_INFO_BUTTON2);
    EXPECT_EQ(L"Do you relly want to remove this product?", Answer(IDYES));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(info); }));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kProfiles) + L"Beta"));
    ClickControl(window, IDC_BUTTON8);
    info = WaitForWindow(run_.ProcessId(), FITWRIGHT_INFO_CLASS);
    ASSERT_TRUE(info);
    ClickControl(info, IDC_INFO_BUTTON2);
    EXPECT_EQ(L"It is not possible to remove the last product!", Answer(IDOK));
    ClickControl(info, IDC_INFO_BUTTON1);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(info); }));
    ASSERT_TRUE(run_.Exit());
    ListRecord record = run_.List();
    EXPECT_EQ(L"Alpha", record.product);
    EXPECT_EQ(std::vector<std::wstring>{L"Alpha"}, record.items);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kProfiles) + L"Alpha"));
}

}  // namespace
