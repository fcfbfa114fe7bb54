// What windows and common controls show as text, read by message: a window's text, a message
// box's text, a tab's item texts and a list view's item texts; and a window's class name. Driver
// threads read the dialog's windows this way too (one address space), so a reading waits for a busy
// window only so long.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

constexpr UINT kControlTextTimeoutMs = 10000;

inline std::string WindowText(HWND window) {
    char text[1024] = "";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_NORMAL,
                        kControlTextTimeoutMs, &ignored);
    return text;
}

inline std::string WindowClassName(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

inline BOOL CALLBACK KeepLongestStaticText(HWND child, LPARAM longest) {
    std::string& text = *reinterpret_cast<std::string*>(longest);
    const std::string childText = WindowText(child);
    if (_stricmp(WindowClassName(child).c_str(), "Static") == 0 && childText.size() > text.size())
        text = childText;
    return TRUE;
}

// A message box's text: its static control with the longest text (Windows numbers it 0xFFFF,
// Wine 100).
inline std::string MessageBoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, KeepLongestStaticText, LPARAM(&text));
    return text;
}

inline std::string TabItemText(HWND tab, int index) {
    char text[256] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tab, TCM_GETITEMA, WPARAM(index), LPARAM(&item));
    return text;
}

inline std::vector<std::string> TabItemTexts(HWND tab) {
    std::vector<std::string> texts;
    const int count = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) texts.push_back(TabItemText(tab, i));
    return texts;
}

inline std::string ListViewItemText(HWND list, int item) {
    char text[256] = "";
    LVITEMA entry = {};
    entry.iSubItem = 0;
    entry.pszText = text;
    entry.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(item), LPARAM(&entry));
    return text;
}

inline std::vector<std::string> ListViewItemTexts(HWND list) {
    std::vector<std::string> texts;
    const int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) texts.push_back(ListViewItemText(list, i));
    return texts;
}
