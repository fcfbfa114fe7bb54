// The effect-wide values that the effect dialog sets and the render engine reads: curve
// point counts, the grain seed, the render switches of the dialog's tools and the split
// line. One definition, in effect/session_state.cpp; the session start and the dialog's
// handlers write them on the host's thread, workers only read them during a render.
#pragma once

#include <cstdint>

constexpr int kCurveCount = 7;
constexpr int kCurvePointMax = 16;
constexpr int32_t kCurveCoordinateMax = 159;  // the curve diagram's coordinate maximum
constexpr int kEffectCentreCount = 6;

extern int32_t gCurvePointCount[kCurveCount];      // points in use per curve, 2..16
extern int32_t gCurveMax;                          // coordinate maximum of the curves (159)
extern int32_t gCurveSelectedPoint;                // selected point of the curve panel; -1 none
extern int32_t gGrainSeed;                         // seconds; taken when the session starts
extern int32_t gThumbnailRendering;                // set while preset thumbnails render
extern int32_t gBrushStrokeActive;                 // set while a brush stroke is drawn
extern int32_t gRenderDeferred;                    // set while the split line is dragged
extern int32_t gPreviewSelectionMask;              // blend by the host's selection in previews
extern int32_t gBrushMode;                         // 1 erase, 2 paint
extern int32_t gSplitOffsetX, gSplitOffsetY;       // split line offset, whole-image pixels
extern int32_t gCentrePointX[kEffectCentreCount];  // effect centres, whole-image pixels
extern int32_t gCentrePointY[kEffectCentreCount];

// The values these have when the plug-in is loaded (tests start from here).
void SessionStateReset();
