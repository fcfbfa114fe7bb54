// The fields' row stores against plain element loops: every alignment of the row, lengths
// around the vector's eight elements (none, one-element tails, a single element), levels at
// both ends of 2 bytes and at the signed boundary, streamed and plain, with the elements
// around the row left untouched.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/field_row_stores.h"

namespace {
constexpr int32_t kGuard = 24;  // elements checked on each side of the row
constexpr uint16_t kUntouched = 0xA5A5;
const int64_t kCounts[] = {0, 1, 2, 7, 8, 9, 15, 16, 17, 31, 33, 6000};

// A buffer whose element kGuard + offset starts the row; the first guard element lies on a
// 16-byte boundary.
struct Row {
    std::vector<uint16_t> cells;
    uint16_t* start;
    Row(int64_t count, int32_t offset) : cells(size_t(count + 2 * kGuard + 16), kUntouched) {
        uint16_t* p = cells.data();
        while (reinterpret_cast<uintptr_t>(p) % 16 != 0) ++p;
        start = p + kGuard + offset;
    }
};

std::string Where(int64_t count, int32_t offset, bool stream) {
    return std::to_string(count) + " elements at offset " + std::to_string(offset) +
           (stream ? ", streamed" : ", plain");
}

TEST(FieldRowStores, LevelsAreThePlainLoopsLevels) {
    for (int64_t count : kCounts)
        for (int32_t offset = 0; offset < 8; ++offset)
            for (bool stream : {false, true}) {
                std::vector<int32_t> values(size_t(count) + 1);
                const int32_t edges[] = {0, 1, 32767, 32768, 32769, 65534, 65535};
                for (size_t i = 0; i < values.size(); ++i)
                    values[i] = i < 7 ? edges[i] : int32_t((i * 40503u + 17u) % 65536u);
                Row got(count, offset), want(count, offset);
                FieldRowStoreLevels(got.start, values.data(), count, stream);
                FieldRowStoresDone();
                for (int64_t i = 0; i < count; ++i) want.start[i] = uint16_t(values[size_t(i)]);
                EXPECT_EQ(got.cells, want.cells) << Where(count, offset, stream);
            }
}

TEST(FieldRowStores, PairsAreThePlainLoopsPairs) {
    struct Pair {
        uint16_t first, second;
    };
    const Pair pairs[] = {{0, 0}, {0, 32768}, {32768, 0}, {65535, 1}};
    for (const Pair& p : pairs)
        for (int64_t count : kCounts)
            for (int32_t offset = 0; offset < 8; ++offset)
                for (bool stream : {false, true}) {
                    Row got(count, offset), want(count, offset);
                    FieldRowFillPairs(got.start, p.first, p.second, count, stream);
                    FieldRowStoresDone();
                    for (int64_t i = 0; i < count; ++i)
                        want.start[i] = i % 2 == 0 ? p.first : p.second;
                    EXPECT_EQ(got.cells, want.cells)
                        << Where(count, offset, stream) << ", pair " << p.first << ", " << p.second;
                }
}
}  // namespace
