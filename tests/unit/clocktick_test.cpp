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

TEST(ClockTick, HourlyAlertAndRefreshFollowTheTimeItself) {
    // Each tick gives S (shake, no redraw), R (weather refresh, then redraw) or
    // . (redraw). The hour comes from the time, never from the text, so a
    // 12-hour or dotted format changes nothing here.
    struct Tick {
        int day, h, m, s;
    };
    struct Case {
        const char* what;
        bool wake, weather;
        std::vector<Tick> ticks;
        const char* plan;
    };
    const Case cases[] = {
        {"on the second",
         true,
         true,
         {{7, 10, 59, 59}, {7, 11, 0, 0}, {7, 11, 0, 1}, {7, 11, 0, 2}, {7, 11, 0, 3}},
         ".SSR."},
        {"no alert", false, true, {{7, 11, 0, 0}, {7, 11, 0, 1}, {7, 11, 0, 2}, {7, 11, 0, 3}}, "..R."},
        {"no weather", true, false, {{7, 11, 0, 0}, {7, 11, 0, 1}, {7, 11, 0, 2}}, "SS."},
        {"midnight into the next day", true, true, {{7, 23, 59, 59}, {8, 0, 0, 0}, {8, 0, 0, 2}}, ".SR"},
        {"seconds 0 to 2 missed: a late tick of the minute still fires",
         true,
         true,
         {{7, 10, 59, 59}, {7, 11, 0, 4}, {7, 11, 0, 5}, {7, 11, 0, 6}},
         ".SR."},
        {"second 2 missed", false, true, {{7, 11, 0, 1}, {7, 11, 0, 3}, {7, 11, 0, 4}}, ".R."},
        {"the whole first minute missed", true, true, {{7, 10, 59, 59}, {7, 11, 1, 0}}, ".."},
        {"once an hour, even when a second comes again",
         true,
         true,
         {{7, 11, 0, 2}, {7, 11, 0, 3}, {7, 11, 0, 2}, {7, 12, 0, 2}},
         "SR.S"},
    };
    for (const Case& c : cases) {
        HourlyState state;
        std::string plan;
        for (const Tick& t : c.ticks) {
            const TickPlan p = PlanTick({2026, 12, t.day, t.h, t.m, t.s, 0, 1}, c.wake, c.weather, state);
            EXPECT_EQ(p.redraw, !p.shake) << c.what;
            plan += p.shake ? 'S' : p.refreshWeather ? 'R' : '.';
        }
        EXPECT_EQ(plan, c.plan) << c.what;
    }
}

TEST(ClockTick, AResumeIntoAnotherHourRefreshesOnce) {
    const DateTimeParts before{2026, 12, 7, 10, 59, 59, 0, 1};
    struct Case {
        DateTimeParts now;
        bool weather, refresh;
    };
    const Case cases[] = {
        {{2026, 12, 7, 11, 20, 0, 0, 1}, true, true},
        {{2026, 12, 8, 10, 30, 0, 0, 2}, true, true}, // the same hour a day later
        {{2026, 12, 7, 10, 59, 59, 900, 1}, true, false},
        {{2026, 12, 7, 11, 20, 0, 0, 1}, false, false},
    };
    for (const Case& c : cases) {
        HourlyState state;
        EXPECT_EQ(RefreshAfterResume(before, c.now, c.weather, state), c.refresh) << c.now.day << " " << c.now.hour;
        if (c.refresh) {
            DateTimeParts firstMinute = c.now;
            firstMinute.minute = 0;
            firstMinute.second = 30;
            EXPECT_FALSE(PlanTick(firstMinute, false, true, state).refreshWeather) << "not a second time";
        }
    }
}

TEST(ClockTick, EachSecondOnceWhateverTheTickCosts) {
    for (auto [ms, delay] : {std::pair{0, 1003}, {997, 6}, {999, 4}, {500, 503}, {-5, 1003}, {1500, 4}})
        EXPECT_EQ(NextTickDelayMs(ms), delay) << ms;
    // Start at any phase; each tick costs up to 800 ms (a shake, a slow render)
    // and the timer may come up to 15 ms late: every second still comes once.
    std::mt19937 engine(3);
    long long t = 12270, lastSecond = 11;
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(t / 1000, lastSecond + 1) << "tick " << i << " at " << t;
        lastSecond = t / 1000;
        const long long done = t + std::uniform_int_distribution<int>(0, 800)(engine);
        t = done + NextTickDelayMs(static_cast<int>(done % 1000)) + std::uniform_int_distribution<int>(0, 15)(engine);
    }
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

TEST(ClockTick, StartFontAlwaysDrawsAndNamesTheMissingOne) {
    const std::string yaHei = "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", songTi = "\xCB\xCE\xCC\xE5";
    const std::string messageFont = "Segoe UI";
    const std::vector<std::string> both{"Arial", "Tahoma", songTi, yaHei};
    const std::vector<std::string> songTiOnly{"Arial", songTi};
    const std::vector<std::string> neither{"Arial"};
    struct Case {
        const char* name;
        std::optional<std::string> stored;
        const std::vector<std::string>* installed;
        StartFont expected;
    } cases[] = {
        // A first start, or a file without Font: no message.
        {"first start", std::nullopt, &both, {yaHei, ""}},
        {"first start without YaHei", std::nullopt, &songTiOnly, {songTi, ""}},
        {"first start without either", std::nullopt, &neither, {messageFont, ""}},
        {"empty Font", "", &both, {yaHei, ""}},
        // A stored font that is installed is kept, in its own spelling.
        {"stored SongTi", songTi, &both, {songTi, ""}},
        {"stored, other case", "tahoma", &both, {"tahoma", ""}},
        // Not installed: the first installed fallback, and the missing one named.
        {"missing", "NoSuchFont", &both, {yaHei, "NoSuchFont"}},
        {"missing, no YaHei", "NoSuchFont", &songTiOnly, {songTi, "NoSuchFont"}},
        {"stored SongTi on a system without it", songTi, &neither, {messageFont, songTi}},
        {"garbled", "\xE7\x80\xB9", &neither, {messageFont, "\xE7\x80\xB9"}},
    };
    for (const Case& c : cases) {
        const StartFont font = ChooseStartFont(c.stored, *c.installed, messageFont);
        EXPECT_EQ(font.family, c.expected.family) << c.name;
        EXPECT_EQ(font.missing, c.expected.missing) << c.name;
    }
    EXPECT_EQ(MissingFontText("NoSuchFont", "微软雅黑"),
              "找不到字体“NoSuchFont”，时钟暂用“微软雅黑”显示；请在设置中另选一种字体");
}
