// Tile buffers: allocation for a rectangle, the Abort/Retry/Ignore question, and the put and
// get routines of both bit depths.

#include "host/tile_buffers.h"

#include <gtest/gtest.h>

#include "host/effect_context.h"
#include "host/system_calls.h"
#include "runtime/box_catcher.h"
#include "runtime/unit_host.h"

namespace {
// A context for a 7 x 5 rectangle with 3 planes asking for the given buffers.
void PrepareContext(int32_t imageMode, std::initializer_list<int> buffers) {
    gContext.imageMode = imageMode;
    gContext.X = 7;
    gContext.Y = 5;
    gContext.Z = 3;
    for (int n : buffers) gContext.frameworkSettings[3 + n - 1] = 1;
}

int gFailuresLeft = 0;
void* FailingCalloc(size_t count, size_t size) {
    if (gFailuresLeft > 0) {
        --gFailuresLeft;
        return nullptr;
    }
    return calloc(count, size);
}

TEST(TileBuffers, OnlyTheBuffersAskedForAreMadeZeroFilled) {
    UnitHost host;
    PrepareContext(IMAGE_MODE_RGB, {2, 4});
    ASSERT_TRUE(AllocateTileBuffers());
    EXPECT_EQ(gContext.tileBuffers[0], nullptr);
    ASSERT_NE(gContext.tileBuffers[1], nullptr);
    EXPECT_EQ(gContext.tileBuffers[2], nullptr);
    ASSERT_NE(gContext.tileBuffers[3], nullptr);
    const auto* bytes = static_cast<const uint8_t*>(gContext.tileBuffers[1]);
    for (int i = 0; i < 7 * 5 * 3 + 3; ++i) ASSERT_EQ(bytes[i], 0) << i;
    FreeTileBuffers();
    for (void* buffer : gContext.tileBuffers) EXPECT_EQ(buffer, nullptr);
}

TEST(TileBuffers, HostBuffersAreUsedAndGivenBack) {
    UnitHost host;
    host.OfferBufferSuite();
    PrepareContext(11, {1});
    ASSERT_TRUE(AllocateTileBuffers());
    ASSERT_EQ(host.buffers.size(), 1u);
    EXPECT_EQ(host.buffers.begin()->second.size(), size_t((7 * 5 * 3 + 3) * 2));
    EXPECT_NE(gContext.tileBufferIds[0], nullptr);
    FreeTileBuffers();
    EXPECT_TRUE(host.buffers.empty());
    EXPECT_EQ(gContext.tileBufferIds[0], nullptr);
    // A host that refuses leaves the heap to serve.
    host.refuseBuffers = true;
    ASSERT_TRUE(AllocateTileBuffers());
    EXPECT_NE(gContext.tileBuffers[0], nullptr);
    EXPECT_EQ(gContext.tileBufferIds[0], nullptr);
}

struct FailureCase {
    const char* name;
    int buffer;
    std::vector<int> answers;
    bool allocated;      // AllocateTileBuffers' answer
    bool bufferPresent;  // the buffer exists afterwards
    int16_t result;
    size_t questions;
};

TEST(TileBuffers, FailedAllocationAsksAbortRetryIgnore) {
    const FailureCase cases[] = {
        {"retry then success", 1, {IDRETRY}, true, true, 0, 1},
        {"ignore", 3, {IDIGNORE}, true, false, 0, 1},
        {"abort", 2, {IDABORT}, false, false, HOST_OUT_OF_MEMORY, 1},
        {"retry, retry, ignore", 4, {IDRETRY, IDIGNORE}, true, false, 0, 2},
    };
    const char* texts[] = {"Could not allocate a tile buffer (105 bytes).",
                           "Could not allocate tile buffer 2 (105 bytes).",
                           "Could not allocate tile buffer 3 (105 bytes).",
                           "Could not allocate tile buffer 4 (105 bytes)."};
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        UnitHost host;
        BoxCatcher catcher;
        catcher.answers.assign(c.answers.begin(), c.answers.end());
        PrepareContext(IMAGE_MODE_RGB, {c.buffer});
        gFailuresLeft = c.name == std::string("retry, retry, ignore") ? 100 : 1;
        gSystem.allocateZeroed = FailingCalloc;
        EXPECT_EQ(AllocateTileBuffers(), c.allocated);
        EXPECT_EQ(gContext.tileBuffers[c.buffer - 1] != nullptr, c.bufferPresent);
        EXPECT_EQ(GetResult(), c.result);
        ASSERT_EQ(catcher.boxes.size(), c.questions);
        EXPECT_EQ(catcher.boxes[0].text, texts[c.buffer - 1]);
        EXPECT_EQ(catcher.boxes[0].caption, "Error");
        FreeTileBuffers();
    }
}

