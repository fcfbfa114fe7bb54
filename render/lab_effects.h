// The darkroom effects of the first pass (lith film, monochrome, posterization, solarization,
// pseudo-solarization) and the graduated neutral-density filter.
#pragma once

#include <cstdint>

#include "render/gradient_shape.h"
#include "render/pixel_weights.h"

enum LabEffectType : int32_t {
    LABFX_LITH = 0,
    LABFX_MONOCHROME = 1,
    LABFX_POSTERIZE = 2,
    LABFX_SOLARIZE = 3,
    LABFX_PSEUDO_SOLARIZE = 4,
};

// Per-render values of the lab effects; built on the host's thread, read by every worker.
struct LabEffects {
    BitDepth depth;
    int32_t intensity;   // CTL_LABFX_INTENSITY, 0..100; 0 = off
    int32_t type;        // LabEffectType; other values leave the pixel alone
    int32_t amount;      // CTL_LABFX_AMOUNT, 0..255
    int32_t amountB;     // CTL_LABFX_AMOUNT_B: the second solarization
    bool twice;          // CTL_LABFX_DOUBLE
    int32_t low, high;   // monochrome window on the level scale
    int32_t sine[1024];  // sine x 512 per 1024th of a turn (pseudo-solarization)
};

// Per-render values of the graduated filter.
struct NdGrad {
    bool on;  // brightness or contrast not 0
    BitDepth depth;
    GradientShape shape;
    int32_t shadows, highlights;  // protection, 0..128
    const int32_t* lut;           // max + 1 entries: the brightness/contrast bend
};

// controlValues and the sine table (sine x 512 at 1024 steps a turn) in.
LabEffects LabEffectsFromControls(const int32_t* controlValues, const BitDepth& depth,
                                  const int32_t* sineTable);
// X, Y: the image at the preview's scale; centreX/Y: the graduated filter's effect centre.
NdGrad NdGradFromControls(const int32_t* controlValues, const BitDepth& depth, int32_t X, int32_t Y,
                          int32_t zoom, int32_t centreX, int32_t centreY, const int32_t* lut);

// One channel value through the effect's type (no intensity mix, no clamp).
int32_t LabEffectChannel(const LabEffects& lab, int32_t v, int32_t mean);
// The lab effect on a pixel: type, intensity mix, clamp.
void ApplyLabEffects(const LabEffects& lab, Rgb& pixel);
// The graduated filter at pixel (x, y); source is the pixel's source (its luma protects).
void ApplyNdGrad(const NdGrad& grad, int32_t x, int32_t y, const Rgb& source, Rgb& pixel);
