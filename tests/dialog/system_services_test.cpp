// System services: colour packing, the millisecond timer's arithmetic, file names, the
// registry of the scratch Wine prefix, the host's colour picker, image lists and bitmaps,
// cursors, the version code and the event delivery's refusals.

#include <windows.h>

#include <cstring>
#include <string>

#include "dialog/color_picker.h"
#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_window.h"
#include "dialog/file_names.h"
#include "dialog/filter_dialog.h"
#include "dialog/image_lists.h"
#include "dialog/registry_access.h"
#include "dialog/color_values.h"
#include "dialog/handle_release.h"
#include "dialog/millisecond_timer.h"
#include "dialog/visual_styles.h"
#include "dialog/window_search.h"
#include "dialog/windows_version.h"
#include "host/numbered_arrays.h"
#include "host/plugin_data.h"
#include "tests/dialog/logic_fixture.h"

namespace {
class SystemServices : public DialogLogic {};
}  // namespace

TEST_F(SystemServices, ColoursPackAsBlueGreenRed) {
    struct Case {
        int32_t r, g, b, a;
        uint32_t rgb, rgba;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0x000000, 0x00000000},
        {255, 0, 0, 0, 0x0000FF, 0x000000FF},
        {0x12, 0x34, 0x56, 0x78, 0x563412, 0x78563412},
        {256 + 1, -1, 0, 255, 0x00FF01, 0xFF00FF01},  // each part is one byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeRgb(c.r, c.g, c.b), c.rgb);
        EXPECT_EQ(MakeRgba(c.r, c.g, c.b, c.a), c.rgba);
        EXPECT_EQ(GetRedValue(c.rgba), int32_t(c.rgba & 0xFF));
        EXPECT_EQ(GetGreenValue(c.rgba), int32_t(c.rgba >> 8 & 0xFF));
        EXPECT_EQ(GetBlueValue(c.rgba), int32_t(c.rgba >> 16 & 0xFF));
    }
}

TEST_F(SystemServices, TimerTicksBecomeMillisecondsAtAnyFrequency) {
    struct Case {
        int64_t ticks, frequency, ms;
    };
    const Case cases[] = {
        {10000000, 10000000, 1000},
        {15, 10000000, 0},
        {3579545, 3579545, 1000},
        {500, 999, 500},
        {1, 1, 1000},
        {7, 0, 0},
        {7, -5, 0},
        {999, 1000, 999},
        {123456789, 1000000, 123456},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CounterTicksToMs(c.ticks, c.frequency), c.ms) << c.ticks << " @ " << c.frequency;
    StartTimer();
    EXPECT_GE(GetTimerMs(), 0);
}

TEST_F(SystemServices, FileNamesSplitAtBackslashesAndDots) {
    struct Case {
        const char* path;
        int32_t partResult;
        const char* part;
        int32_t baseResult;
        const char* base;
        int32_t folderResult;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Presets\\Warm.glp", 1, "Warm.glp", 1, "Warm", 1, "C:\\Presets\\"},
        {"C:\\Presets\\", 1, "", 0, "", 1, "C:\\Presets\\"},
        {"Warm.glp", 1, "Warm.glp", 1, "Warm", 0, ""},
        {"a.b.c", 1, "a.b.c", 1, "a.b", 0, ""},
        {"C:\\x.y\\name", 1, "name", 0, "name", 1, "C:\\x.y\\"},
        {"", 0, "", 0, "", 0, ""},
    };
    for (const Case& c : cases) {
        char out[64];
        EXPECT_EQ(GetFileNamePart(c.path, out, sizeof out), c.partResult) << c.path;
        EXPECT_STREQ(out, c.part) << c.path;
        EXPECT_EQ(GetFileBaseName(c.path, out, sizeof out), c.baseResult) << c.path;
        EXPECT_STREQ(out, c.base) << c.path;
        EXPECT_EQ(GetFileFolder(c.path, out, sizeof out), c.folderResult) << c.path;
        EXPECT_STREQ(out, c.folder) << c.path;
    }
    char small[5];
    EXPECT_EQ(GetFileNamePart("C:\\longname.txt", small, sizeof small), 0) << "does not fit";
    EXPECT_STREQ(small, "long");
    EXPECT_EQ(GetFileFolder("C:\\folder\\x", small, sizeof small), 0);
}

