// The shipped plug-in's dialog under test: session, driver thread, keys and pictures.

#include "tests/effect_dialog/effect_dialog_bed.h"

#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/common/screen_capture.h"
#include "tests/common/test_files.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {
constexpr int kShowTimeoutMs = 20000;
// The dialog's start (the first thumbnails included) on a machine shared with other builds.
constexpr int kStandTimeoutMs = 90000;
// The first preview and the sheets' paint, at the most: a dialog that idles sooner is driven at
// once; a first start's thumbnails keep it busy and are driven meanwhile.
constexpr int kSettleMs = 1500;
constexpr int kEndTimeoutMs = 20000;  // the final render of OK on a busy machine
// A dialog that does not answer this soon is at work (a render that does not look at its
// queue): asked again.
constexpr UINT kIdleAnswerMs = 500;
constexpr int kIdlePollMs = 15;

struct FindDialog {
    HWND found;
};

BOOL CALLBACK FindEffectDialog(HWND window, LPARAM parameter) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") == 0 && IsWindowVisible(window) &&
        GetDlgItem(window, CTL_OK + kControlWindowIdBase)) {
        reinterpret_cast<FindDialog*>(parameter)->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND EffectDialogOf(DWORD thread) {
    FindDialog find = {nullptr};
    EnumThreadWindows(thread, FindEffectDialog, LPARAM(&find));
    return find.found;
}

void FillColourful(HostImage& image) {
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            image.at(x, y, 0) = uint16_t(x * 255 / std::max(1, image.width - 1));
            image.at(x, y, 1) = uint16_t(y * 255 / std::max(1, image.height - 1));
            image.at(x, y, 2) = uint16_t((x * 7 + y * 3) % 256);
        }
}

bool DialogAnswersIdle(HWND dialog) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(dialog, WM_DIALOG_IDLE_QUERY, 0, 0, SMTO_NORMAL, kIdleAnswerMs,
                               &answer) != 0 &&
           answer == 1;
}

}  // namespace

DescriptorItem IntegerItem(int32_t n, int32_t value) {
    char key[5];
    snprintf(key, sizeof key, "0%03d", int(n));
    DescriptorItem item;
    item.key = FourCC(reinterpret_cast<const char(&)[5]>(*key));
    item.type = DESC_TYPE_INTEGER;
    item.integer = value;
    return item;
}

std::string MakerFolderPath() {
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    return std::string(folder) + "\\Quillmoor";
}

std::string DataFilePath(const char* name) {
    return MakerFolderPath() + "\\Greyloom2\\" + name;
}

std::unique_ptr<HostSession> OpenEffectPlugin(int32_t width, int32_t height, bool firstStart) {
    if (firstStart)
        for (const char* name : {"Greyloom.ini", "Greyloomdialog.ini"})
            DeleteFileA(DataFilePath(name).c_str());
    auto session = std::make_unique<HostSession>();
    // A first start asks whether to take the dark skin: the tests keep the standard look.
    session->options.defaultAnswer = IDNO;
    EXPECT_TRUE(HostLoadPlugin(*session, HostDefaultPluginPath()))
        << (session->log.notes.empty() ? "" : session->log.notes.back());
    HostImage image = HostImageMake(width, height, 3, 8);
    FillColourful(image);
    EXPECT_TRUE(HostSetImage(*session, image));
    return session;
}

int16_t RunEffectDialog(HostSession& session, const std::function<void(Driver&)>& drive) {
    session.options.playInfo = PLAY_DIALOG_REQUIRED;
    const DWORD hostThread = GetCurrentThreadId();
    const auto waitForDialog = [hostThread](Driver& driver, const std::atomic<bool>& done) {
        HWND dialog = nullptr;
        WaitFor([&] { return (dialog = EffectDialogOf(hostThread)) != nullptr || done; },
                kShowTimeoutMs);
        if (!dialog || done) return false;
        driver.dialog = dialog;
        // The dialog sizes itself while it opens and may be taken for shown meanwhile: it
        // stands once its OK button shows.
        WaitFor([&] { return IsWindowVisible(driver.ControlWindow(CTL_OK)) || done; },
                kStandTimeoutMs);
        WaitForDialogIdle(driver, kSettleMs);
        return true;
    };
    return RunFilterWithDriver(session, waitForDialog, drive, kEndTimeoutMs);
}

int16_t RunWithoutDialog(HostSession& session, const int32_t (&values)[kSettingsControlCount],
                         const Descriptor& further) {
    session.options.playInfo = PLAY_DIALOG_NONE;
    session.replayDescriptor = true;
    session.replay.clear();
    for (int32_t n = 0; n < kSettingsControlCount; ++n)
        session.replay.push_back(IntegerItem(n, values[n]));
    session.replay.insert(session.replay.end(), further.begin(), further.end());
    const int16_t result = HostRunFilter(session, false);
    session.replayDescriptor = false;
    return result;
}

