// The frame: its rectangles, the shaped frame field of the render hook, and the frame step.

#include "render/frame.h"

#include <algorithm>
#include <cmath>

#include "effect/control_ids.h"
#include "host/maths_builtins.h"
#include "host/numbered_arrays.h"
#include "host/pool_jobs.h"
#include "render/render_arrays.h"
#include "render/toning.h"

namespace {
constexpr int32_t kRandomEdge = 6;  // CTL_FRAME_EDGE_SHAPE "Random"
constexpr int32_t kFieldFull = 32768;

enum FrameBand : int32_t { BAND_OUTER, BAND_BORDER, BAND_INSIDE, BAND_NONE };

bool Outside(const FrameBox& r, int32_t x, int32_t y, int32_t widen) {
    return x < r.left - widen || x > r.right + widen || y < r.top - widen || y > r.bottom + widen;
}

// Keeps rectangle r at least one pixel inside the one around it.
void KeepInside(FrameBox& r, const FrameBox& around) {
    r.left = std::max(r.left, around.left + 1);
    r.top = std::max(r.top, around.top + 1);
    r.right = std::min(r.right, around.right - 1);
    r.bottom = std::min(r.bottom, around.bottom - 1);
}

// The shaped frame's classification job. Written before the job starts, read-only in it.
struct FrameFieldJob {
    FieldGeometry geometry;
    FrameBands bands;
    bool useEdges;
    double amplitude[3];  // outer, middle, inner edge; 0 when its control is 0
    bool outside, border, inside, borderOnly;
    ArrayView edge;  // ARRAY_FRAME_EDGE
};
FrameFieldJob gFrameFieldJob;

void FrameFieldRows(int32_t index) {
    const FrameFieldJob& job = gFrameFieldJob;
    const FieldGeometry& g = job.geometry;
    NumberedArray& a = gArrays[ARRAY_FRAME];
    if (!a.base || a.elementBytes != 2) return;
    uint16_t* data = reinterpret_cast<uint16_t*>(a.base);
    const int32_t channels = a.zSize;
    const int32_t n = std::max(gJob.threadCount, 1);
    for (int32_t y = g.top + index; y < g.bottom; y += n) {
        uint16_t* row = data + int64_t(y - g.top) * a.xSize * channels;
        for (int32_t x = g.left; x < g.right; ++x) {
            int32_t d[3] = {0, 0, 0};
            if (job.useEdges && job.edge.Valid()) {
                const int32_t e = job.edge.AtClamped(x - g.left, y - g.top, 0) - 128;
                for (int k = 0; k < 3; ++k) d[k] = int32_t(std::trunc(e * job.amplitude[k]));
            }
            int32_t first = 0, second = kFieldFull;
            if (job.outside && Outside(job.bands.outer, x, y, d[0])) {
                second = 0;
            } else if (job.border && Outside(job.bands.border, x, y, d[1])) {
                first = kFieldFull;
                second = 0;
            } else if (job.inside && Outside(job.bands.inside, x, y, d[2])) {
                second = 0;
            }
            uint16_t* cell = row + int64_t(x - g.left) * channels;
            cell[0] = uint16_t(first);
            if (channels > 1) cell[1] = uint16_t(second);
        }
    }
}

// The coarse edge pattern over the whole image, resampled to the rectangle.
bool MakeFrameEdge(const FieldGeometry& g, const int32_t* v) {
    const int32_t cell = std::max(v[CTL_FRAME_SIZE] * std::min(g.W, g.H) / 500, 1);
    int32_t gw = std::max(g.W * 10 / cell, 1), gh = std::max(g.H * 10 / cell, 1);
    if (v[CTL_FRAME_RECTANGULAR]) {
        if (gw % 2 == 0) ++gw;
        if (gh % 2 == 0) ++gh;
    }
    if (g.thumbnails && g.X < gw && g.Y < gh) {
        gw = g.X;
        gh = g.Y;
    }
    if (!CreateArray(ARRAY_FRAME_SHAPE, gw, gh, 1, 1)) return false;
    int32_t* p = gJob.poolParameters;
    p[1] = ARRAY_FRAME_SHAPE;
    if (v[CTL_FRAME_EDGE_SHAPE] == kRandomEdge) {
        p[2] = gw;
        p[3] = gh;
        p[4] = 0;
        p[5] = v[CTL_FRAME_SEED];
        p[6] = 255;
        RunEffectJob(g, GrainPassJob, true);
    } else {
        p[2] = v[CTL_FRAME_EDGE_SHAPE];
        RunEffectJob(g, GradientMaskJob, false);
    }
    if (!CreateArray(ARRAY_FRAME_EDGE, g.right - g.left, g.bottom - g.top, 1, 1)) return false;
    p[1] = ARRAY_FRAME_EDGE;
    p[2] = ARRAY_FRAME_SHAPE;
    p[3] = v[CTL_FRAME_RECTANGULAR];
    RunEffectJob(g, ResampleJob, false);
    return true;
}

// Blurs the bands by the roundness, then sharpens the blurred edges again by the softness.
void SoftenFrameField(const FieldGeometry& g, const int32_t* v) {
    const double unit = std::min(g.W, g.H) / 500.0;
    BlurFieldArray(g, ARRAY_FRAME, FieldBlurRadius(unit * v[CTL_FRAME_ROUNDNESS], g.zoom));
    int32_t low = 0, high = 0;
    FieldStretchRange(ARRAY_FRAME, low, high);
    if (std::abs(high - low) < 128) {
        low = 0;
        high = kFieldFull;
    }
    const int32_t k = FrameEdgeContrast(v[CTL_FRAME_SOFTNESS], v[CTL_FRAME_ROUNDNESS]);
    const int32_t d = (((100 - k) * 64) / 200 + 64) * (high - low) / 256;
    int32_t a = low + d, b = high - d;
    if (a == b) ++b;
    NormaliseField(g, ARRAY_FRAME, std::max(0, a), std::min(kFieldFull, b));
}
}  // namespace

