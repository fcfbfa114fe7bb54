// The effect-wide state of one dialog session: the remembered preset paths, the preset-list
// options, the host's capabilities and the flags the session start leaves for the handlers.
#pragma once

#include <cstdint>
#include <string>

#include "effect/settings_files.h"

constexpr const char* kFirstPresetName = "Preset 1";
constexpr int32_t kPresetListModeAtLoad = 2;

// Strings are paths of at most kDataPathMax characters. Writers: OnSessionStart and the dialog
// state's loader (effect/session_hooks.cpp, effect/dialog_state.cpp) at the start; after that
// the preset dialogs and the control-event handler, each for the fields it names.
struct EffectSession {
    std::string presetFolder;      // gPresetFolder: the preset folder, ending in a backslash
    std::string lastPresetFolder;  // folder of the last preset opened or saved
    std::string lastPresetName;    // base name of the last preset; "Preset 1" at the start
    std::string openPresetPath;    // last path of the open-file dialog
    std::string savePresetPath;    // last path of the save-file dialog
    std::string ownDefaultsPath;   // the "Own Defaults" preset; empty = none chosen
    std::string dialogStatePath;   // "Greyloomdialog.ini" in the data folder
    // Open (0) or collapsed (1) state of the preset list's category groups, as the
    // dialog-state file keeps them.
    int32_t categoryGroupFlags[kDialogStateGroupFlags];
    int32_t presetListTopItem;  // top visible item of the preset list; at the start, then
                                // before each re-fill of the view menu
    int32_t thumbnailsOn;       // the preset list shows thumbnails (bit 0 of 313 clear)
    int32_t presetListMode;     // list-view mode 0..4 of the preset list; 2 at load
    int32_t hostHasTitle;       // HostHasDocumentTitle at the start: logged settings possible
    int32_t startTimeMs;        // GetTimerMs when the session started
    int32_t skinInUse;          // CTL_SKIN above 0 when the session started
    int32_t sessionStarted;     // set near the end of the session start
};
extern EffectSession gEffectSession;

void EffectSessionReset();
