// Resolves the host table into the host list, one pass per registry view.
#include "installer/host_discovery.h"

#include <windows.h>

#include "installer/host_table.h"
#include "installer/installer_state.h"
#include "installer/message_box.h"
#include "installer/registry_access.h"
#include "installer/wow64_view.h"

namespace {

struct DiscoveryPass {
    bool sixtyFourBit;  // the 64-bit view: rows marked "64" are read, rows marked "32" not
    bool switchView;    // the pass switches the 64-bit mode at its start (dual mode)
    bool secondOfTwo;   // pass 2 of the dual mode
};

// Rows of 64-bit programs that are looked up in the 64-bit view even in a 32-bit pass.
bool IsSpecialRow(const HostRow& row) {
    return row.name == L"Computerinsel Photoline" || row.name == L"Paint.NET" ||
           row.name == L"Adobe Illustrator CS6";
}

void SwitchView(bool on) {
    SetSixtyFourBitMode(on);
    ModesSetSixtyFourBit(on);
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

void ReplaceFirst(std::wstring* text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return;
    size_t at = text->find(from);
    if (at != std::wstring::npos) text->replace(at, from.size(), to);
}

// Illustrator CS6 records one folder for both of its builds.
void RewriteIllustratorFolder(std::wstring* folder, bool sixtyFourBit) {
    if (sixtyFourBit) {
        ReplaceFirst(folder, L" (x86)", L"");
        ReplaceFirst(folder, L"\\Adobe Illustrator CS6\\", L"\\Adobe Illustrator CS6 (64 Bit)\\");
    } else {
        ReplaceFirst(folder, L" (64 Bit)", L"");
        ReplaceFirst(folder, GetProgramFilesDir(true), GetProgramFilesDir(false));
    }
}

bool RowSkipped(const HostRow& row, const DiscoveryPass& pass) {
    return (pass.sixtyFourBit && row.bits == L"32") || (!pass.sixtyFourBit && row.bits == L"64");
}

std::wstring ReadProgramPath(const HostRow& row, HKEY pluginRoot) {
    if (row.exeRoot.empty()) return row.exeFile;
    HKEY root = pluginRoot;
    if (row.exeRoot == L"HKEY_LOCAL_MACHINE") root = HKEY_LOCAL_MACHINE;
    if (row.exeRoot == L"HKEY_CURRENT_USER") root = HKEY_CURRENT_USER;
    std::wstring path = ReadRegString(root, row.exeKey, row.exeValue);
    if (!path.empty() && !row.exeFile.empty()) {
        if (path.back() != L'\\') path += L'\\';
        path += row.exeFile;
    }
    return path;
}

void ResolveRow(HostRow row, const DiscoveryPass& pass, bool twoPasses) {
    bool late = !pass.sixtyFourBit;
    bool special = IsSpecialRow(row);
    HKEY root = HKEY_LOCAL_MACHINE;
    if (late && special) SwitchView(true);
    if (pass.secondOfTwo && row.name == L"Corel Painter") row.fixedFolder.clear();
    if (RowSkipped(row, pass)) {
        if (late && special) SwitchView(false);
        return;
    }
    std::wstring folder = row.fixedFolder;
    if (folder.empty()) {
        root = RegistryRootFromName(row.pluginRoot);
        folder = ReadRegString(root, row.pluginKey, row.pluginValue);
    }
    if (row.name == L"Adobe Illustrator CS6") RewriteIllustratorFolder(&folder, pass.sixtyFourBit);
    if (late && special) SwitchView(false);
    if (folder.empty()) return;
    if ((twoPasses || pass.sixtyFourBit) && Contains(row.name, L"CorelDRAW & Photo-Paint")) {
        row.subPath = pass.sixtyFourBit ? L"Plugins64" : L"Plugins";
        row.exeFile = pass.sixtyFourBit ? L"Programs64\\CorelPP.exe" : L"Programs\\CorelPP.exe";
    }
    folder += row.subPath;
    if (folder.back() != L'\\') folder += L'\\';
    std::wstring text = gModes.sixtyFourBitMode ? row.name + L" (64-bit)" : row.name;
    bool programInSixtyFourBitView =
        late && (row.name == L"Computerinsel Photoline" || row.name == L"Paint.NET");
    if (programInSixtyFourBitView) {
        SwitchView(true);
        if (row.name == L"Computerinsel Photoline") row.exeFile = L"PhotoLine.exe";
    }
    std::wstring program = ReadProgramPath(row, root);
    if (programInSixtyFourBitView) SwitchView(false);
    HostListsAppend(text, folder, program);
}

}  // namespace

std::wstring NoHostFoundText() {
    if (gModes.germanMode)
        return L"Sorry, aber Fitwright kann keine kompatiblen Anwendungen auf Ihrem Computer "
               L"finden.\r\nBitte wählen Sie den Plugin-Ordner ihrer Anwendung mit der "
               L"Schaltfläche 'Neuer Ordner'.\r\nDann drücken Sie die Schaltfläche "
               L"'Installieren'.";
    return L"Sorry, but Fitwright cannot find any plugin-compatible applications on your "
           L"computer.\r\nPlease use the Add Folder button to add your application's plugin "
           L"folder to the list. Then\r\npress the Install button.";
}

// A single pass runs in the view in force: the 32-bit view, or the 64-bit view when the
// word "64bit" switched it on, in which case it reads rows as the dual mode's first pass.
void BuildHostList() {
    std::vector<HostRow> table = HostTableBuild();
    HostListsReset();
    bool twoPasses = gModes.dualMode && IsWow64();
    const DiscoveryPass dualPasses[] = {{true, true, false}, {false, true, true}};
    const DiscoveryPass singlePass[] = {{gModes.sixtyFourBitMode, false, false}};
    const DiscoveryPass* passes = twoPasses ? dualPasses : singlePass;
    int passCount = twoPasses ? 2 : 1;
    for (int p = 0; p < passCount; p++) {
        const DiscoveryPass& pass = passes[p];
        if (pass.switchView) SwitchView(pass.sixtyFourBit);
        for (const HostRow& row : table) ResolveRow(row, pass, twoPasses);
    }
    if (twoPasses) gView.setCaption(L"Fitwright (Dual Mode)");
    if (gHosts.entries.empty()) {
        gView.showMainWindow();
        ShowErrorBox(NoHostFoundText());
    }
}
