// The session hooks: the session start makes the tables every rendering reads, the run
// start makes sure they exist, and the after-run hook follows each rendering.

#include "effect/session_hooks.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/image_lists.h"
#include "dialog/control_items.h"
#include "dialog/preview_window.h"
#include "dialog/millisecond_timer.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/data_folder.h"
#include "effect/dialog_state.h"
#include "effect/effect_session.h"
#include "effect/preset_folder.h"
#include "effect/preset_groups.h"
#include "effect/settings_files.h"
#include "effect/settings_rows.h"
#include "effect/startup_settings.h"
#include "effect/preview_tool_state.h"
#include "effect/tool_buttons.h"
#include "effect/undo_history.h"
#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/scripting_descriptor.h"
#include "host/start_timing.h"
#include "host/worker_threads.h"
#include "effect/curve_widget_services.h"
#include "render/render_hook.h"
#include "render/render_tables.h"

const int32_t kSelectiveRangeDefaults[8][kSelectiveRangeColumns] = {
    {225, 235, 10, 15, 100, -50, -50},  {5, 10, 30, 35, 66, 33, -100},
    {25, 30, 45, 50, 50, 50, -100},     {40, 45, 117, 127, -50, 100, -50},
    {107, 117, 137, 147, -100, 50, 50}, {127, 137, 185, 195, -50, -50, 100},
    {175, 185, 235, 245, 50, -100, 50}, {251, 7, 29, 40, 100, -50, -50},
};

namespace {
// Columns 0..4 of the selective table are edited through these sliders (column 3 has none).
constexpr int32_t kSelectiveColumnControls[kScriptTableColumns] = {
    CTL_SELECT_BRIGHTNESS, CTL_SELECT_CONTRAST, CTL_SELECT_COLORKEY, -1, CTL_SELECT_TOLERANCE};

// A replayed descriptor's values are clamped to the ranges of the controls they stand for.
// Bound when the module loads, before any run reads a descriptor.
const bool gScriptingRangesBound =
    (ScriptingBindRanges(ControlTableRange, kSelectiveColumnControls), true);

constexpr int32_t kSelectiveToleranceStart = 50;
constexpr OSType kPlayingKey = FourCC("plip");  // the host is playing a recorded action
// The frame sliders are tenths of a per mille of the image's shorter side.
constexpr int64_t kFrameWidthDivisor = 4000;

bool CreateIdentityCurves() {
    if (!CreateArray(ARRAY_CURVES, kCurvePointMax, 2, kCurveCount, 4)) return false;
    SetAllArrayElements(ARRAY_CURVES, 0);
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        PutArrayElement(ARRAY_CURVES, 1, 0, curve, kCurveCoordinateMax);
        PutArrayElement(ARRAY_CURVES, 1, 1, curve, kCurveCoordinateMax);
        gSession.curvePointCount[curve] = 2;
    }
    gSession.curveMax = kCurveCoordinateMax;
    gSession.curveSelectedPoint = -1;
    return true;
}

bool CreateSelectiveTable() {
    if (!CreateArray(ARRAY_SELECTIVE_TABLE, kSelectiveRows, kSelectiveTableColumns, 1, 4))
        return false;
    SetAllArrayElements(ARRAY_SELECTIVE_TABLE, 0);
    for (int32_t row = 0; row < kSelectiveRows; ++row)
        PutArrayElement(ARRAY_SELECTIVE_TABLE, row, 4, 0, kSelectiveToleranceStart);
    return true;
}

bool CreateSelectiveRanges() {
    if (!CreateArray(ARRAY_SELECTIVE_RANGES, kSelectiveRows, kSelectiveRangeColumns, 1, 4))
        return false;
    SetAllArrayElements(ARRAY_SELECTIVE_RANGES, 0);
    ResetSelectiveRanges();
    return true;
}

