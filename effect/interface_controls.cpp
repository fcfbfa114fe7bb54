// The effect dialog's interface controls 310..399 and its dialog-wide events: tabs, the
// histogram, preferences, the brush settings, the help box, the language and skin switches,
// and OK and Cancel, which write the settings files.

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "dialog/color_picker.h"
#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_images.h"
#include "dialog/control_items.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/histogram_panel.h"
#include "dialog/preview_navigator.h"
#include "dialog/preview_window.h"
#include "dialog/skin_engine.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "effect/control_event_handler.h"
#include "effect/control_ids.h"
#include "effect/curve_panel.h"
#include "effect/data_folder.h"
#include "effect/effect_pages.h"
#include "effect/effect_session.h"
#include "effect/language_files.h"
#include "effect/preset_folder.h"
#include "effect/preset_group_states.h"
#include "effect/preset_lists.h"
#include "effect/preview_tool_state.h"
#include "effect/settings_files.h"
#include "effect/settings_sets.h"
#include "effect/startup_settings.h"
#include "effect/tab_area.h"
#include "effect/tool_buttons.h"
#include "host/start_timing.h"
#include "host/effect_context.h"
#include "host/message_boxes.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/preview_request.h"
#include "host/worker_threads.h"

namespace {

constexpr int32_t kSheetPresets = 0;
// The image option the control table gives the arrow buttons 325 and 331.
constexpr int32_t kArrowImageOption = 66;
constexpr int32_t kSheetMain = 3;
constexpr int32_t kSideNavigator = 1;
constexpr int32_t kNavigatorArray = 39;  // the navigator's picture of the whole image
constexpr int32_t kSideHistogram = 2;
constexpr int32_t kSideInfo = 3;
constexpr int32_t kSidePrefs = 4;
constexpr int32_t kZoomFit = 26;
constexpr int32_t kHistogramComputed = 12121;  // the context's mark once counted
constexpr int32_t kAppStartingCursor = 32650;
constexpr int32_t kWaitCursor = 32514;
constexpr int32_t kFineMaskShift = 23;  // dialog units the fine-mask controls move
constexpr int32_t kMultiCpuTextId = 170;
constexpr int32_t kHelpTextNone = 400;
constexpr int32_t kHelpSliderTail = 409;
constexpr int32_t kHelpTabTail = 412;
constexpr int32_t kGroupFlagCount = kDialogStateGroupFlags;

// The context's histogram mark and its scratch word: the first word of the scratch area is
// the effect's, cleared at every run start.
int32_t& HistogramMark() {
    return *reinterpret_cast<int32_t*>(gContext.scratch);
}

bool MainSheetShown() {
    return ValueOf(CTL_MAIN_TAB) == kSheetMain;
}

void RedrawCurvePanel() {
    FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
}

bool HueBarShown() {
    return GetControlState(CTL_HUE_RANGE) != 0;
}

void DrawHistogramPanel() {
    SetControlColor(CTL_HISTOGRAM, GetControlColor(CTL_MAIN_TAB));
    DrawHistogram(ARRAY_HISTOGRAM, CTL_HISTOGRAM, ValueOf(CTL_HISTO_CHANNEL),
                  ValueOf(CTL_HISTO_STYLE), -1, -1, -1, -1, -1, ValueOf(CTL_HISTO_ZOOM));
}

// --- Clicks ------------------------------------------------------------------------------------

int32_t ClickMainTab(int32_t previous) {
    LayoutTabArea(1, previous);
    if (GetControlState(CTL_MAIN_TAB) != 0) {
        PumpDialogMessages();
        RedrawCurvePanel();
    }
    if (ValueOf(CTL_PRESET_PANEL_TOGGLE)) {
        if (ValueOf(CTL_MAIN_TAB) == kSheetPresets)
            TogglePresetPanel(1, kMarkerApplyState);
        else if (previous == kSheetPresets)
            TogglePresetPanel(0, kMarkerApplyState);
    }
    if (HueBarShown()) FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
    return 0;
}

int32_t ClickSideTab(int32_t) {
    switch (ValueOf(CTL_SIDE_TAB)) {
        case kSideNavigator:
            if (GetArrayDimension(kNavigatorArray, 0) == 0) {
                PrepareNavigator(CTL_NAVIGATOR, kNavigatorArray);
                DrawNavigator(CTL_NAVIGATOR, kNavigatorArray);
            }
            break;
        case kSideHistogram:
            if (HistogramMark() != kHistogramComputed) {
                SetDialogCursor(kAppStartingCursor);
                UpdateHistogram(ARRAY_HISTOGRAM, ValueOf(CTL_HISTO_ZOOM),
                                ValueOf(CTL_HISTO_NO_GAPS));
                HistogramMark() = kHistogramComputed;
                SetDialogCursor(gPreviewTools.cursorId);
            }
            break;
        case kSideInfo:
            SetImageSizeText(CTL_INFO_TEXT);
            break;
        case kSidePrefs:
            SetControlState(CTL_MULTI_CPU_OFF,
                            GetProcessorCount() < 2 ? CTLSTATE_VISIBLE : CTLSTATE_FULL);
            break;
    }
    return 1;
}

int32_t ClickHistogramView(int32_t) {
    DrawHistogramPanel();
    return 1;
}

int32_t ClickHistogramCount(int32_t) {
    UpdateHistogram(ARRAY_HISTOGRAM, ValueOf(CTL_HISTO_ZOOM), ValueOf(CTL_HISTO_NO_GAPS));
    DrawHistogramPanel();
    return 0;
}

int32_t ClickPresetMenu(int32_t) {
    ShowPresetListMenu();
    return 1;
}

int32_t ClickOnStartUp(int32_t) {
    if (ValueOf(CTL_ON_START_UP) == STARTUP_OWN && gEffectSession.ownDefaultsPath.empty())
        ApplyStartupSettings(STARTUP_OWN, 1, 0);
    return 0;
}

int32_t ClickPreviewColor(int32_t) {
    return ShowPreviewColorMenu();
}

int32_t ClickResetMenu(int32_t) {
    return ShowResetMenu();
}

int32_t ClickPresetPanelToggle(int32_t previous) {
    if (previous != kMarkerApplyState && previous != kMarkerAfterResize) {
        if (ValueOf(CTL_PRESET_PANEL_TOGGLE) == 0) {
            SetControlValue(CTL_PRESET_PANEL_TOGGLE, 1);
            TogglePresetPanel(1, previous);
            return 1;
        }
        SetControlValue(CTL_PRESET_PANEL_TOGGLE, 0);
    }
    TogglePresetPanel(ValueOf(CTL_PRESET_PANEL_TOGGLE), previous);
    return 1;
}

int32_t ClickInstantPreview(int32_t) {
    const bool on = ValueOf(CTL_INSTANT_PREVIEW) != 0;
    for (int32_t n = 0; n < kControlCount; ++n) {
        if (on)
            SetControlProperties(n, CTLPROP_LIVEDRAG);
        else
            ClearControlProperties(n, CTLPROP_LIVEDRAG);
    }
    return 0;
}

int32_t ClickSideTabMove(int32_t previous) {
    if (previous != kMarkerApplyState)
        SetControlValue(CTL_SIDE_TAB_MOVE, ValueOf(CTL_SIDE_TAB_MOVE) ? 0 : 1);
    PlaceTabAreas();
    return 0;
}

// The language switch: every text of the dialog from the chosen language's files.
constexpr struct {
    int32_t control, shortText;
    const char* english;
} kLanguageLabels[] = {
    {CTL_MODE, 40, "Mode"},
    {CTL_SELECT_CONTROLS, 41, "Controls"},
    {CTL_CONVERSION_METHOD, 46, "Type"},
    {CTL_DYNCONTRAST_INTENSITY, 42, "Gradient"},
    {CTL_NDGRAD_SHAPE, 43, "Gradient"},
    {CTL_DIFFUSION_MASK_SHAPE, 44, "Gradient"},
    {CTL_MASK_TYPE, 45, "Method"},
    {CTL_MASK_BRIGHT_MODE, 46, "Type"},
    {CTL_FRAME_EDGE_SHAPE, 49, "Edge"},
    {CTL_BRUSH_LAST_STROKE, 50, "Mask"},
    {CTL_SKIN, 51, "Skin"},
    {CTL_EFFECT_LIST, 52, "Effect"},
};

void LabelStartAndLanguage() {
    SetControlLabel(CTL_ON_START_UP, ShortText(47, "On Start Up"));
    SetControlLabel(CTL_LANGUAGE, ShortText(48, "Language"));
}

bool SkinNumberAboveZero() {
    return IsSkinActive() && gParams && gParams->skinIndex > 0;
}

// The language file gives the main tab the six sheets of Advanced Mode; Easy Mode and
// Advanced+ Mode show sheets of their own.
constexpr int32_t kModeEasy = 0, kModeAdvancedPlus = 4;
constexpr int32_t kEasyTabsText = 0, kAdvancedPlusTabsText = 4;

void RelabelMainTabs() {
    const int32_t mode = ValueOf(CTL_MODE);
    if (mode == kModeEasy) {
        SetControlText(CTL_MAIN_TAB, ShortText(kEasyTabsText, "Preset"));
    } else if (mode == kModeAdvancedPlus) {
        // New tab texts select the first sheet: the Adjust sheet is chosen again.
        const int32_t sheet = ValueOf(CTL_MAIN_TAB);
        SetControlText(CTL_MAIN_TAB, ShortText(kAdvancedPlusTabsText, "Preset\nAdjust"));
        if (sheet == 1) SetControlValue(CTL_MAIN_TAB, 1);
    }
}

int32_t ClickLanguage(int32_t) {
    // The list's groups are refilled in the new language: their open or collapsed state is
    // kept first, once the session has laid the list out.
    if (gEffectSession.sessionStarted) SavePresetGroupStates();
    LockDialogUpdate(1);
    {
        StartTimingSection timing("language", "files and texts");
        LoadLanguage(ValueOf(CTL_LANGUAGE), ARRAY_TEXTS, ARRAY_SHORT_TEXTS, ARRAY_LANGUAGE_RAW,
                     CTL_PREVIEW_TAB, kLanguageLastTextId, kLanguageLastShortTextId);
    }
    StartTimingSection presetTiming("language", "presets");
    ApplyPresetLanguage(ValueOf(CTL_LANGUAGE));
    RelabelMainTabs();
    for (const auto& label : kLanguageLabels)
        SetControlLabel(label.control, ShortText(label.shortText, label.english));
    const bool skinned = SkinNumberAboveZero();
    if (!skinned) LabelStartAndLanguage();
    LockDialogUpdate(0);
    if (skinned) LabelStartAndLanguage();
    SetControlTextFormat(CTL_MULTI_CPU_OFF, ShortText(kMultiCpuTextId, "Multi-CPU Off (%d CPUs)"),
                         int(GetProcessorCount()));
    RefreshControl(IsVisualStyleActive() ? CTL_SIDE_TAB : CTL_PREVIEW_TAB, 1);
    return 0;
}

int32_t ClickPageSelector(int32_t control) {
    if (ValueOf(CTL_MODE) == 4) {
        if (control == CTL_COLOR_PAGES) GoToPage(ValueOf(control) + 12, 0);
        if (control == CTL_RGB_PAGES) GoToPage(ValueOf(control) + 14, 0);
    }
    SelectCurrentCurve();
    RedrawCurvePanel();
    UpdateToolButtonImages();
    return 1;
}

int32_t ClickSelectPages(int32_t) {
    if (ValueOf(CTL_SELECT_CONTROLS) == 0)
        SetControlState(CTL_SELECT_SWATCH_GRAY, ValueOf(CTL_SELECT_PAGES) == 2 ? 0 : -1);
    UpdateToolButtonImages();
    return 0;
}

int32_t ClickFx1Pages(int32_t) {
    const int32_t page = ValueOf(CTL_FX1_PAGES);
    if (page == 2 || page == 3) {
        SetControlTab(CTL_NDGRAD_CROSS, CTL_FX1_PAGES, page);
        if (ValueOf(CTL_MODE) == 3 && page == 2)
            SetControlPosition(CTL_NDGRAD_CROSS, GetControlCoord(CTL_AGING_GROUP, 0) + 3,
                               GetControlCoord(CTL_AGING_GROUP, 1) + 10, -1, -1);
        else
            SetControlPosition(CTL_NDGRAD_CROSS, GetControlCoord(CTL_FX2_PRESETS_MENU - 1, 0),
                               GetControlAltPosition(CTL_NDGRAD_CROSS, 1), -1, -1);
    }
    UpdateToolButtonImages();
    return 0;
}

void SetStates(int32_t first, int32_t last, int32_t state) {
    for (int32_t n = first; n <= last; ++n) SetControlState(n, state);
}

int32_t ClickSelectControls(int32_t) {
    const bool advancedPlus = ValueOf(CTL_MODE) == 4;
    if (ValueOf(CTL_SELECT_CONTROLS) == 0) {
        SetStates(150, 158, 0);
        SetStates(60, 64, 0);
        SetControlState(CTL_HUE_RANGE, 0);
        SetControlState(CTL_HUE_RANGE_LABEL, 0);
        SetControlState(CTL_SELECT_PAGES, -1);
        if (advancedPlus) {
            SetStates(142, 149, -1);
            SetStates(211, 218, -1);
            SetStates(111, 117, -1);
            for (int32_t n :
                 {150, 151, 152, 153, 154, 155, 156, 157, 158, 60, 61, 62, 63, 64, 67, 240})
                SetControlTab(n, GetControlHomeSheet(n, 0), GetControlHomeSheet(n, 1));
        }
        SetStates(219, 226, -1);
        SetControlState(CTL_SELECT_EYEDROPPER, -1);
        return 0;
    }
    SetStates(219, 226, 0);
    SetControlState(CTL_SELECT_EYEDROPPER, 0);
    SetControlState(CTL_SELECT_PAGES, 0);
    if (advancedPlus) {
        SetStates(142, 149, 0);
        SetStates(211, 218, 0);
        SetStates(111, 117, 0);
        for (int32_t n : {150, 151, 152, 153, 154, 155, 156, 157, 158, 60, 61, 62, 63, 64, 67, 240})
            SetControlTab(n, CTL_MAIN_TAB, 1);
    }
    SetStates(150, 158, -1);
    SetStates(60, 64, -1);
    SetControlState(CTL_HUE_RANGE, -1);
    SetControlState(CTL_HUE_RANGE_LABEL, -1);
    PumpDialogMessages();
    FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
    return 0;
}

int32_t ClickAntialiasedCurve(int32_t) {
    if (MainSheetShown()) RedrawCurvePanel();
    return 0;
}

int32_t PickButtonColor(int32_t control) {
    const uint32_t current = uint32_t(ValueOf(control));
    const int32_t color =
        ValueOf(CTL_HOST_COLOR_DIALOG) == 0
            ? PickColorWithPreview(control, current, CTL_HIDDEN_OPTION, ValueOf(CTL_LANGUAGE))
            : PickColor(current, "%s", ShortText(153, "Please choose a color:"));
    PumpDialogMessages();
    if (MainSheetShown()) RedrawCurvePanel();
    if (color == -1) return 1;
    PumpDialogMessages();
    SetControlColor(control, color);
    SetControlValue(control, color);
    return 0;
}

int32_t ClickBrushColor(int32_t) {
    return PickButtonColor(CTL_BRUSH_COLOR);
}

// The brush mask presets: amount and tolerance by the preset's number.
constexpr struct {
    int32_t amount, tolerance;  // tolerance -1000: left as it is
} kStrokePresets[] = {{0, -1000}, {50, 0}, {50, -100}, {100, -100}, {100, 0}, {100, 100}};

int32_t ClickLastStroke(int32_t) {
    const int32_t preset = ValueOf(CTL_BRUSH_LAST_STROKE);
    if (preset < 0 || preset >= int32_t(std::size(kStrokePresets))) return 0;
    SetControlValue(CTL_BRUSH_AMOUNT, kStrokePresets[preset].amount);
    if (kStrokePresets[preset].tolerance != -1000)
        SetControlValue(CTL_BRUSH_TOLERANCE, kStrokePresets[preset].tolerance);
    return 0;
}

void ShiftControl(int32_t n, int32_t dy) {
    SetControlPosition(n, -1, GetControlCoord(n, 1) + dy, -1, -1);
}

int32_t ClickMaskFine(int32_t) {
    const bool fine = ValueOf(CTL_BRUSH_MASK_FINE) != 0;
    const int32_t shift = fine ? kFineMaskShift : -kFineMaskShift;
    SetControlPosition(CTL_BRUSH_STROKE_GROUP, -1, -1, -1,
                       GetControlCoord(CTL_BRUSH_STROKE_GROUP, 3) + shift);
    for (int32_t n : {CTL_BRUSH_OPACITY, CTL_BRUSH_APPLY, CTL_BRUSH_REMOVE}) ShiftControl(n, shift);
    for (int32_t n : {CTL_BRUSH_AMOUNT, CTL_BRUSH_TOLERANCE}) SetControlState(n, fine ? -1 : 0);
    return 0;
}

// A named skin's colours reach what the effect paints itself, and the arrow buttons show
// their pictures again over the skin's faces.
void ShowNamedSkinLook() {
    SetControlValue(CTL_SKIN_COLOR, gSkinStyle.previewColor);
    SetControlColor(CTL_SKIN_COLOR, gSkinStyle.previewColor);
    SetControlColor(CTL_PREVIEW, gSkinStyle.previewColor);
    SetControlColor(CTL_CURVE, GetSkinPanelColor());
    SetControlState(CTL_TIMING_TEXT, 0);
    FireControlEvent(ToolButtonOf(gCurrentTool), EVENT_CLICKED, 0);
    if (MainSheetShown()) RedrawCurvePanel();
    if (HueBarShown()) FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
    if (ValueOf(CTL_MAIN_TAB) == kSheetPresets)
        SetControlImage(CTL_PRESET_PANEL_TOGGLE,
                        ValueOf(CTL_PRESET_PANEL_TOGGLE) ? "arrow_right.bmp" : "arrow_left.bmp",
                        kArrowImageOption);
    SetControlImage(CTL_SIDE_TAB_MOVE,
                    ValueOf(CTL_SIDE_TAB_MOVE) ? "arrow_down.bmp" : "arrow_up.bmp",
                    kArrowImageOption);
}

int32_t ClickSkin(int32_t previous) {
    const int32_t skin = ValueOf(CTL_SKIN);
    if (skin == previous) return 0;
    static int32_t skinApplied = 0;  // a skin was applied since the plug-in was loaded
    const bool hadSkin = skinApplied && gParams && gParams->skinIndex > 0;
    if (skin < 2 && (skin == 0 || hadSkin)) {
        ShowInfoMessage("Please exit and restart to see the standard controls.");
        const int32_t face = GetSystemColor(COLOR_BTNFACE);
        SetControlValue(CTL_SKIN_COLOR, face);
        SetControlColor(CTL_SKIN_COLOR, face);
        return 0;
    }
    const intptr_t oldCursor = GetDialogCursor();
    SetDialogCursor(kWaitCursor);
    LockDialogUpdate(1);
    ApplySkin(skin);
    if (skin >= 2) ShowNamedSkinLook();
    LockDialogUpdate(0);
    if (skin < 2) RedrawDialog();
    SetDialogCursor(oldCursor);
    skinApplied = 1;
    return 0;
}

// --- OK and Cancel -----------------------------------------------------------------------------

std::string DataFilePath(const char* fileName) {
    char path[kDataPathMax + 1] = "";
    if (!GetDataFolder(path, sizeof path, kDataFolderName, fileName, 1, PluginRegistryKey()))
        return {};
    return path;
}

void WriteDialogState() {
    const std::string path = DataFilePath(kDialogStateFileName);
    SavePresetGroupStates();
    if (path.empty() ||
        !WriteDialogStateFile(path.c_str(), kSettingsFileTag, 1, gCurrentTool,
                              gEffectSession.ownDefaultsPath.c_str(), 0,
                              gEffectSession.categoryGroupFlags, kGroupFlagCount, CTL_PRESET_LIST))
        ShowSettingsSaveFailure(path.c_str());
}

void WriteSettings() {
    StoreSettingsSetsOnClose(ValueOf(CTL_PREVIEW_TAB));
    const std::string path = DataFilePath(kSettingsFileName);
    if (path.empty() ||
        !WriteSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, CTL_PREVIEW_TAB))
        ShowSettingsSaveFailure(path.c_str());
}

