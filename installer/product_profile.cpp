// Product profiles in the registry, "Fitwright.ini" and the product choice.
#include "installer/product_profile.h"

#include <windows.h>

#include "installer/file_access.h"
#include "installer/file_names.h"
#include "installer/installer_error.h"
#include "installer/installer_state.h"
#include "installer/message_box.h"
#include "installer/registry_access.h"

ProductState gProduct;

const wchar_t* const kProfileRootKey = L"Software\\Quillmoor\\Fitwright\\";
const wchar_t* const kIniFileName = L"Fitwright.ini";

namespace {

// Numbered lists end at the first value that is missing or empty.
const int32_t kAddedFolderSlots = 6;
// A product has a handful of files and folders; a list of thousands is a damaged or hostile
// description, and saving it into the registry one value at a time takes minutes.
const int32_t kListMaxEntries = 1000;
// The longest path Windows opens without the "\\?\" prefix; no file name, folder or
// flag of a profile is longer.
const size_t kProfileValueMaxChars = MAX_PATH - 1;

std::wstring ProfileKey(const std::wstring& name) {
    return kProfileRootKey + name;
}

// Any program of the user may write the profile: a value that Fitwright would not have
// written is an error, never read as some other text.
std::wstring ReadProfileValue(const std::wstring& valueName) {
    std::wstring text;
    switch (ReadRegText(HKEY_CURRENT_USER, ProfileKey(gProduct.productName), valueName,
                        kProfileValueMaxChars, &text)) {
        case REGTEXT_OK:
        case REGTEXT_MISSING:
            return text;
        case REGTEXT_NOT_TEXT:
            RaiseError(FormatText(L"The profile of \"%ls\" is damaged: \"%ls\" is not a text.",
                                  gProduct.productName.c_str(), valueName.c_str()));
        case REGTEXT_TOO_LONG:
            break;
    }
    RaiseError(FormatText(
        L"The profile of \"%ls\" is damaged: \"%ls\" is longer than %d "
        L"characters.",
        gProduct.productName.c_str(), valueName.c_str(), static_cast<int>(kProfileValueMaxChars)));
}

std::wstring TooManyEntries(const wchar_t* what) {
    return FormatText(
        L"more than %d %ls: a product has a handful of files, so the list is "
        L"refused",
        static_cast<int>(kListMaxEntries), what);
}

// Names read from the profile obey the rules of names read from "Fitwright.ini".
std::vector<std::wstring> ReadNumberedList(const std::wstring& prefix, const wchar_t* what,
                                           bool relativeNames) {
    std::vector<std::wstring> items;
    for (int32_t n = 0;; n++) {
        std::wstring valueName = prefix + std::to_wstring(n);
        std::wstring item = ReadProfileValue(valueName);
        if (item.empty()) return items;
        if (n >= kListMaxEntries)
            RaiseError(FormatText(L"The profile of \"%ls\" lists %ls.",
                                  gProduct.productName.c_str(), TooManyEntries(what).c_str()));
        if (relativeNames && !RelativeNameIsSafe(item))
            RaiseError(
                FormatText(L"The profile of \"%ls\", \"%ls\": \"%ls\" is not a valid "
                           L"file name.",
                           gProduct.productName.c_str(), valueName.c_str(), item.c_str()));
        items.push_back(item);
    }
}

void WriteProfileValue(const std::wstring& valueName, const std::wstring& value) {
    WriteRegValue(HKEY_CURRENT_USER, ProfileKey(gProduct.productName), valueName, value,
                  REGTYPE_STRING);
}

// Writes the list and ends it with an empty value, so that a list that shrank does not
// come back with its old tail.
void WriteNumberedList(const std::wstring& prefix, const std::vector<std::wstring>& items) {
    for (size_t n = 0; n < items.size(); n++)
        WriteProfileValue(prefix + std::to_wstring(n), items[n]);
    WriteProfileValue(prefix + std::to_wstring(items.size()), L"");
}

void WriteAddedFolders() {
    int32_t count = static_cast<int32_t>(gProduct.addedFolders.size());
    for (int32_t n = 0; n < count; n++)
        WriteProfileValue(L"AdditionalFolders" + std::to_wstring(n), gProduct.addedFolders[n]);
    int32_t lastEmpty = count < kAddedFolderSlots ? kAddedFolderSlots - 1 : count;
    for (int32_t n = count; n <= lastEmpty; n++)
        WriteProfileValue(L"AdditionalFolders" + std::to_wstring(n), L"");
}

// Uninstall deletes the product's file names in every added folder, and added folders come
// from the user, from "Fitwright.ini" and from a profile any program may write: a folder that
// reaches a whole drive or the system is refused and reported, and the others still serve.
void InsertAddedFolder(const std::wstring& folder) {
    std::wstring path = WithFinalBackslash(folder);
    std::wstring problem = AddedFolderProblem(path);
    if (problem.empty() && FolderIsWithin(path, WindowsFolder()))
        problem = L"is the Windows folder or lies inside it";
    if (!problem.empty()) {
        ReportRefusal(FormatText(L"The added folder \"%ls\" %ls; Fitwright does not use it.",
                                 path.c_str(), problem.c_str()));
        return;
    }
    gProduct.addedFolders.insert(gProduct.addedFolders.begin(), path);
    HostListsInsertFolderAtTop(path);
}

// A product switch replaces the added folders of the previous product.
void DropAddedFolders() {
    while (!gProduct.addedFolders.empty()) {
        gProduct.addedFolders.erase(gProduct.addedFolders.begin());
        HostListsRemove(0);
    }
}

void SelectEqualProducts() {
    for (size_t i = 0; i < gProduct.products.size(); i++)
        if (gProduct.products[i] == gProduct.productName)
            gProduct.selectedProduct = static_cast<int32_t>(i);
    gView.productsChanged();
}

std::wstring LineAt(const std::vector<std::wstring>& lines, size_t index) {
    return index < lines.size() ? lines[index] : L"";
}

bool RestIsBlank(const std::vector<std::wstring>& lines, size_t from) {
    for (size_t i = from; i < lines.size(); i++)
        if (lines[i].find_first_not_of(L" \t") != std::wstring::npos) return false;
    return true;
}

int32_t ParseCount(const std::vector<std::wstring>& lines, size_t index) {
    std::wstring text = LineAt(lines, index);
    size_t first = text.find_first_not_of(L" \t");
    size_t last = text.find_last_not_of(L" \t");
    std::wstring digits = first == std::wstring::npos ? L"" : text.substr(first, last - first + 1);
    bool numeric = !digits.empty() && digits.size() <= 9 &&
                   digits.find_first_not_of(L"0123456789") == std::wstring::npos;
    if (!numeric) RaiseError(FormatText(L"'%ls' is not a valid integer value", text.c_str()));
    return std::stoi(digits);
}

// A counted section: the count line, then that many non-blank names.
std::vector<std::wstring> ParseSection(const std::vector<std::wstring>& lines, size_t* next,
                                       const wchar_t* what, bool relativeNames) {
    size_t countLine = *next;
    int32_t count = ParseCount(lines, countLine);
    if (count > kListMaxEntries)
        RaiseError(FormatText(L"Fitwright.ini, line %d: %ls.", static_cast<int>(countLine + 1),
                              TooManyEntries(what).c_str()));
    if (countLine + 1 + count > lines.size())
        RaiseError(FormatText(L"Fitwright.ini ends before the %d %ls that line %d announces.",
                              count, what, static_cast<int>(countLine + 1)));
    std::vector<std::wstring> names;
    for (int32_t i = 0; i < count; i++) {
        size_t at = countLine + 1 + i;
        const std::wstring& name = lines[at];
        bool valid = relativeNames ? RelativeNameIsSafe(name)
                                   : name.find_first_not_of(L" \t") != std::wstring::npos;
        if (!valid)
            RaiseError(FormatText(L"Fitwright.ini, line %d: \"%ls\" is not a valid name for %ls.",
                                  static_cast<int>(at + 1), name.c_str(), what));
        names.push_back(name);
    }
    *next = countLine + 1 + count;
    return names;
}

void ApplyIni(const ProductIni& ini) {
    ProductSetName(ini.productName);
    gProduct.products.push_back(ini.productName);
    SelectEqualProducts();
    ProductSetSubFolderName(ini.subFolderName);
    ProductSetSubFolderBox(ini.subFolderChecked);
    for (const std::wstring& folder : ini.addedFolders) InsertAddedFolder(folder);
    gProduct.pluginFiles = ini.pluginFiles;
    gProduct.uninstallFiles = ini.uninstallFiles;
    gProduct.panelFiles = ini.panelFiles;
    // Written with the rest of the profile at the end, and not at all after a failed install.
    gProduct.installPath = WithFinalBackslash(CurrentFolder());
}

void LoadFallbackProduct() {
    std::wstring name = gModes.germanMode ? L"Unbekannt" : L"Unknown";
    ProductSetName(name);
    gProduct.products.push_back(name);
    gProduct.selectedProduct = static_cast<int32_t>(gProduct.products.size()) - 1;
    gView.productsChanged();
    gProduct.pluginFiles = FindFiles(WithFinalBackslash(CurrentFolder()), L"*.8bf");
    gProduct.profileLoaded = true;
    if (gProduct.pluginFiles.empty())
        ShowErrorBox(gModes.germanMode ? L"Sorry, aber keine Plugins wurden gefunden."
                                       : L"Sorry, no plugins found for installation.");
}

}  // namespace

