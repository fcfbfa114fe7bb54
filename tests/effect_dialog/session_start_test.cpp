// The dialog's start in a real window under the test host, with the user's data folder of a
// scratch Wine prefix: a first start, the remembered settings sets and dialog state, damaged
// and read-only files, the start-up choice, and a run without the dialog.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "tests/effect_dialog/effect_dialog_bed.h"
#include "tests/common/scratch_folder.h"
#include "tests/common/test_files.h"

namespace {
constexpr int32_t kSetLines = 465;  // one set with seven two-point curves
constexpr int32_t kCurveTop = 159;

// Every test starts without the user's folder: a first start.
void ForgetUserFolder() {
    RemoveTree(MakerFolderPath());
    ASSERT_FALSE(PathExists(MakerFolderPath()));
}

void MakeUserFolder() {
    CreateDirectoryA(MakerFolderPath().c_str(), nullptr);
    CreateDirectoryA(DataFilePath("").c_str(), nullptr);
}

// One set of "Greyloom.ini" as the format gives it: controls 0..309, seven identity curves,
// the selective table (tolerance column 50), the built-in hue ranges and six centres.
std::string SetLines(const int32_t (&values)[kSettingsControlCount]) {
    static const int32_t kRanges[9][7] = {{225, 235, 10, 15, 100, -50, -50},
                                          {5, 10, 30, 35, 66, 33, -100},
                                          {25, 30, 45, 50, 50, 50, -100},
                                          {40, 45, 117, 127, -50, 100, -50},
                                          {107, 117, 137, 147, -100, 50, 50},
                                          {127, 137, 185, 195, -50, -50, 100},
                                          {175, 185, 235, 245, 50, -100, 50},
                                          {251, 7, 29, 40, 100, -50, -50},
                                          {0, 0, 0, 0, 0, 0, 0}};
    std::string text;
    for (int32_t value : values) text += std::to_string(value) + "\n";
    for (int curve = 0; curve < 7; ++curve)
        text += "2\n0\n0\n" + std::to_string(kCurveTop) + "\n" + std::to_string(kCurveTop) + "\n";
    for (int row = 0; row < 9; ++row)
        for (int column = 0; column < 5; ++column) text += column == 4 ? "50\n" : "0\n";
    for (const auto& row : kRanges)
        for (int32_t value : row) text += std::to_string(value) + "\n";
    for (int i = 0; i < 12; ++i) text += "0\n";
    return text;
}

struct Settings {
    int32_t values[kSettingsControlCount];
    Settings() {
        for (int32_t n = 0; n < kSettingsControlCount; ++n) values[n] = ControlTableStartValue(n);
    }
};

std::string SettingsFile(int32_t sheet, const Settings (&sets)[3]) {
    std::string text = "Greyloom2.0\n3\n" + std::to_string(sheet) + "\n";
    for (const Settings& set : sets) text += SetLines(set.values);
    return text;
}

// "Greyloomdialog.ini": client size, restored size, tool, no own defaults, the interface
// values (the table's, with the changes given) and 22 open groups.
std::string DialogStateFile(int32_t width, int32_t height, int32_t restoredWidth,
                            int32_t restoredHeight, int32_t tool,
                            const std::vector<std::pair<int32_t, int32_t>>& changes) {
    std::string text = "Greyloom2.0\n" + std::to_string(width) + "\n" + std::to_string(height) +
                       "\n" + std::to_string(restoredWidth) + "\n" +
                       std::to_string(restoredHeight) + "\n" + std::to_string(tool) +
                       "\nNone\n0\n0\n0\n0\n0\n0\n";
    for (int32_t n = 310; n < 400; ++n) {
        int32_t value = ControlTableStartValue(n);
        for (const auto& change : changes)
            if (change.first == n) value = change.second;
        text += std::to_string(value) + "\n";
    }
    text += "22\n";
    for (int i = 0; i < 22; ++i) text += "0\n";
    return text;
}

int32_t Recorded(const HostSession& session, int32_t n) {
    char key[5];
    snprintf(key, sizeof key, "0%03d", int(n));
    for (const DescriptorItem& item : session.recorded)
        if (item.key == FourCC(reinterpret_cast<const char(&)[5]>(*key))) return item.integer;
    ADD_FAILURE() << "control " << n << " was not recorded";
    return -1;
}

// What the driver saw of the dialog while it stood.
struct Seen {
    bool maximised = false;
    int32_t mode = -1, previewSheet = -1, mainSheet = -1;
    SIZE client = {};
    RECT window = {};
};

Seen LookAt(Driver& driver) {
    Seen seen;
    seen.maximised = IsZoomed(driver.dialog) != 0;
    seen.mode = int32_t(driver.SendTo(driver.ControlWindow(CTL_MODE), CB_GETCURSEL));
    seen.previewSheet =
        int32_t(driver.SendTo(driver.ControlWindow(CTL_PREVIEW_TAB), TCM_GETCURSEL));
    seen.mainSheet = int32_t(driver.SendTo(driver.ControlWindow(CTL_MAIN_TAB), TCM_GETCURSEL));
    RECT client;
    GetClientRect(driver.dialog, &client);
    seen.client = {client.right, client.bottom};
    GetWindowRect(driver.dialog, &seen.window);
    return seen;
}

// Opens the dialog, looks at it and closes it with OK (IDOK) or Cancel (IDCANCEL).
Seen OpenAndClose(HostSession& session, int command, int16_t* result = nullptr) {
    Seen seen;
    const int16_t ended = RunEffectDialog(session, [&](Driver& driver) {
        seen = LookAt(driver);
        driver.End(command);
    });
    if (result) *result = ended;
    return seen;
}

RECT WorkArea() {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}
}  // namespace