HWND FocusedWindow(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

void PressKey(HWND dialog, WPARAM key) {
    HWND target = FocusedWindow(dialog);
    if (!target) target = dialog;
    const UINT scan = MapVirtualKeyA(UINT(key), MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, key, LPARAM(1 | (scan << 16)));
    PostMessageA(target, WM_KEYUP, key, LPARAM(1 | (scan << 16) | (3u << 30)));
}

void ShowDialogAs(Driver& driver, int showCommand) {
    const bool maximise = showCommand == SW_MAXIMIZE;
    driver.Send(WM_SYSCOMMAND, maximise ? SC_MAXIMIZE : SC_RESTORE, 0);
    driver.Check(
        WaitFor([&] { return (IsZoomed(driver.dialog) != FALSE) == maximise; }, kShowTimeoutMs),
        maximise ? "the dialog is maximised" : "the dialog is restored");
    // Laid out and painted at its new size, and that size on the display: Wine hands it to the
    // X window of an unmanaged dialog after the window has taken it. (Not the dialog's idle
    // answer: a first start's thumbnails keep it busy for a minute or more.)
    driver.Check(WaitUntilPainted(driver.dialog), "the dialog is painted at its new size");
    driver.Check(WaitForSteadyPicture(driver.dialog), "the display shows the dialog's new size");
}

std::string ShootDialog(Driver& driver, const std::string& name) {
    RedrawWindow(driver.dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Done with the work it was given (a skin's start, a render, the preset thumbnails of a
    // first start or of a view just chosen): a picture taken while thumbnails draw shows some of
    // them and whatever the dialog was between two. Under a modal loop of its own (Save
    // Preset's, which disables the dialog, or a popup menu's) it never answers idle: the
    // picture then shows that loop's window painted.
    if (IsWindowEnabled(driver.dialog) && !ShownPopupMenu())
        driver.Check(WaitForDialogIdle(driver, kDialogSettleMs),
                     "the dialog comes to rest for the picture " + name);
    WaitUntilPainted(driver.dialog);
    WaitForSteadyPicture(driver.dialog);
    return TakeScreenshot(name);
}

bool WaitForDialogIdle(Driver& driver, int timeoutMs) {
    // Twice in a row, a poll apart: input that the X server still held when the dialog was
    // first asked has reached its queue by the second answer.
    const DWORD start = GetTickCount();
    int idleAnswers = 0;
    while (IsWindow(driver.dialog)) {
        idleAnswers = DialogAnswersIdle(driver.dialog) ? idleAnswers + 1 : 0;
        if (idleAnswers >= 2) return true;
        if (int(GetTickCount() - start) > timeoutMs) return false;
        Sleep(kIdlePollMs);
    }
    return false;
}

void SettleDialog(Driver& driver) {
    driver.Check(WaitForDialogIdle(driver, kDialogSettleMs), "the dialog handles its input");
}

void TapKey(Driver& driver, WORD key) {
    PressKey(key);
    SettleDialog(driver);
}

void ClickSettled(Driver& driver, POINT screen) {
    MoveCursorTo(screen);
    SettleDialog(driver);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SettleDialog(driver);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
    SettleDialog(driver);
}

void DragSettled(Driver& driver, POINT from, POINT to, int steps) {
    MoveCursorTo(from);
    SettleDialog(driver);
    SendMouse(MOUSEEVENTF_LEFTDOWN, from);
    SettleDialog(driver);
    for (int step = 1; step <= steps; ++step) {
        MoveCursorTo(
            {from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps});
        SettleDialog(driver);
    }
    SendMouse(MOUSEEVENTF_LEFTUP, to);
    SettleDialog(driver);
}

void EnterAdvancedMode(Driver& driver) {
    constexpr int32_t kAdvancedMode = 3;
    SetForegroundWindow(driver.dialog);
    HWND mode = driver.ControlWindow(CTL_MODE);
    driver.SendTo(mode, CB_SETCURSEL, kAdvancedMode, 0);
    driver.Send(WM_COMMAND, MAKEWPARAM(CTL_MODE + kControlWindowIdBase, CBN_SELCHANGE),
                LPARAM(mode));
    // The new mode's sheets laid out and rendered; a first start's thumbnails may keep the
    // dialog busy for longer, and the mode is taken meanwhile.
    constexpr int kModeChangeMs = 800;
    WaitForDialogIdle(driver, kModeChangeMs);
    // Letters typed into the focused preset list search it: the keys go to a button instead.
    driver.Focus(driver.ControlWindow(CTL_CANCEL));
    WaitFor([&] { return FocusedWindow(driver.dialog) == driver.ControlWindow(CTL_CANCEL); }, 100);
}

void EnterAdvancedModeAtRest(Driver& driver) {
    SettleDialog(driver);
    EnterAdvancedMode(driver);
    SettleDialog(driver);
}

HWND ShownPopupMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

HWND ClickUntilMenuShows(Driver& driver, int32_t n, int waitMs) {
    constexpr int kAttempts = 10;
    HWND menu = nullptr;
    for (int attempt = 0; attempt < kAttempts && !menu; ++attempt) {
        // Posted: the menu runs its own loop on the dialog's thread.
        PostMessageA(driver.dialog, WM_COMMAND, MAKEWPARAM(n + kControlWindowIdBase, BN_CLICKED),
                     LPARAM(driver.ControlWindow(n)));
        WaitFor([&] { return (menu = ShownPopupMenu()) != nullptr; }, waitMs);
    }
    return menu;
}

void ClickOkUntilClosed(Driver& driver) {
    constexpr int kAttempts = 20;
    constexpr int kWaitMs = 1000;
    for (int attempt = 0; attempt < kAttempts && IsWindowVisible(driver.dialog); ++attempt) {
        PostMessageA(driver.dialog, WM_COMMAND,
                     MAKEWPARAM(CTL_OK + kControlWindowIdBase, BN_CLICKED),
                     LPARAM(driver.ControlWindow(CTL_OK)));
        WaitFor([&] { return !IsWindowVisible(driver.dialog); }, kWaitMs);
    }
}

RECT TabStripShowingItems(HWND tab) {
    RECT strip = {};
    GetClientRect(tab, &strip);
    HWND arrows = FindWindowExA(tab, nullptr, UPDOWN_CLASSA, nullptr);
    if (arrows && IsWindowVisible(arrows)) {
        RECT covered = {};
        GetWindowRect(arrows, &covered);
        MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&covered), 2);
        strip.right = std::min(strip.right, covered.left);
    }
    return strip;
}

POINT TabItemPoint(HWND tab, int item) {
    RECT rect = {};
    SendMessageA(tab, TCM_GETITEMRECT, WPARAM(item), LPARAM(&rect));
    // The middle of the item's visible part: on a scrolled strip the arrows cover its right
    // end, and an item lies partly beyond either end of the strip.
    const RECT strip = TabStripShowingItems(tab);
    rect.left = std::max(rect.left, strip.left);
    rect.right = std::max(rect.left, std::min(rect.right, strip.right));
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(tab, &point);
    return point;
}

void PostComboChoice(Driver& driver, int32_t n, int item) {
    HWND combo = driver.ControlWindow(n);
    PostMessageA(combo, CB_SETCURSEL, WPARAM(item), 0);
    PostMessageA(driver.dialog, WM_COMMAND, MAKEWPARAM(n + kControlWindowIdBase, CBN_SELCHANGE),
                 LPARAM(combo));
}

POINT SliderPagePoint(HWND slider) {
    RECT rect = {};
    GetWindowRect(slider, &rect);
    return {rect.right - (rect.right - rect.left) / 5, (rect.top + rect.bottom) / 2};
}

void ChooseComboItemByClicks(Driver& driver, HWND combo, int item) {
    // A click that comes while the dialog is at work is dropped, as a user's is: the user
    // closes the list if it stayed open and chooses again.
    constexpr int kAttempts = 3;
    constexpr int kClickWaitMs = 10000;
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    const auto listOpen = [&] {
        return GetComboBoxInfo(combo, &info) && IsWindowVisible(info.hwndList);
    };
    // The open list's selection follows the pointer: the item counts once the list is closed.
    const auto chosen = [&] {
        return !listOpen() && SendMessageA(combo, CB_GETCURSEL, 0, 0) == item;
    };
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) {
            if (listOpen()) SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
            if (chosen()) return;
            WaitForDialogIdle(driver);
        }
        ClickAt(CentreOf(combo));
        if (!WaitFor(listOpen, kClickWaitMs)) continue;
        SendMessageA(info.hwndList, LB_SETTOPINDEX, WPARAM(item), 0);
        RECT rect = {};
        SendMessageA(info.hwndList, LB_GETITEMRECT, WPARAM(item), LPARAM(&rect));
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(info.hwndList, &point);
        ClickAt(point);
        if (WaitFor(chosen, kClickWaitMs)) return;
    }
    driver.Check(false, "the combo's item " + std::to_string(item) + " is chosen by clicks");
}

