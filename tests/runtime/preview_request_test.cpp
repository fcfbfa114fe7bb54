// Proxy scale, rectangle maths and the set-up of preview requests.

#include "host/preview_request.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/effect_context.h"
#include "host/rect16.h"
#include "host/run_driver.h"
#include "runtime/box_catcher.h"
#include "runtime/unit_host.h"

namespace {
HostRect Rect(int left, int top, int right, int bottom) {
    HostRect rect;
    SetRect16(rect, left, top, right, bottom);
    return rect;
}

struct ScaleCase {
    HostRect filter, preview;
    int32_t expected;
};

TEST(ProxyScale, FitsTheFilterRectangleIntoThePreview) {
    const ScaleCase cases[] = {
        // 1000 x 5 into 98 x 98: 11 by width, lowered until 5 rows keep one pixel.
        {Rect(0, 0, 1000, 5), Rect(0, 0, 100, 100), 5},
        {Rect(0, 0, 98, 98), Rect(0, 0, 100, 100), 1},
        {Rect(0, 0, 99, 98), Rect(0, 0, 100, 100), 2},
        {Rect(0, 0, 1000, 1000), Rect(10, 10, 110, 110), 11},  // ceil(1000 / 98)
        {Rect(50, 50, 450, 250), Rect(0, 0, 202, 52), 4},      // 400/200 = 2, 200/50 = 4
        {Rect(0, 0, 3, 3), Rect(0, 0, 500, 500), 1},
        {Rect(0, 0, 0, 0), Rect(0, 0, 100, 100), 1},
        {Rect(0, 0, 100, 100), Rect(0, 0, 2, 2), 1},  // preview gone after the shrink
    };
    for (const ScaleCase& c : cases) {
        HostRect preview = c.preview;
        EXPECT_EQ(CalcProxyScale(c.filter, preview), c.expected)
            << c.filter.right << " x " << c.filter.bottom;
        EXPECT_EQ(preview.left, c.preview.left + 1);
        EXPECT_EQ(preview.bottom, c.preview.bottom - 1);
    }
}

TEST(ProxyScale, ClampsToTheScalesOffered) {
    const int32_t cases[][2] = {{-888, 1}, {0, 1},   {1, 1},   {12, 12}, {13, 14},
                                {14, 14},  {15, 16}, {16, 16}, {17, 16}, {20, 16}};
    for (const auto& c : cases) EXPECT_EQ(ClampProxyScale(c[0]), c[1]) << c[0];
}

TEST(Rect16, ScaleRoundsTheOriginUpAndTheEndDown) {
    struct Case {
        HostRect rect;
        int32_t num, den;
        HostRect expected;
    };
    const Case cases[] = {
        {Rect(5, 7, 21, 22), 1, 4, Rect(2, 2, 5, 5)},
        {Rect(4, 8, 20, 24), 1, 4, Rect(1, 2, 5, 6)},
        {Rect(3, 3, 9, 9), 2, 1, Rect(6, 6, 18, 18)},
        {Rect(0, 0, 1, 1), 1, 16, Rect(0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        HostRect rect = c.rect;
        ScaleRect16(rect, c.num, c.den);
        EXPECT_TRUE(RectsEqual(rect, c.expected))
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
    HostRect rect = Rect(10, 20, 30, 40);
    InsetRect16(rect, 2, 3);
    EXPECT_TRUE(RectsEqual(rect, Rect(12, 23, 28, 37)));
    EXPECT_EQ(IntToFixed(3), 0x30000);
    HostRect wide = Rect(32000, 0, 32767, 10);
    InsetRect16(wide, -1000, 0);
    EXPECT_EQ(wide.right, 32767);  // cut to the int16 range, never wrapped
}

// --- Preview requests against an in-process advanceState ----------------------------------

struct Served {
    HostRect inRect, outRect, maskRect;
    Fixed inputRate;
};
std::vector<Served> gServed;
OSErr gNextError = 0;
std::vector<uint8_t> gInput, gOutput;

OSErr HOSTAPI ServeRequest() {
    FilterRecord& r = *gUnitHost->block.stuff;
    gServed.push_back({r.inRect, r.outRect, r.maskRect, r.inputRate});
    if (gNextError) return gNextError;
    const int32_t planes = r.planes;
    r.inRowBytes = RectWidth(r.inRect) * planes;
    gInput.assign(size_t(r.inRowBytes) * RectHeight(r.inRect) + 1, 0);
    r.inData = gInput.data();
    r.outRowBytes = RectWidth(r.outRect) * planes;
    gOutput.assign(size_t(r.outRowBytes) * RectHeight(r.outRect) + 1, 0);
    r.outData = gOutput.data();
    return 0;
}

struct PreviewHost : UnitHost {
    PreviewHost() {
        gServed.clear();
        gNextError = 0;
        record.imageSize = {400, 600};  // v, h
        record.filterRect = Rect(0, 0, 600, 400);
        record.advanceState = ServeRequest;
        block.previewRect = Rect(0, 0, 102, 102);  // 100 x 100 after the frame
        gContext.zoomMagnification = 1;
        // No border: the host is asked for exactly the visible part.
        gContext.storedTileSizeOn = 1;
        gContext.tileBorder = 0;
    }
};

TEST(PreviewRequest, CentresTheVisiblePartAndKeepsThePanInside) {
    struct Case {
        int32_t scale;
        PanOffset pan;
        HostRect expectedIn;
        PanOffset expectedPan;
    };
    const Case cases[] = {
        // Fit: 600 x 400 into 100 x 100 gives 6; the whole image, 100 x 66.
        {ZOOM_FIT, {0, 0}, Rect(0, 0, 100, 66), {0, 0}},
        // Scale 2: 300 x 200, a 100 x 100 window in the middle.
        {2, {0, 0}, Rect(100, 50, 200, 150), {0, 0}},
        {2, {40, -20}, Rect(120, 40, 220, 140), {40, -20}},
        // Panned past the right and top edges: moved back, the pan follows.
        {2, {1000, -1000}, Rect(200, 0, 300, 100), {200, -100}},
        {1, {-1000, 0}, Rect(0, 150, 100, 250), {-250, 0}},
        // 13 is used as 14: 600 / 14 = 42, 400 / 14 = 28 (rounded as the scaling does).
        {13, {0, 0}, Rect(0, 0, 42, 28), {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        PreviewHost host;
        host.params->flags &= ~PFLAG_BIG_GULP;
        int32_t scale = c.scale;
        PanOffset pan = c.pan;
        SetupFilterRecordForProxy(scale, pan);
        ASSERT_EQ(gServed.size(), 1u);
        const HostRect& in = gServed[0].inRect;
        EXPECT_TRUE(RectsEqual(in, host.record.inRect));
        EXPECT_TRUE(RectsEqual(in, c.expectedIn))
            << in.left << "," << in.top << "," << in.right << "," << in.bottom;
        EXPECT_EQ(pan.x, c.expectedPan.x);
        EXPECT_EQ(pan.y, c.expectedPan.y);
        EXPECT_EQ(gServed[0].inputRate, IntToFixed(scale));
        EXPECT_EQ(gContext.dialogUp, 1);
        EXPECT_TRUE(RectsEqual(host.record.outRect, host.record.inRect));
        // The data block's preview rectangle is left as the preview code wrote it.
        EXPECT_TRUE(RectsEqual(host.block.previewRect, Rect(0, 0, 102, 102)));
    }
}

TEST(PreviewRequest, BigGulpAsksForTheWholeScaledImageOnceAfterAScaleChange) {
    PreviewHost host;
    host.params->flags |= PFLAG_BIG_GULP;
    int32_t scale = 2;
    PanOffset pan = {0, 0};
    SetupFilterRecordForProxy(scale, pan);
    ASSERT_EQ(gServed.size(), 2u);
    EXPECT_TRUE(RectsEqual(gServed[0].inRect, Rect(0, 0, 300, 200)));
    EXPECT_TRUE(RectsEqual(gServed[1].inRect, Rect(100, 50, 200, 150)));
    // Same scale again: no gulp.
    SetupFilterRecordForProxy(scale, pan);
    EXPECT_EQ(gServed.size(), 3u);
    // A scale at which everything is visible is not cut: no gulp either.
    scale = 6;
    SetupFilterRecordForProxy(scale, pan);
    EXPECT_EQ(gServed.size(), 4u);
}

TEST(PreviewRequest, InputOnlyWhileDraggingWithoutDragRendering) {
    PreviewHost host;
    host.params->flags = (host.params->flags & ~PFLAG_DRAG_RENDER & ~PFLAG_BIG_GULP) |
                         PFLAG_PREVIEW_DRAG | PFLAG_DRAGGING;
    int32_t scale = 2;
    PanOffset pan = {0, 0};
    SetupFilterRecordForProxy(scale, pan);
    ASSERT_EQ(gServed.size(), 1u);
    EXPECT_TRUE(RectEmpty(gServed[0].outRect));
    host.params->flags |= PFLAG_DRAG_RENDER;
    SetupFilterRecordForProxy(scale, pan);
    EXPECT_FALSE(RectEmpty(gServed[1].outRect));
}

TEST(PreviewRequest, HostErrorsAreShownWithTheFilterTitle) {
    struct Case {
        OSErr error;
        const char* text;
    };
    const Case cases[] = {
        {HOST_OUT_OF_MEMORY, "Not enough memory to generate a preview\nimage at this zoom level."},
        {-1, "Unknown error (-1) while trying to generate\na preview image."},
    };
    for (const Case& c : cases) {
        PreviewHost host;
        BoxCatcher catcher;
        host.params->flags &= ~PFLAG_BIG_GULP;
        strcpy(gContext.escapeStrings[kEscapeSlotTitle], "Greyloom Test");
        gNextError = c.error;
        int32_t scale = 1;
        PanOffset pan = {0, 0};
        SetupFilterRecordForProxy(scale, pan);
        EXPECT_EQ(GetResult(), c.error);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].text, c.text);
        EXPECT_EQ(catcher.boxes[0].caption, "Greyloom Test");
    }
}

TEST(PreviewRequest, RequestRectServesTheEffectOnlyWhileTheDialogIsUp) {
    PreviewHost host;
    BoxCatcher catcher;
    gContext.storedTileSizeOn = 0;  // the border reaches out to the filter rectangle
    EXPECT_EQ(requestRect(0, 0, 100, 100, 1), 0);
    EXPECT_TRUE(gServed.empty());
    gContext.dialogUp = 1;
    ASSERT_EQ(requestRect(100, 40, 300, 200, 2), 1);
    ASSERT_EQ(gServed.size(), 1u);
    // Scaled by 2, with the border out to the filter rectangle at that scale.
    EXPECT_TRUE(RectsEqual(host.record.inRect, Rect(50, 20, 150, 100)));
    EXPECT_TRUE(RectsEqual(gServed[0].inRect, Rect(0, 0, 300, 200)));
    EXPECT_EQ(gContext.X, 100);
    EXPECT_EQ(gContext.Y, 80);
    EXPECT_EQ(gContext.currentLeft, 0);
    EXPECT_EQ(gContext.currentRight, 100);
    EXPECT_EQ(gContext.rows, 80);
    // The adjusted input points at the requested corner inside the bordered buffer.
    EXPECT_EQ(gContext.adjustedInData, gInput.data() + 20 * 300 * 3 + 50 * 3);
    gNextError = HOST_OUT_OF_MEMORY;
    EXPECT_EQ(requestRect(0, 0, 10, 10, 1), 0);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text,
              "Not enough memory to perform requestRect()\nat this zoom level.");
    EXPECT_EQ(GetResult(), 0);
}
}  // namespace
