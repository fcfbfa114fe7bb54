// The numbered arrays: shapes, clamping, borders, text rows, host buffers and failures.

#include "host/numbered_arrays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "host/system_calls.h"
#include "runtime/box_catcher.h"
#include "runtime/unit_host.h"

namespace {
struct StoreCase {
    int32_t elementBytes;
    int32_t value;
    int32_t expected;  // what GetArrayElement gives back
};

TEST(NumberedArrays, PutClampsToTheElementSize) {
    const StoreCase cases[] = {
        {1, 300, 255}, {1, -3, 0},        {1, 128, 128}, {2, 70000, 65535},
        {2, -1, 0},    {2, 40000, 40000}, {4, -5, -5},   {4, 2000000000, 2000000000},
    };
    UnitHost host;
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.elementBytes << " bytes, " << c.value);
        ASSERT_EQ(CreateArray(3, 4, 4, 2, c.elementBytes), 1);
        EXPECT_EQ(PutArrayElement(3, 2, 1, 1, c.value), 1);
        EXPECT_EQ(GetArrayElement(3, 2, 1, 1), c.expected);
        ASSERT_EQ(ReleaseArray(3), 1);
    }
}

TEST(NumberedArrays, RawStoreTruncatesInsteadOfClamping) {
    UnitHost host;
    ASSERT_EQ(CreateArray(1, 4, 1, 1, 1), 1);
    EXPECT_EQ(PutArrayElementRaw(1, 0, 0, 0, 300), 1);  // 300 = 0x12C
    EXPECT_EQ(GetArrayElement(1, 0, 0, 0), 0x2C);
    ASSERT_EQ(CreateArray(2, 4, 1, 1, 2), 1);
    EXPECT_EQ(PutArrayElementRaw(2, 1, 0, 0, -1), 1);
    EXPECT_EQ(GetArrayElement(2, 1, 0, 0), 65535);
}

TEST(NumberedArrays, ElementsLieInterleavedByChannelInsideTheBorder) {
    UnitHost host;
    // 3 x 2 cells, 2 channels, border 1: rows of 5 cells, 4 rows.
    ASSERT_EQ(CreateArrayPadded(7, 3, 2, 2, 1, 1), 1);
    SetAllArrayElements(7, 0);
    ASSERT_EQ(PutArrayElement(7, 0, 0, 1, 99), 1);
    ASSERT_EQ(PutArrayElement(7, 2, 1, 0, 77), 1);
    const auto* base = static_cast<const uint8_t*>(GetArrayBase(7));
    EXPECT_EQ(base[13], 99);  // row 1, cell 1, channel 1
    EXPECT_EQ(base[26], 77);  // row 2, cell 3, channel 0
    EXPECT_EQ(GetArrayDimension(7, 0), 5);
    EXPECT_EQ(GetArrayDimension(7, 1), 4);
    EXPECT_EQ(GetArrayDimension(7, 2), 2);
    EXPECT_EQ(GetArrayDimension(7, 3), 1);
    EXPECT_EQ(GetArrayDimension(7, 4), 0);
}

TEST(NumberedArrays, GetClampsIntoTheBorder) {
    UnitHost host;
    ASSERT_EQ(CreateArrayPadded(4, 6, 3, 1, 4, 2), 1);
    for (int x = -2; x < 8; ++x)
        for (int y = -2; y < 5; ++y) ASSERT_EQ(PutArrayElement(4, x, y, 0, x * 100 + y), 1);
    EXPECT_EQ(GetArrayElement(4, -5, 0, 0), -200);  // x = -2
    EXPECT_EQ(GetArrayElement(4, 50, 1, 0), 701);   // x = 7, the last cell
    EXPECT_EQ(GetArrayElement(4, 3, -9, 0), 298);   // y = -2
    EXPECT_EQ(GetArrayElement(4, 3, 99, 0), 304);   // y = 4
    EXPECT_EQ(GetArrayElement(4, 3, 1, 1), 0);      // z outside
    EXPECT_EQ(GetArrayElement(4, 3, 1, -1), 0);
}