constexpr const char* kFilterTitle = "Greyloom 2.0";
constexpr int32_t kValueBoxDelayMs = 500;
constexpr int32_t kFiredFromCode = 65535;  // the handler's mark of a click made by the code
constexpr int32_t kSheetPresets = 0;
constexpr int32_t kSheetMain = 3;
constexpr int32_t kFirstStartTimer = 5;
constexpr int32_t kFirstStartTimerMs = 100;
constexpr int32_t kThumbnailTimer = 3;
constexpr int32_t kThumbnailTickMs = 200;  // after the preview's first render (100 ms)
constexpr int32_t kSeedModulus = 1000000;
constexpr int32_t kShortTextMultiCpu = 170;
constexpr const char* kMultiCpuEnglish = "Multi-CPU Off (%d CPUs)";
constexpr int32_t kShowMaximised = 3;
// Bits of CTL_PRESET_MENU's value: the preset list's options.
constexpr int32_t kListNoThumbnails = 1 << 0;
constexpr int32_t kListReportView = 1 << 2;
constexpr int32_t kListModeFirstBit = 3;  // bits 3..7 choose list modes 0..4
constexpr int32_t kListModeCount = 5;
constexpr uint32_t kReportViewStyle = 1;

void Fire(int32_t control, int32_t event = EVENT_CLICKED, int32_t argument = 0) {
    FireControlEvent(control, event, argument);
}

void FireWhenSet(int32_t control, int32_t argument = 0) {
    if (GetControlValue(control)) Fire(control, EVENT_CLICKED, argument);
}

std::string DataFilePath(const char* fileName, int32_t create) {
    char path[kDataPathMax + 1] = {};
    if (!GetDataFolder(path, sizeof path, kDataFolderName, fileName, create, PluginRegistryKey()))
        return std::string();
    return path;
}

// The host replays a recorded action: it gave a descriptor and says it is playing.
bool HostIsPlaying(const EffectContext* context) {
    const bool descriptor = context->scriptedValueCount > 0 || gScripting.haveTextSlots;
    return descriptor && GetHostProperty(kPlayingKey, 0) != 0;
}

void PrepareSession(EffectContext* context) {
    const bool dialogShown = context->dialogWindow != nullptr;
    context->storedTileSizeOn = 0;
    if (dialogShown) {
        ShowSizeGrip(1);
        SetImageSizeText(CTL_INFO_TEXT);
        CreateDataFolders(kDataFolderName);
        gEffectSession.hostHasTitle = HostHasDocumentTitle();
        SetKeepEditText(kValueBoxDelayMs);
    }
    // The pool serves the dialog's preset thumbnails; a run without the dialog renders none,
    // and would only make its threads to terminate them at the finish.
    const bool dialogComing = dialogShown || context->dialogWanted;
    if (dialogComing) StartWorkerPool();
    gEffectSession.startTimeMs = GetTimerMs();
    gSession.grainSeed = int32_t(time(nullptr));
    InstallCurveWidgetServices();
    // Only the dialog lists, loads and saves presets. Finding their folder looks in the
    // application data, the registry and the module's folder: milliseconds that a run without
    // the dialog would spend on the host's thread before it renders.
    char folder[kFolderPathMax + 1] = {};
    if (dialogComing) GetPresetFolder(folder, sizeof folder, kDataFolderName, PluginRegistryKey());
    gEffectSession.presetFolder = folder;
    gEffectSession.lastPresetName = kFirstPresetName;
    for (int32_t& flag : gGroupInUse) flag = 1;
}

// The tool, the own-defaults preset, the list's top item and the category groups.
void TakeDialogState(const DialogStateLoad& load) {
    if (!load.fileRead) return;
    gCurrentTool = load.contents.tool;
    gEffectSession.ownDefaultsPath = load.contents.ownDefaultsPath;
    gEffectSession.presetListTopItem = load.contents.topItem;
    const size_t flags = std::min(load.contents.groupFlags.size(), size_t(kDialogStateGroupFlags));
    for (size_t i = 0; i < flags; ++i)
        gEffectSession.categoryGroupFlags[i] = load.contents.groupFlags[i];
}

void TakePresetListOptions() {
    const int32_t options = GetControlValue(CTL_PRESET_MENU);
    gEffectSession.thumbnailsOn = (options & kListNoThumbnails) ? 0 : 1;
    for (int32_t mode = 0; mode < kListModeCount; ++mode)
        if (options & (1 << (kListModeFirstBit + mode))) {
            gEffectSession.presetListMode = mode;
            break;
        }
}

