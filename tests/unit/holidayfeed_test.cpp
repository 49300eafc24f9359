#include "calendar/countdown.h"
#include "app/alarmdays.h"
#include "calendar/holidayfeed.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace vemora;

namespace {

constexpr auto kOrdinary = DayArrangement::Ordinary, kHoliday = DayArrangement::Holiday,
               kWorkday = DayArrangement::Workday;

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(VEMORA_FIXTURES) + "/holidays/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Day(const std::string& date, const std::string& name, bool off) {
    return R"({"name":")" + name + R"(","date":")" + date + R"(","isOffDay":)" + (off ? "true" : "false") + "}";
}

std::string File(int year, const std::vector<std::string>& days) {
    std::string text = R"({"year":)" + std::to_string(year) + R"(,"papers":[],"days":[)";
    for (size_t i = 0; i < days.size(); ++i)
        text += (i ? "," : "") + days[i];
    return text + "]}";
}

YearSchedule Parsed(const std::string& body, int year) {
    const ParsedSchedule parsed = ParseYearSchedule(body, year);
    EXPECT_TRUE(parsed) << body;
    return parsed.schedule;
}

} // namespace

TEST(HolidaySchedule, RefusesBadAnswersWhole) {
    std::vector<std::string> sixtyOne;
    for (int i = 0; i < 61; ++i)
        sixtyOne.push_back(Day("2027-03-01", "春节", true));
    const struct {
        const char* what;
        std::string body;
        ScheduleProblem problem;
    } cases[] = {
        {"the recorded file", Fixture("2027.json"), ScheduleProblem::None},
        {"not published", Fixture("2027-empty.json"), ScheduleProblem::None},
        {"cut short", Fixture("2027-broken.json"), ScheduleProblem::NotJson},
        {"an error page", "<html>404</html>", ScheduleProblem::NotJson},
        {"no days", R"({"year":2027})", ScheduleProblem::NotASchedule},
        {"a day without isOffDay", R"({"year":2027,"days":[{"name":"元旦","date":"2027-01-01"}]})",
         ScheduleProblem::NotASchedule},
        {"another year's file", File(2026, {Day("2026-01-01", "元旦", true)}), ScheduleProblem::WrongYear},
        {"a day two months out", File(2027, {Day("2026-10-31", "元旦", true)}), ScheduleProblem::DateOutOfRange},
        {"the last December day before", File(2027, {Day("2026-12-01", "元旦", true)}), ScheduleProblem::None},
        {"the last January day after", File(2027, {Day("2028-01-31", "春节", false)}), ScheduleProblem::None},
        {"February the 30th", File(2027, {Day("2027-02-30", "春节", true)}), ScheduleProblem::DateOutOfRange},
        {"sixty-one days", File(2027, sixtyOne), ScheduleProblem::TooManyDays},
        {"an empty name", File(2027, {Day("2027-01-01", "", true)}), ScheduleProblem::BadName},
        {"a name of 41 characters", File(2027, {Day("2027-01-01", std::string(41, 'x'), true)}),
         ScheduleProblem::BadName},
        {"a long joined name",
         File(2027, {Day("2027-10-01", "中国人民抗日战争暨世界反法西斯战争胜利70周年纪念日", true)}),
         ScheduleProblem::None},
    };
    for (const auto& c : cases) {
        const ParsedSchedule parsed = ParseYearSchedule(c.body, 2027);
        EXPECT_EQ(parsed.problem, c.problem) << c.what;
        if (c.problem != ScheduleProblem::None)
            EXPECT_TRUE(parsed.schedule.days.empty()) << c.what;
    }
    EXPECT_EQ(Parsed(Fixture("2027.json"), 2027).days.size(), 34u);
}