TEST(NumberedArrays, PutChecksOnlyTheEndsOfTheBlock) {
    UnitHost host;
    ASSERT_EQ(CreateArray(5, 4, 3, 1, 1), 1);
    EXPECT_EQ(PutArrayElement(5, 5, 0, 0, 9), 1);  // past the row: lands on the next row
    EXPECT_EQ(GetArrayElement(5, 1, 1, 0), 9);
    EXPECT_EQ(PutArrayElement(5, 0, 3, 0, 9), 0);  // past the end
    EXPECT_EQ(PutArrayElement(5, -1, 0, 0, 9), 0);
    EXPECT_EQ(PutArrayElementRaw(5, 0, 3, 0, 9), 0);
}

TEST(NumberedArrays, RefusesBadNumbersShapesAndSizes) {
    UnitHost host;
    EXPECT_EQ(CreateArray(-1, 4, 4, 1, 1), 0);
    EXPECT_EQ(CreateArray(100, 4, 4, 1, 1), 0);
    EXPECT_EQ(CreateArray(1, 4, 4, 1, 3), 0);
    EXPECT_EQ(CreateArray(1, 0, 4, 1, 1), 0);
    EXPECT_EQ(CreateArrayPadded(1, 4, 4, 1, 1, -1), 0);
    EXPECT_EQ(GetArrayBase(1), nullptr);
    // y and z below 1 count as 1.
    ASSERT_EQ(CreateArray(1, 4, 0, -3, 2), 1);
    EXPECT_EQ(GetArrayDimension(1, 1), 1);
    EXPECT_EQ(GetArrayDimension(1, 2), 1);
    // Absent arrays answer 0 everywhere.
    EXPECT_EQ(GetArrayElement(2, 0, 0, 0), 0);
    EXPECT_EQ(PutArrayElement(2, 0, 0, 0, 1), 0);
    EXPECT_EQ(SetAllArrayElements(2, 1), 0);
    EXPECT_EQ(ReleaseArray(2), 0);
    EXPECT_EQ(GetArrayDimension(2, 0), 0);
    EXPECT_EQ(GetArrayElement(-4, 0, 0, 0), 0);
}

TEST(NumberedArrays, SameByteSizeKeepsTheBytesAndTakesTheNewShape) {
    UnitHost host;
    ASSERT_EQ(CreateArray(9, 6, 4, 1, 1), 1);
    for (int i = 0; i < 24; ++i) PutArrayElement(9, i, 0, 0, i + 1);
    const void* before = GetArrayBase(9);
    ASSERT_EQ(CreateArray(9, 3, 2, 2, 2), 1);  // 24 bytes again
    EXPECT_EQ(GetArrayBase(9), before);
    EXPECT_EQ(GetArrayDimension(9, 0), 3);
    EXPECT_EQ(GetArrayDimension(9, 3), 2);
    EXPECT_EQ(GetArrayElement(9, 0, 0, 0), 1 | 2 << 8);  // bytes 1 and 2, little-endian
}

TEST(NumberedArrays, EightByteElementsHoldDoubles) {
    UnitHost host;
    ASSERT_EQ(CreateArray(11, 3, 1, 1, 8), 1);
    EXPECT_EQ(SetAllArrayElements(11, -7), 1);
    const auto* values = static_cast<const double*>(GetArrayBase(11));
    EXPECT_EQ(values[0], -7.0);
    EXPECT_EQ(values[2], -7.0);
    EXPECT_EQ(GetArrayElement(11, 0, 0, 0), 0);
    EXPECT_EQ(PutArrayElement(11, 0, 0, 0, 1), 0);
}

TEST(NumberedArrays, SetAllClampsLikePut) {
    UnitHost host;
    ASSERT_EQ(CreateArray(12, 5, 1, 1, 1), 1);
    EXPECT_EQ(SetAllArrayElements(12, 999), 1);
    EXPECT_EQ(GetArrayElement(12, 4, 0, 0), 255);
    ASSERT_EQ(CreateArray(13, 5, 1, 1, 2), 1);
    EXPECT_EQ(SetAllArrayElements(13, -9), 1);
    EXPECT_EQ(GetArrayElement(13, 4, 0, 0), 0);
}

