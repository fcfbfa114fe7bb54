// The preset list's view menu in the shipped plug-in: each view chosen from the real menu gives
// the list its pictures at the size chosen, or the plain list, and OK remembers the view; a
// category chosen and a dialog opened maximised show their thumbnails.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/common/control_texts.h"
#include "tests/common/test_files.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

constexpr int kMenuWaitMs = 2000;
// Thumbnails of a category at a new size take about 100 s at load 22; the wait ends as soon as
// they stand.
constexpr int kViewWaitMs = 180000;
// Thumbnail edges of the sizes very large .. very small, as a system without visual styles
// draws them.
constexpr int kThumbnailEdges[5] = {210, 138, 100, 63, 44};
// The category combo's item of "Vignette": a category of few presets keeps the renders short.
constexpr int kVignetteItem = 16;

struct MenuItemState {
    bool found = false, checked = false, grayed = false;
};

// Opens the view menu, reads the state of item `id` and chooses it with the keyboard when it
// is enabled and `choose` is set (the menu is left with Escape otherwise).
MenuItemState OpenViewMenu(Driver& driver, int32_t id, bool choose) {
    MenuItemState state;
    HWND window = ClickUntilMenuShows(driver, CTL_PRESET_MENU, kMenuWaitMs);
    if (!driver.Check(window != nullptr, "the view menu opens")) return state;
    HMENU menu = HMENU(SendMessageA(window, MN_GETHMENU, 0, 0));
    int downs = 0;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        const UINT flags = GetMenuState(menu, UINT(position), MF_BYPOSITION);
        if (flags & MF_SEPARATOR) continue;
        ++downs;  // keyboard selection steps over separators only
        if (GetMenuItemID(menu, position) != UINT(id)) continue;
        state = {true, (flags & MF_CHECKED) != 0, (flags & (MF_GRAYED | MF_DISABLED)) != 0};
        break;
    }
    const bool go = choose && state.found && !state.grayed;
    for (int i = 0; go && i < downs; ++i) PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(window, WM_KEYDOWN, go ? VK_RETURN : VK_ESCAPE, 0);
    WaitFor([] { return ShownPopupMenu() == nullptr; }, kMenuWaitMs);
    return state;
}

LONG ListType(HWND list) {
    return GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK;
}

