// The effect dialog's popup menus and the choices they lead to.

#include "effect/dialog_menus.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/popup_menus.h"
#include "dialog/preview_window.h"
#include "dialog/skin_engine.h"
#include "dialog/visual_styles.h"
#include "dialog/window_search.h"
#include "dialog/color_picker.h"
#include "effect/control_event_handler.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/effect_session.h"
#include "effect/startup_settings.h"
#include "effect/preset_file_dialogs.h"
#include "effect/preset_group_states.h"
#include "effect/preset_groups.h"
#include "effect/preset_lists.h"
#include "effect/preset_thumbnails.h"
#include "effect/presets_menu.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"

namespace {

constexpr int32_t kShowSeparatorsBefore[] = {7, 11, 18, 24};
constexpr int32_t kOptionsMenuDelayMs = 100;
constexpr char kProductPage[] = "https://www.quillmoor.com/greyloom";

// Separators before group g in the Show menu.
int32_t SeparatorsBefore(int32_t group) {
    int32_t count = 0;
    for (int32_t first : kShowSeparatorsBefore) count += group >= first ? 1 : 0;
    return count;
}

bool IsShowSeparator(int32_t choice) {
    for (int32_t first : kShowSeparatorsBefore)
        if (choice == ShowMenuItemOfGroup(first) - 1) return true;
    return false;
}

// The name of a preset group as the effect list shows its page.
std::string GroupName(int32_t group) {
    char text[256] = "";
    if (PresetGroupIsEmpty(group)) return {};
    GetControlItemText(CTL_EFFECT_LIST, MapListIndex(group, LIST_FROM_PAGE), text, sizeof text);
    return text;
}

// --- Menu bar ----------------------------------------------------------------------------------

HMENU BuildShowMenu() {
    MarkGroupsInUse();
    HMENU menu = CreatePopupMenu();
    for (int32_t group = 0; group < kShowMenuGroupCount; ++group) {
        const int32_t item = ShowMenuItemOfGroup(group);
        if (group > 0 && SeparatorsBefore(group) > SeparatorsBefore(group - 1))
            AppendMenuA(menu, MF_SEPARATOR, UINT(item - 1), nullptr);
        const std::string name = GroupName(group);
        if (name.empty()) continue;
        AppendMenuA(menu, MF_STRING | (gGroupInUse[group] ? MF_CHECKED : 0), UINT(item),
                    name.c_str());
    }
    return menu;
}

HMENU BuildDisableMenu() {
    HMENU menu = CreatePopupMenu();
    int32_t items = 0;
    if (MarkGroupsInUse() > 0)
        for (int32_t group = 0; group < kPresetGroupCount; ++group) {
            const std::string name = GroupName(group);
            if (!gGroupInUse[group] || name.empty()) continue;
            AppendMenuA(menu, MF_STRING | MF_CHECKED, UINT(group + 1), name.c_str());
            ++items;
        }
    if (items == 0)
        AppendMenuA(menu, MF_STRING | MF_GRAYED, 1, ShortText(65, "No effect is active"));
    return menu;
}

constexpr MenuEntry kHelpMenu[] = {
    {1, 66, "HTML Manual..."},  {2, 67, "PDF Manual..."}, {3, -1, nullptr},
    {4, 68, "Product Page..."}, {5, -1, nullptr},         {6, 69, "About..."},
};

constexpr MenuEntry kPresetFileMenu[] = {
    {1, 154, "Open Preset..."},
    {2, 155, "Save Preset..."},
    {3, 160, "Save Preset As..."},
    {4, 75, "Reset Preset Folder"},
};

// Items 1..4, in menu order; each preset dialog does its own re-render or list refill.
constexpr void (*kPresetFileActions[])() = {
    [] { LoadPresetDialog(); },
    [] { SavePresetInPresetFolder(); },
    [] { SavePresetAsDialog(); },
    ResetPresetDialogFolders,
};

void ChoosePresetFileItem(int32_t choice) {
    if (ApplyPresetMenuChoice(choice)) return;
    if (choice >= 1 && choice <= int32_t(std::size(kPresetFileActions)))
        kPresetFileActions[choice - 1]();
}

void ChooseHelpItem(int32_t choice) {
    switch (choice) {
        case 1:
            FireControlEvent(CTL_MANUAL, EVENT_CLICKED, 0);
            break;
        case 2:
            FireControlEvent(CTL_MANUAL, EVENT_CLICKED, kMarkerPdfManual);
            break;
        case 4:
            ShellExecuteFile("open", kProductPage, nullptr, SW_SHOWNORMAL);
            break;
        case 6:
            RunControlAction(RUN_ACTION_ABOUT);
            break;
    }
}

struct MenuBarButton {
    HMENU (*build)();
    void (*choose)(int32_t choice);
};
constexpr MenuBarButton kMenuBarButtons[] = {
    {[] {
         HMENU menu = BuildMenu(kPresetFileMenu, int32_t(std::size(kPresetFileMenu)), 0);
         AddPresetCategorySubmenus(menu, int32_t(std::size(kPresetFileMenu)) + 1);
         return menu;
     },
     ChoosePresetFileItem},
    {BuildShowMenu,
     [](int32_t choice) {
         const int32_t page = ShowMenuPage(choice);
         if (page >= 0) GoToPage(page, 1);
     }},
    {BuildDisableMenu, [](int32_t choice) { DisableEffectGroup(choice - 1); }},
    {[] { return BuildMenu(kHelpMenu, int32_t(std::size(kHelpMenu)), 0); }, ChooseHelpItem},
};

// --- Preview colour and Reset ----------------------------------------------------------------

constexpr MenuEntry kPreviewColorMenu[] = {
    {1, -2, "Reset Color"}, {2, -1, nullptr},    {3, -2, "Black"},
    {4, -2, "Dark Gray"},   {5, -2, "Mid Gray"}, {6, -2, "Light Gray"},
    {7, -2, "White"},       {8, -1, nullptr},    {9, -2, "Choose Color"},
};

int32_t PreviewColorOf(int32_t choice) {
    switch (choice) {
        case 1:
            return IsSkinActive() && gParams && gParams->skinIndex > 0
                       ? GetControlColor(CTL_PREVIEW)
                       : int32_t(GetDialogColor());
        case 3:
            return 0;
        case 4:
            return int32_t(RGB(64, 64, 64));
        case 5:
            return int32_t(RGB(128, 128, 128));
        case 6:
            return int32_t(RGB(192, 192, 192));
        case 7:
            return 0xFFFFFF;
        case 9: {
            const uint32_t current = uint32_t(ValueOf(CTL_SKIN_COLOR));
            if (ValueOf(CTL_HOST_COLOR_DIALOG) == 0)
                return PickColorWithPreview(CTL_SKIN_COLOR, current, -1, ValueOf(CTL_LANGUAGE));
            return PickColor(current, "%s", ShortText(153, "Please choose a color:"));
        }
    }
    return -1;
}

constexpr MenuEntry kResetMenu[] = {
    {1, 139, "Default Settings"},
    {2, 140, "Previous Settings"},
    {3, 141, "Own Defaults"},
    {4, 142, "Logged Settings"},
    {5, -1, nullptr},
    {6, 143, "Define Own Defaults"},
};

// --- The preset list's views ---------------------------------------------------------------

constexpr MenuEntry kPresetListMenu[] = {
    {1, 154, "Open Preset..."},
    {2, 155, "Save Preset..."},
    {3, 160, "Save Preset As..."},
    {4, 75, "Reset Preset Folder"},
    {5, -1, nullptr},
    {VIEW_ITEM_THUMBNAILS, 161, "Thumbnails"},
    {VIEW_ITEM_ICONS, 162, "Icons"},
    {VIEW_ITEM_LIST, 163, "List"},
    {9, -1, nullptr},
    {VIEW_ITEM_FIRST_SIZE, 164, "Very Large Thumbs"},
    {11, 165, "Large Thumbs"},
    {12, 166, "Medium Thumbs"},
    {13, 167, "Small Thumbs"},
    {VIEW_ITEM_LAST_SIZE, 168, "Very Small Thumbs"},
    {15, -1, nullptr},
    {VIEW_ITEM_LABELS, 169, "Labels"},
};

constexpr int32_t kSizeCount = 5;
constexpr int32_t kIconsSizeAtLoad = 4;  // icons start as the smallest pictures
constexpr uint32_t kHideLabelsStyle = 0x20000;
constexpr uint32_t kListStyle = 1;  // the list view's report style
constexpr int32_t kListScrollPx = 30;

// The size each thumbnail mode showed last, so that thumbnails and icons each come back at
// their own size. Written only by the view menu's choices; -1 until the mode was left once.
int32_t gModeSizes[2] = {-1, kIconsSizeAtLoad};

int32_t SizeOfBits(int32_t bits) {
    for (int32_t k = 0; k < kSizeCount; ++k)
        if (bits & (VIEW_BIT_FIRST_SIZE << k)) return k;
    return -1;
}

HWND PresetListWindow() {
    const ControlRecord* record = UsedControlRecord(CTL_PRESET_LIST);
    return record ? record->window : nullptr;
}

// Re-fills keep the list's scroll position: the first visible item is remembered before and
// brought back into view after.
void RememberTopItem() {
    gEffectSession.presetListTopItem = GetControlTopItem(CTL_PRESET_LIST);
}

void ScrollTopItemIntoView() {
    if (gEffectSession.presetListTopItem >= 0)
        ScrollToControlItem(CTL_PRESET_LIST, gEffectSession.presetListTopItem);
}

void ScrollListWithoutStyles() {
    if (HWND list = PresetListWindow()) SendMessageA(list, LVM_SCROLL, kListScrollPx, 0);
}

void ShowPictures(int32_t item) {
    int32_t bits = ValueOf(CTL_PRESET_MENU);
    const int32_t leaving = PresetThumbnailMode(bits);
    const bool wasList = (bits & VIEW_BIT_LIST) != 0;
    if (!wasList) gModeSizes[leaving] = SizeOfBits(bits);
    SetControlState(CTL_PRESET_PANEL_TOGGLE, CTLSTATE_FULL);
    if (wasList) RemoveControlStyle(CTL_PRESET_LIST, kListStyle);
    bits = PresetViewBitsAfter(bits, item);
    const int32_t size = gModeSizes[PresetThumbnailMode(bits)];
    if (size >= 0) bits = PresetViewBitsAfter(bits, VIEW_ITEM_FIRST_SIZE + size);
    SetControlValue(CTL_PRESET_MENU, bits);
    ShowPresetThumbnails(0);
    if (!IsVisualStyleActive()) {
        FireControlEvent(CTL_PRESET_GROUP_FILTER, EVENT_CLICKED, 0);
        ScrollListWithoutStyles();
    }
    if (!(bits & VIEW_BIT_LABELS)) SetListViewExStyle(CTL_PRESET_LIST, kHideLabelsStyle);
}

void ShowPlainList() {
    int32_t bits = ValueOf(CTL_PRESET_MENU);
    if (!(bits & VIEW_BIT_LIST)) gModeSizes[PresetThumbnailMode(bits)] = SizeOfBits(bits);
    SetControlState(CTL_PRESET_PANEL_TOGGLE, 0);
    if (ValueOf(CTL_PRESET_PANEL_TOGGLE)) {
        SetControlValue(CTL_PRESET_PANEL_TOGGLE, 0);
        FireControlEvent(CTL_PRESET_PANEL_TOGGLE, EVENT_CLICKED, kMarkerApplyState);
    }
    SetControlFont(CTL_PRESET_LIST, -1);
    if (!(bits & VIEW_BIT_LABELS)) ClearListViewExStyle(CTL_PRESET_LIST, kHideLabelsStyle);
    AddControlStyle(CTL_PRESET_LIST, kListStyle);
    bits = PresetViewBitsAfter(bits, VIEW_ITEM_LIST);
    SetControlValue(CTL_PRESET_MENU, bits);
    // Names now carry their category: the list is filled again for them.
    FillPresetList(CTL_PRESET_LIST);
}

void ShowSize(int32_t item) {
    const int32_t bits = PresetViewBitsAfter(ValueOf(CTL_PRESET_MENU), item);
    SetControlValue(CTL_PRESET_MENU, bits);
    gModeSizes[PresetThumbnailMode(bits)] = item - VIEW_ITEM_FIRST_SIZE;
    ShowPresetThumbnails(0);
}

void ToggleLabels() {
    const int32_t bits = PresetViewBitsAfter(ValueOf(CTL_PRESET_MENU), VIEW_ITEM_LABELS);
    if (bits & VIEW_BIT_LABELS) {
        ClearListViewExStyle(CTL_PRESET_LIST, kHideLabelsStyle);
        SetControlItemSize(CTL_PRESET_LIST, -1, -1, 1);
    } else {
        SetListViewExStyle(CTL_PRESET_LIST, kHideLabelsStyle);
        SetControlItemSize(CTL_PRESET_LIST, -1, -1, 0);
    }
    SetControlValue(CTL_PRESET_MENU, bits);
}

void ChoosePresetView(int32_t item) {
    RememberTopItem();
    if (item == VIEW_ITEM_THUMBNAILS || item == VIEW_ITEM_ICONS)
        ShowPictures(item);
    else if (item == VIEW_ITEM_LIST)
        ShowPlainList();
    else if (item >= VIEW_ITEM_FIRST_SIZE && item <= VIEW_ITEM_LAST_SIZE)
        ShowSize(item);
    else if (item == VIEW_ITEM_LABELS)
        ToggleLabels();
    else
        return;
    ScrollTopItemIntoView();
}

}  // namespace

