#include "calendar/lunar.h"

#include "calendar/lunar_table.h"

#include <stdexcept>

namespace vemora {

using lunar_table::DayNumber;

namespace {

constexpr const char* kMonthNames[12] = {"正月", "二月", "三月", "四月", "五月", "六月",
                                         "七月", "八月", "九月", "十月", "冬月", "腊月"};
constexpr const char* kDigits[11] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
constexpr const char* kStems[10] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
constexpr const char* kBranches[12] = {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
constexpr const char* kAnimals[12] = {"鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪"};
constexpr const char* kTermNames[24] = {"小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨",
                                        "立夏", "小满", "芒种", "夏至", "小暑", "大暑", "立秋", "处暑",
                                        "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};
constexpr const char* kWeekdays[7] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

int NewYearDay(int lunarYear) {
    const std::uint32_t entry = lunar_table::kYears[lunarYear - lunar_table::kFirstYear];
    return DayNumber(lunarYear, 1, 1) + static_cast<int>(entry >> 17 & 63);
}

// A lunar date and whether it is the last day of its lunar year (除夕).
struct LunarDay {
    LunarDate date;
    bool yearsLastDay;
};

// The caller has checked the range.
LunarDay Decode(int year, int month, int day) {
    const int n = DayNumber(year, month, day);
    int lunarYear = year;
    int start = NewYearDay(lunarYear);
    if (n < start) {
        --lunarYear;
        start = NewYearDay(lunarYear);
    }
    const std::uint32_t entry = lunar_table::kYears[lunarYear - lunar_table::kFirstYear];
    const int leap = static_cast<int>(entry >> 13 & 15);
    const int count = leap ? 13 : 12;
    int offset = n - start;
    for (int i = 0; i < count; ++i) {
        const int length = 29 + static_cast<int>(entry >> i & 1);
        if (offset < length) {
            // In order: months 1 .. leap, the leap month, then leap + 1 .. 12.
            const bool isLeap = leap && i == leap;
            const int number = leap && i >= leap ? i : i + 1;
            return {{lunarYear, number, isLeap, offset + 1}, i == count - 1 && offset == length - 1};
        }
        offset -= length;
    }
    throw std::logic_error("lunar table: a year shorter than the days it holds");
}

std::string Extras(int year, int month, int day) {
    std::string text;
    for (const std::string& f : FestivalsOn(year, month, day))
        text += " " + f;
    if (const int term = SolarTermOn(year, month, day))
        text += " " + SolarTermName(term);
    return text;
}

std::string LunarDateText(const LunarDate& d) {
    return "农历" + LunarMonthName(d.month, d.leap) + LunarDayName(d.day);
}

} // namespace

bool InLunarRange(int year, int month, int day) {
    return year >= kLunarFirstYear && year <= kLunarLastYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysIn(year, month);
}

LunarDate GregorianToLunar(int year, int month, int day) {
    if (!InLunarRange(year, month, day))
        throw std::out_of_range("no lunar date for this day");
    return Decode(year, month, day).date;
}

int SolarTermOn(int year, int month, int day) {
    if (!InLunarRange(year, month, day))
        return 0;
    const std::uint64_t bits = lunar_table::kTerms[year - lunar_table::kFirstTermYear];
    // Each month holds two terms: 小寒 and 大寒 in January, and so on.
    for (int i = 2 * (month - 1); i < 2 * month; ++i)
        if (lunar_table::kTermBase[i] + static_cast<int>(bits >> (2 * i) & 3) == day)
            return i + 1;
    return 0;
}

std::string LunarMonthName(int month, bool leap) {
    if (month < 1 || month > 12)
        return {};
    return (leap ? "闰" : "") + std::string(kMonthNames[month - 1]);
}

std::string LunarDayName(int day) {
    if (day < 1 || day > 30)
        return {};
    if (day <= 10)
        return std::string("初") + kDigits[day];
    if (day < 20)
        return std::string("十") + kDigits[day - 10];
    if (day == 20)
        return "二十";
    if (day < 30)
        return std::string("廿") + kDigits[day - 20];
    return "三十";
}

std::string WeekdayName(int dayOfWeek) {
    return dayOfWeek >= 0 && dayOfWeek <= 6 ? kWeekdays[dayOfWeek] : "";
}

std::string SexagenaryYearName(int lunarYear) {
    // 4 CE was a 甲子 year.
    const int cycle = ((lunarYear - 4) % 60 + 60) % 60;
    return std::string(kStems[cycle % 10]) + kBranches[cycle % 12] + "年";
}

std::string ZodiacAnimal(int lunarYear) {
    return kAnimals[((lunarYear - 4) % 12 + 12) % 12];
}

std::string SolarTermName(int term) {
    return term >= 1 && term <= 24 ? kTermNames[term - 1] : "";
}

std::vector<std::string> FestivalsOn(int year, int month, int day) {
    struct Fixed {
        int month, day;
        const char* name;
    };
    // By the Chinese calendar (a leap month has none), then by the Gregorian.
    static constexpr Fixed kLunar[] = {{1, 1, "春节"},  {1, 15, "元宵"}, {5, 5, "端午"},  {7, 7, "七夕"},
                                       {8, 15, "中秋"}, {9, 9, "重阳"},  {12, 8, "腊八"}, {12, 23, "小年"}};
    static constexpr Fixed kGregorian[] = {{1, 1, "元旦"},   {5, 1, "劳动节"}, {10, 1, "国庆"},
                                           {3, 8, "妇女节"}, {5, 4, "青年节"}, {6, 1, "儿童节"},
                                           {7, 1, "建党节"}, {8, 1, "建军节"}, {9, 10, "教师节"}};
    std::vector<std::string> names;
    if (InLunarRange(year, month, day)) {
        const LunarDay l = Decode(year, month, day);
        for (const Fixed& f : kLunar)
            if (!l.date.leap && f.month == l.date.month && f.day == l.date.day)
                names.push_back(f.name);
        if (l.yearsLastDay)
            names.push_back("除夕");
    }
    for (const Fixed& f : kGregorian)
        if (f.month == month && f.day == day)
            names.push_back(f.name);
    return names;
}

std::string LunarCellText(int year, int month, int day) {
    if (!InLunarRange(year, month, day))
        return {};
    const std::vector<std::string> festivals = FestivalsOn(year, month, day);
    if (!festivals.empty())
        return festivals.front();
    if (const int term = SolarTermOn(year, month, day))
        return SolarTermName(term);
    const LunarDate l = GregorianToLunar(year, month, day);
    return l.day == 1 ? LunarMonthName(l.month, l.leap) : LunarDayName(l.day);
}

std::string LunarInfoLine(int year, int month, int day) {
    if (!InLunarRange(year, month, day))
        return {};
    const LunarDate l = GregorianToLunar(year, month, day);
    return LunarDateText(l) + " " + SexagenaryYearName(l.year) + " " + ZodiacAnimal(l.year) + Extras(year, month, day);
}

std::string DateTooltipText(int year, int month, int day) {
    const int weekday = ((DayNumber(year, month, day) + 4) % 7 + 7) % 7; // 1970-01-01 was a Thursday
    std::string text =
        std::to_string(year) + "年" + std::to_string(month) + "月" + std::to_string(day) + "日 " + WeekdayName(weekday);
    if (InLunarRange(year, month, day))
        text += " " + LunarDateText(GregorianToLunar(year, month, day));
    return text + Extras(year, month, day);
}

} // namespace vemora