void ShowProcessorCount() {
    const int32_t processors = GetProcessorCount();
    if (processors <= 1) return;
    const char* format = GetArrayBase(ARRAY_SHORT_TEXTS)
                             ? GetArrayString(ARRAY_SHORT_TEXTS, kShortTextMultiCpu)
                             : "";
    // The text comes from the language file; only a format with one number is used.
    if (!format[0] || !std::strstr(format, "%d")) format = kMultiCpuEnglish;
    SetControlTextFormat(CTL_MULTI_CPU_OFF, format, int(processors));
}

// The preferences bring the dialog into the state the user left it in.
void ApplyPreferences(bool dialogShown, bool stateFileRead) {
    const int32_t skin = GetControlValue(CTL_SKIN);
    gEffectSession.skinInUse = skin > 0 ? 1 : 0;
    if (skin > 1 && dialogShown) {
        SetControlBuddy(CTL_PROGRESS, CTL_TIMING_TEXT);
        SetControlState(CTL_TIMING_TEXT, 0);
    }
    if (GetControlValue(CTL_PREVIEW_ON) == 0) SetOrStoreControlValue(CTL_PREVIEW_ON, 1);
    TakePresetListOptions();
    if (!dialogShown) return;
    FireWhenSet(CTL_INSTANT_PREVIEW);
    ScanPresetFolder(gEffectSession.presetFolder.c_str());
    {
        StartTimingSection timing("session", "language");
        Fire(CTL_LANGUAGE);
    }
    ShowProcessorCount();
    FireWhenSet(CTL_SIDE_TAB_MOVE, kFiredFromCode);
    Fire(CTL_MAIN_TAB);
    SetControlPositionPixels(CTL_HISTOGRAM, GetControlPixelCoord(CTL_SIDE_TAB, 0) + 1, -1, -1, -1);
    Fire(CTL_MODE, EVENT_DIALOG_SIZE);
    if (GetControlValue(CTL_PRESET_MENU) & kListReportView) {
        SetControlState(CTL_PRESET_PANEL_TOGGLE, 0);
        AddControlStyle(CTL_PRESET_LIST, kReportViewStyle);
    } else if (GetControlValue(CTL_MAIN_TAB) == kSheetPresets) {
        FireWhenSet(CTL_PRESET_PANEL_TOGGLE, kFiredFromCode);
    }
    FireWhenSet(CTL_PRESET_COMBINE);
    if (stateFileRead) Fire(CTL_ZOOM);
    FireWhenSet(CTL_SELECT_CONTROLS);
    FireWhenSet(CTL_BRUSH_MASK_FINE);
}

// Without a dialog the control records may never have been made: the values go straight to
// what the render reads.
void StoreRowForRun(int32_t set) {
    int32_t row[kSettingsRowLength];
    ReadSettingsRow(ARRAY_SETTINGS_ROWS, set, row);
    for (int32_t n = 0; n < kSettingsValueCount; ++n)
        if (!UsedControlRecord(n)) StoreControlValue(n, row[n]);
}

// The settings file's current set, when there is a good file. False for a first start.
bool ApplyRememberedSettings(bool dialogShown) {
    const std::string path = DataFilePath(kSettingsFileName, 0);
    if (path.empty() || !ReadSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag,
                                          kFilterTitle, CTL_PREVIEW_TAB, CTL_PREVIEW_ON))
        return false;
    const int32_t set = std::clamp(GetControlValue(CTL_PREVIEW_TAB), 0, kSettingsSetCount - 1);
    ApplySettingsRow(ARRAY_SETTINGS_ROWS, set, 1);
    // The row carries the tab's sheet as it was when the row was stored: the tab shows the
    // set that was applied.
    SetOrStoreControlValue(CTL_PREVIEW_TAB, set);
    if (!dialogShown) StoreRowForRun(set);
    return true;
}

