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
#include "effect/preset_file.h"
#include "effect/preset_folder.h"
#include "effect/preset_groups.h"
#include "effect/save_preset_dialog.h"
#include "effect/whole_files.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/text_format.h"

char gPresetFolder[kPresetPathChars];
char gLastPresetFolder[kPresetPathChars];
char gLastPresetName[kPresetPathChars] = "Preset 1";
char gOpenPresetPath[kPresetPathChars];
char gSavePresetPath[kPresetPathChars];

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

void NoRefill() {}

bool EndsWithSlash(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

void ComputePresetFolder(char* out) {
    GetPresetFolder(out, kPresetPathChars, kDataFolderName, PluginRegistryKey());
}

void RescanAndRefill() {
    ComputePresetFolder(gPresetFolder);
    ScanPresetFolder(gPresetFolder);
    gPresetDialogCalls.refillPresetList();
}

// Puts the proposal into the file dialog's buffer; a proposal that does not fit is cut to its
// name alone (the dialog then starts in the preset folder).
void ProposeFile(char* buffer, const char* lastPath, const char* extension) {
    std::string proposed = PresetProposedFile(lastPath, gLastPresetName, extension);
    if (proposed.size() >= kPresetDialogFileChars)
        proposed = PresetProposedFile("", gLastPresetName, extension);
    if (proposed.size() >= kPresetDialogFileChars) proposed.clear();
    CopyText(buffer, kPresetPathChars, proposed.c_str());
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
    char* path;             // the remembered path, also the dialog's name buffer
    const char* extension;  // appended to the proposed name
};
const PresetFileDialog kPresetOpenDialog = {ShowOpenFileDialog, kOpenFlags,      kOpenFilter,
                                            kOpenPresetTitle,   gOpenPresetPath, ".glp"};
const PresetFileDialog kPresetSaveDialog = {ShowSaveFileDialog, kSaveFlags,      kSaveFilter,
                                            kSaveAsTitle,       gSavePresetPath, ""};

// Shows the dialog in the preset folder with the last name proposed; true when a file was
// chosen (its path is then in dialog.path).
bool AskForPresetFile(const PresetFileDialog& dialog) {
    ComputePresetFolder(gPresetFolder);
    ProposeFile(dialog.path, dialog.path, dialog.extension);
    return dialog.show(dialog.flags, dialog.path, kPresetDialogFileChars, nullptr, nullptr, nullptr,
                       0, dialog.filter, nullptr, 0, nullptr, gPresetFolder,
                       ShortText(dialog.titleText), kPresetExtension,
                       nullptr) == FILE_DIALOG_CHOSEN;
}
}  // namespace

PresetDialogCalls gPresetDialogCalls = {NoRefill};

void PresetDialogCallsConnect(const PresetDialogCalls& calls) {
    gPresetDialogCalls = calls;
    if (!gPresetDialogCalls.refillPresetList) gPresetDialogCalls.refillPresetList = NoRefill;
}

void PresetPathsReset() {
    gPresetFolder[0] = gLastPresetFolder[0] = gOpenPresetPath[0] = gSavePresetPath[0] = '\0';
    CopyText(gLastPresetName, kPresetPathChars, kFirstPresetName);
    gPresetDialogCalls = {NoRefill};
}

std::string PresetSavePath(const char* folder, const char* name) {
    std::string path = folder ? folder : "";
    if (!path.empty() && !EndsWithSlash(path)) path += '\\';
    return path + (name ? name : "") + "." + kPresetExtension;
}

std::string PresetProposedFile(const char* lastPath, const char* name, const char* extension) {
    char folder[kPresetPathChars] = "";
    GetFileFolder(lastPath, folder, sizeof folder);
    std::string proposed = folder;
    if (name && *name && CheckPresetName("", name) == PRESET_NAME_OK)
        proposed += std::string(name) + (extension ? extension : "");
    return proposed;
}

void RememberLastPreset(const char* path) {
    char folder[kPresetPathChars] = "", name[kPresetPathChars] = "";
    GetFileFolder(path, folder, sizeof folder);
    if (!GetFileBaseName(path, name, sizeof name)) GetFileNamePart(path, name, sizeof name);
    CopyText(gLastPresetFolder, kPresetPathChars, folder);
    CopyText(gLastPresetName, kPresetPathChars, name);
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
    if (!gLastPresetFolder[0]) ComputePresetFolder(gLastPresetFolder);
    if (!RunSavePresetDialog(gContext.controlValues[CTL_LANGUAGE])) return 0;
    const std::string path = PresetSavePath(gLastPresetFolder, gLastPresetName);
    if (!WritePresetFile(path.c_str())) {
        ShowErrorMessage("%s\n%s", ShortText(kSaveFailedText), path.c_str());
        return 0;
    }
    RescanAndRefill();
    return 1;
}

int32_t SavePresetInPresetFolder() {
    ComputePresetFolder(gLastPresetFolder);
    return QuickSavePreset();
}

int32_t LoadPresetDialog() {
    if (AskForPresetFile(kPresetOpenDialog) &&
        OpenPresetFile(gOpenPresetPath, gContext.controlValues[CTL_PRESET_COMBINE]))
        return 1;
    RescanAndRefill();
    return 0;
}

int32_t SavePresetAsDialog() {
    if (AskForPresetFile(kPresetSaveDialog)) {
        RememberLastPreset(gSavePresetPath);
        if (QuickSavePreset()) return 0;
    }
    RescanAndRefill();
    return 0;
}

void ResetPresetDialogFolders() {
    ComputePresetFolder(gOpenPresetPath);
    CopyText(gSavePresetPath, kPresetPathChars, gOpenPresetPath);
}
