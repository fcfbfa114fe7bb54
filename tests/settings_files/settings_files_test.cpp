// "Greyloom.ini" and "Greyloomdialog.ini": their bytes against files written by hand, strict
// reading of damaged files, and saves that fail without losing the file the user had.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "effect/setting_ranges.h"
#include "effect/settings_files.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/system_calls.h"
#include "tests/common/file_faults.h"
#include "tests/common/scratch_folder.h"
#include "tests/common/test_files.h"
#include "tests/common/fresh_parameter_block.h"

namespace {
const int32_t kSelectiveRanges[9][7] = {
    {225, 235, 10, 15, 100, -50, -50},
    {5, 10, 30, 35, 66, 33, -100},
    {25, 30, 45, 50, 50, 50, -100},
    {40, 45, 117, 127, -50, 100, -50},
    {107, 117, 137, 147, -100, 50, 50},
    {127, 137, 185, 195, -50, -50, 100},
    {175, 185, 235, 245, 50, -100, 50},
    {251, 7, 29, 40, 100, -50, -50},
    {0, 0, 0, 0, 0, 0, 0},
};

// What fixtures/settings_golden.ini holds, built slot by slot from the row layout.
SettingsFileContents GoldenSettings() {
    SettingsFileContents contents;
    contents.sheet = 1;
    for (int32_t r = 0; r < 3; ++r) {
        SettingsRow& row = contents.rows[r];
        row.fill(0);
        row[0] = 3;
        row[20] = 150 + r;
        row[31] = 25;
        row[55] = 4;
        row[77] = 80;
        row[93] = 128;
        row[122] = 50;
        row[167] = 100;
        row[273] = 160;
        row[281] = 10;
        row[141] = r;
        row[59] = -300 + r;
        row[310] = -1;
        const int32_t counts[7] = {2, 3, 16, 0, 2, 2, 2};
        for (int32_t k = 0; k < 7; ++k) {
            const int32_t c = r == 0 ? counts[k] : 2;
            row[311 + 33 * k] = c;
            for (int32_t i = 0; i < c; ++i) {
                const int32_t x = i == 0 ? 0 : (i == c - 1 ? 159 : i * 9 + k);
                row[312 + 33 * k + 2 * i] = x;
                row[313 + 33 * k + 2 * i] = k ? x : std::min(159, x + r);
            }
        }
        for (int32_t a = 0; a < 9; ++a) row[542 + 5 * a + 4] = 50;
        row[542 + 5 * 2 + 0] = -40;
        row[542 + 5 * 2 + 2] = 200;
        for (int32_t a = 0; a < 9; ++a)
            for (int32_t b = 0; b < 7; ++b) row[587 + 7 * a + b] = kSelectiveRanges[a][b];
        for (int32_t m = 0; m < 6; ++m) {
            row[650 + 2 * m] = 100 * r + m;
            row[651 + 2 * m] = 200 * r + m;
        }
    }
    return contents;
}

DialogStateContents GoldenDialogState() {
    DialogStateContents contents;
    contents.width = 1008;
    contents.height = 700;
    contents.tool = 2;
    contents.ownDefaultsPath = "C:\\Users\\me\\Presets\\Dark.glp";
    contents.topItem = 5;
    for (int32_t i = 0; i < 90; ++i) contents.values[i] = i % 7;
    for (int32_t i = 0; i < 22; ++i) contents.groupFlags.push_back(i % 2 ? 3 : 0);
    return contents;
}

// The golden text with line `line` (0-based) replaced, or removed when replacement is null.
// A fixture file of tests/settings_files/fixtures, written by hand from the file formats.
std::string Fixture(const char* name) {
    return FileText(SourceFile(std::string("tests/settings_files/fixtures/") + name));
}

std::string WithLine(const std::string& text, size_t line, const char* replacement) {
    size_t start = 0;
    for (size_t i = 0; i < line; ++i) start = text.find('\n', start) + 1;
    const size_t end = text.find('\n', start) + 1;
    return text.substr(0, start) + (replacement ? std::string(replacement) + "\n" : "") +
           text.substr(end);
}

std::string FirstLines(const std::string& text, size_t count) {
    size_t end = 0;
    for (size_t i = 0; i < count; ++i) end = text.find('\n', end) + 1;
    return text.substr(0, end);
}

TEST(SettingsFileFormat, WritesTheBytesOfTheHandWrittenFile) {
    const std::string golden = Fixture("settings_golden.ini");
    ASSERT_NE(golden, "");
    EXPECT_EQ(FormatSettingsFile(kSettingsFileTag, GoldenSettings()), golden);
}

TEST(SettingsFileFormat, ReadsTheHandWrittenFileIntoStoredRows) {
    SettingsFileContents read;
    for (SettingsRow& row : read.rows) row.fill(7777);  // what the rows held before
    ASSERT_EQ(ParseSettingsFile(Fixture("settings_golden.ini"), kSettingsFileTag, &read),
              SETTINGS_FILE_OK);
    SettingsFileContents expected = GoldenSettings();
    // Slots behind a curve's last point are not in the file: they keep what they held.
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t k = 0; k < 7; ++k) {
            const int32_t count = expected.rows[r][311 + 33 * k];
            for (int32_t slot = 312 + 33 * k + 2 * count; slot < 311 + 33 * (k + 1); ++slot)
                expected.rows[r][slot] = 7777;
        }
    EXPECT_EQ(read.sheet, 1);
    for (int32_t r = 0; r < 3; ++r) EXPECT_EQ(read.rows[r], expected.rows[r]) << "row " << r;
}

