// The effect-wide values shared by the effect dialog and the render engine.

#include "effect/session_state.h"

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "host/scripting_descriptor.h"

int32_t gCurvePointCount[kCurveCount];
int32_t gCurveMax = kCurveCoordinateMax;
int32_t gCurveSelectedPoint = -1;
int32_t gGrainSeed;
int32_t gThumbnailRendering;
int32_t gBrushStrokeActive;
int32_t gRenderDeferred;
int32_t gPreviewSelectionMask;
int32_t gBrushMode;
int32_t gSplitOffsetX, gSplitOffsetY;
int32_t gCentrePointX[kEffectCentreCount];
int32_t gCentrePointY[kEffectCentreCount];

namespace {
// Columns 0..4 of the selective table are edited through these sliders (column 3 has none).
constexpr int32_t kSelectiveColumnControls[kScriptTableColumns] = {
    CTL_SELECT_BRIGHTNESS, CTL_SELECT_CONTRAST, CTL_SELECT_COLORKEY, -1, CTL_SELECT_TOLERANCE};

// A replayed descriptor's point counts and centres land directly in the effect's tables, and
// its values are clamped to the ranges of the controls they stand for. Bound when the module
// loads, before any run reads a descriptor.
const bool gScriptingBound =
    (ScriptingBindTables(gCurvePointCount, gCentrePointX, gCentrePointY),
     ScriptingBindRanges(ControlTableRange, kSelectiveColumnControls), true);
}  // namespace

void SessionStateReset() {
    for (int32_t& count : gCurvePointCount) count = 2;
    gCurveMax = kCurveCoordinateMax;
    gCurveSelectedPoint = -1;
    gGrainSeed = 0;
    gThumbnailRendering = 0;
    gBrushStrokeActive = 0;
    gRenderDeferred = 0;
    gPreviewSelectionMask = 0;
    gBrushMode = 0;
    gSplitOffsetX = gSplitOffsetY = 0;
    for (int i = 0; i < kEffectCentreCount; ++i) gCentrePointX[i] = gCentrePointY[i] = 0;
}
