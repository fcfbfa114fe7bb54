// The preview in a real dialog: a test pattern of known blocks shown at 100 %, 200 % and 50 %
// at 8 and 16 bits, read back from the screen at the offsets the zoom puts each block; the
// magnified picture in memory lent by the host, and on the heap when the host refuses.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>

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

// Runs work on the dialog's thread, inside the effect's timer event, and waits for it.
void OnDialogThread(const std::function<void()>& work) {
    static std::function<void()> pending;
    static std::atomic<bool> done;
    pending = work;
    done = false;
    gBed.script.react = [](const ScriptedPluginApi&, const EventRecord& event) {
        if (event.event == EVENT_TIMER && !done) {
            pending();
            done = true;
        }
        return 0;
    };
    gBed.api->setDialogTimer(0, 10, 1);
    WaitFor([] { return done.load(); });
    gBed.api->setDialogTimer(0, 10, 0);
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
                RedrawWindow(driver.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
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
                    SaveWindowPicture(driver.dialog, std::string("preview_pattern_") + zoom.name);
            }
            driver.End(IDOK);
        });
    }
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
            RedrawWindow(driver.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
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
