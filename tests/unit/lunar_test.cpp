#include "calendar/lunar.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace vemora;

namespace {

struct Ymd {
    int y, m, d;
};

Ymd Next(Ymd t) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (t.y % 4 == 0 && t.y % 100 != 0) || t.y % 400 == 0;
    if (++t.d > (t.m == 2 && leap ? 29 : kDays[t.m - 1])) {
        t.d = 1;
        if (++t.m > 12) {
            t.m = 1;
            ++t.y;
        }
    }
    return t;
}

} // namespace

TEST(Lunar, EveryDayOfTheRangeFollowsTheDayBefore) {
    LunarDate prev = GregorianToLunar(1901, 1, 1);
    EXPECT_EQ(prev, (LunarDate{1900, 11, false, 11})); // 庚子年冬月十一
    int leapMonths = 0, termDays = 0, lastTerm = 0;
    for (Ymd t = Next({1901, 1, 1}); t.y <= 2100; t = Next(t)) {
        const LunarDate l = GregorianToLunar(t.y, t.m, t.d);
        if (l.day != 1) {
            EXPECT_EQ(l, (LunarDate{prev.year, prev.month, prev.leap, prev.day + 1}))
                << t.y << "-" << t.m << "-" << t.d;
        } else {
            EXPECT_GE(prev.day, 29);
            const bool intoLeap = l.leap && l.month == prev.month && !prev.leap && l.year == prev.year;
            const bool onward = !l.leap && (prev.month == 12 ? l.month == 1 && l.year == prev.year + 1
                                                             : l.month == prev.month + 1 && l.year == prev.year);
            EXPECT_TRUE(intoLeap || onward) << t.y << "-" << t.m << "-" << t.d;
            leapMonths += l.leap;
        }
        if (const int term = SolarTermOn(t.y, t.m, t.d)) {
            EXPECT_EQ(term, lastTerm % 24 + 1) << t.y << "-" << t.m << "-" << t.d;
            lastTerm = term;
            ++termDays;
        }
        prev = l;
    }
    EXPECT_EQ(prev, (LunarDate{2100, 12, false, 1}));
    EXPECT_EQ(termDays, 200 * 24);
    EXPECT_EQ(leapMonths, 73); // 7 in every 19 years
}

TEST(Lunar, SpringFestivalAndNewYearsEve) {
    const Ymd festivals[] = {
        {1901, 2, 19}, {1912, 2, 18}, {1949, 1, 29}, {1966, 1, 21}, {1979, 1, 28}, {1985, 2, 20}, {1988, 2, 17},
        {2000, 2, 5},  {2007, 2, 18}, {2020, 1, 25}, {2023, 1, 22}, {2024, 2, 10}, {2025, 1, 29}, {2026, 2, 17},
        {2027, 2, 6},  {2030, 2, 3},  {2033, 1, 31}, {2034, 2, 19}, {2050, 1, 23}, {2100, 2, 9},
    };
    for (const auto& [y, m, d] : festivals) {
        EXPECT_EQ(GregorianToLunar(y, m, d), (LunarDate{y, 1, false, 1})) << y;
        EXPECT_EQ(FestivalsOn(y, m, d).front(), "春节");
    }
    // 除夕 is the last day of the 12th month, 三十 or 廿九 (2025 to 2029 have no 三十).
    const struct {
        Ymd eve;
        int day;
    } eves[] = {
        {{2019, 2, 4}, 30},  {{2020, 1, 24}, 30}, {{2022, 1, 31}, 29}, {{2023, 1, 21}, 30}, {{2024, 2, 9}, 30},
        {{2025, 1, 28}, 29}, {{2026, 2, 16}, 29}, {{2027, 2, 5}, 29},  {{2028, 1, 25}, 29}, {{2029, 2, 12}, 29},
    };
    for (const auto& [eve, day] : eves) {
        EXPECT_EQ(GregorianToLunar(eve.y, eve.m, eve.d), (LunarDate{eve.y - 1, 12, false, day})) << eve.y;
        EXPECT_EQ(LunarCellText(eve.y, eve.m, eve.d), "除夕") << eve.y;
    }
}

TEST(Lunar, LeapMonths) {
    // The first day of each leap month, including 2033's 闰十一月.
    const struct {
        Ymd first;
        int month;
    } cases[] = {
        {{1984, 11, 23}, 10}, {{2017, 7, 23}, 6}, {{2020, 5, 23}, 4},
        {{2023, 3, 22}, 2},   {{2025, 7, 25}, 6}, {{2033, 12, 22}, 11},
    };
    for (const auto& [first, month] : cases) {
        EXPECT_EQ(GregorianToLunar(first.y, first.m, first.d), (LunarDate{first.y, month, true, 1})) << first.y;
        EXPECT_EQ(LunarCellText(first.y, first.m, first.d), LunarMonthName(month, true));
    }
    EXPECT_EQ(LunarMonthName(6, true), "闰六月");
    // 2034 has none: the month after 2033's leap month is the 12th.
    EXPECT_EQ(GregorianToLunar(2034, 1, 20), (LunarDate{2033, 12, false, 1}));
}

