// The Save Preset dialog and the preset file dialogs as real windows: the test's thread runs
// them modally while a driver thread types, clicks and answers their message boxes; presets
// are written into scratch folders and read back through the preset reader.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dialog/control_creation.h"
#include "dialog/dialog_window.h"
#include "dialog/framework_hooks.h"
#include "dialog/text_expansion.h"
#include "effect/control_ids.h"
#include "effect/effect_session.h"
#include "effect/preset_file.h"
#include "effect/preset_file_dialogs.h"
#include "effect/preset_groups.h"
#include "effect/save_preset_dialog.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/plugin_data.h"
#include "host/system_calls.h"
#include "render/session_state.h"
#include "tests/common/file_faults.h"
#include "tests/save_preset/thread_windows.h"
#include "tests/settings_rows/settings_fixture.h"

namespace {
int32_t gRefills;
void CountRefill() {
    ++gRefills;
}

// Group flags as MarkGroupsInUse would leave them with every group in use.
void AllGroupsInUse() {
    for (int32_t g = 0; g < kPresetGroupCount; ++g) gGroupInUse[g] = !PresetGroupIsEmpty(g);
}

// The keys of a group preset's groups, read from its lines by hand.
std::vector<std::string> KeysOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    std::vector<std::string> keys;
    size_t at = 2;
    for (int32_t g = 0; g < std::stoi(lines.at(1)); ++g) {
        keys.push_back(lines.at(at));
        at += 2 + size_t(std::stoi(lines.at(at + 1)));
    }
    return keys;
}
}  // namespace

class SavePresetWindows : public SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        gModule = GetModuleHandleA(nullptr);
        DialogHooksInstall();
        EffectSessionReset();
        PresetDialogCallsConnect({CountRefill});
        gRefills = 0;
        scratch = std::make_unique<ScratchFolder>(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        gEffectSession.lastPresetFolder = scratch->path() + "\\";
    }
    void TearDown() override {
        SystemCallsReset();
        SetFileAttributesA(scratch->File("Locked.glp").c_str(), FILE_ATTRIBUTE_NORMAL);
        scratch.reset();
        EffectSessionReset();
        PresetDialogCallsReset();
        SettingsFixture::TearDown();
    }
    // Runs the dialog in the language on this thread while drive works it; its result.
    int32_t RunDialog(int32_t language, const std::function<void(DWORD, HWND)>& drive) {
        int32_t result = -1;
        RunWithDriverThread([&] { result = RunSavePresetDialog(language); },
                            [&](DWORD thread) { Drive(thread, language, drive); });
        return result;
    }
    // Finds the Save Preset dialog, hands it to drive, and cancels it if drive left it open.
    static void Drive(DWORD thread, int32_t language,
                      const std::function<void(DWORD, HWND)>& drive) {
        HWND dialog = WaitForDialog(thread, SavePresetText(language, 0));
        EXPECT_TRUE(dialog) << "the Save Preset dialog did not open";
        if (!dialog) return;
        drive(thread, dialog);
        if (IsWindow(dialog)) PostClick(dialog, SAVE_PRESET_CANCEL);
    }
    std::unique_ptr<ScratchFolder> scratch;
};

