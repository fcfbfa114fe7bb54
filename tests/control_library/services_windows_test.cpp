// The about box and the colour picker in real windows.

#include <windows.h>

#include <colordlg.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/control_library/library_test_bed.h"

namespace {

bool IsAboutBox(HWND window) {
    return WindowClassName(window) == "#32770" && GetDlgItem(window, 1044) != nullptr;
}

std::string ColorPickerTitle(int language) {
    return language == 1 ? "Bitte w\xE4hlen Sie eine Farbe:" : "Please choose a color:";
}

}  // namespace

TEST(ControlLibraryServices, AboutBoxOfTheHostsSelectorShowsItsFourLines) {
    auto session = OpenLibraryPlugin();
    std::atomic<bool> closed{false};
    std::string text, shot;
    COLORREF beyondPicture = 0, inPicture = 0;
    std::thread driver([&] {
        HWND box = WaitForTopWindow(IsAboutBox);
        if (!box || !WaitUntilPainted(box)) return;
        text = WindowText(GetDlgItem(box, 1044));
        RECT client;
        GetClientRect(box, &client);
        inPicture = PixelOf(box, 2, 2);
        beyondPicture = PixelOf(box, client.right - 2, client.bottom - 2);
        shot = KeepWindowPicture(box, "control_library_about_selector");
        PostMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        closed = true;
    });
    HostShowAbout(*session);
    driver.join();
    ASSERT_TRUE(closed) << "the about box never came up";
    EXPECT_EQ(text, "Quillmoor\nGreyloom 2.0\nB&W Effects\nwww.quillmoor.com");
    // Mode 0 draws the 160 x 100 picture once at the top left: the far corner is the plain face.
    EXPECT_TRUE(ColourNear(beyondPicture, GetSysColor(COLOR_BTNFACE), 2))
        << std::hex << beyondPicture;
    EXPECT_FALSE(ColourNear(inPicture, GetSysColor(COLOR_BTNFACE), 2)) << std::hex << inPicture;
}

TEST(ControlLibraryServices, AboutActionStretchesThePictureOverTheBoxOverTheDialog) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.createControl(396, CONTROL_IMAGEBUTTON, "", 470, 5, -1, -1, 0, 0, 0, -1);
        api.setControlAction(396, 5);
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        PostMessageA(driver.dialog, WM_COMMAND, MAKEWPARAM(2396, STN_CLICKED),
                     LPARAM(driver.ControlWindow(396)));
        HWND box = WaitForTopWindow(IsAboutBox);
        if (!driver.Check(box != nullptr, "the about box comes up")) return;
        driver.Check(GetWindow(box, GW_OWNER) == driver.dialog, "owned by the filter dialog");
        driver.Check(WaitUntilPainted(box), "the about box is painted");
        RECT client;
        GetClientRect(box, &client);
        // Stretched: the picture's dark foot band reaches the far bottom corner.
        const COLORREF corner = PixelOf(box, client.right - 3, client.bottom - 3);
        driver.Check(GetRValue(corner) < 120, "the picture is stretched to the corner");
        KeepWindowPicture(box, "control_library_about_action");
        PostMessageA(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        driver.Check(WaitFor([&] { return !IsWindow(box); }), "a right click closes it");
        driver.End(IDOK);
    });
}

TEST(ControlLibraryServices, ColorPickerPreviewsLiveAndCancelRestoresTheColour) {
    for (int language : {0, 1}) {
        auto session = OpenLibraryPlugin();
        static int32_t picked = 0;
        picked = 0;
        TestScript script;
        script.build = [](const ScriptedPluginApi& api) {
            api.createControl(376, CONTROL_COLORBUTTON, "Colour", 10, 10, 60, 14, 0, 0, 0, -1);
            api.createControl(374, CONTROL_CHECKBOX, "Live", 10, 30, 60, 10, 0, 0, 0, -1);
            api.setControlAction(376, 0);
            api.setControlValue(376, int32_t(RGB(10, 20, 30)));
            api.setControlValue(374, 1);
        };
        script.react = [language](const ScriptedPluginApi& api, const EventRecord& event) {
            if (event.control != 376 || event.event != EVENT_CLICKED) return 0;
            picked =
                Lib().pickColorWithPreview(376, uint32_t(api.record(376)->value), 374, language);
            return 1;
        };
        RunWithDriver(*session, script, [language](Driver& driver) {
            PostMessageA(driver.dialog, WM_COMMAND, MAKEWPARAM(2376, BN_CLICKED),
                         LPARAM(driver.ControlWindow(376)));
            const std::string title = ColorPickerTitle(language);
            HWND picker =
                WaitForTopWindow([&](HWND window) { return WindowText(window) == title; });
            if (!driver.Check(picker != nullptr, "the picker comes up titled " + title)) return;
            HWND box = GetDlgItem(picker, 740);
            driver.Check(box && WindowText(box) == (language == 1 ? "Vorschau" : "Preview"),
                         "the preview box is there");
            driver.Check(box && SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED,
                         "checked as the preview control is on");
            driver.Check(!IsWindowVisible(GetDlgItem(picker, COLOR_MIX)), "item 719 hidden");
            if (language == 1) {
                driver.Check(WindowText(GetDlgItem(picker, IDCANCEL)) == "Abbruch",
                             "German Cancel");
                driver.Check(FindWindowExA(picker, nullptr, nullptr, "&Rot:") != nullptr,
                             "German red label");
                driver.Check(FindWindowExA(picker, nullptr, nullptr, "&Grundfarben:") != nullptr,
                             "German basic colours, whatever the system's capitals");
            }
            const int rendersBefore = Renders();
            driver.SendTo(GetDlgItem(picker, COLOR_RED), WM_SETTEXT, 0, LPARAM("200"));
            const int32_t live = gBed.api->record(376)->value;
            driver.Check(GetRValue(live) == 200 && GetGValue(live) == 20,
                         "the colour control follows the red field");
            driver.Check(WaitFor([&] { return Renders() > rendersBefore; }), "and re-renders");
            RedrawWindow(picker, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            driver.Check(WaitUntilPainted(picker), "the picker is painted");
            KeepWindowPicture(picker, language == 1 ? "control_library_color_picker_german"
                                                    : "control_library_color_picker");
            PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         LPARAM(GetDlgItem(picker, IDCANCEL)));
            driver.Check(WaitFor([] { return picked != 0; }), "the picker closed");
            driver.Check(picked == -1, "Cancel gives -1");
            driver.Check(gBed.api->record(376)->value == int32_t(RGB(10, 20, 30)),
                         "Cancel restores the starting colour");
            driver.End(IDOK);
        });
    }
}
