// The effect dialog in a real window: it stands with OK and Cancel, the keyboard confirms and
// cancels, and OK on untouched controls renders what the control table's values render.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {
bool IsZoomButton(HWND window) {
    const int id = GetDlgCtrlID(window);
    return id == ITEM_ZOOM_IN || id == ITEM_ZOOM_OUT || id == CTL_ZOOM_IN + kControlWindowIdBase ||
           id == CTL_ZOOM_OUT + kControlWindowIdBase;
}

// The settings the dialog gives its controls when it builds them.
void TableValues(int32_t (&values)[kSettingsControlCount]) {
    for (int32_t n = 0; n < kSettingsControlCount; ++n) values[n] = ControlTableStartValue(n);
}

// A remembered dialog state of the given size that chose German.
void RememberGermanDialog(int32_t width, int32_t height) {
    const char* appData = getenv("APPDATA");
    ASSERT_NE(appData, nullptr);
    const std::string maker = std::string(appData) + "\\Quillmoor";
    CreateDirectoryA(maker.c_str(), nullptr);
    CreateDirectoryA((maker + "\\Greyloom2").c_str(), nullptr);
    std::string text = "Greyloom2.0\n" + std::to_string(width) + "\n" + std::to_string(height) +
                       "\n0\n0\n0\nNone\n0\n0\n0\n0\n0\n0\n";
    for (int32_t n = 310; n < 400; ++n)
        text += std::to_string(n == CTL_LANGUAGE ? 1 : ControlTableStartValue(n)) + "\n";
    text += "22\n";
    for (int i = 0; i < 22; ++i) text += "0\n";
    FILE* file = fopen((maker + "\\Greyloom2\\Greyloomdialog.ini").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

bool SameImage(const HostImage& a, const HostImage& b) {
    return a.width == b.width && a.height == b.height && a.samples == b.samples;
}

// Every pixel grey: the effect's black-and-white rendering, not a single channel.
bool IsGrey(const HostImage& image) {
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            if (image.at(x, y, 0) != image.at(x, y, 1) || image.at(x, y, 1) != image.at(x, y, 2))
                return false;
    return true;
}
}  // namespace

TEST(EffectDialog, StandsWithOkAndCancelAndTheFocusOffTheZoomButtons) {
    auto session = OpenEffectPlugin();
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        for (int32_t n : {CTL_OK, CTL_CANCEL}) {
            HWND button = driver.ControlWindow(n);
            driver.Check(button && IsWindowVisible(button), "button " + std::to_string(n));
        }
        HWND focus = FocusedWindow(driver.dialog);
        driver.Check(focus != nullptr, "a control has the focus");
        driver.Check(!IsZoomButton(focus), "the focus is not on a zoom button");
        // Without a dialog-state file (a first start) the dialog opens maximised.
        driver.Check(IsZoomed(driver.dialog), "the first dialog opens maximised");
        ShowDialogAs(driver, SW_RESTORE);
        ShootDialog(driver, "effect_dialog_en_default");
        ShowDialogAs(driver, SW_MAXIMIZE);
        driver.Check(IsZoomed(driver.dialog), "the dialog maximised");
        ShootDialog(driver, "effect_dialog_en_maximised");
        ShowDialogAs(driver, SW_RESTORE);
        PressKey(driver.dialog, VK_ESCAPE);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
    EXPECT_TRUE(SameImage(session->output, session->source)) << "Escape leaves the image";
}

TEST(EffectDialog, GermanDialogAtItsRememberedSizeAndMaximised) {
    RememberGermanDialog(1000, 700);
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        driver.Check(!IsZoomed(driver.dialog), "a remembered size opens as that size");
        char text[64] = "";
        GetWindowTextA(driver.ControlWindow(CTL_CANCEL), text, sizeof text);
        driver.Check(std::string(text) != "Cancel", "the buttons speak German");
        ShootDialog(driver, "effect_dialog_de_default");
        ShowDialogAs(driver, SW_MAXIMIZE);
        ShootDialog(driver, "effect_dialog_de_maximised");
        ShowDialogAs(driver, SW_RESTORE);
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

TEST(EffectDialog, EnterOnUntouchedControlsRendersTheTableValues) {
    auto reference = OpenEffectPlugin();
    int32_t values[kSettingsControlCount];
    TableValues(values);
    ASSERT_EQ(RunWithoutDialog(*reference, values), 0);
    ASSERT_TRUE(IsGrey(reference->output));

    // A first start has no settings files: Enter writes both, as the OK button does.
    auto session = OpenEffectPlugin();
    const int16_t result =
        RunEffectDialog(*session, [](Driver& driver) { PressKey(driver.dialog, VK_RETURN); });
    ASSERT_EQ(result, 0);
    EXPECT_TRUE(IsGrey(session->output));
    EXPECT_TRUE(SameImage(session->output, reference->output));
    for (const char* name : {"Greyloom.ini", "Greyloomdialog.ini"}) {
        FILE* file = fopen(DataFilePath(name).c_str(), "rb");
        EXPECT_NE(file, nullptr) << name << " written by Enter";
        if (file) fclose(file);
    }
}
