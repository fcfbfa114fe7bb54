// Copies the product's files into the checked hosts' folders and removes them again.
#include "installer/install_files.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "installer/file_access.h"
#include "installer/file_names.h"
#include "installer/installer_error.h"
#include "installer/installer_state.h"
#include "installer/message_box.h"
#include "installer/product_profile.h"

namespace {

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

bool IsSixtyFourBitItem(const std::wstring& itemText) {
    return Contains(itemText, L"(64-bit)");
}
bool IsSixtyFourBitFile(const std::wstring& fileName) {
    return Contains(fileName, L"64");
}

std::wstring SourceOf(const std::wstring& fileName) {
    return gProduct.installPath + fileName;
}

size_t CheckedCount() {
    size_t count = 0;
    for (const HostEntry& entry : gHosts.entries) count += entry.checked ? 1 : 0;
    return count;
}

bool NothingCheckedTold() {
    if (CheckedCount() > 0) return false;
    if (!gModes.silentMode)
        ShowBox(BOX_PLAIN, gModes.germanMode
                               ? L"Bitte wählen Sie mindestens einen Eintrag aus der Liste aus!"
                               : L"Please select at least one item from the list!");
    return true;
}

// Every name must stay inside the folder it is joined to, before anything is touched.
void CheckNames(const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names)
        if (!RelativeNameIsSafe(name))
            RaiseError(FormatText(L"\"%ls\" is not a valid file name.", name.c_str()));
}

void CheckProductNames() {
    CheckNames(gProduct.pluginFiles);
    CheckNames(gProduct.uninstallFiles);
    CheckNames(gProduct.panelFiles);
    const std::wstring& sub = gProduct.subFolderName;
    if (!sub.empty() && !RelativeNameIsSafe(sub))
        RaiseError(FormatText(L"\"%ls\" is not a valid sub folder name.", sub.c_str()));
}

void CopyInto(const std::wstring& folder, const std::wstring& fileName, std::wstring* report) {
    std::wstring target = folder + fileName;
    CopyFileStream(SourceOf(fileName), target);
    *report += target + L"\r\n";
}

void InstallPanelFiles(size_t index, std::wstring* report) {
    std::wstring panels = gHosts.entries[index].foundPath + L"Panels\\";
    CreateFolder(panels);
    if (!gProduct.subFolderName.empty()) CreateFolder(panels + gProduct.subFolderName + L"\\");
    CreateFolder(HostPanelFolder(index));
    for (const std::wstring& file : gProduct.panelFiles)
        CopyInto(HostPanelFolder(index), file, report);
}

// What one uninstall run works with: the report, the count, the failures, and the files it
// must never delete.
struct UninstallRecord {
    std::wstring report;
    int32_t counter;
    std::wstring failures;
    std::vector<FileId> sources;
};

// The files of the folders the product is installed from: the source folder, the folder
// Fitwright runs in and the program's own folder. A target that is one of them, by whatever
// path (an added folder that is the product folder, a link, a wrong "InstallPath"), stays.
std::vector<FileId> SourceFileIds() {
    std::vector<FileId> ids;
    const std::wstring folders[] = {gProduct.installPath, WithFinalBackslash(CurrentFolder()),
                                    ProgramFolder()};
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        std::vector<FileId> some = FolderFileIds(folder);
        ids.insert(ids.end(), some.begin(), some.end());
    }
    return ids;
}

bool IsSourceFile(const UninstallRecord& record, const std::wstring& path) {
    FileId id;
    if (!FileIdOf(path, &id)) return false;
    for (const FileId& source : record.sources)
        if (source == id) return true;
    return false;
}

// Removes the listed files that exist in a folder, except the product's own sources.
void RemoveFiles(const std::wstring& folder, const std::vector<std::wstring>& names,
                 UninstallRecord* record) {
    for (const std::wstring& name : names) {
        std::wstring target = folder + name;
        if (!FileExists(target) || IsSourceFile(*record, target)) continue;
        if (!DeleteFileAt(target)) {
            record->failures += target + L"\r\n";
            continue;
        }
        record->report += target + L"\r\n";
        record->counter++;
    }
}

std::wstring UninstallListText() {
    std::wstring list;
    for (const std::wstring& file : gProduct.pluginFiles) list += file + L"\r\n";
    if (gModes.panelMode)
        for (const std::wstring& file : gProduct.panelFiles) list += file + L"\r\n";
    return list;
}

void UninstallHost(size_t index, UninstallRecord* record) {
    std::wstring target = HostTargetFolder(index);
    if (DirectoryExists(target)) {
        RemoveFiles(target, gProduct.pluginFiles, record);
        RemoveFiles(target, gProduct.uninstallFiles, record);
    }
    if (SubFolderInUse()) RemoveEmptyFolder(target);
    if (!gModes.panelMode) return;
    std::wstring panel = HostPanelFolder(index);
    if (DirectoryExists(panel)) RemoveFiles(panel, gProduct.panelFiles, record);
    RemoveEmptyFolder(panel);
    if (!gProduct.subFolderName.empty())
        RemoveEmptyFolder(gHosts.entries[index].foundPath + L"Panels\\" + gProduct.subFolderName +
                          L"\\");
}

}  // namespace

