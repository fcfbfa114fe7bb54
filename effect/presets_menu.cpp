// The presets menus of the effect sheets: which categories a page offers, the item list with
// film makers' sub-menus, and the popup menu that shows it and applies the choice.

#include "effect/presets_menu.h"

#include <windows.h>

#include <cstring>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/filter_dialog.h"
#include "dialog/popup_menus.h"
#include "effect/builtin_presets.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/effect_pages.h"
#include "effect/preset_file.h"
#include "effect/preset_lists.h"
#include "effect/preset_groups.h"
#include "effect/tool_buttons.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

namespace {
constexpr int32_t kModeAdvanced = 3;
constexpr const char* kSeparator = "---";
constexpr int32_t kFilmOthersText = 39;  // short texts: "Others", "Grain"
constexpr int32_t kFilmGrainText = 38;
constexpr int32_t kShortenedByNd = -20;  // the Neutral category ends with ND grads
constexpr int32_t kPageBrush = 24, kPageFade = 26;
constexpr int32_t kPageRed = 14, kPageBlue = 16;
constexpr int32_t kPageColor = 12;
constexpr int32_t kPageSelectiveBrightness = 7, kPageSelectiveContrast = 8;
constexpr int32_t kRgbMainPage = 2;     // CTL_MAIN_PAGES showing Red, Green, Blue
constexpr int32_t kMaskPagesBrush = 1;  // CTL_MASK_PAGES showing the mask itself
constexpr int32_t kMaskPagesFade = 2;
constexpr int32_t kFrameCategory = CATEGORY_FRAME;
constexpr int32_t kSelectiveSliderFirst[2] = {142, 211};
constexpr int32_t kSelectiveSliderCount = 8;
constexpr int32_t kRgbGroups[3] = {14, 15, 16};

// Category of each effect page; -1 none.
constexpr int32_t kPageCategory[kEffectPageCount] = {5,  6,  9,  -1, 10, 15, 6,  3,  -1,
                                                     16, -1, 8,  11, 18, -1, -1, -1, -1,
                                                     7,  20, 13, 12, 4,  14, -1, 21, -1};

// Film sub-menus in the order they are made; a name goes into the first whose test it passes.
struct FilmMaker {
    const char* needles[3];
    const char* title;  // null: a short text
};
constexpr FilmMaker kFilmMakers[] = {
    {{"Grain", "korn", "Korn"}, nullptr},  {{"Agfa", nullptr, nullptr}, "Agfa"},
    {{"Fuji", nullptr, nullptr}, "Fuji"},  {{"Ilford", nullptr, nullptr}, "Ilford"},
    {{"Koda", nullptr, nullptr}, "Kodak"}, {{"Polaroid", nullptr, nullptr}, "Polaroid"},
};
constexpr int32_t kFilmSubmenuCount = 7;  // the makers and the last one for the others

PresetMenuItem Item(int32_t id, const char* text) {
    return {id, text ? text : "", {}};
}

bool IsRgbPreset(int32_t n) {
    BuiltinBlock blocks[kBuiltinBlockMax];
    if (BuiltinPresetBlocks(n, blocks) != 3) return false;
    for (int32_t b = 0; b < 3; ++b)
        if (blocks[b].group != kRgbGroups[b]) return false;
    return true;
}

struct MenuBuilder {
    std::vector<PresetMenuItem> items;
    int32_t nextSeparator = kMenuSeparatorBase;
    void Separator(std::vector<PresetMenuItem>& into) {
        into.push_back(Item(nextSeparator++, kSeparator));
    }
};

void AddFilmCategory(MenuBuilder& menu, const PresetMenuSlot& slot, const char* others,
                     const char* grain) {
    const int32_t start = gCategoryStart[slot.category];
    const int32_t end = gCategoryStart[slot.category + 1] + slot.sizeOffset;
    menu.items.push_back(Item(kMenuFilmHeader, gPresetCatalog.presetNames[start]));
    menu.Separator(menu.items);
    std::vector<PresetMenuItem> subs[kFilmSubmenuCount];
    for (int32_t n = start + 1; n < end; ++n)
        subs[FilmSubmenuOf(gPresetCatalog.presetNames[n])].push_back(
            Item(n, gPresetCatalog.presetNames[n]));
    for (int32_t s = 0; s < kFilmSubmenuCount; ++s) {
        // A maker without presets gets no empty sub-menu.
        if (subs[s].empty()) continue;
        const char* title = s == 0                       ? grain
                            : s + 1 == kFilmSubmenuCount ? others
                                                         : kFilmMakers[s].title;
        PresetMenuItem sub = Item(kMenuSubFirst + s, title);
        sub.submenu = std::move(subs[s]);
        menu.items.push_back(std::move(sub));
    }
}

void AddCategory(MenuBuilder& menu, const PresetMenuSlot& slot, bool alone) {
    const int32_t start = gCategoryStart[slot.category];
    const int32_t end = gCategoryStart[slot.category + 1] + slot.sizeOffset;
    const int32_t* separators = kCategorySeparators[slot.category];
    int32_t s = 0;
    auto separatorAfter = [&](int32_t n) {
        if (!alone) return;
        while (s < kCategorySeparatorMax && separators[s] >= 0 && separators[s] < n - start) ++s;
        if (s < kCategorySeparatorMax && separators[s] == n - start && n + 1 < end) {
            menu.Separator(menu.items);
            ++s;
        }
    };
    menu.items.push_back(Item(start, gPresetCatalog.presetNames[start]));
    separatorAfter(start);
    for (int32_t n = start + 1 + slot.skip; n < end; ++n) {
        menu.items.push_back(Item(n, gPresetCatalog.presetNames[n]));
        separatorAfter(n);
    }
}
}  // namespace

