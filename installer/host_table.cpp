// Builds the host table for the current modes and works out its computed rows.
#include "installer/host_table.h"

#include <windows.h>

#include "installer/file_access.h"
#include "installer/installer_state.h"
#include "installer/registry_access.h"
#include "installer/wow64_view.h"

namespace {

// Photoshop's plug-in folder in its localised spellings, tried in this order.
const wchar_t* const kLocalisedPluginFolders[] = {
    L"Zusatzmodule\\", L"Modules Externes\\", L"Insteekmodules\\", L"Plugins\\",
    L"Plug-in\\",      L"Plug-in-program\\",  L"Plugin-moduler\\", L"Ekstramoduler\\",
};

const int kCommonAppDataFolder = 35;

HostRow RowFromEntry(const HostTableEntry& entry) {
    return HostRow{entry.name,        L"",           entry.pluginRoot, entry.pluginKey,
                   entry.pluginValue, entry.subPath, entry.exeRoot,    entry.exeKey,
                   entry.exeValue,    entry.exeFile, entry.bits};
}

// Photoshop CS3 and CS2 keep a plug-in folder in the language of the installation under
// their application folder; the registry's PluginPath is the fallback.
bool ComputePhotoshopByFolder(HostRow* row, const std::wstring& appKey,
                              const std::wstring& appValue, const std::wstring& version) {
    std::wstring appPath = ReadRegValue(HKEY_LOCAL_MACHINE, appKey, appValue);
    if (appPath.empty()) return false;
    for (const wchar_t* folder : kLocalisedPluginFolders) {
        if (DirectoryExists(appPath + folder)) {
            row->fixedFolder = appPath + folder;
            break;
        }
    }
    std::wstring versionKey = L"\\Software\\Adobe\\Photoshop\\" + version;
    if (row->fixedFolder.empty()) {
        row->pluginRoot = L"HKEY_LOCAL_MACHINE";
        row->pluginKey = versionKey + L"\\PluginPath";
        row->pluginValue = L"";
    }
    row->exeRoot = L"HKEY_LOCAL_MACHINE";
    row->exeKey = versionKey;
    row->exeValue = L"ApplicationPath";
    row->exeFile = L"Photoshop.exe";
    return true;
}

bool ComputePhotoshopCs3(HostRow* row) {
    return ComputePhotoshopByFolder(row, L"\\Software\\Adobe\\Photoshop\\10.0\\ApplicationPath",
                                    L"", L"10.0");
}

bool ComputePhotoshopCs2(HostRow* row) {
    return ComputePhotoshopByFolder(row, L"\\Software\\Adobe\\Photoshop\\9.0", L"ApplicationPath",
                                    L"9.0");
}

bool ComputeIllustratorCs6(HostRow* row) {
    std::wstring icon = ReadRegValue(
        HKEY_LOCAL_MACHINE, L"\\SOFTWARE\\Classes\\Adobe.Illustrator.16\\.8bf\\DefaultIcon", L"");
    if (icon.empty()) return false;
    size_t cut = icon.find(L"Support Files");
    row->fixedFolder = (cut == std::wstring::npos ? L"" : icon.substr(0, cut)) + L"Plug-Ins\\";
    return true;
}

bool ComputePageMaker(HostRow* row, const std::wstring& key, const std::wstring& languageValue) {
    std::wstring directory = ReadRegValue(HKEY_LOCAL_MACHINE, key, L"AdobeDirectory");
    if (directory.empty()) return false;
    std::wstring language = ReadRegValue(HKEY_LOCAL_MACHINE, key, languageValue);
    const wchar_t* tail = PageMakerEffectsTail(language);
    row->fixedFolder = *tail ? directory + L"\\" + language + tail : directory;
    return true;
}

bool ComputePageMaker70(HostRow* row) {
    return ComputePageMaker(row, L"\\Software\\Adobe\\PageMaker70", L"PM70LANGDIR");
}

bool ComputePageMaker65(HostRow* row) {
    return ComputePageMaker(row, L"\\Software\\Adobe\\PageMaker65", L"PM65LangDir");
}

// Painter records its folder only under its licence key: the first licence whose first
// sub-key holds a path with "Painter" in it.
std::wstring FindPainterPath() {
    const std::wstring licences = L"\\SOFTWARE\\Corel\\PCU\\Licenses";
    for (const std::wstring& licence : ListSubKeys(HKEY_LOCAL_MACHINE, licences)) {
        std::wstring licenceKey = licences + L"\\" + licence;
        std::vector<std::wstring> subKeys = ListSubKeys(HKEY_LOCAL_MACHINE, licenceKey);
        if (subKeys.empty()) continue;
        std::wstring path =
            ReadRegString(HKEY_LOCAL_MACHINE, licenceKey + L"\\" + subKeys[0], L"Path");
        if (path.find(L"Painter") != std::wstring::npos) return path;
    }
    return L"";
}

bool ComputePainter(HostRow* row) {
    bool switchView = gModes.dualMode && IsWow64();
    if (switchView) {
        SetSixtyFourBitMode(true);
        ModesSetSixtyFourBit(true);
    }
    std::wstring path = FindPainterPath();
    if (switchView) {
        SetSixtyFourBitMode(false);
        ModesSetSixtyFourBit(false);
    }
    row->fixedFolder = path.empty() ? L"" : path + L"Support Files\\Plugins\\";
    return true;
}

bool ComputePhotoline(HostRow* row) {
    row->exeFile =
        (gModes.dualMode || gModes.sixtyFourBitMode) ? L"PhotoLine64.exe" : L"PhotoLine.exe";
    return true;
}

// The 64-bit program of Zoner lies in "Program64"; the 64-bit mode asks for it as the dual
// mode does.
bool ComputeZoner(HostRow* row) {
    bool sixtyFour = (gModes.dualMode && IsWow64()) || gModes.sixtyFourBitMode;
    row->exeFile = sixtyFour ? L"Program64\\Zps.exe" : L"Program32\\Zps.exe";
    return true;
}

bool ComputeAlbelli(HostRow* row) {
    std::wstring location = ReadRegValue(
        HKEY_LOCAL_MACHINE,
        L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\albelli photo book creator "
        L"Extra_is1",
        L"InstallLocation");
    if (location.empty()) return false;
    row->exeFile = location + L"apc.exe";
    row->fixedFolder = GetSpecialFolderPath(kCommonAppDataFolder) +
                       L"\\albelli photo book creator Extra\\Plugins\\";
    return true;
}

bool ComputeNothing(HostRow*) {
    return true;
}

typedef bool (*ComputeRowProc)(HostRow* row);

const ComputeRowProc kComputeRow[COMPUTE_COUNT] = {
    ComputeNothing,     ComputePhotoshopCs3, ComputePhotoshopCs2, ComputeIllustratorCs6,
    ComputePageMaker70, ComputePageMaker65,  ComputePainter,      ComputePhotoline,
    ComputeZoner,       ComputeAlbelli,
};

}  // namespace

