// Tone curves: natural cubic spline into lookup rows, point-list edits, and the slider bends
// (brightness, shadows, highlights, exposure, intensity) of a lookup row.

#include "render/tone_curve.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "host/maths_builtins.h"
#include "host/numbered_arrays.h"

namespace {
// A deleted point is parked beyond every stored level so that sorting moves it to the end.
constexpr int32_t kParkedLevel = 512;

// Row r of a lookup array: element (level, r, 0) for levels 0..levels - 1. Lookup rows of the
// render hook are int32, those of the selective and ND-grad tables have the image's element
// size, so the view reads and writes all three widths.
struct LookupRowView {
    uint8_t* first;        // element (0, row, 0)
    int32_t elementBytes;  // 1, 2 or 4
    int32_t stride;        // elements from one level to the next (the z size)
};

bool OpenLookupRow(int32_t n, int32_t row, int32_t levels, LookupRowView* view) {
    if (n < 0 || n >= kArrayCount) return false;
    const NumberedArray& a = gArrays[n];
    if (!a.base || a.elementBytes > 4 || levels < 1) return false;
    const int32_t width = a.xSize - 2 * a.border;
    const int32_t height = a.ySize - 2 * a.border;
    if (levels > width || row < 0 || row >= height) return false;
    const int64_t index = ((int64_t(a.border) + row) * a.xSize + a.border) * a.zSize;
    if ((index + int64_t(levels) * a.zSize) * a.elementBytes > a.byteSize) return false;
    *view = {a.base + index * a.elementBytes, a.elementBytes, a.zSize};
    return true;
}

int32_t LoadLevel(const LookupRowView& view, int32_t level) {
    const int64_t index = int64_t(level) * view.stride;
    switch (view.elementBytes) {
        case 1:
            return view.first[index];
        case 2:
            return reinterpret_cast<const uint16_t*>(view.first)[index];
        default:
            return reinterpret_cast<const int32_t*>(view.first)[index];
    }
}

void StoreLevel(const LookupRowView& view, int32_t level, int32_t value) {
    const int64_t index = int64_t(level) * view.stride;
    switch (view.elementBytes) {
        case 1:
            view.first[index] = uint8_t(std::clamp(value, 0, 255));
            break;
        case 2:
            reinterpret_cast<uint16_t*>(view.first)[index] = uint16_t(std::clamp(value, 0, 65535));
            break;
        default:
            reinterpret_cast<int32_t*>(view.first)[index] = value;
    }
}

std::vector<int32_t> LoadRow(const LookupRowView& view, int32_t levels) {
    std::vector<int32_t> values(static_cast<size_t>(levels));
    for (int32_t v = 0; v < levels; ++v) values[size_t(v)] = LoadLevel(view, v);
    return values;
}

void StoreRow(const LookupRowView& view, const std::vector<int32_t>& values) {
    for (size_t v = 0; v < values.size(); ++v) StoreLevel(view, int32_t(v), values[v]);
}

// The points of a curve in evaluation order. Equal inputs would make a spline interval of
// width 0 (a division by zero), so only the first point of each input level is kept; a stable
// sort first leaves an already sorted list as it is.
std::vector<CurvePoint> PreparePoints(const CurvePoint* points, int32_t count) {
    std::vector<CurvePoint> sorted(points, points + std::max(count, 0));
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const CurvePoint& a, const CurvePoint& b) { return a.x < b.x; });
    sorted.erase(std::unique(sorted.begin(), sorted.end(),
                             [](const CurvePoint& a, const CurvePoint& b) { return a.x == b.x; }),
                 sorted.end());
    return sorted;
}

// Second derivatives of the natural spline (zero at both ends), by the tridiagonal sweep.
std::vector<double> NaturalSplineSecondDerivatives(const std::vector<CurvePoint>& p) {
    const size_t n = p.size();
    std::vector<double> d2(n, 0.0), u(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
        const double x0 = p[i - 1].x, x1 = p[i].x, x2 = p[i + 1].x;
        const double y0 = p[i - 1].y, y1 = p[i].y, y2 = p[i + 1].y;
        const double sig = (x1 - x0) / (x2 - x0);
        const double q = sig * d2[i - 1] + 2.0;
        d2[i] = (sig - 1.0) / q;
        u[i] =
            (((y2 - y1) / (x2 - x1) - (y1 - y0) / (x1 - x0)) * 6.0 / (x2 - x0) - sig * u[i - 1]) /
            q;
    }
    if (n > 0) d2[n - 1] = 0.0;
    for (size_t i = n >= 2 ? n - 1 : 0; i-- > 0;) d2[i] = d2[i] * d2[i + 1] + u[i];
    return d2;
}

