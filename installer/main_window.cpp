// The main window of Fitwright: its controls, the three walks over the command words, the
// start-up sequence, the button handlers, the list events and the one-shot timers.
#include "installer/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "installer/check_list.h"
#include "installer/control_ids.h"
#include "installer/file_access.h"
#include "installer/file_names.h"
#include "installer/folder_prompts.h"
#include "installer/host_discovery.h"
#include "installer/info_dialog.h"
#include "installer/install_files.h"
#include "installer/installer_state.h"
#include "installer/list_file.h"
#include "installer/message_box.h"
#include "installer/product_profile.h"
#include "installer/wow64_view.h"

namespace {

const int kClientWidth = 409;
const int kClientHeight = 425;
const UINT kTimerDelayMs = 100;
const UINT_PTR kTimerShowMessage = 1;
const UINT_PTR kTimerUninstallMessage = 2;
const UINT_PTR kTimerDoUninstall = 3;
const UINT kBrowseFlags = 65;  // file-system folders only, new dialog style
const wchar_t* const kPathLabelDefault = L"The plugin path  is displayed here...";

// Written by the functions of this file only.
struct MainWindow {
    HWND window;
    HFONT font;
    HFONT boldFont;
    std::vector<std::wstring> arguments;
    CommandWords words;
    std::vector<std::wstring> shownHostTexts;  // texts in the list box; set by SyncHostList
    int32_t shownSelected;                     // selection last given to the list box
};
MainWindow gMain;

struct ControlSpec {
    int id;
    const wchar_t* type;
    DWORD style;
    int left, top, width, height;
    const wchar_t* english;
    const wchar_t* german;  // null: the same in German
};

// In tab order; the labels last.
const ControlSpec kControls[] = {
    {IDC_BUTTON1, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 320, 72, 73, 25, L"&Install",
     L"Installieren"},
    {IDC_BUTTON7, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 320, 104, 73, 25, L"Run...",
     L"Starten..."},
    {IDC_BUTTON3, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 320, 168, 73, 25, L"Add Folder...",
     L"Neuer Ordner"},
    {IDC_CHECKBOX1, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 320, 200, 81, 17, L"Sub Folder",
     L"Unterordner"},
    {IDC_BUTTON6, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 320, 248, 73, 25, L"Explore...",
     L"Explorer..."},
    {IDC_BUTTON4, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 320, 280, 73, 25, L"Uninstall...",
     L"Entfernen..."},
    {IDC_BUTTON5, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 320, 344, 73, 25, L"Help", L"Hilfe"},
    {IDC_BUTTON2, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 320, 376, 73, 25, L"Exit", L"Beenden"},
    {IDC_COMBOBOX1, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 56, 8, 297, 200, L"",
     nullptr},
    // A frame used as a separator line.
    {IDC_GROUPBOX1, L"STATIC", SS_ETCHEDHORZ, 8, 32, 393, 7, L"", nullptr},
    {IDC_BUTTON8, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 368, 8, 25, 21, L"?", nullptr},
    {IDC_LABEL3, L"STATIC", SS_LEFT | SS_NOPREFIX, 8, 12, 46, 13, L"Product:", L"Produkt:"},
    {IDC_LABEL4, L"STATIC", SS_LEFT | SS_NOPREFIX, 56, 12, 297, 13, L"Label4", nullptr},
    {IDC_LABEL1, L"STATIC", SS_LEFT | SS_NOPREFIX, 7, 52, 394, 13,
     L"The following compatible applications were found:",
     L"Folgende Anwendungen wurden auf Ihrem Computer gefunden:"},
    {IDC_LABEL2, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 8, 406, 393, 13, kPathLabelDefault,
     nullptr},
};

HWND Item(int id) {
    return GetDlgItem(gMain.window, id);
}

void SetText(int id, const std::wstring& text) {
    SetWindowTextW(Item(id), text.c_str());
}

// ---- pure helpers ----

std::wstring LastPathComponent(const std::wstring& folder) {
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? folder : folder.substr(slash + 1);
}

bool NameAsksForSixtyFourBit(const std::wstring& name) {
    return name.find(L"64bit") != std::wstring::npos || name.find(L"64-bit") != std::wstring::npos;
}

// ---- view hooks ----

// Brings the list box in line with gHosts. The selection is set only when the model's
// changed since the last sync: a click in progress must not be undone.
void SyncHostList() {
    HWND list = Item(IDC_CHECKLISTBOX1);
    std::vector<std::wstring> texts;
    for (const HostEntry& entry : gHosts.entries) texts.push_back(entry.text);
    bool rebuilt = texts != gMain.shownHostTexts;
    if (rebuilt) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const std::wstring& text : texts)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        gMain.shownHostTexts = texts;
    }
    if (rebuilt || gMain.shownSelected != gHosts.selected) {
        SendMessageW(list, LB_SETCURSEL, gHosts.selected, 0);
        gMain.shownSelected = gHosts.selected;
    }
    InvalidateRect(list, nullptr, TRUE);
}

