// The weights that limit the effect: the selection mask (tonal ranges, or a linear or
// circular gradient) and the painted brush mask, and the blends of the processed pixel
// back toward its base by them.
#pragma once

#include <cstdint>

#include "render/array_view.h"
#include "render/gradient_shape.h"
#include "render/pixel_weights.h"

enum MaskType : int32_t {
    MASK_TONAL = 2,
    MASK_LINEAR = 3,
    MASK_CIRCULAR = 4,
};

// Per-render values of the selection mask; built on the host's thread, read by every worker.
struct SelectionMask {
    BitDepth depth;
    int32_t type;     // MaskType, or 0 when no mask is active
    bool showColour;  // CTL_MASK_SHOW_COLOR: the base keeps the source's colour
    int32_t colourLimit;
    bool colourInvert;
    Rgb colour;               // CTL_MASK_COLOR after the round trip, 0..255
    int32_t colourLightness;  // its lightness, 0..255
    int32_t satTone, satLimit;
    bool satInvert;
    bool brightTones;  // CTL_MASK_BRIGHT_MODE 1: the tone curve, else the tone range
    int32_t brightTone, brightLimit;
    bool brightInvert;
    bool tonesAllZero;       // shadows, midtones and highlights all 0
    int32_t toneCurve[256];  // ARRAY_MASK_TONE_LUT
    GradientShape gradient;  // linear and circular masks
};

// Per-render values of the brush mask.
struct BrushMask {
    bool on;       // CTL_BRUSH_INTENSITY not 0 and the brush mask exists
    bool weighed;  // the weight is needed: brush on or CTL_MASK_OPTION
    bool showColour;
    int32_t zoom;        // the brush arrays are in whole-image pixels
    ArrayView mask;      // ARRAY_BRUSH_MASK
    ArrayView stroke;    // ARRAY_BRUSH_STROKE
    int32_t amount;      // CTL_BRUSH_AMOUNT 0..100
    Rgb colour;          // CTL_BRUSH_COLOR, 0..255
    int32_t low, range;  // colour distance window of the amount and tolerance
    int32_t mode;        // gSession.brushMode: 1 erase, 2 paint
    int32_t opacity;     // CTL_BRUSH_OPACITY
    int32_t intensity;   // CTL_BRUSH_INTENSITY, negated by CTL_BRUSH_INVERT
    int32_t mult;
};

// X, Y: the image at the preview's scale; centre: the mask's effect centre.
SelectionMask SelectionMaskFromControls(const int32_t* controlValues, const BitDepth& depth,
                                        int32_t X, int32_t Y, int32_t zoom, int32_t centreX,
                                        int32_t centreY);
BrushMask BrushMaskFromControls(const int32_t* controlValues, const BitDepth& depth, int32_t zoom,
                                int32_t brushMode);
// Whether the tonal mask's controls do anything.
bool TonalMaskActive(const int32_t* controlValues);

// The weight of one tone range: 255 outside the window around tone, falling toward tone.
int32_t RangeWeight(int32_t value, int32_t tone, int32_t limit);
// Mask weight 0..255 of pixel (x, y); tonal masks read the pixel `tonal` (the source in the
// first pass, the pass's input later). 255 without an active mask.
int32_t MaskWeight(const SelectionMask& mask, int32_t x, int32_t y, const Rgb& tonal);
// Brush weight 0..255 at (x, y) of the preview; pixel is the colour the amount compares.
int32_t BrushWeight(const BrushMask& brush, int32_t x, int32_t y, const Rgb& pixel);

// Blends p toward base (the grey of base unless colour is kept) by weight 0..255.
void BlendTowardBase(int32_t weight, const Rgb& base, bool keepColour, int32_t max, Rgb& p);
