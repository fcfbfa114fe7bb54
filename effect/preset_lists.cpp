// The preset list, the category combo, the effect list and the built-in preset combos, as item
// lists made from the preset tables and then put into their controls.

#include "effect/preset_lists.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_services.h"
#include "dialog/font_slots.h"
#include "dialog/image_lists.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "effect/builtin_presets.h"
#include "effect/control_ids.h"
#include "effect/preset_folder.h"
#include "effect/preset_groups.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

int32_t gOwnPresetCount;

namespace {
constexpr const char* kComboSeparator = "-----------------------------";
constexpr int32_t kEffectSeparatorDashes = 38;
constexpr int32_t kPresetComboSeparatorDashes = 52;
constexpr int32_t kFirstPresetCombo = 170;
constexpr int32_t kLastPresetCombo = 181;
constexpr int32_t kFirstComboCategory = 3;
constexpr int32_t kShowAllText = 130;  // short text of "Show All"
constexpr int32_t kSmallViewFontSlot = 21;
constexpr int32_t kSmallViewFontHeight = 12;

// Mode bit -> longest name shown.
struct NameLimit {
    int32_t bit, maxChars;
};
constexpr NameLimit kNameLimits[] = {{LIST_MODE_VERY_LARGE, 40},
                                     {LIST_MODE_LARGE, 30},
                                     {LIST_MODE_MEDIUM, 15},
                                     {LIST_MODE_SMALL, 12},
                                     {LIST_MODE_VERY_SMALL, 8}};
constexpr int32_t kEffectSeparatorBefore[] = {7, 11, 17, 24};
// Thumbnail edge per view 0..4; the older styled systems draw a wider item frame.
constexpr int32_t kThumbnailSizes[5] = {210, 138, 100, 63, 44};
constexpr int32_t kThumbnailSizesOlderStyled[5] = {198, 128, 86, 53, 36};

// Combo items of the categories, in combo order; -1 marks a separator.
constexpr int32_t kComboCategories[] = {-2, -1, 0,  1,  2,  -1, 3,  4,  5,  6,  7,  8,  9,
                                        10, 11, 12, 13, 14, -1, 15, 16, 17, 18, 19, 20, 21};
constexpr int32_t kComboItemCount = int32_t(sizeof kComboCategories / sizeof kComboCategories[0]);

const char* PresetName(int32_t n) {
    return gPresetCatalog.presetNames[n];
}

std::string ItemText(const char* name, int32_t category, int32_t mode, bool shorten) {
    std::string text = shorten ? FormatPresetName(name, mode) : std::string(name);
    if (mode & LIST_MODE_CATEGORY_PREFIX)
        text = std::string(gPresetCatalog.categoryNames[category]) + ": " + text;
    return text;
}

void AddCategory(PresetListContent& content, int32_t category, int32_t mode, bool grouped,
                 bool shorten, const std::vector<std::string>& ownNames, bool showAll) {
    const int32_t first = gCategoryStart[category], next = gCategoryStart[category + 1];
    const int32_t group = grouped && showAll ? category : -1;
    if (group >= 0) {
        const int32_t count =
            category == CATEGORY_OWN ? int32_t(ownNames.size()) : next - first - 1;
        char header[128];
        std::snprintf(header, sizeof header, "%s (%d)", gPresetCatalog.categoryNames[category],
                      count);
        content.groups.push_back({header, category});
    }
    const int32_t prefixMode = showAll ? mode : (mode & ~LIST_MODE_CATEGORY_PREFIX);
    if (category == CATEGORY_OWN) {
        content.items.push_back(
            {ItemText(PresetName(first), category, prefixMode, shorten), 0, group});
        for (size_t i = 0; i < ownNames.size(); ++i)
            content.items.push_back({ItemText(ownNames[i].c_str(), category, prefixMode, shorten),
                                     kPresetImageOwnBase + int32_t(i), group});
        return;
    }
    for (int32_t n = first; n < next; ++n)
        content.items.push_back({ItemText(PresetName(n), category, prefixMode, shorten), n, group});
}

// Puts items into an item control one by one (the control's own text holds far fewer than a
// category's presets).
void InsertItems(int32_t control, const std::vector<std::string>& items) {
    SetControlText(control, "");
    // An empty text still leaves one empty line behind in the window.
    if (const ControlRecord* record = UsedControlRecord(control); record && record->window) {
        if (record->controlClass == CONTROL_LISTVIEW)
            SendMessageA(record->window, LVM_DELETEALLITEMS, 0, 0);
        else if (record->controlClass == CONTROL_COMBOBOX)
            SendMessageA(record->window, CB_RESETCONTENT, 0, 0);
    }
    for (size_t i = 0; i < items.size(); ++i)
        InsertControlItem(control, int32_t(i), items[i].c_str());
}

// Whether combo box control holds these items already: the dialog's start puts the same
// items again (the table's, then the language's), and each one costs the combo box's window a
// round trip. Items with "!" escapes are expanded anew.
bool ComboHoldsItems(int32_t control, const std::vector<std::string>& items) {
    if (GetControlClass(control) != CONTROL_COMBOBOX) return false;
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].find('!') != std::string::npos || items[i].find('\n') != std::string::npos)
            return false;
        joined += (i ? "\n" : "") + items[i];
    }
    return !items.empty() && ControlWholeText(control) == joined;
}