TEST(SessionStart, FirstStartWritesThreeEqualSetsAndOpensMaximisedInEasyMode) {
    ForgetUserFolder();
    auto session = OpenEffectPlugin(120, 80, false);
    int16_t result = 0;
    const Seen seen = OpenAndClose(*session, IDCANCEL, &result);
    EXPECT_EQ(result, HOST_USER_CANCELLED);
    EXPECT_TRUE(seen.maximised) << "no dialog-state file: the dialog opens maximised";
    EXPECT_EQ(seen.mode, 0) << "a first start is in Easy Mode";

    const std::vector<std::string> lines = FileLines(DataFilePath("Greyloom.ini"));
    ASSERT_EQ(lines.size(), size_t(3 + 3 * kSetLines));
    EXPECT_EQ(lines[0], "Greyloom2.0");
    EXPECT_EQ(lines[1], "3");
    EXPECT_EQ(lines[2], "0");
    for (int32_t set = 1; set < 3; ++set)
        for (int32_t i = 0; i < kSetLines; ++i)
            ASSERT_EQ(lines[3 + set * kSetLines + i], lines[3 + i])
                << "set " << set << " line " << i;
    EXPECT_EQ(lines[3 + CTL_MODE], "0");
    EXPECT_EQ(lines[3 + CTL_TONE_INTENSITY], "0");
    // Every curve written with its two points: the identity.
    EXPECT_EQ(lines[3 + 310], "2");
    EXPECT_EQ(lines[3 + 313], std::to_string(kCurveTop));
}