TEST(Lunar, MomentsNearMidnight) {
    // Solar terms and new moons within minutes of midnight, China Standard Time.
    const struct {
        Ymd day;
        int term;
    } terms[] = {
        {{2021, 12, 21}, 24}, // 冬至 at 23:59
        {{2008, 5, 21}, 10},  // 小满 at 00:00
        {{2019, 6, 21}, 12},  // 夏至 at 23:54
        {{2020, 12, 7}, 23},  // 大雪 at 00:09
        {{2016, 7, 7}, 13},   // 小暑 at 00:03
        {{2026, 2, 18}, 4},   // 雨水 at 23:51
        {{2026, 12, 7}, 23},  // 大雪
    };
    for (const auto& [day, term] : terms) {
        EXPECT_EQ(SolarTermOn(day.y, day.m, day.d), term) << day.y;
        EXPECT_EQ(SolarTermOn(day.y, day.m, day.d - 1), 0) << day.y;
        EXPECT_EQ(SolarTermOn(day.y, day.m, day.d + 1), 0) << day.y;
    }
    // New moons at 23:59 (2097-08-07) and 23:56 (2027-02-06).
    EXPECT_EQ(GregorianToLunar(2097, 8, 7), (LunarDate{2097, 7, false, 1}));
    EXPECT_EQ(GregorianToLunar(2027, 2, 6), (LunarDate{2027, 1, false, 1}));
}

TEST(Lunar, MonthsWhoseNewMoonIsAtMidnightBeginAsPublished) {
    const struct {
        const char* what;
        Ymd first;
        LunarDate date, dayBefore;
    } months[] = {
        // 1912-1928: the day of the new moon in Beijing time, UTC+7:45:40.
        {"1914-11-18 00:01:43 in UTC+8", {1914, 11, 17}, {1914, 10, false, 1}, {1914, 9, false, 29}},
        {"1916-02-04 00:05:16 in UTC+8", {1916, 2, 3}, {1916, 1, false, 1}, {1915, 12, false, 29}},
        {"1920-11-11 00:04:50 in UTC+8", {1920, 11, 10}, {1920, 10, false, 1}, {1920, 9, false, 29}},
        // Before 1912 as in UTC+8, though 8 min before midnight in Beijing time.
        {"1906-04-24 00:06:31 in UTC+8", {1906, 4, 24}, {1906, 4, false, 1}, {1906, 3, false, 30}},
        // 2 s before midnight by the ephemeris, within its error: the day after.
        {"2057-09-28 23:59:58 in UTC+8", {2057, 9, 29}, {2057, 9, false, 1}, {2057, 8, false, 30}},
    };
    for (const auto& [what, first, date, dayBefore] : months) {
        EXPECT_EQ(GregorianToLunar(first.y, first.m, first.d), date) << what;
        EXPECT_EQ(GregorianToLunar(first.y, first.m, first.d - 1), dayBefore) << what;
    }
    EXPECT_EQ(LunarCellText(1916, 2, 3), "春节");
}

TEST(Lunar, TextForms) {
    const char* days[] = {"初一", "初十", "十一", "十九", "二十", "廿一", "廿九", "三十"};
    const int numbers[] = {1, 10, 11, 19, 20, 21, 29, 30};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(LunarDayName(numbers[i]), days[i]);
    EXPECT_EQ(LunarMonthName(1, false), "正月");
    EXPECT_EQ(LunarMonthName(11, false), "冬月");
    EXPECT_EQ(LunarMonthName(12, false), "腊月");
    EXPECT_EQ(SexagenaryYearName(1984), "甲子年");
    EXPECT_EQ(SexagenaryYearName(2026), "丙午年");
    EXPECT_EQ(ZodiacAnimal(2026), "马");
    EXPECT_EQ(ZodiacAnimal(2033), "牛");
    EXPECT_EQ(SolarTermName(1), "小寒");
    EXPECT_EQ(SolarTermName(24), "冬至");

    EXPECT_EQ(LunarInfoLine(2026, 12, 7), "农历十月廿九 丙午年 马 大雪");
    EXPECT_EQ(DateTooltipText(2026, 12, 7), "2026年12月7日 星期一 农历十月廿九 大雪");
    // The lunar year changes at 春节, not on January 1.
    EXPECT_EQ(LunarInfoLine(2026, 2, 16), "农历腊月廿九 乙巳年 蛇 除夕");
    EXPECT_EQ(DateTooltipText(2020, 10, 1), "2020年10月1日 星期四 农历八月十五 中秋 国庆");
    EXPECT_EQ(DateTooltipText(2101, 1, 1), "2101年1月1日 星期六 元旦");
}

TEST(Lunar, CellTextByPriority) {
    const struct {
        Ymd day;
        const char* text;
    } cases[] = {
        {{2020, 10, 1}, "中秋"},   // lunar festival before 国庆
        {{2026, 10, 1}, "国庆"},   // festival
        {{2026, 9, 10}, "教师节"}, // public day
        {{2026, 4, 5}, "清明"},    // solar term
        {{2026, 3, 19}, "二月"},   // 初一
        {{2026, 12, 8}, "三十"},   // lunar day
        {{2026, 3, 3}, "元宵"},    {{2026, 6, 19}, "端午"}, {{2026, 8, 19}, "七夕"},  {{2026, 10, 18}, "重阳"},
        {{2027, 1, 15}, "腊八"},   {{2027, 1, 30}, "小年"}, {{2026, 3, 8}, "妇女节"}, {{2026, 8, 1}, "建军节"},
    };
    for (const auto& [day, text] : cases)
        EXPECT_EQ(LunarCellText(day.y, day.m, day.d), text) << day.y << "-" << day.m << "-" << day.d;
}

TEST(Lunar, EdgesOfTheRange) {
    EXPECT_THROW(GregorianToLunar(1900, 12, 31), std::out_of_range);
    EXPECT_THROW(GregorianToLunar(2101, 1, 1), std::out_of_range);
    EXPECT_THROW(GregorianToLunar(2100, 2, 29), std::out_of_range);
    EXPECT_EQ(SolarTermOn(1900, 12, 22), 0);
    EXPECT_EQ(LunarCellText(2101, 1, 2), "");
    EXPECT_EQ(LunarInfoLine(1900, 6, 1), "");
    EXPECT_EQ(SolarTermOn(2100, 12, 22), 24); // the last 冬至
}
