// The pool's built-in jobs on real pool threads: their values, their clipping, and the same
// output for any number of threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "common/thread_counts.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/pool_jobs.h"
#include "host/random_source.h"
#include "host/worker_threads.h"

namespace {
constexpr int32_t kTarget = 50, kSource = 51;

void SetParameters(std::initializer_list<int32_t> values) {
    int i = 1;
    for (int32_t v : values) gJob.poolParameters[i++] = v;
}

class PoolJobsTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetArrayTables(); }
    void TearDown() override {
        StopWorkerPool();
        SetProcessorCountOverride(0);
        ReleaseAllArrays();
    }
};

TEST_F(PoolJobsTest, GradientPatternsOfCellParities) {
    ASSERT_EQ(CreateArray(kTarget, 8, 8, 2, 2), 1);
    // pattern, then the value for (a, b) = (0,0), (1,0), (0,1), (1,1)
    const int32_t expected[4][5] = {
        {1, 0, 255, 255, 510}, {2, 255, 0, 0, 255}, {3, 0, 128, 128, 256}, {4, 0, 0, 0, 255}};
    for (const auto& row : expected) {
        SetParameters({kTarget, row[0]});
        RunPoolRoutine(GradientMaskJob, true, false);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 8; ++x)
                for (int32_t z = 0; z < 2; ++z)
                    ASSERT_EQ(GetArrayElement(kTarget, x, y, z), row[1 + x % 2 + 2 * (y % 2)])
                        << "pattern " << row[0] << " at " << x << "," << y;
    }
}

TEST_F(PoolJobsTest, AnglePatternPicksColumnOrRowParityBySector) {
    ASSERT_EQ(CreateArray(kTarget, 8, 8, 1, 4), 1);
    SetParameters({kTarget, 5});
    RunPoolRoutine(GradientMaskJob, true, false);
    // Cells around the centre (4, 4), worked by hand: the sector between 45 and 135 degrees
    // either side of the x axis takes the column parity, the rest the row parity.
    const struct {
        int32_t x, y, value;
    } cases[] = {
        {3, 2, 255},  // -116.6 degrees: column parity 1
        {2, 3, 255},  // -153.4 degrees: row parity 1
        {6, 5, 255},  // 26.6 degrees: row parity 1
        {5, 6, 255},  // 63.4 degrees: column parity 1
        {6, 7, 0},    // 56.3 degrees: column parity 0
        {7, 6, 0},    // 33.7 degrees: row parity 0
        {1, 4, 0},    // 180 degrees: row parity 0
        {1, 5, 255},  // 161.6 degrees: row parity 1
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetArrayElement(kTarget, c.x, c.y, 0), c.value) << c.x << "," << c.y;
}

TEST_F(PoolJobsTest, NormaliseRangeStretchesAndClamps) {
    const struct {
        int32_t elementBytes, low, high, in, out;
    } cases[] = {
        {1, 50, 150, 100, 127},   {1, 50, 150, 40, 0},     {1, 50, 150, 200, 255},
        {1, 150, 50, 100, 127},   {2, 0, 1000, 250, 8192}, {4, -100, 100, 0, 16384},
        {4, -100, 100, -7000, 0}, {1, 60, 60, 33, 33},  // equal bounds: unchanged
    };
    for (const auto& c : cases) {
        ASSERT_EQ(CreateArray(kTarget, 5, 3, 2, c.elementBytes), 1);
        SetAllArrayElements(kTarget, c.in);
        SetParameters({kTarget, c.low, c.high});
        RunPoolRoutine(NormaliseRangeJob, true, false);
        for (int32_t y = 0; y < 3; ++y)
            EXPECT_EQ(GetArrayElement(kTarget, 4, y, 1), c.out)
                << c.elementBytes << " bytes, " << c.low << ".." << c.high << ", " << c.in;
        ReleaseArray(kTarget);
    }
}

// Arrays of many elements take every stretched value from a table of the element's values:
// each of the levels 0..65535 (and 0..255) must still come out as the formula gives it, with
// bounds outside the levels, reversed, or one level apart.
TEST_F(PoolJobsTest, NormaliseRangeOfLargeArraysStretchesEveryLevel) {
    const struct {
        int32_t elementBytes, low, high;
    } cases[] = {
        {1, 17, 201},
        {1, -40, 300},
        {1, 200, 17},
        {1, 0, 1},
        {1, 254, 255},
        {1, 300, 400},
        {2, 3000, 29000},
        {2, -5000, 70000},
        {2, 29000, 3000},
        {2, 65535, 65536},
        {2, 100, 101},
        {2, 0, 32768},
        {2, 12345, 12346 + 32768},
    };
    for (const auto& c : cases) {
        const int32_t levels = c.elementBytes == 1 ? 256 : 65536;
        const int64_t m = c.elementBytes == 1 ? 255 : 32768;
        ASSERT_EQ(CreateArray(kTarget, 2048, 1024, 1, c.elementBytes), 1);
        for (int32_t i = 0; i < 2048 * 1024; ++i)
            PutArrayElement(kTarget, i % 2048, i / 2048, 0, (i * 7) % levels);
        SetParameters({kTarget, c.low, c.high});
        RunPoolRoutine(NormaliseRangeJob, true, false);
        for (int32_t i = 0; i < 2048 * 1024; ++i) {
            const int64_t v = (i * 7) % levels;
            const int64_t expected = std::clamp<int64_t>((v - c.low) * m / (c.high - c.low), 0, m);
            ASSERT_EQ(GetArrayElement(kTarget, i % 2048, i / 2048, 0), expected)
                << c.elementBytes << " bytes, " << c.low << ".." << c.high << ", level " << v;
        }
        ReleaseArray(kTarget);
    }
}