TEST(NumberedArrays, TextRowsOfAByteArray) {
    UnitHost host;
    // Three rows of 16 characters: x = rows, y = row length.
    ASSERT_EQ(CreateArray(ARRAY_SHORT_TEXTS, 3, 16, 1, 1), 1);
    EXPECT_EQ(PutArrayString(ARRAY_SHORT_TEXTS, 0, "Contrast"), 1);
    EXPECT_EQ(PutArrayString(ARRAY_SHORT_TEXTS, 2, "Grain"), 1);
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 0), "Contrast");
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 2), "Grain");
    EXPECT_STREQ(static_cast<const char*>(GetArrayBase(ARRAY_SHORT_TEXTS)) + 32, "Grain");
    // A text may run on into the next rows, never past the end of the array.
    EXPECT_EQ(PutArrayString(ARRAY_SHORT_TEXTS, 1, std::string(30, 'x').c_str()), 1);
    EXPECT_EQ(PutArrayString(ARRAY_SHORT_TEXTS, 2, std::string(16, 'y').c_str()), 0);
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 3), "Not Available");
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, -1), "Not Available");
    EXPECT_STREQ(GetArrayString(ARRAY_TEXTS, 0), "Not Available");
    // A full row without terminator still reads as a bounded text.
    ASSERT_EQ(CreateArray(26, 1, 4, 1, 1), 1);
    memset(GetArrayBase(26), 'z', 4);
    EXPECT_STREQ(GetArrayString(26, 0), "zzzz");
}

TEST(NumberedArrays, SwapAndCopy) {
    UnitHost host;
    ASSERT_EQ(CreateArrayPadded(20, 4, 2, 3, 2, 1), 1);
    ASSERT_EQ(PutArrayElement(20, 3, 1, 2, 4242), 1);
    ASSERT_EQ(CopyArrayData(20, 22), 1);
    EXPECT_EQ(GetArrayElement(22, 3, 1, 2), 4242);
    EXPECT_EQ(GetArrayDimension(22, 0), 6);
    EXPECT_EQ(GetArrayDimension(22, 2), 3);
    EXPECT_NE(GetArrayBase(22), GetArrayBase(20));
    EXPECT_EQ(CopyArrayData(20, 20), 1);
    EXPECT_EQ(CopyArrayData(23, 22), 0);   // source absent
    EXPECT_EQ(CopyArrayData(20, 100), 0);  // target outside
    ASSERT_EQ(CreateArray(23, 2, 1, 1, 1), 1);
    void* small = GetArrayBase(23);
    EXPECT_EQ(SwapArrays(20, 23), 1);
    EXPECT_EQ(GetArrayBase(20), small);
    EXPECT_EQ(GetArrayElement(23, 3, 1, 2), 4242);
    EXPECT_EQ(SwapArrays(20, -1), 0);
}

