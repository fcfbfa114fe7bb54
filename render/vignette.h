// The vignette: a shape value per pixel (an ellipse or, from shape 1 on, a rounded
// rectangle growing squarer with the shape) and the blend toward the vignette colour.
#pragma once

#include <cstdint>
#include <vector>

#include "render/pixel_weights.h"

constexpr int32_t kSuperellipseSteps = 4096;

// Per-render values; built on the host's thread, read by every worker.
struct Vignette {
    bool on;  // CTL_VIGNETTE_INTENSITY not 0
    BitDepth depth;
    int32_t intensity;  // 0..100
    Rgb colour;         // on the level scale
    double centreX, centreY;
    double sine, cosine;
    int32_t start, span;        // span at least 1
    int32_t shape;              // CTL_VIGNETTE_SHAPE, -100..100
    double stretchA, stretchB;  // ellipse stretch (shape below 1)
    double exponent;            // superellipse exponent (shape 1 and above)
    double powerA, powerB;      // (Y / X)^p and (X / Y)^p
    double ratioA, ratioB;      // Y / X and X / Y
    // (1 + s^p)^(1/p) for s = i / kSuperellipseSteps: the radius of the larger offset m and
    // the smaller n is m times the entry at n / m.
    double superellipse[kSuperellipseSteps + 1];
    // Bounds of the superellipse radius over the larger offset m, with room for rounding:
    // below m * radiusAbove the radius is, at or above m * radiusBelow it is not. 0 when
    // the table was not made (no shortcut).
    double radiusAbove, radiusBelow;
    bool narrow;  // the filter rectangle is narrower than it is tall
    bool invert;
    double inverseExponent;  // 1 / exponent, as the radius's last power takes it
    // Up to this table position the smaller offset's term vanishes beside the larger's in
    // the powers' sum; -1: nowhere.
    int32_t loneBelow;
    // The value of each whole radius start + t inside the transition, t = 0 .. span - 1:
    // the transition's division, made once per render instead of once per pixel.
    std::vector<uint8_t> ramp;
};

// X, Y: the image at the preview's scale; centreX/Y: the vignette's effect centre.
Vignette VignetteFromControls(const int32_t* controlValues, const BitDepth& depth, int32_t X,
                              int32_t Y, int32_t zoom, int32_t centreX, int32_t centreY);
// The superellipse exponent of a shape value 1..100.
double VignetteExponent(int32_t shape);
// Shape value 0..255 of pixel (x, y): 255 leaves the pixel, 0 takes the colour fully. The
// reference for VignetteShapeRow.
int32_t VignetteShapeValue(const Vignette& vignette, int32_t x, int32_t y);
// The shape values of count pixels of row y from column x on, as VignetteShapeValue gives
// them: the row's terms taken once, the transition's division read from the ramp, and the
// powers of an offset that repeats along the row taken once.
void VignetteShapeRow(const Vignette& vignette, int32_t x, int32_t y, int32_t count,
                      uint8_t* values);
// The blend of pixel p toward the (intensity-mixed) colour by the shape value.
void ApplyVignette(const Vignette& vignette, int32_t shapeValue, Rgb& p);
