// The "On Start Up" choice applied: what each mode loads, where from, and what the user is
// told when it cannot be had.

#include "effect/startup_settings.h"

#include <cstring>

#include "dialog/dialog_services.h"
#include "dialog/file_dialogs.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/data_folder.h"
#include "effect/effect_session.h"
#include "effect/preset_file.h"
#include "effect/preset_folder.h"
#include "effect/settings_dialog_calls.h"
#include "effect/settings_files.h"
#include "effect/settings_rows.h"
#include "host/effect_context.h"
#include "host/message_boxes.h"
#include "host/numbered_arrays.h"

namespace {
constexpr const char* kOwnDefaultsFilter = "Greyloom Preset (*.glp)\0*.glp\0\0";
constexpr const char* kPresetExtension = "glp";
constexpr const char* kFilterTitle = "Greyloom 2.0";
constexpr int32_t kShortTextOpenOwnDefaults = 34;
constexpr int32_t kTextOwnDefaultsFailed = 403;
constexpr int32_t kTextNoDocumentTitle = 404;
constexpr int32_t kTextNoLoggedSettings = 410;
constexpr uint32_t kOpenFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

// Used until the language texts are loaded (a first start fails before they are).
constexpr const char* kOwnDefaultsFailedEnglish =
    "Sorry, but the following preset file can't be opened:\n%s\n\nTo correct this problem "
    "please choose 'Own Defaults'\nfrom the 'On Reset' combo box on the Prefs tab\nand select "
    "a preset file.";
constexpr const char* kNoDocumentTitleEnglish =
    "Sorry, the Logged Settings feature is not supported by the host application.";
constexpr const char* kNoLoggedSettingsEnglish =
    "Sorry, no logged settings were found for the current image.";
constexpr const char* kOpenOwnDefaultsEnglish = "Open Own Defaults Preset";

const char* LanguageText(int32_t array, int32_t row, const char* english) {
    const char* text = GetArrayBase(array) ? GetArrayString(array, row) : "";
    return text && text[0] ? text : english;
}

void ApplyPreviousSettings() {
    char path[kDataPathMax + 1] = {};
    if (GetDataFolder(path, sizeof path, kDataFolderName, kSettingsFileName, 0,
                      PluginRegistryKey()) &&
        ReadSettingsFile(ARRAY_SETTINGS_ROWS, path, kSettingsFileTag, kFilterTitle, CTL_PREVIEW_TAB,
                         CTL_PREVIEW_ON))
        ApplySettingsRow(ARRAY_SETTINGS_ROWS, GetControlValue(CTL_PREVIEW_TAB), 1);
    PumpDialogMessages();
}

void AskForOwnDefaults() {
    char file[kDataPathMax + 1] = {};
    std::strncpy(file, gEffectSession.ownDefaultsPath.c_str(), kDataPathMax);
    const char* title =
        LanguageText(ARRAY_SHORT_TEXTS, kShortTextOpenOwnDefaults, kOpenOwnDefaultsEnglish);
    if (ShowOpenFileDialog(kOpenFlags, file, sizeof file, nullptr, nullptr, nullptr, 0,
                           kOwnDefaultsFilter, nullptr, 0, nullptr,
                           gEffectSession.presetFolder.c_str(), title, kPresetExtension,
                           nullptr) == FILE_DIALOG_CHOSEN)
        gEffectSession.ownDefaultsPath = file;
}

void ApplyOwnDefaults(int32_t ask, int32_t quiet) {
    if (!quiet && (ask == 1 || gEffectSession.ownDefaultsPath.empty())) AskForOwnDefaults();
    if (ask != 0 || gEffectSession.ownDefaultsPath.empty()) return;
    if (LoadPresetFile(gEffectSession.ownDefaultsPath.c_str(), 0) || quiet) return;
    ShowErrorMessage(LanguageText(ARRAY_TEXTS, kTextOwnDefaultsFailed, kOwnDefaultsFailedEnglish),
                     gEffectSession.ownDefaultsPath.c_str());
    gEffectSession.ownDefaultsPath.clear();
}

void ApplyLoggedSettings(int32_t quiet) {
    char title[300] = {};
    const bool hasTitle = GetDocumentTitle(title) != 0 && title[0] != 0;
    if (hasTitle) {
        char folder[kFolderPathMax + 1] = {};
        GetLogFolder(folder, sizeof folder, kDataFolderName, PluginRegistryKey());
        const std::string path = LoggedSettingsPath(folder, title);
        if (LoadPresetFile(path.c_str(), 0) || quiet) return;
    } else if (quiet) {
        return;
    }
    ShowInfoMessage(
        "%s", hasTitle ? LanguageText(ARRAY_TEXTS, kTextNoLoggedSettings, kNoLoggedSettingsEnglish)
                       : LanguageText(ARRAY_TEXTS, kTextNoDocumentTitle, kNoDocumentTitleEnglish));
}
}  // namespace

std::string LoggedSettingsPath(const std::string& logFolder, const char* documentTitle) {
    if (!documentTitle || !documentTitle[0]) return std::string();
    std::string folder = logFolder;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + LogFileName(documentTitle, 0);
}

int32_t ApplyStartupSettings(int32_t mode, int32_t ask, int32_t quiet) {
    switch (mode) {
        case STARTUP_DEFAULTS:
            if (gSettingsDialogCalls.resetAllControls) gSettingsDialogCalls.resetAllControls(0);
            break;
        case STARTUP_PREVIOUS:
            ApplyPreviousSettings();
            break;
        case STARTUP_OWN:
            ApplyOwnDefaults(ask, quiet);
            break;
        case STARTUP_LOGGED:
            ApplyLoggedSettings(quiet);
            break;
        default:
            break;
    }
    return 1;
}
