#include "calendar/holidays.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vemora;

namespace {

constexpr auto kOrdinary = DayArrangement::Ordinary, kHoliday = DayArrangement::Holiday,
               kWorkday = DayArrangement::Workday;

int Weekday(int y, int m, int d) { // 0 = Sunday (Zeller)
    if (m < 3) {
        m += 12;
        --y;
    }
    return (d + 13 * (m + 1) / 5 + y + y / 4 - y / 100 + y / 400 + 6) % 7;
}

std::string GbkToUtf8ByIconv(std::string_view gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    std::string in(gbk), out(gbk.size() * 2 + 4, '\0');
    char* i = in.data();
    char* o = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    iconv(cd, &i, &inLeft, &o, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

TEST(Holidays, BuiltInDays) {
    const struct {
        int y, m, d;
        DayArrangement expected;
    } cases[] = {
        {2007, 12, 29, kWorkday}, {2008, 2, 6, kHoliday},   {2008, 2, 3, kWorkday},  {2015, 9, 3, kHoliday},
        {2015, 9, 6, kWorkday},   {2019, 5, 4, kHoliday},   {2020, 2, 1, kHoliday},  {2020, 2, 2, kHoliday},
        {2020, 2, 3, kOrdinary},  {2023, 4, 4, kOrdinary},  {2023, 4, 5, kHoliday},  {2024, 2, 9, kOrdinary},
        {2024, 2, 18, kWorkday},  {2026, 1, 4, kWorkday},   {2026, 2, 14, kWorkday}, {2026, 2, 23, kHoliday},
        {2026, 2, 24, kOrdinary}, {2026, 3, 7, kOrdinary},  {2026, 9, 20, kWorkday}, {2026, 10, 7, kHoliday},
        {2026, 10, 8, kOrdinary}, {2026, 10, 10, kWorkday}, {2027, 1, 1, kOrdinary}, {2026, 2, 30, kOrdinary},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArrangementOf(c.y, c.m, c.d), c.expected) << c.y << "-" << c.m << "-" << c.d;
}

TEST(Holidays, EveryYearHasItsFestivalsOffAndWorksOnlyWeekends) {
    for (int y = 2008; y <= 2026; ++y) {
        int festivals = 0;
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 31; ++d) {
                if (!InLunarRange(y, m, d))
                    continue;
                const std::vector<std::string> f = FestivalsOn(y, m, d);
                const auto has = [&](const char* name) { return std::find(f.begin(), f.end(), name) != f.end(); };
                if (has("元旦") || has("春节") || has("劳动节") || has("端午") || has("中秋") || has("国庆") ||
                    SolarTermOn(y, m, d) == 7) {
                    EXPECT_EQ(ArrangementOf(y, m, d), kHoliday) << y << "-" << m << "-" << d;
                    ++festivals;
                }
                if (ArrangementOf(y, m, d) == kWorkday) {
                    EXPECT_TRUE(Weekday(y, m, d) == 0 || Weekday(y, m, d) == 6) << y << "-" << m << "-" << d;
                }
            }
        EXPECT_GE(festivals, 6) << y; // 中秋 and 国庆 may share a day
    }
}

TEST(Holidays, FileOverridesTheBuiltInDays) {
    const HolidayFile file = ParseHolidayFile("\xEF\xBB\xBF# 2027\r\n"
                                              "2027-01-01 休\r\n"
                                              "\r\n"
                                              "2027-2-7\t班  # 调休\r\n"
                                              "2026-02-14　休\r\n"
                                              "2026-10-08 班\n"
                                              "2026-10-08 休");
    EXPECT_TRUE(file.problems.empty()) << file.problems.front();
    EXPECT_FALSE(file.gbk);
    EXPECT_EQ(file.book.size(), 4u);
    EXPECT_EQ(ArrangementOf(file.book, 2027, 1, 1), kHoliday);
    EXPECT_EQ(ArrangementOf(file.book, 2027, 2, 7), kWorkday);
    EXPECT_EQ(ArrangementOf(file.book, 2026, 2, 14), kHoliday); // built in: a working Saturday
    EXPECT_EQ(ArrangementOf(file.book, 2026, 10, 8), kHoliday); // the later line wins
    EXPECT_EQ(ArrangementOf(file.book, 2026, 2, 28), kWorkday); // untouched built-in day
    EXPECT_EQ(ArrangementOf(2026, 2, 14), kWorkday);
}

TEST(Holidays, FileInGbk) {
    const std::string bytes = Gbk("# 春节\n2027-02-06 休\n2027-02-20　班\n2027-02-21 假\n");
    const HolidayFile quoted = ParseHolidayFile(bytes, GbkToUtf8ByIconv);
    EXPECT_TRUE(quoted.gbk);
    EXPECT_EQ(ArrangementOf(quoted.book, 2027, 2, 6), kHoliday);
    EXPECT_EQ(ArrangementOf(quoted.book, 2027, 2, 20), kWorkday);
    ASSERT_EQ(quoted.problems.size(), 1u);
    EXPECT_EQ(quoted.problems[0], "holidays.txt 第 4 行无法识别：2027-02-21 假（标记只能是“休”或“班”）");
    EXPECT_EQ(ParseHolidayFile(bytes).problems[0],
              "holidays.txt 第 4 行无法识别：2027-02-21 ?（标记只能是“休”或“班”）");
}

TEST(Holidays, EachLineIsReadInItsOwnEncoding) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> problems;
    } files[] = {
        {"a damaged byte, then a UTF-8 line",
         "\xFB\x0A\x32\x30\x32\x37\x2D\x31\x2D\x31\x20\xE4\xBC\x91",
         {"holidays.txt 第 1 行无法识别：?（日期应写成 2027-01-01 这样）"}},
        {"a GBK comment among UTF-8 lines", "2027-01-01 休\n" + Gbk("# 春节调休\n") + "2027-02-07 班\n", {}},
        {"a GBK comment after a UTF-8 entry", "2027-01-01 休  " + Gbk("# 元旦") + "\n2027-02-07 班\n", {}},
        {"a GBK line whose bytes are UTF-8 too", "2027-02-07 班\n" + Gbk("2027-01-01 休\n"), {}},
        {"a UTF-8 line in a GBK file", Gbk("# 春节\n2027-02-07 班\n") + "2027-01-01 休\n", {}},
    };
    for (const auto& f : files) {
        const HolidayFile file = ParseHolidayFile(f.bytes);
        EXPECT_EQ(file.problems, f.problems) << f.what;
        EXPECT_EQ(ArrangementOf(file.book, 2027, 1, 1), kHoliday) << f.what;
    }
    // A line reported as unreadable in either encoding leaves its day as it was.
    const HolidayFile bad = ParseHolidayFile("2027-01-01 班\n2027-01-01 休" + Gbk("假") + "\n");
    EXPECT_EQ(bad.problems.size(), 1u);
    EXPECT_EQ(ArrangementOf(bad.book, 2027, 1, 1), kWorkday);
}