// An array shaped with room grows into it and shrinks within it on the same block, its
// leading bytes kept; a size past the room, or a release, ends the room.
TEST(NumberedArrays, ArraysShapedWithRoomGrowInPlace) {
    UnitHost host;
    ASSERT_EQ(CreateArray(50, 7, 5, 1, 2), 1);
    ASSERT_EQ(ShapeArrayLikeWithRoom(50, 51, 7 * 5 * 3 * 2), 1);
    EXPECT_EQ(gArrays[51].byteSize, 7 * 5 * 2);
    EXPECT_EQ(GetArrayDimension(51, 0), 7);
    EXPECT_EQ(GetArrayDimension(51, 2), 1);
    ASSERT_EQ(PutArrayElement(51, 6, 4, 0, 31000), 1);
    uint8_t* const block = gArrays[51].base;
    // Growing into the room, shrinking, growing again; then past the room (a new block, or the
    // heap's own growth of the old one).
    for (int32_t z : {3, 1, 2, 3, 4}) {
        SCOPED_TRACE(testing::Message() << z << " channels");
        ASSERT_EQ(CreateArray(51, 7, 5, z, 2), 1);
        EXPECT_EQ(gArrays[51].byteSize, 7 * 5 * z * 2);
        if (z < 4) {
            EXPECT_EQ(gArrays[51].base, block);
        }
        EXPECT_EQ(gArrays[51].base[gArrays[51].byteSize], 0) << "guard byte";
        // Element 34 of the single channel is byte 68 of the block.
        uint16_t kept;
        memcpy(&kept, gArrays[51].base + 68, sizeof kept);
        EXPECT_EQ(kept, 31000);
    }
    EXPECT_EQ(gArrays[51].roomBytes, 0);
    // Room no larger than the shape is no room; a copy of the shape follows the source.
    ASSERT_EQ(ShapeArrayLikeWithRoom(50, 52, 10), 1);
    EXPECT_EQ(gArrays[52].roomBytes, 0);
    EXPECT_EQ(gArrays[52].byteSize, gArrays[50].byteSize);
    ASSERT_EQ(ShapeArrayLikeWithRoom(50, 53, 1000), 1);
    ASSERT_EQ(ReleaseArray(53), 1);
    EXPECT_EQ(gArrays[53].roomBytes, 0);
    EXPECT_EQ(ShapeArrayLikeWithRoom(54, 55, 1000), 0);   // source absent
    EXPECT_EQ(ShapeArrayLikeWithRoom(50, 100, 1000), 0);  // target outside
}

// The room is a wish: when its block cannot be had, the shape's own size is taken.
TEST(NumberedArrays, RoomThatCannotBeHadFallsBackToTheShape) {
    UnitHost host;
    ASSERT_EQ(CreateArray(56, 100, 10, 1, 1), 1);
    static size_t refusedFrom;
    refusedFrom = 2000;
    gSystem.reallocate = [](void* block, size_t size) -> void* {
        return size >= refusedFrom ? nullptr : realloc(block, size);
    };
    ASSERT_EQ(ShapeArrayLikeWithRoom(56, 57, 3000), 1);
    EXPECT_EQ(gArrays[57].byteSize, 1000);
    EXPECT_EQ(gArrays[57].roomBytes, 0);
    refusedFrom = 0;
    EXPECT_EQ(ShapeArrayLikeWithRoom(56, 58, 3000), 0);
    EXPECT_EQ(GetArrayBase(58), nullptr);
    // Made with room: the same fallback, and a shape that cannot be had at all is the user's
    // error and cancels the run.
    BoxCatcher catcher;
    refusedFrom = 2000;
    ASSERT_EQ(CreateArrayWithRoom(59, 100, 10, 1, 1, 3000), 1);
    EXPECT_EQ(gArrays[59].byteSize, 1000);
    EXPECT_EQ(gArrays[59].roomBytes, 0);
    EXPECT_TRUE(catcher.boxes.empty());
    refusedFrom = 0;
    EXPECT_EQ(CreateArrayWithRoom(57, 100, 10, 3, 1, 3000), 0);
    EXPECT_EQ(GetArrayBase(57), nullptr);
    EXPECT_EQ(GetResult(), HOST_USER_CANCELLED);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, "Unable to allocate enough memory.");
    SystemCallsReset();
}

// Blocks given to gSystem.release and gSystem.reallocate, from any thread.
struct BlockLog {
    std::mutex lock;
    std::vector<void*> released, resized;
    bool Saw(const std::vector<void*>& blocks, const void* block) {
        std::lock_guard<std::mutex> hold(lock);
        return std::find(blocks.begin(), blocks.end(), block) != blocks.end();
    }
};
BlockLog gBlockLog;

void LogBlockCalls() {
    gBlockLog.released.clear();
    gBlockLog.resized.clear();
    gSystem.release = [](void* block) {
        {
            std::lock_guard<std::mutex> hold(gBlockLog.lock);
            gBlockLog.released.push_back(block);
        }
        free(block);
    };
    gSystem.reallocate = [](void* block, size_t size) -> void* {
        if (block) {
            std::lock_guard<std::mutex> hold(gBlockLog.lock);
            gBlockLog.resized.push_back(block);
        }
        return realloc(block, size);
    };
}

