// The presets menus of the effect sheets (buttons 160..164): the built-in presets of the page
// shown, film presets sorted into sub-menus by film maker, built as a plain item list and then
// shown as a popup menu.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kMenuNone = 999;        // "None"
constexpr int32_t kMenuFilmHeader = 901;  // the header of a film category
constexpr int32_t kMenuSubFirst = 902;    // 902..907: items of the film menu's own
constexpr int32_t kMenuSeparatorBase = 1000;

struct PresetMenuItem {
    int32_t id;                           // command id; separators 1000 and up
    std::string text;                     // "---" for a separator
    std::vector<PresetMenuItem> submenu;  // a sub-menu when not empty (id unused then)
};

// Up to three categories with a skip count and a size offset each.
struct PresetMenuSlot {
    int32_t category;  // -1 none
    int32_t skip;
    int32_t sizeOffset;
};
struct PresetMenuSlots {
    PresetMenuSlot slots[3];
};

// --- Pure ------------------------------------------------------------------------------------
// The categories the menu of page shows in mode (CTL_MODE value) with the partial-toning box.
PresetMenuSlots PresetMenuSlotsOf(int32_t page, int32_t mode, bool partialToning);
// The sub-menu (0 grain, 1 Agfa, 2 Fuji, 3 Ilford, 4 Kodak, 5 Polaroid, 6 others) a film
// preset's name belongs to.
int32_t FilmSubmenuOf(const char* name);
// The items of the menu of page; filmOthers and filmGrainNote are short texts 39 and 38.
std::vector<PresetMenuItem> PresetMenuItems(int32_t page, int32_t mode, bool partialToning,
                                            const char* filmOthers, const char* filmGrainNote);

// The category sub-menus of the menu bar's Preset menu, after its first items (a separator,
// then one sub-menu per category with separators before categories 3 and 15): category 0 holds
// item 100 and the own presets as 1000 + i; category k the items 100 + p of its presets.
constexpr int32_t kMenuBuiltinBase = 100;
constexpr int32_t kMenuOwnBase = 1000;
std::vector<PresetMenuItem> PresetCategorySubmenus(int32_t firstId,
                                                   const std::vector<std::string>& ownNames);

// --- Glue ------------------------------------------------------------------------------------
// Appends the category sub-menus to the Preset menu.
void AddPresetCategorySubmenus(HMENU menu, int32_t firstId);
// Acts on a choice of those sub-menus (applied with the Combine box, then rendered); 0 for
// any other choice.
int32_t ApplyPresetMenuChoice(int32_t choice);
// Builds, shows and acts on the menu of button control (160..164). Returns 1.
int32_t FilmPresetMenu(int32_t control);
