// The session hooks: the session start makes the tables every rendering reads, the run
// start makes sure they exist, and the after-run hook follows each rendering.

#include "effect/session_hooks.h"

#include <algorithm>
#include <ctime>

#include "dialog/control_texts.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/undo_history.h"
#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/scripting_descriptor.h"
#include "host/worker_threads.h"
#include "render/curve_widget_services.h"
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
    // The pool serves the dialog's preset thumbnails; a run without the dialog renders none,
    // and would only make its threads to terminate them at the finish.
    if (context->dialogUp || context->dialogWanted) StartWorkerPool();
    gSession.grainSeed = int32_t(time(nullptr));
    InstallCurveWidgetServices();
    SessionCreateTables();
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
