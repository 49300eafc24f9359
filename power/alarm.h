#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

// How an alarm repeats: once (on its date, or the next time its time comes),
// every day, China's working days, Monday to Friday, or chosen weekdays.
enum class AlarmRepeat { Once, Daily, Workdays, Weekdays, Days };

inline constexpr int kMaxAlarms = 20;
inline constexpr int kAlarmLabelMaxChars = 32;
inline constexpr int kSnoozeMin = 1, kSnoozeMax = 60;
inline constexpr const char* kDefaultAlarmLabel = "\xC4\xD6\xD6\xD3"; // 闹钟, GBK

// One alarm as [AlarmN] of clockset.ini keeps it. Strings are GBK.
struct Alarm {
    bool enabled = true;                    // "Enabled"
    int hour = 7, minute = 0;               // "Time": HH:MM, 24-hour
    AlarmRepeat repeat = AlarmRepeat::Once; // "Repeat": once, daily, workdays, weekdays or "1,3,5"
    unsigned days = 0;                      // for Days: bit d-1 for weekday d, 1 = Monday .. 7 = Sunday
    long long date = -1;                    // "Date" for once, as a day number (base/datetime.h); -1: none
    std::string label = kDefaultAlarmLabel; // "Label"
    std::string sound;                      // "Sound": a .wav file; empty: the built-in ring
    int snooze = 10;                        // "Snooze": minutes
    bool wake = false;                      // "Wake": wake the computer for it

    bool operator==(const Alarm&) const = default;
};

// What the calendar says of a day: an ordinary day, a day of a holiday break
// (休) or a weekend day made a working day (班).
enum class DayKind { Ordinary, Off, Work };

// The holiday facts the alarms need, handed in by whoever knows them.
class WorkingDays {
public:
    virtual ~WorkingDays() = default;
    virtual DayKind KindOf(int year, int month, int day) const = 0;
    // Whether the year's schedule is known; an unknown year's days are all Ordinary.
    virtual bool YearKnown(int year) const = 0;
};

// Minutes counted from the day count's origin (1899-12-30 00:00): day * 1440 + minute of the day.
long long MinuteNumber(double dateTime);
inline long long MinuteNumber(long long day, int hour, int minute) {
    return day * 1440 + hour * 60 + minute;
}

// The first minute at or after `from` at which the alarm rings, or none
// (switched off, a once alarm whose date has passed). A day rings when the
// repeat takes it: Workdays takes Monday to Friday unless 休 and every 班 day,
// and in a year whose schedule is not known Monday to Friday; a once alarm
// rings on its date, or without one the next time its time comes.
std::optional<long long> NextRingMinute(const Alarm& alarm, long long from, const WorkingDays& days);

// The repeat in words (UTF-8): 法定工作日, 每天, 周一至周五, 周一 周三 周五,
// 仅一次 2026-02-14.
std::string RepeatWords(const Alarm& alarm);
// Beside a working-day alarm whose next day lies in a year without a known
// schedule (UTF-8): "2027年安排未公布，按周一至周五"; empty otherwise.
std::string UnknownYearNote(const Alarm& alarm, long long fromMinute, const WorkingDays& days);
// The alarm that rings next after now's minute, and the minute it rings at.
struct NextAlarm {
    size_t index = 0;
    long long minute = 0;
};
std::optional<NextAlarm> FindNextAlarm(const std::vector<Alarm>& alarms, long long nowMinute, const WorkingDays& days);
// When a ring comes, as seen from now (UTF-8): "今天 07:30", "明天 07:30",
// "后天 07:30", within the week "周三 07:30", else "5月6日 07:30".
std::string RingWhenWords(long long nowMinute, long long ringMinute);

// What the clock keeps of one alarm between ticks, in memory only.
struct AlarmWatch {
    long long from = -1;     // the first minute not looked at yet; -1: none looked at
    long long lastRung = -1; // the minute it last rang (or was missed) at
    // The answer of NextRingMinute for cacheFrom, valid while nothing changed.
    long long cacheFrom = -1;
    std::optional<long long> cacheNext;
};

// Minutes late after which an alarm no longer rings but is reported missed.
inline constexpr int kAlarmLateMinutes = 10;

enum class AlarmCall { None, Ring, Missed };
struct AlarmVerdict {
    AlarmCall call = AlarmCall::None;
    long long minute = -1; // the minute it was due at
};

// The tick's question for one alarm at local date-time now. Minutes from the
// watch's start up to now's own minute are looked at once; the latest due
// minute among them rings when less than kAlarmLateMinutes late, else is
// missed. The clock set back looks at the minutes again, but a minute that has
// rung never rings twice; set forward, the minutes passed count as late. A
// fresh watch begins with the next minute. The alarm changed: a fresh watch.
AlarmVerdict CheckAlarm(const Alarm& alarm, const WorkingDays& days, AlarmWatch& watch, double now);

// The key/value text of sections [Alarm1]..[Alarm20], GBK.
class AlarmSections {
public:
    virtual ~AlarmSections() = default;
    virtual std::optional<std::string> Get(std::string_view section, std::string_view key) const = 0;
    virtual void Set(std::string_view section, std::string_view key, std::string_view value) = 0;
    virtual void Remove(std::string_view section) = 0;
};

struct LoadedAlarms {
    std::vector<Alarm> alarms;
    // One line per bad value (UTF-8), naming section and key: "[Alarm2] Time=25:00 无效，已按 07:00".
    std::vector<std::string> problems;
};

// The alarms of sections [Alarm1]..[Alarm20] in order; a section with none of
// the keys is no alarm. A bad value gives that key's default.
LoadedAlarms LoadAlarms(const AlarmSections& sections);
// Writes the alarms as [Alarm1]..[AlarmN] and removes the sections after them.
void SaveAlarms(AlarmSections& sections, const std::vector<Alarm>& alarms);

// "07:30".
std::string AlarmTimeText(int hour, int minute);

} // namespace vemora
