// The third pass's effects: diffusion, which blends each pixel with a blurred copy of the
// earlier result (optionally limited by a gradient), and glow, which lays a colour over a
// blurred mask of the source's tones around a chosen level.
#pragma once

#include <cstdint>

#include "render/gradient_shape.h"
#include "render/pixel_weights.h"

// Per-render values; built on the host's thread, read by every worker.
struct DiffusionGlow {
    BitDepth depth;
    int32_t diffusion;     // CTL_DIFFUSION_INTENSITY 1..100 when on, else 0
    int32_t opacity;       // CTL_DIFFUSION_OPACITY 0..100
    const int32_t* bend;   // max + 1 entries, or null: the blurred copy's brightness/contrast
    GradientShape mask;    // kind GRADIENT_NONE: no diffusion mask
    int32_t glow;          // CTL_GLOW_INTENSITY 1..100 when on, else 0
    int32_t glowExposure;  // -128..128
    Rgb glowColour;        // on the level scale
};

// X, Y: the image at the preview's scale; centreX/Y: the diffusion mask's effect centre.
// bend: ARRAY_DIFFUSION_LUT's row when the brightness or contrast is set, else null.
DiffusionGlow DiffusionGlowFromControls(const int32_t* controlValues, const BitDepth& depth,
                                        bool pass3, int32_t X, int32_t Y, int32_t zoom,
                                        int32_t centreX, int32_t centreY, const int32_t* bend);
// One channel's diffusion of value v with its blurred value b (bent already), before the
// intensity mix.
int32_t DiffuseChannel(const DiffusionGlow& step, int32_t v, int32_t b);
// Diffusion of p at (x, y) with the blurred pixel.
void ApplyDiffusion(const DiffusionGlow& step, int32_t x, int32_t y, const Rgb& blurred, Rgb& p);
// Glow of p with the blurred tone mask value (0..max) at the pixel.
void ApplyGlow(const DiffusionGlow& step, int32_t maskValue, Rgb& p);
