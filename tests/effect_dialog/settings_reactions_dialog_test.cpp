// The reactions to the settings controls in the shipped plug-in's dialog, reached the way a
// user reaches them: a combo box chosen in its window goes through the dialog and the effect's
// event handler to the layout it asks for.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "effect/control_ids.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {
// Chooses item of combo box n in its window, as the user's click on the item does.
void ChooseItem(Driver& driver, int32_t n, int32_t item) {
    HWND combo = driver.ControlWindow(n);
    driver.SendTo(combo, CB_SETCURSEL, WPARAM(item), 0);
    driver.Send(WM_COMMAND, MAKEWPARAM(n + kControlWindowIdBase, CBN_SELCHANGE), LPARAM(combo));
    Sleep(300);
}

// The picture is taken by a program of the display's own that this one does not wait for.
void Shoot(Driver& driver, const std::string& name) {
    ShootDialog(driver, name);
    Sleep(2500);
}

bool Visible(Driver& driver, int32_t n) {
    HWND window = driver.ControlWindow(n);
    return window && IsWindowVisible(window);
}

// A control's top edge in the dialog's client area, pixels.
int32_t TopOf(Driver& driver, int32_t n) {
    RECT rect = {};
    GetWindowRect(driver.ControlWindow(n), &rect);
    POINT corner = {rect.left, rect.top};
    ScreenToClient(driver.dialog, &corner);
    return corner.y;
}
}  // namespace

TEST(SettingsReactionsInTheDialog, ModesLayTheRightHandColumnOut) {
    auto session = OpenEffectPlugin();
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        ChooseItem(driver, CTL_MODE, 3);
        const int32_t toneTop = TopOf(driver, CTL_TONE_BRIGHTNESS);
        ChooseItem(driver, CTL_MODE, 1);
        driver.Check(Visible(driver, CTL_TONE_BRIGHTNESS), "Quick Edit shows the tone sliders");
        driver.Check(Visible(driver, CTL_CONVERSION_HUE), "and the colour filter's hue");
        driver.Check(!Visible(driver, CTL_MAIN_TAB), "without the main tab");
        driver.Check(TopOf(driver, CTL_TONE_BRIGHTNESS) < toneTop, "the tone sliders moved up");
        Shoot(driver, "reactions_dialog_quick_edit");

        ChooseItem(driver, CTL_MODE, 2);
        driver.Check(Visible(driver, CTL_BUILTIN_COLOR_FILM), "Photography shows the built-ins");
        driver.Check(Visible(driver, CTL_MORE_FRAME), "and their More... texts");
        driver.Check(!Visible(driver, CTL_TONE_BRIGHTNESS), "the tone sliders are back home");
        Shoot(driver, "reactions_dialog_photography");

        ChooseItem(driver, CTL_MODE, 4);
        HWND tabs = driver.ControlWindow(CTL_MAIN_TAB);
        driver.Check(driver.SendTo(tabs, TCM_GETITEMCOUNT) == 2, "Advanced+ has Preset and Adjust");
        Shoot(driver, "reactions_dialog_advanced_plus");

        ChooseItem(driver, CTL_MODE, 3);
        driver.Check(driver.SendTo(tabs, TCM_GETITEMCOUNT) == 6, "Advanced has its six sheets");
        driver.Check(!Visible(driver, CTL_EFFECT_LIST), "and no effect list");
        driver.Check(TopOf(driver, CTL_TONE_BRIGHTNESS) == toneTop, "the tone slider is home");
        PressKey(driver.dialog, VK_ESCAPE);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}
