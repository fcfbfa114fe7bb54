// Legacy presets converted against hand-worked results for the 257- and 269-value lengths,
// curves files read big-endian, the folder listing, the settings log, and bad input of every
// kind: each is refused with its message and leaves the settings and the files as they were.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/control_creation.h"
#include "effect/control_ids.h"
#include "effect/curves_file.h"
#include "effect/legacy_preset.h"
#include "effect/preset_file.h"
#include "effect/preset_folder.h"
#include "effect/preset_groups.h"
#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/system_calls.h"
#include "tests/common/file_faults.h"
#include "tests/runtime/box_catcher.h"
#include "tests/settings_rows/settings_fixture.h"

namespace {
struct Expected {
    int32_t control, value;
};

// Worked by hand from the conversion steps for the values set in legacy257.gop.
const Expected kShortLegacy[] = {
    {CTL_MODE, 4}, {270, 3},        {142, 20}, {143, -15}, {144, 0}, {97, 0},
    {40, 0},       {128, 0x808080}, {45, 150},  // toning, grey
    {28, 100},     {93, 128},       {94, 40},  {95, -100}, {96, 0},  {119, 0},
    {236, 0},                                                                  // mask 9
    {30, 40},      {31, 20},        {3, 75},   {243, 0},   {244, 0}, {75, 0},  // diffusion 3
    {36, 3},       {20, 30},        {22, 5},   {132, 12},  {50, 33}, {140, 60},
    {51, 7},       {21, 20},        {41, 0},   {70, 0},    {304, 0}, {CTL_PREVIEW_ON, 1},
};
// legacy269.gop: mask 2, vignette and frame from the values 256..267, two-colour toning.
const Expected kMiddleLegacy[] = {
    {CTL_MODE, 4},   {270, 3},        {142, 20},      {143, -15},      {1, 3},     {11, 100},
    {12, 90},        {14, -45},       {2, 1},         {58, 0},         {28, 80},   {93, 90},
    {94, 30},        {95, -100},      {96, 15},       {119, 0x00FF00}, {110, 100}, {66, 100},
    {65, 30},        {69, 4},         {29, 0x102030}, {68, 0xEFDFCF},  {285, 0},   {283, 0},
    {123, 0x808080}, {131, 0x808080}, {128, 0x80ff},  {45, 0},         {30, 40},   {3, 75},
    {20, 30},        {21, 20},
};

std::string BigEndian(std::initializer_list<int> words) {
    std::string bytes;
    for (int word : words) {
        bytes += char((word >> 8) & 255);
        bytes += char(word & 255);
    }
    return bytes;
}
}  // namespace

class ForeignPresetTest : public SettingsFixture {
  protected:
    ScratchFolder folder{"foreign"};
};

TEST_F(ForeignPresetTest, LegacyPresetsConvertAsWorkedByHand) {
    struct Case {
        const char* file;
        const Expected* expected;
        size_t count;
    } cases[] = {
        {"legacy257.gop", kShortLegacy, std::size(kShortLegacy)},
        {"legacy269.gop", kMiddleLegacy, std::size(kMiddleLegacy)},
    };
    for (const Case& c : cases) {
        StartingState();
        ASSERT_EQ(LoadPresetFile(
                      SourceFile(std::string("tests/preset_files/fixtures/") + c.file).c_str(), 0),
                  1)
            << c.file;
        for (size_t i = 0; i < c.count; ++i)
            EXPECT_EQ(GetControlValue(c.expected[i].control), c.expected[i].value)
                << c.file << " control " << c.expected[i].control;
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 0, 0, 0), 20) << c.file;
    }
    // The two-colour toning of the longer file bends the Bicolor curve into an S.
    const int32_t points[5][2] = {{0, 0}, {59, 30}, {79, 79}, {100, 129}, {159, 159}};
    EXPECT_EQ(gSession.curvePointCount[2], 5);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, i, 0, 2), points[i][0]) << i;
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, i, 1, 2), points[i][1]) << i;
    }
    EXPECT_STREQ(gParams->dialogTitle, "Greyloom 2.0 - Last Preset: legacy269");
}

TEST_F(ForeignPresetTest, CurvesFileIsReadBigEndianAndScaled) {
    const std::string path = folder.File("look.acv");
    // Curve 1 unsorted with a value above 255; curve 2 with 20 points; curves 3, 4 plain.
    std::string bytes = BigEndian({4, 4});
    bytes += BigEndian({3, 255, 255, 0, 0, 300, 128});
    bytes += BigEndian({20});
    for (int i = 0; i < 20; ++i) bytes += BigEndian({i * 10, i * 10});
    bytes += BigEndian({2, 0, 0, 255, 255});
    bytes += BigEndian({2, 51, 0, 204, 255});
    WriteFileText(path, bytes);
    ASSERT_EQ(LoadPresetFile(path.c_str(), 1), 1);
    EXPECT_EQ(gSession.curvePointCount[0], 3);
    const int32_t tone[3][2] = {{0, 0}, {79, 159}, {159, 159}};  // 128*159/255, 255 held
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, i, 0, 0), tone[i][0]) << i;
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, i, 1, 0), tone[i][1]) << i;
    }
    EXPECT_EQ(gSession.curvePointCount[3], 16);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 15, 0, 3), 150 * 159 / 255);
    EXPECT_EQ(gSession.curvePointCount[4], 2);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 5), 204 * 159 / 255);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 0, 1, 5), 51 * 159 / 255);
    EXPECT_EQ(gSession.curvePointCount[1], 2);  // curves 1, 2 and 6 are not the file's
}

