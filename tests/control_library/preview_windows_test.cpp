// The preview in a real dialog: a test pattern of known blocks shown at 100 %, 200 % and 50 %
// at 8 and 16 bits, read back from the screen at the offsets the zoom puts each block; the
// magnified picture in memory lent by the host, and on the heap when the host refuses.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/control_library/library_test_bed.h"

namespace {
constexpr int32_t kWidth = 64, kHeight = 48, kBlock = 4;

// Block (bx, by) of the pattern: red and green count the block, blue is fixed.
COLORREF BlockColor(int32_t bx, int32_t by) {
    return RGB(20 + 10 * bx, 20 + 10 * by, 200);
}

HostImage PatternImage(int32_t depth) {
    HostImage image = HostImageMake(kWidth, kHeight, 3, 8);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const COLORREF c = BlockColor(x / kBlock, y / kBlock);
            image.at(x, y, 0) = GetRValue(c);
            image.at(x, y, 1) = GetGValue(c);
            image.at(x, y, 2) = GetBValue(c);
        }
    if (depth == 8) return image;
    // 16 bits: level v as v x 128, which the display brings back to v exactly.
    HostImage wide = HostImageMake(kWidth, kHeight, 3, 16);
    for (size_t i = 0; i < image.samples.size(); ++i) wide.samples[i] = image.samples[i] * 128;
    return wide;
}

// The effect's rendering: the output is the input. (The host delivers a preview's output
// at full scale, so that without a rendering the reduced picture would be wrong.)
void RenderCopy(const ScriptedPluginApi& api) {
    const EffectContext& c = *api.context;
    const size_t sampleBytes = c.imageMode > 9 ? 2 : 1;
    const size_t row = size_t(c.currentRight - c.currentLeft) * size_t(c.outStep) * sampleBytes;
    if (!c.adjustedInData || !c.outData || c.inStep != c.outStep) return;
    for (int32_t y = 0; y < c.currentBottom - c.currentTop; ++y)
        memcpy(c.outData + int64_t(y) * c.outRowBytes, c.adjustedInData + int64_t(y) * c.inRowBytes,
               row);
}

// Where the centre of image pixel (x, y) lands in the dialog's client area at zoom (r, m):
// the proxy shows every r-th pixel, each m x m times, centred in the preview item.
POINT ScreenOfImagePixel(const Driver& driver, int32_t x, int32_t y, int32_t r, int32_t m) {
    RECT frame;
    GetWindowRect(driver.Item(101), &frame);
    MapWindowPoints(nullptr, driver.dialog, reinterpret_cast<POINT*>(&frame), 2);
    const EffectContext& c = *gBed.api->context;
    const int32_t shownWidth = (c.currentRight - c.currentLeft) * m;
    const int32_t shownHeight = (c.currentBottom - c.currentTop) * m;
    const int32_t offsetX = std::max(int32_t(frame.right - frame.left - shownWidth) / 2, 0);
    const int32_t offsetY = std::max(int32_t(frame.bottom - frame.top - shownHeight) / 2, 0);
    return {frame.left + offsetX + (x / r - c.currentLeft) * m + m / 2,
            frame.top + offsetY + (y / r - c.currentTop) * m + m / 2};
}

// The dialog painted (all of it, or an area of its client) on its own thread, where
// RDW_UPDATENOW returns only once the paint is done. Asked from the driver's thread, the dialog's
// own loop may take the invalidation first and the call returns while the picture is still
// being drawn: the screen read next shows the erased background.
void PaintOnDialogThread(HWND dialog, const RECT* area = nullptr) {
    OnDialogThread([&] { RedrawWindow(dialog, area, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); });
}

std::string Hex(COLORREF color) {
    char text[16];
    snprintf(text, sizeof text, "%06lx", static_cast<unsigned long>(color));
    return text;
}
}  // namespace

