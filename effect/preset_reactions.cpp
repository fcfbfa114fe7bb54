// Reactions around the presets: choosing one in the preset list or a built-in preset combo,
// the category combo, the list's groups and its menu of the effects in use, the presets menus
// of the sheets, and copying one preview's settings to another from the preview tabs' menu.

#include <windows.h>

#include <commctrl.h>

#include <iterator>
#include <string>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_input.h"
#include "dialog/popup_menus.h"
#include "dialog/filter_dialog.h"
#include "effect/builtin_presets.h"
#include "effect/control_ids.h"
#include "effect/effect_session.h"
#include "effect/effect_pages.h"
#include "effect/preset_file_dialogs.h"
#include "effect/preset_group_states.h"
#include "effect/preset_groups.h"
#include "effect/preset_lists.h"
#include "effect/presets_menu.h"
#include "effect/settings_reaction_parts.h"
#include "effect/settings_rows.h"
#include "effect/session_hooks.h"
#include "host/numbered_arrays.h"

namespace {
constexpr int32_t kPreviewTabCount = 3;
constexpr int32_t kTextCopyToPreview1 = 55;  // 56 and 57 name previews 2 and 3
constexpr int32_t kPresetListGroupCount = 22;
constexpr int32_t kFirstBuiltinCombo = CTL_BUILTIN_COLOR_FILM;
constexpr int32_t kFirstComboCategory = 3;  // combo 170 serves category 3, 171 category 4 ...
constexpr int32_t kCategorySeparatorItems[] = {1, 5, 18};
constexpr int32_t kModeEasy = 0;
constexpr int32_t kItemShowAll = 0;
constexpr int32_t kCollapseButtonEnabled = 3, kCollapseButtonDisabled = 1;

// Ctrl held adds the preset to the current settings. The high bit of the key state is the
// key being down; the low bit only says it was pressed since the last call.
bool CtrlHeld() {
    return (ReadKeyState(VK_CONTROL) & 0x8000) != 0;
}

// A popup menu that is always destroyed.
class PopupMenu {
  public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() { DestroyPopupMenu(menu_); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }

  private:
    HMENU menu_;
};
}  // namespace

void CopySettingsRow(int32_t array, int32_t from, int32_t to) {
    std::vector<int32_t> row(kSettingsRowLength);
    ReadSettingsRow(array, from, row.data());
    WriteSettingsRow(array, to, row.data());
}

int32_t CopySettingsToPreview(const ReactionEvent&) {
    const int32_t current = ValueOf(CTL_PREVIEW_TAB);
    PopupMenu menu;
    for (int32_t k = 0; k < kPreviewTabCount; ++k)
        AddPopupMenuItem(menu.get(), k + 1, ShortText(kTextCopyToPreview1 + k),
                         k == current ? MF_GRAYED : 0, nullptr);
    const int32_t chosen = ShowPopupMenu(menu.get(), 1, 0, 0, 0);
    if (chosen >= 1 && chosen <= kPreviewTabCount && chosen - 1 != current) {
        StoreSettingsRow(ARRAY_SETTINGS_ROWS, current);
        CopySettingsRow(ARRAY_SETTINGS_ROWS, current, chosen - 1);
    }
    return 1;
}

int32_t ToggleAllPresetGroups(const ReactionEvent&) {
    const char* text = GetControlText(CTL_PRESET_COLLAPSE_ALL);
    const bool collapse = text && text[0] == '-' && text[1] == '\0';
    for (int32_t group = 0; group < kPresetListGroupCount; ++group)
        SetListViewGroupState(CTL_PRESET_LIST, group, LVGS_COLLAPSED,
                              collapse ? LVGS_COLLAPSED : 0);
    SetControlText(CTL_PRESET_COLLAPSE_ALL, collapse ? "+" : "-");
    RepaintByHiding(CTL_PRESET_LIST);
    return 0;
}

int32_t FocusPresetList(const ReactionEvent&) {
    // A list dropped over the preset list keeps the keyboard.
    for (int32_t combo : {CTL_PRESET_GROUP_FILTER, CTL_SKIN, CTL_MODE})
        if (IsComboDroppedDown(combo)) return 0;
    SetControlFocus(CTL_PRESET_LIST);
    return 0;
}

int32_t CountDashItemsAbove(int32_t n, int32_t item) {
    int32_t count = 0;
    for (int32_t i = 0; i < item; ++i) count += IsDashItem(n, i) ? 1 : 0;
    return count;
}

int32_t ChooseListPreset(const ReactionEvent&) {
    const int32_t row = ValueOf(CTL_PRESET_LIST);
    if (row < 0) return 1;
    const int32_t combine = CtrlHeld() || ValueOf(CTL_PRESET_COMBINE) ? 1 : 0;
    const int32_t preset = SelectedPreset();
    if (preset < 0) {
        // A preset file of the user: the file's own failure message, and no render then.
        OpenPresetFile(GetArrayString(ARRAY_PRESET_PATHS, row - 1), combine);
        return 0;
    }
    ApplyBuiltinPreset(preset, combine);
    const std::string path = gEffectSession.presetFolder + gPresetCatalog.presetNames[preset];
    RememberLastPreset(path.c_str());
    return 0;
}

int32_t ChooseCategory(const ReactionEvent& event) {
    const int32_t value =
        SkipSeparatorItems(CTL_PRESET_GROUP_FILTER, event.previous, kCategorySeparatorItems,
                           int32_t(std::size(kCategorySeparatorItems)));
    if (event.previous == kItemShowAll && value != kItemShowAll) SavePresetGroupStates();
    FillPresetList(CTL_PRESET_LIST);
    SetControlState(CTL_PRESET_COLLAPSE_ALL,
                    value == kItemShowAll ? kCollapseButtonEnabled : kCollapseButtonDisabled);
    return 1;
}

int32_t ChooseBuiltinCombo(const ReactionEvent& event) {
    const int32_t combo = event.control;
    const int32_t item = SkipDashItems(combo, event.previous);
    const int32_t category = kFirstComboCategory + (combo - kFirstBuiltinCombo);
    ApplyBuiltinPreset(gCategoryStart[category] + item - CountDashItemsAbove(combo, item), 1);
    return 0;
}

int32_t OpenSheetPresetsMenu(const ReactionEvent& event) {
    FilmPresetMenu(event.control);
    return 0;
}

int32_t ShowGroupsInUseMenu(const ReactionEvent&) {
    if (MarkGroupsInUse() == 0) return 1;
    PopupMenu menu;
    int32_t items = 0;
    for (int32_t group = 0; group < kPresetGroupCount; ++group) {
        if (!gGroupInUse[group]) continue;
        const std::string name = std::string(gPresetCatalog.effectNames[group]) + "...";
        AddPopupMenuItem(menu.get(), group + 1, name.c_str(), 0, nullptr);
        ++items;
    }
    if (items == 0) return 0;
    const int32_t chosen = ShowPopupMenu(menu.get(), 1, 0, 0, 0);
    if (chosen >= 1 && chosen <= kPresetGroupCount) {
        PumpDialogMessages();
        GoToPage(chosen - 1, 1);
    }
    return 0;
}