TEST_F(SavePresetWindows, OpensWithTheGroupsInUseAndTheEmptyGroupsUnticked) {
    AllGroupsInUse();
    gGroupInUse[22] = 0;  // grain not in use: its column's head starts unticked
    gEffectSession.lastPresetName = "Warm selenium";
    const int32_t result = RunDialog(0, [&](DWORD, HWND dialog) {
        EXPECT_EQ(ItemText(dialog, SAVE_PRESET_NAME), "Warm selenium");
        EXPECT_EQ(ItemText(dialog, SAVE_PRESET_NAME_LABEL), "Preset Name");
        EXPECT_EQ(ItemText(dialog, 1057), "B&&W");
        for (int32_t g = 0; g < kPresetGroupCount; ++g) {
            if (g == 17) continue;  // the template has no box for it
            EXPECT_EQ(IsItemShown(dialog, 1057 + g), g != 10) << g;
            EXPECT_EQ(IsItemChecked(dialog, 1057 + g), gGroupInUse[g] != 0) << g;
        }
        const bool heads[] = {true, false, false, false, true};
        for (int32_t c = 0; c < kSavePresetColumnCount; ++c)
            EXPECT_EQ(IsItemChecked(dialog, 1052 + c), heads[c]) << "head " << 1052 + c;
        RECT rect, area;
        GetWindowRect(dialog, &rect);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        EXPECT_LE(std::abs((rect.left + rect.right) - (area.left + area.right)), 2)
            << "centred on the work area without a filter dialog";
        ShootWindow(dialog, "save_preset_en");
        PostClick(dialog, SAVE_PRESET_CANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(gGroupInUse[22], 0) << "Cancel changes no flag";
}

TEST_F(SavePresetWindows, GermanTextsAndMessages) {
    AllGroupsInUse();
    const int32_t result = RunDialog(1, [&](DWORD thread, HWND dialog) {
        EXPECT_EQ(ItemText(dialog, SAVE_PRESET_SAVE), "Speichern");
        EXPECT_EQ(ItemText(dialog, 1058), "Polfilter");
        EXPECT_EQ(ItemText(dialog, 1072), "Gr\xFCn");
        ShootWindow(dialog, "save_preset_de");
        SetItemText(dialog, SAVE_PRESET_NAME, "");
        PostClick(dialog, SAVE_PRESET_SAVE);
        const AnsweredBox box = AnswerMessageBox(thread, IDOK, dialog);
        EXPECT_EQ(box.text, "Bitte geben Sie einen Presetnamen ein!");
        EXPECT_EQ(box.caption, "Error");
    });
    EXPECT_EQ(result, 0);
}

// Each refused name shows its message, keeps the dialog open and the name as typed.
TEST_F(SavePresetWindows, RefusedNamesKeepTheDialog) {
    AllGroupsInUse();
    struct Case {
        const char* name;
        const char* message;
    } cases[] = {
        {"", "Please enter a preset name!"},
        {"Sepia/2", "The preset name contains an illegal letter."},
        {"what?", "The preset name contains an illegal letter."},
        {"CON", "The preset name is reserved by Windows for a device, or ends in a dot."},
    };
    RunDialog(0, [&](DWORD thread, HWND dialog) {
        for (const Case& c : cases) {
            SetItemText(dialog, SAVE_PRESET_NAME, c.name);
            PostClick(dialog, SAVE_PRESET_SAVE);
            const AnsweredBox box = AnswerMessageBox(thread, IDOK, dialog);
            EXPECT_TRUE(box.found) << c.name;
            EXPECT_EQ(box.text, c.message) << c.name;
            EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != 0; }));
            EXPECT_TRUE(IsWindow(dialog)) << c.name;
            EXPECT_EQ(ItemText(dialog, SAVE_PRESET_NAME), c.name);
            EXPECT_EQ(gEffectSession.lastPresetName, c.name) << "the name is kept as typed";
        }
    });
}

