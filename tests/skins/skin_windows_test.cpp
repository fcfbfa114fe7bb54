// The effect dialog skinned in a real window: the dialog's own procedure behind the
// "FILTERPARAM" frame, the effect's controls built into it, then a skin applied. Checks the
// replacement windows, their ids and tooltips, the colours on the screen, the mouse on a
// skinned slider and check box (real input through SendInput), and "skin.ini".

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/skin_engine.h"
#include "effect/control_ids.h"
#include "effect/dialog_construction.h"
#include "effect/effect_pages.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/system_calls.h"
#include "tests/common/file_faults.h"
#include "tests/common/fresh_parameter_block.h"
#include "tests/common/real_input.h"
#include "tests/common/screen_capture.h"

namespace {

constexpr int kDialogWidth = 1008, kDialogHeight = 700;

INT_PTR CALLBACK TestDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The frame's own start needs a host; the fixture builds the dialog itself.
    if (message == WM_INITDIALOG) return TRUE;
    return FilterDialogProc(window, message, wParam, lParam);
}

std::string WindowClass(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrA(window, GWL_STYLE);
}

// A real move, press or release of the mouse, then the messages it raised handled: the
// skinned controls live on this thread.
void Mouse(DWORD flags, POINT screen) {
    SendMouse(flags, screen);
    PumpMessages(3);
}

char gAppData[MAX_PATH];
HRESULT TestAppData(char* out) {
    lstrcpynA(out, gAppData, MAX_PATH);
    return S_OK;
}

class SkinnedDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        DialogFrameReset();
        FilterDialogReset();
        EffectPagesReset();
        window = CreateDialogParamA(GetModuleHandleA(nullptr), "FILTERPARAM", nullptr,
                                    TestDialogProc, 0);
        ASSERT_NE(window, nullptr);
        SetWindowPos(window, HWND_TOP, 0, 0, kDialogWidth, kDialogHeight, SWP_NOACTIVATE);
        gDialog = window;
        gContext.dialogWindow = window;
        gContext.dialogWanted = 1;
        gContext.imageWidth = 120;
        gContext.imageHeight = 80;
        gFilterDialog.toolTip = CreateWindowExA(
            WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
            GetModuleHandleA(nullptr), nullptr);
        ResetSkinSubclassFlags();
        // The effect's reactions need the tables of a host's session: events the windows raise
        // are held back as during another delivery, and the skin's own work stays in view.
        gFilterDialog.deliveryDepth = 1;
        ASSERT_EQ(BuildEffectDialog(&gContext), 1);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        PumpMessages();
    }
    void TearDown() override {
        gFilterDialog.deliveryDepth = 0;
        DestroyWindow(gFilterDialog.toolTip);
        DestroyWindow(window);
        gFilterDialog.toolTip = nullptr;
        gDialog = nullptr;
        gParams = nullptr;
        EffectContextReset();
        SystemCallsReset();
    }
    // Every control whose class is in the list, with its record.
    std::vector<int32_t> ControlsOf(std::initializer_list<int32_t> classes) const {
        std::vector<int32_t> found;
        for (int32_t n = 0; n < kControlCount; ++n) {
            const ControlRecord* record = UsedControlRecord(n);
            if (!record) continue;
            for (int32_t c : classes)
                if (record->controlClass == c) found.push_back(n);
        }
        return found;
    }
    bool HasTool(HWND control) const {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        return SendMessageA(gFilterDialog.toolTip, TTM_GETTOOLINFOA, 0, LPARAM(&tool)) != 0;
    }
    void Repaint() {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages(10);
    }
    // A control of the class, shown, enabled and not covered at its centre.
    int32_t ReachableControl(int32_t controlClass) {
        for (int32_t n : ControlsOf({controlClass})) {
            const ControlRecord* record = UsedControlRecord(n);
            // A control on a sheet that is not shown: its sheet is brought up first.
            if (GetEffectiveControlState(n) != CTLSTATE_FULL && record->tab >= 0 &&
                GetEffectiveControlState(record->tab) == CTLSTATE_FULL) {
                SetControlValue(record->tab, record->sheet);
                Repaint();
            }
            if (!record->window || !IsWindowVisible(record->window) ||
                GetEffectiveControlState(n) != CTLSTATE_FULL)
                continue;
            if (WindowFromPoint(CentreOf(record->window)) == record->window) return n;
        }
        return -1;
    }
    std::unique_ptr<ParameterBlock> block;
    HWND window = nullptr;
};

}  // namespace