// Sets the items of an item control and selects index again (0 when out of range).
void PutItems(int32_t control, const std::vector<std::string>& items, int32_t index) {
    if (!ComboHoldsItems(control, items)) InsertItems(control, items);
    SetControlValue(control, index >= 0 && index < int32_t(items.size()) ? index : 0);
}

bool StylesOnModernSystem() {
    return IsVisualStyleActive() && GetWindowsVersion() >= WINVER_VISTA;
}
}  // namespace

// --- Pure ------------------------------------------------------------------------------------

std::string FormatPresetName(const char* name, int32_t mode) {
    std::string text = name ? name : "";
    for (const NameLimit& limit : kNameLimits) {
        if (!(mode & limit.bit)) continue;
        if (int32_t(text.size()) > limit.maxChars)
            text = text.substr(0, size_t(limit.maxChars)) + "...";
        break;
    }
    return text;
}

int32_t PresetCategoryFromItem(int32_t item) {
    if (item < 0 || item >= kComboItemCount) return -1;
    return kComboCategories[item] >= 0 ? kComboCategories[item] : -1;
}

int32_t PresetItemOfCategory(int32_t category) {
    for (int32_t item = 0; item < kComboItemCount; ++item)
        if (kComboCategories[item] == category && category >= 0) return item;
    return 0;
}

int32_t PresetOfListRow(int32_t category, int32_t row, int32_t ownCount) {
    if (row < 0) return -1;
    if (category > CATEGORY_OWN && category < CATEGORY_COUNT) {
        const int32_t n = gCategoryStart[category] + row;
        return n < gCategoryStart[category + 1] ? n : -1;
    }
    if (row == 0) return 0;
    if (row <= ownCount) return -1;
    const int32_t n = row - ownCount;
    // Category 0 holds only its heading and the files.
    if (category == CATEGORY_OWN) return -1;
    return n < kBuiltinPresetCount ? n : -1;
}

PresetListContent PresetListItems(int32_t category, int32_t mode, bool grouped, bool shorten,
                                  const std::vector<std::string>& ownNames) {
    PresetListContent content;
    if (category >= 0 && category < CATEGORY_COUNT) {
        AddCategory(content, category, mode, false, shorten, ownNames, false);
        return content;
    }
    for (int32_t c = 0; c < CATEGORY_COUNT; ++c)
        AddCategory(content, c, mode, grouped, shorten, ownNames, true);
    return content;
}

std::vector<std::string> CategoryComboItems(const char* showAll) {
    std::vector<std::string> items;
    for (int32_t category : kComboCategories) {
        if (category == -2)
            items.push_back(showAll);
        else if (category == -1)
            items.push_back(kComboSeparator);
        else
            items.push_back(gPresetCatalog.categoryNames[category]);
    }
    return items;
}

std::vector<std::string> EffectListItems(const int32_t inUse[kPresetGroupCount]) {
    std::vector<std::string> items;
    for (int32_t group = 0; group < kPresetGroupCount; ++group) {
        for (int32_t before : kEffectSeparatorBefore)
            if (group == before) items.push_back(std::string(kEffectSeparatorDashes, '-'));
        const char* name = gPresetCatalog.effectNames[group];
        if (!name[0]) continue;
        items.push_back(std::string(name) + (inUse[group] ? " *" : ""));
    }
    return items;
}

std::vector<std::string> BuiltinComboItems(int32_t combo) {
    std::vector<std::string> items;
    if (combo < kFirstPresetCombo || combo > kLastPresetCombo) return items;
    const int32_t category = kFirstComboCategory + combo - kFirstPresetCombo;
    const int32_t first = gCategoryStart[category], next = gCategoryStart[category + 1];
    const int32_t* separators = kCategorySeparators[category];
    int32_t s = 0;
    for (int32_t n = first; n < next; ++n) {
        items.push_back(PresetName(n));
        if (s < kCategorySeparatorMax && separators[s] == n - first && n + 1 < next) {
            items.push_back(std::string(kPresetComboSeparatorDashes, '-'));
            ++s;
        }
    }
    return items;
}

int32_t PresetListView(int32_t mode) {
    for (int32_t view = 0; view < 5; ++view)
        if (mode & kNameLimits[view].bit) return view;
    return -1;
}

int32_t PresetThumbnailSize(int32_t view, bool olderStyled) {
    if (view < 0 || view > 4) view = 2;
    return olderStyled ? kThumbnailSizesOlderStyled[view] : kThumbnailSizes[view];
}