void CloseDialogCommon() {
    SetControlValue(CTL_MASK_SHOW, 0);
    SetControlValue(CTL_MASK_OPTION, 0);
    DropBrushCursor();
    // Timer 3 would fill thumbnails into a list that is going away: it stops on both ways out.
    for (int32_t timer : {0, 2, 3}) SetDialogTimer(timer, 0, 0);
}

int32_t ClickCancel(int32_t) {
    CloseDialogCommon();
    WriteDialogState();
    WriteSkinFile(CTL_SKIN, CTL_SKIN_COLOR);
    return 0;
}

// A stroke still in the brush layer belongs to the mask that the final render uses.
void MergeBrushStrokeForOk() {
    if (!GetArrayBase(ARRAY_BRUSH_MASK) || !GetArrayBase(ARRAY_BRUSH_STROKE)) return;
    if (ValueOf(CTL_BRUSH_OPACITY) != 0) FireControlEvent(CTL_BRUSH_APPLY, EVENT_CLICKED, 0);
    ReleaseArray(ARRAY_BRUSH_STROKE);
}

int32_t ClickOk(int32_t) {
    CloseDialogCommon();
    MergeBrushStrokeForOk();
    WriteSettings();
    WriteDialogState();
    WriteSkinFile(CTL_SKIN, CTL_SKIN_COLOR);
    if (ValueOf(CTL_LOG_SETTINGS)) {
        char folder[kFolderPathMax + 1] = "";
        char title[256] = "";
        GetLogFolder(folder, sizeof folder, kDataFolderName, PluginRegistryKey());
        GetDocumentTitle(title);
        LogSettings(folder, title, int32_t(GetTickCount()));
    }
    return 0;
}

