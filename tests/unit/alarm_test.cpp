#include "power/alarm.h"

#include "app/alarmdays.h"
#include "base/datetime.h"
#include "calendar/lunar.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <map>

using namespace vemora;

namespace {

// The built-in schedule, known up to 2026: the calendar's working days over an empty book.
const HolidayBook kNoFile{};
struct BuiltInDays : CalendarWorkingDays {
    BuiltInDays() : CalendarWorkingDays(kNoFile) {}
};

long long Day(int y, int m, int d) {
    return static_cast<long long>(EncodeDate(y, m, d));
}

long long Minute(int y, int m, int d, int h, int min) {
    return MinuteNumber(Day(y, m, d), h, min);
}

Alarm At730(AlarmRepeat repeat, unsigned days = 0, long long date = -1) {
    Alarm a;
    a.hour = 7;
    a.minute = 30;
    a.repeat = repeat;
    a.days = days;
    a.date = date;
    return a;
}

class MapSections : public AlarmSections {
public:
    std::map<std::string, std::map<std::string, std::string>> text;
    std::optional<std::string> Get(std::string_view section, std::string_view key) const override {
        auto s = text.find(std::string(section));
        if (s == text.end())
            return std::nullopt;
        auto k = s->second.find(std::string(key));
        return k == s->second.end() ? std::nullopt : std::optional<std::string>(k->second);
    }
    void Set(std::string_view section, std::string_view key, std::string_view value) override {
        text[std::string(section)][std::string(key)] = std::string(value);
    }
    void Remove(std::string_view section) override { text.erase(std::string(section)); }
};

} // namespace

