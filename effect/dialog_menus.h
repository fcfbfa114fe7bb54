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
