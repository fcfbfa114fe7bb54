// The group preset format, and loading a preset of any format through one change record.

#include "effect/preset_file.h"

#include <algorithm>
#include <iterator>
#include <cctype>
#include <cstring>
#include <vector>

#include "dialog/message_boxes.h"
#include "effect/control_ids.h"
#include "effect/curves_file.h"
#include "effect/legacy_preset.h"
#include "effect/line_file.h"
#include "host/whole_files.h"

namespace {
constexpr int32_t kModeAdvanced = 4;
constexpr int32_t kPageJumpGroupMax = 2;       // a preset of one or two groups shows its page
constexpr int32_t kSelectiveFixedValues = 81;  // 9 + 9 + 63; then controls 97 and 40
constexpr int32_t kSelectiveControlRows = 7;   // rows 0..6 have a slider of their own
constexpr int32_t kSelectedColorSlider = 60;   // 60 + column: the selected colour's slider
constexpr int32_t kFrameSeed = 279;            // an edit control: its box shows the value
// Controls whose click makes the dependent controls follow a loaded group.
constexpr int32_t kFollowControls[] = {270, 1, 76, 227, 75, 283};

bool IsFollowControl(int32_t n) {
    return std::find(std::begin(kFollowControls), std::end(kFollowControls), n) !=
           std::end(kFollowControls);
}

// --- Reading, one procedure per group kind (table below) -------------------------------------
using ReadGroupProc = bool (*)(int32_t group, const std::vector<int32_t>& v, PresetChanges& c,
                               std::string& error);

void SetGroupControl(PresetChanges& changes, int32_t control, int32_t value) {
    if (control == kFrameSeed)
        changes.SetValueText(control, value);
    else
        changes.SetValue(control, value);
}

bool ReadPlain(int32_t group, const std::vector<int32_t>& v, PresetChanges& changes, std::string&) {
    const PresetGroup& g = kPresetGroups[group];
    const int32_t used = std::min<int32_t>(g.count, int32_t(v.size()));
    for (int32_t i = 0; i < used; ++i) SetGroupControl(changes, g.controls[i], v[i]);
    for (int32_t i = 0; i < used; ++i)
        if (IsFollowControl(g.controls[i])) changes.Fire(g.controls[i], EVENT_CLICKED, 0);
    return true;
}

bool ReadAging(int32_t group, const std::vector<int32_t>& v, PresetChanges& changes,
               std::string& error) {
    ReadPlain(group, v, changes, error);
    const int32_t count = kPresetGroups[group].count;
    if (int32_t(v.size()) >= count + 2) changes.SetCentre(0, v[count], v[count + 1]);
    return true;
}

bool ReadCurve(int32_t group, const std::vector<int32_t>& v, PresetChanges& changes,
               std::string& error) {
    const PresetGroup& g = kPresetGroups[group];
    const int32_t n = int32_t(v.size());
    const int32_t points = (n - g.count) / 2;
    if (n < g.count || points > kCurvePointMax) {
        error = std::string("the curve of \"") + g.key + "\" holds " + std::to_string(n) +
                " values, not room for 0 to 16 points";
        return false;
    }
    for (int32_t i = 0; i < g.count; ++i) SetGroupControl(changes, g.controls[i], v[i]);
    changes.SetCurveCount(g.column, points);
    for (int32_t i = 0; i < points; ++i)
        changes.SetCurvePoint(g.column, i, v[g.count + 2 * i], v[g.count + 2 * i + 1]);
    return true;
}

bool ReadSelective(int32_t group, const std::vector<int32_t>& v, PresetChanges& changes,
                   std::string& error) {
    const PresetGroup& g = kPresetGroups[group];
    const int32_t n = int32_t(v.size());
    if (n < kSelectiveFixedValues) {
        error = std::string("\"") + g.key + "\" holds " + std::to_string(n) + " values, not " +
                std::to_string(kSelectiveValueCount);
        return false;
    }
    const int32_t column = g.column;
    for (int32_t a = 0; a < kSelectiveRows; ++a) {
        changes.SetSelective(a, column, v[a]);
        if (a < kSelectiveControlRows) changes.SetValue(g.controls[a], v[a]);
        if (changes.view[CTL_SELECT_COLOR_MARK] == a)
            changes.SetValue(kSelectedColorSlider + column, v[a]);
    }
    for (int32_t a = 0; a < kSelectiveRows; ++a) changes.SetSelective(a, 4, v[kSelectiveRows + a]);
    for (int32_t a = 0; a < kSelectiveRows; ++a)
        for (int32_t b = 0; b < kSelectiveRangeColumns; ++b)
            changes.SetSelectiveRange(a, b, v[2 * kSelectiveRows + kSelectiveRangeColumns * a + b]);
    if (n == kSelectiveValueCount) {
        changes.SetValue(CTL_SELECTIVE_INTENSITY, v[kSelectiveFixedValues]);
        changes.SetValue(CTL_SELECTIVE_TOLERANCE, v[kSelectiveFixedValues + 1]);
    }
    return true;
}

constexpr ReadGroupProc kReadGroup[GROUP_KIND_COUNT] = {ReadPlain, ReadAging, ReadSelective,
                                                        ReadCurve};

// --- Writing, one procedure per group kind ---------------------------------------------------
using WriteGroupProc = void (*)(int32_t group, const int32_t* values, const SettingsState& t,
                                LineWriter& out);

void WriteControls(const PresetGroup& g, const int32_t* values, LineWriter& out) {
    for (int32_t i = 0; i < g.count; ++i) out.Number(values[g.controls[i]]);
}

void WritePlain(int32_t group, const int32_t* values, const SettingsState&, LineWriter& out) {
    out.Number(kPresetGroups[group].count);
    WriteControls(kPresetGroups[group], values, out);
}

void WriteAging(int32_t group, const int32_t* values, const SettingsState& t, LineWriter& out) {
    out.Number(kAgingValueCount);
    WriteControls(kPresetGroups[group], values, out);
    out.Number(t.centreX[0]);
    out.Number(t.centreY[0]);
}

void WriteCurve(int32_t group, const int32_t* values, const SettingsState& t, LineWriter& out) {
    const PresetGroup& g = kPresetGroups[group];
    const int32_t points = std::clamp(t.curveCount[g.column], 0, kCurvePointMax);
    out.Number(g.count + 2 * points);
    WriteControls(g, values, out);
    for (int32_t i = 0; i < points; ++i) {
        out.Number(t.curvePoints[g.column][i][0]);
        out.Number(t.curvePoints[g.column][i][1]);
    }
}

void WriteSelective(int32_t group, const int32_t* values, const SettingsState& t, LineWriter& out) {
    const int32_t column = kPresetGroups[group].column;
    out.Number(kSelectiveValueCount);
    for (int32_t a = 0; a < kSelectiveRows; ++a) out.Number(t.selectiveTable[a][column]);
    for (int32_t a = 0; a < kSelectiveRows; ++a) out.Number(t.selectiveTable[a][4]);
    for (int32_t a = 0; a < kSelectiveRows; ++a)
        for (int32_t b = 0; b < kSelectiveRangeColumns; ++b) out.Number(t.selectiveRanges[a][b]);
    out.Number(values[CTL_SELECTIVE_INTENSITY]);
    out.Number(values[CTL_SELECTIVE_TOLERANCE]);
}

constexpr WriteGroupProc kWriteGroup[GROUP_KIND_COUNT] = {WritePlain, WriteAging, WriteSelective,
                                                          WriteCurve};

// Reads one group's count and values; false (with error) when the file ends early or a line
// is not a number.
bool ReadGroupValues(LineReader& reader, std::vector<int32_t>& values, std::string& error) {
    int32_t count = 0;
    if (!reader.NextNumber(count) || count < 0) {
        error = "line " + std::to_string(reader.LineNumber()) + " is not a value count";
        return false;
    }
    values.clear();
    for (int32_t i = 0; i < count; ++i) {
        int32_t value = 0;
        if (!reader.NextNumber(value)) {
            error = reader.AtEnd() && i > 0
                        ? "the file ends inside a group"
                        : "line " + std::to_string(reader.LineNumber()) + " is not a number";
            return false;
        }
        values.push_back(value);
    }
    return true;
}

// Either slash separates folders in a path Windows accepts.
std::string BaseNameOf(const char* path) {
    std::string name = path;
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

bool EndsWithNoCase(const char* text, const char* ending) {
    const size_t length = std::strlen(text), endLength = std::strlen(ending);
    if (length < endLength) return false;
    for (size_t i = 0; i < endLength; ++i)
        if (std::tolower(uint8_t(text[length - endLength + i])) != ending[i]) return false;
    return true;
}

using ParseProc = bool (*)(std::string_view text, PresetChanges& changes, std::string& error);
constexpr ParseProc kParse[] = {PresetGroupParse, LegacyPresetParse, CurvesFileParse};

}  // namespace

PresetFormat PresetFormatOfPath(const char* path) {
    if (!path) return PRESET_GROUPS;
    if (EndsWithNoCase(path, ".acv")) return PRESET_CURVES;
    if (EndsWithNoCase(path, ".gop")) return PRESET_LEGACY;
    return PRESET_GROUPS;
}

std::string PresetGroupText(const int32_t* values, const SettingsState& tables,
                            const int32_t flags[kPresetGroupCount]) {
    LineWriter out;
    out.Text(kPresetTag);
    int32_t written = 0;
    for (int32_t group = 0; group < kPresetGroupCount; ++group)
        written += flags[group] && !PresetGroupIsEmpty(group);
    out.Number(written);
    for (int32_t group = 0; group < kPresetGroupCount; ++group) {
        if (!flags[group] || PresetGroupIsEmpty(group)) continue;
        out.Text(kPresetGroups[group].key);
        kWriteGroup[kPresetGroups[group].kind](group, values, tables, out);
    }
    return out.Bytes();
}

bool PresetGroupParse(std::string_view text, PresetChanges& changes, std::string& error) {
    LineReader reader(text);
    std::string_view line;
    int32_t groupCount = 0;
    if (!reader.NextLine(line) || !reader.NextNumber(groupCount) || groupCount < 0) {
        error = "it has no group count";
        return false;
    }
    std::vector<int32_t> values;
    int32_t lastGroup = -1;
    for (int32_t i = 0; i < groupCount; ++i) {
        std::string_view key;
        if (!reader.NextLine(key)) {
            error = "the file ends after " + std::to_string(i) + " of " +
                    std::to_string(groupCount) + " groups";
            return false;
        }
        if (!ReadGroupValues(reader, values, error)) return false;
        // An unknown or empty group's values are skipped: they belong to nothing here.
        const int32_t group = PresetGroupFromKey(key.data(), key.size());
        if (PresetGroupIsEmpty(group)) continue;
        if (!kReadGroup[kPresetGroups[group].kind](group, values, changes, error)) return false;
        lastGroup = group;
    }
    if (changes.view[CTL_MODE] == kModeAdvanced && groupCount <= kPageJumpGroupMax &&
        lastGroup >= 0)
        changes.GoToPage(lastGroup);
    return true;
}

int32_t LoadPresetFile(const char* path, int32_t combine) {
    std::string bytes;
    const WholeFileRead status = ReadWholeFile(path, kPresetFileMaxBytes, &bytes);
    if (status == WHOLE_FILE_MISSING || status == WHOLE_FILE_FOLDER) return 0;
    std::string error;
    // Local: an event the applier raises may load another preset while this one applies.
    PresetChanges changes;
    changes.Begin(!combine);
    bool parsed = false;
    if (status == WHOLE_FILE_TOO_LARGE)
        error = "it is larger than any preset";
    else
        parsed = kParse[PresetFormatOfPath(path)](bytes, changes, error);
    if (!parsed) {
        if (!gSession.thumbnailRendering)
            ShowErrorMessage("The preset file %s was not loaded: %s. Nothing was changed.", path,
                             error.c_str());
        return 0;
    }
    changes.presetName = BaseNameOf(path);
    PresetChangesApply(changes);
    return 1;
}

int32_t WritePresetFile(const char* path) {
    SettingsState tables;
    SettingsStateCapture(tables);
    return ReplaceWholeFile(path, PresetGroupText(gContext.controlValues, tables, gGroupInUse));
}
