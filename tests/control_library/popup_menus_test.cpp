// Popup menus without a dialog: items in order, separators, radio checks, states and
// submenus, and the place of a menu opened at dialog units.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog/popup_menus.h"
#include "dialog/windows_version.h"

namespace {

struct ItemFacts {
    UINT id, type, state;
    HMENU submenu;
    std::string text;
};

ItemFacts ItemAt(HMENU menu, int position) {
    char text[128] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    GetMenuItemInfoA(menu, UINT(position), TRUE, &info);
    return {info.wID, info.fType, info.fState, info.hSubMenu, text};
}

int32_t TimesThree(int32_t units) {
    return units * 3;
}
int32_t TimesTwo(int32_t units) {
    return units * 2;
}

}  // namespace

TEST(PopupMenus, ItemsSeparatorsRadioChecksAndSubmenus) {
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    EXPECT_EQ(AddMenuItem(menu, 0, "refused", 0, 0, nullptr), 0);
    EXPECT_EQ(AddMenuItem(nullptr, 1, "no menu", 0, 0, nullptr), 0);
    EXPECT_EQ(AddMenuItem(menu, 1, "Open &amp; go", MFS_CHECKED, 0, nullptr), 1);
    EXPECT_EQ(AddPopupMenuItem(menu, 2, "---", 0, nullptr), 1);
    EXPECT_EQ(AddPopupMenuItem(menu, 3, "----", MFS_GRAYED, nullptr), 1);
    EXPECT_EQ(AddMenuItem(menu, 4, "Radio", MFS_CHECKED, 1, nullptr), 1);
    EXPECT_EQ(AddPopupMenuItem(menu, 5, "More", 0, sub), 1);
    ASSERT_EQ(GetMenuItemCount(menu), 5);

    ItemFacts first = ItemAt(menu, 0);
    EXPECT_EQ(first.id, 1u);
    EXPECT_EQ(first.text, "Open & go") << "texts are expanded";
    EXPECT_TRUE(first.state & MFS_CHECKED);
    EXPECT_TRUE(ItemAt(menu, 1).type & MFT_SEPARATOR) << "\"---\" is a separator";
    ItemFacts dashes = ItemAt(menu, 2);
    EXPECT_FALSE(dashes.type & MFT_SEPARATOR) << "\"----\" is an ordinary item";
    EXPECT_EQ(dashes.text, "----");
    EXPECT_TRUE(dashes.state & MFS_GRAYED);
    EXPECT_TRUE(ItemAt(menu, 3).type & MFT_RADIOCHECK);
    EXPECT_EQ(ItemAt(menu, 4).submenu, sub);

    // An id inserts before position id - 1: item 2 again goes in front of the separator.
    EXPECT_EQ(AddMenuItem(menu, 2, "Inserted", 0, 0, nullptr), 1);
    EXPECT_EQ(ItemAt(menu, 1).text, "Inserted");
    EXPECT_TRUE(ItemAt(menu, 2).type & MFT_SEPARATOR);
    DestroyPopupMenu(menu);
    DestroyPopupMenu(nullptr);
}

TEST(PopupMenus, MenusAtDialogUnitsMoveFurtherOutFromVistaOn) {
    const POINT origin = {100, 50};
    POINT at = PopupMenuPosition(origin, 10, 20, WINVER_XP, TimesThree, TimesTwo);
    EXPECT_EQ(at.x, 130);
    EXPECT_EQ(at.y, 90);
    at = PopupMenuPosition(origin, 10, 20, WINVER_VISTA, TimesThree, TimesTwo);
    EXPECT_EQ(at.x, 139);
    EXPECT_EQ(at.y, 94);
}
