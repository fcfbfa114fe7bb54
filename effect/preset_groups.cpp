// The preset group table and the in-use test of each group.

#include "effect/preset_groups.h"

#include <cstring>

#include "host/effect_context.h"

// clang-format off
const PresetGroup kPresetGroups[kPresetGroupCount] = {
    {"gFX1BW", GROUP_PLAIN, 0, 8, {270, 50, 51, 52, 53, 231, 232, 233}},
    {"gFX1Polarizer", GROUP_PLAIN, 0, 4, {24, 42, 286, 56}},
    {"gFX1DynaContrast", GROUP_PLAIN, 0, 5, {76, 77, 291, 292, 293}},
    {"gFX1TonalLook", GROUP_PLAIN, 0, 2, {208, 137}},
    {"gFX1Lab", GROUP_PLAIN, 0, 8, {36, 125, 140, 132, 47, 34, 207, 54}},
    {"gFX1Aging", GROUP_AGING, 0, 10, {298, 302, 299, 166, 167, 242, 55, 263, 300, 301}},
    {"gFX1NDGrad", GROUP_PLAIN, 0, 10, {227, 228, 184, 185, 229, 230, 186, 187, 188, 234}},
    {"gSelBrightness", GROUP_SELECTIVE, 0, 10, {142, 143, 144, 145, 146, 147, 148, 149, 97, 40}},
    {"gSelContrast", GROUP_SELECTIVE, 1, 10, {211, 212, 213, 214, 215, 216, 217, 218, 97, 40}},
    {"gSelColorkey", GROUP_SELECTIVE, 2, 9, {111, 112, 113, 114, 115, 116, 117, 97, 40}},
    {"", GROUP_SELECTIVE, 3, 0, {}},
    {"gGenTone", GROUP_CURVE, 0, 6, {19, 20, 25, 26, 22, 38}},
    {"gGenColor", GROUP_CURVE, 1, 7, {44, 45, 46, 48, 79, 128, 135}},
    {"gGenBicolor", GROUP_CURVE, 2, 7, {43, 59, 80, 88, 130, 123, 131}},
    {"gGenRed", GROUP_CURVE, 3, 5, {245, 246, 247, 248, 250}},
    {"gGenGreen", GROUP_CURVE, 4, 5, {251, 252, 253, 254, 256}},
    {"gGenBlue", GROUP_CURVE, 5, 5, {257, 258, 259, 260, 262}},
    {"", GROUP_CURVE, 6, 0, {}},
    {"gFX2Diffusion", GROUP_PLAIN, 0, 11, {30, 31, 3, 243, 244, 75, 280, 274, 275, 277, 276}},
    {"gFX2Glow", GROUP_PLAIN, 0, 6, {121, 122, 32, 33, 235, 120}},
    {"gFX2Vignette", GROUP_PLAIN, 0, 7, {28, 93, 94, 95, 96, 119, 236}},
    {"gFX2Paper", GROUP_PLAIN, 0, 3, {21, 23, 41}},
    {"gFX2Grain", GROUP_PLAIN, 0, 7, {70, 71, 134, 72, 74, 73, 304}},
    {"gFX2Frame", GROUP_PLAIN, 0, 16,
     {110, 66, 65, 69, 29, 68, 285, 283, 284, 264, 271, 272, 273, 281, 282, 279}},
    {"gSelBrush", GROUP_PLAIN, 0, 9, {57, 99, 37, 350, 345, 378, 346, 377, 347}},
    {"gSelMask", GROUP_PLAIN, 0, 20,
     {1, 2, 11, 12, 13, 14, 4, 18, 15, 5, 7, 10, 159, 6, 9, 8, 85, 86, 87, 58}},
    {"gSelFade", GROUP_PLAIN, 0, 5, {101, 203, 204, 241, 205}},
};
// clang-format on

int32_t gGroupInUse[kPresetGroupCount];

