// The help and product information dialog.
#include "installer/info_dialog.h"

#include <vector>

#include "installer/control_ids.h"
#include "installer/installer_state.h"
#include "installer/message_box.h"
#include "installer/product_profile.h"

namespace {

const int kClientWidth = 385;
const int kClientHeight = 304;

struct InfoDialog {
    HWND window;
    InfoKind kind;
    bool closed;  // set by the close paths, ends the modal loop
    HFONT font;
};
InfoDialog gInfo;

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    return text;
}

void AppendAll(std::vector<std::wstring>* lines, const std::vector<std::wstring>& items) {
    lines->insert(lines->end(), items.begin(), items.end());
}

void CloseInfo() {
    gInfo.closed = true;
    DestroyWindow(gInfo.window);
}

void DeleteProductClicked() {
    bool german = gModes.germanMode;
    if (gProduct.products.size() == 1) {
        ShowBox(BOX_ERROR, german ? L"Es ist nicht möglich das letzte Produkt zu entfernen!"
                                  : L"It is not possible to remove the last product!");
        return;
    }
    if (ShowBox(BOX_CONFIRM, german ? L"Wollen Sie wirklich dieses Produkt entfernen?"
                                    : L"Do you relly want to remove this product?") != IDYES)
        return;
    ProductDeleteProfile(gProduct.productName);
    ProductRemoveItem(gProduct.selectedProduct);
    ProductSelect(0);
    CloseInfo();
}

HWND AddControl(HWND parent, const wchar_t* type, const wchar_t* text, DWORD style, int id,
                int left, int top, int width, int height) {
    HWND control = CreateWindowExW(
        0, type, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(gInfo.font), FALSE);
    return control;
}

void FillInfo(HWND window) {
    bool product = gInfo.kind == INFO_PRODUCT;
    bool german = gModes.germanMode;
    const wchar_t* caption = product ? (german ? L"Produkt Information" : L"Product Information")
                                     : (german ? L"Hilfe" : L"Help");
    SetWindowTextW(window, caption);
    ShowWindow(GetDlgItem(window, IDC_INFO_BUTTON2),
               product && !gModes.showMessageMode ? SW_SHOW : SW_HIDE);
    std::wstring text = product ? InfoProductText() : InfoHelpText();
    SetDlgItemTextW(window, IDC_INFO_MEMO1, text.c_str());
}

void CreateInfoControls(HWND window) {
    AddControl(window, L"EDIT", L"",
               ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
               IDC_INFO_MEMO1, 8, 8, 369, 257);
    AddControl(window, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDC_INFO_BUTTON1, 160, 272,
               65, 25);
    AddControl(window, L"BUTTON", L"Delete", BS_PUSHBUTTON | WS_TABSTOP, IDC_INFO_BUTTON2, 8, 272,
               41, 20);
}

void PlaceOver(HWND window, HWND mainWindow) {
    RECT main;
    RECT box;
    GetWindowRect(mainWindow, &main);
    GetWindowRect(window, &box);
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    int left = main.left + ((main.right - main.left) - width) / 2;
    int top = main.top + ((main.bottom - main.top) - height) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK InfoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_INFO_BUTTON1 || LOWORD(wParam) == IDCANCEL) {
                CloseInfo();
                return 0;
            }
            if (LOWORD(wParam) == IDC_INFO_BUTTON2) {
                RunGuarded(DeleteProductClicked);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_CLOSE:
            CloseInfo();
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterInfoClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = InfoWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = FITWRIGHT_INFO_CLASS;
    RegisterClassExW(&windowClass);
    registered = true;
}

}  // namespace