using ClickProc = int32_t (*)(int32_t previous);
struct ClickRow {
    int32_t control;
    ClickProc click;
};
constexpr ClickRow kClicks[] = {
    {CTL_MAIN_TAB, ClickMainTab},
    {CTL_SIDE_TAB, ClickSideTab},
    {CTL_HISTO_CHANNEL, ClickHistogramView},
    {CTL_HISTO_STYLE, ClickHistogramView},
    {CTL_HISTO_NO_GAPS, ClickHistogramCount},
    {CTL_HISTO_ZOOM, ClickHistogramCount},
    {CTL_PRESET_MENU, ClickPresetMenu},
    {CTL_ON_START_UP, ClickOnStartUp},
    {CTL_SKIN_COLOR, ClickPreviewColor},
    {CTL_RESET_MENU, ClickResetMenu},
    {CTL_SIDE_TAB_MOVE, ClickSideTabMove},
    {CTL_PRESET_PANEL_TOGGLE, ClickPresetPanelToggle},
    {CTL_INSTANT_PREVIEW, ClickInstantPreview},
    {CTL_NAVIGATOR, [](int32_t) { return MoveNavigatorView(CTL_NAVIGATOR, kNavigatorArray, 0); }},
    {CTL_LANGUAGE, ClickLanguage},
    {CTL_COLOR_PAGES, [](int32_t) { return ClickPageSelector(CTL_COLOR_PAGES); }},
    {CTL_MAIN_PAGES, [](int32_t) { return ClickPageSelector(CTL_MAIN_PAGES); }},
    {CTL_RGB_PAGES, [](int32_t) { return ClickPageSelector(CTL_RGB_PAGES); }},
    {CTL_PRESET_COMBINE, [](int32_t) { return 0; }},
    {CTL_SELECT_PAGES, ClickSelectPages},
    {CTL_FX1_PAGES, ClickFx1Pages},
    {CTL_SELECT_CONTROLS, ClickSelectControls},
    {CTL_ANTIALIASED_CURVE, ClickAntialiasedCurve},
    {CTL_BRUSH_COLOR, ClickBrushColor},
    {CTL_BRUSH_LAST_STROKE, ClickLastStroke},
    {CTL_BRUSH_MASK_FINE, ClickMaskFine},
    {CTL_SKIN, ClickSkin},
    {CTL_CANCEL, ClickCancel},
    {CTL_OK, ClickOk},
};

}  // namespace

