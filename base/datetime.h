#pragma once
#include <cstdint>

// The program's date-time: a day count whose whole part counts days since
// 1899-12-30 00:00 and whose fraction is the time of day (one hour = 1/24).
namespace vemora {

struct DateParts {
    int year = 1899, month = 12, day = 30;
};

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 0; // 0 = Sunday, as SYSTEMTIME counts
};

constexpr double kMsPerDay = 86400000.0;
constexpr int kMinYear = 1, kMaxYear = 9999;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Whole day number of a valid date (year 1..9999); throws std::out_of_range otherwise.
double EncodeDate(int year, int month, int day);
double EncodeTime(int hour, int minute, int second, int millisecond);
double EncodeDateTime(const DateTimeParts& t);
DateParts DecodeDate(double dateTime);
// Rounds to the nearest millisecond first, as the time of day is held in ms.
DateTimeParts DecodeDateTime(double dateTime);
// Sunday 1 .. Saturday 7.
int DayOfWeekSundayFirst(double date);
// Monday 1 .. Sunday 7.
int DayOfWeekIso(double date);

// Which part of the year the time zone is in, as the system reports it.
enum class TimeZoneState { Unknown, Standard, Daylight };
// The bias in force in minutes (UTC = local time + bias): the zone's bias plus
// its daylight or standard bias by its state; an unknown state adds neither.
int BiasInForce(int bias, int standardBias, int daylightBias, TimeZoneState state);

} // namespace vemora