// --- Pure ------------------------------------------------------------------------------------

PresetMenuSlots PresetMenuSlotsOf(int32_t page, int32_t mode, bool partialToning) {
    PresetMenuSlots result = {{{-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}}};
    if (page < 0 || page >= kEffectPageCount) return result;
    PresetMenuSlot* s = result.slots;
    s[0].category = kPageCategory[page];
    if (page == 6) s[0].skip = 3;
    if (page == kPageColor && partialToning) s[0].category = CATEGORY_PARTIAL_COLOR;
    if (mode == kModeAdvanced) {
        auto two = [&](int32_t a, int32_t b) {
            s[0] = {a, 0, 0};
            s[1] = {b, 0, 0};
        };
        if (page == 19 || page == 20) two(20, 13);
        if (page == 21 || page == 22) two(12, 4);
        if (page == 0 || page == 1) {
            two(5, 6);
            s[1].sizeOffset = kShortenedByNd;
        }
        if (page == 4 || page == 5) two(10, 15);
    } else if (page == 1) {
        s[0].sizeOffset = kShortenedByNd;
    }
    return result;
}

int32_t FilmSubmenuOf(const char* name) {
    if (!name) return kFilmSubmenuCount - 1;
    for (int32_t s = 0; s < int32_t(std::size(kFilmMakers)); ++s)
        for (const char* needle : kFilmMakers[s].needles)
            if (needle && std::strstr(name, needle)) return s;
    return kFilmSubmenuCount - 1;
}

std::vector<PresetMenuItem> PresetMenuItems(int32_t page, int32_t mode, bool partialToning,
                                            const char* filmOthers, const char* filmGrainNote) {
    MenuBuilder menu;
    if (page < 0 || page >= kEffectPageCount) return menu.items;
    if (page == kPageBrush || page == kPageFade) {
        menu.items.push_back(Item(kMenuNone, gPresetCatalog.presetNames[0]));
        return menu.items;
    }
    if (page >= kPageRed && page <= kPageBlue) {
        menu.items.push_back(Item(kMenuNone, gPresetCatalog.presetNames[0]));
        menu.Separator(menu.items);
        for (int32_t n = 0; n < kBuiltinPresetCount; ++n)
            if (IsRgbPreset(n)) menu.items.push_back(Item(n, gPresetCatalog.presetNames[n]));
        return menu.items;
    }
    const PresetMenuSlots slots = PresetMenuSlotsOf(page, mode, partialToning);
    const bool alone = slots.slots[1].category < 0 && slots.slots[2].category < 0;
    for (int32_t i = 0; i < 3; ++i) {
        const PresetMenuSlot& slot = slots.slots[i];
        if (slot.category < 0) continue;
        if (i > 0) menu.Separator(menu.items);
        if (slot.category == CATEGORY_BW_FILM || slot.category == CATEGORY_FILM_GRAIN)
            AddFilmCategory(menu, slot, filmOthers, filmGrainNote);
        else
            AddCategory(menu, slot, alone);
    }
    return menu.items;
}

std::vector<PresetMenuItem> PresetCategorySubmenus(int32_t firstId,
                                                   const std::vector<std::string>& ownNames) {
    std::vector<PresetMenuItem> items;
    int32_t id = firstId;
    items.push_back(Item(id++, kSeparator));
    for (int32_t c = 0; c < CATEGORY_COUNT; ++c) {
        if (c == CATEGORY_BW_FILM || c == CATEGORY_AGING) items.push_back(Item(id++, kSeparator));
        PresetMenuItem sub = Item(id++, gPresetCatalog.categoryNames[c]);
        for (int32_t n = gCategoryStart[c]; n < gCategoryStart[c + 1]; ++n)
            sub.submenu.push_back(Item(kMenuBuiltinBase + n, gPresetCatalog.presetNames[n]));
        if (c == CATEGORY_OWN)
            for (size_t i = 0; i < ownNames.size(); ++i)
                sub.submenu.push_back(Item(kMenuOwnBase + int32_t(i), ownNames[i].c_str()));
        items.push_back(std::move(sub));
    }
    return items;
}

// --- Glue ------------------------------------------------------------------------------------

