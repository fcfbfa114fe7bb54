// The lists and combo boxes that show presets and effects: the preset list (124) of a category
// in its view modes, the category combo (349), the effect list (303), the built-in preset
// combos (170..181), and the language switch that refills them all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// View bits of the preset list's view menu (value of control 313).
enum PresetListMode : int32_t {
    LIST_MODE_CATEGORY_PREFIX = 0x4,  // "Category: name"
    LIST_MODE_VERY_LARGE = 0x8,       // thumbnail views 0..4, in this order
    LIST_MODE_LARGE = 0x10,
    LIST_MODE_MEDIUM = 0x20,
    LIST_MODE_SMALL = 0x40,
    LIST_MODE_VERY_SMALL = 0x80,
    LIST_MODE_NO_GRID = 0x100,
};
constexpr int32_t kPresetImageOwnBase = 689;  // image index of own preset file i: 689 + i

// Number of the user's preset files in the list; written by FillPresetList.
extern int32_t gOwnPresetCount;

// --- Pure ------------------------------------------------------------------------------------
// A name shortened for a list in mode: past the mode's maximum (8 -> 40, 16 -> 30, 32 -> 15,
// 64 -> 12, 128 -> 8 characters) cut there and "..." appended; other modes keep it whole.
std::string FormatPresetName(const char* name, int32_t mode);
// Category shown for a combo item: 0 ("Show All") -> -1; 2..4 -> 0..2; 6..17 -> 3..14;
// 19..25 -> 15..21; separators and anything else -> -1.
int32_t PresetCategoryFromItem(int32_t item);
// The combo item that shows category c (the inverse of the above); 0 for -1.
int32_t PresetItemOfCategory(int32_t category);
// Preset index of list row `row` in category (-1 = Show All): a built-in category adds its
// heading index; category 0 and Show All subtract the own presets (rows inside them give -1,
// row 0 gives 0). -1 for a row below 0.
int32_t PresetOfListRow(int32_t category, int32_t row, int32_t ownCount);

struct PresetListItem {
    std::string text;
    int32_t image;  // image index: preset index, or 689 + file number; 0 for the heading
    int32_t group;  // category of the group header it sits under (grouped Show All), else -1
};
struct PresetListGroup {
    std::string header;  // "%s (%d)": category name, presets without the heading
    int32_t id;          // the category
};
struct PresetListContent {
    std::vector<PresetListItem> items;
    std::vector<PresetListGroup> groups;  // only when grouped
};
// What the preset list shows for category (-1 = Show All) in mode; ownNames are the base names
// of the user's preset files; grouped: list-view groups; shorten: FormatPresetName applies.
PresetListContent PresetListItems(int32_t category, int32_t mode, bool grouped, bool shorten,
                                  const std::vector<std::string>& ownNames);
// The category combo's items in the language in use; showAll is item 0's text.
std::vector<std::string> CategoryComboItems(const char* showAll);
// The effect list's items: separators of 38 dashes before groups 7, 11, 17 and 24, each named
// group with " *" when inUse[group] is set.
std::vector<std::string> EffectListItems(const int32_t inUse[27]);
// Items of built-in preset combo (170..181): its category's presets, separators of dashes
// after the per-combo positions.
std::vector<std::string> BuiltinComboItems(int32_t combo);
// The thumbnail view 0..4 (very large .. very small) a mode shows; -1 for a plain list. Each
// view keeps its thumbnails in the image-list slot of its number.
int32_t PresetListView(int32_t mode);
// Thumbnail edge in pixels for view 0..4 (very large .. very small); modern: a system before
// version 11 with visual styles.
int32_t PresetThumbnailSize(int32_t view, bool olderStyled);

// --- Glue ------------------------------------------------------------------------------------
// Base names of the files in ARRAY_PRESET_PATHS.
std::vector<std::string> OwnPresetNames();
// The category the combo 349 shows (-1 = Show All).
int32_t PresetCategoryFromCombo();
// The preset of the list's selection, or -1.
int32_t SelectedPreset();
void FillPresetList(int32_t list);
void FillCategoryCombo(int32_t combo);
void FillEffectList(int32_t combo);
void FillBuiltinPresetCombos(int32_t first);
// Switches the preset tables to German (nonzero) or English and refills 124, 349, 170.. and 303.
void ApplyPresetLanguage(int32_t german);
// Gives the list the font of view 0..4 and returns that view's thumbnail size.
int32_t SetPresetListFont(int32_t size, int32_t view);