// When an alarm at 07:30 next rings, looking from a minute: each repeat
// around 2026's 春节 (休 2-15..2-23, 班 Saturdays 2-14 and 2-28), 劳动节
// (休 5-1..5-5, 班 Saturday 5-9) and 国庆 (休 10-1..10-7, 班 Sunday 9-20 and
// Saturday 10-10), across the year end into 2027, whose schedule is unknown,
// and over a leap day.
TEST(Alarm, NextRingFollowsTheRepeatAndChinasWorkingDays) {
    const unsigned monWedFri = 1u | 4u | 16u;
    const unsigned sunday = 64u;
    struct Row {
        const char* what;
        Alarm alarm;
        long long from;
        std::optional<long long> next;
    };
    const Row rows[] = {
        {"workdays: a Friday before 春节 rings that day", At730(AlarmRepeat::Workdays), Minute(2026, 2, 13, 7, 0),
         Minute(2026, 2, 13, 7, 30)},
        {"workdays: the 班 Saturday 2-14 rings", At730(AlarmRepeat::Workdays), Minute(2026, 2, 13, 7, 31),
         Minute(2026, 2, 14, 7, 30)},
        {"workdays: from 2-14 after the ring, the break is skipped to Tuesday 2-24", At730(AlarmRepeat::Workdays),
         Minute(2026, 2, 14, 7, 31), Minute(2026, 2, 24, 7, 30)},
        {"workdays: the 班 Saturday 2-28 rings", At730(AlarmRepeat::Workdays), Minute(2026, 2, 27, 8, 0),
         Minute(2026, 2, 28, 7, 30)},
        {"weekdays: the 班 Saturday is ignored, the 休 Monday 2-16 rings", At730(AlarmRepeat::Weekdays),
         Minute(2026, 2, 13, 7, 31), Minute(2026, 2, 16, 7, 30)},
        {"workdays: 劳动节 from 4-30 goes to Wednesday 5-6", At730(AlarmRepeat::Workdays), Minute(2026, 4, 30, 8, 0),
         Minute(2026, 5, 6, 7, 30)},
        {"workdays: the 班 Saturday 5-9", At730(AlarmRepeat::Workdays), Minute(2026, 5, 8, 8, 0),
         Minute(2026, 5, 9, 7, 30)},
        {"workdays: the 班 Sunday 9-20 before 国庆", At730(AlarmRepeat::Workdays), Minute(2026, 9, 19, 8, 0),
         Minute(2026, 9, 20, 7, 30)},
        {"workdays: 国庆 from 9-30 goes to Thursday 10-8", At730(AlarmRepeat::Workdays), Minute(2026, 9, 30, 8, 0),
         Minute(2026, 10, 8, 7, 30)},
        {"workdays: the 班 Saturday 10-10", At730(AlarmRepeat::Workdays), Minute(2026, 10, 9, 8, 0),
         Minute(2026, 10, 10, 7, 30)},
        {"daily: the minute itself rings", At730(AlarmRepeat::Daily), Minute(2026, 10, 3, 7, 30),
         Minute(2026, 10, 3, 7, 30)},
        {"days 1,3,5: from a Thursday of 国庆 to Friday 10-2, holidays ignored", At730(AlarmRepeat::Days, monWedFri),
         Minute(2026, 10, 1, 8, 0), Minute(2026, 10, 2, 7, 30)},
        {"workdays: year end, 2027-01-01 is a Friday of an unknown year: Monday to Friday",
         At730(AlarmRepeat::Workdays), Minute(2026, 12, 31, 8, 0), Minute(2027, 1, 1, 7, 30)},
        {"days 7: Sunday across the year end", At730(AlarmRepeat::Days, sunday), Minute(2026, 12, 28, 0, 0),
         Minute(2027, 1, 3, 7, 30)},
        {"daily: the leap day 2028-02-29", At730(AlarmRepeat::Daily), Minute(2028, 2, 28, 8, 0),
         Minute(2028, 2, 29, 7, 30)},
        {"workdays: the leap day, a Tuesday of an unknown year", At730(AlarmRepeat::Workdays),
         Minute(2028, 2, 28, 8, 0), Minute(2028, 2, 29, 7, 30)},
        {"once with its date", At730(AlarmRepeat::Once, 0, Day(2028, 2, 29)), Minute(2028, 2, 1, 0, 0),
         Minute(2028, 2, 29, 7, 30)},
        {"once whose date has passed", At730(AlarmRepeat::Once, 0, Day(2026, 2, 14)), Minute(2026, 2, 14, 7, 31),
         std::nullopt},
        {"once without a date: the next time it comes", At730(AlarmRepeat::Once), Minute(2026, 12, 31, 23, 0),
         Minute(2027, 1, 1, 7, 30)},
    };
    const BuiltInDays days;
    for (const Row& row : rows)
        EXPECT_EQ(NextRingMinute(row.alarm, row.from, days), row.next) << row.what;
    Alarm off = At730(AlarmRepeat::Daily);
    off.enabled = false;
    EXPECT_EQ(NextRingMinute(off, Minute(2026, 2, 14, 0, 0), days), std::nullopt);
}

TEST(Alarm, RepeatInWords) {
    const BuiltInDays days;
    EXPECT_EQ(RepeatWords(At730(AlarmRepeat::Workdays)), "法定工作日");
    EXPECT_EQ(RepeatWords(At730(AlarmRepeat::Days, 1u | 4u | 16u)), "周一 周三 周五");
    EXPECT_EQ(RepeatWords(At730(AlarmRepeat::Once, 0, Day(2026, 2, 14))), "仅一次 2026-02-14");
    EXPECT_EQ(UnknownYearNote(At730(AlarmRepeat::Workdays), Minute(2026, 12, 31, 8, 0), days),
              "2027年安排未公布，按周一至周五");
    EXPECT_EQ(UnknownYearNote(At730(AlarmRepeat::Workdays), Minute(2026, 12, 30, 7, 0), days), "");
    EXPECT_EQ(RingWhenWords(Minute(2026, 2, 13, 22, 0), Minute(2026, 2, 14, 7, 30)), "明天 07:30");
    EXPECT_EQ(RingWhenWords(Minute(2026, 2, 14, 8, 0), Minute(2026, 2, 24, 7, 30)), "2月24日 07:30");
}

