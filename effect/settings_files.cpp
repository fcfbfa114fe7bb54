// The two settings files: "Greyloom.ini" with the three settings sets and
// "Greyloomdialog.ini" with the dialog's state, as text, parsed strictly and written safely.

#include "effect/settings_files.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "dialog/message_boxes.h"
#include "effect/control_ids.h"
#include "effect/setting_ranges.h"
#include "host/whole_files.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

namespace {
constexpr int32_t kSelectiveTableSlots = kSelectiveRows * kSelectiveTableColumns;
constexpr int32_t kSelectiveRangesSlots = kSelectiveRows * kSelectiveRangeColumns;
constexpr int32_t kCentreSlots = 2 * kEffectCentreCount;
constexpr int32_t kLastSheet = kSettingsSetCount - 1;
constexpr int32_t kLastTool = 3;
constexpr int32_t kTextSaveFailed = 413;  // x103 of the TEXT files
constexpr const char* kSaveFailedEnglish =
    "The settings could not be saved to:\n%s\nThe file you had there is unchanged.";  // 0 none, 1
                                                                                      // eyedropper,
                                                                                      // 2 cross, 3
                                                                                      // brush
// Selective table columns: brightness, contrast, colour key, (unused), tolerance.
constexpr int32_t kSelectiveTableMin[kSelectiveTableColumns] = {-100, -100, 0, INT32_MIN, 0};
constexpr int32_t kSelectiveTableMax[kSelectiveTableColumns] = {100, 100, 255, INT32_MAX, 100};
// Selective range columns: hue points a, b, c, d on 0..255, then the weights of R, G, B.
constexpr int32_t kSelectiveRangeMin[kSelectiveRangeColumns] = {0, 0, 0, 0, -100, -100, -100};
constexpr int32_t kSelectiveRangeMax[kSelectiveRangeColumns] = {255, 255, 255, 255, 100, 100, 100};

// The lines of a file, each without its line end (LF, or CR LF from an editor).
class LineReader {
  public:
    explicit LineReader(const std::string& text) : text_(text) {}

    bool Next(std::string_view* line) {
        if (at_ >= text_.size()) return false;
        size_t end = text_.find('\n', at_);
        if (end == std::string::npos) end = text_.size();
        std::string_view found(text_.data() + at_, end - at_);
        if (!found.empty() && found.back() == '\r') found.remove_suffix(1);
        at_ = end + 1;
        *line = found;
        return true;
    }
    // Only blank lines remain.
    bool AtEnd() {
        std::string_view line;
        while (Next(&line))
            if (line.find_first_not_of(" \t") != std::string_view::npos) return false;
        return true;
    }