TEST_F(SavePresetWindows, ANameOfBlanksIsSaved) {
    AllGroupsInUse();
    const int32_t result = RunDialog(0, [&](DWORD, HWND dialog) {
        SetItemText(dialog, SAVE_PRESET_NAME, "   ");
        PostClick(dialog, SAVE_PRESET_SAVE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(gEffectSession.lastPresetName, "   ");
}

TEST_F(SavePresetWindows, NoTickedGroupKeepsTheDialogAndHiddenGroupsKeepTheirFlags) {
    AllGroupsInUse();
    gGroupInUse[10] = 1;  // a hidden box: Save leaves its flag alone
    const int32_t result = RunDialog(0, [&](DWORD thread, HWND dialog) {
        Click(dialog, SAVE_PRESET_CHECK_NONE);
        for (int32_t item = 1052; item <= 1083; ++item)
            if (GetDlgItem(dialog, item)) {
                EXPECT_FALSE(IsItemChecked(dialog, item)) << item;
            }
        PostClick(dialog, SAVE_PRESET_SAVE);
        const AnsweredBox box =
            AnswerMessageBox(thread, IDOK, dialog, 5000, "save_preset_no_group");
        EXPECT_EQ(box.text, "Please activate at least one check box under Settings!");
        EXPECT_TRUE(IsWindow(dialog));
        // A head ticks its column only: Mask, Brush and Fade.
        Click(dialog, 1056);
        for (int32_t g = 0; g < kPresetGroupCount; ++g)
            if (g != 17 && g != 10) {
                EXPECT_EQ(IsItemChecked(dialog, 1057 + g), g >= 24) << g;
            }
        Click(dialog, 1081);  // Brush off again
        PostClick(dialog, SAVE_PRESET_SAVE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_EQ(result, 1);
    for (int32_t g = 0; g < kPresetGroupCount; ++g)
        EXPECT_EQ(gGroupInUse[g], g == 10 || g == 25 || g == 26 ? 1 : 0) << g;
}

TEST_F(SavePresetWindows, AnsweringNoToOverwriteKeepsTheDialog) {
    AllGroupsInUse();
    WriteFileText(scratch->File("Existing.glp"), "old\n");
    const int32_t result = RunDialog(0, [&](DWORD thread, HWND dialog) {
        SetItemText(dialog, SAVE_PRESET_NAME, "Existing");
        PostClick(dialog, SAVE_PRESET_SAVE);
        AnsweredBox box = AnswerMessageBox(thread, IDNO, dialog);
        EXPECT_EQ(box.text, "Do you want to overwrite the existing preset with the same name?");
        EXPECT_EQ(box.caption, FilterTitle());
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != 0; }));
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_EQ(ItemText(dialog, SAVE_PRESET_NAME), "Existing");
        PostClick(dialog, SAVE_PRESET_SAVE);
        box = AnswerMessageBox(thread, IDYES, dialog);
        EXPECT_TRUE(box.found);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(FileText(scratch->File("Existing.glp")), "old\n") << "the dialog writes nothing";
}

// The quick save writes the chosen groups; the file reads back to the same settings.
TEST_F(SavePresetWindows, QuickSaveWritesTheChosenGroupsThatReadBack) {
    std::mt19937 random(20);
    RandomState(random);
    const SettingsState saved = Captured();
    int32_t result = 0;
    RunWithDriverThread([&] { result = QuickSavePreset(); },
                        [&](DWORD thread) {
                            Drive(thread, 0, [&](DWORD, HWND dialog) {
                                SetItemText(dialog, SAVE_PRESET_NAME, "Grainy mono");
                                Click(dialog, SAVE_PRESET_CHECK_NONE);
                                Click(dialog, 1057);  // B&W
                                Click(dialog, 1079);  // Grain
                                Click(dialog, 1068);  // Tone curve
                                PostClick(dialog, SAVE_PRESET_SAVE);
                                EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
                            });
                        });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(gRefills, 1) << "the list is refilled after a save";
    const std::string path = scratch->File("Grainy mono.glp");
    const std::string text = FileText(path);
    EXPECT_EQ(text.rfind("Greyloom2.0\n3\n", 0), 0u);
    EXPECT_EQ(KeysOf(text), (std::vector<std::string>{"gFX1BW", "gGenTone", "gFX2Grain"}));

    StartingState();
    ASSERT_EQ(LoadPresetFile(path.c_str(), 0), 1);
    const SettingsState loaded = Captured();
    for (int32_t group : {0, 11, 22})
        for (int32_t i = 0; i < kPresetGroups[group].count; ++i) {
            const int32_t n = kPresetGroups[group].controls[i];
            EXPECT_EQ(loaded.values[n], saved.values[n]) << "control " << n;
        }
    EXPECT_EQ(loaded.curveCount[0], saved.curveCount[0]);
    for (int32_t p = 0; p < saved.curveCount[0]; ++p) {
        EXPECT_EQ(loaded.curvePoints[0][p][0], saved.curvePoints[0][p][0]) << p;
        EXPECT_EQ(loaded.curvePoints[0][p][1], saved.curvePoints[0][p][1]) << p;
    }
}

// A save that cannot be written says so and leaves the older file as it was.
TEST_F(SavePresetWindows, FailedWritesAreReportedAndLoseNothing) {
    const std::string old = "Greyloom2.0\n0\n";
    struct Fault {
        std::string what;
        std::function<void()> inject;
        std::string name;
    };
    std::vector<Fault> faults;
    for (const FileFault& fault : kFileFaults) faults.push_back({fault.what, fault.inject, "Kept"});
    faults.push_back(
        {"read-only file",
         [&] { SetFileAttributesA(scratch->File("Locked.glp").c_str(), FILE_ATTRIBUTE_READONLY); },
         "Locked"});
    WriteFileText(scratch->File("Kept.glp"), old);
    WriteFileText(scratch->File("Locked.glp"), old);
    for (const Fault& fault : faults) {
        SystemCallsReset();
        fault.inject();
        int32_t result = -1;
        AnsweredBox error;
        RunWithDriverThread([&] { result = QuickSavePreset(); },
                            [&](DWORD thread) {
                                Drive(thread, 0, [&](DWORD, HWND dialog) {
                                    SetItemText(dialog, SAVE_PRESET_NAME, fault.name);
                                    PostClick(dialog, SAVE_PRESET_SAVE);
                                    AnswerMessageBox(thread, IDYES, dialog);  // overwrite
                                    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
                                });
                                error = AnswerMessageBox(thread, IDOK);
                            });
        SystemCallsReset();
        EXPECT_EQ(result, 0) << fault.what;
        EXPECT_EQ(error.caption, "Error") << fault.what;
        EXPECT_EQ(error.text, "Failed to save preset file.\n" + scratch->File(fault.name + ".glp"))
            << fault.what;
        EXPECT_EQ(FileText(scratch->File(fault.name + ".glp")), old) << fault.what;
        EXPECT_EQ(GetFileAttributesA(scratch->File(fault.name + ".glp.tmp").c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << fault.what << ": no temporary file left";
    }
    EXPECT_EQ(gRefills, 0) << "nothing new to list";
}

TEST_F(SavePresetWindows, SavingIntoAMissingFolderIsReported) {
    gEffectSession.lastPresetFolder = scratch->File("gone") + "\\";
    int32_t result = -1;
    AnsweredBox error;
    RunWithDriverThread([&] { result = QuickSavePreset(); },
                        [&](DWORD thread) {
                            Drive(thread, 0, [&](DWORD, HWND dialog) {
                                PostClick(dialog, SAVE_PRESET_SAVE);
                                EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
                            });
                            error = AnswerMessageBox(thread, IDOK);
                        });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error.text, "Failed to save preset file.\n" + scratch->File("gone\\Preset 1.glp"));
}

// --- The open and save-as file dialogs ---------------------------------------------------------
namespace {
constexpr int kFileDialogWaitMs = 20000;  // the first shell dialog of a process starts slowly
constexpr int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;

std::string BigEndianWords(std::initializer_list<int> words) {
    std::string bytes;
    for (int word : words) {
        bytes += char((word >> 8) & 0xFF);
        bytes += char(word & 0xFF);
    }
    return bytes;
}

HWND FileNameField(HWND fileDialog) {
    HWND field = GetDlgItem(fileDialog, kFileNameCombo);
    return field ? field : GetDlgItem(fileDialog, kFileNameEdit);
}

// Waits for the file dialog of that title; reads the name it proposes, then either types path
// and presses its OK button or (path null) cancels it.
std::string ChooseInFileDialog(DWORD thread, const std::string& title, const char* path,
                               const char* shot = nullptr) {
    HWND fileDialog = WaitForDialog(thread, title, nullptr, kFileDialogWaitMs);
    EXPECT_TRUE(fileDialog) << "no file dialog \"" << title << "\"";
    if (!fileDialog) return "";
    HWND field = FileNameField(fileDialog);
    const std::string proposed = WindowText(field);
    if (shot) ShootWindow(fileDialog, shot);
    if (path) SetItemText(fileDialog, GetDlgCtrlID(field), path);
    PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(path ? IDOK : IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(fileDialog); }, kFileDialogWaitMs));
    return proposed;
}
}  // namespace

// Each format opens through the dialog, changes what it holds and is remembered.
TEST_F(SavePresetWindows, OpenPresetLoadsEveryFormatAndRemembersIt) {
    WriteFileText(scratch->File("Look one.glp"),
                  FileText(SourceFile("tests/preset_files/fixtures/groups.glp")));
    WriteFileText(scratch->File("Old look.gop"),
                  FileText(SourceFile("tests/preset_files/fixtures/legacy257.gop")));
    // One curve of three points, (output, input) pairs: it becomes the Tone curve, scaled.
    WriteFileText(scratch->File("Curves.acv"), BigEndianWords({4, 1, 3, 0, 0, 128, 100, 255, 255}));
    struct Case {
        const char* file;
        const char* name;
        std::function<void()> check;
    } cases[] = {
        {"Look one.glp", "Look one", [] { EXPECT_EQ(gContext.controlValues[270], 2); }},
        {"Old look.gop", "Old look", [] { EXPECT_EQ(gContext.controlValues[CTL_MODE], 4); }},
        {"Curves.acv", "Curves",
         [] {
             EXPECT_EQ(gSession.curvePointCount[0], 3);
             EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 0, 0), 100 * 159 / 255);
             EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 0), 128 * 159 / 255);
         }},
    };
    std::string previousName = "Preset 1";
    for (const Case& c : cases) {
        StartingState();
        const std::string path = scratch->File(c.file);
        int32_t result = -1;
        std::string proposed;
        RunWithDriverThread([&] { result = LoadPresetDialog(); },
                            [&](DWORD thread) {
                                proposed =
                                    ChooseInFileDialog(thread, "Open Preset", path.c_str(),
                                                       &c == cases ? "open_preset" : nullptr);
                            });
        ASSERT_EQ(result, 1) << c.file;
        EXPECT_EQ(proposed.substr(proposed.find_last_of('\\') + 1), previousName + ".glp")
            << "the last preset's name is proposed";
        c.check();
        EXPECT_EQ(gEffectSession.lastPresetFolder, scratch->path() + "\\") << c.file;
        EXPECT_EQ(gEffectSession.lastPresetName, c.name);
        EXPECT_EQ(gEffectSession.openPresetPath, path);
        previousName = c.name;
    }
    EXPECT_EQ(gRefills, 0) << "a loaded preset leaves the list alone";
}