int32_t ShowMenuItemOfGroup(int32_t group) {
    return group + 1 + SeparatorsBefore(group);
}

int32_t ShowMenuPage(int32_t choice) {
    if (choice < 1 || choice > ShowMenuItemOfGroup(kShowMenuGroupCount - 1) ||
        IsShowSeparator(choice))
        return -1;
    if (choice <= 8) return choice - 1;
    if (choice <= 13) return choice - 2;
    if (choice <= 21) return choice - 3;
    if (choice <= 28) return choice - 4;
    return choice - 5;
}

int32_t PresetViewBitsAfter(int32_t bits, int32_t item) {
    switch (item) {
        case VIEW_ITEM_THUMBNAILS:
            return (bits & ~(VIEW_BIT_ICONS | VIEW_BIT_LIST)) | VIEW_BIT_THUMBNAILS;
        case VIEW_ITEM_ICONS:
            return (bits & ~(VIEW_BIT_THUMBNAILS | VIEW_BIT_LIST)) | VIEW_BIT_ICONS;
        case VIEW_ITEM_LIST:
            return (bits & ~(VIEW_BIT_THUMBNAILS | VIEW_BIT_ICONS)) | VIEW_BIT_LIST;
        case VIEW_ITEM_LABELS:
            return bits ^ VIEW_BIT_LABELS;
    }
    if (item >= VIEW_ITEM_FIRST_SIZE && item <= VIEW_ITEM_LAST_SIZE)
        return (bits & ~VIEW_BIT_SIZES) | (VIEW_BIT_FIRST_SIZE << (item - VIEW_ITEM_FIRST_SIZE));
    return bits;
}