namespace {
constexpr int32_t kCurveOff = -100;  // an intensity at its minimum switches the curve group off

// Per curve group: the intensity control and the four that must be 0 for the group to be off.
struct CurveGroupTest {
    int32_t intensity;
    int32_t others[4];
};
constexpr CurveGroupTest kCurveGroupTests[6] = {
    {19, {20, 25, 26, 22}},      {44, {45, 46, 48, 79}},      {43, {59, 80, 88, 130}},
    {245, {246, 247, 248, 250}}, {251, {252, 253, 254, 256}}, {257, {258, 259, 260, 262}},
};
// Plain groups that are in use when one of their listed controls is nonzero.
struct AnyNonzeroTest {
    int32_t group;
    int32_t count;
    int32_t controls[5];
};
constexpr AnyNonzeroTest kAnyNonzeroTests[] = {
    {1, 4, {24, 42, 286, 56}},
    {2, 1, {76}},
    {3, 1, {137}},
    {4, 1, {140}},
    {5, 1, {166}},
    {6, 2, {184, 185}},
    {18, 1, {30}},
    {19, 1, {121}},
    {20, 1, {28}},
    {21, 1, {21}},
    {22, 1, {70}},
    {23, 1, {110}},
    {25, 1, {1}},
    {26, 5, {101, 203, 204, 205, 241}},
};

bool IsIdentity(const SettingsState& state, int32_t curve) {
    const auto& p = state.curvePoints[curve];
    return p[0][0] == 0 && p[0][1] == 0 && p[1][0] == kCurveCoordinateMax &&
           p[1][1] == kCurveCoordinateMax;
}

bool CurveGroupInUse(const SettingsState& state, int32_t curve) {
    const CurveGroupTest& test = kCurveGroupTests[curve];
    if (state.values[test.intensity] <= kCurveOff) return false;
    for (int32_t n : test.others)
        if (state.values[n] != 0) return true;
    return !IsIdentity(state, curve);
}
}  // namespace

int32_t PresetGroupFromKey(const char* key, size_t length) {
    if (!key || length == 0 || length > kPresetKeyMax) return -1;
    if (key[0] == 'g') {
        for (int32_t group = 0; group < kPresetGroupCount; ++group)
            if (std::strlen(kPresetGroups[group].key) == length &&
                std::memcmp(kPresetGroups[group].key, key, length) == 0)
                return group;
        return -1;
    }
    int32_t number = 0;
    for (size_t i = 0; i < length; ++i) {
        if (key[i] < '0' || key[i] > '9' || i >= 3) return -1;
        number = number * 10 + (key[i] - '0');
    }
    return number < kPresetGroupCount ? number : -1;
}

bool PresetGroupIsEmpty(int32_t group) {
    return group < 0 || group >= kPresetGroupCount || kPresetGroups[group].key[0] == '\0';
}

int32_t PresetGroupsInUse(const SettingsState& state, int32_t flags[kPresetGroupCount]) {
    for (int32_t group = 0; group < kPresetGroupCount; ++group) flags[group] = 0;
    flags[0] = 1;
    for (const AnyNonzeroTest& test : kAnyNonzeroTests)
        for (int32_t i = 0; i < test.count; ++i)
            if (state.values[test.controls[i]] != 0) flags[test.group] = 1;
    for (int32_t column = 0; column < 3; ++column)
        for (int32_t row = 0; row < kSelectiveRows; ++row)
            if (state.selectiveTable[row][column] != 0) flags[7 + column] = 1;
    for (int32_t curve = 0; curve < 6; ++curve)
        flags[11 + curve] = CurveGroupInUse(state, curve) ? 1 : 0;
    int32_t set = 0;
    for (int32_t group = 0; group < kPresetGroupCount; ++group) set += flags[group] != 0;
    return set;
}

int32_t MarkGroupsInUse() {
    SettingsState state;
    SettingsStateCapture(state);
    return PresetGroupsInUse(state, gGroupInUse);
}
