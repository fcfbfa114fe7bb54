// Opening and saving preset files from the dialog: the folders and names remembered while the
// plug-in stays loaded, the open and save-as file dialogs, and the quick save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t kPresetDialogFileChars = 256;  // the file dialogs' name buffer

// The remembered folders, names and paths are gEffectSession's (effect/effect_session.h):
// presetFolder, lastPresetFolder, lastPresetName, openPresetPath and savePresetPath are
// written here once the session started (lastPresetName also by the Save Preset dialog's
// Save, which keeps the name typed even when it refuses it).

// Work of the preset list that the file dialogs ask for, replaceable for tests (one writer:
// PresetDialogCallsConnect); by default the preset list 124 is filled again.
struct PresetDialogCalls {
    // Refills the preset list of the current category after the preset folder was rescanned
    // into ARRAY_PRESET_PATHS (its thumbnails are the preset list's to render).
    void (*refillPresetList)();
};
extern PresetDialogCalls gPresetDialogCalls;
void PresetDialogCallsConnect(const PresetDialogCalls& calls);

// The default calls (tests start from here).
void PresetDialogCallsReset();

// --- Pure ------------------------------------------------------------------------------------
// folder (a trailing backslash added when missing) + name + ".glp".
std::string PresetSavePath(const char* folder, const char* name);
// What the file dialogs propose: the folder part of lastPath, then name and extension (may be
// empty). A name Windows would refuse is not proposed (the dialog would not open with it).
std::string PresetProposedFile(const char* lastPath, const char* name, const char* extension);

// --- Files and windows -----------------------------------------------------------------------
// Remembers the folder and base name of a preset opened or saved (lastPresetFolder and
// lastPresetName); for the preset list, which loads files without a dialog.
void RememberLastPreset(const char* path);
// Loads a preset file of any format (".glp", ".gop", ".acv") with the combine flag; on success
// remembers it and re-renders the preview (1); on failure shows "Failed to open preset file."
// and changes nothing (0).
int32_t OpenPresetFile(const char* path, int32_t combine);

// Marks the groups in use, asks for the name and groups (Save Preset dialog in the language of
// the language control) and writes lastPresetFolder\lastPresetName.glp; then rescans the
// preset folder and refills the list. 1 saved; 0 cancelled or failed (the user is told, and an
// older file of that name stays as it was).
int32_t QuickSavePreset();
// "Save Preset...": the quick save into the preset folder.
int32_t SavePresetInPresetFolder();
// "Open Preset...": the open-file dialog for all three formats, then OpenPresetFile with the
// Combine box. 1 loaded; 0 cancelled or failed (the folder is then rescanned and the list
// refilled).
int32_t LoadPresetDialog();
// "Save Preset As...": the save-file dialog names folder and preset, then QuickSavePreset.
// Returns 0 (after a save as after a cancel); a cancel or failure rescans and refills.
int32_t SavePresetAsDialog();
// "Reset Preset Folder": both file dialogs start in the preset folder again.
void ResetPresetDialogFolders();