void ProductReset() {
    gProduct = ProductState{};
    gProduct.selectedProduct = -1;
}

ProductIni ProductIniParse(const std::vector<std::wstring>& lines) {
    ProductIni ini{};
    ini.productName = LineAt(lines, 0);
    if (!ProductNameIsValid(ini.productName))
        RaiseError(FormatText(L"Fitwright.ini, line 1: \"%ls\" is not a valid product name.",
                              ini.productName.c_str()));
    ini.subFolderName = LineAt(lines, 1);
    if (!ini.subFolderName.empty() && !RelativeNameIsSafe(ini.subFolderName))
        RaiseError(FormatText(L"Fitwright.ini, line 2: \"%ls\" is not a valid sub folder name.",
                              ini.subFolderName.c_str()));
    ini.subFolderChecked = LineAt(lines, 2) == L"1";
    size_t next = 3;
    ini.addedFolders = ParseSection(lines, &next, L"folders", false);
    ini.pluginFiles = ParseSection(lines, &next, L"plugin files", true);
    if (!RestIsBlank(lines, next))
        ini.uninstallFiles = ParseSection(lines, &next, L"uninstall files", true);
    if (!RestIsBlank(lines, next))
        ini.panelFiles = ParseSection(lines, &next, L"panel files", true);
    return ini;
}