TEST(PreviewWindow, PatternShowsItsBlocksAtOneHundredTwoHundredAndFiftyPercent) {
    const struct {
        int32_t reduction, magnification;
        const char* name;
    } zooms[] = {{1, 1, "100"}, {1, 2, "200"}, {2, 1, "50"}};
    for (int32_t depth : {8, 16}) {
        auto session = OpenLibraryPlugin();
        ASSERT_TRUE(HostSetImage(*session, PatternImage(depth)));
        TestScript script;
        script.build = [](const ScriptedPluginApi& api) { api.registerFrameControls(); };
        script.render = RenderCopy;
        RunWithDriver(*session, script, [&](Driver& driver) {
            // The dialog's first rendering comes from its timer.
            driver.Check(WaitFor([] { return Renders() >= 1; }), "the first rendering");
            for (const auto& zoom : zooms) {
                const std::string where = std::to_string(depth) + "-bit at " + zoom.name + " %";
                const int32_t rendersBefore = Renders();
                OnDialogThread([&] { Lib().setPreviewZoom(zoom.reduction, zoom.magnification); });
                driver.Check(Renders() == rendersBefore + 1, where + ": the zoom renders once");
                PaintOnDialogThread(driver.dialog);
                driver.Check(gBed.api->context->zoomReduction == zoom.reduction &&
                                 gBed.api->context->zoomMagnification == zoom.magnification,
                             where + ": the zoom is taken");
                // A corner, the centre and the far corner of the pattern.
                for (const POINT block : {POINT{0, 0}, POINT{7, 5}, POINT{15, 11}}) {
                    const POINT at =
                        ScreenOfImagePixel(driver, block.x * kBlock + 2, block.y * kBlock + 2,
                                           zoom.reduction, zoom.magnification);
                    const COLORREF shown = PixelOf(driver.dialog, at.x, at.y);
                    driver.Check(shown == BlockColor(block.x, block.y),
                                 where + ": block " + std::to_string(block.x) + "," +
                                     std::to_string(block.y) + " shows " + Hex(shown) +
                                     ", expected " + Hex(BlockColor(block.x, block.y)));
                }
                if (depth == 8)
                    KeepWindowPicture(driver.dialog, std::string("preview_pattern_") + zoom.name);
            }
            driver.End(IDOK);
        });
    }
}