  private:
    const std::string& text_;
    size_t at_ = 0;
};

bool ParseInt32(std::string_view text, int32_t* value) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

// Reads the next line as one number; the status says why it could not be.
SettingsFileStatus ReadNumber(LineReader& lines, int32_t* value) {
    std::string_view line;
    if (!lines.Next(&line)) return SETTINGS_FILE_TRUNCATED;
    return ParseInt32(line, value) ? SETTINGS_FILE_OK : SETTINGS_FILE_BAD_NUMBER;
}

SettingsFileStatus ReadNumbers(LineReader& lines, int32_t* values, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        if (SettingsFileStatus status = ReadNumber(lines, &values[i]); status != SETTINGS_FILE_OK)
            return status;
    return SETTINGS_FILE_OK;
}

SettingsFileStatus ReadTag(LineReader& lines, const char* tag) {
    std::string_view line;
    if (!lines.Next(&line)) return SETTINGS_FILE_TRUNCATED;
    return line.size() <= kSettingsTagMax && line == tag ? SETTINGS_FILE_OK : SETTINGS_FILE_BAD_TAG;
}

SettingsFileStatus ReadRow(LineReader& lines, SettingsRow* row) {
    int32_t* slots = row->data();
    if (SettingsFileStatus status = ReadNumbers(lines, slots, kSettingsControlCount);
        status != SETTINGS_FILE_OK)
        return status;
    slots[kSettingsMarkerSlot] = -1;
    for (int32_t k = 0; k < kCurveCount; ++k) {
        int32_t* curve = slots + kSettingsCurveSlot + kSettingsCurveSlots * k;
        if (SettingsFileStatus status = ReadNumber(lines, &curve[0]); status != SETTINGS_FILE_OK)
            return status;
        if (curve[0] < 0 || curve[0] > kCurvePointMax) return SETTINGS_FILE_BAD_POINT_COUNT;
        if (SettingsFileStatus status = ReadNumbers(lines, curve + 1, 2 * curve[0]);
            status != SETTINGS_FILE_OK)
            return status;
    }
    return ReadNumbers(lines, slots + kSettingsSelectiveTableSlot,
                       kSelectiveTableSlots + kSelectiveRangesSlots + kCentreSlots);
}

void AppendNumber(std::string* out, int32_t value) {
    *out += std::to_string(value);
    *out += '\n';
}

void AppendLine(std::string* out, std::string_view text) {
    out->append(text);
    *out += '\n';
}

void AppendRow(std::string* out, const SettingsRow& row) {
    for (int32_t n = 0; n < kSettingsControlCount; ++n) AppendNumber(out, row[n]);
    for (int32_t k = 0; k < kCurveCount; ++k) {
        const int32_t* curve = row.data() + kSettingsCurveSlot + kSettingsCurveSlots * k;
        const int32_t count = std::clamp(curve[0], 0, kCurvePointMax);
        AppendNumber(out, count);
        for (int32_t i = 0; i < 2 * count; ++i) AppendNumber(out, curve[1 + i]);
    }
    for (int32_t slot = kSettingsSelectiveTableSlot; slot < kSettingsRowLength; ++slot)
        AppendNumber(out, row[slot]);
}

// A file that is there but cannot be taken is kept for the user and moved out of the way.
int32_t SetAsideDamaged(const char* path) {
    KeepFileAsBackup(path);
    return 0;
}

// The file's text, or false when it is missing or damaged (then already set aside).
bool ReadSettingsText(const char* path, std::string* text) {
    switch (ReadWholeFile(path, kSettingsFileMaxBytes, text)) {
        case WHOLE_FILE_READ:
            return true;
        case WHOLE_FILE_TOO_LARGE:
            SetAsideDamaged(path);
            return false;
        case WHOLE_FILE_MISSING:
        case WHOLE_FILE_FOLDER:
            return false;
    }
    return false;
}

// The client size of the dialog, and its restored size when it is maximised.
void ReadDialogSize(DialogStateContents* contents) {
    if (!gDialog) return;
    RECT client = {};
    GetClientRect(gDialog, &client);
    contents->width = client.right - client.left;
    contents->height = client.bottom - client.top;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (IsZoomed(gDialog) && GetWindowPlacement(gDialog, &placement)) {
        RECT restored = placement.rcNormalPosition;
        RECT frame = {0, 0, 0, 0};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrA(gDialog, GWL_STYLE)), FALSE,
                           DWORD(GetWindowLongPtrA(gDialog, GWL_EXSTYLE)));
        contents->restoredWidth = (restored.right - restored.left) - (frame.right - frame.left);
        contents->restoredHeight = (restored.bottom - restored.top) - (frame.bottom - frame.top);
    }
}

int32_t ListTopItem(int32_t listControl) {
    return std::max(0, GetControlTopItem(listControl));
}
}  // namespace

void ClampSettingsRow(SettingsRow* row) {
    int32_t* slots = row->data();
    for (int32_t n = 0; n < kSettingsControlCount; ++n) slots[n] = ClampSettingValue(n, slots[n]);
    for (int32_t k = 0; k < kCurveCount; ++k) {
        int32_t* curve = slots + kSettingsCurveSlot + kSettingsCurveSlots * k;
        curve[0] = std::clamp(curve[0], 0, kCurvePointMax);
        for (int32_t i = 0; i < 2 * curve[0]; ++i)
            curve[1 + i] = std::clamp(curve[1 + i], 0, kCurveCoordinateMax);
    }
    for (int32_t i = 0; i < kSelectiveTableSlots; ++i) {
        const int32_t column = i % kSelectiveTableColumns;
        int32_t& slot = slots[kSettingsSelectiveTableSlot + i];
        slot = std::clamp(slot, kSelectiveTableMin[column], kSelectiveTableMax[column]);
    }
    for (int32_t i = 0; i < kSelectiveRangesSlots; ++i) {
        const int32_t column = i % kSelectiveRangeColumns;
        int32_t& slot = slots[kSettingsSelectiveRangesSlot + i];
        slot = std::clamp(slot, kSelectiveRangeMin[column], kSelectiveRangeMax[column]);
    }
}