const wchar_t* PageMakerEffectsTail(const std::wstring& language) {
    if (language == L"USENGLSH" || language == L"UKENGLSH" || language == L"japanese")
        return L"\\Plugins\\Effects\\";
    if (language == L"NEDERL") return L"\\Plugins\\Effecten\\";
    if (language == L"DEUTSCH") return L"\\Plugins\\Effekte\\";
    if (language == L"ESPANOL") return L"\\Plugins\\Efectos\\";
    if (language == L"BRASIL") return L"\\Plugins\\Efeitos\\";
    return L"";
}

bool HostBlockAdmitted(HostBlock block) {
    bool restricted = gModes.panelMode || gModes.pseOnlyMode || gModes.pspseMode;
    switch (block) {
        case BLOCK_PHOTOSHOP:
            return !gModes.pseOnlyMode;
        case BLOCK_PHOTOSHOP_OLD:
            return !gModes.pseOnlyMode && !gModes.pspseMode;
        case BLOCK_IMAGEREADY:
            return !restricted;
        case BLOCK_ELEMENTS:
            return true;
        case BLOCK_ELEMENTS_OLD:
            return !gModes.pspseMode;
        case BLOCK_OTHERS:
            return !restricted;
    }
    return false;
}

std::vector<HostRow> HostTableBuild() {
    std::vector<HostRow> rows;
    for (int32_t i = 0; i < kHostTableCount; i++) {
        const HostTableEntry& entry = kHostTable[i];
        if (!HostBlockAdmitted(entry.block)) continue;
        HostRow row = RowFromEntry(entry);
        if (kComputeRow[entry.compute](&row)) rows.push_back(row);
    }
    return rows;
}
