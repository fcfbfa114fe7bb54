// The histogram panel: counting the source and the rendered output of the current rectangle,
// the statistics columns, and the drawing of one display mode with its texts.

#include "dialog/histogram_panel.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "dialog/control_texts.h"
#include "dialog/drawing_surface.h"
#include "host/color_conversion.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"

HistogramCache gHistogramCache;

namespace {
constexpr int32_t kShadowEnd = 85;  // first midtone bin
constexpr int32_t kHighlightStart = 171;
constexpr int32_t kBaseLineFromBottom = 3;
constexpr COLORREF kBaseLineGrey = 0x888888;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00A000;
constexpr COLORREF kBlue = 0xFF0000;

using Counts = std::vector<int32_t>;  // kHistogramRows x kHistogramColumns

struct PixelRows {
    const uint8_t* base;
    int64_t rowBytes;
    int32_t step;  // samples per pixel
};

template <typename Sample>
void CountRectangle(const PixelRows& rows, int32_t width, int32_t height, bool sixteenBit,
                    bool roundTrip, Counts& counts) {
    int32_t bins[kHistogramCountedRows];
    for (int32_t y = 0; y < height; ++y) {
        const Sample* p = reinterpret_cast<const Sample*>(rows.base + y * rows.rowBytes);
        for (int32_t x = 0; x < width; ++x, p += rows.step) {
            int32_t r = HistogramLevel8(p[0], sixteenBit);
            int32_t g = HistogramLevel8(p[1], sixteenBit);
            int32_t b = HistogramLevel8(p[2], sixteenBit);
            if (roundTrip) HistogramRoundTrip(r, g, b);
            HistogramPixelBins(r, g, b, bins);
            for (int32_t row = 0; row < kHistogramCountedRows; ++row)
                ++counts[size_t(row * kHistogramColumns + bins[row])];
        }
    }
}

// Counts rows 0..12 of the current rectangle of the source or the output; false when the
// rectangle has no pixels to read.
bool CountCurrentRectangle(bool source, bool roundTrip, Counts& counts) {
    const EffectContext& c = gContext;
    const PixelRows rows = source ? PixelRows{c.adjustedInData, c.inRowBytes, c.inStep}
                                  : PixelRows{c.outData, c.outRowBytes, c.outStep};
    counts.assign(size_t(kHistogramRows) * kHistogramColumns, 0);
    const int32_t width = c.currentRight - c.currentLeft;
    const int32_t height = c.currentBottom - c.currentTop;
    if (!rows.base || rows.step < 3 || width <= 0 || height <= 0) return false;
    const bool sixteenBit = IsSixteenBitMode(c.imageMode);
    if (sixteenBit)
        CountRectangle<uint16_t>(rows, width, height, true, roundTrip, counts);
    else
        CountRectangle<uint8_t>(rows, width, height, false, roundTrip, counts);
    return true;
}

int64_t CurrentPixelCount() {
    const EffectContext& c = gContext;
    return int64_t(std::max(c.currentRight - c.currentLeft, 0)) *
           std::max(c.currentBottom - c.currentTop, 0);
}

bool CacheKeyHolds() {
    const HistogramCache& h = gHistogramCache;
    const EffectContext& c = gContext;
    return h.valid && h.reduction == c.zoomReduction && h.left == c.currentLeft &&
           h.top == c.currentTop && h.right == c.currentRight && h.bottom == c.currentBottom;
}

// The bins one display mode draws, with the statistics it reports.
struct ModeData {
    std::vector<int32_t> bins[3];  // one row, or red, green and blue for mode 9
    int32_t rowCount;
    int32_t peak;          // the scale of the columns
    HistogramStats stats;  // for the texts
};

std::vector<int32_t> ArrayRow(int32_t array, int32_t row) {
    std::vector<int32_t> bins(kHistogramBins);
    for (int32_t x = 0; x < kHistogramBins; ++x)
        bins[size_t(x)] = GetArrayElement(array, x, row, 0);
    return bins;
}

int32_t SourcePeak(int32_t mode, int32_t row) {
    const int32_t* m = gHistogramCache.sourceMaxima;
    if (mode == 0) return m[2] + m[3] + m[4];
    if (mode == 9) return std::max({m[2], m[3], m[4]});
    return m[row];
}

bool ReadModeData(int32_t array, int32_t mode, bool scaleToSource, ModeData& data) {
    const int64_t pixels = CurrentPixelCount();
    if (mode == 0 || mode == 9) {
        std::vector<int32_t> rgb[3] = {ArrayRow(array, 2), ArrayRow(array, 3), ArrayRow(array, 4)};
        if (mode == 0) {
            data.rowCount = 1;
            data.bins[0].assign(kHistogramBins, 0);
            for (int32_t x = 0; x < kHistogramBins; ++x)
                for (const auto& row : rgb) data.bins[0][size_t(x)] += row[size_t(x)];
            data.stats = HistogramRowStats(data.bins[0].data(), 3 * pixels);
            data.peak = data.stats.peak;
        } else {
            data.rowCount = 3;
            HistogramStats s[3];
            for (int32_t i = 0; i < 3; ++i) {
                data.bins[i] = rgb[i];
                s[i] = HistogramRowStats(rgb[i].data(), pixels);
            }
            const int32_t top = int32_t(
                std::max_element(s, s + 3, [](auto& a, auto& b) { return a.peak < b.peak; }) - s);
            data.peak = s[top].peak;
            data.stats = {s[top].peak,
                          s[top].peakBin,
                          (s[0].mean + s[1].mean + s[2].mean) / 3,
                          (s[0].shadows + s[1].shadows + s[2].shadows) / 3,
                          (s[0].midtones + s[1].midtones + s[2].midtones) / 3,
                          (s[0].highlights + s[1].highlights + s[2].highlights) / 3};
        }
    } else {
        const int32_t row = HistogramRowForMode(mode);
        if (row < 0) return false;
        data.rowCount = 1;
        data.bins[0] = ArrayRow(array, row);
        data.stats = HistogramRowStats(data.bins[0].data(), pixels);
        data.peak = data.stats.peak;
    }
    if (scaleToSource && gHistogramCache.valid)
        data.peak = std::max(SourcePeak(mode, HistogramRowForMode(mode)), 1);
    return data.peak > 0;
}

void DrawColumns(const ModeData& data, int32_t mode, int32_t style, int32_t baseY) {
    static const COLORREF kRgb[3] = {kRed, kGreen, kBlue};
    for (int32_t i = 0; i < data.rowCount; ++i) {
        const COLORREF colour = data.rowCount == 3 ? kRgb[i] : HistogramModeColour(mode);
        for (int32_t x = 0; x < kHistogramBins; ++x) {
            const int64_t count = data.bins[i][size_t(x)];
            const int32_t h = int32_t(std::min<int64_t>(count * baseY / data.peak, baseY));
            if (h <= 0) continue;
            if (style == 3)
                DrawPixel(x, baseY - h, colour);
            else
                DrawSurfaceLine(x, baseY - 1, x, baseY - 1 - h, colour);
        }
    }
}

void DrawBaseAndRamp(int32_t mode, int32_t baseY) {
    for (int32_t x = 0; x < kHistogramBins; ++x) {
        DrawPixel(x, baseY, kBaseLineGrey);
        DrawPixel(x, baseY + 1, kWhite);
        DrawPixel(x, baseY + 2, HistogramRampColour(mode, x));
    }
    for (int32_t x : {kShadowEnd, kHighlightStart - 1}) {
        for (int32_t y = 0; y < baseY; y += 2) DrawPixel(x, y, y % 4 ? kWhite : 0);
    }
}

void WriteTexts(const ModeData& data, int32_t mode, int32_t statisticsControl,
                int32_t sharesControl, int32_t textArray, int32_t sharesRow,
                int32_t statisticsRow) {
    char text[256];
    if (sharesControl >= 0) {
        const int64_t sum =
            int64_t(data.stats.shadows) + data.stats.midtones + data.stats.highlights;
        const char* format = GetArrayString(textArray, sharesRow);
        if (mode == 6) {
            SetControlText(sharesControl, "");
        } else if (sum > 0 && HistogramFormatSafe(format, 3)) {
            snprintf(text, sizeof text, format, int(data.stats.shadows * 100 / sum),
                     int(data.stats.midtones * 100 / sum), int(data.stats.highlights * 100 / sum));
            SetControlText(sharesControl, text);
        }
    }
    if (statisticsControl >= 0) {
        const char* format = GetArrayString(textArray, statisticsRow);
        if (HistogramFormatSafe(format, 2)) {
            snprintf(text, sizeof text, format, int(data.stats.peakBin), int(data.stats.mean));
            SetControlText(statisticsControl, text);
        }
    }
}

// Fully saturated colour of a hue 0..255 around the colour circle.
COLORREF HueColour(int32_t hue) {
    const int32_t sixths = hue * 6;
    const int32_t up = (sixths % 256) * 255 / 256, down = 255 - up;
    switch (sixths / 256) {
        case 0:
            return RGB(255, up, 0);
        case 1:
            return RGB(down, 255, 0);
        case 2:
            return RGB(0, 255, up);
        case 3:
            return RGB(0, down, 255);
        case 4:
            return RGB(up, 0, 255);
        default:
            return RGB(255, 0, down);
    }
}

COLORREF Grey(int32_t level) {
    return RGB(level, level, level);
}
}  // namespace

