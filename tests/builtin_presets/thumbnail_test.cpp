// The thumbnail bevel against a picture worked out by hand.

#include <gtest/gtest.h>

#include <vector>

#include "effect/preset_thumbnails.h"

namespace {
TEST(ThumbnailBevel, FramesTheSourceWithThreeShades) {
    // 8 x 7 thumbnail around a 4 x 3 source whose pixels are 10, 11, ... (one per pixel).
    const int32_t w = 8, h = 7;
    std::vector<uint8_t> src(4 * 3 * 3);
    for (int32_t i = 0; i < 12; ++i)
        src[size_t(i) * 3] = src[size_t(i) * 3 + 1] = src[size_t(i) * 3 + 2] = uint8_t(10 + i);
    const int32_t A = 241, B = 218, C = 185;
    const int32_t golden[7][8] = {
        {A, A, A, A, A, A, A, A},     {A, 10, 11, 12, 13, C, B, A}, {A, 14, 15, 16, 17, C, B, A},
        {A, 18, 19, 20, 21, C, B, A}, {A, C, C, C, C, C, B, A},     {A, B, B, B, B, B, B, A},
        {A, A, A, A, A, A, A, A},
    };
    std::vector<uint8_t> dst(size_t(w) * h * 3, 7);
    ThumbnailBevel(dst.data(), src.data(), w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int32_t ch = 0; ch < 3; ++ch)
                EXPECT_EQ(dst[(size_t(y) * w + x) * 3 + ch], golden[y][x]) << x << "," << y;
}

TEST(ThumbnailBevel, SkinBrightnessScalesTheShades) {
    const ThumbnailBevelShades plain = ThumbnailBevelShadesFor(0, 100);
    EXPECT_EQ(plain.outer, 241);
    EXPECT_EQ(plain.second, 218);
    EXPECT_EQ(plain.third, 185);
    const ThumbnailBevelShades dark = ThumbnailBevelShadesFor(1, 128);
    EXPECT_EQ(dark.outer, 241 * 128 / 255);
    EXPECT_EQ(dark.third, 185 * 128 / 255);
}

TEST(ThumbnailBevel, TinyAndMissingPicturesWriteOnlyTheFrame) {
    std::vector<uint8_t> dst(4 * 4 * 3, 0);
    ThumbnailBevel(dst.data(), nullptr, 4, 4);  // no room for a picture
    EXPECT_EQ(dst[0], 241);
    ThumbnailBevel(nullptr, nullptr, 4, 4);  // nothing to write into: nothing happens
}
}  // namespace
