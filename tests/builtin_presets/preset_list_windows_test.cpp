// The preset list on the real controls of the effect dialog built into a window of this
// program: the lists and combos filled, thumbnails of a category rendered from the sample
// photograph, every setting as it was afterwards, and a picture of the list kept for review.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_window.h"
#include "dialog/image_lists.h"
#include "effect/builtin_presets.h"
#include "effect/control_ids.h"
#include "effect/dialog_construction.h"
#include "effect/effect_pages.h"
#include "effect/preset_lists.h"
#include "effect/preset_thumbnails.h"
#include "effect/session_hooks.h"
#include "effect/settings_rows.h"
#include "host/effect_context.h"
#include "host/host_api.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/worker_threads.h"
#include "render/session_state.h"
#include "tests/common/fresh_parameter_block.h"
#include "tests/common/screen_capture.h"
#include "tools/testhost/host_image.h"
#include "tests/common/test_files.h"

namespace {
constexpr int32_t kThumbnailSlot = 2;  // the Medium view, which the list starts in
constexpr int32_t kMediumThumb = 100;

// The dialog window as the screen shows it, into a PNG beside the test programs.
std::string ShootWindow(HWND window, const std::string& name) {
    // The dialog may have made itself as large as the display: the picture shows it at a size
    // that fits the display whole.
    ShowWindow(window, SW_RESTORE);
    SetWindowPos(window, HWND_TOP, 0, 0, 1000, 660, SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT screen;
    GetWindowRect(window, &screen);
    const char* bin = std::getenv("GREYLOOM_BIN_DIR");
    const std::string file = std::string(bin ? bin : ".") + "/" + name + ".png";
    ScreenPictureWritePng(ScreenPictureOf(screen), file);
    return file;
}

class PresetListWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        SessionStateReset();
        DialogFrameReset();
        EffectPagesReset();
        window = CreateWindowExA(0, "#32770", "Greyloom", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0,
                                 1000, 660, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        gDialog = window;
        gContext.dialogWindow = window;
        gContext.dialogWanted = 1;
        ASSERT_EQ(BuildEffectDialog(&gContext), 1);
        OnSessionStart(&gContext);
        LoadSample();
    }
    void TearDown() override {
        StopWorkerPool();
        DestroyImageList(kThumbnailSlot);
        DestroyWindow(window);
        gDialog = nullptr;
        gParams = nullptr;
        EffectContextReset();
    }
    // The sample photograph as the current rectangle, as a preview request would leave it.
    void LoadSample() {
        std::string error;
        ASSERT_TRUE(HostImageReadPng(SourceFile("samples/coffee.png"), 8, 3, &image, &error))
            << error;
        pixels.resize(image.samples.size());
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(image.samples[i]);
        EffectContext& c = gContext;
        c.imageMode = IMAGE_MODE_RGB;
        c.X = c.width = c.imageWidth = c.wholeWidth = image.width;
        c.Y = c.height = c.imageHeight = c.wholeHeight = image.height;
        c.filterRight = image.width;
        c.filterBottom = image.height;
        c.currentRight = image.width;
        c.currentBottom = image.height;
        c.inData = c.adjustedInData = c.outData = pixels.data();
        c.inRowBytes = c.outRowBytes = image.width * 3;
        c.inStep = c.outStep = 3;
        c.Z = c.planes = 3;
    }
    std::unique_ptr<ParameterBlock> block;
    HWND window = nullptr;
    HostImage image;
    std::vector<uint8_t> pixels;
};

TEST_F(PresetListWindow, ListsAndCombosCarryTheirItems) {
    ApplyPresetLanguage(0);
    EXPECT_EQ(GetControlItemCount(CTL_PRESET_GROUP_FILTER), 26);
    EXPECT_EQ(GetControlItemCount(CTL_PRESET_LIST), kBuiltinPresetCount);  // Show All, no files
    SetControlValue(CTL_PRESET_GROUP_FILTER, PresetItemOfCategory(CATEGORY_PAPER));
    FillPresetList(CTL_PRESET_LIST);
    EXPECT_EQ(GetControlItemCount(CTL_PRESET_LIST),
              gCategoryStart[CATEGORY_PAPER + 1] - gCategoryStart[CATEGORY_PAPER]);
    SetControlValue(CTL_PRESET_LIST, 3);
    EXPECT_EQ(SelectedPreset(), gCategoryStart[CATEGORY_PAPER] + 3);
    char text[128] = "";
    ASSERT_TRUE(
        GetControlItemText(CTL_EFFECT_LIST, MapListIndex(22, LIST_FROM_PAGE), text, sizeof text));
    EXPECT_STREQ(text, "Grain");
    EXPECT_GT(GetControlItemCount(CTL_BUILTIN_COLOR_FILM), 60);

    ApplyPresetLanguage(1);
    ASSERT_TRUE(GetControlItemText(CTL_PRESET_GROUP_FILTER, PresetItemOfCategory(CATEGORY_PAPER),
                                   text, sizeof text));
    EXPECT_STREQ(text, "Papier");
    ApplyPresetLanguage(0);
}

// The built-in preset combos hold dozens of names each, far more than a control record's text
// field: every one stays in the window, in the control's lines and through a refill of the
// window from the control's text (a font change re-shows it).
TEST_F(PresetListWindow, BuiltinPresetCombosKeepEveryItem) {
    ApplyPresetLanguage(0);
    const std::vector<std::string> colorFilm = BuiltinComboItems(CTL_BUILTIN_COLOR_FILM);
    size_t colorFilmBytes = 0;
    for (const std::string& item : colorFilm) colorFilmBytes += item.size() + 1;
    ASSERT_GT(colorFilm.size(), 54u);
    ASSERT_GT(colorFilmBytes, sizeof(ControlRecord::text)) << "the case would show nothing";
    const auto windowItems = [](int32_t combo) {
        std::vector<std::string> items;
        char text[256] = "";
        for (int32_t i = 0; i < GetControlItemCount(combo); ++i)
            items.push_back(GetControlItemText(combo, i, text, sizeof text) ? text : "<none>");
        return items;
    };
    const auto lines = [](int32_t combo) {
        std::vector<std::string> items;
        char text[256] = "";
        for (int32_t i = 0; i < GetControlTextLine(combo, -1, nullptr, 0); ++i)
            items.push_back(GetControlTextLine(combo, i, text, sizeof text) ? text : "<none>");
        return items;
    };
    for (int32_t combo = CTL_BUILTIN_COLOR_FILM; combo <= CTL_BUILTIN_COLOR_FILM + 11; ++combo) {
        const std::vector<std::string> expected = BuiltinComboItems(combo);
        const std::string which = "combo " + std::to_string(combo);
        EXPECT_EQ(windowItems(combo), expected) << which << ": the window";
        EXPECT_EQ(lines(combo), expected) << which << ": the control's lines";
        SetControlFont(combo, -1);
        EXPECT_EQ(windowItems(combo), expected) << which << ": refilled from its text";
    }
}

TEST_F(PresetListWindow, ThumbnailRunLeavesEverySettingAsItWas) {
    ApplyPresetLanguage(0);
    // Some settings of the user's own, a curve among them.
    SetControlValue(CTL_GRAIN_INTENSITY, 77);
    SetControlValue(CTL_VIGNETTE_INTENSITY, 12);
    SetControlValue(CTL_CONVERSION_HUE, 33);
    PutArrayElement(ARRAY_CURVES, 2, 0, 0, 159);
    PutArrayElement(ARRAY_CURVES, 2, 1, 0, 159);
    PutArrayElement(ARRAY_CURVES, 1, 0, 0, 80);
    PutArrayElement(ARRAY_CURVES, 1, 1, 0, 100);
    gSession.curvePointCount[0] = 3;
    PutArrayElement(ARRAY_SELECTIVE_TABLE, 2, 0, 0, 40);
    // The aging's centre, which aging presets place for their thumbnails.
    gSession.centrePointX[0] = 321;
    gSession.centrePointY[0] = 123;
    SettingsState before;
    SettingsStateCapture(before);

    const int32_t categories[] = {CATEGORY_BW_FILM, CATEGORY_FRAME, CATEGORY_AGING, CATEGORY_MASK};
    for (int32_t category : categories) {
        SetControlValue(CTL_PRESET_GROUP_FILTER, PresetItemOfCategory(category));
        const int32_t rendered = FillPresetThumbnails(CTL_PRESET_LIST, kMediumThumb, kMediumThumb,
                                                      kThumbnailSlot, category, 1);
        EXPECT_EQ(rendered, gCategoryStart[category + 1] - gCategoryStart[category] - 1);
        EXPECT_EQ(gSession.thumbnailRendering, 0);
        SettingsState after;
        SettingsStateCapture(after);
        for (int32_t n = 0; n < kSettingsValueCount; ++n)
            EXPECT_EQ(after.values[n], before.values[n])
                << "control " << n << " after category " << category;
        EXPECT_EQ(std::memcmp(after.curveCount, before.curveCount, sizeof before.curveCount), 0);
        EXPECT_EQ(std::memcmp(after.curvePoints, before.curvePoints, sizeof before.curvePoints), 0);
        EXPECT_EQ(
            std::memcmp(after.selectiveTable, before.selectiveTable, sizeof before.selectiveTable),
            0);
        EXPECT_EQ(std::memcmp(after.centreX, before.centreX, sizeof before.centreX), 0);
        EXPECT_EQ(std::memcmp(after.centreY, before.centreY, sizeof before.centreY), 0);
        EXPECT_EQ(gContext.X, image.width);
        EXPECT_EQ(GetControlValue(CTL_MULTI_CPU_OFF), 0);
        EXPECT_EQ(gContext.imageWidth, image.width);
    }
    // Nothing new to render for the same category at the same size.
    EXPECT_EQ(FillPresetThumbnails(CTL_PRESET_LIST, kMediumThumb, kMediumThumb, kThumbnailSlot,
                                   CATEGORY_MASK, 0),
              0);
}

TEST_F(PresetListWindow, PresetsApplyToTheDialogHeadingsResetMasksAdd) {
    ApplyPresetLanguage(0);
    const int32_t film = gCategoryStart[CATEGORY_BW_FILM] + 1;
    BuiltinBlock blocks[kBuiltinBlockMax];
    ASSERT_GE(BuiltinPresetBlocks(film, blocks), 1);
    ASSERT_EQ(blocks[0].group, 0);
    const int32_t filmHue = blocks[0].values[1];
    SetControlValue(CTL_GRAIN_INTENSITY, 77);
    SetControlValue(CTL_CONVERSION_HUE_STRIP, 0x123456);

    ASSERT_EQ(ApplyBuiltinPreset(film, 0), 1);
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 0) << "a preset starts from the defaults";
    EXPECT_EQ(GetControlValue(CTL_CONVERSION_HUE), filmHue);
    EXPECT_EQ(GetControlValue(CTL_CONVERSION_HUE_STRIP), 0x123456) << "a kept value";
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_EQ(std::string(title),
              std::string("Greyloom 2.0 - Last Preset: ") + kBuiltinPresetNamesEnglish[film]);