TEST(SettingsFileFormat, PointCountsOutsideTheCurveAreWrittenAsItsBounds) {
    SettingsFileContents contents = GoldenSettings();
    contents.rows[1][311] = 40;
    contents.rows[2][311] = -3;
    SettingsFileContents read;
    ASSERT_EQ(
        ParseSettingsFile(FormatSettingsFile(kSettingsFileTag, contents), kSettingsFileTag, &read),
        SETTINGS_FILE_OK);
    EXPECT_EQ(read.rows[1][311], 16);
    EXPECT_EQ(read.rows[2][311], 0);
}

TEST(SettingsFileFormat, ValuesAreClampedToWhatTheyStandFor) {
    std::string text = Fixture("settings_golden.ini");
    // Set 0 starts at line 3: control 31 (radius 1..100), control 20 (-300..300); curve 0's
    // first output; the selective table's first brightness; a hue point of the ranges.
    text = WithLine(text, 3 + 31, "0");
    text = WithLine(text, 3 + 20, "-5000");
    text = WithLine(text, 3 + 310 + 2, "900");
    text = WithLine(text, 3 + 310 + 7 + 54, "-500");
    text = WithLine(text, 3 + 310 + 7 + 54 + 45, "999");
    SettingsFileContents read;
    ASSERT_EQ(ParseSettingsFile(text, kSettingsFileTag, &read), SETTINGS_FILE_OK);
    EXPECT_EQ(read.rows[0][31], 1);
    EXPECT_EQ(read.rows[0][20], -300);
    EXPECT_EQ(read.rows[0][313], 159);
    EXPECT_EQ(read.rows[0][542], -100);
    EXPECT_EQ(read.rows[0][587], 255);
}

TEST(SettingsFileFormat, EditorLineEndsAndTrailingBlankLinesAreRead) {
    std::string text = Fixture("settings_golden.ini");
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    SettingsFileContents read;
    EXPECT_EQ(ParseSettingsFile(crlf + "\r\n\r\n", kSettingsFileTag, &read), SETTINGS_FILE_OK);
    EXPECT_EQ(read.rows[2][20], 152);
}

