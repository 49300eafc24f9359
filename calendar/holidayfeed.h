#pragma once
#include "calendar/holidays.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The fetched holiday schedules: when to ask for a year, where, and how what
// came is kept on disk between runs.
namespace vemora {

// The holiday-cn data set, one JSON file a year at "{base}/{year}.json". The
// two CDNs of jsDelivr first, GitHub's raw files last: from some networks in
// China one or the other is slow or blocked, so each is a fallback for the
// others, and jsDelivr, reached more widely there, is asked first.
inline constexpr const char* kDefaultHolidayApi = "https://cdn.jsdelivr.net/gh/NateScarlet/holiday-cn@master;"
                                                  "https://fastly.jsdelivr.net/gh/NateScarlet/holiday-cn@master;"
                                                  "https://raw.githubusercontent.com/NateScarlet/holiday-cn/master";

// The addresses of a year's file, in the order to try them, from the
// HolidayApi setting (base addresses separated by ";"; blanks and a trailing
// "/" ignored; only http and https); the default's when it names none.
std::vector<std::string> HolidayYearUrls(std::string_view setting, int year);

// Seconds of local time since 1970-01-01 00:00 local: the feed's clock, in
// which a day starts at local midnight.
std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);

// This install's minute of the day for the daily question, from a number that
// differs from one install to the next: never in the first minute of an hour,
// when every clock in the country would ask together.
int HolidayMinuteOfDay(std::uint64_t installSeed);

// What the feed knows of one year.
struct HolidayYearCheck {
    std::optional<std::int64_t> answeredAt; // the last answer the data set gave (local seconds)
    bool askedThisRun = false;
};

struct HolidayCheckInput {
    std::int64_t now = 0;             // local seconds
    int year = 0, month = 0, day = 0; // today
    int minuteOfDay = 1;              // HolidayMinuteOfDay
    std::map<int, HolidayYearCheck> years;
    std::set<int> known; // of the years wanted, those whose schedule is known
    int failures = 0;    // requests failed in a row
    std::int64_t lastFailureAt = 0;
    bool inFlight = false;
};

struct HolidayCheck {
    int year = 0;        // 0: nothing to ask for
    std::int64_t at = 0; // when (local seconds); asked once now >= at
};

// The years wanted are this one and, from October 15, the next. A year whose
// schedule is not known is asked for at start, then once a day at the
// install's minute; a known one again a week after its last answer, for the
// rare change within a year; none after its last day, when it is no longer
// wanted. After failures in a row the next question waits 1, 2, 4 ... hours,
// at most 24. While one request runs, none is planned.
HolidayCheck NextHolidayCheck(const HolidayCheckInput& in);

// The years wanted on a day.
std::vector<int> WantedHolidayYears(int year, int month, int day);

// What is kept in holidays.cache: each year's last answer and when it came.
struct KeptHolidayYear {
    YearSchedule schedule;
    std::int64_t answeredAt = 0;
    bool operator==(const KeptHolidayYear&) const = default;
};
using KeptHolidays = std::map<int, KeptHolidayYear>;

// The file's text: a header line, one line per year and per day, and an end
// line with the checksum of all before it, so that a file cut short or
// changed is refused whole rather than read in part.
std::string SerializeKeptHolidays(const KeptHolidays& kept);
std::optional<KeptHolidays> ParseKeptHolidays(std::string_view text);

} // namespace vemora