// Discovery adds rows one by one before the window shows: those wait for ShowMainWindow.
void HostsChanged() {
    if (gMain.window && IsWindowVisible(gMain.window)) SyncHostList();
}

void ProductsChanged() {
    HWND combo = Item(IDC_COMBOBOX1);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : gProduct.products)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(combo, CB_SETCURSEL, gProduct.selectedProduct, 0);
}

void SetCaption(const wchar_t* caption) {
    SetWindowTextW(gMain.window, caption);
}

void SetProductLabel(const std::wstring& text) {
    SetText(IDC_LABEL4, text);
}

void ShowMainWindow() {
    SyncHostList();
    if (!IsWindowVisible(gMain.window)) ShowWindow(gMain.window, SW_SHOWNORMAL);
    UpdateWindow(gMain.window);
}

void ExitProgram() {
    SetSixtyFourBitMode(false);
    PostMessageW(gMain.window, WM_CLOSE, 0, 0);
}

// ---- handlers ----

void ShowHostPath(int32_t index) {
    if (!HostListsValidIndex(index)) {
        SetText(IDC_LABEL2, kPathLabelDefault);
        EnableWindow(Item(IDC_BUTTON7), FALSE);
        return;
    }
    const HostEntry& entry = gHosts.entries[index];
    SetText(IDC_LABEL2,
            SubFolderInUse() ? entry.foundPath + gProduct.subFolderName + L"\\" : entry.foundPath);
    // "NoRun" holds for the whole run, not until the next click.
    EnableWindow(Item(IDC_BUTTON7), !entry.exePath.empty() && !gMain.words.noRun);
}

void UncheckSubFolderBox() {
    ProductSetSubFolderBoxQuietly(false);
    CheckDlgButton(gMain.window, IDC_CHECKBOX1, BST_UNCHECKED);
}

// CheckBox1Click: also run when the box is set by the program.
void SubFolderBoxClicked() {
    bool german = gModes.germanMode;
    std::wstring oldName = gProduct.subFolderName;
    if (IsWindowVisible(gMain.window) && gProduct.subFolderChecked) {
        std::wstring name = oldName;
        if (!SubFolderPrompt(gMain.window, german ? L"Unterordner" : L"Sub Folder",
                             german ? L"Bitte geben Sie den Namen des Unterordners ein:"
                                    : L"Please enter the name of the sub folder:",
                             &name)) {
            UncheckSubFolderBox();
        } else if (!name.empty() && !RelativeNameIsSafe(name)) {
            UncheckSubFolderBox();
            ShowBox(BOX_ERROR, L"\"" + name + L"\" is not a valid sub folder name.");
        } else {
            ProductSetSubFolderName(name);
        }
    }
    if (gProduct.subFolderName.empty()) {
        UncheckSubFolderBox();
        ProductSetSubFolderName(oldName);
    }
    if (HostListsValidIndex(gHosts.selected)) ShowHostPath(gHosts.selected);
}

void SubFolderBoxSet(bool checked) {
    CheckDlgButton(gMain.window, IDC_CHECKBOX1, checked ? BST_CHECKED : BST_UNCHECKED);
    SubFolderBoxClicked();
}

void SelectFirstHost() {
    HostListsSetChecked(0, true);
    HostListsSelect(0);
    ShowHostPath(0);
}

void AddFolderClicked() {
    std::wstring folder = BrowseForFolder(
        gMain.window, gModes.germanMode ? L"Wählen Sie einen Ordner:" : L"Choose a Folder:",
        kBrowseFlags);
    if (folder.empty()) return;
    ProductAddFolder(folder);
    SelectFirstHost();
}

