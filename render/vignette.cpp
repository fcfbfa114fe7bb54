// Vignette shape (ellipse, or superellipse from a table of its radii) and the blend toward
// the vignette colour.

#include "render/vignette.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "effect/control_ids.h"
#include "render/gradient_shape.h"
#include "render/toning.h"

namespace {
// Beyond any image's radius; keeps the conversion of a huge superellipse radius defined.
constexpr double kRadiusLimit = 1.0e9;
// The table's linear interpolation is within 3e-8 of the radius; a radius closer than this
// share of itself to a whole number is computed with the powers, so that its truncation
// always matches them.
constexpr double kTableTolerance = 1.0e-7;
// Share of the radius by which the bounds of a radius near a whole number are widened: the
// three powers, even at the x87's double precision, err by less than 2^-44 of it.
constexpr double kSettleMargin = 1.0 / 68719476736.0;  // 2^-36
// Below this share of the larger term the smaller one cannot change their sum: under half
// a unit in its last place (2^-54 of it), with room for the powers' errors.
constexpr double kLoneShare = 1.0 / 72057594037927936.0;  // 2^-56
// Share of the radius by which its bounds are widened: far beyond the table's error and the
// powers' rounding.
constexpr double kBoundMargin = 1.0e-6;

double SuperellipseExact(const Vignette& g, double u, double w) {
    const double p = g.exponent;
    const double au = std::pow(std::fabs(u), p), aw = std::pow(std::fabs(w), p);
    const double sum = g.narrow ? aw * g.powerB + au : au * g.powerA + aw;
    return std::pow(sum, 1.0 / p);
}

// (|u|^p qA + |w|^p)^(1/p) (or the narrow form) as m (1 + (n / m)^p)^(1/p): one division
// and a table lookup in place of three powers.
struct TableRadius {
    double a, b;   // the two offsets, the stretched one first
    double m;      // the larger of them: 0 at the centre, where r is 0 too
    int32_t i;     // the table's entry below n / m
    double r;      // the radius by the table
    double whole;  // the whole number nearest to r
    // True when r lies so near whole that the table's error could put it on the wrong side.
    bool NearWhole() const { return std::fabs(r - whole) < r * kTableTolerance + 1e-9; }
};

TableRadius RadiusByTable(const Vignette& g, double au, double aw) {
    TableRadius t = {};
    t.a = g.narrow ? aw * g.ratioB : au * g.ratioA;
    t.b = g.narrow ? au : aw;
    t.m = std::max(t.a, t.b);
    if (t.m <= 0.0) return t;
    const double n = std::min(t.a, t.b);
    const double position = n / t.m * kSuperellipseSteps;
    t.i = std::min(int32_t(position), kSuperellipseSteps - 1);
    const double f =
        g.superellipse[t.i] + (g.superellipse[t.i + 1] - g.superellipse[t.i]) * (position - t.i);
    t.r = t.m * f;
    // Radii lie far below 2^52 (m is at most the image's size times its side ratio), where
    // the conversion gives the nearest whole number exactly and without a library call.
    t.whole = double(int64_t(t.r + 0.5));
    return t;
}

double SuperellipseRadius(const Vignette& g, double u, double w) {
    const TableRadius t = RadiusByTable(g, std::fabs(u), std::fabs(w));
    if (t.m <= 0.0) return 0.0;
    return t.NearWhole() ? SuperellipseExact(g, u, w) : t.r;
}

// The last offset whose power a row took, and that power: along a row at a right-angle
// rotation one offset is the same for every pixel.
struct PowerMemo {
    double offset = -1.0, power = 0.0;
    double Of(double a, double p) {
        if (a != offset) {
            offset = a;
            power = std::pow(a, p);
        }
        return power;
    }
};

// SuperellipseExact with the powers of the two offsets remembered along the row: pow is a
// pure function, so the same offset gives the same power.
struct RowRadius {
    const Vignette& g;
    PowerMemo u, w, root;
    // The powers' radius. Where the smaller offset's term lies below half a unit in the last
    // place of the larger's, their sum is the larger term alone: its root depends on one
    // offset, which a row at a right-angle rotation keeps from pixel to pixel.
    double Exact(double au, double aw, bool lone, bool aLarger) {
        if (lone) {
            const double larger =
                aLarger
                    ? (g.narrow ? w.Of(aw, g.exponent) * g.powerB : u.Of(au, g.exponent) * g.powerA)
                    : (g.narrow ? u.Of(au, g.exponent) : w.Of(aw, g.exponent));
            return root.Of(larger, g.inverseExponent);
        }
        const double pu = u.Of(au, g.exponent), pw = w.Of(aw, g.exponent);
        const double sum = g.narrow ? pw * g.powerB + pu : pu * g.powerA + pw;
        return std::pow(sum, g.inverseExponent);
    }
    // SuperellipseRadius of |u| = au, |w| = aw, or a radius with the same whole part.
    double Of(double au, double aw) {
        const TableRadius t = RadiusByTable(g, au, aw);
        if (t.m <= 0.0) return 0.0;
        if (!t.NearWhole()) return t.r;
        const double m = t.m, whole = t.whole;
        const int32_t i = t.i;
        // Near a whole number the powers decide. The true radius lies between m times the
        // table's entries around n / m; the powers land within far less than kSettleMargin
        // of it. Where that whole interval lies on one side of the whole number, the side
        // is the powers' too.
        const double lo = m * g.superellipse[std::max(i - 1, 0)] * (1.0 - kSettleMargin);
        const double hi =
            m * g.superellipse[std::min(i + 2, kSuperellipseSteps)] * (1.0 + kSettleMargin);
        if (lo > whole && hi < whole + 1.0) return whole;
        if (hi < whole && lo > whole - 1.0) return whole - 0.5;
        return Exact(au, aw, i <= g.loneBelow, t.a >= t.b);
    }
};

// The table depends on the exponent alone, and a photographer's renders (the previews, then
// the final run) keep one shape: the last exponent's table is kept (33 kB) rather than taking
// its 8,194 powers on the host's thread, while the workers wait, before every render.
struct SuperellipseMemo {
    std::atomic<bool> busy;  // a thread reads or fills the memo
    bool made;
    double exponent;
    double table[kSuperellipseSteps + 1];
};
SuperellipseMemo gSuperellipseMemo;

void FillSuperellipse(double exponent, double* table) {
    for (int32_t i = 0; i <= kSuperellipseSteps; ++i)
        table[i] =
            std::pow(1.0 + std::pow(double(i) / kSuperellipseSteps, exponent), 1.0 / exponent);
}

void MakeSuperellipse(double exponent, double* table) {
    SuperellipseMemo& memo = gSuperellipseMemo;
    // A render on another thread has the memo: this one takes its own powers.
    if (memo.busy.exchange(true, std::memory_order_acquire)) {
        FillSuperellipse(exponent, table);
        return;
    }
    if (!memo.made || memo.exponent != exponent) {
        FillSuperellipse(exponent, memo.table);
        memo.exponent = exponent;
        memo.made = true;
    }
    memcpy(table, memo.table, sizeof memo.table);
    memo.busy.store(false, std::memory_order_release);
}

// The value of whole radius r: the transition's formula, its division read from the ramp.
int32_t ValueOfRadius(const Vignette& g, int64_t r) {
    const int64_t t = r - g.start;
    const int32_t value = t <= 0 ? 255 : t >= g.span ? 0 : g.ramp[size_t(t)];
    return g.invert ? 255 - value : value;
}

// The transition's formula itself, for the ramp.
int32_t RampValue(int64_t start, int64_t span, int64_t r) {
    const int64_t vs = ((start - r) * 255) / span + 255;
    return int32_t(std::clamp<int64_t>(vs, 0, 255));
}
}  // namespace