std::string FormatSettingsFile(const char* tag, const SettingsFileContents& contents) {
    std::string out;
    AppendLine(&out, tag);
    AppendNumber(&out, kSettingsSetCount);
    AppendNumber(&out, contents.sheet);
    for (const SettingsRow& row : contents.rows) AppendRow(&out, row);
    return out;
}

SettingsFileStatus ParseSettingsFile(const std::string& text, const char* tag,
                                     SettingsFileContents* out) {
    LineReader lines(text);
    if (SettingsFileStatus status = ReadTag(lines, tag); status != SETTINGS_FILE_OK) return status;
    int32_t setCount = 0;
    if (SettingsFileStatus status = ReadNumber(lines, &setCount); status != SETTINGS_FILE_OK)
        return status;
    if (setCount != kSettingsSetCount) return SETTINGS_FILE_BAD_SET_COUNT;
    if (SettingsFileStatus status = ReadNumber(lines, &out->sheet); status != SETTINGS_FILE_OK)
        return status;
    if (out->sheet < 0 || out->sheet > kLastSheet) return SETTINGS_FILE_BAD_SHEET;
    for (SettingsRow& row : out->rows)
        if (SettingsFileStatus status = ReadRow(lines, &row); status != SETTINGS_FILE_OK)
            return status;
    if (!lines.AtEnd()) return SETTINGS_FILE_EXTRA_LINES;
    for (SettingsRow& row : out->rows) ClampSettingsRow(&row);
    return SETTINGS_FILE_OK;
}

std::string FormatDialogStateFile(const char* tag, const DialogStateContents& contents) {
    std::string out;
    AppendLine(&out, tag);
    for (int32_t size :
         {contents.width, contents.height, contents.restoredWidth, contents.restoredHeight})
        AppendNumber(&out, size);
    if (!contents.full) return out;
    AppendNumber(&out, contents.tool);
    AppendLine(&out, contents.ownDefaultsPath.empty() ? kNoPathLine : contents.ownDefaultsPath);
    AppendNumber(&out, contents.topItem);
    for (int32_t i = 0; i < kDialogStateReservedLines; ++i) AppendNumber(&out, 0);
    for (int32_t value : contents.values) AppendNumber(&out, value);
    AppendNumber(&out, int32_t(contents.groupFlags.size()));
    for (int32_t flag : contents.groupFlags) AppendNumber(&out, flag >= 1 ? 1 : flag);
    return out;
}

SettingsFileStatus ParseDialogStateFile(const std::string& text, DialogStateContents* out) {
    LineReader lines(text);
    if (SettingsFileStatus status = ReadTag(lines, kSettingsFileTag); status != SETTINGS_FILE_OK)
        return status;
    int32_t sizes[4] = {};
    if (SettingsFileStatus status = ReadNumbers(lines, sizes, 4); status != SETTINGS_FILE_OK)
        return status;
    out->width = sizes[0];
    out->height = sizes[1];
    out->restoredWidth = sizes[2];
    out->restoredHeight = sizes[3];
    // A file of the sizes alone is what the short writer makes.
    LineReader rest = lines;
    out->full = !rest.AtEnd();
    if (!out->full) return SETTINGS_FILE_OK;

    if (SettingsFileStatus status = ReadNumber(lines, &out->tool); status != SETTINGS_FILE_OK)
        return status;
    out->tool = std::clamp(out->tool, 0, kLastTool);
    std::string_view path;
    if (!lines.Next(&path)) return SETTINGS_FILE_TRUNCATED;
    if (path.size() > kSettingsPathLineMax) return SETTINGS_FILE_BAD_NUMBER;
    out->ownDefaultsPath = path == kNoPathLine ? std::string() : std::string(path);
    if (SettingsFileStatus status = ReadNumber(lines, &out->topItem); status != SETTINGS_FILE_OK)
        return status;
    out->topItem = std::max(out->topItem, 0);
    int32_t reserved[kDialogStateReservedLines] = {};
    if (SettingsFileStatus status = ReadNumbers(lines, reserved, kDialogStateReservedLines);
        status != SETTINGS_FILE_OK)
        return status;
    if (SettingsFileStatus status =
            ReadNumbers(lines, out->values.data(), kDialogStateControlCount);
        status != SETTINGS_FILE_OK)
        return status;
    for (int32_t i = 0; i < kDialogStateControlCount; ++i)
        out->values[i] = ClampSettingValue(kDialogStateFirstControl + i, out->values[i]);
    int32_t flagCount = 0;
    if (SettingsFileStatus status = ReadNumber(lines, &flagCount); status != SETTINGS_FILE_OK)
        return status;
    if (flagCount < 0) return SETTINGS_FILE_BAD_POINT_COUNT;
    out->groupFlags.clear();
    for (int32_t i = 0; i < flagCount; ++i) {
        int32_t flag = 0;
        if (SettingsFileStatus status = ReadNumber(lines, &flag); status != SETTINGS_FILE_OK)
            return status;
        if (i < kDialogStateGroupFlags) out->groupFlags.push_back(std::min(flag, 1));
    }
    return lines.AtEnd() ? SETTINGS_FILE_OK : SETTINGS_FILE_EXTRA_LINES;
}

