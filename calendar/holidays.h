#pragma once
#include "calendar/lunar.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The holiday arrangements of each year, from three sources, per day:
// holidays.txt beside the exe (the user's, one day a line: "2027-01-01 休",
// "2027-02-07 班", "#" comments, in UTF-8 or GBK), then a year's schedule as
// fetched from the holiday-cn data set, then the table built into the program.
namespace vemora {

// One day of a published schedule: a day off of a break (Holiday) or a
// weekend day made a working day (Workday), with the break's name (UTF-8).
struct ScheduleDay {
    int year = 0, month = 0, day = 0;
    DayArrangement arrangement = DayArrangement::Holiday;
    std::string name;
    bool operator==(const ScheduleDay&) const = default;
};

// A year's schedule as the data set has it. No days: not published yet.
// December days may belong to the next year's schedule (a 元旦 break that
// starts before the new year) and January days to the previous one's.
struct YearSchedule {
    int year = 0;
    std::vector<ScheduleDay> days;
    bool operator==(const YearSchedule&) const = default;
};

enum class ScheduleProblem {
    None,
    NotJson,        // the body is no JSON document
    NotASchedule,   // no "year" and "days", or a day without a date, a name or isOffDay
    WrongYear,      // the file of another year
    DateOutOfRange, // a day outside the year and a month on either side, or no such day
    TooManyDays,    // more than kMaxScheduleDays
    BadName,        // a name empty, longer than kMaxScheduleNameChars, or with control characters
};

constexpr std::size_t kMaxScheduleDays = 60;
constexpr std::size_t kMaxScheduleNameChars = 40;

struct ParsedSchedule {
    YearSchedule schedule;
    ScheduleProblem problem = ScheduleProblem::None;
    explicit operator bool() const { return problem == ScheduleProblem::None; }
};

// Reads one year's file of the holiday-cn data set:
// {"year": 2027, "papers": [...], "days": [{"name": "春节", "date": "2027-02-06", "isOffDay": true}, ...]}.
// isOffDay true is a day off (休), false a working day (班). An answer with any
// fault is refused whole: nothing of it is applied.
ParsedSchedule ParseYearSchedule(std::string_view body, int year);
// Why a body was refused, in Chinese: "不是 JSON", "年份不符" ...
std::string ScheduleProblemText(ScheduleProblem problem);

// What decides a day: its arrangement and the name of its break (empty for
// ordinary days and for the user's own days).
struct DayStatus {
    DayArrangement arrangement = DayArrangement::Ordinary;
    std::string name;
};

// The user's days and the fetched schedules; with the built-in table they
// decide every day. The caller owns the book and passes it where needed.
class HolidayBook {
public:
    // A day of holidays.txt.
    void Set(int year, int month, int day, DayArrangement arrangement);
    // The user's arrangement of a day, if holidays.txt sets it.
    std::optional<DayArrangement> Find(int year, int month, int day) const;
    size_t size() const { return days_.size(); }

    // A fetched year's schedule, replacing what was fetched for that year
    // before; an empty one says it is not published yet.
    void SetFetched(YearSchedule schedule);
    const std::map<int, YearSchedule>& Fetched() const { return fetched_; }

    // Whether the schedule of a year is known, so that its days can be marked:
    // a year of the built-in table, a year whose fetched schedule has days, or
    // a year in which holidays.txt sets any day (the user typed the notice in).
    // A year fetched empty, or never fetched, is not known: it shows no marks
    // but the user's. byUser false: the user's lines do not count (a line or
    // two typed in is no reason not to fetch the published schedule).
    bool YearKnown(int year, bool byUser = true) const;

    // The day as the three sources decide it: holidays.txt first; then the
    // fetched schedules (the day's own year's, and for December and January
    // days its neighbours'), which, when the day's year was fetched with days,
    // stand for the whole year; else the built-in table.
    DayStatus StatusOf(int year, int month, int day) const;

private:
    std::map<int, DayArrangement> days_;   // holidays.txt, by day number
    std::map<int, YearSchedule> fetched_;  // by year
    std::map<int, DayStatus> fetchedDays_; // every fetched day, by day number
    std::set<int> userYears_;
};

// The book's arrangement of the day (HolidayBook::StatusOf).
DayArrangement ArrangementOf(const HolidayBook& book, int year, int month, int day);
// A built-in day's name, empty when the table has no such day.
std::string BuiltInHolidayName(int year, int month, int day);

struct HolidayFile {
    HolidayBook book;
    // One message per bad line, in Chinese, in line order, then any note that
    // the file was cut short: "holidays.txt 第 3 行无法识别：2027-02-30 休（没有这一天）".
    std::vector<std::string> problems;
    bool gbk = false; // some line was read as GBK (the others as UTF-8)
};

// Turns GBK bytes into UTF-8; the shell passes one that uses code page 936.
using GbkToUtf8 = std::function<std::string(std::string_view)>;

constexpr size_t kHolidayFileMaxBytes = 256 * 1024;
constexpr int kHolidayFileMaxLines = 5000;
constexpr size_t kHolidayFileMaxProblems = 20;

// Reads the bytes of holidays.txt. A UTF-8 byte-order mark is skipped. Each
// line is read in its own encoding: as UTF-8 where its bytes are UTF-8 and
// make sense so, else as GBK; a damaged byte or a GBK comment spoils only its
// own line. Bad lines are skipped and reported, and change no day; the others
// still apply; a later line for the same day wins. Only the first
// kHolidayFileMaxBytes and kHolidayFileMaxLines are read, and only the first
// kHolidayFileMaxProblems bad lines are quoted. Without `gbkToUtf8`, a GBK
// line is quoted with "?" for each character beyond ASCII.
HolidayFile ParseHolidayFile(std::string_view bytes, const GbkToUtf8& gbkToUtf8 = {});

} // namespace vemora
