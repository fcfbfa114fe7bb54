// The preview's arithmetic: zoom steps and list, mouse mapping, readout texts, magnification,
// 16-bit display levels and the navigator's sampling.

#include "dialog/preview_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <windows.h>

#include "host/preview_request.h"

namespace {
TEST(PreviewZoomSteps, OutFromHundredStopsAtSixPercent) {
    const char* expected[] = {"50%", "33%", "25%", "20%", "16%", "14%", "12%",
                              "11%", "10%", "9%",  "8%",  "7%",  "6%"};
    PreviewZoom z = {1, 1};
    for (const char* text : expected) {
        z = ZoomStepOut(z);
        const int32_t index = ZoomListIndex(z);
        EXPECT_EQ(ZoomOfListEntry(index).reduction, z.reduction) << text;
    }
    EXPECT_EQ(z.reduction, 16);
    EXPECT_TRUE(ZoomOutDisabled(z));
    EXPECT_EQ(ZoomStepOut(z).reduction, 16) << "stops";
    EXPECT_EQ(ZoomListIndex(z), kZoomIndex6);
}

TEST(PreviewZoomSteps, InFromHundredStopsAtThirtyTwoHundredPercent) {
    const int32_t expected[] = {2, 3, 4, 5, 6, 7, 8, 12, 16, 32};
    PreviewZoom z = {1, 1};
    for (int32_t m : expected) {
        z = ZoomStepIn(z);
        EXPECT_EQ(z.reduction, 1);
        EXPECT_EQ(z.magnification, m);
    }
    EXPECT_TRUE(ZoomInDisabled(z));
    EXPECT_EQ(ZoomListIndex(z), 0);
    EXPECT_EQ(ZoomStepIn(z).magnification, 32);
    // Back in from 6 %: 16 -> 14 -> 12, skipping 15 and 13.
    EXPECT_EQ(ZoomStepIn({16, 1}).reduction, 14);
    EXPECT_EQ(ZoomStepIn({14, 1}).reduction, 12);
    EXPECT_EQ(ZoomStepIn({12, 1}).reduction, 11);
}

TEST(PreviewZoomList, EntriesAndSeparators) {
    struct Case {
        int32_t chosen, previous, landing;
    } const cases[] = {
        {10, 8, kZoomIndex100},  // the separator under 200 % from 300 %
        {10, 12, kZoomIndex200}, {25, 20, kZoomIndexFit}, {25, 26, kZoomIndex6}, {14, 3, 14},
    };
    for (const Case& c : cases) EXPECT_EQ(ZoomListLanding(c.chosen, c.previous), c.landing);
    EXPECT_EQ(ZoomOfListEntry(kZoomIndexFit).reduction, ZOOM_FIT);
    EXPECT_EQ(ZoomOfListEntry(23).reduction, 14);
    EXPECT_EQ(ZoomOfListEntry(3).magnification, 8);
    EXPECT_EQ(ZoomListIndex({ZOOM_FIT, 1}), kZoomIndexFit);
    std::string text = ZoomListText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kZoomListCount - 1);
    EXPECT_EQ(text.substr(0, 6), "3200%\n");
}

TEST(PreviewMouse, FrameAndCentredImage) {
    // Image fills the frame: (cursor - 1) / m + shown start.
    EXPECT_EQ(PreviewMouseToImage(1, 400, 400, 1, 30), 30);
    EXPECT_EQ(PreviewMouseToImage(21, 400, 800, 2, 30), 40);
    // Smaller image, centred: 100 wide in 400 starts at 150.
    EXPECT_EQ(PreviewMouseToImage(151, 400, 100, 1, 0), 0);
    EXPECT_EQ(PreviewMouseToImage(100, 400, 100, 1, 0), -1);
    EXPECT_EQ(PreviewMouseToImage(-1, 400, 400, 1, 0), -1);
    const PreviewPlacement p = PlacePreview(400, 300, 100, 50, 2);
    EXPECT_EQ(p.imageWidth, 200);
    EXPECT_EQ(p.offsetX, 100);
    EXPECT_EQ(p.offsetY, 100);
}

TEST(PreviewReadout, TextsForEachMode) {
    const PixelReadout outside = ReadoutOutside();
    EXPECT_EQ(outside.line1, "R: 128, G: 128, B: 128");
    EXPECT_EQ(outside.line2, "H: 000, S: 000, L: 128");
    EXPECT_EQ(outside.swatch, 0x808080u);
    const int32_t grey[4] = {7, 0, 0, 0};
    EXPECT_EQ(ReadoutForMode(1, grey).line1, "G: 007");
    EXPECT_EQ(ReadoutForMode(1, grey).line2, "");
    const int32_t rgb[4] = {255, 0, 0, 0};
    const PixelReadout red = ReadoutForMode(3, rgb);
    EXPECT_EQ(red.line1, "R: 255, G: 000, B: 000");
    EXPECT_EQ(red.line2, "H: 000, S: 255, L: 127");
    EXPECT_EQ(red.swatch, uint32_t(RGB(255, 0, 0)));
    const int32_t lab[4] = {255, 128, 128, 0};
    const PixelReadout white = ReadoutForMode(9, lab);
    EXPECT_EQ(white.line1, "L: 255, A: 128, B: 128");
    EXPECT_EQ(white.line2, "R: 255, G: 255, B: 255");
    const int32_t cmyk[4] = {255, 255, 0, 255};
    const PixelReadout blue = ReadoutForMode(4, cmyk);
    EXPECT_EQ(blue.line1, "C: 255, M: 255, Y: 000, K: 255");
    EXPECT_EQ(blue.line2, "R: 255, G: 255, B: 000");
    EXPECT_EQ(ReadoutLevel(32768, true), 255);
    EXPECT_EQ(ReadoutLevel(200, false), 200);
}

