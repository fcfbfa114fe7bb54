// The Save Preset dialog reached as a user reaches it: the shipped plug-in's dialog in the
// test host (in a scratch prefix: the preset is saved under its application data), the preset
// list's menu opened and "Save Preset..." chosen with the keyboard.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "effect/control_ids.h"
#include "tests/common/control_texts.h"
#include "tests/common/screen_capture.h"
#include "tests/common/test_files.h"
#include "tests/effect_dialog/effect_dialog_bed.h"
#include "tests/save_preset/thread_windows.h"

namespace {
constexpr int kWaitMs = 5000;
constexpr int kFileDialogWaitMs = 20000;  // the first shell dialog of a process starts slowly
constexpr int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;

// The preset list's menu: the first start's thumbnails are still rendering, and the run puts
// the settings back after a category meanwhile.
bool OpenPresetMenu(Driver& driver) {
    constexpr int kAttemptWaitMs = 1500;
    return ClickUntilMenuShows(driver, CTL_PRESET_MENU, kAttemptWaitMs) != nullptr;
}

// The Save Preset dialog once it stands: owned by the filter dialog, placed and shown (its
// caption is set before it is placed).
HWND SavePresetDialog(HWND filterDialog) {
    HWND found = FindWindowA("#32770", "Save Preset");
    return found && IsWindowVisible(found) && GetWindow(found, GW_OWNER) == filterDialog ? found
                                                                                         : nullptr;
}

bool Holds(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& text : texts)
        if (text.find(part) != std::string::npos) return true;
    return false;
}

std::string PresetFolder() {
    return DataFilePath("Presets\\");
}
}  // namespace

TEST(SavePresetInPlugin, PresetMenuSavesThroughTheDialogAndListsThePreset) {
    auto session = OpenEffectPlugin(240, 160);
    HWND shown = nullptr;
    RECT over = {}, own = {};
    std::string name;
    const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
        SetForegroundWindow(driver.dialog);
        WaitFor([&] { return GetForegroundWindow() == driver.dialog; }, kWaitMs);
        if (!driver.Check(OpenPresetMenu(driver), "the preset list's menu opens")) return;
        PressKey(WORD(VK_DOWN));  // Open Preset...
        PressKey(WORD(VK_DOWN));  // Save Preset...
        PressKey(WORD(VK_RETURN));
        driver.Check(
            WaitFor([&] { return (shown = SavePresetDialog(driver.dialog)) != nullptr; }, kWaitMs),
            "Save Preset... opens the Save Preset dialog");
        if (!shown) return;
        GetWindowRect(driver.dialog, &over);
        GetWindowRect(shown, &own);
        char text[256] = "";
        GetDlgItemTextA(shown, 1026, text, sizeof text);
        name = text;
        driver.Check(WaitUntilPainted(shown), "the Save Preset dialog is painted");
        ShootDialog(driver, "save_preset_over_filter_dialog");
        SendMessageA(GetDlgItem(shown, 1026), WM_SETTEXT, 0, LPARAM("Sunday morning"));
        PostMessageA(GetDlgItem(shown, IDOK), BM_CLICK, 0, 0);
        driver.Check(WaitFor([&] { return !IsWindow(shown); }, kWaitMs), "Save closes it");
        HWND list = driver.ControlWindow(CTL_PRESET_LIST);
        driver.Check(
            WaitFor([&] { return Holds(ListViewItemTexts(list), "Sunday morning"); }, kWaitMs),
            "the saved preset is listed");
        ShootDialog(driver, "save_preset_listed");

        // "Open Preset..." loads a file of the folder and names it in the dialog's title.
        WriteFileText(PresetFolder() + "Evening.glp",
                      "Greyloom2.0\n1\ngFX1BW\n8\n2\n0\n0\n0\n0\n0\n0\n0\n");
        if (!driver.Check(OpenPresetMenu(driver), "the menu opens again")) return;
        PressKey(WORD(VK_DOWN));  // Open Preset...
        PressKey(WORD(VK_RETURN));
        HWND open = nullptr;
        WaitFor([&] { return (open = FindWindowA("#32770", "Open Preset")) != nullptr; },
                kFileDialogWaitMs);
        if (!driver.Check(open != nullptr, "Open Preset... opens the file dialog")) return;
        HWND field = GetDlgItem(open, kFileNameCombo);
        if (!field) field = GetDlgItem(open, kFileNameEdit);
        const std::string path = PresetFolder() + "Evening.glp";
        SendMessageA(field, WM_SETTEXT, 0, LPARAM(path.c_str()));
        PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        driver.Check(WaitFor(
                         [&] {
                             char title[256] = "";
                             GetWindowTextA(driver.dialog, title, sizeof title);
                             return std::string(title) == "Greyloom 2.0 - Last Preset: Evening";
                         },
                         kWaitMs),
                     "the title names the opened preset");
        driver.End(IDCANCEL);
    });
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(name, "Preset 1");
    // Default settings: the conversion group alone is in use.
    const std::string saved = FileText(PresetFolder() + "Sunday morning.glp");
    EXPECT_EQ(saved.rfind("Greyloom2.0\n1\ngFX1BW\n8\n", 0), 0u) << saved;
    EXPECT_LE(std::abs((own.left + own.right) - (over.left + over.right)), 2)
        << own.left << "," << own.top << "," << own.right << "," << own.bottom << " over "
        << over.left << "," << over.top << "," << over.right << "," << over.bottom;
    EXPECT_LE(std::abs((own.top + own.bottom) - (over.top + over.bottom)), 2);
    (void)result;
}