void RememberQuickDialog() {
    constexpr int kPlainListView = 0x124;  // the plain list, medium size, labels
    // The files one first start's OK wrote, kept for the program's later tests: the files of
    // the plug-in's data folder stay the same meanwhile, so writing them again comes to the
    // same as another first start closed at once.
    static std::string settingsFile, dialogStateFile;
    const std::string settingsPath = DataFilePath("Greyloom.ini");
    const std::string dialogStatePath = DataFilePath("Greyloomdialog.ini");
    if (dialogStateFile.empty()) {
        auto first = OpenEffectPlugin();
        ASSERT_EQ(RunEffectDialog(*first, [](Driver& driver) { ClickOkUntilClosed(driver); }), 0);
        std::vector<std::string> lines = FileLines(dialogStatePath);
        ASSERT_GT(lines.size(), DialogStateLine(CTL_PRESET_MENU));
        lines[kStateRestoredWidthLine] = lines[kStateRestoredHeightLine] = "0";
        lines[DialogStateLine(CTL_PRESET_MENU)] = std::to_string(kPlainListView);
        settingsFile = FileText(settingsPath);
        ASSERT_FALSE(settingsFile.empty());
        for (const std::string& line : lines) dialogStateFile += line + "\n";
    }
    WriteFileText(settingsPath, settingsFile);
    WriteFileText(dialogStatePath, dialogStateFile);
}
