// The "On Start Up" choice: the settings a dialog starts from (defaults, the previous
// settings, the user's own defaults preset, or the settings logged for the document).
#pragma once

#include <cstdint>
#include <string>

enum StartupMode : int32_t {
    STARTUP_DEFAULTS = 0,  // "Default Settings"
    STARTUP_PREVIOUS = 1,  // "Previous Settings": the settings file's current set
    STARTUP_OWN = 2,       // "Own Defaults": the chosen preset file
    STARTUP_LOGGED = 3,    // "Logged Settings": the log of the document's name
};

// Pure: the log file that holds a document's logged settings, or "" without a title.
std::string LoggedSettingsPath(const std::string& logFolder, const char* documentTitle);

// Applies the start-up choice. ask = 1 asks for the own-defaults preset (and loads nothing);
// quiet = 1 shows no dialog and no message. Returns 1.
int32_t ApplyStartupSettings(int32_t mode, int32_t ask, int32_t quiet);
