// The two settings files of the data folder: "Greyloom.ini" (the three settings sets and the
// current sheet) and "Greyloomdialog.ini" (dialog size, tool, own-defaults preset and the
// interface controls' values). Their text formats, strict readers and safe writers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog/control_record.h"
#include "effect/session_hooks.h"
#include "render/session_state.h"

constexpr const char* kSettingsFileTag = "Greyloom2.0";  // first line of both files
constexpr size_t kSettingsTagMax = 254;                  // characters of a tag line as read
constexpr size_t kSettingsPathLineMax = 512;             // characters of the path line
constexpr size_t kSettingsFileMaxBytes = 1 << 20;        // far above any file we write
constexpr int32_t kSettingsMarkerSlot = 310;
constexpr int32_t kSettingsCurveSlot = 311;  // curve k: count at 311 + 33k, then the points
constexpr int32_t kSettingsCurveSlots = 33;
constexpr int32_t kSettingsSelectiveTableSlot = 542;   // 45 slots
constexpr int32_t kSettingsSelectiveRangesSlot = 587;  // 63 slots
constexpr int32_t kSettingsCentreSlot = 650;           // 12 slots, x and y pairs
constexpr int32_t kDialogStateFirstControl = 310;
constexpr int32_t kDialogStateControlCount = 90;  // controls 310..399
constexpr int32_t kDialogStateReservedLines = 5;
constexpr int32_t kDialogStateGroupFlags = 22;  // preset-list category groups
constexpr const char* kNoPathLine = "None";

using SettingsRow = std::array<int32_t, kSettingsRowLength>;

enum SettingsFileStatus : int32_t {
    SETTINGS_FILE_OK = 0,
    SETTINGS_FILE_BAD_TAG,          // first line is not the tag
    SETTINGS_FILE_BAD_SET_COUNT,    // not 3 sets
    SETTINGS_FILE_BAD_SHEET,        // current sheet outside 0..2
    SETTINGS_FILE_BAD_NUMBER,       // a line that is no int32
    SETTINGS_FILE_BAD_POINT_COUNT,  // a curve's point count outside 0..16, or a flag count < 0
    SETTINGS_FILE_TRUNCATED,        // the file ends before its last value
    SETTINGS_FILE_EXTRA_LINES,      // more than the format holds
};

// "Greyloom.ini" as read or to be written.
struct SettingsFileContents {
    int32_t sheet = 0;  // current sheet of the preview tab, 0..2
    std::array<SettingsRow, kSettingsSetCount> rows = {};
};

// The file's text: tag, 3, sheet, then each row without its marker, curves with only their
// used points. Point counts outside 0..16 are written as the nearest bound.
std::string FormatSettingsFile(const char* tag, const SettingsFileContents& contents);
// Reads text into *out, which holds the rows' present slots on entry: slots the file does not
// carry (points behind a curve's last) keep them. On any status but OK *out may be half
// written; the caller parses into a scratch copy. Values are clamped to their controls'
// ranges; every row comes out stored (marker -1).
SettingsFileStatus ParseSettingsFile(const std::string& text, const char* tag,
                                     SettingsFileContents* out);
// Clamps every slot of a row to the range of what it stands for: ranged controls to their
// range, curve points to 0..159, the selective table's brightness and contrast to -100..100
// and its key and tolerance to 0..255 and 0..100, the hue points to 0..255 and the channel
// weights to -100..100.
void ClampSettingsRow(SettingsRow* row);

// "Greyloomdialog.ini" as read or to be written.
struct DialogStateContents {
    int32_t width = 0, height = 0;                  // client size in pixels
    int32_t restoredWidth = 0, restoredHeight = 0;  // when maximised; else 0
    bool full = true;                               // the lines after the sizes are present
    int32_t tool = 0;
    std::string ownDefaultsPath;  // empty = none ("None" in the file)
    int32_t topItem = 0;          // top visible item of the preset list
    std::array<int32_t, kDialogStateControlCount> values = {};  // controls 310..399
    std::vector<int32_t> groupFlags;  // as many as the file carries, each 0 or 1
};

// The 126 lines of a full file (5 when !contents.full); group flags of 1 or more as 1.
std::string FormatDialogStateFile(const char* tag, const DialogStateContents& contents);
// Reads a full file; only the first 22 group flags are kept. Interface values are clamped.
SettingsFileStatus ParseDialogStateFile(const std::string& text, DialogStateContents* out);

// Writes "Greyloom.ini" from rows 0..2 of the array (662 x 3 int32) with the value of the
// tab control as the sheet. 1 written; 0 when it could not be (the old file is untouched).
int32_t WriteSettingsFile(int32_t array, const char* path, const char* tag, int32_t tabControl);
// Reads "Greyloom.ini" into rows 0..2 of the array (created when absent), sets the tab
// control to the file's sheet and, when keepMode is 0, the mode control to 1. Returns 1 when
// read; 0 when the file is missing or damaged. A damaged file changes nothing and is moved
// aside to "<path>.bak", so that the first-start path writes a fresh one.
int32_t ReadSettingsFile(int32_t array, const char* path, const char* tag, const char* title,
                         int32_t tabControl, int32_t keepMode);

// Writes "Greyloomdialog.ini": the dialog's client size (and its restored size when it is
// maximised), and with full the tool, the own-defaults path, the list's top item, the values
// of controls 310..399 and the group flags. 1 written, else 0 (old file untouched).
int32_t WriteDialogStateFile(const char* path, const char* tag, int32_t full, int32_t tool,
                             const char* ownDefaultsPath, int32_t reserved, const int32_t* flags,
                             int32_t flagCount, int32_t listControl);
// Reads "Greyloomdialog.ini" into *out. 1 read; 0 missing or damaged (a damaged file is moved
// aside to "<path>.bak" and the caller takes the no-file path).
int32_t ReadDialogStateFile(const char* path, DialogStateContents* out);
// Sets controls 310..399 to the file's values, in control order.
void ApplyDialogStateValues(const DialogStateContents& contents);

// Tells the user that a settings file could not be saved (language text 413 with the path,
// in English until the language texts are loaded).
void ShowSettingsSaveFailure(const char* path);