double VignetteExponent(int32_t shape) {
    // The exponent is taken as a real number: the shape slider then bends the outline
    // smoothly. In integers, shapes 1..14 would all give 2 (a plain ellipse) and the outline
    // would jump at every fifteenth step.
    if (shape < 90) return shape * 6.0 / 90.0 + 2.0;
    return (shape - 90) * 8.0 / 10.0 + 8.0;
}

Vignette VignetteFromControls(const int32_t* v, const BitDepth& depth, int32_t X, int32_t Y,
                              int32_t zoom, int32_t centreX, int32_t centreY) {
    Vignette g = {};
    g.intensity = v[CTL_VIGNETTE_INTENSITY];
    g.on = g.intensity != 0;
    g.depth = depth;
    const Rgb c = ColourOfValue(v[CTL_VIGNETTE_COLOR]);
    g.colour = {c.r * depth.mult, c.g * depth.mult, c.b * depth.mult};
    const int32_t z = std::max(zoom, 1);
    g.centreX = centreX / z + X / 2;
    g.centreY = centreY / z + Y / 2;
    const double radians = (180 - v[CTL_VIGNETTE_ROTATION]) * kRadiansPerDegree;
    g.sine = std::sin(radians);
    g.cosine = std::cos(radians);
    const int64_t rad = HalfDiagonal(X, Y), size = v[CTL_VIGNETTE_SIZE];
    const int64_t span = (((size * rad * 2) / 255) * v[CTL_VIGNETTE_DENSITY]) / 256;
    g.span = int32_t(std::max<int64_t>(span, 1));
    g.start = int32_t((size * rad) / 255 - g.span / 2);
    g.shape = v[CTL_VIGNETTE_SHAPE];
    const double ratioA = X > 0 ? double(Y) / X : 1.0, ratioB = Y > 0 ? double(X) / Y : 1.0;
    g.stretchA = ((ratioA * ratioA - 1.0) * (g.shape + 100)) / 100.0 + 1.0;
    g.stretchB = ((ratioB * ratioB - 1.0) * (g.shape + 100)) / 100.0 + 1.0;
    g.exponent = VignetteExponent(std::max(g.shape, 1));
    g.powerA = std::pow(ratioA, g.exponent);
    g.powerB = std::pow(ratioB, g.exponent);
    g.ratioA = ratioA;
    g.ratioB = ratioB;
    if (g.on && g.shape >= 1) {
        MakeSuperellipse(g.exponent, g.superellipse);
        // The radius is m (1 + (n / m)^p)^(1/p) with n <= m: between m and m 2^(1/p).
        const double top =
            std::max(g.superellipse[kSuperellipseSteps], std::pow(2.0, 1.0 / g.exponent));
        g.radiusAbove = top * (1.0 + kBoundMargin);
        g.radiusBelow = 1.0 - kBoundMargin;
    }
    g.narrow = X < Y;
    g.invert = v[CTL_VIGNETTE_INVERT] != 0;
    g.inverseExponent = 1.0 / g.exponent;
    // Table positions i with n / m below (i + 2) / steps whose smaller term is negligible.
    g.loneBelow = -1;
    while (g.on && g.shape >= 1 && g.loneBelow + 1 < kSuperellipseSteps &&
           std::pow((g.loneBelow + 3.0) / kSuperellipseSteps, g.exponent) < kLoneShare)
        ++g.loneBelow;
    if (g.on) {
        g.ramp.resize(size_t(g.span));
        for (int32_t t = 0; t < g.span; ++t)
            g.ramp[size_t(t)] = uint8_t(RampValue(g.start, g.span, int64_t(g.start) + t));
    }
    return g;
}

