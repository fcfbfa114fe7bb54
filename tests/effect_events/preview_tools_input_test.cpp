// The preview tools and the dialog's keys under real input: the shipped plug-in in the test
// host, keys and mouse sent with SendInput to the dialog on the X display, and what the
// tools did read back from the descriptor that OK records.

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

constexpr int kMenuWaitMs = 3000;

// Three bands side by side: grey 128 on the left, then the middle and the right colours.
struct Bands {
    uint16_t left[3], middle[3], right[3];
};

// The dialog opens as it was left: quick, without the first start's thumbnails, unless the
// test is about a first start.
std::unique_ptr<HostSession> OpenBandedImage(const Bands& bands, bool firstStart = false) {
    if (!firstStart) RememberQuickDialog();
    auto session = OpenEffectPlugin(240, 160, firstStart);
    HostImage image = HostImageMake(240, 160, 3, 8);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            const uint16_t* colour = x < 80 ? bands.left : x < 160 ? bands.middle : bands.right;
            for (int32_t c = 0; c < 3; ++c) image.at(x, y, c) = colour[c];
        }
    EXPECT_TRUE(HostSetImage(*session, image));
    return session;
}

// A point of the preview's image: the image stands centred in the preview at a fitting scale,
// so the centre row crosses all three bands; dx moves into the side bands.
POINT PreviewPoint(Driver& driver, int dx, int dy = 0) {
    const POINT centre = CentreOf(driver.Item(ITEM_PREVIEW));
    return {centre.x + dx, centre.y + dy};
}

// The window that holds the mouse on the dialog's thread (a pan under way holds it).
HWND MouseCapture(Driver& driver) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(driver.dialog, nullptr), &info);
    return info.hwndCapture;
}

const DescriptorItem* Recorded(const HostSession& session, const char (&key)[5]) {
    for (const DescriptorItem& item : session.recorded)
        if (item.key == FourCC(key)) return &item;
    return nullptr;
}

int32_t RecordedValue(const HostSession& session, int32_t control) {
    char key[5];
    snprintf(key, sizeof key, "0%03d", int(control));
    const DescriptorItem* item = Recorded(session, reinterpret_cast<const char(&)[5]>(*key));
    return item ? item->integer : -99999;
}

// The numbers of a recorded text ("a,b,c,"), whatever byte leads it.
std::vector<int32_t> RecordedNumbers(const HostSession& session, const char (&key)[5]) {
    std::vector<int32_t> numbers;
    const DescriptorItem* item = Recorded(session, key);
    if (!item) return numbers;
    const std::string& text = item->text;
    size_t i = 0;
    while (i < text.size()) {
        if (isdigit(uint8_t(text[i])) || (text[i] == '-' && i + 1 < text.size())) {
            size_t end = 0;
            numbers.push_back(std::stoi(text.substr(i), &end));
            i += end;
        } else {
            ++i;
        }
    }
    return numbers;
}

TEST(PreviewTools, EyedropperDragMovesTheSliderOfThePickedColour) {
    // Grey, red and green: the polarizer's colour contrast, skin and foliage sliders.
    auto session = OpenBandedImage({{128, 128, 128}, {200, 40, 40}, {40, 180, 40}});
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        TapKey(driver, 'I');
        DragSettled(driver, PreviewPoint(driver, 0), PreviewPoint(driver, 0, -40), 5);
        DragSettled(driver, PreviewPoint(driver, 60), PreviewPoint(driver, 60, -40), 5);
        TakeScreenshot("preview_tools_eyedropper");
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
    EXPECT_GT(RecordedValue(*session, CTL_POLARIZER_SKIN), 0) << "the red band's slider";
    EXPECT_GT(RecordedValue(*session, CTL_POLARIZER_FOLIAGE), 0) << "the green band's slider";
    EXPECT_EQ(RecordedValue(*session, CTL_POLARIZER_SKY), 0);
    EXPECT_EQ(RecordedValue(*session, CTL_POLARIZER_COLOR_CONTRAST), 0);
}