FrameBands FrameBandsOf(const int32_t* v, int32_t X, int32_t Y) {
    const int64_t m = std::min(X, Y);
    const int32_t widths[3] = {int32_t(m * v[CTL_FRAME_OUTSIDE] / 4000),
                               int32_t(m * v[CTL_FRAME_BORDER] / 4000),
                               int32_t(m * v[CTL_FRAME_INSIDE] / 4000)};
    FrameBox* rects[3];
    FrameBands bands = {};
    rects[0] = &bands.outer;
    rects[1] = &bands.border;
    rects[2] = &bands.inside;
    int32_t sum = 0;
    for (int k = 0; k < 3; ++k) {
        sum += widths[k];
        *rects[k] = {sum, sum, X - 1 - sum, Y - 1 - sum};
    }
    return bands;
}

FrameBands PlainFrameBands(const int32_t* v, int32_t X, int32_t Y, bool thumbnails, int32_t left,
                           int32_t top) {
    FrameBands b = FrameBandsOf(v, X, Y);
    if (v[CTL_FRAME_OUTSIDE] > 0) {
        // An outside band too narrow for the image still shows as one pixel on every side.
        // (Only the left and top would get it if each edge were tested against 0 alone.)
        if (b.outer.left == 0) b.outer.left = 1;
        if (b.outer.top == 0) b.outer.top = 1;
        if (b.outer.right == X - 1) b.outer.right = X - 2;
        if (b.outer.bottom == Y - 1) b.outer.bottom = Y - 2;
    }
    if (v[CTL_FRAME_BORDER] > 0) KeepInside(b.border, b.outer);
    if (v[CTL_FRAME_INSIDE] > 0) KeepInside(b.inside, b.border);
    if (thumbnails) {
        for (FrameBox* r : {&b.outer, &b.border, &b.inside}) {
            r->left += 1 + left;
            r->top += 1 + top;
        }
    }
    return b;
}

bool ShapedFrame(const int32_t* v) {
    if (v[CTL_FRAME_EDGE_SHAPE] == 0) return false;
    const bool anyEdge = v[CTL_FRAME_OUTER_EDGE] != 0 || v[CTL_FRAME_MIDDLE_EDGE] != 0 ||
                         v[CTL_FRAME_INNER_EDGE] != 0;
    if (v[CTL_FRAME_ROUNDNESS] < 11 && !anyEdge) return false;
    return v[CTL_FRAME_OUTSIDE] != 0 || v[CTL_FRAME_BORDER] != 0 || v[CTL_FRAME_INSIDE] != 0;
}

int32_t FrameEdgeContrast(int32_t s, int32_t r) {
    int32_t bend;
    if (r >= 11 && r <= 19)
        bend = (10 - r) * 2;
    else if (r >= 21 && r <= 79)
        bend = -r;
    else if (r >= 80 && r <= 159)
        bend = -80 - (r - 80) / 8;
    else if (r >= 160)
        bend = -90 - (r - 160) / 32;
    else
        return s;
    return s < 0 ? ScaleValue(s, -100, 0, -100, bend) : ScaleValue(s, 0, 100, bend, 100);
}

