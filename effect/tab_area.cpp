// The right-hand column's layout: the main tab's height, the side tab under it, the preset
// list beside the preview and the effect panel that borrows a page's controls.

#include "effect/tab_area.h"

#include <windows.h>

#include <algorithm>
#include <vector>
#include <commctrl.h>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_images.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/skin_engine.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "effect/builtin_presets.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/preset_groups.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"

namespace {
constexpr int32_t kSheetPresets = 0;
constexpr int32_t kSheetFx1 = 1;
constexpr int32_t kSideHelp = 0;
constexpr int32_t kSideNavigator = 1;
constexpr int32_t kSideHisto = 2;
constexpr int32_t kMaskGroup = 25;
constexpr int32_t kNoPanel = -2;
constexpr int32_t kIntensityOnly = -1;
constexpr int32_t kAfterResize = 0xEEEE;
constexpr int32_t kZoomFit = 26;
constexpr int32_t kActionPreview = 3;
constexpr int32_t kImageOption = 66;
constexpr int32_t kWindowsVista = 11;
constexpr int32_t kListScrollPx = 30;
constexpr int32_t kPresetItemSizePx = 100;  // the preset list's thumbnails at load
constexpr int32_t kComboShownHeight = 15;   // a combo box's stored height is its drop-down's
constexpr int32_t kPanelAnchor = ANCHOR_RIGHT | ANCHOR_BOTTOM;
constexpr int32_t kHomeAnchor = ANCHOR_RIGHT | ANCHOR_TOP;
constexpr int32_t kNoTop = 100000;
constexpr int32_t kAreaGap = 5;  // dialog units between the main tab and the side tab
constexpr int32_t kMainAreaTabs[] = {CTL_MAIN_TAB, 348, 352, 353, 354, 355, 356, 370};
constexpr int32_t kMainAreaRanges[][2] = {{170, 182}, {189, 200}, {219, 226}, {360, 360}};
constexpr int32_t kSelectSheet = 2;
constexpr int32_t kSheetMain = 3;
constexpr int32_t kSelectPagesHueRange = 3;

int32_t X(int32_t n) {
    return GetControlCoord(n, 0);
}
int32_t Y(int32_t n) {
    return GetControlCoord(n, 1);
}
int32_t W(int32_t n) {
    return GetControlCoord(n, 2);
}
int32_t H(int32_t n) {
    return GetControlCoord(n, 3);
}

HWND ListWindow() {
    const ControlRecord* record = UsedControlRecord(CTL_PRESET_LIST);
    return record ? record->window : nullptr;
}

// The controls the side tab carries, with the tab and its move button.
template <typename Visit>
void ForSideTabControls(Visit visit) {
    visit(CTL_SIDE_TAB);
    visit(CTL_SIDE_TAB_MOVE);
    for (int32_t n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (record && record->tab == CTL_SIDE_TAB) visit(n);
    }
}

void MoveSideTab(int32_t shift, bool presetsSheet) {
    const int32_t anchor = presetsSheet ? (ANCHOR_RIGHT | ANCHOR_BOTTOM) : ANCHOR_RIGHT;
    ForSideTabControls([&](int32_t n) {
        SetControlPosition(n, -1, Y(n) + shift, -1, -1);
        SetControlAnchor(n, anchor);
    });
}

// The navigator or the histogram shows under the tab again after the move.
void RedrawSideSheet() {
    const int32_t side = GetControlValue(CTL_SIDE_TAB);
    if (side == kSideNavigator) FireControlEvent(CTL_NAVIGATOR, EVENT_DRAW_ITEM, 0);
    if (side == kSideHisto) {
        SetControlColor(CTL_HISTOGRAM, GetControlColor(CTL_MAIN_TAB));
        FireControlEvent(CTL_HISTOGRAM, EVENT_DRAW_ITEM, 0);
    }
}

bool IsCombo(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record && record->controlClass == CONTROL_COMBOBOX;
}

// Where a control lives when no page borrows it.
int32_t HomeY(int32_t n) {
    const int32_t y = GetControlAltPosition(n, 1);
    return y >= 0 ? y : Y(n);
}

int32_t ShownBottom(int32_t n) {
    return HomeY(n) + (IsCombo(n) ? kComboShownHeight : H(n));
}

// The page's panel controls (the first of its group), or the main intensity alone.
int32_t PanelControls(int32_t page, const int32_t** controls) {
    static const int32_t kIntensity[] = {CTL_FADE_INTENSITY};
    if (page < 0) {
        *controls = kIntensity;
        return 1;
    }
    *controls = kPresetGroups[page].controls;
    return PanelControlCount(page);
}

void PanelExtent(int32_t page, int32_t* top, int32_t* bottom) {
    const int32_t* controls = nullptr;
    const int32_t count = PanelControls(page, &controls);
    *top = kNoTop;
    *bottom = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (!UsedControlRecord(controls[i])) continue;
        *top = std::min(*top, HomeY(controls[i]));
        *bottom = std::max(*bottom, ShownBottom(controls[i]));
    }
}