int PictureEdge(HWND list) {
    HIMAGELIST images = HIMAGELIST(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    int width = 0, height = 0;
    if (!images || !ImageList_GetIconSize(images, &width, &height)) return 0;
    return width;
}

void ChooseCategory(Driver& driver, int item) {
    HWND combo = driver.ControlWindow(CTL_PRESET_GROUP_FILTER);
    driver.SendTo(combo, CB_SETCURSEL, WPARAM(item), 0);
    driver.Send(WM_COMMAND,
                MAKEWPARAM(CTL_PRESET_GROUP_FILTER + kControlWindowIdBase, CBN_SELCHANGE),
                LPARAM(combo));
}

TEST(PresetViewMenu, EachViewShowsTheListAsChosenAndOkRemembersIt) {
    auto session = OpenEffectPlugin(240, 160);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedMode(driver);
        driver.Send(WM_NULL);
        HWND list = driver.ControlWindow(CTL_PRESET_LIST);
        ChooseCategory(driver, kVignetteItem);
        const auto edgeIs = [&](int edge) {
            return WaitFor([&] { return PictureEdge(list) == edge; }, kViewWaitMs);
        };
        driver.Check(edgeIs(kThumbnailEdges[2]), "medium thumbnails at the start");
        MenuItemState state = OpenViewMenu(driver, 6, false);
        driver.Check(state.checked, "Thumbnails carries the check mark at the start");
        state = OpenViewMenu(driver, 12, false);
        driver.Check(state.checked && !state.grayed, "Medium Thumbs is checked and enabled");

        // Each size from the menu: the list's pictures at that size.
        const struct {
            int item, edge;
            const char* shot;
        } sizes[] = {{10, kThumbnailEdges[0], "preset_view_very_large"},
                     {11, kThumbnailEdges[1], "preset_view_large"},
                     {13, kThumbnailEdges[3], "preset_view_small"},
                     {14, kThumbnailEdges[4], "preset_view_very_small"},
                     {12, kThumbnailEdges[2], "preset_view_medium"}};
        for (const auto& size : sizes) {
            OpenViewMenu(driver, size.item, true);
            driver.Check(edgeIs(size.edge), std::string("pictures of ") +
                                                std::to_string(size.edge) +
                                                " pixels: " + std::to_string(PictureEdge(list)));
            ShootDialog(driver, size.shot);
            driver.Check(OpenViewMenu(driver, size.item, false).checked, "the size is checked");
        }

        // Icons come at their own size (the smallest) and thumbnails back at theirs.
        OpenViewMenu(driver, 7, true);
        driver.Check(edgeIs(kThumbnailEdges[4]), "icons are the smallest pictures");
        ShootDialog(driver, "preset_view_icons");
        driver.Check(OpenViewMenu(driver, 7, false).checked, "Icons is checked");
        OpenViewMenu(driver, 13, true);
        driver.Check(edgeIs(kThumbnailEdges[3]), "icons take another size");
        OpenViewMenu(driver, 6, true);
        driver.Check(edgeIs(kThumbnailEdges[2]), "thumbnails come back at their size");

        // The plain list: a report of names, the panel toggle hidden, sizes disabled.
        OpenViewMenu(driver, 8, true);
        driver.Check(WaitFor([&] { return ListType(list) == LVS_REPORT; }, kMenuWaitMs),
                     "the list shows as a report");
        driver.Check(!IsWindowVisible(driver.ControlWindow(CTL_PRESET_PANEL_TOGGLE)),
                     "the panel toggle is hidden in the list view");
        ShootDialog(driver, "preset_view_list");
        state = OpenViewMenu(driver, 10, false);
        driver.Check(state.grayed, "the sizes are disabled in the list view");
        state = OpenViewMenu(driver, 16, false);
        driver.Check(state.grayed, "Labels is disabled in the list view");

        // Icons again from the list: the pictures return and the list is no report any more.
        OpenViewMenu(driver, 7, true);
        driver.Check(WaitFor([&] { return ListType(list) == LVS_ICON; }, kMenuWaitMs),
                     "the list shows pictures again");
        driver.Check(edgeIs(kThumbnailEdges[3]), "icons at the size they had");
        driver.Check(IsWindowVisible(driver.ControlWindow(CTL_PRESET_PANEL_TOGGLE)),
                     "the panel toggle is back");
        ClickOkUntilClosed(driver);
    });
    EXPECT_EQ(result, 0);
    // Icons (2), small (0x40), labels shown (0x100).
    const std::vector<std::string> lines = FileLines(DataFilePath("Greyloomdialog.ini"));
    ASSERT_GT(lines.size(), DialogStateLine(CTL_PRESET_MENU));
    EXPECT_EQ(lines[DialogStateLine(CTL_PRESET_MENU)], "322");
}

// Line of the preset list's top item in the dialog-state file.
constexpr size_t kTopItemLine = 7;
constexpr int kRememberedTop = 60;

bool ItemInView(HWND list, int item) {
    RECT client = {}, rect = {LVIR_BOUNDS, 0, 0, 0};
    GetClientRect(list, &client);
    if (!SendMessageA(list, LVM_GETITEMRECT, WPARAM(item), LPARAM(&rect))) return false;
    return rect.top >= client.top && rect.bottom <= client.bottom;
}

TEST(PresetViewMenu, TheListOpensWithItsRememberedTopItemInView) {
    auto first = OpenEffectPlugin(120, 80);
    ASSERT_EQ(RunEffectDialog(*first, [](Driver& driver) { ClickOkUntilClosed(driver); }), 0);
    const std::string path = DataFilePath("Greyloomdialog.ini");
    std::vector<std::string> lines = FileLines(path);
    ASSERT_GT(lines.size(), kTopItemLine);
    lines[kTopItemLine] = std::to_string(kRememberedTop);
    // No restored size: the dialog opens at its remembered size, not maximised.
    lines[kStateRestoredWidthLine] = lines[kStateRestoredHeightLine] = "0";
    WriteFileLines(path, lines);

    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        HWND list = driver.ControlWindow(CTL_PRESET_LIST);
        // Until the thumbnails stand every item lies at the list's top.
        driver.Check(
            WaitFor([&] { return ItemInView(list, kRememberedTop) && !ItemInView(list, 0); },
                    kViewWaitMs),
            "the remembered item is in view once the thumbnails stand, the first not");
        ShootDialog(driver, "preset_view_remembered_top");
        ClickOkUntilClosed(driver);
    });
    EXPECT_EQ(result, 0);
}

