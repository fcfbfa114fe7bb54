// The plain render's fused pixel loop against the two steps it stands for: the standard luma
// of each pixel, then the three grey-to-output rows, at both depths, on row widths around
// the loop's own store width, with pixel steps of 3 and 4 samples and in place.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/grey_lookup_row.h"
#include "render/pixel_weights.h"

namespace {
// Rows whose values reach past the sample's range (a cast keeps their low bits) and differ
// per channel, so that a channel written to the wrong place shows.
void MakeRows(int32_t max, std::vector<int32_t> (&rows)[3]) {
    for (int32_t c = 0; c < 3; ++c) {
        rows[c].resize(size_t(max) + 1);
        for (int32_t g = 0; g <= max; ++g) rows[c][size_t(g)] = (g * (c + 3) + 7 * c) % (max + 9);
    }
}

template <typename Sample>
std::vector<Sample> Pixels(int32_t count, int32_t step, int32_t max, uint32_t seed) {
    std::vector<Sample> v(size_t(count) * step);
    for (Sample& s : v) {
        seed = seed * 1664525u + 1013904223u;
        s = Sample((seed >> 8) % uint32_t(max + 1));
    }
    return v;
}

template <typename Sample>
void CheckWidths(int32_t max) {
    std::vector<int32_t> rows[3];
    MakeRows(max, rows);
    std::vector<uint64_t> packed;
    GreyLookupPack<Sample>(rows, packed);
    for (int32_t count : {1, 2, 7, 8, 15, 16, 17, 33}) {
        for (int32_t sourceStep : {3, 4}) {
            for (int32_t outputStep : {3, 4}) {
                const std::vector<Sample> source = Pixels<Sample>(count, sourceStep, max, count);
                // The sample past each pixel's three must stay as it was.
                std::vector<Sample> output = Pixels<Sample>(count, outputStep, max, 99);
                std::vector<Sample> expected = output;
                for (int32_t i = 0; i < count; ++i) {
                    const Sample* p = &source[size_t(i) * sourceStep];
                    const int32_t g = Luma709(p[0], p[1], p[2]);
                    for (int32_t c = 0; c < 3; ++c)
                        expected[size_t(i) * outputStep + c] = Sample(rows[c][size_t(g)]);
                }
                GreyLookupRow(source.data(), sourceStep, output.data(), outputStep, count,
                              packed.data());
                EXPECT_EQ(output, expected) << count << " pixels, steps " << sourceStep << " and "
                                            << outputStep << ", max " << max;
                if (sourceStep != outputStep) continue;
                std::vector<Sample> inPlace = source;
                GreyLookupRow(inPlace.data(), sourceStep, inPlace.data(), outputStep, count,
                              packed.data());
                for (int32_t i = 0; i < count; ++i)
                    for (int32_t c = 0; c < outputStep; ++c) {
                        const size_t at = size_t(i) * outputStep + c;
                        EXPECT_EQ(inPlace[at], c < 3 ? expected[at] : source[at])
                            << "in place: pixel " << i << " of " << count << ", max " << max;
                    }
            }
        }
    }
}

TEST(GreyLookupRow, EqualsLumaThenThreeLookupsAtEveryWidthAndStep) {
    CheckWidths<uint8_t>(255);
    CheckWidths<uint16_t>(32768);
}

TEST(GreyLookupRow, LumaOfTheExtremesReachesBothEndsOfTheRows) {
    std::vector<int32_t> rows[3];
    MakeRows(32768, rows);
    std::vector<uint64_t> packed;
    GreyLookupPack<uint16_t>(rows, packed);
    const uint16_t source[6] = {0, 0, 0, 32768, 32768, 32768};
    uint16_t output[6] = {};
    GreyLookupRow(source, 3, output, 3, 2, packed.data());
    for (int32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(output[c], uint16_t(rows[c][0]));
        EXPECT_EQ(output[3 + c], uint16_t(rows[c][32768]));
    }
}
}  // namespace