int32_t PanelPageOf(int32_t preset) {
    BuiltinBlock blocks[kBuiltinBlockMax];
    if (preset < 0 || BuiltinPresetBlocks(preset, blocks) != 1) return kIntensityOnly;
    return blocks[0].group == kMaskGroup ? kIntensityOnly : blocks[0].group;
}

// The main area: the main tab, what stands on its sheets or on the sheets of the page
// selectors, and the preset combos, their "More..." texts and the selective swatches that
// stand there without a sheet.
bool InMainArea(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return false;
    if (n == CTL_MAIN_TAB) return true;
    for (int32_t tab : kMainAreaTabs)
        if (record->tab == tab) return true;
    for (const auto& range : kMainAreaRanges)
        if (n >= range[0] && n <= range[1]) return true;
    return false;
}

// Quick Edit takes these off their sheets and places them in the main area itself.
constexpr int32_t kQuickEditPlaced[] = {20, 25, 26, 27, 132, 34, 82, 57, 83, CTL_SELECT_PAGES};
constexpr int32_t kModeQuickEdit = 1;

// Older list views lose their layout when resized: shown anew, refilled and scrolled once.
void RefreshOldListView() {
    if (IsVisualStyleActive() && GetWindowsVersion() >= kWindowsVista) return;
    const int32_t state = GetControlState(CTL_PRESET_LIST);
    SetControlState(CTL_PRESET_LIST, 0);
    SetControlState(CTL_PRESET_LIST, state);
    FireControlEvent(CTL_PRESET_GROUP_FILTER, EVENT_CLICKED, 0);
    if (HWND list = ListWindow()) SendMessageA(list, LVM_SCROLL, kListScrollPx, 0);
}
}  // namespace

int32_t MainTabHeight(const TabAreaPlaces& places, bool presetsSheet, bool sideTabMoved) {
    if (!presetsSheet) return places.exposureY + places.exposureHeight - places.mainY + 5;
    if (sideTabMoved) return places.okY - places.mainY - 5;
    return places.okY - places.sideHeight - places.mainY - 8;
}

TabAreaShifts TabAreaShiftsFor(int32_t mainY, int32_t mainHeight, int32_t sideY, int32_t sideHeight,
                               bool sideAbove) {
    const int32_t top = std::min(mainY, sideY);
    if (sideAbove) return {top + sideHeight + kAreaGap - mainY, top - sideY};
    return {top - mainY, top + mainHeight + kAreaGap - sideY};
}