int32_t VignetteShapeValue(const Vignette& g, int32_t x, int32_t y) {
    const double dx = x - g.centreX, dy = y - g.centreY;
    const double u = g.cosine * dx - g.sine * dy;
    const double w = g.sine * dx + g.cosine * dy;
    int64_t r = 0;
    if (g.shape < 1) {
        const double squared = g.narrow ? w * w * g.stretchB + u * u : u * u * g.stretchA + w * w;
        r = IntegerSqrt64(TruncToInt64(squared));
    } else {
        // Far inside the start or beyond the end of the transition the value is 255 or 0
        // whatever the radius's last digits: no table lookup and no division there.
        const double m = g.narrow ? std::max(std::fabs(w) * g.ratioB, std::fabs(u))
                                  : std::max(std::fabs(u) * g.ratioA, std::fabs(w));
        if (g.radiusAbove > 0.0) {
            if (m * g.radiusAbove < g.start) return g.invert ? 0 : 255;
            if (m * g.radiusBelow >= double(g.start) + g.span + 1.0) return g.invert ? 255 : 0;
        }
        r = TruncToInt64(std::min(SuperellipseRadius(g, u, w), kRadiusLimit));
    }
    const int32_t value = RampValue(g.start, g.span, r);
    return g.invert ? 255 - value : value;
}

void VignetteShapeRow(const Vignette& g, int32_t x, int32_t y, int32_t count, uint8_t* values) {
    const double dy = y - g.centreY;
    const double sineY = g.sine * dy, cosineY = g.cosine * dy;
    const uint8_t inside = g.invert ? 0 : 255, beyond = g.invert ? 255 : 0;
    const double end = double(g.start) + g.span + 1.0;
    RowRadius radius = {g, {}, {}, {}};
    for (int32_t i = 0; i < count; ++i) {
        const double dx = (x + i) - g.centreX;
        const double u = g.cosine * dx - sineY;
        const double w = g.sine * dx + cosineY;
        int64_t r = 0;
        if (g.shape < 1) {
            const double squared =
                g.narrow ? w * w * g.stretchB + u * u : u * u * g.stretchA + w * w;
            r = IntegerSqrt64(TruncToInt64(squared));
        } else {
            const double au = std::fabs(u), aw = std::fabs(w);
            const double m = g.narrow ? std::max(aw * g.ratioB, au) : std::max(au * g.ratioA, aw);
            if (g.radiusAbove > 0.0) {
                if (m * g.radiusAbove < g.start) {
                    values[i] = inside;
                    continue;
                }
                if (m * g.radiusBelow >= end) {
                    values[i] = beyond;
                    continue;
                }
            }
            // The radius is never negative nor NaN: the conversion truncates as
            // TruncToInt64 does, without its call.
            r = int64_t(std::min(radius.Of(au, aw), kRadiusLimit));
        }
        values[i] = uint8_t(ValueOfRadius(g, r));
    }
}

void ApplyVignette(const Vignette& g, int32_t vs, Rgb& p) {
    if (vs >= 255) return;
    const int32_t k = g.intensity;
    Rgb c = g.colour;
    if (k != 100)
        c = {((100 - k) * p.r + k * c.r) / 100, ((100 - k) * p.g + k * c.g) / 100,
             ((100 - k) * p.b + k * c.b) / 100};
    // A grey pixel toward a grey colour stays grey: one channel serves all three.
    if (p.r == p.g && p.r == p.b && c.r == c.g && c.r == c.b) {
        const int32_t grey = ClampLevel((vs * p.r + c.r * (255 - vs)) / 255, g.depth.max);
        p = {grey, grey, grey};
        return;
    }
    p = {(vs * p.r + c.r * (255 - vs)) / 255, (vs * p.g + c.g * (255 - vs)) / 255,
         (vs * p.b + c.b * (255 - vs)) / 255};
    p = ClampPixel(p, g.depth.max);
}