    const int32_t mask = gCategoryStart[CATEGORY_MASK] + 1;
    ASSERT_EQ(ApplyBuiltinPreset(mask, 0), 1);
    EXPECT_EQ(GetControlValue(CTL_CONVERSION_HUE), filmHue) << "a mask adds to the settings";
    EXPECT_NE(GetControlValue(CTL_MASK_TYPE), 0);

    SetControlValue(CTL_GRAIN_INTENSITY, 55);
    ASSERT_EQ(ApplyBuiltinPreset(film + 1, 1), 1);
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 55) << "keep holds the settings underneath";

    ASSERT_EQ(ApplyBuiltinPreset(gCategoryStart[CATEGORY_BW_FILTER], 0), 1);
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 0) << "a heading resets every control";
    EXPECT_EQ(GetControlValue(CTL_MASK_TYPE), 0);
    EXPECT_EQ(GetControlValue(CTL_CONVERSION_HUE), 75);

    EXPECT_EQ(ApplyBuiltinPreset(-1, 0), 0);
    EXPECT_EQ(ApplyBuiltinPreset(kBuiltinPresetCount, 0), 0);
}

TEST_F(PresetListWindow, ThumbnailsFollowTheListViewAndCategory) {
    ApplyPresetLanguage(0);
    SetControlValue(CTL_PRESET_GROUP_FILTER, PresetItemOfCategory(CATEGORY_GLOW));
    SetControlValue(CTL_PRESET_MENU, LIST_MODE_SMALL);
    EXPECT_EQ(ShowPresetThumbnails(1),
              gCategoryStart[CATEGORY_GLOW + 1] - gCategoryStart[CATEGORY_GLOW] - 1);
    ASSERT_NE(gImageLists[3], nullptr) << "the Small view keeps its own thumbnails";
    int cx = 0, cy = 0;
    ImageList_GetIconSize(gImageLists[3], &cx, &cy);
    EXPECT_EQ(cx, PresetThumbnailSize(3, false));
    // A plain list shows no thumbnails and renders none.
    SetControlValue(CTL_PRESET_MENU, LIST_MODE_NO_GRID);
    EXPECT_EQ(ShowPresetThumbnails(1), 0);
    DestroyImageList(3);
}