TEST_F(SkinnedDialog, SlidersOnlyReplacesTheSlidersAloneKeepingIdsAndTips) {
    const std::vector<int32_t> sliders = ControlsOf({CONTROL_SLIDER});
    ASSERT_FALSE(sliders.empty());
    std::map<int32_t, bool> hadTip;
    for (size_t i = 0; i < sliders.size(); i += 5)
        SetControlToolTip(sliders[i], "A tip that must follow the slider", 0);
    for (int32_t n : sliders) hadTip[n] = HasTool(UsedControlRecord(n)->window);
    HWND ok = UsedControlRecord(CTL_OK)->window;

    ASSERT_EQ(ApplySkin(1), 1);
    EXPECT_EQ(gParams->skinIndex, 0);
    EXPECT_EQ(gParams->skinActive, 1u);
    for (int32_t n : sliders) {
        SCOPED_TRACE(n);
        HWND replaced = UsedControlRecord(n)->window;
        ASSERT_NE(replaced, nullptr);
        EXPECT_EQ(WindowClass(replaced), "Button");
        EXPECT_EQ(StyleOf(replaced) & BS_TYPEMASK, BS_OWNERDRAW);
        EXPECT_EQ(GetDlgCtrlID(replaced), n + kControlWindowIdBase);
        EXPECT_EQ(GetDlgItem(window, n + kControlWindowIdBase), replaced);
        EXPECT_EQ(HasTool(replaced), hadTip[n]);
    }
    EXPECT_EQ(UsedControlRecord(CTL_OK)->window, ok) << "buttons stay standard";
    EXPECT_NE(StyleOf(ok) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(ApplySkin(1), 0) << "the same choice again does nothing";
    Repaint();
    ShootOwnWindow(window, "skin_sliders_only");
}

TEST_F(SkinnedDialog, ANamedSkinReplacesEverySkinnedClassOnceAndRestylesInPlace) {
    std::map<int32_t, bool> hadTip;
    const std::vector<int32_t> buttons = ControlsOf(
        {CONTROL_SLIDER, CONTROL_PUSHBUTTON, CONTROL_CHECKBOX, CONTROL_COMBOBOX, CONTROL_TOOLBAR});
    const std::vector<int32_t> statics = ControlsOf({CONTROL_TAB, CONTROL_GROUPBOX});
    ASSERT_FALSE(buttons.empty());
    ASSERT_FALSE(statics.empty());
    // The effect gives its tips with the language's texts; a few of its own here.
    for (size_t i = 0; i < buttons.size(); i += 7)
        SetControlToolTip(buttons[i], "A tip that must follow the control", 0);
    for (int32_t n : buttons) hadTip[n] = HasTool(UsedControlRecord(n)->window);
    int32_t tips = 0;
    for (const auto& entry : hadTip) tips += entry.second;
    EXPECT_GT(tips, 5) << "some skinned controls carry tooltips";

    ASSERT_EQ(ApplySkin(4), 1);  // Photoshop Light
    EXPECT_EQ(gParams->skinIndex, 3);
    std::map<int32_t, HWND> windows;
    for (int32_t n : buttons) {
        SCOPED_TRACE(n);
        const ControlRecord* record = UsedControlRecord(n);
        if (!IsControlSkinned(n)) continue;
        ASSERT_NE(record->window, nullptr);
        EXPECT_EQ(WindowClass(record->window), "Button");
        EXPECT_EQ(StyleOf(record->window) & BS_TYPEMASK, BS_OWNERDRAW);
        EXPECT_EQ(GetDlgCtrlID(record->window), n + kControlWindowIdBase);
        EXPECT_EQ(HasTool(record->window), hadTip[n]);
        windows[n] = record->window;
    }
    for (int32_t n : statics) {
        SCOPED_TRACE(n);
        const ControlRecord* record = UsedControlRecord(n);
        ASSERT_NE(record->window, nullptr);
        EXPECT_EQ(WindowClass(record->window), "Static");
        EXPECT_EQ(StyleOf(record->window) & SS_TYPEMASK, SS_OWNERDRAW);
        EXPECT_EQ(GetDlgCtrlID(record->window), n + kControlWindowIdBase);
        if (record->controlClass == CONTROL_TAB) {
            ASSERT_NE(record->editWindow, nullptr) << "the tab strip";
            EXPECT_EQ(GetDlgCtrlID(record->editWindow), n + kEditWindowIdBase);
        }
        windows[n] = record->window;
    }
    EXPECT_EQ(GetControlColor(CTL_MAIN_TAB), 0xD6D6D6) << "a tab's sheets take the skin's colour";

    EXPECT_EQ(ApplySkin(4), 0) << "the same skin again";
    ASSERT_EQ(ApplySkin(3), 1);  // Photoshop Dark: restyled, no new windows
    for (const auto& [n, before] : windows) EXPECT_EQ(UsedControlRecord(n)->window, before) << n;
    EXPECT_EQ(GetDialogColor(), COLORREF(0x393939));
    EXPECT_EQ(ApplySkin(2), 1);
    EXPECT_EQ(ApplySkin(1), 0) << "back to the sliders alone needs a new dialog";
}

TEST_F(SkinnedDialog, TheDialogBackgroundOnTheScreenIsThePanelColour) {
    ASSERT_EQ(ApplySkin(9), 1);  // PaintShop Medium: a colour no system look has
    const ScreenPicture picture = ShootOwnWindow(window, "skin_paintshop_medium");
    ASSERT_FALSE(picture.pixels.empty());
    // Points of the client area where no window lies are the dialog's own background.
    RECT client;
    GetClientRect(window, &client);
    int checked = 0, matching = 0;
    for (int y = 4; y < client.bottom - 4; y += 23) {
        for (int x = 4; x < client.right - 4; x += 31) {
            POINT point = {x, y};
            if (ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE) != window) continue;
            ClientToScreen(window, &point);
            if (point.x >= picture.width || point.y >= picture.height) continue;
            ++checked;
            matching += picture.At(point.x, point.y) == COLORREF(0x5C5C5C);
        }
    }
    ASSERT_GT(checked, 20);
    // The preview's frame and group box captions cross a few of the sampled points.
    EXPECT_GT(matching * 10, checked * 9) << matching << " of " << checked;
}