TEST_F(SavePresetWindows, CancelledOrDamagedOpenChangesNothing) {
    WriteFileText(scratch->File("Damaged.glp"), "Greyloom2.0\n1\ngGenTone\n40\n1\n");
    SetControlValue(270, 3);
    int32_t result = -1;
    RunWithDriverThread([&] { result = LoadPresetDialog(); },
                        [&](DWORD thread) { ChooseInFileDialog(thread, "Open Preset", nullptr); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(gRefills, 1) << "a cancel rescans and refills the list";

    const std::string path = scratch->File("Damaged.glp");
    AnsweredBox error;
    RunWithDriverThread([&] { result = LoadPresetDialog(); },
                        [&](DWORD thread) {
                            ChooseInFileDialog(thread, "Open Preset", path.c_str());
                            error = AnswerMessageBox(thread, IDOK);
                        });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error.text.rfind("The preset file " + path + " was not loaded", 0), 0u) << error.text;
    EXPECT_EQ(gContext.controlValues[270], 3);
    EXPECT_EQ(gEffectSession.lastPresetName, "Preset 1");
    EXPECT_EQ(gRefills, 2);
}

TEST_F(SavePresetWindows, OpeningAFileThatIsGoneSaysSo) {
    const std::string path = scratch->File("Gone.glp");
    AnsweredBox error;
    int32_t result = -1;
    RunWithDriverThread([&] { result = OpenPresetFile(path.c_str(), 0); },
                        [&](DWORD thread) { error = AnswerMessageBox(thread, IDOK); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error.text, "Failed to open preset file.\n" + path);
    EXPECT_EQ(gEffectSession.lastPresetName, "Preset 1");
}

// Save As names folder and preset; the Save Preset dialog then asks for the groups.
TEST_F(SavePresetWindows, SaveAsWritesIntoTheChosenFolder) {
    const std::string folder = scratch->File("Night");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string chosen = folder + "\\Blue hour";
    int32_t result = -1;
    std::string nameShown;
    RunWithDriverThread([&] { result = SavePresetAsDialog(); },
                        [&](DWORD thread) {
                            ChooseInFileDialog(thread, "Save Preset As", chosen.c_str(),
                                               "save_preset_as");
                            Drive(thread, 0, [&](DWORD, HWND dialog) {
                                nameShown = ItemText(dialog, SAVE_PRESET_NAME);
                                PostClick(dialog, SAVE_PRESET_SAVE);
                                EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
                            });
                        });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(nameShown, "Blue hour");
    EXPECT_EQ(gEffectSession.lastPresetFolder, folder + "\\");
    const std::string written = FileText(folder + "\\Blue hour.glp");
    EXPECT_EQ(written.rfind("Greyloom2.0\n", 0), 0u);
    EXPECT_EQ(gRefills, 1);
    DeleteFileA((folder + "\\Blue hour.glp").c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(SavePresetWindows, OpensCentredOverTheFilterDialogThatOwnsIt) {
    AllGroupsInUse();
    HWND filter = CreateWindowExA(0, "Static", "filter dialog stand-in", WS_POPUP | WS_VISIBLE, 40,
                                  30, 900, 620, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(filter);
    gDialog = filter;
    HWND owner = nullptr;
    RECT rect = {};
    RunDialog(0, [&](DWORD, HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        GetWindowRect(dialog, &rect);
        EXPECT_FALSE(IsWindowEnabled(filter)) << "modal over the filter dialog";
    });
    gDialog = nullptr;
    DestroyWindow(filter);
    EXPECT_EQ(owner, filter);
    EXPECT_LE(std::abs((rect.left + rect.right) - (40 + 940)), 2);
    EXPECT_LE(std::abs((rect.top + rect.bottom) - (30 + 650)), 2);
}

// Typed as a user would: the proposed name is selected, typing replaces it, Enter saves and
// Escape cancels.
TEST_F(SavePresetWindows, TypingANameAndPressingEnterSaves) {
    AllGroupsInUse();
    int32_t result = RunDialog(0, [&](DWORD, HWND dialog) {
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
        TypeText("Dusk");
        EXPECT_TRUE(WaitUntil([&] { return ItemText(dialog, SAVE_PRESET_NAME) == "Dusk"; }))
            << ItemText(dialog, SAVE_PRESET_NAME);
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(gEffectSession.lastPresetName, "Dusk");

    result = RunDialog(0, [&](DWORD, HWND dialog) {
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_EQ(result, 0);
}

// A module without the dialog's template: the user is told, and nothing is saved.
TEST_F(SavePresetWindows, AMissingTemplateIsReportedNotTakenForCancel) {
    gModule = GetModuleHandleA("kernel32.dll");
    int32_t result = -1;
    AnsweredBox error;
    RunWithDriverThread([&] { result = QuickSavePreset(); },
                        [&](DWORD thread) { error = AnswerMessageBox(thread, IDOK); });
    gModule = GetModuleHandleA(nullptr);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error.text, "The Save Preset dialog could not be opened.");
    EXPECT_EQ(FileText(scratch->File("Preset 1.glp")), "");
}
