#include "calendar/countdown.h"

#include "base/datetime.h"
#include "calendar/lunar_table.h"

#include <algorithm>

namespace vemora {

using lunar_table::DayNumber;

namespace {

constexpr const char* kFestivalNames[] = {"元旦", "春节", "清明", "劳动节", "端午", "中秋", "国庆"};
constexpr int kQingmingTerm = 7;
// A break is never longer than this on either side of its festival.
constexpr int kLongestBreak = 40;

struct MonthDay {
    int month, day;
};

// The first day from `from` to `to` of a year on which `is` holds; nothing
// when none does.
template <typename Test> std::optional<int> FindDay(int year, MonthDay from, MonthDay to, Test is) {
    for (int n = DayNumber(year, from.month, from.day); n <= DayNumber(year, to.month, to.day); ++n) {
        const DateParts d = DecodeDate(EncodeDate(1970, 1, 1) + n);
        if (InLunarRange(d.year, d.month, d.day) && is(d))
            return n;
    }
    return std::nullopt;
}

std::optional<int> LunarDayIn(int year, int lunarMonth, int lunarDay, MonthDay from, MonthDay to) {
    return FindDay(year, from, to, [&](const DateParts& d) {
        const LunarDate l = GregorianToLunar(d.year, d.month, d.day);
        return l.year == year && l.month == lunarMonth && !l.leap && l.day == lunarDay;
    });
}

// A festival's own date in a year, as a day number. The lunar ones are
// searched where they can fall: 正月初一 from January 21 to February 20, 五月初五
// from late May to late June, 八月十五 from early September to early October.
std::optional<int> FestivalDate(int festival, int year) {
    switch (festival) {
    case 0:
        return DayNumber(year, 1, 1);
    case 1:
        return LunarDayIn(year, 1, 1, {1, 15}, {2, 28});
    case 2:
        return FindDay(year, {4, 1}, {4, 10},
                       [](const DateParts& d) { return SolarTermOn(d.year, d.month, d.day) == kQingmingTerm; });
    case 3:
        return DayNumber(year, 5, 1);
    case 4:
        return LunarDayIn(year, 5, 5, {5, 15}, {7, 5});
    case 5:
        return LunarDayIn(year, 8, 15, {8, 25}, {10, 15});
    default:
        return DayNumber(year, 10, 1);
    }
}

bool DayOff(const HolidayBook& book, int n) {
    const DateParts d = DecodeDate(EncodeDate(1970, 1, 1) + n);
    return ArrangementOf(book, d.year, d.month, d.day) == DayArrangement::Holiday;
}

// A festival of a year: its date and the days of its break (the date alone
// when its year's schedule is unknown or the date is no day off).
struct Occasion {
    int festival;
    int date, first, last;
};

std::vector<Occasion> OccasionsOf(const HolidayBook& book, int year) {
    std::vector<Occasion> out;
    if (year < kLunarFirstYear || year > kLunarLastYear)
        return out;
    for (int f = 0; f < 7; ++f) {
        const std::optional<int> date = FestivalDate(f, year);
        if (!date)
            continue;
        Occasion o{f, *date, *date, *date};
        if (book.YearKnown(year) && DayOff(book, *date)) {
            while (o.first > *date - kLongestBreak && DayOff(book, o.first - 1))
                --o.first;
            while (o.last < *date + kLongestBreak && DayOff(book, o.last + 1))
                ++o.last;
        }
        out.push_back(o);
    }
    return out;
}

// The names of the festivals that pass the test, in the year's order: "中秋、国庆".
template <typename Test> std::string Names(const std::vector<Occasion>& occasions, Test pass) {
    std::string names;
    for (const Occasion& o : occasions)
        if (pass(o))
            names += (names.empty() ? "" : "、") + std::string(kFestivalNames[o.festival]);
    return names;
}

} // namespace

std::string FestivalCountdownText(const HolidayBook& book, int year, int month, int day) {
    if (!InLunarRange(year, month, day))
        return "";
    const int today = DayNumber(year, month, day);
    std::vector<Occasion> occasions = OccasionsOf(book, year);
    for (const Occasion& o : OccasionsOf(book, year + 1))
        occasions.push_back(o);

    if (const std::string on = Names(occasions, [&](const Occasion& o) { return o.date == today; }); !on.empty())
        return "今天是" + on;
    for (const Occasion& in : occasions)
        if (in.first <= today && today <= in.last) {
            const std::string names =
                Names(occasions, [&](const Occasion& o) { return o.first == in.first && o.last == in.last; });
            return names + "假期第" + std::to_string(today - in.first + 1) + "天，共" +
                   std::to_string(in.last - in.first + 1) + "天";
        }
    int next = 0;
    for (const Occasion& o : occasions)
        if (o.first > today && (next == 0 || o.first < next))
            next = o.first;
    if (next == 0)
        return "";
    return "距" + Names(occasions, [&](const Occasion& o) { return o.first == next; }) + "还有" +
           std::to_string(next - today) + "天";
}

std::string ScheduleNoteText(const HolidayBook& book, int year) {
    return book.YearKnown(year) ? "" : std::to_string(year) + "年放假安排尚未公布";
}

std::string CalendarDayLine(const HolidayBook& book, int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        return "";
    std::string line = std::to_string(year) + "年" + std::to_string(month) + "月" + std::to_string(day) + "日 " +
                       WeekdayName(DayOfWeekSundayFirst(EncodeDate(year, month, day)) - 1);
    if (InLunarRange(year, month, day)) {
        const LunarDate l = GregorianToLunar(year, month, day);
        line += " 农历" + LunarMonthName(l.month, l.leap) + LunarDayName(l.day);
    }
    const DayStatus status = book.StatusOf(year, month, day);
    if (status.arrangement != DayArrangement::Ordinary) {
        line += status.arrangement == DayArrangement::Holiday ? " 休" : " 班";
        if (!status.name.empty())
            line += " " + status.name;
    }
    return line;
}

std::vector<std::string> CalendarNoteLines(const HolidayBook& book, const CalendarView& view) {
    std::vector<std::string> lines;
    for (std::string line : {FestivalCountdownText(book, view.todayYear, view.todayMonth, view.todayDay),
                             ScheduleNoteText(book, view.shownYear)})
        if (!line.empty())
            lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> CalendarPopupLines(const HolidayBook& book, const CalendarView& view) {
    std::vector<std::string> lines{CalendarDayLine(book, view.selectedYear, view.selectedMonth, view.selectedDay)};
    for (std::string& line : CalendarNoteLines(book, view))
        lines.push_back(std::move(line));
    return lines;
}

// The last two weeks of a year: December 18 to 31.
std::vector<std::string> ClockTipLines(const HolidayBook& book, int year, int month, int day) {
    std::vector<std::string> lines{DateTooltipText(year, month, day)};
    if (std::string countdown = FestivalCountdownText(book, year, month, day); !countdown.empty())
        lines.push_back(std::move(countdown));
    if (month == 12 && day >= 18)
        if (std::string note = ScheduleNoteText(book, year + 1); !note.empty())
            lines.push_back(std::move(note));
    return lines;
}

} // namespace vemora