// An array made with room keeps its block from one channel to three and back, its first
// channel's bytes with it; a block that has the room already is kept as it is.
TEST(NumberedArrays, ArraysMadeWithRoomGrowInPlace) {
    UnitHost host;
    LogBlockCalls();
    ASSERT_EQ(CreateArrayWithRoom(70, 9, 4, 1, 2, 9 * 4 * 3 * 2), 1);
    EXPECT_EQ(gArrays[70].byteSize, 9 * 4 * 2);
    EXPECT_EQ(gArrays[70].roomBytes, 9 * 4 * 3 * 2);
    EXPECT_EQ(GetArrayDimension(70, 2), 1);
    EXPECT_EQ(gArrays[70].base[gArrays[70].byteSize], 0) << "guard byte";
    ASSERT_EQ(PutArrayElement(70, 8, 3, 0, 30000), 1);
    uint8_t* const block = gArrays[70].base;
    ASSERT_EQ(CreateArray(70, 9, 4, 3, 2), 1);
    EXPECT_EQ(gArrays[70].base, block);
    EXPECT_EQ(gArrays[70].byteSize, 9 * 4 * 3 * 2);
    EXPECT_EQ(gArrays[70].base[gArrays[70].byteSize], 0) << "guard byte";
    ASSERT_EQ(CreateArrayWithRoom(70, 9, 4, 1, 2, 9 * 4 * 3 * 2), 1);
    EXPECT_EQ(gArrays[70].base, block);
    EXPECT_EQ(GetArrayElement(70, 8, 3, 0), 30000);
    EXPECT_FALSE(gBlockLog.Saw(gBlockLog.resized, block));
    // Room no larger than the shape is no room; bad numbers and shapes make nothing.
    ASSERT_EQ(CreateArrayWithRoom(71, 9, 4, 1, 2, 10), 1);
    EXPECT_EQ(gArrays[71].roomBytes, 0);
    EXPECT_EQ(CreateArrayWithRoom(100, 9, 4, 1, 2, 1000), 0);
    EXPECT_EQ(CreateArrayWithRoom(72, 0, 4, 1, 2, 1000), 0);
    EXPECT_EQ(CreateArrayWithRoom(72, 9, 4, 1, 3, 1000), 0);
    EXPECT_EQ(GetArrayBase(72), nullptr);
    ReleaseAllArrays();
    SystemCallsReset();
}

// A borrowed block is the array's elements, and only ever the lender's to free or resize.
TEST(NumberedArrays, BorrowedBlocksAreViewsNeverFreedOrResized) {
    UnitHost host;
    LogBlockCalls();
    std::vector<uint16_t> lent(4 * 3 * 3, 7);
    uint8_t* const block = reinterpret_cast<uint8_t*>(lent.data());
    ASSERT_EQ(CreateArray(60, 100, 1, 1, 1), 1);
    uint8_t* const own = gArrays[60].base;
    ASSERT_EQ(BorrowArrayBlock(60, block, 4, 3, 3, 2), 1);
    EXPECT_TRUE(gBlockLog.Saw(gBlockLog.released, own)) << "the array's own block goes";
    EXPECT_EQ(GetArrayElement(60, 3, 2, 2), 7);
    ASSERT_EQ(PutArrayElement(60, 3, 2, 2, 31000), 1);
    EXPECT_EQ(lent.back(), 31000);
    EXPECT_EQ(PutArrayElement(60, 0, 3, 0, 1), 0) << "past the block";
    // The same byte size in another shape keeps the view.
    ASSERT_EQ(CreateArray(60, 6, 2, 3, 2), 1);
    EXPECT_EQ(gArrays[60].base, block);
    EXPECT_EQ(lent.back(), 31000) << "no guard byte written into the lender's block";
    // Swapped, the view goes along; another size takes a fresh block.
    ASSERT_EQ(SwapArrays(60, 61), 1);
    EXPECT_EQ(gArrays[61].base, block);
    ASSERT_EQ(CreateArray(61, 50, 50, 1, 1), 1);
    EXPECT_NE(gArrays[61].base, block);
    ASSERT_EQ(BorrowArrayBlock(62, block, 4, 3, 3, 2), 1);
    ASSERT_EQ(ReleaseArray(62), 1);
    EXPECT_EQ(GetArrayBase(62), nullptr);
    ASSERT_EQ(BorrowArrayBlock(63, block, 4, 3, 3, 2), 1);
    ResetArrayTables();
    EXPECT_FALSE(gBlockLog.Saw(gBlockLog.released, block));
    EXPECT_FALSE(gBlockLog.Saw(gBlockLog.resized, block));
    EXPECT_EQ(lent.back(), 31000);
    // Nothing is made of a missing block, a bad number, shape or element size.
    EXPECT_EQ(BorrowArrayBlock(64, nullptr, 4, 3, 3, 2), 0);
    EXPECT_EQ(BorrowArrayBlock(100, block, 4, 3, 3, 2), 0);
    EXPECT_EQ(BorrowArrayBlock(64, block, 0, 3, 3, 2), 0);
    EXPECT_EQ(BorrowArrayBlock(64, block, 4, 3, 3, 3), 0);
    EXPECT_EQ(GetArrayBase(64), nullptr);
    SystemCallsReset();
}

