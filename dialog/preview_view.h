// The preview's arithmetic without windows: the zoom list and its steps, the mouse over the
// preview in image coordinates, the pixel readout texts, the magnified and 8-bit pictures and
// the navigator's sampling step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kZoomListCount = 27;
constexpr int32_t kZoomUpperSeparator = 10;
constexpr int32_t kZoomLowerSeparator = 25;
constexpr int32_t kZoomIndex100 = 11;
constexpr int32_t kZoomIndex200 = 9;
constexpr int32_t kZoomIndexFit = 26;
constexpr int32_t kZoomIndex6 = 24;
constexpr int32_t kMaxReduction = 16;
constexpr int32_t kMaxMagnification = 32;

// One zoom: reduction r (1..16, or ZOOM_FIT) and magnification m; never both above 1.
struct PreviewZoom {
    int32_t reduction;
    int32_t magnification;
};

// The combo box text of the zoom list: the 27 entries separated by line feeds.
const char* ZoomListText();
// The zoom of a list entry; the separators give {0, 0}.
PreviewZoom ZoomOfListEntry(int32_t index);
// The list entry showing a zoom.
int32_t ZoomListIndex(PreviewZoom zoom);
// The entry a choice of the list lands on: a separator moves on in the direction of travel.
int32_t ZoomListLanding(int32_t chosen, int32_t previous);
// One step out (smaller picture) or in; 13 and 15 are skipped, the ends hold.
PreviewZoom ZoomStepOut(PreviewZoom zoom);
PreviewZoom ZoomStepIn(PreviewZoom zoom);
bool ZoomOutDisabled(PreviewZoom zoom);  // at 6 % (reduction 16)
bool ZoomInDisabled(PreviewZoom zoom);   // at 3200 %

// Where the image sits in the preview frame: its size on the screen (proxy size x m) and the
// centring offsets when it is smaller than the frame.
struct PreviewPlacement {
    int32_t imageWidth, imageHeight;  // screen pixels
    int32_t offsetX, offsetY;         // of the image inside the frame
};
PreviewPlacement PlacePreview(int32_t frameWidth, int32_t frameHeight, int32_t proxyWidth,
                              int32_t proxyHeight, int32_t magnification);
// The part of the placed picture that a paint must draw, in picture pixels (left, top, right,
// bottom): what shows in the frame and lies in the update area (given relative to the
// frame's origin). Empty (right <= left or bottom <= top) when the paint misses the picture.
struct PreviewArea {
    int32_t left, top, right, bottom;
};
PreviewArea PreviewPaintedArea(const PreviewPlacement& place, int32_t frameWidth,
                               int32_t frameHeight, const PreviewArea& update);
// A point of the frame (relative to the frame's origin) in reduced-image coordinates along one
// axis: the shown rectangle starts at shownStart; -1 outside the frame.
int32_t PreviewMouseToImage(int32_t cursor, int32_t frameSize, int32_t imageSize,
                            int32_t magnification, int32_t shownStart);

// The pixel readout: colour swatch and two lines for the output pixel values (already on
// 0..255) of an image mode; outside the shown rectangle the grey defaults.
struct PixelReadout {
    uint32_t swatch;  // COLORREF
    std::string line1, line2;
};
PixelReadout ReadoutOutside();
PixelReadout ReadoutForMode(int32_t imageMode, const int32_t values[4]);
// A 16-bit level (0..32768) for the readout: divided by 128.5, truncated.
int32_t ReadoutLevel(int32_t value, bool sixteenBit);
// A 16-bit level for the display: shifted right by 7, 32768 giving 255.
uint8_t DisplayLevel16(int32_t value);

// Each of the width x height pixels of `planes` bytes repeated m x m times; the buffer holds
// exactly what is written: (width m) x (height m) pixels.
std::vector<uint8_t> MagnifyPixels(const uint8_t* pixels, int32_t rowBytes, int32_t width,
                                   int32_t height, int32_t planes, int32_t magnification);
// The same into out, which holds (width m) x (height m) x planes bytes.
void MagnifyPixelsInto(const uint8_t* pixels, int32_t rowBytes, int32_t width, int32_t height,
                       int32_t planes, int32_t magnification, uint8_t* out);

// The navigator's proxy scale and sampling step for an image W x H in a control of
// width x height: aspect ratios compared by cross-multiplying, the step at least 1.
struct NavigatorSampling {
    int32_t scale;  // 1..16
    int32_t step;   // at least 1
    int32_t columns, rows;
};
NavigatorSampling NavigatorSamplingFor(int32_t imageWidth, int32_t imageHeight, int32_t width,
                                       int32_t height);
