#pragma once
#include <cstdint>

// The Chinese calendar as computed by tools/makelunar.cpp (calendar/lunar_table.cpp),
// and the day count the calendar code shares.
namespace vemora::lunar_table {

// Days from 1970-01-01 to a Gregorian date (negative before it).
constexpr int DayNumber(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1; // from March 1
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr int kFirstYear = 1900; // lunar year of the first entry of kYears
constexpr int kYearCount = 201;
constexpr int kFirstTermYear = 1901;
constexpr int kTermYearCount = 200;

extern const std::uint32_t kYears[kYearCount];
extern const std::uint8_t kTermBase[24];
extern const std::uint64_t kTerms[kTermYearCount];

} // namespace vemora::lunar_table
