// The folder dialog of Add Folder and the sub-folder input box.
#include "installer/folder_prompts.h"

#include <shlobj.h>

#include "installer/control_ids.h"

namespace {

struct PromptData {
    const std::wstring* title;
    const std::wstring* prompt;
    std::wstring* value;
};

// Centres the folder dialog in the work area when it first shows.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM) {
    if (message != BFFM_INITIALIZED) return 0;
    RECT work;
    RECT box;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(dialog, &box);
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    int left = (work.right - work.left) / 2 - width / 2;
    int top = (work.bottom - work.top) / 2 - height / 2;
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* data = reinterpret_cast<PromptData*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetWindowTextW(dialog, data->title->c_str());
            SetDlgItemTextW(dialog, IDC_PROMPT_TEXT, data->prompt->c_str());
            SetDlgItemTextW(dialog, IDC_PROMPT_VALUE, data->value->c_str());
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* data = reinterpret_cast<PromptData*>(GetWindowLongPtrW(dialog, DWLP_USER));
                HWND edit = GetDlgItem(dialog, IDC_PROMPT_VALUE);
                std::wstring text(GetWindowTextLengthW(edit) + 1, L'\0');
                text.resize(GetWindowTextW(edit, &text[0], static_cast<int>(text.size())));
                *data->value = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::wstring BrowseForFolder(HWND owner, const std::wstring& title, UINT flags) {
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = flags;
    info.lpfn = BrowseCallback;
    LPITEMIDLIST items = SHBrowseForFolderW(&info);
    if (!items) return L"";
    wchar_t path[MAX_PATH] = L"";
    BOOL ok = SHGetPathFromIDListW(items, path);
    CoTaskMemFree(items);
    return ok ? std::wstring(path) : L"";
}

bool SubFolderPrompt(HWND owner, const std::wstring& title, const std::wstring& prompt,
                     std::wstring* value) {
    PromptData data{&title, &prompt, value};
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SUBFOLDER),
                                     owner, PromptProc, reinterpret_cast<LPARAM>(&data));
    return result == IDOK;
}