TEST_F(SystemServices, ValidFileNamesHoldNoReservedCharacter) {
    const char* valid[] = {"Warm tones", "v1.2 final.glp", "a"};
    const char* invalid[] = {"a:b", "a|b", "a\\b", "a/b", "a*", "a?", "\"a\"", "<a>"};
    for (const char* name : valid) EXPECT_EQ(IsValidFileName(name), 1) << name;
    for (const char* name : invalid) EXPECT_EQ(IsValidFileName(name), 0) << name;
    EXPECT_EQ(IsValidFileName(nullptr), 0);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    EXPECT_EQ(FileExists(self), 1);
    EXPECT_EQ(FileExists("C:\\no\\such\\file.txt"), 0);
}

TEST_F(SystemServices, RegistryStringsAreReadTerminatedAndTyped) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\GreyloomDialogTest", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Plain", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6);
    // Stored without its terminator, as some installers write strings.
    RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdef"), 6);
    DWORD number = 7;
    RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegCloseKey(key);

    SetRegistryRoot(HKEY_CURRENT_USER);
    EXPECT_EQ(SetRegistryPath("Software\\%s", "GreyloomDialogTest"), 0);
    char out[64];
    memset(out, 'z', sizeof out);
    EXPECT_EQ(QueryRegistryString(out, sizeof out, "%s", "Plain"), 0);
    EXPECT_STREQ(out, "hello");
    memset(out, 'z', sizeof out);
    EXPECT_EQ(QueryRegistryString(out, sizeof out, "Ba%s", "re"), 0);
    EXPECT_STREQ(out, "abcdef");
    char tight[6];
    memset(tight, 'z', sizeof tight);
    QueryRegistryString(tight, sizeof tight, "Bare");
    EXPECT_EQ(tight[sizeof tight - 1], '\0') << "never left unterminated";
    EXPECT_EQ(QueryRegistryString(out, sizeof out, "Number"), 13);
    EXPECT_STREQ(out, "");
    EXPECT_NE(QueryRegistryString(out, sizeof out, "Missing"), 0);
    EXPECT_EQ(SetRegistryPath("Software\\NoSuchGreyloomKey"), 0);
    EXPECT_EQ(QueryRegistryString(out, sizeof out, "Plain"), 12);
    EXPECT_EQ(SetRegistryPath("%s", std::string(300, 'k').c_str()), 13);
    EXPECT_EQ(QueryRegistryString(out, sizeof out, "%s", std::string(1100, 'n').c_str()), 13);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\GreyloomDialogTest");
}

namespace {
ColorServicesInfo gLastColorRequest;
std::string gLastPrompt;
OSErr gPickerAnswer = 0;

OSErr HOSTAPI FakePicker(ColorServicesInfo* info) {
    gLastColorRequest = *info;
    const uint8_t* prompt = info->selectorParameter.pickerPrompt;
    gLastPrompt.assign(reinterpret_cast<const char*>(prompt + 1), prompt[0]);
    if (gPickerAnswer == 0) {
        info->colorComponents[0] = 10;
        info->colorComponents[1] = 20;
        info->colorComponents[2] = 30;
    }
    return gPickerAnswer;
}
}  // namespace

TEST_F(SystemServices, HostPickerChoosesOrCancelsWithoutTheSystemDialog) {
    FilterRecord record = {};
    record.colorServices = FakePicker;
    PluginDataBlock data = {};
    data.stuff = &record;
    gDataBlock = &data;
    gPickerAnswer = 0;
    EXPECT_EQ(PickColor(MakeRgb(1, 2, 3), "Pick &lt;%d&gt;", 5), int32_t(MakeRgb(10, 20, 30)));
    EXPECT_EQ(gLastPrompt, "Pick <5>");
    EXPECT_EQ(gLastColorRequest.selector, COLOR_SERVICES_CHOOSE_COLOR);
    EXPECT_EQ(gLastColorRequest.colorComponents[0], 1);
    EXPECT_EQ(gLastColorRequest.colorComponents[2], 3);
    gPickerAnswer = HOST_USER_CANCELLED;
    EXPECT_EQ(PickColor(0, "%s", std::string(400, 'p').c_str()), -1);
    EXPECT_EQ(gLastPrompt.size(), 255u) << "prompts are cut to 255 characters";
    gDataBlock = nullptr;
}

