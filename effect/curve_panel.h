// The effect's curve panel (control 100): the current curve drawn by the dialog's curve widget
// with the bend of its sliders over it, the zone grid and the anti-aliasing preference.
#pragma once

#include <cstdint>

// The overlay parameters of curve c from the control values: its intensity, brightness,
// shadows, highlights, link and exposure, all 0 when no amount bends the curve (the link
// alone bends nothing). A curve without sliders gives zeros.
void CurvePanelOverlay(const int32_t* controlValues, int32_t curve, int32_t overlay[6]);

// Draws the panel for the current curve; nothing before the session has started. Returns 1.
int32_t DrawCurvePanel();