bool ProductIniFirstLine(std::wstring* line) {
    std::vector<std::wstring> lines;
    if (!FileExists(kIniFileName) || !ReadTextLines(kIniFileName, &lines)) return false;
    *line = LineAt(lines, 0);
    return true;
}

void ProductSetName(const std::wstring& name) {
    gProduct.productName = name;
    gView.setProductLabel(name);
}

void ProductSetSubFolderName(const std::wstring& name) {
    gProduct.subFolderName = name;
}

void ProductSetSubFolderBox(bool checked) {
    gProduct.subFolderChecked = checked;
    gView.subFolderBoxSet(checked);
}

void ProductSetSubFolderBoxQuietly(bool checked) {
    gProduct.subFolderChecked = checked;
}

bool SubFolderInUse() {
    bool asked =
        gProduct.subFolderChecked || gModes.panelMode || gModes.pseOnlyMode || gModes.pspseMode;
    return asked && !gProduct.subFolderName.empty();
}

void LoadProducts() {
    gProduct.profileLoaded = false;
    gProduct.pluginFiles.clear();
    gProduct.uninstallFiles.clear();
    gProduct.panelFiles.clear();
    gProduct.addedFolders.clear();
    gProduct.products.clear();
    gProduct.selectedProduct = -1;
    for (const std::wstring& name : GetRegKeyNames(HKEY_CURRENT_USER, kProfileRootKey)) {
        std::wstring platform = ReadRegValue(HKEY_CURRENT_USER, ProfileKey(name), L"Platform");
        bool offered = gModes.dualMode || (!gModes.sixtyFourBitMode && platform.empty()) ||
                       (gModes.sixtyFourBitMode && platform == L"x64");
        if (offered) gProduct.products.insert(gProduct.products.begin(), name);
    }
    gView.productsChanged();
    std::wstring firstLine;
    bool iniExists = ProductIniFirstLine(&firstLine);
    if (gProduct.productName.empty() && iniExists) ProductSetName(firstLine);
    bool known =
        ProductNameIsValid(gProduct.productName) && !ReadProfileValue(L"PluginFiles0").empty();
    if (!gModes.showMessageMode && known) {
        SelectEqualProducts();
        LoadProductSettings();
    } else if (iniExists) {
        std::vector<std::wstring> lines;
        if (!ReadTextLines(kIniFileName, &lines))
            RaiseError(FormatText(L"Cannot open file %ls", kIniFileName));
        ApplyIni(ProductIniParse(lines));
        gProduct.profileLoaded = true;
    } else {
        LoadFallbackProduct();
    }
}

