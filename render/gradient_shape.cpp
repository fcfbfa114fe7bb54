// Gradient positions of the graduated filter, the diffusion mask and the selection mask,
// and the 64-bit radius maths they share with the vignette.

#include "render/gradient_shape.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kInt64Limit = 4611686018427387904.0;  // 2^62

// Radius of the rotated offsets (u, w), the one axis stretched by 100 / (101 - e) so that a
// higher elliptical value squeezes the circle. Squares are taken in doubles and the sum in 64
// bits: u * u * 100 alone passes 2^31 from about 4,600 pixels.
int64_t EllipticRadius(double u, double w, int32_t elliptical, bool narrow) {
    const double stretch = 100.0 / (101 - std::clamp(elliptical, 0, 100));
    const double squared = narrow ? u * u * stretch + w * w : w * w * stretch + u * u;
    return IntegerSqrt64(TruncToInt64(squared));
}
}  // namespace

int64_t IntegerSqrt64(int64_t n) {
    if (n < 1) return 0;
    int64_t r = int64_t(std::sqrt(double(n)));
    // The double's rounding can land a step off for large counts. Below 2^52 the squares of
    // the candidates stay far inside int64; above, the checks divide instead.
    if (n < (int64_t(1) << 52)) {
        while (r * r > n) --r;
        while ((r + 1) * (r + 1) <= n) ++r;
        return r;
    }
    while (r > 0 && r > n / r) --r;
    while (r + 1 <= n / (r + 1)) ++r;
    return r;
}

int64_t TruncToInt64(double a) {
    if (!(a == a)) return 0;
    return int64_t(std::trunc(std::clamp(a, -kInt64Limit, kInt64Limit)));
}

int32_t HalfDiagonal(int32_t X, int32_t Y) {
    const int64_t sum = (int64_t(X / 2) * X) / 2 + (int64_t(Y / 2) * Y) / 2;
    return int32_t(IntegerSqrt64(sum));
}

GradientSettings GradientSettingsFromControls(const int32_t* v, int32_t kind,
                                              const GradientControls& controls, int32_t centreX,
                                              int32_t centreY) {
    return {kind,
            v[controls.offset],
            v[controls.density],
            v[controls.rotation],
            v[controls.elliptical],
            v[controls.invert] != 0,
            centreX,
            centreY};
}

GradientShape GradientShapeMake(const GradientSettings& s, int32_t X, int32_t Y, int32_t zoom) {
    GradientShape g = {};
    g.kind = s.kind;
    g.halfX = X / 2;
    g.halfY = Y / 2;
    g.elliptical = s.elliptical;
    g.narrow = X < Y;
    g.invert = s.invert;
    const int32_t z = std::max(zoom, 1);
    const int64_t o = s.offset, d = s.density;
    double degrees = 0.0;
    if (s.kind == GRADIENT_CIRCULAR) {
        const int64_t rad = HalfDiagonal(X, Y);
        const int64_t span = (((o * rad * 2) / 255) * d) / 256;
        g.span = int32_t(std::max<int64_t>(span, 1));
        g.start = int32_t((o * rad) / 255 - g.span / 2);
        degrees = 180 - s.rotation;
        g.centreX = s.centreX / z + X / 2;
        g.centreY = s.centreY / z + Y / 2;
    } else {
        // The folded ramp runs over twice the rows, so that each half is as long as the
        // plain ramp.
        const int64_t half = (d * Y) / (s.kind == GRADIENT_LINEAR_MIDDLE ? 256 : 512);
        const int64_t pos = (o * Y) / 255;
        g.start = int32_t(pos - half);
        g.span = int32_t(std::max<int64_t>((pos + half) - g.start, 1));
        degrees = 360 - s.rotation;
    }
    if (s.rotation == 0) {
        // Rotation 0 must run exactly along the rows: pi taken as 3.141592 leaves a sine of
        // about 1e-6, which would tilt the ramp by a pixel over a large image.
        g.sine = 0.0;
        g.cosine = 1.0;
    } else {
        g.sine = std::sin(degrees * kRadiansPerDegree);
        g.cosine = std::cos(degrees * kRadiansPerDegree);
    }
    return g;
}

int32_t GradientPosition(const GradientShape& g, int32_t x, int32_t y) {
    int64_t n = 0;
    if (g.kind == GRADIENT_CIRCULAR) {
        const double dx = x - g.centreX, dy = y - g.centreY;
        const double u = g.cosine * dx - g.sine * dy;
        const double w = g.sine * dx + g.cosine * dy;
        const int64_t r = EllipticRadius(u, w, g.elliptical, g.narrow);
        n = ((r - g.start) * 255) / g.span;
    } else {
        const int64_t along =
            TruncToInt64((x - g.halfX) * g.sine + (y - g.halfY) * g.cosine + g.halfY);
        n = ((g.start - along) * 255) / g.span + 255;
        if (g.kind == GRADIENT_LINEAR_MIDDLE) n = n <= 128 ? 2 * n : (255 - n) * 2;
    }
    const int32_t position = int32_t(std::clamp<int64_t>(n, 0, 255));
    return g.invert ? 255 - position : position;
}
