#include "power/alarm.h"

#include "base/datetime.h"
#include "base/gbk.h"

#include <cmath>
#include <cstdio>

namespace vemora {

namespace {

const char* const kWeekdayNames[] = {"周一", "周二", "周三", "周四", "周五", "周六", "周日"};

// Monday 1 .. Sunday 7 of a day number.
int IsoWeekday(long long day) {
    return DayOfWeekIso(static_cast<double>(day));
}

bool RingsOnDay(const Alarm& alarm, long long day, const WorkingDays& days) {
    const int weekday = IsoWeekday(day);
    switch (alarm.repeat) {
    case AlarmRepeat::Daily:
        return true;
    case AlarmRepeat::Weekdays:
        return weekday <= 5;
    case AlarmRepeat::Days:
        return (alarm.days >> (weekday - 1)) & 1u;
    case AlarmRepeat::Workdays: {
        const DateParts d = DecodeDate(static_cast<double>(day));
        if (days.YearKnown(d.year)) {
            const DayKind kind = days.KindOf(d.year, d.month, d.day);
            if (kind != DayKind::Ordinary)
                return kind == DayKind::Work;
        }
        return weekday <= 5;
    }
    case AlarmRepeat::Once:
        break;
    }
    return false;
}

// The longest run of days a repeating alarm can skip: a holiday break with
// its weekends is well under this.
constexpr int kSearchDays = 60;

} // namespace

long long MinuteNumber(double dateTime) {
    // Rounded to the millisecond first, as the time of day is held.
    const long long ms = std::llround(dateTime * kMsPerDay);
    return (ms >= 0 ? ms : ms - 59999) / 60000;
}

std::optional<long long> NextRingMinute(const Alarm& alarm, long long from, const WorkingDays& days) {
    if (!alarm.enabled)
        return std::nullopt;
    const int ofDay = alarm.hour * 60 + alarm.minute;
    const long long firstDay = (from - ofDay + 1439) / 1440; // the first day whose ring is at or after from
    if (alarm.repeat == AlarmRepeat::Once) {
        if (alarm.date < 0)
            return MinuteNumber(firstDay, alarm.hour, alarm.minute);
        if (alarm.date < firstDay)
            return std::nullopt;
        return MinuteNumber(alarm.date, alarm.hour, alarm.minute);
    }
    for (long long day = firstDay; day < firstDay + kSearchDays; ++day)
        if (RingsOnDay(alarm, day, days))
            return MinuteNumber(day, alarm.hour, alarm.minute);
    return std::nullopt;
}

std::string AlarmTimeText(int hour, int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    return text;
}

std::string RepeatWords(const Alarm& alarm) {
    switch (alarm.repeat) {
    case AlarmRepeat::Daily:
        return "每天";
    case AlarmRepeat::Workdays:
        return "法定工作日";
    case AlarmRepeat::Weekdays:
        return "周一至周五";
    case AlarmRepeat::Days: {
        std::string words;
        for (int d = 0; d < 7; ++d)
            if ((alarm.days >> d) & 1u)
                words += (words.empty() ? "" : " ") + std::string(kWeekdayNames[d]);
        return words;
    }
    case AlarmRepeat::Once:
        break;
    }
    if (alarm.date < 0)
        return "仅一次";
    const DateParts d = DecodeDate(static_cast<double>(alarm.date));
    char text[32];
    std::snprintf(text, sizeof text, "仅一次 %04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

std::string UnknownYearNote(const Alarm& alarm, long long fromMinute, const WorkingDays& days) {
    if (alarm.repeat != AlarmRepeat::Workdays)
        return {};
    const std::optional<long long> next = NextRingMinute(alarm, fromMinute, days);
    const int year = DecodeDate(static_cast<double>(next ? *next / 1440 : fromMinute / 1440)).year;
    if (days.YearKnown(year))
        return {};
    return std::to_string(year) + "年安排未公布，按周一至周五";
}

std::optional<NextAlarm> FindNextAlarm(const std::vector<Alarm>& alarms, long long nowMinute, const WorkingDays& days) {
    std::optional<NextAlarm> first;
    for (size_t i = 0; i < alarms.size(); ++i)
        if (const std::optional<long long> next = NextRingMinute(alarms[i], nowMinute + 1, days))
            if (!first || *next < first->minute)
                first = NextAlarm{i, *next};
    return first;
}

std::string RingWhenWords(long long nowMinute, long long ringMinute) {
    const long long inDays = ringMinute / 1440 - nowMinute / 1440;
    std::string when;
    if (inDays == 0)
        when = "今天";
    else if (inDays == 1)
        when = "明天";
    else if (inDays == 2)
        when = "后天";
    else if (inDays > 0 && inDays < 7)
        when = kWeekdayNames[IsoWeekday(ringMinute / 1440) - 1];
    else {
        const DateParts d = DecodeDate(static_cast<double>(ringMinute / 1440));
        when = std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
    }
    const int ofDay = static_cast<int>(ringMinute % 1440);
    return when + " " + AlarmTimeText(ofDay / 60, ofDay % 60);
}

AlarmVerdict CheckAlarm(const Alarm& alarm, const WorkingDays& days, AlarmWatch& watch, double now) {
    const long long nowMinute = MinuteNumber(now);
    if (watch.from < 0)
        watch.from = nowMinute + 1;
    else if (watch.from > nowMinute + 1)
        watch.from = nowMinute; // the clock went back: look again from its minute
    AlarmVerdict verdict;
    if (watch.from > nowMinute)
        return verdict;
    auto next = [&](long long from) {
        // Valid while from has not passed the cached answer: nothing rings between.
        if (watch.cacheFrom < 0 || from < watch.cacheFrom || (watch.cacheNext && from > *watch.cacheNext)) {
            watch.cacheFrom = from;
            watch.cacheNext = NextRingMinute(alarm, from, days);
        }
        return watch.cacheNext;
    };
    std::optional<long long> due = next(watch.from);
    if (due && *due <= nowMinute) {
        // After a long sleep only the latest due minute counts.
        long long latest = *due;
        while (const std::optional<long long> later = NextRingMinute(alarm, latest + 1, days)) {
            if (*later > nowMinute)
                break;
            latest = *later;
        }
        if (latest != watch.lastRung) {
            watch.lastRung = latest;
            verdict.minute = latest;
            const double lateMinutes = now * 1440 - static_cast<double>(latest);
            verdict.call = lateMinutes < kAlarmLateMinutes ? AlarmCall::Ring : AlarmCall::Missed;
        }
    }
    watch.from = nowMinute + 1;
    return verdict;
}

// The alarm's keys in the file, read and written in this order.
namespace {

std::string Section(int index) {
    return "Alarm" + std::to_string(index + 1);
}

const char* const kKeys[] = {"Enabled", "Time", "Repeat", "Date", "Label", "Sound", "Snooze", "Wake"};

bool ReadTime(std::string_view text, int& hour, int& minute) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() - colon - 1 != 2)
        return false;
    int h = 0, m = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == colon)
            continue;
        if (text[i] < '0' || text[i] > '9')
            return false;
        (i < colon ? h : m) = (i < colon ? h : m) * 10 + (text[i] - '0');
    }
    if (h > 23 || m > 59)
        return false;
    hour = h;
    minute = m;
    return true;
}