int32_t ClickInterfaceControl(int32_t control, int32_t previous, bool* known) {
    for (const ClickRow& row : kClicks)
        if (row.control == control) return row.click(previous);
    // The other interface controls have no reaction: their action code runs. The preset
    // filter 349 is the settings reactions' (with the preset list).
    if (control >= CTL_MAIN_TAB && control != CTL_PRESET_GROUP_FILTER) return 0;
    *known = false;
    return 0;
}

// --- Dialog-wide events
// ---------------------------------------------------------------------------

void HandleDialogShown() {
    if (GetDialogShowState() != 3) FireControlEvent(3, EVENT_TIMER, 0);
    if (MainSheetShown()) RedrawCurvePanel();
    if (HueBarShown()) FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
    if (ValueOf(CTL_SIDE_TAB) == kSideNavigator)
        FireControlEvent(CTL_NAVIGATOR, EVENT_DRAW_ITEM, 0);
    if (gCurrentTool == TOOL_BRUSH)
        FireControlEvent(CTL_TOOL_BRUSH, EVENT_CLICKED, kMarkerApplyState);
}

int32_t HandleDrawItem(int32_t control, bool* known) {
    if (control == CTL_NAVIGATOR) return DrawNavigator(CTL_NAVIGATOR, kNavigatorArray);
    if (control == CTL_CURVE) return DrawCurvePanel();
    if (control == CTL_HISTOGRAM) {
        DrawHistogramPanel();
        return 1;
    }
    *known = false;
    return 0;
}

