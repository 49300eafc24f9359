#include "app/placement.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(Placement, CompanionsByTheClock) {
    const ScreenRect clock{1050, 0, 1280, 55}; // 230 x 55 at the top right of a 1280-pixel screen
    struct Case {
        Companion companion;
        int width;
        ScreenPoint at;
    };
    const Case cases[] = {
        {Companion::WeatherStrip, 461, {1050, 47}},
        {Companion::Calendar, 153, {1060, 90}},
        {Companion::Horoscope, 300, {1040, 55}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompanionPlace(c.companion, clock, c.width, 1280), c.at) << static_cast<int>(c.companion);
    EXPECT_EQ(CompanionPlace(Companion::Horoscope, {40, 500, 270, 555}, 300, 1280), (ScreenPoint{1040, 555}))
        << "the panel keeps to the screen's edge wherever the clock is";
}