TEST_F(PoolJobsTest, ResampleFillsTheCurrentRectangleFromTheScaledSource) {
    EffectContextReset();
    gContext.X = 8;
    gContext.Y = 6;
    gContext.currentLeft = 3;
    gContext.currentRight = 8;
    gContext.currentTop = 2;
    gContext.currentBottom = 6;
    ASSERT_EQ(CreateArray(kSource, 4, 3, 1, 4), 1);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) PutArrayElement(kSource, x, y, 0, 10 * x + 100 * y);
    ASSERT_EQ(CreateArray(kTarget, 5, 4, 1, 4), 1);
    SetAllArrayElements(kTarget, -1);
    SetParameters({kTarget, kSource, 1});
    RunPoolRoutine(ResampleJob, true, false);
    // Nearest: image pixel (x, y) reads source cell (x / 2, y / 2).
    for (int32_t y = 2; y < 6; ++y)
        for (int32_t x = 3; x < 8; ++x)
            EXPECT_EQ(GetArrayElement(kTarget, x - 3, y - 2, 0), 10 * (x / 2) + 100 * (y / 2))
                << x << "," << y;
    // Spline: inside the source the data is linear in x; at the last row the edge repeats, so
    // along y the spline runs through 20, 120, 220, 220 and gives 177.5 at 1.5.
    SetParameters({kTarget, kSource, 0});
    RunPoolRoutine(ResampleJob, true, false);
    EXPECT_EQ(GetArrayElement(kTarget, 0, 0, 0), 115);  // (1.5, 1): 15 + 100
    EXPECT_EQ(GetArrayElement(kTarget, 1, 1, 0), 177);  // (2, 1.5)
}

TEST_F(PoolJobsTest, DeterministicJobsGiveTheSameOutputOnAnyThreadCount) {
    EffectContextReset();
    gContext.X = 97;
    gContext.Y = 61;
    gContext.currentLeft = 5;
    gContext.currentRight = 97;
    gContext.currentTop = 3;
    gContext.currentBottom = 61;
    ASSERT_EQ(CreateArray(kSource, 23, 17, 2, 2), 1);
    for (int32_t y = 0; y < 17; ++y)
        for (int32_t x = 0; x < 23; ++x)
            for (int32_t z = 0; z < 2; ++z)
                PutArrayElement(kSource, x, y, z, (x * 7919 + y * 104729 + z * 31) % 32769);
    for (int32_t mode : {0, 1}) {
        EXPECT_TRUE(SameOutputForThreadCounts([mode] {
            CreateArray(kTarget, 92, 58, 2, 2);
            SetAllArrayElements(kTarget, 0);
            SetParameters({kTarget, kSource, mode});
            RunPoolRoutine(ResampleJob, true, false);
            return ArrayBytes(kTarget);
        })) << "resample mode flag "
            << mode;
    }
    EXPECT_TRUE(SameOutputForThreadCounts([] {
        CreateArray(kTarget, 101, 37, 3, 1);
        SetParameters({kTarget, 5});
        RunPoolRoutine(GradientMaskJob, true, false);
        return ArrayBytes(kTarget);
    }));
    EXPECT_TRUE(SameOutputForThreadCounts([] {
        CopyArrayData(kSource, kTarget);
        SetParameters({kTarget, 1000, 20000});
        RunPoolRoutine(NormaliseRangeJob, true, false);
        return ArrayBytes(kTarget);
    }));
}

// A jump of the generator lands where that many steps land, from any state and for counts
// that set every bit of the jump (up to whole rows of a large image's grain).
TEST_F(PoolJobsTest, RandomJumpsLandWhereTheStepsLand) {
    for (uint32_t start : {0u, 1u, 4095u * 7 + 11, 0xFFFFFFFFu}) {
        uint32_t stepped = start;
        uint64_t done = 0;
        for (uint64_t steps : {0ull, 1ull, 2ull, 3ull, 255ull, 256ull, 48000ull, 1000001ull}) {
            while (done < steps) {
                RandomNextFrom(stepped);
                ++done;
            }
            EXPECT_EQ(RandomStateAfter(start, steps), stepped) << start << " " << steps;
        }
    }
    // Far jumps compose: 2^33 steps are 2^32 steps twice, and the state's period is 2^32.
    EXPECT_EQ(RandomStateAfter(5u, 1ull << 32), 5u);
    EXPECT_EQ(RandomStateAfter(RandomStateAfter(9u, 123456789ull), 987654321ull),
              RandomStateAfter(9u, 123456789ull + 987654321ull));
}