TEST_F(ForeignPresetTest, FolderListsPresetNamesButNoFolder) {
    for (const char* name : {"a.glp", "x.glp.bak", "c.GOP", "d.acv", "e.txt", "glp"})
        WriteFileText(folder.File(name), "Greyloom2.0\n0\n");
    CreateDirectoryA(folder.File("y.glp").c_str(), nullptr);
    ASSERT_EQ(ScanPresetFolder(folder.path().c_str()), 4);
    std::vector<std::string> listed;
    for (int32_t row = 0; row < 4; ++row) listed.push_back(GetArrayString(ARRAY_PRESET_PATHS, row));
    std::sort(listed.begin(), listed.end());
    const std::vector<std::string> expected = {folder.File("a.glp"), folder.File("c.GOP"),
                                               folder.File("d.acv"), folder.File("x.glp.bak")};
    EXPECT_EQ(listed, expected);
    ScratchFolder empty("empty");
    EXPECT_EQ(ScanPresetFolder(empty.path().c_str()), 0);
    EXPECT_EQ(GetArrayBase(ARRAY_PRESET_PATHS), nullptr);
}

TEST_F(ForeignPresetTest, SettingsAreLoggedUnderTheDocumentName) {
    struct Case {
        const char* title;
        int32_t ms;
        const char* name;
    } cases[] = {
        {"C:\\Pictures\\harbour.tif", 5, "harbour.tif.glp"},
        {"scan: 1/2 <a>?*|\".png", 5, "scan_ 1_2 _a_____.png.glp"},
        {"", 4711, "4711.glp"},
        {nullptr, 12, "12.glp"},
        {"folder\\", 99, "99.glp"},
    };
    for (const Case& c : cases) EXPECT_EQ(LogFileName(c.title, c.ms), c.name) << c.name;
    SetControlValue(CTL_GRAIN_INTENSITY, 77);
    ASSERT_EQ(LogSettings(folder.path().c_str(), "D:\\x\\night?.tif", 1), 1);
    const std::string logged = FileText(folder.File("night_.tif.glp"));
    EXPECT_NE(logged.find("gFX2Grain\n7\n77\n"), std::string::npos) << logged;
}

// --- Bad input --------------------------------------------------------------------------------

TEST_F(ForeignPresetTest, DamagedPresetsChangeNothingAndSaySo) {
    const std::string header = "Greyloom2.0\n";
    const std::string grain = "gFX2Grain\n7\n90\n5\n0\n1\n2\n3\n0\n";
    std::string longLine(10000, '7');
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.glp", ""},
        {"truncated.glp", header + "2\n" + grain + "gFX2Paper\n3\n10\n"},
        {"garbage.glp", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 20)},
        {"count-1.glp", header + "1\ngFX2Grain\n-1\n"},
        {"groups-1.glp", header + "-1\n"},
        {"curve17.glp", header + "1\ngGenRed\n39\n" + std::string(39 * 2, '\n').replace(0, 0, "")},
        {"count2p31.glp", header + "1\ngFX2Grain\n2147483648\n1\n"},
        {"groups2p31.glp", header + "2147483648\n" + grain},
        {"longline.glp", header + "1\ngFX2Grain\n" + longLine + "\n"},
        {"selective.glp", header + "1\ngSelBrightness\n80\n" + std::string(80 * 2, '\n')},
        {"short.gop", "header\n1\n2\n3\n"},
        {"notnumber.gop", "header\n" + std::string(100, '1').replace(0, 100, "x\n")},
        {"short.acv", std::string("\0\4", 2)},
        {"cut.acv", BigEndian({4, 4, 3, 10, 10, 20})},
    };
    // The curve and selective cases need numbers on their lines.
    for (Case& c : cases)
        for (size_t at = 0; (at = c.bytes.find("\n\n", at)) != std::string::npos;)
            c.bytes.insert(at + 1, "1");
    StartingState();
    SetControlValue(CTL_GRAIN_INTENSITY, 33);
    const SettingsState before = Captured();
    for (const Case& c : cases) {
        const std::string path = folder.File(c.name);
        WriteFileText(path, c.bytes);
        BoxCatcher catcher;
        EXPECT_EQ(LoadPresetFile(path.c_str(), 0), 0) << c.name;
        ASSERT_EQ(catcher.boxes.size(), 1u) << c.name;
        EXPECT_NE(catcher.boxes[0].text.find("was not loaded"), std::string::npos) << c.name;
        const SettingsState after = Captured();
        EXPECT_TRUE(std::equal(before.values, before.values + kSettingsValueCount, after.values))
            << c.name;
        EXPECT_EQ(FileText(path), c.bytes) << c.name;
    }
}

