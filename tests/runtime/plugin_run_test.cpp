// The runtime through the project's test host: the test plug-in (framework and a test effect)
// filters images in tiles, row by row, with tile buffers, faults, aborts and bad records.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "tools/testhost/host_internal.h"
#include "tests/common/test_files.h"

namespace {

HostImage NoiseImage(int32_t width, int32_t height, int32_t planes, int32_t depth) {
    HostImage image = HostImageMake(width, height, planes, depth);
    const uint32_t max = depth == 16 ? kHostMax16 : 255;
    uint32_t seed = uint32_t(width * 31 + height * 17 + planes + depth);
    for (size_t i = 0; i < image.samples.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        uint32_t value = (seed >> 8) % (max + 1);
        // Transparency never reaches 0, so that the host hands every pixel's colour as is.
        if (planes == 4 && i % 4 == 3) value = 1 + value % max;
        image.samples[i] = uint16_t(value);
    }
    return image;
}

std::unique_ptr<HostSession> OpenTestPlugin(const HostImage& image, const char* effect) {
    SetEnvironmentVariableA("GREYLOOM_TEST_EFFECT", effect);
    SetEnvironmentVariableA("GREYLOOM_TEST_REPORT", "");
    auto session = std::make_unique<HostSession>();
    // Played as an action with an empty descriptor: no dialog is asked for, whatever the
    // dialog does.
    session->replayDescriptor = true;
    EXPECT_TRUE(HostLoadPlugin(*session, BinFile(RUNTIME_TEST_PLUGIN_NAME)))
        << (session->log.notes.empty() ? "" : session->log.notes.back());
    EXPECT_TRUE(HostSetImage(*session, image));
    return session;
}

std::string Report() {
    char text[256] = "";
    GetEnvironmentVariableA("GREYLOOM_TEST_REPORT", text, sizeof text);
    return text;
}

int32_t Pattern(int32_t source, int32_t x, int32_t y, int32_t c, int32_t max) {
    return (source * 3 + x * 7 + y * 11 + c * 13) % (max + 1);
}

// Samples of what the plug-in wrote that differ from the pattern inside the filter
// rectangle (rows from firstRow on only when given) or from the source outside it.
int64_t WrongSamples(const HostSession& session, HostRect filter, int32_t patternRows = -1) {
    const HostImage& source = session.source;
    const HostImage& written = session.working;
    const int32_t max = source.depth == 16 ? kHostMax16 : 255;
    const int32_t patternBottom = patternRows < 0 ? filter.bottom : filter.top + patternRows;
    int64_t wrong = 0;
    for (int32_t y = 0; y < source.height; ++y)
        for (int32_t x = 0; x < source.width; ++x)
            for (int32_t c = 0; c < source.planes; ++c) {
                const bool inside =
                    x >= filter.left && x < filter.right && y >= filter.top && y < patternBottom;
                const int32_t expected =
                    inside ? Pattern(source.at(x, y, c), x - filter.left, y - filter.top, c, max)
                           : source.at(x, y, c);
                wrong += written.at(x, y, c) != expected;
            }
    return wrong;
}

struct TilingCase {
    const char* name;
    int32_t width, height, planes, depth;
    bool selection;
    HostRect filter;                // top, left, bottom, right
    const char* tiles;              // "" or "tiles=H,W,B"
    int32_t tileHeight, tileWidth;  // as asked for; 0: the filter rectangle's
};

TEST(PluginTiles, OutputIsWhatTheRenderHookWroteWhateverTheTiling) {
    const TilingCase cases[] = {
        {"8-bit whole", 61, 43, 3, 8, false, {0, 0, 43, 61}, "", 0, 0},
        {"16-bit whole", 61, 43, 3, 16, false, {0, 0, 43, 61}, "", 0, 0},
        {"8-bit 4 planes", 40, 30, 4, 8, false, {0, 0, 30, 40}, "", 0, 0},
        {"16-bit 4 planes tiles", 40, 30, 4, 16, false, {3, 2, 27, 39}, "tiles=7,9,2", 7, 9},
        {"odd offset rectangle", 64, 48, 3, 8, false, {5, 3, 44, 60}, "", 0, 0},
        {"tiles with border", 64, 48, 3, 8, false, {5, 3, 44, 60}, "tiles=10,13,4", 10, 13},
        {"tiles without border", 64, 48, 3, 16, false, {5, 3, 44, 60}, "tiles=6,50,0", 6, 50},
        {"full-height strips", 64, 48, 3, 8, false, {1, 1, 47, 63}, "tiles=0,11,1", 0, 11},
        {"selection whole", 50, 40, 3, 8, true, {4, 6, 33, 45}, "", 0, 0},
        {"selection tiles 16-bit", 50, 40, 3, 16, true, {4, 6, 33, 45}, "tiles=8,8,3", 8, 8},
    };
    for (const TilingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string effect = std::string("pattern ") + c.tiles;
        auto session =
            OpenTestPlugin(NoiseImage(c.width, c.height, c.planes, c.depth), effect.c_str());
        if (c.selection) {
            std::vector<uint8_t> mask(size_t(c.width) * c.height);
            for (size_t i = 0; i < mask.size(); ++i) mask[i] = uint8_t(i * 13 + 1);
            HostSetSelection(*session, mask);
        }
        HostSetFilterRect(*session, c.filter);
        ASSERT_EQ(HostRunFilter(*session, false), 0);
        EXPECT_EQ(WrongSamples(*session, c.filter), 0);

        const int32_t fw = c.filter.right - c.filter.left, fh = c.filter.bottom - c.filter.top;
        const int32_t th = c.tileHeight ? c.tileHeight : fh, tw = c.tileWidth ? c.tileWidth : fw;
        const int32_t tiles = ((fh + th - 1) / th) * ((fw + tw - 1) / tw);
        const std::vector<AdvanceRequest>& advances = session->log.advances;
        ASSERT_EQ(advances.size(), size_t(tiles) + 1);
        EXPECT_EQ(Report().rfind("renders=" + std::to_string(tiles) + " ", 0), 0u) << Report();
        if (c.planes == 4) {
            EXPECT_NE(Report().find("transparency-mask=1"), std::string::npos);
        }
        const AdvanceRequest& flush = advances.back();
        EXPECT_TRUE(flush.viaAdvanceState);
        EXPECT_TRUE(flush.inRect.right <= flush.inRect.left &&
                    flush.outRect.right <= flush.outRect.left);
        for (size_t i = 0; i + 1 < advances.size(); ++i) {
            const AdvanceRequest& a = advances[i];
            EXPECT_EQ(a.result, 0);
            EXPECT_LE(a.outRect.bottom - a.outRect.top, th);
            EXPECT_LE(a.outRect.right - a.outRect.left, tw);
            EXPECT_EQ(a.maskRect.right > a.maskRect.left, c.selection);
            EXPECT_EQ(a.inputPadding, -2);
            EXPECT_GE(a.inRect.left, c.filter.left);
            EXPECT_LE(a.inRect.bottom, c.filter.bottom);
        }
        EXPECT_TRUE(session->log.messageBoxes.empty());
    }
}

TEST(PluginTiles, HostWithoutAdvanceStateIsServedRowByRow) {
    for (int32_t depth : {8, 16}) {
        SCOPED_TRACE(depth);
        auto session = OpenTestPlugin(NoiseImage(37, 21, 3, depth), "pattern");
        session->options.noAdvanceState = true;
        const HostRect filter = {2, 5, 19, 30};
        HostSetFilterRect(*session, filter);
        ASSERT_EQ(HostRunFilter(*session, false), 0);
        EXPECT_EQ(WrongSamples(*session, filter), 0);
        EXPECT_EQ(session->log.advances.size(), 17u);
        for (const AdvanceRequest& a : session->log.advances) {
            EXPECT_FALSE(a.viaAdvanceState);
            EXPECT_EQ(a.outRect.bottom - a.outRect.top, 1);
        }
        EXPECT_EQ(Report().rfind("renders=17 ", 0), 0u);
        // Told once that the host lacks the callback, not once per row.
        EXPECT_EQ(session->log.messageBoxes.size(), 1u);
    }
}

TEST(PluginTiles, AbortEndsTheLoopWithoutFlushAndLeavesTheRestUntouched) {
    auto session = OpenTestPlugin(NoiseImage(30, 40, 3, 8), "pattern tiles=10,0,0");
    // One abort check before each tile and one per copied row: the third tile's first check
    // says abort.
    session->options.abortAfterCalls = 2 * (1 + 10);
    ASSERT_EQ(HostRunFilter(*session, false), HOST_USER_CANCELLED);
    EXPECT_EQ(session->log.advances.size(), 2u);  // two tiles, no flush
    EXPECT_EQ(Report().rfind("renders=2 ", 0), 0u);
    EXPECT_EQ(WrongSamples(*session, {0, 0, 40, 30}, 20), 0);
    // Aborted in the middle of a tile's copy: the rows copied so far are the source again.
    auto midTile = OpenTestPlugin(NoiseImage(30, 40, 3, 8), "pattern tiles=10,0,0");
    midTile->options.abortAfterCalls = 11 + 4;
    ASSERT_EQ(HostRunFilter(*midTile, false), HOST_USER_CANCELLED);
    EXPECT_EQ(Report().rfind("renders=1 ", 0), 0u);
    EXPECT_EQ(WrongSamples(*midTile, {0, 0, 40, 30}, 10), 0);
}

TEST(PluginTiles, EmptyFilterRectangleMakesOnlyTheFinalFlush) {
    auto session = OpenTestPlugin(NoiseImage(20, 20, 3, 8), "pattern");
    HostSetFilterRect(*session, {6, 4, 6, 15});
    ASSERT_EQ(HostRunFilter(*session, false), 0);
    ASSERT_EQ(session->log.advances.size(), 1u);
    EXPECT_TRUE(session->log.advances[0].inRect.right <= session->log.advances[0].inRect.left);
    EXPECT_EQ(Report().rfind("renders=0 ", 0), 0u);
}

TEST(PluginTiles, TileBuffersFromTheHostOrTheHeapGiveTheSameOutput) {
    struct Case {
        const char* name;
        bool refuseHostBuffers;
    };
    for (const Case& c : {Case{"host buffers", false}, Case{"heap", true}}) {
        SCOPED_TRACE(c.name);
        auto session = OpenTestPlugin(NoiseImage(33, 25, 3, 16), "via-tile-buffer tiles=9,9,1");
        if (c.refuseHostBuffers) session->options.bufferSpace = 16;
        const HostRect filter = {2, 3, 24, 31};
        HostSetFilterRect(*session, filter);
        ASSERT_EQ(HostRunFilter(*session, false), 0);
        EXPECT_EQ(WrongSamples(*session, filter), 0);
        EXPECT_EQ(session->log.buffersAllocated > 0, !c.refuseHostBuffers);
        EXPECT_EQ(session->log.buffersLive, 0);
        EXPECT_TRUE(session->log.messageBoxes.empty());
    }
}

TEST(PluginTiles, FailedTileBufferAsksAbortRetryIgnore) {
    struct Case {
        const char* name;
        int answer;
        int16_t result;
    };
    const Case cases[] = {{"retry", IDRETRY, 0}, {"abort", IDABORT, HOST_OUT_OF_MEMORY}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto session =
            OpenTestPlugin(NoiseImage(20, 10, 3, 8), "via-tile-buffer fail-allocations=1");
        session->options.noBufferSuite = true;
        session->options.messageBoxAnswers = {c.answer};
        ASSERT_EQ(HostRunFilter(*session, false), c.result);
        ASSERT_EQ(session->log.messageBoxes.size(), 1u);
        const MessageBoxRecord& box = session->log.messageBoxes[0];
        EXPECT_EQ(box.text, "Could not allocate a tile buffer (600 bytes).");
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
        if (c.result == 0) {
            EXPECT_EQ(WrongSamples(*session, {0, 0, 10, 20}), 0);
        } else {
            EXPECT_EQ(Report().rfind("renders=0 ", 0), 0u);
        }
    }
}

TEST(PluginHooks, FaultInAHookIsShownAndTheRunCancelled) {
    struct Case {
        const char* effect;
        const char* text;
    };
    const Case cases[] = {
        {"pattern fault=render:divide", "Integer (zero-)divide error!"},
        {"pattern fault=run-start:access", "Memory access violation!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        auto session = OpenTestPlugin(NoiseImage(16, 12, 3, 8), c.effect);
        EXPECT_EQ(HostRunFilter(*session, false), HOST_USER_CANCELLED);
        ASSERT_GE(session->log.messageBoxes.size(), 1u);
        const MessageBoxRecord& box = session->log.messageBoxes[0];
        EXPECT_EQ(box.caption, "Error Message");
        EXPECT_EQ(box.text.rfind(c.text, 0), 0u) << box.text;
        EXPECT_EQ(box.icon, UINT(MB_ICONHAND));
        EXPECT_EQ(session->log.messageBoxes.size(), 1u);
    }
}

TEST(PluginHooks, BreakpointInAHookEndsInTheOuterGuard) {
    auto session =
        OpenTestPlugin(NoiseImage(16, 12, 3, 8), "via-tile-buffer fault=render:breakpoint");
    const int16_t result = HostRunFilter(*session, false);
    ASSERT_EQ(session->log.messageBoxes.size(), 1u);
    EXPECT_EQ(session->log.messageBoxes[0].text, "Sorry, a framework error occured.");
    EXPECT_NE(result, 0);
    // The plug-in keeps working after the fault, tile buffer and all.
    SetEnvironmentVariableA("GREYLOOM_TEST_EFFECT", "via-tile-buffer");
    ASSERT_EQ(HostRunFilter(*session, false), 0);
    EXPECT_EQ(WrongSamples(*session, {0, 0, 12, 16}), 0);
}

TEST(PluginTiles, TracesShowEachRequestWhenSwitchedOn) {
    auto session = OpenTestPlugin(NoiseImage(16, 12, 3, 8), "trace");
    ASSERT_EQ(HostRunFilter(*session, false), 0);
    const std::vector<MessageBoxRecord>& boxes = session->log.messageBoxes;
    ASSERT_EQ(boxes.size(), 6u);
    for (const MessageBoxRecord& box : boxes) EXPECT_EQ(box.caption, "Filter trace");
    EXPECT_EQ(boxes[0].text,
              "Calling AdvanceState from StartWithAdvanceState...\n inRect = 0, 0, 16, 12\n "
              "outRect = 0, 0, 16, 12\n maskRect = 0, 0, 0, 0");
    EXPECT_EQ(boxes[1].text.rfind("AdvanceState returned 0\n inData = 0x", 0), 0u);
    EXPECT_EQ(boxes[2].text.rfind("MyAdjustedInData = 0x", 0), 0u);
    EXPECT_EQ(boxes[3].text,
              "Flushing AdvanceState...\n inRect = 0, 0, 0, 0\n outRect = 0, 0, 0, 0\n "
              "maskRect = 0, 0, 0, 0");
    EXPECT_EQ(boxes[5].text, "DoFinish:\n Nothing much to do!");
}

// --- Preview requests against the test host ------------------------------------------------

// The report of a preview request: "preview scale=S pan=X,Y X=.. Y=.. rect=L,T,R,B zoom=Z sum=N".
std::string PreviewPart() {
    const std::string report = Report();
    const size_t at = report.find(" preview ");
    return at == std::string::npos ? "" : report.substr(at + 1);
}

// Sum of the samples a preview at the scale reads in [left, right) x [top, bottom): scaled
// pixel (x, y) is image pixel (x * scale, y * scale).
long long ScaledSum(const HostImage& image, int32_t scale, int32_t left, int32_t top, int32_t right,
                    int32_t bottom) {
    long long sum = 0;
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x)
            for (int32_t c = 0; c < image.planes; ++c) sum += image.at(x * scale, y * scale, c);
    return sum;
}

TEST(PluginPreview, ScaleCentringAndPanAgainstTheHost) {
    struct Case {
        const char* effect;
        int32_t scale, left, top, right, bottom;  // the request as the host must see it
        const char* expected;                     // report without the sum
    };
    const Case cases[] = {
        {"preview=-888,0,0,102,102", 6, 0, 0, 100, 66,
         "preview scale=6 pan=0,0 X=100 Y=66 rect=0,0,100,66 zoom=6"},
        {"preview=2,1000,-1000,102,102", 2, 200, 0, 300, 100,
         "preview scale=2 pan=200,-100 X=300 Y=200 rect=200,0,300,100 zoom=2"},
        {"preview=2,40,-20,102,102", 2, 120, 40, 220, 140,
         "preview scale=2 pan=40,-20 X=300 Y=200 rect=120,40,220,140 zoom=2"},
        {"preview=13,0,0,102,102", 14, 0, 0, 42, 28,
         "preview scale=14 pan=0,0 X=42 Y=28 rect=0,0,42,28 zoom=14"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        auto session = OpenTestPlugin(NoiseImage(600, 400, 3, 8), c.effect);
        ASSERT_EQ(HostRunFilter(*session, false), 0);
        const std::string expected =
            std::string(c.expected) + " sum=" +
            std::to_string(ScaledSum(session->source, c.scale, c.left, c.top, c.right, c.bottom));
        EXPECT_EQ(PreviewPart(), expected);
        // The preview request, then the final run's tile and flush.
        ASSERT_EQ(session->log.advances.size(), 3u);
        const AdvanceRequest& preview = session->log.advances[0];
        EXPECT_EQ(preview.inputRate, c.scale << 16);
        EXPECT_EQ(preview.maskRate, c.scale << 16);
        EXPECT_EQ(preview.inRect.right, 600 / c.scale);  // the border reaches the edges
        EXPECT_EQ(preview.outRect.left, c.left);
        EXPECT_EQ(preview.outRect.bottom, c.bottom);
        EXPECT_EQ(WrongSamples(*session, {0, 0, 0, 0}), 0);  // the preview wrote nothing back
    }
}

TEST(PluginPreview, BigGulpFetchesTheWholeScaledImageFirst) {
    auto session =
        OpenTestPlugin(NoiseImage(600, 400, 3, 8), "tiles=0,0,0 big-gulp preview=2,0,0,102,102");
    ASSERT_EQ(HostRunFilter(*session, false), 0);
    const std::vector<AdvanceRequest>& advances = session->log.advances;
    ASSERT_EQ(advances.size(), 4u);
    EXPECT_EQ(advances[0].inRect.right, 300);
    EXPECT_EQ(advances[0].inRect.bottom, 200);
    EXPECT_EQ(advances[1].inRect.left, 100);
    EXPECT_EQ(advances[1].inRect.top, 50);
    EXPECT_EQ(advances[1].inRect.right, 200);
    EXPECT_EQ(advances[1].inRect.bottom, 150);
    EXPECT_EQ(advances[1].inputRate, 2 << 16);
}

TEST(PluginPreview, RefusedRequestIsExplained) {
    auto session = OpenTestPlugin(NoiseImage(600, 400, 3, 8), "preview=1,0,0,102,102");
    session->options.maxRequestBytes = 1000;
    EXPECT_EQ(HostRunFilter(*session, false), HOST_OUT_OF_MEMORY);
    ASSERT_EQ(session->log.messageBoxes.size(), 1u);
    const MessageBoxRecord& box = session->log.messageBoxes[0];
    EXPECT_EQ(box.text, "Not enough memory to generate a preview\nimage at this zoom level.");
    EXPECT_EQ(box.caption, "Greyloom 2.0");
    EXPECT_EQ(box.icon, UINT(MB_ICONHAND));
}

// --- Bad input from the host ------------------------------------------------------------------

void (*gSpoilDelivery)(FilterRecord&) = nullptr;
AdvanceStateProc gHostAdvanceState = nullptr;
OSErr HOSTAPI SpoilingAdvanceState() {
    const OSErr result = gHostAdvanceState();
    if (gSpoilDelivery && gHostSession) gSpoilDelivery(gHostSession->record);
    return result;
}

TEST(PluginBadInput, ClearErrorAndNoWriteOutsideTheHostsBuffers) {
    struct Case {
        const char* name;
        void (*spoilRecord)(FilterRecord&);
        void (*spoilDelivery)(FilterRecord&);
        int16_t result;
        const char* message;
    };
    const char* interfaceProblem =
        "Could not complete your request because of a problem with the filter module interface.";
    const Case cases[] = {
        {"zero planes", [](FilterRecord& r) { r.planes = 0; }, nullptr, HOST_ERROR_REPORTED,
         interfaceProblem},
        {"filter rectangle outside the image", [](FilterRecord& r) { r.filterRect.right = 90; },
         nullptr, HOST_ERROR_REPORTED, interfaceProblem},
        {"parameters of another plug-in", nullptr, nullptr, HOST_ERROR_REPORTED, interfaceProblem},
        {"row bytes smaller than a row", nullptr, [](FilterRecord& r) { r.inRowBytes = 10; },
         HOST_ERROR_REPORTED, interfaceProblem},
        {"null input from advanceState", nullptr, [](FilterRecord& r) { r.inData = nullptr; },
         HOST_ERROR_REPORTED, interfaceProblem},
        {"null output from advanceState", nullptr, [](FilterRecord& r) { r.outData = nullptr; },
         HOST_ERROR_REPORTED, "Unexpected NULL outData, count = 1"},
        {"output rectangle moved outside", nullptr, [](FilterRecord& r) { r.outRect.right = 70; },
         HOST_ERROR_REPORTED, interfaceProblem},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = OpenTestPlugin(NoiseImage(40, 30, 3, 8), "pattern");
        HostSession& s = *session;
        HostBeginRun(s);
        s.descriptorParameters.descriptor = DescriptorToHandle(s, Descriptor());  // no dialog
        if (c.spoilRecord) c.spoilRecord(s.record);
        if (std::string(c.name) == "parameters of another plug-in")
            s.record.parameters = HostNewHandle(s, 4000);
        gHostAdvanceState = s.record.advanceState;
        gSpoilDelivery = c.spoilDelivery;
        s.record.advanceState = SpoilingAdvanceState;
        EXPECT_EQ(HostCallSelector(s, SELECTOR_START), c.result);
        gSpoilDelivery = nullptr;
        HostCommitAndRelease(s);
        ASSERT_EQ(s.log.messageBoxes.size(), 1u);
        EXPECT_EQ(s.log.messageBoxes[0].text, c.message);
        EXPECT_EQ(Report().find("renders="), Report().find("renders=0 ")) << Report();
        // Nothing was written: the document is as it was.
        EXPECT_TRUE(s.working.samples == s.source.samples);
    }
}

#if defined(_WIN64)
TEST(PluginLarge, TenThousandSquareInTilesWithBoundedRequests) {
    HostImage image = HostImageMake(10000, 10000, 3, 8);
    for (size_t i = 0; i < image.samples.size(); ++i) image.samples[i] = uint16_t(i % 251);
    auto session = OpenTestPlugin(image, "tiles=256,0,0");
    image = HostImage();
    HostSession& s = *session;
    // A request of the whole image would be refused.
    s.options.maxRequestBytes = int64_t(10000) * 256 * 3;
    HostBeginRun(s);
    s.descriptorParameters.descriptor = DescriptorToHandle(s, Descriptor());  // no dialog
    ASSERT_EQ(HostCallSelector(s, SELECTOR_PREPARE), 0);
    ASSERT_EQ(HostCallSelector(s, SELECTOR_START), 0);
    HostCommitAndRelease(s);
    EXPECT_EQ(s.log.advances.size(), 40u + 1u);
    EXPECT_TRUE(s.working.samples == s.source.samples);
}
#endif
}  // namespace
