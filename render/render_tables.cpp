// Lookup rows and tables of one rendering, made on the host's thread from the control values
// and the session tables.

#include "render/render_tables.h"

#include <algorithm>
#include <cmath>

#include "effect/control_ids.h"
#include "render/session_state.h"
#include "host/numbered_arrays.h"
#include "host/random_source.h"
#include "render/gradient_noise.h"
#include "render/tonal_look.h"
#include "render/tone_curve.h"

uint32_t gAgingRenderingSeed = 1;

namespace {
constexpr int32_t kSplinePointRows = 128;
constexpr int32_t kTonalLookSeparator = 5;
constexpr int32_t kTonalLookFirstShapeType = 6;

bool EnsureSplinePoints() {
    if (GetArrayBase(ARRAY_SPLINE_POINTS)) return true;
    return CreateArray(ARRAY_SPLINE_POINTS, kSplinePointRows, 2, kToneChannels, 4) != 0;
}

void FillIdentityRow(int32_t array, int32_t row, int32_t max) {
    for (int32_t level = 0; level <= max; ++level) PutArrayElementRaw(array, level, row, 0, level);
}

// Row c of ARRAY_CURVE_LUTS: the curve's spline at the image's levels, then its sliders.
bool MakeToneRow(int32_t c, int32_t max, const int32_t* v) {
    const int32_t count = std::clamp(gSession.curvePointCount[c], 0, kCurvePointMax);
    if (count == 2 && ToneCurveIsIdentity(c)) {
        FillIdentityRow(ARRAY_CURVE_LUTS, c, max);
    } else {
        if (!EnsureSplinePoints()) return false;
        const int64_t curveMax = std::max(gSession.curveMax, 1);
        for (int32_t k = 0; k < count; ++k) {
            for (int32_t coordinate = 0; coordinate < 2; ++coordinate) {
                const int64_t p = GetArrayElement(ARRAY_CURVES, k, coordinate, c);
                PutArrayElementRaw(ARRAY_SPLINE_POINTS, k, coordinate, c,
                                   int32_t(std::min<int64_t>(max, p * max / curveMax)));
            }
        }
        if (!SplineSecondDerivatives(ARRAY_SPLINE_POINTS, c, count, ARRAY_CURVE_LUTS, c, max))
            return false;
    }
    const int32_t* controls = ToneChannelControls(c);
    return CurveToLut(ARRAY_CURVE_LUTS, c, ARRAY_SPLINE_DERIVS, ARRAY_SPLINE_WORK, max,
                      v[controls[0]], v[controls[1]], v[controls[2]], v[controls[3]],
                      v[controls[4]], v[controls[5]]) != 0;
}

// A single-row brightness/contrast bend: the identity bent by CurveToLut.
void MakeBendRow(int32_t array, int32_t max, int32_t brightness, int32_t contrast) {
    if (!CreateArray(array, max + 1, 1, 1, 4)) return;
    FillIdentityRow(array, 0, max);
    CurveToLut(array, 0, ARRAY_SPLINE_DERIVS, ARRAY_SPLINE_WORK, max, 0, brightness, contrast,
               contrast, 0, 0);
}

void MakeStrengthTable(int32_t array) {
    if (!CreateArray(array, 256, 1, 1, 1)) return;
    for (int32_t i = 0; i < 256; ++i) PutArrayElement(array, i, 0, 0, StrengthByTone(i));
}

void MakeMaskToneCurve(const int32_t* v) {
    if (!CreateArray(ARRAY_MASK_TONE_LUT, 256, 1, 1, 4) || !EnsureSplinePoints()) return;
    const int32_t points[3][2] = {{0, 255 - v[CTL_MASK_SHADOWS]},
                                  {128, 255 - v[CTL_MASK_MIDTONES]},
                                  {255, 255 - v[CTL_MASK_HIGHLIGHTS]}};
    for (int32_t k = 0; k < 3; ++k) {
        PutArrayElementRaw(ARRAY_SPLINE_POINTS, k, 0, 0, points[k][0]);
        PutArrayElementRaw(ARRAY_SPLINE_POINTS, k, 1, 0, points[k][1]);
    }
    SplineSecondDerivatives(ARRAY_SPLINE_POINTS, 0, 3, ARRAY_MASK_TONE_LUT, 0, 255);
}
}  // namespace

int32_t StrengthByTone(int32_t i) {
    const int32_t value = int32_t(std::trunc(std::pow(i * 0.001953125, 0.5) * 255.0 - i));
    return std::max(value, 0);
}

bool PrepareTonalLook(const int32_t* v, bool dialogUp) {
    const int32_t type = v[CTL_TONALLOOK_TYPE];
    if (v[CTL_TONALLOOK_INTENSITY] == 0) {
        // With the look off, the dialog counts the image's histogram once so that moving
        // the look's slider later is quick. A run without the dialog never shows the look:
        // counting the whole image there would be work for nothing.
        if (dialogUp && !GetArrayBase(ARRAY_TONALLOOK_LUT))
            MatchHistogram(ARRAY_HISTOGRAM, TONAL_SHAPE_NONE, nullptr, ARRAY_TONALLOOK_LUT);
        return false;
    }
    if (type >= 0 && type < kTonalLookSeparator) {
        MatchHistogram(ARRAY_HISTOGRAM, type + 1, nullptr, ARRAY_TONALLOOK_LUT);
        return true;
    }
    const int32_t shape = type - kTonalLookFirstShapeType;
    if (shape < 0 || shape >= kTonalLookShapeCount) return false;
    MatchHistogram(ARRAY_HISTOGRAM, TONAL_SHAPE_NONE, kTonalLookShapes[shape], ARRAY_TONALLOOK_LUT);
    return true;
}