PresetViewItemState PresetViewItemStateFor(int32_t bits, int32_t item, bool visualStyles) {
    const bool pictures = (bits & (VIEW_BIT_THUMBNAILS | VIEW_BIT_ICONS)) != 0;
    switch (item) {
        case VIEW_ITEM_THUMBNAILS:
            return {(bits & VIEW_BIT_THUMBNAILS) != 0, true};
        case VIEW_ITEM_ICONS:
            return {(bits & VIEW_BIT_ICONS) != 0, true};
        case VIEW_ITEM_LIST:
            return {(bits & VIEW_BIT_LIST) != 0, true};
        case VIEW_ITEM_LABELS:
            return {(bits & VIEW_BIT_LABELS) != 0, visualStyles && !(bits & VIEW_BIT_LIST)};
    }
    if (item >= VIEW_ITEM_FIRST_SIZE && item <= VIEW_ITEM_LAST_SIZE)
        return {(bits & (VIEW_BIT_FIRST_SIZE << (item - VIEW_ITEM_FIRST_SIZE))) != 0, pictures};
    return {false, true};
}

int32_t PresetThumbnailMode(int32_t bits) {
    return (bits & VIEW_BIT_THUMBNAILS) ? 0 : 1;
}

HMENU BuildMenu(const MenuEntry* entries, int32_t count, int32_t checkedId,
                bool (*keep)(int32_t id)) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    bool lastWasSeparator = true;  // no separator at the top or twice in a row
    for (int32_t i = 0; i < count; ++i) {
        const MenuEntry& entry = entries[i];
        if (keep && !keep(entry.id)) continue;
        if (entry.shortTextId == -1) {
            if (!lastWasSeparator) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            lastWasSeparator = true;
            continue;
        }
        const char* text =
            entry.shortTextId >= 0 ? ShortText(entry.shortTextId, entry.english) : entry.english;
        AppendMenuA(menu, MF_STRING | (entry.id == checkedId ? MF_CHECKED : 0), UINT(entry.id),
                    text);
        lastWasSeparator = false;
    }
    return menu;
}

