// The plug-in in hosts less complete than the test host: without suites, without
// advanceState, with property answers that say nothing, with handles of size 0, with suites
// newer than it knows. Each must still filter the image.

#include <windows.h>

#include <functional>

#include "foundation/plugin_session.h"
#include "host/host_services.h"
#include "host/parameter_block.h"

namespace {

// Makes the block and marks the dialog as confirmed, as after a first run with OK: hosts
// without scripting support ask for the dialog at every first start.
void SkipTheDialog(HostSession& session) {
    HostBeginRun(session);
    ASSERT_EQ(HostCallSelector(session, SELECTOR_PREPARE), 0);
    auto* block =
        static_cast<ParameterBlock*>(PseudoHandleBlock(session.parameters, sizeof(ParameterBlock)));
    ASSERT_NE(block, nullptr);
    block->queryForParameters = 0;
}

struct Variant {
    const char* host;
    std::function<void(HostOptions&)> configure;
    int32_t depth;
};

TEST(HostVariants, ThePluginFiltersInEveryKindOfHost) {
    const Variant variants[] = {
        {"complete", [](HostOptions&) {}, 16},
        {"minimal",
         [](HostOptions& o) {
             o.noDescriptorParameters = o.noBufferSuite = o.noHandleSuite = true;
             o.noPropertySuite = o.noBigDocumentData = o.propertyAnswersEmpty = true;
             o.handleSizeZero = o.piplLengthsAsStored = o.only8BitRgb = true;
         },
         8},
        {"no callbacks",
         [](HostOptions& o) {
             o.noAbortProc = o.noProgressProc = o.noDisplayPixels = o.noColorServices = true;
             o.noObsoleteGetProperty = o.noPropertySuite = true;
         },
         8},
        {"suites too new",
         [](HostOptions& o) {
             o.bufferSuiteVersion = 3;
             o.handleSuiteVersion = 2;
             o.propertySuiteVersion = 9;
         },
         16},
        {"short suites",
         [](HostOptions& o) {
             o.bufferSuiteCount = 4;
             o.handleSuiteCount = 4;
             o.propertySuiteCount = 0;
         },
         8},
        {"padded rows", [](HostOptions& o) { o.rowPaddingBytes = 13; }, 16},
        {"empty property answers", [](HostOptions& o) { o.propertyAnswersEmpty = true; }, 8},
        {"zero handle sizes", [](HostOptions& o) { o.handleSizeZero = true; }, 16},
    };
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.host);
        HostSession session;
        variant.configure(session.options);
        ASSERT_TRUE(HostLoadPlugin(session, ProbePath()));
        ASSERT_TRUE(HostSetImage(session, GradientImage(23, 11, 3, variant.depth)));
        SkipTheDialog(session);
        for (int run = 0; run < 2; ++run) {
            ASSERT_EQ(HostRunFilter(session, false), 0);
            const int32_t max = variant.depth == 16 ? kHostMax16 : 255;
            for (size_t i = 0; i < session.source.samples.size(); ++i)
                ASSERT_EQ(session.output.samples[i], max - session.source.samples[i]) << i;
            EXPECT_TRUE(session.log.messageBoxes.empty());
            EXPECT_EQ(session.log.buffersLive, 0);
        }
    }
}

TEST(HostVariants, HostsWithoutAdvanceStateAreServedRowByRow) {
    HostSession session;
    session.options.noAdvanceState = true;
    ASSERT_TRUE(HostLoadPlugin(session, ProbePath()));
    ASSERT_TRUE(HostSetImage(session, GradientImage(9, 4, 3, 8)));
    SkipTheDialog(session);
    HostResetLog(session);
    HostSetFilterRect(session, {1, 2, 4, 7});
    ASSERT_EQ(HostRunFilter(session, false), 0);
    // One request per row of the filter rectangle, each through "continue".
    ASSERT_EQ(session.log.advances.size(), 3u);
    for (int16_t row = 0; row < 3; ++row) {
        const AdvanceRequest& request = session.log.advances[row];
        EXPECT_FALSE(request.viaAdvanceState);
        EXPECT_EQ(request.inRect.top, 1 + row);
        EXPECT_EQ(request.inRect.bottom, 2 + row);
        EXPECT_EQ(request.inRect.left, 2);
        EXPECT_EQ(request.inRect.right, 7);
    }
    // The plug-in tells the user that the host lacks a callback it wants.
    EXPECT_FALSE(session.log.messageBoxes.empty());
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 9; ++x) {
            const bool inside = y >= 1 && y < 4 && x >= 2 && x < 7;
            const int32_t value = session.source.at(x, y, 0);
            EXPECT_EQ(session.output.at(x, y, 0), inside ? 255 - value : value) << x << "," << y;
        }
}
}  // namespace
