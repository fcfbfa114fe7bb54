// The effect dialog's popup menus and the choices they lead to.

#include "effect/dialog_menus.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/popup_menus.h"
#include "dialog/preview_window.h"
#include "dialog/skin_engine.h"
#include "dialog/window_search.h"
#include "dialog/color_picker.h"
#include "effect/control_event_handler.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/startup_settings.h"
#include "effect/preset_file_dialogs.h"
#include "effect/preset_groups.h"
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
    // Not built yet: items 6..16 (thumbnails, icons, list, sizes, labels) work on the preset
    // list's image lists; until they are in only the preset file items are offered.
    HMENU menu = BuildMenu(kPresetFileMenu, int32_t(std::size(kPresetFileMenu)), 0);
    const int32_t choice = ShowMenuUnder(menu, CTL_PRESET_MENU);
    if (choice > 0) ChoosePresetFileItem(choice);
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
