// The frame step of the last pass: plain rectangles with their corrections, or the shaped
// frame's field.

#include "render/frame.h"

#include <algorithm>

#include "effect/control_ids.h"
#include "render/render_arrays.h"
#include "render/render_fields.h"
#include "render/toning.h"

namespace {
enum FrameBand : int32_t { BAND_OUTER = 0, BAND_BORDER = 1, BAND_INSIDE = 2, BAND_NONE = 3 };

// A rectangle's right and bottom edges belong to it: with widths of m * control / 4000 the
// bands are then exactly that many pixels wide on every side.
bool Outside(const FrameBands& r, int32_t band, int32_t x, int32_t y) {
    return x < r.left[band] || x > r.right[band] || y < r.top[band] || y > r.bottom[band];
}

// Keeps rectangle `band` at least one pixel inside the one around it.
void KeepInside(FrameBands& r, int32_t band) {
    r.left[band] = std::max(r.left[band], r.left[band - 1] + 1);
    r.top[band] = std::max(r.top[band], r.top[band - 1] + 1);
    r.right[band] = std::min(r.right[band], r.right[band - 1] - 1);
    r.bottom[band] = std::min(r.bottom[band], r.bottom[band - 1] - 1);
}

// The field's value at (column, row), clamped into it, as its readers see it.
int32_t FieldAt(const Frame& f, int32_t column, int32_t row, int32_t c) {
    const int32_t stored = f.field.AtClamped(column, row, c);
    return f.fieldLevels ? f.fieldLevels[stored] : stored;
}

Rgb Mix(int32_t weight, int32_t scale, const Rgb& a, const Rgb& b) {
    return {(weight * a.r + (scale - weight) * b.r) / scale,
            (weight * a.g + (scale - weight) * b.g) / scale,
            (weight * a.b + (scale - weight) * b.b) / scale};
}
}  // namespace

FrameBands PlainFrameBands(const int32_t* v, int32_t X, int32_t Y, bool thumbnails, int32_t left,
                           int32_t top) {
    const FrameRects rects =
        FrameRectsFor(X, Y, v[CTL_FRAME_OUTSIDE], v[CTL_FRAME_BORDER], v[CTL_FRAME_INSIDE]);
    FrameBands r = {};
    for (int32_t band = 0; band < 3; ++band) {
        r.left[band] = rects.left[band];
        r.top[band] = rects.top[band];
        r.right[band] = rects.right[band];
        r.bottom[band] = rects.bottom[band];
    }
    if (v[CTL_FRAME_OUTSIDE] > 0) {
        // An outside band too narrow for the image still shows as one pixel on every side:
        // the edges at the image's border move in by one. (Testing each edge against 0 alone
        // would give the band on the left and top only.)
        if (r.left[BAND_OUTER] == 0) r.left[BAND_OUTER] = 1;
        if (r.top[BAND_OUTER] == 0) r.top[BAND_OUTER] = 1;
        if (r.right[BAND_OUTER] == X - 1) r.right[BAND_OUTER] = X - 2;
        if (r.bottom[BAND_OUTER] == Y - 1) r.bottom[BAND_OUTER] = Y - 2;
    }
    if (v[CTL_FRAME_BORDER] > 0) KeepInside(r, BAND_BORDER);
    if (v[CTL_FRAME_INSIDE] > 0) KeepInside(r, BAND_INSIDE);
    if (thumbnails) {
        for (int32_t band = 0; band < 3; ++band) {
            r.left[band] += 1 + left;
            r.top[band] += 1 + top;
        }
    }
    return r;
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
    // The render hook keeps the field only while the frame is shaped.
    if (f.on) f.field = ArrayViewOf(ARRAY_FRAME, f.borderOnly ? 1 : 2);
    if (f.field.Valid() && f.field.elementBytes == 2)
        f.fieldLevels = FieldStretchLevels(ARRAY_FRAME);
    return f;
}

void ApplyFrame(const Frame& f, int32_t x, int32_t y, int32_t column, int32_t row, Rgb& p) {
    const int32_t i = f.intensity;
    Rgb framed = p;
    if (f.field.Valid()) {
        // Field values run 0..32768, and 32768 / 128 would be 256: a weight of 256 would
        // shift every interior pixel by a level. The weights stop at 255.
        if (!f.borderOnly && FieldAt(f, column, row, 1) / 128 >= 255) {
            // Inside the frame: every mix below gives the pixel back.
            p = ClampPixel(p, f.depth.max);
            return;
        }
        const int32_t a = std::min(FieldAt(f, column, row, 0) / 128, 255);
        if (!f.borderOnly) {
            const int32_t q = std::min(FieldAt(f, column, row, 1) / 128, 255);
            const Rgb c = a == 255 ? f.colour2 : Mix(255 - a, 255, f.colour1, f.colour2);
            if (q != 255) framed = Mix(255 - q, 255, c, p);
        } else {
            framed = a == 255 ? f.colour2 : Mix(255 - a, 255, p, f.colour2);
        }
        if (i < 100) framed = Mix(i, 100, framed, p);
    } else {
        FrameBand band = BAND_NONE;
        if (f.outside && Outside(f.bands, BAND_OUTER, x, y))
            band = BAND_OUTER;
        else if (f.border && Outside(f.bands, BAND_BORDER, x, y))
            band = BAND_BORDER;
        else if (f.inside && Outside(f.bands, BAND_INSIDE, x, y))
            band = BAND_INSIDE;
        // Border only leaves the outer and inside bands alone.
        if (band == BAND_NONE || (f.borderOnly && band != BAND_BORDER)) return;
        const Rgb& colour = band == BAND_BORDER ? f.colour2 : f.colour1;
        framed = i == 100 ? colour : Mix(i, 100, colour, p);
    }
    p = ClampPixel(framed, f.depth.max);
}

void FrameFieldRow(const Frame& f, int32_t column, int32_t row, int32_t c, int32_t count,
                   int32_t* out) {
    f.field.RowClamped(column, row, c, count, out);
    if (f.fieldLevels)
        for (int32_t i = 0; i < count; ++i) out[i] = f.fieldLevels[out[i]];
}