// The list's scroll position is kept over re-fills and in the dialog-state file: it must be
// read in the icon views too, where the list view's own top index always answers 0.
TEST_F(PresetListWindow, TheTopItemIsReadInEveryView) {
    ApplyPresetLanguage(0);
    ControlRecord* list = UsedControlRecord(CTL_PRESET_LIST);
    ASSERT_NE(list, nullptr);
    SetWindowPos(list->window, HWND_TOP, 10, 10, 300, 200, SWP_SHOWWINDOW);
    constexpr int32_t kFarItem = 300;
    for (const DWORD view :
         {DWORD(LV_VIEW_ICON), DWORD(LV_VIEW_SMALLICON), DWORD(LV_VIEW_DETAILS)}) {
        SendMessageA(list->window, LVM_SETVIEW, view, 0);
        ScrollToControlItem(CTL_PRESET_LIST, 0);
        EXPECT_EQ(GetControlTopItem(CTL_PRESET_LIST), 0) << "view " << view;
        ScrollToControlItem(CTL_PRESET_LIST, kFarItem);
        const int32_t top = GetControlTopItem(CTL_PRESET_LIST);
        EXPECT_GT(top, 0) << "view " << view;
        // The item given is one the list shows, at its top.
        RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(list->window, LVM_GETITEMRECT, WPARAM(top), LPARAM(&bounds));
        RECT client = {};
        GetClientRect(list->window, &client);
        EXPECT_TRUE(bounds.bottom > 0 && bounds.top < client.bottom)
            << "view " << view << ": item " << top << " at " << bounds.top;
    }
}