TEST(TileBuffers, PutClampsAndStoresOnlyInside) {
    UnitHost host;
    PrepareContext(11, {1, 2, 3, 4});
    ASSERT_TRUE(AllocateTileBuffers());
    const PutPixelProc put16[] = {PutTile1Pixel16, PutTile2Pixel16, PutTile3Pixel16,
                                  PutTile4Pixel16};
    const GetPixelProc get16[] = {GetTile1Pixel16, GetTile2Pixel16, GetTile3Pixel16,
                                  GetTile4Pixel16};
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(put16[n](2, 3, 1, 40000), 32768);
        EXPECT_EQ(get16[n](2, 3, 1), 32768);
        EXPECT_EQ(put16[n](2, 3, 2, -4), 0);
        EXPECT_EQ(put16[n](6, 4, 0, 1234), 1234);
        EXPECT_EQ(static_cast<uint16_t*>(gContext.tileBuffers[n])[(7 * 4 + 6) * 3], 1234);
        // Outside: nothing stored, the clamped value returned.
        EXPECT_EQ(put16[n](7, 0, 0, 99999), 32768);
        EXPECT_EQ(put16[n](0, 0, 3, 5), 5);
        EXPECT_EQ(get16[n](0, 0, 0), 0);
        EXPECT_EQ(get16[n](0, 1, 0), 0);
        // Get clamps the position, not the channel.
        EXPECT_EQ(get16[n](-3, 5 + 5, 0), get16[n](0, 4, 0));
        EXPECT_EQ(get16[n](99, 99, 0), 1234);
        EXPECT_EQ(get16[n](6, 4, 3), 0);
        EXPECT_EQ(get16[n](6, 4, -1), 0);
    }
    const PutPixelProc put8[] = {PutTile1Pixel8, PutTile2Pixel8, PutTile3Pixel8, PutTile4Pixel8};
    const GetPixelProc get8[] = {GetTile1Pixel8, GetTile2Pixel8, GetTile3Pixel8, GetTile4Pixel8};
    FreeTileBuffers();
    PrepareContext(IMAGE_MODE_RGB, {1, 2, 3, 4});
    ASSERT_TRUE(AllocateTileBuffers());
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(put8[n](0, 0, 0, 256), 255);
        EXPECT_EQ(put8[n](1, 0, 0, -1), 0);
        EXPECT_EQ(put8[n](6, 4, 2, 17), 17);
        EXPECT_EQ(get8[n](-3, 10, 0), get8[n](0, 4, 0));
        EXPECT_EQ(get8[n](100, -100, 0), get8[n](6, 0, 0));
        EXPECT_EQ(get8[n](0, 0, 0), 255);
        EXPECT_EQ(get8[n](6, 4, 2), 17);
    }
}

TEST(TileBuffers, AbsentBufferTellsWhichAndGivesZero) {
    UnitHost host;
    BoxCatcher catcher;
    PrepareContext(IMAGE_MODE_RGB, {});
    EXPECT_EQ(GetTile1Pixel8(0, 0, 0), 0);
    EXPECT_EQ(PutTile2Pixel16(0, 0, 0, 5), 0);
    EXPECT_EQ(GetTile3Pixel16(0, 0, 0), 0);
    EXPECT_EQ(PutTile4Pixel8(0, 0, 0, 5), 0);
    ASSERT_EQ(catcher.boxes.size(), 4u);
    EXPECT_EQ(catcher.boxes[0].text, "No tile buffer!");
    EXPECT_EQ(catcher.boxes[1].text, "No tile buffer 2!");
    EXPECT_EQ(catcher.boxes[2].text, "No tile buffer 3!");
    EXPECT_EQ(catcher.boxes[3].text, "No tile buffer 4!");
}

TEST(TileBuffers, ShapeIsFixedWhenAllocated) {
    UnitHost host;
    PrepareContext(IMAGE_MODE_RGB, {1});
    ASSERT_TRUE(AllocateTileBuffers());
    PutTile1Pixel8(6, 4, 2, 200);
    // A later request may change X and Y; the buffer keeps its own bounds.
    gContext.X = 5000;
    gContext.Y = 5000;
    EXPECT_EQ(GetTile1Pixel8(4000, 4000, 2), 200);
    EXPECT_EQ(PutTile1Pixel8(4000, 4000, 2, 1), 1);
    EXPECT_EQ(GetTile1Pixel8(6, 4, 2), 200);
}
}  // namespace