void DeleteKeyPressed() {
    int32_t selected = gHosts.selected;
    bool deletable = selected >= 0 &&
                     selected < static_cast<int32_t>(gProduct.addedFolders.size()) &&
                     gHosts.entries.size() > 1;
    if (!deletable) {
        ShowBox(BOX_PLAIN, gModes.germanMode
                               ? L"Sorry, Sie können nur hinzugefügte Ordner löschen.\r\nFalls es "
                                 L"nur einen hinzugefügten Ordner gibt, können\r\nSie diesen "
                                 L"nicht löschen."
                               : L"Sorry, but you can only delete added folders.\r\nIf there is "
                                 L"only one added folder, you also\r\ncannot delete it.");
        return;
    }
    std::wstring question = L"Do you want to delete " + gHosts.entries[selected].text + L" ?";
    if (ShowBox(BOX_CONFIRM, question) != IDYES) return;
    ProductRemoveAddedFolder(selected);
    HostListsSelect(0);
    ShowHostPath(0);
}

void OpenWithShell(const std::wstring& path) {
    HINSTANCE result =
        ShellExecuteW(gMain.window, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        RaiseError(FormatText(L"Cannot open %ls", path.c_str()));
}

void ExploreClicked() {
    int32_t selected = gHosts.selected;
    if (!HostListsValidIndex(selected)) return;
    const std::wstring& folder = gHosts.entries[selected].foundPath;
    std::wstring sub = folder + gProduct.subFolderName;
    if (SubFolderInUse() && DirectoryExists(sub))
        OpenWithShell(sub);
    else
        OpenWithShell(folder);
}

void RunClicked() {
    int32_t selected = gHosts.selected;
    if (!HostListsValidIndex(selected) || gHosts.entries[selected].exePath.empty()) return;
    const HostEntry& entry = gHosts.entries[selected];
    std::wstring question = gModes.germanMode ? L"Möchten Sie " + entry.text + L" starten?"
                                              : L"Do you want to run " + entry.text + L" ?";
    if (ShowBox(BOX_CONFIRM, question) != IDYES) return;
    OpenWithShell(entry.exePath);
}

void ListSelectionChanged() {
    HostListsSelect(
        static_cast<int32_t>(SendMessageW(Item(IDC_CHECKLISTBOX1), LB_GETCURSEL, 0, 0)));
    ShowHostPath(gHosts.selected);
}

void ListDoubleClicked() {
    int32_t selected = gHosts.selected;
    if (HostListsValidIndex(selected))
        HostListsSetChecked(selected, !gHosts.entries[selected].checked);
}

void ComboChanged() {
    ProductSelect(static_cast<int32_t>(SendMessageW(Item(IDC_COMBOBOX1), CB_GETCURSEL, 0, 0)));
}

void ShowMessageTimer() {
    if (!gModes.silentMode) {
        ShowBox(BOX_INFORMATION,
                gModes.germanMode
                    ? L"Wählen Sie bitte nun Ihre Anwendungen aus und drücken Sie die "
                      L"Installieren-\r\nSchaltfläche, um das Plugin in Ihre Andwendungen zu "
                      L"installieren.\r\n\r\nSie können Fitwright auch ignorieren und die "
                      L"Beenden-Schaltfläche drücken,\r\nfalls Sie den Pluginordner Ihrer "
                      L"Bildbearbeitungsanwendung bereits während der\r\nInstallation angegeben "
                      L"haben oder den Installationspfad des Plugins in ihrer\r\nAnwendung "
                      L"eintragen möchten.\r\n\r\nSie können Fitwright auch noch später aus dem "
                      L"Startmenu aufrufen."
                    : L"Please select your applications now and press the Install "
                      L"button\r\nto install the plugin into your applications.\r\n\r\nYou can "
                      L"also ignore Fitwright and click the Exit button if you\r\nalready "
                      L"entered your application's plugin folder during installation\r\nor if "
                      L"want to add the installation folder to your application's\r\nplugin "
                      L"folder list.\r\n\r\nYou can also run Fitwright later from the Start "
                      L"menu.");
        return;
    }
    HostListsCheckAll();
    InstallRun();
    ExitProgram();
}

void UninstallMessageTimer() {
    if (gModes.silentMode) return;
    ShowBox(BOX_INFORMATION,
            gModes.germanMode
                ? L"Falls Sie Fitwright während der Installation benutzt haben, um das "
                  L"Plugin\r\nin den Plugin-Ordner Ihrer Grafikanwendung zu kopieren, wird "
                  L"empfohlen, es wieder mit\r\nFitwright zu entfernen. Anderenfalls verbleibt "
                  L"das Plugin in der Anwendung.\r\n\r\nUmn dies zu tun, wählen Sie bitte Ihre "
                  L"Anwendung und drücken die Entfernen-Schaltfläche.\r\nDann verlassen Sie "
                  L"bitte Fitwright mit der Beenden-Schaltfläche."
                : L"If you used Fitwright during installation to copy the plugin to\r\nyour "
                  L"graphic application's plugin folder, it is recommended to remove\r\nit "
                  L"again with Fitwright. Otherwise it will stay in your application.\r\n\r\nTo "
                  L"do that please choose your application and press the Uninstall "
                  L"button.\r\nThen press the Exit button to continue uninstallation.");
}

void DoUninstallTimer() {
    HostListsCheckAll();
    UninstallRun();
    // A folder refused on the way was not cleaned: the profile stays for another attempt.
    if (gRun.exitCode == 0) ProductDeleteProfile(gProduct.productName);
    HostListsReset();
    gView.hostsChanged();
    ExitProgram();
}

void TimerFired(UINT_PTR timer) {
    KillTimer(gMain.window, timer);
    if (timer == kTimerShowMessage) RunGuarded(ShowMessageTimer);
    if (timer == kTimerUninstallMessage) RunGuarded(UninstallMessageTimer);
    if (timer == kTimerDoUninstall) RunGuarded(DoUninstallTimer);
}

// ---- start-up ----

void ApplyGermanCaptions() {
    for (const ControlSpec& spec : kControls)
        if (spec.german) SetText(spec.id, spec.german);
}

void HideShowMessageControls() {
    for (int id : {IDC_COMBOBOX1, IDC_BUTTON8, IDC_BUTTON7, IDC_BUTTON6, IDC_BUTTON4, IDC_BUTTON5})
        ShowWindow(Item(id), SW_HIDE);
    ShowWindow(Item(IDC_LABEL4), SW_SHOW);
    SetText(IDC_LABEL1,
            gModes.germanMode
                ? L"Wählen Sie die Anwendungen, in die Sie das Plugin installieren möchten:"
                : L"Please select the application(s) you want to install the plugin to:");
}

void FirstWalk() {
    for (const std::wstring& word : gMain.arguments) {
        if (word == L"german") {
            gModes.germanMode = true;
            ApplyGermanCaptions();
        }
        if (word == L"dualWin") {
            gModes.dualMode = true;
        } else if (word == L"64bit") {
            ModesSetSixtyFourBit(SetSixtyFourBitMode(true));
        }
        if (word == L"Panel") {
            gModes.panelMode = true;
        } else if (word == L"PSEOnly") {
            gModes.pseOnlyMode = true;
        } else if (word == L"PSPSE") {
            gModes.pspseMode = true;
        }
    }
}

// A product meant for 64-bit hosts only needs the 64-bit mode.
void CheckSixtyFourBitProduct() {
    std::wstring firstLine;
    if (gModes.dualMode || !ProductIniFirstLine(&firstLine)) return;
    ProductSetName(firstLine);
    if (!NameAsksForSixtyFourBit(firstLine) || gModes.sixtyFourBitMode) return;
    bool on = SetSixtyFourBitMode(true);
    ModesSetSixtyFourBit(on);
    if (on) return;
    std::wstring quoted = L"\"" + firstLine + L"\"";
    ShowErrorBox(gModes.germanMode
                     ? quoted +
                           L" kann nicht auf einem 32-bit Betriebssystem installiert und "
                           L"benutzt werden.\r\nBitte installieren Sie es auf einem 64-bit "
                           L"Betriebssystem."
                     : quoted +
                           L" cannot be installed and used on a 32-bit operating "
                           L"system.\r\nPlease install it on a 64-bit operating system.");
    ExitProgram();
}

void SecondWalk() {
    const std::vector<std::wstring>& args = gMain.arguments;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == L"Product") ProductSetName(i + 1 < args.size() ? args[i + 1] : L"");
        if (args[i] == L"ShowMessage") {
            gModes.showMessageMode = true;
            HideShowMessageControls();
        }
    }
}

