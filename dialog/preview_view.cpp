// The preview's arithmetic: zoom list and steps, placement and mouse mapping, readout texts,
// magnification, 16-bit display levels and the navigator's sampling.

#include "dialog/preview_view.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/color_conversion.h"
#include "host/preview_request.h"

namespace {
struct ZoomEntry {
    const char* text;
    int32_t reduction, magnification;  // 0, 0 for a separator
};
constexpr ZoomEntry kZoomList[kZoomListCount] = {
    {"3200%", 1, 32},
    {"1600%", 1, 16},
    {"1200%", 1, 12},
    {"800%", 1, 8},
    {"700%", 1, 7},
    {"600%", 1, 6},
    {"500%", 1, 5},
    {"400%", 1, 4},
    {"300%", 1, 3},
    {"200%", 1, 2},
    {"---------------", 0, 0},
    {"100%", 1, 1},
    {"50%", 2, 1},
    {"33%", 3, 1},
    {"25%", 4, 1},
    {"20%", 5, 1},
    {"16%", 6, 1},
    {"14%", 7, 1},
    {"12%", 8, 1},
    {"11%", 9, 1},
    {"10%", 10, 1},
    {"9%", 11, 1},
    {"8%", 12, 1},
    {"7%", 14, 1},
    {"6%", 16, 1},
    {"---------------", 0, 0},
    {"Fit", ZOOM_FIT, 1},
};

enum ImageModeNumber : int32_t {
    MODE_GRAYSCALE = 1,
    MODE_RGB = 3,
    MODE_CMYK = 4,
    MODE_LAB = 9,
    MODE_GRAY16 = 10,
    MODE_RGB48 = 11,
    MODE_LAB48 = 12,
    MODE_CMYK64 = 13,
};

std::string Format(const char* format, int32_t a, int32_t b, int32_t c) {
    char text[64];
    snprintf(text, sizeof text, format, a, b, c);
    return text;
}

PixelReadout RgbReadout(int32_t r, int32_t g, int32_t b) {
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    int32_t h = r, s = g, l = b;
    RgbToHslInPlace8(h, s, l);
    return {uint32_t(RGB(r, g, b)), Format("R: %03d, G: %03d, B: %03d", r, g, b),
            Format("H: %03d, S: %03d, L: %03d", h, s, l)};
}

// CIE Lab on 0..255 (a and b offset by 128) to sRGB, D65 white.
void LabToRgb(int32_t l8, int32_t a8, int32_t b8, int32_t& r, int32_t& g, int32_t& b) {
    const double l = l8 * 100.0 / 255.0, a = a8 - 128.0, bb = b8 - 128.0;
    const double fy = (l + 16.0) / 116.0, fx = fy + a / 500.0, fz = fy - bb / 200.0;
    auto inverse = [](double t) {
        return t > 6.0 / 29.0 ? t * t * t : 3 * 36.0 / 841.0 * (t - 4.0 / 29.0);
    };
    const double x = 0.95047 * inverse(fx), y = inverse(fy), z = 1.08883 * inverse(fz);
    auto gamma = [](double c) {
        c = std::clamp(c, 0.0, 1.0);
        return int32_t(255.0 * (c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055) +
                       0.5);
    };
    r = gamma(3.2406 * x - 1.5372 * y - 0.4986 * z);
    g = gamma(-0.9689 * x + 1.8758 * y + 0.0415 * z);
    b = gamma(0.0557 * x - 0.2040 * y + 1.0570 * z);
}
}  // namespace

const char* ZoomListText() {
    static std::string text;
    if (text.empty())
        for (int32_t i = 0; i < kZoomListCount; ++i)
            text += std::string(kZoomList[i].text) + (i + 1 < kZoomListCount ? "\n" : "");
    return text.c_str();
}

PreviewZoom ZoomOfListEntry(int32_t index) {
    if (index < 0 || index >= kZoomListCount) return {0, 0};
    return {kZoomList[index].reduction, kZoomList[index].magnification};
}

