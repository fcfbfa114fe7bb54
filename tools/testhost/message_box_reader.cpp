// Reads a dialog window's children to tell a message box from any other dialog, and reads the
// box's caption, text, icon and buttons.

#include "tools/testhost/message_box_reader.h"

namespace {
// Long enough for an icon on a loaded machine, short enough that a hung box thread costs the
// watcher only a moment.
constexpr UINT kIconAnswerMs = 200;

// The text stored with the window, read without sending it a message: the reader may run on a
// thread that must never wait for the box's thread.
std::string StoredText(HWND window) {
    wchar_t text[2048] = L"";
    InternalGetWindowText(window, text, 2048);
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? size_t(length) : 1, '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(length > 0 ? size_t(length) - 1 : 0);
    return narrow;
}

bool ClassIs(HWND window, const wchar_t* name) {
    wchar_t found[64] = L"";
    GetClassNameW(window, found, 64);
    return _wcsicmp(found, name) == 0;
}

UINT IconKind(HWND iconWindow) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(iconWindow, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kIconAnswerMs, &answer))
        return 0;
    const HICON icon = reinterpret_cast<HICON>(answer);
    if (!icon) return 0;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32513))) return MB_ICONHAND;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32514))) return MB_ICONQUESTION;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32515))) return MB_ICONEXCLAMATION;
    if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32516))) return MB_ICONASTERISK;
    return 0;
}

struct ChildScan {
    MessageBoxContents* contents;
    bool onlyBoxParts;
    bool haveText;
    HWND iconWindow;
};

// A message box holds its text (a static numbered 0xFFFF on Windows, 100 on Wine), an icon
// and buttons numbered IDOK .. IDCONTINUE; any other child makes it some other dialog.
BOOL CALLBACK ReadChild(HWND child, LPARAM parameter) {
    auto& scan = *reinterpret_cast<ChildScan*>(parameter);
    const int id = GetDlgCtrlID(child);
    if (ClassIs(child, L"Button")) {
        if (id < IDOK || id > IDCONTINUE) scan.onlyBoxParts = false;
        const bool isDefault = (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        scan.contents->buttons.push_back({id, child, IsWindowVisible(child) != FALSE, isDefault});
    } else if (ClassIs(child, L"Static")) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            scan.iconWindow = child;
        } else if (id == 0xFFFF || id == 100) {
            scan.haveText = true;
            scan.contents->text = StoredText(child);
        }
    } else {
        scan.onlyBoxParts = false;
    }
    return TRUE;
}
}  // namespace

MessageBoxContents MessageBoxRead(HWND window, MessageBoxReading reading) {
    MessageBoxContents contents;
    if (!ClassIs(window, L"#32770")) return contents;
    contents.isDialog = true;
    contents.caption = StoredText(window);
    ChildScan scan = {&contents, true, false, nullptr};
    EnumChildWindows(window, ReadChild, reinterpret_cast<LPARAM>(&scan));
    contents.isMessageBox = scan.onlyBoxParts && scan.haveText && !contents.buttons.empty();
    if (contents.isMessageBox && scan.iconWindow && reading == READ_ICON_BY_MESSAGE)
        contents.icon = IconKind(scan.iconWindow);
    return contents;
}
