// The effect dialog's popup menus: the menu bar's Preset, Show, Disable and Help menus, the
// preset list's view menu, the preview colour menu and the Reset menu.
#pragma once

#include <cstdint>

constexpr int32_t kShowMenuGroupCount = 27;

// Pure: the item id of preset group g in the Show menu (a separator stands before groups 7,
// 11, 18 and 24 and takes an id of its own).
int32_t ShowMenuItemOfGroup(int32_t group);
// Pure: the page the Show menu's item c goes to; -1 for a separator or an id outside the menu.
int32_t ShowMenuPage(int32_t choice);

// Option bits of the preset list's view menu (value of control 313). The five size bits are
// the list modes of the preset lists (effect/preset_lists.h); the list style also prefixes
// names with their category there.
enum PresetViewBit : int32_t {
    VIEW_BIT_THUMBNAILS = 0x1,
    VIEW_BIT_ICONS = 0x2,
    VIEW_BIT_LIST = 0x4,
    VIEW_BIT_FIRST_SIZE = 0x8,  // 0x8 << k for size k 0..4 (very large .. very small)
    VIEW_BIT_SIZES = 0xF8,
    VIEW_BIT_LABELS = 0x100,
};
// Items of the view menu.
enum PresetViewItem : int32_t {
    VIEW_ITEM_THUMBNAILS = 6,
    VIEW_ITEM_ICONS = 7,
    VIEW_ITEM_LIST = 8,
    VIEW_ITEM_FIRST_SIZE = 10,  // 10 + k
    VIEW_ITEM_LAST_SIZE = 14,
    VIEW_ITEM_LABELS = 16,
};

// Pure: the option bits after view item `item` was chosen with `bits` in force; a size item
// replaces the size bits, Labels toggles its bit. Other items leave the bits.
int32_t PresetViewBitsAfter(int32_t bits, int32_t item);
struct PresetViewItemState {
    bool checked, enabled;
};
// Pure: how the view menu shows item `item` for `bits`: sizes only for thumbnails or icons,
// Labels only under visual styles outside the list style.
PresetViewItemState PresetViewItemStateFor(int32_t bits, int32_t item, bool visualStyles);
// Pure: thumbnail mode 0 (thumbnails) or 1 (icons) of the bits.
int32_t PresetThumbnailMode(int32_t bits);