TEST_F(PoolJobsTest, GrainNoiseNeverLeavesItsRange) {
    for (int32_t max : {255, 32768, 1, 0}) {
        RandomSeed(uint32_t(max) * 7 + 3);
        int64_t sum = 0;
        const int draws = 100000;
        int32_t low = max, high = 0;
        for (int i = 0; i < draws; ++i) {
            const int32_t v = GrainNoiseValue(max);
            low = std::min(low, v);
            high = std::max(high, v);
            sum += v;
        }
        EXPECT_GE(low, 0) << max;
        EXPECT_LE(high, max) << max;
        if (max >= 255) {
            EXPECT_EQ(low, 0) << "the tails reach both ends";
            EXPECT_EQ(high, max);
            EXPECT_NEAR(double(sum) / draws, max / 2, max * 0.02) << "centred on half";
        }
    }
}

TEST_F(PoolJobsTest, GrainPassFillsThePlanesOfTheColourAmount) {
    const int32_t kWidth = 40, kRows = 30;
    // colour amount, then whether planes 0..3 are written
    const struct {
        int32_t amount;
        bool planes[4];
    } cases[] = {
        {0, {true, false, false, false}},
        {50, {true, true, true, true}},
        {100, {true, true, true, false}},
    };
    SetProcessorCountOverride(3);
    StartWorkerPool();
    for (const auto& c : cases) {
        ASSERT_EQ(CreateArray(kTarget, kWidth, kRows, 4, 2), 1);
        SetAllArrayElements(kTarget, 65535);  // outside every grain value
        SetParameters({kTarget, kWidth, kRows, c.amount, 1234, 32768});
        RunPoolRoutine(GrainPassJob, true, true);
        for (int32_t z = 0; z < 4; ++z) {
            int32_t written = 0;
            for (int32_t y = 0; y < kRows; ++y)
                for (int32_t x = 0; x < kWidth; ++x) {
                    const int32_t v = GetArrayElement(kTarget, x, y, z);
                    if (v != 65535) ++written;
                    EXPECT_TRUE(v == 65535 || v <= 32768);
                }
            EXPECT_EQ(written, c.planes[z] ? kWidth * kRows : 0)
                << "amount " << c.amount << " plane " << z;
        }
        // The same seed gives the same grain on the same thread count, whether the threads
        // claim rows as they come (with the barrier) or take equal runs of them (without).
        const JobOutput first = ArrayBytes(kTarget);
        RunPoolRoutine(GrainPassJob, true, true);
        EXPECT_EQ(ArrayBytes(kTarget), first);
        SetAllArrayElements(kTarget, 65535);
        RunPoolRoutine(GrainPassJob, true, false);
        EXPECT_EQ(ArrayBytes(kTarget), first) << "amount " << c.amount << " without the barrier";
    }
}

TEST_F(PoolJobsTest, GrainPassOnOneThreadDrawsFromTheSeed) {
    ASSERT_EQ(CreateArray(kTarget, 3, 2, 1, 1), 1);
    SetParameters({kTarget, 3, 2, 0, 77, 255});
    RunPoolRoutine(GrainPassJob, false, true);
    RandomSeed(77);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(GetArrayElement(kTarget, x, y, 0), GrainNoiseValue(255)) << x << "," << y;
}

TEST_F(PoolJobsTest, JobsNeverWritePastTheirArray) {
    // Parameters larger than the array, and arrays that are absent or too shallow.
    ASSERT_EQ(CreateArray(kTarget, 4, 2, 4, 1), 1);
    ASSERT_EQ(CreateArray(kSource, 4, 1, 1, 1), 1);  // the next block on the heap, maybe
    SetAllArrayElements(kSource, 9);
    SetParameters({kTarget, 1000, 1000, 50, 1, 255});
    RunPoolRoutine(GrainPassJob, true, true);
    SetParameters({kSource, 4, 1, 100, 1, 255});  // one plane: no room for colour grain
    RunPoolRoutine(GrainPassJob, true, true);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(GetArrayElement(kSource, x, 0, 0), 9);
    for (int32_t job : {-1, 100, 77}) {
        SetParameters({job, 4, 4, 50, 1, 255});
        RunPoolRoutine(GrainPassJob, true, true);
        SetParameters({job, 1});
        RunPoolRoutine(GradientMaskJob, true, false);
        SetParameters({job, 0, 10});
        RunPoolRoutine(NormaliseRangeJob, true, false);
        SetParameters({job, kSource, 1});
        RunPoolRoutine(ResampleJob, true, false);
    }
    SUCCEED();
}
}  // namespace