int32_t ShowMenuUnder(HMENU menu, int32_t n) {
    if (!menu) return 0;
    const int32_t choice = ShowPopupMenu(menu, 0, GetControlCoord(n, 0) + 2,
                                         GetControlCoord(n, 1) + GetControlCoord(n, 3) + 2, 0);
    DestroyPopupMenu(menu);
    return choice;
}

bool OptionsMenuWanted(int32_t previous) {
    if (previous == kMarkerSilentTool) return false;
    Sleep(kOptionsMenuDelayMs);
    return IsKeyHeld(VK_LBUTTON);
}

int32_t ShowMenuBarMenu() {
    const int32_t button = ValueOf(CTL_MENU_BAR);
    if (button < 0 || button >= int32_t(std::size(kMenuBarButtons))) return 0;
    HMENU menu = kMenuBarButtons[button].build();
    if (!menu) return 0;
    const int32_t x =
        2 + GetToolbarItemCoord(CTL_MENU_BAR, button, 0) + GetControlCoord(CTL_MENU_BAR, 0);
    const int32_t y = GetControlCoord(CTL_MENU_BAR, 1) + 1 + GetControlCoord(CTL_MENU_BAR, 3) + 2;
    SetToolbarMenuHook(CTL_MENU_BAR);
    const int32_t choice = ShowPopupMenu(menu, 0, x, y, 0);
    RemoveDialogMessageHook();
    DestroyPopupMenu(menu);
    if (choice > 0) kMenuBarButtons[button].choose(choice);
    PressToolbarHotItem(CTL_MENU_BAR);
    return 0;
}