int32_t HandleNavigatorDrag() {
    return TrackNavigatorDrag(CTL_NAVIGATOR, kNavigatorArray);
}

int32_t HandlePreviewPanOrView(int32_t event) {
    if (event == EVENT_PREVIEW_VIEW && gPreviewTools.cursorId == CURSOR_BRUSH)
        FireControlEvent(CTL_TOOL_BRUSH, EVENT_CLICKED, kMarkerSilentTool);
    if (ValueOf(CTL_SIDE_TAB) == kSideNavigator) DrawNavigator(CTL_NAVIGATOR, kNavigatorArray);
    return 1;
}

int32_t HandleSheetReset() {
    switch (ValueOf(CTL_MAIN_TAB)) {
        case 1:
            for (int32_t n = 0; n < kControlCount; ++n) {
                const ControlRecord* record = UsedControlRecord(n);
                if (record && (record->tab == CTL_COLOR_PAGES || record->tab == CTL_RGB_PAGES) &&
                    record->defaultValue != -1)
                    SetControlValue(n, record->defaultValue);
            }
            ResetCurves(0, 6);
            break;
        case 2:
            ResetSelectiveTables();
            break;
        case 3:
            FireControlEvent(CTL_CONVERSION_METHOD, EVENT_CLICKED, 0);
            break;
        case 5:
            FireControlEvent(CTL_MASK_TYPE, EVENT_CLICKED, 0);
            break;
    }
    return 0;
}