void LayoutTabArea(int32_t relayout, int32_t flag) {
    const bool presetsSheet = GetControlValue(CTL_MAIN_TAB) == kSheetPresets;
    const bool sideMoved = GetControlValue(CTL_SIDE_TAB_MOVE) != 0;
    const TabAreaPlaces places = {Y(CTL_MAIN_TAB), Y(CTL_OK), H(CTL_SIDE_TAB), Y(CTL_TONE_EXPOSURE),
                                  H(CTL_TONE_EXPOSURE)};
    if (presetsSheet || flag == 0)
        SetControlPosition(CTL_MAIN_TAB, -1, -1, -1,
                           MainTabHeight(places, presetsSheet, sideMoved));
    if (relayout) {
        if (sideMoved) {
            ForSideTabControls([](int32_t n) { SetControlAnchor(n, ANCHOR_RIGHT); });
        } else {
            const int32_t shift = Y(CTL_MAIN_TAB) + H(CTL_MAIN_TAB) + 5 - Y(CTL_SIDE_TAB);
            if (shift != 0) MoveSideTab(shift, presetsSheet);
            if (presetsSheet || flag == 0) {
                RefreshControl(CTL_SIDE_TAB, 0);
                RefreshControl(CTL_SIDE_TAB_MOVE, 0);
            }
            RedrawSideSheet();
            if (GetControlValue(CTL_MAIN_TAB) == kSheetFx1)
                FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
        }
    }
    if (GetControlValue(CTL_SIDE_TAB) == kSideHelp) {
        RefreshControl(CTL_HELP_TEXT, 0);
        RefreshControl(CTL_HELP_UPDATE, 0);
    }
}

void TogglePresetPanel(int32_t expand, int32_t flag) {
    HWND list = ListWindow();
    const int32_t topItem = list ? int32_t(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)) : 0;
    if (expand == 1) {
        const int32_t width = GetDialogClientWidth() / 2 - 16;
        const int32_t grow = width - W(CTL_PRESET_LIST);
        SetControlPosition(CTL_PREVIEW, -1, -1, W(CTL_PREVIEW) - grow, -1);
        SetControlPosition(CTL_PRESET_LIST, X(CTL_PRESET_LIST) - grow, -1, width, -1);
        KeepPreviewFrame(1);
        SetControlImage(CTL_PRESET_PANEL_TOGGLE, "arrow_right.bmp", kImageOption);
    } else {
        SetControlPosition(CTL_PRESET_LIST, X(CTL_MAIN_TAB) + 4, -1, W(CTL_MAIN_TAB) - 9, -1);
        SetControlPosition(CTL_PREVIEW, -1, -1, X(CTL_MAIN_TAB) - X(CTL_PREVIEW) - 8, -1);
        KeepPreviewFrame(0);
        SetControlImage(CTL_PRESET_PANEL_TOGGLE, "arrow_left.bmp", kImageOption);
        if (IsSkinActive() && gParams && gParams->skinIndex > 0) RedrawDialog();
    }
    if (GetListViewView(CTL_PRESET_LIST) == 0 && list) {
        PumpDialogMessages();
        SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(topItem), FALSE);
    }
    RefreshOldListView();
    if (flag == kAfterResize) return;
    PumpDialogMessages();
    if (GetControlValue(CTL_ZOOM) == kZoomFit)
        FireControlEvent(CTL_ZOOM, EVENT_CLICKED, 0);
    else if (GetControlValue(CTL_PRESET_PANEL_TOGGLE) != 1)
        RunControlAction(kActionPreview);
    RefreshControl(CTL_PRESET_PANEL_TOGGLE, 0);
}

void RemovePageFromPanel(int32_t page) {
    if (gPanelPage == kNoPanel) return;
    const int32_t* controls = nullptr;
    const int32_t count = PanelControls(page, &controls);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t n = controls[i];
        if (!UsedControlRecord(n)) continue;
        SetControlAnchor(n, kHomeAnchor);
        SetControlTab(n, GetControlHomeSheet(n, 0), GetControlHomeSheet(n, 1));
        SetControlPosition(n, -1, HomeY(n), -1, -1);
    }
    gPanelPage = kNoPanel;
}