void AgingNewRendering() {
    gAgingRenderingSeed = uint32_t(RandomNext()) + 1u;
}

void PrepareAging(const int32_t* v) {
    if (v[CTL_AGING_INTENSITY] == 0) return;
    // Without a seed of its own the texture takes the seed drawn when this rendering started:
    // every rendering gets new tables, while all tiles of one run get the same ones (left to
    // this thread's state, each tile would follow what the one before drew, with seams).
    RandomSeed(v[CTL_AGING_RANDOMIZE] > 0 ? uint32_t(v[CTL_AGING_RANDOMIZE]) : gAgingRenderingSeed);
    InitNoise();
}

void PrepareToneLuts(RenderPlan& plan, const int32_t* v) {
    bool any = false;
    for (bool inUse : plan.toneInUse) any = any || inUse;
    if (!any) return;
    const int32_t max = plan.depth.max;
    if (!CreateArray(ARRAY_CURVE_LUTS, max + 1, kToneChannels, 1, 4)) {
        for (bool& inUse : plan.toneInUse) inUse = false;
        return;
    }
    for (int32_t c = 0; c < kToneChannels; ++c)
        if (plan.toneInUse[c] && !MakeToneRow(c, max, v)) plan.toneInUse[c] = false;
}

void PrepareSelectiveLuts(const SelectiveTables& tables, int32_t max) {
    bool any = false;
    for (const auto& row : tables.table) any = any || row[0] != 0 || row[1] != 0;
    if (!any) {
        ReleaseArray(ARRAY_SELECTIVE_LUTS);
        return;
    }
    if (!CreateArray(ARRAY_SELECTIVE_LUTS, max + 1, kSelectiveRows, 1, 4)) return;
    for (int32_t i = 0; i < kSelectiveRows; ++i) {
        const int32_t bright = tables.table[i][0];
        const int32_t contrast = tables.table[i][1];
        if (bright == 0 && contrast == 0) continue;
        FillIdentityRow(ARRAY_SELECTIVE_LUTS, i, max);
        CurveToLut(ARRAY_SELECTIVE_LUTS, i, ARRAY_SPLINE_DERIVS, ARRAY_SPLINE_WORK, max, 0,
                   3 * bright, contrast, contrast, 0, 0);
    }
}

void PrepareBendRows(const RenderPlan& plan, const int32_t* v) {
    const int32_t max = plan.depth.max;
    if (v[CTL_NDGRAD_BRIGHTNESS] != 0 || v[CTL_NDGRAD_CONTRAST] != 0)
        MakeBendRow(ARRAY_NDGRAD_LUT, max, v[CTL_NDGRAD_BRIGHTNESS], v[CTL_NDGRAD_CONTRAST]);
    if (v[CTL_DIFFUSION_INTENSITY] > 0 &&
        (v[CTL_DIFFUSION_BRIGHTNESS] != 0 || v[CTL_DIFFUSION_CONTRAST] != 0))
        MakeBendRow(ARRAY_DIFFUSION_LUT, max, v[CTL_DIFFUSION_BRIGHTNESS],
                    v[CTL_DIFFUSION_CONTRAST]);
    if (v[CTL_MASK_TYPE] == 2 && v[CTL_MASK_BRIGHT_MODE] == 1) MakeMaskToneCurve(v);
    if (plan.dynamicContrast &&
        (v[CTL_DYNCONTRAST_SHADOWS] != 0 || v[CTL_DYNCONTRAST_MIDTONES] != 0 ||
         v[CTL_DYNCONTRAST_HIGHLIGHTS] != 0))
        MakeStrengthTable(ARRAY_DYNCONTRAST_TONE);
    if (v[CTL_GRAIN_INTENSITY] != 0 &&
        (v[CTL_GRAIN_HIGHLIGHTS] != 0 || v[CTL_GRAIN_SHADOWS] != 0 || v[CTL_GRAIN_MIDTONES] != 0))
        MakeStrengthTable(ARRAY_GRAIN_TONE);
}

SelectiveTables ReadSelectiveTables() {
    SelectiveTables tables = {};
    for (int32_t row = 0; row < kSelectiveRows; ++row) {
        for (int32_t column = 0; column < kSelectiveTableColumns; ++column)
            tables.table[row][column] = GetArrayElement(ARRAY_SELECTIVE_TABLE, row, column, 0);
        for (int32_t column = 0; column < kSelectiveRangeColumns; ++column)
            tables.ranges[row][column] = GetArrayElement(ARRAY_SELECTIVE_RANGES, row, column, 0);
    }
    return tables;
}
