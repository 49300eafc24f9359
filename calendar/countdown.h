#pragma once
#include "calendar/holidays.h"

#include <string>
#include <vector>

// What the calendar says about the days around a date: the days to the next
// festival of the statutory holidays, the break a day is in, and whether a
// year's schedule is published. Texts are UTF-8.
namespace vemora {

// The countdown for a day (today, as the clock and the calendar show it), over
// 元旦, 春节, 清明, 劳动节, 端午, 中秋 and 国庆 by their own dates (lunar for
// 春节, 端午 and 中秋, the solar term for 清明):
//   "今天是春节"               on the festival's own date;
//   "春节假期第3天，共8天"     on another day of the break the festival is in;
//   "距春节还有60天"           before it, counting to the first day of its
//                             break when its year's schedule is known and the
//                             break begins earlier (除夕 for 春节), else to the date.
// Empty beyond the Chinese calendar's range.
std::string FestivalCountdownText(const HolidayBook& book, int year, int month, int day);

// "2027年放假安排尚未公布" for a year whose schedule is not known; else empty.
std::string ScheduleNoteText(const HolidayBook& book, int year);

// The line for a day: "2027年2月8日 星期一 农历正月初三 休 春节": the date, the
// weekday, the lunar date, and 休 or 班 with its break's name when it is one.
std::string CalendarDayLine(const HolidayBook& book, int year, int month, int day);

// What the calendar pop-up says for its selected day, one line each: the day
// line, then the lines under the grid: the countdown from today and the note
// for the year of the month shown, each when there is one.
struct CalendarView {
    int selectedYear, selectedMonth, selectedDay;
    int todayYear, todayMonth, todayDay;
    int shownYear;
};
std::vector<std::string> CalendarPopupLines(const HolidayBook& book, const CalendarView& view);

// The lines under the grid alone (the pop-up paints the day line elsewhere).
std::vector<std::string> CalendarNoteLines(const HolidayBook& book, const CalendarView& view);

// The clock's tooltip: the date line of today, the countdown, and in the last
// two weeks of a year whose next year's schedule is not known, the note for it.
std::vector<std::string> ClockTipLines(const HolidayBook& book, int year, int month, int day);

} // namespace vemora