void ThirdWalk() {
    for (const std::wstring& word : gMain.arguments) {
        if (word == L"NoUninstall") EnableWindow(Item(IDC_BUTTON4), FALSE);
        if (word == L"NoRun") EnableWindow(Item(IDC_BUTTON7), FALSE);
        if (word == L"NoExplore") EnableWindow(Item(IDC_BUTTON6), FALSE);
        if (word == L"NoInstall") EnableWindow(Item(IDC_BUTTON1), FALSE);
        if (word == L"SubFolder") ProductSetSubFolderBox(true);
        if (word == L"ShowMessage")
            SetTimer(gMain.window, kTimerShowMessage, kTimerDelayMs, nullptr);
        if (word == L"UninstallMessage")
            SetTimer(gMain.window, kTimerUninstallMessage, kTimerDelayMs, nullptr);
        if (word == L"DoUninstall") {
            gModes.doUninstallMode = true;
            SetTimer(gMain.window, kTimerDoUninstall, kTimerDelayMs, nullptr);
        }
        if (word == L"StayOnTop")
            SetWindowPos(gMain.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        if (word == L"NoProduct") {
            ShowWindow(Item(IDC_COMBOBOX1), SW_HIDE);
            ShowWindow(Item(IDC_LABEL4), SW_SHOW);
        }
        if (word == L"Silent") gModes.silentMode = true;
    }
}

void StartUp() {
    FirstWalk();
    CheckSixtyFourBitProduct();
    BuildHostList();
    ProductSetSubFolderName(LastPathComponent(CurrentFolder()));
    SecondWalk();
    LoadProducts();
    if (!gHosts.entries.empty()) SelectFirstHost();
    ThirdWalk();
    if (gModes.panelMode || gModes.pseOnlyMode || gModes.pspseMode)
        ShowWindow(Item(IDC_CHECKBOX1), SW_HIDE);
}

void Destroyed() {
    RunGuarded(SaveProductSettings);
    wchar_t caption[256] = L"";
    GetWindowTextW(gMain.window, caption, 256);
    ListFileWrite(caption);
    PostQuitMessage(gRun.exitCode);
}

// ---- Win32 glue ----

LRESULT Command(int id, int code) {
    switch (id) {
        case IDC_BUTTON1:
            RunGuarded(InstallRun);
            break;
        case IDC_BUTTON2:
        case IDCANCEL:
            ExitProgram();
            break;
        case IDC_BUTTON3:
            RunGuarded(AddFolderClicked);
            break;
        case IDC_BUTTON4:
            RunGuarded(UninstallRun);
            break;
        case IDC_BUTTON5:
            InfoDialogShow(gMain.window, INFO_HELP);
            break;
        case IDC_BUTTON6:
            RunGuarded(ExploreClicked);
            break;
        case IDC_BUTTON7:
            RunGuarded(RunClicked);
            break;
        case IDC_BUTTON8:
            InfoDialogShow(gMain.window, INFO_PRODUCT);
            break;
        case IDC_CHECKBOX1:
            if (code == BN_CLICKED) {
                bool checked = IsDlgButtonChecked(gMain.window, IDC_CHECKBOX1) == BST_CHECKED;
                RunGuarded([checked] { ProductSetSubFolderBox(checked); });
            }
            break;
        case IDC_CHECKLISTBOX1:
            if (code == LBN_SELCHANGE) RunGuarded(ListSelectionChanged);
            if (code == LBN_DBLCLK) RunGuarded(ListDoubleClicked);
            break;
        case IDC_COMBOBOX1:
            if (code == CBN_SELCHANGE) RunGuarded(ComboChanged);
            break;
    }
    return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return Command(LOWORD(wParam), HIWORD(wParam));
        case WM_DRAWITEM:
            if (wParam == IDC_CHECKLISTBOX1)
                CheckListDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_TIMER:
            TimerFired(wParam);
            return 0;
        case WM_APP_DELETE_KEY:
            RunGuarded(DeleteKeyPressed);
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            Destroyed();
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HFONT MakeFont(int weight) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
}

void CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    CheckListCreate(gMain.window, IDC_CHECKLISTBOX1, 8, 72, 297, 329, gMain.font);
    for (const ControlSpec& spec : kControls) {
        HWND control = CreateWindowExW(
            0, spec.type, spec.english, WS_CHILD | WS_VISIBLE | spec.style, spec.left, spec.top,
            spec.width, spec.height, gMain.window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
        HFONT font = spec.id == IDC_BUTTON1 ? gMain.boldFont : gMain.font;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // Label4 lies under ComboBox1: it is seen only while the combo box is hidden.
    ShowWindow(Item(IDC_LABEL4), SW_HIDE);
    EnableWindow(Item(IDC_BUTTON7), FALSE);
    CheckListForwardDeleteKey(Item(IDC_BUTTON3));
}

bool CreateMainWindow() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = FITWRIGHT_MAIN_CLASS;
    RegisterClassExW(&windowClass);
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    gMain.window = CreateWindowExW(exStyle, FITWRIGHT_MAIN_CLASS, L"Fitwright", style, left, top,
                                   width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
    return gMain.window != nullptr;
}

void InstallViewHooks() {
    gView.hostsChanged = HostsChanged;
    gView.productsChanged = ProductsChanged;
    gView.setCaption = SetCaption;
    gView.setProductLabel = SetProductLabel;
    gView.subFolderBoxSet = SubFolderBoxSet;
    gView.showMainWindow = ShowMainWindow;
    gView.endProgram = ExitProgram;
}

}  // namespace

CommandWords CommandWordsScan(const std::vector<std::wstring>& arguments) {
    CommandWords words{};
    struct Flag {
        const wchar_t* word;
        bool CommandWords::*flag;
    };
    static const Flag kFlags[] = {
        {L"german", &CommandWords::german},
        {L"dualWin", &CommandWords::dualWin},
        {L"64bit", &CommandWords::sixtyFourBit},
        {L"Panel", &CommandWords::panel},
        {L"PSEOnly", &CommandWords::pseOnly},
        {L"PSPSE", &CommandWords::pspse},
        {L"ShowMessage", &CommandWords::showMessage},
        {L"NoUninstall", &CommandWords::noUninstall},
        {L"NoRun", &CommandWords::noRun},
        {L"NoExplore", &CommandWords::noExplore},
        {L"NoInstall", &CommandWords::noInstall},
        {L"SubFolder", &CommandWords::subFolder},
        {L"UninstallMessage", &CommandWords::uninstallMessage},
        {L"DoUninstall", &CommandWords::doUninstall},
        {L"StayOnTop", &CommandWords::stayOnTop},
        {L"NoProduct", &CommandWords::noProduct},
        {L"Silent", &CommandWords::silent},
        {L"Product", &CommandWords::product},
    };
    for (size_t i = 0; i < arguments.size(); i++) {
        for (const Flag& flag : kFlags)
            if (arguments[i] == flag.word) words.*flag.flag = true;
        if (arguments[i] == L"Product")
            words.productName = i + 1 < arguments.size() ? arguments[i + 1] : L"";
    }
    return words;
}

int MainWindowRun(const std::vector<std::wstring>& arguments, int showCommand) {
    ModesReset();
    RunOutcomeReset();
    ProductReset();
    HostListsReset();
    gMain = MainWindow{};
    gMain.shownSelected = -1;
    gMain.arguments = arguments;
    gMain.words = CommandWordsScan(arguments);
    // No box may wait for a person in an unattended run, not even during start-up.
    MessageBoxSetUnattended(gMain.words.silent);
    gMain.font = MakeFont(FW_NORMAL);
    gMain.boldFont = MakeFont(FW_BOLD);
    if (!CreateMainWindow()) {
        // Without a display no box can say why, and a setup program only sees the exit code.
        WriteStandardError(
            FormatText(L"cannot open its window (%ls). Fitwright needs a "
                       L"desktop to run on, also with \"Silent\".",
                       SystemErrorText(GetLastError()).c_str()));
        return 1;
    }
    CreateControls();
    InstallViewHooks();
    MessageBoxSetOwner(gMain.window);
    RunGuarded(StartUp);
    wchar_t caption[256] = L"";
    GetWindowTextW(gMain.window, caption, 256);
    ListFileWrite(caption);
    ShowMainWindow();
    (void)showCommand;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(gMain.window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(gMain.font);
    DeleteObject(gMain.boldFont);
    return gRun.exitCode;
}