bool ReadDate(std::string_view text, long long& day) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(std::string(text).c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3 || !IsValidDate(y, m, d))
        return false;
    day = static_cast<long long>(EncodeDate(y, m, d));
    return true;
}

bool ReadRepeat(std::string_view text, AlarmRepeat& repeat, unsigned& days) {
    const std::pair<const char*, AlarmRepeat> named[] = {{"once", AlarmRepeat::Once},
                                                         {"daily", AlarmRepeat::Daily},
                                                         {"workdays", AlarmRepeat::Workdays},
                                                         {"weekdays", AlarmRepeat::Weekdays}};
    for (const auto& [name, value] : named)
        if (text == name) {
            repeat = value;
            return true;
        }
    // A list of weekday digits: "1,3,5".
    unsigned bits = 0;
    bool digit = false;
    for (char c : text) {
        if (c >= '1' && c <= '7' && !digit) {
            bits |= 1u << (c - '1');
            digit = true;
        } else if (c == ',' && digit) {
            digit = false;
        } else if (c != ' ') {
            return false;
        }
    }
    if (!digit || !bits)
        return false;
    repeat = AlarmRepeat::Days;
    days = bits;
    return true;
}

std::string RepeatValue(const Alarm& alarm) {
    switch (alarm.repeat) {
    case AlarmRepeat::Daily:
        return "daily";
    case AlarmRepeat::Workdays:
        return "workdays";
    case AlarmRepeat::Weekdays:
        return "weekdays";
    case AlarmRepeat::Days: {
        std::string list;
        for (int d = 0; d < 7; ++d)
            if ((alarm.days >> d) & 1u)
                list += (list.empty() ? "" : ",") + std::to_string(d + 1);
        return list;
    }
    case AlarmRepeat::Once:
        break;
    }
    return "once";
}