int32_t HandleDialogSize(int32_t sizeType) {
    if (sizeType == SIZE_MINIMIZED) return 0;
    // No drawing lock around this layout: a lock taken while the window changes size (maximise
    // from the remembered size) left the new size half drawn, the right-hand column off the
    // window; the tab area's layout is cheap enough to draw as it goes.
    LayoutTabArea(0, 0);
    return 0;
}

int32_t HandleDialogSized() {
    const bool navigator = ValueOf(CTL_SIDE_TAB) == kSideNavigator;
    if (ValueOf(CTL_MAIN_TAB) == kSheetPresets && ValueOf(CTL_PRESET_PANEL_TOGGLE))
        FireControlEvent(CTL_PRESET_PANEL_TOGGLE, EVENT_CLICKED, kMarkerAfterResize);
    SetControlPositionPixels(CTL_HISTOGRAM, GetControlPixelCoord(CTL_SIDE_TAB, 0) + 1, -1, -1, -1);
    if (gContext.dialogUp) {
        RedrawDialog();
        if (ValueOf(CTL_ZOOM) == kZoomFit) {
            SetPreviewZoom(ZOOM_FIT, 1);
            FireControlEvent(CTL_PREVIEW, EVENT_PREVIEW_VIEW, 0);
        }
    }
    if (navigator) FireControlEvent(CTL_NAVIGATOR, EVENT_DRAW_ITEM, 0);
    RunControlAction(ACTION_PREVIEW);
    if (navigator) FireControlEvent(CTL_NAVIGATOR, EVENT_DRAW_ITEM, 0);
    if (HueBarShown()) FireControlEvent(CTL_HUE_RANGE, EVENT_DRAW_ITEM, 0);
    return 0;
}

