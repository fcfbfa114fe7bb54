// Reading a legacy preset and converting its values into today's controls, curves and tables.

#include "effect/legacy_preset.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "effect/control_ids.h"
#include "effect/line_file.h"
#include "render/session_state.h"
#include "render/grey_conversion.h"
#include "host/color_conversion.h"
#include "host/maths_builtins.h"

namespace {
constexpr int32_t kFire = -1;  // the argument the conversion's events carry
// The conversion methods of the old format's method number 0..6.
constexpr int32_t kLegacyMethods[] = {2, 3, 0, 0, 0, 6, 7};
constexpr int32_t kSelectiveStart = 269;    // 5 fields per colour in the long format
constexpr int32_t kRangeStart = 314;        // 4 hue points per colour in the long format
constexpr int32_t kHalfScaleFlag = 149;     // 0: the old brightness values were doubled
constexpr int32_t kToningSaturation = 150;  // the toning colour's strength
constexpr int32_t kBicolorSpread = 48;      // half the width of the bicolor S on 0..255
constexpr int32_t kBicolorSteepStart = 65;  // from this softness on the S flattens
constexpr int32_t kWhite = 0xFFFFFF;

// Direct copies: control c := v[i].
constexpr int32_t kDirect[][2] = {
    {20, 20},  {22, 22},  {23, 23},  {24, 56},  {25, 25}, {26, 26}, {27, 27}, {36, 132}, {37, 47},
    {41, 50},  {46, 232}, {48, 233}, {49, 125}, {70, 70}, {71, 71}, {72, 72}, {73, 74},  {74, 73},
    {75, 140}, {76, 34},  {77, 207}, {78, 54},  {81, 51}, {82, 52}, {83, 53},
};

// File numbers are unchecked: arithmetic on them runs in 64 bits and is held to int32.
int32_t Held(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
int32_t Flip(int32_t value) {
    return Held(value > 1 ? int64_t(value) - 1 : 1 - int64_t(value));
}

uint32_t PackRgb(int32_t r, int32_t g, int32_t b) {
    return uint32_t(r & 255) | uint32_t(g & 255) << 8 | uint32_t(b & 255) << 16;
}

// The colour arithmetic of the old format runs on the 8-bit scale whatever the image.
class EightBitScale {
  public:
    EightBitScale() : saved_(GetBitDepth()) { SetBitDepthConstants(8); }
    ~EightBitScale() { SetBitDepthConstants(saved_); }
    EightBitScale(const EightBitScale&) = delete;
    EightBitScale& operator=(const EightBitScale&) = delete;

  private:
    int32_t saved_;
};

int32_t Saturation(int32_t percent) {
    return std::clamp(Held((int64_t(percent) + 100) * 255 / 100), 0, 255);
}

int32_t HslColor(int32_t hue, int32_t saturation, int32_t lightness) {
    int32_t h = std::clamp(hue, 0, 255), s = saturation, l = std::clamp(lightness, 0, 255);
    HslToRgbInPlace(h, s, l);
    return int32_t(PackRgb(h, s, l));
}

int32_t ToningColor(const int32_t* v) {
    if (v[5] != 3) return HslColor(v[51], Saturation(v[50]), 128);
    int32_t h = std::clamp(Held(int64_t(v[51]) + 127), 0, 255);
    int32_t s = std::clamp(Held(int64_t(v[52]) + 127), 0, 255);
    int32_t l = std::clamp(Held(int64_t(v[53]) + 127), 0, 255);
    RgbToHslInPlace8(h, s, l);
    return HslColor(h, Saturation(v[50]), l);
}

void SetBicolorCurve(int32_t pivotLevel, int32_t softness, PresetChanges& c) {
    const int32_t m = kCurveCoordinateMax;
    const int32_t p = std::clamp(pivotLevel, 0, 255) * m / 255, d = kBicolorSpread * m / 255;
    const int32_t s = std::clamp(softness, 0, 255);
    int32_t x1, y1, x3, y3;
    if (s < kBicolorSteepStart) {
        x1 = p - s * p / 128 - 1;
        y1 = std::max(x1 - d, 0);
        x3 = p + (m - p) * s / 128 + 1;
        y3 = std::min(x3 + d, m);
    } else {
        x1 = p / 2;
        x3 = p + (m - p) / 2;
        const int32_t e = (255 - s) * d / 191;
        y1 = x1 - e;
        y3 = x3 + e;
    }
    const int32_t points[5][2] = {{0, 0}, {x1, y1}, {p, p}, {x3, y3}, {m, m}};
    c.SetCurveCount(2, 5);
    for (int32_t i = 0; i < 5; ++i) c.SetCurvePoint(2, i, points[i][0], points[i][1]);
}

void SetSelectedColorField(PresetChanges& c, int32_t color, int32_t slider, int32_t value) {
    if (c.view[CTL_SELECT_COLOR_MARK] == color) c.SetValue(slider, value);
}

// --- The conversion steps, in order ----------------------------------------------------------
void ConvertMode(const int32_t* v, int32_t, PresetChanges& c) {
    c.SetValue(CTL_MODE, 4);
    c.Fire(CTL_MODE, EVENT_CLICKED, kFire);
    if (v[4] >= 0 && v[4] < int32_t(std::size(kLegacyMethods)))
        c.SetValue(CTL_CONVERSION_METHOD, kLegacyMethods[v[4]]);
    c.Fire(CTL_CONVERSION_METHOD, EVENT_CLICKED, kFire);
}

void ConvertSelective(const int32_t* v, int32_t count, PresetChanges& c) {
    if (v[6] > 1) {
        c.SetValue(CTL_SELECT_CONTROLS, v[6] - 2);
        c.Fire(CTL_SELECT_CONTROLS, EVENT_CLICKED, kFire);
    }
    const bool halve = v[kHalfScaleFlag] == 0;
    if (count > kLegacyMiddleLength) {
        for (int32_t a = 0; a < kSelectiveRows; ++a) {
            if (a == 7) continue;  // the old format's eighth colour has no place today
            const int32_t color = a == 8 ? 7 : a;
            for (int32_t b = 0; b < 5; ++b) {
                int32_t x = v[kSelectiveStart + 5 * a + b];
                if (b == 0 && halve) x /= 2;
                if (b == 2 || b == 3) continue;
                if (b < 2) {
                    c.SetValue(b == 0 ? CTL_SELBRIGHT_RED + color : CTL_SELCONTRAST_RED + color, x);
                    c.SetSelective(color, b, x);
                    SetSelectedColorField(c, color, CTL_SELECT_BRIGHTNESS + b, x);
                } else {
                    c.SetSelective(color, 4, x);
                    SetSelectedColorField(c, color, CTL_SELECT_TOLERANCE, x);
                }
            }
        }
    }
    if (c.view[CTL_SELECT_CONTROLS] == 0) {
        for (int32_t a = 0; a < 7; ++a) {
            const int32_t x = halve ? v[142 + a] / 2 : v[142 + a];
            c.SetValue(CTL_SELBRIGHT_RED + a, x);
            c.SetSelective(a, 0, x);
        }
    }
    if (count > kLegacyMiddleLength)
        for (int32_t a = 0; a < kSelectiveRows; ++a)
            for (int32_t b = 0; b < 4; ++b) c.SetSelectiveRange(a, b, v[kRangeStart + 4 * a + b]);
    c.SetValue(CTL_SELECTIVE_INTENSITY, 0);
    c.SetValue(CTL_SELECTIVE_TOLERANCE, 0);
}

void ConvertToning(const int32_t* v, int32_t, PresetChanges& c) {
    if (v[5] <= 1) return;
    EightBitScale eightBits;
    if (v[5] <= 5) {
        c.SetValue(CTL_TONING_COLOR_SWATCH, ToningColor(v));
        c.SetValue(CTL_TONING_COLOR, kToningSaturation);
        if (v[5] == 5) c.SetValue(CTL_TONING_PARTIAL, 1);
    } else if (v[5] == 6) {
        c.SetValue(CTL_BICOLOR_SWATCH_1, HslColor(v[51], Saturation(v[50]), 128));
        c.SetValue(CTL_BICOLOR_SWATCH_2, HslColor(v[53], Saturation(v[52]), 128));
        SetBicolorCurve(v[59], v[57], c);
    }
}

void ConvertMask(const int32_t* v, int32_t, PresetChanges& c) {
    const int32_t type = v[1];
    if (type <= 1) return;
    if (type < 8) c.SetValue(CTL_MASK_SHOW_COLOR, v[29]);
    auto maskType = [&c](int32_t value) {
        c.SetValue(CTL_MASK_TYPE, value);
        c.Fire(CTL_MASK_TYPE, EVENT_CLICKED, kFire);
    };
    switch (type) {
        case 2:
        case 3:
            maskType(type + 1);
            c.SetValue(11, v[11]);
            c.SetValue(12, v[12]);
            if (type == 3) c.SetValue(13, v[13]);
            c.SetValue(14, v[14]);
            c.SetValue(2, type == 2 ? v[9] : Flip(v[9]));
            break;
        case 5:
            maskType(2);
            c.SetValue(15, v[15]);
            c.SetValue(18, v[18]);
            c.SetValue(4, Flip(v[9]));
            break;
        case 6:
            maskType(2);
            c.SetValue(7, v[18]);
            c.SetValue(10, v[10]);
            c.SetValue(5, Flip(v[9]));
            break;
        case 7:
            maskType(2);
            c.SetValue(159, 0);
            c.SetValue(9, v[18]);
            c.SetValue(8, v[10]);
            c.SetValue(6, Flip(v[9]));
            break;
        case 9:
            for (auto [n, x] :
                 {std::pair{28, 100}, {93, 128}, {94, 40}, {95, -100}, {96, 0}, {119, 0}, {236, 0}})
                c.SetValue(n, x);
            break;
        case 10:
            for (auto [n, x] : {std::pair{110, 100},
                                {66, 250},
                                {65, 40},
                                {69, 20},
                                {29, kWhite},
                                {68, 0},
                                {285, 0},
                                {283, 0}})
                c.SetValue(n, x);
            break;
        default:
            break;
    }
}

void ConvertVignetteAndFrame(const int32_t* v, int32_t count, PresetChanges& c) {
    if (count <= kLegacyShortLength) return;
    if (v[34] != 0 && v[1] != 9) {
        c.SetValue(28, Held(100 - int64_t(v[260])));
        c.SetValue(93, v[256]);
        c.SetValue(94, v[257]);
        c.SetValue(95, -100);
        c.SetValue(96, v[259]);
        c.SetValue(119, v[261]);
        c.SetValue(236, 0);
    }
    if (v[217] != 0 && v[1] != 10) {
        c.SetValue(110, Held(100 - int64_t(v[266])));
        c.SetValue(66, Held(2 * int64_t(v[262])));
        c.SetValue(65, v[264]);
        c.SetValue(69, v[263] / 2);
        const int32_t color = std::clamp(v[267], 0, kWhite), complement = color ^ kWhite;
        const bool swapped = v[266] != 0;
        c.SetValue(29, swapped ? complement : color);
        c.SetValue(68, swapped ? color : complement);
        c.SetValue(285, 0);
        c.SetValue(283, 0);
    }
}

void ConvertDiffusionAndGlow(const int32_t* v, int32_t, PresetChanges& c) {
    const int32_t kind = v[3];
    if (kind >= 2 && kind <= 4) {
        c.SetValue(30, v[30]);
        c.SetValue(31, v[31]);
        c.SetValue(3, kind == 2 ? 50 : kind == 3 ? 75 : 90);
        c.SetValue(243, 0);
        c.SetValue(244, 0);
        c.SetValue(75, 0);
    } else if (kind >= 6) {
        c.SetValue(121, v[30]);
        c.SetValue(122, v[31]);
        c.SetValue(235, 0);
        c.SetValue(32, v[32]);
        c.SetValue(120, kind == 6 ? kWhite : 0);
        c.SetValue(33, kind == 6 ? 255 : 0);
    }
}

void ConvertDirectValues(const int32_t* v, int32_t, PresetChanges& c) {
    c.SetValue(CTL_LABFX_TYPE, Held(int64_t(v[8]) - 2));
    c.Fire(CTL_LABFX_TYPE, EVENT_CLICKED, kFire);
    for (const auto& pair : kDirect) c.SetValue(pair[1], v[pair[0]]);
    if (c.view[CTL_CONVERSION_METHOD] == 6) c.SetValue(CTL_CONVERSION_HUE, v[44]);
    c.SetValue(CTL_TONE_BRIGHTNESS, v[20] < 0 ? v[20] / 3 : Held(int64_t(v[20]) * 3));
}

void ConvertPaperAndSwitches(const int32_t* v, int32_t, PresetChanges& c) {
    if (v[21] > 0) {
        c.SetValue(21, Held(4 * int64_t(v[21])));
        c.SetValue(41, 0);
    } else if (v[21] < 0 && c.view[30] == 0) {
        c.SetValue(30, Held(-2 * int64_t(v[21])));
        c.SetValue(31, Held(int64_t(v[23]) + 10));
        c.SetValue(3, 100);
        c.SetValue(243, 0);
        c.SetValue(244, 0);
        c.SetValue(75, 0);
    }
    if (v[7] < 2) c.SetValue(CTL_GRAIN_INTENSITY, 0);
    if (v[7] >= 7) c.SetValue(CTL_GRAIN_COLOR, 100);
    c.SetValue(304, 0);
    if (v[8] < 2) c.SetValue(CTL_LABFX_INTENSITY, 0);
    if (c.view[CTL_PREVIEW_ON] == 0) c.SetValue(CTL_PREVIEW_ON, 1);
}

using ConvertStepProc = void (*)(const int32_t* v, int32_t count, PresetChanges& c);
constexpr ConvertStepProc kConvertSteps[] = {
    ConvertMode,         ConvertSelective,        ConvertToning,
    ConvertMask,         ConvertVignetteAndFrame, ConvertDiffusionAndGlow,
    ConvertDirectValues, ConvertPaperAndSwitches,
};
}  // namespace

void LegacyPresetConvert(const int32_t* v, int32_t count, PresetChanges& changes) {
    for (ConvertStepProc step : kConvertSteps) step(v, count, changes);
}

bool LegacyPresetParse(std::string_view text, PresetChanges& changes, std::string& error) {
    LineReader reader(text);
    std::string_view line;
    reader.NextLine(line);
    // Unused slots of a short file read as 0, never as numbers of another preset.
    std::vector<int32_t> values(kLegacyValueMax, 0);
    int32_t count = 0;
    while (count < kLegacyValueMax && reader.NextLine(line)) {
        if (!ParseLineNumber(line, values[count])) {
            error = "line " + std::to_string(reader.LineNumber()) + " is not a number";
            return false;
        }
        ++count;
    }
    if (count != kLegacyShortLength && count != kLegacyMiddleLength && count != kLegacyValueMax) {
        error = "it holds " + std::to_string(count) + " values, not 257, 269 or 350";
        return false;
    }
    LegacyPresetConvert(values.data(), count, changes);
    return true;
}