int32_t ZoomListIndex(PreviewZoom zoom) {
    if (zoom.reduction == ZOOM_FIT) return kZoomIndexFit;
    if (zoom.magnification > 1) {
        if (zoom.magnification >= 32) return 0;
        if (zoom.magnification == 16) return 1;
        if (zoom.magnification == 12) return 2;
        return 11 - zoom.magnification;
    }
    if (zoom.reduction == 14) return 23;
    if (zoom.reduction == 16) return 24;
    return zoom.reduction + 10;
}

int32_t ZoomListLanding(int32_t chosen, int32_t previous) {
    if (chosen == kZoomUpperSeparator)
        return previous < kZoomUpperSeparator ? kZoomIndex100 : kZoomIndex200;
    if (chosen == kZoomLowerSeparator)
        return previous < kZoomLowerSeparator ? kZoomIndexFit : kZoomIndex6;
    return std::clamp(chosen, 0, kZoomListCount - 1);
}

PreviewZoom ZoomStepOut(PreviewZoom z) {
    if (z.magnification > 1) {
        if (z.magnification >= 32) return {1, 16};
        if (z.magnification == 16) return {1, 12};
        if (z.magnification == 12) return {1, 8};
        return {1, z.magnification - 1};
    }
    int32_t r = std::max(z.reduction, 1) + 1;
    if (r == 13 || r == 15) ++r;
    return {std::min(r, kMaxReduction), 1};
}

PreviewZoom ZoomStepIn(PreviewZoom z) {
    if (z.magnification > 1) {
        if (z.magnification >= 16) return {1, kMaxMagnification};
        if (z.magnification == 12) return {1, 16};
        if (z.magnification == 8) return {1, 12};
        return {1, z.magnification + 1};
    }
    int32_t r = z.reduction - 1;
    if (r == 15 || r == 13) --r;
    if (r < 1) return {1, 2};
    return {r, 1};
}

bool ZoomOutDisabled(PreviewZoom z) {
    return z.magnification <= 1 && z.reduction >= kMaxReduction;
}

bool ZoomInDisabled(PreviewZoom z) {
    return z.magnification >= kMaxMagnification;
}

PreviewPlacement PlacePreview(int32_t frameWidth, int32_t frameHeight, int32_t proxyWidth,
                              int32_t proxyHeight, int32_t magnification) {
    const int32_t m = std::max(magnification, 1);
    PreviewPlacement p;
    p.imageWidth = proxyWidth * m;
    p.imageHeight = proxyHeight * m;
    p.offsetX = p.imageWidth < frameWidth ? (frameWidth - p.imageWidth) / 2 : 0;
    p.offsetY = p.imageHeight < frameHeight ? (frameHeight - p.imageHeight) / 2 : 0;
    return p;
}

PreviewArea PreviewPaintedArea(const PreviewPlacement& place, int32_t frameWidth,
                               int32_t frameHeight, const PreviewArea& update) {
    const int32_t shownWidth = std::min(place.imageWidth, frameWidth);
    const int32_t shownHeight = std::min(place.imageHeight, frameHeight);
    PreviewArea area;
    area.left = std::max(update.left - place.offsetX, 0);
    area.top = std::max(update.top - place.offsetY, 0);
    area.right = std::min(update.right - place.offsetX, shownWidth);
    area.bottom = std::min(update.bottom - place.offsetY, shownHeight);
    if (area.right <= area.left || area.bottom <= area.top) return {0, 0, 0, 0};
    return area;
}

int32_t PreviewMouseToImage(int32_t cursor, int32_t frameSize, int32_t imageSize,
                            int32_t magnification, int32_t shownStart) {
    const int32_t m = std::max(magnification, 1);
    if (cursor < 0 || cursor >= frameSize) return -1;
    if (imageSize >= frameSize - m) return (cursor - 1) / m + shownStart;
    const int32_t inside = cursor - (frameSize - imageSize) / 2 - 1;
    return inside < 0 || inside >= imageSize ? -1 : inside / m;
}

