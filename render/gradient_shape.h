// Linear and circular gradients over the image: the position 0..255 of a pixel in the
// graduated filter, the diffusion mask and the selection mask, and the radius maths they
// share with the vignette.
#pragma once

#include <cstdint>

// Degrees to radians with pi taken as 3.141592, the factor every gradient angle goes through.
constexpr double kRadiansPerDegree = 0.01745328888888889;

enum GradientKind : int32_t {
    GRADIENT_NONE = 0,
    GRADIENT_LINEAR = 1,
    GRADIENT_LINEAR_MIDDLE = 2,  // the linear ramp folded at its middle
    GRADIENT_CIRCULAR = 3,
};

// One gradient's per-render geometry, in image coordinates at the preview's scale.
struct GradientShape {
    int32_t kind;         // GradientKind
    int32_t start, span;  // ramp start and length in pixels; span at least 1
    double sine, cosine;  // of the rotation; exactly 0 and 1 at rotation 0
    double centreX, centreY;
    int32_t halfX, halfY;  // X / 2, Y / 2
    int32_t elliptical;    // 0..100: squeezes a circular gradient along one axis
    bool narrow;           // the filter rectangle is narrower than it is tall
    bool invert;           // 255 - n
};

// The settings of a gradient as the controls give them.
struct GradientSettings {
    int32_t kind;
    int32_t offset, density;  // 0..255
    int32_t rotation;         // degrees
    int32_t elliptical;       // 0..100
    bool invert;
    int32_t centreX, centreY;  // effect centre, whole-image pixels from the image's middle
};

// The control numbers that hold one effect's gradient settings.
struct GradientControls {
    int32_t offset, density, rotation, elliptical, invert;
};

// The settings of a gradient of the given kind from the control values v.
GradientSettings GradientSettingsFromControls(const int32_t* v, int32_t kind,
                                              const GradientControls& controls, int32_t centreX,
                                              int32_t centreY);

// Geometry for an X x Y image at zoom reduction z (1 for the final image).
GradientShape GradientShapeMake(const GradientSettings& settings, int32_t X, int32_t Y,
                                int32_t zoom);
// Position of pixel (x, y): 0..255, 255 where the effect is full.
int32_t GradientPosition(const GradientShape& shape, int32_t x, int32_t y);

// Square root of a 64-bit count, truncated; 0 below 1. The squared radii of large images
// pass the int32 range (a 6000 x 4000 image squeezed to an ellipse reaches 10^10).
int64_t IntegerSqrt64(int64_t n);
// trunc(a) as a 64-bit integer, clamped to +-2^62 so that no value is out of range.
int64_t TruncToInt64(double a);
// Half the diagonal of an X x Y image: IntegerSqrt(((X / 2) * X) / 2 + ((Y / 2) * Y) / 2).
int32_t HalfDiagonal(int32_t X, int32_t Y);