TEST(SessionStart, RememberedSetOpensTheDialogAndOkRendersIt) {
    ForgetUserFolder();
    MakeUserFolder();
    Settings sets[3];
    sets[1].values[CTL_MODE] = 3;
    sets[1].values[CTL_TONE_INTENSITY] = 37;
    sets[1].values[CTL_FRAME_SEED] = 4242;
    const std::string file = SettingsFile(1, sets);
    WriteFileText(DataFilePath("Greyloom.ini"), file);
    WriteFileText(DataFilePath("Greyloomdialog.ini"),
                  DialogStateFile(1000, 700, 0, 0, 0, {{CTL_MAIN_TAB, 2}}));

    auto session = OpenEffectPlugin(120, 80, false);
    int16_t result = -1;
    const Seen seen = OpenAndClose(*session, IDOK, &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(seen.previewSheet, 1) << "the file's current set";
    EXPECT_EQ(seen.mode, 3) << "the set's mode, not a first start's";
    EXPECT_EQ(seen.mainSheet, 2) << "the remembered sheet of the main tab";
    EXPECT_FALSE(seen.maximised);
    // The remembered client size, as near as dialog units allow.
    EXPECT_NEAR(seen.client.cx, 1000, 4);
    EXPECT_NEAR(seen.client.cy, 700, 4);
    EXPECT_EQ(Recorded(*session, CTL_TONE_INTENSITY), 37);
    EXPECT_EQ(Recorded(*session, CTL_FRAME_SEED), 4242);
}

TEST(SessionStart, DamagedFilesAreKeptAsideAndTheDialogStartsAsAFirstStart) {
    struct Case {
        const char* name;
        std::string settings, dialogState;
    };
    Settings sets[3];
    const std::string good = SettingsFile(0, sets);
    const Case cases[] = {
        {"binary garbage", std::string("\x01\xff\x00zz\n", 6), std::string("\xfe\xfe", 2)},
        {"truncated", good.substr(0, good.size() / 2), "Greyloom2.0\n800\n"},
        {"wrong tag", "Greyloom1.0" + good.substr(11), "Other\n800\n600\n0\n0\n"},
        {"a point count of 17", good.substr(0, good.find("2\n0\n0\n159")) + "17\n",
         "Greyloom2.0\n-5\n-5\n0\n0\n1\nNone\n0\n0\n0\n0\n0\n0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForgetUserFolder();
        MakeUserFolder();
        WriteFileText(DataFilePath("Greyloom.ini"), c.settings);
        WriteFileText(DataFilePath("Greyloomdialog.ini"), c.dialogState);
        auto session = OpenEffectPlugin(120, 80, false);
        const Seen seen = OpenAndClose(*session, IDCANCEL);
        EXPECT_EQ(seen.mode, 0) << "the first-start path";
        EXPECT_TRUE(seen.maximised) << "a damaged dialog state is no dialog state";
        EXPECT_EQ(FileText(DataFilePath("Greyloom.ini") + ".bak"), c.settings)
            << "the damaged file kept";
        EXPECT_EQ(FileText(DataFilePath("Greyloomdialog.ini") + ".bak"), c.dialogState);
        const std::vector<std::string> lines = FileLines(DataFilePath("Greyloom.ini"));
        EXPECT_EQ(lines.size(), size_t(3 + 3 * kSetLines)) << "a fresh file written";
    }
}

TEST(SessionStart, ReadOnlySettingsFileIsReadAndLeftAsItWas) {
    ForgetUserFolder();
    MakeUserFolder();
    Settings sets[3];
    sets[0].values[CTL_MODE] = 4;
    const std::string file = SettingsFile(0, sets);
    WriteFileText(DataFilePath("Greyloom.ini"), file);
    SetFileAttributesA(DataFilePath("Greyloom.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    auto session = OpenEffectPlugin(120, 80, false);
    const Seen seen = OpenAndClose(*session, IDCANCEL);
    EXPECT_EQ(seen.mode, 4);
    EXPECT_EQ(FileText(DataFilePath("Greyloom.ini")), file);
    EXPECT_TRUE(session->log.messageBoxes.empty()) << "nothing to tell: nothing was written";
    SetFileAttributesA(DataFilePath("Greyloom.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SessionStart, DialogStateValuesAndSizesAreHeldToWhatTheDialogCanShow) {
    ForgetUserFolder();
    MakeUserFolder();
    Settings sets[3];
    WriteFileText(DataFilePath("Greyloom.ini"), SettingsFile(0, sets));
    // A maximised dialog's restored size far past the screen; a main-tab sheet past the last
    // and a tool past the brush.
    WriteFileText(
        DataFilePath("Greyloomdialog.ini"),
        DialogStateFile(99999, 99999, 99999, 99999, 9, {{CTL_MAIN_TAB, 42}, {CTL_SIDE_TAB, -3}}));
    auto session = OpenEffectPlugin(120, 80, false);
    int16_t result = -1;
    Seen restored;
    const int16_t ended = RunEffectDialog(*session, [&](Driver& driver) {
        const Seen seen = LookAt(driver);
        driver.Check(seen.maximised, "a restored size in the file: the dialog opens maximised");
        driver.Check(seen.mainSheet == 5, "the main tab on its last sheet");
        ShowDialogAs(driver, SW_RESTORE);
        restored = LookAt(driver);
        driver.End(IDCANCEL);
    });
    result = ended;
    EXPECT_EQ(result, HOST_USER_CANCELLED);
    const RECT work = WorkArea();
    EXPECT_LE(restored.window.right - restored.window.left, work.right - work.left);
    EXPECT_LE(restored.window.bottom - restored.window.top, work.bottom - work.top);
    EXPECT_GT(restored.client.cx, 600);
}

TEST(SessionStart, DefaultSettingsOnStartUpResetTheRememberedSet) {
    ForgetUserFolder();
    MakeUserFolder();
    Settings sets[3];
    sets[0].values[CTL_MODE] = 3;
    sets[0].values[CTL_TONE_INTENSITY] = 37;
    WriteFileText(DataFilePath("Greyloom.ini"), SettingsFile(0, sets));
    WriteFileText(DataFilePath("Greyloomdialog.ini"),
                  DialogStateFile(1000, 700, 0, 0, 0, {{CTL_ON_START_UP, 0}}));
    auto session = OpenEffectPlugin(120, 80, false);
    int16_t result = -1;
    OpenAndClose(*session, IDOK, &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(Recorded(*session, CTL_TONE_INTENSITY), ControlTableStartValue(CTL_TONE_INTENSITY));
}

TEST(SessionStart, RunWithoutTheDialogRendersTheRememberedSettings) {
    Settings changed;
    changed.values[CTL_TONE_EXPOSURE] = 90;
    changed.values[CTL_TONE_INTENSITY] = -60;
    // The same settings replayed as a recording give the reference.
    auto reference = OpenEffectPlugin(120, 80, false);
    ASSERT_EQ(RunWithoutDialog(*reference, changed.values), 0);
    auto plain = OpenEffectPlugin(120, 80, false);
    ASSERT_EQ(RunWithoutDialog(*plain, Settings().values), 0);
    ASSERT_NE(reference->output.samples, plain->output.samples) << "the change shows";

    // A host's repeat command: the dialog ran once, then the filter runs again without it
    // and without a recording.
    ForgetUserFolder();
    auto session = OpenEffectPlugin(120, 80, false);
    ASSERT_EQ(OpenAndClose(*session, IDOK).mode, 0);
    const Settings sets[3] = {changed, Settings(), Settings()};
    const std::string file = SettingsFile(0, sets);
    WriteFileText(DataFilePath("Greyloom.ini"), file);
    session->options.playInfo = PLAY_DIALOG_NONE;
    session->replayDescriptor = false;
    ASSERT_EQ(HostRunFilter(*session, false), 0);
    EXPECT_EQ(session->output.samples, reference->output.samples);
    EXPECT_EQ(FileText(DataFilePath("Greyloom.ini")), file)
        << "a run without the dialog writes nothing";
}

TEST(SessionStart, RecordedRunWithoutTheDialogWritesNothing) {
    ForgetUserFolder();
    auto session = OpenEffectPlugin(120, 80, false);
    ASSERT_EQ(RunWithoutDialog(*session, Settings().values), 0);
    EXPECT_FALSE(PathExists(DataFilePath("Greyloom.ini")));
}

// A run without the dialog still lays out the tools of the remembered mode; the cursor on the
// screen and the host's queued messages stay the host's all the same.
TEST(SessionStart, RunWithoutTheDialogLeavesTheHostsCursorAndMessagesAlone) {
    constexpr UINT kHostMessage = WM_APP + 7;
    auto session = OpenEffectPlugin(120, 80, false);
    HCURSOR hostCursor = LoadCursorA(nullptr, IDC_CROSS);
    for (int32_t mode = 0; mode < 5; ++mode) {
        Settings settings;
        settings.values[CTL_MODE] = mode;
        SetCursor(hostCursor);
        ASSERT_TRUE(PostMessageA(session->mainWindow, kHostMessage, WPARAM(mode), 0));
        ASSERT_EQ(RunWithoutDialog(*session, settings.values), 0) << mode;
        EXPECT_EQ(GetCursor(), hostCursor) << mode;
        MSG message;
        EXPECT_TRUE(
            PeekMessageA(&message, session->mainWindow, kHostMessage, kHostMessage, PM_REMOVE))
            << "the plug-in dispatched the host's message, mode " << mode;
    }
}