void LoadProductSettings() {
    gProduct.profileLoaded = false;
    DropAddedFolders();
    gProduct.pluginFiles.clear();
    gProduct.uninstallFiles.clear();
    gProduct.panelFiles.clear();
    gProduct.subFolderName.clear();
    gProduct.installPath.clear();
    if (ProductNameIsValid(gProduct.productName)) {
        std::wstring sub = ReadProfileValue(L"SubFolder");
        if (!sub.empty() && !RelativeNameIsSafe(sub))
            RaiseError(
                FormatText(L"The profile of \"%ls\": \"%ls\" is not a valid sub folder "
                           L"name.",
                           gProduct.productName.c_str(), sub.c_str()));
        ProductSetSubFolderName(sub);
        ProductSetSubFolderBox(ReadProfileValue(L"SubFolderCheckbox") == L"1");
        for (const std::wstring& folder : ReadNumberedList(L"AdditionalFolders", L"folders", false))
            InsertAddedFolder(folder);
        gProduct.pluginFiles = ReadNumberedList(L"PluginFiles", L"plugin files", true);
        gProduct.uninstallFiles = ReadNumberedList(L"UninstallFiles", L"uninstall files", true);
        gProduct.panelFiles = ReadNumberedList(L"PanelFiles", L"panel files", true);
        gProduct.installPath = ReadProfileValue(L"InstallPath");
    }
    gProduct.profileLoaded = true;
}

void SaveProductSettings() {
    if (gHosts.entries.empty() || !gProduct.profileLoaded ||
        !ProductNameIsValid(gProduct.productName))
        return;
    WriteProfileValue(L"SubFolder", gProduct.subFolderName);
    WriteProfileValue(L"SubFolderCheckbox", gProduct.subFolderChecked ? L"1" : L"0");
    WriteAddedFolders();
    WriteNumberedList(L"PluginFiles", gProduct.pluginFiles);
    WriteNumberedList(L"UninstallFiles", gProduct.uninstallFiles);
    WriteNumberedList(L"PanelFiles", gProduct.panelFiles);
    // A product first taken from "Fitwright.ini" gets its source folder with the rest.
    if (!gProduct.installPath.empty()) WriteProfileValue(L"InstallPath", gProduct.installPath);
    if (gModes.sixtyFourBitMode) WriteProfileValue(L"Platform", L"x64");
}

void ProductKeepProfileAsItIs() {
    gProduct.profileLoaded = false;
}

void ProductSelect(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(gProduct.products.size())) return;
    gProduct.selectedProduct = index;
    ProductSetName(gProduct.products[index]);
    LoadProductSettings();
}

void ProductAddFolder(std::wstring folder) {
    InsertAddedFolder(folder);
}

void ProductRemoveAddedFolder(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(gProduct.addedFolders.size())) return;
    gProduct.addedFolders.erase(gProduct.addedFolders.begin() + index);
    HostListsRemove(index);
}

bool ProductDeleteProfile(const std::wstring& name) {
    if (!ProductNameIsValid(name)) return false;
    return DeleteRegKeyTree(HKEY_CURRENT_USER, ProfileKey(name));
}

void ProductRemoveItem(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(gProduct.products.size())) return;
    gProduct.products.erase(gProduct.products.begin() + index);
    gProduct.selectedProduct = -1;
    gView.productsChanged();
}