TEST_F(ForeignPresetTest, OversizedMissingAndFolderPaths) {
    const std::string big = folder.File("big.glp");
    WriteFileText(big, "Greyloom2.0\n0\n" + std::string(kPresetFileMaxBytes, '\n'));
    CreateDirectoryA(folder.File("dir.glp").c_str(), nullptr);
    {
        BoxCatcher catcher;
        EXPECT_EQ(LoadPresetFile(big.c_str(), 0), 0);
        EXPECT_EQ(catcher.boxes.size(), 1u);
    }
    BoxCatcher silent;  // a file that cannot be opened only returns 0
    EXPECT_EQ(LoadPresetFile(folder.File("missing.glp").c_str(), 0), 0);
    EXPECT_EQ(LoadPresetFile(folder.File("dir.glp").c_str(), 0), 0);
    EXPECT_EQ(silent.boxes.size(), 0u);
    gSession.thumbnailRendering = 1;  // thumbnails of damaged files fail quietly
    EXPECT_EQ(LoadPresetFile(big.c_str(), 0), 0);
    gSession.thumbnailRendering = 0;
    EXPECT_EQ(silent.boxes.size(), 0u);
    EXPECT_EQ(WritePresetFile(folder.File("dir.glp").c_str()), 0);
}

// --- Failed saves -----------------------------------------------------------------------------
namespace {
int32_t FilesIn(const std::string& folder) {
    int32_t count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do count += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}
}  // namespace

TEST_F(ForeignPresetTest, FailedSaveLeavesTheOldFileAndNoLeftovers) {
    const std::string path = folder.File("keep.glp");
    const std::string old = "Greyloom2.0\n1\ngFX2Paper\n3\n10\n20\n30\n";
    for (int32_t& flag : gGroupInUse) flag = 1;
    for (const FileFault& c : kFileFaults) {
        WriteFileText(path, old);
        c.inject();
        EXPECT_EQ(WritePresetFile(path.c_str()), 0) << c.what;
        SystemCallsReset();
        EXPECT_EQ(FileText(path), old) << c.what;
        EXPECT_EQ(FilesIn(folder.path()), 1) << c.what << ": a temporary file was left";
    }
    // A read-only file is not replaced, and its log is reported.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(WritePresetFile(path.c_str()), 0);
    EXPECT_EQ(FileText(path), old);
    EXPECT_EQ(FilesIn(folder.path()), 1);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(WritePresetFile(path.c_str()), 1);
    EXPECT_NE(FileText(path), old);
    EXPECT_EQ(FilesIn(folder.path()), 1);
}

TEST_F(ForeignPresetTest, LongLegacyPresetFillsTheSelectiveTables) {
    std::vector<int32_t> v(kLegacyValueMax, 0);
    v[4] = 7;          // no conversion method 7: the method stays
    v[6] = 3;          // the selective controls of the long form: the short form does not follow
    v[269 + 0] = 40;   // colour 0 brightness, halved (v[149] is 0)
    v[269 + 1] = -30;  // colour 0 contrast
    v[269 + 4] = 65;   // colour 0 tolerance
    v[269 + 35] = 99;  // the old eighth colour: dropped
    v[269 + 40] = 60;  // the old ninth colour is today's eighth
    v[314 + 4 * 2 + 1] = 77;  // range of colour 2, hue point b
    v[CTL_PREVIEW_ON] = 0;
    std::string text = "legacy\n";
    for (int32_t value : v) text += std::to_string(value) + "\n";
    const std::string path = folder.File("long.gop");
    WriteFileText(path, text);
    StartingState();
    SetControlValue(CTL_CONVERSION_METHOD, 3);  // an item, not one of the combo's separators
    SetControlValue(CTL_SELECT_COLOR_MARK, 0);
    ASSERT_EQ(LoadPresetFile(path.c_str(), 1), 1);
    EXPECT_EQ(GetControlValue(CTL_CONVERSION_METHOD), 3);
    struct Cell {
        int32_t row, column, value;
    } cells[] = {{0, 0, 20}, {0, 1, -30}, {0, 4, 65}, {7, 0, 30}};
    for (const Cell& c : cells)
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, c.row, c.column, 0), c.value)
            << c.row << "," << c.column;
    EXPECT_EQ(GetControlValue(CTL_SELBRIGHT_RED + 7), 30);
    EXPECT_EQ(GetControlValue(CTL_SELECT_BRIGHTNESS), 20);  // colour 0 is the selected one
    EXPECT_EQ(GetControlValue(CTL_SELECT_TOLERANCE), 65);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 2, 1, 0), 77);
}