size_t PosFrom(const std::wstring& part, const std::wstring& text, size_t start) {
    if (start > text.size()) return 0;
    size_t at = text.find(part, start);
    return at == std::wstring::npos ? 0 : at + 1;
}

std::wstring TextBetween(const std::wstring& text, const std::wstring& marker,
                         const std::wstring& delimiter) {
    size_t markerAt = PosFrom(marker, text, 0);
    if (markerAt == 0) return L"";
    size_t first = markerAt - 1 + marker.size();  // 0-based index just after the marker
    if (first >= text.size()) return L"";
    size_t end = PosFrom(delimiter, text, first + 1);
    return end == 0 ? text.substr(first) : text.substr(first, end - 1 - first);
}

bool IsPanelHost(const std::wstring& itemText) {
    if (!gModes.panelMode || !Contains(itemText, L"Adobe Photoshop CS")) return false;
    std::wstring version = TextBetween(itemText, L" CS", L" ");
    size_t digits = 0;
    while (digits < version.size() && digits < 9 && iswdigit(version[digits])) digits++;
    return digits > 0 && std::stoi(version.substr(0, digits)) > 3;
}

std::wstring HostTargetFolder(size_t index) {
    const std::wstring& folder = gHosts.entries[index].foundPath;
    return SubFolderInUse() ? folder + gProduct.subFolderName + L"\\" : folder;
}

std::wstring HostPanelFolder(size_t index) {
    std::wstring panels = gHosts.entries[index].foundPath + L"Panels\\";
    if (!gProduct.subFolderName.empty()) panels += gProduct.subFolderName + L"\\";
    return panels + L"content\\";
}

void InstallRun() {
    if (NothingCheckedTold()) return;
    CheckProductNames();
    std::wstring report;
    try {
        for (size_t n = 0; n < gHosts.entries.size(); n++) {
            const HostEntry& host = gHosts.entries[n];
            if (!host.checked) continue;
            if (IsPanelHost(host.text)) InstallPanelFiles(n, &report);
            std::wstring target = HostTargetFolder(n);
            CreateFolder(target);
            for (const std::wstring& file : gProduct.pluginFiles)
                if (IsSixtyFourBitItem(host.text) == IsSixtyFourBitFile(file))
                    CopyInto(target, file, &report);
        }
    } catch (...) {
        ProductKeepProfileAsItIs();
        throw;
    }
    if (!gModes.showMessageMode && !gModes.silentMode) {
        std::wstring text =
            gModes.germanMode
                ? L"Die folgenden Plugins wurden installiert:\r\n\r\n" + report +
                      L"\r\nBitte drücken Sie die Starten-Schaltfläche, um die Anwendung zu "
                      L"starten."
                : L"The following plugins were installed:\r\n\r\n" + report +
                      L"\r\nPlease use the Run button to start your graphics application.";
        ShowBox(BOX_PLAIN, text);
    }
    if (gModes.showMessageMode) gView.endProgram();
}

void UninstallRun() {
    if (NothingCheckedTold()) return;
    CheckProductNames();
    if (!gModes.doUninstallMode) {
        std::wstring question =
            gModes.germanMode ? L"Wollen Sie wirklich die folgenden Plugins entfernen:\r\n\r\n"
                              : L"Do you really want to uninstall the following plugin(s):\r\n\r\n";
        if (ShowBox(BOX_CONFIRM, question + UninstallListText()) != IDYES) return;
    }
    UninstallRecord record{L"", 0, L"", SourceFileIds()};
    for (size_t n = 0; n < gHosts.entries.size(); n++)
        if (gHosts.entries[n].checked) UninstallHost(n, &record);
    if (!record.failures.empty())
        RaiseError((gModes.germanMode ? L"Diese Dateien konnten nicht entfernt werden:\r\n\r\n"
                                      : L"These files could not be removed:\r\n\r\n") +
                   record.failures);
    if (gModes.silentMode) return;
    const std::wstring& report = record.report;
    if (record.counter > 0) {
        ShowBox(
            BOX_PLAIN,
            (gModes.germanMode ? L"Die folgenden Plugins und Zusatzdateien wurden entfernt:\r\n\r\n"
                               : L"The following plugins and additional files were "
                                 L"uninstalled:\r\n\r\n") +
                report);
    } else {
        ShowBox(BOX_PLAIN, gModes.germanMode ? L"Keine Plugins zum Entfernen gefunden."
                                             : L"No plugins were found for uninstalling.");
    }
}
