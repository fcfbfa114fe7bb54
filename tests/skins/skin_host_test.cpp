// The shipped plug-in's dialog through the test host, started with a "skin.ini" in the user's
// application data: the dialog comes up in the chosen look, and leaving it writes the file
// back. Runs in a scratch prefix of its own.

#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

std::string SkinFile() {
    char appData[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    return std::string(appData) + "\\Quillmoor\\skin.ini";
}

void WriteSkinChoice(const std::string& text) {
    char appData[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    CreateDirectoryA((std::string(appData) + "\\Quillmoor").c_str(), nullptr);
    std::ofstream file(SkinFile(), std::ios::binary);
    file << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A first start offers the dark skin: one run first, so that the tests start as a returning
// user does, with the skin file alone deciding the look.
void PassTheFirstStart() {
    static bool passed = false;
    if (passed) return;
    auto session = OpenEffectPlugin();
    RunEffectDialog(*session, [](Driver& driver) { PressKey(driver.dialog, VK_ESCAPE); });
    passed = true;
}

bool OwnerDrawnButton(HWND window) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return window && std::string(name) == "Button" &&
           (GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
}

}  // namespace

TEST(SkinnedEffectDialog, StartsInTheLookOfTheSkinFileAndWritesItBack) {
    PassTheFirstStart();
    WriteSkinChoice("Skin1.0\r\n6\r\n0\r\n");  // an old file: item 6 is "Elements Dark" now
    auto session = OpenEffectPlugin();
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        driver.Check(OwnerDrawnButton(driver.ControlWindow(CTL_OK)), "OK is the skin's button");
        char name[32] = "";
        GetClassNameA(driver.ControlWindow(CTL_MAIN_TAB), name, sizeof name);
        driver.Check(std::string(name) == "Static", "the main tab is the skin's");
        driver.Check(driver.Item(CTL_MAIN_TAB + kEditWindowIdBase) != nullptr, "its tab strip");
        ShootDialog(driver, "skin_host_elements_dark");
        PressKey(driver.dialog, VK_ESCAPE);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
    const std::string written = ReadText(SkinFile());
    EXPECT_EQ(written.rfind("Skin1.1\n7\n", 0), 0u) << written;
}

TEST(SkinnedEffectDialog, SlidersOnlyLeavesTheButtonsStandard) {
    PassTheFirstStart();
    WriteSkinChoice("Skin1.1\n1\n15790320\n");
    auto session = OpenEffectPlugin();
    RunEffectDialog(*session, [](Driver& driver) {
        driver.Check(!OwnerDrawnButton(driver.ControlWindow(CTL_OK)), "OK stays standard");
        ShootDialog(driver, "skin_host_sliders_only");
        PressKey(driver.dialog, VK_ESCAPE);
    });
    EXPECT_EQ(ReadText(SkinFile()).rfind("Skin1.1\n1\n", 0), 0u);
}
