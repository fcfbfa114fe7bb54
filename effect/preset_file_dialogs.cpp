// Opening and saving preset files from the dialog: remembered folders and names, the open and
// save-as dialogs, the quick save through the Save Preset dialog.

#include "effect/preset_file_dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include <cstring>

#include "dialog/file_dialogs.h"
#include "dialog/file_names.h"
#include "dialog/filter_dialog.h"
#include "dialog/message_boxes.h"
#include "effect/control_ids.h"
#include "effect/data_folder.h"
#include "effect/effect_session.h"
#include "effect/preset_file.h"
#include "effect/preset_folder.h"
#include "effect/preset_groups.h"
#include "effect/preset_lists.h"
#include "effect/save_preset_dialog.h"
#include "effect/whole_files.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/text_format.h"

namespace {
constexpr int32_t kRerenderAction = 3;
constexpr uint32_t kOpenFlags =
    OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
// No overwrite prompt here: the Save Preset dialog asks once the name is final.
constexpr uint32_t kSaveFlags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
constexpr char kOpenFilter[] = "All Presets (*.glp;*.gop;*.acv)\0*.glp;*.gop;*.acv\0";
constexpr char kSaveFilter[] = "Greyloom Preset (*.glp)\0*.glp\0";
constexpr const char* kPresetExtension = "glp";

// Short texts of the dialog's language; their English words until the language is loaded.
constexpr int32_t kOpenPresetTitle = 156, kOpenFailedText = 157, kSaveAsTitle = 158,
                  kSaveFailedText = 159;
struct ShortTextFallback {
    int32_t id;
    const char* text;
};
constexpr ShortTextFallback kFallbacks[] = {{kOpenPresetTitle, "Open Preset"},
                                            {kOpenFailedText, "Failed to open preset file."},
                                            {kSaveAsTitle, "Save Preset As"},
                                            {kSaveFailedText, "Failed to save preset file."}};

const char* ShortText(int32_t id) {
    const char* text = GetArrayString(ARRAY_SHORT_TEXTS, id);
    if (GetArrayDimension(ARRAY_SHORT_TEXTS, 0) > id && *text) return text;
    for (const ShortTextFallback& fallback : kFallbacks)
        if (fallback.id == id) return fallback.text;
    return "";
}

// The user's presets are the list's first category: a new or vanished file shows at once.
void RefillPresetList() {
    FillPresetList(CTL_PRESET_LIST);
}

bool EndsWithSlash(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::string PresetFolder() {
    char folder[kDataPathMax + 1] = "";
    GetPresetFolder(folder, sizeof folder, kDataFolderName, PluginRegistryKey());
    return folder;
}

void RescanAndRefill() {
    gEffectSession.presetFolder = PresetFolder();
    ScanPresetFolder(gEffectSession.presetFolder.c_str());
    gPresetDialogCalls.refillPresetList();
}

// The proposal for the file dialog's buffer; one that does not fit is cut to its name alone
// (the dialog then starts in the preset folder).
std::string ProposeFile(const std::string& lastPath, const char* extension) {
    const char* name = gEffectSession.lastPresetName.c_str();
    std::string proposed = PresetProposedFile(lastPath.c_str(), name, extension);
    if (proposed.size() >= kPresetDialogFileChars)
        proposed = PresetProposedFile("", name, extension);
    if (proposed.size() >= kPresetDialogFileChars) proposed.clear();
    return proposed;
}

using ShowFileDialogProc = int32_t (*)(uint32_t, char*, uint32_t, int32_t*, int32_t*, char*,
                                       uint32_t, const char*, char*, uint32_t, int32_t*,
                                       const char*, const char*, const char*, uint32_t*);
// The open and the save-as dialog differ only in these.
struct PresetFileDialog {
    ShowFileDialogProc show;
    uint32_t flags;
    const char* filter;
    int32_t titleText;
    std::string EffectSession::*path;  // the remembered path, proposed and then chosen
    const char* extension;             // appended to the proposed name
};
const PresetFileDialog kPresetOpenDialog = {ShowOpenFileDialog,
                                            kOpenFlags,
                                            kOpenFilter,
                                            kOpenPresetTitle,
                                            &EffectSession::openPresetPath,
                                            ".glp"};
const PresetFileDialog kPresetSaveDialog = {
    ShowSaveFileDialog, kSaveFlags, kSaveFilter, kSaveAsTitle, &EffectSession::savePresetPath, ""};

// Shows the dialog in the preset folder with the last name proposed; true when a file was
// chosen, whose path is then the remembered one.
bool AskForPresetFile(const PresetFileDialog& dialog) {
    gEffectSession.presetFolder = PresetFolder();
    std::string& path = gEffectSession.*dialog.path;
    char buffer[kPresetDialogFileChars] = "";
    CopyText(buffer, sizeof buffer, ProposeFile(path, dialog.extension).c_str());
    if (dialog.show(dialog.flags, buffer, sizeof buffer, nullptr, nullptr, nullptr, 0,
                    dialog.filter, nullptr, 0, nullptr, gEffectSession.presetFolder.c_str(),
                    ShortText(dialog.titleText), kPresetExtension, nullptr) != FILE_DIALOG_CHOSEN)
        return false;
    path = buffer;
    return true;
}
}  // namespace

PresetDialogCalls gPresetDialogCalls = {RefillPresetList};

void PresetDialogCallsConnect(const PresetDialogCalls& calls) {
    gPresetDialogCalls = calls;
    if (!gPresetDialogCalls.refillPresetList)
        gPresetDialogCalls.refillPresetList = RefillPresetList;
}

void PresetDialogCallsReset() {
    gPresetDialogCalls = {RefillPresetList};
}

std::string PresetSavePath(const char* folder, const char* name) {
    std::string path = folder ? folder : "";
    if (!path.empty() && !EndsWithSlash(path)) path += '\\';
    return path + (name ? name : "") + "." + kPresetExtension;
}

std::string PresetProposedFile(const char* lastPath, const char* name, const char* extension) {
    char folder[kDataPathMax + 1] = "";
    GetFileFolder(lastPath, folder, sizeof folder);
    std::string proposed = folder;
    if (name && *name && CheckPresetName("", name) == PRESET_NAME_OK)
        proposed += std::string(name) + (extension ? extension : "");
    return proposed;
}

void RememberLastPreset(const char* path) {
    char folder[kDataPathMax + 1] = "", name[kDataPathMax + 1] = "";
    GetFileFolder(path, folder, sizeof folder);
    if (!GetFileBaseName(path, name, sizeof name)) GetFileNamePart(path, name, sizeof name);
    gEffectSession.lastPresetFolder = folder;
    gEffectSession.lastPresetName = name;
}

int32_t OpenPresetFile(const char* path, int32_t combine) {
    // A file that cannot be opened gets the short message here; a damaged one is explained by
    // the loader itself, and either way nothing changes.
    std::string bytes;
    const WholeFileRead status = ReadWholeFile(path, kPresetFileMaxBytes, &bytes);
    if (status == WHOLE_FILE_MISSING || status == WHOLE_FILE_FOLDER) {
        ShowErrorMessage("%s\n%s", ShortText(kOpenFailedText), path ? path : "");
        return 0;
    }
    if (!LoadPresetFile(path, combine)) return 0;
    RememberLastPreset(path);
    RunControlAction(kRerenderAction);
    return 1;
}

int32_t QuickSavePreset() {
    MarkGroupsInUse();
    // Never beside whatever the current folder happens to be.
    if (gEffectSession.lastPresetFolder.empty()) gEffectSession.lastPresetFolder = PresetFolder();
    if (!RunSavePresetDialog(gContext.controlValues[CTL_LANGUAGE])) return 0;
    const std::string path = PresetSavePath(gEffectSession.lastPresetFolder.c_str(),
                                            gEffectSession.lastPresetName.c_str());
    if (!WritePresetFile(path.c_str())) {
        ShowErrorMessage("%s\n%s", ShortText(kSaveFailedText), path.c_str());
        return 0;
    }
    RescanAndRefill();
    return 1;
}

int32_t SavePresetInPresetFolder() {
    gEffectSession.lastPresetFolder = PresetFolder();
    return QuickSavePreset();
}

int32_t LoadPresetDialog() {
    if (AskForPresetFile(kPresetOpenDialog) &&
        OpenPresetFile(gEffectSession.openPresetPath.c_str(),
                       gContext.controlValues[CTL_PRESET_COMBINE]))
        return 1;
    RescanAndRefill();
    return 0;
}

int32_t SavePresetAsDialog() {
    if (AskForPresetFile(kPresetSaveDialog)) {
        RememberLastPreset(gEffectSession.savePresetPath.c_str());
        if (QuickSavePreset()) return 0;
    }
    RescanAndRefill();
    return 0;
}

void ResetPresetDialogFolders() {
    gEffectSession.openPresetPath = PresetFolder();
    gEffectSession.savePresetPath = gEffectSession.openPresetPath;
}
