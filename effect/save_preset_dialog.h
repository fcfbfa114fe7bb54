// The Save Preset dialog (template 150): the preset's name and the preset groups to store,
// with its texts in English and German and the checks of its Save button.
#pragma once

#include <windows.h>

#include <cstdint>

#include "effect/preset_groups.h"

// Items of template 150.
enum SavePresetItem : int32_t {
    SAVE_PRESET_SAVE = IDOK,
    SAVE_PRESET_CANCEL = IDCANCEL,
    SAVE_PRESET_CHECK_ALL = 1005,
    SAVE_PRESET_CHECK_NONE = 1006,
    SAVE_PRESET_NAME = 1026,
    SAVE_PRESET_FIRST_HEAD = 1052,   // five column heads, 1052..1056
    SAVE_PRESET_FIRST_GROUP = 1057,  // 1057 + g stands for preset group g
    SAVE_PRESET_LAST_ITEM = 1083,
    SAVE_PRESET_NAME_LABEL = 1100,
    SAVE_PRESET_SETTINGS_BOX = 1101,
};
constexpr int32_t kSavePresetTemplate = 150;
constexpr int32_t kSavePresetNameMax = 255;  // characters of the name as read
constexpr int32_t kSavePresetColumnCount = 5;
constexpr int32_t kSavePresetTextCount = 39;  // caption, 1100, 1101, 1005, 1006, 1, 2, 1052..1083

// A column head and the groups it governs (the ranges of two heads include an empty group).
struct SavePresetColumn {
    int32_t head;
    int32_t firstGroup, lastGroup;
};
extern const SavePresetColumn kSavePresetColumns[kSavePresetColumnCount];

enum PresetNameCheck : int32_t {
    PRESET_NAME_OK = 0,
    PRESET_NAME_EMPTY,              // "" only: a name of blanks is a name
    PRESET_NAME_ILLEGAL_CHARACTER,  // one of \ / : * ? " < > | or a control character
    PRESET_NAME_RESERVED,           // a device name (CON, NUL, COM1 ...) or a trailing dot
    PRESET_NAME_TOO_LONG,           // folder, name and ".glp" do not fit a Windows path
    PRESET_NAME_CHECK_COUNT,
};

// --- Pure ------------------------------------------------------------------------------------
PresetNameCheck CheckPresetName(const char* folder, const char* name);
// A head is ticked when every flag of its range is set (empty groups included).
bool SavePresetHeadTicked(const SavePresetColumn& column, const int32_t flags[kPresetGroupCount]);
// Text index (0 caption ... 38 item 1083) in language (1 German, else English); "" hides.
const char* SavePresetText(int32_t language, int32_t index);
// The message of a failed name check, and the overwrite question, in language.
const char* SavePresetNameMessage(int32_t language, PresetNameCheck check);
const char* SavePresetNoGroupMessage(int32_t language);
const char* SavePresetOverwriteQuestion(int32_t language);

// --- Window ----------------------------------------------------------------------------------
// Modal over the filter dialog (centred on it; on the screen's work area without one). On
// Save the session's lastPresetName holds the name and gGroupInUse the ticked groups: 1;
// Cancel: 0.
int32_t RunSavePresetDialog(int32_t language);
INT_PTR CALLBACK SavePresetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
