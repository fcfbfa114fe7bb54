// The first steps of the pixel pipeline: polarizer and colour contrast, the grey conversion
// methods, lightness and tonal look, and the selective adjustments per colour range.
#pragma once

#include <cstdint>

#include "render/pixel_weights.h"

// Values of CTL_CONVERSION_METHOD (1 and 5 are separator lines of its list).
enum ConversionMethod : int32_t {
    CONVERSION_COLOR_FILTER = 0,
    CONVERSION_STANDARD = 2,
    CONVERSION_DESATURATION = 3,
    CONVERSION_AVERAGE = 4,
    CONVERSION_INFRARED = 6,
    CONVERSION_SPLIT = 7,  // also every value not named here
};

// Per-render values of the grey conversion, derived once from the control values and read
// by every worker.
struct GreyConversion {
    BitDepth depth;
    int32_t method;
    int32_t saturation;           // CTL_CONVERSION_SATURATION, -128..128
    int32_t k1, k2, t;            // saturation blend factors
    int32_t hue;                  // CTL_CONVERSION_HUE, 0..255
    int32_t infraRedStrength;     // p of the infra-red mix
    Rgb filterA, filterB;         // filter colours of the hue and the highlight hue, 0..255 scale
    int32_t sumA, sumB;           // channel sums of the filter colours, always above 0
    int32_t splitLow, splitHigh;  // level window of the Split B&W blend
    int32_t lightness;            // CTL_CONVERSION_LIGHTNESS; 0 = off
    int32_t sky, foliage, skin;   // polarizer strengths, -100..100
    int32_t polarizerCount;       // how many of the three are on
    int32_t colorContrast;        // CTL_POLARIZER_COLOR_CONTRAST, -100..100
    int32_t tonalLookIntensity;   // 0..100; 0 = off
    const int32_t* tonalLook;     // max + 1 entries; read only when the intensity is not 0
};

// Reads the conversion's controls from a controlValues table.
GreyConversion GreyConversionFromControls(const int32_t* controlValues, const BitDepth& depth,
                                          const int32_t* tonalLook);

// One channel of the colour (hue, saturation, lightness) on the 0..255 scale, whatever the
// image's depth: the filter colours are weights, not levels. Saturation may exceed 255 (the
// filter colours use 2 x saturation + 256), which pushes channels beyond 0..255.
int32_t HslToRgb255(int32_t hue, int32_t saturation, int32_t lightness, int32_t channel);
// Hue of a colour on the 0..255 scale (channels clamped into 0..255), 0..254 around the
// circle; 0 for greys.
int32_t Hue255(int32_t r, int32_t g, int32_t b);

// Polarizer and colour contrast on the colour pixel; leaves it alone when both are off.
void ApplyPolarizer(const GreyConversion& conversion, Rgb& pixel);
// The grey of a (polarized) pixel by the conversion method, before lightness and clamping.
int32_t GreyByMethod(const GreyConversion& conversion, const Rgb& source, const Rgb& pixel);
// Polarizer, conversion, lightness, clamp and tonal look: the grey level 0..max of a source
// pixel.
int32_t ConvertToGrey(const GreyConversion& conversion, const Rgb& source);

// True when ConvertToGrey is Luma709 of the source alone: the standard method without
// saturation, polarizer, colour contrast, lightness or tonal look.
bool GreyConversionIsLuma709(const GreyConversion& conversion);

// ConvertToGrey for a row of source pixels.
void ConvertRowToGrey(const GreyConversion& conversion, const Rgb* sources, int32_t count,
                      int32_t* greys);

// --- Selective adjustments ------------------------------------------------------------
constexpr int kSelectiveRows = 9;  // rows 0..7 are hue ranges, row 8 the grey range
constexpr int kSelectiveGreyRow = 8;
constexpr int kSelectiveTableColumns = 5;  // brightness, contrast, colour key, -, tolerance
constexpr int kSelectiveRangeColumns = 7;  // hue points a, b, c, d; weights of R, G, B

// The session tables as the pipeline reads them.
struct SelectiveTables {
    int32_t table[kSelectiveRows][kSelectiveTableColumns];
    int32_t ranges[kSelectiveRows][kSelectiveRangeColumns];
};

struct SelectiveRow {
    int32_t row;  // 0..8
    int32_t bright, contrast, key;
    int32_t tolerance;   // column 4 plus CTL_SELECTIVE_TOLERANCE, 0..90
    int32_t a, b, c, d;  // hue points
    int32_t weightR, weightG, weightB;
    const int32_t* lut;  // max + 1 entries; used when key is 0
};

// The rows that do something, in row order, and the intensity that mixes them in.
struct SelectiveAdjustment {
    BitDepth depth;
    int32_t intensity;  // CTL_SELECTIVE_INTENSITY, -100..100
    int32_t rowCount;
    SelectiveRow rows[kSelectiveRows];
};

// True when a row of the table has a non-zero brightness, contrast, key or column 3: the
// pipeline then runs the selective step.
bool SelectiveTablesInUse(const SelectiveTables& tables);
// luts[i] is the lookup row of row i (needed for rows whose key is 0).
SelectiveAdjustment SelectiveFromTables(const SelectiveTables& tables, int32_t toleranceControl,
                                        int32_t intensity, const BitDepth& depth,
                                        const int32_t* const luts[kSelectiveRows]);
// Membership 0..255 of a hue in the range rising from a to b, full from b to c and falling
// from c to d, on the hue circle of 255 steps: a part whose end lies below its start wraps
// past 255. A part of zero width is a step: the hue at it belongs fully.
int32_t SelectiveHueMembership(int32_t hue, int32_t a, int32_t b, int32_t c, int32_t d);
// Bends the grey pixel toward each range's curve or back toward the source colour, then
// mixes by the intensity and clamps. g is the grey the conversion gave.
void ApplySelective(const SelectiveAdjustment& adjustment, const Rgb& source, int32_t g,
                    Rgb& pixel);
