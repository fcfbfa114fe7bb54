// The Save Preset dialog: texts of both languages, the name checks, the column heads and the
// dialog procedure of template 150.

#include "effect/save_preset_dialog.h"

#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <string>

#include "dialog/dialog_window.h"
#include "dialog/file_names.h"
#include "dialog/message_boxes.h"
#include "dialog/text_expansion.h"
#include "effect/effect_session.h"
#include "effect/preset_file_dialogs.h"
#include "host/plugin_data.h"

const SavePresetColumn kSavePresetColumns[kSavePresetColumnCount] = {
    {1052, 0, 6}, {1053, 7, 10}, {1054, 11, 17}, {1055, 18, 23}, {1056, 24, 26},
};

namespace {
constexpr int32_t kFirstItemText = 7;  // text index of item 1052
// The items whose texts follow the caption, in text-table order.
constexpr int32_t kFixedItems[] = {SAVE_PRESET_NAME_LABEL, SAVE_PRESET_SETTINGS_BOX,
                                   SAVE_PRESET_CHECK_ALL,  SAVE_PRESET_CHECK_NONE,
                                   SAVE_PRESET_SAVE,       SAVE_PRESET_CANCEL};
// A path the ANSI file calls accept, less the ".tmp" of the safe writer's temporary file.
constexpr size_t kSavePathMax = MAX_PATH - 1 - 4;

// Windows-1252 texts: the dialog's items take them through the ANSI calls.
const char* const kTexts[2][kSavePresetTextCount] = {
    {"Save Preset", "Preset Name", "Settings", "Check All", "Check None",
     "Save",        "Cancel",      "FX1",      "Select",    "Main",
     "FX2",         "Mask",        "B&&W",     "Polarizer", "Dynamic Contr.",
     "Tonal Look",  "Lab",         "Aging",    "ND-Grad",   "Brightness",
     "Contrast",    "Colorkey",    "",         "Tone",      "Color",
     "Bicolor",     "Red",         "Green",    "Blue",      "",
     "Diffusion",   "Glow",        "Vignette", "Paper",     "Grain",
     "Frame",       "Brush",       "Mask",     "Fade"},
    {"Preset Speichern",
     "Presetname",
     "Einstellungen",
     "Alle W\xE4hlen",
     "Keins W\xE4hlen",
     "Speichern",
     "Abbruch",
     "FX1",
     "Wahl",
     "Haupt",
     "FX2",
     "Maske",
     "S/W",
     "Polfilter",
     "Dynamischer Kontrast",
     "Tonaler Look",
     "Labor",
     "Alterung",
     "ND-Grad",
     "Helligkeit",
     "Kontrast",
     "Colorkey",
     "",
     "Ton",
     "Farbe",
     "Zweifarbig",
     "Rot",
     "Gr\xFCn",
     "Blau",
     "",
     "Diffusion",
     "Gl\xFChen",
     "Vignette",
     "Papier",
     "Korn",
     "Rahmen",
     "Pinsel",
     "Maske",
     "Verblassen"},
};

const char* const kNameMessages[2][PRESET_NAME_CHECK_COUNT] = {
    {"", "Please enter a preset name!", "The preset name contains an illegal letter.",
     "The preset name is reserved by Windows for a device, or ends in a dot.",
     "The preset name is too long for the preset folder."},
    {"", "Bitte geben Sie einen Presetnamen ein!",
     "Der Presetname enth\xE4lt ein illegales Zeichen.",
     "Der Presetname ist unter Windows einem Ger\xE4t vorbehalten oder endet mit einem Punkt.",
     "Der Presetname ist f\xFCr den Presetordner zu lang."},
};
const char* const kNoGroupMessages[2] = {
    "Please activate at least one check box under Settings!",
    "Bitte aktivieren sie wenigstens ein K\xE4stchen unter Einstellungen!"};
const char* const kOverwriteQuestions[2] = {
    "Do you want to overwrite the existing preset with the same name?",
    "M\xF6"
    "chten Sie das bereits existierende Preset mit dem selben Namen \xFC"
    "berschreiben?"};

// Names Windows keeps for devices, with or without an extension behind them.
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL"};
constexpr const char* kNumberedDevices[] = {"COM", "LPT"};

int32_t LanguageIndex(int32_t language) {
    return language == 1 ? 1 : 0;
}

bool IsDeviceName(const char* name) {
    std::string stem(name, std::strcspn(name, "."));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = char(std::toupper(uint8_t(c)));
    for (const char* device : kDeviceNames)
        if (stem == device) return true;
    for (const char* device : kNumberedDevices)
        if (stem.size() == 4 && stem.compare(0, 3, device) == 0 && stem[3] >= '1' && stem[3] <= '9')
            return true;
    return false;
}

bool HasControlCharacter(const char* name) {
    for (const char* c = name; *c; ++c)
        if (uint8_t(*c) < 32) return true;
    return false;
}

// --- Dialog glue -----------------------------------------------------------------------------
struct SavePresetSession {
    int32_t language;
};

SavePresetSession& SessionOf(HWND dialog) {
    return *reinterpret_cast<SavePresetSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool IsTicked(HWND dialog, int32_t item) {
    return IsDlgButtonChecked(dialog, item) == BST_CHECKED;
}

void Tick(HWND dialog, int32_t item, bool ticked) {
    CheckDlgButton(dialog, item, ticked ? BST_CHECKED : BST_UNCHECKED);
}

// The style bit, not IsWindowVisible: the answer must not depend on the dialog being shown.
bool IsShownItem(HWND dialog, int32_t item) {
    HWND window = GetDlgItem(dialog, item);
    return window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
}

int ShowBox(HWND dialog, const char* text, const char* caption, UINT style) {
    return MessageBoxA(dialog, text, caption, style | MB_TASKMODAL);
}

void SetTexts(HWND dialog, int32_t language) {
    SetWindowTextA(dialog, SavePresetText(language, 0));
    for (int32_t i = 0; i < int32_t(std::size(kFixedItems)); ++i)
        SetDlgItemTextA(dialog, kFixedItems[i], SavePresetText(language, i + 1));
    for (int32_t item = SAVE_PRESET_FIRST_HEAD; item <= SAVE_PRESET_LAST_ITEM; ++item) {
        HWND window = GetDlgItem(dialog, item);
        if (!window) continue;
        const char* text = SavePresetText(language, kFirstItemText + item - SAVE_PRESET_FIRST_HEAD);
        SetWindowTextA(window, text);
        ShowWindow(window, *text ? SW_SHOW : SW_HIDE);
    }
}

// Over the filter dialog; without one, in the middle of the work area.
void PlaceDialog(HWND dialog) {
    RECT own, over;
    GetWindowRect(dialog, &own);
    if (!gDialog || !GetWindowRect(gDialog, &over))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &over, 0);
    const int x = over.left + ((over.right - over.left) - (own.right - own.left)) / 2;
    const int y = over.top + ((over.bottom - over.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

INT_PTR SavePresetOnInit(HWND dialog, SavePresetSession* session) {
    SetWindowLongPtrA(dialog, DWLP_USER, LONG_PTR(session));
    INITCOMMONCONTROLSEX classes = {sizeof classes, 0xFFFF};
    InitCommonControlsEx(&classes);
    SetTexts(dialog, session->language);
    PlaceDialog(dialog);
    SendDlgItemMessageA(dialog, SAVE_PRESET_NAME, EM_LIMITTEXT, kSavePresetNameMax, 0);
    SetDlgItemTextA(dialog, SAVE_PRESET_NAME, gEffectSession.lastPresetName.c_str());
    for (int32_t g = 0; g < kPresetGroupCount; ++g)
        Tick(dialog, SAVE_PRESET_FIRST_GROUP + g, gGroupInUse[g] != 0);
    for (const SavePresetColumn& column : kSavePresetColumns)
        Tick(dialog, column.head, SavePresetHeadTicked(column, gGroupInUse));
    return TRUE;
}

void SavePresetTickAll(HWND dialog, bool ticked) {
    for (int32_t item = SAVE_PRESET_FIRST_HEAD; item <= SAVE_PRESET_LAST_ITEM; ++item)
        Tick(dialog, item, ticked);
}

void SavePresetOnHead(HWND dialog, const SavePresetColumn& column) {
    const bool ticked = IsTicked(dialog, column.head);
    for (int32_t g = column.firstGroup; g <= column.lastGroup; ++g)
        Tick(dialog, SAVE_PRESET_FIRST_GROUP + g, ticked);
}

// Stays open (false) on any refusal; the name typed is kept as the last one either way.
bool SavePresetOnSave(HWND dialog) {
    const int32_t language = SessionOf(dialog).language;
    char name[kSavePresetNameMax + 1] = "";
    GetDlgItemTextA(dialog, SAVE_PRESET_NAME, name, sizeof name);
    gEffectSession.lastPresetName = name;
    const char* folder = gEffectSession.lastPresetFolder.c_str();
    const PresetNameCheck check = CheckPresetName(folder, name);
    if (check != PRESET_NAME_OK) {
        ShowBox(dialog, SavePresetNameMessage(language, check), "Error", MB_ICONERROR | MB_OK);
        return false;
    }
    int32_t ticked = 0;
    for (int32_t g = 0; g < kPresetGroupCount; ++g) {
        if (!IsShownItem(dialog, SAVE_PRESET_FIRST_GROUP + g)) continue;
        gGroupInUse[g] = IsTicked(dialog, SAVE_PRESET_FIRST_GROUP + g) ? 1 : 0;
        ticked += gGroupInUse[g];
    }
    if (ticked == 0) {
        ShowBox(dialog, SavePresetNoGroupMessage(language), "Error", MB_ICONERROR | MB_OK);
        return false;
    }
    const std::string path = PresetSavePath(folder, name);
    if (FileExists(path.c_str()) && ShowBox(dialog, SavePresetOverwriteQuestion(language),
                                            FilterTitle(), MB_ICONQUESTION | MB_YESNO) != IDYES)
        return false;
    return true;
}

INT_PTR SavePresetOnCommand(HWND dialog, int32_t item, int32_t notification) {
    if (notification != BN_CLICKED) return FALSE;
    switch (item) {
        case SAVE_PRESET_CHECK_ALL:
            SavePresetTickAll(dialog, true);
            return TRUE;
        case SAVE_PRESET_CHECK_NONE:
            SavePresetTickAll(dialog, false);
            return TRUE;
        case SAVE_PRESET_SAVE:
            if (SavePresetOnSave(dialog)) EndDialog(dialog, 1);
            return TRUE;
        case SAVE_PRESET_CANCEL:
            EndDialog(dialog, 0);
            return TRUE;
    }
    for (const SavePresetColumn& column : kSavePresetColumns)
        if (item == column.head) {
            SavePresetOnHead(dialog, column);
            return TRUE;
        }
    return FALSE;
}
}  // namespace

PresetNameCheck CheckPresetName(const char* folder, const char* name) {
    if (!name || !*name) return PRESET_NAME_EMPTY;
    if (!IsValidFileName(name) || HasControlCharacter(name)) return PRESET_NAME_ILLEGAL_CHARACTER;
    if (IsDeviceName(name) || name[std::strlen(name) - 1] == '.') return PRESET_NAME_RESERVED;
    if (PresetSavePath(folder, name).size() > kSavePathMax) return PRESET_NAME_TOO_LONG;
    return PRESET_NAME_OK;
}

bool SavePresetHeadTicked(const SavePresetColumn& column, const int32_t flags[kPresetGroupCount]) {
    for (int32_t g = column.firstGroup; g <= column.lastGroup; ++g)
        if (!flags[g]) return false;
    return true;
}

const char* SavePresetText(int32_t language, int32_t index) {
    if (index < 0 || index >= kSavePresetTextCount) return "";
    return kTexts[LanguageIndex(language)][index];
}

const char* SavePresetNameMessage(int32_t language, PresetNameCheck check) {
    if (check < 0 || check >= PRESET_NAME_CHECK_COUNT) return "";
    return kNameMessages[LanguageIndex(language)][check];
}

const char* SavePresetNoGroupMessage(int32_t language) {
    return kNoGroupMessages[LanguageIndex(language)];
}

const char* SavePresetOverwriteQuestion(int32_t language) {
    return kOverwriteQuestions[LanguageIndex(language)];
}

INT_PTR CALLBACK SavePresetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return SavePresetOnInit(dialog, reinterpret_cast<SavePresetSession*>(lParam));
        case WM_COMMAND:
            return SavePresetOnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

int32_t RunSavePresetDialog(int32_t language) {
    SavePresetSession session = {language};
    HMODULE module = gModule ? gModule : GetModuleHandleA(nullptr);
    const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(kSavePresetTemplate), gDialog,
                                           SavePresetDialogProc, LPARAM(&session));
    // Without its template nothing could be asked: say so rather than look cancelled.
    if (result == -1) ShowErrorMessage("The Save Preset dialog could not be opened.");
    return result == 1 ? 1 : 0;
}