TEST(PreviewTools, HeldEyedropperOpensItsOptionsAndTheToneOptionPicksCurvePoints) {
    // Tones 128, 200 and 120: levels 79, 124 and 74 of the curve's 0..159.
    auto session = OpenBandedImage({{128, 128, 128}, {200, 200, 200}, {120, 120, 120}});
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        const POINT button = CentreOf(driver.ControlWindow(CTL_TOOL_EYEDROPPER));
        MoveCursorTo(button);
        SettleDialog(driver);
        SendMouse(MOUSEEVENTF_LEFTDOWN, button);
        const bool shown = WaitFor([] { return ShownPopupMenu() != nullptr; }, kMenuWaitMs);
        driver.Check(shown, "a held button opens the eyedropper's options");
        SendMouse(MOUSEEVENTF_LEFTUP, button);
        if (shown) {
            // The menu's own loop takes the keys in their order; the dialog waits meanwhile.
            // The menu paints itself in its own loop: asked to, so that the picture shows it.
            RedrawWindow(ShownPopupMenu(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            ShootDialog(driver, "preview_tools_eyedropper_options");
            for (int i = 0; i < 6; ++i) PressKey(VK_DOWN);  // Polarizer .. Colorkey, then Tone
            PressKey(VK_RETURN);
            driver.Check(WaitFor([] { return !ShownPopupMenu(); }, kMenuWaitMs), "the menu closes");
        }
        SettleDialog(driver);
        ClickSettled(driver, PreviewPoint(driver, -60));  // 79: a new point
        ClickSettled(driver, PreviewPoint(driver, 60));   // 74: within 12 of 79, that point moves
        ClickSettled(driver, PreviewPoint(driver, 0));    // 124: a new point
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
    const std::vector<int32_t> tone = RecordedNumbers(*session, "t000");
    const std::vector<int32_t> expected = {4, 0, 0, 74, 79, 124, 124, 159, 159};
    EXPECT_EQ(tone, expected);
}

TEST(PreviewTools, SilentReselectionOpensNoMenu) {
    auto session = OpenBandedImage({{128, 128, 128}, {128, 128, 128}, {128, 128, 128}});
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        // The curve eyedropper re-selects the eyedropper silently, even with the button held.
        HWND shortcut = driver.ControlWindow(CTL_CURVE_EYEDROPPER);
        driver.Check(shortcut != nullptr, "the curve eyedropper exists");
        // The button is held on the preview (the hand pans), as when a tool button is held.
        const POINT held = PreviewPoint(driver, 0);
        MoveCursorTo(held);
        SettleDialog(driver);
        SendMouse(MOUSEEVENTF_LEFTDOWN, held);
        SettleDialog(driver);
        driver.Send(WM_COMMAND,
                    MAKEWPARAM(CTL_CURVE_EYEDROPPER + kControlWindowIdBase, STN_CLICKED),
                    LPARAM(shortcut));
        // A menu would take the dialog's input in its own loop: the dialog never idles then.
        const bool idle = WaitForDialogIdle(driver, kDialogSettleMs);
        driver.Check(idle && !ShownPopupMenu(), "no options menu");
        SendMouse(MOUSEEVENTF_LEFTUP, held);
        if (ShownPopupMenu()) PressKey(VK_ESCAPE);
        SettleDialog(driver);
        // The pan began before the eyedropper was chosen: the release still ends it.
        driver.Check(MouseCapture(driver) == nullptr, "the release ends the pan");
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
}

// The first start's thumbnails take input between them: a pan of the preview held meanwhile
// must not turn their requests to the host into input-only ones (the run would end with an
// interface error).
TEST(PreviewTools, PanWhileTheThumbnailsRenderEndsWell) {
    auto session = OpenBandedImage({{128, 128, 128}, {200, 40, 40}, {40, 180, 40}}, true);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        SetForegroundWindow(driver.dialog);
        const POINT held = PreviewPoint(driver, 0), moved = PreviewPoint(driver, 20, 10);
        MoveCursorTo(held);
        SendMouse(MOUSEEVENTF_LEFTDOWN, held);
        MoveCursorTo(moved);
        SettleDialog(driver);  // the thumbnails are done, the pan still held
        SendMouse(MOUSEEVENTF_LEFTUP, moved);
        SettleDialog(driver);
        driver.Check(MouseCapture(driver) == nullptr, "the release ends the pan");
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
    for (const MessageBoxRecord& box : session->log.messageBoxes)
        EXPECT_EQ(box.text.find("filter module interface"), std::string::npos) << box.text;
}

TEST(PreviewTools, CrossPlacesTheCentreAndSwitchesItsEffectOn) {
    auto session = OpenBandedImage({{128, 128, 128}, {128, 128, 128}, {128, 128, 128}});
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        TapKey(driver, 'V');
        ClickSettled(driver, PreviewPoint(driver, 40, 20));
        TakeScreenshot("preview_tools_cross");
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
    EXPECT_EQ(RecordedValue(*session, CTL_AGING_INTENSITY), 100);
    const std::vector<int32_t> centres = RecordedNumbers(*session, "t030");
    ASSERT_GE(centres.size(), 2u);
    EXPECT_GT(centres[0], 0) << "right of the centre";
    EXPECT_GT(centres[1], 0) << "below the centre";
}

TEST(PreviewTools, DoubleClickOnTheCrossPutsTheCentreBack) {
    auto session = OpenBandedImage({{128, 128, 128}, {128, 128, 128}, {128, 128, 128}});
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        TapKey(driver, 'V');
        ClickSettled(driver, PreviewPoint(driver, -40, -20));
        // The button's double-click notification: Wine's static control makes none from the
        // pointer's double click.
        driver.Send(WM_COMMAND, MAKEWPARAM(CTL_TOOL_CROSS + kControlWindowIdBase, STN_DBLCLK),
                    LPARAM(driver.ControlWindow(CTL_TOOL_CROSS)));
        SettleDialog(driver);
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
    const std::vector<int32_t> centres = RecordedNumbers(*session, "t030");
    ASSERT_GE(centres.size(), 2u);
    EXPECT_EQ(centres[0], 0);
    EXPECT_EQ(centres[1], 0);
    EXPECT_EQ(RecordedValue(*session, CTL_AGING_INTENSITY), 100) << "the effect stays on";
}

}  // namespace

namespace {

COLORREF ScreenPixel(POINT at) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

TEST(PreviewTools, BrushStrokePaintsTheMaskThePreviewShows) {
    auto session = OpenBandedImage({{128, 128, 128}, {128, 128, 128}, {128, 128, 128}});
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedModeAtRest(driver);
        TapKey(driver,
               'M');  // the mask shows in the preview: full (white) until the eraser takes some
        TapKey(driver, 'E');
        const POINT on = PreviewPoint(driver, 0, 0), off = PreviewPoint(driver, 0, 72);
        const COLORREF onBefore = ScreenPixel(on), offBefore = ScreenPixel(off);
        DragSettled(driver, PreviewPoint(driver, -60, 0), PreviewPoint(driver, 60, 0), 5);
        ShootDialog(driver, "preview_tools_brush");
        driver.Check(ScreenPixel(on) != onBefore, "the stroke shows where it was drawn");
        driver.Check(ScreenPixel(off) == offBefore, "and nowhere else");
        ClickOkUntilClosed(driver);
    });
    ASSERT_EQ(result, 0);
}

}  // namespace