PixelReadout ReadoutOutside() {
    return {0x808080, "R: 128, G: 128, B: 128", "H: 000, S: 000, L: 128"};
}

PixelReadout ReadoutForMode(int32_t mode, const int32_t v[4]) {
    switch (mode) {
        case MODE_GRAYSCALE:
        case MODE_GRAY16: {
            const int32_t g = std::clamp(v[0], 0, 255);
            return {uint32_t(RGB(g, g, g)), Format("G: %03d", g, 0, 0), ""};
        }
        case MODE_LAB:
        case MODE_LAB48: {
            int32_t r, g, b;
            LabToRgb(v[0], v[1], v[2], r, g, b);
            PixelReadout out = RgbReadout(r, g, b);
            out.line2 = out.line1;
            out.line1 = Format("L: %03d, A: %03d, B: %03d", v[0], v[1], v[2]);
            return out;
        }
        case MODE_CMYK:
        case MODE_CMYK64: {
            // Inverted planes as the host delivers them: 255 is no ink.
            PixelReadout out = RgbReadout(v[0] + v[3] - 255, v[1] + v[3] - 255, v[2] + v[3] - 255);
            out.line2 = out.line1;
            char text[64];
            snprintf(text, sizeof text, "C: %03d, M: %03d, Y: %03d, K: %03d", v[0], v[1], v[2],
                     v[3]);
            out.line1 = text;
            return out;
        }
        default:
            return RgbReadout(v[0], v[1], v[2]);
    }
}

int32_t ReadoutLevel(int32_t value, bool sixteenBit) {
    return sixteenBit ? int32_t(value / 128.5) : value;
}

uint8_t DisplayLevel16(int32_t value) {
    return uint8_t(std::min(std::max(value, 0) >> 7, 255));
}

void MagnifyPixelsInto(const uint8_t* pixels, int32_t rowBytes, int32_t width, int32_t height,
                       int32_t planes, int32_t magnification, uint8_t* out) {
    const int32_t m = std::max(magnification, 1);
    const size_t outRow = size_t(width) * m * planes;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = out + size_t(y) * m * outRow;
        const uint8_t* in = pixels + int64_t(y) * rowBytes;
        for (int32_t x = 0; x < width; ++x)
            for (int32_t k = 0; k < m; ++k)
                std::copy(in + x * planes, in + (x + 1) * planes,
                          row + (size_t(x) * m + k) * planes);
        for (int32_t k = 1; k < m; ++k) std::copy(row, row + outRow, row + k * outRow);
    }
}

std::vector<uint8_t> MagnifyPixels(const uint8_t* pixels, int32_t rowBytes, int32_t width,
                                   int32_t height, int32_t planes, int32_t magnification) {
    const int32_t m = std::max(magnification, 1);
    std::vector<uint8_t> out(size_t(width) * m * planes * size_t(height) * m);
    MagnifyPixelsInto(pixels, rowBytes, width, height, planes, m, out.data());
    return out;
}

NavigatorSampling NavigatorSamplingFor(int32_t imageWidth, int32_t imageHeight, int32_t width,
                                       int32_t height) {
    NavigatorSampling n = {1, 1, 0, 0};
    if (imageWidth <= 0 || imageHeight <= 0 || width <= 0 || height <= 0) return n;
    // W / H >= width / height, without the rounding of two divisions.
    if (int64_t(imageWidth) * height >= int64_t(width) * imageHeight) {
        n.scale = std::clamp(imageWidth / width, 1, kMaxReduction);
        n.step = std::max(imageWidth / n.scale / width, 1);
    } else {
        n.scale = std::clamp(imageHeight / height, 1, kMaxReduction);
        n.step = std::max(imageHeight / n.scale / height, 1);
    }
    n.columns = imageWidth / n.scale / n.step;
    n.rows = imageHeight / n.scale / n.step;
    return n;
}