TEST_F(SkinnedDialog, ASkinnedSliderFollowsTheMouseOnlyWhileTheButtonIsHeld) {
    ASSERT_EQ(ApplySkin(2), 1);
    Repaint();
    const int32_t n = ReachableControl(CONTROL_SLIDER);
    ASSERT_GE(n, 0) << "a slider in view";
    ControlRecord& record = *UsedControlRecord(n);
    SetControlValue(n, record.min);
    RECT rect;
    GetWindowRect(record.window, &rect);
    const int y = (rect.top + rect.bottom) / 2;
    const int32_t low = record.value;

    const POINT start = {rect.left + 6, y};
    Mouse(MOUSEEVENTF_MOVE, start);
    Mouse(MOUSEEVENTF_LEFTDOWN, start);
    for (int step = 1; step <= 4; ++step)
        Mouse(MOUSEEVENTF_MOVE, {rect.left + 6 + step * (rect.right - rect.left) / 8, y});
    const int32_t dragged = record.value;
    EXPECT_NE(dragged, low) << "the thumb followed the held button";
    EXPECT_EQ(gContext.controlValues[n], dragged);
    Mouse(MOUSEEVENTF_LEFTUP, {rect.left + 6 + 4 * (rect.right - rect.left) / 8, y});
    Mouse(MOUSEEVENTF_MOVE, {rect.right - 4, y});
    Mouse(MOUSEEVENTF_MOVE, {rect.right - 2, y});
    EXPECT_EQ(record.value, dragged) << "after the release the mouse moves alone";
    ShootOwnWindow(window, "skin_lightroom_sliders");
}