// holidays.txt > fetched > built-in, per day; a fetched year with days stands
// for the whole year; its neighbours lend December and January days.
TEST(HolidaySchedule, MergesTheThreeSources) {
    HolidayBook book;
    book.Set(2027, 2, 14, kHoliday); // the user's own day
    book.SetFetched(Parsed(Fixture("2027.json"), 2027));
    book.SetFetched(Parsed(File(2026, {Day("2026-10-08", "国庆节", true)}), 2026)); // a change within the year
    book.SetFetched(Parsed(File(2028, {Day("2027-12-31", "元旦", true), Day("2028-01-01", "元旦", true)}), 2028));
    const struct {
        int y, m, d;
        DayArrangement expected;
        const char* name;
    } cases[] = {
        {2027, 2, 8, kHoliday, "春节"}, {2027, 2, 20, kWorkday, "春节"},   {2027, 2, 14, kHoliday, ""},
        {2027, 3, 1, kOrdinary, ""},    {2027, 12, 31, kHoliday, "元旦"},  {2026, 10, 8, kHoliday, "国庆节"},
        {2026, 10, 7, kOrdinary, ""},   {2025, 10, 8, kHoliday, "国庆节"}, {2028, 1, 1, kHoliday, "元旦"},
    };
    for (const auto& c : cases) {
        const DayStatus status = book.StatusOf(c.y, c.m, c.d);
        EXPECT_EQ(status.arrangement, c.expected) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(status.name, c.name) << c.y << "-" << c.m << "-" << c.d;
    }

    HolidayBook unknown;
    unknown.SetFetched(Parsed(Fixture("2027-empty.json"), 2027));
    const struct {
        const HolidayBook& book;
        int year;
        bool known;
    } years[] = {{unknown, 2026, true}, {unknown, 2027, false}, {unknown, 2028, false},
                 {book, 2027, true},    {book, 2028, true},     {unknown, 2007, false}};
    for (const auto& y : years) {
        EXPECT_EQ(y.book.YearKnown(y.year), y.known) << y.year;
        // The alarms go by the same years: a fetched schedule decides its working days.
        EXPECT_EQ(CalendarWorkingDays(y.book).YearKnown(y.year), y.known) << y.year;
    }
    HolidayBook typed;
    typed.Set(2029, 1, 1, kHoliday);
    EXPECT_TRUE(typed.YearKnown(2029)) << "the user typed in the notice";
}

TEST(HolidayFeed, WhenToAsk) {
    const std::int64_t start = LocalSeconds(2026, 12, 8, 9, 30, 0);
    const std::int64_t hour = 3600, day = 24 * hour;
    const int minute = 14 * 60 + 37;
    const struct {
        const char* what;
        int month, day;
        std::map<int, HolidayYearCheck> years;
        std::set<int> known;
        int failures;
        std::int64_t lastFailureAt;
        bool inFlight;
        int year;
        std::int64_t at;
    } cases[] = {
        {"an unknown year at start", 12, 8, {}, {2026}, 0, 0, false, 2027, start},
        {"before October 15 the next year is not wanted", 10, 14, {}, {2026}, 0, 0, false, 2026, start},
        {"a known year never checked", 10, 14, {}, {2026}, 0, 0, false, 2026, start},
        {"unknown, asked today: tomorrow at the install's minute",
         12,
         8,
         {{2026, {start - day, true}}, {2027, {start - hour, true}}},
         {2026},
         0,
         0,
         false,
         2027,
         LocalSeconds(2026, 12, 8, 14, 37, 0)},
        {"unknown, answered after yesterday's minute: today at it",
         12,
         8,
         {{2026, {start, true}}, {2027, {LocalSeconds(2026, 12, 7, 15, 0, 0), true}}},
         {2026},
         0,
         0,
         false,
         2027,
         LocalSeconds(2026, 12, 8, 14, 37, 0)},
        {"unknown, answered before this run: at start",
         12,
         8,
         {{2026, {start, true}}, {2027, {start - hour, false}}},
         {2026},
         0,
         0,
         false,
         2027,
         start},
        {"known, a week after its answer",
         12,
         8,
         {{2026, {start - 2 * day, true}}, {2027, {start - day, true}}},
         {2026, 2027},
         0,
         0,
         false,
         2026,
         start + 5 * day},
        {"an answer from the future counts as none",
         12,
         8,
         {{2026, {start + day, true}}, {2027, {start, true}}},
         {2026, 2027},
         0,
         0,
         false,
         2026,
         start},
        {"one failure waits an hour", 12, 8, {}, {2026}, 1, start, false, 2027, start + hour},
        {"three failures wait four hours", 12, 8, {}, {2026}, 3, start, false, 2027, start + 4 * hour},
        {"back-off ends at a day", 12, 8, {}, {2026}, 9, start, false, 2027, start + day},
        {"one request at a time", 12, 8, {}, {2026}, 0, 0, true, 0, 0},
    };
    for (const auto& c : cases) {
        HolidayCheckInput in;
        in.now = start;
        in.year = 2026;
        in.month = c.month;
        in.day = c.day;
        in.minuteOfDay = minute;
        in.years = c.years;
        in.known = c.known;
        in.failures = c.failures;
        in.lastFailureAt = c.lastFailureAt;
        in.inFlight = c.inFlight;
        const HolidayCheck check = NextHolidayCheck(in);
        EXPECT_EQ(check.year, c.year) << c.what;
        EXPECT_EQ(check.at, c.at) << c.what;
    }
    for (std::uint64_t seed : {0ull, 1ull, 23ull, 24ull, 1415ull, 0xFFFFFFFFFFFFFFFFull})
        EXPECT_NE(HolidayMinuteOfDay(seed) % 60, 0) << seed;
}

