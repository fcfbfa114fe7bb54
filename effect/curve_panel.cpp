// The effect's curve panel: what the dialog's curve widget is given to draw the current curve,
// its sliders' bend, the zone grid of the tone curve and the smoothing the preferences ask for.

#include "effect/curve_panel.h"

#include <algorithm>

#include "dialog/curve_widget.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/effect_session.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "render/render_rows.h"
#include "render/session_state.h"

namespace {
// The widget's work arrays: numbers no other part of the plug-in uses, so that a redraw
// between two renders leaves the render's lookup rows alone.
constexpr int32_t kPanelLutArray = 72;
constexpr int32_t kPanelOverlayLutArray = 76;
constexpr int32_t kPanelWorkArray = 78;
constexpr int32_t kToneCurve = 0;
constexpr int32_t kOverlayLinkSlot = 4;  // the link option among the six: bends nothing alone
}  // namespace

void CurvePanelOverlay(const int32_t* controlValues, int32_t curve, int32_t overlay[6]) {
    std::fill(overlay, overlay + 6, 0);
    if (curve < 0 || curve >= kCurveCount) return;
    const int32_t* controls = ToneChannelControls(curve);
    bool bends = false;
    for (int32_t i = 0; i < 6; ++i) {
        overlay[i] = controls[i] >= 0 ? controlValues[controls[i]] : 0;
        if (i != kOverlayLinkSlot && overlay[i] != 0) bends = true;
    }
    if (!bends) std::fill(overlay, overlay + 6, 0);
}

int32_t DrawCurvePanel() {
    if (!gEffectSession.sessionStarted) return 1;
    const int32_t curve = std::clamp(gCurrentCurve, 0, kCurveCount - 1);
    int32_t overlay[6];
    CurvePanelOverlay(gContext.controlValues, curve, overlay);
    const int32_t zones = curve == kToneCurve && gContext.controlValues[CTL_TONE_ZONES] != 0;
    return DrawCurveWidget(CTL_CURVE, ARRAY_CURVES, curve, gSession.curvePointCount,
                           gSession.curveSelectedPoint, gSession.curveMax, kPanelLutArray,
                           kPanelOverlayLutArray, kPanelWorkArray, overlay,
                           gContext.controlValues[CTL_ANTIALIASED_CURVE], zones);
}
