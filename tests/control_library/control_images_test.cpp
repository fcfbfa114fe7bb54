// Images without windows: the search along "PATH" and "VESK_PATH", the metafile layouts and
// sizes, and the looks of image buttons by name.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "dialog/control_images.h"

namespace {

std::vector<uint8_t> WindowsMetafile(uint32_t claimedWords, size_t bytes, bool placeable) {
    std::vector<uint8_t> data(bytes, 0);
    size_t at = 0;
    if (placeable) {
        data[0] = 0xD7, data[1] = 0xCD, data[2] = 0xC6, data[3] = 0x9A;
        at = kPlaceableHeaderBytes;
    }
    data[at] = 1;
    data[at + 2] = 9;
    for (int i = 0; i < 4; ++i) data[at + 6 + i] = uint8_t(claimedWords >> (8 * i));
    return data;
}

}  // namespace

TEST(ControlImages, FilesAreSoughtHereThenAlongPathThenAlongVeskPath) {
    struct Case {
        const char* name;
        std::set<std::string> files;
        const char* expected;
    };
    const Case cases[] = {
        {"a.bmp", {"a.bmp", "C:\\p1\\a.bmp"}, "a.bmp"},
        {"a.bmp", {"C:\\p2\\a.bmp"}, "C:\\p2\\a.bmp"},
        {"a.bmp", {"C:\\p1\\a.bmp", "C:\\p2\\a.bmp"}, "C:\\p1\\a.bmp"},
        {"a.bmp", {"D:\\v\\a.bmp", "C:\\p2\\a.bmp"}, "C:\\p2\\a.bmp"},
        {"a.bmp", {"D:\\v\\a.bmp"}, "D:\\v\\a.bmp"},
        {"a.bmp", {"E:\\w\\a.bmp"}, "E:\\w\\a.bmp"},
        {"a.bmp", {}, "a.bmp"},
    };
    for (const Case& c : cases) {
        auto exists = [&](const std::string& path) { return c.files.count(path) > 0; };
        EXPECT_EQ(FindImageFile(c.name, "C:\\p1;;C:\\p2\\", "D:\\v;E:\\w", exists), c.expected);
    }
}

TEST(ControlImages, MetafileLayoutsBySignatureAndSize) {
    std::vector<uint8_t> enhanced(120, 0);
    enhanced[0] = 1;
    enhanced[40] = 0x20, enhanced[41] = 0x45, enhanced[42] = 0x4D, enhanced[43] = 0x46;
    MetafileLayout layout = ReadMetafileLayout(enhanced.data(), enhanced.size());
    EXPECT_EQ(layout.kind, METAFILE_ENHANCED);
    EXPECT_EQ(layout.bytes, 120u);

    // A placeable header is skipped; the converter gets the size the header gives.
    auto placeable = WindowsMetafile(60, 150, true);
    layout = ReadMetafileLayout(placeable.data(), placeable.size());
    EXPECT_EQ(layout.kind, METAFILE_WINDOWS);
    EXPECT_EQ(layout.offset, kPlaceableHeaderBytes);
    EXPECT_EQ(layout.bytes, 120u);

    auto plain = WindowsMetafile(64, 128, false);
    layout = ReadMetafileLayout(plain.data(), plain.size());
    EXPECT_EQ(layout.kind, METAFILE_WINDOWS);
    EXPECT_EQ(layout.offset, 0u);
    EXPECT_EQ(layout.bytes, 128u);

    // One word more than the data holds, and a header too small to be one.
    auto claims = WindowsMetafile(65, 128, false);
    layout = ReadMetafileLayout(claims.data(), claims.size());
    EXPECT_EQ(layout.kind, METAFILE_TOO_SMALL);
    EXPECT_EQ(layout.bytes, 128u);
    EXPECT_EQ(layout.claimedBytes, 130u);
    auto tiny = WindowsMetafile(2, 128, false);
    EXPECT_EQ(ReadMetafileLayout(tiny.data(), tiny.size()).kind, METAFILE_TOO_SMALL);

    auto short99 = WindowsMetafile(40, 99, false);
    EXPECT_EQ(ReadMetafileLayout(short99.data(), short99.size()).kind, METAFILE_TOO_SHORT);
    EXPECT_EQ(ReadMetafileLayout(nullptr, 500).kind, METAFILE_TOO_SHORT);
}

TEST(ControlImages, ImageButtonLooksFollowTheName) {
    const struct {
        const char* name;
        ImageButtonLook look;
    } cases[] = {
        {"tool.bmp", IMAGE_LOOK_PLAIN},
        {"tool_off.bmp", IMAGE_LOOK_OFF},
        {"TOOL_OFF.BMP", IMAGE_LOOK_OFF},
        {"tool_grey.bmp", IMAGE_LOOK_GREY},
        {"arrow_up.bmp", IMAGE_LOOK_ARROW},
        {"C:\\x\\arrow_down.bmp", IMAGE_LOOK_ARROW},
        {"arrow_x_off.bmp", IMAGE_LOOK_ARROW},
        {"off.bmp", IMAGE_LOOK_PLAIN},
        {"tool_off_more.bmp", IMAGE_LOOK_PLAIN},
        {"my.arrow_up", IMAGE_LOOK_PLAIN},
        {"", IMAGE_LOOK_PLAIN},
        {nullptr, IMAGE_LOOK_PLAIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageButtonLookOf(c.name), c.look) << (c.name ? c.name : "(null)");
}

TEST(ControlImages, ImagesSitCentredAndMoveOnePixelWhenPressed) {
    const RECT button = {10, 20, 58, 60};  // 48 x 40
    RECT place = ImageButtonImageRect(IMAGE_LOOK_PLAIN, button, 24, 24, false);
    EXPECT_EQ(place.left, 22);
    EXPECT_EQ(place.top, 28);
    place = ImageButtonImageRect(IMAGE_LOOK_PLAIN, button, 24, 24, true);
    EXPECT_EQ(place.left, 23);
    EXPECT_EQ(place.top, 29);
    place = ImageButtonImageRect(IMAGE_LOOK_GREY, button, 24, 24, true);
    EXPECT_EQ(place.left, 22);
    EXPECT_EQ(place.bottom, 52);
    // A picture larger than its button is centred all the same (and cut by the button).
    place = ImageButtonImageRect(IMAGE_LOOK_OFF, button, 60, 40, false);
    EXPECT_EQ(place.left, 4);
    EXPECT_EQ(place.top, 20);
}

TEST(ControlImages, GreyLookTakesTheLuminanceLiftedHalfwayToWhite) {
    EXPECT_EQ(ImageButtonGrey(RGB(0, 0, 0)), RGB(127, 127, 127));
    EXPECT_EQ(ImageButtonGrey(RGB(255, 255, 255)), RGB(255, 255, 255));
    // 200, 30, 40: luminance (59800 + 17610 + 4560) / 1000 = 81, lifted (81 + 255) / 2.
    EXPECT_EQ(ImageButtonGrey(RGB(200, 30, 40)), RGB(168, 168, 168));
}
