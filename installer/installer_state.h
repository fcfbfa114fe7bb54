// Fitwright's program-wide state: the mode flags of the command line, the host list that the
// check list, the plug-in folders and the program paths share by index, and the view hooks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Written by the command-line walks of the main window and by the 64-bit switches of host
// discovery (through ModesSetSixtyFourBit); read everywhere.
struct InstallerModes {
    bool germanMode;        // "german": German texts
    bool dualMode;          // "dualWin": hosts searched in the 64-bit and the 32-bit view
    bool sixtyFourBitMode;  // the 64-bit registry view (and file-system view) is in force
    bool panelMode;         // "Panel": Photoshop hosts only, panel files for CS4 and later
    bool pseOnlyMode;       // "PSEOnly": Photoshop Elements hosts only
    bool pspseMode;         // "PSPSE": Photoshop CC3 to CS and Elements 14 to 3 only
    bool showMessageMode;   // "ShowMessage": setup mode, Install ends the program
    bool silentMode;        // "Silent": no message box may wait for a person
    bool doUninstallMode;   // "DoUninstall": unattended uninstall without confirmation
};
extern InstallerModes gModes;

void ModesReset();
void ModesSetSixtyFourBit(bool on);

// One entry of the host list: the item of the check list, its plug-in folder (always ending
// with a backslash) and its program path (empty when unknown). Added folders are the top
// entries and carry the folder itself as text and an empty program path.
struct HostEntry {
    std::wstring text;
    std::wstring foundPath;
    std::wstring exePath;
    bool checked;
};

// Written only by the HostLists* functions; read by install, profile and the window.
struct HostLists {
    std::vector<HostEntry> entries;
    int32_t selected;  // index of the selected item, -1 when none
};
extern HostLists gHosts;

void HostListsReset();
void HostListsAppend(const std::wstring& text, const std::wstring& foundPath,
                     const std::wstring& exePath);
void HostListsInsertFolderAtTop(const std::wstring& folder);
void HostListsRemove(int32_t index);
void HostListsSetChecked(int32_t index, bool checked);
void HostListsCheckAll();
void HostListsSelect(int32_t index);
bool HostListsValidIndex(int32_t index);

// How the model tells the main window about changes; the defaults do nothing, so that the
// logic runs without a window in tests.
struct ViewHooks {
    void (*hostsChanged)();
    void (*productsChanged)();
    void (*setCaption)(const wchar_t* caption);
    void (*setProductLabel)(const std::wstring& text);
    void (*subFolderBoxSet)(bool checked);  // runs the Sub Folder click handler
    void (*showMainWindow)();
    void (*endProgram)();  // closes the main window once the message loop runs
};
extern ViewHooks gView;

void ViewHooksReset();