int32_t HandleDoubleClick(int32_t control) {
    if (control == CTL_TOOL_HAND) {
        SetControlValue(CTL_ZOOM, kZoomFit);
        FireControlEvent(CTL_ZOOM, EVENT_CLICKED, 0);
        return 0;
    }
    if (control == CTL_TOOL_SPLIT_DRAG) {
        gCurrentTool = TOOL_HAND;
        FireControlEvent(CTL_TOOL_HAND, EVENT_CLICKED, 0);
        SetControlValue(CTL_SPLIT_VIEW, 0);
        RunControlAction(ACTION_PREVIEW);
        return 0;
    }
    if (control == CTL_TOOL_CROSS || control == CTL_VIGNETTE_CROSS || control == CTL_NDGRAD_CROSS ||
        control == CTL_MASK_CROSS || control == CTL_DIFFUSION_CROSS)
        ResetCrossCentre();
    return 0;
}

int32_t HandleInterfaceValueChange(int32_t control, bool* known) {
    if (control == CTL_BRUSH_AMOUNT || control == CTL_BRUSH_TOLERANCE) {
        SetControlValue(CTL_BRUSH_LAST_STROKE, -1);
        return 1;
    }
    if (control == CTL_BRUSH_SIZE) {
        RemakeBrushCursor();
        return 0;
    }
    *known = false;
    return 0;
}

