// The order of the two tab areas: the shifts that exchange them, and back again.

#include "effect/tab_area.h"

#include <gtest/gtest.h>

namespace {

TEST(TabAreaShifts, ExchangingTwiceGivesThePlacesBack) {
    // main tab y, height; side tab y, height (dialog units)
    const struct {
        int32_t mainY, mainHeight, sideY, sideHeight;
    } cases[] = {{20, 174, 199, 90}, {20, 300, 325, 60}, {5, 10, 20, 10}};
    for (const auto& c : cases) {
        const TabAreaShifts up =
            TabAreaShiftsFor(c.mainY, c.mainHeight, c.sideY, c.sideHeight, true);
        const int32_t mainY = c.mainY + up.main, sideY = c.sideY + up.side;
        EXPECT_EQ(sideY, c.mainY) << "the side tab takes the main tab's top";
        EXPECT_EQ(mainY, sideY + c.sideHeight + 5) << "the main tab 5 units under it";
        const TabAreaShifts down =
            TabAreaShiftsFor(mainY, c.mainHeight, sideY, c.sideHeight, false);
        EXPECT_EQ(mainY + down.main, c.mainY);
        EXPECT_EQ(sideY + down.side, c.mainY + c.mainHeight + 5);
        const TabAreaShifts again =
            TabAreaShiftsFor(mainY, c.mainHeight, sideY, c.sideHeight, true);
        EXPECT_EQ(again.main, 0) << "applying the order it has moves nothing";
        EXPECT_EQ(again.side, 0);
    }
}

}  // namespace
