// The effect-wide values that the effect dialog sets and the render engine reads: curve
// point counts, the grain seed, the render switches of the dialog's tools and the split
// line. All are written on the host's thread; workers only read them during a render.
#pragma once

#include <cstdint>

constexpr int kCurveCount = 7;
constexpr int kCurvePointMax = 16;
constexpr int32_t kCurveCoordinateMax = 159;  // the curve diagram's coordinate maximum
constexpr int kEffectCentreCount = 6;

struct SessionState {
    // Points in use per curve, 2..16; set by the session start (effect/session_hooks.cpp) and
    // by a replayed descriptor, which writes straight into this table (ScriptingBindTables,
    // bound in render/session_state.cpp).
    int32_t curvePointCount[kCurveCount];
    int32_t curveMax;            // coordinate maximum of the curves (159); effect/session_hooks.cpp
    int32_t curveSelectedPoint;  // selected point of the curve panel, -1 none;
                                 // effect/session_hooks.cpp
    int32_t grainSeed;           // seconds; effect/session_hooks.cpp when the session starts
    int32_t thumbnailRendering;  // set while preset thumbnails render; the effect dialog
    int32_t brushStrokeActive;   // set while a brush stroke is drawn; the effect dialog
    int32_t renderDeferred;      // set while the split line is dragged; the effect dialog
    // Blend by the host's selection in previews. Set by the effect dialog; cleared by the
    // render hook (render/render_hook.cpp) for a render without a selection to blend, once,
    // before any worker reads it: the one place that knows the run has no selection.
    int32_t previewSelectionMask;
    int32_t brushMode;                         // 1 erase, 2 paint; the effect dialog
    int32_t splitOffsetX, splitOffsetY;        // split line offset, whole-image pixels; the
                                               // effect dialog
    int32_t centrePointX[kEffectCentreCount];  // effect centres, whole-image pixels; the effect
    int32_t centrePointY[kEffectCentreCount];  // dialog and a replayed descriptor (as above)
};
// One definition, in render/session_state.cpp. Tests write fields directly to set up a render.
extern SessionState gSession;

// The values these have when the plug-in is loaded (tests start from here).
void SessionStateReset();
