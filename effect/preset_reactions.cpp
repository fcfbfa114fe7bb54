// Reactions around the preset list and the settings sets: copying one preview's settings to
// another from the preview tabs' menu, collapsing the list's groups, and the list taking the
// keyboard when the mouse comes over it.

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_input.h"
#include "dialog/popup_menus.h"
#include "effect/control_ids.h"
#include "effect/settings_reaction_parts.h"
#include "effect/settings_rows.h"
#include "effect/session_hooks.h"
#include "host/numbered_arrays.h"

namespace {
constexpr int32_t kPreviewTabCount = 3;
constexpr int32_t kTextCopyToPreview1 = 55;  // 56 and 57 name previews 2 and 3
constexpr int32_t kPresetListGroupCount = 22;

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