void HistogramCacheReset() {
    gHistogramCache = HistogramCache{};
}

void HistogramPixelBins(int32_t r, int32_t g, int32_t b, int32_t bins[kHistogramCountedRows]) {
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    bins[0] = (r + g + b) / 3;
    bins[1] = (213 * r + 715 * g + 72 * b) / 1000;
    bins[2] = r;
    bins[3] = g;
    bins[4] = b;
    int32_t h = r, s = g, l = b;
    RgbToHslInPlace8(h, s, l);
    bins[5] = std::clamp(h, 0, 255);
    bins[6] = std::clamp(s, 0, 255);
    bins[7] = std::clamp(l, 0, 255);
    bins[8] = (g + b) / 2;
    bins[9] = (r + b) / 2;
    bins[10] = (r + g) / 2;
    bins[11] = std::min({r, g, b});
    bins[12] = std::max({r, g, b});
}

void HistogramRoundTrip(int32_t& r, int32_t& g, int32_t& b) {
    const int32_t y = (299 * r + 587 * g + 114 * b) / 1000;
    const int32_t u = (500 * b - 331 * g - 169 * r) / 1000;
    const int32_t v = (500 * r - 418 * g - 82 * b) / 1000;
    r = std::clamp(y + (1402 * v) / 1000, 0, 255);
    g = std::clamp(y - (714 * v) / 1000 - (346 * u) / 1000, 0, 255);
    b = std::clamp(y + (1771 * u) / 1000, 0, 255);
}

