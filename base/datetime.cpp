#include "base/datetime.h"

#include <cmath>
#include <stdexcept>

namespace vemora {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool IsValidDate(int year, int month, int day) {
    return year >= kMinYear && year <= kMaxYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

namespace {

// Days from 0001-01-01 to the given date, proleptic Gregorian.
long DaysFromCivilOrigin(int y, int m, int d) {
    long days = 0;
    const long py = y - 1;
    days = py * 365 + py / 4 - py / 100 + py / 400;
    for (int i = 1; i < m; ++i)
        days += DaysInMonth(y, i);
    return days + d - 1;
}

// 1899-12-30 counted from 0001-01-01.
const long kEpochOffset = 693593;

} // namespace

double EncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        throw std::out_of_range("invalid date");
    return static_cast<double>(DaysFromCivilOrigin(year, month, day) - kEpochOffset);
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

double EncodeDateTime(const DateTimeParts& t) {
    return EncodeDate(t.year, t.month, t.day) + EncodeTime(t.hour, t.minute, t.second, t.millisecond);
}

namespace {

void CivilFromDays(long n, int& year, int& month, int& day) {
    // n counts days from 0001-01-01; walk 400-, 100-, 4- and 1-year cycles.
    long y = 1;
    y += 400 * (n / 146097);
    n %= 146097;
    long c = n / 36524;
    if (c == 4)
        c = 3;
    y += 100 * c;
    n -= c * 36524;
    y += 4 * (n / 1461);
    n %= 1461;
    long a = n / 365;
    if (a == 4)
        a = 3;
    y += a;
    n -= a * 365;
    int m = 1;
    while (n >= DaysInMonth(static_cast<int>(y), m)) {
        n -= DaysInMonth(static_cast<int>(y), m);
        ++m;
    }
    year = static_cast<int>(y);
    month = m;
    day = static_cast<int>(n) + 1;
}

} // namespace

DateParts DecodeDate(double dateTime) {
    DateParts p;
    const long n = static_cast<long>(std::floor(dateTime)) + kEpochOffset;
    if (n < 0)
        throw std::out_of_range("invalid date");
    CivilFromDays(n, p.year, p.month, p.day);
    return p;
}

DateTimeParts DecodeDateTime(double dateTime) {
    const double totalMs = std::round(dateTime * kMsPerDay);
    double dayPart = std::floor(totalMs / kMsPerDay);
    long long msOfDay = static_cast<long long>(totalMs - dayPart * kMsPerDay);
    DateParts d = DecodeDate(dayPart);
    DateTimeParts t;
    t.year = d.year;
    t.month = d.month;
    t.day = d.day;
    t.hour = static_cast<int>(msOfDay / 3600000);
    t.minute = static_cast<int>(msOfDay / 60000 % 60);
    t.second = static_cast<int>(msOfDay / 1000 % 60);
    t.millisecond = static_cast<int>(msOfDay % 1000);
    t.dayOfWeek = DayOfWeekSundayFirst(dayPart) - 1;
    return t;
}

int DayOfWeekSundayFirst(double date) {
    // Day 0 (1899-12-30) was a Saturday.
    long n = static_cast<long>(std::floor(date));
    long r = ((n + 6) % 7 + 7) % 7; // 0 = Sunday
    return static_cast<int>(r) + 1;
}

int DayOfWeekIso(double date) {
    int s = DayOfWeekSundayFirst(date);
    return s == 1 ? 7 : s - 1;
}

int BiasInForce(int bias, int standardBias, int daylightBias, TimeZoneState state) {
    switch (state) {
    case TimeZoneState::Daylight:
        return bias + daylightBias;
    case TimeZoneState::Standard:
        return bias + standardBias;
    default:
        return bias;
    }
}

} // namespace vemora