int32_t SplineValue(const std::vector<CurvePoint>& p, const std::vector<double>& d2, int32_t v) {
    size_t lo = 0, hi = p.size() - 1;
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        if (p[mid].x > v)
            hi = mid;
        else
            lo = mid;
    }
    const double h = double(p[hi].x) - p[lo].x;
    const double a = (p[hi].x - double(v)) / h;
    const double b = (double(v) - p[lo].x) / h;
    const double y = a * p[lo].y + b * p[hi].y +
                     ((a * a * a - a) * d2[lo] + (b * b * b - b) * d2[hi]) * (h * h) / 6.0;
    // Truncation of a double far outside the int32 range is undefined; clamp first.
    return int32_t(std::trunc(std::clamp(y, -2147483648.0, 2147483647.0)));
}

// Scales a row's departures from the identity; see CurveToLut.
void ComposeRow(std::vector<int32_t>& row, const std::vector<int32_t>& curve, int32_t max) {
    for (int32_t& value : row) value = curve[size_t(std::clamp(value, 0, max))];
}

// A four-point bend evaluated into the scratch arrays and composed with the row.
bool ApplyBend(std::vector<int32_t>& row, const CurvePoint (&bend)[4], int32_t scratchPoints,
               int32_t scratchLut, int32_t max, int32_t keepFrom, int32_t keepTo) {
    if (!CreateArray(scratchPoints, 4, 2, 1, 4)) return false;
    for (int32_t i = 0; i < 4; ++i) {
        PutArrayElement(scratchPoints, i, 0, 0, bend[i].x);
        PutArrayElement(scratchPoints, i, 1, 0, bend[i].y);
    }
    if (!SplineSecondDerivatives(scratchPoints, 0, 4, scratchLut, 0, max)) return false;
    LookupRowView view;
    if (!OpenLookupRow(scratchLut, 0, max + 1, &view)) return false;
    std::vector<int32_t> curve = LoadRow(view, max + 1);
    // The shadows bend leaves the upper half alone, the highlights bend the lower half.
    for (int32_t i = keepFrom; i <= keepTo; ++i) curve[size_t(i)] = i;
    ComposeRow(row, curve, max);
    return true;
}
}  // namespace

void SplineEvaluateRow(const CurvePoint* points, int32_t count, int32_t max, int32_t* row) {
    const std::vector<CurvePoint> p = PreparePoints(points, count);
    if (p.empty()) {
        for (int32_t v = 0; v <= max; ++v) row[v] = v;
        return;
    }
    const std::vector<double> d2 = NaturalSplineSecondDerivatives(p);
    const int32_t firstOut = std::clamp(p.front().y, 0, max);
    const int32_t lastOut = std::clamp(p.back().y, 0, max);
    for (int32_t v = 0; v <= max; ++v) {
        if (v <= p.front().x)
            row[v] = firstOut;
        else if (v >= p.back().x)
            row[v] = lastOut;
        else
            row[v] = std::clamp(SplineValue(p, d2, v), 0, max);
    }
}

int32_t SplineSecondDerivatives(int32_t pointsArray, int32_t curve, int32_t count, int32_t lutArray,
                                int32_t lutRow, int32_t max) {
    LookupRowView view;
    if (max < 0 || !OpenLookupRow(lutArray, lutRow, max + 1, &view)) return 0;
    if (!GetArrayBase(pointsArray)) return 0;
    std::vector<CurvePoint> points(size_t(std::max(count, 0)));
    for (int32_t i = 0; i < count; ++i)
        points[size_t(i)] = {GetArrayElement(pointsArray, i, 0, curve),
                             GetArrayElement(pointsArray, i, 1, curve)};
    std::vector<int32_t> row(size_t(max) + 1);
    SplineEvaluateRow(points.data(), count, max, row.data());
    StoreRow(view, row);
    return 1;
}