int32_t ShowPresetListMenu() {
    const int32_t bits = ValueOf(CTL_PRESET_MENU);
    HMENU menu = BuildMenu(kPresetListMenu, int32_t(std::size(kPresetListMenu)), 0);
    if (!menu) return 1;
    const bool styles = IsVisualStyleActive();
    for (const MenuEntry& entry : kPresetListMenu) {
        if (entry.id < VIEW_ITEM_THUMBNAILS) continue;
        const PresetViewItemState state = PresetViewItemStateFor(bits, entry.id, styles);
        CheckMenuItem(menu, UINT(entry.id), MF_BYCOMMAND | (state.checked ? MF_CHECKED : 0));
        EnableMenuItem(menu, UINT(entry.id), MF_BYCOMMAND | (state.enabled ? 0 : MF_GRAYED));
    }
    const int32_t choice = ShowMenuUnder(menu, CTL_PRESET_MENU);
    SavePresetGroupStates();
    if (choice >= 1 && choice <= int32_t(std::size(kPresetFileMenu)))
        ChoosePresetFileItem(choice);
    else if (choice >= VIEW_ITEM_THUMBNAILS)
        ChoosePresetView(choice);
    return 1;
}

int32_t ShowPreviewColorMenu() {
    HMENU menu = BuildMenu(kPreviewColorMenu, int32_t(std::size(kPreviewColorMenu)), 0);
    const int32_t choice = ShowPopupMenu(menu, 1, 0, 0, 0);
    DestroyPopupMenu(menu);
    if (choice <= 0) return 1;
    const int32_t color = PreviewColorOf(choice);
    if (color == -1) return 1;
    SetControlValue(CTL_SKIN_COLOR, color);
    SetControlColor(CTL_SKIN_COLOR, color);
    SetControlColor(CTL_PREVIEW, color);
    if (ValueOf(CTL_MAIN_TAB) == 1) FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
    return 0;
}

// The title the dialog had when it was built: a reset drops any preset name shown in it.
constexpr const char* kResetDialogTitle = "Greyloom 2.0";

int32_t ShowResetMenu() {
    HMENU menu = BuildMenu(kResetMenu, int32_t(std::size(kResetMenu)), ValueOf(CTL_RESET_MENU) + 1);
    const int32_t choice = ShowPopupMenu(
        menu, 0, GetControlCoord(CTL_RESET_MENU, 0) + GetControlCoord(CTL_RESET_MENU, 2) + 2,
        GetControlCoord(CTL_RESET_MENU, 1) + GetControlCoord(CTL_RESET_MENU, 3) + 2, 0);
    DestroyPopupMenu(menu);
    if (choice >= 1 && choice <= 4) {
        SetDialogTitle(kResetDialogTitle);
        ApplyStartupSettings(choice - 1, 0, 0);
        SetControlValue(CTL_RESET_MENU, choice - 1);
        RunControlAction(ACTION_PREVIEW);
    } else if (choice == 6) {
        ApplyStartupSettings(STARTUP_OWN, 1, 0);
        RunControlAction(ACTION_PREVIEW);
    }
    return 1;
}

int32_t ShowPreviewContextMenu() {
    const int32_t x = GetMousePosOverControl(CTL_PREVIEW, 0);
    const int32_t y = GetMousePosOverControl(CTL_PREVIEW, 1);
    if (x < 0 || y < 0 || x >= gContext.X || y >= gContext.Y)
        FireControlEvent(CTL_SKIN_COLOR, EVENT_CLICKED, 0);
    return 0;
}
