// The product Fitwright installs: its files, sub folder and added folders, kept per product
// in a registry profile under HKEY_CURRENT_USER, first taken from "Fitwright.ini".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Written only by the Product* functions below and by LoadProducts, LoadProductSettings.
struct ProductState {
    std::wstring productName;    // the current product; names its profile key
    std::wstring subFolderName;  // sub folder below a host's plug-in folder
    bool subFolderChecked;       // the Sub Folder box (CheckBox1)
    std::wstring installPath;    // source folder with a final backslash; empty: current folder
    std::vector<std::wstring> pluginFiles;
    std::vector<std::wstring> uninstallFiles;
    std::vector<std::wstring> panelFiles;
    std::vector<std::wstring> addedFolders;  // the top entries of gHosts, in the same order
    std::vector<std::wstring> products;      // the items of ComboBox1
    int32_t selectedProduct;                 // selected item of ComboBox1, -1 when none
    bool profileLoaded;  // false after a failed load (the save at exit must not write half a
                         // profile over a good one) and after a failed install (a setup that
                         // failed leaves no profile, and a profile as it was)
};
extern ProductState gProduct;

// What "Fitwright.ini" describes.
struct ProductIni {
    std::wstring productName;
    std::wstring subFolderName;
    bool subFolderChecked;
    std::vector<std::wstring> addedFolders;  // in file order
    std::vector<std::wstring> pluginFiles;
    std::vector<std::wstring> uninstallFiles;
    std::vector<std::wstring> panelFiles;
};

extern const wchar_t* const kProfileRootKey;  // "Software\Quillmoor\Fitwright\"
extern const wchar_t* const kIniFileName;     // "Fitwright.ini"

void ProductReset();

// Parses the lines of "Fitwright.ini"; raises InstallerError with a clear message for a
// malformed file (a count that is no number, fewer lines than announced, bad names).
ProductIni ProductIniParse(const std::vector<std::wstring>& lines);

// The first line of "Fitwright.ini" in the current folder; false when there is no such file.
bool ProductIniFirstLine(std::wstring* line);

void ProductSetName(const std::wstring& name);  // also the caption of Label4
void ProductSetSubFolderName(const std::wstring& name);
void ProductSetSubFolderBox(bool checked);         // runs the Sub Folder click handler
void ProductSetSubFolderBoxQuietly(bool checked);  // from inside that handler

// Whether files go into the sub folder: the box is checked or a mode asks for it, and there
// is a sub-folder name (an empty one would aim at the host's own plug-in folder).
bool SubFolderInUse();

void LoadProducts();
void LoadProductSettings();
void SaveProductSettings();
// An install failed: the save at exit leaves the profile as it is.
void ProductKeepProfileAsItIs();

// ComboBox1Change: the product of the item becomes current and its profile is read.
void ProductSelect(int32_t index);

// Inserts a folder chosen by the user at the top of the added folders and the host list.
void ProductAddFolder(std::wstring folder);
// Removes an added folder (index into the host list, below the number of added folders).
void ProductRemoveAddedFolder(int32_t index);

// Deletes a product's profile key; refuses names that are not valid product names (an empty
// one would delete every product's profile).
bool ProductDeleteProfile(const std::wstring& name);
// Removes the item from ComboBox1 (after its profile was deleted).
void ProductRemoveItem(int32_t index);