HistogramStats HistogramRowStats(const int32_t* bins, int64_t pixelCount) {
    HistogramStats s = {};
    int64_t weighted = 0;
    for (int32_t x = 0; x < kHistogramBins; ++x) {
        const int32_t count = bins[x];
        if (count > s.peak) {
            s.peak = count;
            s.peakBin = x;
        }
        weighted += int64_t(x) * count;
        if (x < kShadowEnd)
            s.shadows += count;
        else if (x < kHighlightStart)
            s.midtones += count;
        else
            s.highlights += count;
    }
    s.mean = pixelCount > 0 ? int32_t(weighted / pixelCount) : 0;
    return s;
}

int32_t HistogramLevel8(int32_t value, bool sixteenBit) {
    return std::clamp(sixteenBit ? value / 128 : value, 0, 255);
}

bool HistogramFormatSafe(const char* format, int32_t count) {
    if (!format) return false;
    int32_t conversions = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        if (*p != 'd') return false;
        ++conversions;
    }
    return conversions <= count;
}

int32_t HistogramRowForMode(int32_t mode) {
    int32_t row = -1;
    if ((mode >= 1 && mode <= 8) || mode == 15 || mode == 16) row = mode - 1;
    if (mode >= 10 && mode <= 14) row = mode - 2;
    // Rows 13 and 14 are never counted and the array has no row 15.
    return row >= 0 && row < kHistogramCountedRows ? row : -1;
}

uint32_t HistogramModeColour(int32_t mode) {
    switch (mode) {
        case 3:
        case 7:
            return kRed;
        case 4:
            return kGreen;
        case 5:
            return kBlue;
        case 10:
            return 0xC0C000;
        case 11:
            return 0xFF00FF;
        case 12:
            return 0x00FFFF;
        default:
            return 0x404040;
    }
}