// A paint of the dialog hands the host only the part of the picture that its update area
// meets, drawn where that part shows: the texts and bars around the preview repaint the
// dialog under them many times a render. The screen is blackened first, so that what shows
// afterwards was drawn by that paint.
TEST(PreviewWindow, PaintDrawsOnlyThePartOfThePictureItsUpdateAreaMeets) {
    struct Case {
        const char* name;
        RECT update;      // relative to the picture's top left corner, in screen pixels
        HostVRect drawn;  // what the host is asked to draw (top, left, bottom, right)
        bool anything;    // whether the host is asked at all
    };
    const Case cases[] = {
        {"inside the picture", {8, 4, 24, 20}, {4, 8, 20, 24}, true},
        {"over its left edge", {-6, 10, 6, 30}, {10, 0, 30, 6}, true},
        {"over its bottom right corner", {60, 40, 90, 70}, {40, 60, kHeight, kWidth}, true},
        {"beside it", {-30, 0, -2, kHeight}, {0, 0, 0, 0}, false},
    };
    auto session = OpenLibraryPlugin();
    ASSERT_TRUE(HostSetImage(*session, PatternImage(8)));
    HostSession* host = session.get();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) { api.registerFrameControls(); };
    script.render = RenderCopy;
    RunWithDriver(*session, script, [&](Driver& driver) {
        driver.Check(WaitFor([] { return Renders() >= 1; }), "the first rendering");
        OnDialogThread([] { Lib().setPreviewZoom(1, 1); });
        PaintOnDialogThread(driver.dialog);
        const POINT origin = ScreenOfImagePixel(driver, 0, 0, 1, 1);
        for (const Case& c : cases) {
            const RECT picture = {origin.x, origin.y, origin.x + kWidth, origin.y + kHeight};
            const size_t before = host->log.displays.size();
            RECT update = c.update;
            OffsetRect(&update, origin.x, origin.y);
            // Blackened and painted by the dialog's thread, between two of its own paints.
            OnDialogThread([&] {
                HDC dc = GetDC(driver.dialog);
                FillRect(dc, &picture, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                ReleaseDC(driver.dialog, dc);
                RedrawWindow(driver.dialog, &update, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            });
            const std::vector<DisplayCall> calls(host->log.displays.begin() + long(before),
                                                 host->log.displays.end());
            driver.Check(calls.size() == (c.anything ? 1u : 0u),
                         std::string(c.name) + ": " + std::to_string(calls.size()) +
                             " calls of the display routine");
            if (calls.size() != 1 || !c.anything) continue;
            const HostVRect& a = calls[0].area;
            driver.Check(a.top == c.drawn.top && a.left == c.drawn.left &&
                             a.bottom == c.drawn.bottom && a.right == c.drawn.right,
                         std::string(c.name) + ": the host draws rows " + std::to_string(a.top) +
                             ".." + std::to_string(a.bottom) + ", columns " +
                             std::to_string(a.left) + ".." + std::to_string(a.right));
            // The drawn part's first and last pixels show their own blocks.
            for (const POINT p : {POINT{a.left, a.top}, POINT{a.right - 1, a.bottom - 1}}) {
                const COLORREF shown = PixelOf(driver.dialog, origin.x + p.x, origin.y + p.y);
                const COLORREF expected = BlockColor(p.x / kBlock, p.y / kBlock);
                driver.Check(shown == expected, std::string(c.name) + ": pixel " +
                                                    std::to_string(p.x) + "," +
                                                    std::to_string(p.y) + " shows " + Hex(shown) +
                                                    ", expected " + Hex(expected));
            }
        }
        driver.End(IDOK);
    });
}

TEST(PreviewWindow, MagnifiedPictureLivesInHostMemoryOrOnTheHeapWhenRefused) {
    for (const bool hostRefuses : {false, true}) {
        auto session = OpenLibraryPlugin();
        ASSERT_TRUE(HostSetImage(*session, PatternImage(8)));
        HostSession* host = session.get();
        TestScript script;
        script.build = [](const ScriptedPluginApi& api) { api.registerFrameControls(); };
        RunWithDriver(*session, script, [&](Driver& driver) {
            const std::string where = hostRefuses ? "host refuses: " : "host lends: ";
            const int32_t before = host->log.buffersAllocated;
            // From here on the host lends nothing more.
            if (hostRefuses) host->options.bufferSpace = 0;
            OnDialogThread([] { Lib().setPreviewZoom(1, 4); });
            PaintOnDialogThread(driver.dialog);
            const int32_t lent = host->log.buffersAllocated - before;
            driver.Check(hostRefuses ? lent == 0 : lent >= 1,
                         where + std::to_string(lent) + " buffers lent for the paint");
            const POINT at = ScreenOfImagePixel(driver, 30, 22, 1, 4);
            const COLORREF shown = PixelOf(driver.dialog, at.x, at.y);
            driver.Check(shown == BlockColor(7, 5), where + "the picture shows " + Hex(shown));
            driver.End(IDOK);
        });
    }
}

TEST(PreviewNavigator, DrawsTheWholeImageCentredWithTheShownPartFramedAndMovesTheView) {
    static constexpr int32_t kNavigator = 60, kArray = 50;
    auto session = OpenLibraryPlugin();
    ASSERT_TRUE(HostSetImage(*session, PatternImage(8)));
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.registerFrameControls();
        api.createControl(kNavigator, CONTROL_TEXT, "", 250, 10, 100, 80, 0, 0, 0, -1);
    };
    script.render = RenderCopy;
    RunWithDriver(*session, script, [&](Driver& driver) {
        driver.Check(WaitFor([] { return Renders() >= 1; }), "the first rendering");
        HWND window = driver.ControlWindow(kNavigator);
        RECT client;
        GetClientRect(window, &client);
        // A small image in a larger control: every image pixel is one navigator pixel.
        const POINT origin = {(client.right - kWidth) / 2, (client.bottom - kHeight) / 2};
        static COLORREF blocks[3], frameLeft, outside;
        const POINT probes[3] = {{0, 0}, {7, 5}, {15, 11}};
        OnDialogThread([&] {
            Lib().prepareNavigator(kNavigator, kArray);
            Lib().drawNavigator(kNavigator, kArray);
            for (int i = 0; i < 3; ++i)
                blocks[i] = PixelOf(window, origin.x + probes[i].x * kBlock + 2,
                                    origin.y + probes[i].y * kBlock + 2);
            frameLeft = PixelOf(window, origin.x, origin.y + kHeight / 2);
            outside = PixelOf(window, origin.x - 3, origin.y + kHeight / 2);
        });
        for (int i = 0; i < 3; ++i)
            driver.Check(blocks[i] == BlockColor(probes[i].x, probes[i].y),
                         "navigator block " + std::to_string(i) + " shows " + Hex(blocks[i]));
        driver.Check(frameLeft == RGB(255, 0, 0), "the shown part's frame: " + Hex(frameLeft));
        driver.Check(outside == GetSysColor(COLOR_BTNFACE),
                     "the sheet's colour around the picture: " + Hex(outside));

        // At 1600 % only a few pixels show; a click on the navigator centres them there.
        OnDialogThread([] { Lib().setPreviewZoom(1, 16); });
        POINT target = {origin.x + 40, origin.y + 30};
        ClientToScreen(window, &target);
        MoveCursorTo(target);
        OnDialogThread([] { Lib().moveNavigatorView(kNavigator, kArray, -123456); });
        const EffectContext& c = *gBed.api->context;
        const int32_t centreX = (c.currentLeft + c.currentRight - 1) / 2;
        const int32_t centreY = (c.currentTop + c.currentBottom - 1) / 2;
        driver.Check(std::abs(centreX - 40) <= 1 && std::abs(centreY - 30) <= 1,
                     "the view is centred on 40,30: " + std::to_string(c.currentLeft) + ".." +
                         std::to_string(c.currentRight) + " x " + std::to_string(c.currentTop) +
                         ".." + std::to_string(c.currentBottom));
        KeepWindowPicture(driver.dialog, "preview_navigator_1600");
        driver.End(IDOK);
    });
}