int32_t SortCurvePoints(int32_t pointsArray, int32_t curve, int32_t count) {
    if (count < 2) return 1;
    std::vector<CurvePoint> p(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        p[size_t(i)] = {GetArrayElement(pointsArray, i, 0, curve),
                        GetArrayElement(pointsArray, i, 1, curve)};
    int32_t gap = count / 2;
    while (gap >= 1) {
        for (int32_t i = gap; i < count; ++i) {
            const CurvePoint moving = p[size_t(i)];
            int32_t j = i;
            for (; j >= gap && p[size_t(j - gap)].x > moving.x; j -= gap)
                p[size_t(j)] = p[size_t(j - gap)];
            p[size_t(j)] = moving;
        }
        gap = gap == 2 ? 1 : int32_t(gap / 2.2);
    }
    for (int32_t i = 0; i < count; ++i) {
        PutArrayElement(pointsArray, i, 0, curve, p[size_t(i)].x);
        PutArrayElement(pointsArray, i, 1, curve, p[size_t(i)].y);
    }
    return 1;
}

int32_t DeleteCurvePoint(int32_t pointsArray, int32_t curve, int32_t* count, int32_t* selected,
                         int32_t max) {
    const int32_t n = *count;
    const int32_t s = *selected;
    if (s < 0 || s > n - 1) return 0;
    if (s == 0 || s == n - 1) {
        const int32_t corner = s == 0 ? 0 : max;
        PutArrayElement(pointsArray, s, 0, curve, corner);
        PutArrayElement(pointsArray, s, 1, curve, corner);
        return 1;
    }
    // Parked beyond max as well, so that a list on a wider level range still sorts it last.
    PutArrayElement(pointsArray, s, 0, curve, std::max(kParkedLevel, max + 1));
    SortCurvePoints(pointsArray, curve, n);
    *count = n - 1;
    if (*count >= 3 && s >= 2) *selected = s - 1;
    return 1;
}

int32_t CurveToLut(int32_t lutArray, int32_t row, int32_t scratchPoints, int32_t scratchLut,
                   int32_t max, int32_t intensity, int32_t brightness, int32_t shadows,
                   int32_t highlights, int32_t link, int32_t exposure) {
    if (max < 1 || !CreateArray(scratchLut, max + 1, 1, 1, 4)) return 0;
    LookupRowView view;
    if (!OpenLookupRow(lutArray, row, max + 1, &view)) return 0;
    std::vector<int32_t> values = LoadRow(view, max + 1);

    const int32_t levels = max + 1;
    const int32_t q1 = levels / 4, half = levels / 2, q3 = (3 * levels) / 4;
    const int32_t e8 = levels / 8, e = levels / 32 + levels / 8;
    if (brightness != 0) {
        const int32_t d = (e8 * brightness) / 100;
        if (brightness > 0) {
            const CurvePoint bend[4] = {{0, 0}, {q1, q1 + d}, {q3 - d, q3}, {max, max}};
            ApplyBend(values, bend, scratchPoints, scratchLut, max, 0, -1);
        } else {
            const CurvePoint bend[4] = {{0, 0}, {q1 - d, q1}, {q3, q3 + d}, {max, max}};
            ApplyBend(values, bend, scratchPoints, scratchLut, max, 0, -1);
        }
    }
    if (shadows != 0) {
        const CurvePoint bend[4] = {
            {0, 0}, {q1, q1 - (e * shadows) / 100}, {half, half}, {max, max}};
        ApplyBend(values, bend, scratchPoints, scratchLut, max, half, max);
    }
    const int32_t h = link ? shadows : highlights;
    if (h != 0) {
        const CurvePoint bend[4] = {{0, 0}, {half, half}, {q3, q3 + (e * h) / 100}, {max, max}};
        ApplyBend(values, bend, scratchPoints, scratchLut, max, 0, half - 1);
    }
    if (exposure > 0) {
        for (int32_t& v : values)
            v = std::min(max, ScaleValue(v, 0, max - (max * exposure) / 255, 0, max));
    } else if (exposure < 0) {
        for (int32_t& v : values)
            v = std::max(0, ScaleValue(v, (-exposure * max) / 255, max, 0, max));
    }
    if (intensity != 0) {
        for (int32_t i = 0; i <= max; ++i) {
            const int64_t bent =
                int64_t(values[size_t(i)]) * (intensity + 100) - int64_t(i) * intensity;
            values[size_t(i)] = int32_t(std::clamp<int64_t>(bent / 100, 0, max));
        }
    }
    StoreRow(view, values);
    return 1;
}