uint32_t HistogramRampColour(int32_t mode, int32_t x) {
    const int32_t v = std::clamp(x, 0, 255);
    switch (mode) {
        case 3:
            return RGB(v, 0, 0);
        case 4:
            return RGB(0, v, 0);
        case 5:
            return RGB(0, 0, v);
        case 6:
            return HueColour(v);
        case 7:
            return RGB(128 + (127 * v) / 255, 128 - (128 * v) / 255, 128 - (128 * v) / 255);
        case 10:
            return RGB(255 - v, 255, 255);
        case 11:
            return RGB(255, 255 - v, 255);
        case 12:
            return RGB(255, 255, 255 - v);
        default:
            return Grey(v);
    }
}

int32_t ComputeHistogram(int32_t array) {
    if (CacheKeyHolds()) return 0;
    Counts counts;
    CountCurrentRectangle(true, false, counts);
    HistogramCache& h = gHistogramCache;
    for (int32_t row = 0; row < kHistogramRows; ++row) {
        const auto first = counts.begin() + row * kHistogramColumns;
        h.sourceMaxima[row] = std::max(*std::max_element(first, first + kHistogramBins), 1);
    }
    const EffectContext& c = gContext;
    h.valid = true;
    h.reduction = c.zoomReduction;
    h.left = c.currentLeft;
    h.top = c.currentTop;
    h.right = c.currentRight;
    h.bottom = c.currentBottom;
    ++h.computeCount;
    ReleaseArray(array);
    return 1;
}

int32_t UpdateHistogram(int32_t array, int32_t withSourceMaxima, int32_t roundTrip) {
    gHistogramCache.lastWithSourceMaxima = withSourceMaxima;
    gHistogramCache.lastRoundTrip = roundTrip;
    if (withSourceMaxima) ComputeHistogram(array);
    if (!CreateArray(array, kHistogramColumns, kHistogramRows, 1, 4)) return 0;
    Counts counts;
    CountCurrentRectangle(false, roundTrip != 0, counts);
    const int64_t pixels = CurrentPixelCount();
    for (int32_t row = 0; row < kHistogramCountedRows; ++row) {
        int32_t* line = counts.data() + row * kHistogramColumns;
        const HistogramStats s = HistogramRowStats(line, pixels);
        line[HISTO_COLUMN_PEAK] = s.peak;
        line[HISTO_COLUMN_PEAK_BIN] = s.peakBin;
        line[HISTO_COLUMN_MEAN] = s.mean;
        line[HISTO_COLUMN_SHADOWS] = s.shadows;
        line[HISTO_COLUMN_MIDTONES] = s.midtones;
        line[HISTO_COLUMN_HIGHLIGHTS] = s.highlights;
    }
    int32_t* base = static_cast<int32_t*>(GetArrayBase(array));
    std::copy(counts.begin(), counts.end(), base);
    return 1;
}

int32_t RefreshHistogram(int32_t array) {
    // The tonal look keeps its whole-image counts in the same array until a panel count
    // replaces them: only a panel's count is counted again.
    if (!GetArrayBase(array) || GetArrayDimension(array, 0) != kHistogramColumns ||
        GetArrayDimension(array, 1) != kHistogramRows)
        return 0;
    const HistogramCache& h = gHistogramCache;
    return UpdateHistogram(array, h.lastWithSourceMaxima, h.lastRoundTrip);
}

int32_t DrawHistogram(int32_t array, int32_t control, int32_t mode, int32_t style,
                      int32_t statisticsControl, int32_t sharesControl, int32_t textArray,
                      int32_t sharesTextRow, int32_t statisticsTextRow, int32_t scaleToSource) {
    if (!GetArrayBase(array) || GetArrayDimension(array, 0) < kHistogramColumns) return 0;
    ModeData data;
    if (!ReadModeData(array, mode, scaleToSource != 0, data)) return 0;
    if (BeginControlDrawing(control)) {
        const int32_t baseY = std::max(gSurface.windowHeight - kBaseLineFromBottom, 1);
        FillSurface(PanelBackgroundColour(control));
        DrawColumns(data, mode, style, baseY);
        DrawBaseAndRamp(mode, baseY);
        EndControlDrawing(control);
    }
    if (statisticsControl >= 0 || sharesControl >= 0)
        WriteTexts(data, mode, statisticsControl, sharesControl, textArray, sharesTextRow,
                   statisticsTextRow);
    return 1;
}
