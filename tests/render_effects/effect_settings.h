// Settings of the effect chain shared by the engine tests and the benchmark: the film look
// (settings B), all three passes (settings C) and every effect that is not seeded per thread.
#pragma once

#include <cstdint>
#include <vector>

struct ControlSetting {
    int32_t control, value;
};

// The S-curve of settings A, as the curve text of a descriptor ("count,x,y,...,").
extern const char kSCurveText[];
// Settings A: the standard conversion (the S-curve is curve 0, set apart).
std::vector<ControlSetting> SettingsA();
// Settings B: A, grain 100 at size 15, a vignette of shape 50, aging "Dust" with 8 details.
std::vector<ControlSetting> SettingsB();
// Settings C: B, paper 50, dynamic contrast 100, diffusion 50 at radius 50, glow 50 and a
// soft frame with random edges.
std::vector<ControlSetting> SettingsC();
// Every effect whose result does not depend on the number of threads: all but the grain and
// the random frame edges (both drawn from each thread's own random source).
std::vector<ControlSetting> EveryDeterministicEffect();

struct NamedSettings {
    const char* name;
    std::vector<ControlSetting> settings;
};
// The benchmark's hash cases: settings A, B and C, and settings A with each costly effect.
std::vector<NamedSettings> HashCases();

void ApplySettings(int32_t* controlValues, const std::vector<ControlSetting>& settings);
// The S-curve in ARRAY_CURVES' curve 0 (the session tables must exist).
void SetSCurve();