std::wstring InfoHelpText() {
    std::vector<std::wstring> lines = {L"Fitwright 1.9", std::wstring(34, L'-'), L""};
    if (gModes.germanMode) {
        lines.push_back(
            L"Um die Plugins in einer bestimmte Anwendung zu installieren, aktivieren "
            L"Sie bitte die Anwendung in der Liste und drücken Sie die Installieren- "
            L"Schaltfläche. Zum Entfernen der Plugins, benutzen Sie bitte die "
            L"Entfernen-Schaltfläche.");
        lines.push_back(L"");
        lines.push_back(
            L"Falls Sie einen speziellen Plugin-Ordner verwenden, können Sie die Schaltfläche "
            L"\"Neuer Ordner\" benutzen, um ihn zur Liste hinzu zu fügen. Drücken Sie die "
            L"Entf-Taste, um ihn wieder zu entfernen. Falls Sie die Plugins in einen "
            L"Unterordner installieren (oder von dort wieder entfernen) wollen, aktivieren Sie "
            L"bitten das Unterordner-Kästchen und geben sie dessen Namen ein.");
    } else {
        lines.push_back(
            L"To install the plugin(s) into a certain application, please activate the "
            L"application in the list below and press the Install button. To uninstall the "
            L"plugins again, please use the Uninstall button.");
        lines.push_back(L"");
        lines.push_back(
            L"If you have a special plugin folder, you can use the Add Folder button to add it "
            L"to the list. Press the Del key to remove it again. If you want to install into a "
            L"sub folder (or uninstall from it), please activate the Sub Folder check box and "
            L"enter its name.");
    }
    lines.push_back(L"");
    return JoinLines(lines);
}

std::wstring InfoProductText() {
    bool german = gModes.germanMode;
    std::wstring dashes(34, L'-');
    std::vector<std::wstring> lines = {gProduct.productName, std::wstring(17, L'='), L""};
    lines.push_back(german ? L"Das Quellverzeichnis ist:" : L"The source folder is:");
    lines.push_back(dashes);
    lines.push_back(gProduct.installPath);
    lines.push_back(L"");
    lines.push_back(german ? L"Folgenden Dateien werden installiert:"
                           : L"The following files will be installed:");
    lines.push_back(dashes);
    AppendAll(&lines, gProduct.pluginFiles);
    if (gModes.panelMode) AppendAll(&lines, gProduct.panelFiles);
    lines.push_back(L"");
    lines.push_back(german ? L"Folgenden Dateien werden entfernt:"
                           : L"The following files will be uninstalled:");
    lines.push_back(dashes);
    AppendAll(&lines, gProduct.pluginFiles);
    if (gModes.panelMode) AppendAll(&lines, gProduct.panelFiles);
    AppendAll(&lines, gProduct.uninstallFiles);
    return JoinLines(lines);
}

void InfoDialogShow(HWND mainWindow, InfoKind kind) {
    RegisterInfoClass();
    gInfo.kind = kind;
    gInfo.closed = false;
    // The main window's controls carry its font; the frame itself keeps none.
    gInfo.font = reinterpret_cast<HFONT>(
        SendMessageW(GetDlgItem(mainWindow, IDC_BUTTON2), WM_GETFONT, 0, 0));
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    gInfo.window = CreateWindowExW(exStyle, FITWRIGHT_INFO_CLASS, L"Help", style, 0, 0,
                                   frame.right - frame.left, frame.bottom - frame.top, mainWindow,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!gInfo.window) return;
    CreateInfoControls(gInfo.window);
    FillInfo(gInfo.window);
    PlaceOver(gInfo.window, mainWindow);
    MessageBoxSetOwner(gInfo.window);
    EnableWindow(mainWindow, FALSE);
    ShowWindow(gInfo.window, SW_SHOW);
    SetFocus(GetDlgItem(gInfo.window, IDC_INFO_BUTTON1));
    MSG message = {};
    while (!gInfo.closed && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(gInfo.window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!gInfo.closed) CloseInfo();
    EnableWindow(mainWindow, TRUE);
    SetActiveWindow(mainWindow);
    MessageBoxSetOwner(mainWindow);
    if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
}
