// The preview tools (hand, eyedropper, cross, brush, split drag): what the eyedropper picks
// from the pixels under it (pure), and the tool buttons and preview mouse events (glue, in
// effect/preview_tools.cpp).
#pragma once

#include <cstdint>

constexpr int32_t kColorBandCount = 7;    // red, orange, yellow, green, cyan, blue, magenta
constexpr int32_t kCurvePointReach = 12;  // a curve point this close to the level is moved
constexpr int32_t kCrossOptionCount = 6;

// Hue limits of a colour band: columns 1 and 2 of its row of ARRAY_SELECTIVE_RANGES.
struct HueRange {
    int32_t start, end;
};

// What the eyedropper reads: the pixel under the cursor and the HSL means of the 3 x 3
// pixels around it, all on 0..255.
struct EyedropperSample {
    int32_t r, g, b;
    int32_t meanHue, meanSaturation;
    int32_t saturation;  // of the pixel itself
};

// (715 G + 213 R + 72 B) / 1000.
int32_t EyedropperLuminance(int32_t r, int32_t g, int32_t b);
// The colour band of a hue (0 red .. 6 magenta), -1 when it lies in none of the ranges. Red
// wraps past the end of the hue circle; orange's limits are not included.
int32_t EyedropperColorBand(int32_t hue, const HueRange ranges[kColorBandCount]);

// The values an eyedropper option sets before it drags its target.
struct EyedropperSetting {
    int32_t control, value;
};
struct EyedropperPick {
    int32_t target = -1;  // the control the drag changes; -1 none
    int32_t fire = -1;    // a colour box to choose first; -1 none
    int32_t settingCount = 0;
    EyedropperSetting settings[2] = {};
    int32_t setColor = 0;  // the first setting is a colour: also the control's colour
};
// The target of the eyedropper options outside the curves (1, 2, 4..6, 15, 17..19) for a
// sample; values[n] is the value of control n (0..399).
EyedropperPick PickEyedropperTarget(int32_t option, const EyedropperSample& sample,
                                    const HueRange ranges[kColorBandCount], const int32_t* values);

// The curve options 8..13: the level of the sample on the curve's 0..curveMax scale.
int32_t EyedropperCurveLevel(int32_t option, const EyedropperSample& sample, bool toneZonesOn,
                             int32_t curveMax);
// The first point whose input lies strictly within kCurvePointReach of level, -1 none.
int32_t CurvePointNear(const int32_t* inputs, int32_t count, int32_t level);

// A cross option's slot in the centre tables (0..5), -1 for a value that names no option
// (the option's control can come from a preset file).
int32_t CrossSlot(int32_t crossOption);

// The split drag's offsets, whole-image pixels, from a cursor at (x, y) of the preview image
// (width X, height Y, proxy scale reduction): relative to the image centre, or with Multi
// the cursor itself held to the current rectangle.
struct SplitOffsets {
    int32_t x, y;
};
SplitOffsets SplitOffsetsFor(int32_t x, int32_t y, int32_t X, int32_t Y, int32_t reduction,
                             bool multi, int32_t left, int32_t top, int32_t right, int32_t bottom);
