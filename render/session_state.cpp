// The effect-wide values shared by the effect dialog and the render engine.

#include "render/session_state.h"

#include "host/scripting_descriptor.h"

SessionState gSession = {{}, kCurveCoordinateMax, -1, 0, 0, 0, 0, 0, 0, 0, 0, {}, {}};

namespace {
// A replayed descriptor's point counts and centres land directly in the effect's tables.
// Bound when the module loads, before any run reads a descriptor.
const bool gScriptingBound =
    (ScriptingBindTables(gSession.curvePointCount, gSession.centrePointX, gSession.centrePointY),
     true);
}  // namespace

void SessionStateReset() {
    for (int32_t& count : gSession.curvePointCount) count = 2;
    gSession.curveMax = kCurveCoordinateMax;
    gSession.curveSelectedPoint = -1;
    gSession.grainSeed = 0;
    gSession.thumbnailRendering = 0;
    gSession.brushStrokeActive = 0;
    gSession.renderDeferred = 0;
    gSession.previewSelectionMask = 0;
    gSession.brushMode = 0;
    gSession.splitOffsetX = gSession.splitOffsetY = 0;
    for (int i = 0; i < kEffectCentreCount; ++i)
        gSession.centrePointX[i] = gSession.centrePointY[i] = 0;
}
