// Pixel routines over an image in memory: single samples of both depths, RGBA words and the
// selection mask.

#include <gtest/gtest.h>

#include "builtins/image_fixture.h"
#include "host/pixel_access.h"
#include "host/pixel_builtins.h"

namespace {
TEST(PixelAccess, OutputSamplesAreClampedAndStayInsideTheRectangle) {
    for (bool sixteen : {false, true}) {
        SCOPED_TRACE(sixteen ? "16 bits" : "8 bits");
        TestImage image = {4, 3, 3, sixteen, {}, {}, {}};
        AttachTestImage(image);
        gContext.currentLeft = 1;  // the rectangle is columns 1..3 of the output buffer
        gContext.outData = image.out.data() + image.planes * image.SampleBytes();
        const auto put = sixteen ? PutOutputPixel16 : PutOutputPixel8;
        const auto get = sixteen ? GetOutputPixel16 : GetOutputPixel8;
        const int32_t max = sixteen ? 32768 : 255;
        const struct {
            int32_t x, y, channel, value, returned;
            bool stored;
        } cases[] = {
            {2, 1, 0, 77, 77, true},  {3, 2, 2, max + 900, max, true},
            {1, 0, 1, -40, 0, true},  {0, 1, 0, 50, 50, false},  // left of the rectangle
            {4, 1, 0, 50, 50, false}, {2, 3, 0, 50, 50, false},
            {2, 1, 3, 50, 50, false}, {2, 1, -1, 50, 50, false},
        };
        for (const auto& c : cases) {
            std::vector<uint8_t> before = image.out;
            EXPECT_EQ(put(c.x, c.y, c.channel, c.value), c.returned) << c.x << "," << c.y;
            if (c.stored)
                EXPECT_EQ(image.Out(c.x, c.y, c.channel), c.returned);  // buffer column x
            else
                EXPECT_EQ(image.out, before) << "nothing stored at " << c.x << "," << c.y;
        }
        EXPECT_EQ(get(2, 1, 0), 77);
        EXPECT_EQ(get(-10, -10, 1), 0);  // clamped to (1, 0)
        EXPECT_EQ(get(99, 99, 2), max);  // clamped to (3, 2)
        EXPECT_EQ(get(2, 1, 3), 0);
    }
}

TEST(PixelAccess, SourceSamplesAreClampedIntoTheImage) {
    for (bool sixteen : {false, true}) {
        TestImage image = {3, 3, 3, sixteen, {}, {}, {}};
        AttachTestImage(image);
        image.SetIn(0, 0, 0, 11);
        image.SetIn(2, 2, 2, 99);
        const auto get = sixteen ? GetSourcePixel16 : GetSourcePixel8;
        EXPECT_EQ(get(-10, -10, 0), 11);
        EXPECT_EQ(get(50, 7, 2), 99);
        EXPECT_EQ(get(1, 1, -1), 0);
        EXPECT_EQ(get(1, 1, 3), sixteen ? 32768 : 255) << "no fourth plane reads opaque";
        EXPECT_EQ(get(1, 1, 4), 0);
    }
}

TEST(PixelWords, SourceAndOutputWordsHoldRedLowest) {
    const struct {
        int32_t planes;
        bool sixteen;
        int32_t samples[4];
        uint32_t word;
    } cases[] = {
        {3, false, {0x12, 0x34, 0x56, 0}, 0xFF563412u},
        {4, false, {0x12, 0x34, 0x56, 0x78}, 0x78563412u},
        {1, false, {0x9A, 0, 0, 0}, 0xFF9A9A9Au},
        {2, false, {0x9A, 0x40, 0, 0}, 0x409A9A9Au},
        {3, true, {32768, 16384, 0, 0}, 0xFF0080FFu},
    };
    for (const auto& c : cases) {
        TestImage image = {3, 2, c.planes, c.sixteen, {}, {}, {}};
        AttachTestImage(image);
        for (int32_t ch = 0; ch < c.planes; ++ch) {
            image.SetIn(2, 1, ch, c.samples[ch]);  // the image's last pixel
            image.SetOut(2, 1, ch, c.samples[ch]);
        }
        EXPECT_EQ(GetSourceRgba(2, 1), c.word) << c.planes << " planes";
        EXPECT_EQ(GetSourceRgba(40, 40), c.word) << "clamped";
        EXPECT_EQ(GetOutputRgba(2, 1), c.word);
        EXPECT_EQ(GetOutputRgba(9, -9), GetOutputRgba(2, 0));
    }
}

TEST(PixelWords, PutWritesOnlyThePlanesTheOutputHas) {
    // Grey output: one byte per pixel; the neighbours stay untouched.
    TestImage grey = {3, 1, 1, false, {}, {}, {}};
    AttachTestImage(grey);
    EXPECT_EQ(PutOutputRgba(1, 0, 0xFF332211u), 1);
    EXPECT_EQ(grey.out, (std::vector<uint8_t>{0, 0x11, 0}));
    // RGB: three bytes, no transparency to write.
    TestImage rgb = {2, 1, 3, false, {}, {}, {}};
    AttachTestImage(rgb);
    PutOutputRgba(5, 5, 0x80332211u);  // clamped to (1, 0)
    EXPECT_EQ(rgb.out, (std::vector<uint8_t>{0, 0, 0, 0x11, 0x22, 0x33}));
    // RGBA: a top byte of 0 keeps the pixel's transparency.
    TestImage rgba = {1, 1, 4, false, {}, {}, {}};
    AttachTestImage(rgba);
    rgba.SetOut(0, 0, 3, 0x44);
    PutOutputRgba(0, 0, 0x00030201u);
    EXPECT_EQ(rgba.out, (std::vector<uint8_t>{1, 2, 3, 0x44}));
    PutOutputRgba(0, 0, 0x7F030201u);
    EXPECT_EQ(rgba.Out(0, 0, 3), 0x7F);
    // 16 bits: 8-bit components scaled up.
    TestImage deep = {1, 1, 3, true, {}, {}, {}};
    AttachTestImage(deep);
    PutOutputRgba(0, 0, 0x0000FF80u);
    EXPECT_EQ(deep.Out(0, 0, 0), 16448);
    EXPECT_EQ(deep.Out(0, 0, 1), 32768);
    EXPECT_EQ(deep.Out(0, 0, 2), 0);
}

TEST(PixelWords, SelectionMask) {
    TestImage image = {3, 2, 3, false, {}, {}, {}};
    AttachTestImage(image, true);
    image.mask[1 * 3 + 2] = 0x5A;
    EXPECT_EQ(SelectionMaskValue(2, 1), 0x5A);
    EXPECT_EQ(SelectionMaskValue(0, 0), 0);
    EXPECT_EQ(SelectionMaskValue(-1, 0), 0);
    EXPECT_EQ(SelectionMaskValue(3, 1), 0);
    AttachTestImage(image, false);
    EXPECT_EQ(SelectionMaskValue(2, 1), 255);
    EXPECT_EQ(SelectionMaskValue(2, 2), 0) << "outside the image";
}
}  // namespace
