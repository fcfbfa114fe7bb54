// The shipped plug-in's dialog through the test host, started with a "skin.ini" in the user's
// application data: the dialog comes up in the chosen look, and leaving it writes the file
// back. Runs in a scratch prefix of its own.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/control_texts.h"
#include "tests/common/test_files.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

std::string SkinFile() {
    return MakerFolderPath() + "\\skin.ini";
}

void WriteSkinChoice(const std::string& text) {
    CreateDirectoryA(MakerFolderPath().c_str(), nullptr);
    WriteFileText(SkinFile(), text);
}

// Escape, and the dialog gone before the driver ends (the host's thread may be busy); a
// first start's welcome question may take the first Escape.
void LeaveWithEscape(Driver& driver) {
    for (int attempt = 0; attempt < 3 && IsWindow(driver.dialog); ++attempt) {
        PressKey(driver.dialog, VK_ESCAPE);
        WaitFor([&] { return !IsWindow(driver.dialog); }, 4000);
    }
}

bool OwnerDrawnButton(HWND window) {
    return window && WindowClassName(window) == "Button" &&
           (GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
}

}  // namespace

TEST(SkinnedEffectDialog, StartsInTheLookOfTheSkinFileAndWritesItBack) {
    // A first start offers the dark skin (and renders every preset's thumbnail): the tests
    // start as a returning user does, whose settings files leave the skin file alone to decide
    // the look.
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    WriteSkinChoice("Skin1.0\r\n6\r\n0\r\n");  // an old file: item 6 is "Elements Dark" now
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        driver.Check(OwnerDrawnButton(driver.ControlWindow(CTL_OK)), "OK is the skin's button");
        driver.Check(WindowClassName(driver.ControlWindow(CTL_MAIN_TAB)) == "Static",
                     "the main tab is the skin's");
        driver.Check(driver.Item(CTL_MAIN_TAB + kEditWindowIdBase) != nullptr, "its tab strip");
        ShootDialog(driver, "skin_host_elements_dark");
        LeaveWithEscape(driver);
    });
    // A fault in the plug-in shows as an error box and an error result: the boxes say which.
    std::string boxes;
    for (const MessageBoxRecord& box : session->log.messageBoxes) boxes += "\n  " + box.text;
    EXPECT_EQ(result, HOST_USER_CANCELLED) << "message boxes:" << boxes;
    const std::string written = FileText(SkinFile());
    EXPECT_EQ(written.rfind("Skin1.1\n7\n", 0), 0u) << written;
}

TEST(SkinnedEffectDialog, SlidersOnlyLeavesTheButtonsStandard) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    WriteSkinChoice("Skin1.1\n1\n15790320\n");
    auto session = OpenEffectPlugin(120, 80, false);
    RunEffectDialog(*session, [](Driver& driver) {
        driver.Check(!OwnerDrawnButton(driver.ControlWindow(CTL_OK)), "OK stays standard");
        ShootDialog(driver, "skin_host_sliders_only");
        LeaveWithEscape(driver);
    });
    EXPECT_EQ(FileText(SkinFile()).rfind("Skin1.1\n1\n", 0), 0u);
}
