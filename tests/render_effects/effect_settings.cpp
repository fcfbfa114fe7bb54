// Settings of the effect chain for the engine tests and the benchmark.

#include "render_effects/effect_settings.h"

#include "effect/control_ids.h"
#include "render/session_state.h"
#include "host/numbered_arrays.h"

const char kSCurveText[] = "4,0,0,40,30,119,129,159,159,";

std::vector<ControlSetting> SettingsA() {
    return {{CTL_CONVERSION_METHOD, 2}};
}

std::vector<ControlSetting> SettingsB() {
    std::vector<ControlSetting> s = SettingsA();
    s.insert(s.end(), {{CTL_GRAIN_INTENSITY, 100},
                       {CTL_GRAIN_SIZE, 15},
                       {CTL_VIGNETTE_INTENSITY, 70},
                       {CTL_VIGNETTE_SHAPE, 50},
                       {CTL_AGING_INTENSITY, 60},
                       {CTL_AGING_TYPE, 0},
                       {CTL_AGING_DETAILS, 8},
                       {CTL_AGING_RANDOMIZE, 7}});
    return s;
}

std::vector<ControlSetting> SettingsC() {
    std::vector<ControlSetting> s = SettingsB();
    s.insert(s.end(), {{CTL_PAPER_INTENSITY, 50},
                       {CTL_PAPER_GLOSS, 40},
                       {CTL_DYNCONTRAST_INTENSITY, 100},
                       {CTL_DIFFUSION_INTENSITY, 50},
                       {CTL_DIFFUSION_RADIUS, 50},
                       {CTL_GLOW_INTENSITY, 50},
                       {CTL_FRAME_INTENSITY, 100},
                       {CTL_FRAME_EDGE_SHAPE, 6},
                       {CTL_FRAME_OUTER_EDGE, 60},
                       {CTL_FRAME_MIDDLE_EDGE, 40},
                       {CTL_FRAME_ROUNDNESS, 40},
                       {CTL_FRAME_SOFTNESS, 20},
                       {CTL_FRAME_SEED, 11}});
    return s;
}

std::vector<ControlSetting> EveryDeterministicEffect() {
    return {{CTL_CONVERSION_METHOD, 0},
            {CTL_CONVERSION_SATURATION, 40},
            {CTL_LABFX_INTENSITY, 70},
            {CTL_LABFX_TYPE, 3},
            {CTL_LABFX_AMOUNT, 90},
            {CTL_NDGRAD_BRIGHTNESS, -120},
            {CTL_NDGRAD_CONTRAST, 30},
            {CTL_NDGRAD_SHAPE, 2},
            {CTL_NDGRAD_ROTATION, 30},
            {CTL_NDGRAD_ELLIPTICAL, 40},
            {CTL_NDGRAD_SHADOWS, 20},
            {CTL_TONE_INTENSITY, 40},
            {CTL_TONING_INTENSITY, 60},
            {CTL_TONING_PARTIAL, 1},
            {CTL_BICOLOR_INTENSITY, -50},
            {CTL_RED_SHADOWS, 30},
            {CTL_VIGNETTE_INTENSITY, 80},
            {CTL_VIGNETTE_SHAPE, 30},
            {CTL_VIGNETTE_ROTATION, 20},
            {CTL_AGING_INTENSITY, 50},
            {CTL_AGING_TYPE, 2},
            {CTL_AGING_RANDOMIZE, 3},
            {CTL_PAPER_INTENSITY, 60},
            {CTL_PAPER_GLOSS, 10},
            {CTL_DYNCONTRAST_INTENSITY, 70},
            {CTL_DYNCONTRAST_SHADOWS, 30},
            {CTL_DYNCONTRAST_MIDTONES, 20},
            {CTL_DIFFUSION_INTENSITY, 60},
            {CTL_DIFFUSION_RADIUS, 6},
            {CTL_DIFFUSION_OPACITY, 30},
            {CTL_DIFFUSION_MASK_SHAPE, 2},
            {CTL_DIFFUSION_CONTRAST, 20},
            {CTL_GLOW_INTENSITY, 70},
            {CTL_GLOW_RADIUS, 4},
            {CTL_GLOW_TONE, 200},
            {CTL_GLOW_EXPOSURE, 40},
            {CTL_MASK_TYPE, 2},
            {CTL_MASK_BRIGHT_LIMIT, 60},
            {CTL_MASK_BRIGHT_TONE, 150},
            {CTL_MASK_SAT_LIMIT, 30},
            {CTL_FADE_INTENSITY, 20},
            {CTL_FADE_COLOR, -30},
            {CTL_FADE_SATURATION, 25},
            {CTL_FRAME_INTENSITY, 90},
            {CTL_FRAME_EDGE_SHAPE, 3},
            {CTL_FRAME_OUTER_EDGE, 50},
            {CTL_FRAME_ROUNDNESS, 30},
            {CTL_FRAME_SOFTNESS, 10}};
}

std::vector<NamedSettings> HashCases() {
    auto with = [](std::vector<ControlSetting> extra) {
        std::vector<ControlSetting> s = SettingsA();
        s.insert(s.end(), extra.begin(), extra.end());
        return s;
    };
    return {
        {"settings A", SettingsA()},
        {"settings B", SettingsB()},
        {"settings C", SettingsC()},
        {"grain size 15", with({{CTL_GRAIN_INTENSITY, 100}, {CTL_GRAIN_SIZE, 15}})},
        {"grain colour 50", with({{CTL_GRAIN_INTENSITY, 80}, {CTL_GRAIN_COLOR, 50}})},
        {"aging dust 8", with({{CTL_AGING_INTENSITY, 60}, {CTL_AGING_DETAILS, 8}})},
        {"aging drops 5", with({{CTL_AGING_INTENSITY, 90}, {CTL_AGING_TYPE, 4}})},
        {"paper", with({{CTL_PAPER_INTENSITY, 50}})},
        {"dynamic contrast", with({{CTL_DYNCONTRAST_INTENSITY, 100}})},
        {"glow", with({{CTL_GLOW_INTENSITY, 50}})},
    };
}

void ApplySettings(int32_t* v, const std::vector<ControlSetting>& settings) {
    for (const ControlSetting& s : settings) v[s.control] = s.value;
}

void SetSCurve() {
    const int32_t points[4][2] = {{0, 0}, {40, 30}, {119, 129}, {159, 159}};
    for (int32_t k = 0; k < 4; ++k) {
        PutArrayElement(ARRAY_CURVES, k, 0, 0, points[k][0]);
        PutArrayElement(ARRAY_CURVES, k, 1, 0, points[k][1]);
    }
    gSession.curvePointCount[0] = 4;
}