namespace {
HMENU BuildMenu(const std::vector<PresetMenuItem>& items) {
    HMENU menu = CreatePopupMenu();
    for (const PresetMenuItem& item : items) {
        HMENU sub = item.submenu.empty() ? nullptr : BuildMenu(item.submenu);
        AddMenuItem(menu, item.id, item.text.c_str(), 0, 0, sub);
    }
    return menu;
}

const char* ShortText(int32_t id, const char* fallback) {
    return GetArrayBase(ARRAY_SHORT_TEXTS) ? GetArrayString(ARRAY_SHORT_TEXTS, id) : fallback;
}

void ResetGroupControls(int32_t group) {
    const PresetGroup& g = kPresetGroups[group];
    for (int32_t i = 0; i < g.count; ++i) {
        const int32_t n = g.controls[i], value = ControlTableDefault(n);
        if (value != kNoDefault) SetControlValue(n, value);
    }
}

// The "None" of the RGB page and the mask sheet; true when it was handled here.
bool ApplyNone(int32_t control) {
    if (control == CTL_MAIN_PRESETS_MENU && GetControlValue(CTL_MAIN_PAGES) == kRgbMainPage) {
        for (int32_t group : kRgbGroups) ResetGroupControls(group);
        ResetCurves(3, 5);
        return true;
    }
    if (control == CTL_MASK_PRESETS_MENU && GetControlValue(CTL_MASK_PAGES) != kMaskPagesBrush) {
        ResetGroupControls(GetControlValue(CTL_MASK_PAGES) == kMaskPagesFade ? kPageFade
                                                                             : kPageBrush);
        return true;
    }
    return false;
}

void ClearSelectiveColumn(int32_t page) {
    const int32_t column = page - kPageSelectiveBrightness;
    for (int32_t row = 0; row < kSelectiveRows; ++row)
        PutArrayElement(ARRAY_SELECTIVE_TABLE, row, column, 0, 0);
    for (int32_t i = 0; i < kSelectiveSliderCount; ++i)
        SetControlValue(kSelectiveSliderFirst[column] + i, 0);
}
}  // namespace

int32_t FilmPresetMenu(int32_t control) {
    const int32_t mode = GetControlValue(CTL_MODE);
    const int32_t page = PageOfControlEvent(mode, control);
    // A control that belongs to no page has no menu to offer.
    if (page < 0 || page >= kEffectPageCount) return 1;
    const bool partial = GetControlValue(CTL_TONING_PARTIAL) != 0;
    const std::vector<PresetMenuItem> items =
        PresetMenuItems(page, mode, partial, ShortText(kFilmOthersText, "Others"),
                        ShortText(kFilmGrainText, "Grain"));
    HMENU menu = BuildMenu(items);
    const int32_t x = GetControlCoord(control, 0) + 2;
    const int32_t y = GetControlCoord(control, 1) + GetControlCoord(control, 3) + 2;
    int32_t id = ShowPopupMenu(menu, 0, x, y, 0);
    DestroyPopupMenu(menu);
    PumpDialogMessages();
    if (id <= 0) return 1;

    if (id == kMenuNone && ApplyNone(control)) return 1;
    if (control == CTL_FX2_PRESETS_MENU && id == kMenuFilmHeader)
        id = gCategoryStart[CATEGORY_FILM_GRAIN];
    if (id == gCategoryStart[CATEGORY_DEVELOPMENT]) ResetCurves(0, 0);
    if (id == kMenuFilmHeader &&
        (page == kPageSelectiveBrightness || page == kPageSelectiveContrast))
        ClearSelectiveColumn(page);
    ApplyBuiltinPreset(id, 1);
    if (PresetMenuSlotsOf(page, mode, partial).slots[0].category == kFrameCategory) {
        SetControlState(CTL_MAIN_TAB, CTLSTATE_VISIBLE);
        SetControlState(CTL_MAIN_TAB, CTLSTATE_FULL);
    }
    return 1;
}

void AddPresetCategorySubmenus(HMENU menu, int32_t firstId) {
    if (!menu) return;
    for (const PresetMenuItem& item : PresetCategorySubmenus(firstId, OwnPresetNames())) {
        HMENU sub = item.submenu.empty() ? nullptr : BuildMenu(item.submenu);
        AddMenuItem(menu, item.id, item.text.c_str(), 0, 0, sub);
    }
}

int32_t ApplyPresetMenuChoice(int32_t choice) {
    const int32_t combine = GetControlValue(CTL_PRESET_COMBINE);
    if (choice >= kMenuBuiltinBase && choice < kMenuBuiltinBase + kBuiltinPresetCount) {
        ApplyBuiltinPreset(choice - kMenuBuiltinBase, combine);
    } else if (choice >= kMenuOwnBase && choice - kMenuOwnBase < gOwnPresetCount) {
        LoadPresetFile(GetArrayString(ARRAY_PRESET_PATHS, choice - kMenuOwnBase), combine);
    } else {
        return 0;
    }
    RunControlAction(RUN_ACTION_PREVIEW);
    return 1;
}