TEST_F(SystemServices, ImageListsAndArrayBitmaps) {
    EXPECT_EQ(CreateImageList(11, 16, 16, 1, 1, 0), 0);
    EXPECT_EQ(DestroyImageList(3), 0) << "empty slot";
    ASSERT_EQ(CreateImageList(3, 2, 2, 1, 1, 0), 1);
    ASSERT_EQ(CreateArray(7, 2, 2, 3, 1), 1);
    // Red, green, blue of the four pixels.
    const uint8_t rgb[2][2][3] = {{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {10, 20, 30}}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c) PutArrayElement(7, x, y, c, rgb[y][x][c]);
    HBITMAP bitmap = CreateArrayBitmap(7);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section;
    ASSERT_EQ(GetObjectA(bitmap, sizeof section, &section), int(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 2);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
    const auto* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
    // Bottom-up rows of 8 bytes (6 padded to 4): row 0 of the bits is the image's last row.
    EXPECT_EQ(bits[0], 255);  // blue of (0, 1)
    EXPECT_EQ(bits[3], 30);   // blue, green, red of (1, 1)
    EXPECT_EQ(bits[4], 20);
    EXPECT_EQ(bits[5], 10);
    EXPECT_EQ(bits[8 + 2], 255);  // red of (0, 0)
    EXPECT_EQ(SetImageListImage(3, 0, bitmap, nullptr), 1);
    EXPECT_EQ(SetImageListImage(3, 5, bitmap, nullptr), 1);
    EXPECT_EQ(ImageList_GetImageCount(gImageLists[3]), 2);
    EXPECT_EQ(DestroyImageList(3), 1);
    DeleteGdiObject(bitmap);
    ReleaseArray(7);
    EXPECT_EQ(CreateArrayBitmap(7), nullptr);
    EXPECT_EQ(CreateArrayBitmap(100), nullptr);
}

TEST_F(SystemServices, ChildSearchFindsTheFirstExactTextAtAnyDepth) {
    HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    auto child = [](HWND owner, const char* text) {
        return CreateWindowExA(0, "STATIC", text, WS_CHILD, 0, 0, 10, 10, owner, nullptr, nullptr,
                               nullptr);
    };
    HWND first = child(parent, "Open");
    HWND box = child(parent, "box");
    HWND nested = child(box, "Deep");
    child(parent, "Open");  // a second window of the same text is never the answer
    const struct {
        const char* text;
        HWND expected;
    } cases[] = {{"Open", first},
                 {"Deep", nested},
                 {"open", nullptr},
                 {"Ope", nullptr},
                 {"parent", nullptr}};
    for (const auto& c : cases) {
        EXPECT_EQ(FindChildByText(parent, c.text), c.expected) << c.text;
        EXPECT_EQ(gFoundChild, c.expected) << c.text;
    }
    EXPECT_EQ(FindChildByText(nullptr, "Open"), nullptr);
    EXPECT_EQ(FindChildByText(parent, nullptr), nullptr);
    DestroyWindow(parent);
}

TEST_F(SystemServices, DialogCursorIsSetBeforeTheOldOneGoes) {
    // The dialog's cursor is set while there is a dialog; a plain window stands in for it.
    HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(dialog);
    gDialog = dialog;
    const BYTE andMask[128] = {0};
    const BYTE xorMask[128] = {0};
    HCURSOR first = CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask);
    HCURSOR second = CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask);
    ASSERT_TRUE(first && second);
    ICONINFO info;
    EXPECT_EQ(SetDialogCursor(intptr_t(first)), 1);
    EXPECT_EQ(SetDialogCursor(intptr_t(first)), 1) << "the same cursor again";
    EXPECT_TRUE(GetIconInfo(first, &info)) << "a cursor set again stays alive";
    EXPECT_EQ(DialogCursorHandle(), first);
    EXPECT_EQ(SetDialogCursor(intptr_t(second)), 1);
    EXPECT_FALSE(GetIconInfo(first, &info)) << "a replaced cursor handed to the dialog is freed";
    EXPECT_EQ(SetDialogCursor(32512), 1);
    EXPECT_EQ(GetDialogCursor(), 32512);
    HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    EXPECT_EQ(SetDialogCursor(32513), 1);
    EXPECT_TRUE(GetIconInfo(arrow, &info)) << "shared system cursors are never destroyed";
    EXPECT_EQ(SetDialogCursor(32599), 0) << "no such system cursor";
    gDialog = nullptr;
    DestroyWindow(dialog);
}