// Contact sheets of a few categories on the sample photograph, kept for a person to look at.
TEST_F(PresetListWindow, PicturesOfThumbnails) {
    ApplyPresetLanguage(0);
    SetControlValue(CTL_MAIN_TAB, 0);
    struct Sheet {
        int32_t category;
        const char* name;
    };
    const Sheet sheets[] = {{CATEGORY_BW_FILM, "preset_list_bw_film"},
                            {CATEGORY_VINTAGE_TONING, "preset_list_vintage_toning"},
                            {CATEGORY_FRAME, "preset_list_frame"},
                            {CATEGORY_PHOTO_EFFECTS, "preset_list_photo_effects"},
                            {CATEGORY_COLORKEY, "preset_list_colorkey"},
                            {CATEGORY_BW_FILTER, "preset_list_bw_filter"},
                            {CATEGORY_NIGHT_EFFECT, "preset_list_night_effect"}};
    for (const Sheet& sheet : sheets) {
        SetControlValue(CTL_PRESET_GROUP_FILTER, PresetItemOfCategory(sheet.category));
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        const int32_t rendered = FillPresetThumbnails(CTL_PRESET_LIST, kMediumThumb, kMediumThumb,
                                                      kThumbnailSlot, sheet.category, 1);
        QueryPerformanceCounter(&end);
        const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
        std::printf(
            "thumbnails: %d of category %d at %d px in %.3f s, input waited at most %.0f ms\n",
            rendered, sheet.category, kMediumThumb, seconds, gThumbnailFigures.longestBlockMs);
        ControlRecord* list = UsedControlRecord(CTL_PRESET_LIST);
        ASSERT_NE(list, nullptr);
        // The list as its Medium view shows it, big enough to see a few rows of thumbnails.
        SendMessageA(list->window, LVM_SETVIEW, LV_VIEW_ICON, 0);
        SetWindowPos(list->window, HWND_TOP, 10, 10, 740, 600, SWP_SHOWWINDOW);
        EXPECT_EQ(ListView_GetImageList(list->window, LVSIL_NORMAL), gImageLists[kThumbnailSlot]);
        EXPECT_GE(ImageList_GetImageCount(gImageLists[kThumbnailSlot]), kBuiltinPresetCount);
        ShootWindow(window, sheet.name);
    }
}
}  // namespace
