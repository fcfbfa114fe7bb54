// The about box's text and the placing of its picture for the three drawing modes.

#include <gtest/gtest.h>

#include <string>

#include "dialog/about_box.h"

TEST(AboutBox, TextHasTheFourLines) {
    EXPECT_EQ(std::string(AboutText()), "Quillmoor\nGreyloom 2.0\nB&W Effects\nwww.quillmoor.com");
}

TEST(AboutBox, PictureOnceTiledOrStretched) {
    RECT places[16];
    ASSERT_EQ(AboutPicturePlaces(ABOUT_PICTURE_ONCE, 160, 100, 300, 180, places, 16), 1);
    EXPECT_EQ(places[0].right, 160);
    EXPECT_EQ(places[0].bottom, 100);
    ASSERT_EQ(AboutPicturePlaces(ABOUT_PICTURE_STRETCHED, 160, 100, 300, 180, places, 16), 1);
    EXPECT_EQ(places[0].right, 300);
    EXPECT_EQ(places[0].bottom, 180);
    // 300 x 180 needs two columns and two rows of 160 x 100; the last copy is cut by the box.
    ASSERT_EQ(AboutPicturePlaces(ABOUT_PICTURE_TILED, 160, 100, 300, 180, places, 16), 4);
    EXPECT_EQ(places[3].left, 160);
    EXPECT_EQ(places[3].top, 100);
    // More copies than room: the count is still told, no rectangle is written past the end.
    EXPECT_EQ(AboutPicturePlaces(ABOUT_PICTURE_TILED, 10, 10, 300, 180, places, 16), 30 * 18);
    EXPECT_EQ(AboutPicturePlaces(ABOUT_PICTURE_TILED, 0, 100, 300, 180, places, 16), 0);
}