size_t GbkChars(std::string_view text) {
    size_t count = 0;
    for (size_t at = 0; at < text.size(); at += GbkCharLength(text, at))
        ++count;
    return count;
}

std::string CutToChars(std::string_view text, size_t chars) {
    size_t at = 0;
    for (size_t n = 0; n < chars && at < text.size(); ++n)
        at += GbkCharLength(text, at);
    return std::string(text.substr(0, at));
}

} // namespace

LoadedAlarms LoadAlarms(const AlarmSections& sections) {
    LoadedAlarms loaded;
    const Alarm defaults;
    for (int i = 0; i < kMaxAlarms; ++i) {
        const std::string section = Section(i);
        bool any = false;
        for (const char* key : kKeys)
            any = any || sections.Get(section, key).has_value();
        if (!any)
            continue;
        Alarm alarm;
        auto bad = [&](const char* key, const std::string& value, const std::string& used) {
            // Raw bytes may be GBK: ASCII is quoted, anything else as '?'.
            std::string shown;
            for (char c : value)
                shown += static_cast<unsigned char>(c) < 0x80 ? c : '?';
            loaded.problems.push_back("[" + section + "] " + key + "=" + shown + " 无效，已按 " + used);
        };
        if (auto v = sections.Get(section, "Enabled")) {
            if (*v == "1" || *v == "0")
                alarm.enabled = *v == "1";
            else
                bad("Enabled", *v, "1");
        }
        if (auto v = sections.Get(section, "Time"); !v || !ReadTime(*v, alarm.hour, alarm.minute))
            bad("Time", v.value_or(""), AlarmTimeText(defaults.hour, defaults.minute));
        if (auto v = sections.Get(section, "Repeat"); v && !ReadRepeat(*v, alarm.repeat, alarm.days))
            bad("Repeat", *v, "once");
        if (auto v = sections.Get(section, "Date"); v && !v->empty() && !ReadDate(*v, alarm.date))
            bad("Date", *v, "下一次到点");
        if (auto v = sections.Get(section, "Label")) {
            if (v->empty()) {
                bad("Label", *v, "闹钟");
            } else if (GbkChars(*v) > kAlarmLabelMaxChars) {
                alarm.label = CutToChars(*v, kAlarmLabelMaxChars);
                bad("Label", *v, "前 32 个字");
            } else {
                alarm.label = *v;
            }
        }
        if (auto v = sections.Get(section, "Sound"))
            alarm.sound = *v;
        if (auto v = sections.Get(section, "Snooze")) {
            int minutes = 0;
            char tail = 0;
            if (std::sscanf(v->c_str(), "%d%c", &minutes, &tail) == 1 && minutes >= kSnoozeMin && minutes <= kSnoozeMax)
                alarm.snooze = minutes;
            else
                bad("Snooze", *v, std::to_string(defaults.snooze));
        }
        if (auto v = sections.Get(section, "Wake")) {
            if (*v == "1" || *v == "0")
                alarm.wake = *v == "1";
            else
                bad("Wake", *v, "0");
        }
        loaded.alarms.push_back(std::move(alarm));
    }
    return loaded;
}

void SaveAlarms(AlarmSections& sections, const std::vector<Alarm>& alarms) {
    for (int i = 0; i < kMaxAlarms; ++i) {
        const std::string section = Section(i);
        if (i >= static_cast<int>(alarms.size())) {
            sections.Remove(section);
            continue;
        }
        const Alarm& alarm = alarms[i];
        std::string date;
        if (alarm.date >= 0) {
            const DateParts d = DecodeDate(static_cast<double>(alarm.date));
            char text[16];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
            date = text;
        }
        sections.Set(section, "Enabled", alarm.enabled ? "1" : "0");
        sections.Set(section, "Time", AlarmTimeText(alarm.hour, alarm.minute));
        sections.Set(section, "Repeat", RepeatValue(alarm));
        sections.Set(section, "Date", date);
        sections.Set(section, "Label", alarm.label);
        sections.Set(section, "Sound", alarm.sound);
        sections.Set(section, "Snooze", std::to_string(alarm.snooze));
        sections.Set(section, "Wake", alarm.wake ? "1" : "0");
    }
}

} // namespace vemora