void ShowHelpText(const char* text) {
    const int32_t color = SkinNumberAboveZero() ? GetControlTextColor(CTL_HELP_TEXT) : 0;
    SetControlTextColor(CTL_HELP_TEXT, color);
    SetControlText(CTL_HELP_TEXT, text);
}

int32_t HandleHelpBox(int32_t control) {
    if (ValueOf(CTL_HELP_UPDATE) == 0 || control < 0 || control >= kControlCount) return 0;
    const ControlRecord* record = UsedControlRecord(control);
    if (!record || !(record->properties & CTLPROP_HOVER)) return 0;
    if (control == CTL_MAIN_TAB && ValueOf(CTL_MODE) == 0) return 0;
    int32_t id = control;
    if (control >= 170 && control <= 182) id = 170;
    if (control >= 189 && control <= 200) id = 189;
    if (control >= 150 && control <= 158) id = 150;
    std::string text = LanguageText(id, "");
    if (text.empty()) {
        text = LanguageText(kHelpTextNone, "No description available ...");
    } else if (record->controlClass == CONTROL_SLIDER) {
        text += " ";
        text += LanguageText(kHelpSliderTail,
                             "Double click the slider label to reset the slider to its default "
                             "value.");
    } else if (record->controlClass == CONTROL_TAB && control != CTL_PREVIEW_TAB) {
        text += " ";
        text += LanguageText(kHelpTabTail,
                             "Shift click a tab button to reset its controls to default values.");
    }
    if (!text.empty()) ShowHelpText(text.c_str());
    RefreshControl(CTL_HELP_UPDATE, 1);
    return 1;
}