int32_t WriteSettingsFile(int32_t array, const char* path, const char* tag, int32_t tabControl) {
    if (!path || !tag || !GetArrayBase(array)) return 0;
    SettingsFileContents contents;
    contents.sheet = std::clamp(GetControlValue(tabControl), 0, kLastSheet);
    for (int32_t r = 0; r < kSettingsSetCount; ++r)
        for (int32_t slot = 0; slot < kSettingsRowLength; ++slot)
            contents.rows[r][slot] = GetArrayElement(array, slot, r, 0);
    return ReplaceWholeFile(path, FormatSettingsFile(tag, contents)) ? 1 : 0;
}

int32_t ReadSettingsFile(int32_t array, const char* path, const char* tag, const char*,
                         int32_t tabControl, int32_t keepMode) {
    std::string text;
    if (!path || !tag || !ReadSettingsText(path, &text)) return 0;
    // Parsed into a scratch copy of the rows: nothing changes unless the whole file is good.
    const bool existed = GetArrayBase(array) != nullptr;
    SettingsFileContents scratch;
    for (int32_t r = 0; existed && r < kSettingsSetCount; ++r)
        for (int32_t slot = 0; slot < kSettingsRowLength; ++slot)
            scratch.rows[r][slot] = GetArrayElement(array, slot, r, 0);
    if (ParseSettingsFile(text, tag, &scratch) != SETTINGS_FILE_OK) return SetAsideDamaged(path);

    if (!existed && !CreateArray(array, kSettingsRowLength, kSettingsSetCount, 1, 4)) return 0;
    for (int32_t r = 0; r < kSettingsSetCount; ++r)
        for (int32_t slot = 0; slot < kSettingsRowLength; ++slot)
            PutArrayElement(array, slot, r, 0, scratch.rows[r][slot]);
    SetControlValue(tabControl, scratch.sheet);
    if (!keepMode) SetControlValue(CTL_MODE, 1);
    return 1;
}

int32_t WriteDialogStateFile(const char* path, const char* tag, int32_t full, int32_t tool,
                             const char* ownDefaultsPath, int32_t, const int32_t* flags,
                             int32_t flagCount, int32_t listControl) {
    if (!path || !tag) return 0;
    DialogStateContents contents;
    ReadDialogSize(&contents);
    contents.full = full != 0;
    contents.tool = tool;
    contents.ownDefaultsPath = ownDefaultsPath ? ownDefaultsPath : "";
    contents.topItem = ListTopItem(listControl);
    for (int32_t i = 0; i < kDialogStateControlCount; ++i)
        contents.values[i] = GetControlValue(kDialogStateFirstControl + i);
    if (flags) contents.groupFlags.assign(flags, flags + std::max(flagCount, 0));
    return ReplaceWholeFile(path, FormatDialogStateFile(tag, contents)) ? 1 : 0;
}

int32_t ReadDialogStateFile(const char* path, DialogStateContents* out) {
    std::string text;
    if (!path || !out || !ReadSettingsText(path, &text)) return 0;
    DialogStateContents scratch;
    if (ParseDialogStateFile(text, &scratch) != SETTINGS_FILE_OK) return SetAsideDamaged(path);
    *out = std::move(scratch);
    return 1;
}

void ApplyDialogStateValues(const DialogStateContents& contents) {
    for (int32_t i = 0; i < kDialogStateControlCount; ++i)
        SetControlValue(kDialogStateFirstControl + i, contents.values[i]);
}

void ShowSettingsSaveFailure(const char* path) {
    const char* text =
        GetArrayBase(ARRAY_TEXTS) ? GetArrayString(ARRAY_TEXTS, kTextSaveFailed) : "";
    if (!text[0]) text = kSaveFailedEnglish;
    ShowErrorMessage(text, path ? path : "");
}