constexpr int kFrameItem = 17;  // the category combo's item of "Frame"

// Whether the picture of list item `item` is a rendered thumbnail: a slot of the image list
// that was never rendered is of one colour, a bevelled photograph of many.
bool ThumbnailDrawn(HWND list, int item) {
    HIMAGELIST images = HIMAGELIST(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    LVITEMA entry = {};
    entry.mask = LVIF_IMAGE;
    entry.iItem = item;
    int width = 0, height = 0;
    if (!images || !SendMessageA(list, LVM_GETITEMA, 0, LPARAM(&entry)) || entry.iImage < 0 ||
        !ImageList_GetIconSize(images, &width, &height))
        return false;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    ImageList_Draw(images, entry.iImage, memory, 0, 0, ILD_NORMAL);
    GdiFlush();
    std::set<uint32_t> colours;
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; bits && i < width * height; ++i) colours.insert(pixels[i] & 0xFFFFFF);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return colours.size() > 8;
}

// A first dialog closed with OK (maximised, as a first start opens), its state file then set
// to show the given category, and maximised or at its own size.
void RememberCategory(int categoryItem, bool maximised) {
    auto first = OpenEffectPlugin(120, 80);
    ASSERT_EQ(RunEffectDialog(*first, [](Driver& driver) { ClickOkUntilClosed(driver); }), 0);
    const std::string path = DataFilePath("Greyloomdialog.ini");
    std::vector<std::string> lines = FileLines(path);
    ASSERT_GT(lines.size(), DialogStateLine(CTL_PRESET_GROUP_FILTER));
    lines[DialogStateLine(CTL_PRESET_GROUP_FILTER)] = std::to_string(categoryItem);
    if (maximised)
        ASSERT_TRUE(lines[kStateRestoredWidthLine] != "0" && lines[kStateRestoredHeightLine] != "0")
            << "a dialog closed maximised remembers its restored size";
    else
        lines[kStateRestoredWidthLine] = lines[kStateRestoredHeightLine] = "0";
    WriteFileLines(path, lines);
}

TEST(PresetThumbnails, ADialogRememberedMaximisedRendersThem) {
    ASSERT_NO_FATAL_FAILURE(RememberCategory(kVignetteItem, true));
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        HWND list = driver.ControlWindow(CTL_PRESET_LIST);
        driver.Check(IsZoomed(driver.dialog) != FALSE, "the dialog opens maximised");
        driver.Check(WaitFor([&] { return ThumbnailDrawn(list, 1); }, kViewWaitMs),
                     "the category's thumbnails are rendered");
        ShootDialog(driver, "preset_thumbnails_maximised");
        ClickOkUntilClosed(driver);
    });
    EXPECT_EQ(result, 0);
}

TEST(PresetThumbnails, ACategoryChosenShowsItsOwn) {
    ASSERT_NO_FATAL_FAILURE(RememberCategory(kVignetteItem, false));
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        HWND list = driver.ControlWindow(CTL_PRESET_LIST);
        driver.Check(WaitFor([&] { return ThumbnailDrawn(list, 1); }, kViewWaitMs),
                     "the remembered category's thumbnails are rendered");
        const auto choose = [&](int item) {
            HWND combo = driver.ControlWindow(CTL_PRESET_GROUP_FILTER);
            const std::string before = ListViewItemText(list, 1);
            ChooseComboItemByClicks(driver, combo, item);
            return driver.Check(
                WaitFor([&] { return ListViewItemText(list, 1) != before; }, kViewWaitMs),
                "the list shows the category " + std::to_string(item));
        };
        EnterAdvancedMode(driver);
        // The category's other thumbnails and then the preview's render done before the
        // choice: the combo is clicked on a dialog at rest, as a user finds it.
        driver.Check(WaitForDialogIdle(driver), "the thumbnails and the preview are done");
        if (!choose(kFrameItem)) return;
        const int frames = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        driver.Check(
            WaitFor([&] { return ThumbnailDrawn(list, 1) && ThumbnailDrawn(list, frames - 1); },
                    kViewWaitMs),
            "the chosen category's thumbnails are rendered");
        ShootDialog(driver, "preset_thumbnails_category_chosen");
        driver.Check(WaitForDialogIdle(driver), "the chosen category's work is done");
        if (!choose(kVignetteItem)) return;
        driver.Check(ThumbnailDrawn(list, 1), "the category shown before keeps its thumbnails");
        ClickOkUntilClosed(driver);
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
