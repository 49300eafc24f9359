#include "app/clocktick.h"

#include <gtest/gtest.h>

#include <random>

using namespace vemora;

TEST(ClockTick, TimeTextFollowsTheLocale) {
    TimeFormat chinese; // 24-hour, ":" separator, no leading zero
    EXPECT_EQ(FormatTimeText(chinese, 9, 5, 7), "9:05:07");
    EXPECT_EQ(FormatTimeText(chinese, 21, 5, 7), "21:05:07");
    TimeFormat zeroed;
    zeroed.leadingZero = true;
    EXPECT_EQ(FormatTimeText(zeroed, 9, 0, 0), "09:00:00");
    TimeFormat us;
    us.twelveHour = true;
    EXPECT_EQ(FormatTimeText(us, 0, 0, 1), "12:00:01 AM");
    EXPECT_EQ(FormatTimeText(us, 13, 0, 0), "1:00:00 PM");
    TimeFormat first = us;
    first.designatorFirst = true;
    first.amDesignator = "\xC9\xCF\xCE\xE7"; // 上午
    EXPECT_EQ(FormatTimeText(first, 11, 0, 0), "\xC9\xCF\xCE\xE7 11:00:00");
    TimeFormat dotted;
    dotted.separator = ".";
    EXPECT_EQ(FormatTimeText(dotted, 11, 0, 0), "11.00.00");
}

TEST(ClockTick, TailTable) {
    struct Case {
        std::string text;
        bool wake, weather;
        bool shake, refresh, redraw;
    };
    const Case cases[] = {
        {"11:00:00", true, false, true, false, false},  {"11:00:01", true, true, true, false, false},
        {"11:00:00", false, true, false, false, true},  {"11:00:02", true, true, false, true, true},
        {"11:00:02", false, false, false, false, true}, {"11:00:03", true, true, false, false, true},
        {"9:00:00", true, false, true, false, false},   {"10:59:59", true, true, false, false, true},
        // A locale whose tail never matches: redraw only.
        {"11.00.00", true, true, false, false, true},   {"11:00:00 AM", true, true, false, false, true},
        {"0:00:02", true, true, false, true, true},
    };
    for (const Case& c : cases) {
        const TickPlan p = PlanTick(TimeTail(c.text), c.wake, c.weather);
        EXPECT_EQ(p.shake, c.shake) << c.text;
        EXPECT_EQ(p.refreshWeather, c.refresh) << c.text;
        EXPECT_EQ(p.redraw, c.redraw) << c.text;
    }
    // Shakes at 11:00:00 and 11:00:01; the clock shows 10:59:59 until 11:00:02.
    EXPECT_EQ(TimeTail("1:00"), "1:00");
}

TEST(ClockTick, ActionFallsDueStrictlyAfterItsTime) {
    EXPECT_FALSE(ActionDue(true, 100.5, 100.5));
    EXPECT_TRUE(ActionDue(true, 100.5000001, 100.5));
    EXPECT_FALSE(ActionDue(false, 200, 100.5));
}

TEST(ClockTick, ShakeDrawsAreFairAndInThatOrder) {
    // Each of the four draws must give its two values with equal chances, and the
    // steps must come out as size times sign.
    std::mt19937 engine(12345);
    int asked = 0;
    auto random = [&](int n) {
        ++asked;
        return std::uniform_int_distribution<int>(0, n - 1)(engine);
    };
    const int kDraws = 40000;
    int histX[3] = {}, histY[3] = {};
    for (int i = 0; i < kDraws; ++i) {
        ShakeStep s = NextShakeStep(random);
        ASSERT_TRUE(s.dx >= -1 && s.dx <= 1 && s.dy >= -1 && s.dy <= 1);
        ++histX[s.dx + 1];
        ++histY[s.dy + 1];
    }
    EXPECT_EQ(asked, 4 * kDraws);
    // Stay put 1/2, each direction 1/4; allow five standard deviations.
    for (int* hist : {histX, histY}) {
        EXPECT_NEAR(hist[1], kDraws / 2, 5 * 100);
        EXPECT_NEAR(hist[0], kDraws / 4, 5 * 87);
        EXPECT_NEAR(hist[2], kDraws / 4, 5 * 87);
    }
    // The order of the draws: size x, size y, sign x, sign y (2 means -1).
    int script[] = {1, 0, 1, 0};
    int at = 0;
    ShakeStep s = NextShakeStep([&](int) { return script[at++]; });
    EXPECT_EQ(s.dx, -1);
    EXPECT_EQ(s.dy, 0);
}

TEST(ClockTick, FontAtStartKeepsAnInstalledChoice) {
    const std::string yaHei = "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", songTi = "\xCB\xCE\xCC\xE5";
    const std::vector<std::string> withYaHei{"Arial", "Tahoma", songTi, yaHei};
    const std::vector<std::string> withoutYaHei{"Arial", "Tahoma", songTi};
    struct Case {
        std::string stored;
        const std::vector<std::string>* installed;
        std::string expected;
    } cases[] = {
        // The user's installed choice survives; family names ignore ASCII case.
        {"Tahoma", &withYaHei, "Tahoma"},
        {"tahoma", &withYaHei, "tahoma"},
        {songTi, &withYaHei, songTi},
        // Not installed: the preferred one, unless there is nothing better.
        {"NoSuchFont", &withYaHei, yaHei},
        {"NoSuchFont", &withoutYaHei, "NoSuchFont"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClockFontAtStart(c.stored, *c.installed, yaHei), c.expected) << c.stored;
}