void ShowPageInPanel(int32_t page, int32_t bottom) {
    const int32_t base = Y(CTL_MAIN_TAB) + H(CTL_MAIN_TAB) - 5;
    const int32_t* controls = nullptr;
    const int32_t count = PanelControls(page, &controls);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t n = controls[i];
        if (!UsedControlRecord(n)) continue;
        SetControlAnchor(n, kPanelAnchor);
        SetControlTab(n, CTL_MAIN_TAB, kSheetPresets);
        SetControlPosition(n, -1, base + HomeY(n) - bottom, -1, -1);
        if (IsCombo(n)) {
            const int32_t state = GetControlState(n);
            SetControlState(n, 0);
            SetControlState(n, state);
        }
    }
    gPanelPage = page;
}

void ShowPresetEffectPanel(int32_t preset) {
    const int32_t listTop = Y(CTL_PRESET_LIST);
    const int32_t room = H(CTL_MAIN_TAB) + Y(CTL_MAIN_TAB) - listTop - 3;
    if (preset == -1) {
        RemovePageFromPanel(gPanelPage);
        SetControlPosition(CTL_PRESET_LIST, -1, -1, -1, room);
        return;
    }
    int32_t page = PanelPageOf(preset);
    int32_t top = 0, bottom = 0;
    PanelExtent(page, &top, &bottom);
    const int32_t listLeast = PixelsToDialogUnitsY(kPresetItemSizePx) + 3;
    if (bottom - top > room - listLeast) {
        page = kIntensityOnly;
        PanelExtent(page, &top, &bottom);
    }
    if (page != gPanelPage) {
        RemovePageFromPanel(gPanelPage);
        SetControlPosition(CTL_PRESET_LIST, -1, -1, -1, room - (bottom - top) - 5);
        ShowPageInPanel(page, bottom);
    }
    PumpDialogMessages();
}

void PlaceTabAreas() {
    const bool above = GetControlValue(CTL_SIDE_TAB_MOVE) != 0;
    SetControlImage(CTL_SIDE_TAB_MOVE, above ? "arrow_down.bmp" : "arrow_up.bmp", kImageOption);
    LockDialogUpdate(1);
    // The main tab's height depends on where the side tab stands: it is set for the new order
    // before the side tab is put under it.
    const int32_t mainY = Y(CTL_MAIN_TAB), sideY = Y(CTL_SIDE_TAB);
    const TabAreaShifts first =
        TabAreaShiftsFor(mainY, H(CTL_MAIN_TAB), sideY, H(CTL_SIDE_TAB), above);
    std::vector<int32_t> mainArea;
    for (int32_t n = 0; n < kControlCount; ++n)
        if (InMainArea(n)) mainArea.push_back(n);
    if (GetControlValue(CTL_MODE) == kModeQuickEdit)
        for (int32_t n : kQuickEditPlaced)
            if (std::find(mainArea.begin(), mainArea.end(), n) == mainArea.end())
                mainArea.push_back(n);
    for (int32_t n : mainArea) SetControlPosition(n, -1, Y(n) + first.main, -1, -1);
    LayoutTabArea(0, 0);
    const int32_t sideShift =
        above ? first.side : Y(CTL_MAIN_TAB) + H(CTL_MAIN_TAB) + kAreaGap - sideY;
    const int32_t anchor = ANCHOR_RIGHT | (above ? ANCHOR_TOP : ANCHOR_BOTTOM);
    ForSideTabControls([&](int32_t n) {
        SetControlPosition(n, -1, Y(n) + sideShift, -1, -1);
        SetControlAnchor(n, anchor);
    });
    LockDialogUpdate(0);
    RedrawDialog();
    RedrawSideSheet();
    const int32_t sheet = GetControlValue(CTL_MAIN_TAB);
    if (sheet == kSheetMain) FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
    if ((sheet == kSelectSheet || GetControlValue(CTL_MODE) == kModeQuickEdit) &&
        GetControlValue(CTL_SELECT_PAGES) == kSelectPagesHueRange)
        FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
}