TEST(HolidayFeed, KeptFileIsWholeOrNothing) {
    KeptHolidays kept;
    kept[2027] = {Parsed(Fixture("2027.json"), 2027), 1796000000};
    kept[2028] = {Parsed(Fixture("2027-empty.json"), 2027), 1796000100};
    kept[2028].schedule.year = 2028;
    const std::string text = SerializeKeptHolidays(kept);
    EXPECT_EQ(ParseKeptHolidays(text), kept);
    for (size_t cut : {text.size() - 2, text.size() - 20, text.size() / 2, size_t{0}})
        EXPECT_FALSE(ParseKeptHolidays(text.substr(0, cut))) << cut;
    std::string changed = text;
    changed[changed.find("春节")] = 'X';
    EXPECT_FALSE(ParseKeptHolidays(changed));
}

TEST(HolidayFeed, AddressesFromTheSetting) {
    const struct {
        const char* setting;
        std::vector<std::string> urls;
    } cases[] = {
        {"",
         {"https://cdn.jsdelivr.net/gh/NateScarlet/holiday-cn@master/2027.json",
          "https://fastly.jsdelivr.net/gh/NateScarlet/holiday-cn@master/2027.json",
          "https://raw.githubusercontent.com/NateScarlet/holiday-cn/master/2027.json"}},
        {"http://127.0.0.1:8080/ ; https://b.example/h",
         {"http://127.0.0.1:8080/2027.json", "https://b.example/h/2027.json"}},
        {"ftp://x;nonsense",
         {"https://cdn.jsdelivr.net/gh/NateScarlet/holiday-cn@master/2027.json",
          "https://fastly.jsdelivr.net/gh/NateScarlet/holiday-cn@master/2027.json",
          "https://raw.githubusercontent.com/NateScarlet/holiday-cn/master/2027.json"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HolidayYearUrls(c.setting, 2027), c.urls) << c.setting;
}

TEST(Countdown, ToTheNextFestival) {
    HolidayBook book; // 2026 built in, 2027 fetched
    book.SetFetched(Parsed(Fixture("2027.json"), 2027));
    HolidayBook unknown; // 2027 not published
    const struct {
        const HolidayBook& book;
        int y, m, d;
        const char* text;
    } cases[] = {
        {book, 2026, 12, 8, "距元旦还有24天"},
        {book, 2026, 12, 31, "距元旦还有1天"},
        {book, 2027, 1, 1, "今天是元旦"},
        {book, 2027, 1, 3, "元旦假期第3天，共3天"},
        {book, 2027, 1, 4, "距春节还有32天"},    // to 除夕, the break's first day
        {unknown, 2027, 1, 4, "距春节还有33天"}, // no schedule: to the festival's date
        {book, 2027, 2, 4, "距春节还有1天"},
        {book, 2027, 2, 5, "春节假期第1天，共8天"},
        {book, 2027, 2, 6, "今天是春节"},
        {book, 2027, 2, 8, "春节假期第4天，共8天"},
        {book, 2027, 2, 13, "距清明还有49天"},
        {book, 2027, 4, 5, "今天是清明"},
        {book, 2027, 6, 8, "距端午还有1天"},
        {book, 2027, 9, 15, "今天是中秋"},
        {book, 2027, 10, 3, "国庆假期第3天，共7天"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FestivalCountdownText(c.book, c.y, c.m, c.d), c.text) << c.y << "-" << c.m << "-" << c.d;
}

TEST(Countdown, PopupLines) {
    HolidayBook book;
    book.SetFetched(Parsed(Fixture("2027.json"), 2027));
    EXPECT_EQ(CalendarPopupLines(book, {2027, 2, 8, 2027, 1, 4, 2027}),
              (std::vector<std::string>{"2027年2月8日 星期一 农历正月初三 休 春节", "距春节还有32天"}));
    HolidayBook unknown;
    EXPECT_EQ(
        CalendarPopupLines(unknown, {2027, 2, 20, 2026, 12, 8, 2027}),
        (std::vector<std::string>{"2027年2月20日 星期六 农历正月十五", "距元旦还有24天", "2027年放假安排尚未公布"}));
    EXPECT_EQ(ClockTipLines(unknown, 2026, 12, 18).back(), "2027年放假安排尚未公布");
    EXPECT_EQ(ClockTipLines(unknown, 2026, 12, 17).size(), 2u);
    EXPECT_EQ(ClockTipLines(book, 2026, 12, 31).size(), 2u);
}