// A first start: Easy Mode, a new frame seed, and a settings file whose three sets all hold
// the starting settings.
void StartFirstSession() {
    SetDialogTimer(kFirstStartTimer, kFirstStartTimerMs, 1);
    SetControlValue(CTL_MODE, 0);
    Fire(CTL_MODE);
    const int32_t seed = int32_t(time(nullptr) % kSeedModulus);
    SetControlValue(CTL_FRAME_SEED, seed);
    SetControlTextFormat(CTL_FRAME_SEED, "%d", int(seed));
    const int32_t current = GetControlValue(CTL_PREVIEW_TAB);
    for (int32_t set = 0; set < kSettingsSetCount; ++set)
        if (set == current || !IsSettingsRowStored(ARRAY_SETTINGS_ROWS, set))
            StoreSettingsRow(ARRAY_SETTINGS_ROWS, set);
    const std::string path = DataFilePath(kSettingsFileName, 1);
    if (path.empty() ||
        !WriteSettingsFile(ARRAY_SETTINGS_ROWS, path.c_str(), kSettingsFileTag, CTL_PREVIEW_TAB))
        ShowSettingsSaveFailure(path.empty() ? kSettingsFileName : path.c_str());
}

// The recorded values go into the current set's row, which is then applied whole.
void ApplyRecordedValues(bool dialogShown) {
    const int32_t set = std::clamp(GetControlValue(CTL_PREVIEW_TAB), 0, kSettingsSetCount - 1);
    if (!IsSettingsRowStored(ARRAY_SETTINGS_ROWS, set)) StoreSettingsRow(ARRAY_SETTINGS_ROWS, set);
    int32_t row[kSettingsRowLength];
    ReadSettingsRow(ARRAY_SETTINGS_ROWS, set, row);
    for (int32_t n = 0; n < kSettingsValueCount; ++n)
        if (IsScriptValueRecorded(n)) row[n] = GetScriptValue(n);
    WriteSettingsRow(ARRAY_SETTINGS_ROWS, set, row);
    ApplySettingsRow(ARRAY_SETTINGS_ROWS, set, 1);
    if (!dialogShown) StoreRowForRun(set);
    DecodeScriptTextSlots();
    if (GetControlValue(CTL_PREVIEW_ON) == 0) SetOrStoreControlValue(CTL_PREVIEW_ON, 1);
}

// A dialog without a remembered size (or closed maximised) opens maximised.
void OpenMaximised() {
    const int32_t clientWidth = GetDialogClientWidth(), clientHeight = GetDialogClientHeight();
    LayOutDialogControls(clientWidth, clientHeight);
    DialogForgetEarlyShow();
    SetDialogPlacement(kShowMaximised, clientWidth, clientHeight);
    // The dialog lays itself out for size changes only once it has painted: the controls
    // follow the maximised size here.
    LayOutDialogControls(GetDialogClientWidth(), GetDialogClientHeight());
    Fire(CTL_MODE, EVENT_DIALOG_SIZE);
    Fire(CTL_ZOOM);
    // The dialog's shown event starts the thumbnails only for a dialog that is not maximised:
    // a maximised one, first start or remembered, starts them here.
    const int32_t slot = gEffectSession.thumbnailsOn ? 0 : 1;
    // The tick comes from the dialog's own loop: the run would otherwise keep the dialog's
    // creation (and whoever waits for it) busy for as long as it takes.
    if (!gImageLists[slot] && GetListViewView(CTL_PRESET_LIST) == 0)
        SetDialogTimer(kThumbnailTimer, kThumbnailTickMs, 1);
}

bool CreateSettingsRows() {
    if (!CreateArray(ARRAY_SETTINGS_ROWS, kSettingsRowLength, kSettingsSetCount, 1, 4))
        return false;
    SetAllArrayElements(ARRAY_SETTINGS_ROWS, 0);
    return true;
}
}  // namespace

int ResetSelectiveRanges() {
    int result = 0;
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t column = 0; column < kSelectiveRangeColumns; ++column)
            result = PutArrayElement(ARRAY_SELECTIVE_RANGES, row, column, 0,
                                     kSelectiveRangeDefaults[row][column]);
    return result;
}

int SessionCreateTables() {
    const bool made = CreateIdentityCurves() && CreateSelectiveTable() && CreateSelectiveRanges() &&
                      CreateSettingsRows();
    return made ? 1 : 0;
}

