// The parameter block behind the host's parameters handle: made once with its first values,
// then kept from run to run for as long as the host keeps the plug-in loaded.

#include <windows.h>

#include <cstring>

#include "foundation/plugin_session.h"
#include "host/host_services.h"
#include "host/parameter_block.h"

namespace {
ParameterBlock* BlockOf(HostHandle parameters) {
    return static_cast<ParameterBlock*>(PseudoHandleBlock(parameters, sizeof(ParameterBlock)));
}

bool AllZero(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
        if (bytes[i]) return false;
    return true;
}

TEST(ParameterBlock, FirstRunCreatesTheBlockWithItsFirstValues) {
    for (int16_t firstSelector : {SELECTOR_PARAMETERS, SELECTOR_PREPARE, SELECTOR_START}) {
        auto session = OpenShippedPlugin();
        HostBeginRun(*session);
        PlayEmptyDescriptor(*session);
        ASSERT_EQ(HostCallSelector(*session, firstSelector), 0);
        ASSERT_NE(session->parameters, nullptr) << "selector " << firstSelector;
        ParameterBlock* block = BlockOf(session->parameters);
        ASSERT_NE(block, nullptr);
#if defined(_WIN64)
        EXPECT_EQ(GlobalPseudoHandleSize(session->parameters), 734976u);
#endif
        EXPECT_EQ(block->formatWord, 1);
        EXPECT_EQ(block->secondWord, 0);
        EXPECT_EQ(block->flags, 0x840724u);
        EXPECT_EQ(block->queryForParameters, 1);
        EXPECT_EQ(block->skinActive, 0u);
        EXPECT_EQ(block->skinIndex, -1);
        EXPECT_EQ(block->dialogRegion, nullptr);
        EXPECT_EQ(block->dialogColor, GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(block->secondDialogColor, GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(block->thirdDialogColor, 0u);
        EXPECT_STREQ(block->dialogTitle, "!t");
        EXPECT_EQ(block->dialogThemed, 0u);
        EXPECT_EQ(block->registryRoot, nullptr);
        EXPECT_STREQ(block->registryPath, "");
        EXPECT_TRUE(AllZero(block->frameworkSettings, sizeof block->frameworkSettings));
        EXPECT_EQ(block->tileHeight, 100u);
        EXPECT_EQ(block->tileWidth, 0u);
        EXPECT_TRUE(AllZero(block->savedContext, sizeof block->savedContext));
        EXPECT_TRUE(AllZero(block->savedEscapeStrings, sizeof block->savedEscapeStrings));
        EXPECT_STREQ(block->aboutEscapeText, "");
        EXPECT_TRUE(AllZero(block->savedPointers, sizeof block->savedPointers));
        EXPECT_EQ(block->savedWord, 0u);
        EXPECT_EQ(block->savedByte, 0);
    }
}

TEST(ParameterBlock, FreshControlRecordsHaveTheirDefaults) {
    auto session = OpenShippedPlugin();
    HostBeginRun(*session);
    ASSERT_EQ(HostCallSelector(*session, SELECTOR_PREPARE), 0);
    ParameterBlock* block = BlockOf(session->parameters);
    ASSERT_NE(block, nullptr);
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord& record = block->controls[n];
        const bool pseudo = n == 391 || n == 392 || n == 394 || n == 395;
        SCOPED_TRACE("control " + std::to_string(n));
        EXPECT_EQ(record.inUse, pseudo ? 1 : 0);
        EXPECT_EQ(record.state, 3);
        EXPECT_EQ(record.controlClass, n == 394 ? 14 : 0);
        EXPECT_EQ(record.value, 0);
        EXPECT_EQ(record.initialValue, 0);
        EXPECT_EQ(record.defaultValue, -1);
        EXPECT_EQ(record.min, 0);
        EXPECT_EQ(record.max, 255);
        EXPECT_EQ(record.lineSize, 1);
        EXPECT_EQ(record.pageSize, 10);
        EXPECT_EQ(record.divisor, 1);
        EXPECT_EQ(record.gamma, 100);
        EXPECT_EQ(record.editWidth, 24);
        EXPECT_EQ(record.editHeight, 10);
        EXPECT_EQ(record.tab, -1);
        EXPECT_EQ(record.sheet, -1);
        EXPECT_EQ(record.buddy, -1);
        EXPECT_EQ(record.scripted, -1);
        EXPECT_EQ(record.themeMode, -1);
        EXPECT_EQ(record.toolbarHotItem, -1);
        EXPECT_STREQ(record.text, "");
        EXPECT_STREQ(record.toolTip, "");
        EXPECT_STREQ(record.imageName, "");
        EXPECT_EQ(record.properties, n == 395 ? 0x3200u : 0u);
        if (pseudo) {
            EXPECT_EQ(record.x, -1);
            EXPECT_EQ(record.y, -1);
            EXPECT_EQ(record.width, -1);
            EXPECT_EQ(record.height, -1);
        }
        if (n == 394) {
            EXPECT_EQ(record.style, 0u);
        }
        if (n == 395) {
            EXPECT_EQ(record.backgroundColor, 0xFFFFFFFFu);
        }
    }
}

TEST(ParameterBlock, KeptBetweenRunsThroughTheParametersHandle) {
    auto session = OpenShippedPlugin();
    ASSERT_EQ(HostRunFilter(*session, true), 0);
    const HostHandle parameters = session->parameters;
    ParameterBlock* block = BlockOf(parameters);
    ASSERT_NE(block, nullptr);
    // What a finished dialog and run leave behind. (Values are not the mark: a run without
    // the dialog applies the remembered settings to them.)
    block->controls[5].defaultValue = 77;
    block->controls[5].inUse = 1;
    strcpy(block->dialogTitle, "Kept title");
    block->frameworkSettings[3] = 9;
    block->savedContext[100] = 0x42;
    block->queryForParameters = 0;

    struct Case {
        bool withParameters;
        int16_t queryAfter;  // the dialog is asked for again only through the parameters selector
    };
    for (const Case& run : {Case{false, 0}, Case{false, 0}, Case{true, 1}}) {
        ASSERT_EQ(HostRunFilter(*session, run.withParameters), 0);
        EXPECT_EQ(session->parameters, parameters);
        EXPECT_EQ(block->controls[5].defaultValue, 77);
        EXPECT_STREQ(block->dialogTitle, "Kept title");
        EXPECT_EQ(block->frameworkSettings[3], 9u);
        EXPECT_EQ(block->savedContext[100], 0x42);
        EXPECT_EQ(block->queryForParameters, run.queryAfter);
    }

    // A host that loads the plug-in afresh starts without a handle: a new block is made.
    auto other = OpenShippedPlugin();
    ASSERT_EQ(HostRunFilter(*other, false), 0);
    ASSERT_NE(other->parameters, nullptr);
    EXPECT_NE(other->parameters, parameters);
    EXPECT_STREQ(BlockOf(other->parameters)->dialogTitle, "!t");
}
}  // namespace