TEST(SettingsFileFormat, DamagedFilesAreRefused) {
    const std::string golden = Fixture("settings_golden.ini");
    const std::string garbage("\x00\xff\x13\x37PK\x03\x04\n\n\x01", 12);
    const struct {
        const char* what;
        std::string text;
        SettingsFileStatus status;
    } cases[] = {
        {"empty", "", SETTINGS_FILE_TRUNCATED},
        {"binary garbage", garbage, SETTINGS_FILE_BAD_TAG},
        {"another tag", WithLine(golden, 0, "Greyloom1.0"), SETTINGS_FILE_BAD_TAG},
        {"a tag line of 10,000 characters", WithLine(golden, 0, std::string(10000, 'G').c_str()),
         SETTINGS_FILE_BAD_TAG},
        {"two sets", WithLine(golden, 1, "2"), SETTINGS_FILE_BAD_SET_COUNT},
        {"four sets", WithLine(golden, 1, "4"), SETTINGS_FILE_BAD_SET_COUNT},
        {"sheet 3", WithLine(golden, 2, "3"), SETTINGS_FILE_BAD_SHEET},
        {"sheet -1", WithLine(golden, 2, "-1"), SETTINGS_FILE_BAD_SHEET},
        {"point count -1", WithLine(golden, 3 + 310, "-1"), SETTINGS_FILE_BAD_POINT_COUNT},
        {"point count 17", WithLine(golden, 3 + 310, "17"), SETTINGS_FILE_BAD_POINT_COUNT},
        {"point count 2^31", WithLine(golden, 3 + 310, "2147483648"), SETTINGS_FILE_BAD_NUMBER},
        {"a number of 10,000 digits", WithLine(golden, 40, std::string(10000, '7').c_str()),
         SETTINGS_FILE_BAD_NUMBER},
        {"a word for a number", WithLine(golden, 40, "seven"), SETTINGS_FILE_BAD_NUMBER},
        {"a number with a tail", WithLine(golden, 40, "12x"), SETTINGS_FILE_BAD_NUMBER},
        {"an empty line for a number", WithLine(golden, 40, ""), SETTINGS_FILE_BAD_NUMBER},
        {"only the tag", FirstLines(golden, 1), SETTINGS_FILE_TRUNCATED},
        {"cut inside set 0", FirstLines(golden, 200), SETTINGS_FILE_TRUNCATED},
        {"cut inside the curves", FirstLines(golden, 3 + 310 + 5), SETTINGS_FILE_TRUNCATED},
        {"last line missing", FirstLines(golden, 1423), SETTINGS_FILE_TRUNCATED},
        {"more than three sets", golden + "7\n", SETTINGS_FILE_EXTRA_LINES},
    };
    for (const auto& c : cases) {
        SettingsFileContents read;
        EXPECT_EQ(ParseSettingsFile(c.text, kSettingsFileTag, &read), c.status) << c.what;
    }
}

TEST(DialogStateFileFormat, WritesAndReadsTheHandWrittenFile) {
    const std::string golden = Fixture("dialog_golden.ini");
    EXPECT_EQ(FormatDialogStateFile(kSettingsFileTag, GoldenDialogState()), golden);
    DialogStateContents read;
    ASSERT_EQ(ParseDialogStateFile(golden, &read), SETTINGS_FILE_OK);
    const DialogStateContents expected = GoldenDialogState();
    EXPECT_TRUE(read.full);
    EXPECT_EQ(read.width, 1008);
    EXPECT_EQ(read.height, 700);
    EXPECT_EQ(read.tool, 2);
    EXPECT_EQ(read.ownDefaultsPath, expected.ownDefaultsPath);
    EXPECT_EQ(read.topItem, 5);
    // The golden file holds values outside some controls' ranges (a check box at 6): those
    // come back held to the range, the rest as written.
    auto clamped = expected.values;
    for (size_t i = 0; i < clamped.size(); ++i)
        clamped[i] = ClampSettingValue(kDialogStateFirstControl + int32_t(i), clamped[i]);
    EXPECT_EQ(read.values, clamped);
    ASSERT_EQ(read.groupFlags.size(), 22u);
    for (int32_t i = 0; i < 22; ++i) EXPECT_EQ(read.groupFlags[i], i % 2);
}