int32_t OnSessionStart(EffectContext* context) {
    const bool dialogShown = context->dialogWindow != nullptr;
    const bool visibleAtStart = dialogShown && IsWindowVisible(context->dialogWindow);
    // A run without the dialog that the host gave recorded values renders those; the
    // remembered settings and the start-up choice are what a dialog starts from.
    const bool recordedRun = !dialogShown && context->scriptedValueCount > 0;
    PrepareSession(context);
    SessionCreateTables();
    gEffectSession.dialogStatePath = DataFilePath(kDialogStateFileName, 0);
    DialogStateLoad dialogState;
    const int32_t stateResult = LoadDialogState(
        gEffectSession.dialogStatePath.empty() ? nullptr : gEffectSession.dialogStatePath.c_str(),
        &dialogState);
    TakeDialogState(dialogState);
    ApplyPreferences(dialogShown, dialogState.fileRead);
    {
        StartTimingSection timing("session", "remembered settings");
        if (!recordedRun && !ApplyRememberedSettings(dialogShown) && dialogShown)
            StartFirstSession();
    }
    if (dialogShown) Fire(ToolButtonOf(gCurrentTool), EVENT_CLICKED, kFiredFromCode);
    const bool playing = HostIsPlaying(context);
    const int32_t startup = GetControlValue(CTL_ON_START_UP);
    if (dialogShown && !playing && startup != STARTUP_PREVIOUS) ApplyStartupSettings(startup, 0, 1);
    if (recordedRun || (dialogShown && playing)) ApplyRecordedValues(dialogShown);
    gEffectSession.sessionStarted = 1;
    if (dialogShown && GetControlValue(CTL_MAIN_TAB) == kSheetMain)
        Fire(CTL_CURVE, EVENT_DRAW_ITEM);
    InitUndo();
    if (dialogShown && stateResult == kDialogStateMaximise) {
        StartTimingSection timing("session", "open maximised");
        OpenMaximised();
    } else if (dialogShown && !visibleAtStart)
        DialogForgetEarlyShow();
    return 1;
}

int32_t OnRunStart(EffectContext* context) {
    // A run without the dialog (a recorded action, the host's repeat command) has had no
    // session start yet. Replaying a descriptor may already have made the curves from its
    // texts, but only the session start makes the settings rows: the tables are made
    // afresh and the descriptor's texts decoded again over them, so that a table the
    // descriptor leaves out starts from its session state, not from zeros.
    if (!context->dialogUp && (!GetArrayBase(ARRAY_CURVES) || !GetArrayBase(ARRAY_SETTINGS_ROWS))) {
        OnSessionStart(context);
        DecodeScriptTextSlots();
    }
    AgingNewRendering();
    RenderRunStart(*context);
    if (!context->dialogWanted && context->scriptedValueCount > 0 &&
        GetHostProperty(kPlayingKey, 0) != 0)
        context->controlValues[CTL_PREVIEW_ON] = 1;
    return 0;
}

int32_t FrameWidthPixels(int32_t inside, int32_t outside, int32_t border, int32_t imageWidth,
                         int32_t imageHeight) {
    const int64_t sum = int64_t(inside) + outside + border;
    return int32_t(sum * std::min(imageWidth, imageHeight) / kFrameWidthDivisor);
}

int32_t OnAfterRun(EffectContext* context) {
    SetControlTextFormat(
        CTL_FRAME_WIDTH_TEXT, "Frame Width: %d pixel",
        int(FrameWidthPixels(GetControlValue(CTL_FRAME_INSIDE), GetControlValue(CTL_FRAME_OUTSIDE),
                             GetControlValue(CTL_FRAME_BORDER), context->imageWidth,
                             context->imageHeight)));
    // Each preview rendering of the dialog is an undo step; a drag (button held) makes one
    // step when it ends, and thumbnails of presets are no change of the user's.
    if (context->dialogUp && !gSession.thumbnailRendering &&
        !(GetAsyncKeyState(VK_LBUTTON) & 0x8000))
        RecordUndo();
    return 1;
}