TEST_F(SkinnedDialog, ClickingASkinnedCheckBoxTogglesItsValue) {
    ASSERT_EQ(ApplySkin(5), 1);
    Repaint();
    const int32_t n = ReachableControl(CONTROL_CHECKBOX);
    ASSERT_GE(n, 0) << "a check box in view";
    const ControlRecord& record = *UsedControlRecord(n);
    if (record.style & 0x1000) GTEST_SKIP() << "a push-like check box";
    const int32_t before = record.value;
    const POINT centre = CentreOf(record.window);
    for (int click = 1; click <= 2; ++click) {
        Mouse(MOUSEEVENTF_MOVE, centre);
        Mouse(MOUSEEVENTF_LEFTDOWN, centre);
        Mouse(MOUSEEVENTF_LEFTUP, centre);
        PumpMessages(10);
        EXPECT_EQ(record.value != 0, (before != 0) != (click == 1)) << "click " << click;
        EXPECT_EQ(gContext.controlValues[n], record.value);
        Sleep(600);  // apart, so that the second is no double click
    }
}

TEST_F(SkinnedDialog, SkinFileRoundTripsThroughTheControlsAndMakesTheMakersFolder) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::snprintf(gAppData, sizeof gAppData, "%sgreyloom_skin_%lu", temp,
                  static_cast<unsigned long>(GetCurrentProcessId()));
    CreateDirectoryA(gAppData, nullptr);
    gSystem.appDataFolder = TestAppData;
    const std::string folder = std::string(gAppData) + "\\Quillmoor";
    const std::string path = folder + "\\skin.ini";
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());

    EXPECT_EQ(ReadSkinFile(CTL_SKIN, CTL_SKIN_COLOR), 0) << "no file yet";
    SetControlValue(CTL_SKIN, 8);
    SetControlValue(CTL_SKIN_COLOR, 0x3D3D3D);
    ASSERT_EQ(WriteSkinFile(CTL_SKIN, CTL_SKIN_COLOR), 1) << "the missing folder is made";
    SetControlValue(CTL_SKIN, 0);
    SetControlValue(CTL_SKIN_COLOR, 0);
    EXPECT_EQ(ReadSkinFile(CTL_SKIN, CTL_SKIN_COLOR), 0x3D3D3D);
    EXPECT_EQ(GetControlValue(CTL_SKIN), 8);
    EXPECT_EQ(GetControlValue(CTL_SKIN_COLOR), 0x3D3D3D);
    EXPECT_EQ(GetControlColor(CTL_SKIN_COLOR), 0x3D3D3D);

    {
        std::ofstream old(path, std::ios::binary);
        old << "Skin1.0\r\n6\r\n255\r\n";
    }
    EXPECT_EQ(ReadSkinFile(CTL_SKIN, CTL_SKIN_COLOR), 255);
    EXPECT_EQ(GetControlValue(CTL_SKIN), 7) << "Elements Dark, after the inserted skin";

    // A save that fails leaves the file the user had.
    gSystem.moveFileEx = file_faults::FailingMove;
    SetControlValue(CTL_SKIN, 2);
    EXPECT_EQ(WriteSkinFile(CTL_SKIN, CTL_SKIN_COLOR), 0);
    SystemCallsReset();
    gSystem.appDataFolder = TestAppData;
    EXPECT_EQ(ReadSkinFile(CTL_SKIN, CTL_SKIN_COLOR), 255);
    EXPECT_EQ(GetControlValue(CTL_SKIN), 7);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(gAppData);
}

TEST_F(SkinnedDialog, ArrowKeysStepASkinnedComboBoxThroughItsItems) {
    ASSERT_EQ(ApplySkin(3), 1);
    const ControlRecord& record = *UsedControlRecord(CTL_SKIN);
    ASSERT_EQ(WindowClass(record.window), "Button");
    SetControlValue(CTL_SKIN, 0);
    SetControlValue(record.tab, record.sheet);  // the preferences' sheet
    PumpMessages();
    SetFocus(record.window);
    ASSERT_EQ(GetFocus(), record.window);
    auto press = [&](WPARAM key) {
        MSG message = {record.window, WM_KEYDOWN, key, 0, 0, {0, 0}};
        return HandleDialogKey(message);
    };
    EXPECT_TRUE(press(VK_DOWN));
    EXPECT_EQ(record.value, 1);
    EXPECT_TRUE(press(VK_END));
    EXPECT_EQ(record.value, kSkinChoiceCount - 1) << "the last of the fifteen skins";
    EXPECT_TRUE(press(VK_DOWN));
    EXPECT_EQ(record.value, kSkinChoiceCount - 1) << "no step past the last item";
    EXPECT_TRUE(press(VK_HOME));
    EXPECT_EQ(record.value, 0);
}