TEST(PreviewPicture, SixteenBitWhiteShowsAs255) {
    EXPECT_EQ(DisplayLevel16(32768), 255);
    EXPECT_EQ(DisplayLevel16(32767), 255);
    EXPECT_EQ(DisplayLevel16(128), 1);
    EXPECT_EQ(DisplayLevel16(0), 0);
}

TEST(PreviewPicture, MagnificationRepeatsEachPixelAndHoldsOnlyThat) {
    const uint8_t pixels[] = {1, 2, 3, 4,  5,  6,  0, 0,  // row of two pixels plus padding
                              7, 8, 9, 10, 11, 12, 0, 0};
    const std::vector<uint8_t> out = MagnifyPixels(pixels, 8, 2, 2, 3, 3);
    ASSERT_EQ(out.size(), size_t(2 * 3) * (2 * 3) * 3);
    auto at = [&](int x, int y, int c) { return out[size_t(y * 6 + x) * 3 + c]; };
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const int src = (y / 3) * 2 + x / 3;
            EXPECT_EQ(at(x, y, 0), 1 + 3 * src) << x << "," << y;
        }
}

// A paint draws the part of the picture its update area meets, in picture pixels: a 100 x 60
// picture centred in a 200 x 100 frame sits at (50, 20); one larger than its frame shows
// from its top left corner, cut at the frame's edge.
TEST(PreviewPicture, PaintDrawsWhatTheUpdateAreaMeetsOfTheShownPicture) {
    struct Case {
        const char* name;
        int32_t proxyWidth, proxyHeight, magnification;
        PreviewArea update, expected;
    };
    const Case cases[] = {
        {"the whole frame", 100, 60, 1, {0, 0, 200, 100}, {0, 0, 100, 60}},
        {"inside the picture", 100, 60, 1, {60, 30, 70, 45}, {10, 10, 20, 25}},
        {"over its left edge", 100, 60, 1, {40, 25, 55, 35}, {0, 5, 5, 15}},
        {"over its bottom right corner", 100, 60, 1, {140, 70, 260, 130}, {90, 50, 100, 60}},
        {"beside it", 100, 60, 1, {0, 0, 50, 100}, {0, 0, 0, 0}},
        {"above it, touching", 100, 60, 1, {50, 0, 150, 20}, {0, 0, 0, 0}},
        {"outside the frame", 100, 60, 1, {300, 0, 400, 100}, {0, 0, 0, 0}},
        {"magnified 4 x", 40, 20, 4, {0, 0, 200, 100}, {0, 0, 160, 80}},
        {"larger than the frame", 300, 150, 1, {150, 50, 250, 150}, {150, 50, 200, 100}},
    };
    for (const Case& c : cases) {
        const PreviewPlacement place =
            PlacePreview(200, 100, c.proxyWidth, c.proxyHeight, c.magnification);
        const PreviewArea area = PreviewPaintedArea(place, 200, 100, c.update);
        EXPECT_EQ(area.left, c.expected.left) << c.name;
        EXPECT_EQ(area.top, c.expected.top) << c.name;
        EXPECT_EQ(area.right, c.expected.right) << c.name;
        EXPECT_EQ(area.bottom, c.expected.bottom) << c.name;
    }
}

TEST(PreviewNavigator, StepIsAtLeastOneAndAspectCrossMultiplied) {
    const NavigatorSampling small = NavigatorSamplingFor(50, 40, 200, 100);
    EXPECT_EQ(small.scale, 1);
    EXPECT_EQ(small.step, 1) << "an image smaller than the control";
    EXPECT_EQ(small.columns, 50);
    const NavigatorSampling wide = NavigatorSamplingFor(4000, 1000, 200, 100);
    EXPECT_EQ(wide.scale, 16);
    EXPECT_EQ(wide.step, 1);
    const NavigatorSampling tall = NavigatorSamplingFor(1000, 4000, 200, 100);
    EXPECT_EQ(tall.scale, 16);
    EXPECT_EQ(tall.step, 2);
    EXPECT_EQ(tall.rows, 125);
    // 301 x 200 against 3 x 2: wider by cross-multiplying, though 301/200 and 3/2 are both 1.
    EXPECT_EQ(NavigatorSamplingFor(301, 200, 3, 2).scale, 16);
}
}  // namespace