TEST(DialogStateFileFormat, NoneStandsForNoOwnDefaults) {
    DialogStateContents contents = GoldenDialogState();
    contents.ownDefaultsPath.clear();
    const std::string text = FormatDialogStateFile(kSettingsFileTag, contents);
    EXPECT_EQ(WithLine(text, 6, "X"), WithLine(Fixture("dialog_golden.ini"), 6, "X"));
    EXPECT_NE(text.find("\nNone\n"), std::string::npos);
    DialogStateContents read;
    read.ownDefaultsPath = "left over";
    ASSERT_EQ(ParseDialogStateFile(text, &read), SETTINGS_FILE_OK);
    EXPECT_EQ(read.ownDefaultsPath, "");
}

TEST(DialogStateFileFormat, OnlyTheFirst22GroupFlagsAreTaken) {
    std::string text = Fixture("dialog_golden.ini");
    text = WithLine(text, 103, "25") + "1\n0\n1\n";
    DialogStateContents read;
    ASSERT_EQ(ParseDialogStateFile(text, &read), SETTINGS_FILE_OK);
    EXPECT_EQ(read.groupFlags.size(), 22u);
}

TEST(DialogStateFileFormat, TheShortFileHoldsTheSizesAlone) {
    DialogStateContents contents = GoldenDialogState();
    contents.full = false;
    contents.restoredWidth = 800;
    contents.restoredHeight = 600;
    const std::string text = FormatDialogStateFile(kSettingsFileTag, contents);
    EXPECT_EQ(text, "Greyloom2.0\n1008\n700\n800\n600\n");
    DialogStateContents read;
    ASSERT_EQ(ParseDialogStateFile(text, &read), SETTINGS_FILE_OK);
    EXPECT_FALSE(read.full);
    EXPECT_EQ(read.restoredWidth, 800);
}

TEST(DialogStateFileFormat, DamagedFilesAreRefused) {
    const std::string golden = Fixture("dialog_golden.ini");
    const struct {
        const char* what;
        std::string text;
        SettingsFileStatus status;
    } cases[] = {
        {"empty", "", SETTINGS_FILE_TRUNCATED},
        {"another tag", WithLine(golden, 0, "Skin1.1"), SETTINGS_FILE_BAD_TAG},
        {"a path line of 10,000 characters", WithLine(golden, 6, std::string(10000, 'p').c_str()),
         SETTINGS_FILE_BAD_NUMBER},
        {"a flag count of -1", WithLine(golden, 103, "-1"), SETTINGS_FILE_BAD_POINT_COUNT},
        {"a flag count of 2^31", WithLine(golden, 103, "2147483648"), SETTINGS_FILE_BAD_NUMBER},
        {"more flags announced than there are", WithLine(golden, 103, "23"),
         SETTINGS_FILE_TRUNCATED},
        {"cut among the control values", FirstLines(golden, 50), SETTINGS_FILE_TRUNCATED},
        {"a value that is no number", WithLine(golden, 20, "--"), SETTINGS_FILE_BAD_NUMBER},
    };
    for (const auto& c : cases) {
        DialogStateContents read;
        EXPECT_EQ(ParseDialogStateFile(c.text, &read), c.status) << c.what;
    }
}

// --- Files on disk -----------------------------------------------------------------------------

class SettingsFilesOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        ResetArrayTables();
        SystemCallsReset();
        CreateControl(CTL_MODE, CONTROL_COMBOBOX, "Easy\nQuick", 1, 1, 50, 50, 0, 0, 0, -1);
        CreateControl(CTL_PREVIEW_TAB, CONTROL_TAB, "1\n2\n3", 1, 1, 50, 50, 0, 0, 0, -1);
        path = folder.File("Greyloom.ini");
    }
    void TearDown() override {
        SystemCallsReset();
        ReleaseAllArrays();
        gParams = nullptr;
        EffectContextReset();
    }
    void FillRows(const SettingsFileContents& contents) {
        CreateArray(ARRAY_SETTINGS_ROWS, kSettingsRowLength, 3, 1, 4);
        for (int32_t r = 0; r < 3; ++r)
            for (int32_t slot = 0; slot < kSettingsRowLength; ++slot)
                PutArrayElement(ARRAY_SETTINGS_ROWS, slot, r, 0, contents.rows[r][slot]);
    }
    SettingsRow Row(int32_t r) {
        SettingsRow row;
        for (int32_t slot = 0; slot < kSettingsRowLength; ++slot)
            row[slot] = GetArrayElement(ARRAY_SETTINGS_ROWS, slot, r, 0);
        return row;
    }
    std::unique_ptr<ParameterBlock> block;
    ScratchFolder folder{"greyloom_settings"};
    std::string path;
};

TEST_F(SettingsFilesOnDisk, WrittenAndReadBack) {
    FillRows(GoldenSettings());
    SetControlValue(CTL_PREVIEW_TAB, 1);
    ASSERT_EQ(
        WriteSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, CTL_PREVIEW_TAB), 1);
    EXPECT_EQ(FileText(path), Fixture("settings_golden.ini"));
    EXPECT_FALSE(PathExists(path + ".tmp"));

    ReleaseArray(ARRAY_SETTINGS_ROWS);
    SetControlValue(CTL_PREVIEW_TAB, 0);
    SetControlValue(CTL_MODE, 0);
    ASSERT_EQ(ReadSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, "Greyloom 2.0",
                               CTL_PREVIEW_TAB, CTL_PREVIEW_ON),
              1);
    EXPECT_EQ(GetControlValue(CTL_PREVIEW_TAB), 1);
    EXPECT_EQ(GetControlValue(CTL_MODE), 0) << "a nonzero keepMode keeps the mode";
    const SettingsFileContents golden = GoldenSettings();
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t k = 0; k < 7; ++k)
            for (int32_t slot = 311 + 33 * k;
                 slot <= 311 + 33 * k + 2 * golden.rows[r][311 + 33 * k]; ++slot)
                EXPECT_EQ(Row(r)[slot], golden.rows[r][slot]) << "row " << r << " slot " << slot;
    EXPECT_EQ(Row(2)[20], 152);
    EXPECT_EQ(Row(0)[310], -1);

    ReadSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, "", CTL_PREVIEW_TAB, 0);
    EXPECT_EQ(GetControlValue(CTL_MODE), 1) << "keepMode 0 sets the mode to 1";
}

TEST_F(SettingsFilesOnDisk, AFailedSaveKeepsTheFileTheUserHad) {
    const std::string old = "the user's settings\n";
    FillRows(GoldenSettings());
    for (const FileFault& fault : kFileFaults) {
        WriteFileText(path, old);
        fault.inject();
        EXPECT_EQ(
            WriteSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, CTL_PREVIEW_TAB),
            0)
            << fault.what;
        SystemCallsReset();
        EXPECT_EQ(FileText(path), old) << fault.what;
        EXPECT_FALSE(PathExists(path + ".tmp")) << fault.what;
    }
    EXPECT_EQ(WriteDialogStateFile(folder.File("none\\Greyloomdialog.ini").c_str(),
                                   kSettingsFileTag, 1, 0, "", 0, nullptr, 0, CTL_PRESET_LIST),
              0)
        << "a folder that is not there";
}

TEST_F(SettingsFilesOnDisk, AReadOnlyFileIsNotReplaced) {
    const std::string old = Fixture("settings_golden.ini");
    WriteFileText(path, old);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    SettingsFileContents other = GoldenSettings();
    other.rows[0][20] = 1;
    FillRows(other);
    EXPECT_EQ(
        WriteSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, CTL_PREVIEW_TAB), 0);
    EXPECT_EQ(FileText(path), old);
    EXPECT_FALSE(PathExists(path + ".tmp"));
    // Reading it still works.
    EXPECT_EQ(ReadSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, "",
                               CTL_PREVIEW_TAB, 1),
              1);
    EXPECT_EQ(Row(0)[20], 150);
}