// A run without the dialog lays out its tools all the same: their cursors are remembered, and
// the cursor on the screen stays the host's.
TEST_F(SystemServices, WithoutTheDialogACursorIsOnlyRemembered) {
    ASSERT_EQ(gDialog, nullptr);
    HCURSOR host = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(host);
    EXPECT_EQ(SetDialogCursor(32513), 1);
    EXPECT_EQ(GetDialogCursor(), 32513);
    EXPECT_EQ(GetCursor(), host);
}

TEST_F(SystemServices, VersionCodesOfKnownSystems) {
    struct Case {
        uint32_t platform, major, minor;
        char letter;
        int32_t code;
    };
    const Case cases[] = {
        {0, 3, 10, 0, 1}, {1, 4, 0, 0, 2},    {1, 4, 0, 'B', 3}, {1, 4, 0, 'C', 3},
        {1, 4, 10, 0, 4}, {1, 4, 10, 'A', 5}, {1, 4, 90, 0, 6},  {2, 3, 51, 0, 7},
        {2, 4, 0, 0, 7},  {2, 5, 0, 0, 8},    {2, 5, 1, 0, 9},   {2, 5, 2, 0, 10},
        {2, 6, 0, 0, 11}, {2, 6, 1, 0, 12},   {2, 6, 2, 0, 13},  {2, 10, 0, 0, 13},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowsVersionFromRecord(c.platform, c.major, c.minor, c.letter), c.code)
            << c.platform << " " << c.major << "." << c.minor << c.letter;
    EXPECT_EQ(GetWindowsVersion(), WINVER_7) << "Wine reports Windows 7";
}

TEST_F(SystemServices, VisualStylesFallBackAndTheirBranchesFollowTheSwitch) {
    EXPECT_FALSE(IsVisualStyleActive()) << "comctl32 reports 5.81 under Wine";
    EXPECT_EQ(ApplyWindowTheme(nullptr, L"", L""), ApplyWindowTheme(nullptr, L"", L""));
    gContext.dialogWanted = 0;
    ASSERT_EQ(CreateControl(5, CONTROL_TAB, "One\nTwo", -1, -1, -1, -1, 0, 0, 0, -1), 1);
    const int32_t face = int32_t(GetSysColor(COLOR_BTNFACE));
    struct Case {
        int32_t active, dialogThemed, themeMode, color;
    };
    const Case cases[] = {
        {0, 1, 1, face},     {1, 0, -1, face}, {1, 1, -1, 0xFFFFFF},
        {1, 0, 1, 0xFFFFFF}, {1, 1, 0, face},
    };
    for (const Case& c : cases) {
        SetVisualStyleOverride(c.active);
        gParams->dialogThemed = uint32_t(c.dialogThemed);
        ControlRecordAt(5)->themeMode = c.themeMode;
        EXPECT_EQ(GetControlColor(5), c.color) << c.active << c.dialogThemed << c.themeMode;
    }
    SetVisualStyleOverride(-1);
}

TEST_F(SystemServices, EventDeliveryRefusesNumbersOutsideTheControls) {
    for (int32_t control : {-1, -400, 400, 5000})
        EXPECT_EQ(TriggerControlEvent(control, EVENT_USER, 0, 0, 0, 1, 7, 1), 0) << control;
    EXPECT_EQ(SetDialogTimer(-1, 10, 1), 0);
    EXPECT_EQ(SetDialogTimer(10, 10, 1), 0);
}