TEST(Holidays, BadLinesAreReportedAndSkipped) {
    const HolidayFile file = ParseHolidayFile("2027-02-30 休\n"
                                              "2027/01/01 休\n"
                                              "27-01-01 休\n"
                                              "2101-01-01 休\n"
                                              "2027-01-02\n"
                                              "2027-01-03 上班\n"
                                              "2027-01-04 休 班\n"
                                              "\x01\x02 junk\n"
                                              "2027-01-05 休\n");
    const std::vector<std::string> expected = {
        "holidays.txt 第 1 行无法识别：2027-02-30 休（没有这一天）",
        "holidays.txt 第 2 行无法识别：2027/01/01 休（日期应写成 2027-01-01 这样）",
        "holidays.txt 第 3 行无法识别：27-01-01 休（日期应写成 2027-01-01 这样）",
        "holidays.txt 第 4 行无法识别：2101-01-01 休（年份应在 1901 到 2100 之间）",
        "holidays.txt 第 5 行无法识别：2027-01-02（日期后缺少“休”或“班”）",
        "holidays.txt 第 6 行无法识别：2027-01-03 上班（标记只能是“休”或“班”）",
        "holidays.txt 第 7 行无法识别：2027-01-04 休 班（标记后有多余的内容）",
        "holidays.txt 第 8 行无法识别：?? junk（日期应写成 2027-01-01 这样）",
    };
    EXPECT_EQ(file.problems, expected);
    EXPECT_EQ(file.book.size(), 1u);
    EXPECT_EQ(ArrangementOf(file.book, 2027, 1, 5), kHoliday);
}

TEST(Holidays, HugeFilesAreCut) {
    std::string lines;
    for (int i = 0; i < 6000; ++i)
        lines += i < 30 ? "bad\n" : "2027-01-01 休\n";
    const HolidayFile many = ParseHolidayFile(lines);
    ASSERT_EQ(many.problems.size(), 22u);
    EXPECT_EQ(many.problems[20], "holidays.txt 超过 5000 行，第 5001 行起未读");
    EXPECT_EQ(many.problems[21], "holidays.txt 另有 10 行无法识别");
    EXPECT_EQ(ArrangementOf(many.book, 2027, 1, 1), kHoliday);

    const HolidayFile big = ParseHolidayFile("2027-01-01 休\n" + std::string(300 * 1024, '#'));
    ASSERT_EQ(big.problems.size(), 1u);
    EXPECT_EQ(big.problems[0], "holidays.txt 超过 256 KB，其后的内容未读");
    EXPECT_EQ(ArrangementOf(big.book, 2027, 1, 1), kHoliday);

    const HolidayFile longLine = ParseHolidayFile(std::string(100, 'x'));
    EXPECT_EQ(longLine.problems[0],
              "holidays.txt 第 1 行无法识别：" + std::string(40, 'x') + "…（日期应写成 2027-01-01 这样）");
}
