#pragma once
#include <string>
#include <vector>

// The Chinese calendar of mainland China from 1901-01-01 to 2100-12-31: lunar
// dates, the 24 solar terms, festivals and the statutory holiday arrangements.
// Texts are UTF-8; the Windows shell turns them into UTF-16 to draw them.
namespace vemora {

struct LunarDate {
    int year;  // the Gregorian year in which this lunar year's 正月初一 falls
    int month; // 1..12
    bool leap; // a leap month (闰月) repeating `month`
    int day;   // 1..30
    bool operator==(const LunarDate&) const = default;
};

constexpr int kLunarFirstYear = 1901, kLunarLastYear = 2100;

// True for a valid Gregorian date from 1901-01-01 to 2100-12-31.
bool InLunarRange(int year, int month, int day);

// The lunar date of a day of the supported range; std::out_of_range beyond it.
// A month begins on the day of its new moon in UTC+8; from 1912 to 1928 in
// Beijing's local mean time (UTC+7:45:40), for which the calendars of those
// years were computed.
LunarDate GregorianToLunar(int year, int month, int day);

// The solar term (节气) whose moment falls on this Gregorian day in China
// Standard Time (UTC+8): 1 = 小寒, 2 = 大寒, 3 = 立春, ..., 24 = 冬至; 0 = none,
// and 0 for every day beyond the supported range.
int SolarTermOn(int year, int month, int day);

// The statutory arrangement of a day in mainland China.
enum class DayArrangement { Ordinary, Holiday, Workday };
// Holiday: a day of an officially announced holiday break (its weekend days
// included). Workday: a weekend day officially made a working day (调休上班).
// From the built-in data, 2008 to 2026; every other day is Ordinary. Overrides
// from holidays.txt go through a HolidayBook (calendar/holidays.h).
DayArrangement ArrangementOf(int year, int month, int day);

// "正月" .. "十月", "冬月", "腊月"; a leap month "闰六月".
std::string LunarMonthName(int month, bool leap);
// "初一" .. "初十", "十一" .. "二十", "廿一" .. "廿九", "三十".
std::string LunarDayName(int day);
// "星期日" .. "星期六" for 0 (Sunday) .. 6; empty otherwise.
std::string WeekdayName(int dayOfWeek);
// The sexagenary name of a lunar year, "丙午年" for 2026.
std::string SexagenaryYearName(int lunarYear);
// The zodiac animal of a lunar year, "马" for 2026.
std::string ZodiacAnimal(int lunarYear);
// "小寒" .. "冬至" for 1..24; empty otherwise.
std::string SolarTermName(int term);

// The festivals and commemorative days of a date, most important first: the
// lunar festivals (春节, 元宵, 端午, 七夕, 中秋, 重阳, 腊八, 小年, 除夕), then
// 元旦, 劳动节, 国庆, then 妇女节, 青年节, 儿童节, 建党节, 建军节, 教师节.
// Lunar festivals only within the supported range.
std::vector<std::string> FestivalsOn(int year, int month, int day);

// The short text under a day of the month grid: its first festival, else its
// solar term, else the lunar month's name on 初一, else the lunar day. Empty
// beyond the supported range.
std::string LunarCellText(int year, int month, int day);
// The full line for a day: "农历十月廿九 丙午年 马 大雪", with its festivals
// and its solar term at the end. Empty beyond the supported range.
std::string LunarInfoLine(int year, int month, int day);
// "2026年12月7日 星期一 农历十月廿九 大雪": the date, weekday, lunar date and the
// day's festivals and term. Without the lunar part beyond the supported range.
std::string DateTooltipText(int year, int month, int day);

} // namespace vemora