// --- Glue ------------------------------------------------------------------------------------

std::vector<std::string> OwnPresetNames() {
    std::vector<std::string> names;
    if (!GetArrayBase(ARRAY_PRESET_PATHS)) return names;
    const int32_t rows = GetArrayDimension(ARRAY_PRESET_PATHS, 0);
    for (int32_t row = 0; row < rows; ++row) {
        std::string name = GetArrayString(ARRAY_PRESET_PATHS, row);
        const size_t slash = name.find_last_of("\\/");
        if (slash != std::string::npos) name.erase(0, slash + 1);
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) name.erase(dot);
        names.push_back(name);
    }
    return names;
}

int32_t PresetCategoryFromCombo() {
    return PresetCategoryFromItem(GetControlValue(CTL_PRESET_GROUP_FILTER));
}

int32_t SelectedPreset() {
    return PresetOfListRow(PresetCategoryFromCombo(), GetControlValue(CTL_PRESET_LIST),
                           gOwnPresetCount);
}

void FillPresetList(int32_t list) {
    const std::vector<std::string> own = OwnPresetNames();
    gOwnPresetCount = int32_t(own.size());
    const int32_t mode = GetControlValue(CTL_PRESET_MENU);
    const bool modern = StylesOnModernSystem();
    const bool grouped = IsVisualStyleActive() && GetWindowsVersion() >= WINVER_XP;
    const bool shorten =
        !modern && !(mode & (LIST_MODE_CATEGORY_PREFIX | LIST_MODE_VERY_LARGE | LIST_MODE_LARGE));
    const int32_t category = PresetCategoryFromCombo();
    const PresetListContent content = PresetListItems(category, mode, grouped, shorten, own);
    // Hundreds of items: the list is drawn once at the end, not after each of them.
    const ControlRecord* record = UsedControlRecord(list);
    HWND window = record ? record->window : nullptr;
    if (window) SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    std::vector<std::string> texts;
    for (const PresetListItem& item : content.items) texts.push_back(item.text);
    InsertItems(list, texts);
    const int32_t view = PresetListView(mode);
    const bool images = view >= 0 && gImageLists[view] != nullptr;
    if (images) SetListViewImageList(list, view);
    EnableListViewGroups(list, content.groups.empty() ? 0 : 1);
    for (const PresetListGroup& group : content.groups)
        AddListViewGroup(list, group.header.c_str(), group.id);
    for (size_t i = 0; i < content.items.size(); ++i) {
        if (images) SetListViewItemImage(list, int32_t(i), content.items[i].image);
        if (content.items[i].group >= 0)
            SetListViewItemGroup(list, int32_t(i), content.items[i].group);
    }
    if (window) {
        SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window, nullptr, TRUE);
    }
}

void FillCategoryCombo(int32_t combo) {
    const char* showAll = GetArrayBase(ARRAY_SHORT_TEXTS)
                              ? GetArrayString(ARRAY_SHORT_TEXTS, kShowAllText)
                              : "Show All";
    PutItems(combo, CategoryComboItems(showAll), std::max(GetControlValue(combo), 0));
}

void FillEffectList(int32_t combo) {
    MarkGroupsInUse();
    PutItems(combo, EffectListItems(gGroupInUse), GetControlValue(combo));
}

void FillBuiltinPresetCombos(int32_t first) {
    // The label of each combo names its category; the control before the first combo is a
    // text of its own and keeps its text.
    for (int32_t combo = first; combo <= kLastPresetCombo; ++combo) {
        const int32_t category = kFirstComboCategory + combo - kFirstPresetCombo;
        if (category < kFirstComboCategory || category >= CATEGORY_COUNT) continue;
        SetControlLabel(combo, gPresetCatalog.categoryNames[category]);
        PutItems(combo, BuiltinComboItems(combo), std::max(GetControlValue(combo), 0));
    }
}

void ApplyPresetLanguage(int32_t german) {
    PresetCatalogSetLanguage(german);
    FillPresetList(CTL_PRESET_LIST);
    FillCategoryCombo(CTL_PRESET_GROUP_FILTER);
    FillBuiltinPresetCombos(kFirstPresetCombo);
    FillEffectList(CTL_EFFECT_LIST);
}

int32_t SetPresetListFont(int32_t size, int32_t view) {
    (void)size;
    if (view >= 3) {
        CreateFontSlot(kSmallViewFontSlot, kSmallViewFontHeight, 0, 0, "Arial");
        SetControlFont(CTL_PRESET_LIST, kSmallViewFontSlot);
    } else {
        SetControlFont(CTL_PRESET_LIST, -1);
    }
    const bool olderStyled = IsVisualStyleActive() && GetWindowsVersion() >= WINVER_XP &&
                             GetWindowsVersion() < WINVER_VISTA;
    return PresetThumbnailSize(view, olderStyled);
}