// The render's arrays are empty as soon as the last rectangle is done; their heap blocks are
// freed by the time the wait returns, borrowed ones never, and other arrays stay.
TEST(NumberedArrays, RenderWorkArraysAreReleasedInTheBackground) {
    UnitHost host;
    LogBlockCalls();
    std::vector<uint8_t> lent(64);
    const int32_t marked[] = {65, 66, 67, 68};  // 68 stays absent
    MarkRenderWorkArrays(marked, 4);
    ASSERT_EQ(CreateArray(65, 1000, 1000, 1, 1), 1);
    ASSERT_EQ(CreateArray(66, 10, 10, 3, 2), 1);
    ASSERT_EQ(BorrowArrayBlock(67, lent.data(), 8, 8, 1, 1), 1);
    ASSERT_EQ(CreateArray(69, 10, 10, 1, 1), 1);
    void* const blocks[] = {gArrays[65].base, gArrays[66].base};
    ReleaseRenderWorkArraysInBackground();
    for (int32_t n : {65, 66, 67, 68}) EXPECT_EQ(GetArrayBase(n), nullptr) << n;
    ASSERT_NE(GetArrayBase(69), nullptr);
    WaitForArrayReleases();
    for (void* block : blocks) EXPECT_TRUE(gBlockLog.Saw(gBlockLog.released, block));
    EXPECT_FALSE(gBlockLog.Saw(gBlockLog.released, lent.data()));
    // Arrays made again are the run's until the run's end; a new run forgets the marks.
    ASSERT_EQ(CreateArray(65, 10, 10, 1, 1), 1);
    ResetArrayTables();
    ASSERT_EQ(CreateArray(65, 10, 10, 1, 1), 1);
    ReleaseRenderWorkArraysInBackground();
    WaitForArrayReleases();
    EXPECT_NE(GetArrayBase(65), nullptr);
    ReleaseAllArrays();
    SystemCallsReset();
}

// An allocation that fails while the last run's blocks are still being freed waits for them
// and tries again: the memory the run gave back is there for it. The release is slowed down
// so that the allocation comes first.
TEST(NumberedArrays, AllocationThatFailsWaitsForTheBackgroundRelease) {
    UnitHost host;
    static std::atomic<bool> released;
    released = false;
    const int32_t marked[] = {65};
    MarkRenderWorkArrays(marked, 1);
    ASSERT_EQ(CreateArray(65, 1000, 1000, 1, 1), 1);
    gSystem.release = [](void* block) {
        Sleep(100);
        free(block);
        released = true;
    };
    ReleaseRenderWorkArraysInBackground();
    // The thread keeps the release it was handed; the allocations fail until it is done.
    SystemCallsReset();
    gSystem.reallocate = [](void* block, size_t size) -> void* {
        return released ? realloc(block, size) : nullptr;
    };
    BoxCatcher catcher;
    EXPECT_EQ(CreateArray(70, 1000, 1000, 1, 1), 1);
    EXPECT_TRUE(released);
    EXPECT_TRUE(catcher.boxes.empty());
    // Nothing to wait for: the failure stands.
    gSystem.reallocate = [](void*, size_t) -> void* { return nullptr; };
    EXPECT_EQ(CreateArray(71, 1000, 1000, 1, 1), 0);
    EXPECT_EQ(catcher.boxes.size(), 1u);
    SystemCallsReset();
    ReleaseAllArrays();
}