// One alarm at 07:30 every day, ticked at moments in order: it rings within
// its minute, once; the clock set back never rings it twice; set forward
// past it or a sleep longer than ten minutes makes it missed; shorter, it rings late.
TEST(Alarm, TicksRingEachMinuteOnce) {
    struct Step {
        const char* what;
        int day, hour, minute, second;
        AlarmCall call;
    };
    const Step steps[] = {
        {"started before it", 1, 7, 29, 58, AlarmCall::None},
        {"the minute's first tick", 1, 7, 30, 0, AlarmCall::Ring},
        {"the next tick", 1, 7, 30, 1, AlarmCall::None},
        {"the clock set back before it", 1, 7, 20, 0, AlarmCall::None},
        {"and its minute again", 1, 7, 30, 0, AlarmCall::None},
        {"a sleep to 5 minutes late the next day", 2, 7, 35, 0, AlarmCall::Ring},
        {"the clock set forward 20 minutes past it on the third day", 3, 7, 29, 0, AlarmCall::None},
        {"", 3, 7, 50, 0, AlarmCall::Missed},
        {"a sleep through the fourth and fifth days, waking 9 minutes late on the sixth", 6, 7, 39, 0, AlarmCall::Ring},
    };
    const BuiltInDays days;
    const Alarm alarm = At730(AlarmRepeat::Daily);
    AlarmWatch watch;
    for (const Step& s : steps) {
        const double now = EncodeDate(2026, 3, s.day) + EncodeTime(s.hour, s.minute, s.second, 3);
        EXPECT_EQ(CheckAlarm(alarm, days, watch, now).call, s.call)
            << s.what << " " << s.day << " " << s.hour << ":" << s.minute;
    }
}

// Bad values give their key's default and are reported naming section and
// key; the alarm's other keys and the other alarms stay.
TEST(Alarm, StoredValuesAndTheirDefaults) {
    MapSections file;
    file.text["Alarm1"] = {{"Time", "06:45"}, {"Repeat", "1,3,5"}, {"Label", Gbk("上班")}, {"Snooze", "1"}};
    file.text["Alarm2"] = {{"Enabled", "yes"},
                           {"Time", "25:00"},
                           {"Repeat", "sometimes"},
                           {"Date", "2026-02-30"},
                           {"Snooze", "90"},
                           {"Wake", "1"},
                           {"Label", Gbk(std::string(40, 'x'))}};
    file.text["Alarm4"] = {{"Time", "07:30"}, {"Repeat", "once"}, {"Date", "2028-02-29"}};
    file.text["Other"] = {{"Time", "kept"}};
    const LoadedAlarms loaded = LoadAlarms(file);
    ASSERT_EQ(loaded.alarms.size(), 3u);
    EXPECT_EQ(loaded.alarms[0].days, 1u | 4u | 16u);
    EXPECT_EQ(loaded.alarms[0].label, Gbk("上班"));
    const Alarm& bad = loaded.alarms[1];
    const Alarm defaults;
    EXPECT_EQ(
        std::tie(bad.enabled, bad.hour, bad.minute, bad.repeat, bad.date, bad.snooze),
        std::tie(defaults.enabled, defaults.hour, defaults.minute, defaults.repeat, defaults.date, defaults.snooze));
    EXPECT_TRUE(bad.wake);
    EXPECT_EQ(bad.label, std::string(32, 'x'));
    const std::vector<std::string> expected = {
        "[Alarm2] Enabled=yes 无效，已按 1",
        "[Alarm2] Time=25:00 无效，已按 07:00",
        "[Alarm2] Repeat=sometimes 无效，已按 once",
        "[Alarm2] Date=2026-02-30 无效，已按 下一次到点",
        "[Alarm2] Label=" + std::string(40, 'x') + " 无效，已按 前 32 个字",
        "[Alarm2] Snooze=90 无效，已按 10",
    };
    EXPECT_EQ(loaded.problems, expected);
    EXPECT_EQ(loaded.alarms[2].date, Day(2028, 2, 29));

    // Written back as Alarm1..3, the fourth section gone, the rest of the file kept.
    SaveAlarms(file, loaded.alarms);
    EXPECT_FALSE(file.text.count("Alarm4"));
    EXPECT_EQ(file.text["Other"]["Time"], "kept");
    EXPECT_EQ(file.text["Alarm3"]["Date"], "2028-02-29");
    EXPECT_EQ(LoadAlarms(file).alarms, loaded.alarms);
    EXPECT_TRUE(LoadAlarms(file).problems.empty());
}
