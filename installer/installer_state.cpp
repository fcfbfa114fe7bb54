// Fitwright's program-wide state: mode flags, the host list and the view hooks, with the
// only functions that write them.
#include "installer/installer_state.h"

InstallerModes gModes;
HostLists gHosts;
ViewHooks gView;

void ModesReset() {
    gModes = InstallerModes{};
}

void ModesSetSixtyFourBit(bool on) {
    gModes.sixtyFourBitMode = on;
}

void HostListsReset() {
    gHosts.entries.clear();
    gHosts.selected = -1;
}

void HostListsAppend(const std::wstring& text, const std::wstring& foundPath,
                     const std::wstring& exePath) {
    gHosts.entries.push_back(HostEntry{text, foundPath, exePath, false});
    gView.hostsChanged();
}

void HostListsInsertFolderAtTop(const std::wstring& folder) {
    gHosts.entries.insert(gHosts.entries.begin(), HostEntry{folder, folder, L"", false});
    if (gHosts.selected >= 0) gHosts.selected++;
    gView.hostsChanged();
}

void HostListsRemove(int32_t index) {
    if (!HostListsValidIndex(index)) return;
    gHosts.entries.erase(gHosts.entries.begin() + index);
    if (gHosts.selected >= static_cast<int32_t>(gHosts.entries.size())) gHosts.selected = -1;
    gView.hostsChanged();
}

void HostListsSetChecked(int32_t index, bool checked) {
    if (!HostListsValidIndex(index)) return;
    gHosts.entries[index].checked = checked;
    gView.hostsChanged();
}

void HostListsCheckAll() {
    for (HostEntry& entry : gHosts.entries) entry.checked = true;
    gView.hostsChanged();
}

void HostListsSelect(int32_t index) {
    gHosts.selected = HostListsValidIndex(index) ? index : -1;
    gView.hostsChanged();
}

bool HostListsValidIndex(int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(gHosts.entries.size());
}

static void NoChange() {}
static void NoCaption(const wchar_t*) {}
static void NoLabel(const std::wstring&) {}
static void NoBox(bool) {}

void ViewHooksReset() {
    gView = ViewHooks{NoChange, NoChange, NoCaption, NoLabel, NoBox, NoChange, NoChange};
}

// The hooks must be callable before main sets them up.
static const bool gViewInitialised = (ViewHooksReset(), HostListsReset(), true);
