// Writes the host lists and the product state as tab-separated UTF-8 lines:
// "caption", "host" (text, plug-in folder, program path, checked), "product", "subfolder",
// "installpath", "item" (ComboBox1), "selected", "plugin", "uninstall", "panel", "added",
// "exitcode".
#include "installer/list_file.h"

#include <windows.h>

#include <vector>

#include "installer/installer_state.h"
#include "installer/message_box.h"
#include "installer/product_profile.h"

const wchar_t* const kListFileVariable = L"FITWRIGHT_LIST_FILE";

static void AddList(std::wstring* text, const wchar_t* tag,
                    const std::vector<std::wstring>& items) {
    for (const std::wstring& item : items) *text += std::wstring(tag) + L"\t" + item + L"\n";
}

static std::wstring RecordText(const std::wstring& caption) {
    std::wstring text = L"caption\t" + caption + L"\n";
    for (const HostEntry& entry : gHosts.entries)
        text += L"host\t" + entry.text + L"\t" + entry.foundPath + L"\t" + entry.exePath +
                (entry.checked ? L"\t1\n" : L"\t0\n");
    text += L"product\t" + gProduct.productName + L"\n";
    text +=
        L"subfolder\t" + gProduct.subFolderName + (gProduct.subFolderChecked ? L"\t1\n" : L"\t0\n");
    text += L"installpath\t" + gProduct.installPath + L"\n";
    AddList(&text, L"item", gProduct.products);
    text += L"selected\t" + std::to_wstring(gProduct.selectedProduct) + L"\n";
    AddList(&text, L"plugin", gProduct.pluginFiles);
    AddList(&text, L"uninstall", gProduct.uninstallFiles);
    AddList(&text, L"panel", gProduct.panelFiles);
    AddList(&text, L"added", gProduct.addedFolders);
    text += L"exitcode\t" + std::to_wstring(gRun.exitCode) + L"\n";
    return text;
}

void ListFileWrite(const std::wstring& caption) {
    wchar_t path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(kListFileVariable, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::wstring text = RecordText(caption);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
    std::vector<char> utf8(bytes);
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    // Readers poll for the file: it appears whole or not at all.
    std::wstring temporary = std::wstring(path) + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    BOOL ok = WriteFile(file, utf8.data(), bytes, &written, nullptr);
    CloseHandle(file);
    if (ok) MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING);
}