TEST(NumberedArrays, FailedAllocationTellsTheUserAndCancels) {
    UnitHost host;
    BoxCatcher catcher;
    ASSERT_EQ(CreateArray(30, 10, 10, 1, 1), 1);
    gSystem.reallocate = [](void*, size_t) -> void* { return nullptr; };
    EXPECT_EQ(CreateArray(30, 20, 10, 1, 1), 0);
    EXPECT_EQ(GetArrayBase(30), nullptr);
    EXPECT_EQ(GetResult(), HOST_USER_CANCELLED);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, "Unable to allocate enough memory.");
    EXPECT_EQ(catcher.boxes[0].caption, "Error");
    // A copy that cannot have its memory fails quietly and leaves the target absent.
    SystemCallsReset();
    ASSERT_EQ(CreateArray(31, 10, 1, 1, 1), 1);
    gSystem.reallocate = [](void*, size_t) -> void* { return nullptr; };
    EXPECT_EQ(CopyArrayData(31, 32), 0);
    EXPECT_EQ(GetArrayBase(32), nullptr);
    EXPECT_EQ(catcher.boxes.size(), 1u);
}

TEST(NumberedArrays, SizesBeyondMemoryAreRefused) {
    UnitHost host;
    BoxCatcher catcher;
    EXPECT_EQ(CreateArray(33, 2000000000, 2000000000, 2000000000, 8), 0);
    EXPECT_EQ(CreateArrayPadded(33, 2147483647, 1, 1, 1, 1), 0);
    EXPECT_EQ(GetArrayBase(33), nullptr);
}

TEST(NumberedArrays, HostBuffersWhenOfferedAndHeapWhenRefused) {
    UnitHost host;
    EXPECT_EQ(UseHostBufferSuite(1), 0);  // no suite yet
    host.OfferBufferSuite();
    EXPECT_EQ(UseHostBufferSuite(1), 1);
    ASSERT_EQ(CreateArray(40, 8, 8, 1, 1), 1);
    EXPECT_TRUE(gArrays[40].hostBuffer);
    EXPECT_EQ(host.buffers.size(), 1u);
    ASSERT_EQ(PutArrayElement(40, 7, 7, 0, 5), 1);
    EXPECT_EQ(GetArrayElement(40, 7, 7, 0), 5);
    host.refuseBuffers = true;
    ASSERT_EQ(CreateArray(41, 8, 8, 1, 1), 1);
    EXPECT_FALSE(gArrays[41].hostBuffer);
    ReleaseAllArrays();
    EXPECT_TRUE(host.buffers.empty());
    EXPECT_EQ(UseHostBufferSuite(0), 1);
    host.refuseBuffers = false;
    ASSERT_EQ(CreateArray(42, 8, 8, 1, 1), 1);
    EXPECT_FALSE(gArrays[42].hostBuffer);
}

TEST(NumberedArrays, LoadsAFileWhenNoResourceHasTheName) {
    UnitHost host;
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    strcat(path, "greyloom_array_test.txt");
    FILE* file = fopen(path, "wb");
    ASSERT_NE(file, nullptr);
    fputs("Greyloom2.0\n42\n", file);
    fclose(file);
    EXPECT_EQ(LoadArrayFromResource("TEXT", path, ARRAY_LANGUAGE_RAW), 1);
    EXPECT_EQ(GetArrayDimension(ARRAY_LANGUAGE_RAW, 0), 15);
    EXPECT_EQ(memcmp(GetArrayBase(ARRAY_LANGUAGE_RAW), "Greyloom2.0\n42\n", 15), 0);
    DeleteFileA(path);
    EXPECT_EQ(LoadArrayFromResource("TEXT", path, 98), 0);
}
}  // namespace