TEST_F(SettingsFilesOnDisk, AFolderWhereTheFileIsExpected) {
    CreateDirectoryA(path.c_str(), nullptr);
    FillRows(GoldenSettings());
    EXPECT_EQ(ReadSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, "",
                               CTL_PREVIEW_TAB, 1),
              0);
    EXPECT_EQ(
        WriteSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, CTL_PREVIEW_TAB), 0);
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(PathExists(path + ".bak"));
}

TEST_F(SettingsFilesOnDisk, ADamagedFileChangesNothingAndIsKeptBeside) {
    const std::string golden = Fixture("settings_golden.ini");
    const std::string damaged[] = {
        "",
        std::string("\x89PNG\r\n\x1a\n\x00\x00", 10),
        WithLine(golden, 3 + 310, "17"),
        FirstLines(golden, 700),
        golden + std::string(2 << 20, '9'),  // longer than any settings file
    };
    SettingsFileContents before;
    for (SettingsRow& row : before.rows) row.fill(4321);
    for (const std::string& bytes : damaged) {
        FillRows(before);
        SetControlValue(CTL_PREVIEW_TAB, 2);
        SetControlValue(CTL_MODE, 0);
        WriteFileText(path, bytes);
        EXPECT_EQ(ReadSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, "",
                                   CTL_PREVIEW_TAB, 0),
                  0);
        for (int32_t r = 0; r < 3; ++r) EXPECT_EQ(Row(r), before.rows[r]) << bytes.size();
        EXPECT_EQ(GetControlValue(CTL_PREVIEW_TAB), 2);
        EXPECT_EQ(GetControlValue(CTL_MODE), 0);
        EXPECT_FALSE(PathExists(path)) << "the first start writes a fresh file";
        EXPECT_EQ(FileText(path + ".bak"), bytes);
    }
    DialogStateContents state;
    WriteFileText(folder.File("Greyloomdialog.ini"), "Greyloom2.0\n12\n");
    EXPECT_EQ(ReadDialogStateFile(folder.File("Greyloomdialog.ini").c_str(), &state), 0);
    EXPECT_EQ(FileText(folder.File("Greyloomdialog.ini.bak")), "Greyloom2.0\n12\n");
}

TEST_F(SettingsFilesOnDisk, DialogStateFileWrittenAndReadBack) {
    CreateControl(CTL_LANGUAGE, CONTROL_COMBOBOX, "English\nGerman", 1, 1, 50, 50, 0, 0, 0, -1);
    CreateControl(CTL_BRUSH_SIZE, CONTROL_SLIDER, "Size", 1, 1, 50, 8, 0, 0, 0, -1);
    SetControlRange(CTL_BRUSH_SIZE, 1, 500);
    SetControlValue(CTL_LANGUAGE, 1);
    SetControlValue(CTL_BRUSH_SIZE, 77);
    const int32_t flags[22] = {0, 1, 5, 1};
    const std::string file = folder.File("Greyloomdialog.ini");
    ASSERT_EQ(WriteDialogStateFile(file.c_str(), kSettingsFileTag, 1, 3, "", 0, flags, 22,
                                   CTL_PRESET_LIST),
              1);
    const std::string bytes = FileText(file);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 126);
    SetControlValue(CTL_LANGUAGE, 0);
    SetControlValue(CTL_BRUSH_SIZE, 1);
    DialogStateContents read;
    ASSERT_EQ(ReadDialogStateFile(file.c_str(), &read), 1);
    EXPECT_EQ(read.tool, 3);
    EXPECT_EQ(read.ownDefaultsPath, "");
    EXPECT_EQ(read.groupFlags[2], 1);
    ApplyDialogStateValues(read);
    EXPECT_EQ(GetControlValue(CTL_LANGUAGE), 1);
    EXPECT_EQ(GetControlValue(CTL_BRUSH_SIZE), 77);
}
}  // namespace