bool PrepareFrameField(const FieldGeometry& g, const int32_t* v) {
    if (v[CTL_FRAME_INTENSITY] == 0 || !ShapedFrame(v)) {
        ReleaseArray(ARRAY_FRAME_EDGE);
        ReleaseArray(ARRAY_FRAME);
        return true;
    }
    FrameFieldJob& job = gFrameFieldJob;
    job = FrameFieldJob{};
    job.geometry = g;
    job.bands = FrameBandsOf(v, g.X, g.Y);
    const int32_t edges[3] = {v[CTL_FRAME_OUTER_EDGE], v[CTL_FRAME_MIDDLE_EDGE],
                              v[CTL_FRAME_INNER_EDGE]};
    job.useEdges = edges[0] != 0 || edges[1] != 0 || edges[2] != 0;
    const double n = std::min(g.W, g.H);
    for (int k = 0; k < 3; ++k)
        job.amplitude[k] =
            edges[k] != 0 ? (n / 500.0) / ((103.0 - edges[k]) * 16.0 * g.zoom / 100.0) : 0.0;
    job.outside = v[CTL_FRAME_OUTSIDE] > 0;
    job.border = v[CTL_FRAME_BORDER] != 0;
    job.inside = v[CTL_FRAME_INSIDE] != 0;
    job.borderOnly = v[CTL_FRAME_BORDER_ONLY] != 0;
    if (job.useEdges) {
        if (!MakeFrameEdge(g, v)) return false;
        job.edge = ArrayViewOf(ARRAY_FRAME_EDGE);
    }
    if (!CreateArray(ARRAY_FRAME, g.right - g.left, g.bottom - g.top, job.borderOnly ? 1 : 2, 2))
        return false;
    RunEffectJob(g, FrameFieldRows, false);
    // The edge pattern has done its work; the pixel steps read only the field.
    ReleaseArray(ARRAY_FRAME_EDGE);
    job.edge = ArrayView{};
    if (v[CTL_FRAME_SOFTNESS] > -100) SoftenFrameField(g, v);
    return true;
}

Frame FrameFromControls(const int32_t* v, const BitDepth& depth, int32_t X, int32_t Y,
                        bool thumbnails, int32_t left, int32_t top) {
    Frame f = {};
    f.intensity = v[CTL_FRAME_INTENSITY];
    f.on = f.intensity != 0;
    f.depth = depth;
    const Rgb c1 = ColourOfValue(v[CTL_FRAME_COLOR_1]), c2 = ColourOfValue(v[CTL_FRAME_COLOR_2]);
    f.colour1 = {c1.r * depth.mult, c1.g * depth.mult, c1.b * depth.mult};
    f.colour2 = {c2.r * depth.mult, c2.g * depth.mult, c2.b * depth.mult};
    f.borderOnly = v[CTL_FRAME_BORDER_ONLY] != 0;
    f.outside = v[CTL_FRAME_OUTSIDE] > 0;
    f.border = v[CTL_FRAME_BORDER] != 0;
    f.inside = v[CTL_FRAME_INSIDE] != 0;
    f.bands = PlainFrameBands(v, X, Y, thumbnails, left, top);
    if (f.on && ShapedFrame(v)) f.field = ArrayViewOf(ARRAY_FRAME, f.borderOnly ? 1 : 2);
    return f;
}

void ApplyFrame(const Frame& f, int32_t x, int32_t y, int32_t column, int32_t row, Rgb& p) {
    const int32_t i = f.intensity, max = f.depth.max;
    Rgb framed = p;
    if (f.field.Valid()) {
        // Field values run 0..32768; 32768 / 128 would be 256 and shift every interior
        // pixel by a level, so the weights stop at 255.
        const int32_t a = std::min(f.field.AtClamped(column, row, 0) / 128, 255);
        const Rgb& f1 = f.colour1;
        const Rgb& f2 = f.colour2;
        if (!f.borderOnly) {
            const int32_t q = std::min(f.field.AtClamped(column, row, 1) / 128, 255);
            const Rgb c = a == 255 ? f2
                                   : Rgb{((255 - a) * f1.r + a * f2.r) / 255,
                                         ((255 - a) * f1.g + a * f2.g) / 255,
                                         ((255 - a) * f1.b + a * f2.b) / 255};
            if (q != 255)
                framed = {((255 - q) * c.r + q * p.r) / 255, ((255 - q) * c.g + q * p.g) / 255,
                          ((255 - q) * c.b + q * p.b) / 255};
        } else {
            framed = a == 255 ? f2
                              : Rgb{((255 - a) * p.r + a * f2.r) / 255,
                                    ((255 - a) * p.g + a * f2.g) / 255,
                                    ((255 - a) * p.b + a * f2.b) / 255};
        }
        if (i < 100)
            framed = {(i * framed.r + (100 - i) * p.r) / 100,
                      (i * framed.g + (100 - i) * p.g) / 100,
                      (i * framed.b + (100 - i) * p.b) / 100};
    } else {
        FrameBand band = BAND_NONE;
        if (f.outside && Outside(f.bands.outer, x, y, 0))
            band = BAND_OUTER;
        else if (f.border && Outside(f.bands.border, x, y, 0))
            band = BAND_BORDER;
        else if (f.inside && Outside(f.bands.inside, x, y, 0))
            band = BAND_INSIDE;
        // Border only leaves the outer and inside bands alone.
        if (band == BAND_NONE || (f.borderOnly && band != BAND_BORDER)) return;
        const Rgb& colour = band == BAND_BORDER ? f.colour2 : f.colour1;
        framed = i == 100 ? colour
                          : Rgb{(i * colour.r + (100 - i) * p.r) / 100,
                                (i * colour.g + (100 - i) * p.g) / 100,
                                (i * colour.b + (100 - i) * p.b) / 100};
    }
    p = ClampPixel(framed, max);
}
