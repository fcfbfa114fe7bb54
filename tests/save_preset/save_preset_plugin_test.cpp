// The Save Preset dialog reached as a user reaches it: the shipped plug-in's dialog in the
// test host, the preset list's menu opened and "Save Preset..." chosen with the keyboard.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "effect/control_ids.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {
constexpr int kWaitMs = 5000;

void Tap(WORD key) {
    INPUT keys[2] = {};
    for (INPUT& input : keys) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    Sleep(100);
}

bool MenuShown() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
}

// The Save Preset dialog once it stands: owned by the filter dialog, placed and shown (its
// caption is set before it is placed).
HWND SavePresetDialog(HWND filterDialog) {
    HWND found = FindWindowA("#32770", "Save Preset");
    return found && IsWindowVisible(found) && GetWindow(found, GW_OWNER) == filterDialog ? found
                                                                                         : nullptr;
}
}  // namespace

TEST(SavePresetInPlugin, PresetMenuOpensTheDialogOverTheFilterDialog) {
    auto session = OpenEffectPlugin(240, 160);
    HWND shown = nullptr;
    RECT over = {}, own = {};
    std::string name;
    const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
        SetForegroundWindow(driver.dialog);
        Sleep(200);
        // Posted: the menu runs its own loop on the dialog's thread.
        PostMessageA(driver.dialog, WM_COMMAND, MAKEWPARAM(CTL_PRESET_MENU + 2000, BN_CLICKED),
                     LPARAM(driver.ControlWindow(CTL_PRESET_MENU)));
        if (!driver.Check(WaitFor(MenuShown, kWaitMs), "the preset list's menu opens")) return;
        Tap(VK_DOWN);  // Open Preset...
        Tap(VK_DOWN);  // Save Preset...
        Tap(VK_RETURN);
        driver.Check(
            WaitFor([&] { return (shown = SavePresetDialog(driver.dialog)) != nullptr; }, kWaitMs),
            "Save Preset... opens the Save Preset dialog");
        if (!shown) return;
        GetWindowRect(driver.dialog, &over);
        GetWindowRect(shown, &own);
        char text[256] = "";
        GetDlgItemTextA(shown, 1026, text, sizeof text);
        name = text;
        Sleep(300);
        ShootDialog(driver, "save_preset_over_filter_dialog");
        // Cancelled: nothing is written into the shared prefix's preset folder.
        PostMessageA(shown, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        driver.Check(WaitFor([&] { return !IsWindow(shown); }, kWaitMs), "Cancel closes it");
        PressKey(driver.dialog, VK_ESCAPE);
    });
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(name, "Preset 1");
    EXPECT_LE(std::abs((own.left + own.right) - (over.left + over.right)), 2)
        << own.left << "," << own.top << "," << own.right << "," << own.bottom << " over "
        << over.left << "," << over.top << "," << over.right << "," << over.bottom;
    EXPECT_LE(std::abs((own.top + own.bottom) - (over.top + over.bottom)), 2);
    (void)result;
}
